// CFileDialog. DoModal runs the shell's dialog with a creation hook that attaches the object to the
// dialog's hook window (the one child dialog the call creates), so the object's message map and
// virtuals see what the window sees; the hook procedure in m_ofn (the class library's, or a
// derived class's own) runs below the object as the window's dialog procedure. Each notification
// goes to that hook first and then to the matching virtual; a choice is refused when either refuses.
#include <framework/App.h>
#include <framework/FileDialog.h>
#include <framework/ModuleState.h>

#include <user/Seams.h>

#include <cstring>

#include "ThreadState.h"

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

namespace {

thread_local tolvar::user::CreationHook t_previousHook;

// Joins a folder and a name in the folder's own form ('\' for a drive path, '/' otherwise).
CString JoinPath(const CString& folder, const CString& name) {
  if (folder.IsEmpty()) return name;
  const char last = folder[folder.GetLength() - 1];
  if (last == '\\' || last == '/') return folder + name;
  const bool drive = folder.GetLength() >= 2 && folder[1] == ':';
  return folder + ((drive || folder.Find('\\') >= 0) ? "\\" : "/") + name;
}

int NameStart(const CString& path) {
  return std::max(path.ReverseFind('\\'), path.ReverseFind('/')) + 1;
}

}  // namespace

UINT_PTR AfxCommDlgProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

const AFX_MSGMAP* CFileDialog::GetMessageMap() const {
  static const AFX_MSGMAP map{CDialog::GetMessageMap(),
                              {
                                  MapMessage(WM_INITDIALOG, &CFileDialog::HandleInitDialog),
                              }};
  return &map;
}

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defExt, LPCSTR fileName, DWORD flags, LPCSTR filter, CWnd* parent)
    : m_bOpenFileDialog(openFileDialog) {
  m_pParentWnd = parent;
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = sizeof m_szFileName;
  m_ofn.lpstrFileTitle = m_szFileTitle;
  m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
  m_ofn.Flags = flags | OFN_ENABLEHOOK | OFN_EXPLORER;
  m_ofn.lpfnHook = AfxCommDlgProc;
  m_ofn.hInstance = AfxGetResourceHandle();
  if (defExt) {
    m_strDefExt = defExt;
    m_ofn.lpstrDefExt = m_strDefExt.c_str();
  }
  if (fileName) {
    std::strncpy(m_szFileName, fileName, sizeof m_szFileName - 1);
  }
  if (filter) {
    // "Name|patterns|...||": every '|' ends a text, and the doubled one ends the list.
    m_strFilter = filter;
    for (char& c : m_strFilter)
      if (c == '|') c = '\0';
    m_strFilter.push_back('\0');
    m_ofn.lpstrFilter = m_strFilter.c_str();
  }
}

void CFileDialog::AttachHookWindow(HWND window, const CREATESTRUCTA& create, void* context) {
  auto* dialog = static_cast<CFileDialog*>(context);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (!dialog->m_hWnd && (create.style & WS_CHILD) && std::strcmp(className, "#32770") == 0) {
    tolvar::framework::AttachCreatedWindow(dialog, window);
    return;
  }
  if (t_previousHook.proc) t_previousHook.proc(window, create, t_previousHook.context);
}

INT_PTR CFileDialog::DoModal() {
  if (!m_ofn.hwndOwner) {
    CWnd* parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    HWND owner = parent ? parent->m_hWnd : nullptr;
    while (owner && (GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
    m_ofn.hwndOwner = owner;
  }
  const tolvar::user::CreationHook saved = t_previousHook;
  t_previousHook = tolvar::user::SetCreationHook({&CFileDialog::AttachHookWindow, this});
  const BOOL chosen = m_bOpenFileDialog ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
  tolvar::user::SetCreationHook(t_previousHook);
  t_previousHook = saved;
  if (m_hWnd) Detach();  // normally gone with its window
  return chosen ? IDOK : IDCANCEL;
}

LRESULT CFileDialog::HandleInitDialog(WPARAM, LPARAM) {
  LRESULT result = Default();  // the hook procedure's own WM_INITDIALOG
  OnInitDialog();
  return result;
}

BOOL CFileDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lParam);
  const UINT code = notify->hdr.code;
  if (code > CDN_FIRST || code < CDN_TYPECHANGE) return CDialog::OnNotify(wParam, lParam, result);
  LRESULT answer = Default();  // the hook procedure hears it first
  switch (code) {
    case CDN_INITDONE: OnInitDone(); break;
    case CDN_SELCHANGE: OnFileNameChange(); break;
    case CDN_FOLDERCHANGE: OnFolderChange(); break;
    case CDN_TYPECHANGE: OnTypeChange(); break;
    case CDN_FILEOK:
      if (!answer && OnFileNameOK()) answer = 1;
      break;
    default: break;
  }
  SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, answer);
  *result = answer;
  return TRUE;
}

BOOL CFileDialog::OnFileNameOK() { return FALSE; }
void CFileDialog::OnInitDone() {}
void CFileDialog::OnFileNameChange() {}
void CFileDialog::OnFolderChange() {}
void CFileDialog::OnTypeChange() {}

CString CFileDialog::Ask(UINT message) const {
  if (!m_hWnd) return CString();
  HWND explorer = ::GetParent(m_hWnd);
  LRESULT size = ::SendMessageA(explorer, message, 0, 0);
  if (size <= 0) return CString();
  std::string buffer(static_cast<std::size_t>(size), '\0');
  ::SendMessageA(explorer, message, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer.data()));
  return CString(buffer.c_str());
}

CString CFileDialog::GetPathName() const {
  if (m_hWnd) return Ask(CDM_GETFILEPATH);
  return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const {
  CString path = GetPathName();
  return path.Mid(NameStart(path));
}

CString CFileDialog::GetFileExt() const {
  CString name = GetFileName();
  const int dot = name.ReverseFind('.');
  return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
  CString name = GetFileName();
  const int dot = name.ReverseFind('.');
  return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const { return Ask(CDM_GETFOLDERPATH); }

POSITION CFileDialog::GetStartPosition() const {
  return m_ofn.lpstrFile && *m_ofn.lpstrFile ? reinterpret_cast<POSITION>(m_ofn.lpstrFile) : nullptr;
}

CString CFileDialog::GetNextPathName(POSITION& position) const {
  const char* at = reinterpret_cast<const char*>(position);
  if (!at) return CString();
  const char* list = m_ofn.lpstrFile;
  if (at == list) {
    // A single choice is one whole path; several are the folder and then the names.
    const char* afterFirst = list + std::strlen(list) + 1;
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT) || *afterFirst == '\0') {
      position = nullptr;
      return CString(list);
    }
    at = afterFirst;
  }
  CString name(at);
  const char* next = at + std::strlen(at) + 1;
  position = *next ? reinterpret_cast<POSITION>(const_cast<char*>(next)) : nullptr;
  return JoinPath(CString(list), name);
}

void CFileDialog::SetControlText(int id, LPCSTR text) {
  if (m_hWnd) ::SendMessageA(::GetParent(m_hWnd), CDM_SETCONTROLTEXT, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(text));
}

void CFileDialog::HideControl(int id) {
  if (m_hWnd) ::SendMessageA(::GetParent(m_hWnd), CDM_HIDECONTROL, static_cast<WPARAM>(id), 0);
}

void CFileDialog::SetDefExt(LPCSTR extension) {
  if (m_hWnd) ::SendMessageA(::GetParent(m_hWnd), CDM_SETDEFEXT, 0, reinterpret_cast<LPARAM>(extension));
}
