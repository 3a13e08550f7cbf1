// The calendar as a person keeps it with the suite: Daybook downloads the phone's schedule and to-do
// list, one entry of each is added on the PC (a day clicked in the month calendar, dates and times
// typed into the pickers), both lists go back to the phone, and the document is saved, closed and
// opened again. The phone then holds the old entries and the new ones, the saved file holds what
// the phone holds, and the pages show after the opening what they showed before the closing. Only
// pointer and keys drive the suite; pictures of both pages with the new entries are kept.
#include "support/DaybookPlaces.h"
#include "support/PhoneRecords.h"
#include "support/SuiteHarness.h"

#include <DaybookDocument.h>
#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <numeric>

namespace {

using namespace suite_testing;
using namespace phone_records;
namespace fs = std::filesystem;

// Every place the test clicks or looks at, in the launcher's frame at its first size with Daybook
// in its right pane.
constexpr Point kDaybookItem{60, 71};   // Daybook, the first item of the folder bar
// The schedule and to-do pages alike: their button row (new, Apply; Download and Upload are in the
// places header) and their list.
constexpr Point kNew{176, 526}, kApply{459, 526};
// Download and Upload by a point of their face right of their text, light while no transfer runs.
constexpr Point kCalendarDownload{658, 525}, kCalendarUpload{754, 525};
constexpr Box kList{135, 100, 485, 498};
// The schedule page's month calendar and editor.
constexpr Point kCalendarDay{642, 168};  // a day of the calendar's third week, always in its month
constexpr Point kShowAll{650, 270};      // the "All" box under the calendar
constexpr Point kScheduleDescription{630, 295};
constexpr Point kScheduleDate{542, 320};  // the date picker's day field
constexpr Point kScheduleTime{682, 320};  // the time picker's hour field
// The to-do page's editor.
constexpr Point kToDoDescription{630, 100};
constexpr Point kToDoStart{628, 126};     // the start date picker's day field
constexpr Point kToDoDue{628, 150};       // the due date picker's day field

constexpr std::uint32_t kChosenPage = 0x082A82;  // the button of the page shown
constexpr std::uint32_t kEmptyPane = 0xFFFFFF;   // the launcher's pane with no program in it
constexpr const char* kPageCaptions[] = {"Contacts", "Schedule", "ToDo"};
enum Page { kContactsPage, kSchedulePage, kToDoPage };

// What the person types into the pickers and descriptions: dates the phone can keep (its records
// end with 2020).
constexpr const char* kEntryDate = "15/06/2020";
constexpr const char* kEntryTime = "10:45";
constexpr const char* kEntryText = "Dentist at the harbour";
constexpr const char* kItemStart = "01/09/2020";
constexpr const char* kItemDue = "30/09/2020";
constexpr const char* kItemText = "Renew the passport";
// The document, on the home's drive C.
constexpr const char* kDocument = "C:\\documents\\calendar.daybook";

// A document read back with Daybook's own reader: the schedule and the to-do items it holds.
class KeptRecords : public daybook::IDocumentStore {
 public:
  int GroupNameLimit() override { return 256; }
  int ContactFieldLimit(PA_CONTACT_FIELD) override { return 256; }
  PA_RESULT PutGroup(PA_GROUP_INFO&, short) override { return PA_OK; }
  PA_RESULT PutContact(PA_PHONEBOOK_INFO&, short) override { return PA_OK; }
  PA_RESULT PutSchedule(PA_SCHEDULE_INFO& entry, short slot) override {
    if (entry.bValid) entries[slot] = entry;
    return PA_OK;
  }
  PA_RESULT PutToDo(PA_TODO_INFO& item, short slot) override {
    if (item.bValid) items[slot] = item;
    return PA_OK;
  }
  void PutResources(unsigned short, std::span<PA_RESOURCE_INFO>) override {}

  template <class Record>
  static std::vector<Record> Values(const std::map<short, Record>& slots) {
    std::vector<Record> values;
    for (const auto& [slot, record] : slots) values.push_back(record);
    return values;
  }
  std::map<short, PA_SCHEDULE_INFO> entries;
  std::map<short, PA_TODO_INFO> items;
};

template <class Record>
const Record* Described(const std::vector<Record>& records, const char* text) {
  for (const Record& record : records) {
    if (record.strDescription == text) return &record;
  }
  return nullptr;
}

class Calendar : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    ASSERT_TRUE(m_desktop.Managing()) << "another window manager runs on this display";
    ASSERT_TRUE(m_person.IsOpen());
  }
  void TearDown() override {
    if (!std::getenv("DISPLAY")) return;
    m_suite.Stop();
    EXPECT_TRUE(m_suite.Processes().empty());
  }

  void Click(const Point& at) { m_person.ClickIn(m_launcher, at.x, at.y); }

  // Daybook in the launcher's pane, by the folder bar; true once its page is up.
  bool ShowDaybook(const std::string& picture) {
    Click(kDaybookItem);
    const bool shown =
        WaitUntil([&] { return m_person.PixelAt(m_launcher, kDaybookDownload.x, kDaybookDownload.y) == kDaybookButtonFace; });
    SaveScreen(picture);
    EXPECT_TRUE(shown) << "Daybook did not come up in the launcher";
    return shown;
  }

  // A page of Daybook shown by its button, which then turns dark.
  bool ShowPage(Page page) {
    const Point button = kDaybookPageButtons[page];
    Click(button);
    if (WaitUntil([&] { return m_person.PixelAt(m_launcher, button.x - 14, button.y) == kChosenPage; })) return true;
    ADD_FAILURE() << "the " << kPageCaptions[page] << " page did not come";
    return false;
  }

  // A message box with this caption waited for, kept as a picture when `picture` is not empty, and
  // answered with Enter once it has the keys.
  bool Answer(const std::string& caption, const std::string& picture, std::chrono::milliseconds limit = 120s) {
    const unsigned long box = m_person.WaitForWindow(caption, limit);
    if (!box) {
      SaveScreen("suite-calendar-missing-" + caption);
      ADD_FAILURE() << "no message \"" << caption << "\"\n" << m_suite.Output();
      return false;
    }
    if (!picture.empty()) SaveScreen(picture);
    WaitUntil([&] { return m_person.X().Focus() == box; }, 5s);
    m_person.Key(XK_Return);
    return m_person.WaitForWindowGone(caption);
  }

  // The page's Download or Upload button, clicked until the transfer runs (a progress bar takes
  // the buttons' place), and the message that ends it answered.
  bool Transfer(Page page, bool upload) {
    const Point button = upload ? kCalendarUpload : kCalendarDownload;
    const auto running = [&] { return m_person.PixelAt(m_launcher, button.x, button.y) != kDaybookButtonFace; };
    if (!WaitUntil([&] {
          Click(button);
          return WaitUntil(running, 2s);
        })) {
      ADD_FAILURE() << "no transfer started on the " << kPageCaptions[page] << " page";
      return false;
    }
    const std::string picture = std::string("suite-calendar-") + (upload ? "upload-" : "download-") + kPageCaptions[page];
    return Answer(kPageCaptions[page], picture);
  }

  // Daybook's File menu opened by its button, and an entry taken by its key once the menu shows.
  bool FileMenu(unsigned long key, int ups = 0) {
    const Box& area = kDaybookFileMenuArea;
    const auto before = m_person.PixelsIn(m_launcher, area.left, area.top, area.right, area.bottom);
    Click(kDaybookFile);
    const bool shown = WaitUntil([&] {
      const auto now = m_person.PixelsIn(m_launcher, area.left, area.top, area.right, area.bottom);
      return std::inner_product(now.begin(), now.end(), before.begin(), 0, std::plus<>(), std::not_equal_to<>()) > 2000;
    });
    EXPECT_TRUE(shown) << "the File menu did not open";
    for (int i = 0; i < ups; ++i) m_person.Key(XK_Up);
    m_person.Key(key);
    return shown;
  }

  // A field clicked and the text typed into it.
  void TypeInto(const Point& field, const std::string& text) {
    Click(field);
    m_person.Text(text);
  }

  // Waits until the launcher's window stays as it is for a while (for the pictures).
  void Settle() {
    std::vector<std::uint32_t> last, now;
    int width = 0;
    WaitUntil([&] {
      last = std::move(now);
      now = m_person.Pixels(m_launcher, width);
      if (now != last) {
        std::this_thread::sleep_for(300ms);
        return false;
      }
      return true;
    }, 30s);
  }

  // The list's pixels once they stay as they are.
  std::vector<std::uint32_t> SettledList() {
    std::vector<std::uint32_t> last, now;
    WaitUntil([&] {
      last = std::move(now);
      now = m_person.PixelsIn(m_launcher, kList.left, kList.top, kList.right, kList.bottom);
      if (now != last) {
        std::this_thread::sleep_for(200ms);
        return false;
      }
      return true;
    }, 30s);
    return now;
  }

  // Both lists as they show: the schedule with every entry ("All"), and the to-do list.
  std::vector<std::uint32_t> BothLists() {
    std::vector<std::uint32_t> both;
    if (!ShowPage(kSchedulePage)) return both;
    Click(kShowAll);
    both = SettledList();
    if (!ShowPage(kToDoPage)) return {};
    const auto items = SettledList();
    both.insert(both.end(), items.begin(), items.end());
    return both;
  }

  Desktop m_desktop{SUITE_BIN_DIR};
  Person m_person;
  Suite m_suite{SUITE_SOURCE_ROOT, SUITE_BIN_DIR};
  unsigned long m_launcher = 0;
};

TEST_F(Calendar, EntriesAddedOnThePcReachThePhoneAndTheDocumentKeepsThem) {
  // The phone: a few schedule entries and to-do items with every field filled, as the phone reads
  // them back.
  Records before;
  {
    Phone phone;
    ASSERT_TRUE(phone.Start(m_suite.PhoneFolder())) << phone.Error();
    before = FillSample(phone);
  }
  ASSERT_FALSE(HasFailure());
  ASSERT_FALSE(before.entries.empty());
  ASSERT_FALSE(before.items.empty());
  const fs::path documents = fs::path(m_suite.Home()) / "drive_c" / "documents";
  fs::create_directories(documents);

  ASSERT_TRUE(m_suite.Start());
  std::string why;
  m_launcher = FirstStartToLauncher(m_suite, m_person, "", why);
  ASSERT_NE(m_launcher, 0u) << why;
  ASSERT_TRUE(ShowDaybook("suite-calendar-daybook"));
  ASSERT_TRUE(ShowPage(kSchedulePage));
  ASSERT_TRUE(Transfer(kSchedulePage, false));
  ASSERT_TRUE(ShowPage(kToDoPage));
  ASSERT_TRUE(Transfer(kToDoPage, false));

  // A schedule entry: a day of the month calendar, then "new", the date and time typed into the
  // pickers, the description, and Apply.
  ASSERT_TRUE(ShowPage(kSchedulePage));
  Click(kCalendarDay);
  Settle();
  SaveScreen("suite-calendar-day-clicked");
  Click(kNew);
  TypeInto(kScheduleDate, kEntryDate);
  TypeInto(kScheduleTime, kEntryTime);
  TypeInto(kScheduleDescription, kEntryText);
  Settle();
  SaveScreen("suite-calendar-schedule-typed");
  Click(kApply);
  Settle();
  SaveScreen("suite-calendar-schedule-applied");
  ASSERT_FALSE(m_person.X().FindShown(kPageCaptions[kSchedulePage])) << "the schedule entry was refused";

  // A to-do item: "new", its start and due dates typed into their pickers, the description, and
  // Apply.
  ASSERT_TRUE(ShowPage(kToDoPage));
  Click(kNew);
  TypeInto(kToDoStart, kItemStart);
  TypeInto(kToDoDue, kItemDue);
  TypeInto(kToDoDescription, kItemText);
  Settle();
  SaveScreen("suite-calendar-todo-typed");
  Click(kApply);
  Settle();
  SaveScreen("suite-calendar-todo-applied");
  ASSERT_FALSE(m_person.X().FindShown(kPageCaptions[kToDoPage])) << "the to-do item was refused";

  // Both lists to the phone.
  ASSERT_TRUE(Transfer(kToDoPage, true));
  ASSERT_TRUE(ShowPage(kSchedulePage));
  ASSERT_TRUE(Transfer(kSchedulePage, true));

  // Saved, and what the pages show kept.
  ASSERT_TRUE(FileMenu('s'));
  ASSERT_TRUE(ChooseFileByKeys(m_person, "Save As", kDocument)) << "the save dialog did not come or go";
  const fs::path saved = documents / "calendar.daybook";
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(saved); }, 30s)) << "no document saved";
  const auto shown = BothLists();
  SaveScreen("suite-calendar-todo-page");
  ShowPage(kSchedulePage);
  SaveScreen("suite-calendar-schedule-page");

  // Daybook closed (File, Close, the menu's last entry), started again, and the document opened.
  ASSERT_TRUE(FileMenu(XK_Return, 1));
  ASSERT_TRUE(WaitUntil([&] { return m_person.PixelAt(m_launcher, kDaybookFile.x, kDaybookFile.y) == kEmptyPane; }))
      << "Daybook did not close";
  SaveScreen("suite-calendar-closed");
  ASSERT_TRUE(ShowDaybook("suite-calendar-again"));
  ASSERT_TRUE(FileMenu('o'));
  ASSERT_TRUE(ChooseFileByKeys(m_person, "Open", kDocument)) << "the open dialog did not come or go";
  EXPECT_EQ(BothLists(), shown) << "the pages show other entries after the document was opened again";
  SaveScreen("suite-calendar-reopened");
  EXPECT_TRUE(m_suite.Stop()) << "the suite did not end on Ctrl+C\n" << m_suite.Output();

  // The phone: the old entries and the new ones.
  Records after;
  {
    Phone phone;
    ASSERT_TRUE(phone.Start(m_suite.PhoneFolder())) << phone.Error();
    after.entries = phone.Schedule();
    after.items = phone.ToDo();
  }
  PA_SCHEDULE_INFO entry;
  entry.strDescription = kEntryText;
  entry.tmStart = CTime(2020, 6, 15, 10, 45, 0);
  Records want = before;
  want.entries.push_back(entry);
  ExpectSameSchedule(want.entries, after.entries);
  const PA_TODO_INFO* item = Described(after.items, kItemText);
  ASSERT_NE(item, nullptr) << "the new to-do item did not reach the phone";
  EXPECT_EQ(item->tmStart, CTime(2020, 9, 1, 0, 0, 0));
  EXPECT_EQ(item->tmDue, CTime(2020, 9, 30, 0, 0, 0));
  want.items.push_back(*item);
  ExpectSameToDo(want.items, after.items);

  // The saved document holds what the phone holds.
  std::ifstream in(saved, std::ios::binary);
  const std::vector<BYTE> bytes{std::istreambuf_iterator<char>(in), {}};
  KeptRecords document;
  daybook::GroupDefaults defaults;
  EXPECT_EQ(daybook::ReadDaybookBytes(bytes, document, defaults).status, daybook::ReadStatus::Read);
  ExpectSameSchedule(after.entries, KeptRecords::Values(document.entries));
  ExpectSameToDo(after.items, KeptRecords::Values(document.items));
}

}  // namespace
