// Fuzz target: dialog and menu templates as the window manager reads them from a module's
// resources, whose size it knows. Every field is read within that size: a template cut short
// anywhere (in a text, an item, the padding before an item, creation data) is refused.
#include "FuzzInput.h"

#include "DialogTemplate.h"
#include "MenuObject.h"

#include <user/Menu.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Menus need no window station, but keep anything that opens one away from the real home.
struct FuzzHome {
  FuzzHome() {
    if (std::getenv("TOLVAR_HOME")) return;
    std::string pattern = (std::filesystem::temp_directory_path() / "user-templates-fuzz-XXXXXX").string();
    if (char* dir = mkdtemp(pattern.data())) {
      setenv("TOLVAR_HOME", dir, 1);
      static const std::string made = dir;
      std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(made, ignored);
      });
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzHome home;
  FuzzInput input(data, size);
  const bool menu = input.Byte() & 1;
  const auto rest = input.Rest();
  // A block of exactly the template's size, so a read past its end is seen.
  const std::vector<BYTE> bytes(rest.begin(), rest.end());
  if (menu) {
    if (HMENU made = tolvar::user::MenuFromTemplate(bytes.data(), bytes.size())) DestroyMenu(made);
  } else if (auto dialog = tolvar::user::ParseDialogTemplate(bytes.data(), bytes.size())) {
    std::size_t total = dialog->caption.size() + dialog->face.size();
    for (const auto& item : dialog->items) total += item.className.size() + item.creationData.size();
    if (total > bytes.size() * 4) std::abort();  // nothing read can be longer than what was there
  }
  return 0;
}
