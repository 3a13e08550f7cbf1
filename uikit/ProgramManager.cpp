// The one pointer to the program's phone manager, and the answers the controls need from it.
#include "ProgramManager.h"

#include <handport/Manager.h>

#include <cstring>

namespace {
CManager* g_manager = nullptr;
// The phone's group names hold 20 characters and a terminator, in bytes of its UTF-8.
constexpr int kPhoneGroupNameSize = 21;
}  // namespace

void SetProgramManager(CManager* manager) { g_manager = manager; }
CManager* GetProgramManager() { return g_manager; }

int ProgramUTF8Length(const char* text) {
  if (g_manager) return g_manager->GetUTF8Length(text);
  return static_cast<int>(std::strlen(text));
}

int ProgramGroupMaxNameSize() { return g_manager ? g_manager->GetGroupMaxNameSize() : kPhoneGroupNameSize; }
