// Dialog data exchange and validation.
#include <framework/DataExchange.h>
#include <framework/Wnd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_LIMITTEXT = 0x00C5;

CString TextOf(HWND control) {
  int length = ::GetWindowTextLengthA(control);
  CString text;
  std::string buffer(static_cast<size_t>(length) + 1, '\0');
  int got = ::GetWindowTextA(control, buffer.data(), length + 1);
  return CString(buffer.data(), got);
}

// A whole number in the text (blanks around it allowed), within [minimum, maximum].
bool ParseNumber(const CString& text, long long minimum, long long maximum, long long& value) {
  const char* start = text;
  char* end = nullptr;
  errno = 0;
  long long parsed = std::strtoll(start, &end, 10);
  if (end == start || errno == ERANGE) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end || parsed < minimum || parsed > maximum) return false;
  value = parsed;
  return true;
}
}  // namespace

HWND CDataExchange::PrepareCtrl(int id) {
  HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
  if (!control) {
    m_hWndLastControl = nullptr;
    throw CUserException();
  }
  m_hWndLastControl = control;
  return control;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_hWndLastControl) {
    ::SetFocus(m_hWndLastControl);
    ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);  // an edit control's text, ready to be typed over
  }
  throw CUserException();
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  HWND window = dx->PrepareCtrl(id);
  if (!control.SubclassWindow(window)) dx->Fail();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  HWND control = dx->PrepareEditCtrl(id);
  if (dx->m_bSaveAndValidate) {
    value = TextOf(control);
  } else {
    ::SetWindowTextA(control, value);
  }
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
  HWND control = dx->PrepareEditCtrl(id);
  if (dx->m_bSaveAndValidate) {
    long long parsed = 0;
    if (!ParseNumber(TextOf(control), std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), parsed)) {
      dx->Fail();
    }
    value = static_cast<int>(parsed);
  } else {
    ::SetWindowTextA(control, std::to_string(value).c_str());
  }
}

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
  HWND control = dx->PrepareEditCtrl(id);
  if (dx->m_bSaveAndValidate) {
    long long parsed = 0;
    if (!ParseNumber(TextOf(control), 0, std::numeric_limits<UINT>::max(), parsed)) dx->Fail();
    value = static_cast<UINT>(parsed);
  } else {
    ::SetWindowTextA(control, std::to_string(value).c_str());
  }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  HWND control = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
  HWND first = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate) value = -1;
  int index = 0;
  for (HWND button = first; button; button = ::GetWindow(button, GW_HWNDNEXT), ++index) {
    if (button != first && (GetWindowLongA(button, GWL_STYLE) & WS_GROUP)) break;
    if (dx->m_bSaveAndValidate) {
      if (::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
    } else {
      ::SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
  if (dx->m_bSaveAndValidate) {
    if (value.GetLength() > maxChars) dx->Fail();
  } else if (dx->m_hWndLastControl) {
    ::SendMessageA(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
  }
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum) {
  if (dx->m_bSaveAndValidate && (value < minimum || value > maximum)) dx->Fail();
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum) {
  if (dx->m_bSaveAndValidate && (value < minimum || value > maximum)) dx->Fail();
}
