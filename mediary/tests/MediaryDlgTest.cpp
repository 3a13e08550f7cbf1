// The main dialog from Mediary's own resources, driven as the user drives it, with a phone in
// memory: a Get runs on the worker while the window stays responsive, timer 501 steps the bar on
// the window's thread during detection, the cancel question and a close during a run.
#include "MediaFiles.h"
#include "MediaryDlg.h"
#include "MemPhone.h"
#include "resource.h"

#include <MenuImageToolBar.h>
#include <MessageBoxDlg.h>
#include <StringLoader.h>
#include <base/TemporaryHome.h>
#include <imaging/Startup.h>
#include <registry/WinReg.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

using namespace testing_user;

namespace {

CWinApp theApp("mediary dialog tests");

class CTestMediaryDlg : public CMediaryDlg {
 public:
  CTestMediaryDlg() : CMediaryDlg(nullptr) {}
  std::vector<std::string> messages;
  std::vector<int> answers;
  HangingPhone* phone = nullptr;

 protected:
  int ShowMessage(const CString& text, UINT) override {
    messages.emplace_back(static_cast<LPCSTR>(text));
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::unique_ptr<IMediaryPhone> MakePhone() override {
    auto made = std::make_unique<HangingPhone>();
    phone = made.get();
    return made;
  }
};

LRESULT Position(CWnd& dialog) { return ::SendDlgItemMessageA(dialog.m_hWnd, IDC_PROGRESS, PBM_GETPOS, 0, 0); }
bool Visible(CWnd& dialog, UINT id) {
  return (::GetWindowLongA(::GetDlgItem(dialog.m_hWnd, int(id)), GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST(MediaryDlg, GetRunsOnTheWorkerAndACloseDuringItCancelsAndJoins) {
  CTestMediaryDlg dialog;
  dialog.answers = {IDYES};  // the language question
  dialog.CreateEmbedded(nullptr);
  Pump();
  ASSERT_TRUE(dialog.phone);
  ::SetFocus(::GetDlgItem(dialog.m_hWnd, IDC_GET));  // as a click on it leaves it
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  ASSERT_TRUE(dialog.Busy());
  // The disabled button handed the focus on to a control that takes keys.
  const HWND focus = ::GetFocus();
  EXPECT_TRUE(focus && ::IsWindowEnabled(focus) && ::IsWindowVisible(focus));
  dialog.phone->WaitUntilWaiting();
  // The timer belongs to this thread: the bar moves while the worker waits in the detection.
  EXPECT_TRUE(PumpUntil([&] { return Position(dialog) > 3; }));
  const auto searching = [&] {
    return (::GetWindowLongA(::GetDlgItem(dialog.m_hWnd, IDC_PROGRESS), GWL_STYLE) & 0xA000) == 0xA000;
  };
  EXPECT_TRUE(searching());
  EXPECT_TRUE(Visible(dialog, IDC_CANCEL_RUN));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, IDC_GET)));
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);  // a second Get while busy does nothing
  EXPECT_EQ(dialog.messages.size(), 1u);

  // The cancel question answered No leaves the run going; a close answered No keeps the window.
  dialog.answers = {IDNO, IDNO};
  dialog.SendMessage(WM_COMMAND, IDC_CANCEL_RUN, 0);
  EXPECT_FALSE(dialog.QueryClose());
  EXPECT_TRUE(dialog.Busy());
  EXPECT_EQ(dialog.phone->cancels, 0);

  // Yes: the run is cancelled at its wait and joined before the dialog may end; no more questions.
  dialog.answers = {IDYES};
  EXPECT_TRUE(dialog.QueryClose());
  EXPECT_FALSE(dialog.Busy());
  EXPECT_EQ(dialog.phone->cancels, 1);
  EXPECT_EQ(dialog.messages.size(), 4u);  // language, cancel, close, close
  dialog.DestroyWindow();
}

TEST(MediaryDlg, CancelYesEndsTheRunWithoutATextAndEnablesTheCommands) {
  CTestMediaryDlg dialog;
  dialog.answers = {IDYES};
  dialog.CreateEmbedded(nullptr);
  Pump();
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  dialog.phone->WaitUntilWaiting();
  dialog.answers = {IDYES};
  dialog.SendMessage(WM_COMMAND, IDC_CANCEL_RUN, 0);
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Busy() && ::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, IDC_GET)); }));
  Pump();
  EXPECT_FALSE(Visible(dialog, IDC_CANCEL_RUN));
  EXPECT_FALSE(Visible(dialog, IDC_PROGRESS));
  EXPECT_EQ(::GetWindowLongA(::GetDlgItem(dialog.m_hWnd, IDC_PROGRESS), GWL_STYLE) & 0xA000, 0);
  EXPECT_EQ(dialog.messages.size(), 2u);  // the language and the cancel question; a cancelled detection says nothing
  EXPECT_EQ(dialog.phone->powerOffs, 1);
  dialog.DestroyWindow();
}

// A run whose work is over stays busy until its end has been handled on the window's thread: a Get
// in between does nothing, and the next run's controls are not enabled by the first run's end.
TEST(MediaryDlg, ARunIsBusyUntilItsEndIsHandledHere) {
  CTestMediaryDlg dialog;
  dialog.answers = {IDYES};
  dialog.CreateEmbedded(nullptr);
  Pump();
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  dialog.phone->WaitUntilWaiting();
  dialog.answers = {IDYES};
  dialog.SendMessage(WM_COMMAND, IDC_CANCEL_RUN, 0);  // a cancelled detection ends without a word
  // Nothing pumped: the worker ends, its end-of-run message waits here.
  const auto over = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (dialog.phone->closes == 0 && std::chrono::steady_clock::now() < over) std::this_thread::yield();
  ASSERT_EQ(dialog.phone->closes, 1);
  const auto watched = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  bool freed = false;
  while (!freed && std::chrono::steady_clock::now() < watched) freed = !dialog.Busy();
  EXPECT_FALSE(freed) << "free before its end was handled";
  {
    std::lock_guard lock(dialog.phone->m);
    dialog.phone->cancelled = dialog.phone->waiting = false;
  }
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);  // does nothing yet

  // Handled: the next Get runs, its controls disabled until its own end.
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Busy(); }));
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, IDC_GET)));
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  dialog.phone->WaitUntilWaiting();
  Pump();
  EXPECT_TRUE(dialog.Busy());
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, IDC_GET)));
  dialog.answers = {IDYES};
  EXPECT_TRUE(dialog.QueryClose());
  dialog.DestroyWindow();
}

// Shown again, the dialog gives the launcher its free-space text anew; before any Get it has none.
TEST(MediaryDlg, ShowingAgainStoresTheFreeSpaceStatus) {
  CTestMediaryDlg dialog;
  dialog.answers = {IDYES};
  dialog.CreateEmbedded(nullptr);
  Pump();
  CSharedMemory reader;
  reader.SetName(kStatusRecordName);
  ASSERT_TRUE(reader.Open(kStatusRecordSize));
  const auto showAgain = [&] {
    dialog.PostStatusToLauncher("stale");
    dialog.ShowWindow(SW_HIDE);
    dialog.ShowWindow(SW_SHOW);
    Pump();
    return std::string(reader.ReadText());
  };
  EXPECT_EQ(showAgain(), "");

  dialog.phone->hang = false;
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Busy(); }));
  Pump();
  EXPECT_EQ(showAgain(), "4096 bytes free");
  dialog.DestroyWindow();
}

TEST(MediaryDlg, ViewKindCommands) {
  CTestMediaryDlg dialog;  // no "Build" in the test's settings: a variant without movies
  dialog.CreateEmbedded(nullptr);
  Pump();
  char label[64] = {};
  dialog.SendMessage(WM_COMMAND, ID_VIEW_MELODIES, 0);
  ::GetDlgItemTextA(dialog.m_hWnd, IDC_KIND_LABEL, label, sizeof label);
  EXPECT_STREQ(label, "Melodies");
  EXPECT_EQ(dialog.PhoneModel().GetKind(), 1);
  dialog.SendMessage(WM_COMMAND, IDC_MOVIES, 0);
  EXPECT_EQ(dialog.PhoneModel().GetKind(), 1);
  EXPECT_FALSE(Visible(dialog, IDC_MOVIES));
  dialog.SendMessage(WM_COMMAND, IDC_IMAGES, 0);
  ::GetDlgItemTextA(dialog.m_hWnd, IDC_KIND_LABEL, label, sizeof label);
  EXPECT_STREQ(label, "Images");
  dialog.DestroyWindow();
}

RECT Place(CWnd& dialog, UINT id) {
  RECT rect{};
  ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, int(id)), &rect);
  ::MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST(MediaryDlg, LayoutFollowsTheSize) {
  CTestMediaryDlg dialog;
  dialog.CreateEmbedded(nullptr);
  Pump();
  RECT client{};
  ::GetClientRect(dialog.m_hWnd, &client);
  const RECT get = Place(dialog, IDC_GET), cancel = Place(dialog, IDC_CANCEL_RUN), pc = Place(dialog, IDC_PC_FRAME),
             phone = Place(dialog, IDC_PHONE_FRAME), arrow = Place(dialog, IDC_TO_PC),
             picture = Place(dialog, IDC_PHONE_PICTURE), preview = Place(dialog, IDC_PREVIEW_WINDOW);
  ASSERT_GT(preview.right, preview.left);
  // 41 and 61 more pixels: odd changes count as 40 and 60.
  dialog.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right + 41, client.bottom + 61));
  EXPECT_EQ(Place(dialog, IDC_GET).top, get.top + 60);
  EXPECT_EQ(Place(dialog, IDC_GET).left, get.left);
  EXPECT_EQ(Place(dialog, IDC_CANCEL_RUN).left, cancel.left + 40);
  EXPECT_EQ(Place(dialog, IDC_PC_FRAME).right, pc.right + 40);
  EXPECT_EQ(Place(dialog, IDC_PC_FRAME).bottom, pc.bottom + 30);
  EXPECT_EQ(Place(dialog, IDC_PHONE_FRAME).top, phone.top + 30);
  EXPECT_EQ(Place(dialog, IDC_PHONE_FRAME).bottom, phone.bottom + 60);
  EXPECT_EQ(Place(dialog, IDC_TO_PC).left, arrow.left + 20);
  // The preview keeps its place in the phone picture's screen.
  EXPECT_EQ(Place(dialog, IDC_PHONE_PICTURE).left, picture.left + 40);
  EXPECT_EQ(Place(dialog, IDC_PREVIEW_WINDOW).left - Place(dialog, IDC_PHONE_PICTURE).left, preview.left - picture.left);
  EXPECT_EQ(Place(dialog, IDC_PREVIEW_WINDOW).top, preview.top);
  const RECT list = Place(dialog, IDC_PHONE_LIST), frame = Place(dialog, IDC_PHONE_FRAME);
  EXPECT_EQ(list.left, frame.left + 1);
  EXPECT_EQ(list.bottom, frame.bottom - 1);
  dialog.DestroyWindow();
}

// In the launcher the dialog is 140 pixels narrower than its template, which would leave the
// progress bar a third of its width, too narrow for its texts: during a run it then takes the row
// of the (disabled) command buttons as well. At the template's size they stay where they are.
TEST(MediaryDlg, TheProgressBarKeepsRoomForItsTextsInTheLaunchersPane) {
  CTestMediaryDlg dialog;
  dialog.answers = {IDYES};
  dialog.CreateEmbedded(nullptr);
  Pump();
  const RECT full = Place(dialog, IDC_PROGRESS);
  const auto run = [&] {
    dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
    dialog.phone->WaitUntilWaiting();
    Pump();
  };
  const auto cancel = [&] {
    dialog.answers = {IDYES};
    dialog.SendMessage(WM_COMMAND, IDC_CANCEL_RUN, 0);
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Busy(); }));
    Pump();
    std::lock_guard lock(dialog.phone->m);
    dialog.phone->cancelled = dialog.phone->waiting = false;
  };
  run();
  EXPECT_EQ(Place(dialog, IDC_PROGRESS).left, full.left);
  EXPECT_TRUE(Visible(dialog, IDC_DELETE));
  cancel();

  RECT window{};
  dialog.GetWindowRect(&window);
  dialog.SetWindowPos(nullptr, 0, 0, window.right - window.left - 140, window.bottom - window.top + 22,
                      SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Place(dialog, IDC_PROGRESS).right, full.right - 140);
  run();
  const RECT bar = Place(dialog, IDC_PROGRESS);
  EXPECT_GE(bar.right - bar.left, full.right - full.left);
  EXPECT_LT(bar.right, Place(dialog, IDC_COUNTER).left);
  EXPECT_GE(bar.left, Place(dialog, IDC_GET).left);
  for (UINT id : {IDC_GET, IDC_TRANSFER, IDC_NEW_FOLDER, IDC_DELETE}) EXPECT_FALSE(Visible(dialog, id)) << id;
  // The longest text of the string table the bar shows fits it.
  HWND progress = ::GetDlgItem(dialog.m_hWnd, IDC_PROGRESS);
  const CString longest = GetText(1035);
  {
    HDC dc = ::GetDC(progress);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(progress, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, longest, longest.GetLength(), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(progress, dc);
    EXPECT_LE(extent.cx, bar.right - bar.left) << static_cast<LPCSTR>(longest);
  }
  static_cast<CSkinProgressCtrl*>(CWnd::FromHandle(progress))->SetText(longest, 0x300);
  Pump();
  HBITMAP image = tolvar::user::RenderWindow(dialog.m_hWnd);
  testing_user::SavePng(image, "mediary_progress_in_launcher");
  DeleteObject(image);

  // The run's end gives the buttons their row back.
  cancel();
  for (UINT id : {IDC_GET, IDC_TRANSFER, IDC_NEW_FOLDER, IDC_DELETE}) EXPECT_TRUE(Visible(dialog, id)) << id;
  EXPECT_FALSE(Visible(dialog, IDC_PROGRESS));
  EXPECT_EQ(Place(dialog, IDC_PROGRESS).right, full.right - 140);
  dialog.DestroyWindow();
}

}  // namespace

// ---- The look of each phone family, the panes' focus, the preview and the keys -----------------

void WriteSetting(const char* key, const char* name, const std::string& text) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
  RegCloseKey(opened);
}

// The messages of the queue as the embedded dialog's own loop hands them out: the dialog's keys first.
void PumpDialog(CWnd& dialog) {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (dialog.PreTranslateMessage(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

struct MediaryLook : ::testing::Test {
  void SetUp() override {
    folder = home.Path() + "/pictures";
    std::filesystem::create_directories(folder + "/Trip");
    mediafiles::WriteFile(folder + "/a.jpg", mediafiles::Jpeg(64, 48));
    WriteSetting("Software\\Halvane\\Tolvar\\Mediary", "Path", folder);
    theApp.SetDialogBkColor(0xFDEAE1, 0x822A08);  // as the program sets them
  }
  void TearDown() override { theApp.SetDialogBkColor(); }
  void Press(CWnd& dialog, UINT key) {
    tolvar::user::InjectKey(key, true);
    tolvar::user::InjectKey(key, false);
    PumpDialog(dialog);
  }
  int RowNamed(CWnd& dialog, const char* name) {
    HWND list = ::GetDlgItem(dialog.m_hWnd, IDC_PC_LIST);
    LVFINDINFOA find{};
    find.flags = LVFI_STRING;
    find.psz = name;
    return int(::SendMessageA(list, LVM_FINDITEMA, WPARAM(-1), reinterpret_cast<LPARAM>(&find)));
  }
  void Focus(CWnd& dialog, int row) {
    HWND list = ::GetDlgItem(dialog.m_hWnd, IDC_PC_LIST);
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    ::SendMessageA(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&state));
  }
  // The dialog shown and in front, as the launcher shows it.
  void Open(CTestMediaryDlg& dialog) {
    dialog.CreateEmbedded(nullptr);
    dialog.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(dialog.m_hWnd);
    Pump();
  }
  // The dialog's pixel (0xRRGGBB) at a point of the screen.
  std::uint32_t PixelAt(CWnd& dialog, POINT at) {
    std::vector<std::uint32_t> pixels;
    SIZE size{};
    if (!tolvar::user::RenderWindowPixels(dialog.m_hWnd, pixels, size)) return 0xFFFFFFFF;
    RECT window{};
    ::GetWindowRect(dialog.m_hWnd, &window);
    return pixels[std::size_t(at.y - window.top) * std::size_t(size.cx) + std::size_t(at.x - window.left)] & 0xFFFFFF;
  }
  tolvar::testing::TemporaryHome home;
  std::string folder;
};

TEST_F(MediaryLook, EachFamilyShowsItsPhoneWithThePreviewInItsScreen) {
  struct Case {
    const char* build;
    int picture;
    bool movies;
  } cases[] = {{"ZSE_0100", 168, true}, {"UAE_0118", 179, true}, {"YIE", 177, false},
               {"CX", 176, false},      {"MZE_0107", 178, false}, {"YW", 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.build);
    WriteSetting("Software\\Halvane\\Tolvar\\Settings", "Build", c.build);
    CTestMediaryDlg dialog;
    dialog.CreateEmbedded(nullptr);
    dialog.ShowWindow(SW_SHOW);
    Pump();
    const RECT picture = Place(dialog, IDC_PHONE_PICTURE);
    RECT preview{};
    ::GetWindowRect(dialog.Preview().GetHwnd(), &preview);
    ::MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&preview), 2);
    const bool hasPicture = ::SendDlgItemMessageA(dialog.m_hWnd, IDC_PHONE_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
    EXPECT_EQ(hasPicture, c.picture != 0);
    if (c.picture) {
      const ScreenPlace screen = PreviewPlaceIn(c.picture);
      EXPECT_EQ(preview.left - picture.left, screen.left);
      EXPECT_EQ(preview.top - picture.top, screen.top);
      EXPECT_EQ(preview.right - preview.left, screen.right - screen.left);
    }
    EXPECT_EQ(Visible(dialog, IDC_MOVIES), c.movies);
    EXPECT_EQ(dialog.Preview().GetShownBitmap(), IDB_PREVIEW_IMAGES);
    dialog.SendMessage(WM_COMMAND, ID_VIEW_MELODIES, 0);
    EXPECT_EQ(dialog.Preview().GetShownBitmap(), IDB_PREVIEW_MELODIES);
    dialog.SendMessage(WM_COMMAND, ID_VIEW_IMAGES, 0);
    Pump();
    HBITMAP image = tolvar::user::RenderWindow(dialog.m_hWnd);
    testing_user::SavePng(image, (std::string("mediary_main_") + c.build).c_str());
    ::DeleteObject(image);
    dialog.DestroyWindow();
  }
}

// The frames round the lists are coloured by the active pane; repainted when the focus moves, they
// draw only round the lists, which stay shown.
TEST_F(MediaryLook, TheFramesRepaintedOnAFocusChangeLeaveTheListsShown) {
  CTestMediaryDlg dialog;
  Open(dialog);
  for (UINT list : {IDC_PC_LIST, IDC_PHONE_LIST, IDC_PC_LIST}) {
    dialog.GetDlgItem(list)->SetFocus();
    PumpDialog(dialog);
    for (UINT shown : {IDC_PC_LIST, IDC_PHONE_LIST}) {
      RECT place{};
      ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, int(shown)), &place);
      // Low in the list, below its rows: the list's white background, not the frame's colour.
      EXPECT_EQ(PixelAt(dialog, {(place.left + place.right) / 2, place.bottom - 25}), 0xFFFFFFu)
          << "list " << shown << " covered after the focus went to " << list;
    }
  }
  dialog.DestroyWindow();
}

// The preview lies over the phone picture's screen: the picture repainted leaves it shown.
TEST_F(MediaryLook, ThePhonePictureRepaintedLeavesThePreviewShown) {
  const Gdiplus::GdiplusStartupInput imaging;  // as the program starts it
  ULONG_PTR token = 0;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &imaging, nullptr), Gdiplus::Ok);
  WriteSetting("Software\\Halvane\\Tolvar\\Settings", "Build", "ZSE_0100");
  CTestMediaryDlg dialog;
  Open(dialog);
  dialog.GetDlgItem(IDC_PC_LIST)->SetFocus();
  Focus(dialog, RowNamed(dialog, "a.jpg"));
  ASSERT_TRUE(PumpUntil([&] { return dialog.Preview().GetPath() == folder + "/a.jpg"; }));
  RECT preview{};
  ::GetWindowRect(dialog.Preview().GetHwnd(), &preview);
  const POINT centre{(preview.left + preview.right) / 2, (preview.top + preview.bottom) / 2};
  const std::uint32_t shown = PixelAt(dialog, centre);
  EXPECT_NE(shown, 0xFFFFFFu);  // the picture's pattern, not the white of the phone's screen
  ::InvalidateRect(::GetDlgItem(dialog.m_hWnd, IDC_PHONE_PICTURE), nullptr, TRUE);
  PumpDialog(dialog);
  EXPECT_EQ(PixelAt(dialog, centre), shown);
  dialog.DestroyWindow();
  Gdiplus::GdiplusShutdown(token);
}

// A "Key.bmp" in the current folder stands in for the family's phone picture.
TEST_F(MediaryLook, KeyBitmapInTheCurrentFolderReplacesThePhonePicture) {
  WriteSetting("Software\\Halvane\\Tolvar\\Settings", "Build", "ZSE_0100");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(home.Path());
  auto pictureSize = [] {
    CTestMediaryDlg dialog;
    dialog.CreateEmbedded(nullptr);
    const auto shown = reinterpret_cast<HBITMAP>(
        ::SendDlgItemMessageA(dialog.m_hWnd, IDC_PHONE_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    const bool got = shown && ::GetObjectA(shown, sizeof info, &info) == sizeof info;
    dialog.DestroyWindow();
    return got ? std::pair{int(info.bmWidth), int(info.bmHeight)} : std::pair{0, 0};
  };
  const auto phone = pictureSize();
  mediafiles::WriteFile(home.Path() + "/Key.bmp", mediafiles::Bmp(37, 23));
  const auto key = pictureSize();
  std::filesystem::current_path(before);
  EXPECT_NE(phone, (std::pair{0, 0}));
  EXPECT_NE(phone, (std::pair{37, 23}));
  EXPECT_EQ(key, (std::pair{37, 23}));
}

TEST_F(MediaryLook, FocusSelectionAndKeysOfThePcPane) {
  WriteSetting("Software\\Halvane\\Tolvar\\Settings", "Build", "ZSE_0100");
  CTestMediaryDlg dialog;
  Open(dialog);
  ASSERT_EQ(dialog.CurrentFolder(), folder);
  CWnd* pc = dialog.GetDlgItem(IDC_PC_LIST);
  pc->SetFocus();
  PumpDialog(dialog);
  EXPECT_EQ(dialog.ActivePane(), CMediaryDlg::Pane::Pc);

  // The selection settles: a picture is previewed, a folder shows the background.
  Focus(dialog, RowNamed(dialog, "a.jpg"));
  ASSERT_TRUE(PumpUntil([&] { return dialog.Preview().GetPath() == folder + "/a.jpg"; }));
  Focus(dialog, RowNamed(dialog, "Trip"));
  ASSERT_TRUE(PumpUntil([&] { return dialog.Preview().GetShownBitmap() == IDB_PREVIEW_IMAGES; }));

  // Enter opens the focused folder, Backspace its parent; the folder box follows.
  Press(dialog, VK_RETURN);
  EXPECT_EQ(dialog.CurrentFolder(), folder + "/Trip");
  char box[512] = {};
  ::GetDlgItemTextA(dialog.m_hWnd, IDC_FOLDER_BOX, box, sizeof box);
  EXPECT_EQ(std::string(box), folder + "/Trip");
  Press(dialog, VK_BACK);
  EXPECT_EQ(dialog.CurrentFolder(), folder);

  // New Folder with the PC list focused: a row in edit; its name makes the folder.
  dialog.SendMessage(WM_COMMAND, IDC_NEW_FOLDER, 0);
  ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() && ::GetParent(::GetFocus()) == pc->m_hWnd; }));
  Press(dialog, VK_ESCAPE);  // goes to the edit, which ends without a name: the default one is made
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/New Folder"));
  dialog.SendMessage(WM_COMMAND, IDC_NEW_FOLDER, 0);
  ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() && ::GetParent(::GetFocus()) == pc->m_hWnd; }));
  tolvar::user::InjectText("Trip");
  Press(dialog, VK_RETURN);
  EXPECT_EQ(dialog.messages.back(), std::string(static_cast<LPCSTR>(GetText(1067))));  // the name is another row's
  ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() && ::GetParent(::GetFocus()) == pc->m_hWnd; }));
  tolvar::user::InjectText("Beach");
  Press(dialog, VK_RETURN);
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/Beach"));

  // F6 hands the focus to the other pane; Escape outside an edit leaves the dialog as it is.
  pc->SetFocus();
  PumpDialog(dialog);
  Press(dialog, VK_F6);
  EXPECT_EQ(dialog.ActivePane(), CMediaryDlg::Pane::Phone);
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog.m_hWnd, IDC_PHONE_LIST));
  Press(dialog, VK_ESCAPE);
  EXPECT_TRUE(::IsWindow(dialog.m_hWnd) && ::IsWindowVisible(dialog.m_hWnd));
  dialog.DestroyWindow();
}

// Steps run by a timer while a menu is tracked modally.
std::vector<std::function<void()>> g_steps;
std::size_t g_nextStep = 0;
void RunStep(HWND, UINT, UINT_PTR, DWORD) {
  if (g_nextStep < g_steps.size()) g_steps[g_nextStep++]();
}
std::function<void()> KeyStep(UINT key) {
  return [key] {
    tolvar::user::InjectKey(key, true);
    tolvar::user::InjectKey(key, false);
  };
}
// Saves the open menu as `name`; with `pictured`, whether the image bar (the menu's 24 leftmost
// columns, grey and white without pictures) shows a coloured pixel: a picture, faded or not.
std::function<void()> PictureStep(const char* name, bool* seen, bool* pictured = nullptr) {
  return [name, seen, pictured] {
    HWND popup = ::FindWindowA("#32768", nullptr);
    HBITMAP shot = popup ? tolvar::user::RenderWindow(popup) : nullptr;
    *seen = shot != nullptr;
    if (!shot) return;
    testing_user::SavePng(shot, name);
    if (pictured) {
      BITMAP size{};
      ::GetObjectA(shot, sizeof size, &size);
      for (int y = 0; y < size.bmHeight && !*pictured; ++y) {
        for (int x = 0; x < std::min<int>(24, size.bmWidth) && !*pictured; ++x) {
          const COLORREF c = testing_user::PixelAt(shot, x, y);
          const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
          *pictured = std::max({r, g, b}) - std::min({r, g, b}) > 60;
        }
      }
    }
    ::DeleteObject(shot);
  };
}

// Every command of the File and View menus has its own 16 by 16 picture in the program's resources.
// Mediary's message boxes caption their buttons under its own text ids: each has its text, with
// the kit's mnemonics.
TEST(MediaryResources, TheMessageBoxButtonsHaveTheirCaptions) {
  const MessageBoxSettings kit = GetMessageBoxSettings();
  ApplyMediaryKitSettings();
  const MessageBoxSettings& own = GetMessageBoxSettings();
  const std::pair<UINT, const char*> captions[] = {{own.ok, "Ok"},         {own.cancel, "Cancel"}, {own.no, "&No"},
                                                   {own.yes, "&Yes"},      {own.abort, "&Abort"},  {own.retry, "&Retry"},
                                                   {own.ignore, "&Ignore"}};
  for (auto [id, text] : captions) EXPECT_EQ(std::string(static_cast<LPCSTR>(GetText(id))), text) << id;
  SetMessageBoxSettings(kit);
}

TEST(MediaryResources, EveryMenuCommandHasItsPicture) {
  const struct {
    UINT toolbar;
    std::vector<UINT> commands;
  } menus[] = {
      {IDR_FILE_MENU, {IDC_NEW_FOLDER, IDC_DELETE, ID_FILE_UP, ID_FILE_DOWN, IDC_GET, IDC_TRANSFER, ID_FILE_EXIT}},
      {IDR_VIEW_MENU, {ID_VIEW_IMAGES, ID_VIEW_MELODIES, ID_VIEW_MOVIES, ID_VIEW_REFRESH}},
  };
  for (const auto& menu : menus) {
    SCOPED_TRACE(menu.toolbar);
    MenuImageToolBar pictures;
    ASSERT_TRUE(pictures.LoadToolBar(menu.toolbar));
    EXPECT_EQ(pictures.ImageWidth(), 16);
    EXPECT_EQ(pictures.ImageHeight(), 16);
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectA(pictures.Bitmap(), sizeof bitmap, &bitmap));
    EXPECT_EQ(bitmap.bmWidth, int(menu.commands.size()) * 16);
    EXPECT_EQ(bitmap.bmHeight, 16);
    for (std::size_t i = 0; i < menu.commands.size(); ++i)
      EXPECT_EQ(pictures.ImageOfCommand(menu.commands[i]), int(i)) << menu.commands[i];
  }
}

TEST_F(MediaryLook, MenusOpenByKeyByTheirButtonsAndByARightClick) {
  WriteSetting("Software\\Halvane\\Tolvar\\Settings", "Build", "ZSE_0100");
  CTestMediaryDlg dialog;
  Open(dialog);
  const auto track = [&](std::vector<std::function<void()>> steps, const std::function<void()>& open) {
    g_steps = std::move(steps);
    g_nextStep = 0;
    ::SetTimer(dialog.m_hWnd, 77, 30, RunStep);
    open();
    ::KillTimer(dialog.m_hWnd, 77);
    PumpDialog(dialog);
  };

  // F10: the File menu; Escape closes it with no command.
  // Its pictures show in the image bar.
  bool fileSeen = false, filePictures = false;
  track({PictureStep("mediary_file_menu", &fileSeen, &filePictures), KeyStep(VK_ESCAPE)},
        [&] { Press(dialog, VK_F10); });
  EXPECT_TRUE(fileSeen);
  EXPECT_TRUE(filePictures);
  EXPECT_EQ(dialog.PhoneModel().GetKind(), 0);

  // The View button: the second item is Melodies.
  bool viewSeen = false, viewPictures = false;
  track({PictureStep("mediary_view_menu", &viewSeen, &viewPictures), KeyStep(VK_DOWN), KeyStep(VK_DOWN), KeyStep(VK_RETURN)}, [&] {
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_VIEW_MENU, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog.m_hWnd, IDC_VIEW_MENU)));
  });
  EXPECT_TRUE(viewSeen);
  EXPECT_TRUE(viewPictures);
  EXPECT_EQ(dialog.PhoneModel().GetKind(), 1);
  dialog.SendMessage(WM_COMMAND, ID_VIEW_IMAGES, 0);

  // A right click on the PC list: menu 230; its first item makes a new folder there.
  HWND pc = ::GetDlgItem(dialog.m_hWnd, IDC_PC_LIST);
  RECT row{};
  row.left = LVIR_LABEL;
  ::SendMessageA(pc, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
  POINT at{row.left + 5, (row.top + row.bottom) / 2};
  ::ClientToScreen(pc, &at);
  bool paneSeen = false;
  track({PictureStep("mediary_pane_menu", &paneSeen), KeyStep(VK_DOWN), KeyStep(VK_RETURN)}, [&] {
    tolvar::user::InjectMouse(at, WM_RBUTTONDOWN);
    tolvar::user::InjectMouse(at, WM_RBUTTONUP);
    PumpDialog(dialog);
  });
  EXPECT_TRUE(paneSeen);
  ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() && ::GetParent(::GetFocus()) == pc; }));
  Press(dialog, VK_ESCAPE);
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/New Folder"));
  dialog.DestroyWindow();
}
