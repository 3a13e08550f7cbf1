// The suite's first start in an empty home, as a person meets it: scripts/run shows the phone
// selection, "Autodetect" finds the simulated phone, and the launcher comes up; Daybook downloads
// the phone's contacts, and one of them, edited in Daybook's form, goes back to the phone with an
// upload. Pictures of each step are kept for people.
#include "support/DaybookPlaces.h"
#include "support/SuiteHarness.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <phonesim/WholePhoneFiles.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace suite_testing;

// Every place the scenario points at, in the launcher's frame at its first size with Daybook in its
// right pane.
constexpr Point kSixthContact{380, 169};      // the sixth line of the contacts list
constexpr Box kFormName{536, 92, 782, 108};   // the form's name field
constexpr Box kApply{378, 517, 448, 535};     // the contacts page's "Apply" button
constexpr std::uint32_t kButtonText = 0x082A82;  // the text of an enabled button

constexpr Point Centre(const Box& box) { return {(box.left + box.right) / 2, (box.top + box.bottom) / 2}; }

// The phone's contacts: one flash file a slot, a record in the layout Daybook's transfers read
// and write (multi-byte values little-endian).
constexpr int kContactsFile = 256;
constexpr std::size_t kRecordBytes = 524;
constexpr std::size_t kNameField = 32;  // the length byte and the name, padded with zeros
constexpr std::size_t kEmail = 186, kText = 316, kPaddedField = 65;  // texts padded with zeros
constexpr std::size_t kReading = 446, kTrailer = 477, kMelodies = 504, kChoices = 520;

std::string ContactRecord(int slot) {
  std::string record(kRecordBytes, '\xFF');  // no numbers, flag or picture
  auto text = [&](std::size_t at, std::size_t size, const std::string& value) {
    record.replace(at, size, std::string(size, '\0'));
    record.replace(at, value.size(), value);
  };
  const std::string name = "Contact " + std::to_string(slot);
  record[0] = static_cast<char>(name.size());
  text(1, kNameField - 1, name);
  // An address takes at most 64 bytes of its field; the last byte stays 0xFF.
  text(kEmail, kPaddedField - 1, "c" + std::to_string(slot) + "@example.org");
  text(kEmail + kPaddedField, kPaddedField - 1, "");
  text(kText, kPaddedField, "Street " + std::to_string(slot));
  text(kText + kPaddedField, kPaddedField, "");
  record[kReading] = 0;                                 // no reading
  record.replace(kTrailer, 4, std::string(4, '\0'));    // what every name write leaves there
  for (int i = 0; i < 3; ++i) record.replace(kMelodies + 4 * i, 4, std::string("\0\0\0\x80", 4));  // no melody
  record.replace(kChoices, 4, "\x80\x80\x80\x80");  // no light, no group
  return record;
}

// Where two records differ, as "offset: expected/actual" in hex, for a failure message.
std::string Differences(const std::string& expected, const std::string& actual) {
  std::string text;
  char item[32];
  for (std::size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
    const int e = i < expected.size() ? static_cast<unsigned char>(expected[i]) : -1;
    const int a = i < actual.size() ? static_cast<unsigned char>(actual[i]) : -1;
    if (e == a) continue;
    std::snprintf(item, sizeof item, " %zu: %02X/%02X", i, e, a);
    text += item;
  }
  return text;
}

phonesim::FlashFiles PhoneBook(int count) {
  phonesim::FlashFiles files;
  for (int slot = 0; slot < count; ++slot) files[{kContactsFile, slot}] = ContactRecord(slot);
  return files;
}

class FirstStart : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    ASSERT_TRUE(m_desktop.Managing()) << "another window manager runs on this display";
    ASSERT_TRUE(m_person.IsOpen());
    ASSERT_TRUE(phonesim::WriteFlashFiles(m_suite.PhoneFolder(), PhoneBook(500)));
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
    const bool shown =
        WaitUntil([&] { return m_person.PixelAt(launcher, kDaybookDownload.x, kDaybookDownload.y) == kDaybookButtonFace; });
    SaveScreen("suite-first-start-daybook");
    EXPECT_TRUE(shown) << "Daybook did not come up in the launcher";
    if (!shown) return 0;
    return launcher;
  }

  // Download: a progress bar takes the buttons' place while it runs; the end is told in a message
  // box, and the buttons come back once it is answered. The contacts list then shows names.
  bool Download(unsigned long launcher) {
    m_person.ClickIn(launcher, kDaybookDownload.x, kDaybookDownload.y);
    if (!WaitUntil([&] { return TransferRuns(launcher); }, 30s)) {
      ADD_FAILURE() << "no download started";
      return false;
    }
    if (!AnswerTransferEnd(launcher, "suite-first-start-contacts")) return false;
    // The contacts list shows names.
    const auto list = BoxPixels(launcher, kDaybookContactsList);
    const auto ink = std::count_if(list.begin(), list.end(), [](std::uint32_t pixel) { return pixel != 0xFFFFFF; });
    EXPECT_GT(ink, 2000) << "the contacts list is empty after the download";
    return ink > 2000;
  }

  // Upload, its button beside Download, and the end answered.
  bool Upload(unsigned long launcher) {
    m_person.ClickIn(launcher, kDaybookUpload.x, kDaybookUpload.y);
    if (!WaitUntil([&] { return TransferRuns(launcher); }, 30s)) {
      SaveScreen("suite-first-start-upload-did-not-start");
      ADD_FAILURE() << "no upload started";
      return false;
    }
    return AnswerTransferEnd(launcher, "suite-first-start-uploaded");
  }

  // While a transfer runs, a progress bar stands in for Daybook's buttons.
  bool TransferRuns(unsigned long launcher) {
    return m_person.PixelAt(launcher, kDaybookDownload.x, kDaybookDownload.y) != kDaybookButtonFace;
  }

  // The message box that ends a transfer, kept as a picture and answered with Return; true once
  // it went and the buttons came back.
  bool AnswerTransferEnd(unsigned long launcher, const std::string& picture) {
    const unsigned long done = m_person.WaitForWindow("Contacts", 240s);
    SaveScreen(done ? picture : picture + "-never-ended");
    if (!done) {
      ADD_FAILURE() << "no message ended the transfer; the top-level windows now:" << TopLevelWindows();
      return false;
    }
    m_person.Key(XK_Return);
    const bool back = m_person.WaitForWindowGone("Contacts") && WaitUntil([&] { return !TransferRuns(launcher); }, 10s);
    EXPECT_TRUE(back) << "the message at the end of the transfer stayed";
    return back;
  }

  // The titles of the screen's top-level windows, shown or not, for a failure message.
  std::string TopLevelWindows() {
    std::string list;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return list;
    for (unsigned long window : m_person.X().Children(DefaultRootWindow(display))) {
      const std::string title = m_person.X().Utf8Property(window, "_NET_WM_NAME");
      if (!title.empty()) list += "\n  \"" + title + "\"" + (m_person.X().Place(window).viewable ? "" : " (not shown)");
    }
    XCloseDisplay(display);
    return list;
  }

  // The launcher's pixels in a box of its frame, row by row.
  std::vector<std::uint32_t> BoxPixels(unsigned long launcher, const Box& box) {
    return m_person.PixelsIn(launcher, box.left, box.top, box.right, box.bottom);
  }

  // Whether the button in the box is enabled: its text is drawn in the enabled buttons' colour.
  bool Enabled(unsigned long launcher, const Box& button) {
    const auto pixels = BoxPixels(launcher, button);
    return std::count(pixels.begin(), pixels.end(), kButtonText) > 10;
  }

  Desktop m_desktop{SUITE_BIN_DIR};
  Person m_person;
  Suite m_suite{SUITE_SOURCE_ROOT, SUITE_BIN_DIR};
};

TEST_F(FirstStart, PhoneSelectionAutodetectTheLauncherAndDaybook) { EXPECT_NE(ToDaybook(), 0u); }

TEST_F(FirstStart, DaybookDownloadsTheFiveHundredContacts) {
  const unsigned long launcher = ToDaybook();
  ASSERT_NE(launcher, 0u);
  ASSERT_TRUE(Download(launcher));
}

TEST_F(FirstStart, DaybookUploadsAContactEditedInItsForm) {
  const unsigned long launcher = ToDaybook();
  ASSERT_NE(launcher, 0u);
  ASSERT_TRUE(Download(launcher));

  // A click on a contact shows it in the form.
  const auto emptyForm = BoxPixels(launcher, kFormName);
  m_person.ClickIn(launcher, kSixthContact.x, kSixthContact.y);
  ASSERT_TRUE(WaitUntil([&] { return BoxPixels(launcher, kFormName) != emptyForm; }, 10s))
      << "the clicked contact did not show in the form";
  EXPECT_FALSE(Enabled(launcher, kApply)) << "Apply is offered before anything was changed";

  // Its name replaced by keys: a click into the field, Home, Shift+End, and the new name typed.
  const std::string name = "Zora Quill";
  const auto shownName = BoxPixels(launcher, kFormName);
  m_person.ClickIn(launcher, Centre(kFormName).x, Centre(kFormName).y);
  m_person.Key(XK_Home);
  m_person.Key(XK_End, true);
  m_person.Text(name);
  const bool changed = WaitUntil([&] { return Enabled(launcher, kApply) && BoxPixels(launcher, kFormName) != shownName; }, 10s);
  WaitUntil([] { return false; }, 300ms);  // the picture is for people: let the field settle
  SaveScreen("suite-first-start-contact-edited");
  ASSERT_TRUE(changed) << "the typed name did not reach the form";

  m_person.ClickIn(launcher, Centre(kApply).x, Centre(kApply).y);
  ASSERT_TRUE(WaitUntil([&] { return !Enabled(launcher, kApply); }, 10s)) << "Apply was not taken";
  SaveScreen("suite-first-start-contact-applied");

  // "Upload to Phone" from the File button's menu, and the message at its end answered.
  ASSERT_TRUE(Upload(launcher));

  // The phone holds the new name in that contact, and every other byte of its contacts as before.
  const phonesim::FlashFiles after = phonesim::ReadFlashFiles(m_suite.PhoneFolder());
  int contacts = 0, differing = 0;
  for (const auto& [key, bytes] : after) {
    if (key.first != kContactsFile) continue;  // the group names go up with them
    ++contacts;
    SCOPED_TRACE(key.second);
    std::string expected = ContactRecord(key.second);
    if (key.second == 5) {
      expected[0] = static_cast<char>(name.size());
      expected.replace(1, kNameField - 1, std::string(kNameField - 1, '\0'));
      expected.replace(1, name.size(), name);
    }
    EXPECT_EQ(Differences(expected, bytes), "");
    if (bytes != expected && ++differing == 3) break;  // a few are enough to see what went wrong
  }
  if (differing < 3) {
    EXPECT_EQ(contacts, 500);
  }
}

}  // namespace
