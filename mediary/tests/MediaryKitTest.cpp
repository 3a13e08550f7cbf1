// Mediary's kit settings: the message box's caption ids, and a disabled button handing the focus on.
#include "KitTest.h"

#include <MediaryKit.h>
#include <MessageBoxDlg.h>

#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

TEST(MediaryKit, MessageBoxTakesMediarysCaptionIdsAndComesToTheTop) {
  const MessageBoxSettings kit = GetMessageBoxSettings();
  ApplyMediaryKitSettings();
  const MessageBoxSettings& s = GetMessageBoxSettings();
  EXPECT_EQ((std::vector<UINT>{s.ok, s.cancel, s.no, s.yes, s.abort, s.retry, s.ignore}),
            (std::vector<UINT>{1037, 1038, 1039, 1040, 1041, 1042, 1043}));
  EXPECT_TRUE(s.raiseToTop);
  SetMessageBoxSettings(kit);
}

TEST(MediaryKit, ADisabledFocusedButtonHandsTheFocusToTheNextTabItem) {
  kit_testing::UseOwnHome();
  CWnd host;
  ASSERT_TRUE(host.CreateEx(WS_EX_CONTROLPARENT, nullptr, "Buttons", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                            nullptr, nullptr));
  SetForegroundWindow(host);
  CButton first, second;
  ASSERT_TRUE(first.Create("One", WS_CHILD | WS_VISIBLE | WS_TABSTOP, RECT{0, 0, 80, 24}, &host, 1));
  ASSERT_TRUE(second.Create("Two", WS_CHILD | WS_VISIBLE | WS_TABSTOP, RECT{90, 0, 170, 24}, &host, 2));
  CFocusOnDisableHook hook;
  hook.AttachHook(first);
  first.SetFocus();
  ASSERT_EQ(GetFocus(), first.m_hWnd);
  first.EnableWindow(FALSE);
  testing_user::Pump();
  EXPECT_EQ(GetFocus(), second.m_hWnd);
  hook.Unhook();
  host.DestroyWindow();
  testing_user::Pump();
}
