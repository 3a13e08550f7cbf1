// The phone runs' rules that need no phone: progress scaling, overlay texts, lock and detection
// messages, download extensions and the folder recursion's guard.
#include <TransferRules.h>
#include <base/TemporaryHome.h>
#include <kernel/Path.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <cstdio>

#include <gtest/gtest.h>

TEST(TransferRules, ProgressFitsSixteenBits) {
  struct Case {
    std::uint32_t total, current, range, position;
  } cases[] = {
      {0, 0, 0, 0},
      {32768, 32768, 32768, 32768},             // shift 0 up to 32768
      {32769, 32769, 256, 256},                 // shift 7 above
      {65535u << 7, 65535u << 7, 65535, 65535}, // the most shift 7 carries
      {(65535u << 7) + 128, 1u << 20, 32768, 4096},  // beyond it: shift 8
      {9u << 20, 9u << 20, 36864, 36864},       // above 8 MB
      {100000, 200000, 781, 781},               // a position past the total stays at the end
  };
  for (const Case& c : cases) {
    ProgressScale scale;
    const auto step = scale.Scale(c.total, c.current);
    EXPECT_EQ(step.range, c.range) << c.total;
    EXPECT_EQ(step.position, c.position) << c.total;
    EXPECT_LE(step.range, 0xFFFFu);
    EXPECT_TRUE(step.rangeChanged);
    EXPECT_FALSE(scale.Scale(c.total, 0).rangeChanged);
  }
}

TEST(TransferRules, OverlayDoublesPercentSigns) {
  EXPECT_EQ(ProgressOverlay("song.mid"), "song.mid %3d%%");
  EXPECT_EQ(ProgressOverlay("100%.jpg"), "100%%.jpg %3d%%");
  char shown[64];
  std::snprintf(shown, sizeof shown, ProgressOverlay("50%off.jpg").c_str(), 42);  // as the bar fills it
  EXPECT_STREQ(shown, "50%off.jpg  42%");
}

TEST(TransferRules, LockAndDetectionMessages) {
  const std::pair<int, int> locks[] = {{0, 0},       {11, 0},      {8, 1062}, {9, 1063}, {10, 1064},
                                       {1, 1068},    {2, 1068},    {6, 1068}, {7, 1077}, {13, 1068}};
  for (auto [result, message] : locks) EXPECT_EQ(LockCheckMessage(result), message) << result;

  struct Case {
    std::uint32_t error;
    std::vector<int> messages;
    bool powerOff;
  } cases[] = {{0x90000000u, {}, true},           {0x90000002u, {1069}, false},
               {0x90000003u, {1070, 1065}, true}, {0x90000004u, {1082, 1065}, true},
               {5, {1068}, false}};
  for (const Case& c : cases) {
    const DetectionFailure f = DescribeDetectionFailure(c.error);
    EXPECT_EQ(f.messages, c.messages) << c.error;
    EXPECT_EQ(f.powerOff, c.powerOff) << c.error;
  }
}

TEST(TransferRules, DownloadsGetThePhoneExtensionOnce) {
  EXPECT_EQ(WithPhoneExtension("C:\\a\\pic", "jpg"), "C:\\a\\pic.jpg");
  EXPECT_EQ(WithPhoneExtension("C:\\a\\pic.jpg", "jpg"), "C:\\a\\pic.jpg");
  EXPECT_EQ(WithPhoneExtension("C:\\a\\pic.JPG", "jpg"), "C:\\a\\pic.JPG.jpg");  // compared exactly
  EXPECT_EQ(WithPhoneExtension("/home/u/xjpg", "jpg"), "/home/u/xjpg.jpg");
  EXPECT_EQ(WithPhoneExtension("/home/u/x", ""), "/home/u/x");
}

TEST(TransferRules, FolderRecursionSkipsLoopsAndStopsDeep) {
  CFolderTrail trail;
  EXPECT_TRUE(trail.Enter(20));
  EXPECT_TRUE(trail.Enter(21));
  EXPECT_FALSE(trail.Enter(20));  // a folder that contains its own ancestor
  trail.Leave();
  EXPECT_TRUE(trail.Enter(22));   // a sibling may be entered
  trail.Leave();
  trail.Leave();
  EXPECT_EQ(trail.Depth(), 0u);
  for (std::uint32_t id = 0; id < CFolderTrail::kMaxDepth; ++id) EXPECT_TRUE(trail.Enter(100 + id));
  EXPECT_FALSE(trail.Enter(999));
}

TEST(TransferRules, ADownloadIsWrittenWholeOrLeavesTheTargetAsItWas) {
  tolvar::testing::TemporaryHome home;
  namespace fs = std::filesystem;
  const std::string host = tolvar::kernel::ToHostPath("C:\\Down");
  fs::create_directories(host);
  auto read = [](const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  const std::vector<std::uint8_t> photo{'J', 'P', 'G', 0, 1, 2};
  ASSERT_TRUE(WriteDownloadedFile("C:\\Down\\pic.jpg", photo));
  EXPECT_EQ(read(host + "/pic.jpg"), std::string("JPG\0\1\2", 6));
  const std::vector<std::uint8_t> other{'n', 'e', 'w'};
  ASSERT_TRUE(WriteDownloadedFile("C:\\Down\\pic.jpg", other));  // an asked-for overwrite
  EXPECT_EQ(read(host + "/pic.jpg"), "new");
  // A folder that went away: nothing is written anywhere, and the folder holds only what it held.
  EXPECT_FALSE(WriteDownloadedFile("C:\\Gone\\pic.jpg", photo));
  EXPECT_FALSE(fs::exists(tolvar::kernel::ToHostPath("C:\\Gone")));
  EXPECT_EQ(std::distance(fs::directory_iterator(host), fs::directory_iterator()), 1);
}
