// Module states: a library that switches to its own state finds its own dialog and string while
// the program's resources use the same ids; the program's state is back when the library returns.
#include <framework/Afx.h>

#include <kernel/Module.h>

#include <gtest/gtest.h>

#include "Controls.h"

#include <string>

extern "C" int ModuleLibraryTexts(char* caption, int captionSize, char* text, int textSize);
extern "C" HINSTANCE ModuleLibraryResourceHandle();

namespace {

TEST(ModuleState, ALibraryLoadsItsOwnDialogAndStringWhereTheProgramHasTheSameIds) {
  testing_framework::AddStandInControls();
  char caption[64] = {}, text[64] = {};
  ASSERT_TRUE(ModuleLibraryTexts(caption, sizeof caption, text, sizeof text));
  EXPECT_STREQ(caption, "Library dialog");
  EXPECT_STREQ(text, "the library's string");

  CString programs;
  ASSERT_TRUE(programs.LoadString(1));
  EXPECT_EQ(std::string(programs), "the program's string");
  CDialog dialog(100);
  ASSERT_TRUE(dialog.Create(100));
  CString programCaption;
  dialog.GetWindowText(programCaption);
  EXPECT_EQ(std::string(programCaption), "Program dialog");
  dialog.DestroyWindow();

  EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(nullptr));
  EXPECT_NE(ModuleLibraryResourceHandle(), GetModuleHandleA(nullptr));
  EXPECT_EQ(ModuleLibraryResourceHandle(), GetModuleHandleA("framework_test_module.dll"));
}

TEST(ModuleState, TheResourceHandleCanBePointedElsewhereAndBack) {
  HINSTANCE program = AfxGetResourceHandle();
  HINSTANCE library = ModuleLibraryResourceHandle();
  AfxSetResourceHandle(library);
  CString string;
  ASSERT_TRUE(string.LoadString(1));
  EXPECT_EQ(std::string(string), "the library's string");
  AfxSetResourceHandle(program);
  CString missing = "kept";
  EXPECT_FALSE(missing.LoadString(4242));
  EXPECT_EQ(std::string(missing), "kept");
}

}  // namespace
