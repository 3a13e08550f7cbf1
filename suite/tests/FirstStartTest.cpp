// The suite's first start in an empty home, as a person meets it: scripts/run shows the phone
// selection, "Autodetect" finds the simulated phone, and the launcher comes up. Pictures of each
// step are kept for people.
#include "support/SuiteHarness.h"

#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace suite_testing;

constexpr const char* kLauncher = " Dravik";

TEST(FirstStart, PhoneSelectionAutodetectThenTheLauncher) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
  Desktop desktop(SUITE_BIN_DIR);
  ASSERT_TRUE(desktop.Managing()) << "another window manager runs on this display";
  Person person;
  ASSERT_TRUE(person.IsOpen());
  Suite suite(SUITE_SOURCE_ROOT, SUITE_BIN_DIR);
  ASSERT_TRUE(suite.Start());

  const unsigned long selection = person.WaitForWindow("Phone selection");
  ASSERT_NE(selection, 0u) << "no phone selection on a first start\n" << suite.Output();
  EXPECT_EQ(person.X().FindShown(kLauncher), 0u) << "the launcher came before a phone was chosen";
  SaveScreen("suite-first-start-phone-selection");

  // "Autodetect" sits at the dialog's bottom right: 60 x 14 dialog units, 7 from the right and
  // bottom edges of a 220 x 178 unit client area.
  const auto place = person.X().Place(selection);
  const double unitX = place.width / 226.0, unitY = unitX * 13.0 / 12.0;
  person.ClickIn(selection, place.width - static_cast<int>(40 * unitX), place.height - static_cast<int>(17 * unitY));

  const unsigned long found = person.WaitForWindow("Linkwell");
  ASSERT_NE(found, 0u) << "Autodetect told nothing\n" << suite.Output();
  SaveScreen("suite-first-start-autodetect");
  person.Key(XK_Return);
  EXPECT_TRUE(person.WaitForWindowGone("Phone selection"));

  const unsigned long launcher = person.WaitForWindow(kLauncher);
  ASSERT_NE(launcher, 0u) << "the launcher did not come up\n" << suite.Output();
  WaitUntil([] { return false; }, 500ms);  // let the frame settle (the picture is for people)
  SaveScreen("suite-first-start-launcher");

  EXPECT_TRUE(suite.Stop()) << "the suite did not end on Ctrl+C\n" << suite.Output();
  EXPECT_TRUE(suite.Processes().empty());
}

}  // namespace
