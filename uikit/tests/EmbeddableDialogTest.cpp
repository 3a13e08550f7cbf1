// The embeddable dialog in one process: a window of the test plays the launcher's main window (the
// test's application object is a hosted one), and a recording window its view. Covers the
// command-line keys, the launcher's notifications, creation inside a parent, the own modal loop and
// its exits, the status record, and the template's font swap.
#include <EmbeddableDialog.h>
#include <HostedApp.h>

#include <kernel/Kernel.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace testing_user;

namespace {

class CTestApp : public CHostedApp {
public:
  CTestApp() : CHostedApp("uikit embed tests") {}
  std::vector<std::function<void()>> script;  // one step per idle call of a modal loop
  size_t next = 0;
  BOOL OnIdle(LONG count) override {
    CHostedApp::OnIdle(count);
    if (next < script.size()) script[next++]();
    return next < script.size();
  }
};
CTestApp theApp;

constexpr UINT kDialog = 300;

// Records what reaches it: the launcher's messages arrive posted.
struct LauncherLog {
  std::vector<MSG> posted;
  std::vector<MSG> Take() {
    Pump();
    return std::exchange(posted, {});
  }
};
LauncherLog g_launcher;

LRESULT LauncherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER && message < WM_USER + 0x100) {
    g_launcher.posted.push_back(MSG{window, message, wParam, lParam, 0, {}});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class CTestDlg : public CEmbeddableDialog {
public:
  explicit CTestDlg(BOOL notify = TRUE, CWnd* owner = nullptr, UINT id = kDialog)
      : CEmbeddableDialog(id, owner, notify) {}
  BOOL OnInitDialog() override {
    initialised = true;
    return CEmbeddableDialog::OnInitDialog();
  }
  BOOL QueryClose() override {
    ++closeQueries;
    return refuseClose ? FALSE : CEmbeddableDialog::QueryClose();
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CLOSE || message == WM_SYSCOMMAND) ++dispatchedCloses;
    return CEmbeddableDialog::WindowProc(message, wParam, lParam);
  }
  CDialog m_inner;
  bool initialised = false;
  bool refuseClose = false;
  int closeQueries = 0;
  int dispatchedCloses = 0;
};

class EmbeddableDialog : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = LauncherProc;
    wc.lpszClassName = "TestLauncher";
    RegisterClassA(&wc);
    m_launcher = CreateWindowExA(0, "TestLauncher", "Launcher", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                 nullptr, nullptr, nullptr);
    m_view = CreateWindowExA(0, PlainClass(), "", WS_CHILD | WS_VISIBLE, 100, 0, 300, 300, m_launcher, nullptr,
                             nullptr, nullptr);
    theApp.m_hMainWnd = m_launcher;
    theApp.m_hHostWnd = m_view;
    theApp.script.clear();
    theApp.next = 0;
    Pump();
    g_launcher.posted.clear();
  }
  void TearDown() override {
    theApp.m_hMainWnd = theApp.m_hHostWnd = nullptr;
    DestroyWindow(m_launcher);
    Pump();
  }
  // The launcher messages posted since the last call, as (message, wParam, lParam).
  static std::vector<std::tuple<UINT, WPARAM, LPARAM>> Posted() {
    std::vector<std::tuple<UINT, WPARAM, LPARAM>> got;
    for (const MSG& m : g_launcher.Take()) got.emplace_back(m.message, m.wParam, m.lParam);
    return got;
  }
  // Whether a WM_NULL for `dialog` or for the thread waits in the queue.
  static bool NullWaiting(HWND dialog) {
    MSG waiting;
    bool found = false;
    std::vector<MSG> taken;
    while (PeekMessageA(&waiting, nullptr, 0, 0, PM_REMOVE)) {
      if (waiting.message == WM_PAINT || waiting.message == WM_TIMER) {
        DispatchMessageA(&waiting);  // made up when nothing is posted any more
        break;
      }
      if (waiting.message == WM_NULL && (!waiting.hwnd || waiting.hwnd == dialog)) found = true;
      taken.push_back(waiting);
    }
    for (const MSG& m : taken) {
      if (m.hwnd) PostMessageA(m.hwnd, m.message, m.wParam, m.lParam);
      else PostThreadMessageA(GetCurrentThreadId(), m.message, m.wParam, m.lParam);
    }
    return found;
  }
  HWND m_launcher = nullptr;
  HWND m_view = nullptr;
};

using Posts = std::vector<std::tuple<UINT, WPARAM, LPARAM>>;
WPARAM W(HWND window) { return reinterpret_cast<WPARAM>(window); }
LPARAM L(HWND window) { return reinterpret_cast<LPARAM>(window); }

TEST(HostingCommandLine, TheFirstOfEachKeyIsReadAsHexadecimal) {
  const struct {
    const char* line;
    ULONG_PTR host, main;
  } cases[] = {
      {"Daybook.exe", 0, 0},
      {"Daybook.exe hWnd=0001A2B3 hMainWnd=00C0FFEE", 0x1A2B3, 0xC0FFEE},
      {"Daybook.exe hMainWnd=00000010", 0, 0x10},  // "hMainWnd=" is no "hWnd="
      {"Daybook.exe hWnd=00000001 hWnd=00000002 hMainWnd=3 hMainWnd=4", 1, 3},
      {"Daybook.exe hWnd=zz hMainWnd=", 0, 0},
      {"Daybook.exe hWnd=1FFFFFFFF", 0xFFFFFFFF, 0},  // a handle is 32 bits
  };
  for (const auto& c : cases) {
    const HostingHandles handles = ParseHostingCommandLine(c.line);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(handles.host), c.host) << c.line;
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(handles.mainWindow), c.main) << c.line;
  }
  HWND host = reinterpret_cast<HWND>(ULONG_PTR{0x00ABCDEF}), main = reinterpret_cast<HWND>(ULONG_PTR{0x12});
  EXPECT_EQ(FormatHostingArguments(host, main), " hWnd=00ABCDEF hMainWnd=00000012");
  const HostingHandles back = ParseHostingCommandLine("Mediary.exe" + FormatHostingArguments(host, main));
  EXPECT_EQ(back.host, host);
  EXPECT_EQ(back.mainWindow, main);
}

TEST_F(EmbeddableDialog, ANotifyingDialogTellsTheLauncherWhenReadyAndWhenDestroyed) {
  const struct {
    BOOL notify;
    bool launcherThere;
    bool expectPosts;
  } cases[] = {{TRUE, true, true}, {FALSE, true, false}, {TRUE, false, false}};
  for (const auto& c : cases) {
    if (!c.launcherThere) theApp.m_hMainWnd = reinterpret_cast<HWND>(ULONG_PTR{0x7FFF0001});
    CTestDlg dialog(c.notify);
    dialog.CreateEmbedded(m_view);
    ASSERT_TRUE(dialog.m_hWnd);
    EXPECT_TRUE(dialog.initialised);
    HWND window = dialog.m_hWnd;
    const Posts ready = Posted();
    dialog.DestroyWindow();
    const Posts destroyed = Posted();
    if (c.expectPosts) {
      EXPECT_EQ(ready, (Posts{{WM_CHILD_READY, W(window), 0}}));
      EXPECT_EQ(destroyed, (Posts{{WM_CHILD_DESTROYED, W(window), 0}}));
    } else {
      EXPECT_TRUE(ready.empty() && destroyed.empty()) << "notify " << c.notify << ", launcher " << c.launcherThere;
    }
    theApp.m_hMainWnd = m_launcher;
  }
}

TEST_F(EmbeddableDialog, ActivationIsReportedOnlyWhenItNamesNoOtherWindowAndTheLauncherIsBehind) {
  CTestDlg dialog;
  dialog.CreateEmbedded(m_view);
  HWND other = CreateWindowExA(0, PlainClass(), "Other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
  Posted();
  const struct {
    WPARAM state;
    HWND named;
    bool launcherInFront;
    bool reported;
  } cases[] = {
      {WA_ACTIVE, nullptr, false, true},
      {WA_INACTIVE, nullptr, false, true},
      {WA_ACTIVE, other, false, false},
      {WA_ACTIVE, nullptr, true, false},
      {WA_INACTIVE, nullptr, true, false},
  };
  for (const auto& c : cases) {
    SetForegroundWindow(c.launcherInFront ? m_launcher : other);
    Posted();
    dialog.SendMessage(WM_ACTIVATE, c.state, L(c.named));
    const Posts got = Posted();
    if (c.reported) {
      EXPECT_EQ(got, (Posts{{WM_CHILD_ACTIVATE, c.state, L(dialog.m_hWnd)}}));
    } else {
      EXPECT_TRUE(got.empty()) << "state " << c.state << ", named " << (c.named != nullptr) << ", launcher in front "
                               << c.launcherInFront;
    }
  }
  // The handle alone decides: a launcher that has gone does not receive it, but it is tried.
  CTestDlg quiet(FALSE);
  quiet.CreateEmbedded(m_view);
  SetForegroundWindow(other);
  Posted();
  quiet.SendMessage(WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_TRUE(Posted().empty());
  DestroyWindow(other);
}

TEST_F(EmbeddableDialog, EmbeddedItLivesInsideTheParentWithoutFrameAndHidden) {
  CTestDlg dialog;
  dialog.CreateEmbedded(m_view);
  HWND window = dialog.m_hWnd;
  EXPECT_EQ(GetAncestor(window, GA_PARENT), m_view);
  EXPECT_EQ(dialog.GetEmbedParent(), m_view);
  EXPECT_EQ(dialog.GetStyle() & (WS_CAPTION | WS_THICKFRAME), 0u);
  EXPECT_TRUE(dialog.GetStyle() & WS_CLIPCHILDREN);
  EXPECT_FALSE(dialog.IsWindowVisible());
  dialog.CreateEmbedded(nullptr);  // the window exists: nothing changes
  EXPECT_EQ(dialog.m_hWnd, window);
  EXPECT_EQ(GetAncestor(window, GA_PARENT), m_view);
  EXPECT_FALSE(dialog.IsWindowVisible());

  // Put elsewhere and back: SetEmbedParent answers the previous parent.
  EXPECT_EQ(dialog.SetEmbedParent(m_launcher), m_view);
  EXPECT_EQ(GetAncestor(window, GA_PARENT), m_launcher);
  EXPECT_EQ(dialog.SetEmbedParent(m_view), m_launcher);

  // Standalone: a window of its own, shown, with the focus.
  CTestDlg own;
  own.CreateEmbedded(nullptr);
  EXPECT_EQ(own.GetEmbedParent(), nullptr);
  EXPECT_TRUE(own.IsWindowVisible());
  EXPECT_TRUE(own.GetStyle() & WS_CAPTION);
  HWND focus = GetFocus();
  EXPECT_TRUE(focus == own.m_hWnd || IsChild(own.m_hWnd, focus));
  // With normal system fonts the template keeps its font.
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(own.SendMessage(WM_GETFONT)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
}

// With large system fonts (the system's horizontal dialog unit 10 pixels) the dialog is built in
// the small font, embedded or on its own; with any other units it keeps the template's font.
TEST_F(EmbeddableDialog, OnlyLargeSystemFontsBuildItInTheSmallFont) {
  struct Row {
    SIZE units;
    const char* face;
  };
  const Row rows[] = {{{8, 16}, "MS Sans Serif"}, {{10, 20}, "Small fonts"}, {{9, 18}, "MS Sans Serif"}};
  struct Restore {
    LONG units = GetDialogBaseUnits();
    ~Restore() { tolvar::user::SetSystemDialogBaseUnits({LOWORD(units), HIWORD(units)}); }
  } restore;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.units.cx);
    tolvar::user::SetSystemDialogBaseUnits(row.units);
    for (HWND parent : {m_view, HWND{nullptr}}) {
      CTestDlg dialog;
      dialog.CreateEmbedded(parent);
      ASSERT_TRUE(dialog.m_hWnd);
      LOGFONTA font{};
      GetObjectA(reinterpret_cast<HFONT>(dialog.SendMessage(WM_GETFONT)), sizeof font, &font);
      EXPECT_STREQ(font.lfFaceName, row.face);
      EXPECT_EQ(dialog.GetEmbedParent(), parent);
      dialog.DestroyWindow();
    }
  }
}

TEST_F(EmbeddableDialog, TheOwnLoopEndsOnEachOfItsExitsAndLeavesNoWakeUpBehind) {
  struct Case {
    const char* name;
    std::function<void(CTestDlg&)> end;
    int result;
  };
  const Case cases[] = {
      {"EndModalLoop", [](CTestDlg& d) { d.EndModalLoop(42); }, 42},
      {"OK pressed", [](CTestDlg& d) { d.PostMessage(WM_COMMAND, IDOK); }, IDOK},
      {"WM_NULL to the thread", [](CTestDlg&) { PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0); }, -1},
      {"WM_NULL to the dialog", [](CTestDlg& d) { d.PostMessage(WM_NULL); }, -1},
      {"EndDialog in a dialog inside", [](CTestDlg& d) {
         d.m_inner.Create(301, &d);
         d.m_inner.PostMessage(WM_COMMAND, IDCANCEL);  // its wake-up is its own: the loop goes on
         d.PostMessage(WM_COMMAND, IDOK);
       }, IDOK},
      {"WM_QUIT", [](CTestDlg&) { PostQuitMessage(3); }, -1},
      {"WM_CLOSE to the thread", [](CTestDlg&) { PostThreadMessageA(GetCurrentThreadId(), WM_CLOSE, 0, 0); }, -1},
      {"SC_CLOSE to the dialog", [](CTestDlg& d) { d.PostMessage(WM_SYSCOMMAND, SC_CLOSE); }, -1},
      {"window destroyed", [](CTestDlg& d) { d.DestroyWindow(); }, -1},
  };
  for (const Case& c : cases) {
    CTestDlg dialog;
    theApp.script = {[&] { c.end(dialog); }};
    theApp.next = 0;
    EXPECT_EQ(dialog.RunModalLoop(m_view, FALSE), c.result) << c.name;
    EXPECT_FALSE(NullWaiting(dialog.m_hWnd)) << c.name << ": a WM_NULL stays queued and would end the next loop";

    // The next loop runs until its own end.
    CTestDlg next;
    bool ranOn = false;
    theApp.script = {[] {}, [&] { ranOn = true; next.EndModalLoop(5); }};
    theApp.next = 0;
    EXPECT_EQ(next.RunModalLoop(m_view, FALSE), 5) << "after " << c.name;
    EXPECT_TRUE(ranOn) << "after " << c.name;
    if (dialog.m_hWnd) dialog.DestroyWindow();
    next.DestroyWindow();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
}

TEST_F(EmbeddableDialog, ACloseRequestAsksQueryCloseAndIsNeverDispatched) {
  CWnd owner;
  owner.Attach(m_launcher);
  CTestDlg dialog(TRUE, &owner);
  dialog.refuseClose = true;
  bool ownerDisabled = false;
  theApp.script = {
      [] { PostThreadMessageA(GetCurrentThreadId(), WM_CLOSE, 0, 0); },
      [&] {
        ownerDisabled = !IsWindowEnabled(m_launcher);
        dialog.PostMessage(WM_CLOSE);
      },
      [&] { dialog.PostMessage(WM_SYSCOMMAND, SC_CLOSE); },
      [&] { dialog.refuseClose = false; PostThreadMessageA(GetCurrentThreadId(), WM_CLOSE, 0, 0); },
  };
  EXPECT_EQ(dialog.RunModalLoop(m_view, TRUE), -1);
  EXPECT_EQ(dialog.closeQueries, 4);
  EXPECT_EQ(dialog.dispatchedCloses, 0);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(m_launcher));
  owner.Detach();
}

TEST_F(EmbeddableDialog, StatusTextsAreCutToTheRecordAndAnnounced) {
  CTestDlg dialog;
  dialog.CreateEmbedded(m_view);
  ASSERT_TRUE(dialog.StatusRecord().IsMapped());
  CSharedMemory reader;
  reader.SetName(kStatusRecordName);
  ASSERT_TRUE(reader.Open(kStatusRecordSize));
  EXPECT_TRUE(reader.Existed());
  Posted();
  const std::string letters(300, 'x');
  const std::string accented = std::string(126, 'a') + "\xC3\xA9";  // "é" would end at byte 128
  const struct {
    std::string text;
    std::string stored;
  } cases[] = {
      {"", ""},
      {"Reading contacts", "Reading contacts"},
      {letters.substr(0, 127), letters.substr(0, 127)},
      {letters.substr(0, 128), letters.substr(0, 127)},
      {letters, letters.substr(0, 127)},
      {accented, std::string(126, 'a')},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(dialog.PostStatusToLauncher(c.text)) << c.text.size();
    EXPECT_EQ(std::string(reader.ReadText()), c.stored) << c.text.size();
    EXPECT_EQ(Posted(), (Posts{{WM_CHILD_STATUS, W(dialog.m_hWnd), 0}})) << c.text.size();
  }
  // No launcher: stored all the same, nothing posted.
  theApp.m_hMainWnd = nullptr;
  EXPECT_FALSE(dialog.PostStatusToLauncher("standalone"));
  EXPECT_EQ(std::string(reader.ReadText()), "standalone");
  EXPECT_FALSE(NotifyCloseRefused());
  theApp.m_hMainWnd = m_launcher;
  EXPECT_TRUE(NotifyCloseRefused());
  EXPECT_EQ(Posted(), (Posts{{WM_CHILD_CLOSE_REFUSED, 0, 0}}));
}

TEST_F(EmbeddableDialog, WithoutAMappedRecordNothingIsWrittenOrPosted) {
  // A block of that name too small for the record: it opens, but the view cannot be mapped.
  HANDLE small = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16, kStatusRecordName);
  ASSERT_TRUE(small);
  {
    CTestDlg dialog;
    EXPECT_FALSE(dialog.StatusRecord().IsMapped());
    dialog.CreateEmbedded(m_view);
    Posted();
    EXPECT_FALSE(dialog.PostStatusToLauncher("lost"));
    EXPECT_TRUE(Posted().empty());
    dialog.DestroyWindow();
  }
  CloseHandle(small);
}

// One dialog unit of a dialog, in pixels.
SIZE DialogUnit(HWND dialog) {
  RECT unit{0, 0, 4, 8};
  MapDialogRect(dialog, &unit);
  return {unit.right, unit.bottom};
}

// The large-font path: the rewritten template makes a dialog laid out in the small font's units,
// smaller than the template's own font gives, with the controls placed in them.
TEST(TemplateFont, TheFaceAndSizeChangeAndTheControlsStay) {
  const DLGPROC quiet = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
  for (UINT id : {300u, 301u}) {
    std::vector<BYTE> bytes = LoadEditableTemplate(id);
    ASSERT_FALSE(bytes.empty()) << id;
    HWND own = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATE>(bytes.data()), nullptr, quiet, 0);
    ASSERT_TRUE(own) << id;
    const SIZE ownUnit = DialogUnit(own);
    DestroyWindow(own);
    ASSERT_TRUE(SetTemplateFont(bytes, "Small fonts", 6)) << id;
    HWND dialog = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATE>(bytes.data()), nullptr, quiet, 0);
    ASSERT_TRUE(dialog) << id;
    const SIZE unit = DialogUnit(dialog);
    EXPECT_LT(unit.cx, ownUnit.cx) << id;
    EXPECT_LT(unit.cy, ownUnit.cy) << id;
    RECT size{0, 0, 160, 60};
    MapDialogRect(dialog, &size);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, size.right) << id;
    EXPECT_EQ(client.bottom, size.bottom) << id;
    RECT cancel{103, 40, 50, 14};
    MapDialogRect(dialog, &cancel);
    RECT placed;
    GetWindowRect(GetDlgItem(dialog, IDCANCEL), &placed);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, cancel.left) << id;
    EXPECT_EQ(placed.top, cancel.top) << id;
    EXPECT_EQ(placed.right - placed.left, cancel.right) << id;
    EXPECT_EQ(placed.bottom - placed.top, cancel.bottom) << id;
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "Small fonts") << id;
    EXPECT_EQ(font.lfHeight, -8) << id;  // 6 points at 96 pixels per inch
    char text[32] = {};
    GetDlgItemTextA(dialog, 10, text, sizeof text);
    EXPECT_STREQ(text, id == 300 ? "Contacts" : "Calendar");
    GetDlgItemTextA(dialog, IDCANCEL, text, sizeof text);
    EXPECT_STREQ(text, "Cancel");
    DestroyWindow(dialog);
  }
  // Bytes that are no whole template are left as they are.
  std::vector<BYTE> cut = LoadEditableTemplate(300);
  cut.resize(30);
  const std::vector<BYTE> before = cut;
  EXPECT_FALSE(SetTemplateFont(cut, "Small fonts", 6));
  EXPECT_EQ(cut, before);
}

}  // namespace
