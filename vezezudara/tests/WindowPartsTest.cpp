// The smaller parts of the launcher's window: the progress pane's arithmetic, the About dialog's
// rows and title, and the splitter whose divider does not move.
#include "AboutDlg.h"
#include "FixedSplitterWnd.h"
#include "ProgressBar.h"
#include "resource.h"

#include <base/TemporaryHome.h>
#include <framework/Afx.h>
#include <kernel/Module.h>
#include <resources/Resource.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace testing_user;
namespace fs = std::filesystem;

TEST(ProgressPane, TheBarFollowsTheTextAndTakesItsShareOfTheRest) {
  const struct {
    RECT pane;
    int textWidth, share;
    RECT expected;
  } cases[] = {
      {{0, 0, 200, 20}, 0, 100, {0, 2, 200, 18}},     // no text: from the pane's left edge
      {{0, 0, 200, 20}, 50, 100, {50, 2, 200, 18}},
      {{10, 0, 210, 20}, 50, 50, {60, 2, 135, 18}},   // half of the 150 left
      {{0, 5, 200, 35}, 40, 25, {40, 8, 80, 32}},     // a tenth of 30 above and below
      {{0, 0, 100, 20}, 150, 100, {150, 2, 150, 18}}, // text wider than the pane: nothing left
      {{0, 0, 100, 9}, 0, 0, {0, 0, 0, 9}},
  };
  for (const auto& c : cases) {
    const RECT got = ProgressPaneRect(c.pane, c.textWidth, c.share);
    EXPECT_EQ(got.left, c.expected.left) << c.textWidth << " " << c.share;
    EXPECT_EQ(got.top, c.expected.top);
    EXPECT_EQ(got.right, c.expected.right) << c.textWidth << " " << c.share;
    EXPECT_EQ(got.bottom, c.expected.bottom);
  }
}

TEST(AboutDialog, ListsEveryFileOfTheFamilyWithTheHighestBuildInTheTitle) {
  tolvar::testing::TemporaryHome home;
  const std::string folder = home.File("programs");
  fs::create_directories(folder);
  const char* fixtures[][2] = {{"five_a", "A"}, {"four", "B"}, {"five_b", "C"}, {"family", "D"},
                               {"nocomments", "E"}, {"nobuild", "F"}};
  for (auto& f : fixtures) fs::copy_file(std::string(VZD_TEST_PROGRAMS) + "/vzd_fixture_" + f[0], folder + "/" + f[1]);

  CAboutDlg about(nullptr, folder.c_str());
  ASSERT_TRUE(about.Create(IDD_ABOUTBOX, nullptr));
  ASSERT_EQ(about.RowCount(), 5);  // all but the one without Comments
  const char* descriptions[] = {"Five A", "Four", "Five B, whose description runs ", "Family member", "No build"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(about.RowDescription(i), descriptions[i]);
  EXPECT_EQ(about.RowVersion(2), "5.0.1234.5678.9");
  EXPECT_EQ(about.HighestPrivateBuild(), 42);
  CString title;
  about.GetWindowText(title);
  EXPECT_EQ(title, " Dravik - Build[42]");
  RECT window;
  about.GetWindowRect(&window);
  EXPECT_EQ(window.bottom - window.top, 5 * 48 + 32);
  about.ShowWindow(SW_SHOW);
  Pump();
  HBITMAP picture = tolvar::user::RenderWindow(about);
  ASSERT_TRUE(picture);
  SavePng(picture, "about_dialog");
  DeleteObject(picture);
  about.DestroyWindow();
}

TEST(AboutDialog, HasOneCloseButtonInItsCaptionWhosePressCancelsIt) {
  tolvar::testing::TemporaryHome home;
  const std::string folder = home.File("programs");
  fs::create_directories(folder);
  fs::copy_file(std::string(VZD_TEST_PROGRAMS) + "/vzd_fixture_five_a", folder + "/A");
  CAboutDlg about(nullptr, folder.c_str());
  static CAboutDlg* s_about = &about;
  static HBITMAP s_picture = nullptr;
  static bool s_pressed = false;
  static RECT s_cell{};
  s_picture = nullptr;
  s_pressed = false;
  // From the dialog's own modal loop: the picture, then a press and release on the button.
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND window = s_about->GetSafeHwnd();
    if (!window || !IsWindowVisible(window) || s_pressed) return;
    s_pressed = true;
    s_picture = tolvar::user::RenderWindow(window);
    s_cell = s_about->CaptionButtons().ButtonRect(0);
    RECT frame;
    GetWindowRect(window, &frame);
    const POINT at{frame.left + (s_cell.left + s_cell.right) / 2, frame.top + (s_cell.top + s_cell.bottom) / 2};
    tolvar::user::InjectMouse(at, WM_MOUSEMOVE);
    tolvar::user::InjectMouse(at, WM_LBUTTONDOWN);
    tolvar::user::InjectMouse(at, WM_LBUTTONUP);
  });
  // A guard: a press that does nothing must not leave the dialog open.
  const UINT_PTR guard = SetTimer(nullptr, 0, 20000, [](HWND, UINT, UINT_PTR, DWORD) {
    if (s_about->GetSafeHwnd()) s_about->EndDialog(IDABORT);
  });
  EXPECT_EQ(about.DoModal(), IDCANCEL);
  KillTimer(nullptr, timer);
  KillTimer(nullptr, guard);
  ASSERT_EQ(about.CaptionButtons().GetButtonCount(), 1);
  EXPECT_EQ(about.CaptionButtons().GetButtonId(0), CAboutDlg::kCloseButton);

  // The button shows the launcher's close bitmap (its red face), keyed on magenta.
  ASSERT_NE(s_picture, nullptr);
  const RECT cell = s_cell;
  int face = 0, key = 0;
  for (int y = cell.top; y < cell.bottom; ++y) {
    for (int x = cell.left; x < cell.right; ++x) {
      face += PixelAt(s_picture, x, y) == RGB(200, 70, 50);
      key += PixelAt(s_picture, x, y) == RGB(255, 0, 255);
    }
  }
  EXPECT_GT(face, 40);
  EXPECT_EQ(key, 0);
  SavePng(s_picture, "about_dialog_close_button");
  DeleteObject(s_picture);
}

namespace {
class CPlainPane : public CWnd {};
}  // namespace

TEST(FixedSplitter, TheDividerCannotBeDragged) {
  tolvar::testing::TemporaryHome home;
  CFrameWnd* frame = new CFrameWnd;
  ASSERT_TRUE(frame->Create(nullptr, "Splitter", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 400, 300}));
  tolvar::framework::AdoptWindowObject(std::unique_ptr<CWnd>(frame));
  CFixedSplitterWnd splitter;
  ASSERT_TRUE(splitter.CreateStatic(frame, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST));
  CPlainPane left, right;
  left.Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, &splitter, splitter.IdFromRowCol(0, 0));
  right.Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, &splitter, splitter.IdFromRowCol(0, 1));
  splitter.SetColumnInfo(0, 110, 0);
  splitter.SetColumnInfo(1, 110, 0);
  splitter.MoveWindow(0, 0, 380, 250);
  splitter.RecalcLayout();
  int width = 0, minimum = 0;
  splitter.GetColumnInfo(0, width, minimum);
  EXPECT_EQ(width, 110);
  RECT pane;
  left.GetWindowRect(&pane);
  splitter.ScreenToClient(&pane);
  const int divider = pane.right + 3;
  SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(divider, 100));
  SendMessageA(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(divider + 60, 100));
  SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(divider + 60, 100));
  splitter.GetColumnInfo(0, width, minimum);
  EXPECT_EQ(width, 110);
  EXPECT_EQ(GetCapture(), nullptr);
  left.DestroyWindow();
  right.DestroyWindow();
  splitter.DestroyWindow();
  frame->DestroyWindow();
}

TEST(ProgressPane, SitsInItsPaneAfterTheTextAndGivesThePaneBackAtTheEnd) {
  tolvar::testing::TemporaryHome home;
  CFrameWnd* frame = new CFrameWnd;
  ASSERT_TRUE(frame->Create(nullptr, "Progress", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 500, 200}));
  tolvar::framework::AdoptWindowObject(std::unique_ptr<CWnd>(frame));
  CStatusBar bar;
  ASSERT_TRUE(bar.Create(frame));
  const UINT panes[] = {ID_SEPARATOR, ID_SEPARATOR};
  bar.SetIndicators(panes, 2);
  bar.SetPaneText(1, "Own text");
  RECT pane;
  bar.GetItemRect(1, &pane);
  const int inset = (pane.bottom - pane.top) / 10;
  {
    CProgressBar progress;
    ASSERT_TRUE(progress.Create("Copying", 50, 100, &bar, 1));
    EXPECT_EQ(bar.GetPaneText(1), "Copying");
    RECT placed;
    progress.GetWindowRect(&placed);
    bar.ScreenToClient(&placed);
    EXPECT_GT(placed.left, pane.left + 30);  // after the text and its blanks
    EXPECT_EQ(placed.right - placed.left, (pane.right - placed.left) / 2);
    EXPECT_EQ(placed.top, pane.top + inset);
    EXPECT_EQ(placed.bottom, pane.bottom - inset);
    EXPECT_FALSE(progress.Resize());  // nothing changed: not moved
    progress.SetText("");
    EXPECT_EQ(progress.LastRect().left, pane.left);
    progress.SetShare(100);
    EXPECT_EQ(progress.LastRect().right, pane.right);
    progress.SetPos(40);
    Pump();
    HBITMAP picture = tolvar::user::RenderWindow(*frame);
    SavePng(picture, "progress_pane");
    DeleteObject(picture);
  }
  EXPECT_EQ(bar.GetPaneText(1), "Own text");
  {
    CProgressBar first;
    ASSERT_TRUE(first.Create("Reading", 100, 10, &bar, 0));
  }
  EXPECT_EQ(bar.GetPaneText(0), "Ready");
  bar.DestroyWindow();
  frame->DestroyWindow();
}
