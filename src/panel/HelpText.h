#pragma once
// The usage text shown by the Help button, F1, the "/?" switch and on the first run.
#include <string>

#include "panel/PanelFields.h"
#include "panel/PanelLanguage.h"

// 24 lines, each ended by a lone CR. address and port are what a player should use (the address as the
// address link shows it, the port text as typed); multicastCaption is the caption of the multicast
// interface label in the same language.
std::string HelpText(PanelLanguage language, const std::string& address, const std::string& port,
                     const std::string& multicastCaption);

// The text for the panel's current values: the displayed HTTP address, the port text as typed and the
// multicast label's caption.
std::string HelpTextFor(const PanelFields& fields, PanelLanguage language);
