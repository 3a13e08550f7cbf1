// Tabulon's two wizards as Daybook runs them, on 100,000 records: the library loaded by name, the
// export wizard writing them to a file and the import wizard reading the file back, each from its
// call to its return. A second thread walks the pages as a person would press the buttons: the
// file is the remembered one, the import takes the default mapping. The goal is under 2 s each.
#include "CsvEngine.h"
#include "CsvSettings.h"
#include "EngineSupport.h"

#include <base/TemporaryHome.h>
#include <framework/Afx.h>
#include <kernel/Module.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

using namespace tabulon;
using namespace tabulon::testing;

namespace {

class CBenchApp : public CWinApp {
public:
  CBenchApp() : CWinApp("Tabulon bench") {}
} theApp;

constexpr int kRows = 100000;
constexpr int kDefaultMapping = 1020;  // the mapping page's "Default" button

HWND Sheet() { return FindWindowA("TolvarWizardSheet", nullptr); }
int PageId() {
  HWND sheet = Sheet();
  if (!sheet || !IsWindowVisible(sheet)) return -1;
  HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  const auto index = SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0);
  return static_cast<int>(SendMessageA(sheet, PSM_INDEXTOID, static_cast<WPARAM>(index), 0));
}
bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    // Each look asks the wizard's thread: not so often that the asking is what the bench measures.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}
bool WaitForPage(int id) { return WaitFor([id] { return PageId() == id; }); }
void Press(int button) { PostMessageA(Sheet(), PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0); }

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// Runs `wizard` on this thread while `drive` presses its buttons; prints the time of the call.
int Timed(const char* what, CsvWizardProc wizard, Fields& fields, RecordList& list,
          const std::function<bool()>& drive) {
  std::atomic<bool> walked{false};
  std::thread driver([&] { walked = drive(); });
  const auto start = Clock::now();
  const int result = wizard(static_cast<int>(fields.infos.size()), fields.infos.data(), &list.list);
  const auto end = Clock::now();
  driver.join();
  std::printf("%s: result %d, %d records in the list, %.0f ms%s\n", what, result, list.list.count, Ms(start, end),
              walked ? "" : " (the walk did not finish)");
  return result;
}

}  // namespace

int main() {
  tolvar::testing::TemporaryHome home;
  const std::string path = (std::filesystem::path(home.Path()) / "contacts.csv").string();
  {
    CCsvSettings settings;
    settings.Remember({path, ';', true});
    settings.Save();
  }
  HMODULE library = LoadLibraryA("Tabulon.dll");
  if (!library) {
    std::printf("Tabulon.dll not found\n");
    return 1;
  }
  auto exportWizard = reinterpret_cast<CsvWizardProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "dwCSVExportationWizard_DoModal")));
  auto importWizard = reinterpret_cast<CsvWizardProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "dwCSVImportationWizard_DoModal")));

  Fields fields;
  fields.Add(CSV_FIELD_TEXT, "Name", 30);
  fields.Add(CSV_FIELD_PHONE, "Mobile", 40);
  fields.Add(CSV_FIELD_PHONE, "Work", 40);
  fields.Add(CSV_FIELD_EMAIL, "Mail", 64);
  fields.Add(CSV_FIELD_TEXT, "Info", 64);
  fields.Add(CSV_FIELD_INTEGER, "Group", 20);
  RecordList list(fields.infos);
  for (int i = 0; i < kRows; ++i) {
    const std::string n = std::to_string(i);
    list.Add({"Person " + n + " \"Jr\"; " + n, "+44 7700 " + std::to_string(900000 + i), "0123456789",
              "p" + n + "@example.org", "Met at the fair; likes tea", std::to_string(i % 21)});
  }

  // Export: the remembered file and its separator are chosen as the page opens; Next runs it.
  Timed("export wizard", exportWizard, fields, list, [] {
    if (!WaitForPage(107)) return false;
    Press(PSBTN_NEXT);
    if (!WaitForPage(111)) return false;
    Press(PSBTN_FINISH);
    return true;
  });
  std::printf("file: %ju bytes\n", static_cast<std::uintmax_t>(std::filesystem::file_size(path)));

  RecordList back(fields.infos);
  Timed("import wizard", importWizard, fields, back, [] {
    if (!WaitForPage(107)) return false;
    Press(PSBTN_NEXT);
    if (!WaitForPage(108)) return false;
    HWND page = reinterpret_cast<HWND>(SendMessageA(Sheet(), PSM_GETCURRENTPAGEHWND, 0, 0));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(kDefaultMapping, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, kDefaultMapping)));
    Press(PSBTN_NEXT);
    if (!WaitForPage(111)) return false;
    Press(PSBTN_FINISH);
    return true;
  });
  FreeLibrary(library);
  return back.list.count == kRows ? 0 : 1;
}
