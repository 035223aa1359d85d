#include "panel/PanelWindow.h"

#include "platform/Console.h"

namespace platform {

// No window system here: the panel reports through standard output instead.
struct PanelWindow::State {};

PanelWindow::PanelWindow() = default;
PanelWindow::~PanelWindow() = default;

bool PanelWindow::Available() { return false; }
bool PanelWindow::Create(const WindowDescription&, WindowHandlers) { return false; }
std::uintptr_t PanelWindow::Handle() const { return 0; }
void PanelWindow::SetText(int, const std::string&) {}
std::string PanelWindow::Text(int) const { return std::string(); }
void PanelWindow::SetEntries(int, const std::vector<std::string>&) {}
void PanelWindow::Select(int, int) {}
int PanelWindow::Selected(int) const { return -1; }
void PanelWindow::SetChecked(int, bool) {}
bool PanelWindow::Checked(int) const { return false; }
void PanelWindow::SetVisible(int, bool) {}
void PanelWindow::SetEnabled(int, bool) {}
void PanelWindow::Place(int, int, int, int, int) {}
void PanelWindow::Show() {}
void PanelWindow::Hide() {}
void PanelWindow::PostClose() {}
void PanelWindow::Close() {}
void PanelWindow::RunMessageLoop() {}
void PanelWindow::Message(const std::string& text) {
  // A message box breaks lines at CR; a terminal needs each line written as one.
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\r', start)) != std::string::npos; start = end + 1) {
    WriteStandardOutputLine(text.substr(start, end - start));
  }
  if (start < text.size()) WriteStandardOutputLine(text.substr(start));
}

}  // namespace platform
