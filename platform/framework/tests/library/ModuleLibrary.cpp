// A shared library built on the class library with resources of its own, as the suite's libraries
// with dialogs are: its exported function switches to its own module state, so the dialog and the
// string it asks for by id are its own although the program has resources with the same ids.
#include <framework/Afx.h>

#include <cstring>

extern "C" int ModuleLibraryTexts(char* caption, int captionSize, char* text, int textSize) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  CString string;
  if (!string.LoadString(1)) return FALSE;
  std::strncpy(text, string, static_cast<size_t>(textSize - 1));
  text[textSize - 1] = 0;
  CDialog dialog(100);
  if (!dialog.Create(100)) return FALSE;
  ::GetWindowTextA(dialog.m_hWnd, caption, captionSize);
  dialog.DestroyWindow();
  return TRUE;
}

// The resource handle a caller sees from inside the library's state.
extern "C" HINSTANCE ModuleLibraryResourceHandle() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  return AfxGetResourceHandle();
}
