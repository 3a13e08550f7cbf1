// The folder bar: layout of headers and items, hit tests, presses and drags, painting.
#include "OutBarCtrl.h"

#include "LauncherMessages.h"
#include "resource.h"

#include <gdi/Unique.h>
#include <kernel/Module.h>
#include <resources/Resource.h>

#include <algorithm>

IMPLEMENT_DYNCREATE(CGfxOutBarCtrl, CWnd)

namespace {

constexpr UINT_PTR kHotTimer = 1;
constexpr UINT kHotTimerMs = 100;
constexpr UINT_PTR kScrollTimer = 2;
constexpr UINT kScrollTimerMs = 300;
constexpr int kMarkerSize = 38;
constexpr int kArrowSize = 16;
constexpr UINT kCmdSmallIcons = 50000;
constexpr UINT kCmdLargeIcons = 50001;
constexpr UINT kCmdRemoveItem = 50002;
constexpr UINT kCmdRenameItem = 50003;

int XOf(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int YOf(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
  tolvar::gdi::UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, brush.Get());
}

HCURSOR ModuleCursor(int id, LPCSTR fallback) {
  if (HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id))) return cursor;
  return LoadCursorA(nullptr, fallback);
}

}  // namespace

CGfxOutBarCtrl::CGfxOutBarCtrl()
    : m_backColour(GetSysColor(COLOR_BTNSHADOW)), m_textColour(GetSysColor(COLOR_WINDOW)) {}

CGfxOutBarCtrl::~CGfxOutBarCtrl() {
  if (m_markers) ImageList_Destroy(m_markers);
}

BOOL CGfxOutBarCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, DWORD flags) {
  m_flags = flags;
  HINSTANCE module = GetModuleHandleA(nullptr);
  if (!m_markers) {
    m_markers = ImageList_Create(kMarkerSize, kMarkerSize, ILC_COLOR24 | ILC_MASK, 2, 1);
    for (int id : {IDB_MARKER_PLAIN, IDB_MARKER_SELECTED}) {
      tolvar::gdi::UniqueBitmap bitmap(LoadBitmapA(module, MAKEINTRESOURCEA(id)));
      if (bitmap) ImageList_AddMasked(m_markers, bitmap.Get(), RGB(0x80, 0x80, 0x80));
    }
  }
  m_dragCursor = ModuleCursor(IDC_DRAG, IDC_HAND);
  m_dropCursor = ModuleCursor(IDC_DROP, IDC_ARROW);
  m_noDropCursor = ModuleCursor(IDC_DROP_NO, IDC_NO);
  LPCSTR className = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW));
  return CreateEx(WS_EX_STATICEDGE, className, "", style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->GetSafeHwnd() : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

int CGfxOutBarCtrl::AddFolder(LPCSTR label, DWORD data) {
  auto folder = std::make_unique<Folder>();
  folder->label = label ? label : "";
  folder->data = data;
  m_folders.push_back(std::move(folder));
  if (m_hWnd) Invalidate();
  return static_cast<int>(m_folders.size()) - 1;
}

void CGfxOutBarCtrl::RemoveFolder(int index) {
  if (index < 0 || index >= GetFolderCount()) return;
  if (m_folders[index]->child && IsWindow(m_folders[index]->child)) ::ShowWindow(m_folders[index]->child, SW_HIDE);
  m_folders.erase(m_folders.begin() + index);
  if (m_currentFolder >= index) {
    --m_currentFolder;
    if (m_currentFolder < 0 && !m_folders.empty()) m_currentFolder = 0;
  }
  // Without folders the current index stays -1, which layout and hit tests take as "nothing open".
  m_firstItem = 0;
  m_selectedItem = m_hotItem = m_hotFolder = -1;
  if (m_hWnd) Invalidate();
}

int CGfxOutBarCtrl::InsertItem(int folder, int index, LPCSTR text, int image, DWORD data) {
  if (folder < 0 || folder >= GetFolderCount()) return -1;
  auto& items = m_folders[folder]->items;
  if (index < 0 || index > static_cast<int>(items.size())) index = static_cast<int>(items.size());
  items.insert(items.begin() + index, Item{image, text ? text : "", data});
  if (m_hWnd) Invalidate();
  return index;
}

int CGfxOutBarCtrl::GetItemCount(int folder) const {
  if (folder < 0 || folder >= GetFolderCount()) return 0;
  return static_cast<int>(m_folders[folder]->items.size());
}

CString CGfxOutBarCtrl::GetFolderText(int index) const {
  if (index < 0 || index >= GetFolderCount()) return CString();
  return CString(m_folders[index]->label.c_str());
}

BOOL CGfxOutBarCtrl::RemoveItem(int folder, int index) {
  if (index < 0 || index >= GetItemCount(folder)) return FALSE;
  auto& items = m_folders[folder]->items;
  items.erase(items.begin() + index);
  if (folder == m_currentFolder) {
    if (m_selectedItem == index) m_selectedItem = -1;
    else if (m_selectedItem > index) --m_selectedItem;
    m_hotItem = -1;
    m_firstItem = std::max(0, std::min(m_firstItem, GetItemCount(folder) - 1));
  }
  if (m_hWnd) Invalidate();
  return TRUE;
}

BOOL CGfxOutBarCtrl::EditItemLabel(int index) {
  if (m_labelEdit || index < 0 || index >= GetItemCount(m_currentFolder)) return FALSE;
  m_labelEdit = std::make_unique<COutBarLabelEdit>();
  RECT rect = GetLabelRect(index);
  return m_labelEdit->Start(this, COutBarLabelEdit::kItem, index, rect,
                            m_folders[m_currentFolder]->items[index].text.c_str());
}

BOOL CGfxOutBarCtrl::EditFolderLabel(int index) {
  if (m_labelEdit || index < 0 || index >= GetFolderCount()) return FALSE;
  m_labelEdit = std::make_unique<COutBarLabelEdit>();
  RECT rect = GetFolderRect(index);
  InflateRect(&rect, -2, -2);
  return m_labelEdit->Start(this, COutBarLabelEdit::kFolder, index, rect, m_folders[index]->label.c_str());
}

LRESULT CGfxOutBarCtrl::OnLabelNotify(WPARAM code, LPARAM lParam) {
  if (code != kItemRenamed && code != kFolderRenamed) return 0;
  const auto* change = reinterpret_cast<const LabelChange*>(lParam);
  if (!change || Notify(code, lParam) == 0) return 0;  // the owner keeps the old text
  if (code == kItemRenamed && change->index >= 0 && change->index < GetItemCount(m_currentFolder)) {
    m_folders[m_currentFolder]->items[change->index].text = change->text;
  } else if (code == kFolderRenamed && change->index >= 0 && change->index < GetFolderCount()) {
    m_folders[change->index]->label = change->text;
  }
  Invalidate();
  return 1;
}

LRESULT CGfxOutBarCtrl::OnEndLabelEdit(WPARAM, LPARAM) {
  if (m_labelEdit && m_labelEdit->IsEnded()) {
    m_labelEdit->DestroyWindow();
    m_labelEdit.reset();
  }
  return 0;
}

CString CGfxOutBarCtrl::GetItemText(int folder, int index) const {
  if (index < 0 || index >= GetItemCount(folder)) return CString();
  return CString(m_folders[folder]->items[index].text.c_str());
}

HIMAGELIST CGfxOutBarCtrl::SetImageList(HIMAGELIST list, int kind) {
  HIMAGELIST& slot = kind == 2 ? m_largeImages : m_smallImages;
  HIMAGELIST previous = slot;
  slot = list;
  return previous;
}

void CGfxOutBarCtrl::SetSmallIconView(bool on) {
  m_flags = on ? (m_flags | kSmallIcons) : (m_flags & ~kSmallIcons);
  m_firstItem = 0;
  if (m_hWnd) Invalidate();
}

void CGfxOutBarCtrl::SetSelFolder(int index) {
  if (index < 0 || index >= GetFolderCount()) return;
  if (m_currentFolder >= 0 && m_currentFolder < GetFolderCount()) {
    if (HWND child = m_folders[m_currentFolder]->child; child && IsWindow(child)) ::ShowWindow(child, SW_HIDE);
  }
  if (index != m_currentFolder && m_currentFolder >= 0 && m_currentFolder < GetFolderCount() &&
      (m_flags & kAnimate) && m_animation >= 0 && m_hWnd) {
    Slide(index);
  }
  m_currentFolder = index;
  m_firstItem = 0;
  m_selectedItem = -1;
  if (HWND child = m_folders[index]->child; child && IsWindow(child)) {
    const RECT inside = GetInsideRect();
    ::MoveWindow(child, inside.left, inside.top, inside.right - inside.left, inside.bottom - inside.top, TRUE);
    ::ShowWindow(child, SW_SHOW);
  }
  Notify(kFolderChanged, index);
  if (m_hWnd) Invalidate();
}

// The headers between the open folder and the new one slide to their new places, the open folder's
// items going with the gap they leave. Each step is painted at once; the animation setting is the
// pause between steps, in milliseconds.
void CGfxOutBarCtrl::Slide(int to) {
  m_slideTo = to;
  for (int step = 1; step <= kSlideSteps; ++step) {
    m_slideStep = step;
    Invalidate(FALSE);
    UpdateWindow();
    if (step < kSlideSteps) Sleep(static_cast<DWORD>(m_animation));
  }
  m_slideTo = -1;
  m_slideStep = 0;
}

// ---- Geometry ---------------------------------------------------------------------------------

RECT CGfxOutBarCtrl::FolderRectWith(int index, int current) const {
  RECT client{};
  if (m_hWnd) GetClientRect(&client);
  const int count = GetFolderCount();
  if (index <= current) {
    return RECT{client.left, client.top + index * kFolderHeight - 1, client.right,
                client.top + (index + 1) * kFolderHeight - 1};
  }
  return RECT{client.left, client.bottom - kFolderHeight * (count - index), client.right,
              client.bottom - kFolderHeight * (count - index - 1)};
}

RECT CGfxOutBarCtrl::GetFolderRect(int index) const {
  RECT rect = FolderRectWith(index, m_currentFolder);
  if (m_slideTo < 0) return rect;
  // On its way from the open folder's layout to the new folder's.
  const RECT target = FolderRectWith(index, m_slideTo);
  const int shift = (target.top - rect.top) * m_slideStep / kSlideSteps;
  OffsetRect(&rect, 0, shift);
  return rect;
}

RECT CGfxOutBarCtrl::GetInsideRect() const {
  // Between the open folder's header and the next one (or the bottom).
  RECT client{};
  if (m_hWnd) GetClientRect(&client);
  const int count = GetFolderCount();
  if (m_currentFolder < 0 || m_currentFolder >= count) {
    // Nothing open: everything below where a first header would end.
    client.top += (m_currentFolder + 1) * kFolderHeight - 1;
    return client;
  }
  client.top = GetFolderRect(m_currentFolder).bottom;
  if (m_currentFolder + 1 < count) client.bottom = GetFolderRect(m_currentFolder + 1).top;
  if (client.bottom < client.top) client.bottom = client.top;
  return client;
}

RECT CGfxOutBarCtrl::GetItemRect(int index) const {
  const RECT inside = GetInsideRect();
  const int top = inside.top + kItemTop + (index - m_firstItem) * ItemHeight();
  return RECT{inside.left, top, inside.right, top + ItemHeight()};
}

RECT CGfxOutBarCtrl::GetIconRect(int index) const {
  const RECT cell = GetItemRect(index);
  if (IsSmallIconView()) return RECT{cell.left + 4, cell.top + 3, cell.left + 20, cell.top + 19};
  const int left = (cell.left + cell.right - 32) / 2;
  return RECT{left, cell.top + 4, left + 32, cell.top + 36};
}

RECT CGfxOutBarCtrl::GetLabelRect(int index) const {
  const RECT cell = GetItemRect(index);
  if (IsSmallIconView()) return RECT{cell.left + 22, cell.top + 2, cell.right - 4, cell.bottom - 2};
  return RECT{cell.left + 4, cell.top + 38, cell.right - 4, cell.bottom - 2};
}

RECT CGfxOutBarCtrl::GetArrowRect(bool up) const {
  const RECT inside = GetInsideRect();
  const int left = inside.right - kArrowSize - 4;
  const int top = up ? inside.top + 4 : inside.bottom - kArrowSize - 4;
  return RECT{left, top, left + kArrowSize, top + kArrowSize};
}

int CGfxOutBarCtrl::VisibleItemCount() const {
  const RECT inside = GetInsideRect();
  return std::max(0, static_cast<int>(inside.bottom - inside.top - kItemTop) / ItemHeight());
}

bool CGfxOutBarCtrl::CanScroll(bool up) const {
  if (up) return m_firstItem > 0;
  return m_firstItem + VisibleItemCount() < GetItemCount(m_currentFolder);
}

bool CGfxOutBarCtrl::IsArrowShown(bool up) const { return m_currentFolder >= 0 && CanScroll(up); }

int CGfxOutBarCtrl::HitTest(POINT point, int& index) const {
  index = -1;
  if (IsArrowShown(true)) {
    const RECT arrow = GetArrowRect(true);
    if (PtInRect(&arrow, point)) return kHitUpArrow;
  }
  if (IsArrowShown(false)) {
    const RECT arrow = GetArrowRect(false);
    if (PtInRect(&arrow, point)) return kHitDownArrow;
  }
  for (int i = 0; i < GetFolderCount(); ++i) {
    const RECT header = GetFolderRect(i);
    if (PtInRect(&header, point)) {
      index = i;
      return kHitFolder;
    }
  }
  const RECT inside = GetInsideRect();
  if (!PtInRect(&inside, point)) return kHitNone;
  for (int i = m_firstItem; i < GetItemCount(m_currentFolder); ++i) {
    const RECT cell = GetItemRect(i);
    if (cell.top >= inside.bottom) break;
    const RECT icon = GetIconRect(i);
    const RECT label = GetLabelRect(i);
    if (PtInRect(&icon, point) || PtInRect(&label, point)) {
      index = i;
      return kHitItem;
    }
  }
  return kHitNone;
}

// ---- Input ------------------------------------------------------------------------------------

LRESULT CGfxOutBarCtrl::Notify(WPARAM code, LPARAM lParam) {
  HWND owner = m_owner ? m_owner : ::GetParent(m_hWnd);
  return owner ? ::SendMessageA(owner, WM_OUTBAR_NOTIFY, code, lParam) : 0;
}

void CGfxOutBarCtrl::ClearHot() {
  const bool had = m_hotItem >= 0 || m_hotFolder >= 0;
  m_hotItem = m_hotFolder = -1;
  if (had) Invalidate(FALSE);
}

LRESULT CGfxOutBarCtrl::OnMouseMove(WPARAM, LPARAM lParam) {
  const POINT point{XOf(lParam), YOf(lParam)};
  int index = -1;
  const int hit = HitTest(point, index);
  if (m_press != Press::None) {
    bool inside = false;
    switch (m_press) {
      case Press::Item:
        inside = hit == kHitItem && index == m_pressIndex;
        if (!inside) {
          m_press = Press::Drag;
          SetCursor(m_dragCursor);
        }
        break;
      case Press::Drag: {
        const RECT area = GetInsideRect();
        SetCursor(PtInRect(&area, point) ? m_dropCursor : m_noDropCursor);
        break;
      }
      case Press::Folder: inside = hit == kHitFolder && index == m_pressIndex; break;
      case Press::Arrow: inside = hit == (m_pressUp ? kHitUpArrow : kHitDownArrow); break;
      case Press::None: break;
    }
    if (inside != m_pressInside) {
      m_pressInside = inside;
      Invalidate(FALSE);
    }
    return 0;
  }
  const int hotFolder = hit == kHitFolder ? index : -1;
  const int hotItem = hit == kHitItem ? index : -1;
  if (hotFolder != m_hotFolder || hotItem != m_hotItem) {
    m_hotFolder = hotFolder;
    m_hotItem = hotItem;
    Invalidate(FALSE);
  }
  if (m_hotFolder >= 0 || m_hotItem >= 0) SetTimer(kHotTimer, kHotTimerMs);
  return 0;
}

LRESULT CGfxOutBarCtrl::OnLButtonDown(WPARAM, LPARAM lParam) {
  const POINT point{XOf(lParam), YOf(lParam)};
  int index = -1;
  const int hit = HitTest(point, index);
  switch (hit) {
    case kHitItem: m_press = Press::Item; break;
    case kHitFolder: m_press = Press::Folder; break;
    case kHitUpArrow:
    case kHitDownArrow:
      m_press = Press::Arrow;
      m_pressUp = hit == kHitUpArrow;
      (m_pressUp ? m_upPressed : m_downPressed) = true;
      SetTimer(kScrollTimer, kScrollTimerMs);
      break;
    default: return 0;
  }
  m_pressIndex = index;
  m_pressInside = true;
  ::SetCapture(m_hWnd);
  Invalidate(FALSE);
  return 0;
}

void CGfxOutBarCtrl::MoveItem(int from, int to) {
  auto& items = m_folders[m_currentFolder]->items;
  Item item = std::move(items[from]);
  items.erase(items.begin() + from);
  if (to > from) --to;  // counted after the removal
  to = std::clamp(to, 0, static_cast<int>(items.size()));
  items.insert(items.begin() + to, std::move(item));
}

LRESULT CGfxOutBarCtrl::OnLButtonUp(WPARAM, LPARAM lParam) {
  if (m_press == Press::None) return 0;
  const POINT point{XOf(lParam), YOf(lParam)};
  const Press press = m_press;
  const int pressed = m_pressIndex;
  const bool inside = m_pressInside;
  EndPress(false);
  int index = -1;
  const int hit = HitTest(point, index);
  switch (press) {
    case Press::Item:
      if (inside && hit == kHitItem && index == pressed) {
        const int old = m_selectedItem;
        m_selectedItem = index;
        if (m_flags & kSelectionRepaint) {
          for (int repaint : {old, index}) {
            if (repaint < 0) continue;
            RECT cell = GetItemRect(repaint);
            InflateRect(&cell, 1, 1);
            InvalidateRect(&cell);
          }
        } else {
          Invalidate(FALSE);
        }
        Notify(kItemClicked, index);
      }
      break;
    case Press::Drag: {
      const RECT area = GetInsideRect();
      if (!PtInRect(&area, point)) break;
      int target = -1;
      if (hit == kHitItem && index != pressed) {
        target = index;
      } else if (hit != kHitItem) {
        const int count = GetItemCount(m_currentFolder);
        const RECT last = count > 0 ? GetItemRect(count - 1) : area;
        if (point.y >= last.bottom) target = count;  // below the last item: to the end
      }
      if (target < 0) break;
      RECT drop = target < GetItemCount(m_currentFolder) ? GetItemRect(target) : RECT{area.left, point.y, area.right, point.y};
      if (Notify(kItemDragged, reinterpret_cast<LPARAM>(&drop)) != 0) {
        MoveItem(pressed, target);
        Invalidate();
      }
      break;
    }
    case Press::Folder:
      if (inside && hit == kHitFolder && index == pressed) SetSelFolder(index);
      break;
    case Press::Arrow:
      if (hit == (m_pressUp ? kHitUpArrow : kHitDownArrow)) Scroll(m_pressUp);
      break;
    case Press::None: break;
  }
  return 0;
}

void CGfxOutBarCtrl::EndPress(bool) {
  m_press = Press::None;
  m_pressIndex = -1;
  m_pressInside = false;
  m_upPressed = m_downPressed = false;
  KillTimer(kScrollTimer);
  if (::GetCapture() == m_hWnd) ReleaseCapture();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  Invalidate(FALSE);
}

void CGfxOutBarCtrl::Scroll(bool up) {
  if (!CanScroll(up)) return;
  m_firstItem += up ? -1 : 1;
  Invalidate();
}

LRESULT CGfxOutBarCtrl::OnTimer(WPARAM wParam, LPARAM) {
  if (wParam == kHotTimer) {
    const DWORD position = GetMessagePos();
    POINT point{XOf(position), YOf(position)};
    ScreenToClient(&point);
    RECT client;
    GetClientRect(&client);
    if (!PtInRect(&client, point)) {
      KillTimer(kHotTimer);
      ClearHot();
    }
  } else if (wParam == kScrollTimer) {
    if (m_press == Press::Arrow && m_pressInside) Scroll(m_pressUp);
  }
  return 0;
}

LRESULT CGfxOutBarCtrl::OnKeyDown(WPARAM wParam, LPARAM) {
  if (wParam == VK_ESCAPE && m_press != Press::None) EndPress(true);
  return 0;
}

LRESULT CGfxOutBarCtrl::OnCaptureChanged(WPARAM, LPARAM lParam) {
  if (m_press != Press::None && reinterpret_cast<HWND>(lParam) != m_hWnd) {
    m_press = Press::None;
    EndPress(true);
  }
  return 0;
}

LRESULT CGfxOutBarCtrl::OnSize(WPARAM, LPARAM) {
  if (m_currentFolder >= 0 && m_currentFolder < GetFolderCount()) {
    if (HWND child = m_folders[m_currentFolder]->child; child && IsWindow(child)) {
      const RECT inside = GetInsideRect();
      ::MoveWindow(child, inside.left, inside.top, inside.right - inside.left, inside.bottom - inside.top, TRUE);
    }
  }
  Invalidate();
  return 0;
}

LRESULT CGfxOutBarCtrl::OnSetCursor(WPARAM, LPARAM) {
  if (m_press == Press::Drag) return TRUE;
  return Default();
}

BOOL CGfxOutBarCtrl::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (nCode == CN_COMMAND && (nID == kCmdSmallIcons || nID == kCmdLargeIcons)) {
    if (!pHandlerInfo) SetSmallIconView(nID == kCmdSmallIcons);
    return TRUE;
  }
  if (nCode == CN_COMMAND && (nID == kCmdRemoveItem || nID == kCmdRenameItem)) {
    // The selected item of the open folder.
    if (!pHandlerInfo && m_selectedItem >= 0) {
      if (nID == kCmdRemoveItem) RemoveItem(m_currentFolder, m_selectedItem);
      else EditItemLabel(m_selectedItem);
    }
    return TRUE;
  }
  if (nCode == CN_UPDATE_COMMAND_UI && (nID == kCmdSmallIcons || nID == kCmdLargeIcons)) {
    auto* update = static_cast<CCmdUI*>(pExtra);
    update->SetCheck(IsSmallIconView() == (nID == kCmdSmallIcons));
    return TRUE;
  }
  return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---- Painting ---------------------------------------------------------------------------------

LRESULT CGfxOutBarCtrl::OnEraseBkgnd(WPARAM, LPARAM) { return 1; }

LRESULT CGfxOutBarCtrl::OnPaintMessage(WPARAM, LPARAM) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  // Drawn off screen and copied at once, so the bar never flickers.
  RECT client;
  GetClientRect(&client);
  HDC memory = CreateCompatibleDC(dc);
  tolvar::gdi::UniqueBitmap bitmap(CreateCompatibleBitmap(dc, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom)));
  HGDIOBJ old = SelectObject(memory, bitmap.Get());
  Paint(memory);
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  EndPaint(m_hWnd, &paint);
  return 0;
}

void CGfxOutBarCtrl::DrawFolder(HDC dc, int index, bool raised, bool pressed) {
  RECT header = GetFolderRect(index);
  Fill(dc, header, GetSysColor(COLOR_BTNFACE));
  const int right = header.right - 1, bottom = header.bottom - 1;
  auto line = [dc](int x0, int y0, int x1, int y1, COLORREF colour) {
    tolvar::gdi::UniquePen pen(CreatePen(PS_SOLID, 1, colour));
    HGDIOBJ old = SelectObject(dc, pen.Get());
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
  };
  if (pressed) {
    line(header.left, bottom, header.left, header.top, GetSysColor(COLOR_3DDKSHADOW));
    line(header.left, header.top, right + 1, header.top, GetSysColor(COLOR_3DDKSHADOW));
    line(header.left, bottom, right + 1, bottom, GetSysColor(COLOR_BTNHIGHLIGHT));
    line(right, header.top, right, bottom, GetSysColor(COLOR_BTNHIGHLIGHT));
  } else {
    line(header.left, bottom, header.left, header.top, GetSysColor(COLOR_BTNHIGHLIGHT));
    line(header.left, header.top, right, header.top, GetSysColor(COLOR_BTNHIGHLIGHT));
    line(header.left, bottom, right + 1, bottom, GetSysColor(COLOR_3DDKSHADOW));
    line(right, header.top, right, bottom, GetSysColor(COLOR_3DDKSHADOW));
    if (raised) {
      line(header.left + 1, bottom - 1, right - 1, bottom - 1, GetSysColor(COLOR_BTNSHADOW));
      line(right - 1, header.top + 1, right - 1, bottom - 1, GetSysColor(COLOR_BTNSHADOW));
      line(header.left + 1, header.top + 1, right - 1, header.top + 1, GetSysColor(COLOR_3DLIGHT));
    }
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  if (pressed) OffsetRect(&header, 1, 1);
  DrawTextA(dc, m_folders[index]->label.c_str(), -1, &header, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  SelectObject(dc, oldFont);
}

void CGfxOutBarCtrl::DrawItem(HDC dc, int index, bool hot, bool pressed) {
  const Item& item = m_folders[m_currentFolder]->items[index];
  const RECT icon = GetIconRect(index);
  const int shift = pressed ? 1 : 0;
  if (HIMAGELIST list = IsSmallIconView() ? m_smallImages : m_largeImages) {
    ImageList_Draw(list, item.image, dc, icon.left + shift, icon.top + shift, ILD_TRANSPARENT);
  }
  RECT label = GetLabelRect(index);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, m_textColour);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  const UINT format = IsSmallIconView() ? DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS
                                        : DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS;
  DrawTextA(dc, item.text.c_str(), -1, &label, format);
  SelectObject(dc, oldFont);
  const bool selected = index == m_selectedItem;
  if ((selected || hot || pressed) && m_markers) {
    const RECT cell = GetItemRect(index);
    const int y = (cell.top + cell.bottom) / 2 - kMarkerSize / 2;
    ImageList_Draw(m_markers, selected || pressed ? 1 : 0, dc, cell.right - 19, y, ILD_TRANSPARENT);
  }
}

void CGfxOutBarCtrl::Paint(HDC dc) {
  RECT client;
  GetClientRect(&client);
  Fill(dc, client, m_backColour);
  for (int i = 0; i < GetFolderCount(); ++i) {
    const bool pressed = m_press == Press::Folder && m_pressIndex == i && m_pressInside;
    DrawFolder(dc, i, m_hotFolder == i, pressed);
  }
  if (m_currentFolder < 0 || m_currentFolder >= GetFolderCount()) return;
  const RECT inside = GetInsideRect();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
  for (int i = m_firstItem; i < GetItemCount(m_currentFolder); ++i) {
    if (GetItemRect(i).top >= inside.bottom) break;
    const bool pressed = m_press == Press::Item && m_pressIndex == i && m_pressInside;
    DrawItem(dc, i, m_hotItem == i, pressed);
  }
  for (bool up : {true, false}) {
    if (!IsArrowShown(up)) continue;
    RECT arrow = GetArrowRect(up);
    const bool pushed = up ? m_upPressed && m_pressInside : m_downPressed && m_pressInside;
    DrawFrameControl(dc, &arrow, DFC_SCROLL, (up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | (pushed ? DFCS_PUSHED : 0));
  }
  RestoreDC(dc, saved);
}

const AFX_MSGMAP* CGfxOutBarCtrl::GetMessageMap() const {
  static const AFX_MSGMAP map{CWnd::GetMessageMap(), {
      MapMessage(WM_PAINT, &CGfxOutBarCtrl::OnPaintMessage),
      MapMessage(WM_ERASEBKGND, &CGfxOutBarCtrl::OnEraseBkgnd),
      MapMessage(WM_MOUSEMOVE, &CGfxOutBarCtrl::OnMouseMove),
      MapMessage(WM_LBUTTONDOWN, &CGfxOutBarCtrl::OnLButtonDown),
      MapMessage(WM_LBUTTONDBLCLK, &CGfxOutBarCtrl::OnLButtonDown),
      MapMessage(WM_LBUTTONUP, &CGfxOutBarCtrl::OnLButtonUp),
      MapMessage(WM_TIMER, &CGfxOutBarCtrl::OnTimer),
      MapMessage(WM_KEYDOWN, &CGfxOutBarCtrl::OnKeyDown),
      MapMessage(WM_CAPTURECHANGED, &CGfxOutBarCtrl::OnCaptureChanged),
      MapMessage(WM_SIZE, &CGfxOutBarCtrl::OnSize),
      MapMessage(WM_SETCURSOR, &CGfxOutBarCtrl::OnSetCursor),
      MapMessage(WM_OUTBAR_NOTIFY, &CGfxOutBarCtrl::OnLabelNotify),
      MapMessage(kEndLabelEdit, &CGfxOutBarCtrl::OnEndLabelEdit),
  }};
  return &map;
}
