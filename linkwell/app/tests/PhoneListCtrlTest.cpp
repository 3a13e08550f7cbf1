// The phone list: rows exactly as high as its font, a text too wide for its column cut with an
// ellipsis inside the column, the selected row in the list's colours, and dragged rows that go
// only to another phone list (a release over any other window, a plain list view included, does
// nothing).
#include "PhoneListCtrl.h"

#include "AppTestSupport.h"

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A list that tells where its rows were dropped.
class CDropLog : public CPhoneListCtrl {
 public:
  std::vector<CPhoneListCtrl*> drops;
  void OnDropOnList(CPhoneListCtrl* target) override { drops.push_back(target); }
};

class PhoneListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    linkwell::testing::App();
    ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "Phones", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 520, 320, nullptr,
                                  nullptr));
    SetForegroundWindow(m_parent);
    ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER, RECT{10, 10, 210, 250},
                              &m_parent, 10));
    m_list.Setup(14);
    m_list.SetRows({"Selka-X", "Tavik-D", "Quarn"}, {"ZSE_0100", "ZDE_0100", "ZQE_0100"});
    testing_user::Pump();
  }
  void TearDown() override {
    m_list.DestroyWindow();
    m_parent.DestroyWindow();
    testing_user::Pump();
  }
  POINT RowPoint(CPhoneListCtrl& list, int row, int x = 30) {
    const RECT rect = list.RowRect(row);
    POINT at{rect.left + x, (rect.top + rect.bottom) / 2};
    list.ClientToScreen(&at);
    return at;
  }
  static void Move(POINT screen) {
    tolvar::user::InjectMouse(screen, WM_MOUSEMOVE);
    testing_user::Pump();
  }
  // Presses on `row`, drags past the drag distance, then over `over` and releases there.
  void Drag(int row, POINT over) {
    m_list.Select(row);
    const POINT press = RowPoint(m_list, row);
    Move(press);
    tolvar::user::InjectMouse(press, WM_LBUTTONDOWN);
    testing_user::Pump();
    Move(POINT{press.x + 20, press.y + 12});
    ASSERT_TRUE(m_list.IsDragging());
    Move(over);
    tolvar::user::InjectMouse(over, WM_LBUTTONUP);
    testing_user::Pump();
  }

  CWnd m_parent;
  CDropLog m_list;
};

TEST_F(PhoneListTest, RowsAreAsHighAsTheFont) {
  for (int height : {10, 14}) {
    SCOPED_TRACE(height);
    m_list.SetFont("Verdana", height, FALSE, FALSE);
    testing_user::Pump();
    const RECT first = m_list.RowRect(0), second = m_list.RowRect(1);
    EXPECT_EQ(first.bottom - first.top, height);
    EXPECT_EQ(second.top, first.bottom);
    EXPECT_EQ(m_list.GetRowHeight(), height);
  }
}

TEST_F(PhoneListTest, ATextWiderThanItsColumnEndsInAnEllipsisInsideTheColumn) {
  // The names' column is as wide as the list; narrowed, a long name no longer fits.
  m_list.SetColumnWidth(0, 70);
  m_list.SetRows({"Selka-X Professional Edition", "Quarn"}, {"ZSE_0100", "ZQE_0100"});
  testing_user::Pump();
  HBITMAP picture = tolvar::user::RenderWindow(m_list);
  ASSERT_TRUE(picture);
  const RECT row = m_list.RowRect(0);
  // The ink of row 0: the text's pixels in the list's text colour.
  int lastInk = -1;
  for (int y = row.top; y < row.bottom; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (testing_user::PixelAt(picture, x, y) != CPhoneListCtrl::kBackgroundColour) lastInk = std::max(lastInk, x);
    }
  }
  EXPECT_GT(lastInk, 40);
  EXPECT_LT(lastInk, 70) << "the text runs past its column";
  // The last thing drawn is the ellipsis: three dots, each a short run of ink on the text's base.
  int dots = 0;
  bool inDot = false;
  const int base = row.top + (row.bottom - row.top) / 2 + 4;
  for (int x = lastInk - 14; x <= lastInk; ++x) {
    bool ink = false;
    for (int y = base - 2; y <= base + 1; ++y) ink |= testing_user::PixelAt(picture, x, y) != CPhoneListCtrl::kBackgroundColour;
    if (ink && !inDot) ++dots;
    inDot = ink;
  }
  EXPECT_EQ(dots, 3);
  DeleteObject(picture);
}

TEST_F(PhoneListTest, TheSelectedRowShowsInTheSelectionColourAndInvertedWithTheFocus) {
  m_list.Select(1);
  ::SetFocus(m_parent);
  testing_user::Pump();
  HBITMAP picture = tolvar::user::RenderWindow(m_list);
  const RECT row = m_list.RowRect(1);
  EXPECT_EQ(testing_user::PixelAt(picture, 190, (row.top + row.bottom) / 2), CPhoneListCtrl::kSelectionColour);
  DeleteObject(picture);
  ::SetFocus(m_list);
  testing_user::Pump();
  picture = tolvar::user::RenderWindow(m_list);
  EXPECT_EQ(testing_user::PixelAt(picture, 190, (row.top + row.bottom) / 2), CPhoneListCtrl::kTextColour);
  DeleteObject(picture);
}

TEST_F(PhoneListTest, DroppedRowsGoOnlyToAnotherPhoneList) {
  m_list.EnableDrag();
  CDropLog other;
  ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, RECT{260, 10, 500, 120},
                           &m_parent, 11));
  other.Setup(14);
  other.SetRows({"Selka-X", "Tavik-D", "Quarn"}, {"a", "b", "c"});
  CListCtrl plain;  // a list view, but no phone list
  ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{260, 140, 500, 250}, &m_parent, 12));
  plain.InsertColumn(0, "x", LVCFMT_LEFT, 100);
  plain.InsertItem(0, "row");
  testing_user::Pump();

  POINT onPlain{300, 200};
  m_parent.ClientToScreen(&onPlain);
  POINT onParent{240, 290};
  m_parent.ClientToScreen(&onParent);
  Drag(1, onPlain);
  Drag(2, onParent);
  EXPECT_TRUE(m_list.drops.empty());
  EXPECT_EQ(plain.GetNextItem(-1, LVNI_DROPHILITED), -1);
  EXPECT_EQ(m_list.RowCount(), 3);

  // Over another phone list the row under the cursor is marked while the drag goes on, and the
  // mark goes with the release.
  m_list.Select(0);
  const POINT press = RowPoint(m_list, 0, 60);
  Move(press);
  tolvar::user::InjectMouse(press, WM_LBUTTONDOWN);
  testing_user::Pump();
  Move(POINT{press.x + 20, press.y + 12});
  Move(RowPoint(other, 2));
  EXPECT_EQ(other.GetItemState(2, LVIS_DROPHILITED), static_cast<UINT>(LVIS_DROPHILITED));
  tolvar::user::InjectMouse(RowPoint(other, 2), WM_LBUTTONUP);
  testing_user::Pump();
  EXPECT_EQ(m_list.drops, std::vector<CPhoneListCtrl*>{&other});
  EXPECT_EQ(other.GetNextItem(-1, LVNI_DROPHILITED), -1);
  EXPECT_FALSE(m_list.IsDragging());
  plain.DestroyWindow();
  other.DestroyWindow();
}

}  // namespace
