// The panes' list window: every row state drawn in its colours (pixels and PNGs of both panes), and
// the notifications to the parent: focus gained and lost, and one settled selection per burst.
#include "IconPixels.h"
#include "KitTest.h"

#include <PaneListCtrl.h>
#include <PcPaneCtrl.h>
#include <PhonePaneModel.h>

#include <kernel/Path.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace RowBits;

class CPaneHost : public CWnd {
 public:
  std::vector<std::string> log;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    const auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == kPaneFocusNotify)
      log.push_back(std::to_string(header->idFrom) +
                    (reinterpret_cast<const CPaneListCtrl::FocusNotify*>(lParam)->gained ? " gained" : " lost"));
    if (header->code == kPaneSelectionNotify) log.push_back(std::to_string(header->idFrom) + " selection");
    return CWnd::OnNotify(wParam, lParam, result);
  }
};

struct PaneWindows : ::testing::Test {
  void SetUp() override {
    kit_testing::UseOwnHome();
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Panes", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 520, 420, nullptr, nullptr));
    SetForegroundWindow(host);
    ASSERT_TRUE(pc.Create(WS_CHILD | WS_VISIBLE | LVS_SHOWSELALWAYS, RECT{0, 0, 500, 190}, &host, 1111));
    ASSERT_TRUE(phone.Create(WS_CHILD | WS_VISIBLE | LVS_SHOWSELALWAYS, RECT{0, 195, 500, 380}, &host, 1112));
    for (CPaneListCtrl* list : {static_cast<CPaneListCtrl*>(&pc), &phone}) {
      list->SetFont("Verdana", 14, FALSE, FALSE);
      list->SetTextIndent(1);
    }
  }
  void TearDown() override {
    pc.DestroyWindow();
    phone.DestroyWindow();
    host.DestroyWindow();
    testing_user::Pump();
  }
  CPaneHost host;
  CPcPaneModel pcModel;
  CPcPaneCtrl pc{pcModel, [](UINT, const std::string&, UINT) { return IDOK; }};
  CPaneListCtrl phone;
};

TransferRecord Row(const char* name, std::uint32_t word, const char* kind = "", std::uint32_t size = 0) {
  TransferRecord r;
  r.name = name;
  r.dataWord = word;
  r.kind = kind;
  r.size = size;
  return r;
}

// Whether the row's text area holds a pixel of about `colour` (text edges are smoothed, so the
// strongest pixels of a stroke come within a few levels of it).
bool RowHasColour(HBITMAP image, const RECT& row, COLORREF colour) {
  auto near = [](COLORREF a, COLORREF b) {
    for (int shift : {0, 8, 16})
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 0x20) return false;
    return true;
  };
  for (int y = row.top; y < row.bottom; ++y)
    for (int x = row.left + 2; x < row.left + 120; ++x)
      if (near(testing_user::PixelAt(image, x, y), colour)) return true;
  return false;
}

}  // namespace

TEST(PaneRowColours, ByDataWord) {
  EXPECT_EQ(PaneRowTextColour(PhoneFile), CPaneListCtrl::kNormalText);
  EXPECT_EQ(PaneRowTextColour(PhoneFile | Queued), CPaneListCtrl::kQueuedText);
  EXPECT_EQ(PaneRowTextColour(PcFile | SizeRefused), CPaneListCtrl::kRefusedText);
  EXPECT_EQ(PaneRowTextColour(PcFile | Unusable | Queued | SizeRefused), CPaneListCtrl::kUnusableText);
  EXPECT_EQ(PaneRowTextColour(PcFile | Queued | SizeRefused), CPaneListCtrl::kQueuedText);
}

TEST_F(PaneWindows, EveryRowStateIsDrawnInItsColour) {
  RecordTable table;
  table.rows.push_back(Row("(Go to parent directory)", Phone | Parent));
  table.rows.push_back(Row("Photos", PhoneFolder));
  table.rows.push_back(Row("New Folder", PhoneFolder | Queued));
  table.rows.push_back(Row("beach.jpg", PhoneFile, "keFTJpeg", 1536));
  table.rows.push_back(Row("upload.gif", PhoneFile | Queued, "keFTGif", 1023));
  table.rows.push_back(Row("old.png", PhoneFile | Marked, "keFTPng", 40000));
  table.rows.push_back(Row("handed.jpg", PhoneFile | Handed, "keFTJpeg", 2048));
  phone.ShowPhoneRows(table);
  phone.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);

  CPcPaneModel model;  // nothing listed: the columns only
  pc.ShowPcRows(model);
  const std::pair<const char*, std::uint32_t> pcRows[] = {
      {"(Go to parent directory)", PcParent}, {"Holiday", PcFolder}, {"a.jpg", PcFile},
      {"big.jpg", PcFile | SizeRefused},      {"broken.jpg", PcFile | Unusable}, {"pic[1].jpg", PhoneFile | Queued | Handed}};
  for (const auto& [name, word] : pcRows) pc.AddItem(name, static_cast<LPARAM>(word), 2);
  pc.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
  testing_user::Pump();

  HBITMAP image = tolvar::user::RenderWindow(host);
  ASSERT_TRUE(image);
  testing_user::SavePng(image, "mediary_panes");
  auto rowRect = [&](CPaneListCtrl& list, int row) {
    RECT r{};
    list.GetItemRect(row, &r, LVIR_BOUNDS);
    ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);  // to the screen
    RECT frame{};
    host.GetWindowRect(&frame);
    OffsetRect(&r, -frame.left, -frame.top);
    return r;
  };
  EXPECT_TRUE(RowHasColour(image, rowRect(phone, 1), CPaneListCtrl::kNormalText));
  EXPECT_TRUE(RowHasColour(image, rowRect(phone, 2), CPaneListCtrl::kQueuedText));
  EXPECT_TRUE(RowHasColour(image, rowRect(phone, 4), CPaneListCtrl::kQueuedText));
  EXPECT_FALSE(RowHasColour(image, rowRect(phone, 5), CPaneListCtrl::kQueuedText));
  EXPECT_TRUE(RowHasColour(image, rowRect(pc, 3), CPaneListCtrl::kRefusedText));
  EXPECT_TRUE(RowHasColour(image, rowRect(pc, 4), CPaneListCtrl::kUnusableText));
  EXPECT_TRUE(RowHasColour(image, rowRect(pc, 5), CPaneListCtrl::kQueuedText));
  // Selected rows: the phone pane's selection fill, and the PC pane's own; the text reads on each,
  // the phone pane's dark text going white on its blue.
  const RECT selectedPhone = rowRect(phone, 3), selectedPc = rowRect(pc, 2);
  EXPECT_EQ(testing_user::PixelAt(image, selectedPhone.right - 3, selectedPhone.top + 2), COLORREF(0xFF0000));
  EXPECT_EQ(testing_user::PixelAt(image, selectedPc.right - 3, selectedPc.top + 2), COLORREF(0xFDEAE1));
  EXPECT_TRUE(RowHasColour(image, selectedPhone, 0xFFFFFF));
  EXPECT_FALSE(RowHasColour(image, selectedPhone, CPaneListCtrl::kNormalText));
  EXPECT_TRUE(RowHasColour(image, selectedPc, CPaneListCtrl::kNormalText));
  EXPECT_EQ(phone.GetItemText(3, 1), CString("2 KB"));
  EXPECT_EQ(phone.GetItemText(4, 1), CString("1023 B"));
  EXPECT_EQ(phone.GetItemText(3, 2), CString("Jpeg"));
  DeleteObject(image);
}

// The PC pane's folders and files show the shell's small icon of their path before the name, pixel
// for pixel as the shell's list draws it; the parent entry keeps the list's own image.
TEST_F(PaneWindows, PcRowsShowTheShellsIconOfTheirPath) {
  const std::string folder = "C:\\Shots";
  std::filesystem::create_directories(tolvar::kernel::ToHostPath(folder + "\\Holiday"));
  std::ofstream(tolvar::kernel::ToHostPath(folder + "\\a.jpg")) << "\xFF\xD8\xFF\xE0";
  CPcPaneModel model;
  ASSERT_TRUE(model.ListFolder(folder));
  pc.SetSystemImageList(folder);
  ASSERT_TRUE(pc.GetSystemImageList());
  pc.ShowPcRows(model);
  testing_user::Pump();
  HBITMAP image = tolvar::user::RenderWindow(pc);
  ASSERT_TRUE(image);
  testing_user::SavePng(image, "mediary_pc_pane_icons");
  RECT frame{};
  pc.GetWindowRect(&frame);
  POINT client{0, 0};
  pc.ClientToScreen(&client);
  std::vector<int> icons;
  for (const char* name : {"Holiday", "a.jpg"}) {
    SCOPED_TRACE(name);
    LVFINDINFOA find{};
    find.flags = LVFI_STRING;
    find.psz = name;
    const int row = pc.FindItem(&find);
    ASSERT_GE(row, 0);
    const int icon = CPaneListCtrl::GetShellIcon(folder + "\\" + name);
    ASSERT_GE(icon, 0);
    icons.push_back(icon);
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    pc.GetItem(&item);
    EXPECT_EQ(item.iImage, icon);
    RECT r{};
    pc.GetItemRect(row, &r, LVIR_BOUNDS);
    OffsetRect(&r, client.x - frame.left, client.y - frame.top);
    const int top = r.top + (r.bottom - r.top - 16) / 2;
    EXPECT_EQ(IconPixelsDiffering(image, r.left + pc.GetTextIndent(), top, pc.GetSystemImageList(), icon), 0);
  }
  EXPECT_NE(icons.front(), icons.back());  // a folder's icon and a picture's
  LVITEMA parent{};
  parent.mask = LVIF_IMAGE;
  parent.iItem = 0;
  pc.GetItem(&parent);
  EXPECT_EQ(parent.iImage, RowImage::ParentEntry);
  DeleteObject(image);
}

TEST_F(PaneWindows, FocusAndSettledSelectionReachTheParent) {
  for (const char* name : {"a", "b", "c"}) phone.AddItem(name, PhoneFile, 2);
  pc.AddItem("x", PcFile, 2);
  testing_user::Pump();
  host.log.clear();
  phone.SetFocus();
  pc.SetFocus();
  EXPECT_EQ(host.log, (std::vector<std::string>{"1112 gained", "1112 lost", "1111 gained"}));

  host.log.clear();
  for (int row = 0; row < 3; ++row) phone.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_TRUE(kit_testing::PumpUntil([&] { return !host.log.empty(); }));
  // Let any further timer tick pass: a burst gives one notification.
  testing_user::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(host.log, (std::vector<std::string>{"1112 selection"}));
}

TEST_F(PaneWindows, TheDragImageShowsFiveRowsAndAnEllipsis) {
  for (int i = 0; i < 8; ++i) phone.AddItem(("file" + std::to_string(i) + ".jpg").c_str(), PhoneFile, 2);
  phone.InsertColumn(0, "Name", LVCFMT_LEFT, 180);
  for (int row = 0; row < 7; ++row) phone.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  RECT rowRect{};
  phone.GetItemRect(0, &rowRect, LVIR_BOUNDS);
  const int rowHeight = rowRect.bottom - rowRect.top;
  POINT hotSpot{};
  auto image = phone.CreateSelectionDragImage(&hotSpot);
  ASSERT_TRUE(image);
  IMAGEINFO info{};
  ASSERT_TRUE(image->GetImageInfo(0, &info));
  EXPECT_EQ(info.rcImage.right - info.rcImage.left, 180);
  EXPECT_EQ(info.rcImage.bottom - info.rcImage.top, 6 * rowHeight);  // five names and "..."
  testing_user::SavePng(info.hbmImage, "mediary_drag_image");

  for (int row = 2; row < 7; ++row) phone.SetItemState(row, 0, LVIS_SELECTED);
  image = phone.CreateSelectionDragImage(nullptr);
  ASSERT_TRUE(image);
  ASSERT_TRUE(image->GetImageInfo(0, &info));
  EXPECT_EQ(info.rcImage.bottom - info.rcImage.top, 2 * rowHeight);
  for (int row = 0; row < 2; ++row) phone.SetItemState(row, 0, LVIS_SELECTED);
  EXPECT_FALSE(phone.CreateSelectionDragImage(nullptr));
}
