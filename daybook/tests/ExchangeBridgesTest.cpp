// The CSV, vCard and vCalendar commands over the real PC-side store, with the libraries' entry points
// played by the functions below: what reaches the wizard or the exchange, what is stored, which
// messages show, and that every array and record list is freed, Interlex's before it is unloaded.
#include "ExchangeFakes.h"

#include <controls/PropSheet.h>

#include <gtest/gtest.h>

using namespace daybook;

namespace {

// What the pretend libraries saw and what they hand back.
struct Script {
  std::vector<std::string>* log = nullptr;
  int wizardResult = ID_WIZFINISH;
  int rows = 0;                    // records the import wizard appends
  std::vector<intptr_t> rowValues;  // integer columns 13..16 of each appended record
  CString rowName;                 // "" gives "Row <n>"
  std::vector<std::string> fieldNames;
  std::vector<int> fieldLimits;
  std::vector<std::string> exported;  // names (or descriptions) of the records an export was given
  std::vector<PA_PHONEBOOK_INFO> cards;
  std::vector<PA_SCHEDULE_INFO> entries;
  std::vector<PA_TODO_INFO> items;
  HWND owner = nullptr;
};
Script g;

void AppendRow(CSV_RECORD_LIST* list, int n) {
  auto* r = new CSV_RECORD;
  r->valueCount = kCsvColumns;
  r->values = new intptr_t[kCsvColumns]();
  for (int i = 0; i < kCsvTextColumns; ++i) r->values[i] = reinterpret_cast<intptr_t>(new CString);
  CString name = g.rowName;
  if (name.IsEmpty()) name.Format("Row %d", n);
  *reinterpret_cast<CString*>(r->values[0]) = name;
  for (int i = 0; i < 4 && i < static_cast<int>(g.rowValues.size()); ++i) r->values[13 + i] = g.rowValues[static_cast<std::size_t>(i)];
  r->next = list->head;
  r->prev = list->head->prev;
  list->head->prev->next = r;
  list->head->prev = r;
  ++list->count;
}

int ExportWizard(int n, CSV_FIELD_INFO* fields, CSV_RECORD_LIST* list) {
  g.log->push_back("export wizard");
  for (int i = 0; i < n; ++i) {
    g.fieldNames.push_back(fields[i].name);
    g.fieldLimits.push_back(fields[i].limit);
  }
  for (CSV_RECORD* r = list->head->next; r != list->head; r = r->next) {
    g.exported.push_back(static_cast<LPCSTR>(*reinterpret_cast<CString*>(r->values[0])));
  }
  return ID_WIZFINISH;
}

int ImportWizard(int, CSV_FIELD_INFO*, CSV_RECORD_LIST* list) {
  g.log->push_back("import wizard");
  for (int i = 0; i < g.rows; ++i) AppendRow(list, i);
  return g.wizardResult;
}

template <class Array, class Record>
Array* ArrayOf(const std::vector<Record>& records) {
  auto* a = new Array;
  for (const Record& r : records) a->Add(r);
  return a;
}

int ImportCards(CPhoneBookArray** out, HWND owner) {
  g.log->push_back("import cards");
  g.owner = owner;
  *out = ArrayOf<CPhoneBookArray>(g.cards);
  return 1;
}
int ImportSchedule(CScheduleArray** out, HWND) {
  g.log->push_back("import schedule");
  *out = ArrayOf<CScheduleArray>(g.entries);
  return 1;
}
int ImportToDo(CToDoArray** out, HWND) {
  g.log->push_back("import to-do");
  *out = ArrayOf<CToDoArray>(g.items);
  return 1;
}
int ExportCards(CPhoneBookArray* a, HWND) {
  g.log->push_back("export");
  for (int i = 0; i < a->GetSize(); ++i) g.exported.push_back(static_cast<LPCSTR>(a->GetAt(i).strName));
  return 1;
}
int ExportSchedule(CScheduleArray* a, HWND) {
  g.log->push_back("export");
  for (int i = 0; i < a->GetSize(); ++i) {
    g.exported.push_back(std::string(a->GetAt(i).strDescription) + "/" + std::string(a->GetAt(i).strMelodyName));
  }
  return 1;
}
int ExportToDo(CToDoArray* a, HWND) {
  g.log->push_back("export");
  for (int i = 0; i < a->GetSize(); ++i) g.exported.push_back(static_cast<LPCSTR>(a->GetAt(i).strDescription));
  return 1;
}

class BridgeTest : public ExchangeTest {
 protected:
  void SetUp() override {
    ExchangeTest::SetUp();
    g = Script{};
    g.log = &libraries.log;
    libraries.Add("Tabulon.dll", "dwCSVExportationWizard_DoModal", ExportWizard);
    libraries.Add("Tabulon.dll", "dwCSVImportationWizard_DoModal", ImportWizard);
    libraries.Add("Interlex.dll", "fnVCardImport", ImportCards);
    libraries.Add("Interlex.dll", "fnVCardExport", ExportCards);
    libraries.Add("Interlex.dll", "fnVCalendarImport", ImportSchedule);
    libraries.Add("Interlex.dll", "fnVCalendarExport", ExportSchedule);
    libraries.Add("Interlex.dll", "fnVCalendarTodoImport", ImportToDo);
    libraries.Add("Interlex.dll", "fnVCalendarTodoExport", ExportToDo);
  }

  bool Logged(const std::string& what) const {
    return std::find(libraries.log.begin(), libraries.log.end(), what) != libraries.log.end();
  }
  // Position of the first `what` in the log, or -1.
  int At(const std::string& what) const {
    auto found = std::find(libraries.log.begin(), libraries.log.end(), what);
    return found == libraries.log.end() ? -1 : static_cast<int>(found - libraries.log.begin());
  }

  static PA_SCHEDULE_INFO Entry(const char* description, int day, int hour) {
    PA_SCHEDULE_INFO e;
    e.strDescription = description;
    e.tmStart = CTime(2010, 3, day, hour, 0, 0);
    e.strMelodyName = " ";
    return e;
  }
  static PA_TODO_INFO Item(const char* description) {
    PA_TODO_INFO t;
    t.strDescription = description;
    t.tmStart = CTime(2010, 3, 1, 0, 0, 0);
    t.tmDue = CTime(2010, 3, 2, 0, 0, 0);
    return t;
  }
  void PutEntry(short slot, const PA_SCHEDULE_INFO& entry) {
    PA_SCHEDULE_INFO e = entry;
    ASSERT_EQ(manager->PA_PutSchedule(&e, slot), PA_OK) << std::hex << ::GetLastError();
  }
};

TEST_F(BridgeTest, AnOpenEditRefusesEveryCommandBeforeLoadingAnything) {
  PutContact(0, "Ada");
  for (int page = 0; page < 3; ++page) {
    for (UINT command : {CMD_EXPORT_CSV, CMD_IMPORT_CSV, CMD_EXPORT_VCARD, CMD_EXPORT_VCAL, CMD_EXPORT_VCAL_TODO,
                         CMD_EXPORT_POPUP, CMD_IMPORT_VCARD, CMD_IMPORT_VCAL, CMD_IMPORT_VCAL_TODO}) {
      host.pending = {};
      host.pending[static_cast<std::size_t>(page)] = true;
      host.shown.clear();
      libraries.log.clear();
      Run(command);
      EXPECT_EQ(Texts(), std::vector<std::string>{"#398"}) << command;
      EXPECT_EQ(host.shown[0].caption, TXT_CAPTION_CONTACTS);
      EXPECT_EQ(libraries.log, std::vector<std::string>{"message #398"}) << command;
    }
  }
  EXPECT_EQ(UsedContacts(), 1);
}

TEST_F(BridgeTest, CsvExportGivesTheValidSlotsInOrderUnderLocalizedColumns) {
  PutContact(300, "Second");
  PutContact(7, "First");
  Run(CMD_EXPORT_CSV);
  EXPECT_EQ(g.exported, (std::vector<std::string>{"First", "Second"}));
  ASSERT_EQ(g.fieldNames.size(), 17u);
  EXPECT_EQ(g.fieldNames[0], "#340");
  EXPECT_EQ(g.fieldNames[16], "#349");
  EXPECT_EQ(g.fieldLimits[13], 19) << "group 20 does not exist";
  EXPECT_EQ(g.fieldLimits[14], 13);
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(BridgeTest, CsvCommandsThatCannotRunSayWhy) {
  struct Case {
    const char* what;
    UINT command;
    bool contacts;
    bool tabulon;
    bool entry;
    std::vector<std::string> texts;
  } cases[] = {
      {"export, empty store", CMD_EXPORT_CSV, false, true, true, {"#391"}},
      {"export, no library", CMD_EXPORT_CSV, true, false, true, {"#390"}},
      {"export, no entry point", CMD_EXPORT_CSV, true, true, false, {"#390"}},
      {"import, no library", CMD_IMPORT_CSV, false, false, true, {"#390"}},
      {"import, no entry point", CMD_IMPORT_CSV, false, true, false, {"#390"}},
  };
  for (const Case& c : cases) {
    Empty();
    if (c.contacts) PutContact(3, "Ada");
    libraries.modules.erase("Tabulon.dll");
    if (c.tabulon) libraries.Add("Tabulon.dll", "none", ExportWizard);
    if (c.tabulon && c.entry) {
      libraries.Add("Tabulon.dll", "dwCSVExportationWizard_DoModal", ExportWizard);
      libraries.Add("Tabulon.dll", "dwCSVImportationWizard_DoModal", ImportWizard);
    }
    host.shown.clear();
    libraries.log.clear();
    Run(c.command);
    EXPECT_EQ(Texts(), c.texts) << c.what;
    EXPECT_FALSE(Logged("export wizard") || Logged("import wizard")) << c.what;
    EXPECT_EQ(UsedContacts(), c.contacts ? 1 : 0) << c.what;
  }
}

TEST_F(BridgeTest, DecliningTheReplaceQuestionLoadsNothing) {
  PutContact(4, "Ada");
  host.answer = IDNO;
  Run(CMD_IMPORT_CSV);
  EXPECT_EQ(Texts(), std::vector<std::string>{"#392"});
  EXPECT_EQ(host.shown[0].type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(libraries.log, std::vector<std::string>{"message #392"});
  EXPECT_EQ(GetContact(4).strName, "Ada");
}

TEST_F(BridgeTest, CsvImportOf600RowsStoresTheFirst500AndSaysSo) {
  PutContact(9, "Old");
  g.rows = 600;
  Run(CMD_IMPORT_CSV);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"#392", "#389 500 500"}));
  EXPECT_EQ(UsedContacts(), 500);
  EXPECT_EQ(GetContact(0).strName, "Row 0");
  EXPECT_EQ(GetContact(9).strName, "Row 9") << "the old contacts were removed first";
  EXPECT_EQ(GetContact(499).strName, "Row 499");
  EXPECT_TRUE(host.modified);
  EXPECT_LT(At("clear contacts"), At("contacts refilled"));
}

TEST_F(BridgeTest, AWizardThatDoesNotFinishLeavesTheStoreAsItWas) {
  PutContact(2, "Kept");
  g.rows = 3;  // left in the list by a cancel late in the run
  g.wizardResult = IDCANCEL;
  Run(CMD_IMPORT_CSV);
  EXPECT_EQ(UsedContacts(), 1);
  EXPECT_EQ(GetContact(2).strName, "Kept");
  EXPECT_FALSE(host.modified);
  EXPECT_FALSE(Logged("clear contacts"));
}

TEST_F(BridgeTest, CsvImportKeepsOnlyListedPicturesAndMelodiesAndTheLowBytes) {
  host.pictures = {{"Sun", 1}, {"Moon", 2}};
  host.melodies = {{"Bell", 5}};
  struct Case {
    std::vector<intptr_t> values;  // group, light, picture, melody
    BYTE group, light;
    DWORD picture, melody;
  } cases[] = {
      {{3, 5, 2, 5}, 3, 5, 2, 5},
      {{19, 13, 9, 6}, 19, 13, 0, 0},
      {{0, 0, 0, 0}, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Empty();
    g.rows = 1;
    g.rowValues = c.values;
    Run(CMD_IMPORT_CSV);
    const PA_PHONEBOOK_INFO got = GetContact(0);
    EXPECT_EQ(got.bGroup, c.group);
    EXPECT_EQ(got.bChoice, c.light);
    EXPECT_EQ(got.dwPictureId, c.picture);
    EXPECT_EQ(got.dwMelodyId, c.melody);
  }
}

TEST_F(BridgeTest, RecordsTheStoreRefusesAreCountedAndReportedOnce) {
  g.rows = 4;
  g.rowName = CString('x', 31);  // within the wizard's count, beyond what the phone keeps
  Run(CMD_IMPORT_CSV);
  EXPECT_EQ(Texts(), std::vector<std::string>{"#2017 4"});
  EXPECT_EQ(UsedContacts(), 0);

  host.shown.clear();
  PA_PHONEBOOK_INFO good, bad;
  good.strName = "Good";
  bad.strName = CString('y', 40);
  g.cards = {bad, good, bad};
  Run(CMD_IMPORT_VCARD);
  EXPECT_EQ(Texts(), std::vector<std::string>{"#2017 2"});
  EXPECT_EQ(GetContact(0).strName, "Good");
}

TEST_F(BridgeTest, ExportAllOfAnEmptyStoreSays441AndCallsNothing) {
  for (UINT command : {CMD_EXPORT_VCARD, CMD_EXPORT_VCAL, CMD_EXPORT_VCAL_TODO}) {
    host.shown.clear();
    libraries.log.clear();
    Run(command);
    EXPECT_EQ(libraries.log, std::vector<std::string>{"message #441"}) << command;
  }
}

TEST_F(BridgeTest, ExportsGiveWholeStoresInSlotOrderAndTheSelectionInListOrder) {
  PutContact(300, "C300");
  PutContact(7, "C7");
  PutEntry(5, Entry("Late", 9, 10));
  PutEntry(1, Entry("Early", 8, 10));
  PA_TODO_INFO item = Item("Task");
  manager->PA_PutToDo(&item, 42);
  struct Case {
    UINT command;
    Page page;
    std::vector<int> selected;
    std::vector<std::string> exported;
  } cases[] = {
      {CMD_EXPORT_VCARD, Page::Contacts, {}, {"C7", "C300"}},
      {CMD_EXPORT_VCAL, Page::Contacts, {}, {"Early/ ", "Late/ "}},
      {CMD_EXPORT_VCAL_TODO, Page::Contacts, {}, {"Task"}},
      {CMD_EXPORT_POPUP, Page::Contacts, {300, 7}, {"C300", "C7"}},
      {CMD_EXPORT_POPUP, Page::Schedule, {5, 1}, {"Late/ ", "Early/ "}},
      {CMD_EXPORT_POPUP, Page::ToDo, {42}, {"Task"}},
  };
  for (const Case& c : cases) {
    g.exported.clear();
    libraries.log.clear();
    host.page = c.page;
    host.selected = c.selected;
    Run(c.command);
    EXPECT_EQ(g.exported, c.exported) << c.command;
    EXPECT_EQ(libraries.log, (std::vector<std::string>{"load Interlex.dll", "disable", "export", "enable", "unload"}));
  }
}

TEST_F(BridgeTest, ExportOfTheSelectionNeedsARowAndARecord) {
  host.page = Page::ToDo;
  host.selected = {3};  // a row, but the to-do store is empty
  Run(CMD_EXPORT_POPUP);
  host.page = Page::Contacts;
  PutContact(1, "Ada");
  host.selected = {};
  Run(CMD_EXPORT_POPUP);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"#358", "#358"}));
  EXPECT_EQ(host.shown[0].type, MB_ICONQUESTION);
  EXPECT_FALSE(Logged("export"));
}

TEST_F(BridgeTest, ScheduleExportNamesTheMelodyFromThePhonesSoundList) {
  // No sound list cached: the names stay as the store has them.
  PA_SCHEDULE_INFO e = Entry("Alarm", 8, 7);
  e.dwMelodyId = 77;
  PutEntry(0, e);
  Run(CMD_EXPORT_VCAL);
  EXPECT_EQ(g.exported, std::vector<std::string>{"Alarm/ "});
}

TEST_F(BridgeTest, VCardImportFillsTheLastFreeSlotsThenSaysFullAndReleasesBeforeUnloading) {
  for (short s = 0; s < 498; ++s) PutContact(s, "Old");
  PA_PHONEBOOK_INFO a, b, c, skipped;
  a.strName = "A";
  b.strName = "B";
  c.strName = "C";
  skipped.strName = "Skipped";
  skipped.bValid = 3;
  g.cards = {skipped, a, b, c};
  Run(CMD_IMPORT_VCARD);
  EXPECT_EQ(GetContact(498).strName, "A");
  EXPECT_EQ(GetContact(499).strName, "B");
  EXPECT_EQ(Texts(), std::vector<std::string>{"#399"});
  EXPECT_EQ(g.owner, host.Owner());
  EXPECT_TRUE(host.modified);
  EXPECT_EQ(libraries.log, (std::vector<std::string>{"load Interlex.dll", "disable", "import cards", "enable", "release",
                                                     "unload", "message #399", "contact form emptied",
                                                     "contacts refilled"}));
}

TEST_F(BridgeTest, AnEmptyImportIsReleasedOnce) {
  Run(CMD_IMPORT_VCARD);
  Run(CMD_IMPORT_VCAL_TODO);
  EXPECT_EQ(std::count(libraries.log.begin(), libraries.log.end(), "release"), 2);
  EXPECT_TRUE(host.shown.empty());
  EXPECT_FALSE(host.modified);
}

TEST_F(BridgeTest, ScheduleImportStopsAtTheSameStartAlsoAfterAFreeSlot) {
  PutEntry(3, Entry("Existing", 10, 9));  // slots 0..2 free
  g.entries = {Entry("New", 11, 9), Entry("Clash", 10, 9), Entry("Never", 12, 9)};
  Run(CMD_IMPORT_VCAL);
  PA_SCHEDULE_INFO got;
  manager->PA_GetSchedule(&got, 0);
  EXPECT_EQ(got.strDescription, "New");
  manager->PA_GetSchedule(&got, 1);
  EXPECT_FALSE(got.bValid) << "nothing of the clashing record or after it";
  EXPECT_EQ(Texts(), std::vector<std::string>{"#423"});
  EXPECT_EQ(host.shown[0].caption, TXT_CAPTION_SCHEDULE);
  EXPECT_LT(At("release"), At("unload"));
  EXPECT_FALSE(Logged("import to-do")) << "a stopped import runs no follow-up";
}

TEST_F(BridgeTest, ScheduleImportCountsTheStoreNotTheListForFull) {
  for (short s = 0; s < kScheduleSlots; ++s) PutEntry(s, Entry("Busy", 1 + s / 24, s % 24));
  g.entries = {Entry("One more", 28, 12)};
  Run(CMD_IMPORT_VCAL);
  EXPECT_EQ(Texts(), std::vector<std::string>{"#356"});
}

TEST_F(BridgeTest, ScheduleImportTakesTheAlarmMelodyByNameAndSkipsMarkedRecords) {
  host.alarmMelodies = {{"Chime", 0x3301}};
  PA_SCHEDULE_INFO named = Entry("Named", 5, 8), blank = Entry("Blank", 5, 9), marked = Entry("Marked", 5, 10);
  named.strMelodyName = "Sounds\\Chime";
  blank.dwMelodyId = 0x44;
  marked.bValid = 3;
  g.entries = {marked, named, blank};
  Run(CMD_IMPORT_VCAL);
  PA_SCHEDULE_INFO got;
  manager->PA_GetSchedule(&got, 0);
  EXPECT_EQ(got.strDescription, "Named");
  EXPECT_EQ(got.dwMelodyId, 0x3301u);
  manager->PA_GetSchedule(&got, 1);
  EXPECT_EQ(got.strDescription, "Blank");
  EXPECT_EQ(got.dwMelodyId, 0x44u) << "a single blank keeps the id";
  manager->PA_GetSchedule(&got, 2);
  EXPECT_FALSE(got.bValid);
}

TEST_F(BridgeTest, AToDoMarkerRunsTheToDoImportWhileInterlexIsLoaded) {
  g.entries = {Entry("Meeting", 4, 10)};
  g.items = {Item("Call back")};
  libraries.todoMarker = 1;
  Run(CMD_IMPORT_VCAL);
  EXPECT_EQ(libraries.log,
            (std::vector<std::string>{"load Interlex.dll", "disable", "import schedule", "enable", "release",
                                      "schedule refilled", "load Interlex.dll", "disable", "import to-do", "enable",
                                      "release", "to-do refilled", "unload", "unload"}));
  PA_TODO_INFO got;
  manager->PA_GetToDo(&got, 0);
  EXPECT_EQ(got.strDescription, "Call back");

  // Without Interlex the follow-up test still runs; both end silently, the to-do list unselected.
  libraries.modules.erase("Interlex.dll");
  libraries.log.clear();
  Run(CMD_IMPORT_VCAL);
  EXPECT_EQ(libraries.log, (std::vector<std::string>{"load Interlex.dll", "load Interlex.dll", "to-do refilled"}));
  EXPECT_TRUE(host.shown.empty());
}

TEST_F(BridgeTest, ToDoImportStopsWhenTheStoreIsFull) {
  for (short s = 0; s < kToDoSlots - 1; ++s) {
    PA_TODO_INFO t = Item("Old");
    manager->PA_PutToDo(&t, s);
  }
  g.items = {Item("Last"), Item("Lost")};
  Run(CMD_IMPORT_VCAL_TODO);
  PA_TODO_INFO got;
  manager->PA_GetToDo(&got, kToDoSlots - 1);
  EXPECT_EQ(got.strDescription, "Last");
  EXPECT_EQ(Texts(), std::vector<std::string>{"#365"});
  EXPECT_EQ(host.shown[0].caption, TXT_CAPTION_TODO);
}

}  // namespace
