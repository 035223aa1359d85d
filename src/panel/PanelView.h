#pragma once
// The control table as a window description for the panel's window: control numbers, places in the window,
// captions in the chosen language.
#include "panel/PanelLanguage.h"
#include "panel/PanelLayout.h"
#include "panel/PanelWindow.h"

// The class by which the panel's window is found.
inline constexpr const char* kPanelWindowClass = "CorvanePanelWindow";
inline constexpr const char* kPanelIconName = "APPICON";
inline constexpr unsigned kStatusRefreshMilliseconds = 500;

// The number a control carries in the window (its child window id); ControlId::None for a foreign number.
int ControlNumber(ControlId id);
ControlId ControlOfNumber(int number);

// Every control of the table, hidden ones included; the window built hidden at the fitted height.
platform::WindowDescription PanelWindowDescription(PanelLanguage language, const std::string& caption);

// Where a covering panel goes to fill a group below its caption, in the window.
Rect CoverPlaceInWindow(ControlId group);
