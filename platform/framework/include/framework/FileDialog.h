#pragma once
// CFileDialog: the shell's file open or save dialog as a class. The object is attached to the
// dialog's hook window (the child of the Explorer dialog), so a derived class sees the dialog's
// notifications as virtual calls (OnInitDone, OnFileNameChange, OnFolderChange, OnTypeChange,
// OnFileNameOK) and its controls' messages through its message map; a caller's own hook in
// m_ofn.lpfnHook hears every message first. With OFN_ALLOWMULTISELECT the chosen names are walked
// with GetStartPosition and GetNextPathName.
#include <framework/Dialog.h>
#include <framework/String.h>
#include <shell/CommDlg.h>

#include <string>

class CFileDialog : public CDialog {
  DECLARE_DYNAMIC(CFileDialog)

public:
  // `filter` is "Name|patterns|Name|patterns||"; `fileName` the initial name or path.
  explicit CFileDialog(BOOL openFileDialog, LPCSTR defExt = nullptr, LPCSTR fileName = nullptr,
                       DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
                       CWnd* parent = nullptr);

  // IDOK with the choice in m_ofn.lpstrFile, IDCANCEL when cancelled or failed (CommDlgExtendedError).
  INT_PTR DoModal() override;

  CString GetPathName() const;  // the chosen path (while the dialog is up: the one typed or selected)
  CString GetFileName() const;  // the name with its extension
  CString GetFileExt() const;
  CString GetFileTitle() const;  // the name without its extension
  CString GetFolderPath() const;  // while the dialog is up
  BOOL GetReadOnlyPref() const { return (m_ofn.Flags & OFN_READONLY) ? TRUE : FALSE; }
  // The chosen paths one by one: null when there is none; each call moves on, null after the last.
  POSITION GetStartPosition() const;
  CString GetNextPathName(POSITION& position) const;

  // While the dialog is up: change a standard control's text, hide it, change the default extension.
  void SetControlText(int id, LPCSTR text);
  void HideControl(int id);
  void SetDefExt(LPCSTR extension);

  OPENFILENAMEA m_ofn{};
  BOOL m_bOpenFileDialog;

  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  // TRUE refuses the choice (the dialog stays).
  virtual BOOL OnFileNameOK();
  virtual void OnInitDone();
  virtual void OnFileNameChange();
  virtual void OnFolderChange();
  virtual void OnTypeChange();
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

  std::string m_strFilter;  // NUL-separated, as the shell reads it
  std::string m_strDefExt;
  char m_szFileTitle[64] = {};
  char m_szFileName[MAX_PATH] = {};

private:
  static void AttachHookWindow(HWND window, const CREATESTRUCTA& create, void* context);
  CString Ask(UINT message) const;
};

// The class library's own hook, used when a class sets none: the class's virtuals do the work.
UINT_PTR AfxCommDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
