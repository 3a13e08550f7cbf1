// The suite's programs as the tray menu and the About dialog find them, the About dialog's rows and
// caption, and the settings key's values and rules.
#include "AboutDlg.h"
#include "LinkMessageBox.h"
#include "LinkSettings.h"
#include "MainFrame.h"
#include "PhoneProbe.h"
#include "ProcessTools.h"
#include "resource.h"

#include "AppTestSupport.h"

#include <base/LastError.h>
#include <base/TemporaryHome.h>
#include <base/WinError.h>
#include <registry/WinReg.h>
#include <shell/Headless.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A folder of programs: copies of the test programs under the names given.
class ProgramFolder {
 public:
  explicit ProgramFolder(const std::string& path) : m_path(path) { fs::create_directories(path); }
  void Add(const char* fixture, const std::string& name) {
    fs::copy_file(fs::path(LINKWELL_FIXTURE_DIR) / fixture, fs::path(m_path) / name,
                  fs::copy_options::overwrite_existing);
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

TEST(SuitePrograms, AreTheFolderProgramsWhoseCommentsBeginWithThePrefix) {
  tolvar::testing::TemporaryHome home;
  ProgramFolder folder(home.File("programs"));
  folder.Add("linkwell_fixture_suite_app", "Daybook");
  folder.Add("linkwell_fixture_suite_tool", "Backup");
  folder.Add("linkwell_fixture_foreign_app", "Editor");
  std::ofstream(home.File("programs/notes.exe")) << "not a program";

  const struct {
    const char* prefix;
    std::vector<std::string> files;
  } cases[] = {
      {"Dravik App", {"Daybook.exe"}},
      {"Dravik", {"Backup.exe", "Daybook.exe"}},
      {"Nobody", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> files;
    for (const SuiteProgram& program : FindSuitePrograms(folder.Path(), c.prefix, {9, 32, 40})) {
      files.push_back(program.fileName);
    }
    EXPECT_EQ(files, c.files) << c.prefix;
  }
  const std::vector<SuiteProgram> daybook = FindSuitePrograms(folder.Path(), "Dravik App", {9, 32, 40});
  ASSERT_EQ(daybook.size(), 1u);
  EXPECT_EQ(daybook[0].description, "Daybook");
  EXPECT_EQ(daybook[0].version, "2.1.0.4");
  EXPECT_EQ(daybook[0].privateBuild, "40");
  // The record's fields are bounded: a text is cut to fit, never across a character.
  EXPECT_EQ(FindSuitePrograms(folder.Path(), "Dravik App", {9, 4, 3})[0].version, "2.");
  EXPECT_EQ(BoundedText("Grüße", 4), "Gr");
  EXPECT_EQ(BoundedText("Grüße", 5), "Grü");
}

TEST(SuitePrograms, TheTrayMenuListsNineOfElevenPrograms) {
  tolvar::testing::TemporaryHome home;
  ASSERT_TRUE(tolvar::shell::RegisterTray());
  ProgramFolder folder(home.File("programs"));
  for (int i = 1; i <= 11; ++i) folder.Add("linkwell_fixture_suite_app", "App" + std::to_string(100 + i));
  const auto cwd = fs::current_path();
  fs::current_path(home.Path());  // the frame's own folder holds no programs
  setenv("TOLVAR_LINK_PORT", std::to_string(linkwell::testing::FreeLoopbackPort()).c_str(), 1);
  CSettingsKey().WriteText("Build", "ZSE_0100");
  {
    CMainFrame frame;
    ASSERT_TRUE(frame.LoadFrame(IDR_MAINFRAME, 0xCF8000));
    const int before = GetMenuItemCount(frame.TrayPopup());
    frame.BuildAppMenu(folder.Path().c_str());
    EXPECT_EQ(frame.Programs().size(), 9u);
    EXPECT_EQ(GetMenuItemCount(frame.TrayPopup()), before + 9);
    // Each is inserted under the status line's separator, so the last found is the first shown.
    EXPECT_EQ(GetMenuItemID(frame.TrayPopup(), 2), static_cast<UINT>(ID_SUITE_APP_FIRST + 8));
    EXPECT_EQ(GetMenuItemID(frame.TrayPopup(), 10), static_cast<UINT>(ID_SUITE_APP_FIRST));
    frame.DestroyWindow();
  }
  fs::current_path(cwd);
  unsetenv("TOLVAR_LINK_PORT");
  tolvar::shell::UnregisterTray();
}

TEST(AboutDialog, TheHighestBuildNumberNamesTheSuitesBuild) {
  const struct {
    std::vector<std::string> builds;
    int highest;
  } cases[] = {
      {{"12", "40", "7"}, 40}, {{}, 0}, {{"", "x1", "3"}, 3}, {{"007"}, 7},
  };
  for (const auto& c : cases) {
    std::vector<SuiteProgram> programs;
    for (const std::string& build : c.builds) programs.push_back({"a.exe", "a", "1", build});
    EXPECT_EQ(CLinkwellAboutDlg::HighestBuildOf(programs), c.highest);
  }
}

TEST(AboutDialog, ListsTheSuitesProgramsWithTheirVersions) {
  tolvar::testing::TemporaryHome home;
  const struct {
    std::vector<std::pair<const char*, const char*>> programs;
    std::vector<std::string> rows;
    std::string caption;
    const char* png;
  } cases[] = {
      {{{"linkwell_fixture_suite_app", "Daybook"}, {"linkwell_fixture_suite_tool", "Backup"},
        {"linkwell_fixture_foreign_app", "Editor"}},
       {"Backup 1.3.0.0", "Daybook 2.1.0.4"},
       "About Dravik - Build[40]",
       "linkwell-about"},
      {{}, {}, "About Dravik - Build[0]", "linkwell-about-empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    ProgramFolder folder(home.File(c.png));
    for (const auto& [fixture, name] : c.programs) folder.Add(fixture, name);
    CLinkwellAboutDlg about(folder.Path());
    std::string caption;
    HBITMAP picture = nullptr;
    std::vector<RECT> icons;  // the rows' icons, in the picture's coordinates
    linkwell::testing::TimedSteps steps({[&] {
      HWND window = about.GetSafeHwnd();
      if (!window || !IsWindowVisible(window)) return false;
      char text[128] = {};
      GetWindowTextA(window, text, sizeof text);
      caption = text;
      picture = tolvar::user::RenderWindow(window);
      RECT frame{};
      GetWindowRect(window, &frame);
      for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        RECT rect{};
        GetWindowRect(child, &rect);
        OffsetRect(&rect, -frame.left, -frame.top);
        icons.push_back(rect);
      }
      about.EndDialog(IDOK);
      return true;
    }});
    about.DoModal();
    EXPECT_EQ(caption, c.caption);
    std::vector<std::string> rows;
    for (const auto& row : about.Rows()) rows.push_back(row.description + " " + row.version);
    EXPECT_EQ(rows, c.rows);
    ASSERT_NE(picture, nullptr);
    testing_user::SavePng(picture, c.png);
    // The programs' small icons stay 16 pixels high in rows 24 apart: the band between two rows is
    // the dialog's face, with nothing of the icon above spilling into it.
    ASSERT_EQ(icons.size(), c.rows.size());
    for (std::size_t i = 0; i + 1 < icons.size(); ++i) {
      EXPECT_EQ(icons[i].bottom - icons[i].top, 16) << i;
      const COLORREF face = testing_user::PixelAt(picture, icons[i].left, icons[i + 1].top - 1);
      EXPECT_EQ(face, GetSysColor(COLOR_BTNFACE));
      for (int y = icons[i].bottom; y < icons[i + 1].top; ++y)
        for (int x = icons[i].left; x < icons[i].left + 32; ++x)
          ASSERT_EQ(testing_user::PixelAt(picture, x, y), face) << "row " << i << " at " << x << ", " << y;
    }
    DeleteObject(picture);
  }
}

TEST(AboutDialog, HasOneCloseButtonInItsCaptionWhosePressCancelsIt) {
  tolvar::testing::TemporaryHome home;
  ProgramFolder folder(home.File("programs"));
  folder.Add("linkwell_fixture_suite_app", "Daybook");
  CLinkwellAboutDlg about(folder.Path());
  HBITMAP picture = nullptr;
  RECT cell{};
  // From the dialog's own modal loop: the picture, then a press and release on the button as the
  // mouse makes them.
  linkwell::testing::TimedSteps steps({[&] {
                                         HWND window = about.GetSafeHwnd();
                                         if (!window || !IsWindowVisible(window)) return false;
                                         picture = tolvar::user::RenderWindow(window);
                                         cell = about.CaptionButtons().ButtonRect(0);
                                         RECT frame;
                                         GetWindowRect(window, &frame);
                                         const POINT at{frame.left + (cell.left + cell.right) / 2,
                                                        frame.top + (cell.top + cell.bottom) / 2};
                                         tolvar::user::InjectMouse(at, WM_MOUSEMOVE);
                                         tolvar::user::InjectMouse(at, WM_LBUTTONDOWN);
                                         tolvar::user::InjectMouse(at, WM_LBUTTONUP);
                                         return true;
                                       },
                                       // A press that did nothing must not leave the dialog open.
                                       [&, ticks = 0]() mutable {
                                         if (++ticks < 500) return false;
                                         if (about.GetSafeHwnd()) about.EndDialog(IDABORT);
                                         return true;
                                       }});
  EXPECT_EQ(about.DoModal(), IDCANCEL);
  ASSERT_EQ(about.CaptionButtons().GetButtonCount(), 1);
  EXPECT_EQ(about.CaptionButtons().GetButtonId(0), CLinkwellAboutDlg::kCloseButton);

  // The button shows bitmap 142 (a dark blue cross), keyed on magenta.
  ASSERT_NE(picture, nullptr);
  int cross = 0, key = 0;
  for (int y = cell.top; y < cell.bottom; ++y) {
    for (int x = cell.left; x < cell.right; ++x) {
      cross += testing_user::PixelAt(picture, x, y) == RGB(8, 42, 130);
      key += testing_user::PixelAt(picture, x, y) == RGB(255, 0, 255);
    }
  }
  EXPECT_GT(cross, 10);
  EXPECT_EQ(key, 0);
  testing_user::SavePng(picture, "linkwell-about-close-button");
  DeleteObject(picture);
}

TEST(Settings, EuropeanSupportFollowsTheBuildsThirdLetterExceptForQuarn) {
  const struct {
    const char* build;
    const char* phone;
    DWORD european;
  } cases[] = {
      {"ZDE_0100", "Selka", 1}, {"YQT_0100", "Ruvel", 1}, {"zde_0100", "Tavik", 1},
      {"ZDE_0100", "Quarn", 0}, {"YQT_0100", "QUARN", 0}, {"ZSA_0100", "Selka", 0},
      // A build too short to have a variant letter names no European variant.
      {"ZD", "Selka", 0}, {"", "Selka", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(EuropeanSupportFor(c.build, c.phone), c.european) << c.build << " " << c.phone;
}

TEST(Settings, TextValuesAndTheDefaultsOfMissingValues) {
  tolvar::testing::TemporaryHome home;
  CSettingsKey settings;
  ASSERT_TRUE(settings.IsOpen());
  // A repeated run may find the values of the run before (the process keeps the registry of the
  // first home it used).
  settings.DeleteValue("Build");
  settings.DeleteValue("ATTimeOut");
  EXPECT_FALSE(settings.ReadText("Build").has_value());
  ASSERT_TRUE(settings.WriteText("Build", "ZDE_0100/x"));
  EXPECT_EQ(settings.ReadText("Build").value_or("-"), "ZDE_0100/x");
  EXPECT_EQ(settings.ReadText("Build", 4).value_or("-"), "ZDE");  // 4 bytes with the NUL
  settings.WriteDword("CommsTimeOut", 500);
  EXPECT_FALSE(settings.ReadText("CommsTimeOut").has_value());  // not text
  EXPECT_TRUE(settings.DeleteValue("Build"));
  EXPECT_FALSE(settings.ReadText("Build").has_value());
  EXPECT_FALSE(settings.DeleteValue("Build"));

  // "ATTimeOut" is written back with its default when it is missing; a value present is kept.
  EXPECT_FALSE(settings.ReadDword("ATTimeOut").has_value());
  EXPECT_EQ(LoadATTimeOut(), 3000u);
  EXPECT_EQ(settings.ReadDword("ATTimeOut").value_or(0), 3000u);
  settings.WriteDword("ATTimeOut", 1200);
  EXPECT_EQ(LoadATTimeOut(), 1200u);
  // The process keeps the last value read: give it its default back for the tests after this one.
  settings.WriteDword("ATTimeOut", 3000);
  LoadATTimeOut();
}

TEST(Processes, AStartGivesItsOwnOutcomeAndLeavesNoErrorBehind) {
  const struct {
    std::string commandLine;
    DWORD error;
  } cases[] = {
      {"NoSuchProgram.exe", ERROR_FILE_NOT_FOUND},
      {std::string(LINKWELL_FIXTURE_DIR) + "/linkwell_fixture_suite_app", 0},
  };
  for (const auto& c : cases) {
    SetLastError(ERROR_ACCESS_DENIED);  // stale: must not come back as the start's outcome
    EXPECT_EQ(StartProcess(c.commandLine), c.error) << c.commandLine;
    EXPECT_EQ(GetLastError(), 0u);
  }
}

}  // namespace

namespace {

struct BoxLayout {
  int width = 0;
  POINT text{};
  bool iconShown = false;
};

// The link service's message box of `type`, as laid out when it opens.
BoxLayout LayoutOfMessageBox(UINT type) {
  BoxLayout layout;
  linkwell::testing::TimedSteps steps({[&] {
    HWND box = FindWindowA(nullptr, "Layout");
    if (!box || !IsWindowVisible(box)) return false;
    RECT window{}, text{};
    GetWindowRect(box, &window);
    layout.width = window.right - window.left;
    GetWindowRect(GetDlgItem(box, IDC_MESSAGE_TEXT), &text);
    layout.text = POINT{text.left, text.top};
    ScreenToClient(box, &layout.text);
    layout.iconShown = IsWindowVisible(GetDlgItem(box, IDC_MESSAGE_ICON));
    PostMessageA(box, WM_COMMAND, IDC_MESSAGE_BUTTON1, 0);
    return true;
  }});
  ShowLinkMessage("A message long enough to make the box wider than its least width", "Layout", type);
  return layout;
}

}  // namespace

TEST(LinkMessageBox, AnyIconBitsMakeRoomForAnIconButOnlyTheFourIconsShowOne) {
  linkwell::testing::App();
  const BoxLayout plain = LayoutOfMessageBox(MB_OK);
  EXPECT_EQ(plain.text.x, 15);
  EXPECT_EQ(plain.text.y, 35);
  EXPECT_FALSE(plain.iconShown);
  struct Case {
    UINT type;
    bool iconShown;
  } const cases[] = {{MB_ICONINFORMATION, true}, {MB_ICONHAND, true}, {0x50, false}, {0xF0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const BoxLayout layout = LayoutOfMessageBox(c.type);
    EXPECT_EQ(layout.width, plain.width + 40);
    EXPECT_EQ(layout.text.x, 55);
    EXPECT_EQ(layout.text.y, 30);
    EXPECT_EQ(layout.iconShown, c.iconShown);
  }
}
