#pragma once
// The control panel where there is no window: what it prints to standard output.
#include <string>
#include <vector>

#include "panel/PanelFields.h"
#include "panel/PanelLanguage.h"
#include "panel/StatusView.h"

// The help text for the fields, one console line per text line (the CR line ends dropped, the blanks
// kept), where the playlist goes and the address that serves it, an empty line, then the application,
// service and transcoder state texts of the view, one line each, and while a transcoder runs, how to stop it.
std::vector<std::string> ConsolePanelLines(const PanelFields& fields, const StatusView& view, PanelLanguage language);
