// The caret: one per thread, drawn by inverting pixels so that drawing it again takes it away. It
// does not blink: a shown caret stays drawn, so what a test renders does not depend on the moment.
#include "Internal.h"

#include <user/Cursor.h>
#include <user/Paint.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>

namespace tolvar::user {
namespace {

void Toggle(CaretState& caret) {
  if (!caret.window || !IsWindow(caret.window)) return;
  WindowDC dc(caret.window);
  if (!dc) return;
  HDC hdc = dc.Get();
  const POINT p = caret.position;
  auto value = reinterpret_cast<ULONG_PTR>(caret.bitmap);
  if (value > 1) {
    gdi::UniqueDC source(CreateCompatibleDC(hdc));
    gdi::ScopedSelect selected(source.Get(), caret.bitmap);
    BitBlt(hdc, p.x, p.y, caret.width, caret.height, source.Get(), 0, 0, SRCINVERT);
  } else {
    gdi::ScopedSelect selected(hdc, GetStockObject(value == 1 ? GRAY_BRUSH : WHITE_BRUSH));
    PatBlt(hdc, p.x, p.y, caret.width, caret.height, PATINVERT);
  }
  caret.on = !caret.on;
}

void Refresh(CaretState& caret) {
  const bool wanted = caret.window && caret.hideCount == 0;
  if (wanted != caret.on) Toggle(caret);
}

CaretState* CaretOfWindow(HWND window) {
  CaretState& caret = CurrentThreadState().caret;
  return caret.window && (!window || caret.window == window) ? &caret : nullptr;
}

}  // namespace

void HideCaretForPaint(HWND window) {
  if (CaretState* caret = CaretOfWindow(window); caret && caret->window == window) {
    ++caret->hideCount;
    Refresh(*caret);
  }
}

void ShowCaretAfterPaint(HWND window) {
  if (CaretState* caret = CaretOfWindow(window); caret && caret->window == window && caret->hideCount > 0) {
    --caret->hideCount;
    Refresh(*caret);
  }
}

void DestroyCaretOf(HWND window) {
  CaretState& caret = CurrentThreadState().caret;
  if (caret.window == window) caret = CaretState{};
}

}  // namespace tolvar::user

using namespace tolvar::user;

BOOL CreateCaret(HWND window, HBITMAP bitmap, int width, int height) {
  auto slot = ReadSlot(window);
  if (!slot || !IsLocal(*slot) || slot->tid != GetCurrentThreadId()) return InvalidWindow(FALSE);
  DestroyCaret();
  CaretState& caret = CurrentThreadState().caret;
  caret.window = window;
  caret.bitmap = bitmap;
  if (reinterpret_cast<ULONG_PTR>(bitmap) > 1) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    width = info.bmWidth;
    height = info.bmHeight;
  }
  caret.width = width ? width : GetSystemMetrics(SM_CXBORDER);
  caret.height = height ? height : GetSystemMetrics(SM_CYBORDER);
  caret.position = {0, 0};
  caret.hideCount = 1;
  caret.on = false;
  return TRUE;
}

BOOL DestroyCaret() {
  CaretState& caret = CurrentThreadState().caret;
  if (!caret.window) return FALSE;
  if (caret.on) Toggle(caret);
  caret = CaretState{};
  return TRUE;
}

BOOL ShowCaret(HWND window) {
  CaretState* caret = CaretOfWindow(window);
  if (!caret || caret->hideCount == 0) return FALSE;
  --caret->hideCount;
  Refresh(*caret);
  return TRUE;
}

BOOL HideCaret(HWND window) {
  CaretState* caret = CaretOfWindow(window);
  if (!caret) return FALSE;
  ++caret->hideCount;
  Refresh(*caret);
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  CaretState& caret = CurrentThreadState().caret;
  if (!caret.window) return FALSE;
  const bool wasOn = caret.on;
  if (wasOn) Toggle(caret);
  caret.position = {x, y};
  if (wasOn) Toggle(caret);
  return TRUE;
}

BOOL GetCaretPos(LPPOINT point) {
  CaretState& caret = CurrentThreadState().caret;
  if (!caret.window || !point) return FALSE;
  *point = caret.position;
  return TRUE;
}
