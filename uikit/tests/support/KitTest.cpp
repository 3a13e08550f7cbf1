#include "KitTest.h"

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace kit_testing {
namespace {

class CKitTestApp : public CWinApp {
public:
  CKitTestApp() : CWinApp("uikit tests") {}
};
CKitTestApp theApp;

}  // namespace

void UseOwnHome() {
  static const std::filesystem::path home = [] {
    auto folder = std::filesystem::path(::testing::TempDir()) / ("uikit-home-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    setenv("TOLVAR_HOME", folder.c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(std::filesystem::path(std::getenv("TOLVAR_HOME")), ignored);
    });
    return folder;
  }();
}

bool PumpUntil(const std::function<bool()>& done) {
  // Only a bound for a test that fails: a passing one returns as soon as the event happened.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    testing_user::Pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

void MoveMouse(HWND window, POINT client) {
  ClientToScreen(window, &client);
  tolvar::user::InjectMouse(client, WM_MOUSEMOVE);
  testing_user::Pump();
}

void Click(HWND window, POINT client) {
  ClientToScreen(window, &client);
  tolvar::user::InjectMouse(client, WM_MOUSEMOVE);
  tolvar::user::InjectMouse(client, WM_LBUTTONDOWN);
  tolvar::user::InjectMouse(client, WM_LBUTTONUP);
  testing_user::Pump();
}

std::string TextOf(HWND window) {
  char buffer[512] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

void KitTest::SetUp() {
  UseOwnHome();
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "Kit", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  SetForegroundWindow(parent);
  testing_user::Pump();
}

void KitTest::TearDown() {
  parent.DestroyWindow();
  testing_user::Pump();
}

}  // namespace kit_testing
