// The points where modules above the window manager plug in: class providers (how the controls'
// classes reach every dialog template) and the per-thread creation hook (how the class library
// attaches its object before a window's first message).
#include <user_testing/Recorder.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <resources/Resource.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace testing_user;
using tolvar::user::AddClassProvider;
using tolvar::user::CreationHook;
using tolvar::user::SetCreationHook;

namespace {

int g_providerRuns = 0;

LRESULT BuiltInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

void ProvideButtonAndEdit() {
  ++g_providerRuns;
  for (const char* name : {"Button", "Edit"}) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = BuiltInProc;
    wc.cbWndExtra = 16;  // a control keeps its state behind its window
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
  }
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

INT_PTR QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST(ClassProviders, RunOnceWhenAnUnknownClassIsFirstLookedUp) {
  // As a program starts: the classes an earlier run of this test registered are gone.
  UnregisterClassA("Button", nullptr);
  UnregisterClassA("Edit", nullptr);
  g_providerRuns = 0;
  AddClassProvider(ProvideButtonAndEdit);
  EXPECT_EQ(g_providerRuns, 0) << "providers run only when a lookup misses";

  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  EXPECT_TRUE(GetClassInfoExA(nullptr, "button", &info));
  EXPECT_EQ(info.cbWndExtra, 16);
  EXPECT_EQ(g_providerRuns, 1);

  EXPECT_FALSE(GetClassInfoExA(nullptr, "NoSuchClass", &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_EQ(g_providerRuns, 1) << "a provider that has run is not asked again";
}

TEST(ClassProviders, DialogTemplatesNamingBuiltInAtomsCreateTheProvidedClasses) {
  AddClassProvider(ProvideButtonAndEdit);
  HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(104), nullptr, QuietDialog, 0);
  ASSERT_TRUE(dialog) << GetLastError();
  EXPECT_EQ(ClassOf(GetDlgItem(dialog, 400)), "Edit");
  EXPECT_EQ(ClassOf(GetDlgItem(dialog, 401)), "Button");
  DestroyWindow(dialog);
}

struct HookLog {
  WNDPROC previous = nullptr;
  HWND window = nullptr;
  std::vector<UINT> messages;
};
HookLog* g_hookLog = nullptr;

LRESULT AttachedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_hookLog->messages.push_back(message);
  return CallWindowProcA(g_hookLog->previous, window, message, wParam, lParam);
}

// What the class library does: subclass the new window at once, so its object sees everything.
void Attach(HWND window, const CREATESTRUCTA& create, void* context) {
  auto* log = static_cast<HookLog*>(context);
  EXPECT_STREQ(create.lpszName, "Hooked");
  log->window = window;
  log->previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AttachedProc)));
}

TEST(CreationHook, SeesTheWindowBeforeItsFirstMessage) {
  struct Case {
    DWORD style;
    UINT first;
  };
  HWND parent = CreateWindowExA(0, PlainClass(), "Parent", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
  for (const Case& c : {Case{WS_OVERLAPPEDWINDOW, WM_GETMINMAXINFO}, Case{WS_CHILD, WM_NCCREATE}}) {
    HookLog log;
    g_hookLog = &log;
    CreationHook previous = SetCreationHook({Attach, &log});
    HWND window = CreateWindowExA(0, PlainClass(), "Hooked", c.style, 0, 0, 50, 50,
                                  (c.style & WS_CHILD) ? parent : nullptr, nullptr, nullptr, nullptr);
    SetCreationHook(previous);
    ASSERT_TRUE(window);
    EXPECT_EQ(log.window, window);
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages.front(), c.first) << MessageName(log.messages.front());
    EXPECT_NE(std::find(log.messages.begin(), log.messages.end(), static_cast<UINT>(WM_CREATE)), log.messages.end());
    DestroyWindow(window);
    g_hookLog = nullptr;
  }
  DestroyWindow(parent);
}

TEST(CreationHook, IsPerThreadAndRemovable) {
  HookLog log;
  g_hookLog = &log;
  SetCreationHook({Attach, &log});
  EXPECT_EQ(SetCreationHook({}).context, &log);
  HWND window = CreateWindowExA(0, PlainClass(), "Hooked", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(log.window, nullptr) << "a removed hook is not called";
  DestroyWindow(window);
  g_hookLog = nullptr;
}

}  // namespace
