// The application's run loop and command routing: commands pass the view, its document, the frame
// and the application in that order; disabled commands are not carried out; idle work runs only
// while the queue is empty; closing the main window ends the loop.
#include <framework/Afx.h>

#include <kernel/Thread.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include "TestApp.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace testing_user;

namespace {

constexpr UINT kAll = 40001;         // every target handles it
constexpr UINT kNotTheView = 40002;  // the document, the frame and the application
constexpr UINT kFrameAndApp = 40003;
constexpr UINT kAppOnly = 40004;
constexpr UINT kNobody = 40005;
constexpr UINT kSwitchable = 40006;  // the frame carries it out; the view's update handler switches it
constexpr UINT kUnhandled = 40007;

std::vector<std::string> g_route;
BOOL g_switchableOn = TRUE;

}  // namespace

class CRouteDoc : public CDocument {
  DECLARE_DYNCREATE(CRouteDoc)

public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CDocument::GetMessageMap(),
                                {MapCommand(kAll, &CRouteDoc::OnAny), MapCommand(kNotTheView, &CRouteDoc::OnAny)}};
    return &map;
  }
  void OnAny() { g_route.push_back("document"); }
};
IMPLEMENT_DYNCREATE(CRouteDoc, CDocument)

class CRouteView : public CView {
  DECLARE_DYNCREATE(CRouteView)

public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CView::GetMessageMap(),
                                {MapCommand(kAll, &CRouteView::OnAny),
                                 MapUpdateCommandUI(kSwitchable, &CRouteView::OnUpdateSwitchable)}};
    return &map;
  }
  void OnDraw(CDC*) override {}
  void OnAny() { g_route.push_back("view"); }
  void OnUpdateSwitchable(CCmdUI* ui) { ui->Enable(g_switchableOn); }
};
IMPLEMENT_DYNCREATE(CRouteView, CView)

class CRouteFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CRouteFrame)

public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(),
                                {MapCommand(kAll, &CRouteFrame::OnAny), MapCommand(kNotTheView, &CRouteFrame::OnAny),
                                 MapCommand(kFrameAndApp, &CRouteFrame::OnAny),
                                 MapCommand(kSwitchable, &CRouteFrame::OnAny)}};
    return &map;
  }
  void OnAny() { g_route.push_back("frame"); }
};
IMPLEMENT_DYNCREATE(CRouteFrame, CFrameWnd)

namespace {

class Routing : public ::testing::Test {
protected:
  void SetUp() override {
    TestApp().onCommand = [](UINT id, bool run) {
      if (id != kAll && id != kNotTheView && id != kFrameAndApp && id != kAppOnly) return FALSE;
      if (run) g_route.push_back("application");
      return TRUE;
    };
    doc = docTemplate.OpenDocumentFile(nullptr, FALSE);
    ASSERT_NE(doc, nullptr);
    frame = static_cast<CFrameWnd*>(TestApp().m_pMainWnd);
    ASSERT_NE(frame, nullptr);
  }
  void TearDown() override {
    TestApp().onCommand = nullptr;
    // Closing the main window ends the run loop.
    HWND window = frame->m_hWnd;
    frame->PostMessage(WM_CLOSE);
    EXPECT_EQ(TestApp().Run(), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(TestApp().m_pMainWnd, nullptr);
    docTemplate.CloseAllDocuments(FALSE);
  }
  CSingleDocTemplate docTemplate{300, RUNTIME_CLASS(CRouteDoc), RUNTIME_CLASS(CRouteFrame), RUNTIME_CLASS(CRouteView)};
  CDocument* doc = nullptr;
  CFrameWnd* frame = nullptr;
};

TEST_F(Routing, ACommandPassesTheViewTheDocumentTheFrameAndTheApplicationInThatOrder) {
  ASSERT_NE(frame->GetActiveView(), nullptr);
  EXPECT_EQ(frame->GetActiveDocument(), doc);
  EXPECT_FALSE(frame->IsWindowVisible());  // a frame opened hidden stays hidden
  struct Case {
    UINT id;
    const char* handler;
  } cases[] = {{kAll, "view"}, {kNotTheView, "document"}, {kFrameAndApp, "frame"}, {kAppOnly, "application"},
               {kNobody, nullptr}};
  for (const Case& c : cases) {
    g_route.clear();
    frame->SendMessage(WM_COMMAND, c.id, 0);  // as a menu sends it
    std::vector<std::string> expected;
    if (c.handler) expected.push_back(c.handler);
    EXPECT_EQ(g_route, expected) << c.id;
  }
}

TEST_F(Routing, ADisabledCommandIsNotCarriedOutAndTheMenuShowsWhatIsEnabled) {
  for (BOOL on : {FALSE, TRUE}) {
    g_switchableOn = on;
    g_route.clear();
    frame->SendMessage(WM_COMMAND, kSwitchable, 0);
    EXPECT_EQ(g_route.size(), on ? 1u : 0u);
  }
  CMenu popup;
  ASSERT_TRUE(popup.CreatePopupMenu());
  popup.AppendMenu(MF_STRING, kAll, "All");
  popup.AppendMenu(MF_STRING, kSwitchable, "Switchable");
  popup.AppendMenu(MF_STRING, kUnhandled, "Unhandled");
  g_switchableOn = FALSE;
  g_route.clear();
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup.m_hMenu), 0);
  EXPECT_EQ(popup.GetMenuState(kAll, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_NE(popup.GetMenuState(kSwitchable, MF_BYCOMMAND) & MF_GRAYED, 0u);  // its update handler said so
  EXPECT_NE(popup.GetMenuState(kUnhandled, MF_BYCOMMAND) & MF_GRAYED, 0u);   // nobody would carry it out
  EXPECT_EQ(g_route.size(), 0u);  // asking whether a handler exists does not run it
  g_switchableOn = TRUE;
}

TEST(RunLoop, IdleWorkRunsOnlyWhenTheQueueIsEmpty) {
  constexpr UINT kWork = WM_USER + 20;
  constexpr UINT kIdle = WM_USER + 21;
  HWND window = CreateWindowExA(0, RecordingClass(), "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  int idleSpells = 0;
  TestApp().onIdle = [&](LONG count) {
    MSG waiting;
    Recorder::Get().Add(window, kIdle, static_cast<WPARAM>(count),
                        PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE));
    if (count > 0) return FALSE;
    if (++idleSpells == 1) {
      PostMessageA(window, kWork, 3, 0);
    } else {
      PostQuitMessage(9);
    }
    return TRUE;
  };
  Recorder::Get().Clear();
  PostMessageA(window, kWork, 1, 0);
  PostMessageA(window, kWork, 2, 0);
  EXPECT_EQ(TestApp().Run(), 9);
  TestApp().onIdle = nullptr;
  ExpectSequence(Recorder::Get().Take(),
                 {{kWork, kWParam, 1},
                  {kWork, kWParam, 2},
                  {kIdle, kWParam | kLParam, 0, FALSE},
                  {kWork, kWParam, 3},
                  {kIdle, kWParam | kLParam, 0, FALSE}},
                 "idle");
  DestroyWindow(window);
}

// Counts the idle command updates it is asked for.
class CIdleCountingWnd : public CWnd {
public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CWnd::GetMessageMap(), {MapMessage(WM_IDLEUPDATECMDUI, &CIdleCountingWnd::OnUpdate)}};
    return &map;
  }
  LRESULT OnUpdate(WPARAM, LPARAM) {
    ++updates;
    return 0;
  }
  std::atomic<int> updates{0};
};

// The idle command updates go to the main window and the window objects of its thread inside it,
// also below a window that has none. A window of another thread or process inside it (a hosted
// program's) is not asked: that would be a round trip to it after every message.
TEST(RunLoop, IdleCommandUpdatesAskOnlyTheThreadsOwnWindowObjects) {
  CIdleCountingWnd frame, child, inner;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, "Idle", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
  const RECT rect{0, 0, 50, 20};
  ASSERT_TRUE(child.Create(nullptr, "Child", WS_VISIBLE, rect, &frame, 1));
  HWND bare = CreateWindowExA(0, RecordingClass(), "", WS_CHILD | WS_VISIBLE, 0, 30, 50, 20, frame.m_hWnd, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(bare, nullptr);
  ASSERT_TRUE(inner.Create(nullptr, "Inner", WS_VISIBLE, rect, CWnd::FromHandle(bare), 2));

  // A window object of another thread inside the frame; that thread answers sent messages.
  std::atomic<int> foreignUpdates{-1};
  std::atomic<DWORD> foreignThread{0};
  std::atomic<bool> foreignDone{false};
  std::thread foreign([&] {
    CIdleCountingWnd window;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    if (window.Create(nullptr, "Foreign", WS_VISIBLE, rect, CWnd::FromHandle(frame.m_hWnd), 3)) {
      foreignThread = GetCurrentThreadId();
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
      foreignUpdates = window.updates.load();
      window.DestroyWindow();
    }
    foreignThread = GetCurrentThreadId();
    foreignDone = true;
  });
  // Making and destroying a child sends to its parent: this thread serves that while it waits.
  auto serveUntil = [](const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      std::this_thread::yield();
    }
  };
  serveUntil([&] { return foreignThread != 0; });
  EXPECT_NE(::GetDlgItem(frame.m_hWnd, 3), nullptr);

  Recorder::Get().Clear();
  CWnd* previousMain = TestApp().m_pMainWnd;
  TestApp().m_pMainWnd = &frame;
  TestApp().OnIdle(0);
  TestApp().m_pMainWnd = previousMain;
  PostThreadMessageA(foreignThread, WM_QUIT, 0, 0);
  serveUntil([&] { return foreignDone.load(); });
  foreign.join();

  EXPECT_EQ(frame.updates, 1);
  EXPECT_EQ(child.updates, 1);
  EXPECT_EQ(inner.updates, 1);
  EXPECT_EQ(foreignUpdates, 0);
  for (const Recorded& got : Recorder::Get().Take()) {
    EXPECT_FALSE(got.window == bare && got.message == WM_IDLEUPDATECMDUI) << "the window without an object was asked";
  }
  frame.DestroyWindow();
}

}  // namespace

namespace {

constexpr UINT kThreadWork = WM_USER + 30;

// A thread of its own with a CWinThread whose map takes a window-less thread message.
class CWorkerThread : public CWinThread {
public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CWinThread::GetMessageMap(), {MapMessage(kThreadWork, &CWorkerThread::OnWork)}};
    return &map;
  }
  LRESULT OnWork(WPARAM wParam, LPARAM) {
    work.push_back(static_cast<int>(wParam));
    if (wParam == 2) PostQuitMessage(6);
    return 0;
  }
  std::vector<int> work;
};

TEST(RunLoop, AThreadMessageGoesToTheThreadObjectsMap) {
  std::vector<int> work;
  int exitCode = 0;
  bool ownThreadObject = false;
  std::thread worker([&] {
    CWorkerThread thread;
    ownThreadObject = AfxGetThread() == &thread;
    PostThreadMessageA(GetCurrentThreadId(), kThreadWork, 1, 0);
    PostThreadMessageA(GetCurrentThreadId(), kThreadWork, 2, 0);
    exitCode = thread.Run();
    work = thread.work;
  });
  worker.join();
  EXPECT_TRUE(ownThreadObject);
  EXPECT_EQ(work, (std::vector<int>{1, 2}));
  EXPECT_EQ(exitCode, 6);
}

}  // namespace
