#pragma once
// The check of the settings controls before they are written: a value the proxy cannot use is
// refused with a message, and the file and the controls stay as they were.
#include <string>

#include "netutil/InterfaceSelect.h"
#include "panel/PanelFields.h"
#include "panel/PanelLanguage.h"

// The message that says what is wrong, empty when the fields may be saved. The port must be a number
// from 1 to 65535; the multicast interface an address, or a ","-separated list of addresses and
// address@mask entries without an empty entry before the last one (the proxy stops reading there).
std::string CheckPanelFields(const PanelFields& fields, PanelLanguage language);
