// Backup and restore in the whole suite, as a person does it: Mediary lists the filled phone, Backup
// saves the whole phone into one file (everything checked), the phone is emptied, and Restore writes
// the file back while Mediary still runs in the launcher; Mediary empties its phone pane when told,
// and the phone then holds what it held before. The pointer shows the wait cursor over Backup while
// a run goes on. Pictures of Backup during a backup, during a restore and with its File menu dropped
// down are kept for people.
#include "support/SuiteHarness.h"

#include "MediaFiles.h"

#include <X11/keysym.h>
#include <phonesim/PhoneMedia.h>
#include <phonesim/WholePhoneFiles.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

using namespace suite_testing;
namespace fs = std::filesystem;

struct Point {
  int x, y;
};

// Places in the launcher's frame at its first size. The folder bar: Daybook, Mediary, Backup.
constexpr int kMediaryItem = 1, kBackupItem = 2;
// Backup's page, laid out to the pane's height: its buttons at the bottom left (48 x 16 dialog
// units, 52 apart, from x 133), in Backup's dark button face; the File button at the top right.
constexpr Point kBackupButton{175, 510};
constexpr Point kRestoreButton{266, 510};
constexpr Point kBackupFace{137, 510};  // the Backup button's face left of its text
constexpr Point kFileButton{735, 42};
constexpr Point kLog{620, 300};  // inside the log list on the right
constexpr std::uint32_t kBackupButtonFace = 0x082A82;
// Mediary's page (as the media scenario measures it): "Get List" and the phone pane's rows.
constexpr Point kGetList{123 + 36 * 7 / 4, 25 + 294 * 13 / 8 + 22};
constexpr int kPhoneFirstRow = 25 + 180 * 13 / 8 + 11 + 20, kRowHeight = 14;
constexpr Point PhoneRow(int row) { return {123 + 60 * 7 / 4, kPhoneFirstRow + row * kRowHeight + kRowHeight / 2}; }
constexpr std::uint32_t kButtonFace = 0xB0C9FF;
constexpr std::uint32_t kListBack = 0xFFFFFF;

constexpr unsigned kWatch = 150, kLeftPointer = 68;  // X cursor font glyphs of the wait cursor and the arrow

std::string Text(const mediafiles::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Bytes as the test compares them: their count and a sum over them.
std::string Summary(const std::string& bytes) {
  unsigned sum = 0;
  for (unsigned char c : bytes) sum = sum * 31 + c;
  return std::to_string(bytes.size()) + " bytes, sum " + std::to_string(sum);
}

// The phone's own media folders, which are there on an empty phone too: the media tree below
// numbers them 11 to 15, as the phone numbers its own (folders made on the PC take 16 and above).
constexpr const char* kPhonesOwnFolders[] = {"0/Camera/", "0/Download/", "1/Melodies/", "1/Voice memo/", "2/Clips/"};

class BackupScenario : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    ASSERT_TRUE(m_desktop.Managing()) << "another window manager runs on this display";
    ASSERT_TRUE(m_person.IsOpen());
    ASSERT_TRUE(phonesim::WriteFlashFiles(m_suite.PhoneFolder(), phonesim::SampleWholePhone("Selka")));
    ASSERT_TRUE(phonesim::WriteMediaTree(m_suite.PhoneFolder(), m_media));
    // The PC folder of the test, made the suite's documents folder so that nothing of the suite
    // reaches the documents of whoever runs the test.
    fs::create_directories(PcFolder());
    const std::string config = m_suite.Home() + "/config";
    fs::create_directories(config);
    std::ofstream(config + "/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"" << PcFolder().string() << "\"\n";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    // Cursors from the X cursor font's own glyphs: a desktop theme's animated watch reads back as a
    // single pixel.
    setenv("XCURSOR_PATH", "/nonexistent", 1);
    ASSERT_TRUE(m_suite.Start());
    std::string why;
    m_launcher = FirstStartToLauncher(m_suite, m_person, "", why);
    ASSERT_NE(m_launcher, 0u) << why;
  }
  void TearDown() override {
    if (!std::getenv("DISPLAY")) return;
    if (HasFailure()) SaveScreen("suite-backup-failure");  // where it stood, for whoever looks into it
    EXPECT_TRUE(m_suite.Stop()) << "the suite did not end on Ctrl+C\n" << m_suite.Output();
    EXPECT_TRUE(m_suite.Processes().empty());
  }

  fs::path PcFolder() const { return fs::path(m_suite.Home()) / "pc"; }
  void Click(Point at) { m_person.ClickIn(m_launcher, at.x, at.y); }
  std::uint32_t Pixel(Point at) { return m_person.PixelAt(m_launcher, at.x, at.y); }

  // Backup's page in the launcher's right pane, known by its Backup button's face.
  bool ShowBackup() {
    ClickFolderBarItem(m_person, m_launcher, kBackupItem);
    return WaitUntil([&] { return Pixel(kBackupFace) == kBackupButtonFace; });
  }
  bool ShowMediary() {
    ClickFolderBarItem(m_person, m_launcher, kMediaryItem);
    return WaitUntil([&] { return Pixel(kGetList) == kButtonFace; });
  }
  // Whether a row of Mediary's phone pane shows text (its background is white, its text is not).
  bool PhoneRowShows(int row) {
    const Point at = PhoneRow(row);
    const auto pixels = m_person.PixelsIn(m_launcher, at.x - 95, at.y - 6, at.x + 40, at.y + 6);
    return std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t pixel) { return pixel != kListBack; }) > 20;
  }
  // A message box of Mediary's answered with Enter (its first button).
  bool AnswerMediary(const std::string& picture, std::chrono::milliseconds limit = 60s) {
    return AnswerMessageBox(m_person, "Mediary", picture, limit);
  }
  // While a run goes on, Backup's buttons make room for its cancel button and progress bar.
  bool BackupRuns() { return Pixel(kBackupFace) != kBackupButtonFace; }

  // The message that ends a run of Backup's, answered as a person does.
  bool AnswerEnd(const std::string& picture) {
    return AnswerMessageBox(m_person, "Backup / Restore", picture, 300s);
  }
  std::function<bool()> BackupRunsNow() {
    return [this] { return BackupRuns(); };
  }

  // The phone emptied while it rests between two runs: no contacts, groups, schedule or to-do, and
  // of its media only its own folders, empty (a phone keeps those).
  void EmptyPhone() {
    for (const auto& [file, sum] : CarriedFlashFiles()) {
      fs::remove(fs::path(m_suite.PhoneFolder()) / "flash" / (std::to_string(file.first) + "_" + std::to_string(file.second) + ".bin"));
    }
    phonesim::MediaTree own;
    for (const char* folder : kPhonesOwnFolders) own[folder] = {};
    ASSERT_TRUE(phonesim::WriteMediaTree(m_suite.PhoneFolder(), own));
    ASSERT_TRUE(CarriedFlashFiles().empty());
  }

  // The phone's media as the test compares them: each folder and file by its path, a file with its
  // kind, size and a sum of its bytes.
  std::map<std::string, std::string> MediaOnThePhone() {
    std::map<std::string, std::string> media;
    for (const auto& [path, item] : phonesim::ReadMediaTree(m_suite.PhoneFolder())) media[path] = item.kind + " " + Summary(item.bytes);
    return media;
  }
  // The flash files that a backup carries, each by its size and a sum of its bytes.
  std::map<std::pair<int, int>, std::string> CarriedFlashFiles() {
    std::map<std::pair<int, int>, std::string> carried;
    for (const auto& [file, bytes] : phonesim::RecordFiles(phonesim::ReadFlashFiles(m_suite.PhoneFolder()))) {
      carried[file] = Summary(bytes);
    }
    return carried;
  }

  phonesim::MediaTree m_media{
      {"0/Camera/", {}},
      {"0/Camera/harbour.jpg", {"keFTJpeg", Text(mediafiles::Jpeg(160, 120))}},
      {"0/Download/", {}},
      {"0/beach.jpg", {"keFTJpeg", Text(mediafiles::Jpeg(200, 150))}},
      {"0/tower.png", {"keFTPng", Text(mediafiles::Png(120, 160))}},
      {"1/Melodies/", {}},
      {"1/Melodies/chime.mid", {"keFTSMF", Text(mediafiles::Signature("MThd", 0, 900))}},
      {"1/Voice memo/", {}},
      {"1/ring.mid", {"keFTSMF", Text(mediafiles::Signature("MThd", 0, 300))}},
      {"2/Clips/", {}},
      {"2/Holiday/", {}},  // a folder of the person's own
      {"2/Holiday/surf.3gp", {"keFT3gp", Text(mediafiles::Movie("3gp5"))}},
      {"2/walk.3gp", {"keFT3gp", Text(mediafiles::Movie("3gp4"))}},
  };
  Desktop m_desktop{SUITE_BIN_DIR};
  Person m_person;
  Suite m_suite{SUITE_SOURCE_ROOT, SUITE_BIN_DIR};
  unsigned long m_launcher = 0;
};

TEST_F(BackupScenario, AWholePhoneBackedUpEmptiedAndRestoredIsWhatItWas) {
  // Mediary lists the phone: the language question, then the end of the listing.
  ASSERT_TRUE(ShowMediary()) << "Mediary did not come up in the launcher";
  Click(kGetList);
  ASSERT_TRUE(AnswerMediary("")) << "no language question\n" << m_suite.Output();
  ASSERT_TRUE(AnswerMediary("", 120s)) << "the listing did not end";
  ASSERT_TRUE(WaitUntil([&] { return PhoneRowShows(0); }, 10s)) << "the phone pane lists nothing";
  SaveScreen("suite-backup-mediary-listed");

  ASSERT_TRUE(ShowBackup()) << "Backup did not come up in the launcher";
  SaveScreen("suite-backup-backup");

  // Backup, every row checked as Backup starts: the file asked for, then the run.
  const fs::path file = PcFolder() / "phone.bck";
  Click(kBackupButton);
  ASSERT_TRUE(ChooseFileByKeys(m_person, "Backup", file.string())) << "no file dialog captioned \"Backup\"";
  ASSERT_TRUE(WaitUntil(BackupRunsNow(), 30s)) << "the backup did not start";
  SaveScreen("suite-backup-backing-up");
  ASSERT_TRUE(AnswerEnd("suite-backup-backed-up")) << "the backup did not end";
  ASSERT_TRUE(WaitUntil([&] { return !BackupRuns(); }, 30s));
  ASSERT_GT(fs::file_size(file), 1000u);
  const auto flash = CarriedFlashFiles();
  ASSERT_EQ(flash.size(), phonesim::RecordFiles(phonesim::SampleWholePhone("Selka")).size()) << "groups, contacts, schedule, to-do";
  const std::map<std::string, std::string> media = MediaOnThePhone();
  ASSERT_EQ(media.size(), m_media.size());

  // The phone emptied.
  EmptyPhone();

  // Restore: the file's kinds are checked in the restore column.
  SaveScreen("suite-backup-before-restore");
  Click(kRestoreButton);
  ASSERT_TRUE(WaitUntil(BackupRunsNow(), 30s)) << "the restore did not start";
  SaveScreen("suite-backup-restoring");
  ASSERT_TRUE(AnswerEnd("suite-backup-restored")) << "the restore did not end";
  ASSERT_TRUE(WaitUntil([&] { return !BackupRuns(); }, 30s));

  EXPECT_EQ(MediaOnThePhone(), media);
  EXPECT_EQ(CarriedFlashFiles(), flash);

  // Mediary was told: its phone pane is empty, and Get lists the phone again.
  ASSERT_TRUE(ShowMediary());
  EXPECT_TRUE(WaitUntil([&] { return !PhoneRowShows(0); }, 10s)) << "Mediary's phone pane still lists the phone as it was";
  SaveScreen("suite-backup-mediary-after-restore");
  Click(kGetList);
  ASSERT_TRUE(AnswerMediary("", 120s)) << "the listing did not end";
  EXPECT_TRUE(WaitUntil([&] { return PhoneRowShows(0); }, 10s)) << "the phone pane lists nothing after the restore";

  // Backup's File menu.
  ASSERT_TRUE(ShowBackup());
  const std::size_t untitled = m_person.X().FindAllShown("").size();
  Click(kFileButton);
  EXPECT_TRUE(WaitUntil([&] { return m_person.X().FindAllShown("").size() > untitled; }, 10s)) << "no File menu";
  SaveScreen("suite-backup-file-menu");
  m_person.Key(XK_Escape);
  EXPECT_TRUE(WaitUntil([&] { return m_person.X().FindAllShown("").size() == untitled; }, 10s)) << "the menu stayed";
}

TEST_F(BackupScenario, ThePointerShowsTheWaitCursorOverBackupWhileARunGoesOn) {
  testing_display::XScreen& x = m_person.X();
  const auto watch = x.FontCursor(kWatch), arrow = x.FontCursor(kLeftPointer);
  ASSERT_GT(watch.width, 1);
  ASSERT_GT(arrow.width, 1);
  ASSERT_TRUE(ShowBackup()) << "Backup did not come up in the launcher";
  PointAt(m_person, m_launcher, kLog.x, kLog.y);
  EXPECT_TRUE(WaitUntil([&] { return x.Cursor() == arrow; }, 10s)) << "the arrow before the run";

  // Every answer of the phone late, so that the run lasts; the pointer rests over Backup's log.
  ASSERT_TRUE(m_suite.PhoneControl("delay 40"));
  Click(kBackupButton);
  ASSERT_TRUE(ChooseFileByKeys(m_person, "Backup", (PcFolder() / "phone.bck").string()));
  PointAt(m_person, m_launcher, kLog.x, kLog.y);
  EXPECT_TRUE(WaitUntil([&] { return x.Cursor() == watch; }, 30s)) << "the wait cursor during the run";
  EXPECT_TRUE(WaitUntil(BackupRunsNow(), 10s));
  ASSERT_TRUE(m_suite.PhoneControl("delay 0"));
  ASSERT_TRUE(AnswerEnd("")) << "the backup did not end";
  PointAt(m_person, m_launcher, kLog.x, kLog.y + 10);
  EXPECT_TRUE(WaitUntil([&] { return x.Cursor() == arrow; }, 10s)) << "the arrow after the run";
}

}  // namespace
