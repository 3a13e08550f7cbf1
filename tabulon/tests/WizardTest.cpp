// Both wizards as Daybook runs them: the library loaded by name, its entry points looked up, and
// the sheet walked by injected clicks and keys from a second thread while the caller's thread runs
// it. Each walk checks the result and the caller's list afterwards. With TEST_PNG_DIR set, every
// page is written as a PNG.
#include "CsvSettings.h"
#include "EngineSupport.h"

#include <framework/Afx.h>
#include <kernel/File.h>
#include <kernel/Module.h>
#include <shell/CommDlg.h>
#include <registry/WinReg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace tabulon;
using namespace tabulon::testing;
using Rows = std::vector<std::vector<std::string>>;

namespace {

class CTabulonTestApp : public CWinApp {
public:
  CTabulonTestApp() : CWinApp("Tabulon tests") {}
} theApp;

// The pages' controls (the library's resource ids).
constexpr int kFile = 1000, kBrowse = 1001, kComma = 1004, kSemicolon = 1003, kOther = 1006, kHeaderLine = 1010,
              kOtherText = 1012;
constexpr int kCsvList = 1013, kFieldList = 1014, kMap = 1021, kUnmap = 1022, kUp = 1023, kDown = 1024,
              kErase = 1019, kDefault = 1020;
constexpr int kWarningText = 2003, kApplyAll = 1010, kReportList = 2004;

HWND Sheet() { return FindWindowA("TolvarWizardSheet", nullptr); }
HWND Page() {
  HWND sheet = Sheet();
  return sheet ? reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) : nullptr;
}
int PageId() {
  HWND sheet = Sheet();
  if (!sheet || !IsWindowVisible(sheet)) return -1;
  const auto index = SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(Page()), 0);
  return static_cast<int>(SendMessageA(sheet, PSM_INDEXTOID, static_cast<WPARAM>(index), 0));
}

bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Injected input goes where the capture is when it is injected: the next press must wait until the
// wizard's thread has handled the last release. A window of that thread is painted only once its
// queue holds nothing else, input included, so a repaint of a helper window is the barrier.
std::atomic<int> g_barrier{0};
HWND g_barrierWindow = nullptr;
LRESULT BarrierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    ++g_barrier;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
void MakeBarrierWindow() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = BarrierProc;
    windowClass.lpszClassName = "TabulonTestBarrier";
    return RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;
  if (!g_barrierWindow)
    g_barrierWindow = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "TabulonTestBarrier", "", WS_POPUP | WS_VISIBLE,
                                      -50, -50, 2, 2, nullptr, nullptr, nullptr, nullptr);
}
bool WaitFor(const std::function<bool()>& done);
void Barrier() {
  const int before = g_barrier;
  InvalidateRect(g_barrierWindow, nullptr, FALSE);
  WaitFor([before] { return g_barrier > before || Sheet() == nullptr; });  // no wizard: nothing pumps
}

void Key(UINT key) {
  tolvar::user::InjectKey(key, true);
  tolvar::user::InjectKey(key, false);
  Barrier();
}
void ClickAt(POINT point) {
  tolvar::user::InjectMouse(point, WM_LBUTTONDOWN);
  tolvar::user::InjectMouse(point, WM_LBUTTONUP);
  Barrier();
}
void Click(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}
void ClickSheet(int id) { Click(GetDlgItem(Sheet(), id)); }
void ClickPage(int id) { Click(GetDlgItem(Page(), id)); }
// A row of a list view on the current page.
void ClickRow(int list, int row) {
  HWND window = GetDlgItem(Page(), list);
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  SendMessageA(window, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
  POINT point{rect.left + 8, (rect.top + rect.bottom) / 2};
  ClientToScreen(window, &point);
  ClickAt(point);
}
// Typing into an edit (or a drop-down's edit) that a click has focused.
void TypeInto(HWND edit, const std::string& text) {
  Click(edit);
  tolvar::user::InjectText(text.c_str());
  Barrier();
}

bool Enabled(HWND window) { return window && IsWindowEnabled(window); }
bool NextEnabled() { return Enabled(GetDlgItem(Sheet(), ID_WIZNEXT)); }
std::string Text(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}
std::string ItemText(int list, int row, int column) {
  char text[256] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(GetDlgItem(Page(), list), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}
std::vector<std::string> ReportLines() {
  HWND list = GetDlgItem(Page(), kReportList);
  std::vector<std::string> lines;
  const auto count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[512] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    lines.emplace_back(text);
  }
  return lines;
}

// A message box over the sheet, and its texts.
HWND MessageBoxWindow() {
  HWND box = FindWindowA("#32770", nullptr);
  return box && IsWindowVisible(box) && GetDlgItem(box, edt1) == nullptr ? box : nullptr;
}
std::string BoxText(HWND box) {
  std::string all;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM param) {
        *reinterpret_cast<std::string*>(param) += Text(child) + "|";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}
// Waits for a message box, checks that it says `text`, and presses `button`.
bool Answer(const std::string& text, int button, std::vector<std::string>& failures) {
  if (!WaitFor([] { return MessageBoxWindow() != nullptr; })) {
    failures.push_back("no message box for " + text + " on page " + std::to_string(PageId()));
    return false;
  }
  HWND box = MessageBoxWindow();
  if (BoxText(box).find(text) == std::string::npos) failures.push_back("message box says " + BoxText(box));
  Click(GetDlgItem(box, button));
  return WaitFor([box] { return !IsWindow(box) || !IsWindowVisible(box); });
}

void Shot(const char* name) {
  HBITMAP shot = tolvar::user::RenderWindow(Sheet());
  testing_user::SavePng(shot, name);
  DeleteObject(shot);
}

#define DRIVER_EXPECT(condition)                                                        \
  do {                                                                                  \
    if (!(condition)) failures.push_back("driver line " + std::to_string(__LINE__) + ": " #condition); \
  } while (false)

void ClearSettings() {
  for (int i = 0; i < 30; ++i)
    RegDeleteKeyA(HKEY_CURRENT_USER, ("Software\\Halvane\\Tolvar\\Tabulon\\File" + std::to_string(i)).c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Tabulon");
}

class Wizard : public ::testing::Test {
protected:
  void SetUp() override {
    ClearSettings();
    m_folder = fs::path(std::getenv("TOLVAR_HOME")) / ("wizard-" + std::to_string(++s_run));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_library = LoadLibraryA("Tabulon.dll");
    ASSERT_NE(m_library, nullptr);
    m_export = reinterpret_cast<CsvWizardProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(m_library, "dwCSVExportationWizard_DoModal")));
    m_import = reinterpret_cast<CsvWizardProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(m_library, "dwCSVImportationWizard_DoModal")));
    ASSERT_NE(m_export, nullptr);
    ASSERT_NE(m_import, nullptr);
    m_fields.Add(CSV_FIELD_TEXT, "Name", 20, "nobody");
    m_fields.Add(CSV_FIELD_PHONE, "Phone", 20, "");
    m_fields.Add(CSV_FIELD_EMAIL, "Mail", 30, "none@x.org");
    m_fields.Add(CSV_FIELD_INTEGER, "Group", 20, "", 0);
  }
  void TearDown() override {
    if (m_library) FreeLibrary(m_library);
  }

  // Runs a wizard on this thread while `drive` walks it from another.
  int Run(CsvWizardProc wizard, RecordList& list, const std::function<void(std::vector<std::string>&)>& drive) {
    std::vector<std::string> failures;
    MakeBarrierWindow();
    std::thread driver([&] {
      if (!WaitFor([] { return PageId() > 0; })) failures.push_back("no wizard");
      else drive(failures);
      for (int i = 0; i < 50 && IsWindow(Sheet()); ++i) {  // a stuck walk still ends
        if (HWND box = FindWindowA("#32770", nullptr); box && GetDlgItem(box, edt1)) {
          PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          continue;
        }
        if (HWND box = MessageBoxWindow()) {
          PostMessageA(box, WM_COMMAND, GetDlgItem(box, IDYES) ? IDYES : IDOK, 0);
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          continue;
        }
        PostMessageA(Sheet(), WM_CLOSE, 0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    });
    const int result = wizard(static_cast<int>(m_fields.infos.size()), m_fields.infos.data(), &list.list);
    driver.join();
    for (const std::string& failure : failures) ADD_FAILURE() << failure;
    return result;
  }

  std::string WriteCsv(const char* name, const std::string& bytes) {
    const fs::path path = m_folder / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  static std::string ReadFile(const fs::path& path) {
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
  }
  void Remember(const std::vector<CsvFileSlot>& slots, int count) {
    CCsvSettings settings(count);
    for (auto it = slots.rbegin(); it != slots.rend(); ++it) settings.Remember(*it);
    ASSERT_TRUE(settings.Save());
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Tabulon", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    const DWORD value = static_cast<DWORD>(count);
    RegSetValueExA(key, "CSV_NFILES", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
  }
  static std::vector<CsvFileSlot> Remembered() {
    CCsvSettings settings;
    settings.Load();
    return settings.Slots();
  }

  static inline int s_run = 0;
  fs::path m_folder;
  HMODULE m_library = nullptr;
  CsvWizardProc m_export = nullptr;
  CsvWizardProc m_import = nullptr;
  Fields m_fields;
};

}  // namespace

TEST_F(Wizard, ExportsTheListAndRemembersTheFile) {
  RecordList list(m_fields.infos);
  list.Add({"Ann \"A\", B", "+441", "ann@x.org", "3"});
  list.Add({"\xC3\xA9mile", "12", "e@x.org", "0"});
  const std::string path = (m_folder / "out.csv").string();

  const int result = Run(m_export, list, [&](std::vector<std::string>& failures) {
    DRIVER_EXPECT(PageId() == 107);
    DRIVER_EXPECT(Text(GetDlgItem(Page(), 1007)) == "1 - Please select the exportation result file");
    DRIVER_EXPECT(!NextEnabled());  // nothing remembered, nothing typed
    Shot("tabulon-export-config");
    HWND combo = GetDlgItem(Page(), kFile);
    TypeInto(GetWindow(combo, GW_CHILD), path);
    DRIVER_EXPECT(WaitFor([&] { return Text(combo) == path; }));
    DRIVER_EXPECT(!NextEnabled());  // no separator yet
    ClickPage(kSemicolon);
    DRIVER_EXPECT(WaitFor(NextEnabled));
    ClickPage(kHeaderLine);
    ClickSheet(ID_WIZNEXT);
    // The export has no mapping page: the run goes straight on to the report.
    DRIVER_EXPECT(WaitFor([] { return PageId() == 111; }));
    Shot("tabulon-export-report");
    const auto lines = ReportLines();
    DRIVER_EXPECT(lines.size() == 10u);
    DRIVER_EXPECT(lines.size() == 10u && lines[5] == "Exportation to : " + path);
    DRIVER_EXPECT(lines.size() == 10u && lines[6] == "2 records exported");
    DRIVER_EXPECT(lines.size() == 10u && lines[9] == "****  Everything is OK  ****");
    DRIVER_EXPECT(!Enabled(GetDlgItem(Sheet(), IDCANCEL)));
    ClickSheet(ID_WIZFINISH);
    DRIVER_EXPECT(WaitFor([] { return Sheet() == nullptr; }));
  });

  EXPECT_EQ(result, ID_WIZFINISH);
  EXPECT_EQ(ReadFile(path),
            "\"Name\";\"Phone\";\"Mail\";\"Group\"\r\n"
            "\"Ann \"\"A\"\", B\";\"+441\";\"ann@x.org\";\"3\"\r\n"
            "\"\xC3\xA9mile\";\"12\";\"e@x.org\";\"0\"\r\n");
  EXPECT_EQ(list.list.count, 2);
  EXPECT_EQ(fs::directory_iterator(m_folder)->path().filename(), "out.csv");  // no temporary left
  const auto slots = Remembered();
  ASSERT_EQ(slots.size(), 5u);
  EXPECT_EQ(slots[0], (CsvFileSlot{path, ';', true}));
}

// Runs long enough to be seen: the progress page while an export writes and while an import reads,
// then the report. The last page
// is never reached by a run (the report finishes the wizard); shown here by the sheet's own
// message, it offers Finish alone, which ends the wizard as the report's does.
TEST_F(Wizard, ALongRunShowsItsProgressAndTheLastPageFinishesToo) {
  constexpr int kRecords = 100000;
  RecordList list(m_fields.infos);
  for (int i = 0; i < kRecords; ++i) list.Add({"Person " + std::to_string(i), "+44 1", "p@x.org", "1"});
  const std::string path = (m_folder / "long.csv").string();
  Remember({{path, ',', true}}, 5);

  const int result = Run(m_export, list, [&](std::vector<std::string>& failures) {
    ClickSheet(ID_WIZNEXT);
    DRIVER_EXPECT(WaitFor([] { return PageId() == 110; }));
    Shot("tabulon-export-progress");
    // Pages only go forward: still on the progress page after the shot, the picture shows it.
    DRIVER_EXPECT(PageId() == 110);
    DRIVER_EXPECT(WaitFor([] { return PageId() == 111; }));
    DRIVER_EXPECT(ReportLines().size() == 10u && ReportLines()[6] == std::to_string(kRecords) + " records exported");
    SendMessageA(Sheet(), PSM_SETCURSELID, 0, 109);
    DRIVER_EXPECT(WaitFor([] { return PageId() == 109; }));
    DRIVER_EXPECT(Enabled(GetDlgItem(Sheet(), ID_WIZFINISH)) && !Enabled(GetDlgItem(Sheet(), ID_WIZNEXT)));
    Shot("tabulon-last-page");
    {  // the page itself is on the button face; only its edits and lists would be white
      HBITMAP shot = tolvar::user::RenderWindow(Sheet());
      RECT sheet{}, page{};
      GetWindowRect(Sheet(), &sheet);
      GetWindowRect(Page(), &page);
      DRIVER_EXPECT(testing_user::PixelAt(shot, page.left - sheet.left + 10, page.bottom - sheet.top - 10) ==
                    GetSysColor(COLOR_BTNFACE));
      DeleteObject(shot);
    }
    ClickSheet(ID_WIZFINISH);
  });

  EXPECT_EQ(result, ID_WIZFINISH);
  EXPECT_EQ(list.list.count, kRecords);
  const std::string bytes = ReadFile(path);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), kRecords + 1);
  EXPECT_TRUE(bytes.ends_with("\"Person 99999\",\"+44 1\",\"p@x.org\",\"1\"\r\n"));

  // The same file read back, seen on the import's progress page.
  RecordList back(m_fields.infos);
  const int imported = Run(m_import, back, [&](std::vector<std::string>& failures) {
    ClickSheet(ID_WIZNEXT);
    DRIVER_EXPECT(WaitFor([] { return PageId() == 108; }));
    ClickPage(kDefault);
    ClickSheet(ID_WIZNEXT);
    DRIVER_EXPECT(WaitFor([] { return PageId() == 110; }));
    Shot("tabulon-import-progress");
    DRIVER_EXPECT(PageId() == 110);
    DRIVER_EXPECT(WaitFor([] { return PageId() == 111; }));
    ClickSheet(ID_WIZFINISH);
  });
  EXPECT_EQ(imported, ID_WIZFINISH);
  ASSERT_EQ(back.list.count, kRecords);
  EXPECT_EQ(back.Rows().back(), (std::vector<std::string>{"Person 99999", "+441", "p@x.org", "1"}));
}

TEST_F(Wizard, RememberedFilesFillTheDropDownAndMoveUpWhenChosen) {
  const std::string a = (m_folder / "a.csv").string(), b = (m_folder / "b.csv").string(),
                    c = (m_folder / "c.csv").string();
  Remember({{a, ',', false}, {b, '|', true}, {c, '\t', false}}, 3);
  RecordList list(m_fields.infos);
  const int result = Run(m_export, list, [&](std::vector<std::string>& failures) {
    HWND page = Page();
    DRIVER_EXPECT(Text(GetDlgItem(page, kFile)) == a);  // slot 0 chosen, with its separator
    DRIVER_EXPECT(IsDlgButtonChecked(page, kComma) == BST_CHECKED);
    DRIVER_EXPECT(SendDlgItemMessageA(page, kFile, CB_GETCOUNT, 0, 0) == 3);
    DRIVER_EXPECT(NextEnabled());
    // The third entry: "Other :" with its character, and the header line.
    HWND combo = GetDlgItem(page, kFile);
    Click(GetWindow(combo, GW_CHILD));
    Key(VK_DOWN);
    DRIVER_EXPECT(WaitFor([&] { return Text(combo) == b; }));
    DRIVER_EXPECT(WaitFor([&] { return IsDlgButtonChecked(page, kOther) == BST_CHECKED; }));
    DRIVER_EXPECT(Text(GetDlgItem(page, kOtherText)) == "|");
    DRIVER_EXPECT(IsDlgButtonChecked(page, kHeaderLine) == BST_CHECKED);
    Key(VK_DOWN);
    DRIVER_EXPECT(WaitFor([&] { return Text(combo) == c; }));
    DRIVER_EXPECT(WaitFor([&] { return IsDlgButtonChecked(page, 1005) == BST_CHECKED; }));
    ClickSheet(ID_WIZNEXT);
    DRIVER_EXPECT(WaitFor([] { return PageId() == 111; }));
    const auto lines = ReportLines();
    DRIVER_EXPECT(lines.size() == 10u && lines[6] == "0 records exported");
    ClickSheet(ID_WIZFINISH);
  });
  EXPECT_EQ(result, ID_WIZFINISH);
  EXPECT_EQ(ReadFile(c), "");  // an empty list without a header line writes nothing
  // The chosen file moved to the top; the slot count kept.
  EXPECT_EQ(Remembered(), (std::vector<CsvFileSlot>{{c, '\t', false}, {a, ',', false}, {b, '|', true}}));
}

TEST_F(Wizard, BrowseSelectsARememberedPathWhateverItsCaseAndOtherRefusesAQuote) {
  const std::string existing = WriteCsv("Data.csv", "x\n");
  const std::string typedOtherCase = (m_folder / "DATA.CSV").string();
  Remember({{(m_folder / "data.csv").string(), ';', false}}, 5);
  RecordList list(m_fields.infos);
  const int result = Run(m_export, list, [&](std::vector<std::string>& failures) {
    HWND page = Page();
    ClickPage(kBrowse);
    HWND dialog = nullptr;
    DRIVER_EXPECT(WaitFor([&] {
      dialog = FindWindowA("#32770", nullptr);
      return dialog && GetDlgItem(dialog, edt1) && IsWindowVisible(dialog);
    }));
    if (dialog) {
      TypeInto(GetDlgItem(dialog, edt1), typedOtherCase);
      Key(VK_RETURN);
      // A save dialog may ask before creating the file: Yes.
      DRIVER_EXPECT(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog) || MessageBoxWindow(); }));
      if (HWND prompt = MessageBoxWindow()) {
        Click(GetDlgItem(prompt, IDYES));
        DRIVER_EXPECT(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
      }
    }
    DRIVER_EXPECT(SendDlgItemMessageA(page, kFile, CB_GETCOUNT, 0, 0) == 1);
    DRIVER_EXPECT(Text(GetDlgItem(page, kFile)) == (m_folder / "data.csv").string());

    // "Other :" refuses a quote: the box is emptied and Next goes off.
    TypeInto(GetDlgItem(page, kOtherText), "\"");
    DRIVER_EXPECT(WaitFor([&] { return IsDlgButtonChecked(page, kOther) == BST_CHECKED; }));
    DRIVER_EXPECT(Text(GetDlgItem(page, kOtherText)).empty());
    DRIVER_EXPECT(WaitFor([] { return !NextEnabled(); }));
    Shot("tabulon-config-other");
    tolvar::user::InjectText("#");
    Barrier();
    DRIVER_EXPECT(WaitFor(NextEnabled));
    // Cancel asks first: No keeps the wizard, Yes ends it.
    ClickSheet(IDCANCEL);
    Answer("Are you sure you want to quit?", IDNO, failures);
    DRIVER_EXPECT(PageId() == 107);
    ClickSheet(IDCANCEL);
    Answer("Are you sure you want to quit?", IDYES, failures);
    DRIVER_EXPECT(WaitFor([] { return Sheet() == nullptr; }));
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(ReadFile(existing), "x\n");
  EXPECT_EQ(list.list.count, 0);
}

TEST_F(Wizard, ImportsThroughMappingAndWarnings) {
  const std::string path = WriteCsv("in.csv",
                                    "Name,Phone,Mail,Group\r\n"
                                    "Ann,1,ann@x.org,1\r\n"
                                    "Bob,+,bob@x.org,2\r\n"
                                    "Cy,2,bad,3\r\n"
                                    "Di,3,di@x.org,4\r\n");
  Remember({{path, ',', true}}, 5);
  RecordList list(m_fields.infos);
  list.Add({"Old", "9", "old@x.org", "5"});
  std::vector<std::string> report;
  const int result = Run(m_import, list, [&](std::vector<std::string>& failures) {
    DRIVER_EXPECT(Text(GetDlgItem(Page(), 1007)) == "1 - Please select the file to import");
    Shot("tabulon-import-config");
    ClickSheet(ID_WIZNEXT);
    DRIVER_EXPECT(WaitFor([] { return PageId() == 108; }));
    DRIVER_EXPECT(ItemText(kCsvList, 0, 0) == "Name");
    DRIVER_EXPECT(ItemText(kCsvList, 3, 0) == "Group");
    DRIVER_EXPECT(ItemText(kFieldList, 2, 0) == "Mail");
    DRIVER_EXPECT(!Enabled(GetDlgItem(Page(), kMap)));
    // Next with nothing mapped: message 28, and the page stays.
    ClickSheet(ID_WIZNEXT);
    Answer("You must MAP at least one item to proceed!", IDOK, failures);
    DRIVER_EXPECT(PageId() == 108);

    ClickPage(kDefault);
    DRIVER_EXPECT(WaitFor([] { return ItemText(kFieldList, 3, 1) == "Group"; }));
    ClickRow(kFieldList, 0);
    DRIVER_EXPECT(WaitFor([] { return Enabled(GetDlgItem(Page(), kDown)); }));
    DRIVER_EXPECT(!Enabled(GetDlgItem(Page(), kUp)));
    ClickPage(kDown);  // Name's column moves to the second field, Phone's to the first
    DRIVER_EXPECT(WaitFor([] { return ItemText(kFieldList, 1, 1) == "Name"; }));
    DRIVER_EXPECT(ItemText(kFieldList, 0, 1) == "Phone");
    ClickPage(kUp);
    DRIVER_EXPECT(WaitFor([] { return ItemText(kFieldList, 0, 1) == "Name"; }));
    ClickPage(kErase);
    DRIVER_EXPECT(WaitFor([] { return ItemText(kFieldList, 0, 1).empty(); }));
    ClickPage(kDefault);
    DRIVER_EXPECT(WaitFor([] { return ItemText(kFieldList, 3, 1) == "Group"; }));
    // Unmap the group, then map it again from its column.
    ClickRow(kFieldList, 3);
    DRIVER_EXPECT(WaitFor([] { return Enabled(GetDlgItem(Page(), kUnmap)); }));
    ClickPage(kUnmap);
    DRIVER_EXPECT(WaitFor([] { return ItemText(kFieldList, 3, 1).empty(); }));
    ClickRow(kCsvList, 3);
    DRIVER_EXPECT(WaitFor([] { return Enabled(GetDlgItem(Page(), kMap)); }));
    ClickPage(kMap);
    DRIVER_EXPECT(WaitFor([] { return ItemText(kFieldList, 3, 1) == "Group"; }));
    Shot("tabulon-import-mapping");
    ClickSheet(ID_WIZNEXT);

    // Record 2's phone: Force (Back); record 3's mail: Skip (Next).
    DRIVER_EXPECT(WaitFor([] { return PageId() == 110 && IsWindowVisible(GetDlgItem(Page(), kWarningText)); }));
    DRIVER_EXPECT(Text(GetDlgItem(Page(), kWarningText)) == "The format of the number \"Phone\" is incorrect");
    DRIVER_EXPECT(Text(GetDlgItem(Sheet(), ID_WIZBACK)) == "Force");
    DRIVER_EXPECT(Text(GetDlgItem(Sheet(), ID_WIZNEXT)) == "Skip");
    Shot("tabulon-import-warning");
    ClickSheet(ID_WIZBACK);
    DRIVER_EXPECT(WaitFor([] {
      return IsWindowVisible(GetDlgItem(Page(), kWarningText)) &&
             Text(GetDlgItem(Page(), kWarningText)) == "The format of the e-mail \"Mail\" is incorrect";
    }));
    ClickSheet(ID_WIZNEXT);
    DRIVER_EXPECT(WaitFor([] { return PageId() == 111; }));
    Shot("tabulon-import-report");
    report = ReportLines();
    ClickSheet(ID_WIZFINISH);
  });
  EXPECT_EQ(result, ID_WIZFINISH);
  EXPECT_EQ(list.Rows(), (Rows{{"Old", "9", "old@x.org", "5"},
                               {"Ann", "1", "ann@x.org", "1"},
                               {"Bob", "", "bob@x.org", "2"},
                               {"Di", "3", "di@x.org", "4"}}));
  // The report is the log: its path, the rule, the date, the warnings and the summary.
  ASSERT_GE(report.size(), 10u);
  EXPECT_NE(report[0].find("CSV"), std::string::npos);
  EXPECT_EQ(report[1], std::string(60, '-'));
  EXPECT_EQ(report[3].rfind("Date: ", 0), 0u);
  EXPECT_EQ(report[5], "Record 2: The format of the number \"Phone\" is incorrect ... <forced >");
  EXPECT_EQ(report[6], "Record 3: The format of the e-mail \"Mail\" is incorrect ... <skipped>");
  EXPECT_EQ(report[9], "Number of records imported : 3");
  EXPECT_EQ(report[10], "Number of records skipped : 1");
  EXPECT_EQ(report[11], "Number of Warnings : 2");
  // The log is on drive C, under the home.
  const fs::path drive = fs::path(std::getenv("TOLVAR_HOME")) / "drive_c";
  bool logFound = false;
  for (auto& entry : fs::directory_iterator(drive)) logFound |= entry.path().extension() == ".log";
  EXPECT_TRUE(logFound);
}

TEST_F(Wizard, ImportFileErrorsKeepTheFirstPage) {
  const std::string empty = WriteCsv("empty.csv", "");
  const std::string headerOnly = WriteCsv("header.csv", "a,b\r\n");
  const std::string missing = (m_folder / "missing.csv").string();
  Remember({{missing, ',', false}, {empty, ',', false}, {headerOnly, ',', true}}, 5);
  RecordList list(m_fields.infos);
  const int result = Run(m_import, list, [&](std::vector<std::string>& failures) {
    ClickSheet(ID_WIZNEXT);
    Answer("The file \"" + missing + "\" does not exist!!! ", IDOK, failures);
    HWND combo = GetDlgItem(Page(), kFile);
    Click(GetWindow(combo, GW_CHILD));
    Key(VK_DOWN);
    DRIVER_EXPECT(WaitFor([&] { return Text(combo) == empty; }));
    ClickSheet(ID_WIZNEXT);
    Answer("There is no data in the file!", IDOK, failures);
    Click(GetWindow(combo, GW_CHILD));
    Key(VK_DOWN);
    DRIVER_EXPECT(WaitFor([&] { return Text(combo) == headerOnly; }));
    ClickSheet(ID_WIZNEXT);
    Answer("The file has only the header line!", IDOK, failures);
    DRIVER_EXPECT(PageId() == 107);
    ClickSheet(IDCANCEL);
    Answer("Are you sure you want to quit?", IDYES, failures);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(list.list.count, 0);
}

TEST_F(Wizard, CancelOnTheMappingAndProgressPages) {
  const std::string path = WriteCsv("in.csv", "Ann,1,ann@x.org,1\nBob,+,bob@x.org,2\nCy,3,cy@x.org,3\n");
  Remember({{path, ',', false}}, 5);
  {
    RecordList list(m_fields.infos);
    const int result = Run(m_import, list, [&](std::vector<std::string>& failures) {
      ClickSheet(ID_WIZNEXT);
      DRIVER_EXPECT(WaitFor([] { return PageId() == 108; }));
      DRIVER_EXPECT(ItemText(kCsvList, 0, 0) == "Field00");
      ClickSheet(IDCANCEL);
      Answer("Are you sure you want to quit?", IDYES, failures);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(list.list.count, 0);
  }
  {
    // Quitting while record 2's warning waits keeps record 1.
    RecordList list(m_fields.infos);
    const int result = Run(m_import, list, [&](std::vector<std::string>& failures) {
      ClickSheet(ID_WIZNEXT);
      DRIVER_EXPECT(WaitFor([] { return PageId() == 108; }));
      ClickPage(kDefault);
      DRIVER_EXPECT(WaitFor([] { return ItemText(kFieldList, 3, 1) == "Field03"; }));
      ClickSheet(ID_WIZNEXT);
      DRIVER_EXPECT(WaitFor([] { return PageId() == 110 && IsWindowVisible(GetDlgItem(Page(), kWarningText)); }));
      ClickSheet(IDCANCEL);
      Answer("Are you sure you want to quit?", IDNO, failures);  // the warning still waits
      DRIVER_EXPECT(IsWindowVisible(GetDlgItem(Page(), kWarningText)));
      ClickSheet(IDCANCEL);
      Answer("Are you sure you want to quit?", IDYES, failures);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(list.Rows(), (Rows{{"Ann", "1", "ann@x.org", "1"}}));
  }
}

TEST_F(Wizard, AnExportThatCannotBeWrittenLeavesNothingAndSaysSo) {
  RecordList list(m_fields.infos);
  list.Add({"Ann", "1", "ann@x.org", "1"});
  const std::string locked = WriteCsv("locked.csv", "old");
  ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  for (const std::string& target : {(m_folder / "no-such-folder" / "out.csv").string(), locked}) {
    Remember({{target, ',', false}}, 5);
    const int result = Run(m_export, list, [&](std::vector<std::string>& failures) {
      ClickSheet(ID_WIZNEXT);
      DRIVER_EXPECT(WaitFor([] { return PageId() == 111; }));
      const auto lines = ReportLines();
      DRIVER_EXPECT(lines.size() == 10u && lines[9].find("could not be written") != std::string::npos);
      DRIVER_EXPECT(lines.size() == 10u && lines[9].find("Everything is OK") == std::string::npos);
      Shot("tabulon-export-failed");
      ClickSheet(ID_WIZFINISH);
    });
    EXPECT_EQ(result, ID_WIZFINISH);
  }
  EXPECT_EQ(ReadFile(locked), "old");
  std::vector<std::string> names;
  for (auto& entry : fs::directory_iterator(m_folder)) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"locked.csv"});
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}
