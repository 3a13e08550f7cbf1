// The folder box filled for a path on a drive and for a Linux path, and typed into.
#include "KitTest.h"

#include <FolderComboBox.h>
#include <kernel/Path.h>

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
  EXPECT_EQ(std::string(box.GetFullText(match)), "    2024");
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
