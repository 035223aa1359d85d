#pragma once
// The program without a mode switch: the control panel window, or where there is no window system, its
// help text and states on standard output. "/install", "/remove" and "/?" are handled without showing it.
#include <string>

#include "panel/PanelOperations.h"

// Runs the panel until its window closes; returns the process exit code.
int RunControlPanel(const PanelSwitches& switches, const PanelOperations& operations);

// Every message of the control panel: a modal message box owned by the open panel window (hidden or not)
// with its caption as title; standard output where there is no window. The program entry hands it to the
// service operations as the place for their messages.
void PanelMessage(const std::string& text);
