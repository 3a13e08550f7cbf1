// The real dialogs of the exchange: the shell's multi-select open dialog, its folder browser, and
// the kit's message box (see ExchangeUi.h).
#include "ExchangeUi.h"

#include <MessageBoxDlg.h>

#include <framework/FileDialog.h>
#include <shell/ShlObj.h>

namespace {

// Room for the chosen names of one open dialog.
constexpr DWORD kSelectionBytes = 25000;

// The browser tells of every new selection; the exchange needs nothing from it but reads the path,
// so a selection that is no file-system folder is seen as such.
int BrowseCallbackProc(HWND, UINT message, LPARAM lParam, LPARAM) {
  if (message == BFFM_SELCHANGED) {
    char path[MAX_PATH] = {};
    SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), path);
  }
  return 0;
}

}  // namespace

bool CDialogExchangeUi::ChooseFiles(HWND owner, LPCSTR defaultExtension, LPCSTR filter, std::vector<CString>& paths) {
  paths.clear();
  CFileDialog dialog(TRUE, defaultExtension, nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_CREATEPROMPT,
                     filter, owner ? CWnd::FromHandle(owner) : nullptr);
  std::vector<char> names(kSelectionBytes, '\0');
  dialog.m_ofn.lpstrFile = names.data();
  dialog.m_ofn.nMaxFile = kSelectionBytes;
  if (dialog.DoModal() != IDOK) return false;
  for (POSITION position = dialog.GetStartPosition(); position;) paths.push_back(dialog.GetNextPathName(position));
  return true;
}

CString CDialogExchangeUi::ChooseFolder(HWND owner) {
  char name[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = name;
  info.lpszTitle = "";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = BrowseCallbackProc;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  if (!chosen) return CString();
  char path[MAX_PATH] = {};
  const BOOL isPath = SHGetPathFromIDListA(chosen, path);
  CoTaskMemFree(chosen);
  return isPath ? CString(path) : CString();
}

int CDialogExchangeUi::Show(HWND, const CString& text, const CString& caption, UINT type) {
  return ShowMessageBox(text, caption, type);
}
