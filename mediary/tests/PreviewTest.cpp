// The preview: fitting and centring, the picture canvas, the preview's sniffing and plan, and the
// stepping of an animated GIF.
#include "MediaFiles.h"
#include "Samples.h"

#include <PreviewRules.h>
#include <base/TemporaryHome.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

using Gdiplus::ARGB;

namespace {

ARGB CanvasPixel(CPicture& picture, int x, int y) {
  Gdiplus::BitmapData data{};
  Gdiplus::Rect one(x, y, 1, 1);
  EXPECT_EQ(picture.GetCanvas()->LockBits(&one, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat32bppARGB, &data), Gdiplus::Ok);
  const ARGB pixel = *static_cast<const ARGB*>(data.Scan0);
  picture.GetCanvas()->UnlockBits(&data);
  return pixel;
}

int Distance(ARGB a, ARGB b) { return samples::MaxChannelDifference({a}, {b}); }

mediafiles::Bytes Solid(int width, int height, ARGB colour, bool jpeg) {
  const std::vector<ARGB> pixels(std::size_t(width) * std::size_t(height), colour);
  return jpeg ? samples::WriteJpeg(samples::JpegKind::Baseline, width, height, pixels, 90)
              : samples::WritePng({2, 8}, width, height, pixels);
}

// Pictures need the image library started, as the program starts it.
struct Preview : ::testing::Test {
  samples::Library library;
};

}  // namespace

TEST(PreviewFit, FitRectKeepsSmallItemsScalesLargeOnesAndCentres) {
  struct Case {
    int w, h, bw, bh;
    FittedRect r;
  } cases[] = {
      {10, 10, 50, 50, {20, 20, 10, 10}},   {50, 50, 50, 50, {0, 0, 50, 50}},
      {100, 50, 50, 50, {0, 12, 50, 25}},   {50, 100, 50, 50, {12, 0, 25, 50}},
      {200, 100, 100, 80, {0, 15, 100, 50}}, {60, 200, 100, 80, {38, 0, 24, 80}},
      {51, 10, 50, 50, {0, 20, 50, 9}},     {10, 10, 0, 0, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const FittedRect r = FitRect(c.w, c.h, c.bw, c.bh);
    EXPECT_EQ((std::array{r.x, r.y, r.width, r.height}), (std::array{c.r.x, c.r.y, c.r.width, c.r.height}))
        << c.w << "x" << c.h << " in " << c.bw << "x" << c.bh;
  }
}

TEST_F(Preview, PictureIsFittedAndCentredOnWhite) {
  const ARGB red = 0xFFFF0000, white = 0xFFFFFFFF;
  for (bool jpeg : {false, true}) {
    SCOPED_TRACE(jpeg ? "jpeg" : "png");
    CPicture picture;
    picture.SetSize(50, 50);
    ASSERT_EQ(picture.Load(Solid(100, 50, red, jpeg), 0), 1);  // 50 x 25 at y 12
    EXPECT_EQ(Distance(CanvasPixel(picture, 25, 5), white), 0);
    EXPECT_LE(Distance(CanvasPixel(picture, 25, 24), red), 12);
    EXPECT_EQ(Distance(CanvasPixel(picture, 25, 45), white), 0);

    ASSERT_EQ(picture.Load(Solid(10, 10, red, jpeg), 0), 1);  // not enlarged: 10 x 10 at 20, 20
    EXPECT_EQ(Distance(CanvasPixel(picture, 18, 25), white), 0);
    EXPECT_LE(Distance(CanvasPixel(picture, 25, 25), red), 12);
    EXPECT_EQ(Distance(CanvasPixel(picture, 31, 25), white), 0);
  }
}

TEST_F(Preview, AReducedPhotoDecodeKeepsItsPicture) {
  // Left half blue, right half green, 1600 x 1200: the box of 160 x 120 is filled by a 1/8 decode.
  std::vector<ARGB> pixels(std::size_t(1600) * 1200);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i % 1600) < 800 ? 0xFF0000FF : 0xFF00FF00;
  CPicture picture;
  picture.SetSize(160, 120);
  ASSERT_EQ(picture.Load(samples::WriteJpeg(samples::JpegKind::Baseline, 1600, 1200, pixels, 90), 0), 1);
  EXPECT_LE(Distance(CanvasPixel(picture, 20, 60), 0xFF0000FF), 12);
  EXPECT_LE(Distance(CanvasPixel(picture, 140, 60), 0xFF00FF00), 12);
}

TEST_F(Preview, NothingIsDrawnForAnEmptyBoxOrNoPicture) {
  CPicture picture;
  EXPECT_EQ(picture.Load(Solid(10, 10, 0xFFFF0000, false), 0), 0);  // no size set: no division by it
  picture.SetSize(0, 40);
  EXPECT_EQ(picture.Load(Solid(10, 10, 0xFFFF0000, false), 0), 0);
  picture.SetSize(40, 40);
  EXPECT_EQ(picture.Load(mediafiles::Signature("not a picture"), 0), 0);
  EXPECT_EQ(picture.GetCanvas(), nullptr);
  picture.Draw(nullptr);
}

TEST_F(Preview, ReduceColoursKeepsTheUpperFourBits) {
  CPicture picture;
  picture.SetSize(4, 4);
  ASSERT_EQ(picture.Load(Solid(4, 4, 0xFF3C7FE1, false), 0), 1);
  picture.ReduceColours();
  EXPECT_EQ(CanvasPixel(picture, 1, 1), 0xFF3070E0u);
}

TEST_F(Preview, SniffingAndPlanPerKind) {
  using Show = PreviewPlan::Show;
  struct Case {
    const char* name;
    mediafiles::Bytes bytes;
    const char* kind;
    Show show;
    int bitmap;
  } cases[] = {
      {"jpeg", mediafiles::Jpeg(8, 8), "keFTJpeg", Show::Picture, 0},
      {"png", mediafiles::Png(8, 8), "keFTPng", Show::Picture, 0},
      {"bmp", mediafiles::Bmp(8, 8), "keFTBmp", Show::Picture, 0},
      {"gif", mediafiles::Gif(8, 8), "keFTGif", Show::Picture, 0},
      {"animation", mediafiles::Gif(8, 8, 2), "keFTGifAnim", Show::Animate, 0},
      {"wbmp", mediafiles::Signature(std::string_view("\0\0", 2), 0, 12, 0), "keFTWbmp", Show::Placeholder, 167},
      {"animator", mediafiles::Signature("Halvane Anima", 2), "keFTEAnimator", Show::Placeholder, 174},
      {"3gp", mediafiles::Movie("3gp4"), "", Show::Erase, 0},
      {"mp4", mediafiles::Movie("mmp4"), "keFTWbmp", Show::Placeholder, 167},
      {"text", mediafiles::Signature("hello"), "", Show::Erase, 0},
      {"empty", {}, "", Show::Erase, 0},
      {"one byte", {0}, "", Show::Erase, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SniffPreviewKind(c.bytes), c.kind);
    const PreviewPlan plan = PlanPreview(c.kind);
    EXPECT_EQ(plan.show, c.show);
    EXPECT_EQ(plan.bitmapId, c.bitmap);
  }
  EXPECT_EQ(SniffPreviewKind(std::string("/nonexistent/file.jpg")), "");
}

TEST_F(Preview, AnimatedGifStepsThroughItsFramesWithTheirDelays) {
  tolvar::testing::TemporaryHome home;
  const std::string path = home.Path() + "/anim.gif";
  std::vector<samples::GifFrame> frames(3);
  const int delays[] = {5, 1, 0};  // hundredths: 50 ms, 10 ms (shown 20), none (shown 20)
  for (int i = 0; i < 3; ++i) {
    frames[std::size_t(i)].width = frames[std::size_t(i)].height = 8;
    frames[std::size_t(i)].indices.assign(64, std::uint8_t(i));
    frames[std::size_t(i)].delay = delays[i];
  }
  mediafiles::WriteFile(path, samples::WriteGif(8, 8, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000}, frames));

  CGifAnimation animation;
  animation.Start(path, 16, 16);
  const ARGB colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  const unsigned expected[] = {50, 20, 20, 50, 20};
  for (int step = 0; step < 5; ++step) {
    EXPECT_EQ(animation.Step(), expected[step]) << step;
    EXPECT_LE(Distance(CanvasPixel(animation.Picture(), 8, 8), colours[step % 3]), 4) << step;
  }
  EXPECT_EQ(animation.Picture().GetFrameDelay(0), 50u);
  EXPECT_EQ(animation.Picture().GetFrameDelay(3), 0u);  // no such frame in the delay property

  std::filesystem::remove(path);
  EXPECT_EQ(animation.Step(), 0u);
  EXPECT_FALSE(animation.IsRunning());
}
