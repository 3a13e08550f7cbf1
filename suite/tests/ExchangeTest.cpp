// Contacts, schedule and to-do carried from one phone to another through the exchange files, as a
// person does it with the suite. The first home's Daybook downloads what its phone holds and
// exports the contacts as vCards and as a CSV file, the schedule and the to-do list as vCalendar
// files; the files go along to a fresh home with a second phone that starts empty, whose Daybook
// imports all three and uploads them. The second phone then holds what the first held in every
// field each format carries. Only pointer and keys drive the suite; pictures of each step are kept.
#include "support/DaybookPlaces.h"
#include "support/PhoneRecords.h"
#include "support/SuiteHarness.h"

#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <numeric>

namespace {

using namespace suite_testing;
using namespace phone_records;
namespace fs = std::filesystem;


// Places in the launcher's frame at its first size, with Daybook in its right pane (Daybook's:
// support/DaybookPlaces.h). Daybook is driven by its buttons and its File menu.
constexpr Point kDaybookItem{60, 71};    // Daybook, the first item of the folder bar
constexpr std::uint32_t kChosenPage = 0x082A82;  // the button of the page shown
constexpr const char* kPageCaptions[] = {"Contacts", "Schedule", "ToDo"};

// The entries of Daybook's File menu counted from its end (Close is 1), and the items of the
// Import and Export sub-menus from the top.
constexpr int kResourceListEntry = 7, kImportEntry = 4, kExportEntry = 3;
constexpr int kCsvItem = 1, kCardsItem = 2, kCalendarItem = 3, kToDoItem = 4;

// Places in the dialogs' windows, their frames included.
constexpr Point kBrowserTitle{100, 45};    // the folder browser's title text (empty)
constexpr Point kFileName{200, 224};       // the open dialog's "File name" box
constexpr Point kFileBox{200, 127};        // the CSV wizard's file box on its first page
constexpr Point kCommaSeparator{66, 222};  // "Comma ( , )" on the first page
constexpr Point kDefaultMapping{330, 305};  // "Default Mapping" on the mapping page
constexpr Point kNext{463, 359};            // "Next >"

// The exchange folder, on each home's drive C.
constexpr const char* kExchange = "exchange";
constexpr const char* kCsvFile = "C:\\exchange\\contacts.csv";

std::vector<std::string> FilesOf(const fs::path& folder, const std::string& extension) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) {
    if (entry.path().extension() == extension) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Exchange : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    ASSERT_TRUE(m_desktop.Managing()) << "another window manager runs on this display";
    ASSERT_TRUE(m_person.IsOpen());
  }

  // From an empty home to Daybook in the launcher's pane; answers the launcher's window.
  unsigned long ToDaybook(Suite& suite, const std::string& pictures) {
    std::string why;
    const unsigned long launcher = FirstStartToLauncher(suite, m_person, "", why);
    EXPECT_NE(launcher, 0u) << why;
    if (!launcher) return 0;
    m_person.ClickIn(launcher, kDaybookItem.x, kDaybookItem.y);
    const bool shown = WaitUntil([&] {
      return m_person.PixelAt(launcher, kDaybookDownload.x, kDaybookDownload.y) == kDaybookButtonFace;
    });
    SaveScreen(pictures + "-daybook");
    EXPECT_TRUE(shown) << "Daybook did not come up in the launcher";
    if (!shown) return 0;
    m_launcher = launcher;
    return launcher;
  }

  // A click at a point of a dialog, waited for until the dialog has the keys.
  bool ClickForKeys(unsigned long dialog, const Point& at) {
    m_person.ClickIn(dialog, at.x, at.y);
    if (WaitUntil([&] { return m_person.X().Focus() == dialog; }, 10s)) return true;
    ADD_FAILURE() << "the dialog did not take the keys";
    return false;
  }

  // A message box with this caption waited for, kept as a picture, and answered with Enter.
  bool Answer(const std::string& caption, const std::string& picture, std::chrono::milliseconds limit = 120s) {
    const unsigned long box = m_person.WaitForWindow(caption, limit);
    if (!box) {
      SaveScreen(picture + "-missing");
      ADD_FAILURE() << "no message \"" << caption << "\"";
      return false;
    }
    if (!picture.empty()) SaveScreen(picture);
    WaitUntil([&] { return m_person.X().Focus() == box; }, 5s);
    m_person.Key(XK_Return);
    return m_person.WaitForWindowGone(caption);
  }

  // An entry of Daybook's File menu, and an item of its sub-menu when `item` is not 0, by keys once
  // the menu shows (it takes the keys from then on).
  bool Menu(int entryFromEnd, int item = 0) {
    const Box& area = kDaybookFileMenuArea;
    const auto before = m_person.PixelsIn(m_launcher, area.left, area.top, area.right, area.bottom);
    m_person.ClickIn(m_launcher, kDaybookFile.x, kDaybookFile.y);
    const bool shown = WaitUntil([&] {
      const auto now = m_person.PixelsIn(m_launcher, area.left, area.top, area.right, area.bottom);
      return std::inner_product(now.begin(), now.end(), before.begin(), 0, std::plus<>(), std::not_equal_to<>()) > 2000;
    });
    EXPECT_TRUE(shown) << "the File menu did not open";
    for (int i = 0; i < entryFromEnd; ++i) m_person.Key(XK_Up);
    if (item) {
      m_person.Key(XK_Right);
      for (int i = 1; i < item; ++i) m_person.Key(XK_Down);
    }
    m_person.Key(XK_Return);
    return shown;
  }

  // Each page's records downloaded or uploaded by the page's button, the end's message answered.
  bool EveryPage(bool upload) {
    for (int page = 0; page < 3; ++page) {
      if (page > 0 && !ShowPage(page)) return false;
      // A progress bar takes the buttons' place while the transfer runs, until its end is
      // answered: on the contacts page it covers Download's face. A click before Daybook is ready
      // (it looks for the phone first) does nothing.
      const Point button = page == 0 ? (upload ? kDaybookUpload : kDaybookDownload)
                                     : (upload ? kDaybookCalendarUpload : kDaybookCalendarDownload);
      const Point probe = page == 0 ? kDaybookDownload : button;
      const auto running = [&] { return m_person.PixelAt(m_launcher, probe.x, probe.y) != kDaybookButtonFace; };
      // The contacts page's buttons first show again: a dialog that closes a moment ago may still
      // lie over them and take the click.
      if (page == 0 && !WaitUntil([&] { return !running(); })) {
        ADD_FAILURE() << "the Contacts page's buttons did not show";
        return false;
      }
      if (!WaitUntil([&] {
            m_person.ClickIn(m_launcher, button.x, button.y);
            return WaitUntil(running, 2s);
          })) {
        ADD_FAILURE() << "no transfer started on the " << kPageCaptions[page] << " page";
        return false;
      }
      if (!Answer(kPageCaptions[page], "suite-exchange-" + std::string(upload ? "upload-" : "download-") + kPageCaptions[page])) return false;
    }
    return ShowPage(0);
  }

  // A page of Daybook shown by its button, which then turns dark.
  bool ShowPage(int page) {
    const Point button = kDaybookPageButtons[page];
    m_person.ClickIn(m_launcher, button.x, button.y);
    if (WaitUntil([&] { return m_person.PixelAt(m_launcher, button.x - 14, button.y) == kChosenPage; })) return true;
    ADD_FAILURE() << "the " << kPageCaptions[page] << " page did not come";
    return false;
  }

  // The folder browser on the exchange folder of drive C: the tree's last row is drive C, and its
  // folder is found by typing its name; Enter takes it.
  bool ChooseExchangeFolder(const std::string& picture) {
    if (!m_person.WaitForWindow("Browse for Folder", 120s)) {
      SaveScreen(picture + "-missing");
      ADD_FAILURE() << "no folder browser";
      return false;
    }
    // A click on the browser's title text takes the keys there first.
    ClickForKeys(m_person.WaitForWindow("Browse for Folder"), kBrowserTitle);
    m_person.Key(XK_End);
    m_person.Text(kExchange);
    if (!picture.empty()) SaveScreen(picture);
    m_person.Key(XK_Return);
    return m_person.WaitForWindowGone("Browse for Folder");
  }

  // The open dialog on the exchange folder, its files of this kind chosen by name.
  bool OpenFiles(const fs::path& folder, const std::string& extension, const std::string& picture) {
    const unsigned long dialog = m_person.WaitForWindow("Open", 120s);
    if (!dialog) {
      SaveScreen(picture + "-missing");
      ADD_FAILURE() << "no open dialog";
      return false;
    }
    ClickForKeys(dialog, kFileName);
    m_person.Text(std::string("C:\\") + kExchange + "\n");
    std::string names;
    for (const std::string& name : FilesOf(folder, extension)) names += "\"" + name + "\" ";
    m_person.Text(names);
    if (!picture.empty()) SaveScreen(picture);
    m_person.Key(XK_Return);
    return m_person.WaitForWindowGone("Open");
  }

  // Tabulon's wizard on the exchange folder's CSV file: its path typed into the file box (which has
  // the focus), the comma chosen and Enter for "Next"; an import's columns take the default mapping.
  // The report's Enter is "Finish" (an Enter while the run goes on does nothing).
  bool CsvWizard(bool import, const std::string& picture) {
    const unsigned long wizard = m_person.WaitForWindow("CSV Wizard", 120s);
    if (!wizard) {
      SaveScreen(picture + "-missing");
      ADD_FAILURE() << "no CSV wizard";
      return false;
    }
    ClickForKeys(wizard, kFileBox);
    m_person.Text(kCsvFile);
    m_person.ClickIn(wizard, kCommaSeparator.x, kCommaSeparator.y);
    SaveScreen(picture);
    m_person.Key(XK_Return);
    if (import) {
      // Keys and clicks are taken in turn: the mapping page is up once Enter was.
      m_person.ClickIn(wizard, kDefaultMapping.x, kDefaultMapping.y);
      SaveScreen(picture + "-mapping");
      m_person.ClickIn(wizard, kNext.x, kNext.y);
    }
    return WaitUntil([&] {
      m_person.Key(XK_Return);
      return m_person.WaitForWindowGone("CSV Wizard", 500ms);
    });
  }

  Desktop m_desktop{SUITE_BIN_DIR};
  Person m_person;
  unsigned long m_launcher = 0;
};

TEST_F(Exchange, WhatOnePhoneHeldReachesASecondPhoneInEveryFieldTheFilesCarry) {
  Suite one{SUITE_SOURCE_ROOT, SUITE_BIN_DIR};
  Records first;
  {
    Phone phone;
    ASSERT_TRUE(phone.Start(one.PhoneFolder())) << phone.Error();
    first = FillSample(phone);
  }
  ASSERT_FALSE(HasFailure());
  const fs::path exchange = fs::path(one.Home()) / "drive_c" / kExchange;
  fs::create_directories(exchange);

  ASSERT_TRUE(one.Start());
  ASSERT_NE(ToDaybook(one, "suite-exchange-first"), 0u);
  ASSERT_TRUE(EveryPage(false));
  SaveScreen("suite-exchange-downloaded");
  // The phone's sound names, which the schedule's file gives its alarm by.
  ASSERT_TRUE(Menu(kResourceListEntry));
  ASSERT_TRUE(Answer("Contacts", ""));

  Menu(kExportEntry, kCardsItem);
  ASSERT_TRUE(ChooseExchangeFolder("suite-exchange-vcard-folder"));
  EXPECT_TRUE(WaitUntil([&] { return FilesOf(exchange, ".vcf").size() == first.contacts.size(); }, 30s));
  Menu(kExportEntry, kCalendarItem);
  ASSERT_TRUE(ChooseExchangeFolder("suite-exchange-vcalendar-folder"));
  Menu(kExportEntry, kToDoItem);
  ASSERT_TRUE(ChooseExchangeFolder(""));
  EXPECT_TRUE(WaitUntil(
      [&] { return FilesOf(exchange, ".vcs").size() == first.entries.size() + first.items.size(); }, 30s));
  Menu(kExportEntry, kCsvItem);
  ASSERT_TRUE(CsvWizard(false, "suite-exchange-csv-export"));
  EXPECT_TRUE(fs::exists(exchange / "contacts.csv"));
  EXPECT_TRUE(one.Stop()) << "the suite did not end on Ctrl+C\n" << one.Output();

  // The files go along to a fresh home, whose phone starts empty.
  Suite two{SUITE_SOURCE_ROOT, SUITE_BIN_DIR};
  const fs::path carried = fs::path(two.Home()) / "drive_c" / kExchange;
  fs::create_directories(carried);
  fs::copy(exchange, carried, fs::copy_options::recursive);
  ASSERT_TRUE(two.Start());
  ASSERT_NE(ToDaybook(two, "suite-exchange-second"), 0u);
  // The phone's pictures and sounds first, so that the CSV file's choices find theirs.
  ASSERT_TRUE(Menu(kResourceListEntry));
  ASSERT_TRUE(Answer("Contacts", "suite-exchange-resources"));
  Menu(kImportEntry, kCsvItem);
  ASSERT_TRUE(CsvWizard(true, "suite-exchange-csv-import"));
  Menu(kImportEntry, kCardsItem);
  ASSERT_TRUE(OpenFiles(carried, ".vcf", "suite-exchange-vcard-open"));
  Menu(kImportEntry, kCalendarItem);
  ASSERT_TRUE(OpenFiles(carried, ".vcs", "suite-exchange-vcalendar-open"));
  SaveScreen("suite-exchange-imported");
  ASSERT_TRUE(EveryPage(true));
  EXPECT_TRUE(two.Stop()) << "the suite did not end on Ctrl+C\n" << two.Output();

  // The second phone: the CSV file's contacts in the first slots (imported first, every column),
  // the cards' after them, then the schedule and the to-do items.
  Phone second;
  ASSERT_TRUE(second.Start(two.PhoneFolder())) << second.Error();
  const Records got = second.All();
  ASSERT_EQ(got.contacts.size(), 2 * first.contacts.size());
  const auto middle = got.contacts.begin() + static_cast<std::ptrdiff_t>(first.contacts.size());
  ExpectSameContacts(first.contacts, {got.contacts.begin(), middle}, CardFormat::Csv);
  ExpectSameContacts(first.contacts, {middle, got.contacts.end()}, CardFormat::VCard);
  ExpectSameSchedule(first.entries, got.entries);
  ExpectSameToDo(first.items, got.items);
}

}  // namespace
