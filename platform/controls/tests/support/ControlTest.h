#pragma once
// What the controls' tests share: a parent window that records what its controls tell it, a spy that
// records what a control itself receives, input helpers and a pump that runs the dialog manager.
#include <controls/Controls.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testing_controls {

using testing_user::Expected;
using testing_user::ExpectSequence;
using testing_user::kLParam;
using testing_user::kOptional;
using testing_user::kParent;
using testing_user::kSent;
using testing_user::kWParam;
using testing_user::Recorded;
using testing_user::Recorder;

// Messages neither side's tables are about: painting, hit tests, cursor shapes, pointer moves.
bool Noise(UINT message);

// A top-level window class ("ControlParent") recording every message but the noise; WM_CTLCOLOR*
// and WM_DRAWITEM are recorded too (with their answers left to DefWindowProc).
LPCSTR ParentClass();
// Copies of the WM_DRAWITEM structures the parent received, in order (the message's pointer lives
// only while it is sent).
std::vector<DRAWITEMSTRUCT>& DrawnItems();
// Subclasses `control` so that what it receives (but the noise) is recorded before its procedure
// runs.
void Spy(HWND control);

// Runs the queue, passing messages through IsDialogMessage for `dialog` when given.
void PumpDialog(HWND dialog);
// Presses and releases a key (with a modifier held) and runs the queue.
void Press(HWND dialog, UINT key, UINT modifier = 0);
// Clicks (down and up) at a point of `window`'s client area and runs the queue.
void Click(HWND window, POINT client, HWND dialog = nullptr);
// A WM_CHAR per UTF-8 byte of `text` to `window`, as an "A" window on a UTF-8 code page gets them.
void Type(HWND window, const std::string& text, HWND dialog = nullptr);

std::string TextOf(HWND window);

// Base fixture: a visible parent window, active and in the foreground.
class ControlTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  HWND Make(LPCSTR className, LPCSTR text, DWORD style, int x, int y, int cx, int cy, int id, DWORD exStyle = 0);
  std::vector<Recorded> Take() { return Recorder::Get().Take(); }
  HWND m_parent = nullptr;
};

}  // namespace testing_controls
