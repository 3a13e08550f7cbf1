// The control objects' few members that are more than one message: owner-draw dispatch, the bitmap
// button's painting, the tooltip's tool records, and the message box of the application.
#include <framework/App.h>
#include <framework/Controls.h>
#include <framework/String.h>

#include <utility>

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CBitmapButton, CButton)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CComboBoxEx, CComboBox)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

// ---- CButton -------------------------------------------------------------------------------------

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  // The parent hands an owner-drawn button's WM_DRAWITEM back to it: the object paints itself.
  if (message != WM_DRAWITEM) return CWnd::OnChildNotify(message, wParam, lParam, result);
  DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
  *result = TRUE;
  return TRUE;
}

namespace {
CString CStringFromItem(const CWnd& control, UINT lengthMessage, UINT textMessage, int index) {
  CString text;
  const LRESULT length = ::SendMessageA(control.m_hWnd, lengthMessage, static_cast<WPARAM>(index), 0);
  if (length <= 0) return text;
  LPSTR buffer = text.GetBuffer(static_cast<int>(length));
  const LRESULT copied = ::SendMessageA(control.m_hWnd, textMessage, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(buffer));
  text.ReleaseBuffer(copied > 0 ? static_cast<int>(copied) : 0);
  return text;
}

}  // namespace

// ---- CBitmapButton -------------------------------------------------------------------------------

BOOL CBitmapButton::LoadBitmaps(UINT up, UINT down, UINT focus, UINT disabled) {
  m_bitmap.DeleteObject();
  m_bitmapSel.DeleteObject();
  m_bitmapFocus.DeleteObject();
  m_bitmapDisabled.DeleteObject();
  if (!m_bitmap.LoadBitmap(up)) return FALSE;
  BOOL all = TRUE;
  const std::pair<CBitmap*, UINT> others[] = {{&m_bitmapSel, down}, {&m_bitmapFocus, focus}, {&m_bitmapDisabled, disabled}};
  for (const auto& [bitmap, id] : others) {
    if (id != 0 && !bitmap->LoadBitmap(id)) all = FALSE;
  }
  return all;
}

void CBitmapButton::SizeToContent() {
  BITMAP info{};
  if (!m_bitmap.GetSafeHandle() || !m_bitmap.GetBitmap(&info)) return;
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT drawItem) {
  // The state picks the bitmap, most specific first; a missing one falls back to up.
  CBitmap* bitmap = &m_bitmap;
  if ((drawItem->itemState & ODS_SELECTED) && m_bitmapSel.GetSafeHandle()) {
    bitmap = &m_bitmapSel;
  } else if ((drawItem->itemState & ODS_FOCUS) && m_bitmapFocus.GetSafeHandle()) {
    bitmap = &m_bitmapFocus;
  } else if ((drawItem->itemState & ODS_DISABLED) && m_bitmapDisabled.GetSafeHandle()) {
    bitmap = &m_bitmapDisabled;
  }
  if (!bitmap->GetSafeHandle()) return;
  HDC memory = ::CreateCompatibleDC(drawItem->hDC);
  HGDIOBJ old = ::SelectObject(memory, bitmap->GetSafeHandle());
  const RECT& r = drawItem->rcItem;
  ::BitBlt(drawItem->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
}

// ---- List texts ----------------------------------------------------------------------------------

void CListBox::GetText(int index, CString& text) const {
  text = CStringFromItem(*this, LB_GETTEXTLEN, LB_GETTEXT, index);
}

void CComboBox::GetLBText(int index, CString& text) const {
  text = CStringFromItem(*this, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

// ---- CToolTipCtrl --------------------------------------------------------------------------------

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  return CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, parent ? parent->GetSafeHwnd() : nullptr, nullptr);
}

void CToolTipCtrl::FillInfo(TOOLINFOA& info, CWnd* window, UINT_PTR toolId) const {
  info = TOOLINFOA{};
  info.cbSize = sizeof info;
  // Without an id the tool is the whole window, named by its handle.
  if (toolId == 0) {
    info.uFlags = TTF_IDISHWND;
    info.hwnd = window->GetParent() ? window->GetParent()->GetSafeHwnd() : window->GetSafeHwnd();
    info.uId = reinterpret_cast<UINT_PTR>(window->GetSafeHwnd());
  } else {
    info.hwnd = window->GetSafeHwnd();
    info.uId = toolId;
  }
}

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCSTR text, const RECT* toolRect, UINT_PTR toolId) {
  TOOLINFOA info;
  FillInfo(info, window, toolId);
  if (toolRect) {
    info.rect = *toolRect;
  } else if (toolId != 0) {
    window->GetClientRect(&info.rect);
  }
  info.uFlags |= TTF_SUBCLASS;
  info.lpszText = const_cast<LPSTR>(text);
  return AddTool(&info);
}

void CToolTipCtrl::DelTool(CWnd* window, UINT_PTR toolId) {
  TOOLINFOA info;
  FillInfo(info, window, toolId);
  Send(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCSTR text, CWnd* window, UINT_PTR toolId) {
  TOOLINFOA info;
  FillInfo(info, window, toolId);
  info.lpszText = const_cast<LPSTR>(text);
  Send(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

// ---- AfxMessageBox -------------------------------------------------------------------------------

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
  CWnd* main = AfxGetMainWnd();
  HWND owner = main ? main->GetSafeHwnd() : ::GetActiveWindow();
  CWinApp* app = AfxGetApp();
  LPCSTR caption = app && app->m_pszAppName ? app->m_pszAppName : nullptr;
  return ::MessageBoxA(owner, text, caption, type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId) {
  CString text;
  text.LoadString(stringId);
  return AfxMessageBox(text, type, helpId == UINT(-1) ? stringId : helpId);
}
