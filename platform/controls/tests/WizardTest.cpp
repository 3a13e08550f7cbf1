// A Wizard-97 sheet walked by injected clicks and keys from a second thread while the sheet's modal
// loop runs: a page refusing Next, a page removed while the wizard runs, Next pressed by a page,
// Cancel disabled, Finish, and a cancel with its reset notifications.
#include "ControlTest.h"

#include <resources/Resource.h>

#include <atomic>
#include <functional>
#include <chrono>
#include <mutex>
#include <thread>

using namespace testing_controls;

namespace {

std::mutex g_mutex;
std::vector<std::string> g_log;
std::atomic<HWND> g_sheet{nullptr};
HPROPSHEETPAGE g_mappingPage = nullptr;
int g_queryCancels = 0;

void Log(int id, const char* what) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_log.push_back(std::to_string(id) + " " + what);
}
int Logged(const std::string& entry) {
  std::lock_guard<std::mutex> lock(g_mutex);
  int n = 0;
  for (const std::string& e : g_log) n += e == entry;
  return n;
}

void Answer(HWND page, LRESULT result) { SetWindowLongPtrA(page, DWLP_MSGRESULT, result); }

INT_PTR PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    SetWindowLongPtrA(page, DWLP_USER, sheetPage->lParam);
    g_sheet = GetParent(page);
    Log(static_cast<int>(sheetPage->lParam), "init");
    return TRUE;
  }
  if (message != WM_NOTIFY) return FALSE;
  const int id = static_cast<int>(GetWindowLongPtrA(page, DWLP_USER));
  HWND sheet = GetParent(page);
  switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
    case PSN_SETACTIVE:
      Log(id, "setactive");
      if (id == 501) SendMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
      if (id == 502) {
        SendMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_NEXT);
        // The options page takes the mapping page out, as an export has no columns to map.
        if (g_mappingPage) SendMessageA(sheet, PSM_REMOVEPAGE, 0, reinterpret_cast<LPARAM>(g_mappingPage));
        g_mappingPage = nullptr;
      }
      if (id == 504) {
        SendMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
      }
      if (id == 505) {
        SendMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
        EnableWindow(GetDlgItem(sheet, IDCANCEL), FALSE);
      }
      Answer(page, 0);
      return TRUE;
    case PSN_WIZNEXT: {
      Log(id, "wiznext");
      char name[32] = {};
      GetDlgItemTextA(page, 601, name, sizeof name);
      Answer(page, id == 501 && !name[0] ? -1 : 0);  // no name: stay
      return TRUE;
    }
    case PSN_WIZBACK: Log(id, "wizback"); Answer(page, 0); return TRUE;
    case PSN_KILLACTIVE: Log(id, "killactive"); Answer(page, FALSE); return TRUE;
    case PSN_WIZFINISH: Log(id, "wizfinish"); Answer(page, FALSE); return TRUE;
    case PSN_QUERYCANCEL:
      Log(id, "querycancel");
      Answer(page, id == 502 && g_queryCancels++ == 0);  // the options page refuses once
      return TRUE;
    case PSN_RESET: Log(id, "reset"); return TRUE;
    default: return FALSE;
  }
}

// Waits (bounded) for the sheet's thread to have done something.
bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void Key(UINT key) {
  tolvar::user::InjectKey(key, true);
  tolvar::user::InjectKey(key, false);
}
void ClickButton(int id) {
  RECT rect;
  GetWindowRect(GetDlgItem(g_sheet, id), &rect);
  const POINT center{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  tolvar::user::InjectMouse(center, WM_LBUTTONDOWN);
  tolvar::user::InjectMouse(center, WM_LBUTTONUP);
}
int CurrentId() {
  HWND page = reinterpret_cast<HWND>(SendMessageA(g_sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  const LRESULT index = SendMessageA(g_sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0);
  return static_cast<int>(SendMessageA(g_sheet, PSM_INDEXTOID, static_cast<WPARAM>(index), 0));
}
// The sheet as it looks, and the colour at a point of its client area.
COLORREF Shot(const char* name, POINT client = {0, 0}) {
  HBITMAP shot = tolvar::user::RenderWindow(g_sheet);
  if (!shot) return CLR_INVALID;
  testing_user::SavePng(shot, name);
  RECT frame;
  GetWindowRect(g_sheet, &frame);
  ClientToScreen(g_sheet, &client);
  const COLORREF colour = testing_user::PixelAt(shot, client.x - frame.left, client.y - frame.top);
  DeleteObject(shot);
  return colour;
}

HBITMAP Filled(int width, int height, COLORREF colour) {
  HBITMAP bitmap = CreateBitmap(width, height, 1, 32, nullptr);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT all{0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  SelectObject(memory, old);
  DeleteDC(memory);
  return bitmap;
}

class Wizard : public ControlTest {
protected:
  void SetUp() override {
    ControlTest::SetUp();
    g_log.clear();
    g_sheet = nullptr;
    g_queryCancels = 0;
    const char* titles[] = {"", "Options", "Mapping", "Exporting", "Report"};
    for (int i = 0; i < 5; ++i) {
      PROPSHEETPAGEA page{};
      page.dwSize = sizeof page;
      page.dwFlags = i == 0 ? PSP_HIDEHEADER : PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
      page.hInstance = nullptr;
      page.pszTemplate = MAKEINTRESOURCEA(501 + i);
      page.pfnDlgProc = PageProc;
      page.lParam = 501 + i;
      page.pszHeaderTitle = titles[i];
      page.pszHeaderSubTitle = "Choose how the records are written.";
      m_pages[i] = CreatePropertySheetPageA(&page);
    }
    g_mappingPage = m_pages[2];
    m_header.dwSize = sizeof m_header;
    m_header.dwFlags = PSH_WIZARD97 | PSH_WATERMARK | PSH_HEADER;
    m_header.hwndParent = m_parent;
    m_header.hInstance = nullptr;
    m_header.pszCaption = "Export";
    m_header.nPages = 5;
    m_header.phpage = m_pages;
    m_header.pszbmWatermark = MAKEINTRESOURCEA(300);
    m_header.pszbmHeader = MAKEINTRESOURCEA(300);
  }
  void TearDown() override {
    for (HBITMAP bitmap : m_bitmaps) DeleteObject(bitmap);
    ControlTest::TearDown();
  }
  std::vector<HBITMAP> m_bitmaps;
  HPROPSHEETPAGE m_pages[5]{};
  PROPSHEETHEADERA m_header{};
};

TEST_F(Wizard, WalkedForwardAndBackToFinish) {
  m_bitmaps = {Filled(164, 314, RGB(40, 90, 160)), Filled(49, 49, RGB(200, 120, 0))};
  m_header.dwFlags |= PSH_USEHBMWATERMARK | PSH_USEHBMHEADER;
  m_header.hbmWatermark = m_bitmaps[0];
  m_header.hbmHeader = m_bitmaps[1];
  std::atomic<bool> driven{false};
  std::thread driver([&] {
    ASSERT_TRUE(WaitFor([] { return g_sheet && Logged("501 setactive") == 1; }));
    ASSERT_TRUE(WaitFor([] { return IsWindowVisible(g_sheet) != FALSE; }));
    EXPECT_EQ(Shot("controls_wizard_welcome", POINT{20, 100}), RGB(40, 90, 160)) << "the watermark";
    Key(VK_RETURN);  // no name yet: the page refuses Next
    ASSERT_TRUE(WaitFor([] { return Logged("501 wiznext") == 1; }));
    tolvar::user::InjectText("Ann");
    Key(VK_RETURN);
    ASSERT_TRUE(WaitFor([] { return Logged("502 setactive") == 1; }));
    EXPECT_EQ(CurrentId(), 502);
    RECT client;
    GetClientRect(g_sheet, &client);
    EXPECT_EQ(Shot("controls_wizard_page", POINT{client.right - 20, 29}), RGB(200, 120, 0)) << "the header bitmap";
    // The options page's template is disabled; its check box still takes a click.
    HWND options = reinterpret_cast<HWND>(SendMessageA(g_sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND remember = GetDlgItem(options, 602);
    RECT box;
    GetWindowRect(remember, &box);
    const POINT inBox{box.left + 5, (box.top + box.bottom) / 2};
    tolvar::user::InjectMouse(inBox, WM_LBUTTONDOWN);
    tolvar::user::InjectMouse(inBox, WM_LBUTTONUP);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(remember, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    ClickButton(ID_WIZBACK);
    ASSERT_TRUE(WaitFor([] { return Logged("501 setactive") == 2; }));
    ClickButton(ID_WIZNEXT);
    ASSERT_TRUE(WaitFor([] { return Logged("502 setactive") == 2; }));
    Key(VK_ESCAPE);  // refused once by the page
    ASSERT_TRUE(WaitFor([] { return Logged("502 querycancel") == 1; }));
    ClickButton(ID_WIZNEXT);  // the mapping page is gone; the progress page goes on by itself
    ASSERT_TRUE(WaitFor([] { return Logged("505 setactive") == 1; }));
    EXPECT_EQ(CurrentId(), 505);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(g_sheet, IDCANCEL)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(g_sheet, ID_WIZFINISH)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(g_sheet, ID_WIZNEXT)));
    Key(VK_ESCAPE);  // Cancel is disabled: nothing
    ClickButton(ID_WIZFINISH);
    driven = true;
  });
  const INT_PTR result = PropertySheetA(&m_header);
  driver.join();
  EXPECT_TRUE(driven);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(IsWindowEnabled(m_parent)) << "the owner is enabled again";
  EXPECT_FALSE(IsWindow(g_sheet));
  const std::vector<std::string> expected = {
      "501 init",       "501 setactive",  "501 wiznext",    "501 wiznext",   "501 killactive",
      "502 init",       "502 setactive",  "502 wizback",    "502 killactive", "501 setactive",
      "501 wiznext",    "501 killactive", "502 setactive",  "502 querycancel", "502 wiznext",
      "502 killactive", "504 init",       "504 setactive",  "504 wiznext",    "504 killactive",
      "505 init",       "505 setactive",  "505 wizfinish",
  };
  EXPECT_EQ(g_log, expected);
}

TEST_F(Wizard, CancelResetsThePagesMade) {
  std::thread driver([&] {
    ASSERT_TRUE(WaitFor([] { return g_sheet && Logged("501 setactive") == 1; }));
    // Shown only after the owner was disabled.
    ASSERT_TRUE(WaitFor([] { return IsWindowVisible(g_sheet) != FALSE; }));
    EXPECT_FALSE(IsWindowEnabled(m_parent)) << "the owner is disabled while the wizard runs";
    ClickButton(IDCANCEL);
  });
  const INT_PTR result = PropertySheetA(&m_header);
  driver.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"501 init", "501 setactive", "501 querycancel", "501 reset"}));
  EXPECT_TRUE(IsWindowEnabled(m_parent));
}

TEST(WizardArguments, BadHeadersFail) {
  EXPECT_EQ(PropertySheetA(nullptr), -1);
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  EXPECT_EQ(PropertySheetA(&header), -1) << "no pages";
  EXPECT_EQ(CreatePropertySheetPageA(nullptr), nullptr);
}

}  // namespace
