// The phone setup dialog driven as a person drives it, with the simulated phone on a pseudo-terminal
// registered as a COM port: "Autodetect" finds the phone and its row, the message box says what
// happened, and the choice lands in the settings key; cancelling gives "Build" back.
#include "LinkSettings.h"
#include "PhoneSetupDlg.h"
#include "resource.h"

#include "AppTestSupport.h"
#include "support/LinkHarness.h"

#include <base/TemporaryHome.h>
#include <base/Time.h>
#include <StringLoader.h>
#include <phonesim/PhoneSimProcess.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

namespace {

using linkwell::testing::RecordingFrame;
using linkwell::testing::TimedSteps;

constexpr char kPhones[] =
    "-Selka-X,ZSE_0100\r\n"
    "-Tavik-D,ZDE_0100/x\r\n"
    "-Quarn2,YQT_0100\r\n";
constexpr DWORD kDetectionLimit = 60000;  // a guard against a hang, not a timing

void Click(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  tolvar::user::InjectMouse(centre, WM_MOUSEMOVE);
  tolvar::user::InjectMouse(centre, WM_LBUTTONDOWN);
  tolvar::user::InjectMouse(centre, WM_LBUTTONUP);
}

void Press(UINT key) {
  tolvar::user::InjectKey(key, true);
  tolvar::user::InjectKey(key, false);
}

std::string Text(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The link service's message box, while one is open.
HWND MessageBoxWindow() {
  HWND box = FindWindowA(nullptr, "Linkwell");
  return box && IsWindowVisible(box) && GetDlgItem(box, IDC_MESSAGE_TEXT) ? box : nullptr;
}

void Picture(HWND window, const char* name) {
  HBITMAP picture = tolvar::user::RenderWindow(window);
  ASSERT_NE(picture, nullptr) << name;
  testing_user::SavePng(picture, name);
  DeleteObject(picture);
}

class PhoneSetupTest : public testing::Test {
 protected:
  void SetUp() override { std::ofstream(m_home.File("Phones.ini")) << kPhones; }
  void StartPhone(const std::string& model, std::vector<std::string> arguments = {}) {
    ASSERT_TRUE(m_phone.Start({.model = model, .home = m_home.Path(), .arguments = std::move(arguments)}))
        << m_phone.Error();
  }
  std::string PhoneList() const { return m_home.File("Phones.ini"); }

  tolvar::testing::TemporaryHome m_home;
  phonesim::PhoneSimProcess m_phone;
  RecordingFrame m_frame;
};

TEST_F(PhoneSetupTest, AutodetectFindsThePhonesRowAndTellsWhatItFound) {
  const struct {
    const char* model;  // none: no phone at all
    std::vector<std::string> arguments;
    UINT message;
    std::optional<std::string> phone, build;  // what OK wrote; none when the dialog stayed open
    DWORD european;
    const char* png;
  } cases[] = {
      {"Selka", {}, IDS_SWITCHED_OFF, "Selka-X", "ZSE_0100", 1, "linkwell-setup-found"},
      {"Tavik", {"--sw-version", "ZDE_0099"}, IDS_NOT_SUPPORTED, std::nullopt, std::nullopt, 0,
       "linkwell-setup-not-supported"},
      {nullptr, {}, IDS_NO_PHONE, std::nullopt, std::nullopt, 0, "linkwell-setup-no-phone"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.png);
    if (c.model) StartPhone(c.model, c.arguments);
    m_frame.Forget();
    CPhoneSetupDlg setup(m_frame, PhoneList());
    // The launcher this process would find is the real one: OK only counts its starts here.
    int launcherStarts = 0;
    setup.SetLauncherStart([&] { ++launcherStarts; });
    std::string shown;
    bool buildAbsentWhileOpen = false;
    const DWORD start = GetTickCount();
    TimedSteps steps({
        [&] {
          if (!setup.GetSafeHwnd() || !setup.IsWindowVisible()) return false;
          Picture(setup.GetSafeHwnd(), "linkwell-setup");
          Picture(setup.List().GetSafeHwnd(), "linkwell-phone-list");
          buildAbsentWhileOpen = !CSettingsKey().ReadText("Build").has_value();
          Click(::GetDlgItem(setup.GetSafeHwnd(), IDC_AUTODETECT));
          return true;
        },
        [&] {
          HWND box = MessageBoxWindow();
          if (!box) {
            if (GetTickCount() - start > kDetectionLimit) setup.EndDialog(-2);
            return false;
          }
          shown = Text(GetDlgItem(box, IDC_MESSAGE_TEXT));
          Picture(box, c.png);
          Press(VK_RETURN);
          return true;
        },
        [&] {
          // Found: the dialog ends itself with OK. Otherwise it stays open for another try.
          if (MessageBoxWindow()) return false;
          if (!c.phone) setup.EndDialog(IDCANCEL);
          return true;
        },
    });
    const INT_PTR result = setup.DoModal();
    EXPECT_EQ(shown, static_cast<LPCSTR>(GetText(c.message)));
    EXPECT_TRUE(buildAbsentWhileOpen);
    EXPECT_EQ(result, c.phone ? IDOK : IDCANCEL);
    EXPECT_EQ(launcherStarts, c.phone ? 1 : 0);  // a choice made starts the suite
    EXPECT_TRUE(m_frame.Called("StartAnimation Search"));
    EXPECT_TRUE(m_frame.Called("StopAnimation"));
    CSettingsKey settings;
    EXPECT_EQ(settings.ReadText("Phone"), c.phone);
    EXPECT_EQ(settings.ReadText("Build"), c.build);
    if (c.phone) {
      EXPECT_EQ(settings.ReadDword("EuropeanSupport").value_or(9), c.european);
      // The hive on disk holds the choice, where the suite's other programs read it.
      const std::string hive = tolvar::testing::ReadFile(m_home.File("user.reg"));
      EXPECT_NE(hive.find(*c.build), std::string::npos) << hive;
      settings.DeleteValue("Phone");
      settings.DeleteValue("Build");
    }
    m_phone.Stop();
  }
}

TEST_F(PhoneSetupTest, CancelGivesThePreviousBuildBackUnchanged) {
  {
    CSettingsKey settings;
    settings.WriteText("Build", "ZDE_0100/x");
    settings.WriteText("Phone", "Tavik-D");
  }
  CPhoneSetupDlg setup(m_frame, PhoneList());
  int selected = -2;
  bool cancelEnabled = false;
  std::optional<std::string> buildWhileOpen = "-";
  COLORREF selectedFill = 0, expectedFill = 1;
  int firstInk = -1;
  TimedSteps steps({[&] {
    if (!setup.GetSafeHwnd() || !setup.IsWindowVisible()) return false;
    selected = setup.List().Selected();
    // The selected row in the dialog's colour (inverted while the list has the focus), its text
    // indented by 10 pixels.
    HWND list = setup.List().GetSafeHwnd();
    if (HBITMAP picture = tolvar::user::RenderWindow(list)) {
      // The row in the picture's (window) coordinates.
      RECT row = setup.List().RowRect(1);
      RECT frame{};
      GetWindowRect(list, &frame);
      POINT origin{0, 0};
      ClientToScreen(list, &origin);
      OffsetRect(&row, origin.x - frame.left, origin.y - frame.top);
      const int middle = (row.top + row.bottom) / 2;
      selectedFill = testing_user::PixelAt(picture, row.right - 2, middle);
      expectedFill = ::GetFocus() == list ? 0x822A08 : 0xFDDAC9;
      for (int x = row.left; x < row.right && firstInk < 0; ++x)
        for (int y = row.top; y < row.bottom && firstInk < 0; ++y)
          if (testing_user::PixelAt(picture, x, y) != selectedFill) firstInk = x - row.left;
      DeleteObject(picture);
    }
    cancelEnabled = ::IsWindowEnabled(::GetDlgItem(setup.GetSafeHwnd(), IDCANCEL));
    buildWhileOpen = CSettingsKey().ReadText("Build");
    Press(VK_ESCAPE);
    return true;
  }});
  EXPECT_EQ(setup.DoModal(), IDCANCEL);
  EXPECT_EQ(selected, 1);  // the previous choice is the selected row
  EXPECT_EQ(selectedFill, expectedFill);
  EXPECT_GE(firstInk, 10);
  EXPECT_TRUE(cancelEnabled);
  EXPECT_EQ(buildWhileOpen, std::nullopt);
  EXPECT_EQ(CSettingsKey().ReadText("Build").value_or(""), "ZDE_0100/x");
  EXPECT_EQ(CSettingsKey().ReadText("Phone").value_or(""), "Tavik-D");
}

// A choice made, then the dialog opened again (as the tray's "Phone selection" does): Cancel is
// there to keep the choice, and of two rows that both match it, the last one is selected.
TEST_F(PhoneSetupTest, AfterAChoiceTheDialogOffersCancelAndSelectsTheLastMatchingRow) {
  {
    CSettingsKey settings;  // no choice made yet, whatever the tests before left
    settings.DeleteValue("Build");
    settings.DeleteValue("Phone");
  }
  const std::string phones = m_home.File("TwoSelkas.ini");
  std::ofstream(phones) << "-Selka-X,ZSE_0100\r\n-Tavik-D,ZDE_0100/x\r\n-Selka-X2,ZSE_0100/b\r\n";
  struct Seen {
    bool cancelEnabled = true;
    int selected = -2;
  };
  auto open = [&](int choose, Seen& seen) {
    CPhoneSetupDlg setup(m_frame, phones);
    setup.SetLauncherStart([] {});
    TimedSteps steps({[&] {
      if (!setup.GetSafeHwnd() || !setup.IsWindowVisible()) return false;
      seen.cancelEnabled = ::IsWindowEnabled(::GetDlgItem(setup.GetSafeHwnd(), IDCANCEL));
      seen.selected = setup.List().Selected();
      if (choose >= 0) {
        setup.List().Select(choose);
        setup.PostMessage(WM_COMMAND, IDOK, 0);
      } else {
        Press(VK_ESCAPE);
      }
      return true;
    }});
    return setup.DoModal();
  };
  Seen first, second;
  EXPECT_EQ(open(0, first), IDOK);
  EXPECT_FALSE(first.cancelEnabled);  // nothing to go back to yet
  EXPECT_EQ(first.selected, -1);
  EXPECT_EQ(open(-1, second), IDCANCEL);
  EXPECT_TRUE(second.cancelEnabled);
  EXPECT_EQ(second.selected, 2);  // "Selka-X2" with "ZSE_0100/b" matches the choice too
  EXPECT_EQ(CSettingsKey().ReadText("Build").value_or(""), "ZSE_0100");
  EXPECT_EQ(CSettingsKey().ReadText("Phone").value_or(""), "Selka-X");
}

TEST_F(PhoneSetupTest, WithoutAPhoneListTheDialogClosesAtOnce) {
  CPhoneSetupDlg setup(m_frame, m_home.File("missing.ini"));
  EXPECT_EQ(setup.DoModal(), IDCANCEL);
}

}  // namespace
