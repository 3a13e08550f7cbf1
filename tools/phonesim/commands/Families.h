#pragma once
// One function per command family; CommandTable::Full() adds them all, with the control lines
// that some families offer.
#include "../CommandTable.h"

namespace phonesim {

std::vector<CommandEntry> SystemCommands();
std::vector<CommandEntry> LockCommands();
std::vector<CommandEntry> FlashFileCommands();
std::vector<CommandEntry> MediaCommands();
std::vector<CommandEntry> MessageCommands();
std::vector<CommandEntry> MailCommands();

// Control lines of the families.
std::vector<ControlEntry> LockControls();

}  // namespace phonesim
