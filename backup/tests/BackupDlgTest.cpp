// The main dialog, made from Backup's own resources and driven as the user drives it: check boxes
// clicked, commands sent. Message boxes and file dialogs are replaced by recorders.
#include "BackupDlg.h"
#include "FakePhone.h"
#include "TestBackupDlg.h"
#include "resource.h"

#include <MenuImageToolBar.h>

#include <registry/WinReg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

using namespace testing_user;
namespace fs = std::filesystem;

namespace {

CWinApp theApp("backup dialog tests");

class BackupDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    m_folder = fs::temp_directory_path() / ("backup_dlg_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
    fs::create_directories(m_folder);
  }
  void TearDown() override { fs::remove_all(m_folder); }

  std::unique_ptr<CTestBackupDlg> Make(const char* build) {
    auto dialog = std::make_unique<CTestBackupDlg>(build);
    dialog->CreateEmbedded(nullptr);
    Pump();
    return dialog;
  }
  static bool Checked(CWnd& dialog, UINT id) {
    return ::SendDlgItemMessageA(dialog.m_hWnd, static_cast<int>(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  static bool Enabled(CWnd& dialog, UINT id) { return ::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, static_cast<int>(id))); }
  static bool Visible(CWnd& dialog, UINT id) {
    return (::GetWindowLongA(::GetDlgItem(dialog.m_hWnd, static_cast<int>(id)), GWL_STYLE) & WS_VISIBLE) != 0;
  }
  static void Click(CWnd& dialog, UINT id) {
    ::SendDlgItemMessageA(dialog.m_hWnd, static_cast<int>(id), BM_CLICK, 0, 0);
    Pump();
  }
  static void Command(CWnd& dialog, UINT id) {
    ::SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    Pump();
  }
  std::string WriteFile(const char* name, DWORD kinds, bool backup = true) const {
    std::vector<char> bytes(128, 0);
    if (backup) std::memcpy(bytes.data(), "PMDC", 4);
    for (int i = 0; i < 4; ++i) bytes[68 + i] = static_cast<char>(kinds >> (8 * i));
    const std::string path = (m_folder / name).string();
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  fs::path m_folder;
};

TEST_F(BackupDlgTest, VariantsShowTheirRowsAndIModeTakesMmsPlace) {
  const struct {
    const char* build;
    bool movies, imode;
  } cases[] = {{"XX", false, false}, {"ZD", true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.build);
    auto dialog = Make(c.build);
    EXPECT_EQ(Visible(*dialog, IDC_BACKUP_MOVIES), c.movies);
    EXPECT_EQ(Visible(*dialog, IDC_RESTORE_MOVIES), c.movies);
    EXPECT_EQ(Visible(*dialog, IDC_LABEL_MOVIES), c.movies);
    EXPECT_EQ(Visible(*dialog, IDC_BACKUP_MMS), !c.imode);
    EXPECT_EQ(Visible(*dialog, IDC_BACKUP_IMODE), c.imode);
    EXPECT_EQ(Checked(*dialog, IDC_BACKUP_MOVIES), c.movies);
    EXPECT_TRUE(Checked(*dialog, IDC_BACKUP_ALL));
    EXPECT_FALSE(Enabled(*dialog, IDC_RESTORE));
    EXPECT_FALSE(Enabled(*dialog, IDC_RESTORE_CONTACTS));
    if (c.imode) {
      RECT mms{}, imode{};
      ::GetWindowRect(::GetDlgItem(dialog->m_hWnd, IDC_BACKUP_MMS), &mms);
      ::GetWindowRect(::GetDlgItem(dialog->m_hWnd, IDC_BACKUP_IMODE), &imode);
      EXPECT_EQ(mms.top, imode.top);
      EXPECT_EQ(mms.left, imode.left);
    }
    dialog->DestroyWindow();
  }
}

// Every command of the File menu has its own 16 by 16 picture in the program's resources.
TEST(BackupResources, EveryFileMenuCommandHasItsPicture) {
  MenuImageToolBar pictures;
  ASSERT_TRUE(pictures.LoadToolBar(IDR_FILE_MENU));
  EXPECT_EQ(pictures.ImageWidth(), 16);
  EXPECT_EQ(pictures.ImageHeight(), 16);
  BITMAP bitmap{};
  ASSERT_TRUE(GetObjectA(pictures.Bitmap(), sizeof bitmap, &bitmap));
  EXPECT_EQ(bitmap.bmWidth, 4 * 16);
  EXPECT_EQ(bitmap.bmHeight, 16);
  const UINT commands[] = {ID_FILE_OPEN, ID_FILE_BACKUP, ID_FILE_RESTORE, ID_FILE_CLOSE};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(pictures.ImageOfCommand(commands[i]), i) << commands[i];
}

TEST_F(BackupDlgTest, RowClicksFollowTheRulesAndWarnWithTheNames) {
  auto dialog = Make("ZX");
  Click(*dialog, IDC_BACKUP_ALL);  // everything off
  EXPECT_FALSE(Checked(*dialog, IDC_BACKUP_CONTACTS));
  EXPECT_FALSE(Checked(*dialog, IDC_BACKUP_MELODIES));
  Click(*dialog, IDC_BACKUP_CONTACTS);
  Click(*dialog, IDC_BACKUP_SCHEDULE);
  EXPECT_TRUE(Checked(*dialog, IDC_BACKUP_MELODIES));
  EXPECT_TRUE(Checked(*dialog, IDC_BACKUP_PICTURES));
  Click(*dialog, IDC_BACKUP_MELODIES);
  EXPECT_FALSE(Checked(*dialog, IDC_BACKUP_MELODIES));
  ASSERT_EQ(dialog->messages.size(), 1u);
  EXPECT_EQ(dialog->messages[0],
            "Warning: Unchecking this item, the Contacts && Schedule may not be backed-up properly. ");
  EXPECT_EQ(dialog->Model().BackupKinds(), BCK_KIND_CONTACTS | BCK_KIND_SCHEDULE | BCK_KIND_PICTURES);
  dialog->DestroyWindow();
}

TEST_F(BackupDlgTest, OpenShowsAFilesKindsAndRefusesAFileThatIsNoBackup) {
  auto dialog = Make("ZX");
  const std::string good = WriteFile("good.bck", BCK_KIND_CONTACTS | BCK_KIND_MELODIES | 0x280);
  const std::string bad = WriteFile("bad.bck", 0x3FE, false);

  dialog->nextFile = good;
  Command(*dialog, IDC_OPEN);
  EXPECT_TRUE(dialog->messages.empty());
  EXPECT_TRUE(Enabled(*dialog, IDC_RESTORE));
  EXPECT_TRUE(Checked(*dialog, IDC_RESTORE_CONTACTS));
  EXPECT_TRUE(Checked(*dialog, IDC_RESTORE_SMS));
  EXPECT_FALSE(Enabled(*dialog, IDC_RESTORE_PICTURES));
  EXPECT_TRUE(Checked(*dialog, IDC_RESTORE_ALL));
  EXPECT_EQ(dialog->LastFolder(), CString(m_folder.string().c_str()));
  const int lines = dialog->LogList().GetItemCount();
  ASSERT_GE(lines, 2);
  EXPECT_EQ(dialog->LogList().GetItemText(lines - 1, 0), CString(("&Open " + good).c_str()));
  EXPECT_EQ(dialog->LogList().GetItemData(lines - 1), static_cast<DWORD_PTR>(CBackupDlg::kHeadline));

  // The kinds of the earlier file must not stay behind.
  dialog->nextFile = bad;
  Command(*dialog, ID_FILE_OPEN);
  ASSERT_EQ(dialog->messages.size(), 1u);
  EXPECT_EQ(dialog->messages[0], "The file you selected is not a backup file.");
  EXPECT_FALSE(Enabled(*dialog, IDC_RESTORE));
  EXPECT_FALSE(Checked(*dialog, IDC_RESTORE_CONTACTS));
  EXPECT_FALSE(Enabled(*dialog, IDC_RESTORE_CONTACTS));
  EXPECT_FALSE(dialog->Model().RestoreEnabled());
  dialog->DestroyWindow();
}

TEST_F(BackupDlgTest, CommandsAreGuarded) {
  auto dialog = Make("XX");
  // Restore before a file was opened, and Backup with nothing checked, do nothing.
  Command(*dialog, IDC_RESTORE);
  ::SendMessageA(dialog->m_hWnd, WM_KEYDOWN, 0x78, 0);
  Click(*dialog, IDC_BACKUP_ALL);
  Command(*dialog, IDC_BACKUP);
  EXPECT_EQ(dialog->fileDialogs, 0);
  // F8 with a row checked asks for the file.
  Click(*dialog, IDC_BACKUP_TODO);
  MSG key{dialog->m_hWnd, WM_KEYDOWN, 0x77, 0, 0, {}};
  EXPECT_TRUE(dialog->PreTranslateMessage(&key));
  EXPECT_EQ(dialog->fileDialogs, 1);
  // Escape is swallowed: the dialog stays.
  MSG escape{dialog->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  EXPECT_TRUE(dialog->PreTranslateMessage(&escape));
  Command(*dialog, IDCANCEL);
  EXPECT_TRUE(::IsWindow(dialog->m_hWnd));
  dialog->DestroyWindow();
}

TEST_F(BackupDlgTest, LogLinesKeepTheirKinds) {
  auto dialog = Make("XX");
  CBackupLogList& log = dialog->LogList();
  const int before = log.GetItemCount();
  dialog->AddLogLine("a\r\nb\r\n", CBackupDlg::kStep);
  dialog->AddLogLine("photo.jpg saved\n", CBackupDlg::kFile);
  dialog->AddLogLine("\n\n", CBackupDlg::kHeadline);
  const std::vector<std::pair<const char*, int>> expected{{"a", 0}, {"b", 0}, {"photo.jpg saved", 1}, {"", 2}, {"", 2}};
  ASSERT_EQ(log.GetItemCount(), before + static_cast<int>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(log.GetItemText(before + static_cast<int>(i), 0), CString(expected[i].first));
    EXPECT_EQ(static_cast<int>(log.GetItemData(before + static_cast<int>(i))), expected[i].second);
  }
  dialog->DestroyWindow();
}

TEST_F(BackupDlgTest, TheLastFolderIsKeptInTheRegistry) {
  const std::string file = WriteFile("kept.bck", BCK_KIND_TODO);
  {
    auto dialog = Make("XX");
    dialog->nextFile = file;
    Command(*dialog, IDC_OPEN);
    dialog->DestroyWindow();
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Backup\\Path", 0, KEY_READ, &key), ERROR_SUCCESS);
  char value[512] = {};
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(value), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::string(value), m_folder.string() + "/");
  // A new dialog starts there: the folder itself, not its parent.
  auto again = Make("XX");
  EXPECT_EQ(again->LastFolder(), CString(m_folder.string().c_str()));
  again->DestroyWindow();
}

TEST_F(BackupDlgTest, TheSystemMenuOpensTheAboutBox) {
  auto dialog = Make("XX");
  static bool seen = false, icon = false;
  seen = icon = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND about = FindWindowA(nullptr, "About Backup");
    if (!about || !IsWindowVisible(about)) return;
    char text[64] = {};
    ::GetDlgItemTextA(about, IDC_ABOUT_TEXT, text, sizeof(text));
    seen = std::string(text) == "Backup Version 1.0";
    icon = ::SendDlgItemMessageA(about, IDC_ABOUT_ICON, STM_GETICON, 0, 0) != 0;
    if (HBITMAP picture = tolvar::user::RenderWindow(about)) {
      SavePng(picture, "backup_about_box");
      DeleteObject(picture);
    }
    if (auto* box = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(about))) box->EndDialog(IDOK);
  });
  ::SendMessageA(dialog->m_hWnd, WM_SYSCOMMAND, 0x10, 0);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(icon);
  dialog->DestroyWindow();
}

}  // namespace

namespace {

// Pictures for a person to look at ($TEST_PNG_DIR): each variant, a file's kinds shown with the
// log's three kinds of line.
TEST_F(BackupDlgTest, Pictures) {
  for (const char* build : {"XX", "ZX", "XD"}) {
    auto dialog = Make(build);
    HBITMAP picture = tolvar::user::RenderWindow(dialog->m_hWnd);
    ASSERT_TRUE(picture);
    SavePng(picture, (std::string("backup_dialog_") + build).c_str());
    DeleteObject(picture);
    dialog->DestroyWindow();
  }
  auto dialog = Make("ZX");
  dialog->nextFile = WriteFile("shown.bck", BCK_KIND_CONTACTS | BCK_KIND_PICTURES | BCK_KIND_MELODIES | 0x280);
  Command(*dialog, IDC_OPEN);
  dialog->AddLogLine("Saving  Contacts ...", CBackupDlg::kStep);
  dialog->AddLogLine("photo.jpg saved", CBackupDlg::kFile);
  dialog->AddLogLine("Transfer complete. Your phone has been switched off. You can now turn it on.", CBackupDlg::kHeadline);
  Pump();
  HBITMAP picture = tolvar::user::RenderWindow(dialog->m_hWnd);
  ASSERT_TRUE(picture);
  SavePng(picture, "backup_dialog_file_kinds_and_log");
  DeleteObject(picture);

  // The File button's menu, as it opens under the button.
  static HBITMAP menuPicture = nullptr;
  menuPicture = nullptr;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu) || menuPicture) return;
    menuPicture = tolvar::user::RenderWindow(menu);
    EndMenu();
  });
  Click(*dialog, IDC_FILE_MENU);
  KillTimer(nullptr, timer);
  ASSERT_TRUE(menuPicture);
  SavePng(menuPicture, "backup_file_menu");
  DeleteObject(menuPicture);
  dialog->DestroyWindow();
}

}  // namespace

namespace {

bool Shown(CWnd& dialog, UINT id) { return ::IsWindowVisible(::GetDlgItem(dialog.m_hWnd, static_cast<int>(id))) != FALSE; }

TEST_F(BackupDlgTest, ABackupRunsOnItsWorkerAndEndsWithItsMessage) {
  auto dialog = Make("ZX");
  const std::string path = (m_folder / "run.bck").string();
  dialog->nextFile = path;
  Command(*dialog, IDC_BACKUP);
  EXPECT_TRUE(dialog->Running() || !dialog->messages.empty());
  ASSERT_TRUE(PumpUntil([&] { return !dialog->Running() && !dialog->messages.empty(); }));
  EXPECT_EQ(dialog->messages.back(), "Transfer complete. Your phone has been switched off. You can now turn it on.");
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(CheckBackupFile(path.c_str()), BCK_OK);
  // The new file's kinds stand in the restore column; the idle state is back.
  EXPECT_TRUE(Checked(*dialog, IDC_RESTORE_CONTACTS));
  EXPECT_TRUE(Enabled(*dialog, IDC_RESTORE));
  EXPECT_TRUE(Shown(*dialog, IDC_BACKUP));
  EXPECT_FALSE(Shown(*dialog, IDC_CANCEL_RUN));
  EXPECT_FALSE(Shown(*dialog, IDC_PROGRESS));
  CBackupLogList& log = dialog->LogList();
  EXPECT_EQ(log.GetItemText(log.GetItemCount() - 1, 0), CString(dialog->messages.back().c_str()));

  // The file goes back, and its kinds stay shown.
  Command(*dialog, IDC_RESTORE);
  ASSERT_TRUE(PumpUntil([&] { return !dialog->Running() && dialog->messages.size() == 2; }));
  EXPECT_EQ(dialog->messages.back(), "Transfer complete. Your phone has been switched off. You can now turn it on.");
  EXPECT_TRUE(Checked(*dialog, IDC_RESTORE_CONTACTS));
  EXPECT_TRUE(Enabled(*dialog, IDC_RESTORE));
  dialog->DestroyWindow();
}

// While the phone is being detected the bar runs in its busy look, stepped by the dialog's own
// timer, and the wait cursor shows at once (under a pointer that rests); the run's end takes both
// away.
TEST_F(BackupDlgTest, TheBarIsBusyWhileThePhoneIsDetected) {
  auto dialog = Make("ZX");
  dialog->fill = [](FakePhone& p) {
    Fill(p);
    p.hold->detection = true;
  };
  dialog->nextFile = (m_folder / "busy.bck").string();
  Command(*dialog, IDC_BACKUP);
  ASSERT_TRUE(PumpUntil([&] { return dialog->phone && dialog->phone->hold->waiting.load(); }));
  const HWND bar = ::GetDlgItem(dialog->m_hWnd, IDC_PROGRESS);
  constexpr LONG kBusyLook = 0xA000;
  ASSERT_TRUE(PumpUntil([&] { return (::GetWindowLongA(bar, GWL_STYLE) & kBusyLook) == kBusyLook; }));
  const LRESULT start = ::SendMessageA(bar, PBM_GETPOS, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return ::SendMessageA(bar, PBM_GETPOS, 0, 0) != start; }));
  EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_APPSTARTING));
  dialog->phone->hold->released = true;
  ASSERT_TRUE(PumpUntil([&] { return !dialog->Running() && !dialog->messages.empty(); }));
  EXPECT_EQ(::GetWindowLongA(bar, GWL_STYLE) & kBusyLook, 0);
  EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_ARROW));

  // The file just written goes back: the same look while the phone is detected.
  Command(*dialog, IDC_RESTORE);
  ASSERT_TRUE(PumpUntil([&] { return dialog->Running() && dialog->phone->hold->waiting.load(); }));
  EXPECT_TRUE(PumpUntil([&] { return (::GetWindowLongA(bar, GWL_STYLE) & kBusyLook) == kBusyLook; }));
  Pump();
  if (HBITMAP picture = tolvar::user::RenderWindow(dialog->m_hWnd)) {
    SavePng(picture, "backup_dialog_during_restore");
    DeleteObject(picture);
  }
  dialog->phone->hold->released = true;
  ASSERT_TRUE(PumpUntil([&] { return !dialog->Running() && dialog->messages.size() == 2; }));
  EXPECT_EQ(::GetWindowLongA(bar, GWL_STYLE) & kBusyLook, 0);
  dialog->DestroyWindow();
}

// Hosted in the launcher the dialog is wider than its template: the header's right end (the
// static and the File button beside it) moves with the right edge, and the static does not cover
// the button.
TEST_F(BackupDlgTest, TheFileButtonKeepsItsPlaceWhenTheDialogWidens) {
  auto dialog = Make("ZX");
  auto place = [&](UINT id) {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(dialog->m_hWnd, static_cast<int>(id)), &rect);
    ::MapWindowPoints(nullptr, dialog->m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  auto fromRight = [&] {
    RECT client{};
    ::GetClientRect(dialog->m_hWnd, &client);
    return client.right - place(IDC_FILE_MENU).right;
  };
  const int before = fromRight();
  RECT window{};
  ::GetWindowRect(dialog->m_hWnd, &window);
  ::SetWindowPos(dialog->m_hWnd, nullptr, 0, 0, window.right - window.left + 90, window.bottom - window.top + 100,
                 SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(fromRight(), before);
  const RECT file = place(IDC_FILE_MENU), logo = place(IDC_STATIC_1075);
  RECT overlap{};
  EXPECT_FALSE(::IntersectRect(&overlap, &file, &logo));
  dialog->DestroyWindow();
}

// A close request while a run goes on: No keeps the run and refuses the close; Yes cancels it,
// waits for the worker and lets the dialog go, with no file left.
TEST_F(BackupDlgTest, ACloseDuringARunAsksFirst) {
  auto dialog = Make("XX");
  dialog->fill = [](FakePhone& p) {
    Fill(p);
    p.hold->on = true;
  };
  const std::string path = (m_folder / "closed.bck").string();
  dialog->nextFile = path;
  Command(*dialog, IDC_BACKUP);
  ASSERT_TRUE(dialog->Running());
  ASSERT_TRUE(PumpUntil([&] { return dialog->phone->hold->waiting.load(); }));
  EXPECT_TRUE(Shown(*dialog, IDC_CANCEL_RUN));
  EXPECT_FALSE(Enabled(*dialog, IDC_BACKUP_CONTACTS));
  Pump();
  if (HBITMAP picture = tolvar::user::RenderWindow(dialog->m_hWnd)) {
    SavePng(picture, "backup_dialog_during_backup");
    DeleteObject(picture);
  }

  dialog->answers = {IDNO};
  EXPECT_FALSE(dialog->QueryClose());
  EXPECT_TRUE(dialog->Running());
  EXPECT_EQ(dialog->messages.back(), "Are you sure you want to cancel the transfer? ");

  dialog->answers = {IDYES};
  EXPECT_TRUE(dialog->QueryClose());
  EXPECT_FALSE(dialog->Running());
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(fs::exists(m_folder) ? std::distance(fs::directory_iterator(m_folder), {}) : 0, 0);
  dialog->DestroyWindow();
}

TEST_F(BackupDlgTest, CancelAsksWhileTheRunGoesOnAndEndsItWith421) {
  auto dialog = Make("XX");
  dialog->fill = [](FakePhone& p) {
    Fill(p);
    p.hold->on = true;
  };
  const std::string path = (m_folder / "cancelled.bck").string();
  dialog->nextFile = path;
  Command(*dialog, IDC_BACKUP);
  ASSERT_TRUE(PumpUntil([&] { return dialog->phone && dialog->phone->hold->waiting.load(); }));
  // A second Backup while the run goes on starts nothing and asks for no file.
  Command(*dialog, ID_FILE_BACKUP);
  EXPECT_EQ(dialog->fileDialogs, 1);
  dialog->answers = {IDYES};
  Command(*dialog, IDC_CANCEL_RUN);
  ASSERT_TRUE(PumpUntil([&] { return !dialog->Running() && dialog->messages.size() >= 2; }));
  EXPECT_EQ(dialog->messages.back(), "Transfer canceled. Your phone has been switched off. You can now turn it on. ");
  EXPECT_FALSE(fs::exists(path));
  dialog->DestroyWindow();
}

}  // namespace
