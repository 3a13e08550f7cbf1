// "Phones.ini": which lines give entries, which phones a model answer matches, and which entry fits
// a detected phone's version.
#include "PhoneList.h"

#include "support/TestHome.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using linkwell::testing::TestHome;

TEST(PhoneList, LinesOfAMinusANameACommaAndABuildGiveEntries) {
  CPhoneList list;
  list.Parse("[Phones]\r\n"
             "-AB,x\r\n"
             "-A,x\r\n"                      // the comma stands at index 2
             "- Tavik D , ZDE_0100/ZTE_0200 \r\n"
             "-Selka, with, commas,ZSE_0300\n"  // the last comma divides
             "Wirra,CWA\n"
             "-   ,CYE\n"
             "-Zenno,");
  const std::vector<std::string> names{"AB", "Tavik D", "Selka, with, commas", "", "Zenno"};
  const std::vector<std::string> builds{"x", "ZDE_0100/ZTE_0200", "ZSE_0300", "CYE", ""};
  EXPECT_EQ(list.Names(), names);
  EXPECT_EQ(list.Builds(), builds);
}

TEST(PhoneList, IsReadFromItsFileAndIsEmptyWithoutOne) {
  TestHome home;
  const std::string path = home.File("Phones.ini");
  CPhoneList list;
  EXPECT_FALSE(list.Read(path.c_str()));
  EXPECT_TRUE(list.Names().empty());
  std::ofstream(path) << "-Tavik,ZDE_0100\r\n-Selka,ZSE_0100\r\n";
  ASSERT_TRUE(list.Read(path.c_str()));
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"Tavik", "Selka"}));
  std::ofstream(path) << "-Wirra,CWA_0100\r\n";
  ASSERT_TRUE(list.Read(path.c_str()));
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"Wirra"}));
}

TEST(PhoneList, AModelMatchesWhenItHoldsAListedName) {
  CPhoneList list;
  list.Parse("-Tavik,ZDE\n-Quarn,YQT\n");
  EXPECT_EQ(list.MatchModel("Tavik-D"), "Tavik-D");
  EXPECT_EQ(list.MatchModel("Quarn2"), "Quarn2");
  EXPECT_EQ(list.MatchModel("Selka-X"), "");
  EXPECT_EQ(list.MatchModel(""), "");
  // A name of blanks only matches nothing rather than everything.
  list.Parse("-    ,ZDE\n");
  EXPECT_EQ(list.MatchModel("Selka-X"), "");
}

TEST(PhoneList, TheEntryForAVersionHasItsLettersAndNoHigherLowestVersion) {
  CPhoneList list;
  list.Parse("-Ulmar,UAE_0100\n"
             "-Selka,ZDE_0100/x\n"
             "-Selka Pro,ZTE_0050/ZDE_0200\n"
             "-Tavik,ZDE\n");  // a build of three letters: no lowest version
  const struct {
    const char* model;
    const char* version;
    int row;
  } cases[] = {
      {"Selka", "ZDE_0123", 1}, {"Selka", "ZDE_0100", 1}, {"Selka", "ZDE_0099", -1},
      {"Selka Pro", "ZDE_0201", 2}, {"Selka Pro", "ZTE_0050", 2}, {"Ulmar", "ZDE_0123", -1},
      {"Tavik", "ZDE_0001", 3}, {"Tavik", "ZDE", 3},
      // Versions too short to hold the letters, or nothing after them, are read only as far as they go.
      {"Selka", "ZD", -1}, {"Selka", "", -1}, {"Selka", "ZDE", -1}, {"Selka", "ZDE_", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(list.FindBuildRow(c.model, c.version), c.row) << c.model << " " << c.version;
}

}  // namespace
