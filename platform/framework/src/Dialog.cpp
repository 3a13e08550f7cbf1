// Dialogs: creation from a template with the object attached before the first message, the modal
// run on the class library's own loop, OK and Cancel, the dialog keys through PreTranslateMessage,
// and the process's dialog colours.
#include <framework/App.h>
#include <framework/Dialog.h>
#include <framework/ModuleState.h>

#include <gdi/Gdi.h>
#include <resources/Resource.h>

#include "ThreadState.h"

#include <utility>

using tolvar::framework::Thread;

IMPLEMENT_DYNAMIC(CDialog, CWnd)

const AFX_MSGMAP* CDialog::GetMessageMap() const {
  static const AFX_MSGMAP map{CWnd::GetMessageMap(),
                              {
                                  MapCommand(IDOK, &CDialog::OnOK),
                                  MapCommand(IDCANCEL, &CDialog::OnCancel),
                                  MapMessage(WM_CTLCOLORDLG, &CDialog::OnCtlColorBk),
                                  MapMessage(WM_CTLCOLORMSGBOX, &CDialog::OnCtlColorBk),
                                  MapMessage(WM_CTLCOLORSTATIC, &CDialog::OnCtlColorBk),
                                  MapMessage(WM_CTLCOLORBTN, &CDialog::OnCtlColorBk),
                              }};
  return &map;
}

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_lpszTemplateName(MAKEINTRESOURCEA(static_cast<WORD>(templateId))), m_nIDHelp(templateId), m_pParentWnd(parent) {}

CDialog::CDialog(LPCSTR templateName, CWnd* parent) : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}

namespace {

// Whether the dialog being created from its template is one the class library centres: a template
// that names no place (x and y 0) and no placing of its own (DS_CENTER, DS_CENTERMOUSE, DS_ABSALIGN).
thread_local bool t_autoCenter = false;

bool TemplateAsksCentring(LPCDLGTEMPLATE dialogTemplate) {
  const auto* b = reinterpret_cast<const BYTE*>(dialogTemplate);
  const auto u16 = [b](std::size_t at) { return static_cast<WORD>(b[at] | (b[at + 1] << 8)); };
  const auto u32 = [&](std::size_t at) { return static_cast<DWORD>(u16(at) | (static_cast<DWORD>(u16(at + 2)) << 16)); };
  const bool extended = u16(0) == 1 && u16(2) == 0xFFFF;
  const DWORD style = extended ? u32(12) : u32(0);
  const WORD x = extended ? u16(18) : u16(10), y = extended ? u16(20) : u16(12);
  return !(style & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) && x == 0 && y == 0;
}

// After WM_INITDIALOG, as the class library does: a dialog still hidden, not moved meanwhile, and
// modal (its owner disabled) or unowned is centred over its owner, else over the work area.
void CentreAfterInit(HWND dialog, const RECT& before, DWORD styleBefore) {
  if (!::IsWindow(dialog) || (styleBefore & WS_VISIBLE)) return;
  if (static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)) & (WS_VISIBLE | WS_CHILD)) return;
  RECT now;
  ::GetWindowRect(dialog, &now);
  if (now.left != before.left || now.top != before.top) return;
  HWND owner = ::GetWindow(dialog, GW_OWNER);
  if (owner && ::IsWindowEnabled(owner)) return;
  CWnd::FromHandle(dialog)->CenterWindow();
}

}  // namespace

INT_PTR AfxDlgProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  const bool autoCenter = std::exchange(t_autoCenter, false);
  CWnd* object = CWnd::FromHandlePermanent(dialog);
  if (!object || !object->IsKindOf(RUNTIME_CLASS(CDialog))) return TRUE;
  RECT before;
  ::GetWindowRect(dialog, &before);
  const auto styleBefore = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  const BOOL result = static_cast<CDialog*>(object)->OnInitDialog();
  if (autoCenter) CentreAfterInit(dialog, before, styleBefore);
  return result;
}

LPCDLGTEMPLATE CDialog::FindTemplate(HINSTANCE& instance) const {
  if (m_lpDialogTemplate) return m_lpDialogTemplate;
  if (!m_lpszTemplateName) return nullptr;
  // The current module's resources: a library that switched to its own state gets its own dialog.
  instance = AfxGetResourceHandle();
  HRSRC found = FindResourceA(instance, m_lpszTemplateName, RT_DIALOG);
  if (!found) return nullptr;
  return static_cast<LPCDLGTEMPLATE>(LockResource(LoadResource(instance, found)));
}

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATE dialogTemplate, HWND parent, HINSTANCE instance) {
  tolvar::framework::CreatingWindow attach(this);
  t_autoCenter = dialogTemplate && TemplateAsksCentring(dialogTemplate);
  HWND window = CreateDialogIndirectParamA(instance, dialogTemplate, parent, &AfxDlgProc, 0);
  return window != nullptr && m_hWnd == window;
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent) {
  m_lpDialogTemplate = dialogTemplate;
  m_pParentWnd = parent;
  return dialogTemplate != nullptr;
}

INT_PTR CDialog::DoModal() {
  HINSTANCE instance = AfxGetResourceHandle();
  LPCDLGTEMPLATE dialogTemplate = FindTemplate(instance);
  if (!dialogTemplate) return -1;
  // The owner is the top-level window of the parent (else of the main window), disabled meanwhile.
  CWnd* parentObject = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
  HWND parent = parentObject ? parentObject->m_hWnd : nullptr;
  while (parent && (GetWindowLongA(parent, GWL_STYLE) & WS_CHILD)) parent = ::GetParent(parent);
  if (parent && ::IsWindowEnabled(parent)) {
    ::EnableWindow(parent, FALSE);
    m_hWndDisabledOwner = parent;
  }
  m_nModalResult = -1;
  m_nFlags |= WF_CONTINUEMODAL;  // EndDialog in OnInitDialog ends the dialog before its loop starts
  if (CreateDlgIndirect(dialogTemplate, parent, instance) && (m_nFlags & WF_CONTINUEMODAL)) {
    DWORD flags = MLF_SHOWONIDLE;
    if (GetStyle() & DS_NOIDLEMSG) flags |= MLF_NOIDLEMSG;
    RunModalLoop(flags);
  }
  m_nFlags &= ~WF_CONTINUEMODAL;
  EnableOwner();
  if (m_hWnd) {
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
  }
  if (parent && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(parent);
  DestroyWindow();
  return m_nModalResult;
}

BOOL CDialog::Create(LPCSTR templateName, CWnd* parent) {
  m_lpszTemplateName = templateName;
  if (parent) m_pParentWnd = parent;
  HINSTANCE instance = AfxGetResourceHandle();
  LPCDLGTEMPLATE dialogTemplate = FindTemplate(instance);
  return dialogTemplate && CreateDlgIndirect(dialogTemplate, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, instance);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_nIDHelp = templateId;
  return Create(MAKEINTRESOURCEA(static_cast<WORD>(templateId)), parent);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent) {
  if (parent) m_pParentWnd = parent;
  return CreateDlgIndirect(dialogTemplate, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, AfxGetResourceHandle());
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;  // the dialog manager gives the focus to the first control
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// The owner takes input again before the dialog hides: a person who sees the dialog go clicks the
// owner at once, and the owner may be another process's window (a program hosted in the launcher),
// enabled only once that process has heard.
void CDialog::EnableOwner() {
  if (HWND owner = std::exchange(m_hWndDisabledOwner, nullptr); owner && ::IsWindow(owner)) ::EnableWindow(owner, TRUE);
}

void CDialog::EndDialog(int result) {
  if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL)) EndModalLoop(result);
  EnableOwner();
  ::EndDialog(m_hWnd, result);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL save) {
  CDataExchange dx(this, save);
  try {
    DoDataExchange(&dx);
  } catch (const CUserException&) {
    return FALSE;
  }
  return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  // The dialog keys (Tab, arrows, Enter, Escape, mnemonics) for the dialog and its controls.
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
  if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
  return ::IsDialogMessageA(m_hWnd, msg);
}

LRESULT CDialog::OnCtlColorBk(WPARAM wParam, LPARAM) {
  HBRUSH brush = AfxGetDialogBkBrush();
  if (!brush) return Default();
  LOGBRUSH look{};
  ::GetObjectA(brush, sizeof look, &look);
  HDC dc = reinterpret_cast<HDC>(wParam);
  ::SetBkColor(dc, look.lbColor);
  ::SetTextColor(dc, AfxGetDialogTextColor());
  return reinterpret_cast<LRESULT>(brush);
}
