// The launcher's frame in this process, with programs that cannot be started from here: what the
// folder bar's notifications and the remembered "LastApp" make it start (a start disables the
// frame until the program reports), the frame's smallest size, and status texts that are shown
// only when the settings ask for them.
#include "LauncherMessages.h"
#include "MainFrame.h"
#include "VezezudaraView.h"
#include "resource.h"

#include <LauncherProtocol.h>
#include <SharedMemory.h>

#include <base/TemporaryHome.h>
#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr char kSettings[] = "Software\\Halvane\\Tolvar\\Settings";
constexpr char kLinkwell[] = "Software\\Halvane\\Tolvar\\Linkwell";

void SetValue(LPCSTR key, LPCSTR name, DWORD type, const void* data, DWORD size) {
  HKEY opened = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(opened);
}

class Frame : public ::testing::Test {
protected:
  void SetUp() override {
    m_folder = m_home.File("programs");
    fs::create_directories(m_folder);
    fs::copy_file(std::string(VZD_TEST_PROGRAMS) + "/vzd_fixture_five_a", m_folder + "/A5");
    fs::copy_file(std::string(VZD_TEST_PROGRAMS) + "/vzd_fixture_four", m_folder + "/B4");
  }
  void TearDown() override {
    if (m_frame && IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  }
  CMainFrame& Make() {
    auto frame = std::make_unique<CMainFrame>();
    m_frame = frame.get();
    frame->SetProgramFolder(m_folder.c_str());
    frame->SetLinkServiceName("");
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CVezezudaraView);
    EXPECT_TRUE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, &context));
    m_hWnd = frame->GetSafeHwnd();
    tolvar::framework::AdoptWindowObject(std::move(frame));
    return *m_frame;
  }

  tolvar::testing::TemporaryHome m_home;
  std::string m_folder;
  CMainFrame* m_frame = nullptr;
  HWND m_hWnd = nullptr;
};

}  // namespace

TEST_F(Frame, OnlyAClickOnAListedProgramStartsOne) {
  CMainFrame& frame = Make();
  ASSERT_EQ(frame.Slots().Count(), 2);
  EXPECT_EQ(frame.OutBar().GetItemCount(0), 2);
  EXPECT_EQ(frame.OutBar().GetItemText(0, 0), "Five A");  // SpecialBuild 5 before 4
  const struct {
    WPARAM code;
    LPARAM index;
    bool starts;
  } cases[] = {
      {1, -1, false}, {1, 10, false},  // slot 10 is the link service's
      {1, 2, false},  {1, 9, false},   // empty slots
      {2, 0, false},  {5, 0, false},   // other notifications
      {1, 1, true},   {1, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << c.code << " index " << c.index);
    EXPECT_EQ(frame.SendMessage(WM_OUTBAR_NOTIFY, c.code, c.index), 0);
    EXPECT_EQ(frame.IsWindowEnabled() == FALSE, c.starts);
    frame.EnableWindow(TRUE);
  }
  EXPECT_EQ(frame.LastApp(), "A5.exe");
  EXPECT_EQ(frame.Slots()[CProgramSlots::kLinkSlot].running, 0);

  MINMAXINFO info{};
  frame.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 800);
  EXPECT_EQ(info.ptMinTrackSize.y, 580);
}

TEST_F(Frame, TheRememberedProgramIsStartedOnlyWhenItsNameIsWholeAndListed) {
  const struct {
    const char* value;
    DWORD size;  // bytes stored
    bool starts;
  } cases[] = {
      {"B4.exe", 7, true},
      {"b4.EXE", 7, true},
      {"B4.exe", 6, false},                                          // stored without its NUL
      {"Q.exe", 6, false},                                           // not listed
      {"B4.exe-and-a-name-longer-than-thirty-one", 41, false},       // too long for the value
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    SetValue(kLinkwell, "LastApp", REG_SZ, c.value, c.size);
    CMainFrame& frame = Make();
    EXPECT_EQ(frame.IsWindowEnabled() == FALSE, c.starts);
    ::DestroyWindow(m_hWnd);
  }
}

TEST_F(Frame, StatusTextsAreShownOnlyWhenTheSettingsAskForThem) {
  CSharedMemory record;
  record.SetName(kStatusRecordName);
  ASSERT_TRUE(record.Open(kStatusRecordSize));
  record.WriteText("Five A is busy");
  for (DWORD display : {0u, 1u}) {
    SCOPED_TRACE(display);
    SetValue(kSettings, "DisplayStatusBar", REG_DWORD, &display, sizeof display);
    CMainFrame& frame = Make();
    frame.SetStatusRecord(&record);
    MSG status{m_hWnd, WM_CHILD_STATUS, 0, 0, 0, {0, 0}};
    EXPECT_TRUE(frame.PreTranslateMessage(&status));
    EXPECT_EQ(frame.StatusBar().GetPaneText(0), display ? "Five A is busy" : "");
    ::DestroyWindow(m_hWnd);
  }
}
