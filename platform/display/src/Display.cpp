// Opening and closing the display, and the choice of headless: TOLVAR_DISPLAY=none or no DISPLAY
// leaves the window manager without a backend, exactly as a program that does not link the display.
#include <display/Display.h>

#include "XDisplay.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tolvar::display {
namespace {

std::mutex g_lock;
std::unique_ptr<XDisplay> g_display;

// The library opens the display as it loads and closes it as it unloads, before the window
// manager's own state goes (it loaded first, so it unloads last).
struct AutoOpen {
  AutoOpen() { Open(); }
  ~AutoOpen() { CloseAtExit(); }
} g_autoOpen;

}  // namespace

bool Open() {
  std::lock_guard guard(g_lock);
  if (g_display) return true;
  const char* choice = std::getenv("TOLVAR_DISPLAY");
  if (choice && std::strcmp(choice, "none") == 0) return false;
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return false;
  g_display = XDisplay::Connect(name);
  if (!g_display) return false;
  user::SetDisplayBackend(g_display.get());
  return true;
}

namespace {

void Stop(bool atExit) {
  std::unique_ptr<XDisplay> display;
  {
    std::lock_guard guard(g_lock);
    if (!g_display) return;
    user::SetDisplayBackend(nullptr);
    display = std::move(g_display);
  }
  // A display thread that did not end is waiting for a thread that will never answer (the process
  // is leaving): it keeps its objects, and the process's end closes the connection.
  if (!display->Stop(atExit)) (void)display.release();
}

}  // namespace

void Close() { Stop(false); }

void CloseAtExit() { Stop(true); }

bool IsOpen() {
  std::lock_guard guard(g_lock);
  return g_display != nullptr;
}

unsigned long XWindowOf(HWND window) {
  std::lock_guard guard(g_lock);
  return g_display ? g_display->XWindowOf(window) : 0;
}

unsigned long PresentCount() {
  std::lock_guard guard(g_lock);
  return g_display ? g_display->PresentCount() : 0;
}

}  // namespace tolvar::display
