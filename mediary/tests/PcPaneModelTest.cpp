// The PC pane's listing, queued downloads and the checks of a drop on the phone, on folders made
// in a temporary home (drive C is a folder of it).
#include "MediaFiles.h"

#include <PaneRows.h>
#include <PcPaneModel.h>
#include <PhonePaneModel.h>
#include <base/TemporaryHome.h>
#include <kernel/Path.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace RowBits;

namespace {

std::string Host(const std::string& path) { return tolvar::kernel::ToHostPath(path); }

void Put(const std::string& path, const mediafiles::Bytes& bytes) {
  fs::create_directories(fs::path(Host(path)).parent_path());
  mediafiles::WriteFile(Host(path), bytes);
}

std::vector<std::string> Names(const CPcPaneModel& pane) {
  std::vector<std::string> names;
  for (const PcRow& row : pane.Rows()) names.push_back(row.name);
  return names;
}

const PcRow* RowNamed(const CPcPaneModel& pane, const std::string& name) {
  for (const PcRow& row : pane.Rows())
    if (row.name == name) return &row;
  return nullptr;
}

struct PcPane : ::testing::Test {
  void SetUp() override {
    Put("C:\\Media\\a.jpg", mediafiles::Jpeg(32, 24));
    Put("C:\\Media\\c.JPG", mediafiles::Jpeg(8, 8));
    Put("C:\\Media\\b.mid", mediafiles::Signature("MThd", 0, 1025));
    Put("C:\\Media\\.hidden.jpg", mediafiles::Jpeg(8, 8));
    Put("C:\\Media\\d.jp", mediafiles::Jpeg(8, 8));
    Put("C:\\Media\\e.txt", {'x'});
    Put("C:\\Media\\pipe|name.jpg", mediafiles::Jpeg(8, 8));
    Put("C:\\Media\\Music\\song.mid", mediafiles::Signature("MThd"));
    fs::create_directories(Host("C:\\Media\\.cache"));
    fs::copy_file(std::string(MEDIARY_TEST_DATA) + "/music.lnk", Host("C:\\Media\\music.lnk"));
    fs::copy_file(std::string(MEDIARY_TEST_DATA) + "/dangling.lnk", Host("C:\\Media\\dangling.lnk"));
    fs::create_directory_symlink(Host("C:\\Media\\Music"), Host("C:\\Media\\linked"));
    fs::create_symlink(Host("C:\\Media\\a.jpg"), Host("C:\\Media\\file.lnk"));
    pane.Rules().SetBuild("YW");
  }
  tolvar::testing::TemporaryHome home;
  CPcPaneModel pane;
};

}  // namespace

TEST_F(PcPane, ListsFoldersShortcutsAndTheFilesTheClassAllows) {
  ASSERT_TRUE(pane.ListFolder("C:\\Media"));
  EXPECT_EQ(pane.GetFolder(), "C:\\Media");
  EXPECT_EQ(Names(pane), (std::vector<std::string>{"(Go to parent directory)", "linked", "Music", "a.jpg", "c.JPG",
                                                   "music", "pipe|name.jpg"}));
  const PcRow* shortcut = RowNamed(pane, "music");
  ASSERT_TRUE(shortcut);
  EXPECT_EQ(shortcut->type, "Shortcut");
  EXPECT_EQ(shortcut->dataWord & 0xFFFF, Pc | Shortcut);
  EXPECT_EQ(pane.FolderOfRow(std::size_t(shortcut - pane.Rows().data())), "C:\\Media\\Music");
  const PcRow* folder = RowNamed(pane, "Music");
  EXPECT_EQ(folder->type, "File Folder");
  EXPECT_EQ(folder->dataWord & 0xFFFF, PcFolder);
  EXPECT_EQ(folder->modified.size(), 16u);  // dd-mm-yyyy hh:mm
  const PcRow* jpeg = RowNamed(pane, "c.JPG");
  EXPECT_EQ(jpeg->type, "JPG File");
  EXPECT_EQ(jpeg->dataWord & 0xFFFF, PcFile);
  EXPECT_EQ(pane.Rows()[0].dataWord, PcParent);
  EXPECT_EQ(pane.FolderOfRow(0), "C:\\");
  // Opening: a file goes to the shell, pictures to be edited, sounds opened; folders do not.
  const auto open = [&](const char* name) { return pane.FileToOpen(std::size_t(RowNamed(pane, name) - pane.Rows().data())); };
  EXPECT_EQ(open("c.JPG").path, "C:\\Media\\c.JPG");
  EXPECT_STREQ(open("c.JPG").verb, "edit");
  EXPECT_EQ(open("Music").path, "");
  EXPECT_EQ(open("music").path, "");
  EXPECT_EQ(pane.FileToOpen(0).path, "");

  pane.SetMediaClass(kMediaSound);
  ASSERT_TRUE(pane.ListFolder("C:\\Media\\"));
  EXPECT_EQ(Names(pane), (std::vector<std::string>{"(Go to parent directory)", "linked", "Music", "b.mid", "music"}));
  EXPECT_EQ(RowNamed(pane, "b.mid")->type, "MID File");
  EXPECT_EQ(RowNamed(pane, "b.mid")->size, "2 KB");
  EXPECT_STREQ(open("b.mid").verb, "open");
}

TEST_F(PcPane, RootsHaveNoParentEntryAndMissingFoldersFail) {
  ASSERT_TRUE(pane.ListFolder("C:"));
  EXPECT_EQ(pane.GetFolder(), "C:\\");
  EXPECT_EQ(Names(pane), (std::vector<std::string>{"Media"}));
  ASSERT_TRUE(pane.ListFolder("/"));
  ASSERT_FALSE(pane.Rows().empty());
  EXPECT_FALSE(pane.Rows()[0].dataWord & Parent);
  // A Linux path lists like a drive path, with its parent entry.
  ASSERT_TRUE(pane.ListFolder(Host("C:\\Media")));
  EXPECT_EQ(pane.Rows()[0].dataWord, PcParent);
  EXPECT_EQ(pane.FolderOfRow(0), home.Path() + "/drive_c");
  EXPECT_FALSE(pane.ListFolder("C:\\Nowhere"));
  EXPECT_TRUE(pane.Rows().empty());
}

TEST_F(PcPane, DroppedPhoneFilesGetUniqueNamesWithTheKindsExtension) {
  ASSERT_TRUE(pane.ListFolder("C:\\Media"));
  Put("C:\\Media\\pic.jpg", mediafiles::Jpeg(8, 8));
  auto phoneFile = [](const std::string& name, const std::string& kind, std::uint32_t id) {
    TransferRecord r;
    r.name = name;
    r.kind = kind;
    r.id = id;
    r.listingIndex = 4;
    r.size = 1536;
    r.dataWord = PhoneFile | Marked;
    return r;
  };
  EXPECT_TRUE(pane.AddDroppedPhoneItem(phoneFile("pic.JPG", "keFTJpeg", 7)));
  EXPECT_TRUE(pane.AddDroppedPhoneItem(phoneFile("pic", "keFTJpeg", 8)));
  EXPECT_TRUE(pane.AddDroppedPhoneItem(phoneFile("frame", "keFTPictureFrame", 9)));
  EXPECT_TRUE(pane.AddDroppedPhoneItem(phoneFile("x/..\\y.gif", "keFTGif", 10)));
  EXPECT_FALSE(pane.AddDroppedPhoneItem(phoneFile("..", "keFTGif", 11)));
  EXPECT_FALSE(pane.AddDroppedPhoneItem(phoneFile("/", "keFTGif", 12)));
  TransferRecord folder = phoneFile("dir", "", 13);
  folder.dataWord = PhoneFolder;
  EXPECT_FALSE(pane.AddDroppedPhoneItem(folder));

  const auto& queued = pane.Queued();
  ASSERT_EQ(queued.size(), 4u);
  EXPECT_EQ(queued[0].name, "pic[1].jpg");
  EXPECT_EQ(queued[0].path, "C:\\Media\\pic[1].jpg");
  EXPECT_EQ(queued[1].name, "pic[2].jpg");
  EXPECT_EQ(queued[2].name, "frame.gif");
  EXPECT_EQ(queued[3].name, "x..y.gif");
  EXPECT_EQ(queued[0].id, 7u);
  EXPECT_EQ(queued[0].listingIndex, 4);
  EXPECT_EQ(queued[0].dataWord, PhoneFile | Queued | Handed);
  EXPECT_EQ(queued[0].image, RowImage::Picture);
  // Names without an extension and a second dot keep the part after the first dot.
  EXPECT_EQ(pane.MakeUniqueName("pic"), "pic");
  EXPECT_EQ(pane.MakeUniqueName("a.jpg"), "a[1].jpg");
  EXPECT_EQ(pane.MakeUniqueName("pipe|name.jpg"), "pipe|name[1].jpg");

  // A new listing of the folder shows the queued rows again; another class does not.
  ASSERT_TRUE(pane.ListFolder("C:\\Media"));
  ASSERT_TRUE(RowNamed(pane, "pic[1].jpg"));
  EXPECT_TRUE(RowNamed(pane, "pic[1].jpg")->queued);
  EXPECT_EQ(RowNamed(pane, "pic[1].jpg")->type, "Jpeg");
  pane.SetMediaClass(kMediaSound);
  ASSERT_TRUE(pane.ListFolder("C:\\Media"));
  EXPECT_FALSE(RowNamed(pane, "pic[1].jpg"));
}

TEST_F(PcPane, QueuedEntriesAreRenamedAndRemovedByTheirRecords) {
  ASSERT_TRUE(pane.ListFolder("C:\\Media"));
  TransferRecord phone;
  phone.name = "one.jpg";
  phone.kind = "keFTJpeg";
  phone.dataWord = PhoneFile;
  ASSERT_TRUE(pane.AddDroppedPhoneItem(phone));
  phone.name = "two.jpg";
  ASSERT_TRUE(pane.AddDroppedPhoneItem(phone));
  auto rowOf = [&](const std::string& name) { return std::size_t(RowNamed(pane, name) - pane.Rows().data()); };

  using R = CPcPaneModel::RenameResult;
  EXPECT_EQ(pane.RenameQueued(rowOf("one.jpg"), "two.jpg"), R::Exists);
  EXPECT_EQ(pane.RenameQueued(rowOf("one.jpg"), "a.jpg"), R::Exists);  // a PC file would be overwritten
  EXPECT_EQ(pane.RenameQueued(rowOf("one.jpg"), ""), R::Unchanged);
  EXPECT_EQ(pane.RenameQueued(rowOf("one.jpg"), "a|b.jpg"), R::Renamed);
  EXPECT_EQ(pane.Queued()[0].path, "C:\\Media\\a|b.jpg");
  EXPECT_EQ(pane.RenameQueued(rowOf("a.jpg"), "z.jpg"), R::Unchanged);  // not a queued row

  EXPECT_FALSE(pane.RemoveQueued(rowOf("a.jpg")));
  EXPECT_TRUE(pane.RemoveQueued(rowOf("a|b.jpg")));
  ASSERT_EQ(pane.Queued().size(), 1u);
  EXPECT_EQ(pane.Queued()[0].name, "two.jpg");
  EXPECT_FALSE(RowNamed(pane, "a|b.jpg"));
}

// `count` times `c` followed by `tail` (built by appending: the compiler's bounds check misreads a
// sum of short strings).
std::string Repeated(std::size_t count, const char* c, const char* tail) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text.append(c);
  return text.append(tail);
}

TEST(PcPaneNames, PhoneNamesFitThirtyFiveBytesAndAreUnique) {
  CPhonePaneModel phone;
  struct Case {
    std::string pcName;
    std::string phoneName;
  } cases[] = {
      {"Holiday, beach.jpg", "Holiday beach.jpg"},
      {Repeated(40, "a", ".jpg"), Repeated(31, "a", ".jpg")},
      {Repeated(35, "a", ""), Repeated(35, "a", "")},
      // Accented letters count two each: 16 of them and ".jpg" fill 36, so one goes.
      {Repeated(16, "\xC3\xA9", ".jpg"), Repeated(15, "\xC3\xA9", ".jpg")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CPcPaneModel::MakePhoneName(c.pcName, phone), c.phoneName) << c.pcName;
    EXPECT_LE(PhoneCharsetLength(CPcPaneModel::MakePhoneName(c.pcName, phone)), kMaxPhoneNameBytes);
  }
  phone.AddUpload("song.mid", "C:\\x\\song.mid", "keFTSMF");
  phone.AddUpload("song[1].mid", "C:\\y\\song.mid", "keFTSMF");
  const std::string long35 = Repeated(31, "b", ".mid");
  phone.AddUpload(long35, "C:\\y\\b.mid", "keFTSMF");
  EXPECT_EQ(CPcPaneModel::MakePhoneName("song.mid", phone), "song[2].mid");
  EXPECT_EQ(CPcPaneModel::MakePhoneName(long35, phone), Repeated(28, "b", "[1].mid"));
}

TEST_F(PcPane, DropOnThePhoneChecksEachFileAndShowsOneMessage) {
  Put("C:\\Drop\\good.jpg", mediafiles::Jpeg(32, 24));
  Put("C:\\Drop\\bad.jpg", mediafiles::Signature("not a picture"));
  Put("C:\\Drop\\wide.png", mediafiles::Png(600, 8));
  mediafiles::Bytes heavy = mediafiles::Jpeg(16, 16);
  heavy.resize(70000, 0);  // trailing bytes after the picture: over YW's 65536 bytes
  Put("C:\\Drop\\heavy.jpg", heavy);
  Put("C:\\Drop\\memo.amr", mediafiles::Signature("#!AMR\n"));
  pane.Rules().SetBuild("YW");
  auto drop = [&](int mediaClass, bool voiceMemo, CPhonePaneModel& phone) {
    pane.SetMediaClass(mediaClass);
    EXPECT_TRUE(pane.ListFolder("C:\\Drop"));
    std::vector<std::size_t> all;
    for (std::size_t i = 0; i < pane.Rows().size(); ++i) all.push_back(i);
    return pane.DropOnPhone(all, phone, voiceMemo);
  };

  CPhonePaneModel phone;
  auto result = drop(kMediaPicture, false, phone);
  EXPECT_EQ(result.message, 1049);
  EXPECT_EQ(result.tooLarge, std::vector<std::string>{"heavy.jpg"});
  EXPECT_EQ(result.tooLargeLimit, 65536u);
  EXPECT_TRUE(RowNamed(pane, "bad.jpg")->dataWord & Unusable);
  EXPECT_TRUE(RowNamed(pane, "wide.png")->dataWord & Unusable);
  EXPECT_TRUE(RowNamed(pane, "heavy.jpg")->dataWord & SizeRefused);
  EXPECT_TRUE(RowNamed(pane, "good.jpg")->dataWord & Queued);
  ASSERT_EQ(phone.Shown().rows.size(), 1u);
  EXPECT_EQ(phone.Shown().rows[0].name, "good.jpg");
  EXPECT_EQ(phone.Shown().rows[0].path, "C:\\Drop\\good.jpg");
  EXPECT_EQ(phone.Shown().rows[0].kind, "keFTJpeg");
  EXPECT_EQ(phone.Shown().rows[0].dataWord, PhoneFile | Queued);

  // Without a corrupted file the size of a picture is what is said.
  fs::remove(Host("C:\\Drop\\bad.jpg"));
  CPhonePaneModel phone2;
  result = drop(kMediaPicture, false, phone2);
  EXPECT_EQ(result.message, 1080);
  EXPECT_EQ(pane.Rules().GetRefusedWidth(), 512u);
  EXPECT_EQ(pane.Rules().GetRefusedHeight(), 500u);

  // A voice-memo folder takes AMR files only; the memo message goes before the size message.
  CPhonePaneModel phone3;
  result = drop(kMediaSound, true, phone3);
  EXPECT_EQ(result.message, 0);
  ASSERT_EQ(phone3.Shown().rows.size(), 1u);
  EXPECT_EQ(phone3.Shown().rows[0].name, "memo.amr");
  Put("C:\\Drop\\tune.mid", mediafiles::Signature("MThd"));
  CPhonePaneModel phone4;
  result = drop(kMediaSound, true, phone4);
  EXPECT_EQ(result.message, 1059);
  EXPECT_EQ(phone4.Shown().rows.size(), 1u);
}

// A new folder is named after the rows there ("New Folder (n)"), kept open while its name is another
// row's, made on disk at the end, and never outside the listed folder.
TEST_F(PcPane, NewFolderIsNamedUniquelyAndMadeWhenTheEditEnds) {
  ASSERT_TRUE(pane.ListFolder("C:\\Media"));
  const std::size_t first = pane.NewFolder("&New Folder");
  EXPECT_EQ(pane.Rows()[first].name, "New Folder");
  EXPECT_EQ(pane.Rows()[first].dataWord, (std::uint32_t(first) << 16) | 0x46);
  EXPECT_EQ(pane.EndNewFolder(first, "Music", "(up)"), CPcPaneModel::NewFolderEnd::Exists);
  EXPECT_TRUE(pane.NewFolderPending());
  EXPECT_EQ(pane.EndNewFolder(first, "", "(up)"), CPcPaneModel::NewFolderEnd::Created);
  EXPECT_TRUE(fs::is_directory(Host("C:\\Media\\New Folder")));
  EXPECT_TRUE(RowNamed(pane, "New Folder"));
  fs::create_directory(Host("C:\\Media\\New Folder (1)"));
  ASSERT_TRUE(pane.ListFolder("C:\\Media"));
  EXPECT_EQ(pane.Rows()[pane.NewFolder("New Folder")].name, "New Folder (2)");

  for (const char* escape : {"..", ".", "..\\out", "a/b"}) {
    SCOPED_TRACE(escape);
    ASSERT_TRUE(pane.ListFolder("C:\\Media"));
    const std::size_t row = pane.NewFolder("New Folder");
    EXPECT_EQ(pane.EndNewFolder(row, escape, "(up)"), CPcPaneModel::NewFolderEnd::Failed);
    EXPECT_FALSE(pane.NewFolderPending());
  }
  EXPECT_FALSE(fs::exists(Host("C:\\out")));
  EXPECT_FALSE(fs::exists(Host("C:\\Media\\a")));
}
