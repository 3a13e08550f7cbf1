// A library built with the kit, as the exchange libraries are: its own copy of the kit, a string
// loader bound under the program's name, and the kit's message box among its own resources.
#include <MessageBoxDlg.h>
#include <StringLoader.h>

#include <framework/ModuleState.h>

#include <algorithm>
#include <cstring>

namespace {

CStringLoader g_strings("KitTest");

}  // namespace

extern "C" int KitLib_ShowMessage(const char* text, const char* caption, UINT type) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  return ShowMessageBox(text, caption, type);
}

// The run-time record of this copy's message box class.
extern "C" const void* KitLib_MessageBoxClass() { return RUNTIME_CLASS(CMessageBoxDlg); }

// A text of this copy's loader, fetched afresh, NUL-terminated in `size` bytes.
extern "C" void KitLib_LoadText(UINT id, char* buffer, int size) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  const CString text = LoadText(id);
  const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(text.GetLength()),
                                                   static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, static_cast<LPCSTR>(text), length);
  buffer[length] = '\0';
}
