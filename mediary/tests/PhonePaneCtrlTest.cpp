// The phone pane's window under injected keys: Delete marks and undeletes after the question,
// fixed folders are refused, and a duplicate new name re-opens the edit on the edited row.
#include "KitTest.h"

#include <PaneRows.h>
#include <PhonePaneCtrl.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

namespace {

using namespace RowBits;

struct PhonePaneWindow : ::testing::Test {
  void SetUp() override {
    kit_testing::UseOwnHome();
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Phone", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 520, 300, nullptr, nullptr));
    SetForegroundWindow(host);
    auto add = [&](const char* name, std::uint32_t word, std::uint32_t id) {
      TransferRecord r;
      r.name = name;
      r.dataWord = word;
      r.id = id;
      r.image = (word & Folder) ? RowImage::Folder : RowImage::Picture;
      model.AddEntry(model.Top(0), std::move(r), "..");
    };
    add("Photo", PhoneFolder, 1);
    add("Mine", PhoneFolder, 40);
    add("a.jpg", PhoneFile, 3);
    add("b.jpg", PhoneFile, 4);
    model.SetLoaded(true);
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_SHOWSELALWAYS | LVS_EDITLABELS, RECT{0, 0, 500, 260}, &host, 5));
    list.SetFont("Verdana", 14, FALSE, FALSE);
    list.Refill();
    list.SetFocus();
    testing_user::Pump();
  }
  void TearDown() override {
    list.DestroyWindow();
    host.DestroyWindow();
    testing_user::Pump();
  }
  void Select(std::initializer_list<int> rows) {
    for (int row = 0; row < list.GetItemCount(); ++row) list.SetItemState(row, 0, LVIS_SELECTED);
    for (int row : rows) list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  void Press(UINT key) {
    tolvar::user::InjectKey(key, true);
    tolvar::user::InjectKey(key, false);
    testing_user::Pump();
  }
  void Type(const char* text) {
    tolvar::user::InjectText(text);
    testing_user::Pump();
  }

  CWnd host;
  CPhonePaneModel model;
  std::vector<UINT> asked;
  int answer = IDYES;
  CPhonePaneCtrl list{model, [this](UINT id, UINT) {
                        asked.push_back(id);
                        return answer;
                      }};
};

}  // namespace

TEST_F(PhonePaneWindow, DeleteKeyMarksAndUndeletesAfterTheQuestion) {
  Select({2, 3});
  Press(VK_DELETE);
  EXPECT_EQ(asked, (std::vector<UINT>{1046}));
  EXPECT_TRUE(model.Shown().rows[2].dataWord & Marked);
  EXPECT_TRUE(model.Shown().rows[3].dataWord & Marked);
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = 2;
  list.GetItem(&item);
  EXPECT_EQ(item.iImage, RowImage::Marked);

  asked.clear();
  answer = IDNO;
  Select({2, 3});
  Press(VK_DELETE);
  EXPECT_EQ(asked, (std::vector<UINT>{1072}));  // every row marked: the undelete question
  EXPECT_TRUE(model.Shown().rows[2].dataWord & Marked);

  answer = IDYES;
  asked.clear();
  Press(VK_DELETE);
  EXPECT_FALSE(model.Shown().rows[2].dataWord & Marked);
  EXPECT_FALSE(model.Shown().rows[3].dataWord & Marked);

  asked.clear();
  Select({0});
  Press(VK_DELETE);
  EXPECT_EQ(asked, (std::vector<UINT>{1051}));  // a fixed folder
  EXPECT_FALSE(model.Shown().rows[0].dataWord & Marked);
  Select({1});
  Press(VK_DELETE);
  EXPECT_TRUE(model.Shown().rows[1].dataWord & Marked);  // a folder of the user's

  asked.clear();
  list.SetBusy(true);
  Select({3});
  Press(VK_DELETE);
  EXPECT_TRUE(asked.empty());
}

TEST_F(PhonePaneWindow, OnlyQueuedRowsTakeNamesAndADuplicateReopensTheSameRow) {
  const std::size_t first = model.NewFolder("New Folder", "..");
  const std::size_t second = model.NewFolder("New Folder", "..");
  list.Refill();
  EXPECT_EQ(list.EditLabel(2), nullptr);  // a file from the phone keeps its name

  ASSERT_NE(list.EditLabel(int(first)), nullptr);
  testing_user::Pump();
  Type("a.jpg");
  Press(VK_RETURN);
  EXPECT_EQ(asked, (std::vector<UINT>{1067}));
  ASSERT_TRUE(kit_testing::PumpUntil([&] { return list.GetEditControl() != nullptr; }));
  EXPECT_TRUE(list.GetItemState(int(first), LVIS_FOCUSED) & LVIS_FOCUSED);  // the row being edited, not the last
  EXPECT_NE(first, second);
  Type("Holi,day");  // a comma is not taken in a phone name
  Press(VK_RETURN);
  EXPECT_EQ(model.Shown().rows[first].name, "Holiday");
  EXPECT_EQ(std::string(list.GetItemText(int(first), 0)), "Holiday");
  EXPECT_EQ(model.Shown().rows[second].name, "New Folder (1)");
}
