// Threads of the class library: a worker function started by AfxBeginThread posts back to a window
// of the user-interface thread; an object kept by its caller (m_bAutoDelete cleared before the
// start) keeps a waitable handle and the thread's exit code; a CWinThread class started by its
// run-time class runs InitInstance and its own message loop and deletes itself; a suspended start
// is refused.
#include <framework/Afx.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

using namespace testing_user;

namespace {

constexpr UINT kWorkerDone = WM_APP + 40;  // wParam: the worker's thread id, lParam: its parameter

// What the worker threads posted to the window, in the order it came.
std::vector<std::pair<DWORD, LPARAM>> g_posts;

LRESULT RecordPosts(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWorkerDone) {
    g_posts.emplace_back(static_cast<DWORD>(wParam), lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Window {
  Window() {
    static const ATOM atom = [] {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = RecordPosts;
      windowClass.lpszClassName = "WinThreadTestPosts";
      return RegisterClassA(&windowClass);
    }();
    (void)atom;
    g_posts.clear();
    handle = CreateWindowExA(0, "WinThreadTestPosts", "UI", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
  }
  ~Window() { DestroyWindow(handle); }
  HWND handle = nullptr;
};

// Pumps the interface thread until `count` posts came.
bool WaitForPosts(std::size_t count) {
  return PumpUntil([&] { return g_posts.size() >= count; });
}

HWND g_window = nullptr;

UINT PostBack(LPVOID parameter) {
  PostMessageA(g_window, kWorkerDone, GetCurrentThreadId(), reinterpret_cast<LPARAM>(parameter));
  return 42;
}

TEST(WinThread, AWorkerFunctionPostsBackToTheInterfaceThread) {
  Window window;
  g_window = window.handle;
  int parameter = 0;
  ASSERT_NE(AfxBeginThread(PostBack, &parameter), nullptr);  // deletes itself when it ends
  ASSERT_TRUE(WaitForPosts(1));
  EXPECT_NE(g_posts[0].first, GetCurrentThreadId());
  EXPECT_EQ(g_posts[0].second, reinterpret_cast<LPARAM>(&parameter));
}

TEST(WinThread, AKeptObjectHasItsHandleIdAndExitCode) {
  Window window;
  g_window = window.handle;
  auto thread = std::make_unique<CWinThread>(PostBack, nullptr);
  thread->m_bAutoDelete = FALSE;
  ASSERT_TRUE(thread->CreateThread(0, 256 * 1024));
  ASSERT_NE(thread->m_hThread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread->m_hThread, 20000), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(*thread, &code));
  EXPECT_EQ(code, 42u);
  ASSERT_TRUE(WaitForPosts(1));
  EXPECT_EQ(g_posts[0].first, thread->m_nThreadID) << "the id is the thread's own";
  EXPECT_FALSE(thread->CreateThread()) << "one thread per object";
  EXPECT_EQ(AfxGetThread(), AfxGetApp()) << "the object never became this thread's";
}

TEST(WinThread, NoThreadStartsSuspended) {
  std::atomic<int> runs{0};
  auto count = [](LPVOID p) -> UINT {
    ++*static_cast<std::atomic<int>*>(p);
    return 0;
  };
  SetLastError(0);
  EXPECT_EQ(AfxBeginThread(count, &runs, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  CWinThread kept(count, &runs);
  kept.m_bAutoDelete = FALSE;
  EXPECT_FALSE(kept.CreateThread(CREATE_SUSPENDED));
  EXPECT_EQ(kept.m_hThread, nullptr);
  EXPECT_EQ(AfxBeginThread(static_cast<AFX_THREADPROC>(nullptr), nullptr), nullptr);
  EXPECT_EQ(runs.load(), 0);
}

// A thread with a message loop of its own: it reports its id and priority from InitInstance and
// ends when it gets WM_QUIT.
std::atomic<int> g_loopsAlive{0};

class CLoopThread : public CWinThread {
  DECLARE_DYNCREATE(CLoopThread)

public:
  CLoopThread() { ++g_loopsAlive; }
  ~CLoopThread() override { --g_loopsAlive; }
  BOOL InitInstance() override {
    const bool mine = AfxGetThread() == this && m_nThreadID == GetCurrentThreadId();
    PostMessageA(g_window, kWorkerDone, m_nThreadID, mine ? GetThreadPriority() : -100);
    return TRUE;
  }
};
IMPLEMENT_DYNCREATE(CLoopThread, CWinThread)

TEST(WinThread, AThreadClassRunsItsLoopAndDeletesItself) {
  Window window;
  g_window = window.handle;
  ASSERT_NE(AfxBeginThread(RUNTIME_CLASS(CLoopThread), THREAD_PRIORITY_BELOW_NORMAL), nullptr);
  ASSERT_TRUE(WaitForPosts(1));
  EXPECT_EQ(g_posts[0].second, THREAD_PRIORITY_BELOW_NORMAL)
      << "InitInstance runs on the new thread as its CWinThread, with its priority already set";
  EXPECT_EQ(g_loopsAlive.load(), 1);
  ASSERT_TRUE(PostThreadMessageA(g_posts[0].first, WM_QUIT, 0, 0));
  EXPECT_TRUE(PumpUntil([] { return g_loopsAlive.load() == 0; }));

  SetLastError(0);
  EXPECT_EQ(AfxBeginThread(RUNTIME_CLASS(CWnd)), nullptr) << "not a thread class";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
