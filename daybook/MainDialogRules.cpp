// The main dialog's rules; see MainDialogRules.h.
#include "MainDialogRules.h"

#include <user/User.h>

#include <algorithm>

namespace daybook {

Page NextPage(Page page) {
  switch (page) {
    case Page::Contacts: return Page::Schedule;
    case Page::Schedule: return Page::ToDo;
    case Page::ToDo: return Page::Contacts;
  }
  return Page::Contacts;
}

bool RefusedWhileEditing(UINT command) {
  static constexpr UINT kRefused[] = {
      CMD_FILE_NEW, CMD_FILE_OPEN, CMD_FILE_SAVE, CMD_FILE_SAVEAS, CMD_DOWNLOAD, CMD_UPLOAD, CMD_IMPORT_CSV,
      CMD_EXPORT_CSV, CMD_CLOSE, CMD_GET_RESOURCES, CMD_IMPORT_VCARD, CMD_EXPORT_VCARD, CMD_EXPORT_VCAL,
      CMD_IMPORT_VCAL, CMD_EXPORT_VCAL_TODO, CMD_IMPORT_VCAL_TODO,
  };
  return std::find(std::begin(kRefused), std::end(kRefused), command) != std::end(kRefused);
}

bool CanShowPage(Page target, const PendingEdits& pending) {
  for (int page = 0; page < 3; ++page) {
    if (page != static_cast<int>(target) && pending[static_cast<std::size_t>(page)]) return false;
  }
  return true;
}

KeyAction KeyActionFor(const KeyInput& in) {
  if (in.systemKey) return in.key == VK_F4 ? KeyAction::Swallow : KeyAction::Pass;
  switch (in.key) {
    case VK_ESCAPE: return in.renaming ? KeyAction::EmptyRenameThenPass : KeyAction::Swallow;
    case VK_RETURN:
      if (in.renaming) return KeyAction::Pass;
      return in.groupListFocused ? KeyAction::StartRename : KeyAction::Swallow;
    case VK_DOWN: return in.renaming ? KeyAction::EndRenameMoveDown : KeyAction::Pass;
    case VK_UP: return in.renaming ? KeyAction::EndRenameMoveUp : KeyAction::Pass;
    case VK_TAB: return in.ctrl ? KeyAction::NextPage : KeyAction::Pass;
    case VK_F4: return in.ctrl ? KeyAction::Close : KeyAction::Pass;
    case VK_F3: return in.page == Page::Schedule ? KeyAction::ToggleDaily : KeyAction::Pass;
    case kKeyF7: return KeyAction::GetResourceList;
    case kKeyF8: return KeyAction::Upload;
    case kKeyF9: return KeyAction::Download;
    case 'N': return in.ctrl ? KeyAction::New : KeyAction::Pass;
    case 'O': return in.ctrl ? KeyAction::Open : KeyAction::Pass;
    case 'S': return in.ctrl ? KeyAction::Save : KeyAction::Pass;
    default: return KeyAction::Pass;
  }
}

HeaderLayout LayoutHeader(int cx, const HeaderWidths& w) {
  return {cx - 8 - w.logo, cx - 282, cx - 292 - w.toDo, cx - 339 - w.schedule, cx - 385 - w.contacts,
          cx - 428 - w.title};
}

CloseOutcome AfterSaveQuestion(SaveAnswer answer, bool saved, bool fromLauncher) {
  switch (answer) {
    case SaveAnswer::NotAsked:
    case SaveAnswer::No: return {true, false};
    case SaveAnswer::Yes:
      // A save that failed or was cancelled keeps the dialog open; the launcher must hear that its
      // close did not go ahead.
      return saved ? CloseOutcome{true, false} : CloseOutcome{false, fromLauncher};
    case SaveAnswer::Cancel: return {false, true};
  }
  return {};
}

}  // namespace daybook
