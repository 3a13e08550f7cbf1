// The controls' classes, registered through the window manager's class providers: the first lookup of
// a class this process has not registered (a dialog template naming "Button" or atom 0x80, a
// CreateWindowEx) registers them all. The library adds its provider when it is loaded; every program
// linking it carries a reference (LinkControls.cpp) so that it is loaded even when the program names
// nothing of it.
#include "Common.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <mutex>

namespace tolvar::controls {
namespace {

struct ClassEntry {
  const char* name;
  WNDPROC procedure;
  UINT style;
  int cursor;          // a system cursor id
  int background;      // a system colour + 1, or 0 for none
};

// The extra bytes hold the pointer to each control's state.
const ClassEntry kClasses[] = {
    {"Button", ButtonProc, CS_DBLCLKS | CS_PARENTDC, 32512, 0},
    {"Static", StaticProc, CS_DBLCLKS | CS_PARENTDC, 32512, 0},
    {"Edit", EditProc, CS_DBLCLKS | CS_PARENTDC, 32513, 0},
    {"ListBox", ListBoxProc, CS_DBLCLKS | CS_PARENTDC, 32512, 0},
    {"ComboLBox", ListBoxProc, CS_DBLCLKS | CS_SAVEBITS, 32512, 0},
    {"ComboBox", ComboBoxProc, CS_DBLCLKS | CS_PARENTDC | CS_VREDRAW | CS_HREDRAW, 32512, 0},
    {"msctls_progress32", ProgressProc, CS_VREDRAW | CS_HREDRAW, 32512, 0},
    {"tooltips_class32", ToolTipProc, CS_DBLCLKS | CS_SAVEBITS, 32512, 0},
    {"ComboBoxEx32", ComboBoxExProc, CS_DBLCLKS, 32512, 0},
    {"SysHeader32", HeaderProc, CS_DBLCLKS, 32512, 0},
    {"SysListView32", ListViewProc, CS_DBLCLKS, 32512, 0},
    {"msctls_statusbar32", StatusBarProc, CS_DBLCLKS | CS_VREDRAW | CS_HREDRAW, 32512, 0},
    {"SysMonthCal32", MonthCalendarProc, CS_DBLCLKS, 32512, 0},
    {"SysDateTimePick32", DateTimePickerProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, 32512, 0},
};

void RegisterClasses() {
  for (const ClassEntry& entry : kClasses) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = entry.style | CS_GLOBALCLASS;
    wc.lpfnWndProc = entry.procedure;
    wc.cbWndExtra = kStateBytes;
    wc.hCursor = LoadCursorA(nullptr, MakeSystemResource(static_cast<WORD>(entry.cursor)));
    wc.hbrBackground = entry.background ? reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(entry.background)) : nullptr;
    wc.lpszClassName = entry.name;
    RegisterClassExA(&wc);
  }
}

// The provider runs at most once per process; InitCommonControls registers at once.
std::once_flag g_registered;
void Provide() { std::call_once(g_registered, RegisterClasses); }

// Loading the library adds the provider.
const bool g_providerAdded = [] {
  user::AddClassProvider(Provide);
  return true;
}();

}  // namespace

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace tolvar::controls

extern "C" void TolvarLinkControls() {}

void InitCommonControls() { tolvar::controls::Provide(); }

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  tolvar::controls::Provide();
  return TRUE;
}
