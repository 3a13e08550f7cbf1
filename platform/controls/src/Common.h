#pragma once
// What every control shares: its state behind the window's extra bytes, notifying its parent, asking
// the parent for colours, and the class table the library registers.
#include <controls/Controls.h>
#include <gdi/Gdi.h>
#include <resources/Resource.h>
#include <user/User.h>

#include <cstdlib>
#include <memory>

namespace tolvar::controls {

// A control's state lives on the heap; the window's first extra bytes hold the pointer. Made at
// WM_NCCREATE, freed at WM_NCDESTROY.
constexpr int kStateBytes = static_cast<int>(sizeof(void*));

template <class State>
State* StateOf(HWND window) {
  return reinterpret_cast<State*>(GetWindowLongPtrA(window, 0));
}
template <class State>
State* AttachState(HWND window) {
  auto state = std::make_unique<State>();
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(state.get()));
  return state.release();
}
template <class State>
void DetachState(HWND window) {
  std::unique_ptr<State> state(StateOf<State>(window));
  SetWindowLongPtrA(window, 0, 0);
}

inline WORD ControlId(HWND window) { return static_cast<WORD>(GetDlgCtrlID(window)); }

// WM_COMMAND with `code` to the parent (the owner of a pop-up control).
inline void NotifyParent(HWND window, WORD code) {
  HWND parent = GetParent(window);
  if (parent) {
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(ControlId(window), code), reinterpret_cast<LPARAM>(window));
  }
}

// The brush (and the DC's colours) the parent chooses for this control; the window manager's default
// when the parent answers nothing.
inline HBRUSH AskColours(HWND window, HDC hdc, UINT message) {
  HWND parent = GetParent(window);
  HBRUSH brush = nullptr;
  if (parent) {
    brush = reinterpret_cast<HBRUSH>(
        SendMessageA(parent, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(window)));
  }
  if (!brush) {
    brush = reinterpret_cast<HBRUSH>(
        DefWindowProcA(window, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(window)));
  }
  return brush;
}

// Selects an object into a DC for the scope.
class Selected {
public:
  Selected(HDC hdc, HGDIOBJ object) : m_hdc(hdc), m_old(object ? SelectObject(hdc, object) : nullptr) {}
  ~Selected() {
    if (m_old) SelectObject(m_hdc, m_old);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

private:
  HDC m_hdc;
  HGDIOBJ m_old;
};

// An owned GDI object, deleted at the end of the scope.
template <class Handle>
class Owned {
public:
  explicit Owned(Handle handle = nullptr) : m_handle(handle) {}
  ~Owned() { reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      reset();
      m_handle = other.m_handle;
      other.m_handle = nullptr;
    }
    return *this;
  }
  Handle get() const { return m_handle; }
  void reset(Handle handle = nullptr) {
    if (m_handle) DeleteObject(m_handle);
    m_handle = handle;
  }

private:
  Handle m_handle;
};

// The font a control draws with: the one set by WM_SETFONT, else the system font.
inline HFONT FontOr(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

// The calling code's painting: a window procedure's WM_PAINT (or WM_PRINTCLIENT with its DC).
class Painting {
public:
  Painting(HWND window, WPARAM printDc) : m_window(window) {
    if (printDc) {
      m_hdc = reinterpret_cast<HDC>(printDc);
    } else {
      m_hdc = BeginPaint(window, &m_paint);
      m_began = true;
    }
  }
  ~Painting() {
    if (m_began) EndPaint(m_window, &m_paint);
  }
  Painting(const Painting&) = delete;
  Painting& operator=(const Painting&) = delete;
  HDC dc() const { return m_hdc; }

private:
  HWND m_window;
  HDC m_hdc = nullptr;
  PAINTSTRUCT m_paint{};
  bool m_began = false;
};

bool KeyDown(int key);

// The signed client point a mouse message carries.
inline POINT PointOf(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam))),
               static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lParam)))};
}

// The window procedures, registered by the class table.
LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ToolTipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ComboBoxExProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT MonthCalendarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DateTimePickerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tolvar::controls
