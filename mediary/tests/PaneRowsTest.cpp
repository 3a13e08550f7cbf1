// Texts and orderings shared by the panes.
#include <PaneRows.h>
#include <TransferRecord.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

TEST(PaneRows, SizeAndTypeCells) {
  const std::pair<std::uint32_t, const char*> phone[] = {
      {0, ""}, {1, "1 B"}, {1023, "1023 B"}, {1024, "1 KB"}, {1535, "1 KB"}, {1536, "2 KB"}, {2048, "2 KB"}};
  for (auto [size, text] : phone) EXPECT_EQ(PhoneSizeText(size), text) << size;
  const std::pair<std::uint64_t, const char*> pc[] = {{0, "0 KB"}, {1, "1 KB"}, {1024, "1 KB"}, {1025, "2 KB"}};
  for (auto [size, text] : pc) EXPECT_EQ(PcSizeText(size), text) << size;
  EXPECT_EQ(KindTypeText("keFTJpeg"), "Jpeg");
  EXPECT_EQ(KindTypeText("keFT"), "");
  EXPECT_EQ(KindTypeText("abc"), "");
}

TEST(PaneRows, SortKeepsParentAndFoldersFirstInBothDirections) {
  using namespace RowBits;
  std::vector<RowTexts> rows{
      {PcFile, {"b.jpg", "3 KB", "JPG File", "01-02-2024 10:00"}},
      {PcFolder, {"Zoo", "", "File Folder", "05-05-2020 10:00"}},
      {PcFile, {"a.jpg", "20 KB", "JPG File", "01-02-2024 10:00"}},
      {PcParent, {"(Go to parent directory)", "", "", ""}},
      {PcFile, {"C.jpg", "3 KB", "JPG File", "31-12-2023 23:59"}},
      {PcFolder, {"apple", "", "File Folder", "01-01-2021 00:00"}},
  };
  auto order = [&](int column, bool ascending) {
    std::vector<RowTexts> sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](const RowTexts& a, const RowTexts& b) { return CompareRows(a, b, column, ascending) < 0; });
    std::vector<std::string> names;
    for (const RowTexts& row : sorted) names.emplace_back(row.cells[0]);
    return names;
  };
  using Names = std::vector<std::string>;
  const std::string parent = "(Go to parent directory)";
  EXPECT_EQ(order(0, true), (Names{parent, "apple", "Zoo", "a.jpg", "b.jpg", "C.jpg"}));
  EXPECT_EQ(order(0, false), (Names{parent, "Zoo", "apple", "C.jpg", "b.jpg", "a.jpg"}));
  // Sizes compare as numbers (3 before 20); equal sizes fall back to the names.
  EXPECT_EQ(order(1, true), (Names{parent, "apple", "Zoo", "b.jpg", "C.jpg", "a.jpg"}));
  EXPECT_EQ(order(1, false), (Names{parent, "Zoo", "apple", "a.jpg", "C.jpg", "b.jpg"}));
  // Times compare by year, month, day, hour, minute; equal times by name.
  EXPECT_EQ(order(3, true), (Names{parent, "Zoo", "apple", "C.jpg", "a.jpg", "b.jpg"}));
}

TEST(PaneRows, PhoneNamesAndLengths) {
  EXPECT_EQ(PhoneCharsetLength("abc"), 3u);
  EXPECT_EQ(PhoneCharsetLength("\xC3\xA9t\xC3\xA9"), 5u);   // two accented letters
  EXPECT_EQ(PhoneCharsetLength("\xE6\x97\xA5"), 2u);        // one ideograph
  EXPECT_EQ(PhoneCharsetLength("\xF0\x9F\x98\x80"), 2u);    // outside the basic plane
  EXPECT_EQ(Utf8Length("\xE6\x97\xA5"), 3u);

  EXPECT_EQ(SafePhoneName("a/b\\c.jpg"), std::optional<std::string>("abc.jpg"));
  for (const char* refused : {"", ".", "..", "/", "\\..", "./"}) EXPECT_FALSE(SafePhoneName(refused)) << refused;
  EXPECT_EQ(SafePhoneName("..a"), std::optional<std::string>("..a"));
}

TEST(PaneRows, NewFolderNamesCountUp) {
  std::set<std::string> names;
  auto exists = [&](const std::string& n) { return names.count(n) > 0; };
  const std::string base = WithoutAmpersands("&New Folder");
  EXPECT_EQ(MakeNewFolderName(base, exists), "New Folder");
  names = {"New Folder", "New Folder (1)"};
  EXPECT_EQ(MakeNewFolderName(base, exists), "New Folder (2)");
  names = {"New Folder", "New Folder (2)"};
  EXPECT_EQ(MakeNewFolderName(base, exists), "New Folder (1)");
}

TEST(PaneRows, DragImageShowsFiveRowsAndAnEllipsis) {
  const std::vector<std::string> seven{"1", "2", "3", "4", "5", "6", "7"};
  EXPECT_EQ(DragImageLines(seven), (std::vector<std::string>{"1", "2", "3", "4", "5", "..."}));
  EXPECT_EQ(DragImageLines({"1", "2"}), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(DragImageLines({"1", "2", "3", "4", "5"}).size(), 5u);
}

TEST(PaneRows, DeleteCommandFollowsTheMarks) {
  EXPECT_EQ(DeleteCommandFor({}), DeleteCommand::Delete);
  EXPECT_EQ(DeleteCommandFor({0x21, 0x22}), DeleteCommand::Delete);
  EXPECT_EQ(DeleteCommandFor({0x121, 0x122}), DeleteCommand::Undelete);
  EXPECT_EQ(DeleteCommandFor({0x121, 0x22}), DeleteCommand::Disabled);
}

TEST(PaneRows, OnlyFoldersWithLowIdsAreFixed) {
  EXPECT_TRUE(IsFixedPhoneFolder(0x22, 1));
  EXPECT_TRUE(IsFixedPhoneFolder(0x422, 15));
  EXPECT_FALSE(IsFixedPhoneFolder(0x22, 0));
  EXPECT_FALSE(IsFixedPhoneFolder(0x22, 16));
  EXPECT_FALSE(IsFixedPhoneFolder(0x21, 3));  // a file with id 3 is an ordinary file
}
