#pragma once
// The control panel over the real service module and the transcoder's window.
#include <string>
#include <vector>

#include "panel/PanelOperations.h"

// What the panel makes of the command line.
PanelSwitches PanelSwitchesOf(const std::vector<std::string>& arguments);

// The program without a mode switch (also "/install", "/remove" and "/?"); returns the process exit code.
int RunControlPanelMode();
