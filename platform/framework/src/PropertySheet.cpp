// Wizards: the sheet's run on the platform's wizard sheet with the sheet object attached to its
// window, the pages' records made from their objects, the page objects attached at WM_INITDIALOG,
// and the sheet's notifications turned into the pages' virtual functions.
#include <framework/App.h>
#include <framework/ModuleState.h>
#include <framework/PropertySheet.h>

#include <resources/Resource.h>

#include "ThreadState.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

// ---- CPropertyPage -------------------------------------------------------------------------------

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId), m_nIDTemplate(templateId) {
  m_psp.dwSize = sizeof m_psp;
  // The template, and the texts, of the module that is current now: a library's pages are its own.
  m_psp.hInstance = AfxGetResourceHandle();
  if (captionId != 0) m_strCaption.LoadString(captionId);
}

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId, UINT headerTitleId, UINT headerSubTitleId)
    : CPropertyPage(templateId, captionId) {
  if (headerTitleId != 0) m_strHeaderTitle.LoadString(headerTitleId);
  if (headerSubTitleId != 0) m_strHeaderSubTitle.LoadString(headerSubTitleId);
}

BOOL CPropertyPage::PreparePage() {
  m_psp.dwSize = sizeof m_psp;
  m_psp.dwFlags &= ~(PSP_DLGINDIRECT | PSP_USETITLE | PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE);
  // By id, not by the template's bytes: a page's answer that names a template id finds its page.
  m_psp.pszTemplate = MAKEINTRESOURCEA(static_cast<WORD>(m_nIDTemplate));
  m_psp.pfnDlgProc = &PageProc;
  m_psp.lParam = reinterpret_cast<LPARAM>(this);
  const std::pair<const CString*, std::pair<DWORD, LPCSTR*>> texts[] = {
      {&m_strCaption, {PSP_USETITLE, &m_psp.pszTitle}},
      {&m_strHeaderTitle, {PSP_USEHEADERTITLE, &m_psp.pszHeaderTitle}},
      {&m_strHeaderSubTitle, {PSP_USEHEADERSUBTITLE, &m_psp.pszHeaderSubTitle}},
  };
  for (const auto& [text, use] : texts) {
    if (text->IsEmpty()) continue;
    m_psp.dwFlags |= use.first;
    *use.second = *text;
  }
  return FindResourceA(m_psp.hInstance, m_psp.pszTemplate, RT_DIALOG) != nullptr;
}

INT_PTR CPropertyPage::PageProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
  auto* page = record ? reinterpret_cast<CPropertyPage*>(record->lParam) : nullptr;
  if (!page) return TRUE;
  if (page->m_hWnd != window && !page->SubclassWindow(window)) return TRUE;
  return page->OnInitDialog();
}

void CPropertyPage::SetModified(BOOL changed) {
  if (!m_hWnd) return;
  ::SendMessageA(::GetParent(m_hWnd), changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CPropertyPage::CancelToClose() {
  if (m_hWnd) ::SendMessageA(::GetParent(m_hWnd), PSM_CANCELTOCLOSE, 0, 0);
}

BOOL CPropertyPage::OnSetActive() {
  if (m_bFirstSetActive) {
    m_bFirstSetActive = FALSE;  // OnInitDialog has just loaded the controls
  } else {
    UpdateData(FALSE);
  }
  return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

BOOL CPropertyPage::OnApply() {
  OnOK();
  return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }

BOOL CPropertyPage::OnQueryCancel() { return TRUE; }

LRESULT CPropertyPage::OnWizardBack() { return 0; }

LRESULT CPropertyPage::OnWizardNext() { return 0; }

BOOL CPropertyPage::OnWizardFinish() { return OnKillActive(); }

void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header || header->hwndFrom != ::GetParent(m_hWnd)) return CDialog::OnNotify(wParam, lParam, result);
  LRESULT answer = 0;
  switch (header->code) {
    case PSN_SETACTIVE: answer = OnSetActive() ? 0 : -1; break;
    case PSN_KILLACTIVE: answer = OnKillActive() ? FALSE : TRUE; break;
    case PSN_APPLY: answer = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE; break;
    case PSN_RESET: OnReset(); break;
    case PSN_QUERYCANCEL: answer = OnQueryCancel() ? FALSE : TRUE; break;
    case PSN_WIZBACK: answer = OnWizardBack(); break;
    case PSN_WIZNEXT: answer = OnWizardNext(); break;
    case PSN_WIZFINISH: answer = OnWizardFinish() ? FALSE : TRUE; break;
    default: return CDialog::OnNotify(wParam, lParam, result);
  }
  // The sheet reads a page's answer where dialogs leave it.
  ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, answer);
  *result = answer;
  return TRUE;
}

// ---- CPropertySheet ------------------------------------------------------------------------------

void CPropertySheet::CommonConstruct(CWnd* parent, UINT selectPage) {
  m_psh.dwSize = sizeof m_psh;
  m_psh.nStartPage = selectPage;
  m_pParentWnd = parent;
}

CPropertySheet::CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage) {
  CommonConstruct(parent, selectPage);
  if (captionId != 0) m_strCaption.LoadString(captionId);
}

CPropertySheet::CPropertySheet(LPCSTR caption, CWnd* parent, UINT selectPage) {
  CommonConstruct(parent, selectPage);
  m_strCaption = caption ? caption : "";
}

CPropertySheet::CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage, HBITMAP watermark, HPALETTE palette,
                               HBITMAP header)
    : CPropertySheet(captionId, parent, selectPage) {
  m_psh.dwFlags |= PSH_WIZARD97;
  if (watermark) {
    m_psh.dwFlags |= PSH_WATERMARK | PSH_USEHBMWATERMARK;
    m_psh.hbmWatermark = watermark;
  }
  if (header) {
    m_psh.dwFlags |= PSH_HEADER | PSH_USEHBMHEADER;
    m_psh.hbmHeader = header;
  }
  m_psh.hplWatermark = palette;
}

CPropertySheet::CPropertySheet(LPCSTR caption, CWnd* parent, UINT selectPage, HBITMAP watermark, HPALETTE palette,
                               HBITMAP header)
    : CPropertySheet(0u, parent, selectPage, watermark, palette, header) {
  m_strCaption = caption ? caption : "";
}

void CPropertySheet::SetWizardMode() {
  if (!(m_psh.dwFlags & PSH_WIZARD97)) m_psh.dwFlags |= PSH_WIZARD;
}

void CPropertySheet::PreSubclassWindow() {
  m_sheetMade = true;
  CWnd::PreSubclassWindow();
}

INT_PTR CPropertySheet::DoModal() {
  if (m_pages.empty() || !(m_psh.dwFlags & (PSH_WIZARD | PSH_WIZARD97))) return -1;
  // The pages' records; the running sheet owns them from the moment it is made.
  std::vector<HPROPSHEETPAGE> handles;
  auto release = [&handles] {
    for (HPROPSHEETPAGE handle : handles) DestroyPropertySheetPage(handle);
  };
  for (CPropertyPage* page : m_pages) {
    HPROPSHEETPAGE handle = page->PreparePage() ? CreatePropertySheetPageA(&page->m_psp) : nullptr;
    if (!handle) {
      release();
      return -1;
    }
    handles.push_back(handle);
    page->m_bFirstSetActive = TRUE;
  }
  m_psh.dwSize = sizeof m_psh;
  m_psh.dwFlags &= ~PSH_PROPSHEETPAGE;
  m_psh.phpage = handles.data();
  m_psh.nPages = static_cast<UINT>(handles.size());
  m_psh.pszCaption = m_strCaption;
  if (!m_psh.hInstance) m_psh.hInstance = AfxGetResourceHandle();
  // The owner is the top-level window of the parent (else of the main window); the sheet disables
  // it meanwhile.
  CWnd* parentObject = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
  HWND owner = parentObject ? parentObject->m_hWnd : nullptr;
  while (owner && (GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
  m_psh.hwndParent = owner;

  m_sheetMade = false;
  INT_PTR shown = -1;
  {
    tolvar::framework::CreatingWindow attach(this);  // the sheet's window is the first one made
    shown = PropertySheetA(&m_psh);
  }
  if (!m_sheetMade) release();
  m_psh.phpage = nullptr;
  m_psh.nPages = 0;
  switch (shown) {
    case 1: return ID_WIZFINISH;
    case 0: return IDCANCEL;
    default: return -1;
  }
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (!page) return;
  m_pages.push_back(page);
  if (!m_hWnd) return;
  HPROPSHEETPAGE handle = page->PreparePage() ? CreatePropertySheetPageA(&page->m_psp) : nullptr;
  page->m_bFirstSetActive = TRUE;
  if (handle && ::SendMessageA(m_hWnd, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle))) return;
  if (handle) DestroyPropertySheetPage(handle);
  m_pages.pop_back();  // the running sheet has no such page: neither has the object
}

void CPropertySheet::RemovePage(CPropertyPage* page) { RemovePage(GetPageIndex(page)); }

void CPropertySheet::RemovePage(int index) {
  if (index < 0 || index >= GetPageCount()) return;
  if (m_hWnd) ::SendMessageA(m_hWnd, PSM_REMOVEPAGE, static_cast<WPARAM>(index), 0);
  m_pages.erase(m_pages.begin() + index);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
  for (size_t i = 0; i < m_pages.size(); ++i) {
    if (m_pages[i] == page) return static_cast<int>(i);
  }
  return -1;
}

int CPropertySheet::GetActiveIndex() const {
  if (!m_hWnd) return static_cast<int>(m_psh.nStartPage);
  const LRESULT page = ::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0);
  return static_cast<int>(::SendMessageA(m_hWnd, PSM_HWNDTOINDEX, static_cast<WPARAM>(page), 0));
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

BOOL CPropertySheet::SetActivePage(int index) {
  if (index < 0 || index >= GetPageCount()) return FALSE;
  if (!m_hWnd) {
    m_psh.nStartPage = static_cast<UINT>(index);
    return TRUE;
  }
  return static_cast<BOOL>(::SendMessageA(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(index), 0));
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }

void CPropertySheet::SetTitle(LPCSTR title) {
  m_strCaption = title ? title : "";
  if (m_hWnd) ::SendMessageA(m_hWnd, PSM_SETTITLEA, 0, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(m_strCaption)));
}
