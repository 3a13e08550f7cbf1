#pragma once
// What this process keeps for its own windows and classes, beside the station's shared record.
#include <user/Dialog.h>
#include <user/Window.h>

#include <gdi/GdiTypes.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tolvar::user {

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int classExtraBytes = 0;
  int windowExtraBytes = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  LPCSTR menuName = nullptr;  // as registered: an id or a pointer the caller keeps
  std::vector<BYTE> classExtra;
  int windows = 0;
};

struct DialogState;
struct ScrollBars;  // ScrollBar.cpp

struct Window {
  HWND handle = nullptr;
  DWORD thread = 0;
  std::shared_ptr<WindowClass> windowClass;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  LONG_PTR userData = 0;
  std::vector<BYTE> extra;
  std::string text;
  HMENU menu = nullptr;  // the menu bar of a top-level window
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;

  // Life.
  bool created = false;     // WM_NCCREATE has been answered
  bool destroying = false;  // DestroyWindow has begun
  bool needSize = false;    // WM_SIZE and WM_MOVE wait for the first ShowWindow
  bool ncActive = false;    // the caption shows active
  bool ownCaption = false;  // the program paints the caption itself (SetOwnCaption)
  LRESULT ncPressed = 0;    // the caption button pressed, until the mouse button is released
  RECT normalRect{};        // the restored rectangle of a minimized or maximized window
  bool hasNormalRect = false;

  // Painting: the update region in client coordinates (NULL: nothing), and the pending parts. Any
  // thread may invalidate a window: these are read and written under ProcessLock() only.
  HRGN update = nullptr;
  bool erase = false;
  bool ncPaint = false;
  bool internalPaint = false;
  HDC ownDc = nullptr;  // CS_OWNDC
  // The backing bitmap of a surface root (a top-level window, or one hosted by another process).
  HBITMAP surface = nullptr;
  std::uint32_t* surfaceBits = nullptr;  // top-down rows of surfaceSize.cx pixels
  SIZE surfaceSize{};

  std::unique_ptr<DialogState> dialog;
  std::shared_ptr<ScrollBars> scrollBars;  // made when a bar is first used
  HMENU systemMenu = nullptr;              // the window's own copy of the system menu

  ~Window();
};

// The dialog manager's state of a dialog window.
struct DialogState {
  HFONT font = nullptr;
  bool ownsFont = false;
  SIZE baseUnits{8, 16};
  HWND focus = nullptr;  // the control that had the focus when the dialog was deactivated
  UINT defaultId = 0;    // 0: the template's first default push button
  bool ended = false;
  INT_PTR result = 0;
  bool modal = false;
  bool ownerDisabled = false;  // a modal loop disabled the owner and enables it again
  HMENU menu = nullptr;        // a menu the template named, destroyed with the dialog
};

}  // namespace tolvar::user
