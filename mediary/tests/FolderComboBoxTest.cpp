// The folder box filled for a path on a drive and for a Linux path, and typed into.
#include "IconPixels.h"
#include "KitTest.h"

#include <FolderComboBox.h>
#include <kernel/Path.h>
#include <shell/ShellApi.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct FolderBox : ::testing::Test {
  void SetUp() override {
    kit_testing::UseOwnHome();
    std::filesystem::create_directories(tolvar::kernel::ToHostPath("C:\\Photos\\2024"));
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Folders", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 260, nullptr, nullptr));
    SetForegroundWindow(host);
    ASSERT_TRUE(box.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                           RECT{10, 10, 300, 200}, &host, 3));
  }
  void TearDown() override {
    box.DestroyWindow();
    host.DestroyWindow();
    testing_user::Pump();
  }
  CWnd host;
  CFolderComboBox box;
};

}  // namespace

TEST_F(FolderBox, ListsSpecialFoldersDrivesRootAndThePathsLevels) {
  const int match = box.FillFolders("C:\\Photos\\2024");
  ASSERT_GE(match, 0);
  EXPECT_EQ(box.GetCurSel(), match);
  EXPECT_EQ(box.GetFolder(match), "C:\\Photos\\2024");
  EXPECT_EQ(std::string(box.GetFullText(match)), "2024");
  EXPECT_EQ(box.GetItemIndent(match), 2);
  EXPECT_EQ(box.GetFolder(match - 1), "C:\\Photos");
  EXPECT_EQ(box.GetFolder(match - 2), "C:\\");
  EXPECT_EQ(box.GetFolder(box.GetCount() - 1), "/");
  EXPECT_FALSE(box.GetFolder(0).empty());  // the desktop
  EXPECT_FALSE(box.GetFolder(1).empty());  // the documents

  const int linux = box.FillFolders("/tmp");
  EXPECT_EQ(box.GetFolder(linux), "/tmp");
  EXPECT_EQ(box.GetFolder(linux - 1), "/");
  EXPECT_EQ(box.GetFolder(box.GetCount()), "");
}

// The dropped list shows each entry's shell icon, indented by its level, before its name: the drive
// its drive icon, the folders under it their folder icon, pixel for pixel as the shell's list draws
// them.
TEST_F(FolderBox, TheDroppedListShowsEachEntrysShellIconAtItsLevel) {
  const int match = box.FillFolders("C:\\Photos\\2024");
  ASSERT_GE(match, 2);
  HIMAGELIST shell = box.GetSystemImageList();
  ASSERT_TRUE(shell);
  const auto shellIcon = [](const char* path) {
    SHFILEINFOA info{};
    return SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON) ? info.iIcon : -2;
  };
  const int drive = match - 2, photos = match - 1;
  EXPECT_EQ(box.GetItemIcon(drive), shellIcon("C:\\"));
  EXPECT_EQ(box.GetItemIcon(photos), shellIcon("C:\\Photos"));
  EXPECT_NE(box.GetItemIcon(drive), box.GetItemIcon(photos));
  EXPECT_EQ(box.GetItemIcon(box.GetCount() - 1), shellIcon("/"));

  box.ShowDropDown(TRUE);
  testing_user::Pump();
  HWND list = FindWindowA("ComboLBox", nullptr);
  ASSERT_TRUE(list);
  HBITMAP shown = tolvar::user::RenderWindow(list);
  ASSERT_TRUE(shown);
  testing_user::SavePng(shown, "mediary_folder_box_icons");
  // The picture is of the whole window; item rectangles are of its client area.
  RECT frame{};
  GetWindowRect(list, &frame);
  POINT client{0, 0};
  ClientToScreen(list, &client);
  for (int row : {drive, photos}) {
    SCOPED_TRACE(row);
    RECT item{};
    ASSERT_NE(SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    OffsetRect(&item, client.x - frame.left, client.y - frame.top);
    const int left = item.left + CFlatComboBox::kTextMargin + box.GetItemIndent(row) * CFolderComboBox::kIndentStep;
    const int top = item.top + (item.bottom - item.top - 16) / 2;
    EXPECT_EQ(IconPixelsDiffering(shown, left, top, shell, box.GetItemIcon(row)), 0);
  }
  DeleteObject(shown);
  box.ShowDropDown(FALSE);
  testing_user::Pump();
}

TEST_F(FolderBox, FlatAndHotLooks) {
  box.FillFolders("C:\\Photos");
  kit_testing::MoveMouse(host, POINT{300, 240});  // away: the flat look
  HBITMAP flat = tolvar::user::RenderWindow(host);
  testing_user::SavePng(flat, "mediary_folder_box_flat");
  kit_testing::MoveMouse(box, POINT{20, 8});  // over it: the hot look
  kit_testing::PumpUntil([] { return true; });
  HBITMAP hot = tolvar::user::RenderWindow(host);
  testing_user::SavePng(hot, "mediary_folder_box_hot");
  DeleteObject(flat);
  DeleteObject(hot);
}

TEST_F(FolderBox, TypedTextCompletesFromTheEntriesAndTheListDropsDown) {
  const int photos = box.FillFolders("C:\\Photos");
  box.SetFocus();
  testing_user::Pump();
  box.SetEditSel(0, -1);
  tolvar::user::InjectText("C");
  testing_user::Pump();
  EXPECT_EQ(box.GetFolder(box.GetCurSel()), "C:\\");  // the first entry that begins with "C"
  EXPECT_EQ(box.GetFolder(photos - 1), "C:\\");
  box.ShowDropDown(TRUE);
  testing_user::Pump();
  EXPECT_TRUE(box.GetDroppedState());
  HBITMAP image = tolvar::user::RenderWindow(host);
  testing_user::SavePng(image, "mediary_folder_box_dropped");
  DeleteObject(image);
  box.ShowDropDown(FALSE);
  testing_user::Pump();
  EXPECT_FALSE(box.GetDroppedState());
}
