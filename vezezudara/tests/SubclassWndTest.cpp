// The hook chain: hooks see a window's messages newest first and pass them on to the window's own
// procedure, whatever order they come and go in, also with a class-library object subclassing the
// window between them.
#include "SubclassWnd.h"

#include <base/TemporaryHome.h>
#include <framework/Afx.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr UINT kProbe = WM_USER + 77;
std::string g_log;

LRESULT BaseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) {
    g_log += "base";
    return 7;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class LoggingHook : public CSubclassWnd {
public:
  explicit LoggingHook(char name) : m_name(name) {}
  bool gone = false;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kProbe) g_log += m_name;
    return Default(message, wParam, lParam);
  }
  void OnWindowGone() override { gone = true; }

private:
  char m_name;
};

// A class-library object that subclasses the window as well.
class LoggingWnd : public CWnd {
public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kProbe) g_log += 'W';
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

class HookChain : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BaseProc;
    wc.lpszClassName = "HookChainBase";
    RegisterClassA(&wc);
    m_window = CreateWindowExA(0, "HookChainBase", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(m_window);
  }
  void TearDown() override {
    if (IsWindow(m_window)) DestroyWindow(m_window);
  }
  std::string Probe() {
    g_log.clear();
    EXPECT_EQ(SendMessageA(m_window, kProbe, 0, 0), 7);
    return g_log;
  }
  WNDPROC Procedure() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_window, GWLP_WNDPROC)); }

  tolvar::testing::TemporaryHome m_home;
  HWND m_window = nullptr;
};

}  // namespace

TEST_F(HookChain, EveryOrderOfAttachingAndDetachingKeepsTheChainWhole) {
  const WNDPROC original = Procedure();
  std::array<int, 3> attach{0, 1, 2};
  do {
    std::array<int, 3> detach{0, 1, 2};
    do {
      SCOPED_TRACE("attach " + std::to_string(attach[0]) + std::to_string(attach[1]) + std::to_string(attach[2]) +
                   " detach " + std::to_string(detach[0]) + std::to_string(detach[1]) + std::to_string(detach[2]));
      LoggingHook hooks[3] = {LoggingHook('A'), LoggingHook('B'), LoggingHook('C')};
      std::string attached;  // newest first
      for (int h : attach) {
        ASSERT_TRUE(hooks[h].HookWindow(m_window));
        attached.insert(attached.begin(), static_cast<char>('A' + h));
      }
      EXPECT_EQ(Probe(), attached + "base");
      EXPECT_EQ(CSubclassWnd::HookCount(m_window), 3);
      for (int h : detach) {
        hooks[h].Unhook();
        attached.erase(attached.find(static_cast<char>('A' + h)), 1);
        EXPECT_FALSE(hooks[h].IsHooked());
        EXPECT_EQ(Probe(), attached + "base");
      }
      EXPECT_EQ(Procedure(), original);
      EXPECT_EQ(CSubclassWnd::HookCount(m_window), 0);
    } while (std::next_permutation(detach.begin(), detach.end()));
  } while (std::next_permutation(attach.begin(), attach.end()));
}

TEST_F(HookChain, AClassLibraryObjectBetweenHooksUnwindsInEitherOrder) {
  const WNDPROC original = Procedure();
  for (bool hooksFirst : {true, false}) {
    SCOPED_TRACE(hooksFirst ? "hooks go first" : "the object goes first");
    LoggingHook inner('A'), outer('B');
    LoggingWnd object;
    ASSERT_TRUE(inner.HookWindow(m_window));
    ASSERT_TRUE(object.SubclassWindow(m_window));
    // The second hook joins the chain the first one made, behind the object.
    ASSERT_TRUE(outer.HookWindow(m_window));
    EXPECT_EQ(Probe(), "WBAbase");
    if (hooksFirst) {
      outer.Unhook();
      inner.Unhook();
      EXPECT_EQ(Probe(), "Wbase");  // the chain stays a link behind the object
      object.UnsubclassWindow();
    } else {
      object.UnsubclassWindow();
      EXPECT_EQ(Probe(), "BAbase");
      inner.Unhook();
      outer.Unhook();
    }
    EXPECT_EQ(Probe(), "base");
    if (!hooksFirst) {
      EXPECT_EQ(Procedure(), original);
    }
  }
}

TEST_F(HookChain, DestroyingTheWindowDetachesEveryHook) {
  LoggingHook first('A'), second('B');
  first.HookWindow(m_window);
  second.HookWindow(m_window);
  DestroyWindow(m_window);
  EXPECT_FALSE(first.IsHooked());
  EXPECT_FALSE(second.IsHooked());
  EXPECT_TRUE(first.gone);
  EXPECT_TRUE(second.gone);
  EXPECT_EQ(CSubclassWnd::HookCount(m_window), 0);
  first.Unhook();  // nothing left to undo
  EXPECT_FALSE(first.HookWindow(m_window));
}
