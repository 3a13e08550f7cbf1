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

namespace {
// A page of the library's own, telling the caller where it is shown.
class CLibraryPage : public CPropertyPage {
public:
  explicit CLibraryPage(void (*shown)(HWND)) : CPropertyPage(200), m_shown(shown) {}
  BOOL OnSetActive() override {
    if (CWnd* sheet = GetParent(); sheet && sheet->IsKindOf(RUNTIME_CLASS(CPropertySheet))) {
      static_cast<CPropertySheet*>(sheet)->SetWizardButtons(PSWIZB_FINISH);
    }
    if (m_shown) m_shown(m_hWnd);
    return CPropertyPage::OnSetActive();
  }

private:
  void (*m_shown)(HWND);
};
}  // namespace

// A one-page wizard of the library's, captioned with its string 1, as the suite's wizard library
// runs its sheet: its page template is the library's although the program has one of that id.
extern "C" INT_PTR ModuleLibraryWizard(void (*shown)(HWND page)) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  CLibraryPage page(shown);
  CPropertySheet sheet(1u, nullptr, 0, nullptr);
  sheet.AddPage(&page);
  return sheet.DoModal();
}
