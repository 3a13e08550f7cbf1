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

std::vector<RECT> FitRow(std::vector<RECT> row, const std::vector<int>& least, int limit) {
  if (row.empty() || row.back().right <= limit || least.size() != row.size()) return row;
  const int n = static_cast<int>(row.size());
  const int left = row.front().left;
  std::vector<int> gaps(row.size(), 0);
  int allGaps = 0;
  for (int i = 0; i + 1 < n; ++i) {
    gaps[i] = std::max(0, static_cast<int>(row[i + 1].left - row[i].right));
    allGaps += gaps[i];
  }
  const int room = std::max(n, limit - left - allGaps);
  std::vector<int> widths(row.size(), 0);
  int needs = 0;
  for (int w : least) needs += std::max(w, 1);
  if (needs <= room) {
    // The widest needs first: a button whose text needs more than an even share takes what it
    // needs, and the others share what is left.
    std::vector<int> order(row.size());
    for (int i = 0; i < n; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return least[a] > least[b]; });
    int rest = n, free = room;
    for (int i : order) {
      if (least[i] * rest <= free) break;
      widths[i] = least[i];
      free -= least[i];
      --rest;
    }
    int share = rest > 0 ? free / rest : 0, extra = rest > 0 ? free % rest : 0;
    for (int i = 0; i < n; ++i) {
      if (widths[i] != 0) continue;
      widths[i] = share + (extra > 0 ? 1 : 0);
      if (extra > 0) --extra;
    }
  } else {
    // Not even the texts fit: each gets its need's part of the room.
    int spare = room;
    for (int i = 0; i < n; ++i) {
      widths[i] = std::max(1, static_cast<int>(static_cast<long long>(std::max(least[i], 1)) * room / needs));
      spare -= widths[i];
    }
    for (int i = 0; i < n && spare > 0; ++i, --spare) ++widths[i];
  }
  int x = left;
  for (int i = 0; i < n; ++i) {
    row[i].left = x;
    row[i].right = x + widths[i];
    x = row[i].right + gaps[i];
  }
  return row;
}

}  // namespace daybook

namespace {

// What a button's text needs: its width in the button's font, and a little for the border.
int TextNeed(CWnd& control) {
  CString text;
  control.GetWindowText(text);
  CClientDC dc(&control);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(control.SendMessage(WM_GETFONT, 0, 0));
  HGDIOBJ before = font ? ::SelectObject(dc.m_hDC, font) : nullptr;
  RECT r{0, 0, 0, 0};
  ::DrawTextA(dc.m_hDC, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
  if (before) ::SelectObject(dc.m_hDC, before);
  return static_cast<int>(r.right - r.left) + 8;
}

}  // namespace

void CAnchorLayout::Capture(CWnd& page, const std::vector<std::pair<UINT, unsigned>>& controls,
                            const std::vector<UINT>& row) {
  RECT client{};
  page.GetClientRect(&client);
  m_width = client.right;
  m_height = client.bottom;
  m_items.clear();
  m_row.clear();
  const auto measure = [&page](UINT id, unsigned anchor, std::vector<Item>& into) {
    CWnd* control = page.GetDlgItem(static_cast<int>(id));
    if (!control) return;
    RECT r{};
    control->GetWindowRect(&r);
    page.ScreenToClient(&r);
    into.push_back({id, anchor, r});
  };
  for (const auto& [id, anchor] : controls) measure(id, anchor, m_items);
  for (UINT id : row) measure(id, daybook::kMoveY, m_row);
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
  if (!m_row.empty()) {
    std::vector<RECT> row;
    std::vector<int> least;
    std::vector<CWnd*> controls;
    for (const Item& item : m_row) {
      CWnd* control = page.GetDlgItem(static_cast<int>(item.id));
      if (!control) continue;
      controls.push_back(control);
      row.push_back(daybook::AnchoredRect(item.start, item.anchor, dx, dy));
      least.push_back(TextNeed(*control));
    }
    row = daybook::FitRow(std::move(row), least, cx - static_cast<int>(m_row.front().start.left));
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const RECT& r = row[i];
      controls[i]->MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
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
