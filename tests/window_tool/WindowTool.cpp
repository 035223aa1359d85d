// Finds and works the windows that processes of the program make, for the end-to-end tests, and plays the outside
// TV viewer's window. Reads one command per line on standard input and answers each with one line:
//   text CLASS   "found " + the text of the window's text field, or "missing" when there is no such window
//   close CLASS  posts the window a close: "posted", or "missing"
//   viewer       makes the viewer's window (class "TMain", title "BrevikFly2000TV") on a thread of its own: "ready"
//   messages     "messages" and the numbers of the messages the viewer was posted so far, in order
//   processes EXE  "processes" and how many processes of that program file name run
//   quit         closes the viewer's window and ends: "bye"
#include <windows.h>

#include <tlhelp32.h>

#include <cstdint>
#include <future>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/MessageWindow.h"

namespace {

constexpr const char* kViewerClass = "TMain";
constexpr const char* kViewerTitle = "BrevikFly2000TV";

class Viewer {
 public:
  ~Viewer() {
    if (!thread_.joinable()) return;
    platform::PostWindowClose(platform::FindMessageWindow(kViewerClass, kViewerTitle));
    thread_.join();
  }

  bool Start() {
    if (thread_.joinable()) return true;
    std::promise<bool> made;
    std::future<bool> result = made.get_future();
    thread_ = std::thread([this, &made] {
      platform::MessageWindowHandlers handlers;
      handlers.onUserMessage = [this](std::uint32_t message) {
        const std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(message);
      };
      std::unique_ptr<platform::MessageWindow> window;
      handlers.onClose = [&window] { window->Quit(); };
      window = platform::MessageWindow::Create(kViewerClass, kViewerTitle, std::move(handlers), 0);
      made.set_value(window != nullptr);
      if (window != nullptr) window->Run();
    });
    return result.get();
  }

  std::string Messages() {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::string line = "messages";
    for (std::uint32_t message : messages_) line += " " + std::to_string(message);
    return line;
  }

 private:
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::uint32_t> messages_;
};

int CountProcesses(const std::string& exeName) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

std::string Answer(const std::string& command, const std::string& argument, Viewer& viewer) {
  if (command == "text") {
    const platform::WindowRef window = platform::FindMessageWindow(argument, std::string());
    std::string text;
    return window.Found() && platform::ReadWindowText(window, text, 30000) ? "found " + text : "missing";
  }
  if (command == "close") {
    const platform::WindowRef window = platform::FindMessageWindow(argument, std::string());
    return window.Found() && platform::PostWindowClose(window) ? "posted" : "missing";
  }
  if (command == "viewer") return viewer.Start() ? "ready" : "failed";
  if (command == "messages") return viewer.Messages();
  if (command == "processes") return "processes " + std::to_string(CountProcesses(argument));
  return "unknown command " + command;
}

}  // namespace

int main() {
  Viewer viewer;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string command;
    std::string argument;
    words >> command >> argument;
    if (command == "quit") break;
    std::cout << Answer(command, argument, viewer) << std::endl;
  }
  std::cout << "bye" << std::endl;
  return 0;
}
