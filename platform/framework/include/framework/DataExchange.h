#pragma once
// Dialog data exchange: routines that move one value between a control of a dialog and a member
// (DDX_), and checks of a value read from a control (DDV_). A failed read or check throws
// CUserException after putting the focus on the control; UpdateData catches it.
#include <framework/String.h>

#include <user/User.h>

class CWnd;

class CUserException {};

class CDataExchange {
public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

  BOOL m_bSaveAndValidate;  // TRUE: controls to members
  CWnd* m_pDlgWnd;
  HWND m_hWndLastControl = nullptr;

  // The control `id` of the dialog, remembered as the one a failure is about. Throws when the
  // dialog has no such control (a template and its code that disagree).
  HWND PrepareCtrl(int id);
  HWND PrepareEditCtrl(int id) { return PrepareCtrl(id); }
  [[noreturn]] void Fail();
};

// Attaches `control` to the dialog's control `id` (subclassing it), once.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);  // DWORD too
// A check box: 0, 1 or 2 (indeterminate).
void DDX_Check(CDataExchange* dx, int id, int& value);
// A group of radio buttons starting at `id` (up to the next WS_GROUP): the index of the checked
// one, -1 for none.
void DDX_Radio(CDataExchange* dx, int id, int& value);

// At most `maxChars` bytes; when loading, the edit control is limited to that.
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum);
