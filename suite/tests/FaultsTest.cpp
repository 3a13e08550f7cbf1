// The suite when things go wrong on the way, as a person meets them: the cable pulled in the middle
// of a transfer (the simulated phone drops its line on a control line through scripts/run), a
// second scripts/run while the suite runs, the launcher closed while a transfer runs, and "Exit"
// from the tray. Each pulled cable must end in a message, leave the PC side as it was, and the
// next try, with the cable plugged in again, must succeed.
#include "support/DaybookPlaces.h"
#include "support/MediaryPlaces.h"
#include "support/SuiteHarness.h"

#include "MediaFiles.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <phonesim/PhoneMedia.h>
#include <phonesim/WholePhoneFiles.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using namespace suite_testing;

constexpr int kContactCount = 60;  // enough for a download that lasts a few seconds on the wire

// Places in the launcher's frame at its first size (Daybook's: support/DaybookPlaces.h).
// The folder bar's items, in the launcher's left pane.
constexpr Point kDaybookItem{60, 71};
constexpr Point kBackupItem{60, 200};
// Backup's page, laid out to the pane's height: its "Backup" button at the bottom left, in
// Backup's dark button face.
constexpr Point kBackupButton{140, 505};
constexpr std::uint32_t kBackupButtonFace = 0x082A82;

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The phone's contacts by slot: the name (a length byte and its text) that leads each contact's
// flash file.
constexpr int kContactsFile = 256;
std::map<int, std::string> ContactNames(const phonesim::FlashFiles& files) {
  std::map<int, std::string> names;
  for (const auto& [key, bytes] : files) {
    if (key.first != kContactsFile || bytes.empty()) continue;
    names[key.second] = bytes.substr(1, static_cast<unsigned char>(bytes[0]));
  }
  return names;
}

class Faults : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    ASSERT_TRUE(m_desktop.Managing()) << "another window manager runs on this display";
    ASSERT_TRUE(m_person.IsOpen());
    ASSERT_TRUE(phonesim::WriteFlashFiles(m_suite.PhoneFolder(), phonesim::SamplePhoneBook(kContactCount)));
    // The PC folder of the test, made the suite's documents folder so that nothing of the suite
    // reaches the documents of whoever runs the test.
    std::filesystem::create_directories(PcFolder());
    std::filesystem::create_directories(m_suite.Home() + "/config");
    std::ofstream(m_suite.Home() + "/config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"" << PcFolder().string() << "\"\n";
    setenv("XDG_CONFIG_HOME", (m_suite.Home() + "/config").c_str(), 1);
    ASSERT_TRUE(m_suite.Start());
  }
  void TearDown() override {
    if (!std::getenv("DISPLAY")) return;
    if (m_suite.Running()) {
      EXPECT_TRUE(m_suite.Stop()) << "the suite did not end on Ctrl+C\n" << m_suite.Output();
    }
    m_suite.Stop();
    EXPECT_TRUE(m_suite.Processes().empty());
  }

  std::filesystem::path PcFolder() const { return std::filesystem::path(m_suite.Home()) / "pc"; }
  // The names in the PC folder.
  std::vector<std::string> PcNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PcFolder())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  // From an empty home to the launcher: the phone selection's "Autodetect", and its answer.
  unsigned long ToLauncher() {
    std::string why;
    const unsigned long launcher = FirstStartToLauncher(m_suite, m_person, "", why);
    EXPECT_NE(launcher, 0u) << why;
    return launcher;
  }

  // From an empty home to a program of the folder bar, known by a pixel of its page; answers the
  // launcher, 0 when the program did not come up.
  unsigned long ToProgram(const std::string& name, Point item, Point probe, std::uint32_t face) {
    const unsigned long launcher = ToLauncher();
    if (!launcher) return 0;
    m_person.ClickIn(launcher, item.x, item.y);
    const bool shown = WaitUntil([&] { return m_person.PixelAt(launcher, probe.x, probe.y) == face; });
    SaveScreen("suite-faults-" + name);
    EXPECT_TRUE(shown) << name << " did not come up in the launcher";
    return shown ? launcher : 0;
  }
  unsigned long ToDaybook() { return ToProgram("daybook", kDaybookItem, kDaybookDownload, kDaybookButtonFace); }
  unsigned long ToBackup() { return ToProgram("backup", kBackupItem, kBackupButton, kBackupButtonFace); }

  // A progress bar stands in for Daybook's transfer buttons while a transfer runs.
  bool DaybookTransferRuns(unsigned long launcher) {
    return m_person.PixelAt(launcher, kDaybookDownload.x, kDaybookDownload.y) != kDaybookButtonFace;
  }

  // Starts a Daybook download (its button) or upload (the File button's menu and its key, the
  // other way Daybook offers it) and waits until it runs.
  bool StartDaybookTransfer(unsigned long launcher, bool upload) {
    if (upload) {
      const std::size_t untitled = ShownWithTitle("").size();
      m_person.ClickIn(launcher, kDaybookFile.x, kDaybookFile.y);
      if (!WaitUntil([&] { return ShownWithTitle("").size() > untitled; }, 10s)) return false;  // the menu
      m_person.Key('u');  // "&Upload to Phone"
    } else {
      m_person.ClickIn(launcher, kDaybookDownload.x, kDaybookDownload.y);
    }
    // With contacts on the PC, a download first asks whether they may be replaced: "Yes".
    bool asked = false;
    const bool runs = WaitUntil([&] {
      if (!asked && m_person.X().FindShown("Contacts")) {
        asked = true;
        SaveScreen(upload ? "suite-faults-upload-question" : "suite-faults-download-question");
        m_person.Key(XK_Return);
      }
      return DaybookTransferRuns(launcher);
    }, 30s);
    if (!runs) SaveScreen("suite-faults-transfer-did-not-start");
    return runs;
  }

  // The message box that ends a Daybook transfer (captioned by the page), answered with Return;
  // false when none came or the buttons did not come back.
  bool AnswerTransferEnd(unsigned long launcher, const std::string& picture) {
    const unsigned long box = m_person.WaitForWindow("Contacts", 120s);
    if (!box) return false;
    SaveScreen(picture);
    m_person.Key(XK_Return);
    return m_person.WaitForWindowGone("Contacts") && WaitUntil([&] { return !DaybookTransferRuns(launcher); }, 10s);
  }

  // The contacts list once it shows names and stays as it is (it is refilled after a transfer).
  std::vector<std::uint32_t> SettledContactsList(unsigned long launcher) {
    std::vector<std::uint32_t> last, now;
    WaitUntil([&] {
      last = std::move(now);
      now = ContactsList(launcher);
      const bool ink = std::count(now.begin(), now.end(), 0xFFFFFFu) < static_cast<std::ptrdiff_t>(now.size()) * 95 / 100;
      if (!ink || now != last) {
        std::this_thread::sleep_for(200ms);
        return false;
      }
      return true;
    }, 30s);
    return now;
  }

  // The contacts list as it shows now.
  std::vector<std::uint32_t> ContactsList(unsigned long launcher) {
    const Box& list = kDaybookContactsList;
    return m_person.PixelsIn(launcher, list.left, list.top, list.right, list.bottom);
  }

  // Pulls the cable once the phone has sent (or received) `bytes` more, i.e. in the middle of
  // the records; "plugged in again" with Reconnect().
  bool PullCableAfter(const char* verb, int bytes) {
    return m_suite.PhoneControl(std::string(verb) + " " + std::to_string(bytes));
  }
  bool Reconnect() { return m_suite.PhoneControl("reconnect"); }

  // The shown top-level windows with this title, bottom first (a file dialog and the question it
  // asks share their title).
  std::vector<unsigned long> ShownWithTitle(const std::string& title) {
    std::vector<unsigned long> found;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return found;
    for (unsigned long window : m_person.X().Children(DefaultRootWindow(display))) {
      if (m_person.X().Place(window).viewable && m_person.X().Utf8Property(window, "_NET_WM_NAME") == title) {
        found.push_back(window);
      }
    }
    XCloseDisplay(display);
    return found;
  }

  // Backup's run into `path`: its button, the file typed into the save dialog, and "Yes" to the
  // dialog's question (the file is new, or is replaced). False when a step did not come.
  bool StartBackupInto(unsigned long launcher, const std::string& path) {
    m_person.ClickIn(launcher, kBackupButton.x, kBackupButton.y);
    if (!m_person.WaitForWindow("Backup")) return false;
    m_person.Text(path + "\n");
    if (!WaitUntil([&] { return ShownWithTitle("Backup").size() == 2; })) return false;
    m_person.Key(XK_Return);
    return m_person.WaitForWindowGone("Backup");
  }

  // "Exit" from the tray menu; expects every process of the suite, and scripts/run, to end.
  void ExitFromTheTray() {
    // The link service's icon in the desktop's tray; its menu comes on the right button, and "Exit"
    // is its last item.
    unsigned long icon = 0;
    EXPECT_TRUE(WaitUntil([&] {
      const auto docked = m_person.X().Children(m_person.X().SelectionOwner("_NET_SYSTEM_TRAY_S0"));
      icon = docked.size() == 1 ? docked[0] : 0;
      return icon != 0;
    })) << "no icon in the tray";
    if (!icon) return;
    const std::size_t untitled = ShownWithTitle("").size();
    const auto place = m_person.X().Place(icon);
    m_person.X().Click(place.rootX + place.width / 2, place.rootY + place.height / 2, 3);
    EXPECT_TRUE(WaitUntil([&] { return ShownWithTitle("").size() > untitled; }, 10s)) << "no tray menu";
    SaveScreen("suite-faults-tray-menu");
    m_person.Key(XK_Up);
    m_person.Key(XK_Return);
    EXPECT_TRUE(m_person.WaitForWindowGone(kLauncherTitle));
    EXPECT_TRUE(WaitUntil([&] { return !m_suite.Running(); })) << "scripts/run did not end\n" << m_suite.Output();
    EXPECT_TRUE(WaitUntil([&] { return m_suite.Processes().empty(); })) << "programs of the suite still run";
  }

  // Whether a program of this name runs in the suite's home.
  bool Runs(const std::string& program) {
    for (pid_t pid : m_suite.Processes()) {
      std::string name = FileText("/proc/" + std::to_string(pid) + "/comm");
      if (!name.empty() && name.back() == '\n') name.pop_back();
      if (name == program) return true;
    }
    return false;
  }

  Desktop m_desktop{SUITE_BIN_DIR};
  Person m_person;
  Suite m_suite{SUITE_SOURCE_ROOT, SUITE_BIN_DIR};
};

TEST_F(Faults, APulledCableDuringADaybookDownloadOrUploadLeavesThePcSideAndTheNextTrySucceeds) {
  const unsigned long launcher = ToDaybook();
  ASSERT_NE(launcher, 0u);
  ASSERT_TRUE(StartDaybookTransfer(launcher, false));
  ASSERT_TRUE(AnswerTransferEnd(launcher, "suite-faults-download-complete")) << "the first download did not end";
  const auto downloaded = SettledContactsList(launcher);
  const phonesim::FlashFiles phoneBefore = phonesim::ReadFlashFiles(m_suite.PhoneFolder());
  ASSERT_EQ(ContactNames(phoneBefore).size(), static_cast<std::size_t>(kContactCount));

  // Download and upload, each with the cable pulled in the middle: a message, and the list on the
  // PC as it was.
  struct Case {
    const char* name;
    bool upload;
    const char* drop;
  };
  for (const Case& c : {Case{"download", false, "drop"}, Case{"upload", true, "drop-received"}}) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(StartDaybookTransfer(launcher, c.upload));
    ASSERT_TRUE(PullCableAfter(c.drop, 1500));
    EXPECT_TRUE(AnswerTransferEnd(launcher, std::string("suite-faults-") + c.name + "-cable-pulled"))
        << "no message after the cable was pulled";
    EXPECT_EQ(SettledContactsList(launcher), downloaded) << "the contacts on the PC changed";
    ASSERT_TRUE(Reconnect());
    ASSERT_TRUE(StartDaybookTransfer(launcher, c.upload));
    EXPECT_TRUE(AnswerTransferEnd(launcher, std::string("suite-faults-") + c.name + "-again"))
        << "the next try did not end";
    EXPECT_EQ(SettledContactsList(launcher), downloaded);
  }
  // The second upload wrote every contact back (by the name that leads each contact's file).
  EXPECT_EQ(ContactNames(phonesim::ReadFlashFiles(m_suite.PhoneFolder())), ContactNames(phoneBefore));
}

TEST_F(Faults, APulledCableDuringABackupLeavesTheFileAsItWasAndTheNextTrySucceeds) {
  const unsigned long launcher = ToBackup();
  ASSERT_NE(launcher, 0u);
  const std::filesystem::path file = PcFolder() / "phone.bck";

  // A first run with the cable pulled: no file at all, nothing half-written beside it. A second,
  // the cable plugged in again: the backup. A third pulled again: the backup as it was.
  std::string before;
  for (int run = 0; run < 3; ++run) {
    SCOPED_TRACE(run);
    const bool pulled = run % 2 == 0;
    ASSERT_TRUE(StartBackupInto(launcher, file.string()));
    if (pulled) {
      ASSERT_TRUE(PullCableAfter("drop", 1500));
    }
    const unsigned long end = m_person.WaitForWindow("Backup / Restore", 120s);
    SaveScreen("suite-faults-backup-" + std::to_string(run));
    ASSERT_NE(end, 0u) << "the run ended without a message";
    m_person.Key(XK_Return);
    ASSERT_TRUE(m_person.WaitForWindowGone("Backup / Restore"));
    const std::vector<std::string> names = PcNames();
    if (pulled) {
      EXPECT_EQ(FileText(file), before) << "the backup file changed on a pulled cable";
      EXPECT_EQ(names.size(), before.empty() ? 0u : 1u) << "something was left beside the backup";
      ASSERT_TRUE(Reconnect());
    } else {
      const std::string written = FileText(file);
      EXPECT_GT(written.size(), 1000u) << "no backup after the cable was plugged in again";
      EXPECT_EQ(names, std::vector<std::string>{"phone.bck"});
      before = written;
    }
  }
}

TEST_F(Faults, TheLauncherClosedDuringATransferAsksFirstAndASecondRunBringsItBack) {
  unsigned long launcher = ToBackup();
  ASSERT_NE(launcher, 0u);
  ASSERT_TRUE(StartBackupInto(launcher, (PcFolder() / "phone.bck").string()));
  // The launcher's own close button, while the backup runs: the first cell of its caption's button
  // bar, 18 pixels wide and high, inside the 4-pixel frame at the top right.
  const int width = m_person.X().Place(launcher).width;
  m_person.ClickIn(launcher, width - 4 - 9, 4 + 9);
  const unsigned long question = m_person.WaitForWindow("Backup / Restore", 30s);
  SaveScreen("suite-faults-close-asks");
  ASSERT_NE(question, 0u) << "the launcher closed without asking";
  EXPECT_NE(m_person.X().FindShown(kLauncherTitle), 0u) << "the launcher went before the answer";
  m_person.Key(XK_Return);  // "Yes", cancel the backup
  EXPECT_TRUE(m_person.WaitForWindowGone(kLauncherTitle)) << "the launcher did not close";
  EXPECT_TRUE(WaitUntil([&] { return !Runs("Vezezudara") && !Runs("Backup"); }));
  EXPECT_TRUE(Runs("Linkwell")) << "the link service ended with the launcher";
  EXPECT_TRUE(m_suite.Running());
  EXPECT_TRUE(PcNames().empty()) << "the cancelled backup left a file";

  // A second scripts/run shows the launcher again and ends.
  const std::string said = m_suite.RunAgain();
  EXPECT_NE(said.find("already runs in this home"), std::string::npos) << said;
  launcher = m_person.WaitForWindow(kLauncherTitle);
  SaveScreen("suite-faults-second-run");
  ASSERT_NE(launcher, 0u) << "the second run did not bring the launcher back";
  // Ctrl+C to the first run (TearDown) ends the launcher the second run opened with the rest.
}

TEST_F(Faults, ExitFromTheTrayEndsEveryProcessOfTheSuite) {
  ASSERT_NE(ToDaybook(), 0u);
  ExitFromTheTray();
}

// Mediary in the launcher, seen and used as a person does, for the media copy below.
class MediaryInLauncher {
 public:
  MediaryInLauncher(Person& person, unsigned long launcher) : m_person(person), m_launcher(launcher) {}

  std::vector<std::uint32_t> PixelsIn(const mediary::Box& box) {
    return m_person.PixelsIn(m_launcher, box.left, box.top, box.right, box.bottom);
  }
  // Whether a list's row shows text in its name cell (the list's background is white).
  bool RowShows(mediary::Point row) {
    const auto pixels = PixelsIn({row.x - 95, row.y - 6, row.x + 40, row.y + 6});
    return std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p != mediary::kListBack; }) > 20;
  }
  bool RowSelected(mediary::Point row) { return m_person.PixelAt(m_launcher, row.x + 100, row.y) != mediary::kListBack; }
  void Click(mediary::Point at) { m_person.ClickIn(m_launcher, at.x, at.y); }
  bool Select(mediary::Point row) {
    Click(row);
    return WaitUntil([&] { return RowSelected(row); }, 10s);
  }
  // Whether a run is under way: its progress bar stands in the command buttons' row.
  bool Runs() { return m_person.PixelAt(m_launcher, mediary::kGetList.x, mediary::kGetList.y) != mediary::kButtonFace; }
  // Every message box of a run answered with its default button until the run has ended; the
  // number of boxes, -1 when the run did not end. The first box waits up to `limit`.
  int AnswerUntilTheRunEnds(const std::string& pictures, std::chrono::milliseconds limit = 120s) {
    int answered = 0;
    while (AnswerMessageBox(m_person, "Mediary", pictures + "-" + std::to_string(answered), answered ? 10s : limit))
      ++answered;
    return WaitUntil([&] { return !Runs(); }, 30s) ? answered : -1;
  }
  // The share of a list's rows area that is not the list's white: a list drawn over in a fill.
  double ListInk(int firstRowY) {
    const auto pixels = PixelsIn({mediary::X(10), firstRowY, mediary::X(200), firstRowY + 4 * mediary::kRowHeight});
    return double(std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p != mediary::kListBack; })) /
           double(pixels.size());
  }

 private:
  Person& m_person;
  unsigned long m_launcher;
};

std::string Bytes(const mediafiles::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A picture the phone takes, padded to `size` bytes behind its end so that its copy lasts a few
// seconds on the wire.
std::string LargePicture(int width, int height, std::size_t size) {
  std::string bytes = Bytes(mediafiles::Jpeg(width, height));
  for (std::size_t i = bytes.size(); i < size; ++i) bytes.push_back(char(i * 31 % 251));
  return bytes;
}

std::map<std::string, std::string> FolderFiles(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files[entry.path().filename()] = FileText(entry.path());
  return files;
}

TEST_F(Faults, APulledCableDuringAMediaCopyEitherWayLeavesBothSidesAndTheNextTrySucceeds) {
  // A phone that takes pictures (the fixture's does not), a large one on it; the PC folder holds a
  // picture of that name already, and a large one to send.
  m_suite.Stop();
  ASSERT_TRUE(WaitUntil([&] { return m_suite.Processes().empty(); }));
  const phonesim::MediaTree phone{{"0/big.jpg", {"keFTJpeg", LargePicture(320, 240, 48000)}}};
  ASSERT_TRUE(phonesim::WriteMediaTree(m_suite.PhoneFolder(), phone));
  const std::map<std::string, std::string> pc{{"big.jpg", Bytes(mediafiles::Jpeg(64, 48))},
                                              {"sent.jpg", LargePicture(200, 150, 48000)}};
  for (const auto& [name, bytes] : pc) std::ofstream(PcFolder() / name, std::ios::binary) << bytes;
  ASSERT_TRUE(m_suite.Start({.model = "Tavik"}));

  const unsigned long launcher = ToLauncher();
  ASSERT_NE(launcher, 0u);
  MediaryInLauncher mediary(m_person, launcher);
  ClickFolderBarItem(m_person, launcher, 1);
  ASSERT_TRUE(WaitUntil([&] { return m_person.PixelAt(launcher, mediary::kGetList.x, mediary::kGetList.y) == mediary::kButtonFace; }))
      << "Mediary did not come up in the launcher";
  mediary.Click(mediary::kGetList);
  ASSERT_TRUE(AnswerMessageBox(m_person, "Mediary", "suite-faults-media-language")) << "no language question";
  ASSERT_TRUE(AnswerMessageBox(m_person, "Mediary", "suite-faults-media-listed")) << "the listing did not end";
  ASSERT_TRUE(WaitUntil([&] { return mediary.RowShows(mediary::PhoneRow(0)); }, 10s)) << "the phone pane lists nothing";

  // Phone to PC: the picture queued under a new name beside the PC's own big.jpg (the parent
  // entry, big.jpg, big[1].jpg, sent.jpg), the cable pulled in the middle of its copy (it is some
  // 96,000 characters on the wire). A message, the PC folder as it was, both lists still shown.
  ASSERT_TRUE(mediary.Select(mediary::PhoneRow(0)));
  mediary.Click(mediary::kToPc);
  ASSERT_TRUE(WaitUntil([&] { return mediary.RowShows(mediary::PcRow(3)); }, 10s)) << "no download queued";
  SaveScreen("suite-faults-media-download-queued");
  ASSERT_TRUE(PullCableAfter("drop", 30000));
  mediary.Click(mediary::kTransfer);
  EXPECT_GE(mediary.AnswerUntilTheRunEnds("suite-faults-media-download-pulled"), 1) << "no message after the cable was pulled";
  SaveScreen("suite-faults-media-download-pulled");
  EXPECT_EQ(FolderFiles(PcFolder()), pc) << "the PC folder changed on a pulled cable";
  EXPECT_TRUE(mediary.RowShows(mediary::PhoneRow(0))) << "the phone pane lost its rows";
  EXPECT_TRUE(mediary.RowShows(mediary::PcRow(3))) << "the PC pane lost its rows";
  EXPECT_LT(mediary.ListInk(mediary::kPcFirstRow), 0.5) << "the PC list is drawn over";

  // The cable plugged in again: the entry still queued, the next Transfer copies it.
  ASSERT_TRUE(Reconnect());
  mediary.Click(mediary::kTransfer);
  EXPECT_EQ(mediary.AnswerUntilTheRunEnds("suite-faults-media-download-again"), 1) << "the next try did not end with its one message";
  std::map<std::string, std::string> expectedPc = pc;
  expectedPc["big[1].jpg"] = phone.at("0/big.jpg").bytes;
  EXPECT_EQ(FolderFiles(PcFolder()), expectedPc) << "the download after the reconnect";

  // PC to phone: sent.jpg queued in the phone's pictures, the cable pulled in the middle of its
  // copy: a message, the phone's pictures and the PC folder as they were.
  ASSERT_TRUE(mediary.Select(mediary::PcRow(3)));
  mediary.Click(mediary::kToPhone);
  ASSERT_TRUE(WaitUntil([&] { return mediary.RowShows(mediary::PhoneRow(1)); }, 10s)) << "no upload queued";
  SaveScreen("suite-faults-media-upload-queued");
  ASSERT_TRUE(PullCableAfter("drop-received", 30000));
  mediary.Click(mediary::kTransfer);
  EXPECT_GE(mediary.AnswerUntilTheRunEnds("suite-faults-media-upload-pulled"), 1) << "no message after the cable was pulled";
  SaveScreen("suite-faults-media-upload-pulled");
  EXPECT_EQ(phonesim::ReadMediaTree(m_suite.PhoneFolder()), phone) << "the phone changed on a pulled cable";
  EXPECT_EQ(FolderFiles(PcFolder()), expectedPc);
  EXPECT_TRUE(mediary.RowShows(mediary::PhoneRow(1))) << "the phone pane lost its rows";

  // Plugged in again: the upload goes through.
  ASSERT_TRUE(Reconnect());
  mediary.Click(mediary::kTransfer);
  EXPECT_EQ(mediary.AnswerUntilTheRunEnds("suite-faults-media-again"), 1) << "the next try did not end with its one message";
  SaveScreen("suite-faults-media-again");
  phonesim::MediaTree expectedPhone = phone;
  expectedPhone["0/sent.jpg"] = {"keFTJpeg", pc.at("sent.jpg")};
  EXPECT_EQ(phonesim::ReadMediaTree(m_suite.PhoneFolder()), expectedPhone);
  EXPECT_EQ(FolderFiles(PcFolder()), expectedPc);
}

}  // namespace
