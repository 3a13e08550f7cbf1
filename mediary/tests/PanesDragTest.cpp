// Files dragged between the two panes by injected mouse input: PC files onto the phone (checked by
// the type rules, one message for the refused), phone files onto the PC (queued downloads).
#include "KitTest.h"
#include "MediaFiles.h"

#include <PcPaneCtrl.h>
#include <PhonePaneCtrl.h>
#include <kernel/Path.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace RowBits;

POINT RowPoint(CListCtrl& list, int row) {
  RECT r{};
  list.GetItemRect(row, &r, LVIR_LABEL);
  return POINT{r.left + 10, (r.top + r.bottom) / 2};
}

void Drag(CListCtrl& from, int row, CListCtrl& to, int targetRow) {
  const POINT start = RowPoint(from, row);
  POINT press = start;
  from.ClientToScreen(&press);
  tolvar::user::InjectMouse(press, WM_MOUSEMOVE);
  tolvar::user::InjectMouse(press, WM_LBUTTONDOWN);
  testing_user::Pump();
  kit_testing::MoveMouse(from, POINT{start.x + 20, start.y + 10});
  POINT release = targetRow >= 0 ? RowPoint(to, targetRow) : POINT{40, 150};
  kit_testing::MoveMouse(to, release);
  to.ClientToScreen(&release);
  tolvar::user::InjectMouse(release, WM_LBUTTONUP);
  testing_user::Pump();
}

struct Panes : ::testing::Test {
  void SetUp() override {
    kit_testing::UseOwnHome();
    const std::string folder = tolvar::kernel::ToHostPath("C:\\Drop");
    std::filesystem::create_directories(folder);
    mediafiles::WriteFile(folder + "/good.jpg", mediafiles::Jpeg(32, 24));
    mediafiles::WriteFile(folder + "/bad.jpg", mediafiles::Signature("not a picture"));
    pcModel.Rules().SetBuild("YW");
    ASSERT_TRUE(pcModel.ListFolder("C:\\Drop"));
    TransferRecord beach;
    beach.name = "beach";
    beach.kind = "keFTJpeg";
    beach.dataWord = PhoneFile;
    beach.id = 77;
    beach.listingIndex = 0;
    beach.image = RowImage::Picture;
    phoneModel.AddEntry(phoneModel.Top(0), std::move(beach), "..");
    phoneModel.SetLoaded(true);

    ASSERT_TRUE(host.CreateEx(0, nullptr, "Panes", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 520, 420, nullptr, nullptr));
    SetForegroundWindow(host);
    ASSERT_TRUE(pc.Create(WS_CHILD | WS_VISIBLE | LVS_SHOWSELALWAYS, RECT{0, 0, 500, 190}, &host, 1111));
    ASSERT_TRUE(phone.Create(WS_CHILD | WS_VISIBLE | LVS_SHOWSELALWAYS, RECT{0, 195, 500, 380}, &host, 1112));
    phone.SetDropHandler([this] { HandPhoneSelectionToPc(phone, phoneModel, pc, pcModel); });
    pc.Refill();
    phone.Refill();
    testing_user::Pump();
  }
  void TearDown() override {
    pc.DestroyWindow();
    phone.DestroyWindow();
    host.DestroyWindow();
    testing_user::Pump();
  }
  int RowOf(CListCtrl& list, const char* name) {
    for (int row = 0; row < list.GetItemCount(); ++row)
      if (std::string(list.GetItemText(row, 0)) == name) return row;
    return -1;
  }

  CWnd host;
  CPcPaneModel pcModel;
  CPhonePaneModel phoneModel;
  std::vector<UINT> asked;
  CPcPaneCtrl pc{pcModel, [this](UINT id, const std::string&, UINT) {
                   asked.push_back(id);
                   return IDOK;
                 }};
  CPhonePaneCtrl phone{phoneModel, [this](UINT id, UINT) {
                         asked.push_back(id);
                         return IDOK;
                       }};
};

}  // namespace

TEST_F(Panes, PcFilesDraggedOntoThePhoneAreCheckedAndQueued) {
  const int good = RowOf(pc, "good.jpg"), bad = RowOf(pc, "bad.jpg");
  ASSERT_GE(good, 0);
  ASSERT_GE(bad, 0);
  pc.SetItemState(good, LVIS_SELECTED, LVIS_SELECTED);
  pc.SetItemState(bad, LVIS_SELECTED, LVIS_SELECTED);
  Drag(pc, good, phone, -1);
  EXPECT_EQ(asked, (std::vector<UINT>{1049}));
  ASSERT_EQ(phoneModel.Shown().rows.size(), 2u);
  EXPECT_EQ(phoneModel.Shown().rows[1].name, "good.jpg");
  EXPECT_EQ(phoneModel.Shown().rows[1].dataWord, PhoneFile | Queued);
  EXPECT_EQ(phone.GetItemCount(), 2);
  EXPECT_TRUE(pc.GetItemData(bad) & Unusable);
  EXPECT_TRUE(pc.GetItemData(good) & Queued);
}

TEST_F(Panes, PhoneFilesDraggedOntoThePcBecomeQueuedDownloads) {
  phone.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  Drag(phone, 0, pc, 0);
  const int queued = RowOf(pc, "beach.jpg");
  ASSERT_GE(queued, 0);
  EXPECT_TRUE(pc.GetItemData(queued) & Queued);
  ASSERT_EQ(pcModel.Queued().size(), 1u);
  EXPECT_EQ(pcModel.Queued()[0].path, "C:\\Drop\\beach.jpg");
  EXPECT_EQ(pcModel.Queued()[0].id, 77u);
  EXPECT_TRUE(phoneModel.Shown().rows[0].dataWord & Handed);
  EXPECT_FALSE(phoneModel.Shown().rows[0].dataWord & Queued);

  // Delete on the PC pane takes the queued download back.
  pc.SetFocus();
  pc.SetItemState(queued, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  tolvar::user::InjectKey(VK_DELETE, true);
  tolvar::user::InjectKey(VK_DELETE, false);
  testing_user::Pump();
  EXPECT_TRUE(pcModel.Queued().empty());
  EXPECT_EQ(RowOf(pc, "beach.jpg"), -1);
}

TEST_F(Panes, AColumnClickSortsAndTheHeaderShowsTheArrow) {
  pc.AttachSortArrow();
  CHeaderCtrl& header = pc.GetHeader();
  auto clickColumn = [&](int column) {
    RECT item{};
    header.GetItemRect(column, &item);
    kit_testing::Click(header, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
  };
  auto names = [&] {
    std::vector<std::string> out;
    for (int row = 0; row < pc.GetItemCount(); ++row) out.emplace_back(pc.GetItemText(row, 0));
    return out;
  };
  using Names = std::vector<std::string>;
  clickColumn(0);  // the sorted column again: descending
  EXPECT_EQ(names(), (Names{"(Go to parent directory)", "good.jpg", "bad.jpg"}));
  EXPECT_EQ(pc.SortArrow().GetSortColumn(), 0);
  EXPECT_FALSE(pc.SortArrow().IsAscending());
  clickColumn(1);  // another column: ascending by size (1 KB each), then by name
  EXPECT_EQ(names(), (Names{"(Go to parent directory)", "bad.jpg", "good.jpg"}));
  EXPECT_EQ(pc.SortArrow().GetSortColumn(), 1);
  EXPECT_TRUE(pc.SortArrow().IsAscending());
  HBITMAP image = tolvar::user::RenderWindow(host);
  testing_user::SavePng(image, "mediary_pc_header_sorted");
  DeleteObject(image);
}
