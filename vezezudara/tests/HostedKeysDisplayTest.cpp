// The launcher on an X display, in its own process with a program it hosts in another: typing goes
// on in the program's field after another program's window had been in front and the launcher was
// clicked again. A picture of the launcher at the end is kept for people ($TEST_PNG_DIR).
#include <LauncherHome.h>

#include "support/XScreen.h"

#include <user/User.h>
#include <user_testing/Recorder.h>

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace launcher_testing;
using testing_display::XScreen;

namespace {

class LauncherKeysOnX : public LauncherTest {};

std::string TextOf(HWND window) {
  // Asked of the program (an edit control keeps its text in its own process).
  char text[64] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

}  // namespace

TEST_F(LauncherKeysOnX, TypingGoesOnInTheProgramsFieldWhenTheLauncherIsInFrontAgain) {
  unsetenv("TOLVAR_DISPLAY");
  XScreen x;
  if (!x.IsOpen()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  OpenHome("vezezudara-x", {{TestProgramFolder() + "/vzd_hosted_alpha", "Alpha"}}, "1");
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  HWND alpha = Host(frame, "Alpha");
  ASSERT_TRUE(alpha);
  HWND field = GetDlgItem(alpha, 13);
  ASSERT_TRUE(field);

  // A person clicks into the program's field and types.
  RECT place;
  GetWindowRect(field, &place);
  x.Click(place.left + 5, place.top + 5);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == frame; })) << "the click did not bring the launcher";
  ASSERT_TRUE(x.Type(XK_a));
  ASSERT_TRUE(WaitFor([&] { return TextOf(field) == "a"; })) << "the field holds \"" << TextOf(field) << "\"";

  // Another program's window comes in front and takes the keys.
  const unsigned long other = x.TakeFocus(700, 600, 120, 60);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() != frame; }));
  ASSERT_TRUE(x.Type(XK_b));

  // A click on the launcher's status bar, which takes no focus, brings it in front again: what is
  // typed then goes on in the field.
  GetWindowRect(frame, &place);
  x.Click((place.left + place.right) / 2, place.bottom - 6);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == frame; })) << "the click did not bring the launcher back";
  ASSERT_TRUE(x.Type(XK_c));
  EXPECT_TRUE(WaitFor([&] { return TextOf(field) == "ac"; }, 5000)) << "the field holds \"" << TextOf(field) << "\"";
  x.Destroy(other);
  if (const unsigned long xframe = x.FindShown(" Dravik")) {
    const testing_display::XPlace shown = x.Place(xframe);
    testing_user::SavePng(x.Pixels(xframe, shown.width, shown.height), shown.width, shown.height,
                          "vezezudara-keys-back-in-the-program");
  }

  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
}
