// The suite's first start in an empty home, as a person meets it: scripts/run shows the phone
// selection, "Autodetect" finds the simulated phone, and the launcher comes up. Pictures of each
// step are kept for people.
#include "support/DaybookPlaces.h"
#include "support/SuiteHarness.h"

#include <X11/keysym.h>
#include <phonesim/WholePhoneFiles.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace suite_testing;

class FirstStart : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    ASSERT_TRUE(m_desktop.Managing()) << "another window manager runs on this display";
    ASSERT_TRUE(m_person.IsOpen());
    ASSERT_TRUE(phonesim::WriteFlashFiles(m_suite.PhoneFolder(), phonesim::SamplePhoneBook(500)));
    ASSERT_TRUE(m_suite.Start());
  }
  void TearDown() override {
    if (!std::getenv("DISPLAY")) return;
    EXPECT_TRUE(m_suite.Stop()) << "the suite did not end on Ctrl+C\n" << m_suite.Output();
    EXPECT_TRUE(m_suite.Processes().empty());
  }

  // From an empty home to Daybook in the launcher's pane; answers the launcher's window.
  unsigned long ToDaybook() {
    std::string why;
    const unsigned long launcher = FirstStartToLauncher(m_suite, m_person, "suite-first-start", why);
    EXPECT_NE(launcher, 0u) << why;
    if (!launcher) return 0;

    // Daybook, the first item of the launcher's folder bar, shows in the launcher's right pane.
    ClickFolderBarItem(m_person, launcher, 0);
    const bool shown = WaitUntil([&] {
      return m_person.PixelAt(launcher, kDaybookDownload.x, kDaybookDownload.y) == kDaybookButtonFace;
    });
    SaveScreen("suite-first-start-daybook");
    EXPECT_TRUE(shown) << "Daybook did not come up in the launcher";
    if (!shown) return 0;
    return launcher;
  }

  Desktop m_desktop{SUITE_BIN_DIR};
  Person m_person;
  Suite m_suite{SUITE_SOURCE_ROOT, SUITE_BIN_DIR};
};

TEST_F(FirstStart, PhoneSelectionAutodetectTheLauncherAndDaybook) { EXPECT_NE(ToDaybook(), 0u); }

TEST_F(FirstStart, DaybookDownloadsTheFiveHundredContacts) {
  const unsigned long launcher = ToDaybook();
  ASSERT_NE(launcher, 0u);
  // Download: a progress bar takes the buttons' place while it runs; the end is told in a message
  // box, and the buttons come back once it is answered.
  m_person.ClickIn(launcher, kDaybookDownload.x, kDaybookDownload.y);
  // While it runs, a progress bar stands in for the buttons.
  auto running = [&] {
    return m_person.PixelAt(launcher, kDaybookDownload.x, kDaybookDownload.y) != kDaybookButtonFace;
  };
  ASSERT_TRUE(WaitUntil(running, 30s)) << "no download started";
  const unsigned long done = m_person.WaitForWindow("Contacts", 240s);
  SaveScreen("suite-first-start-contacts");
  ASSERT_NE(done, 0u) << "the download did not end";
  m_person.Key(XK_Return);
  ASSERT_TRUE(m_person.WaitForWindowGone("Contacts"));
  EXPECT_TRUE(WaitUntil([&] { return !running(); }, 10s));
  // The contacts list shows names.
  int width = 0;
  const auto pixels = m_person.Pixels(launcher, width);
  int ink = 0;
  for (int y = kDaybookContactsList.top; y < kDaybookContactsList.bottom; ++y) {
    for (int x = kDaybookContactsList.left; x < kDaybookContactsList.right; ++x) {
      if (pixels[static_cast<std::size_t>(y) * width + x] != 0xFFFFFF) ++ink;
    }
  }
  EXPECT_GT(ink, 2000) << "the contacts list is empty after the download";
}

}  // namespace
