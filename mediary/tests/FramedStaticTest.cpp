// The framed panel: its background and frame, and a registered child's rectangle left alone.
#include "KitTest.h"

#include <FramedStatic.h>
#include <framework/Controls.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

TEST(FramedStatic, PaintsBackgroundAndFrameAroundItsChildren) {
  kit_testing::UseOwnHome();
  CWnd host;
  ASSERT_TRUE(host.CreateEx(0, nullptr, "Framed", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80, nullptr, nullptr));
  CFramedStatic panel;
  ASSERT_TRUE(panel.Create(host, RECT{0, 0, 100, 80}, 4));
  CStatic child;  // a sibling above the panel, registered with it
  ASSERT_TRUE(child.Create("", WS_CHILD | WS_VISIBLE, RECT{40, 30, 60, 50}, &host, 5));
  SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  panel.AddChild(child);
  panel.SetBackground(RGB(0xFD, 0xEA, 0xE1));
  panel.SetFrame(RGB(0x80, 0x80, 0x80), true);
  testing_user::Pump();
  HBITMAP image = tolvar::user::RenderWindow(panel.GetHwnd());
  ASSERT_TRUE(image);
  EXPECT_EQ(testing_user::PixelAt(image, 0, 0), RGB(0x80, 0x80, 0x80));
  EXPECT_EQ(testing_user::PixelAt(image, 99, 79), RGB(0x80, 0x80, 0x80));
  EXPECT_EQ(testing_user::PixelAt(image, 10, 10), RGB(0xFD, 0xEA, 0xE1));
  DeleteObject(image);
  panel.SetFrame(RGB(0x80, 0x80, 0x80), false);
  testing_user::Pump();
  image = tolvar::user::RenderWindow(panel.GetHwnd());
  EXPECT_EQ(testing_user::PixelAt(image, 0, 0), RGB(0xFD, 0xEA, 0xE1));
  DeleteObject(image);
  host.DestroyWindow();
  testing_user::Pump();
}
