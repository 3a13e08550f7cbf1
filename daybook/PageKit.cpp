// See PageKit.h.
#include "PageKit.h"

#include "Daybook.h"
#include "resource.h"

#include <GlyphMenu.h>

#include <resources/Resource.h>

#include <algorithm>
#include <string_view>

namespace daybook {

RECT AnchoredRect(const RECT& start, unsigned anchor, int dx, int dy) {
  RECT r = start;
  if (anchor & kMoveX) ::OffsetRect(&r, dx, 0);
  if (anchor & kMoveY) ::OffsetRect(&r, 0, dy);
  if (anchor & kGrowX) r.right = std::max(r.left + 1, r.right + dx);
  if (anchor & kGrowY) r.bottom = std::max(r.top + 1, r.bottom + dy);
  return r;
}

}  // namespace daybook

void CAnchorLayout::Capture(CWnd& page, const std::vector<std::pair<UINT, unsigned>>& controls) {
  RECT client{};
  page.GetClientRect(&client);
  m_width = client.right;
  m_height = client.bottom;
  m_items.clear();
  for (const auto& [id, anchor] : controls) {
    CWnd* control = page.GetDlgItem(static_cast<int>(id));
    if (!control) continue;
    RECT r{};
    control->GetWindowRect(&r);
    page.ScreenToClient(&r);
    m_items.push_back({id, anchor, r});
  }
}

void CAnchorLayout::Apply(CWnd& page, int cx, int cy) const {
  if (!Captured()) return;
  const int dx = cx - m_width, dy = cy - m_height;
  for (const Item& item : m_items) {
    CWnd* control = page.GetDlgItem(static_cast<int>(item.id));
    if (!control) continue;
    const RECT r = daybook::AnchoredRect(item.start, item.anchor, dx, dy);
    control->MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  }
  page.Invalidate();
}

void CFramedControls::AddOne(CWnd& page, CSkinFrame& frame, UINT id) {
  if (CWnd* control = page.GetDlgItem(static_cast<int>(id))) {
    frame.AddChild(control);
    m_ids.push_back(id);
  }
}

void CFramedControls::Add(CWnd& page, CSkinFrame& frame, std::initializer_list<UINT> ids) {
  for (UINT id : ids) AddOne(page, frame, id);
}

void CFramedControls::AddRange(CWnd& page, CSkinFrame& frame, UINT first, UINT last) {
  for (UINT id = first; id <= last; ++id) AddOne(page, frame, id);
}

HBRUSH CFramedControls::Brush(WPARAM dc, LPARAM control) {
  const UINT id = static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(control)));
  if (std::find(m_ids.begin(), m_ids.end(), id) == m_ids.end()) return nullptr;
  if (!m_white.m_hObject) m_white.CreateSolidBrush(RGB(255, 255, 255));
  ::SetBkColor(reinterpret_cast<HDC>(dc), RGB(255, 255, 255));
  return static_cast<HBRUSH>(m_white.m_hObject);
}

void SetFieldIcon(CWnd& page, UINT staticId, UINT bitmapId) {
  HWND icon = ::GetDlgItem(page.m_hWnd, static_cast<int>(staticId));
  if (!icon) return;
  HBITMAP bitmap = ::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(bitmapId));
  HGDIOBJ before = reinterpret_cast<HGDIOBJ>(
      ::SendMessageA(icon, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  if (before && before != bitmap) ::DeleteObject(before);
}

UINT TrackListMenu(CWnd& page) {
  GlyphMenu menu;
  if (!menu.LoadMenu(IDR_LIST_MENU)) return 0;
  const std::pair<UINT, UINT> texts[] = {{32784, 316}, {65535, 312}, {32785, 313}, {32793, 454}, {32792, 439}};
  for (const auto& [command, text] : texts) menu.ModifyItem(static_cast<LPCSTR>(DaybookText(text)), command);
  CMenu* popup = menu.GetSubMenu(0);
  if (!popup) return 0;
  POINT at{};
  ::GetCursorPos(&at);
  const UINT chosen =
      static_cast<UINT>(popup->TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, &page));
  menu.DestroyItems();
  if (chosen != 0) {
    HWND main = ::GetParent(page.m_hWnd);
    ::PostMessageA(main ? main : page.m_hWnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
  }
  return chosen;
}

void PublishFreeStatus(CEmbeddableDialog& page, UINT textId, int free) {
  if (!page.IsWindowVisible()) return;
  CString text;
  text.Format(DaybookText(textId), free);
  page.PostStatusToLauncher(std::string_view(text, static_cast<std::size_t>(text.GetLength())));
}
