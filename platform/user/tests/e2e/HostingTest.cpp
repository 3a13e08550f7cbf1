// Two real processes, as the launcher and a program it hosts: the program puts its dialog inside
// this process's window, and this process finds it by its owner process, moves, shows, renders,
// hides and closes it through the window station and the program's mailbox.
#include <user/User.h>

#include <base/LastError.h>
#include <base/Time.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <kernel/Kernel.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct HostLog {
  HWND ready = nullptr;        // WM_USER's wParam: the program's dialog
  HWND focused = nullptr;      // WM_USER + 1's wParam: the program's window that took the focus
  HWND clicked = nullptr;      // WM_USER + 3's wParam: the program's window whose click was handled
  HWND modal = nullptr;        // WM_USER + 2's wParam: the program's modal dialog
  UINT closeMainFrame = 0;     // the registered message that came, 0 until it does
  WPARAM askedBack = 0;        // WM_USER + 6, sent back by the program during our send
  std::function<void()> whileAsked;  // run for WM_USER + 6, while the program waits for our answer
  HWND focusTo = nullptr;      // where the frame hands the focus it gets, as a frame to its view
};
HostLog g_host;

LRESULT HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) {
    g_host.ready = reinterpret_cast<HWND>(wParam);
    return 0;
  }
  if (message == WM_USER + 1) {
    g_host.focused = reinterpret_cast<HWND>(wParam);
    return 0;
  }
  if (message == WM_USER + 3) {
    g_host.clicked = reinterpret_cast<HWND>(wParam);
    return 0;
  }
  if (message == WM_USER + 2) {
    g_host.modal = reinterpret_cast<HWND>(wParam);
    return 0;
  }
  if (message == WM_USER + 6) {
    g_host.askedBack = wParam;
    if (g_host.whileAsked) g_host.whileAsked();
    return static_cast<LRESULT>(wParam * 2);
  }
  if (message == WM_SETFOCUS && g_host.focusTo) {
    SetFocus(g_host.focusTo);
    return 0;
  }
  if (message >= 0xC000) {
    g_host.closeMainFrame = message;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
    DeleteObject(brush);
    return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A field of the host's own: it takes the focus when clicked and keeps what is typed into it.
LRESULT HostFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) {
    SetFocus(window);
    return 0;
  }
  if (message == WM_CHAR) {
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text - 1);
    const std::string now = std::string(text) + static_cast<char>(wParam);
    SetWindowTextA(window, now.c_str());
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Runs this thread's messages until `done` says so or the time is up.
template <class F>
bool PumpUntil(F done, DWORD milliseconds = 10000) {
  const DWORD start = GetTickCount();
  MSG message;
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return true;
}

class Hosting : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // The program inherits the environment: the same home, so the same station. One home for the
    // whole test program, as the station stays with the home it was first opened in (repeated
    // runs included).
    static bool made = false;
    if (made) return;
    std::string pattern = (std::filesystem::temp_directory_path() / "user-e2e-XXXXXX").string();
    made = mkdtemp(pattern.data()) && setenv("TOLVAR_HOME", pattern.c_str(), 1) == 0;
  }
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = "HostFrame";
    RegisterClassA(&wc);
    wc.lpfnWndProc = ViewProc;
    wc.lpszClassName = "HostView";
    RegisterClassA(&wc);
    wc.lpfnWndProc = HostFieldProc;
    wc.lpszClassName = "HostField";
    RegisterClassA(&wc);
    m_main = CreateWindowExA(0, "HostFrame", "Host", WS_POPUP | WS_VISIBLE, 50, 50, 400, 300, nullptr, nullptr,
                             nullptr, nullptr);
    m_view = CreateWindowExA(0, "HostView", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 100, 0, 300, 300, m_main,
                             nullptr, nullptr, nullptr);
    m_field = CreateWindowExA(0, "HostField", "", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, m_main, nullptr, nullptr,
                              nullptr);
    g_host = {};
  }
  void TearDown() override {
    if (m_process.hProcess) {
      if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_process.hProcess, 9);
      WaitForSingleObject(m_process.hProcess, 5000);
      CloseHandle(m_process.hProcess);
      CloseHandle(m_process.hThread);
    }
    DestroyWindow(m_main);
  }
  bool Start(const char* extra = "") {
    char commandLine[160];
    std::snprintf(commandLine, sizeof commandLine, "user_child_hosted.exe hWnd=%08X hMainWnd=%08X%s",
                  static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(m_view)),
                  static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(m_main)), extra);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &m_process);
  }
  // The view's child that belongs to the program, found as the launcher finds it.
  HWND HostedChild() {
    for (HWND child = GetWindow(m_view, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      DWORD process = 0;
      GetWindowThreadProcessId(child, &process);
      if (process == m_process.dwProcessId) return child;
    }
    return nullptr;
  }
  // Starts the program and shows its dialog in the view, with our window foreground, as a person
  // sees it before typing into it; null when the dialog did not come.
  HWND ShowProgram() {
    if (!Start() || !PumpUntil([] { return g_host.ready != nullptr; })) return nullptr;
    HWND hosted = HostedChild();
    ShowWindow(hosted, SW_SHOW);
    SetForegroundWindow(m_main);
    return GetForegroundWindow() == m_main ? hosted : nullptr;
  }
  // A person's click into a window, pressed and released.
  static bool Click(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    const POINT inside{rect.left + 4, rect.top + 4};
    return tolvar::user::InjectMouse(inside, WM_LBUTTONDOWN) && tolvar::user::InjectMouse(inside, WM_LBUTTONUP);
  }
  HWND m_main = nullptr;
  HWND m_view = nullptr;
  HWND m_field = nullptr;  // the host's own field, left of the view
  PROCESS_INFORMATION m_process{};
};

TEST_F(Hosting, AProgramsDialogLivesInTheHostsViewAndLeavesWhenTheProgramEnds) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(PumpUntil([] { return g_host.ready != nullptr; }));
  HWND hosted = HostedChild();
  ASSERT_EQ(hosted, g_host.ready);
  EXPECT_NE(GetWindowThreadProcessId(hosted, nullptr), GetCurrentThreadId());
  EXPECT_EQ(GetAncestor(hosted, GA_PARENT), m_view);
  char text[32];
  EXPECT_EQ(GetWindowTextA(hosted, text, sizeof text), 6);
  EXPECT_STREQ(text, "Hosted");
  GetClassNameA(hosted, text, sizeof text);
  EXPECT_STREQ(text, "#32770");
  EXPECT_EQ(GetWindowLongA(hosted, GWL_STYLE) & WS_CAPTION, 0);

  // Moved, shown and rendered by the host; carried out by the program's own thread.
  EXPECT_TRUE(MoveWindow(hosted, 20, 30, 200, 120, TRUE));
  RECT rect;
  GetWindowRect(hosted, &rect);
  EXPECT_EQ(rect.left, 50 + 100 + 20);
  EXPECT_EQ(rect.top, 50 + 30);
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_FALSE(ShowWindow(hosted, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(hosted));
  PumpUntil([] { return false; }, 100);
  HBITMAP image = tolvar::user::RenderWindow(m_main);
  ASSERT_TRUE(image);
  if (const char* dir = std::getenv("TEST_PNG_DIR")) {
    tolvar::gdi::WritePng(image, (std::string(dir) + "/hosting.png").c_str());
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, image);
  POINT panel{0, 0};
  MapWindowPoints(GetDlgItem(hosted, 10), m_main, &panel, 1);
  EXPECT_EQ(GetPixel(dc, panel.x + 3, panel.y + 3), RGB(0, 160, 0));                   // the program's panel
  EXPECT_EQ(GetPixel(dc, 100 + 20 + 195, 30 + 115), GetSysColor(COLOR_3DFACE));       // its dialog
  EXPECT_EQ(GetPixel(dc, 100 + 5, 5), RGB(255, 255, 255));                             // the host's view
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(image);

  // A send into the program, which asks the host back before it answers.
  EXPECT_EQ(SendMessageA(hosted, WM_USER + 5, 21, 0), 43);
  EXPECT_EQ(g_host.askedBack, 21u);
  EXPECT_TRUE(SetWindowTextA(hosted, "Renamed"));
  GetWindowTextA(hosted, text, sizeof text);
  EXPECT_STREQ(text, "Renamed");
  EXPECT_FALSE(EnableWindow(hosted, FALSE));
  EXPECT_FALSE(IsWindowEnabled(hosted));
  EnableWindow(hosted, TRUE);
  // Taken out of the view and put back, by a request the program carries out.
  EXPECT_EQ(SetParent(hosted, m_main), m_view);
  EXPECT_EQ(GetAncestor(hosted, GA_PARENT), m_main);
  EXPECT_EQ(HostedChild(), nullptr);
  EXPECT_EQ(SetParent(hosted, m_view), m_main);
  EXPECT_EQ(HostedChild(), hosted);
  // Hidden by the program's thread: the view's part it uncovers is ours to repaint by the time the
  // call returns, so that validating the view then leaves no paint behind (each round, as the
  // program's invalidation and its answer may come in either order).
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    PumpUntil([] { return false; }, 50);
    ASSERT_FALSE(GetUpdateRect(m_view, nullptr, FALSE));
    EXPECT_TRUE(ShowWindow(hosted, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(hosted));
    RECT uncovered{};
    EXPECT_TRUE(GetUpdateRect(m_view, &uncovered, FALSE));
    EXPECT_EQ(uncovered.left, 20);
    EXPECT_EQ(uncovered.top, 30);
    ValidateRect(m_view, nullptr);
    EXPECT_FALSE(ShowWindow(hosted, SW_SHOWNA));
  }
  EXPECT_TRUE(ShowWindow(hosted, SW_HIDE));

  // Closing: a thread message to the program's main thread; it answers with the registered message.
  EXPECT_TRUE(PostThreadMessageA(m_process.dwThreadId, WM_CLOSE, 0, 0));
  ASSERT_TRUE(PumpUntil([] { return g_host.closeMainFrame != 0; }));
  EXPECT_EQ(g_host.closeMainFrame, RegisterWindowMessageA("WM_CLOSE_MAIN_FRAME"));
  EXPECT_EQ(WaitForSingleObject(m_process.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(m_process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(IsWindow(hosted));
  EXPECT_EQ(HostedChild(), nullptr);
}

TEST_F(Hosting, TheWindowsOfAProgramThatDiedAreNoWindowsAndRequestsToThemFail) {
  ASSERT_TRUE(Start(" stay"));
  ASSERT_TRUE(PumpUntil([] { return g_host.ready != nullptr; }));
  HWND hosted = HostedChild();
  ASSERT_TRUE(IsWindow(hosted));
  ASSERT_TRUE(TerminateProcess(m_process.hProcess, 9));
  ASSERT_EQ(WaitForSingleObject(m_process.hProcess, 10000), WAIT_OBJECT_0);
  EXPECT_FALSE(IsWindow(hosted));
  EXPECT_EQ(HostedChild(), nullptr);
  EXPECT_EQ(GetWindow(m_view, GW_CHILD), nullptr);
  SetLastError(0);
  EXPECT_FALSE(MoveWindow(hosted, 0, 0, 10, 10, TRUE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(PostMessageA(hosted, WM_USER, 0, 0));
  EXPECT_FALSE(PostThreadMessageA(m_process.dwThreadId, WM_CLOSE, 0, 0));
  // The host's own windows go on as before.
  EXPECT_TRUE(IsWindow(m_view));
  HBITMAP image = tolvar::user::RenderWindow(m_main);
  EXPECT_TRUE(image);
  DeleteObject(image);
}

TEST_F(Hosting, DestroyingTheHostTakesTheProgramsDialogOnItsOwnThread) {
  ASSERT_TRUE(Start(" stay"));  // it would never leave on its own
  ASSERT_TRUE(PumpUntil([] { return g_host.ready != nullptr; }));
  HWND hosted = HostedChild();
  ASSERT_TRUE(hosted);
  HWND field = GetDlgItem(hosted, 11);
  ShowWindow(hosted, SW_SHOW);
  ASSERT_TRUE(DestroyWindow(m_main));
  // Gone when DestroyWindow returns, not moved to the desktop: no top-level window of the program.
  EXPECT_FALSE(IsWindow(hosted));
  EXPECT_FALSE(IsWindow(field));
  struct Search {
    DWORD process;
    std::vector<HWND> found;
  } search{m_process.dwProcessId, {}};
  EnumWindows(
      [](HWND window, LPARAM lParam) {
        auto* s = reinterpret_cast<Search*>(lParam);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == s->process) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  EXPECT_TRUE(search.found.empty()) << search.found.size() << " windows of the program left";
  ASSERT_EQ(WaitForSingleObject(m_process.hProcess, 10000), WAIT_OBJECT_0) << "the program lives on";
  DWORD code = 1;
  GetExitCodeProcess(m_process.hProcess, &code);
  EXPECT_EQ(code, 0u) << "its thread did not get WM_DESTROY and WM_NCDESTROY for its dialog";
}

TEST_F(Hosting, KeysAndTextTypedInTheHostReachTheFocusedWindowOfTheHostedProgram) {
  HWND hosted = ShowProgram();
  ASSERT_TRUE(hosted);
  HWND edit = GetDlgItem(hosted, 11);
  ASSERT_TRUE(edit);
  ASSERT_NE(GetWindowThreadProcessId(edit, nullptr), GetCurrentThreadId());

  // A person clicks into the program's field, then types.
  RECT rect;
  GetWindowRect(edit, &rect);
  const POINT inside{rect.left + 4, rect.top + 4};
  ASSERT_TRUE(tolvar::user::InjectMouse(inside, WM_LBUTTONDOWN));
  ASSERT_TRUE(tolvar::user::InjectMouse(inside, WM_LBUTTONUP));
  ASSERT_TRUE(PumpUntil([&] { return g_host.focused == edit; })) << "the click never focused the program's field";

  ASSERT_TRUE(tolvar::user::InjectText("Grüße, "));
  for (auto [key, down] : {std::pair{VK_SHIFT, true}, {'A', true}, {'A', false}, {VK_SHIFT, false}, {'B', true},
                           {'B', false}}) {
    ASSERT_TRUE(tolvar::user::InjectKey(static_cast<UINT>(key), down));
  }
  ASSERT_TRUE(tolvar::user::InjectText(" мир 日本 \xF0\x9F\x98\x80"));
  const std::string expected = "Grüße, Ab мир 日本 \xF0\x9F\x98\x80";
  char text[256] = {};
  EXPECT_TRUE(PumpUntil([&] {
    GetWindowTextA(edit, text, sizeof text);
    return expected == text;
  })) << "the field holds \"" << text << "\"";
}

TEST_F(Hosting, KeysTypedRightAfterAClickReachTheProgramsWindowClickedNotTheOneFocusedBefore) {
  HWND hosted = ShowProgram();
  ASSERT_TRUE(hosted);
  HWND before = GetDlgItem(hosted, 11), clicked = GetDlgItem(hosted, 12);
  ASSERT_TRUE(before && clicked);
  ASSERT_TRUE(Click(before));
  ASSERT_TRUE(PumpUntil([&] { return g_host.focused == before; }));

  // The program is busy (it waits for our answer) while a person clicks into the other field and
  // types at once: the keys reach the program before it has handled the click.
  bool typed = false;
  g_host.whileAsked = [&] {
    typed = Click(clicked) && tolvar::user::InjectText("Ann") && tolvar::user::InjectKey('E', true) &&
            tolvar::user::InjectKey('E', false);
  };
  EXPECT_EQ(SendMessageA(hosted, WM_USER + 5, 1, 0), 3);
  ASSERT_TRUE(typed);
  char text[64] = {};
  EXPECT_TRUE(PumpUntil([&] {
    GetWindowTextA(clicked, text, sizeof text);
    return std::string(text) == "Anne";
  })) << "the clicked field holds \"" << text << "\"";
  EXPECT_TRUE(PumpUntil([&] { return g_host.focused == clicked; }));  // told by a posted message
  GetWindowTextA(before, text, sizeof text);
  EXPECT_STREQ(text, "");
}

TEST_F(Hosting, AClickIntoAFieldThatKeptItsThreadsFocusTakesTheKeysBackThere) {
  HWND hosted = ShowProgram();
  ASSERT_TRUE(hosted);
  HWND program = GetDlgItem(hosted, 11);
  ASSERT_TRUE(program);
  // The program's field has its thread's focus from the start, and the host's field keeps this
  // thread's focus once clicked: each click back and forth must take the keys with it.
  struct Step {
    bool intoProgram;
    const char* typed;
    const char* host;
    const char* program;
  };
  for (const Step& step : {Step{false, "a", "a", ""}, Step{true, "b", "a", "b"}, Step{false, "c", "ac", "b"},
                           Step{true, "d", "ac", "bd"}}) {
    SCOPED_TRACE(step.typed);
    g_host.clicked = nullptr;
    ASSERT_TRUE(Click(step.intoProgram ? program : m_field));
    if (step.intoProgram) {
      ASSERT_TRUE(PumpUntil([&] { return g_host.clicked == program; }));
    } else {
      PumpUntil([] { return false; }, 100);  // our click handled
    }
    ASSERT_TRUE(tolvar::user::InjectText(step.typed));
    char host[64] = {}, inProgram[64] = {};
    EXPECT_TRUE(PumpUntil([&] {
      GetWindowTextA(m_field, host, sizeof host);
      GetWindowTextA(program, inProgram, sizeof inProgram);
      return std::string(host) + "|" + inProgram == std::string(step.host) + "|" + step.program;
    }, 3000)) << "the host's field holds \"" << host << "\", the program's \"" << inProgram << "\"";
  }
}

TEST_F(Hosting, KeysTypedBeforeAClickIsHandledFollowTheFocusItLeavesInEitherProcess) {
  HWND hosted = ShowProgram();
  ASSERT_TRUE(hosted);
  HWND program = GetDlgItem(hosted, 11);
  ASSERT_TRUE(program);
  // A person clicks and types at once, before the clicked process has handled the click: into the
  // host's field, into the program's, onto the host's bare window (which takes no focus, so the
  // keys stay with the program), and back into the host's field.
  RECT field;
  GetWindowRect(m_field, &field);
  const POINT bare{field.left, field.bottom + 50};
  ASSERT_EQ(WindowFromPoint(bare), m_main);
  struct Step {
    HWND clicked;
    const char* typed;
    const char* host;
    const char* program;
  };
  for (const Step& step : {Step{m_field, "a", "a", ""}, Step{program, "b", "a", "b"}, Step{m_main, "c", "a", "bc"},
                           Step{m_field, "d", "ad", "bc"}}) {
    SCOPED_TRACE(step.typed);
    if (step.clicked == m_main) {
      ASSERT_TRUE(tolvar::user::InjectMouse(bare, WM_LBUTTONDOWN) && tolvar::user::InjectMouse(bare, WM_LBUTTONUP));
    } else {
      ASSERT_TRUE(Click(step.clicked));
    }
    ASSERT_TRUE(tolvar::user::InjectText(step.typed));
    char host[64] = {}, inProgram[64] = {};
    EXPECT_TRUE(PumpUntil([&] {
      GetWindowTextA(m_field, host, sizeof host);
      GetWindowTextA(program, inProgram, sizeof inProgram);
      return std::string(host) + "|" + inProgram == std::string(step.host) + "|" + step.program;
    }, 3000)) << "the host's field holds \"" << host << "\", the program's \"" << inProgram << "\"";
  }
}

TEST_F(Hosting, WhenTheProgramsModalDialogClosesTypingGoesOnInTheFieldThatHadTheFocus) {
  HWND hosted = ShowProgram();
  ASSERT_TRUE(hosted);
  HWND field = GetDlgItem(hosted, 12);
  ASSERT_TRUE(field);
  ASSERT_TRUE(Click(field));
  ASSERT_TRUE(PumpUntil([&] { return g_host.focused == field; }));

  // The program's modal dialog, owned by our window, comes to the front and goes.
  ASSERT_TRUE(PostMessageA(hosted, WM_USER + 7, 0, 0));
  ASSERT_TRUE(PumpUntil([] { return g_host.modal && GetForegroundWindow() == g_host.modal; }));
  HWND modal = g_host.modal;
  ASSERT_TRUE(PostMessageA(modal, WM_USER + 8, 0, 0));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(modal); }));
  EXPECT_EQ(GetForegroundWindow(), m_main);
  EXPECT_TRUE(IsWindowEnabled(m_main));

  ASSERT_TRUE(tolvar::user::InjectText("ok"));
  char text[64] = {};
  EXPECT_TRUE(PumpUntil([&] {
    GetWindowTextA(field, text, sizeof text);
    return std::string(text) == "ok";
  })) << "the field holds \"" << text << "\"";
}

TEST_F(Hosting, ActivatingTheHostAgainGivesTheKeysBackToTheProgramsFieldThatHadThem) {
  HWND hosted = ShowProgram();
  ASSERT_TRUE(hosted);
  HWND program = GetDlgItem(hosted, 11);
  ASSERT_TRUE(program);
  struct Other {
    HWND window = CreateWindowExA(0, "HostField", "", WS_POPUP | WS_VISIBLE, 500, 400, 100, 40, nullptr, nullptr,
                                  nullptr, nullptr);
    ~Other() { DestroyWindow(window); }
  } other;
  ASSERT_TRUE(other.window);
  g_host.focusTo = m_view;  // activation puts this thread's focus on the view, the program's parent
  // The last click before the host was left decides where typing goes on when it is in front again:
  // into the program's field, or (clicked away to the host's own field) not. The host is left for
  // another window of ours, or for another program's as the display reports it.
  struct Step {
    bool intoProgram;
    bool toOurWindow;
    const char* program;
  };
  std::string typedInOther;
  for (const Step& step : {Step{true, true, "b"}, Step{true, false, "bb"}, Step{false, true, "bb"}}) {
    SCOPED_TRACE(std::string(step.intoProgram ? "program" : "host") + (step.toOurWindow ? ", ours" : ", theirs"));
    g_host.clicked = nullptr;
    ASSERT_TRUE(Click(step.intoProgram ? program : m_field));
    if (step.intoProgram) {
      ASSERT_TRUE(PumpUntil([&] { return g_host.clicked == program; }));
    } else {
      ASSERT_TRUE(PumpUntil([&] { return GetFocus() == m_field; }));
    }
    char inOther[64] = {}, inProgram[64] = {};
    if (step.toOurWindow) {
      SetForegroundWindow(other.window);
      ASSERT_EQ(GetForegroundWindow(), other.window);
      ASSERT_TRUE(tolvar::user::InjectText("a"));
      typedInOther += "a";
      ASSERT_TRUE(PumpUntil([&] {
        GetWindowTextA(other.window, inOther, sizeof inOther);
        return typedInOther == inOther;
      }, 3000)) << "the other window in front holds \"" << inOther << "\"";
    } else {
      tolvar::user::InjectFocusLost(m_main);
      ASSERT_EQ(GetActiveWindow(), nullptr);
    }
    SetForegroundWindow(m_main);
    ASSERT_EQ(GetForegroundWindow(), m_main);
    EXPECT_EQ(GetFocus(), m_view);
    ASSERT_TRUE(tolvar::user::InjectText("b"));
    EXPECT_TRUE(PumpUntil([&] {
      GetWindowTextA(program, inProgram, sizeof inProgram);
      return std::string(inProgram) == step.program;
    }, 3000)) << "the program's field holds \"" << inProgram << "\"";
    if (!step.intoProgram) {
      PumpUntil([] { return false; }, 300);  // time for a stray key to arrive
      GetWindowTextA(program, inProgram, sizeof inProgram);
      EXPECT_STREQ(inProgram, step.program);
    }
    GetWindowTextA(other.window, inOther, sizeof inOther);
    EXPECT_EQ(typedInOther, inOther);
  }
}

}  // namespace
