// Daybook as the launcher hosts it: started as a process with the two window handles, its dialog in
// this process's view, ready and the contacts' free count posted; a close request with nothing
// modified ends it with "WM_CLOSE_MAIN_FRAME"; with a modified document, Cancel refuses the close
// once and No then lets it end. The phone library is the real one, pointed at no link service.
#include "support/ManagerHarness.h"

#include <LauncherProtocol.h>
#include <ProgramSlots.h>
#include <SharedMemory.h>

#include <kernel/Kernel.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using testing_user::PumpUntil;

struct Arrival {
  UINT message;
  WPARAM wParam;
  std::string status;
};

std::vector<Arrival> g_arrivals;
CSharedMemory* g_record = nullptr;

LRESULT LauncherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHILD_READY || message == WM_CHILD_DESTROYED || message == WM_CHILD_CLOSE_REFUSED ||
      message == CloseMainFrameMessage()) {
    g_arrivals.push_back({message, wParam, {}});
    return 0;
  }
  if (message == WM_CHILD_STATUS) {
    g_arrivals.push_back({message, wParam, g_record ? std::string(g_record->ReadText()) : std::string()});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int Count(UINT message) {
  return static_cast<int>(std::count_if(g_arrivals.begin(), g_arrivals.end(),
                                        [message](const Arrival& a) { return a.message == message; }));
}

class HostedDaybook : public ::testing::Test {
 protected:
  // One home for the whole run: the window station and the named objects belong to the first home
  // the process settles on, and the program inherits it.
  static void SetUpTestSuite() {
    static QuietLinkHome home;
    s_home = &home;
  }

  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = LauncherProc;
    wc.lpszClassName = "LauncherFrame";
    RegisterClassA(&wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "LauncherView";
    RegisterClassA(&wc);
    m_main = CreateWindowExA(0, "LauncherFrame", "Launcher", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700, nullptr, nullptr,
                             nullptr, nullptr);
    m_view = CreateWindowExA(0, "LauncherView", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 100, 0, 800, 700, m_main,
                             nullptr, nullptr, nullptr);
    g_arrivals.clear();
    m_record.SetName(kStatusRecordName);
    m_record.Open(kStatusRecordSize);
    g_record = &m_record;
  }
  void TearDown() override {
    g_record = nullptr;
    if (m_process.hProcess) {
      if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_process.hProcess, 9);
      WaitForSingleObject(m_process.hProcess, 10000);
      CloseHandle(m_process.hProcess);
      CloseHandle(m_process.hThread);
    }
    DestroyWindow(m_main);
  }
  void Start() {
    std::string commandLine = "Daybook.exe" + FormatHostingArguments(m_view, m_main);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                               &m_process));
    ASSERT_TRUE(PumpUntil([] { return Count(WM_CHILD_READY) > 0; })) << "Daybook never said it was ready";
    m_dialog = reinterpret_cast<HWND>(std::find_if(g_arrivals.begin(), g_arrivals.end(), [](const Arrival& a) {
                                        return a.message == WM_CHILD_READY;
                                      })->wParam);
  }
  // Answers the program's message box with caption "Contacts" by its button (901, 902, 903).
  bool AnswerBox(int button) {
    HWND box = nullptr;
    if (!PumpUntil([&box] {
          box = FindWindowA(nullptr, "Contacts");
          return box != nullptr && IsWindowVisible(box);
        })) {
      return false;
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return PumpUntil([box] { return !IsWindow(box) || !IsWindowVisible(box); });
  }
  bool Ended() {
    return PumpUntil([this] { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0; });
  }

  static inline QuietLinkHome* s_home = nullptr;
  CSharedMemory m_record;
  HWND m_main = nullptr;
  HWND m_view = nullptr;
  HWND m_dialog = nullptr;
  PROCESS_INFORMATION m_process{};
};

TEST(DaybookRecord, TheLauncherListsDaybookByItsVersionRecord) {
  // Beside this test program, where the launcher would find it.
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self);
  path = path.substr(0, path.find_last_of("\\/") + 1) + "Daybook.exe";
  const ProgramRecord record = ReadProgramRecord(path.c_str());
  ASSERT_TRUE(record.hasRecord);
  EXPECT_EQ(record.comments.rfind("Dravik App", 0), 0u);
  EXPECT_EQ(record.specialBuild, 5);
  EXPECT_EQ(record.description, "Daybook");
  EXPECT_EQ(record.version, "1.0.0.5");
}

TEST_F(HostedDaybook, StartsHostedPostsReadyAndTheFreeCountAndEndsOnACloseRequest) {
  Start();
  EXPECT_EQ(GetAncestor(m_dialog, GA_PARENT), m_view);
  ASSERT_TRUE(PumpUntil([] {
    return std::any_of(g_arrivals.begin(), g_arrivals.end(),
                       [](const Arrival& a) { return a.message == WM_CHILD_STATUS && a.status == "500 contacts free"; });
  })) << "no free count";

  PostMessageA(m_dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended());
  ASSERT_TRUE(PumpUntil([] { return Count(CloseMainFrameMessage()) == 1; }));
  DWORD code = 99;
  GetExitCodeProcess(m_process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(Count(WM_CHILD_CLOSE_REFUSED), 0);
  EXPECT_EQ(Count(WM_CHILD_DESTROYED), 1);
}

TEST_F(HostedDaybook, YesWithACancelledSaveRefusesTheCloseOnce) {
  Start();
  PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(32796, 0), 0);  // reset groups: modified
  ASSERT_TRUE(AnswerBox(901));
  PostMessageA(m_dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(AnswerBox(901));  // Yes: no document yet, so Save As asks for a name
  HWND saveAs = nullptr;
  ASSERT_TRUE(PumpUntil([&saveAs] {
    saveAs = FindWindowA(nullptr, "Save As");
    return saveAs != nullptr && IsWindowVisible(saveAs);
  }));
  PostMessageA(saveAs, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([] { return Count(WM_CHILD_CLOSE_REFUSED) == 1; }));
  EXPECT_EQ(WaitForSingleObject(m_process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(Count(CloseMainFrameMessage()), 0);
}

TEST_F(HostedDaybook, YesSavesTheModifiedDocumentAndTheCloseIsCounted) {
  Start();
  PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(32796, 0), 0);  // reset groups: modified
  ASSERT_TRUE(AnswerBox(901));
  PostMessageA(m_dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(AnswerBox(901));  // Yes: Save As asks for a name
  const auto visible = [](HWND window) { return window != nullptr && IsWindowVisible(window); };
  HWND saveAs = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    saveAs = FindWindowA(nullptr, "Save As");
    return visible(saveAs) && GetDlgItem(saveAs, 0x0480) != nullptr;
  }));
  const std::string path = (std::filesystem::path(s_home->Path()) / "closing.daybook").string();
  std::filesystem::remove(path);
  SetDlgItemTextA(saveAs, 0x0480, path.c_str());
  PostMessageA(saveAs, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  // The name is new: the dialog asks whether to create the file; Yes.
  HWND question = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    question = FindWindowA(nullptr, "Save As");
    return visible(question) && question != saveAs;
  }));
  PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
  ASSERT_TRUE(Ended());
  ASSERT_TRUE(PumpUntil([] { return Count(CloseMainFrameMessage()) == 1; }));
  EXPECT_EQ(Count(WM_CHILD_CLOSE_REFUSED), 0);
  std::ifstream saved(path, std::ios::binary);
  char magic[8] = {};
  saved.read(magic, sizeof magic);
  EXPECT_EQ(std::string(magic, sizeof magic), "PCHE1014") << "the document was saved before the end";
}

TEST_F(HostedDaybook, AModifiedDocumentRefusesTheCloseOnceAfterCancelAndEndsAfterNo) {
  Start();
  // Reset groups (Yes) modifies the document.
  PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(32796, 0), 0);
  ASSERT_TRUE(AnswerBox(901));

  PostMessageA(m_dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(AnswerBox(903));  // Cancel
  ASSERT_TRUE(PumpUntil([] { return Count(WM_CHILD_CLOSE_REFUSED) == 1; }));
  EXPECT_EQ(WaitForSingleObject(m_process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  PostMessageA(m_dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(AnswerBox(902));  // No
  ASSERT_TRUE(Ended());
  ASSERT_TRUE(PumpUntil([] { return Count(CloseMainFrameMessage()) == 1; }));
  EXPECT_EQ(Count(WM_CHILD_CLOSE_REFUSED), 1);
}

}  // namespace

namespace {

TEST_F(HostedDaybook, APhoneLibraryWithoutItsManagerShowsMessage390AndEndsWithCodeZero) {
  // Daybook copied beside a "Handport.dll" that lacks StartManager and DestroyManager.
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::filesystem::path bin = std::filesystem::path(self).parent_path();
  const std::filesystem::path folder = DAYBOOK_EMPTY_HANDPORT_DIR;
  std::filesystem::copy_file(bin / "Daybook", folder / "Daybook", std::filesystem::copy_options::overwrite_existing);

  std::string commandLine = (folder / "Daybook.exe").string() + FormatHostingArguments(m_view, m_main);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                             &m_process));
  HWND box = nullptr;
  ASSERT_TRUE(PumpUntil([&box] {
    box = FindWindowA(nullptr, "Daybook Editor");
    return box != nullptr && IsWindowVisible(box);
  })) << "no message";
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(901, BN_CLICKED), 0);
  ASSERT_TRUE(Ended());
  DWORD code = 99;
  GetExitCodeProcess(m_process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(g_arrivals.empty()) << "posted " << g_arrivals.front().message;
}

}  // namespace
