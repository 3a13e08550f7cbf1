// The main dialog's rules: the 398 guard over every command and page switch, the key map, the header
// layout at several widths, and how the save question ends a close.
#include "MainDialogRules.h"

#include <LauncherProtocol.h>

#include <user/Input.h>

#include <gtest/gtest.h>

using namespace daybook;

namespace {

TEST(MainDialogRules, AnOpenEditRefusesDocumentTransferAndExchangeCommandsAndOtherPages) {
  const UINT refused[] = {CMD_FILE_NEW, CMD_FILE_OPEN, CMD_FILE_SAVE, CMD_FILE_SAVEAS, CMD_DOWNLOAD, CMD_UPLOAD,
                          CMD_IMPORT_CSV, CMD_EXPORT_CSV, CMD_CLOSE, CMD_GET_RESOURCES, CMD_IMPORT_VCARD,
                          CMD_EXPORT_VCARD, CMD_EXPORT_VCAL, CMD_IMPORT_VCAL, CMD_EXPORT_VCAL_TODO, CMD_IMPORT_VCAL_TODO};
  for (UINT command : refused) EXPECT_TRUE(RefusedWhileEditing(command)) << command;
  // The record commands go to the page, whose own rules apply.
  for (UINT command : {CMD_NEW_ITEM, CMD_DELETE_ITEM, CMD_DELETE_ALL, CMD_FIND, CMD_RESET_GROUPS}) {
    EXPECT_FALSE(RefusedWhileEditing(command)) << command;
  }
  for (int editing = 0; editing < 3; ++editing) {
    PendingEdits pending{};
    pending[static_cast<std::size_t>(editing)] = true;
    for (int target = 0; target < 3; ++target) {
      EXPECT_EQ(CanShowPage(static_cast<Page>(target), pending), target == editing) << editing << "->" << target;
    }
  }
  EXPECT_TRUE(CanShowPage(Page::ToDo, PendingEdits{}));
}

TEST(MainDialogRules, Keys) {
  struct Case {
    const char* what;
    KeyInput input;
    KeyAction action;
  };
  const Case cases[] = {
      {"Ctrl+Tab on to-do", {VK_TAB, false, true, false, false, Page::ToDo}, KeyAction::NextPage},
      {"Tab alone", {VK_TAB, false, false, false, false, Page::ToDo}, KeyAction::Pass},
      {"F3 on schedule", {VK_F3, false, false, false, false, Page::Schedule}, KeyAction::ToggleDaily},
      {"F3 on contacts", {VK_F3, false, false, false, false, Page::Contacts}, KeyAction::Pass},
      {"Escape", {VK_ESCAPE, false, false, false, false, Page::Contacts}, KeyAction::Swallow},
      {"Escape while renaming", {VK_ESCAPE, false, false, true, false, Page::Contacts}, KeyAction::EmptyRenameThenPass},
      {"Alt+F4", {VK_F4, true, false, false, false, Page::Contacts}, KeyAction::Swallow},
      {"Ctrl+F4", {VK_F4, false, true, false, false, Page::Contacts}, KeyAction::Close},
      {"F4 after Ctrl was let go", {VK_F4, false, false, false, false, Page::Contacts}, KeyAction::Pass},
      {"Enter on the group list", {VK_RETURN, false, false, false, true, Page::Contacts}, KeyAction::StartRename},
      {"Enter elsewhere", {VK_RETURN, false, false, false, false, Page::Contacts}, KeyAction::Swallow},
      {"Enter ends a rename", {VK_RETURN, false, false, true, true, Page::Contacts}, KeyAction::Pass},
      {"Down while renaming", {VK_DOWN, false, false, true, true, Page::Contacts}, KeyAction::EndRenameMoveDown},
      {"Ctrl+S", {'S', false, true, false, false, Page::ToDo}, KeyAction::Save},
      {"S", {'S', false, false, false, false, Page::ToDo}, KeyAction::Pass},
      {"F9", {kKeyF9, false, false, false, false, Page::ToDo}, KeyAction::Download},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyActionFor(c.input), c.action) << c.what;
  EXPECT_EQ(NextPage(Page::ToDo), Page::Contacts);
  EXPECT_EQ(NextPage(NextPage(Page::Contacts)), Page::ToDo);
}

TEST(MainDialogRules, HeaderLayoutFollowsTheWidth) {
  const HeaderWidths widths{100, 40, 42, 44, 60};
  for (int cx : {675, 800, 1280}) {
    const HeaderLayout l = LayoutHeader(cx, widths);
    EXPECT_EQ(l.contactsX, cx - 385 - 44) << cx;
    EXPECT_EQ(l.scheduleX, cx - 339 - 42) << cx;
    EXPECT_EQ(l.toDoX, cx - 292 - 40) << cx;
    EXPECT_EQ(l.logoX, cx - 8 - 100) << cx;
    EXPECT_EQ(l.headerWidth, cx - 282) << cx;
  }
  const HeaderLayout at800 = LayoutHeader(800, widths);
  EXPECT_EQ(at800.contactsX, 415 - 44);
  EXPECT_EQ(at800.titleX, 372 - 60);
}

TEST(MainDialogRules, TheLauncherHearsOfEveryCloseThatDoesNotGoAhead) {
  struct Case {
    SaveAnswer answer;
    bool saved;
    bool fromLauncher;
    CloseOutcome outcome;
  };
  const Case cases[] = {
      {SaveAnswer::NotAsked, false, true, {true, false}},
      {SaveAnswer::No, false, true, {true, false}},
      {SaveAnswer::Yes, true, true, {true, false}},
      {SaveAnswer::Yes, false, true, {false, true}},   // a failed or cancelled save
      {SaveAnswer::Cancel, false, true, {false, true}},
      {SaveAnswer::Yes, false, false, {false, false}},  // the Close command: the dialog just stays
      {SaveAnswer::Cancel, false, false, {false, true}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AfterSaveQuestion(c.answer, c.saved, c.fromLauncher), c.outcome)
        << static_cast<int>(c.answer) << c.saved << c.fromLauncher;
  }
}

TEST(MainDialogRules, CommandLinesNameTheLaunchersWindows) {
  struct Case {
    const char* line;
    UINT_PTR host, main;
  };
  const Case cases[] = {
      {"Daybook.exe hWnd=0000ABCD hMainWnd=00001234", 0xABCD, 0x1234},
      {"Daybook.exe hMainWnd=00001234 hWnd=0000abcd", 0xABCD, 0x1234},
      {"x hWnd=00C0FFEE-tail hMainWnd=00000001 more", 0xC0FFEE, 0x1},
      {"Daybook.exe hMainWnd=00001234", 0, 0x1234},
      {"Daybook.exe", 0, 0},
  };
  for (const Case& c : cases) {
    const HostingHandles h = ParseHostingCommandLine(c.line);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(h.host), c.host) << c.line;
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(h.mainWindow), c.main) << c.line;
  }
}

}  // namespace
