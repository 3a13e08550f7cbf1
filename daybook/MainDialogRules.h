#pragma once
// The main dialog's rules, without windows: the page cycle, which commands an open edit refuses
// (message 398), what a key does, where the layout puts the header controls, and how the save
// question ends a close.
#include <base/WinDef.h>

#include <array>

namespace daybook {

enum class Page { Contacts = 0, Schedule = 1, ToDo = 2 };
using PendingEdits = std::array<bool, 3>;  // per page: its edit-confirm button is enabled

Page NextPage(Page page);  // Ctrl+Tab: contacts, schedule, to-do, contacts

// Commands of the main dialog.
enum : UINT {
  CMD_FILE_NEW = 32771, CMD_FILE_OPEN = 32772, CMD_FILE_SAVE = 32773, CMD_FILE_SAVEAS = 32774,
  CMD_DOWNLOAD = 32775, CMD_UPLOAD = 32776, CMD_IMPORT_CSV = 32777, CMD_EXPORT_CSV = 32778, CMD_CLOSE = 32779,
  CMD_NEW_ITEM = 32784, CMD_DELETE_ALL = 32785, CMD_GET_RESOURCES = 32787, CMD_IMPORT_VCARD = 32788,
  CMD_EXPORT_VCARD = 32789, CMD_EXPORT_VCAL = 32790, CMD_IMPORT_VCAL = 32791, CMD_EXPORT_POPUP = 32792,
  CMD_FIND = 32793, CMD_EXPORT_VCAL_TODO = 32794, CMD_IMPORT_VCAL_TODO = 32795, CMD_RESET_GROUPS = 32796,
  CMD_DELETE_ITEM = 65535,
};
constexpr UINT kPendingEditText = 398;

// Function keys the platform's key list lacks (Windows' virtual-key values).
constexpr UINT kKeyF7 = 0x76, kKeyF8 = 0x77, kKeyF9 = 0x78;

// Document, transfer and exchange commands and Close are refused while any page has an open edit.
bool RefusedWhileEditing(UINT command);
// A page can be shown unless one of the other two has an open edit.
bool CanShowPage(Page target, const PendingEdits& pending);
inline bool AnyPending(const PendingEdits& p) { return p[0] || p[1] || p[2]; }

struct KeyInput {
  UINT key = 0;
  bool systemKey = false;         // WM_SYSKEYDOWN (Alt held)
  bool ctrl = false;              // Ctrl is down now
  bool renaming = false;          // a group name is being edited
  bool groupListFocused = false;
  Page page = Page::Contacts;
};

enum class KeyAction {
  Pass,             // the dialog's normal handling
  Swallow,
  EmptyRenameThenPass,  // Escape while renaming: the editor's text is emptied, the rename cancelled
  StartRename,
  EndRenameMoveDown,
  EndRenameMoveUp,
  NextPage,
  Close,
  ToggleDaily,
  GetResourceList,
  Upload,
  Download,
  New,
  Open,
  Save,
};
// F4 closes only while Ctrl is held: an earlier Ctrl press does not count.
KeyAction KeyActionFor(const KeyInput& input);

// The header controls' positions for a client width.
struct HeaderLayout {
  int logoX, headerWidth, toDoX, scheduleX, contactsX, titleX;
};
struct HeaderWidths {
  int logo, toDo, schedule, contacts, title;
};
HeaderLayout LayoutHeader(int clientWidth, const HeaderWidths& widths);

// How a close ends after the save question. `fromLauncher`: the launcher's close request.
enum class SaveAnswer { NotAsked, Yes, No, Cancel };
struct CloseOutcome {
  bool closes = false;
  bool postRefused = false;  // WM_CHILD_CLOSE_REFUSED to the launcher
  friend bool operator==(const CloseOutcome&, const CloseOutcome&) = default;
};
CloseOutcome AfterSaveQuestion(SaveAnswer answer, bool saved, bool fromLauncher);

}  // namespace daybook
