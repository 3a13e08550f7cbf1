// The animation window: frames announced by the worker reach the window's thread as messages, a
// click starts and stops, and destroying the window joins the worker.
#include "KitTest.h"

#include <AnimationWnd.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

namespace {

AnimationFrames Coloured(std::initializer_list<std::uint32_t> colours, unsigned delay) {
  AnimationFrames frames;
  for (std::uint32_t colour : colours) {
    AnimationFrame f;
    f.width = 8;
    f.height = 8;
    f.pixels.assign(64, colour);
    f.delay = delay;
    frames.frames.push_back(std::move(f));
  }
  return frames;
}

struct AnimationWindow : ::testing::Test {
  void SetUp() override {
    kit_testing::UseOwnHome();
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Animation", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                              nullptr));
  }
  void TearDown() override {
    host.DestroyWindow();
    testing_user::Pump();
  }
  CWnd host;
};

}  // namespace

TEST_F(AnimationWindow, PlaysOnClickShowsEachFrameAndStopsOnDestroy) {
  CAnimationWnd animation;
  ASSERT_TRUE(animation.Create(host, RECT{0, 0, 8, 8}, 7));
  animation.SetFrames(Coloured({0xFF0000, 0x00FF00, 0x0000FF}, 20));
  SendMessageA(animation.GetHwnd(), WM_LBUTTONDOWN, 0, 0);
  EXPECT_TRUE(animation.IsRunning());
  ASSERT_TRUE(kit_testing::PumpUntil([&] { return animation.GetShownFrame() == 2; }));
  HBITMAP image = tolvar::user::RenderWindow(host);
  ASSERT_TRUE(image);
  DeleteObject(image);
  SendMessageA(animation.GetHwnd(), WM_LBUTTONDOWN, 0, 0);  // stop
  EXPECT_FALSE(animation.IsRunning());
  SendMessageA(animation.GetHwnd(), WM_RBUTTONDOWN, 0, 0);  // rewind
  EXPECT_EQ(animation.GetShownFrame(), 0u);
  SendMessageA(animation.GetHwnd(), WM_LBUTTONDOWN, 0, 0);
  EXPECT_TRUE(animation.IsRunning());
  DestroyWindow(animation.GetHwnd());  // the worker is stopped and joined with the window
  EXPECT_FALSE(animation.IsRunning());
  EXPECT_EQ(animation.GetHwnd(), nullptr);
}

TEST_F(AnimationWindow, OneFrameStaysStill) {
  CAnimationWnd animation;
  ASSERT_TRUE(animation.Create(host, RECT{0, 0, 8, 8}, 7));
  animation.SetFrames(Coloured({0xFF0000}, 20));
  SendMessageA(animation.GetHwnd(), WM_LBUTTONDOWN, 0, 0);
  EXPECT_FALSE(animation.IsRunning());
}
