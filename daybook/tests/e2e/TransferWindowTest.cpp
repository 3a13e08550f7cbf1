// Daybook's main dialog driving the transfer workers over the simulated phone: the pages' buttons
// and the cancel button clicked as the user would, the end messages read from the message boxes,
// and the dialog closed while a worker runs. Message boxes are answered by a thread timer.
#include "Daybook.h"
#include "DaybookDlg.h"
#include "Transfers.h"
#include "resource.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <MessageBoxDlg.h>
#include <ProgramManager.h>

#include <controls/ListView.h>
#include <phonesim/PhoneSimProcess.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

CWinApp theApp("daybook transfer window tests");

std::vector<std::string> g_boxes;
int g_answer = IDOK;

void AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
  for (const char* caption : {"Contacts", "Schedule", "ToDo"}) {
    for (HWND box = FindWindowExA(nullptr, nullptr, nullptr, caption); box;
         box = FindWindowExA(nullptr, box, nullptr, caption)) {
      if (!IsWindowVisible(box)) continue;
      if (auto* dialog = dynamic_cast<CMessageBoxDlg*>(CWnd::FromHandlePermanent(box))) {
        g_boxes.emplace_back(dialog->m_lpszText);
        dialog->EndDialog(g_answer);
        return;
      }
    }
  }
}

class TransferWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(phone.Start({.model = "Selka", .arguments = {"--baud", "2000000", "--off-time", "0"}})) << phone.Error();
    home = std::make_unique<QuietLinkHome>(phone.Home());
    std::ofstream(phone.Home() + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
    service = std::make_unique<LinkServiceHost>(phone.Home() + "/Phones.ini");
    ASSERT_NE(service->Port(), 0);
    QuietLinkHome::PointLibraryAt(service->Port());
    WriteSetting("Build", std::string("ZSE_0100"));
    WriteSetting("InitTimeOut", DWORD{300});
    WriteSetting("CommsTimeOut", DWORD{1500});
    ASSERT_TRUE(library.Load());
    manager = library.Start();
    ASSERT_NE(manager, nullptr);
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
    if (library.Manager()) library->PA_ClosePort();
    library.Unload();
    service.reset();
    phone.Stop();
    home.reset();
  }

  // Contacts on the phone, put there by an upload from the dialog, then forgotten on the PC side.
  void SeedContacts(int count) {
    for (short s = 0; s < count; ++s) {
      PA_PHONEBOOK_INFO contact;
      contact.strName = ("Person " + std::to_string(s)).c_str();
      contact.strNumber[0] = "0123";
      ASSERT_EQ(manager->PA_PutPhoneBook(&contact, s), PA_OK);
    }
    Command(daybook::CMD_UPLOAD);
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(g_boxes, std::vector<std::string>{Text(daybook::kTextComplete)});
    g_boxes.clear();
    for (short s = 0; s < 500; ++s) manager->PA_RemovePrivatePhoneBook(s);
    dialog->Contacts().RefreshGroups();
  }

  void Command(UINT id) { ::SendMessageA(dialog->m_hWnd, WM_COMMAND, id, 0); }
  HWND Item(CWnd& page, int id) { return ::GetDlgItem(page.m_hWnd, id); }
  void Click(CWnd& page, int id) {
    ::SendMessageA(page.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(page, id)));
  }
  static std::string Text(UINT id) { return static_cast<LPCSTR>(DaybookText(id)); }
  bool WaitForEnd() {
    return testing_user::PumpUntil([&] { return !dialog->TransferRunning() && ::IsWindowEnabled(::GetDlgItem(dialog->m_hWnd, IDC_FILE_BUTTON)); }, 120000);
  }
  int Rows(HWND list) { return static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
  // The records are moving: the bar no longer says "Detecting phone..." or "Retreiving resource
  // list." and has moved.
  bool RecordsMoving() {
    HWND bar = Item(dialog->Contacts(), IDC_CTS_PROGRESS);
    char text[64] = {};
    ::GetWindowTextA(bar, text, sizeof text);
    return ::IsWindowVisible(bar) && text[0] == '\0' && BarPosition() > 5;
  }
  int BarPosition() {
    return static_cast<int>(::SendMessageA(Item(dialog->Contacts(), IDC_CTS_PROGRESS), PBM_GETPOS, 0, 0));
  }

  phonesim::PhoneSimProcess phone;
  std::unique_ptr<QuietLinkHome> home;
  std::unique_ptr<LinkServiceHost> service;
  ManagerLibrary library;
  CManager* manager = nullptr;
  UINT_PTR timer = 0;
  std::unique_ptr<CDaybookDlg> dialog;
};

TEST_F(TransferWindowTest, TheDownloadButtonFillsThePageAndOffersThePhonesPictures) {
  SeedContacts(40);
  CContactsDlg& page = dialog->Contacts();
  Click(page, IDC_DOWNLOAD);
  testing_user::PumpUntil([&] { return dialog->TransferRunning(); }, 5000);
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog->m_hWnd, IDC_FILE_BUTTON)));
  ASSERT_TRUE(WaitForEnd());
  testing_user::PumpUntil([&] { return !g_boxes.empty(); }, 5000);
  EXPECT_EQ(g_boxes, std::vector<std::string>{Text(daybook::kTextComplete)});
  EXPECT_EQ(Rows(Item(page, IDC_CONTACT_LIST)), 40);
  EXPECT_FALSE(::IsWindowVisible(Item(page, IDC_CTS_PROGRESS)));
  EXPECT_FALSE(::IsWindowVisible(Item(page, IDC_CANCEL_TRANSFER)));
  EXPECT_TRUE(::IsWindowEnabled(Item(page, IDC_CONTACT_LIST)));
  // The placeholder and the phone's three pictures; the fetch marks the document modified.
  EXPECT_EQ(::SendMessageA(Item(page, IDC_PICTURE_COMBO), CB_GETCOUNT, 0, 0), 4);
  EXPECT_TRUE(g_bDocumentModified);
}

// The to-do page's Upload: the end is told with the page's caption, and the page is left with
// nothing to edit: add, and delete all since the list holds items.
TEST_F(TransferWindowTest, TheToDoUploadEndsWithTheListsButtons) {
  for (short s = 0; s < 3; ++s) {
    PA_TODO_INFO item;
    item.strDescription = ("Task " + std::to_string(s)).c_str();
    item.tmStart = CTime(2010, 2, 1 + s, 9, 0, 0);
    item.tmDue = CTime(2010, 3, 1 + s, 9, 0, 0);
    ASSERT_EQ(manager->PA_PutToDo(&item, s), PA_OK);
  }
  Command(IDC_TODO_BUTTON);
  CToDoDlg& page = dialog->ToDo();
  page.RefreshList();
  Click(page, IDC_UPLOAD);
  ASSERT_TRUE(testing_user::PumpUntil([&] { return !g_boxes.empty(); }, 60000));
  EXPECT_EQ(g_boxes, std::vector<std::string>{Text(daybook::kTextComplete)});
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(::IsWindowEnabled(Item(page, IDC_TODO_ADD)));
  EXPECT_TRUE(::IsWindowEnabled(Item(page, IDC_TODO_DELETE_ALL)));
  EXPECT_FALSE(::IsWindowEnabled(Item(page, IDC_TODO_DELETE)));
  EXPECT_TRUE(::IsWindowVisible(Item(page, IDC_UPLOAD)));
  EXPECT_EQ(Rows(Item(page, IDC_TODO_LIST)), 3);
}

// The to-do page in its first layout, for a phone whose to-do record has priority, category and
// private fields: an item shows them, and a picture of the page is kept.
TEST_F(TransferWindowTest, TheToDoPageInItsFullLayoutShowsPriorityCategoryAndPrivate) {
  ASSERT_TRUE(dialog->ToDo().Model().HasExtendedFields());
  PA_TODO_INFO item;
  item.strDescription = "Taxes";
  item.tmStart = CTime(2010, 1, 2, 9, 0, 0);
  item.tmDue = CTime(2010, 2, 3, 9, 0, 0);
  item.bPriority = 0;
  item.bCategory = 1;
  item.bPrivate = 1;
  item.bStatus = 1;
  ASSERT_EQ(manager->PA_PutToDo(&item, 0), PA_OK);
  item.strDescription = "Garden";
  item.bPrivate = 0;
  ASSERT_EQ(manager->PA_PutToDo(&item, 1), PA_OK);
  dialog->ShowWindow(SW_SHOW);
  Command(IDC_TODO_BUTTON);
  CToDoDlg& page = dialog->ToDo();
  page.RefreshList();
  LVITEMA row{};
  row.stateMask = row.state = LVIS_SELECTED;
  ::SendMessageA(Item(page, IDC_TODO_LIST), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&row));
  testing_user::Pump();
  for (int id : {IDC_TODO_PRIORITY, IDC_TODO_CATEGORY, IDC_TODO_PRIVATE, IDC_ICON_TODO_PRIORITY, IDC_ICON_TODO_CATEGORY,
                 IDC_ICON_TODO_PRIVATE}) {
    EXPECT_TRUE(::IsWindowVisible(Item(page, id))) << id;
  }
  EXPECT_EQ(::SendMessageA(Item(page, IDC_TODO_PRIORITY), CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(::SendMessageA(Item(page, IDC_TODO_CATEGORY), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(::IsDlgButtonChecked(page.m_hWnd, IDC_TODO_PRIVATE), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(::IsDlgButtonChecked(page.m_hWnd, IDC_TODO_DONE), static_cast<UINT>(BST_CHECKED));
  HBITMAP picture = tolvar::user::RenderWindow(dialog->m_hWnd);
  ASSERT_TRUE(picture);
  testing_user::SavePng(picture, "daybook_todo_full_layout");
  DeleteObject(picture);
  EXPECT_TRUE(g_boxes.empty());
}

// While a download runs, its bar and cancel button stand in for the page's row of buttons: no
// other control of the page shows over them.
TEST_F(TransferWindowTest, NothingShowsOverTheBarWhileATransferRuns) {
  SeedContacts(60);
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Late, 20));
  CContactsDlg& page = dialog->Contacts();
  Command(daybook::CMD_DOWNLOAD);
  ASSERT_TRUE(testing_user::PumpUntil([&] { return RecordsMoving(); }, 60000));
  HWND bar = Item(page, IDC_CTS_PROGRESS), cancel = Item(page, IDC_CANCEL_TRANSFER);
  ASSERT_TRUE(::IsWindowVisible(cancel));
  RECT barRect, cancelRect;
  ::GetWindowRect(bar, &barRect);
  ::GetWindowRect(cancel, &cancelRect);
  for (HWND child = ::GetWindow(page.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (child == bar || child == cancel || !::IsWindowVisible(child)) continue;
    RECT r, over;
    ::GetWindowRect(child, &r);
    EXPECT_FALSE(::IntersectRect(&over, &r, &barRect) || ::IntersectRect(&over, &r, &cancelRect))
        << "control " << ::GetDlgCtrlID(child) << " shows over the transfer's bar or its cancel button";
  }
  // And it comes back with the others, whatever the end.
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(::IsWindowVisible(Item(page, IDC_RESET_GROUPS)));
}

// On the schedule page the filter switches under the calendar go with the buttons while a
// transfer runs, so that no refill of the list can start under the worker, and come back as they
// were when it ends.
TEST_F(TransferWindowTest, TheScheduleFiltersGoWithTheButtonsWhileATransferRuns) {
  for (short s = 0; s < 60; ++s) {
    PA_SCHEDULE_INFO entry;
    entry.strDescription = ("Meeting " + std::to_string(s)).c_str();
    entry.tmStart = CTime(2010, 1 + s % 12, 1 + s % 28, s % 24, s % 60, 0);
    ASSERT_EQ(manager->PA_PutSchedule(&entry, s), PA_OK);
  }
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Late, 20));
  Command(IDC_SCHEDULE_BUTTON);
  CScheduleDlg& page = dialog->Schedule();
  Click(page, IDC_SHOW_ALL);  // the view the page must come back in
  HWND daily = Item(page, IDC_SHOW_DAILY), all = Item(page, IDC_SHOW_ALL);
  ASSERT_TRUE(::IsWindowVisible(daily) && ::IsWindowVisible(all));
  Command(daybook::CMD_UPLOAD);
  ASSERT_TRUE(testing_user::PumpUntil([&] { return ::IsWindowVisible(Item(page, IDC_SCH_PROGRESS)); }, 60000));
  EXPECT_FALSE(::IsWindowVisible(daily));
  EXPECT_FALSE(::IsWindowVisible(all));
  EXPECT_FALSE(::IsWindowVisible(Item(page, IDC_SCH_ADD)));
  EXPECT_FALSE(::IsWindowEnabled(Item(page, IDC_SCHEDULE_LIST)));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(::IsWindowVisible(daily));
  EXPECT_TRUE(::IsWindowVisible(all));
  EXPECT_EQ(::IsDlgButtonChecked(page.m_hWnd, IDC_SHOW_ALL), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(::IsDlgButtonChecked(page.m_hWnd, IDC_SHOW_DAILY), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(Rows(Item(page, IDC_SCHEDULE_LIST)), 60);
}

// The cancel button: No goes on, Yes cancels (421), and "wait..." ignores further clicks.
TEST_F(TransferWindowTest, CancelByClicks) {
  SeedContacts(300);
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Late, 20));  // a download long enough to answer twice
  CContactsDlg& page = dialog->Contacts();
  Command(daybook::CMD_DOWNLOAD);
  ASSERT_TRUE(testing_user::PumpUntil([&] { return RecordsMoving(); }, 60000));

  g_answer = IDNO;
  Click(page, IDC_CANCEL_TRANSFER);
  ASSERT_EQ(g_boxes, std::vector<std::string>{Text(daybook::kTextCancelQuestion)});
  EXPECT_TRUE(dialog->TransferRunning());
  const int before = BarPosition();
  ASSERT_TRUE(testing_user::PumpUntil([&] { return BarPosition() > before; }, 60000));  // it went on

  g_boxes.clear();
  g_answer = IDYES;
  Click(page, IDC_CANCEL_TRANSFER);
  char text[32] = {};
  ::GetWindowTextA(Item(page, IDC_CANCEL_TRANSFER), text, sizeof text);
  const bool cancelled = Text(daybook::kTextWait) == text;
  if (cancelled) {
    Click(page, IDC_CANCEL_TRANSFER);  // a cancel under way: no second question
    EXPECT_EQ(g_boxes.size(), 1u);
  }
  g_answer = IDOK;
  ASSERT_TRUE(WaitForEnd());
  testing_user::PumpUntil([&] { return g_boxes.size() >= 2; }, 5000);
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[0], Text(daybook::kTextCancelQuestion));
  // The Yes reached the running exchange unless the download had ended before the answer.
  EXPECT_EQ(g_boxes[1], Text(cancelled ? daybook::kTextCancelled : daybook::kTextComplete));
}

// Closing while a download runs: the worker is cancelled and joined before the dialog goes, by the
// launcher's close request, by the Close command (what Ctrl+F4 runs) and by the dialog's end alone.
TEST_F(TransferWindowTest, ClosingDuringATransferJoinsTheWorker) {
  SeedContacts(300);
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Late, 20));
  enum class Path { Request, Command, Destroyed };
  for (Path path : {Path::Request, Path::Command, Path::Destroyed}) {
    SCOPED_TRACE(path == Path::Request ? "close request" : path == Path::Command ? "close command" : "destroyed");
    if (!dialog) {
      dialog = std::make_unique<CDaybookDlg>(*manager);
      dialog->CreateEmbedded(nullptr);
    }
    Command(daybook::CMD_DOWNLOAD);
    ASSERT_TRUE(testing_user::PumpUntil([&] { return RecordsMoving(); }, 60000));
    g_boxes.clear();
    if (path != Path::Destroyed) {
      // The fetch changed the choices, so the document is modified: "No" to saving it.
      g_answer = IDNO;
      if (path == Path::Request) {
        EXPECT_TRUE(dialog->QueryClose());
      } else {
        Command(daybook::CMD_CLOSE);
      }
      EXPECT_FALSE(dialog->TransferRunning());
      ASSERT_EQ(g_boxes.size(), 1u);
      EXPECT_EQ(g_boxes[0], Text(397));
      g_boxes.clear();
    }
    dialog->DestroyWindow();
    dialog.reset();
    testing_user::Pump();
    EXPECT_TRUE(g_boxes.empty());  // a closing dialog tells nothing of the cancelled transfer
    g_answer = IDOK;
  }
}

}  // namespace
