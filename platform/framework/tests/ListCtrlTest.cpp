// The list and header objects over real controls: a report list filled through the object, sorted
// by a callback with the caller's data, its selection walked with GetNextItem, texts longer than a
// first guess read back whole, owner-drawn rows and header items painted by the objects' DrawItem
// (the parent reflects WM_DRAWITEM to them), and a drag image handed over as an object.
#include <framework/Afx.h>
#include <framework/Controls.h>

#include <gtest/gtest.h>

#include "TestApp.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

class ListObjects : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 360, 260, nullptr,
                                nullptr));
  }
  void TearDown() override { parent.DestroyWindow(); }

  // Rows "name", "size" with item data = the size.
  void Fill(CListCtrl& list) {
    ASSERT_EQ(list.InsertColumn(0, "Name", LVCFMT_LEFT, 120), 0);
    ASSERT_EQ(list.InsertColumn(1, "Size", LVCFMT_RIGHT, 60), 1);
    const struct {
      const char* name;
      int size;
    } rows[] = {{"delta", 40}, {"alpha", 10}, {"echo", 50}, {"charlie", 30}, {"bravo", 20}};
    for (const auto& row : rows) {
      const int at = list.InsertItem(LVIF_TEXT | LVIF_PARAM, list.GetItemCount(), row.name, 0, 0, 0, row.size);
      ASSERT_GE(at, 0);
      ASSERT_TRUE(list.SetItemText(at, 1, std::to_string(row.size).c_str()));
    }
  }

  static std::vector<std::string> Names(const CListCtrl& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetItemCount(); ++i) names.emplace_back(static_cast<LPCSTR>(list.GetItemText(i, 0)));
    return names;
  }

  CWnd parent;
};

// The callback gets the items' data and the caller's value (here the direction).
int BySize(LPARAM left, LPARAM right, LPARAM direction) {
  return static_cast<int>((left - right) * direction);
}

TEST_F(ListObjects, AListSortedByACallbackKeepsItsSelectionOnTheSameRows) {
  CListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, {5, 5, 305, 205}, &parent, 10));
  Fill(list);
  EXPECT_EQ(list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), 0u);
  EXPECT_EQ(list.GetExtendedStyle(), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  ASSERT_EQ(list.GetItemCount(), 5);
  EXPECT_EQ(list.GetItemData(2), 50u);
  EXPECT_STREQ(list.GetItemText(3, 1), "30");

  // Select "alpha" and "charlie", focus "charlie".
  ASSERT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
  ASSERT_TRUE(list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_EQ(list.GetSelectedCount(), 2);

  struct Case {
    LPARAM direction;
    std::vector<std::string> order;
    std::vector<int> selected;  // rows, walked with GetNextItem
    int focused;
  };
  const Case cases[] = {
      {1, {"alpha", "bravo", "charlie", "delta", "echo"}, {0, 2}, 2},
      {-1, {"echo", "delta", "charlie", "bravo", "alpha"}, {2, 4}, 2},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(list.SortItems(&BySize, static_cast<DWORD_PTR>(c.direction)));
    EXPECT_EQ(Names(list), c.order) << c.direction;
    std::vector<int> walked;
    for (int item = list.GetNextItem(-1, LVNI_SELECTED); item >= 0; item = list.GetNextItem(item, LVNI_SELECTED)) {
      walked.push_back(item);
      ASSERT_LE(walked.size(), 5u);  // a walk that never ends would be a fault of its own
    }
    EXPECT_EQ(walked, c.selected) << c.direction;
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), c.focused);
    // Sub-item texts moved with their rows.
    EXPECT_STREQ(list.GetItemText(c.focused, 1), "30");
  }

  // Item -1 clears every selection; the found item by data and by text.
  ASSERT_TRUE(list.SetItemState(-1, 0, LVIS_SELECTED));
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
  LVFINDINFOA byData{};
  byData.flags = LVFI_PARAM;
  byData.lParam = 20;
  EXPECT_EQ(list.FindItem(&byData), 3);
  LVFINDINFOA byText{};
  byText.flags = LVFI_STRING;
  byText.psz = "delta";
  EXPECT_EQ(list.FindItem(&byText), 1);

  // Places: the label starts where the icon ends, the row hit in its middle is found.
  RECT bounds{}, label{};
  ASSERT_TRUE(list.GetItemRect(2, &bounds, LVIR_BOUNDS));
  ASSERT_TRUE(list.GetItemRect(2, &label, LVIR_LABEL));
  EXPECT_EQ(bounds.top, label.top);
  RECT sizeCell{};
  ASSERT_TRUE(list.GetSubItemRect(2, 1, LVIR_BOUNDS, sizeCell));
  EXPECT_EQ(sizeCell.left, 120 + bounds.left);
  UINT flags = 0;
  EXPECT_EQ(list.HitTest(POINT{20, (bounds.top + bounds.bottom) / 2}, &flags), 2);
  EXPECT_TRUE(flags & LVHT_ONITEM);
  EXPECT_EQ(list.HitTest(POINT{20, 190}, &flags), -1);

  EXPECT_TRUE(list.DeleteItem(0));
  EXPECT_EQ(list.GetItemCount(), 4);
  EXPECT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListObjects, ItemTextsAreReadWholeWhateverTheirLength) {
  CListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, {0, 0, 200, 100}, &parent, 11));
  list.InsertColumn(0, "Text", LVCFMT_LEFT, 100);
  for (const size_t length : {size_t{0}, size_t{254}, size_t{255}, size_t{256}, size_t{1000}}) {
    const std::string text(length, 'x');
    const int item = list.InsertItem(0, text.c_str());
    ASSERT_GE(item, 0);
    EXPECT_EQ(std::string(static_cast<LPCSTR>(list.GetItemText(item, 0))), text) << length;
    char small[8];
    EXPECT_EQ(list.GetItemText(item, 0, small, sizeof small), static_cast<int>(std::min<size_t>(length, 7))) << length;
  }
}

// Rows and header items drawn by the objects themselves.
class CSwatchList : public CListCtrl {
public:
  void DrawItem(LPDRAWITEMSTRUCT draw) override {
    rows.push_back(static_cast<int>(draw->itemID));
    const COLORREF colour = (draw->itemState & ODS_SELECTED) ? RGB(0, 0, 200) : RGB(0, 160, 0);
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(draw->hDC, &draw->rcItem, brush);
    ::DeleteObject(brush);
  }
  std::vector<int> rows;
};

class CSwatchHeader : public CHeaderCtrl {
public:
  void DrawItem(LPDRAWITEMSTRUCT draw) override {
    items.push_back(static_cast<int>(draw->itemID));
    HBRUSH brush = ::CreateSolidBrush(RGB(200, 0, 0));
    ::FillRect(draw->hDC, &draw->rcItem, brush);
    ::DeleteObject(brush);
  }
  std::vector<int> items;
};

COLORREF PixelOf(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

TEST_F(ListObjects, OwnerDrawnRowsAndHeaderItemsArePaintedByTheirObjects) {
  CSwatchList list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS,
                          {5, 5, 305, 205}, &parent, 12));
  Fill(list);
  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);

  // The list's own header, subclassed by handle into an object of our class.
  CWnd* headerWindow = list.GetHeaderCtrl();
  ASSERT_NE(headerWindow, nullptr);
  CSwatchHeader header;
  ASSERT_TRUE(header.SubclassWindow(headerWindow->GetSafeHwnd()));
  ASSERT_EQ(header.GetItemCount(), 2);
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_WIDTH;
  ASSERT_TRUE(header.GetItem(1, &item));
  EXPECT_EQ(item.cxy, 60);
  item.mask = HDI_FORMAT;
  item.fmt = HDF_OWNERDRAW;
  ASSERT_TRUE(header.SetItem(1, &item));
  RECT second{};
  ASSERT_TRUE(header.GetItemRect(1, &second));
  EXPECT_EQ(second.left, 120);
  EXPECT_EQ(header.OrderToIndex(1), 1);

  list.Invalidate();
  list.UpdateWindow();
  header.Invalidate();
  header.UpdateWindow();
  EXPECT_EQ(list.rows, (std::vector<int>{0, 1, 2, 3, 4}));
  ASSERT_FALSE(header.items.empty());  // only the owner-drawn item, once per painting
  EXPECT_EQ(std::count(header.items.begin(), header.items.end(), 1), static_cast<long>(header.items.size()));

  RECT row{};
  ASSERT_TRUE(list.GetItemRect(1, &row, LVIR_BOUNDS));
  EXPECT_EQ(PixelOf(list, 10, (row.top + row.bottom) / 2), RGB(0, 0, 200));
  ASSERT_TRUE(list.GetItemRect(2, &row, LVIR_BOUNDS));
  EXPECT_EQ(PixelOf(list, 10, (row.top + row.bottom) / 2), RGB(0, 160, 0));
  EXPECT_EQ(PixelOf(header, second.left + 5, (second.top + second.bottom) / 2), RGB(200, 0, 0));

  // The drag image belongs to the caller as an object; a row that does not exist gives none.
  POINT origin{-1, -1};
  std::unique_ptr<CImageList> image = list.CreateDragImage(2, &origin);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetImageCount(), 1);
  EXPECT_EQ(list.CreateDragImage(99, &origin), nullptr);

  header.UnsubclassWindow();
}

// A header of its own: items inserted, changed and laid out through the object.
TEST_F(ListObjects, AHeaderMadeByItsObjectKeepsItsItemsAndLaysItselfOut) {
  CHeaderCtrl header;
  ASSERT_TRUE(header.Create(WS_CHILD | WS_VISIBLE | HDS_HORZ | HDS_BUTTONS, {0, 0, 300, 20}, &parent, 13));
  const char* titles[] = {"From", "To", "Subject"};
  for (int i = 0; i < 3; ++i) {
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = const_cast<LPSTR>(titles[i]);
    item.cxy = 50 + 10 * i;
    item.fmt = HDF_STRING | HDF_LEFT;
    EXPECT_EQ(header.InsertItem(i, &item), i);
  }
  EXPECT_EQ(header.GetItemCount(), 3);
  char text[16] = {};
  HDITEMA back{};
  back.mask = HDI_TEXT | HDI_WIDTH;
  back.pszText = text;
  back.cchTextMax = sizeof text;
  ASSERT_TRUE(header.GetItem(2, &back));
  EXPECT_STREQ(text, "Subject");
  EXPECT_EQ(back.cxy, 70);

  int order[3] = {2, 0, 1};
  ASSERT_TRUE(header.SetOrderArray(3, order));
  int read[3] = {};
  ASSERT_TRUE(header.GetOrderArray(read, 3));
  EXPECT_EQ(std::vector<int>(read, read + 3), std::vector<int>(order, order + 3));
  EXPECT_EQ(header.OrderToIndex(0), 2);

  RECT area{0, 0, 300, 200};
  WINDOWPOS place{};
  HDLAYOUT layout{&area, &place};
  ASSERT_TRUE(header.Layout(&layout));
  EXPECT_GT(place.cy, 0);
  EXPECT_EQ(area.top, place.cy);  // what is left for the rows starts under the header

  EXPECT_TRUE(header.DeleteItem(0));
  EXPECT_EQ(header.GetItemCount(), 2);
}

}  // namespace
