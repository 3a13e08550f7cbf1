// The phone pane's rows: lookups, marks, names and new folders, without a window.
#include <PaneRows.h>
#include <PhonePaneModel.h>

#include <gtest/gtest.h>

namespace {

using namespace RowBits;

TransferRecord PhoneFileRow(const std::string& name, std::uint32_t id, std::int32_t index, std::uint32_t extra = 0) {
  TransferRecord r;
  r.name = name;
  r.dataWord = PhoneFile | extra;
  r.image = RowImage::Picture;
  r.id = id;
  r.listingIndex = index;
  r.kind = "keFTJpeg";
  return r;
}

TransferRecord PhoneFolderRow(const std::string& name, std::uint32_t id) {
  TransferRecord r;
  r.name = name;
  r.dataWord = PhoneFolder;
  r.image = RowImage::Folder;
  r.id = id;
  return r;
}

// Pictures: Photo (id 1) { p1 (10), Sub (40) { s1 (30) } }, a (20), b (21); b was queued from the PC
// and a marked before b was listed, so counting rows would miscount.
struct PhoneTree : ::testing::Test {
  void SetUp() override {
    model.SetBuild("ZJ");
    RecordTable& top = model.Top(0);
    TransferRecord& photo = model.AddEntry(top, PhoneFolderRow("Photo", 1), "..");
    model.AddEntry(*photo.children, PhoneFileRow("p1.jpg", 10, 0), "..");
    TransferRecord& sub = model.AddEntry(*photo.children, PhoneFolderRow("Sub", 40), "..");
    model.AddEntry(*sub.children, PhoneFileRow("s1.jpg", 30, 0), "..");
    model.AddEntry(top, PhoneFileRow("up.jpg", 0, -1, Queued), "..");
    model.AddEntry(top, PhoneFileRow("a.jpg", 20, 0, Marked), "..");
    model.AddEntry(top, PhoneFileRow("b.jpg", 21, 1), "..");
  }
  CPhonePaneModel model;
};

}  // namespace

TEST_F(PhoneTree, FindPhoneFileAnswersTheListingIndexAndFolder) {
  struct Case {
    std::uint32_t id;
    int index;
    std::int32_t folder;
  } cases[] = {{21, 1, -1}, {20, 0, -1}, {10, 0, 1}, {30, 0, 40}, {99, -1, -1}, {0, -1, -1}};
  for (const Case& c : cases) {
    std::int32_t folder = -1;
    EXPECT_EQ(CPhonePaneModel::FindPhoneFile(model.Top(0), c.id, folder), c.index) << c.id;
    EXPECT_EQ(folder, c.folder) << c.id;
  }
}

TEST_F(PhoneTree, FolderMarksFollowPendingChangesInside) {
  RecordTable& top = model.Top(0);
  TransferRecord& photo = top.rows[0];
  TransferRecord& sub = photo.children->rows[2];
  EXPECT_TRUE(CPhonePaneModel::UpdateFolderMarks(top));  // up.jpg queued, a.jpg marked
  EXPECT_EQ(photo.image, RowImage::Folder);

  sub.children->rows[1].dataWord |= Marked;
  EXPECT_TRUE(CPhonePaneModel::UpdateFolderMarks(*photo.children));
  EXPECT_EQ(sub.image, RowImage::FolderChanged);
  CPhonePaneModel::UpdateFolderMarks(top);
  EXPECT_EQ(photo.image, RowImage::FolderChanged);

  sub.children->rows[1].dataWord &= ~Marked;
  EXPECT_FALSE(CPhonePaneModel::UpdateFolderMarks(*photo.children));
  CPhonePaneModel::UpdateFolderMarks(top);
  EXPECT_EQ(sub.image, RowImage::Folder);
  EXPECT_EQ(photo.image, RowImage::Folder);
}

TEST_F(PhoneTree, DeleteMarksAndUndeleteRestores) {
  model.SetLoaded(true);
  EXPECT_FALSE(model.Mark(0));  // Photo, a fixed folder
  EXPECT_TRUE(model.Mark(3));   // b.jpg
  EXPECT_EQ(model.Shown().rows[3].image, RowImage::Marked);
  EXPECT_TRUE(model.Shown().rows[3].dataWord & Marked);
  EXPECT_TRUE(model.Unmark(3));
  EXPECT_EQ(model.Shown().rows[3].image, RowImage::Picture);
  EXPECT_FALSE(model.Unmark(3));

  // Inside Photo: a folder with id 40 and a file may be marked; a marked folder keeps image 5 and
  // its parent shows a pending change.
  ASSERT_TRUE(model.Open(0));
  EXPECT_TRUE(model.Mark(2));
  EXPECT_EQ(model.Shown().rows[2].image, RowImage::Marked);
  EXPECT_TRUE(model.Unmark(2));
  EXPECT_EQ(model.Shown().rows[2].image, RowImage::Folder);
  EXPECT_FALSE(model.Mark(0));  // the parent entry
  ASSERT_TRUE(model.Open(0));
  EXPECT_EQ(model.Shown().rows.size(), 4u);  // back in the main folder
}

TEST_F(PhoneTree, FixedIdsGuardFoldersOnly) {
  CPhonePaneModel phone;
  phone.AddEntry(phone.Top(0), PhoneFileRow("three.jpg", 3, 0), "..");
  EXPECT_TRUE(phone.Mark(0));  // a file whose id is 3
}

TEST_F(PhoneTree, RenameChecksLengthAndDuplicates) {
  const std::string name35(35, 'n'), name36(36, 'n');
  EXPECT_EQ(model.Rename(3, ""), CPhonePaneModel::NameCheck::Unchanged);
  EXPECT_EQ(model.Rename(3, name36), CPhonePaneModel::NameCheck::TooLong);
  std::string ideographs;
  for (int i = 0; i < 8; ++i) ideographs += "\xE6\x97\xA5";  // 24 bytes in UTF-8
  EXPECT_EQ(model.Rename(3, std::string(12, 'x') + ideographs), CPhonePaneModel::NameCheck::TooLong);
  EXPECT_EQ(model.Rename(3, std::string(11, 'x') + ideographs), CPhonePaneModel::NameCheck::Accepted);
  EXPECT_EQ(model.Rename(3, name35 + "\xC3\xA9"), CPhonePaneModel::NameCheck::TooLong);
  EXPECT_EQ(model.Rename(3, "a.jpg"), CPhonePaneModel::NameCheck::Exists);
  EXPECT_EQ(model.Rename(3, name35), CPhonePaneModel::NameCheck::Accepted);
  EXPECT_EQ(model.Shown().rows[3].name, name35);
  EXPECT_EQ(model.FindIdByName(name35), 21);
  EXPECT_EQ(model.FindIdByName("b.jpg"), -1);
}

TEST_F(PhoneTree, NewFoldersAreUniqueQueuedAndKeepTheSpecialBit) {
  const std::size_t first = model.NewFolder("New Folder", "..");
  const std::size_t second = model.NewFolder("New Folder", "..");
  EXPECT_EQ(model.Shown().rows[first].name, "New Folder");
  EXPECT_EQ(model.Shown().rows[second].name, "New Folder (1)");
  EXPECT_EQ(model.Shown().rows[second].dataWord, 0x26u);

  model.Shown().rows[0].dataWord |= Special;  // Photo as the special folder
  ASSERT_TRUE(model.Open(0));
  const std::size_t inside = model.NewFolder("New Folder", "..");
  EXPECT_EQ(model.Shown().rows[inside].dataWord, 0x426u);
}

TEST_F(PhoneTree, HandingToThePcSetsOnlyTheHandedBit) {
  model.Mark(3);
  EXPECT_TRUE(model.HandToPc(3));
  const TransferRecord& b = model.Shown().rows[3];
  EXPECT_TRUE(b.dataWord & Handed);
  EXPECT_FALSE(b.dataWord & Queued);
  EXPECT_EQ(b.image, RowImage::Picture);
  EXPECT_FALSE(model.HandToPc(0));  // a folder
}

TEST(PhonePane, MainFolderCountAndKinds) {
  CPhonePaneModel model;
  const std::pair<const char*, int> counts[] = {{"ZJ", 3}, {"UD", 3}, {"u1", 3}, {"MI", 2},
                                                {"CW", 2}, {"YW", 2}, {"XX", 0}, {"", 0}};
  for (auto [build, count] : counts) {
    model.SetBuild(build);
    EXPECT_EQ(model.GetMainFolderCount(), count) << build;
  }
  TransferRecord& folder = model.AddEntry(model.Top(1), PhoneFolderRow("Tunes", 20), "..");
  (void)folder;
  model.SetKind(1);
  ASSERT_TRUE(model.Open(0));
  EXPECT_EQ(model.Shown().rows.size(), 1u);  // the parent entry alone
  model.SetKind(0);
  model.SetKind(1);
  EXPECT_EQ(model.Shown().rows.size(), 1u);  // each kind keeps its folder
  model.SetKind(1, true);
  EXPECT_EQ(model.Shown().rows.size(), 1u);
  EXPECT_EQ(model.Shown().rows[0].name, "Tunes");
  model.Clear();
  EXPECT_TRUE(model.Shown().rows.empty());
}
