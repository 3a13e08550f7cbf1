#pragma once
// The tests' own connection to the X server: what a person sees (pixels and window attributes read
// back from the server) and what a person does (XTest pointer and keys). Kept apart from the tests so
// that Xlib's macros stay out of them.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_display {

struct CursorImage {
  int width = 0, height = 0, xhot = 0, yhot = 0;
  std::vector<unsigned long> pixels;  // premultiplied ARGB
  bool operator==(const CursorImage&) const = default;
};

struct XPlace {
  int x = 0, y = 0, width = 0, height = 0;
  bool viewable = false;
  bool overrideRedirect = false;
  int rootX = 0, rootY = 0;  // on the screen, whoever the parent is
};

class XScreen {
public:
  XScreen();
  ~XScreen();
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;
  bool IsOpen() const { return m_display != nullptr; }

  XPlace Place(unsigned long window);
  int ScreenWidth();
  int ScreenHeight();
  // The window's pixels, 0xRRGGBB, row by row; empty unless it is viewable.
  std::vector<std::uint32_t> Pixels(unsigned long window, int width, int height);
  std::string Utf8Property(unsigned long window, const char* name);
  // A 32-bit property's items (CARDINAL, or the type the name says for _MOTIF_WM_HINTS).
  std::vector<long> Longs(unsigned long window, const char* name);
  // What a desktop's window manager does to a window it frames: sizes it, and tells it where it went.
  void Resize(unsigned long window, int width, int height);
  void SendMoved(unsigned long window, int x, int y, int width, int height);
  // What a desktop that frames windows does: puts the window into a frame of its own where it is
  // (the window goes back to the root when this connection closes). Answers the frame.
  unsigned long Frame(unsigned long window);
  unsigned long SelectionOwner(const char* selection);
  std::vector<unsigned long> Children(unsigned long window);
  // The window that has the keyboard's focus, where typed keys go (0: none, 1: the pointer's root).
  unsigned long Focus();
  // A viewable top-level window whose _NET_WM_NAME is `name`, 0 when none.
  unsigned long FindShown(const std::string& name);
  // Every such window, bottom first (a dialog before the message box it shows).
  std::vector<unsigned long> FindAllShown(const std::string& name);
  bool TakesDeleteWindow(unsigned long window);
  // What a desktop's close button does.
  void SendDeleteWindow(unsigned long window);

  // A simple desktop's window manager on this connection (false when another one runs): it maps
  // and places the windows as they ask, keeps their WM_STATE, and iconifies those that ask for it
  // (WM_CHANGE_STATE). It acts only in Serve, which takes what is pending; it ends when the
  // connection closes.
  bool ManageWindows();
  void Serve();
  // What the desktop's own minimise button and a click on a task bar entry do.
  void Iconify(unsigned long window);
  void Deiconify(unsigned long window);
  // The first item of WM_STATE: 1 shown (NormalState), 3 iconified (IconicState); -1 when none.
  long WmState(unsigned long window);

  // The pointer's shape as it is now, and the shape of a glyph of the X cursor font (shown for a
  // moment over a window of this connection's own, at the screen's bottom right corner).
  CursorImage Cursor();
  CursorImage FontCursor(unsigned shape);

  // What another program's window coming to the front does: a window of this connection's own,
  // mapped at (x, y) and given the input focus. Answers it; the caller destroys it with Destroy.
  unsigned long TakeFocus(int x, int y, int width, int height);
  void Destroy(unsigned long window);

  void MoveTo(int x, int y);
  void Click(int x, int y, unsigned button = 1);
  // A click in two steps, for a caller that waits for the press to be taken first.
  void Press(int x, int y, unsigned button = 1);
  void Release(unsigned button = 1);
  // Two clicks sent at once, so no pause of this process can part them.
  void DoubleClick(int x, int y, unsigned button = 1);
  // A press at one point, moves to another and the release there, sent at once.
  void Drag(int fromX, int fromY, int toX, int toY);
  // Gives each key symbol a spare key code when the keyboard has none for it, as a layout switch
  // would make a character reachable.
  void Reach(std::initializer_list<unsigned long> symbols);
  // Presses and releases the key of a key symbol (with Shift held).
  bool Type(unsigned long symbol, bool shift = false);

private:
  void SetWmState(unsigned long window, long state);

  void* m_display = nullptr;
  std::vector<unsigned long> m_iconified;  // by this desktop, and not mapped again since
};

}  // namespace testing_display
