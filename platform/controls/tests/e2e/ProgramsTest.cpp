// Programs using the controls: the clipboard between processes (text copied from an edit in one
// program is pasted into an edit of another, both ways, and a program holding the clipboard open
// keeps others out), and a program whose dialog template alone names the controls.
#include "ControlTest.h"

#include <kernel/Kernel.h>

#include <cstdio>

using namespace testing_controls;

namespace {

// Runs controls_child_<program> with `arguments` and gives its exit code.
DWORD RunProgram(const char* program, const char* arguments) {
  char commandLine[256];
  std::snprintf(commandLine, sizeof commandLine, "controls_child_%s.exe %s", program, arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return 0xFFFF;
  }
  // The child may send to our windows (WM_DESTROYCLIPBOARD to the owner): keep serving messages.
  DWORD code = 0xFFFE;
  for (int round = 0; round < 300; ++round) {
    if (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    testing_user::Pump();
  }
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

DWORD RunChild(const char* arguments) { return RunProgram("clipboard", arguments); }

class ClipboardBetweenProcesses : public ControlTest {};

TEST_F(ClipboardBetweenProcesses, TextCopiedInOneProgramIsPastedInTheOther) {
  HWND edit = Make("Edit", "gr\xC3\xBC\xC3\x9F dich", WS_BORDER | ES_AUTOHSCROLL, 10, 10, 200, 22, 90);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_COPY, 0, 0);
  EXPECT_EQ(RunChild("paste \"gr\xC3\xBC\xC3\x9F dich\""), 0u);

  EXPECT_EQ(RunChild("copy \"from the child \xE2\x82\xAC\""), 0u);
  SetWindowTextA(edit, "");
  SendMessageA(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(edit), "from the child \xE2\x82\xAC");
  EXPECT_EQ(GetClipboardOwner(), nullptr) << "the child's edit, gone with it";
}

TEST_F(ClipboardBetweenProcesses, AnOpenClipboardKeepsOtherProgramsOut) {
  HWND edit = Make("Edit", "mine", WS_BORDER | ES_AUTOHSCROLL, 10, 10, 200, 22, 90);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_COPY, 0, 0);
  ASSERT_TRUE(OpenClipboard(m_parent));
  EXPECT_EQ(RunChild("copy theirs"), 0u);  // its copy fails quietly while we hold the clipboard
  CloseClipboard();
  EXPECT_EQ(RunChild("paste mine"), 0u);
}

// A program that names nothing of the controls library but its dialog template's classes still gets
// them: the library is loaded and registers them however the program was linked.
TEST(ControlsInPrograms, ATemplateAloneBringsTheClasses) { EXPECT_EQ(RunProgram("template", ""), 0u); }

}  // namespace
