#pragma once
// One function per command family; CommandTable::Full() adds them all.
#include "../CommandTable.h"

namespace phonesim {

std::vector<CommandEntry> SystemCommands();

}  // namespace phonesim
