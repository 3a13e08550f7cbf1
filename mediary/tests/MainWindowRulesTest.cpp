// The main window's variant switches and its start folder.
#include "MainWindowRules.h"

#include <gtest/gtest.h>

#include <filesystem>

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
