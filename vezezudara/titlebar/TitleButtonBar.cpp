// The caption-button bar: geometry of the cells, transparent drawing of the bitmaps, and the press.
#include "TitleButtonBar.h"

#include <controls/ToolTip.h>

#include <algorithm>

namespace {

int XOf(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int YOf(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

// Draws `bitmap` at (x, y) leaving out the pixels of `transparent`: a mask of those pixels, and the
// classic invert-and-mask-invert sequence.
void DrawTransparent(HDC dc, int x, int y, HBITMAP bitmap, COLORREF transparent) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return;
  HDC image = CreateCompatibleDC(dc);
  HDC mask = CreateCompatibleDC(dc);
  HBITMAP maskBitmap = CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr);
  HGDIOBJ oldImage = SelectObject(image, bitmap);
  HGDIOBJ oldMask = SelectObject(mask, maskBitmap);
  SetBkColor(image, transparent);
  BitBlt(mask, 0, 0, info.bmWidth, info.bmHeight, image, 0, 0, SRCCOPY);
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, image, 0, 0, SRCINVERT);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, mask, 0, 0, SRCAND);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, image, 0, 0, SRCINVERT);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  SelectObject(image, oldImage);
  SelectObject(mask, oldMask);
  DeleteObject(maskBitmap);
  DeleteDC(mask);
  DeleteDC(image);
}

}  // namespace

CTitleButtonBar::~CTitleButtonBar() {
  Detach();
  FreeButtons();
}

BOOL CTitleButtonBar::Attach(HWND window) {
  if (!HookWindow(window)) return FALSE;
  m_tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, window, nullptr,
                              nullptr, nullptr);
  UpdateTools();
  return TRUE;
}

void CTitleButtonBar::Detach() {
  if (m_tracking && GetCapture() == m_hWnd) ReleaseCapture();
  m_tracking = false;
  if (m_tooltip && IsWindow(m_tooltip)) DestroyWindow(m_tooltip);
  m_tooltip = nullptr;
  Unhook();
}

void CTitleButtonBar::DeleteBitmaps(CaptionButton& button) {
  // One handle may stand for several states: each is deleted once.
  HBITMAP bitmaps[] = {button.normal, button.hot, button.pressed};
  for (int i = 0; i < 3; ++i) {
    if (!bitmaps[i]) continue;
    if (std::find(bitmaps, bitmaps + i, bitmaps[i]) != bitmaps + i) continue;
    DeleteObject(bitmaps[i]);
  }
  button.normal = button.hot = button.pressed = nullptr;
}

BOOL CTitleButtonBar::AddButton(UINT id, HBITMAP normal, HBITMAP hot, HBITMAP pressed, LPCSTR tooltip, int position) {
  for (const CaptionButton& button : m_buttons) {
    if (button.id == id) return FALSE;
  }
  CaptionButton button{id, normal, hot, pressed, CString(tooltip ? tooltip : "")};
  if (position < 0 || position > static_cast<int>(m_buttons.size())) {
    m_buttons.push_back(std::move(button));
  } else {
    m_buttons.insert(m_buttons.begin() + position, std::move(button));
  }
  UpdateTools();
  return TRUE;
}

BOOL CTitleButtonBar::ReplaceBitmaps(UINT id, HBITMAP normal, HBITMAP hot, HBITMAP pressed) {
  for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
    CaptionButton& button = m_buttons[i];
    if (button.id != id) continue;
    DeleteBitmaps(button);
    button.normal = normal;
    button.hot = hot;
    button.pressed = pressed;
    m_hot = -1;
    UpdateTools();
    DrawButton(i);
    return TRUE;
  }
  return FALSE;
}

void CTitleButtonBar::FreeButtons() {
  for (CaptionButton& button : m_buttons) DeleteBitmaps(button);
  m_buttons.clear();
  m_hot = m_pressed = -1;
  UpdateTools();
}

RECT CTitleButtonBar::ButtonRect(int index) const {
  RECT bounds{};
  GetWindowRect(m_hWnd, &bounds);
  const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
  const LONG exStyle = GetWindowLongA(m_hWnd, GWL_EXSTYLE);
  const bool sizable = (style & WS_THICKFRAME) != 0;
  const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
  const int frameX = GetSystemMetrics(sizable ? SM_CXFRAME : SM_CXDLGFRAME);
  const int frameY = GetSystemMetrics(sizable ? SM_CYFRAME : SM_CYDLGFRAME);
  const int cellWidth = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE);
  const int cellHeight = GetSystemMetrics(tool ? SM_CYSMSIZE : SM_CYSIZE);
  const int k = index + m_reserved;
  const int right = (bounds.right - bounds.left) - frameX - k * kCellWidth;
  return RECT{right - cellWidth, frameY, right, frameY + cellHeight};
}

int CTitleButtonBar::HitTest(POINT windowPoint) const {
  for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
    const RECT cell = ButtonRect(i);
    if (PtInRect(&cell, windowPoint)) return i;
  }
  return -1;
}

void CTitleButtonBar::DrawButton(HDC dc, int index, POINT origin) {
  const CaptionButton& button = m_buttons[index];
  HBITMAP bitmap = button.normal;
  if (index == m_pressed && index == m_hot && button.pressed) bitmap = button.pressed;
  else if (index == m_hot && button.hot) bitmap = button.hot;
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return;
  RECT cell = ButtonRect(index);
  OffsetRect(&cell, -origin.x, -origin.y);
  const int x = cell.left + (cell.right - cell.left - info.bmWidth) / 2;
  const int y = cell.top + (cell.bottom - cell.top - info.bmHeight) / 2;
  DrawTransparent(dc, x, y, bitmap, m_transparent);
}

void CTitleButtonBar::DrawButton(int index) {
  if (!m_hWnd || index < 0 || index >= static_cast<int>(m_buttons.size()) || IsIconic(m_hWnd)) return;
  if (m_paintDC) {
    DrawButton(m_paintDC, index, m_paintOrigin);
    return;
  }
  tolvar::user::WindowDC dc(m_hWnd, true);
  DrawButton(dc.Get(), index, POINT{0, 0});
}

void CTitleButtonBar::DrawButtons() {
  for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) DrawButton(i);
}

POINT CTitleButtonBar::ToWindow(POINT screenPoint) const {
  RECT bounds{};
  GetWindowRect(m_hWnd, &bounds);
  return POINT{screenPoint.x - bounds.left, screenPoint.y - bounds.top};
}

void CTitleButtonBar::Track(POINT windowPoint) {
  const int now = HitTest(windowPoint);
  if (now == m_hot) return;
  const int old = m_hot;
  m_hot = now;
  DrawButton(old);
  DrawButton(now);
}

void CTitleButtonBar::UpdateTools() {
  if (!m_tooltip || !m_hWnd) return;
  for (UINT id : m_toolIds) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_hWnd;
    tool.uId = id;
    SendMessageA(m_tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  m_toolIds.clear();
  RECT client{};
  GetWindowRect(m_hWnd, &client);
  POINT origin{0, 0};
  ClientToScreen(m_hWnd, &origin);
  for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
    if (m_buttons[i].tooltip.IsEmpty()) continue;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_hWnd;
    tool.uId = m_buttons[i].id;
    tool.rect = ButtonRect(i);
    // Tools are placed in client coordinates; the caption lies above the client area.
    OffsetRect(&tool.rect, client.left - origin.x, client.top - origin.y);
    tool.lpszText = const_cast<LPSTR>(static_cast<LPCSTR>(m_buttons[i].tooltip));
    if (SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) m_toolIds.push_back(tool.uId);
  }
}

LRESULT CTitleButtonBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY: {
      const LRESULT result = Default(message, wParam, lParam);
      Detach();
      return result;
    }
    case WM_SYSCOLORCHANGE:
    case WM_WININICHANGE: {
      const LRESULT result = Default(message, wParam, lParam);
      DrawButtons();
      return result;
    }
    case WM_NCPAINT:
    case WM_SETTEXT:
    case WM_NCACTIVATE: {
      const LRESULT result = Default(message, wParam, lParam);
      DrawButtons();
      return result;
    }
    case WM_SIZE:
    case WM_MOVE: {
      const LRESULT result = Default(message, wParam, lParam);
      UpdateTools();
      return result;
    }
    case WM_NCMOUSEMOVE:
      if (!m_tracking) {
        const POINT screen{XOf(lParam), YOf(lParam)};
        Track(ToWindow(screen));
        if (m_tooltip) {
          POINT client = screen;
          ScreenToClient(m_hWnd, &client);
          MSG relay{m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y), static_cast<DWORD>(GetMessageTime()), screen};
          SendMessageA(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
        }
      }
      return Default(message, wParam, lParam);
    case WM_MOUSEMOVE: {
      POINT screen{XOf(lParam), YOf(lParam)};
      ClientToScreen(m_hWnd, &screen);
      Track(ToWindow(screen));
      if (m_tracking) return 0;
      return Default(message, wParam, lParam);
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      const int index = HitTest(ToWindow(POINT{XOf(lParam), YOf(lParam)}));
      if (index < 0) return Default(message, wParam, lParam);
      m_pressed = m_hot = index;
      m_tracking = true;
      SetCapture(m_hWnd);
      DrawButton(index);
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP: {
      if (message == WM_LBUTTONUP && !m_tracking) return Default(message, wParam, lParam);
      POINT screen{XOf(lParam), YOf(lParam)};
      if (message == WM_LBUTTONUP) ClientToScreen(m_hWnd, &screen);
      const bool wasTracking = m_tracking;
      m_tracking = false;
      if (GetCapture() == m_hWnd) ReleaseCapture();
      const int pressed = m_pressed;
      m_pressed = -1;
      const int index = HitTest(ToWindow(screen));
      if (pressed >= 0 && index == pressed) {
        ::PostMessageA(m_hWnd, WM_CAPTION_BUTTON, m_buttons[pressed].id, lParam);
      }
      DrawButton(pressed);
      if (!wasTracking && message == WM_NCLBUTTONUP && pressed < 0) return Default(message, wParam, lParam);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (m_tracking && reinterpret_cast<HWND>(lParam) != m_hWnd) {
        m_tracking = false;
        const int pressed = m_pressed;
        m_pressed = -1;
        DrawButton(pressed);
      }
      return Default(message, wParam, lParam);
    default:
      return Default(message, wParam, lParam);
  }
}
