// Daybook's main dialog and pages in the test process, over the phone library loaded by name in a
// home of the test's own: contacts typed and applied, a number the phone cannot store (message, form
// kept, store unchanged), a document saved and opened again, and one that stops early. Message boxes
// are answered by a thread timer that notes their texts.
#include "Daybook.h"
#include "DaybookDlg.h"
#include "DaybookDocument.h"
#include "FindDlg.h"
#include "PageKit.h"
#include "resource.h"
#include "support/ManagerHarness.h"

#include <MessageBoxDlg.h>
#include <ProgramManager.h>

#include <controls/ListView.h>
#include <controls/PropSheet.h>
#include <shell/CommDlg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>
#include <gdi/ImageList.h>

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

// A refill puts back only what changed in the store, keeps the form's group choice, and leaves the
// list shown or hidden as it was (drawing is switched off around the rows).
TEST_F(DaybookWindowTest, ARefreshTakesRenamedGroupsAndKeepsTheListsVisibility) {
  PA_PHONEBOOK_INFO c;
  c.strName = "one";
  manager->PA_PutPhoneBook(&c, 0);
  PA_GROUP_INFO group;
  group.strName = "Climbers";
  group.bExists = 1;
  ASSERT_EQ(manager->PA_PutGroup(&group, 2), PA_OK);
  ::SendDlgItemMessageA(Page().m_hWnd, IDC_GROUP_COMBO, CB_SETCURSEL, 5, 0);
  HWND list = Item(IDC_CONTACT_LIST);
  for (bool shown : {false, true}) {
    ::ShowWindow(list, shown ? SW_SHOW : SW_HIDE);
    dialog->Contacts().RefreshGroups();
    EXPECT_EQ((::GetWindowLongA(list, GWL_STYLE) & WS_VISIBLE) != 0, shown);
    EXPECT_EQ(RowCount(list), 1);
    char row[64] = {};
    LVITEMA item{};
    item.pszText = row;
    item.cchTextMax = sizeof row;
    ::SendMessageA(Item(IDC_GROUP_LIST), LVM_GETITEMTEXTA, 3, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(row, "Climbers");
    char combo[64] = {};
    ::SendDlgItemMessageA(Page().m_hWnd, IDC_GROUP_COMBO, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(combo));
    EXPECT_STREQ(combo, "Climbers");
    EXPECT_EQ(::SendDlgItemMessageA(Page().m_hWnd, IDC_GROUP_COMBO, CB_GETCURSEL, 0, 0), 5);
  }
}

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

// ---- the pages driven by injected mouse and keys ----

namespace {

// Steps run one by one by a thread timer while a modal loop (a menu, a message box) holds the thread.
std::vector<std::function<void()>> g_steps;
std::size_t g_nextStep = 0;
void RunStep(HWND, UINT, UINT_PTR, DWORD) {
  if (g_nextStep < g_steps.size()) g_steps[g_nextStep++]();
}

POINT CentreOf(HWND window) {
  RECT r;
  ::GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ClickAt(POINT at, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
  tolvar::user::InjectMouse(at, WM_MOUSEMOVE);
  tolvar::user::InjectMouse(at, down);
  tolvar::user::InjectMouse(at, up);
  testing_user::Pump();
}

// The screen point of a list row's first text column.
POINT RowPoint(HWND list, int row, int column = 0) {
  RECT r{};
  r.top = column;
  r.left = LVIR_LABEL;
  ::SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
  POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::ClientToScreen(list, &at);
  return at;
}

std::vector<std::string> ColumnTexts(HWND list, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < RowCount(list); ++row) {
    char text[128] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    texts.emplace_back(text);
  }
  return texts;
}

SYSTEMTIME Day(int year, int month, int day) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  return t;
}

RECT RectIn(HWND page, HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class DaybookInputTest : public DaybookWindowTest {
 protected:
  void SetUp() override {
    DaybookWindowTest::SetUp();
    dialog->ShowWindow(SW_SHOW);
    ::SetForegroundWindow(dialog->m_hWnd);
    testing_user::Pump();
  }
  HWND PageOf(int button) {
    return button == IDC_CONTACTS_BUTTON   ? dialog->Contacts().m_hWnd
           : button == IDC_SCHEDULE_BUTTON ? dialog->Schedule().m_hWnd
                                           : dialog->ToDo().m_hWnd;
  }
  void ShowPage(int button) {
    ::SendMessageA(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    testing_user::Pump();
  }
  // Runs `steps` every 40 ms from inside whatever modal loop `act` enters.
  void WithSteps(std::vector<std::function<void()>> steps, const std::function<void()>& act) {
    g_steps = std::move(steps);
    g_nextStep = 0;
    const UINT_PTR stepper = ::SetTimer(nullptr, 0, 40, RunStep);
    act();
    testing_user::PumpUntil([] { return g_nextStep >= g_steps.size(); }, 5000);
    ::KillTimer(nullptr, stepper);
    testing_user::Pump();
  }
  void PutSchedule(short slot, const char* text, const CTime& start) {
    PA_SCHEDULE_INFO e;
    e.strDescription = text;
    e.tmStart = start;
    ASSERT_EQ(manager->PA_PutSchedule(&e, slot), PA_OK);
  }
  void PutToDo(short slot, const char* text, const CTime& start, const CTime& due) {
    PA_TODO_INFO t;
    t.strDescription = text;
    t.tmStart = start;
    t.tmDue = due;
    ASSERT_EQ(manager->PA_PutToDo(&t, slot), PA_OK);
  }
  // A click on the picker's first field, then the digits; each field moves on when it is full.
  void TypeIntoPicker(HWND picker, const char* digits) {
    RECT r;
    ::GetWindowRect(picker, &r);
    ClickAt({r.left + 6, (r.top + r.bottom) / 2});
    tolvar::user::InjectText(digits);
    testing_user::Pump();
  }
  void SaveShot(HWND window, const char* name) {
    testing_user::Pump();
    if (HBITMAP shot = tolvar::user::RenderWindow(window)) {
      testing_user::SavePng(shot, name);
      DeleteObject(shot);
    }
  }
};

// Each page's list grows with the dialog, its editor keeps to the right edge and its buttons to the
// bottom; on the calendar pages the description column fills what the list leaves.
TEST_F(DaybookInputTest, PagesGrowWithTheDialog) {
  struct Case {
    int button, list, editor, add;
    bool stretched;
  };
  const Case cases[] = {{IDC_CONTACTS_BUTTON, IDC_CONTACT_LIST, IDC_NAME, IDC_NEW, false},
                        {IDC_SCHEDULE_BUTTON, IDC_SCHEDULE_LIST, IDC_SCH_DESCRIPTION, IDC_SCH_ADD, true},
                        {IDC_TODO_BUTTON, IDC_TODO_LIST, IDC_TODO_DESCRIPTION, IDC_TODO_ADD, true}};
  RECT start;
  dialog->GetWindowRect(&start);
  for (const Case& c : cases) {
    ShowPage(c.button);
    dialog->SetWindowPos(nullptr, 0, 0, start.right - start.left, start.bottom - start.top, SWP_NOMOVE | SWP_NOZORDER);
    testing_user::Pump();
    HWND page = PageOf(c.button);
    const RECT list = RectIn(page, ::GetDlgItem(page, c.list)), editor = RectIn(page, ::GetDlgItem(page, c.editor)),
               add = RectIn(page, ::GetDlgItem(page, c.add));
    dialog->SetWindowPos(nullptr, 0, 0, start.right - start.left + 160, start.bottom - start.top + 90,
                         SWP_NOMOVE | SWP_NOZORDER);
    testing_user::Pump();
    const RECT list2 = RectIn(page, ::GetDlgItem(page, c.list)), editor2 = RectIn(page, ::GetDlgItem(page, c.editor)),
               add2 = RectIn(page, ::GetDlgItem(page, c.add));
    EXPECT_EQ(list2.right - list2.left, list.right - list.left + 160) << c.list;
    EXPECT_EQ(list2.bottom - list2.top, list.bottom - list.top + 90) << c.list;
    EXPECT_EQ(editor2.left, editor.left + 160) << c.list;
    EXPECT_EQ(editor2.top, editor.top) << c.list;
    EXPECT_EQ(add2.top, add.top + 90) << c.list;
    EXPECT_EQ(add2.left, add.left) << c.list;
    if (c.stretched) {
      HWND listWindow = ::GetDlgItem(page, c.list);
      RECT client;
      ::GetClientRect(listWindow, &client);
      int sum = 0;
      for (int column = 0; column < 5; ++column) sum += static_cast<int>(::SendMessageA(listWindow, LVM_GETCOLUMNWIDTH, column, 0));
      EXPECT_EQ(sum, client.right) << c.list;
    }
  }
}

// The row of buttons along a page's bottom, fitted to end by a limit: a row that ends within it
// stays; else it keeps its left end and its gaps, a button whose text needs more than an even share
// gets what it needs, the others share the rest; when not even the texts fit, each gets its need's
// part of the room.
TEST(FitRow, KeepsTheRowWholeUpToTheLimit) {
  const auto row = [](std::initializer_list<std::pair<int, int>> spans) {
    std::vector<RECT> r;
    for (auto [left, right] : spans) r.push_back({left, 10, right, 30});
    return r;
  };
  const auto spans = [](const std::vector<RECT>& r) {
    std::vector<std::pair<int, int>> s;
    for (const RECT& b : r) s.emplace_back(b.left, b.right);
    return s;
  };
  using Spans = std::vector<std::pair<int, int>>;
  struct Case {
    const char* what;
    std::vector<RECT> row;
    std::vector<int> least;
    int limit;
    Spans expected;
  };
  const Case cases[] = {
      {"ends within the limit", row({{8, 99}, {105, 196}}), {30, 30}, 196, {{8, 99}, {105, 196}}},
      {"even shares", row({{8, 99}, {105, 196}, {201, 292}}), {30, 30, 30}, 200, {{8, 69}, {75, 135}, {140, 200}}},
      {"the remainder to the first", row({{0, 50}, {50, 100}, {100, 150}}), {10, 10, 10}, 101,
       {{0, 34}, {34, 68}, {68, 101}}},
      {"a long text first", row({{8, 99}, {105, 196}, {201, 292}}), {20, 80, 20}, 200,
       {{8, 59}, {65, 145}, {150, 200}}},
      {"two long texts", row({{0, 90}, {90, 180}, {180, 270}, {270, 360}}), {70, 20, 65, 20}, 200,
       {{0, 70}, {70, 103}, {103, 168}, {168, 200}}},
      {"no room for the texts", row({{0, 90}, {95, 185}}), {80, 80}, 100, {{0, 48}, {53, 100}}},
      {"no room for unequal texts", row({{0, 90}, {95, 185}}), {40, 80}, 100, {{0, 32}, {37, 100}}},
      {"an empty row", {}, {}, 10, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(spans(daybook::FitRow(c.row, c.least, c.limit)), c.expected) << c.what;
    for (const RECT& r : daybook::FitRow(c.row, c.least, c.limit)) EXPECT_EQ(r.top, 10) << c.what;
  }
}

// In the launcher's pane at its first size (narrower than the dialog's own size), and with Daybook
// alone at its smallest, each page keeps every control it shows on it, and its row of buttons whole
// along the bottom: in its order, none over another, each wide enough for its text on one line.
TEST_F(DaybookInputTest, EveryControlStaysOnThePageInTheLaunchersPaneAndAtTheSmallestSize) {
  struct Size {
    const char* what;
    int width, height;  // of the dialog's window
  };
  RECT window, client;
  dialog->GetWindowRect(&window);
  dialog->GetClientRect(&client);
  const int frameX = (window.right - window.left) - client.right, frameY = (window.bottom - window.top) - client.bottom;
  MINMAXINFO smallest{};
  ::SendMessageA(dialog->m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&smallest));
  // The launcher's right pane at the launcher's first size is 672 x 526 pixels.
  const Size sizes[] = {{"the launcher's pane", 672 + frameX, 526 + frameY},
                        {"the smallest size", smallest.ptMinTrackSize.x, smallest.ptMinTrackSize.y}};
  struct Page {
    int button;
    std::vector<int> row;
  };
  const Page pages[] = {
      {IDC_CONTACTS_BUTTON,
       {IDC_NEW, IDC_DELETE, IDC_DELETE_ALL, IDC_APPLY, IDC_CANCEL, IDC_RESET_GROUPS, IDC_DOWNLOAD, IDC_UPLOAD}},
      {IDC_SCHEDULE_BUTTON,
       {IDC_SCH_ADD, IDC_SCH_DELETE, IDC_SCH_DELETE_ALL, IDC_SCH_APPLY, IDC_SCH_CANCEL, IDC_DOWNLOAD, IDC_UPLOAD}},
      {IDC_TODO_BUTTON,
       {IDC_TODO_ADD, IDC_TODO_DELETE, IDC_TODO_DELETE_ALL, IDC_TODO_APPLY, IDC_TODO_CANCEL, IDC_DOWNLOAD,
        IDC_UPLOAD}}};
  for (const Size& size : sizes) {
    ASSERT_LT(size.width, window.right - window.left) << "the dialog is no wider than " << size.what;
    dialog->SetWindowPos(nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER);
    testing_user::Pump();
    for (const Page& p : pages) {
      SCOPED_TRACE(std::string(size.what) + ", page of button " + std::to_string(p.button));
      ShowPage(p.button);
      HWND page = PageOf(p.button);
      RECT area;
      ::GetClientRect(page, &area);
      RECT dialogArea;
      dialog->GetClientRect(&dialogArea);
      EXPECT_EQ(area.right, dialogArea.right) << "the page fills the dialog's width";
      for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child)) continue;
        const RECT r = RectIn(page, child);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= area.right && r.bottom <= area.bottom)
            << "control " << ::GetDlgCtrlID(child) << " at " << r.left << "," << r.top << "-" << r.right << ","
            << r.bottom << " leaves the page of " << area.right << " x " << area.bottom;
      }
      int right = 0, top = -1;
      for (int id : p.row) {
        HWND button = ::GetDlgItem(page, id);
        const RECT r = RectIn(page, button);
        EXPECT_GE(r.left, right) << "button " << id << " lies over the one before it";
        if (top >= 0) {
          EXPECT_EQ(r.top, top) << "button " << id << " leaves the row";
        }
        char text[64] = {};
        ::GetWindowTextA(button, text, sizeof text);
        HDC dc = ::GetDC(button);
        HGDIOBJ before = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(button, WM_GETFONT, 0, 0)));
        RECT need{0, 0, 0, 0};
        ::DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE);
        ::SelectObject(dc, before);
        ::ReleaseDC(button, dc);
        EXPECT_GT(r.right - r.left, need.right) << "button " << id << " is too narrow for \"" << text << "\"";
        right = r.right;
        top = r.top;
      }
    }
  }
}

// The sort buttons beside the captions sort by their column and turn the order on each click (a
// quick second click too); the order holds when the list is filled again.
TEST_F(DaybookInputTest, SortButtonsOrderTheRowsAndTheOrderOutlivesARefill) {
  PutSchedule(0, "beta", CTime(2010, 5, 7, 8, 0, 0));
  PutSchedule(1, "gamma", CTime(2010, 5, 5, 9, 0, 0));
  PutSchedule(2, "alpha", CTime(2010, 5, 6, 7, 0, 0));
  PutToDo(0, "beta", CTime(2010, 1, 2, 0, 0, 0), CTime(2010, 3, 1, 0, 0, 0));
  PutToDo(1, "gamma", CTime(2010, 1, 1, 0, 0, 0), CTime(2010, 2, 1, 0, 0, 0));
  PutToDo(2, "alpha", CTime(2010, 1, 3, 0, 0, 0), CTime(2010, 1, 4, 0, 0, 0));
  struct Case {
    int pageButton, list, sortButton, column;
    std::vector<std::string> ascending;
  };
  const Case cases[] = {
      {IDC_SCHEDULE_BUTTON, IDC_SCHEDULE_LIST, IDC_SORT_SCH_TEXT, 4, {"alpha", "beta", "gamma"}},
      {IDC_SCHEDULE_BUTTON, IDC_SCHEDULE_LIST, IDC_SORT_SCH_DATE, 2, {"05/05/2010", "06/05/2010", "07/05/2010"}},
      {IDC_SCHEDULE_BUTTON, IDC_SCHEDULE_LIST, IDC_SORT_SCH_TIME, 3, {"07:00", "08:00", "09:00"}},
      {IDC_TODO_BUTTON, IDC_TODO_LIST, IDC_SORT_TODO_DUE, 3, {"04/01/2010", "01/02/2010", "01/03/2010"}},
      {IDC_TODO_BUTTON, IDC_TODO_LIST, IDC_SORT_TODO_START, 2, {"01/01/2010", "02/01/2010", "03/01/2010"}},
  };
  ShowPage(IDC_SCHEDULE_BUTTON);
  ClickAt(CentreOf(::GetDlgItem(dialog->Schedule().m_hWnd, IDC_SHOW_ALL)));
  dialog->ToDo().RefreshList();
  for (const Case& c : cases) {
    ShowPage(c.pageButton);
    HWND page = PageOf(c.pageButton), list = ::GetDlgItem(page, c.list);
    ASSERT_EQ(RowCount(list), 3);
    const std::vector<std::string> descending(c.ascending.rbegin(), c.ascending.rend());
    ClickAt(CentreOf(::GetDlgItem(page, c.sortButton)));
    const std::vector<std::string> first = ColumnTexts(list, c.column);
    EXPECT_TRUE(first == c.ascending || first == descending) << c.sortButton;
    ClickAt(CentreOf(::GetDlgItem(page, c.sortButton)));
    const std::vector<std::string> second = ColumnTexts(list, c.column);
    EXPECT_EQ(second, first == c.ascending ? descending : c.ascending) << c.sortButton;
    if (c.pageButton == IDC_SCHEDULE_BUTTON) {
      dialog->Schedule().RefreshList();
    } else {
      dialog->ToDo().RefreshList();
    }
    EXPECT_EQ(ColumnTexts(list, c.column), second) << "after a refill, " << c.sortButton;
  }
  EXPECT_TRUE(g_boxes.empty());
}

// A right click on a list opens the kit's menu at the pointer; its command reaches the main dialog,
// which carries it out on the shown page. With an edit open the click only says why not.
TEST_F(DaybookInputTest, TheListsContextMenuCarriesItsCommandOut) {
  PutSchedule(0, "Dentist", CTime(2010, 5, 6, 7, 8, 0));
  ShowPage(IDC_SCHEDULE_BUTTON);
  HWND page = dialog->Schedule().m_hWnd, list = ::GetDlgItem(page, IDC_SCHEDULE_LIST);
  ClickAt(CentreOf(::GetDlgItem(page, IDC_SHOW_ALL)));
  ASSERT_EQ(RowCount(list), 1);
  HWND seen = nullptr;
  WithSteps({[&] {
               seen = ::FindWindowA("#32768", nullptr);
               if (seen) SaveShot(seen, "daybook_list_menu");
             },
             [] { tolvar::user::InjectKey(VK_DOWN, true); tolvar::user::InjectKey(VK_DOWN, false); },
             [] { tolvar::user::InjectKey(VK_RETURN, true); tolvar::user::InjectKey(VK_RETURN, false); }},
            [&] { ClickAt(RowPoint(list, 0, 4), WM_RBUTTONDOWN, WM_RBUTTONUP); });
  ASSERT_NE(seen, nullptr) << "the menu opened";
  testing_user::PumpUntil([&] { return RowCount(list) == 2; }, 3000);
  EXPECT_EQ(RowCount(list), 2) << "\"&new\" added a row";
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_SCH_APPLY)));
  EXPECT_TRUE(g_boxes.empty());

  ClickAt(RowPoint(list, 1, 2), WM_RBUTTONDOWN, WM_RBUTTONUP);
  testing_user::PumpUntil([] { return !g_boxes.empty(); }, 3000);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_NE(g_boxes[0].find("'apply' or 'cancel'"), std::string::npos) << g_boxes[0];
  EXPECT_EQ(::FindWindowA("#32768", nullptr), nullptr);
}

// A day clicked in the calendar shows that day's entries (the daily view) and puts the date picker
// on it.
TEST_F(DaybookInputTest, ADayClickedInTheCalendarShowsThatDaysEntries) {
  PutSchedule(0, "Dentist", CTime(2010, 5, 6, 7, 8, 0));
  PutSchedule(1, "Barber", CTime(2010, 5, 7, 10, 0, 0));
  PutSchedule(2, "Baker", CTime(2010, 5, 7, 12, 0, 0));
  ShowPage(IDC_SCHEDULE_BUTTON);
  HWND page = dialog->Schedule().m_hWnd, calendar = ::GetDlgItem(page, IDC_CALENDAR);
  const SYSTEMTIME may = Day(2010, 5, 1);
  ::SendMessageA(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&may));
  testing_user::Pump();
  // The point of 7 May, found by the calendar's own hit test.
  RECT client;
  ::GetClientRect(calendar, &client);
  POINT day{-1, -1};
  for (int y = 0; y < client.bottom && day.x < 0; y += 2) {
    for (int x = 0; x < client.right && day.x < 0; x += 2) {
      MCHITTESTINFO hit{};
      hit.cbSize = sizeof hit;
      hit.pt = {x, y};
      ::SendMessageA(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.uHit == MCHT_CALENDARDATE && hit.st.wYear == 2010 && hit.st.wMonth == 5 && hit.st.wDay == 7) day = {x, y};
    }
  }
  ASSERT_GE(day.x, 0);
  ::ClientToScreen(calendar, &day);
  ClickAt(day);
  HWND list = ::GetDlgItem(page, IDC_SCHEDULE_LIST);
  EXPECT_EQ(ColumnTexts(list, 4), (std::vector<std::string>{"Barber", "Baker"}));
  SYSTEMTIME picked{};
  ::SendMessageA(::GetDlgItem(page, IDC_SCH_DATE), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked));
  EXPECT_EQ(picked.wDay, 7);
  EXPECT_EQ(picked.wMonth, 5);
  EXPECT_TRUE(::IsDlgButtonChecked(page, IDC_SHOW_DAILY));
}

// Dates and times typed into the pickers are what apply stores; on the to-do page the due date
// follows a start typed past it.
TEST_F(DaybookInputTest, DatesAndTimesTypedIntoThePickersAreStored) {
  ShowPage(IDC_SCHEDULE_BUTTON);
  HWND page = dialog->Schedule().m_hWnd;
  ClickAt(CentreOf(::GetDlgItem(page, IDC_SCH_ADD)));
  ClickAt(CentreOf(::GetDlgItem(page, IDC_SCH_DESCRIPTION)));
  tolvar::user::InjectText("Dentist");
  testing_user::Pump();
  TypeIntoPicker(::GetDlgItem(page, IDC_SCH_DATE), "24122019");
  TypeIntoPicker(::GetDlgItem(page, IDC_SCH_TIME), "0930");
  ClickAt(CentreOf(::GetDlgItem(page, IDC_SCH_APPLY)));
  EXPECT_TRUE(g_boxes.empty()) << (g_boxes.empty() ? "" : g_boxes[0]);
  ASSERT_EQ(dialog->Schedule().Model().UsedCount(), 1);
  const PA_SCHEDULE_INFO e = dialog->Schedule().Model().Entry(0);
  EXPECT_STREQ(e.strDescription, "Dentist");
  EXPECT_EQ(e.tmStart, CTime(2019, 12, 24, 9, 30, 0));

  // The to-do page: a due date typed before the start is refused at apply; the due date then
  // follows a start typed past it.
  ShowPage(IDC_TODO_BUTTON);
  page = dialog->ToDo().m_hWnd;
  const auto typeInto = [this, page](int picker, const char* digits) { TypeIntoPicker(::GetDlgItem(page, picker), digits); };
  const auto dateOf = [page](int picker) {
    SYSTEMTIME t{};
    ::SendMessageA(::GetDlgItem(page, picker), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
    return CTime(t.wYear, t.wMonth, t.wDay, 0, 0, 0);
  };
  ClickAt(CentreOf(::GetDlgItem(page, IDC_TODO_ADD)));
  typeInto(IDC_TODO_START, "15032019");
  typeInto(IDC_TODO_DUE, "01022019");
  ClickAt(CentreOf(::GetDlgItem(page, IDC_TODO_APPLY)));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_NE(g_boxes[0].find("Incompatible"), std::string::npos) << g_boxes[0];
  EXPECT_EQ(dialog->ToDo().Model().UsedCount(), 0);
  typeInto(IDC_TODO_START, "01012019");
  EXPECT_EQ(dateOf(IDC_TODO_DUE), CTime(2019, 3, 1, 0, 0, 0)) << "the due date followed the start past it";
  ClickAt(CentreOf(::GetDlgItem(page, IDC_TODO_APPLY)));
  EXPECT_EQ(g_boxes.size(), 1u) << g_boxes.back();
  ASSERT_EQ(dialog->ToDo().Model().UsedCount(), 1);
  const PA_TODO_INFO t = dialog->ToDo().Model().Item(0);
  EXPECT_EQ(CTime(t.tmStart.GetYear(), t.tmStart.GetMonth(), t.tmStart.GetDay(), 0, 0, 0), CTime(2019, 1, 1, 0, 0, 0));
  EXPECT_EQ(CTime(t.tmDue.GetYear(), t.tmDue.GetMonth(), t.tmDue.GetDay(), 0, 0, 0), CTime(2019, 3, 1, 0, 0, 0));
}

// The File button drops its menu under itself; "reset groups" is offered on the contacts page only.
TEST_F(DaybookInputTest, TheFileMenuOpensUnderItsButtonAndResetGroupsBelongsToTheContactsPage) {
  for (const auto& [button, enabled] : {std::pair{IDC_SCHEDULE_BUTTON, false}, {IDC_TODO_BUTTON, false},
                                        {IDC_CONTACTS_BUTTON, true}}) {
    ShowPage(button);
    const UINT state = ::GetMenuState(dialog->FileMenu(), daybook::CMD_RESET_GROUPS, MF_BYCOMMAND);
    EXPECT_EQ((state & MF_GRAYED) == 0, enabled) << button;
  }
  RECT popup{}, fileButton{};
  ::GetWindowRect(::GetDlgItem(dialog->m_hWnd, IDC_FILE_BUTTON), &fileButton);
  WithSteps({[&] {
               HWND menu = ::FindWindowA("#32768", nullptr);
               if (!menu) return;
               ::GetWindowRect(menu, &popup);
               SaveShot(menu, "daybook_file_menu");
               SaveShot(dialog->m_hWnd, "daybook_file_menu_dialog");
             },
             [] { tolvar::user::InjectKey(VK_ESCAPE, true); tolvar::user::InjectKey(VK_ESCAPE, false); }},
            [&] { ClickAt(CentreOf(::GetDlgItem(dialog->m_hWnd, IDC_FILE_BUTTON))); });
  EXPECT_EQ(popup.left, fileButton.left);
  EXPECT_EQ(popup.top, fileButton.bottom);
  EXPECT_EQ(::FindWindowA("#32768", nullptr), nullptr);
  EXPECT_TRUE(::IsWindow(dialog->m_hWnd)) << "Escape closed the menu, not the dialog";
}

// Pictures of the schedule page with the daily filter, while editing and with several rows
// selected, and of the to-do page in the layout without priority, category and private fields.
TEST_F(DaybookInputTest, SchedulePictures) {
  PutSchedule(0, "Dentist", CTime(2010, 5, 6, 7, 8, 0));
  PutSchedule(1, "Barber", CTime(2010, 5, 6, 10, 0, 0));
  PutSchedule(2, "Baker", CTime(2010, 5, 7, 12, 0, 0));
  ShowPage(IDC_SCHEDULE_BUTTON);
  HWND page = dialog->Schedule().m_hWnd, list = ::GetDlgItem(page, IDC_SCHEDULE_LIST);
  const SYSTEMTIME day = Day(2010, 5, 6);
  ::SendMessageA(::GetDlgItem(page, IDC_SCH_DATE), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
  dialog->Schedule().RefreshList();
  testing_user::Pump();
  ASSERT_EQ(RowCount(list), 2) << "the daily filter shows 6 May";
  SaveShot(dialog->m_hWnd, "daybook_schedule_daily");
  ClickAt(RowPoint(list, 0, 4));
  ClickAt(CentreOf(::GetDlgItem(page, IDC_SCH_DESCRIPTION)));
  tolvar::user::InjectText(" at nine");
  testing_user::Pump();
  ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_SCH_APPLY)));
  SaveShot(dialog->m_hWnd, "daybook_schedule_editing");
  g_answer = IDYES;
  ClickAt(CentreOf(::GetDlgItem(page, IDC_SCH_CANCEL)));
  Select(list, 0);
  Select(list, 1);
  testing_user::Pump();
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_SCH_DESCRIPTION))) << "several selected: no one entry to edit";
  SaveShot(dialog->m_hWnd, "daybook_schedule_several");
  ShowPage(IDC_TODO_BUTTON);
  if (!dialog->ToDo().Model().HasExtendedFields()) SaveShot(dialog->m_hWnd, "daybook_todo_without_extended_fields");
}

// Contacts dragged by the mouse onto a group row: the drag image follows the pointer, the row under
// it is the drop target, and the drop puts the contacts into that group.
TEST_F(DaybookInputTest, ContactsDraggedOntoAGroupShowTheDragImageAndJoinTheGroup) {
  PA_PHONEBOOK_INFO c;
  for (short slot = 0; slot < 3; ++slot) {
    c.strName.Format("Contact %d", slot);
    manager->PA_PutPhoneBook(&c, slot);
  }
  dialog->Contacts().RefillList();
  HWND list = Item(IDC_CONTACT_LIST), groups = Item(IDC_GROUP_LIST);
  const POINT from = RowPoint(list, 0), to = RowPoint(groups, 6);  // "Group 05"
  tolvar::user::InjectMouse(from, WM_MOUSEMOVE);
  tolvar::user::InjectMouse(from, WM_LBUTTONDOWN);
  for (int step = 1; step <= 8; ++step) {
    tolvar::user::InjectMouse({from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8}, WM_MOUSEMOVE);
    testing_user::Pump();
  }
  const RECT image = tolvar::gdi::DragImageRect();
  EXPECT_LT(image.left, image.right) << "a drag image is shown";
  EXPECT_TRUE(image.left <= to.x + 32 && to.x - 200 <= image.right && image.top <= to.y + 32 && to.y - 32 <= image.bottom)
      << "near the pointer";
  EXPECT_EQ(::SendMessageA(groups, LVM_GETITEMSTATE, 6, LVIS_DROPHILITED), LVIS_DROPHILITED);
  SaveShot(dialog->m_hWnd, "daybook_contacts_drag");
  tolvar::user::InjectMouse(to, WM_LBUTTONUP);
  testing_user::Pump();
  const RECT after = tolvar::gdi::DragImageRect();
  EXPECT_GE(after.left, after.right) << "the image goes with the drop";
  EXPECT_EQ(Contact(0).bGroup, 5);
  EXPECT_EQ(Contact(1).bGroup, 0);
  EXPECT_TRUE(g_bDocumentModified);
}

// The file dialogs' side of the document commands: each step waits for its window to be active, the
// file dialog (which has the file name field) or a question it asks (which has not).
struct DialogStep {
  bool inFileDialog;
  std::function<void(HWND)> act;
};
std::vector<DialogStep> g_dialogSteps;
std::size_t g_nextDialogStep = 0;
HWND g_mainDialog = nullptr;
int g_idleTicks = 0;
void RunDialogStep(HWND, UINT, UINT_PTR, DWORD) {
  HWND active = ::GetActiveWindow();
  if (!active || active == g_mainDialog || !::IsWindowVisible(active)) return;
  const bool fileDialog = ::GetDlgItem(active, edt1) != nullptr;
  if (g_nextDialogStep < g_dialogSteps.size() && fileDialog == g_dialogSteps[g_nextDialogStep].inFileDialog) {
    g_idleTicks = 0;
    g_dialogSteps[g_nextDialogStep++].act(active);
  } else if (++g_idleTicks > 250) {
    ::EndDialog(active, IDCANCEL);  // a window no step expects: the test ends instead of hanging
  }
}

// A document saved through Save As's file dialog is written where the user typed; the folder is
// remembered in the registry when the dialog ends, and the next session's Open starts there, so a
// bare file name opens it.
TEST_F(DaybookInputTest, ADocumentSavedThroughTheFileDialogOpensAgainFromTheRememberedFolder) {
  const std::filesystem::path folder = std::filesystem::path(home.Path()) / "documents";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "mine.daybook").string();
  PA_PHONEBOOK_INFO c;
  c.strName = "Ada";
  manager->PA_PutPhoneBook(&c, 3);
  g_bDocumentModified = TRUE;
  const auto run = [this](std::vector<DialogStep> steps, UINT command) {
    g_dialogSteps = std::move(steps);
    g_nextDialogStep = 0;
    g_idleTicks = 0;
    g_mainDialog = dialog->m_hWnd;
    const UINT_PTR stepper = ::SetTimer(nullptr, 0, 40, RunDialogStep);
    ::SendMessageA(dialog->m_hWnd, WM_COMMAND, command, 0);
    ::KillTimer(nullptr, stepper);
    EXPECT_EQ(g_nextDialogStep, g_dialogSteps.size()) << "every step ran";
    testing_user::Pump();
  };
  const auto type = [](std::string text) {
    return [text](HWND fileDialog) {
      ::SetFocus(::GetDlgItem(fileDialog, edt1));
      ::SetDlgItemTextA(fileDialog, edt1, "");
      tolvar::user::InjectText(text.c_str());
    };
  };
  const auto enter = [](HWND) {
    tolvar::user::InjectKey(VK_RETURN, true);
    tolvar::user::InjectKey(VK_RETURN, false);
  };
  // The name is new: the dialog asks whether to create it, and Enter answers Yes.
  run({{true, type(path)}, {true, enter}, {false, enter}}, daybook::CMD_FILE_SAVEAS);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_STREQ(dialog->DocumentPath(), path.c_str());
  EXPECT_FALSE(g_bDocumentModified);
  EXPECT_TRUE(g_boxes.empty());

  // The next session: the folder comes back from the registry.
  dialog->DestroyWindow();
  g_strLastFolder = "";
  manager->PA_RemovePrivatePhoneBook(3);
  dialog = std::make_unique<CDaybookDlg>(*manager);
  dialog->CreateEmbedded(nullptr);
  dialog->ShowWindow(SW_SHOW);
  EXPECT_STREQ(g_strLastFolder, folder.string().c_str());
  run({{true, type("mine.daybook")}, {true, enter}}, daybook::CMD_FILE_OPEN);
  EXPECT_STREQ(dialog->DocumentPath(), path.c_str());
  EXPECT_STREQ(Contact(3).strName, "Ada");
  EXPECT_TRUE(g_boxes.empty());
}

// A group chosen in the form by the user brings that group's default light into the new contact.
TEST_F(DaybookInputTest, AGroupChosenInTheFormBringsItsDefaults) {
  ASSERT_TRUE(dialog->Contacts().Model().SetGroupDefaults(1, 0, 0, 3));
  ClickAt(CentreOf(Item(IDC_NEW)));
  ASSERT_EQ(::SendMessageA(Item(IDC_LIGHT_COMBO), CB_GETCURSEL, 0, 0), 0);
  ::SetFocus(Item(IDC_GROUP_COMBO));
  tolvar::user::InjectKey(VK_DOWN, true);
  tolvar::user::InjectKey(VK_DOWN, false);
  testing_user::Pump();
  EXPECT_EQ(::SendMessageA(Item(IDC_GROUP_COMBO), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(::SendMessageA(Item(IDC_LIGHT_COMBO), CB_GETCURSEL, 0, 0), 3) << "group 1's default light";
  EXPECT_TRUE(::IsWindowEnabled(Item(IDC_APPLY)));
}

// With nothing selected and no add open, the fields other than the description start no edit: a
// check box clicked stays as it was and the focus goes to add; once a row is selected they work.
TEST_F(DaybookInputTest, FieldsStartNoEditWithNothingSelected) {
  PutToDo(0, "Taxes", CTime(2010, 1, 2, 0, 0, 0), CTime(2010, 2, 3, 0, 0, 0));
  struct Case {
    int pageButton, field, add, apply, list;
  };
  const Case cases[] = {{IDC_SCHEDULE_BUTTON, IDC_SCH_ALARM, IDC_SCH_ADD, IDC_SCH_APPLY, IDC_SCHEDULE_LIST},
                        {IDC_SCHEDULE_BUTTON, IDC_SCH_REPEAT, IDC_SCH_ADD, IDC_SCH_APPLY, IDC_SCHEDULE_LIST},
                        {IDC_TODO_BUTTON, IDC_TODO_DUE, IDC_TODO_ADD, IDC_TODO_APPLY, IDC_TODO_LIST},
                        {IDC_TODO_BUTTON, IDC_TODO_DONE, IDC_TODO_ADD, IDC_TODO_APPLY, IDC_TODO_LIST}};
  dialog->ToDo().RefreshList();
  for (const Case& c : cases) {
    ShowPage(c.pageButton);
    HWND page = PageOf(c.pageButton), field = ::GetDlgItem(page, c.field);
    ClickAt(CentreOf(field));
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, c.add)) << c.field;
    EXPECT_EQ(::IsDlgButtonChecked(page, c.field), 0u) << c.field;
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, c.apply))) << c.field;
    EXPECT_FALSE(::SendMessageA(field, CB_GETDROPPEDSTATE, 0, 0)) << c.field;
  }
  // A selected item: the done box begins an edit.
  HWND page = dialog->ToDo().m_hWnd;
  ClickAt(RowPoint(::GetDlgItem(page, IDC_TODO_LIST), 0, 4));
  ClickAt(CentreOf(::GetDlgItem(page, IDC_TODO_DONE)));
  EXPECT_EQ(::IsDlgButtonChecked(page, IDC_TODO_DONE), static_cast<UINT>(BST_CHECKED));
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_TODO_APPLY)));
}

// Where no one entry is being edited, with nothing selected or with several rows selected, the
// pickers and combos start no edit: a click on a picker's up-down buttons steps nothing (the value
// stays), a combo keeps no focus, the focus goes to add, and the store and the selection stay.
TEST_F(DaybookInputTest, PickersAndCombosStartNoEditWithNoneOrSeveralSelected) {
  PutSchedule(0, "Dentist", CTime(2010, 5, 6, 7, 8, 0));
  PutSchedule(1, "Barber", CTime(2010, 5, 7, 10, 0, 0));
  PutToDo(0, "Taxes", CTime(2010, 1, 2, 0, 0, 0), CTime(2010, 2, 3, 0, 0, 0));
  PutToDo(1, "Garden", CTime(2010, 3, 4, 0, 0, 0), CTime(2010, 4, 5, 0, 0, 0));
  struct Case {
    int pageButton, field;
    bool picker;
    int add, apply, list;
  };
  const Case cases[] = {
      {IDC_SCHEDULE_BUTTON, IDC_SCH_DATE, true, IDC_SCH_ADD, IDC_SCH_APPLY, IDC_SCHEDULE_LIST},
      {IDC_SCHEDULE_BUTTON, IDC_SCH_TIME, true, IDC_SCH_ADD, IDC_SCH_APPLY, IDC_SCHEDULE_LIST},
      {IDC_SCHEDULE_BUTTON, IDC_SCH_REPEAT, false, IDC_SCH_ADD, IDC_SCH_APPLY, IDC_SCHEDULE_LIST},
      {IDC_TODO_BUTTON, IDC_TODO_START, true, IDC_TODO_ADD, IDC_TODO_APPLY, IDC_TODO_LIST},
      {IDC_TODO_BUTTON, IDC_TODO_DUE, true, IDC_TODO_ADD, IDC_TODO_APPLY, IDC_TODO_LIST},
      {IDC_TODO_BUTTON, IDC_TODO_PRIORITY, false, IDC_TODO_ADD, IDC_TODO_APPLY, IDC_TODO_LIST}};
  ShowPage(IDC_SCHEDULE_BUTTON);
  ClickAt(CentreOf(::GetDlgItem(dialog->Schedule().m_hWnd, IDC_SHOW_ALL)));
  dialog->ToDo().RefreshList();
  const auto pickerValue = [](HWND picker) {
    SYSTEMTIME t{};
    ::SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
    return CTime(t);
  };
  for (const bool several : {false, true}) {
    for (const Case& c : cases) {
      const std::string name = std::to_string(c.field) + (several ? ", several selected" : ", none selected");
      ShowPage(c.pageButton);
      HWND page = PageOf(c.pageButton), field = ::GetDlgItem(page, c.field), list = ::GetDlgItem(page, c.list);
      ASSERT_EQ(RowCount(list), 2) << name;
      for (int row = 0; row < 2; ++row) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      }
      if (several) {
        Select(list, 0);
        Select(list, 1);
      }
      testing_user::Pump();
      const CTime before = c.picker ? pickerValue(field) : CTime();
      const LRESULT selBefore = ::SendMessageA(field, CB_GETCURSEL, 0, 0);
      RECT r;
      ::GetWindowRect(field, &r);
      // A picker's up button is the top half of the buttons at its right edge.
      ClickAt(c.picker ? POINT{r.right - 4, r.top + (r.bottom - r.top) / 4} : CentreOf(field));
      EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, c.add)) << name;
      EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, c.apply))) << name;
      if (c.picker) {
        EXPECT_EQ(pickerValue(field), before) << name;
      } else {
        EXPECT_FALSE(::SendMessageA(field, CB_GETDROPPEDSTATE, 0, 0)) << name;
        EXPECT_EQ(::SendMessageA(field, CB_GETCURSEL, 0, 0), selBefore) << name;
      }
      EXPECT_EQ(RowCount(list), 2) << name;
      const UINT selected = several ? static_cast<UINT>(LVIS_SELECTED) : 0u;
      EXPECT_EQ(RowState(list, 0), selected) << name;
      EXPECT_EQ(RowState(list, 1), selected) << name;
    }
  }
  daybook::CScheduleModel& schedule = dialog->Schedule().Model();
  EXPECT_EQ(schedule.Entry(0).tmStart, CTime(2010, 5, 6, 7, 8, 0));
  EXPECT_EQ(schedule.Entry(1).tmStart, CTime(2010, 5, 7, 10, 0, 0));
  EXPECT_EQ(schedule.UsedCount(), 2);
  EXPECT_EQ(dialog->ToDo().Model().UsedCount(), 2);
  EXPECT_FALSE(g_bDocumentModified);
  EXPECT_TRUE(g_boxes.empty());
}

// The group rename by keys, through the main dialog's key handling: Enter on the group list starts
// it, Down ends it (the name kept) and moves to the next group, Escape ends it writing nothing.
TEST_F(DaybookInputTest, TheGroupRenameKeys) {
  HWND list = Item(IDC_GROUP_LIST);
  const auto key = [this](HWND target, UINT vk) {
    MSG msg{target, WM_KEYDOWN, vk, 0, 0, {}};
    if (!dialog->PreTranslateMessage(&msg)) ::DispatchMessageA(&msg);
    testing_user::Pump();
  };
  const auto editor = [list] { return reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETEDITCONTROL, 0, 0)); };
  const auto groupName = [this](int g) {
    PA_GROUP_INFO group;
    manager->PA_GetGroup(&group, static_cast<short>(g));
    return std::string(group.strName);
  };
  Select(list, 4);
  ::SetFocus(list);
  key(list, VK_RETURN);
  ASSERT_NE(editor(), nullptr) << "Enter started the rename";
  ::SendMessageA(editor(), EM_SETSEL, 0, -1);
  for (char ch : std::string("Friends")) ::SendMessageA(editor(), WM_CHAR, static_cast<WPARAM>(ch), 1);
  key(editor(), VK_DOWN);
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(groupName(3), "Friends");
  EXPECT_EQ(RowState(list, 5), static_cast<UINT>(LVIS_SELECTED)) << "the next group is selected";

  key(list, VK_RETURN);
  ASSERT_NE(editor(), nullptr);
  for (char ch : std::string("Ignored")) ::SendMessageA(editor(), WM_CHAR, static_cast<WPARAM>(ch), 1);
  key(editor(), VK_ESCAPE);
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(groupName(4), "Group 04");
  EXPECT_TRUE(::IsWindow(dialog->m_hWnd)) << "Escape never closes the dialog";
}

// The header: the shown page's button in its dark bitmap, the others light; the program's icon.
TEST_F(DaybookInputTest, TheShownPagesButtonIsDarkAndTheProgramHasItsIcon) {
  EXPECT_NE(::SendMessageA(dialog->m_hWnd, WM_GETICON, ICON_BIG, 0), 0);
  const int buttons[3] = {IDC_CONTACTS_BUTTON, IDC_SCHEDULE_BUTTON, IDC_TODO_BUTTON};
  for (int shown : buttons) {
    ShowPage(shown);
    HBITMAP header = tolvar::user::RenderWindow(dialog->m_hWnd);
    ASSERT_TRUE(header);
    for (int button : buttons) {
      RECT r;
      ::GetWindowRect(::GetDlgItem(dialog->m_hWnd, button), &r);
      ::MapWindowPoints(nullptr, dialog->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
      // A point of the button's face beside its glyph, in client coordinates of the rendered window.
      POINT at{r.left + 4, (r.top + r.bottom) / 2};
      ::ClientToScreen(dialog->m_hWnd, &at);
      RECT window;
      ::GetWindowRect(dialog->m_hWnd, &window);
      const COLORREF face = testing_user::PixelAt(header, at.x - window.left, at.y - window.top);
      EXPECT_EQ(face == RGB(0x08, 0x2A, 0x82), button == shown) << "button " << button << " with page " << shown;
    }
    DeleteObject(header);
  }
}

// Several contacts selected: the combos show "<No change>" at once, so an apply meanwhile changes
// nothing, and the contacts' common values once the selection has rested 200 ms.
TEST_F(DaybookInputTest, SeveralContactsShowTheirCommonValuesOnceTheSelectionRests) {
  PA_PHONEBOOK_INFO c;
  for (short slot = 0; slot < 2; ++slot) {
    c.strName.Format("Contact %d", slot);
    c.bGroup = 2;
    c.bChoice = static_cast<BYTE>(slot + 1);  // the lights differ
    manager->PA_PutPhoneBook(&c, slot);
  }
  dialog->Contacts().RefillList();
  HWND list = Item(IDC_CONTACT_LIST), group = Item(IDC_GROUP_COMBO), light = Item(IDC_LIGHT_COMBO);
  const auto shown = [](HWND combo) { return static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0)); };
  const auto noChange = [](HWND combo) { return static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0)) - 1; };
  Select(list, 0);
  Select(list, 1);
  EXPECT_EQ(shown(group), noChange(group)) << "before the selection rests";
  EXPECT_TRUE(testing_user::PumpUntil([&] { return shown(group) == 2; }, 3000)) << "the common group";
  EXPECT_EQ(shown(light), noChange(light)) << "the lights differ";
}

// Every page's Download and Upload wear the kit's look, as its own row of buttons does.
TEST_F(DaybookInputTest, DownloadAndUploadLookLikeThePagesOtherButtons) {
  struct Page {
    int button, add;
  };
  const Page pages[] = {{IDC_CONTACTS_BUTTON, IDC_NEW}, {IDC_SCHEDULE_BUTTON, IDC_SCH_ADD}, {IDC_TODO_BUTTON, IDC_TODO_ADD}};
  for (const Page& p : pages) {
    ShowPage(p.button);
    HWND page = PageOf(p.button);
    HBITMAP picture = tolvar::user::RenderWindow(page);
    ASSERT_TRUE(picture);
    // A point of each button's face left of its text, in the page's client coordinates.
    auto face = [&](int id) {
      const RECT r = RectIn(page, ::GetDlgItem(page, id));
      return testing_user::PixelAt(picture, r.left + 3, (r.top + r.bottom) / 2);
    };
    for (int id : {IDC_DOWNLOAD, IDC_UPLOAD}) {
      EXPECT_EQ(face(id), face(p.add)) << "button " << id << " on the page of " << p.button;
    }
    DeleteObject(picture);
  }
}

}  // namespace
