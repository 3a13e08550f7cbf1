// A two-page wizard of page objects, walked by injected clicks and keys from a second thread while
// the sheet's modal loop runs: Next refused by a page while its name is empty, Next by Enter, Back
// showing the page's data again, Finish refused while the last page's value fails its check and
// then ending the wizard with ID_WIZFINISH and the last page's data saved; Escape cancelling with
// IDCANCEL and the made pages reset; and the runs that cannot start.
#include <framework/Afx.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include "TestApp.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

std::atomic<HWND> g_sheet{nullptr};
std::mutex g_mutex;
std::vector<std::string> g_log;

void Log(const std::string& entry) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_log.push_back(entry);
}
int Logged(const std::string& entry) {
  std::lock_guard<std::mutex> lock(g_mutex);
  int count = 0;
  for (const std::string& e : g_log) count += e == entry;
  return count;
}

CPropertySheet* SheetOf(CPropertyPage& page) {
  CWnd* parent = page.GetParent();
  return parent && parent->IsKindOf(RUNTIME_CLASS(CPropertySheet)) ? static_cast<CPropertySheet*>(parent) : nullptr;
}

class CNamePage : public CPropertyPage {
public:
  CNamePage() : CPropertyPage(600, 0, 602, 603) {}
  void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, 601, m_name); }
  BOOL OnSetActive() override {
    CPropertySheet* sheet = SheetOf(*this);
    if (!sheet) return FALSE;  // the sheet's object must be the page's parent
    g_sheet = sheet->m_hWnd;
    sheet->SetWizardButtons(PSWIZB_NEXT);
    Log("name setactive");
    return CPropertyPage::OnSetActive();
  }
  LRESULT OnWizardNext() override {
    UpdateData(TRUE);
    Log("name next");
    return m_name.IsEmpty() ? -1 : 0;
  }
  void OnReset() override { Log("name reset"); }
  CString m_name;
};

class CCountPage : public CPropertyPage {
public:
  CCountPage() : CPropertyPage(610) {}
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, 611, m_count);
    DDV_MinMaxInt(dx, m_count, 1, 99);
  }
  BOOL OnSetActive() override {
    if (CPropertySheet* sheet = SheetOf(*this)) sheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    Log("count setactive");
    return CPropertyPage::OnSetActive();
  }
  BOOL OnWizardFinish() override {
    Log("count finish");
    return CPropertyPage::OnWizardFinish();
  }
  void OnReset() override { Log("count reset"); }
  int m_count = 3;
};

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
void Click(int button) {
  RECT rect;
  GetWindowRect(GetDlgItem(g_sheet, button), &rect);
  const POINT center{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  tolvar::user::InjectMouse(center, WM_LBUTTONDOWN);
  tolvar::user::InjectMouse(center, WM_LBUTTONUP);
}
HWND CurrentPage() { return reinterpret_cast<HWND>(SendMessageA(g_sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }
int CurrentIndex() {
  HWND sheet = g_sheet;
  if (!sheet || !IsWindowVisible(sheet)) return -1;
  return static_cast<int>(SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage()), 0));
}
std::string TextOf(int id) {
  char text[64] = {};
  GetDlgItemTextA(CurrentPage(), id, text, sizeof text);
  return text;
}

class WizardObjects : public ::testing::Test {
protected:
  void SetUp() override {
    g_sheet = nullptr;
    g_log.clear();
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr));
  }
  void TearDown() override { owner.DestroyWindow(); }

  // Runs the sheet on this thread while `drive` works it from another; the driver's checks are
  // gathered and reported here.
  INT_PTR Run(CPropertySheet& sheet, const std::function<void(std::vector<std::string>&)>& drive) {
    std::vector<std::string> failures;
    std::thread driver([&] {
      drive(failures);
      if (IsWindow(g_sheet)) PostMessageA(g_sheet, WM_CLOSE, 0, 0);  // a stuck walk still ends
    });
    const INT_PTR result = sheet.DoModal();
    driver.join();
    for (const std::string& failure : failures) ADD_FAILURE() << failure;
    return result;
  }

  CWnd owner;
};

#define DRIVER_EXPECT(condition)                                         \
  do {                                                                   \
    if (!(condition)) failures.push_back("driver: " #condition);         \
  } while (false)

TEST_F(WizardObjects, NextBackAndFinishMoveThePagesDataAndFinishEndsWithTheFinishCommand) {
  CNamePage name;
  CCountPage count;
  CPropertySheet sheet(604, &owner, 0, nullptr);
  sheet.AddPage(&name);
  sheet.AddPage(&count);
  EXPECT_EQ(sheet.GetPageCount(), 2);
  EXPECT_EQ(sheet.GetActivePage(), &name);

  const INT_PTR result = Run(sheet, [](std::vector<std::string>& failures) {
    DRIVER_EXPECT(WaitFor([] { return CurrentIndex() == 0; }));
    // Next while the name is empty: the page refuses and stays.
    Click(ID_WIZNEXT);
    DRIVER_EXPECT(WaitFor([] { return Logged("name next") == 1; }));
    DRIVER_EXPECT(CurrentIndex() == 0);
    char title[64] = {};
    GetWindowTextA(g_sheet, title, sizeof title);
    DRIVER_EXPECT(std::string(title) == "Copy contacts");
    HBITMAP shot = tolvar::user::RenderWindow(g_sheet);
    testing_user::SavePng(shot, "framework-wizard-page");
    DeleteObject(shot);

    SetDlgItemTextA(CurrentPage(), 601, "Nokia 6230");
    Key(VK_RETURN);  // Enter presses Next
    DRIVER_EXPECT(WaitFor([] { return CurrentIndex() == 1; }));
    DRIVER_EXPECT(TextOf(611) == "3");  // loaded from the member when the page was made

    Click(ID_WIZBACK);
    DRIVER_EXPECT(WaitFor([] { return CurrentIndex() == 0; }));
    DRIVER_EXPECT(TextOf(601) == "Nokia 6230");
    Click(ID_WIZNEXT);
    DRIVER_EXPECT(WaitFor([] { return CurrentIndex() == 1; }));

    // Finish while the number fails its check: the wizard stays on the page.
    SetDlgItemTextA(CurrentPage(), 611, "0");
    Click(ID_WIZFINISH);
    DRIVER_EXPECT(WaitFor([] { return Logged("count finish") == 1; }));
    DRIVER_EXPECT(CurrentIndex() == 1);

    SetDlgItemTextA(CurrentPage(), 611, "7");
    Click(ID_WIZFINISH);
    DRIVER_EXPECT(WaitFor([] { return !IsWindow(g_sheet); }));
  });

  EXPECT_EQ(result, ID_WIZFINISH);
  EXPECT_STREQ(name.m_name, "Nokia 6230");
  EXPECT_EQ(count.m_count, 7);  // the last page's data, saved by Finish
  EXPECT_EQ(Logged("name setactive"), 2);
  EXPECT_EQ(Logged("count setactive"), 2);
  EXPECT_EQ(Logged("name reset") + Logged("count reset"), 0);
  // The windows are gone and the objects let go of them.
  EXPECT_EQ(sheet.m_hWnd, nullptr);
  EXPECT_EQ(name.m_hWnd, nullptr);
  EXPECT_EQ(count.m_hWnd, nullptr);
  EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST_F(WizardObjects, EscapeCancelsWithTheCancelCommandAndResetsThePagesMade) {
  CNamePage name;
  CCountPage count;
  CPropertySheet sheet("Copy contacts", &owner);
  sheet.SetWizardMode();
  sheet.AddPage(&name);
  sheet.AddPage(&count);
  name.m_name = "Phone";

  const INT_PTR result = Run(sheet, [](std::vector<std::string>& failures) {
    DRIVER_EXPECT(WaitFor([] { return CurrentIndex() == 0; }));
    DRIVER_EXPECT(TextOf(601) == "Phone");
    Key(VK_ESCAPE);
    DRIVER_EXPECT(WaitFor([] { return !IsWindow(g_sheet); }));
  });

  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(Logged("name reset"), 1);
  EXPECT_EQ(Logged("count reset"), 0);  // never made
}

TEST_F(WizardObjects, ASheetThatCannotRunAnswersMinusOne) {
  CNamePage name;
  struct CMissingPage : CPropertyPage {
    CMissingPage() : CPropertyPage(699) {}
  } missing;

  CPropertySheet empty("Empty", &owner);
  empty.SetWizardMode();
  EXPECT_EQ(empty.DoModal(), -1);

  CPropertySheet tabbed("Tabbed", &owner);  // only wizards are built
  tabbed.AddPage(&name);
  EXPECT_EQ(tabbed.DoModal(), -1);

  CPropertySheet broken("Broken", &owner);
  broken.SetWizardMode();
  broken.AddPage(&name);
  broken.AddPage(&missing);
  EXPECT_EQ(broken.DoModal(), -1);
  EXPECT_EQ(name.m_hWnd, nullptr);
  EXPECT_TRUE(owner.IsWindowEnabled());
}

}  // namespace
