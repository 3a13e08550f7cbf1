#pragma once
// The X11 display backend: one connection, one thread.
//
// Threads: every Xlib call happens on the display's own thread. The window manager calls the
// backend from any thread (whichever created, moved or painted a window); those calls only queue a
// command and wake the display thread through an eventfd. The display thread reads the pixels of a
// window with RenderWindow, which runs the painting on the window's own thread, so it never holds
// `m_lock` while it does (a window thread may be queuing a command at that moment).
#include "XCursors.h"
#include "XImageBuffer.h"
#include "XTray.h"

#include <user/DisplayBackend.h>

#include <X11/Xlib.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tolvar::display {

// Closes the display as the process leaves (Display.cpp).
void CloseAtExit();

class XDisplay final : public user::DisplayBackend {
public:
  // NULL when the server cannot be reached.
  static std::unique_ptr<XDisplay> Connect(const char* name);
  // Stops the display thread; false when it did not end (see Display.cpp's Close). A caller that
  // is a window's thread answers sent messages meanwhile: the display thread may be waiting for
  // that window to paint or to answer a click. At exit nothing is answered any more, and the wait
  // is bounded instead.
  bool Stop(bool atExit);
  // After Stop answered true.
  ~XDisplay() override;

  void WindowCreated(HWND window) override;
  void WindowDestroyed(HWND window) override;
  void WindowMoved(HWND window, const RECT& screenRect) override;
  void WindowShown(HWND window, bool visible) override;
  void Present(HWND window, const RECT& rect) override;
  void WindowRetitled(HWND window) override;
  void WindowFrameChanged(HWND window) override;
  void CursorChanged(HCURSOR cursor, HWND shownIn) override;
  bool HasTray() override;
  void TrayIconSet(const user::TrayIconState& icon) override;
  void TrayIconRemoved(HWND window, UINT id) override;
  void MenuTracking(HWND window) override;

  unsigned long XWindowOf(HWND window);
  unsigned long PresentCount() const { return m_presents.load(); }

private:
  enum class Op { Create, Destroy, Move, Show, Retitle, Reframe, TraySet, TrayRemove, Grab };
  struct Command {
    Op op;
    HWND window;
    bool visible = false;
    bool iconic = false;  // Move, Show: the window was minimised when it was told
    user::TrayIconState icon{};  // TraySet; TrayRemove uses its id
  };
  // A window as the X server shows it. Owned by the display thread; the map is read by XWindowOf
  // under m_lock.
  struct Shown {
    Window xwindow = 0;
    // Where the X window is: the whole window, or only its client area when the desktop's frame
    // stands in for ours (`decorated`); `offset` is then the client area's place in the window.
    RECT screen{};
    bool decorated = false;
    POINT offset{};
    HICON icon = nullptr;
    bool mapped = false;
    // Minimised: the X window is iconified (by us, or by the desktop and told to our side), and
    // keeps its place on the screen for when it comes back.
    bool iconic = false;
    // What we asked the desktop for (WM_STATE NormalState or IconicState; 0 nothing) and it has not
    // answered yet: what it reports meanwhile is older than the request and is not a change of its own.
    long asked = 0;
    // The desktop minimised or restored the window and our side was told (SC_MINIMIZE, SC_RESTORE):
    // until our side's state follows, its older moves do not undo the desktop's change.
    bool following = false;
    std::string title;
    // Sizes we gave the X window whose ConfigureNotify has not come back yet.
    std::deque<SIZE> sizesAsked;
    std::unique_ptr<XImageBuffer> image;
    std::vector<std::uint32_t> frame;  // the last rendering, kept so that frames allocate nothing
  };

  explicit XDisplay(Display* display);
  void Run();
  void Wake();
  void Apply(const Command& command);
  void Create(HWND window);
  void Destroy(HWND window);
  void Move(HWND window, bool iconic);
  void Reframe(HWND window);
  void SetDecorations(Window xwindow, bool decorated);
  void Show(HWND window, bool visible, bool iconic);
  void Iconify(Shown& shown);
  void SetInitialState(Window xwindow, bool iconic);
  bool DesktopRuns();
  long DesktopState(Window xwindow);
  void Answered(HWND window, long state);
  void DesktopChanged(HWND window, long state);
  void Repaint(HWND window);
  void UpdateTitle(HWND window, Shown& shown);
  void UpdateIcon(HWND window, Shown& shown);
  bool PresentedRect(HWND window, bool decorated, RECT& rect, POINT& offset);
  void TellHost(HWND window);
  void ShowCursor(HCURSOR cursor, HWND shownIn);
  bool Shows(Window xwindow, long handle);
  Window ShownElsewhere(long handle);
  void HandleEvent(XEvent& event);
  void HandleKey(XKeyEvent& event);
  HWND WindowOfX(Window xwindow) const;
  // Whether the X window is one of our windows or lies inside one.
  bool IsOursOrInside(Window xwindow) const;

  Display* m_display = nullptr;
  int m_screen = 0;
  int m_wake = -1;
  GC m_gc = nullptr;
  XIM m_inputMethod = nullptr;
  std::unique_ptr<XTray> m_tray;
  void Grab(HWND window);
  bool m_grabbed = false;  // display thread only
  HWND m_grabWindow = nullptr;  // the tracking menu's window, keys go to its thread
  std::unique_ptr<XCursors> m_cursors;
  Cursor m_cursor = None;  // display thread: the pointer's shape over our windows
  std::map<Window, XIC> m_inputContexts;
  std::vector<std::unique_ptr<char[]>> m_abandoned;  // title buffers of requests that timed out
  std::map<long, Window> m_hosts;  // X windows of other processes' windows that host ours, as last found
  bool m_shm = false;
  bool m_randr = false;
  int m_randrEvent = 0;
  Atom m_protocols = 0, m_deleteWindow = 0, m_netWmName = 0, m_utf8 = 0, m_motifHints = 0,
       m_windowType = 0, m_typeNormal = 0, m_typeDialog = 0, m_hwndAtom = 0, m_repaint = 0, m_netWmIcon = 0,
       m_wmState = 0;

  std::mutex m_lock;
  std::deque<Command> m_commands;
  std::set<HWND> m_dirty;
  HCURSOR m_cursorWanted = nullptr;
  HWND m_cursorShownIn = nullptr;  // another process's top-level window holding ours under the pointer
  bool m_cursorChanged = false;
  std::map<HWND, Shown> m_windows;
  bool m_stop = false;
  bool m_ended = false;
  std::condition_variable m_endedSignal;
  HANDLE m_endedEvent = nullptr;
  bool m_closesAtExit = false;  // display thread only
  std::atomic<unsigned long> m_presents{0};
  std::thread m_thread;
};

}  // namespace tolvar::display
