#pragma once
// ControlPanelWindow: the settings fields, the states and the mode actions over one platform window.
// The fields are the panel's own (PanelFields); the window shows them, and user edits flow back through
// the change reaction. Without a window system the same object runs headless.
#include <string>

#include "panel/ModeDecisions.h"
#include "panel/PanelFields.h"
#include "panel/PanelLanguage.h"
#include "panel/PanelOperations.h"
#include "panel/PanelSettingsFile.h"
#include "panel/PanelWindow.h"
#include "panel/StatusView.h"
#include "platform/Process.h"

class ControlPanelWindow {
 public:
  ControlPanelWindow(const PanelSwitches& switches, const PanelOperations& operations);
  ControlPanelWindow(const ControlPanelWindow&) = delete;
  ControlPanelWindow& operator=(const ControlPanelWindow&) = delete;
  ~ControlPanelWindow();

  // The start-up sequence, the switches and the message loop; the exit code.
  int Run();
  // In the window's message box; for "/install" and "/remove" to the prompt they were given at (a message
  // box where there is none).
  void Message(const std::string& text);
  // What needs no answer: in the window's message box; for "/install" and "/remove" a line on the prompt's
  // error stream, and nothing where there is none, so that an unattended run never waits for a click.
  void Note(const std::string& text);

 private:
  // Start-up and the window's contents.
  void ShowFields();
  void OnControlUsed(int number);
  void OnSettingsEdited(ControlId id);
  void RefreshStatus();
  void ApplyUpdate(const ControlUpdate& update);
  void AfterRefresh();
  int RunServiceSwitch(bool install);
  void PrintConsolePanel();

  // Actions (PanelActions.cpp).
  bool SaveFirst(bool forAppStart);
  void Save();
  void ShowHelp();
  void LaunchUserMode();
  // Each is false when a step failed; the step has said why.
  bool InstallProxyService();
  // The install and start of InstallProxyService, for settings saved already.
  bool InstallAndStartSaved();
  RemoveOutcome RemoveProxyService();
  bool StartProxyService();
  void StopProxyService();
  void RestartServiceAfterSave();
  void FinishRestartAfterClose();
  void LaunchTranscoder();
  void CloseTranscoder();
  void CheckForeignService();
  void OperateForeignService();
  void ShowCover(bool shown);
  void AddFirewallException();
  void OpenAddress(const std::string& address);
  void StartOrReport(const std::string& commandLine, platform::ProgramWindow window);

  const PanelSwitches switches_;
  const PanelOperations& operations_;
  platform::PanelWindow window_;
  PanelLanguage language_ = PanelLanguage::English;
  std::string settingsFile_;
  PanelFields fields_;
  StatusView shown_;
  bool coverShown_ = false;
  bool reportToPrompt_ = false;
  ServiceRestart restart_;
};
