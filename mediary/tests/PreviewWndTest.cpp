// The preview pane: an animated GIF played on the test clock with its frame delays (at least 20
// ms), a still picture fitted on white, the placeholders, and a movie that leaves the pane white.
#include "KitTest.h"
#include "MediaFiles.h"
#include "Samples.h"

#include <PreviewWnd.h>
#include <kernel/Path.h>
#include <kernel/TestClock.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct PreviewWindow : ::testing::Test {
  void SetUp() override {
    kit_testing::UseOwnHome();
    std::filesystem::create_directories(tolvar::kernel::ToHostPath("C:\\Preview"));
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Preview", WS_POPUP | WS_VISIBLE, 0, 0, 120, 100, nullptr, nullptr));
    ASSERT_TRUE(preview.Create(host, RECT{0, 0, 120, 100}, 9));
  }
  void TearDown() override {
    host.DestroyWindow();
    testing_user::Pump();
  }
  std::string Put(const char* name, const mediafiles::Bytes& bytes) {
    const std::string path = std::string("C:\\Preview\\") + name;
    mediafiles::WriteFile(tolvar::kernel::ToHostPath(path), bytes);
    return path;
  }
  COLORREF Centre() {
    HBITMAP image = tolvar::user::RenderWindow(preview.GetHwnd());
    const COLORREF colour = testing_user::PixelAt(image, 60, 50);
    DeleteObject(image);
    return colour;
  }

  samples::Library library;
  CWnd host;
  CPreviewWnd preview;
};

}  // namespace

TEST_F(PreviewWindow, AnAnimatedGifStepsOnTheTimerWithItsDelays) {
  tolvar::kernel::TestClock clock;
  std::vector<samples::GifFrame> frames(3);
  const int delays[] = {5, 1, 0};  // 50 ms, then 10 and none: both shown for 20 ms
  for (int i = 0; i < 3; ++i) {
    frames[std::size_t(i)].width = frames[std::size_t(i)].height = 8;
    frames[std::size_t(i)].indices.assign(64, std::uint8_t(i));
    frames[std::size_t(i)].delay = delays[i];
  }
  const std::string path = Put("anim.gif", samples::WriteGif(8, 8, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000}, frames));
  preview.ShowFile(path);
  ASSERT_TRUE(preview.IsAnimating());
  EXPECT_EQ(Centre(), RGB(255, 0, 0));
  struct Step {
    DWORD advance;
    unsigned next;
    COLORREF colour;
  } steps[] = {{49, 1, RGB(255, 0, 0)}, {1, 2, RGB(0, 255, 0)}, {19, 2, RGB(0, 255, 0)},
               {1, 3, RGB(0, 0, 255)},  {20, 1, RGB(255, 0, 0)}};
  for (const Step& s : steps) {
    clock.Advance(s.advance);
    testing_user::Pump();
    EXPECT_EQ(preview.GetNextFrame(), s.next);
    EXPECT_EQ(Centre(), s.colour);
  }
  // A movie stops the animation and leaves the pane white.
  preview.ShowFile(Put("clip.3gp", mediafiles::Movie("3gp4")));
  EXPECT_FALSE(preview.IsAnimating());
  EXPECT_TRUE(preview.GetPath().empty());
  EXPECT_EQ(Centre(), RGB(255, 255, 255));
}

TEST_F(PreviewWindow, StillPicturesAndPlaceholders) {
  const std::vector<samples::ARGB> red(std::size_t(240) * 100, 0xFFFF0000);
  preview.ShowFile(Put("wide.png", samples::WritePng({2, 8}, 240, 100, red)));  // 120 x 50 at y 25
  HBITMAP image = tolvar::user::RenderWindow(preview.GetHwnd());
  testing_user::SavePng(image, "mediary_preview");
  EXPECT_EQ(testing_user::PixelAt(image, 60, 10), RGB(255, 255, 255));
  EXPECT_EQ(testing_user::PixelAt(image, 60, 50), RGB(255, 0, 0));
  EXPECT_EQ(testing_user::PixelAt(image, 60, 90), RGB(255, 255, 255));
  DeleteObject(image);

  // A JPEG smaller than the pane, centred; named by a Linux path as well.
  const std::string host = tolvar::kernel::ToHostPath(Put("small.jpg", mediafiles::Jpeg(64, 48)));
  preview.ShowFile(host);
  EXPECT_NE(Centre(), RGB(255, 255, 255));

  preview.ShowFile(Put("pic.wbmp", mediafiles::Signature(std::string_view("\0\0", 2), 0, 12, 0)));
  EXPECT_EQ(preview.GetShownBitmap(), 167);
  preview.ShowFile(Put("film.nva", mediafiles::Signature("Halvane Anima", 2)));
  EXPECT_EQ(preview.GetShownBitmap(), 174);
  preview.Reset();
  EXPECT_EQ(preview.GetShownBitmap(), 0);
}
