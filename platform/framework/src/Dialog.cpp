// Dialogs: creation from a template with the object attached before the first message, the modal
// run on the class library's own loop, OK and Cancel, the dialog keys through PreTranslateMessage,
// and the process's dialog colours.
#include <framework/App.h>
#include <framework/Dialog.h>
#include <framework/ModuleState.h>

#include <gdi/Gdi.h>
#include <resources/Resource.h>

#include "ThreadState.h"

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

INT_PTR AfxDlgProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  CWnd* object = CWnd::FromHandlePermanent(dialog);
  if (!object || !object->IsKindOf(RUNTIME_CLASS(CDialog))) return TRUE;
  return static_cast<CDialog*>(object)->OnInitDialog();
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
  BOOL enableParent = FALSE;
  if (parent && ::IsWindowEnabled(parent)) {
    ::EnableWindow(parent, FALSE);
    enableParent = TRUE;
  }
  m_nModalResult = -1;
  m_nFlags |= WF_CONTINUEMODAL;  // EndDialog in OnInitDialog ends the dialog before its loop starts
  if (CreateDlgIndirect(dialogTemplate, parent, instance) && (m_nFlags & WF_CONTINUEMODAL)) {
    DWORD flags = MLF_SHOWONIDLE;
    if (GetStyle() & DS_NOIDLEMSG) flags |= MLF_NOIDLEMSG;
    RunModalLoop(flags);
  }
  m_nFlags &= ~WF_CONTINUEMODAL;
  if (m_hWnd) {
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
  }
  if (enableParent) ::EnableWindow(parent, TRUE);
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

void CDialog::EndDialog(int result) {
  if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL)) EndModalLoop(result);
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
