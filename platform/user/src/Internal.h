#pragma once
// The window manager's functions that one concern offers another inside the module.
#include "Desk.h"
#include "ThreadState.h"

#include <user/Messages.h>
#include <user/Seams.h>
#include <kernel/Kernel.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvar::user {

// Messaging ------------------------------------------------------------------------------------

// Calls the window's procedure on the calling thread; 0 when the window is not this process's.
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// SendMessage with a time-out for other threads; *ok false on failure or time-out.
LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeout, bool* ok);
// Runs `work` on the thread that owns the (local) window and returns its result; at once when that
// is the calling thread.
LRESULT RunOnWindowThread(const WindowSlot& slot, const std::function<LRESULT()>& work, bool* ok = nullptr);

// Time-outs for calls to other processes.
constexpr DWORD kRemoteTimeout = 5000;

// Requests to other processes ---------------------------------------------------------------------

enum class RemoteOp : std::uint32_t {
  Message = 0,     // a sent message
  ShowWindow,      // args: command
  SetWindowPos,    // args: insertAfter, x, y, cx, cy, flags
  SetParent,       // args: new parent
  EnableWindow,    // args: enable
  Redraw,          // args: RDW_ flags
  Capture,         // text: name of a file mapping to fill with the window's pixels; args: width, height
  Destroy,         // the window's parent is being destroyed: the window goes with it
  Count
};

struct Request {
  RemoteOp op = RemoteOp::Message;
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::vector<std::int64_t> args;
  std::string text;
};

struct Answer {
  LRESULT result = 0;
  DWORD error = 0;
  std::string text;
};

// Sends a request to the process that owns `slot`'s window and waits for the answer while serving
// what is sent to the calling thread. Nullopt (with the last error set) when the process is gone,
// has no mailbox or does not answer in time. `wait` false sends without waiting.
std::optional<Answer> RemoteCall(const WindowSlot& slot, const Request& request, DWORD timeout = kRemoteTimeout,
                                 bool wait = true);
// How the receiver queues a posted message: as a posted message, as input for the window, or as
// keyboard input for the focus of the window's thread.
enum class PostAs { Message, Input, Keyboard };
bool RemotePost(const WindowSlot& slot, UINT message, WPARAM wParam, LPARAM lParam, PostAs as = PostAs::Message);
bool RemotePostThread(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
// Starts the process's mailbox (once).
void EnsureMailbox();
// Carries out an operation other than a message on the calling (owner) thread.
LRESULT ExecuteRemoteOp(const Request& request, Answer& answer);

// Windows -----------------------------------------------------------------------------------------

void DestroyThreadWindows(DWORD threadId);
// Destroys a window of the calling thread whose parent (of another process) is being destroyed:
// WM_DESTROY and WM_NCDESTROY here, on the window's own thread, without hiding it first.
BOOL DestroyWithParent(HWND window);
std::shared_ptr<WindowClass> FindClass(LPCSTR name, HINSTANCE instance);
// Sets the window's text in its object and the station's copy.
void StoreWindowText(HWND window, std::string_view text);

// Geometry ----------------------------------------------------------------------------------------

// The client rectangle a window rectangle leaves for the style (WM_NCCALCSIZE's default).
RECT NonClientCalcSize(const RECT& window, DWORD style, DWORD exStyle, bool hasMenu);
bool HasMenuBar(HWND window, DWORD style);
LRESULT NonClientHitTest(HWND window, POINT screen);
// Offset of the window's client area from the screen origin / from another window's.
POINT ClientOriginOnScreen(HWND window);
POINT WindowOriginOnScreen(HWND window);

// Painting ----------------------------------------------------------------------------------------

// Whether a window of the calling thread needs WM_PAINT, and which (parents first).
bool ThreadNeedsPaint(DWORD threadId);
bool SynthesizePaint(HWND filter, UINT first, UINT last, bool remove, MSG& message);
// Invalidates the whole window, frame and children, for showing, sizing and the like.
void InvalidateWhole(HWND window, bool erase);
// Invalidates the part of `parent`'s client area under `rect` (parent client coordinates).
void InvalidateParentArea(HWND parent, const RECT& rect);
// Drops paint state and the backing bitmap of a window that goes.
void ForgetPainting(Window& window);
// Paints what is pending for the window and its descendants of the calling thread, now.
void PaintPendingNow(HWND window);
// Copies a window's pixels (as the screen shows them, the drag image included) into a 32-bit
// top-down buffer.
bool CaptureWindowPixels(HWND window, int width, int height, std::uint32_t* pixels);
// Draws the process's drag image, where it covers the window, over the window's pixels.
void DrawDragImageOver(HWND window, int width, int height, std::uint32_t* pixels);
void NonClientPaint(HWND window, HRGN region);
// Draws the non-client area into a DC whose origin is the window's top-left.
void NonClientPaintInto(HWND window, HDC hdc);

// Input -------------------------------------------------------------------------------------------

constexpr LPARAM kShiftBit = 1 << 25;
constexpr LPARAM kControlBit = 1 << 26;
constexpr WPARAM kAltModifier = 0x1000;
// Queues mouse or keyboard input for the window's thread (of any process).
bool PostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues keyboard input for the thread (of any process) that owns `window`; the thread gives it to
// its focus as that is once the input queued before it has been handled.
bool PostKeyboardInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Takes the modifier states a keyboard or mouse message carries as the thread's key states.
void NoteInputMessage(const MSG& message);
// On the thread, before it takes input: the mouse input queued for one of its windows only because
// that window held the capture when the input was made (its point lies outside the window), while
// the window holds it no longer, goes where its point is, as it would have without the capture; in
// place when that window is the thread's own. A click on its way while the capture was given up
// thus goes where it was made, whenever it arrives.
void RouteInputLeftByCapture();

// Focus -------------------------------------------------------------------------------------------

// Called for a window that is being hidden or destroyed: focus, activation and capture leave it.
void LoseInputState(HWND window, bool destroying);
void ActivateWindow(HWND window, WORD how);
// The window of any process that last took the focus, when it lies in the top-level window `top`.
HWND SharedFocusIn(HWND top);
// The window of another thread (of any process) that last took the focus, when it lies in the
// foreground window: where keys that reached the calling thread after a press belong.
HWND SharedFocusOfOtherThread();
// A window was shown: activates it when it should be.

// Dialogs -----------------------------------------------------------------------------------------

LRESULT DialogDefaultProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void RegisterSystemClasses();

// Menus -------------------------------------------------------------------------------------------

// The height of a window's menu bar for a window `width` pixels wide (0 without one).
int MenuBarHeight(HWND window, int width);
void DrawMenuBarInto(HWND window, HDC hdc, const RECT& bar);
void DestroyMenuOfWindow(HMENU menu);
// Tracks a pop-up menu (dropped from the menu bar `bar` when that is given).
BOOL TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* exclude, HMENU bar);
// The press beside the menu that ended the calling thread's last TrackMenu, if a press did.
struct MenuCancelClick {
  POINT screen{};
  DWORD time = 0;
  bool doubleClick = false;  // it came as a double click
};
std::optional<MenuCancelClick> LastMenuCancelClick();
// The menu bar's rectangle in window coordinates (empty without one).
RECT MenuBarRect(HWND window);
// A click on the menu bar at a screen point, or a letter typed with Alt: drops the entry's menu, or
// posts the command of a plain entry. False when nothing on the bar answers.
bool ClickMenuBar(HWND window, POINT screen);
bool MenuBarMnemonic(HWND window, char c);

// Scroll bars, moving and sizing, the system menu ----------------------------------------------------

// Draws the window's WS_HSCROLL/WS_VSCROLL bars into a DC whose origin is the window's top-left.
void DrawWindowScrollBars(HWND window, HDC hdc);
// The modal loop of a press on a scroll bar (SB_HORZ, SB_VERT of the window, or SB_CTL: the control
// itself) at a screen point, until the button is released.
void TrackScrollBar(HWND window, int bar, POINT screen);
void RegisterScrollBarClass();
// The modal loop of SC_MOVE / SC_SIZE (the command's low bits: HTCAPTION or the WMSZ_ edge of a
// mouse drag, 0 when started by keys).
void RunSizeMove(HWND window, WPARAM command, POINT screen);
// Shows the window's system menu and posts WM_SYSCOMMAND for the entry chosen.
void TrackSystemMenu(HWND window, bool byKey);
// Drops a window's copy of the system menu (when it goes).
void DestroySystemMenuOf(Window& window);
// TrackMenu flag: the menu is a window's system menu (WM_INITMENUPOPUP says so).
constexpr UINT kTrackSystemMenu = 0x80000000;
// Whether LockWindowUpdate holds the window or one of its ancestors; drawing there is held back.
bool IsUpdateLocked(HWND window);
// Notes that something tried to draw into a locked window, to be redrawn when it is unlocked.
void NoteLockedDrawing();

// Carets ------------------------------------------------------------------------------------------

void HideCaretForPaint(HWND window);
void ShowCaretAfterPaint(HWND window);
void DestroyCaretOf(HWND window);

// Display -----------------------------------------------------------------------------------------

void TellDisplayCreated(HWND window);
void TellDisplayDestroyed(HWND window);
void TellDisplayMoved(HWND window);
void TellDisplayShown(HWND window, bool visible);
void TellDisplayPresent(HWND window);
// `shownIn`: the pointer is over a window of this process drawn inside that top-level window of
// another process; NULL: over this process's own windows.
void TellDisplayCursor(HCURSOR cursor, HWND shownIn);
// Whether a display has told the screen size (the station's desktop then follows it).
bool ScreenSizedByDisplay();
void TellDisplayRetitled(HWND window);

}  // namespace tolvar::user
