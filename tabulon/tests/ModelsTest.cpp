// The configuration and mapping pages' rules, without windows.
#include "CsvSplitter.h"
#include "WizardModels.h"

#include <gtest/gtest.h>

using namespace tabulon;

TEST(ConfigChoice, OffersNextOnlyWhenComplete) {
  struct Case {
    const char* file;
    SeparatorChoice choice;
    const char* other;
    bool next;
    char separator;
  } cases[] = {
      {"", SeparatorChoice::Comma, "", false, ','},
      {"a.csv", SeparatorChoice::None, "", false, 0},
      {"a.csv", SeparatorChoice::Colon, "", true, ':'},
      {"a.csv", SeparatorChoice::Semicolon, "", true, ';'},
      {"a.csv", SeparatorChoice::Tab, "", true, '\t'},
      {"a.csv", SeparatorChoice::Other, "", false, 0},
      {"a.csv", SeparatorChoice::Other, "|", true, '|'},
  };
  for (const Case& c : cases) {
    CConfigChoice config{c.file, c.choice, c.other, false};
    EXPECT_EQ(config.CanGoNext(), c.next) << c.file << int(c.choice);
    EXPECT_EQ(config.Separator(), c.separator);
  }
  EXPECT_FALSE(IsAcceptedOtherText("\""));
  EXPECT_TRUE(IsAcceptedOtherText("|"));
}

TEST(ConfigChoice, ShowsARememberedSeparator) {
  CConfigChoice config;
  config.ShowSeparator(';');
  EXPECT_EQ(config.choice, SeparatorChoice::Semicolon);
  config.ShowSeparator('#');
  EXPECT_EQ(config.choice, SeparatorChoice::Other);
  EXPECT_EQ(config.other, "#");
  config.ShowSeparator('"');  // never a separator: "Other :" stays empty
  EXPECT_EQ(config.other, "");
}

TEST(ConfigChoice, BrowsedPathSelectsOrInsertsWithinTheSlotCount) {
  std::vector<std::string> entries{"C:\\One.csv", "C:\\two.csv"};
  EXPECT_EQ(InsertBrowsedPath(entries, "c:\\ONE.CSV", 2), 0);
  EXPECT_EQ(InsertBrowsedPath(entries, "C:\\TWO.csv", 2), 1);
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_EQ(InsertBrowsedPath(entries, "/home/x.csv", 2), 0);
  EXPECT_EQ(entries, (std::vector<std::string>{"/home/x.csv", "C:\\One.csv"}));
}

class Mapping : public ::testing::Test {
protected:
  CMappingModel model{5};
  void SetUp() override { model.SetColumns(SplitCsvLine("name,phone,mail", ','), true); }
};

TEST_F(Mapping, ColumnsComeFromTheHeaderOrAreNumbered) {
  EXPECT_EQ(model.ColumnCount(), 3);
  EXPECT_EQ(model.ColumnName(1), "phone");
  model.SetColumns(SplitCsvLine("a;b", ';'), false);
  EXPECT_EQ(model.ColumnName(0), "Field00");
  EXPECT_EQ(model.ColumnName(1), "Field01");
}

TEST_F(Mapping, MapsUnmapsAndMovesTheSelectedField) {
  EXPECT_FALSE(model.CanMap());
  model.SelectColumn(1);
  EXPECT_TRUE(model.CanMap());
  EXPECT_TRUE(model.Map());  // no field selected: the last one without a mapping
  EXPECT_EQ(model.Mapping(), (std::vector<int>{-1, -1, -1, -1, 1}));
  EXPECT_EQ(model.SelectedColumn(), -1);
  model.SelectColumn(1);
  EXPECT_FALSE(model.CanMap());  // in use

  model.SelectField(0);
  EXPECT_FALSE(model.CanMoveUp());
  EXPECT_TRUE(model.CanMoveDown());
  EXPECT_FALSE(model.CanUnmap());
  model.SelectColumn(2);
  model.Map();
  model.SelectColumn(0);
  model.Map();  // field 0 takes column 0; column 2 is free again
  EXPECT_EQ(model.Mapping(), (std::vector<int>{0, -1, -1, -1, 1}));
  EXPECT_FALSE(model.IsColumnUsed(2));
  EXPECT_EQ(model.MappedFrom(0), "name");

  model.MoveDown();
  EXPECT_EQ(model.SelectedField(), 1);
  EXPECT_EQ(model.Mapping(), (std::vector<int>{-1, 0, -1, -1, 1}));
  model.SelectField(4);
  EXPECT_FALSE(model.CanMoveDown());
  model.MoveUp();
  EXPECT_EQ(model.Mapping(), (std::vector<int>{-1, 0, -1, 1, -1}));
  EXPECT_TRUE(model.CanUnmap());
  model.Unmap();
  EXPECT_EQ(model.Mapping(), (std::vector<int>{-1, 0, -1, -1, -1}));
  EXPECT_TRUE(model.HasMapping());
  model.EraseMapping();
  EXPECT_FALSE(model.HasMapping());
  EXPECT_EQ(model.SelectedField(), -1);
}

TEST_F(Mapping, DefaultMappingTakesTheColumnsThatExist) {
  model.DefaultMapping();  // three columns, five fields
  EXPECT_EQ(model.Mapping(), (std::vector<int>{0, 1, 2, -1, -1}));
  model.SetColumns(SplitCsvLine("a,,c", ','), true);  // an empty column name is left out
  model.DefaultMapping();
  EXPECT_EQ(model.Mapping(), (std::vector<int>{0, -1, 2, -1, -1}));
}
