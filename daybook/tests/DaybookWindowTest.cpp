// Daybook's main dialog and pages in the test process, over the phone library loaded by name in a
// home of the test's own: contacts typed and applied, a number the phone cannot store (message, form
// kept, store unchanged), a document saved and opened again, and one that stops early. Message boxes
// are answered by a thread timer that notes their texts.
#include "Daybook.h"
#include "DaybookDlg.h"
#include "DaybookDocument.h"
#include "FindDlg.h"
#include "resource.h"
#include "support/ManagerHarness.h"

#include <MessageBoxDlg.h>
#include <ProgramManager.h>

#include <controls/ListView.h>
#include <controls/PropSheet.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

int RowCount(HWND list) { return static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
UINT RowState(HWND list, int row) { return static_cast<UINT>(::SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED)); }
void Select(HWND list, int row) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

CWinApp theApp("daybook window tests");

// The texts of the message boxes shown, each answered with `g_answer`.
std::vector<std::string> g_boxes;
int g_answer = IDOK;

void AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
  for (const char* caption : {"Contacts", "Schedule", "ToDo"}) {
    HWND box = FindWindowA(nullptr, caption);
    if (!box || !IsWindowVisible(box)) continue;
    if (auto* dialog = dynamic_cast<CMessageBoxDlg*>(CWnd::FromHandlePermanent(box))) {
      g_boxes.emplace_back(dialog->m_lpszText);
      dialog->EndDialog(g_answer);
    }
  }
}

class DaybookWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library.Load());
    manager = library.Start();
    ASSERT_NE(manager, nullptr);
    for (short s = 0; s < 500; ++s) manager->PA_RemovePrivatePhoneBook(s);
    for (short s = 0; s < 600; ++s) manager->PA_RemovePrivateSchedule(s);
    for (short s = 0; s < 100; ++s) manager->PA_RemovePrivateToDo(s);
    g_pManager = manager;
    SetProgramManager(manager);
    g_bDocumentModified = FALSE;
    g_boxes.clear();
    g_answer = IDOK;
    timer = SetTimer(nullptr, 0, 10, AnswerBoxes);
    dialog = std::make_unique<CDaybookDlg>(*manager);
    dialog->CreateEmbedded(nullptr);
    ASSERT_NE(dialog->m_hWnd, nullptr);
  }
  void TearDown() override {
    if (dialog && dialog->m_hWnd) dialog->DestroyWindow();
    dialog.reset();
    KillTimer(nullptr, timer);
    SetProgramManager(nullptr);
    g_pManager = nullptr;
  }

  CWnd& Page() { return dialog->Contacts(); }
  HWND Item(int id) { return ::GetDlgItem(Page().m_hWnd, id); }
  // A click as the button reports it to the page.
  void Click(int id) { ::SendMessageA(Page().m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id))); }
  // Typed into a field: focus, then one character message per letter.
  void Type(int id, const std::string& text) {
    ::SetFocus(Item(id));
    for (char c : text) ::SendMessageA(Item(id), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
  }
  std::string Text(int id) {
    char buffer[256] = {};
    ::GetWindowTextA(Item(id), buffer, sizeof buffer);
    return buffer;
  }
  PA_PHONEBOOK_INFO Contact(short slot) {
    PA_PHONEBOOK_INFO c;
    manager->PA_GetPhoneBook(&c, slot);
    return c;
  }

  QuietLinkHome home;
  ManagerLibrary library;
  CManager* manager = nullptr;
  UINT_PTR timer = 0;
  std::unique_ptr<CDaybookDlg> dialog;
};

TEST_F(DaybookWindowTest, AContactTypedAndAppliedIsStored) {
  Click(IDC_NEW);
  Type(IDC_NAME, "Ada Lovelace");
  Type(1051, "+44123");
  EXPECT_TRUE(::IsWindowEnabled(Item(IDC_APPLY)));
  Click(IDC_APPLY);
  EXPECT_TRUE(g_boxes.empty());
  const PA_PHONEBOOK_INFO c = Contact(0);
  EXPECT_EQ(c.bValid, 1);
  EXPECT_STREQ(c.strName, "Ada Lovelace");
  EXPECT_STREQ(c.strNumber[1], "+44123");
  EXPECT_STREQ(c.strNumber[0], "");  // the placeholder " <home>" is stored empty
  EXPECT_TRUE(g_bDocumentModified);
  EXPECT_FALSE(::IsWindowEnabled(Item(IDC_APPLY)));
  EXPECT_EQ(RowCount(Item(IDC_CONTACT_LIST)), 1);
}

TEST_F(DaybookWindowTest, AFieldThePhoneCannotStoreKeepsTheFormAndStoresNothing) {
  Click(IDC_NEW);
  Type(IDC_NAME, "Grace");
  // 40 bytes pass the field's filter (64 bytes), but each "[" takes two of the phone's 64 units.
  const std::string text(40, '[');
  Type(IDC_TEXT1, text);
  ASSERT_EQ(Text(IDC_TEXT1), text);
  Click(IDC_APPLY);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_NE(g_boxes[0].find("info 1"), std::string::npos) << g_boxes[0];
  EXPECT_EQ(Text(IDC_NAME), "Grace");
  EXPECT_EQ(Text(IDC_TEXT1), text);
  EXPECT_TRUE(::IsWindowEnabled(Item(IDC_APPLY)));
  EXPECT_EQ(Contact(0).bValid, 0);
  EXPECT_FALSE(g_bDocumentModified);
}

TEST_F(DaybookWindowTest, SelectionCannotLeaveAnOpenEdit) {
  PA_PHONEBOOK_INFO c;
  c.strName = "one";
  manager->PA_PutPhoneBook(&c, 0);
  c.strName = "two";
  manager->PA_PutPhoneBook(&c, 1);
  dialog->Contacts().RefillList();
  HWND list = Item(IDC_CONTACT_LIST);
  Select(list, 0);
  EXPECT_EQ(Text(IDC_NAME), "one");
  Type(IDC_NAME, "x");
  ASSERT_TRUE(::IsWindowEnabled(Item(IDC_APPLY)));
  Select(list, 1);
  EXPECT_EQ(RowState(list, 1), 0u);
  EXPECT_STREQ(Contact(0).strName, "one");
}

TEST_F(DaybookWindowTest, ADocumentSavedOpensAgainAndOneThatStopsEarlyLeavesNoPath) {
  PA_PHONEBOOK_INFO c;
  c.strName = "Ada";
  manager->PA_PutPhoneBook(&c, 3);
  const std::string path = (std::filesystem::path(home.Path()) / "mine.daybook").string();
  daybook::GroupDefaults defaults{};
  ASSERT_TRUE(daybook::WriteDaybookFile(path, *manager, defaults));

  manager->PA_RemovePrivatePhoneBook(3);
  EXPECT_TRUE(dialog->OpenDocument(path.c_str()));
  EXPECT_STREQ(dialog->DocumentPath(), path.c_str());
  EXPECT_STREQ(Contact(3).strName, "Ada");
  EXPECT_EQ(RowCount(Item(IDC_CONTACT_LIST)), 1);
  EXPECT_TRUE(g_boxes.empty());

  const std::string cut = (std::filesystem::path(home.Path()) / "cut.daybook").string();
  std::filesystem::copy_file(path, cut);
  std::filesystem::resize_file(cut, 3000);
  EXPECT_FALSE(dialog->OpenDocument(cut.c_str()));
  EXPECT_STREQ(dialog->DocumentPath(), "");
  EXPECT_EQ(g_boxes.size(), 1u);
  EXPECT_FALSE(g_bDocumentModified);
}

}  // namespace

namespace {

// Pictures of the main dialog on each page and of the contacts page in each form state, written
// to $TEST_PNG_DIR for a person to look at; the probes check that each page paints its own rows.
class DaybookPictures : public DaybookWindowTest {
 protected:
  HBITMAP Picture(const char* name) {
    dialog->ShowWindow(SW_SHOW);
    testing_user::Pump();
    HBITMAP picture = tolvar::user::RenderWindow(dialog->m_hWnd);
    if (picture) testing_user::SavePng(picture, name);
    return picture;
  }
};

TEST_F(DaybookPictures, EachPageAndEachContactFormState) {
  PA_PHONEBOOK_INFO c;
  for (short slot = 0; slot < 6; ++slot) {
    c.strName.Format("Contact %d", slot + 1);
    c.strNumber[1].Format("+4412345%d", slot);
    c.bGroup = static_cast<BYTE>(slot % 3);
    manager->PA_PutPhoneBook(&c, slot);
  }
  PA_SCHEDULE_INFO e;
  e.strDescription = "Dentist";
  e.tmStart = CTime(2010, 5, 6, 7, 8, 0);
  manager->PA_PutSchedule(&e, 0);
  PA_TODO_INFO t;
  t.strDescription = "Taxes";
  t.tmStart = CTime(2010, 1, 2, 3, 4, 0);
  t.tmDue = CTime(2010, 2, 3, 4, 5, 0);
  manager->PA_PutToDo(&t, 0);
  dialog->Contacts().RefreshGroups();
  dialog->Schedule().RefreshList();
  dialog->ToDo().RefreshList();

  struct Shot {
    const char* name;
    std::function<void()> act;
  };
  HWND list = Item(IDC_CONTACT_LIST);
  const Shot shots[] = {
      {"daybook_contacts_empty_form", [] {}},
      {"daybook_contacts_showing", [&] { Select(list, 1); }},
      {"daybook_contacts_editing", [&] { Type(IDC_NAME, " Jr."); }},
      {"daybook_contacts_new", [&] {
         Click(IDC_CANCEL);
         Click(IDC_NEW);
       }},
      {"daybook_contacts_several", [&] {
         Click(IDC_CANCEL);
         Select(list, 0);
         Select(list, 2);
       }},
  };
  g_answer = IDYES;
  for (const Shot& shot : shots) {
    shot.act();
    HBITMAP picture = Picture(shot.name);
    ASSERT_TRUE(picture) << shot.name;
    DeleteObject(picture);
  }
  EXPECT_EQ(Text(IDC_NAME), " <name>");  // several selected: the form is empty

  ::SendMessageA(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SCHEDULE_BUTTON, BN_CLICKED), 0);
  ::SendMessageA(::GetDlgItem(dialog->Schedule().m_hWnd, IDC_SHOW_ALL), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog->ShownPage(), daybook::Page::Schedule);
  EXPECT_EQ(RowCount(::GetDlgItem(dialog->Schedule().m_hWnd, IDC_SCHEDULE_LIST)), 1);
  DeleteObject(Picture("daybook_schedule_all"));
  ::SendMessageA(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TODO_BUTTON, BN_CLICKED), 0);
  EXPECT_EQ(dialog->ShownPage(), daybook::Page::ToDo);
  EXPECT_EQ(RowCount(::GetDlgItem(dialog->ToDo().m_hWnd, IDC_TODO_LIST)), 1);
  DeleteObject(Picture("daybook_todo"));
}

}  // namespace

namespace {

TEST_F(DaybookWindowTest, FindSelectsHitsAndEnterAfterAHitFindsTheNext) {
  PA_PHONEBOOK_INFO c;
  c.strName = "ada lovelace";
  manager->PA_PutPhoneBook(&c, 0);
  c.strName = "Grace Hopper";
  manager->PA_PutPhoneBook(&c, 1);
  c.strName = "Ada Byron";
  manager->PA_PutPhoneBook(&c, 2);
  dialog->Contacts().RefillList();
  HWND list = Item(IDC_CONTACT_LIST);

  CFindDlg find(*manager, daybook::FindMode::Contacts, list, 0, nullptr);
  find.CreateEmbedded(nullptr);
  ASSERT_NE(find.m_hWnd, nullptr);
  ::SetDlgItemTextA(find.m_hWnd, 1188, "ADA");
  find.OnFind();
  EXPECT_EQ(RowState(list, 0), static_cast<UINT>(LVIS_SELECTED));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(find.m_hWnd, 1189)));
  MSG enter{find.m_hWnd, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(find.PreTranslateMessage(&enter));
  EXPECT_EQ(RowState(list, 0), static_cast<UINT>(LVIS_SELECTED));  // both hits stay selected
  EXPECT_EQ(RowState(list, 2), static_cast<UINT>(LVIS_SELECTED));
  EXPECT_EQ(RowState(list, 1), 0u);
  char hits[16] = {};
  ::GetDlgItemTextA(find.m_hWnd, 1192, hits, sizeof hits);
  EXPECT_STREQ(hits, "2");
  testing_user::Pump();
  if (HBITMAP picture = tolvar::user::RenderWindow(find.m_hWnd)) {
    testing_user::SavePng(picture, "daybook_find");
    DeleteObject(picture);
  }
  EXPECT_TRUE(g_boxes.empty());
  find.DestroyWindow();
}

}  // namespace

namespace {

TEST_F(DaybookWindowTest, AScheduleMelodyAbove255SurvivesSaveOpenAndTheMelodyCheck) {
  PA_RESOURCE_INFO sound;
  sound.dwFileId = 300;
  sound.strFileName = "ring.mid";
  sound.strDisplayName = "ring.mid";
  manager->PA_PutResourceList(1, &sound, 1);
  PA_SCHEDULE_INFO e;
  e.strDescription = "Dentist";
  e.tmStart = CTime(2010, 5, 6, 7, 8, 0);
  e.bAlarm = 1;
  e.dwMelodyId = 300;
  e.strMelodyName = "ring.mid";
  ASSERT_EQ(manager->PA_PutSchedule(&e, 4), PA_OK);
  const std::string path = (std::filesystem::path(home.Path()) / "melody.daybook").string();
  daybook::GroupDefaults defaults{};
  ASSERT_TRUE(daybook::WriteDaybookFile(path, *manager, defaults));

  ASSERT_TRUE(dialog->OpenDocument(path.c_str()));
  PA_SCHEDULE_INFO back;
  ASSERT_EQ(manager->PA_GetSchedule(&back, 4), PA_OK);
  EXPECT_EQ(back.dwMelodyId, 300u);
  EXPECT_FALSE(g_bDocumentModified);
  EXPECT_TRUE(g_boxes.empty());
}

}  // namespace

namespace {

TEST_F(DaybookWindowTest, ASaveRefusedForTheFilesAttributesSaysWhyAndKeepsTheDocumentModified) {
  struct Case {
    const char* name;
    bool readOnly;
    const char* why;
  };
  const Case cases[] = {{"locked.daybook", true, "read-only"}, {".hidden.daybook", false, "hidden"}};
  for (const Case& c : cases) {
    const std::string path = (std::filesystem::path(home.Path()) / c.name).string();
    daybook::GroupDefaults defaults{};
    ASSERT_TRUE(daybook::WriteDaybookFile(path, *manager, defaults));
    ASSERT_TRUE(dialog->OpenDocument(path.c_str()));
    if (c.readOnly) std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    std::ifstream before(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());

    PA_PHONEBOOK_INFO contact;
    contact.strName = "changed";
    manager->PA_PutPhoneBook(&contact, 9);
    g_bDocumentModified = TRUE;
    g_boxes.clear();
    EXPECT_EQ(dialog->OnSave(), 0) << c.name;
    ASSERT_EQ(g_boxes.size(), 1u) << c.name;
    EXPECT_NE(g_boxes[0].find(c.why), std::string::npos) << g_boxes[0];
    EXPECT_TRUE(g_bDocumentModified) << c.name;
    std::ifstream after(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), bytes) << c.name;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }
}

}  // namespace

namespace {

TEST_F(DaybookWindowTest, ARenameIsCutToTheLimitAndAnEscapedOneWritesNothing) {
  HWND list = Item(IDC_GROUP_LIST);
  // A double click on a group row starts the list's label editor; keys end it.
  const auto rename = [&](const std::string& typed, UINT endKey) {
    Select(list, 4);
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = IDC_GROUP_LIST;
    click.hdr.code = NM_DBLCLK;
    click.iItem = 4;
    ::SendMessageA(Page().m_hWnd, WM_NOTIFY, IDC_GROUP_LIST, reinterpret_cast<LPARAM>(&click));
    HWND editor = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(editor, nullptr);
    ::SendMessageA(editor, EM_SETSEL, 0, -1);
    for (char ch : typed) ::SendMessageA(editor, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(ch)), 1);
    ::SendMessageA(editor, WM_KEYDOWN, endKey, 0);
    testing_user::Pump();
  };
  rename("Ignored", VK_ESCAPE);
  EXPECT_FALSE(g_bDocumentModified);
  PA_GROUP_INFO group;
  manager->PA_GetGroup(&group, 3);
  EXPECT_STREQ(group.strName, "Group 03");

  rename("Family and close friends", VK_RETURN);
  EXPECT_TRUE(g_bDocumentModified);
  manager->PA_GetGroup(&group, 3);
  EXPECT_STREQ(group.strName, "Family and close frie");
  char row[64] = {};
  LVITEMA item{};
  item.pszText = row;
  item.cchTextMax = sizeof row;
  ::SendMessageA(list, LVM_GETITEMTEXTA, 4, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(row, "Family and close frie");
  char combo[64] = {};
  ::SendDlgItemMessageA(Page().m_hWnd, IDC_GROUP_COMBO, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(combo));
  EXPECT_STREQ(combo, "Family and close frie");
}

}  // namespace

namespace {

TEST_F(DaybookWindowTest, SelectedContactsDroppedOnAGroupRowJoinIt) {
  PA_PHONEBOOK_INFO c;
  for (short slot = 0; slot < 3; ++slot) {
    c.strName.Format("c%d", slot);
    manager->PA_PutPhoneBook(&c, slot);
  }
  dialog->Contacts().RefillList();
  HWND list = Item(IDC_CONTACT_LIST);
  Select(list, 0);
  Select(list, 2);
  dialog->Contacts().DropOnGroup(0);  // "All Groups": nothing
  EXPECT_EQ(Contact(0).bGroup, 0);
  EXPECT_FALSE(g_bDocumentModified);
  dialog->Contacts().DropOnGroup(6);  // group 5
  EXPECT_EQ(Contact(0).bGroup, 5);
  EXPECT_EQ(Contact(1).bGroup, 0);
  EXPECT_EQ(Contact(2).bGroup, 5);
  EXPECT_TRUE(g_bDocumentModified);
}

}  // namespace

#include <kernel/AtomicFile.h>

#include <base/WinError.h>

namespace {

TEST_F(DaybookWindowTest, AFailedSaveSaysSoKeepsTheOldFileAndTheDocumentModified) {
  const std::string path = (std::filesystem::path(home.Path()) / "full.daybook").string();
  daybook::GroupDefaults defaults{};
  ASSERT_TRUE(daybook::WriteDaybookFile(path, *manager, defaults));
  ASSERT_TRUE(dialog->OpenDocument(path.c_str()));
  std::ifstream before(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());

  PA_PHONEBOOK_INFO c;
  c.strName = "unsaved";
  manager->PA_PutPhoneBook(&c, 7);
  g_bDocumentModified = TRUE;
  tolvar::kernel::SetAtomicFileFaultForTesting({true, 1000, ERROR_DISK_FULL, false});
  const int saved = dialog->OnSave();
  tolvar::kernel::SetAtomicFileFaultForTesting({});
  EXPECT_EQ(saved, 0);
  EXPECT_EQ(g_boxes.size(), 1u);
  EXPECT_TRUE(g_bDocumentModified);
  std::ifstream after(path, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), bytes);

  EXPECT_EQ(dialog->OnSave(), 1);
  EXPECT_FALSE(g_bDocumentModified);
}

// The schedule page: an entry added and applied, and a second one in the same minute refused.
TEST_F(DaybookWindowTest, ScheduleEntriesAreAddedAndDuplicatesByTheMinuteRefused) {
  ::SendMessageA(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SCHEDULE_BUTTON, BN_CLICKED), 0);
  HWND page = dialog->Schedule().m_hWnd;
  const auto click = [page](int id) {
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
  };
  const auto setPickers = [page](const CTime& when) {
    SYSTEMTIME fields{};
    when.GetAsSystemTime(fields);
    ::SendMessageA(::GetDlgItem(page, IDC_SCH_DATE), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&fields));
    ::SendMessageA(::GetDlgItem(page, IDC_SCH_TIME), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&fields));
  };
  const auto type = [page](const char* text) {
    HWND edit = ::GetDlgItem(page, IDC_SCH_DESCRIPTION);
    ::SetFocus(edit);
    ::SetWindowTextA(edit, "");
    for (const char* p = text; *p; ++p) ::SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(*p), 1);
  };
  // The store keeps schedule entries of 2001 to 2020; the pickers reach 2037.
  click(IDC_SCH_ADD);
  setPickers(CTime(2020, 6, 1, 9, 30, 0));
  type("Dentist");
  click(IDC_SCH_APPLY);
  EXPECT_TRUE(g_boxes.empty());
  daybook::CScheduleModel& model = dialog->Schedule().Model();
  ASSERT_EQ(model.UsedCount(), 1);
  EXPECT_STREQ(model.Entry(0).strDescription, "Dentist");
  EXPECT_EQ(model.Entry(0).tmStart, CTime(2020, 6, 1, 9, 30, 0));
  EXPECT_TRUE(g_bDocumentModified);

  click(IDC_SCH_ADD);
  setPickers(CTime(2020, 6, 1, 9, 30, 0));
  type("Again");
  click(IDC_SCH_APPLY);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_NE(g_boxes[0].find("already exists"), std::string::npos) << g_boxes[0];
  EXPECT_EQ(model.UsedCount(), 1);
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_SCH_APPLY)));
}

}  // namespace

namespace {

// The exchange commands reach the bridges through the main dialog's command map, with the real
// libraries found by name and the dialog's message boxes.
TEST_F(DaybookWindowTest, ExchangeCommandsAreDispatchedToTheBridges) {
  const auto command = [&](UINT id) { ::SendMessageA(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); };
  command(daybook::CMD_EXPORT_VCARD);
  command(daybook::CMD_EXPORT_CSV);  // Tabulon is loaded, finds nothing to export, and is unloaded
  EXPECT_EQ(g_boxes, (std::vector<std::string>{"There is no data to export!", "There is no data to export!"}));

  PA_PHONEBOOK_INFO contact;
  contact.strName = "Ada";
  manager->PA_PutPhoneBook(&contact, 4);
  g_boxes.clear();
  g_answer = IDNO;
  command(daybook::CMD_IMPORT_CSV);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].rfind("All records from Contacts will be deleted.", 0), 0u);
  EXPECT_EQ(Contact(4).strName, "Ada");
  EXPECT_FALSE(g_bDocumentModified);
}

}  // namespace

namespace {

// The CSV wizard as Daybook opens it, pictured from the thread's timer while its modal loop runs and
// then cancelled.
std::string g_wizardPng;
bool g_wizardShot = false;

void ShootWizard(HWND, UINT, UINT_PTR, DWORD) {
  // The sheet and its quit question share the caption; the question has a Yes button.
  for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, "CSV Wizard"); window;
       window = FindWindowExA(nullptr, window, nullptr, "CSV Wizard")) {
    if (!IsWindowVisible(window)) continue;
    if (::GetDlgItem(window, IDYES)) {
      ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
      return;
    }
  }
  HWND wizard = FindWindowA(nullptr, "CSV Wizard");
  if (!wizard || !IsWindowVisible(wizard) || !IsWindowEnabled(wizard)) return;
  if (!g_wizardShot) {
    g_wizardShot = true;
    if (HBITMAP picture = tolvar::user::RenderWindow(wizard)) {
      testing_user::SavePng(picture, g_wizardPng.c_str());
      DeleteObject(picture);
    }
  }
  ::PostMessageA(wizard, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

TEST_F(DaybookPictures, TheCsvWizardsOpenedFromDaybook) {
  PA_PHONEBOOK_INFO contact;
  contact.strName = "Ada";
  manager->PA_PutPhoneBook(&contact, 0);
  g_answer = IDYES;
  for (UINT command : {daybook::CMD_EXPORT_CSV, daybook::CMD_IMPORT_CSV}) {
    g_wizardShot = false;
    g_wizardPng = command == daybook::CMD_EXPORT_CSV ? "daybook_csv_export_wizard" : "daybook_csv_import_wizard";
    const UINT_PTR shooter = SetTimer(nullptr, 0, 20, ShootWizard);
    ::SendMessageA(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    KillTimer(nullptr, shooter);
    EXPECT_TRUE(g_wizardShot) << g_wizardPng;
  }
  EXPECT_EQ(Contact(0).strName, "Ada") << "a cancelled import wizard leaves the contacts";
}

}  // namespace
