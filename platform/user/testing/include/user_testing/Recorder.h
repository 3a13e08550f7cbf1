#pragma once
// Test support for window code: a home folder of the test's own, a recorder of window messages with tables of
// expected sequences, and small helpers.
#include <user/User.h>

#include <gdi/Gdi.h>

#include <functional>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_user {

// Flags of an expected message.
enum : unsigned {
  kSent = 0,
  kParent = 1,      // received by the window registered as the parent
  kWParam = 2,      // wParam must match
  kOptional = 4,    // may be missing
  kLParam = 8,      // lParam must match
};

struct Expected {
  UINT message;
  unsigned flags = kSent;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

struct Recorded {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class Recorder {
public:
  static Recorder& Get();
  void Clear();
  void Add(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::vector<Recorded> Take();
  // Messages of these windows are recorded as "the parent's"; everything else is "the window's".
  void SetParent(HWND parent) { m_parent = parent; }
  HWND Parent() const { return m_parent; }

private:
  std::vector<Recorded> m_messages;
  HWND m_parent = nullptr;
};

// Compares the recorded sequence with the expected one (optional entries may be skipped) and
// reports the difference with both sequences in full.
void ExpectSequence(const std::vector<Recorded>& got, std::initializer_list<Expected> expected, const char* context);

// A class "Recorded" (CS_DBLCLKS, white background) whose procedure records every message except
// the noisy ones (WM_GETICON, WM_NCHITTEST, WM_SETCURSOR, WM_GETTEXT...) and then calls
// DefWindowProc. Registered once.
LPCSTR RecordingClass();
// The same without recording.
LPCSTR PlainClass();

// Runs everything waiting in the calling thread's queue, painting included.
void Pump();
// Runs the calling thread's messages as they come until `done` says so (true), or `milliseconds`
// pass (false): only a bound for a test that fails, on a loaded machine.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000);

// The colour at (x, y) of a bitmap.
COLORREF PixelAt(HBITMAP bitmap, int x, int y);
// Writes the bitmap as $TEST_PNG_DIR/<name>.png when that variable is set, for a person to look at.
void SavePng(HBITMAP bitmap, const char* name);
// The same for pixels read back from a display (0xRRGGBB, top row first, width x height of them).
void SavePng(const std::vector<std::uint32_t>& pixels, int width, int height, const char* name);

std::string MessageName(UINT message);

}  // namespace testing_user
