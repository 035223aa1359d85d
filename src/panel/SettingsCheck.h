#pragma once
// The check of the settings controls before they are written: a value the proxy cannot use is
// refused with a message, and the file and the controls stay as they were; a value the proxy reads
// otherwise than it is written is saved with a warning that says how it is read.
#include <string>

#include "netutil/InterfaceSelect.h"
#include "panel/PanelFields.h"
#include "panel/PanelLanguage.h"

struct FieldsCheck {
  std::string refusal;  // why the fields may not be saved; empty when they may
  std::string warning;  // what is read otherwise than written; empty when nothing is
};

// The port text must read as a port from 1 to 65535 (its leading number, as the proxy reads it); other
// characters after it are warned about. The multicast interface must be an address, or a ","-separated
// list of addresses and address@mask entries; the proxy stops reading the list at its first empty entry,
// so entries after one are warned about, and the entries before it must be usable.
FieldsCheck CheckPanelFields(const PanelFields& fields, PanelLanguage language);
