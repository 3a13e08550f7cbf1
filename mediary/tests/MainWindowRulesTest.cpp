// The main window's variant switches and its start folder.
#include "MainWindowRules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

TEST(MainWindowRules, VariantSwitches) {
  struct Case {
    const char* build;
    std::uint32_t special;
    int picture;
    bool movies;
    int afterMelodies;  // Ctrl+Tab from Melodies
  } cases[] = {
      {"ZSE_0100", 13, 168, true, 2}, {"ZJ", 12, 168, true, 2}, {"UAE_0118", 13, 179, true, 2},
      {"UJ", 12, 179, true, 2},       {"YIE", 12, 177, false, 0}, {"YW", 11, 0, false, 0},
      {"CX", 11, 176, false, 0},      {"MZE_0107", 11, 178, false, 0}, {"", 11, 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.build);
    const MediaryVariant v = MediaryVariant::FromBuild(c.build);
    EXPECT_EQ(v.specialFolder, c.special);
    EXPECT_EQ(v.phonePicture, c.picture);
    EXPECT_EQ(v.moviesShown, c.movies);
    EXPECT_EQ(v.NextKind(0), 1);
    EXPECT_EQ(v.NextKind(1), c.afterMelodies);
    EXPECT_EQ(v.NextKind(2), 0);
  }
}

TEST(MainWindowRules, StartFolderFallsBackToDocuments) {
  const std::string here = std::filesystem::temp_directory_path().string();
  EXPECT_EQ(StartFolder(here, "/docs"), here);
  EXPECT_EQ(StartFolder(here + "/no-such-folder-45", "/docs"), "/docs");
  EXPECT_EQ(StartFolder("", "/docs"), "/docs");
  EXPECT_EQ(StartFolder(std::string(3000, 'a'), "/docs"), "/docs");  // any length, no cut
}

TEST(MainWindowRules, ViewButtonFacesAndBackgrounds) {
  // {button, chosen} -> normal, hover: a chosen button shows its chosen face in both states.
  struct Case {
    int button, chosen, normal, hover;
  } cases[] = {{0, 0, 158, 158}, {0, 1, 160, 159}, {1, 1, 157, 157}, {1, 2, 155, 156},
               {2, 2, 171, 171}, {2, 0, 173, 172}, {3, 0, 0, 0}};
  for (const Case& c : cases) {
    const ViewButtonFaces faces = ViewButtonBitmaps(c.button, c.chosen);
    EXPECT_EQ(faces.normal, c.normal) << c.button << "/" << c.chosen;
    EXPECT_EQ(faces.hover, c.hover) << c.button << "/" << c.chosen;
  }
  EXPECT_EQ(PreviewBackground(0), 170);
  EXPECT_EQ(PreviewBackground(1), 169);
  EXPECT_EQ(PreviewBackground(2), 175);
}

// The preview's place in each phone picture is the white screen the drawing script leaves: every
// pixel inside is white and the line just outside is the screen's border.
TEST(MainWindowRules, PreviewPlaceIsThePicturesScreen) {
  const std::pair<int, const char*> pictures[] = {
      {168, "phone_z"}, {176, "phone_c"}, {177, "phone_yie"}, {178, "phone_m"}, {179, "phone_u"}};
  for (auto [id, name] : pictures) {
    SCOPED_TRACE(name);
    std::ifstream file(std::string(MEDIARY_RES_DIR) + "/" + name + ".bmp", std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), {});
    ASSERT_GT(bytes.size(), 54u);
    auto word = [&](std::size_t at) { return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24; };
    const int width = word(18), height = word(22), offset = word(10), stride = (width * 3 + 3) & ~3;
    ASSERT_EQ(bytes.size(), std::size_t(offset + stride * height));
    auto white = [&](int x, int y) {
      const std::size_t at = std::size_t(offset + (height - 1 - y) * stride + 3 * x);
      return bytes[at] == 255 && bytes[at + 1] == 255 && bytes[at + 2] == 255;
    };
    const ScreenPlace place = PreviewPlaceIn(id);
    ASSERT_LT(place.left, place.right);
    for (int y = place.top; y < place.bottom; ++y)
      for (int x = place.left; x < place.right; ++x) ASSERT_TRUE(white(x, y)) << x << "," << y;
    for (int x = place.left; x < place.right; ++x) EXPECT_FALSE(white(x, place.top - 1) || white(x, place.bottom));
    for (int y = place.top; y < place.bottom; ++y) EXPECT_FALSE(white(place.left - 1, y) || white(place.right, y));
  }
  EXPECT_EQ(PreviewPlaceIn(0).right, 0);
}
