#pragma once
// Reading the settings file into the control panel and writing it back from the controls. The file is
// single-byte text in the system's code page; the fields are UTF-8.
#include <string>

#include "panel/PanelFields.h"
#include "panel/PanelLanguage.h"

enum class SettingsLoad { Missing, Loaded, Unreadable };

// Lines 1 to 5 into the fields (LoadSettingsLines). A file that exists but cannot be read leaves the
// defaults in place, and Save enabled, rather than showing empty values that a save would store;
// message then says so.
SettingsLoad LoadPanelSettings(const std::string& fileName, PanelFields& fields, PanelLanguage language,
                               std::string& message);

struct SaveResult {
  bool saved = false;
  std::string message;  // for the user: why nothing was saved, or when saved what is read otherwise
};

// Checks the fields (CheckPanelFields), converts them to the system's code page and replaces the whole
// file. When anything fails the file keeps its previous content, the fields are not touched and the
// message says why; the actions that save first stop there. Saved, the message holds the check's warning.
SaveResult SaveSettings(const std::string& fileName, const PanelFields& fields, PanelLanguage language);
