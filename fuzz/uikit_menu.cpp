// The kit's readers of menu resources: a menu template walked into GlyphMenu records (then searched,
// changed and re-read as programs do) and a toolbar record read for its command images.
#include "FuzzInput.h"

#include "GlyphMenu.h"
#include "MenuImageToolBar.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Menus need no window station, but keep anything that opens one away from the real home.
struct FuzzHome {
  FuzzHome() {
    if (getenv("TOLVAR_HOME")) return;
    std::string pattern = (std::filesystem::temp_directory_path() / "uikit-fuzz-XXXXXX").string();
    if (char* dir = mkdtemp(pattern.data())) setenv("TOLVAR_HOME", dir, 1);
  }
};
FuzzHome g_home;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const int mode = input.Below(2);
  const UINT command = static_cast<UINT>(input.Below(0x10000));
  const char letter = static_cast<char>('a' + input.Below(26));
  const auto rest = input.Rest();
  if (mode == 1) {
    MenuImageToolBar toolbar;
    if (toolbar.ReadRecord(rest)) {
      for (int p = 0; p < static_cast<int>(toolbar.Buttons().size()); ++p) toolbar.ImageOfButton(p);
      toolbar.ImageOfCommand(command);
    }
    return 0;
  }
  GlyphMenu menu;
  if (!menu.LoadMenuTemplate(rest)) return 0;
  menu.ModifyItem("changed", command);
  CString text;
  menu.GetItemText(command, text, MF_BYCOMMAND);
  menu.GetItemText(command % 8, text, MF_BYPOSITION);
  for (int p = 0; p < ::GetMenuItemCount(menu); ++p) {
    HMENU sub = ::GetSubMenu(menu, p);
    if (!sub) continue;
    menu.FindMenuChar(static_cast<UINT>(letter), MF_POPUP, sub);
    if (GlyphMenu* level = menu.SubMenu(sub)) {
      level->FindPopup("changed");
      ::AppendMenuA(sub, MF_STRING, 1, "&added");
      level->SyncItems();
    }
  }
  return 0;
}
