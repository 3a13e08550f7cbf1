#pragma once
// CDialog: a dialog from a template (a resource of the current module, or bytes in memory), modal
// or modeless. A modal dialog runs the class library's own modal loop (RunModalLoop), so dialog
// keys, idle work and every other message pass through the same step as in the program's run loop;
// EndDialog ends it. OnInitDialog loads the controls from the members (DoDataExchange); OK saves
// them back and ends the dialog only when every value passed its checks.
#include <framework/DataExchange.h>
#include <framework/Wnd.h>

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

public:
  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  explicit CDialog(LPCSTR templateName, CWnd* parent = nullptr);

  // Modal: the dialog's result (EndDialog's), -1 when it could not be made.
  virtual INT_PTR DoModal();
  BOOL InitModalIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent = nullptr);
  // Modeless.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  BOOL Create(LPCSTR templateName, CWnd* parent = nullptr);
  BOOL CreateIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent = nullptr);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // Ends the modal loop (of DoModal or RunModalLoop) with `result` and hides the dialog.
  void EndDialog(int result);
  // Moves values between the controls and the members: save TRUE reads the controls (FALSE when a
  // value failed its check; the control with the bad value then has the focus).
  BOOL UpdateData(BOOL save = TRUE);
  virtual void DoDataExchange(CDataExchange* dx);

  BOOL PreTranslateMessage(MSG* msg) override;
  const AFX_MSGMAP* GetMessageMap() const override;

  LPCSTR m_lpszTemplateName = nullptr;
  UINT m_nIDHelp = 0;
  LPCDLGTEMPLATE m_lpDialogTemplate = nullptr;
  CWnd* m_pParentWnd = nullptr;

protected:
  // Creates the window from `dialogTemplate` with this object attached before its first message.
  BOOL CreateDlgIndirect(LPCDLGTEMPLATE dialogTemplate, HWND parent, HINSTANCE instance);
  LPCDLGTEMPLATE FindTemplate(HINSTANCE& instance) const;
  LRESULT OnCtlColorBk(WPARAM wParam, LPARAM lParam);

private:
  // The owner DoModal disabled, enabled again before the dialog hides.
  HWND m_hWndDisabledOwner = nullptr;
  void EnableOwner();

  friend INT_PTR AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

// The dialog procedure of the class library's dialogs: WM_INITDIALOG calls OnInitDialog.
INT_PTR AfxDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
