// Works the control panel window from outside, as a user would, for the end-to-end test. Reads one
// command per line on standard input and answers each with one line of JSON:
//   find MS            the panel window (waits up to MS milliseconds for it): caption, visibility, places
//   controls           every control: name, class, text, visible, enabled, checked, selection, list entries
//   type NAME TEXT     selects the field's text and types TEXT over it, character by character
//   choose NAME INDEX  chooses a list entry as a click in the drop-down list does
//   click NAME         clicks a button, check box or link (posted: a message box it opens does not block)
//   key NAME F1|ESC    presses the key in that control
//   boxes              the message boxes of the panel's process: title and text
//   dismiss            presses OK in the first message box
//   alive              whether the panel window still exists
//   pointer X Y        moves the mouse pointer to the screen position
//   service CODE       sends the control code to the service "corvane", as another program would
//   request TEXT       puts TEXT into the transcoder window's request field, as the proxy does
//   transcoder         whether the transcoder window exists, and the id of its process
//   running PID        whether that process still runs
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "panel/PanelView.h"

namespace {

const std::pair<ControlId, const char*> kNames[] = {
    {ControlId::SettingsGroup, "SettingsGroup"},
    {ControlId::MulticastLabel, "MulticastLabel"},
    {ControlId::MulticastInterfaceBox, "MulticastInterfaceBox"},
    {ControlId::HttpInterfaceLabel, "HttpInterfaceLabel"},
    {ControlId::HttpInterfaceBox, "HttpInterfaceBox"},
    {ControlId::PortsLabel, "PortsLabel"},
    {ControlId::HttpPortField, "HttpPortField"},
    {ControlId::PortSeparator, "PortSeparator"},
    {ControlId::TranscoderPortField, "TranscoderPortField"},
    {ControlId::AddressLink, "AddressLink"},
    {ControlId::SaveButton, "SaveButton"},
    {ControlId::AppGroup, "AppGroup"},
    {ControlId::AppStateLabel, "AppStateLabel"},
    {ControlId::HideConsoleCheck, "HideConsoleCheck"},
    {ControlId::AppStartButton, "AppStartButton"},
    {ControlId::ServiceGroup, "ServiceGroup"},
    {ControlId::ServiceStateLabel, "ServiceStateLabel"},
    {ControlId::InstallButton, "InstallButton"},
    {ControlId::RemoveButton, "RemoveButton"},
    {ControlId::ServiceStartButton, "ServiceStartButton"},
    {ControlId::ServiceStopButton, "ServiceStopButton"},
    {ControlId::OperatePanel, "OperatePanel"},
    {ControlId::OperateButton, "OperateButton"},
    {ControlId::TranscoderGroup, "TranscoderGroup"},
    {ControlId::TranscoderEnableCheck, "TranscoderEnableCheck"},
    {ControlId::VlcLink, "VlcLink"},
    {ControlId::TranscoderStartButton, "TranscoderStartButton"},
    {ControlId::TranscoderStopButton, "TranscoderStopButton"},
    {ControlId::ProfileBox, "ProfileBox"},
    {ControlId::TranscoderStateLabel, "TranscoderStateLabel"},
    {ControlId::MiscGroup, "MiscGroup"},
    {ControlId::HelpButton, "HelpButton"},
    {ControlId::FirewallButton, "FirewallButton"},
    {ControlId::FocusSink, "FocusSink"},
};

HWND panel = nullptr;

// The focus of the panel's thread (GetFocus only knows the caller's own).
HWND PanelFocus() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(panel, nullptr), &info) ? info.hwndFocus : nullptr;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
  std::string result(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr, nullptr);
  return result;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
  return result;
}

std::string Json(const std::string& text) {
  std::string quoted = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      quoted += escape;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}

const char* Bool(bool value) { return value ? "true" : "false"; }

// Asked of the control itself: GetWindowText would give another process's fields their first caption only.
std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return Utf8(text);
}

std::string ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return Utf8(name);
}

std::string Name(HWND control) {
  const ControlId id = ControlOfNumber(GetDlgCtrlID(control));
  for (const auto& [known, name] : kNames) {
    if (known == id) return name;
  }
  return std::string();
}

HWND Find(const std::string& name) {
  for (const auto& [id, known] : kNames) {
    if (name == known) {
      const int number = ControlNumber(id);
      HWND control = GetDlgItem(panel, number);
      // Controls inside a panel are its children, not the window's.
      if (control == nullptr) {
        for (const auto& [other, otherName] : kNames) {
          (void)otherName;
          const HWND holder = GetDlgItem(panel, ControlNumber(other));
          if (holder != nullptr && (control = GetDlgItem(holder, number)) != nullptr) break;
        }
      }
      return control;
    }
  }
  return nullptr;
}

// Typing goes to the text field of a combo box.
HWND TextTarget(HWND control) {
  const HWND inner = FindWindowExW(control, nullptr, L"Edit", nullptr);
  return inner != nullptr ? inner : control;
}

std::string RectJson(HWND window) {
  RECT place{};
  GetWindowRect(window, &place);
  MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&place), 2);
  std::ostringstream out;
  out << "[" << place.left << "," << place.top << "," << place.right - place.left << "," << place.bottom - place.top
      << "]";
  return out.str();
}

BOOL CALLBACK AddControl(HWND control, LPARAM listPointer) {
  auto& list = *reinterpret_cast<std::vector<std::string>*>(listPointer);
  const std::string name = Name(control);
  if (name.empty()) return TRUE;
  const std::string kind = ClassOf(control);
  std::ostringstream out;
  out << "{\"name\":" << Json(name) << ",\"class\":" << Json(kind) << ",\"text\":" << Json(WindowText(control))
      << ",\"visible\":" << Bool(IsWindowVisible(control)) << ",\"enabled\":" << Bool(IsWindowEnabled(control))
      << ",\"rect\":" << RectJson(control) << ",\"focus\":" << Bool(PanelFocus() == control);
  if (kind == "Button") out << ",\"checked\":" << Bool(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
  if (kind == "ComboBox") {
    out << ",\"selected\":" << SendMessageW(control, CB_GETCURSEL, 0, 0) << ",\"entries\":[";
    const LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::wstring entry(static_cast<std::size_t>(SendMessageW(control, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
      entry.resize(static_cast<std::size_t>(SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()))));
      out << (i > 0 ? "," : "") << Json(Utf8(entry));
    }
    out << "]";
  }
  out << "}";
  list.push_back(out.str());
  return TRUE;
}

struct BoxSearch {
  DWORD process;
  std::vector<HWND> boxes;
};

BOOL CALLBACK AddBox(HWND window, LPARAM searchPointer) {
  auto& search = *reinterpret_cast<BoxSearch*>(searchPointer);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search.process && IsWindowVisible(window) && ClassOf(window) == "#32770") search.boxes.push_back(window);
  return TRUE;
}

std::vector<HWND> MessageBoxes() {
  BoxSearch search{0, {}};
  GetWindowThreadProcessId(panel, &search.process);
  EnumWindows(&AddBox, reinterpret_cast<LPARAM>(&search));
  return search.boxes;
}

std::string BoxText(HWND box) {
  // The message is the box's static text without an icon.
  std::string text;
  for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
       child = FindWindowExW(box, child, L"Static", nullptr)) {
    const std::string part = WindowText(child);
    if (!part.empty()) text += part;
  }
  return text;
}

std::string Answer(const std::string& line) {
  std::istringstream in(line);
  std::string command;
  in >> command;
  if (command == "find") {
    int milliseconds = 0;
    in >> milliseconds;
    for (int waited = 0; (panel = FindWindowW(Wide(kPanelWindowClass).c_str(), nullptr)) == nullptr; waited += 50) {
      if (waited >= milliseconds) return "{\"found\":false}";
      Sleep(50);
    }
    RECT outer{};
    GetWindowRect(panel, &outer);
    RECT client{};
    GetClientRect(panel, &client);
    const LONG style = GetWindowLongW(panel, GWL_STYLE);
    std::ostringstream out;
    out << "{\"found\":true,\"caption\":" << Json(WindowText(panel)) << ",\"visible\":" << Bool(IsWindowVisible(panel))
        << ",\"outer\":[" << outer.left << "," << outer.top << "," << outer.right << "," << outer.bottom << "]"
        << ",\"client\":[" << client.right << "," << client.bottom << "]"
        << ",\"sizable\":" << Bool(style & WS_THICKFRAME) << ",\"maximize\":" << Bool(style & WS_MAXIMIZEBOX)
        << ",\"minimize\":" << Bool(style & WS_MINIMIZEBOX) << "}";
    return out.str();
  }
  if (command == "pointer") {
    int x = 0;
    int y = 0;
    in >> x >> y;
    SetCursorPos(x, y);
    return "{\"ok\":true}";
  }
  if (command == "service") {
    unsigned code = 0;
    in >> code;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager != nullptr ? OpenServiceW(manager, L"corvane", SERVICE_ALL_ACCESS) : nullptr;
    SERVICE_STATUS status{};
    const bool sent = service != nullptr && ControlService(service, code, &status);
    const DWORD error = sent ? 0 : GetLastError();
    if (service != nullptr) CloseServiceHandle(service);
    if (manager != nullptr) CloseServiceHandle(manager);
    return std::string("{\"sent\":") + Bool(sent) + ",\"code\":" + std::to_string(error) + "}";
  }
  if (command == "request") {
    std::string text;
    std::getline(in >> std::ws, text);
    const HWND transcoder = FindWindowA("CorvaneVlcWndClass", nullptr);
    const HWND field = transcoder != nullptr ? FindWindowExA(transcoder, nullptr, "obj_EDIT", nullptr) : nullptr;
    if (field != nullptr) SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return std::string("{\"ok\":") + Bool(field != nullptr) + "}";
  }
  if (command == "transcoder") {
    const HWND transcoder = FindWindowA("CorvaneVlcWndClass", nullptr);
    DWORD process = 0;
    if (transcoder != nullptr) GetWindowThreadProcessId(transcoder, &process);
    return std::string("{\"found\":") + Bool(transcoder != nullptr) + ",\"process\":" + std::to_string(process) + "}";
  }
  if (command == "running") {
    DWORD id = 0;
    in >> id;
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    const bool running = process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    if (process != nullptr) CloseHandle(process);
    return std::string("{\"running\":") + Bool(running) + "}";
  }
  if (command == "alive") return std::string("{\"alive\":") + Bool(panel != nullptr && IsWindow(panel)) + "}";
  if (panel == nullptr || !IsWindow(panel)) return "{\"error\":\"no panel window\"}";
  if (command == "controls") {
    std::vector<std::string> list;
    EnumChildWindows(panel, &AddControl, reinterpret_cast<LPARAM>(&list));
    std::string out = "[";
    for (std::size_t i = 0; i < list.size(); ++i) out += (i > 0 ? "," : "") + list[i];
    return out + "]";
  }
  if (command == "boxes") {
    std::string out = "[";
    for (HWND box : MessageBoxes()) {
      out += (out.size() > 1 ? "," : "") + std::string("{\"title\":") + Json(WindowText(box)) +
             ",\"text\":" + Json(BoxText(box)) + "}";
    }
    return out + "]";
  }
  if (command == "dismiss") {
    const std::vector<HWND> boxes = MessageBoxes();
    if (boxes.empty()) return "{\"error\":\"no message box\"}";
    PostMessageW(boxes.front(), WM_COMMAND, IDOK, 0);
    return "{\"ok\":true}";
  }
  std::string name;
  in >> name;
  const HWND control = Find(name);
  if (control == nullptr) return "{\"error\":\"no control " + name + "\"}";
  if (command == "type") {
    std::string text;
    std::getline(in >> std::ws, text);
    const HWND target = TextTarget(control);
    SendMessageW(target, EM_SETSEL, 0, -1);
    SendMessageW(target, WM_CHAR, VK_BACK, 0);
    for (const wchar_t c : Wide(text)) SendMessageW(target, WM_CHAR, c, 1);
    return "{\"ok\":true}";
  }
  if (command == "choose") {
    int index = -1;
    in >> index;
    SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
    return "{\"ok\":true}";
  }
  if (command == "click") {
    if (ClassOf(control) == "Static") {
      PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED),
                   reinterpret_cast<LPARAM>(control));
    } else {
      PostMessageW(control, BM_CLICK, 0, 0);
    }
    return "{\"ok\":true}";
  }
  if (command == "key") {
    std::string key;
    in >> key;
    PostMessageW(TextTarget(control), WM_KEYDOWN, key == "F1" ? VK_F1 : VK_ESCAPE, 1);
    return "{\"ok\":true}";
  }
  return "{\"error\":\"unknown command\"}";
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::cout << Answer(line) << std::endl;
  }
  return 0;
}
