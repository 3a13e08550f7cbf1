// Tracking a pop-up menu: a modal loop on the calling thread that shows the menu (and the sub-menus
// opened from it) in windows of the class "#32768", moves the selection with the mouse and the
// keys, and ends when an entry is chosen or the menu is cancelled. Owner-drawn entries are measured
// and drawn by the owner window; an owner-drawn entry that opens a sub-menu still gets its arrow
// from the menu, drawn over the owner's drawing.
#include "Internal.h"
#include "MenuObject.h"

#include <user/Dialog.h>
#include <user/DisplayBackend.h>
#include <user/Input.h>
#include <user/Menu.h>
#include <user/Paint.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <gdi/Unique.h>

#include <cctype>

namespace tolvar::user {
namespace {

constexpr const char* kMenuClass = "#32768";
constexpr int kSeparatorHeight = 8;
constexpr int kArrowWidth = 12;
constexpr int kAcceleratorGap = 16;

struct Level {
  HMENU menu = nullptr;
  HWND window = nullptr;
  int selected = -1;
};

struct Tracking {
  HWND owner = nullptr;
  UINT flags = 0;
  std::vector<Level> levels;
  bool done = false;
  UINT chosen = 0;
};

thread_local Tracking* t_tracking = nullptr;
// The press beside the menu that cancelled the calling thread's last tracking, if one did.
thread_local std::optional<MenuCancelClick> t_cancelClick;

bool Notify(const Tracking& t) { return !(t.flags & TPM_NONOTIFY); }

int CheckColumn() { return GetSystemMetrics(SM_CXMENUCHECK) + 4; }

bool Selectable(const MenuEntry& entry) { return !(entry.type & MF_SEPARATOR); }
bool Enabled(const MenuEntry& entry) { return !(entry.state & (MF_GRAYED | MF_DISABLED)); }

// Measures the entries (the owner measures owner-drawn ones) and lays them out one under the other;
// returns the client size.
SIZE LayOutPopup(HWND owner, HMENU menu) {
  auto object = FindMenu(menu);
  if (!object) return {0, 0};
  std::vector<MenuEntry> entries;
  {
    std::lock_guard guard(ProcessLock());
    entries = object->entries;
  }
  HDC hdc = CreateCompatibleDC(nullptr);
  HFONT font = CreateMenuFont();
  HGDIOBJ old = SelectObject(hdc, font);
  std::vector<SIZE> sizes;
  int labelWidth = 0, acceleratorWidth = 0, ownerWidth = 0;
  for (const MenuEntry& entry : entries) {
    SIZE size{0, GetSystemMetrics(SM_CYMENU)};
    if (entry.type & MF_OWNERDRAW) {
      MEASUREITEMSTRUCT measure{ODT_MENU, 0, entry.id, 0, 0, entry.data};
      SendMessageA(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
      // The menu adds a check mark's width to what the owner asks for, which owners count on as
      // the margin after their widest text.
      size = {static_cast<LONG>(measure.itemWidth) + GetSystemMetrics(SM_CXMENUCHECK) - 1,
              static_cast<LONG>(measure.itemHeight)};
      ownerWidth = std::max(ownerWidth, static_cast<int>(size.cx));
    } else if (entry.type & MF_SEPARATOR) {
      size.cy = kSeparatorHeight;
    } else {
      std::string label, accelerator;
      SplitMenuText(entry.text, label, accelerator);
      RECT r{0, 0, 0, 0};
      DrawTextA(hdc, label.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
      labelWidth = std::max(labelWidth, static_cast<int>(r.right));
      size.cy = std::max(size.cy, r.bottom + 4);
      if (!accelerator.empty()) {
        RECT a{0, 0, 0, 0};
        DrawTextA(hdc, accelerator.c_str(), -1, &a, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
        acceleratorWidth = std::max(acceleratorWidth, static_cast<int>(a.right));
      }
    }
    sizes.push_back(size);
  }
  SelectObject(hdc, old);
  DeleteObject(font);
  DeleteDC(hdc);
  int width = CheckColumn() + labelWidth + (acceleratorWidth ? kAcceleratorGap + acceleratorWidth : 0) + kArrowWidth;
  width = std::max(width, ownerWidth);
  int y = 0;
  std::lock_guard guard(ProcessLock());
  for (std::size_t i = 0; i < object->entries.size() && i < sizes.size(); ++i) {
    object->entries[i].rect = {0, y, width, y + sizes[i].cy};
    y += sizes[i].cy;
  }
  return {width, y};
}

// Where the arrow of an entry that opens a sub-menu goes: at the right of the entry, centred.
RECT ArrowRect(const RECT& r) {
  return RECT{r.right - kArrowWidth, r.top + (r.bottom - r.top - 8) / 2, r.right - 4, r.top + (r.bottom - r.top + 8) / 2};
}

// The sub-menu arrow of an entry: only the glyph's own pixels, in `colour`, so that the entry's
// background (the owner's, for an owner-drawn one) stays around it. (The frame control draws the
// glyph black on white, as a mask.)
void DrawArrowOver(HDC hdc, const RECT& r, COLORREF colour) {
  const RECT arrow = ArrowRect(r);
  const int width = arrow.right - arrow.left, height = arrow.bottom - arrow.top;
  if (width <= 0 || height <= 0) return;
  gdi::UniqueDC memory(CreateCompatibleDC(hdc));
  gdi::UniqueBitmap glyph(CreateCompatibleBitmap(hdc, width, height));
  if (!memory || !glyph) return;
  gdi::ScopedSelect select(memory.Get(), glyph.Get());
  RECT box{0, 0, width, height};
  DrawFrameControl(memory.Get(), &box, DFC_MENU, DFCS_MENUARROW);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (GetPixel(memory.Get(), x, y) == RGB(0, 0, 0)) SetPixel(hdc, arrow.left + x, arrow.top + y, colour);
}

void DrawEntry(HWND owner, HDC hdc, HMENU menu, const MenuEntry& entry, bool selected, UINT action) {
  const bool grayed = !Enabled(entry);
  RECT r = entry.rect;
  if (entry.type & MF_OWNERDRAW) {
    UINT state = (selected ? ODS_SELECTED : 0u) | (grayed ? ODS_GRAYED | ODS_DISABLED : 0u) |
                 ((entry.state & MF_CHECKED) ? ODS_CHECKED : 0u) | ((entry.state & MFS_DEFAULT) ? ODS_DEFAULT : 0u);
    DRAWITEMSTRUCT draw{ODT_MENU, 0, entry.id, action, state, reinterpret_cast<HWND>(menu), hdc, r, entry.data};
    int saved = SaveDC(hdc);
    SendMessageA(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    RestoreDC(hdc, saved);
    // As on Windows, the owner draws the entry and the menu adds the arrow of its sub-menu.
    if (entry.subMenu) {
      DrawArrowOver(hdc, r, GetSysColor(grayed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    }
    return;
  }
  FillRect(hdc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (entry.type & MF_SEPARATOR) {
    RECT line{r.left + 1, r.top + (r.bottom - r.top) / 2 - 1, r.right - 1, r.top + (r.bottom - r.top) / 2 + 1};
    DrawEdge(hdc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  const COLORREF text = GetSysColor(grayed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  SetTextColor(hdc, text);
  SetBkMode(hdc, TRANSPARENT);
  if (entry.state & MF_CHECKED) {
    RECT mark{r.left + 2, r.top + (r.bottom - r.top - GetSystemMetrics(SM_CYMENUCHECK)) / 2,
              r.left + 2 + GetSystemMetrics(SM_CXMENUCHECK),
              r.top + (r.bottom - r.top + GetSystemMetrics(SM_CYMENUCHECK)) / 2};
    DrawFrameControl(hdc, &mark, DFC_MENU, (entry.type & MFT_RADIOCHECK) ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  }
  std::string label, accelerator;
  SplitMenuText(entry.text, label, accelerator);
  RECT textRect{r.left + CheckColumn(), r.top, r.right - kArrowWidth, r.bottom};
  HFONT font = CreateMenuFont();
  HGDIOBJ old = SelectObject(hdc, font);
  DrawTextA(hdc, label.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  if (!accelerator.empty()) DrawTextA(hdc, accelerator.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
  SelectObject(hdc, old);
  DeleteObject(font);
  if (entry.subMenu) DrawArrowOver(hdc, r, text);
}

HMENU MenuOfWindow(HWND window) { return reinterpret_cast<HMENU>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

void PaintPopup(HWND window, HDC hdc) {
  HMENU menu = MenuOfWindow(window);
  auto object = FindMenu(menu);
  if (!object || !t_tracking) return;
  std::vector<MenuEntry> entries;
  int selected;
  {
    std::lock_guard guard(ProcessLock());
    entries = object->entries;
    selected = object->selected;
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    DrawEntry(t_tracking->owner, hdc, menu, entries[i], static_cast<int>(i) == selected, ODA_DRAWENTIRE);
  }
}

LRESULT PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC hdc = BeginPaint(window, &paint);
      PaintPopup(window, hdc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_MENU));
      return 1;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RedrawEntry(Tracking& t, const Level& level, int index, bool selected) {
  auto object = FindMenu(level.menu);
  if (!object || index < 0) return;
  MenuEntry entry;
  {
    std::lock_guard guard(ProcessLock());
    if (static_cast<std::size_t>(index) >= object->entries.size()) return;
    entry = object->entries[static_cast<std::size_t>(index)];
  }
  HDC hdc = GetDC(level.window);
  DrawEntry(t.owner, hdc, level.menu, entry, selected, ODA_SELECT);
  ReleaseDC(level.window, hdc);
}

void CloseLevelsAfter(Tracking& t, std::size_t keep) {
  while (t.levels.size() > keep) {
    Level level = t.levels.back();
    t.levels.pop_back();
    if (auto object = FindMenu(level.menu)) {
      std::lock_guard guard(ProcessLock());
      object->selected = -1;
    }
    DestroyWindow(level.window);
    if (Notify(t)) SendMessageA(t.owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(level.menu), 0);
  }
}

void Select(Tracking& t, std::size_t levelIndex, int index, bool byMouse) {
  Level& level = t.levels[levelIndex];
  if (level.selected == index) return;
  CloseLevelsAfter(t, levelIndex + 1);
  Level& current = t.levels[levelIndex];
  const int old = current.selected;
  current.selected = index;
  auto object = FindMenu(current.menu);
  MenuEntry entry;
  {
    std::lock_guard guard(ProcessLock());
    if (object) object->selected = index;
    if (object && index >= 0) entry = object->entries[static_cast<std::size_t>(index)];
  }
  RedrawEntry(t, current, old, false);
  RedrawEntry(t, current, index, true);
  if (Notify(t) && index >= 0) {
    UINT flags = (entry.type | entry.state | MF_HILITE | (byMouse ? MF_MOUSESELECT : 0) | (entry.subMenu ? MF_POPUP : 0) |
                  ((t.flags & kTrackSystemMenu) ? MF_SYSMENU : 0)) & 0xFFFF;
    SendMessageA(t.owner, WM_MENUSELECT,
                 MAKEWPARAM(static_cast<WORD>(entry.subMenu ? static_cast<UINT>(index) : entry.id), static_cast<WORD>(flags)),
                 reinterpret_cast<LPARAM>(current.menu));
  }
}

bool Open(Tracking& t, HMENU menu, POINT at, UINT position, const RECT* exclude) {
  if (Notify(t)) {
    // The high word tells a window's system menu from the program's own menus.
    const BOOL system = (t.flags & kTrackSystemMenu) && t.levels.empty();
    SendMessageA(t.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                 MAKELPARAM(static_cast<WORD>(position), static_cast<WORD>(system)));
  }
  SIZE size = LayOutPopup(t.owner, menu);
  RECT frame{0, 0, size.cx, size.cy};
  const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;
  AdjustWindowRectEx(&frame, WS_POPUP, FALSE, exStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  if (t.levels.empty()) {
    if (t.flags & TPM_RIGHTALIGN) at.x -= width;
    else if (t.flags & TPM_CENTERALIGN) at.x -= width / 2;
    if (t.flags & TPM_BOTTOMALIGN) at.y -= height;
    else if (t.flags & TPM_VCENTERALIGN) at.y -= height / 2;
  }
  // Kept on the screen; a sub-menu that does not fit on the right opens to the left. A menu opened
  // at a point that does not fit right of it or below it opens left of it or above it (the tray
  // menu of an icon at the screen's bottom right grows up and left from the icon), and is pushed
  // onto the screen only when that does not fit either.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const bool topLevel = t.levels.empty();
  if (at.x + width > screenWidth) {
    at.x = exclude ? exclude->left - width : topLevel && at.x - width >= 0 ? at.x - width : screenWidth - width;
  }
  if (at.y + height > screenHeight) at.y = topLevel && at.y - height >= 0 ? at.y - height : screenHeight - height;
  at.x = std::max<LONG>(0, at.x);
  at.y = std::max<LONG>(0, at.y);
  HWND window = CreateWindowExA(exStyle, kMenuClass, "", WS_POPUP, at.x, at.y, width, height, nullptr, nullptr,
                                nullptr, nullptr);
  if (!window) return false;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(menu));
  t.levels.push_back({menu, window, -1});
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  return true;
}

// Opens the sub-menu of the selected entry of the deepest level.
void OpenSelected(Tracking& t, bool selectFirst) {
  Level& level = t.levels.back();
  auto object = FindMenu(level.menu);
  if (!object || level.selected < 0) return;
  MenuEntry entry;
  {
    std::lock_guard guard(ProcessLock());
    entry = object->entries[static_cast<std::size_t>(level.selected)];
  }
  if (!entry.subMenu || !Enabled(entry)) return;
  RECT item = entry.rect;
  POINT corner{item.right, item.top};
  ClientToScreen(level.window, &corner);
  RECT owner;
  GetWindowRect(level.window, &owner);
  if (!Open(t, entry.subMenu, {corner.x, corner.y - 3}, static_cast<UINT>(level.selected), &owner)) return;
  if (selectFirst) {
    auto sub = FindMenu(entry.subMenu);
    std::lock_guard guard(ProcessLock());
    for (std::size_t i = 0; sub && i < sub->entries.size(); ++i) {
      if (Selectable(sub->entries[i])) {
        Select(t, t.levels.size() - 1, static_cast<int>(i), false);
        break;
      }
    }
  }
}

// Chooses the selected entry of a level: opens its sub-menu, or ends the tracking with its command.
void Choose(Tracking& t, std::size_t levelIndex, bool byKey) {
  Level& level = t.levels[levelIndex];
  auto object = FindMenu(level.menu);
  if (!object || level.selected < 0) return;
  MenuEntry entry;
  {
    std::lock_guard guard(ProcessLock());
    entry = object->entries[static_cast<std::size_t>(level.selected)];
  }
  if (!Selectable(entry) || !Enabled(entry)) return;
  if (entry.subMenu) {
    if (t.levels.size() == levelIndex + 1) OpenSelected(t, byKey);
    return;
  }
  t.chosen = entry.id;
  t.done = true;
}

// The level and entry under a screen point, deepest level first.
bool HitTest(Tracking& t, POINT screen, std::size_t& levelIndex, int& entryIndex) {
  for (std::size_t n = t.levels.size(); n-- > 0;) {
    RECT rect;
    GetWindowRect(t.levels[n].window, &rect);
    if (!PtInRect(&rect, screen)) continue;
    levelIndex = n;
    entryIndex = -1;
    POINT client = screen;
    ScreenToClient(t.levels[n].window, &client);
    auto object = FindMenu(t.levels[n].menu);
    std::lock_guard guard(ProcessLock());
    for (std::size_t i = 0; object && i < object->entries.size(); ++i) {
      if (PtInRect(&object->entries[i].rect, client)) entryIndex = static_cast<int>(i);
    }
    return true;
  }
  return false;
}

void Mouse(Tracking& t, const MSG& message) {
  POINT screen{static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(message.lParam))),
               static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(message.lParam)))};
  const bool client = message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST;
  if (client && message.hwnd) ClientToScreen(message.hwnd, &screen);
  UINT kind = client ? message.message : message.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
  std::size_t levelIndex = 0;
  int entryIndex = -1;
  const bool inside = HitTest(t, screen, levelIndex, entryIndex);
  switch (kind) {
    case WM_MOUSEMOVE:
      if (inside && entryIndex >= 0) {
        auto object = FindMenu(t.levels[levelIndex].menu);
        bool selectable = false, hasSub = false;
        {
          std::lock_guard guard(ProcessLock());
          const MenuEntry& e = object->entries[static_cast<std::size_t>(entryIndex)];
          selectable = Selectable(e);
          hasSub = e.subMenu && Enabled(e);
        }
        if (selectable) {
          Select(t, levelIndex, entryIndex, true);
          if (hasSub && t.levels.size() == levelIndex + 1) OpenSelected(t, false);
        }
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (!inside) {
        t.done = true;  // a click beside the menu cancels it
        t_cancelClick = MenuCancelClick{screen, message.time, kind == WM_LBUTTONDBLCLK};
      }
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (kind == WM_RBUTTONUP && !(t.flags & TPM_RIGHTBUTTON)) break;
      if (inside && entryIndex >= 0) {
        Select(t, levelIndex, entryIndex, true);
        Choose(t, levelIndex, false);
      }
      break;
    default: break;
  }
}

void MoveSelection(Tracking& t, int step) {
  const std::size_t levelIndex = t.levels.size() - 1;
  auto object = FindMenu(t.levels[levelIndex].menu);
  if (!object) return;
  int count;
  {
    std::lock_guard guard(ProcessLock());
    count = static_cast<int>(object->entries.size());
  }
  if (count == 0) return;
  int index = t.levels[levelIndex].selected;
  for (int n = 0; n < count; ++n) {
    index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
    bool selectable;
    {
      std::lock_guard guard(ProcessLock());
      selectable = Selectable(object->entries[static_cast<std::size_t>(index)]);
    }
    if (selectable) {
      Select(t, levelIndex, index, false);
      return;
    }
  }
}

std::vector<int> MnemonicMatches(HMENU menu, char c) {
  std::vector<int> matches;
  auto object = FindMenu(menu);
  if (!object) return matches;
  std::lock_guard guard(ProcessLock());
  for (std::size_t i = 0; i < object->entries.size(); ++i) {
    const std::string& text = object->entries[i].text;
    for (std::size_t k = 0; k + 1 < text.size(); ++k) {
      if (text[k] != '&') continue;
      if (text[k + 1] == '&') {
        ++k;
        continue;
      }
      if (std::tolower(static_cast<unsigned char>(text[k + 1])) == std::tolower(static_cast<unsigned char>(c))) {
        matches.push_back(static_cast<int>(i));
      }
      break;
    }
  }
  return matches;
}

void Character(Tracking& t, char c) {
  const std::size_t levelIndex = t.levels.size() - 1;
  HMENU menu = t.levels[levelIndex].menu;
  std::vector<int> matches = MnemonicMatches(menu, c);
  if (matches.size() == 1) {
    Select(t, levelIndex, matches[0], false);
    Choose(t, levelIndex, true);
    return;
  }
  if (matches.size() > 1) {
    // Several entries share the letter: each press moves to the next of them.
    int current = t.levels[levelIndex].selected;
    auto next = std::find_if(matches.begin(), matches.end(), [&](int i) { return i > current; });
    Select(t, levelIndex, next == matches.end() ? matches[0] : *next, false);
    return;
  }
  LRESULT answer = SendMessageA(t.owner, WM_MENUCHAR, MAKEWPARAM(static_cast<unsigned char>(c), MF_POPUP),
                                reinterpret_cast<LPARAM>(menu));
  const WORD action = HIWORD(static_cast<DWORD_PTR>(answer));
  const int index = LOWORD(static_cast<DWORD_PTR>(answer));
  if (action == MNC_EXECUTE) {
    Select(t, levelIndex, index, false);
    Choose(t, levelIndex, true);
  } else if (action == MNC_SELECT) {
    Select(t, levelIndex, index, false);
  } else if (action == MNC_CLOSE) {
    t.done = true;
  }
}

bool IsMenuKey(WPARAM key) {
  switch (key) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_ESCAPE: case VK_RETURN: case VK_MENU: case VK_F10:
      return true;
    default:
      return false;
  }
}

void Key(Tracking& t, WPARAM key) {
  switch (key) {
    case VK_UP: MoveSelection(t, -1); break;
    case VK_DOWN: MoveSelection(t, 1); break;
    case VK_RIGHT: OpenSelected(t, true); break;
    case VK_LEFT:
      if (t.levels.size() > 1) CloseLevelsAfter(t, t.levels.size() - 1);
      break;
    case VK_ESCAPE:
      if (t.levels.size() > 1) CloseLevelsAfter(t, t.levels.size() - 1);
      else t.done = true;
      break;
    case VK_RETURN: Choose(t, t.levels.size() - 1, true); break;
    case VK_MENU:
    case VK_F10: t.done = true; break;
    default: break;
  }
}

}  // namespace

std::optional<MenuCancelClick> LastMenuCancelClick() { return t_cancelClick; }

void RegisterMenuClass() {
  WNDCLASSA wc{};
  wc.style = CS_SAVEBITS | CS_DBLCLKS;
  wc.lpfnWndProc = PopupProc;
  wc.lpszClassName = kMenuClass;
  RegisterClassA(&wc);
}

}  // namespace tolvar::user

namespace tolvar::user {

BOOL TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* exclude, HMENU bar) {
  if (!FindMenu(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (!IsWindow(owner)) return InvalidWindow(FALSE);
  if (t_tracking) {
    SetLastError(ERROR_ACCESS_DENIED);  // one menu at a time per thread
    return FALSE;
  }
  const BOOL shortcut = bar || (flags & kTrackSystemMenu) ? FALSE : TRUE;
  t_cancelClick.reset();
  Tracking tracking;
  tracking.owner = owner;
  tracking.flags = flags;
  t_tracking = &tracking;
  if (Notify(tracking)) {
    // A menu dropped from the menu bar is no pop-up menu of its own: the bar is the menu initialised.
    // Neither it nor the system menu counts as a pop-up (shortcut) menu for WM_ENTERMENULOOP.
    SendMessageA(owner, WM_ENTERMENULOOP, shortcut, 0);
    SendMessageA(owner, WM_INITMENU, reinterpret_cast<WPARAM>(bar ? bar : menu), 0);
  }
  bool shown = Open(tracking, menu, {x, y}, 0, exclude);
  if (shown) {
    SetCapture(tracking.levels.front().window);
    DisplayMenuTracking(tracking.levels.front().window);
  }
  MSG message;
  while (shown && !tracking.done) {
    if (!IsWindow(owner) || tracking.levels.empty()) break;
    if (!GetMessageA(&message, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    const UINT m = message.message;
    if ((m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK)) {
      NoteInputMessage(message);
      Mouse(tracking, message);
    } else if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
      // Only keys that may type a mnemonic become characters: Escape or Enter left as WM_CHAR would
      // reach the window once the menu has closed.
      if (!IsMenuKey(message.wParam)) TranslateMessage(&message);
      Key(tracking, message.wParam);
    } else if (m == WM_CHAR || m == WM_SYSCHAR) {
      if (message.wParam < 0x80) Character(tracking, static_cast<char>(message.wParam));  // mnemonics are ASCII
    } else if (m == WM_KEYUP || m == WM_SYSKEYUP) {
      NoteInputMessage(message);
    } else {
      DispatchMessageA(&message);
    }
  }
  if (shown) DisplayMenuTracking(nullptr);
  CloseLevelsAfter(tracking, 0);
  if (shown && GetCapture()) ReleaseCapture();
  if (IsWindow(owner) && Notify(tracking)) {
    SendMessageA(owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    SendMessageA(owner, WM_EXITMENULOOP, shortcut, 0);
  }
  t_tracking = nullptr;
  if (!shown) return FALSE;
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(tracking.chosen);
  if (tracking.chosen && IsWindow(owner)) PostMessageA(owner, WM_COMMAND, tracking.chosen, 0);
  return TRUE;
}

}  // namespace tolvar::user

using namespace tolvar::user;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
  return TrackMenu(menu, flags, x, y, owner, params ? &params->rcExclude : nullptr, nullptr);
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackMenu(menu, flags, x, y, owner, nullptr, nullptr);
}

BOOL EndMenu() {
  if (!t_tracking) return FALSE;
  t_tracking->done = true;
  if (!t_tracking->levels.empty()) PostMessageA(t_tracking->levels.front().window, WM_NULL, 0, 0);
  return TRUE;
}
