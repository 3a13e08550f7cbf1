// The library as Daybook uses it: loaded by name, its exports looked up, each operation answered
// through its real dialogs by keys a person would press (the folder picker's OK, names typed into the
// open dialog, the overwrite question's Yes, No and Cancel, the error boxes' OK).
#include "Interlex.h"

#include <base/LastError.h>
#include <base/ScopedTimeZone.h>
#include <base/TemporaryHome.h>
#include <kernel/Module.h>
#include <kernel/Path.h>
#include <shell/CommDlg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

CWinApp theApp("interlex dialog tests");

enum class Kind { FileDialog, FolderPicker, MessageBox };

struct Step {
  Kind kind;
  std::function<void(HWND)> act;
};

std::vector<Step> g_steps;
size_t g_next = 0;
HWND g_owner = nullptr;
HWND g_lastActed = nullptr;
std::vector<std::string> g_texts;  // what each message box said
int g_idle = 0;

Kind KindOf(HWND window) {
  if (GetDlgItem(window, lst1)) return Kind::FileDialog;
  if (GetDlgItem(window, 901)) return Kind::MessageBox;
  return Kind::FolderPicker;
}

void Tick(HWND, UINT, UINT_PTR, DWORD) {
  HWND active = GetActiveWindow();
  if (!active || active == g_owner || !IsWindowVisible(active)) return;
  if (active == g_lastActed) {
    // A dialog that stays up after its step was not answered: end it, the test sees it in g_idle.
    if (++g_idle > 300) PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  g_lastActed = active;
  g_idle = 0;
  if (g_next >= g_steps.size()) {
    ADD_FAILURE() << "a dialog more than the script has";
    PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  const Step& step = g_steps[g_next++];
  EXPECT_EQ(static_cast<int>(KindOf(active)), static_cast<int>(step.kind)) << "step " << g_next;
  if (KindOf(active) == Kind::MessageBox) {
    char text[512] = {};
    GetDlgItemTextA(active, 905, text, sizeof text);
    g_texts.push_back(text);
  }
  step.act(active);
}

void Key(UINT key) {
  tolvar::user::InjectKey(key, true);
  tolvar::user::InjectKey(key, false);
}

Step PressOk(Kind kind, const char* png = nullptr) {
  return {kind, [png](HWND window) {
            if (png) {
              testing_user::Pump();
              HBITMAP picture = tolvar::user::RenderWindow(window);
              testing_user::SavePng(picture, png);
              DeleteObject(picture);
            }
            Key(VK_RETURN);
          }};
}
Step Answer(const char* typed, const char* png = nullptr) {
  return {Kind::MessageBox, [typed, png](HWND window) {
            if (png) {
              testing_user::Pump();
              HBITMAP picture = tolvar::user::RenderWindow(window);
              testing_user::SavePng(picture, png);
              DeleteObject(picture);
            }
            if (std::string(typed) == "Escape")
              Key(VK_ESCAPE);
            else
              tolvar::user::InjectText(typed);
          }};
}
Step TypeNames(std::string names) {
  return {Kind::FileDialog, [names](HWND dialog) {
            SetFocus(GetDlgItem(dialog, edt1));
            tolvar::user::InjectText(names.c_str());
            Key(VK_RETURN);
          }};
}
Step Cancel(Kind kind) {
  return {kind, [](HWND) { Key(VK_ESCAPE); }};
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template <class Proc>
Proc Export(HMODULE library, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

class InterlexDialogs : public ::testing::Test {
protected:
  void SetUp() override {
    m_folder = fs::path(m_home.Path()) / "cards";
    fs::create_directories(m_folder);
    m_library = LoadLibraryA("Interlex.dll");
    ASSERT_NE(m_library, nullptr);
    m_owner = CreateWindowExA(0, testing_user::PlainClass(), "Daybook", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 500,
                              400, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(m_owner);
    SetActiveWindow(m_owner);
    testing_user::Pump();
    char start[4096] = {};
    GetCurrentDirectoryA(sizeof start, start);
    m_start = start;
    // The dialogs start in the current directory: the folder the person "goes to".
    SetCurrentDirectoryA(m_folder.string().c_str());
  }
  void TearDown() override {
    SetCurrentDirectoryA(m_start.c_str());
    DestroyWindow(m_owner);
    if (m_library) FreeLibrary(m_library);
  }
  // Runs one call of the library with the dialogs answered by `steps`; every step must be used.
  template <class Call>
  int Run(std::vector<Step> steps, Call call) {
    g_steps = std::move(steps);
    g_next = 0;
    g_owner = m_owner;
    g_lastActed = nullptr;
    g_idle = 0;
    g_texts.clear();
    const UINT_PTR timer = SetTimer(m_owner, 7, 10, Tick);
    const int result = call();
    KillTimer(m_owner, timer);
    EXPECT_EQ(g_next, g_steps.size()) << "dialogs the script expected but that did not come";
    EXPECT_EQ(g_idle, 0) << "a dialog was left unanswered";
    return result;
  }

  tolvar::testing::TemporaryHome m_home;
  fs::path m_folder;
  std::string m_start;
  HMODULE m_library = nullptr;
  HWND m_owner = nullptr;
};

using ExportCards = int (*)(CPhoneBookArray*, HWND);
using ImportCards = int (*)(CPhoneBookArray**, HWND);
using ReleaseCards = void (*)(CPhoneBookArray**);

TEST_F(InterlexDialogs, OnlyTheExchangeIsExported) {
  for (const char* name : {"fnVCardImport", "fnVCardExport", "fnVCalendarImport", "fnVCalendarExport",
                           "fnVCalendarTodoImport", "fnVCalendarTodoExport", "fnVCardRelease", "fnVCalendarRelease",
                           "fnVCalendarTodoRelease", "incorrectFileTool"})
    EXPECT_NE(GetProcAddress(m_library, name), nullptr) << name;
  for (const char* name : {"ShowMessageBox", "theInterlex", "GetText", "_ZN9CInterlex14VcardImportAllEP6CArrayI17PA_PHONEBOOK_INFOS1_EP6HWND__"})
    EXPECT_EQ(GetProcAddress(m_library, name), nullptr) << name;
}

TEST_F(InterlexDialogs, ContactsExportedThroughThePickerAndTheOverwriteQuestion) {
  auto exportCards = Export<ExportCards>(m_library, "fnVCardExport");
  CPhoneBookArray cards;
  for (const char* name : {"Ana", "Bo", "Cy"}) {
    PA_PHONEBOOK_INFO c;
    c.strName = name;
    c.strNumber[1] = "0171";
    cards.Add(c);
  }
  ASSERT_EQ(Run({PressOk(Kind::FolderPicker, "interlex_folder_picker")}, [&] { return exportCards(&cards, m_owner); }), 1);
  for (const char* file : {"Ana_1.vcf", "Bo_2.vcf", "Cy_3.vcf"}) {
    EXPECT_EQ(Slurp(m_folder / file).rfind("BEGIN:VCARD\r\n", 0), 0u) << file;
    std::ofstream(m_folder / file) << "old";
  }

  // No keeps Ana's file; Cancel stops before Bo's: nothing is overwritten.
  EXPECT_EQ(Run({PressOk(Kind::FolderPicker), Answer("n", "interlex_overwrite_question"), Answer("Escape")},
                [&] { return exportCards(&cards, m_owner); }),
            1);
  ASSERT_EQ(g_texts.size(), 2u);
  EXPECT_EQ(g_texts[0], "'Ana' is already exist.\nDo you want to overwrite?");
  for (const char* file : {"Ana_1.vcf", "Bo_2.vcf", "Cy_3.vcf"}) EXPECT_EQ(Slurp(m_folder / file), "old") << file;

  // Yes once overwrites that file and every later one without asking again.
  EXPECT_EQ(Run({PressOk(Kind::FolderPicker), Answer("y")}, [&] { return exportCards(&cards, m_owner); }), 1);
  for (const char* file : {"Ana_1.vcf", "Bo_2.vcf", "Cy_3.vcf"}) EXPECT_NE(Slurp(m_folder / file), "old") << file;

  // A cancelled picker writes nothing.
  fs::remove(m_folder / "Ana_1.vcf");
  EXPECT_EQ(Run({Cancel(Kind::FolderPicker)}, [&] { return exportCards(&cards, m_owner); }), 1);
  EXPECT_FALSE(fs::exists(m_folder / "Ana_1.vcf"));
}

TEST_F(InterlexDialogs, ContactsImportedThroughTheOpenDialog) {
  std::ofstream(m_folder / "one.vcf") << "BEGIN:VCARD\r\nFN:One\r\nTEL;HOME:1\r\nEND:VCARD\r\n";
  std::ofstream(m_folder / "two.vcf") << "BEGIN:VCARD\nN:Two\nORG:4\n";
  std::ofstream(m_folder / "bad.vcf") << "not a card\n";
  auto importCards = Export<ImportCards>(m_library, "fnVCardImport");
  auto release = Export<ReleaseCards>(m_library, "fnVCardRelease");

  CPhoneBookArray* cards = nullptr;
  ASSERT_EQ(Run({TypeNames("\"one.vcf\" \"two.vcf\"")}, [&] { return importCards(&cards, m_owner); }), 1);
  ASSERT_NE(cards, nullptr);
  ASSERT_EQ(cards->GetSize(), 2);
  EXPECT_EQ((*cards)[0].strName, "One");
  EXPECT_EQ((*cards)[1].strReading, "Two");
  EXPECT_EQ((*cards)[1].bGroup, 4);
  release(&cards);
  EXPECT_EQ(cards, nullptr);

  // A bad second file: message 203 over the first card, which stays.
  ASSERT_EQ(Run({TypeNames("\"one.vcf\" \"bad.vcf\""), PressOk(Kind::MessageBox, "interlex_error_box")},
                [&] { return importCards(&cards, m_owner); }),
            0);
  ASSERT_EQ(g_texts.size(), 1u);
  EXPECT_EQ(g_texts[0], "Illagel file type!");
  ASSERT_NE(cards, nullptr);
  EXPECT_EQ(cards->GetSize(), 1);
  release(&cards);

  // Cancelled: a valid empty array all the same, and the current directory as it was.
  char before[4096] = {};
  GetCurrentDirectoryA(sizeof before, before);
  ASSERT_EQ(Run({Cancel(Kind::FileDialog)}, [&] { return importCards(&cards, m_owner); }), 0);
  ASSERT_NE(cards, nullptr);
  EXPECT_EQ(cards->GetSize(), 0);
  release(&cards);
  release(&cards);  // a null array only stays null
  EXPECT_EQ(cards, nullptr);
  char after[4096] = {};
  GetCurrentDirectoryA(sizeof after, after);
  EXPECT_STREQ(after, before);
}

TEST_F(InterlexDialogs, ScheduleImportHandsItsToDoFilesToTheToDoImport) {
  tolvar::testing::ScopedTimeZone zone("UTC0");
  std::ofstream(m_folder / "event.vcs") << "BEGIN:VCALENDAR\r\nDTSTART:20240105T103000Z\r\nSUMMARY:Meet\r\nEND:VCALENDAR\r\n";
  std::ofstream(m_folder / "task.vcs") << "BEGIN: VCALENDAR\r\nTOOL: TODO\r\nSUMMARY;ENCODING=QUOTED-PRINTABLE:Pay =3D bills\r\n";
  auto importSchedule = Export<int (*)(CScheduleArray**, HWND)>(m_library, "fnVCalendarImport");
  auto importToDo = Export<int (*)(CToDoArray**, HWND)>(m_library, "fnVCalendarTodoImport");
  auto releaseSchedule = Export<void (*)(CScheduleArray**)>(m_library, "fnVCalendarRelease");
  auto releaseToDo = Export<void (*)(CToDoArray**)>(m_library, "fnVCalendarTodoRelease");
  int* flag = nullptr;
  const FARPROC data = GetProcAddress(m_library, "incorrectFileTool");
  std::memcpy(&flag, &data, sizeof flag);  // a data export: its address comes as a procedure's
  ASSERT_NE(flag, nullptr);

  CScheduleArray* entries = nullptr;
  ASSERT_EQ(Run({TypeNames("\"event.vcs\" \"task.vcs\"")}, [&] { return importSchedule(&entries, m_owner); }), 1);
  ASSERT_EQ(entries->GetSize(), 1);
  EXPECT_EQ((*entries)[0].strDescription, "Meet");
  EXPECT_EQ(*flag, 1);
  releaseSchedule(&entries);

  CToDoArray* items = nullptr;
  ASSERT_EQ(Run({}, [&] { return importToDo(&items, m_owner); }), 1);
  ASSERT_EQ(items->GetSize(), 1);
  EXPECT_EQ((*items)[0].strDescription, "Pay = bills");
  EXPECT_EQ((*items)[0].bPriority, 1);
  releaseToDo(&items);
  EXPECT_EQ(items, nullptr);
}

}  // namespace
