// The menu bar of a top-level window: its layout in rows and its drawing in the classic look.
#include "Internal.h"
#include "MenuObject.h"

#include <user/Menu.h>

#include <user/WindowPos.h>

#include <gdi/Gdi.h>

#include <cctype>

namespace tolvar::user {
namespace {

constexpr int kItemPadding = 6;

SIZE MeasureBarEntry(HWND window, HDC hdc, const MenuEntry& entry) {
  if (entry.type & MF_OWNERDRAW) {
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, entry.id, 0, 0, entry.data};
    SendMessageA(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    return {static_cast<LONG>(measure.itemWidth), static_cast<LONG>(measure.itemHeight)};
  }
  if (entry.type & MF_BITMAP) {
    BITMAP info{};
    GetObjectA(entry.bitmap, sizeof info, &info);
    return {info.bmWidth + 2 * kItemPadding, info.bmHeight};
  }
  std::string label, accelerator;
  SplitMenuText(entry.text, label, accelerator);
  RECT r{0, 0, 0, 0};
  DrawTextA(hdc, label.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
  return {r.right + 2 * kItemPadding, r.bottom};
}

// Lays the bar's entries out in rows `width` pixels wide, in bar coordinates; returns the height.
int LayOut(HWND window, HMENU menu, int width) {
  auto object = FindMenu(menu);
  if (!object) return 0;
  HDC hdc = CreateCompatibleDC(nullptr);
  HFONT font = CreateMenuFont();
  HGDIOBJ old = SelectObject(hdc, font);
  const int rowHeight = GetSystemMetrics(SM_CYMENU);
  std::vector<SIZE> sizes;
  {
    std::lock_guard guard(ProcessLock());
    for (const MenuEntry& entry : object->entries) sizes.push_back(MeasureBarEntry(window, hdc, entry));
  }
  SelectObject(hdc, old);
  DeleteObject(font);
  DeleteDC(hdc);
  std::lock_guard guard(ProcessLock());
  int x = 0, y = 0;
  for (std::size_t i = 0; i < object->entries.size() && i < sizes.size(); ++i) {
    MenuEntry& entry = object->entries[i];
    const int w = sizes[i].cx;
    if (x > 0 && (x + w > width || (entry.type & MF_MENUBARBREAK) || (entry.type & MF_MENUBREAK))) {
      x = 0;
      y += rowHeight;
    }
    entry.rect = {x, y, x + w, y + rowHeight};
    x += w;
  }
  return object->entries.empty() ? rowHeight : y + rowHeight;
}

}  // namespace

int MenuBarHeight(HWND window, int width) {
  auto local = FindLocal(window);
  if (!local || !local->menu) return 0;
  return LayOut(window, local->menu, width);
}

void DrawMenuBarInto(HWND window, HDC hdc, const RECT& bar) {
  auto local = FindLocal(window);
  if (!local || !local->menu) return;
  HMENU menu = local->menu;
  LayOut(window, menu, bar.right - bar.left);
  auto object = FindMenu(menu);
  if (!object) return;
  FillRect(hdc, &bar, GetSysColorBrush(COLOR_MENU));
  HFONT font = CreateMenuFont();
  HGDIOBJ old = SelectObject(hdc, font);
  SetBkMode(hdc, TRANSPARENT);
  std::vector<MenuEntry> entries;
  int selected;
  {
    std::lock_guard guard(ProcessLock());
    entries = object->entries;
    selected = object->selected;
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const MenuEntry& entry = entries[i];
    RECT r = entry.rect;
    OffsetRect(&r, bar.left, bar.top);
    const bool hot = static_cast<int>(i) == selected;
    const bool grayed = (entry.state & (MF_GRAYED | MF_DISABLED)) != 0;
    if (entry.type & MF_OWNERDRAW) {
      DRAWITEMSTRUCT draw{ODT_MENU, 0, entry.id, ODA_DRAWENTIRE,
                          (hot ? ODS_SELECTED : 0u) | (grayed ? ODS_GRAYED : 0u) | ((entry.state & MF_CHECKED) ? ODS_CHECKED : 0u),
                          reinterpret_cast<HWND>(menu), hdc, r, entry.data};
      SendMessageA(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
      continue;
    }
    if (hot) FillRect(hdc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    std::string label, accelerator;
    SplitMenuText(entry.text, label, accelerator);
    SetTextColor(hdc, GetSysColor(grayed ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    DrawTextA(hdc, label.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  RECT line{bar.left, bar.bottom - 1, bar.right, bar.bottom};
  FillRect(hdc, &line, GetSysColorBrush(COLOR_MENU));
  SelectObject(hdc, old);
  DeleteObject(font);
}

namespace {

// Drops the menu of bar entry `index` below it, or posts the command of a plain entry.
void OpenBarEntry(HWND window, HMENU bar, int index) {
  auto object = FindMenu(bar);
  if (!object) return;
  MenuEntry entry;
  {
    std::lock_guard guard(ProcessLock());
    if (index < 0 || static_cast<std::size_t>(index) >= object->entries.size()) return;
    entry = object->entries[static_cast<std::size_t>(index)];
  }
  if (entry.state & (MF_GRAYED | MF_DISABLED)) return;
  if (!entry.subMenu) {
    PostMessageA(window, WM_COMMAND, entry.id, 0);
    return;
  }
  RECT barRect = MenuBarRect(window);
  RECT frame;
  GetWindowRect(window, &frame);
  RECT item = entry.rect;
  OffsetRect(&item, frame.left + barRect.left, frame.top + barRect.top);
  auto highlight = [&](int selected) {
    {
      std::lock_guard guard(ProcessLock());
      object->selected = selected;
    }
    NonClientPaint(window, nullptr);
  };
  highlight(index);
  TrackMenu(entry.subMenu, TPM_LEFTALIGN | TPM_TOPALIGN, item.left, item.bottom, window, &item, bar);
  if (IsWindow(window)) highlight(-1);
}

}  // namespace

bool ClickMenuBar(HWND window, POINT screen) {
  auto local = FindLocal(window);
  if (!local || !local->menu) return false;
  HMENU bar = local->menu;
  RECT barRect = MenuBarRect(window);
  RECT frame;
  GetWindowRect(window, &frame);
  POINT p{screen.x - frame.left - barRect.left, screen.y - frame.top - barRect.top};
  auto object = FindMenu(bar);
  if (!object) return false;
  int hit = -1;
  {
    std::lock_guard guard(ProcessLock());
    for (std::size_t i = 0; i < object->entries.size(); ++i) {
      if (PtInRect(&object->entries[i].rect, p)) hit = static_cast<int>(i);
    }
  }
  if (hit < 0) return false;
  OpenBarEntry(window, bar, hit);
  return true;
}

bool MenuBarMnemonic(HWND window, char c) {
  auto local = FindLocal(window);
  if (!local || !local->menu || !HasMenuBar(window, StyleOf(window))) return false;
  auto object = FindMenu(local->menu);
  if (!object) return false;
  int hit = -1;
  {
    std::lock_guard guard(ProcessLock());
    for (std::size_t i = 0; i < object->entries.size() && hit < 0; ++i) {
      const std::string& text = object->entries[i].text;
      auto amp = text.find('&');
      if (amp != std::string::npos && amp + 1 < text.size() &&
          std::tolower(static_cast<unsigned char>(text[amp + 1])) == std::tolower(static_cast<unsigned char>(c))) {
        hit = static_cast<int>(i);
      }
    }
  }
  if (hit < 0) return false;
  OpenBarEntry(window, local->menu, hit);
  return true;
}

}  // namespace tolvar::user
