// Mediary in the whole suite, as a person uses it: opened from the launcher's folder bar, it lists
// the simulated phone's folders, copies three pictures to a folder of the PC and a sound from it to
// the phone, gives the sound a new name and deletes a picture on the phone; the phone and the PC
// folder then hold what was asked. The preview shows a picture and plays an animated GIF. Pictures
// of each step are kept for people.
#include "support/MediaryPlaces.h"
#include "support/SuiteHarness.h"

#include "MediaFiles.h"

#include <X11/keysym.h>
#include <phonesim/PhoneMedia.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

using namespace suite_testing;
using namespace suite_testing::mediary;
namespace fs = std::filesystem;

std::string Text(const mediafiles::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename().string()] = FileText(entry.path());
  return files;
}

class MediaScenario : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    ASSERT_TRUE(m_desktop.Managing()) << "another window manager runs on this display";
    ASSERT_TRUE(m_person.IsOpen());
    ASSERT_TRUE(phonesim::WriteMediaTree(m_suite.PhoneFolder(), m_phone));
    m_pc = m_suite.Home() + "/pc";
    fs::create_directories(m_pc);
    mediafiles::WriteFile(m_pc + "/chime.mid", m_chime);
    // The desktop's documents folder (which the PC pane starts in) is that folder.
    const std::string config = m_suite.Home() + "/config";
    fs::create_directories(config);
    std::ofstream(config + "/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"" << m_pc << "\"\n";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    // A phone whose variant takes JPEG, PNG and GIF pictures and MIDI sounds.
    ASSERT_TRUE(m_suite.Start({.model = "Tavik"}));
  }
  void TearDown() override {
    if (!std::getenv("DISPLAY")) return;
    if (HasFailure()) SaveScreen("suite-media-failure");  // where it stood, for whoever looks into it
    EXPECT_TRUE(m_suite.Stop()) << "the suite did not end on Ctrl+C\n" << m_suite.Output();
    EXPECT_TRUE(m_suite.Processes().empty());
  }

  // Pixels of a box of the launcher's frame.
  std::vector<std::uint32_t> PixelsIn(const Box& box) {
    return m_person.PixelsIn(m_launcher, box.left, box.top, box.right, box.bottom);
  }
  // The name cell of a list's row (where a row shows its icon and name).
  static Box RowBox(Point row) { return {row.x - 95, row.y - 6, row.x + 40, row.y + 6}; }
  // Whether a row of a list shows text (its background is white, its text is not).
  bool RowShows(Point row) {
    const auto pixels = PixelsIn(RowBox(row));
    return std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p != kListBack; }) > 20;
  }
  // Whether a row is drawn selected: filled with the selection colour right of its name.
  bool RowSelected(Point row) { return m_person.PixelAt(m_launcher, row.x + 100, row.y) != kListBack; }
  void Click(Point at) { m_person.ClickIn(m_launcher, at.x, at.y); }
  // A click on a row, and the wait until it shows selected. (Each click waits for what the one
  // before it did: a click that comes while Mediary still handles the one before is not seen.)
  void Select(Point row) {
    Click(row);
    EXPECT_TRUE(WaitUntil([&] { return RowSelected(row); }, 10s)) << "the row at " << row.y << " was not selected";
  }
  // A view kind button, and the wait until it shows chosen (filled with the dark blue).
  void ShowKind(Point button) {
    Click(button);
    EXPECT_TRUE(WaitUntil([&] { return m_person.PixelAt(m_launcher, button.x - 25, button.y) == kChosenKind; }, 10s))
        << "the view kind did not change";
  }
  // A message box of Mediary's answered with Enter (its first button); its text is for people.
  bool Answer(const std::string& picture, std::chrono::milliseconds limit = 60s) {
    if (!m_person.WaitForWindow("Mediary", limit)) return false;
    if (!picture.empty()) SaveScreen(picture);
    m_person.Key(XK_Return);
    return m_person.WaitForWindowGone("Mediary");
  }

  mediafiles::Bytes m_chime = mediafiles::Signature("MThd", 0, 900);
  phonesim::MediaTree m_phone{
      {"0/Camera/", {}},
      {"0/Camera/harbour.jpg", {"keFTJpeg", Text(mediafiles::Jpeg(160, 120))}},
      {"0/beach.jpg", {"keFTJpeg", Text(mediafiles::Jpeg(200, 150))}},
      {"0/spinner.gif", {"keFTGifAnim", Text(mediafiles::Gif(96, 96, 4))}},
      {"0/tower.png", {"keFTPng", Text(mediafiles::Png(120, 160))}},
      {"0/unwanted.jpg", {"keFTJpeg", Text(mediafiles::Jpeg(64, 48))}},
      {"1/ring.mid", {"keFTSMF", Text(mediafiles::Signature("MThd", 0, 300))}},
      {"2/walk.3gp", {"keFT3gp", Text(mediafiles::Movie("3gp4"))}},
  };
  std::string m_pc;
  unsigned long m_launcher = 0;
  Desktop m_desktop{SUITE_BIN_DIR};
  Person m_person;
  Suite m_suite{SUITE_SOURCE_ROOT, SUITE_BIN_DIR};
};

TEST_F(MediaScenario, ListCopyBothWaysRenameDeleteAndPreview) {
  std::string failure;
  m_launcher = FirstStartToLauncher(m_suite, m_person, "suite-media", failure);
  ASSERT_NE(m_launcher, 0u) << failure;
  // Mediary is the folder bar's second item (Daybook, Mediary, then Backup).
  ClickFolderBarItem(m_person, m_launcher, 1);
  ASSERT_TRUE(WaitUntil([&] { return m_person.PixelAt(m_launcher, kGetList.x, kGetList.y) == kButtonFace; }))
      << "Mediary did not come up in the launcher";
  SaveScreen("suite-media-mediary");
  const auto placeholder = PixelsIn(kPreview);

  // The PC pane starts in the documents folder, the test's; in the Melodies view it lists the
  // sound there alone.
  ShowKind(kMelodies);
  ASSERT_TRUE(WaitUntil([&] { return RowShows(PcRow(1)) && !RowShows(PcRow(2)); }, 20s))
      << "the PC pane does not show the test's folder";
  SaveScreen("suite-media-pc-folder");
  ShowKind(kImages);

  // Get: the language question, then the phone's folders; the end is told in a box.
  Click(kGetList);
  ASSERT_TRUE(Answer("suite-media-language-question")) << "no language question\n" << m_suite.Output();
  ASSERT_TRUE(Answer("suite-media-listed")) << "the listing did not end";
  // Pictures: the Camera folder, then beach.jpg, spinner.gif, tower.png and unwanted.jpg.
  ASSERT_TRUE(WaitUntil([&] { return RowShows(PhoneRow(4)); }, 10s)) << "the phone pane lists no pictures";

  // Three pictures handed to the PC pane, where they wait as queued entries.
  Select(PhoneRow(1));
  m_person.Key(XK_Down, true);
  m_person.Key(XK_Down, true);
  ASSERT_TRUE(WaitUntil([&] { return RowSelected(PhoneRow(3)); }, 10s)) << "Shift+Down did not select three";
  Click(kToPc);
  ASSERT_TRUE(WaitUntil([&] { return RowShows(PcRow(3)); }, 10s)) << "no downloads queued in the PC pane";
  SaveScreen("suite-media-downloads-queued");

  // The sound goes to the phone's Melodies, and takes a new name there.
  ShowKind(kMelodies);
  ASSERT_TRUE(WaitUntil([&] { return RowShows(PcRow(1)); }, 10s));
  Select(PcRow(1));
  Click(kToPhone);
  ASSERT_TRUE(WaitUntil([&] { return RowShows(PhoneRow(1)); }, 10s)) << "no upload queued in the phone pane";
  Select(PhoneRow(1));
  const Box renamed = RowBox(PhoneRow(1));
  const auto named = PixelsIn(renamed);
  m_person.Key(XK_F2);
  // The name is typed once the edit is open over the row, the old name selected in it.
  ASSERT_TRUE(WaitUntil([&] {
    const auto pixels = PixelsIn(renamed);
    return std::count(pixels.begin(), pixels.end(), kTextSelection) > 100;
  }, 10s)) << "F2 opened no edit";
  m_person.Text("doorbell.mid\n");
  // The label shows the new name once the edit is closed (the row then no longer selected).
  ASSERT_TRUE(WaitUntil([&] { return !RowSelected(PhoneRow(1)) && PixelsIn(renamed) != named; }, 10s))
      << "the sound did not take its new name";
  SaveScreen("suite-media-upload-renamed");

  // A picture marked for deletion on the phone: Delete and its question.
  ShowKind(kImages);
  Select(PhoneRow(4));
  m_person.Key(XK_Delete);
  ASSERT_TRUE(Answer("suite-media-delete-question")) << "no question before the delete";
  SaveScreen("suite-media-before-transfer");

  // Transfer carries it all out.
  Click(kTransfer);
  ASSERT_TRUE(Answer("suite-media-transferred", 120s)) << "the transfer did not end\n" << m_suite.Output();

  phonesim::MediaTree expected = m_phone;
  expected.erase("0/unwanted.jpg");
  expected["1/doorbell.mid"] = {"keFTSMF", Text(m_chime)};
  EXPECT_EQ(phonesim::ReadMediaTree(m_suite.PhoneFolder()), expected);
  const std::map<std::string, std::string> pc{{"beach.jpg", m_phone["0/beach.jpg"].bytes},
                                              {"spinner.gif", m_phone["0/spinner.gif"].bytes},
                                              {"tower.png", m_phone["0/tower.png"].bytes},
                                              {"chime.mid", Text(m_chime)}};
  EXPECT_EQ(FolderFiles(m_pc), pc);

  // The preview: a picture instead of the placeholder, then the animated GIF's frames in turn.
  ASSERT_TRUE(WaitUntil([&] { return RowShows(PcRow(3)); }, 10s)) << "the PC pane lists no pictures";
  Select(PcRow(1));
  EXPECT_TRUE(WaitUntil([&] {
    const auto shown = PixelsIn(kPreview);
    return shown != placeholder && std::set<std::uint32_t>(shown.begin(), shown.end()).size() > 50;
  }, 10s)) << "the preview shows no picture";
  SaveScreen("suite-media-preview-picture");
  Select(PcRow(2));
  std::set<std::vector<std::uint32_t>> frames;
  WaitUntil([&] {
    frames.insert(PixelsIn(kPreview));
    return frames.size() >= 4;
  }, 10s);
  SaveScreen("suite-media-preview-animation");
  EXPECT_GE(frames.size(), 3u) << "the animated GIF does not play";
}

}  // namespace
