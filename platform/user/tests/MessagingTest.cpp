// Sent and posted messages within and across threads, timers, registered messages, translation.
#include <user_testing/Recorder.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace testing_user;

namespace {

struct CrossThread {
  std::atomic<DWORD> ranOn{0};
  std::atomic<DWORD> callbackRanOn{0};
  std::atomic<bool> inSend{false};
  HWND mainWindow = nullptr;
};
CrossThread g_cross;

LRESULT WorkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) {
    g_cross.ranOn = GetCurrentThreadId();
    g_cross.inSend = InSendMessage() != FALSE;
    // Sending back to the waiting sender's window must not deadlock: the sender serves it.
    return SendMessageA(g_cross.mainWindow, WM_USER + 1, wParam, 0) + 1;
  }
  if (message == WM_USER + 2) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 1) {
    g_cross.callbackRanOn = GetCurrentThreadId();
    return static_cast<LRESULT>(wParam * 10);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

ATOM RegisterProc(const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  return RegisterClassA(&wc);
}

TEST(Messaging, ACrossThreadSendRunsOnTheWindowsThreadWhileTheSenderServesSendsToIt) {
  RegisterProc("CrossMain", MainProc);
  RegisterProc("CrossWorker", WorkerProc);
  g_cross.mainWindow = CreateWindowExA(0, "CrossMain", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(g_cross.mainWindow);
  std::atomic<HWND> worker{nullptr};
  std::atomic<bool> stop{false};
  std::atomic<DWORD> workerThread{0};
  std::thread thread([&] {
    workerThread = GetCurrentThreadId();
    worker = CreateWindowExA(0, "CrossWorker", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    MSG message;
    while (!stop) {
      if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT) == WAIT_OBJECT_0) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      }
    }
    DestroyWindow(worker);
  });
  while (!worker) std::this_thread::yield();
  EXPECT_EQ(SendMessageA(worker, WM_USER, 4, 0), 41);
  EXPECT_EQ(g_cross.ranOn.load(), workerThread.load());
  EXPECT_EQ(g_cross.callbackRanOn.load(), GetCurrentThreadId());
  EXPECT_TRUE(g_cross.inSend.load());
  EXPECT_FALSE(InSendMessage());
  // Posting goes to the window's thread too, and a window's thread is who GetWindowThreadProcessId names.
  DWORD process = 0;
  EXPECT_EQ(GetWindowThreadProcessId(worker, &process), workerThread.load());
  EXPECT_EQ(process, GetCurrentProcessId());
  stop = true;
  thread.join();
  EXPECT_FALSE(IsWindow(worker));  // the thread's windows end with it
  DestroyWindow(g_cross.mainWindow);
}

TEST(Messaging, SendingToAThreadThatDoesNotLookAtItsQueueTimesOut) {
  RegisterProc("Sleeper", DefWindowProcA);
  std::atomic<HWND> window{nullptr};
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread thread([&] {
    window = CreateWindowExA(0, "Sleeper", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    WaitForSingleObject(release, INFINITE);  // not pumping
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    DestroyWindow(window);
  });
  while (!window) std::this_thread::yield();
  DWORD_PTR result = 99;
  SetLastError(0);
  EXPECT_EQ(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  SetEvent(release);
  thread.join();
  CloseHandle(release);
}

TEST(Messaging, ASendToAThreadThatEndsWithoutLookingAtItsQueueIsAnsweredZero) {
  RegisterProc("Leaver", DefWindowProcA);
  std::atomic<HWND> window{nullptr};
  std::thread thread([&] {
    window = CreateWindowExA(0, "Leaver", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    // Wakes when the send is queued, and ends without running it, its window still alive.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_SENDMESSAGE, 0);
  });
  while (!window) std::this_thread::yield();
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);  // a hang here is the fault
  thread.join();
  EXPECT_FALSE(IsWindow(window));
}

TEST(Messaging, PostedMessagesComeInOrderAndQuitEndsTheLoop) {
  HWND window = CreateWindowExA(0, RecordingClass(), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  Recorder::Get().Take();
  PostMessageA(window, WM_USER + 5, 1, 0);
  PostMessageA(window, WM_USER + 6, 2, 0);
  PostQuitMessage(3);
  MSG message;
  int dispatched = 0;
  while (GetMessageA(&message, nullptr, 0, 0)) {
    DispatchMessageA(&message);
    ++dispatched;
  }
  EXPECT_EQ(dispatched, 2);
  EXPECT_EQ(message.wParam, 3u);
  ExpectSequence(Recorder::Get().Take(), {{WM_USER + 5, kWParam, 1}, {WM_USER + 6, kWParam, 2}}, "posted");
  DestroyWindow(window);
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

int g_timerCalls = 0;
void CALLBACK_TimerProc(HWND, UINT, UINT_PTR, DWORD) { ++g_timerCalls; }

TEST(Messaging, WindowTimersReachTheProcedureOrTheirCallbackAndStopWithTheWindow) {
  HWND window = CreateWindowExA(0, RecordingClass(), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SetTimer(window, 7, 10, nullptr), 7u);
  EXPECT_EQ(SetTimer(window, 8, 10, CALLBACK_TimerProc), 8u);
  int timers = 0;
  MSG message;
  for (int i = 0; i < 200 && (timers < 2 || g_timerCalls < 2); ++i) {
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) continue;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER && message.wParam == 7) ++timers;
      DispatchMessageA(&message);
    }
  }
  EXPECT_GE(timers, 2);
  EXPECT_GE(g_timerCalls, 2);
  EXPECT_TRUE(KillTimer(window, 7));
  EXPECT_FALSE(KillTimer(window, 7));
  DestroyWindow(window);
  EXPECT_FALSE(KillTimer(window, 8));  // gone with the window
  EXPECT_EQ(SetTimer(window, 9, 10, nullptr), 0u);
}

TEST(Messaging, RegisteredMessagesAreOneNumberPerNameWhateverTheCase) {
  UINT a = RegisterWindowMessageA("WM_CLOSE_MAIN_FRAME");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageA("wm_close_main_frame"), a);
  EXPECT_NE(RegisterWindowMessageA("WM_EXIT_THREAD"), a);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

TEST(Messaging, TranslateTurnsKeysIntoCharactersWithTheShiftState) {
  HWND window = CreateWindowExA(0, RecordingClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  SetFocus(window);
  Pump();
  Recorder::Get().Take();
  tolvar::user::InjectKey('A', true);
  tolvar::user::InjectKey('A', false);
  tolvar::user::InjectKey(VK_SHIFT, true);
  tolvar::user::InjectKey('2', true);
  tolvar::user::InjectKey('2', false);
  tolvar::user::InjectKey(VK_SHIFT, false);
  tolvar::user::InjectKey(VK_RETURN, true);
  Pump();
  auto got = Recorder::Get().Take();
  std::string typed;
  for (const Recorded& r : got) {
    if (r.message == WM_CHAR) typed += static_cast<char>(r.wParam);
  }
  EXPECT_EQ(typed, "a@\r");
  tolvar::user::InjectKey(VK_RETURN, false);
  DestroyWindow(window);
}

TEST(Messaging, TextTravelsThroughTheMessagesAndLongsGuardTheirSizes) {
  HWND window = CreateWindowExA(0, PlainClass(), "Start", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  char buffer[8];
  EXPECT_EQ(GetWindowTextLengthA(window), 5);
  EXPECT_TRUE(SetWindowTextA(window, "A longer text"));
  EXPECT_EQ(GetWindowTextA(window, buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "A longe");
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(DefWindowProcA));
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 1234);
  DestroyWindow(window);
}

WNDPROC g_previous = nullptr;
LRESULT Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 100 + CallWindowProcA(g_previous, window, message, wParam, lParam);
  return CallWindowProcA(g_previous, window, message, wParam, lParam);
}
LRESULT Base(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Messaging, SubclassingChainsProceduresAndStyleChangesAreAnnounced) {
  RegisterProc("Based", Base);
  HWND window = CreateWindowExA(0, "Based", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
  EXPECT_EQ(g_previous, Base);
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 101);
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 1);
  DestroyWindow(window);

  HWND recorded = CreateWindowExA(0, RecordingClass(), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  Recorder::Get().Take();
  SetWindowLongA(recorded, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_BORDER));
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_STYLECHANGING, kWParam, static_cast<WPARAM>(GWL_STYLE)},
                  {WM_STYLECHANGED, kWParam, static_cast<WPARAM>(GWL_STYLE)}},
                 "style");
  EXPECT_EQ(GetWindowLongA(recorded, GWL_STYLE) & WS_BORDER, static_cast<LONG>(WS_BORDER));
  DestroyWindow(recorded);
}

}  // namespace
