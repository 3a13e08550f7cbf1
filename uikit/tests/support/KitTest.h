#pragma once
// What the kit's control tests share: the program's application object, a home folder of the test's
// own, a visible top-level parent window with the keyboard focus, and waiting on the pump.
#include <framework/Afx.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kit_testing {

// A fresh $TOLVAR_HOME for the test process, removed at its end.
void UseOwnHome();

// Pumps the calling thread's queue until `done` holds or a generous bound passes; whether it held.
bool PumpUntil(const std::function<bool()>& done);

// Clicks (press and release) at a point in `window`'s client coordinates, and moves there first.
void Click(HWND window, POINT client);
void MoveMouse(HWND window, POINT client);

// The window's current text.
std::string TextOf(HWND window);

class KitTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  CWnd parent;
};

}  // namespace kit_testing
