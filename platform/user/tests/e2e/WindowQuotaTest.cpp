// The window table is shared by every process of a home. A process that keeps making windows is
// refused once it holds its share, and another process of the home can still make one.
#include <user/User.h>

#include <base/LastError.h>
#include <base/Time.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

TEST(WindowQuotaTest, AProcessThatFillsItsShareIsRefusedAndTheOthersStillMakeWindows) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "QuotaFiller";
  RegisterClassA(&wc);
  std::vector<HWND> windows;
  auto create = [] { return CreateWindowExA(0, "QuotaFiller", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr); };
  for (int i = 0; i < 5000; ++i) {
    HWND window = create();
    if (!window) break;
    windows.push_back(window);
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_GT(windows.size(), 500u);    // a fair share was there
  EXPECT_LT(windows.size(), 4000u);   // and it was not the whole table

  // Another process of the home makes its window.
  const std::string handshake = (std::filesystem::temp_directory_path() /
                                 ("tolvar-quota-" + std::to_string(getpid()) + ".txt")).string();
  std::filesystem::remove(handshake);
  std::string line = "user_child_mailbox.exe " + handshake;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  unsigned window = 0;
  int pid = 0;
  for (int i = 0; i < 1000 && !(std::ifstream(handshake) >> window >> pid); ++i) Sleep(10);
  EXPECT_NE(window, 0u) << "the other process could not make a window";
  // It ends by itself within seconds when no message comes.
  if (window) PostMessageA(reinterpret_cast<HWND>(static_cast<UINT_PTR>(window)), WM_USER + 5, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  std::filesystem::remove(handshake);

  // Windows given back make room again.
  for (HWND w : windows) DestroyWindow(w);
  HWND again = create();
  EXPECT_NE(again, nullptr);
  DestroyWindow(again);
  UnregisterClassA("QuotaFiller", nullptr);
}

}  // namespace
