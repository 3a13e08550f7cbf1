// The header alone: items with their fields and display order, the layout a parent asks for,
// changes the parent vetoes, owner-drawn items, and a click on a title.
#include "ControlTest.h"

#include <functional>

using namespace testing_controls;

namespace {

std::vector<UINT> g_codes;
std::function<LRESULT(NMHDR*)> g_headerAnswer;
WNDPROC g_headerParent = nullptr;

LRESULT HeaderParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    g_codes.push_back(header->code);
    return g_headerAnswer ? g_headerAnswer(header) : 0;
  }
  if (message == WM_DRAWITEM && reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_HEADER) {
    const auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    HBRUSH brush = CreateSolidBrush(RGB(200, 0, 0));
    FillRect(draw->hDC, &draw->rcItem, brush);
    DeleteObject(brush);
    return TRUE;
  }
  return CallWindowProcA(g_headerParent, window, message, wParam, lParam);
}

class Headers : public ControlTest {
protected:
  void SetUp() override {
    ControlTest::SetUp();
    g_codes.clear();
    g_headerAnswer = nullptr;
    g_headerParent = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_parent, GWLP_WNDPROC));
    SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HeaderParent));
  }
  void TearDown() override {
    SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_headerParent));
    ControlTest::TearDown();
  }
  static int Insert(HWND header, int index, const char* text, int width, int format = HDF_STRING) {
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_LPARAM;
    item.pszText = const_cast<LPSTR>(text);
    item.cxy = width;
    item.fmt = format;
    item.lParam = width * 10;
    return static_cast<int>(SendMessageA(header, HDM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
  }
};

TEST_F(Headers, ItemsOrderLayoutAndVetoes) {
  HWND header = Make(WC_HEADERA, "", HDS_BUTTONS, 0, 0, 300, 20, 95);
  EXPECT_EQ(Insert(header, 0, "Name", 100), 0);
  EXPECT_EQ(Insert(header, 5, "Phone", 80), 1) << "past the end appends";
  EXPECT_EQ(Insert(header, 0, "Kind", 40), 0);
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);

  char text[32] = {};
  HDITEMA item{};
  item.mask = HDI_TEXT | HDI_WIDTH | HDI_LPARAM | HDI_ORDER;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  ASSERT_TRUE(SendMessageA(header, HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item)));
  EXPECT_STREQ(text, "Name");
  EXPECT_EQ(item.cxy, 100);
  EXPECT_EQ(item.lParam, 1000);
  EXPECT_EQ(item.iOrder, 1);

  RECT rect{};
  SendMessageA(header, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rect));
  EXPECT_EQ(rect.left, 140);
  EXPECT_EQ(rect.right, 220);

  int order[3] = {2, 0, 1};
  EXPECT_TRUE(SendMessageA(header, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
  EXPECT_EQ(SendMessageA(header, HDM_ORDERTOINDEX, 0, 0), 2);
  SendMessageA(header, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rect));
  EXPECT_EQ(rect.left, 0) << "shown first";
  int twice[3] = {0, 0, 1};
  EXPECT_FALSE(SendMessageA(header, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(twice))) << "not a permutation";

  HDHITTESTINFO hit{};
  hit.pt = POINT{85, 5};
  EXPECT_EQ(SendMessageA(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 0);
  EXPECT_EQ(hit.flags, HHT_ONHEADER);
  hit.pt.x = 121;
  EXPECT_EQ(SendMessageA(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 0);
  EXPECT_EQ(hit.flags, HHT_ONDIVIDER);

  RECT area{10, 20, 210, 220};
  WINDOWPOS pos{};
  HDLAYOUT layout{&area, &pos};
  ASSERT_TRUE(SendMessageA(header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout)));
  EXPECT_EQ(pos.x, 10);
  EXPECT_EQ(pos.y, 20);
  EXPECT_EQ(pos.cx, 200);
  EXPECT_GT(pos.cy, 10);
  EXPECT_EQ(area.top, 20 + pos.cy) << "the rest is below the header";

  g_headerAnswer = [](NMHDR* notice) -> LRESULT { return notice->code == HDN_ITEMCHANGINGA; };
  item.mask = HDI_WIDTH;
  item.cxy = 10;
  EXPECT_FALSE(SendMessageA(header, HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(g_codes, (std::vector<UINT>{HDN_ITEMCHANGINGA}));
  g_headerAnswer = nullptr;
  g_codes.clear();
  EXPECT_TRUE(SendMessageA(header, HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(g_codes, (std::vector<UINT>{HDN_ITEMCHANGINGA, HDN_ITEMCHANGEDA}));
  EXPECT_TRUE(SendMessageA(header, HDM_DELETEITEM, 0, 0));
  EXPECT_FALSE(SendMessageA(header, HDM_DELETEITEM, 7, 0));
  EXPECT_EQ(SendMessageA(header, HDM_ORDERTOINDEX, 0, 0), 1) << "the order follows the deletion";
}

TEST_F(Headers, OwnerDrawnItemsAndClicks) {
  HWND header = Make(WC_HEADERA, "", HDS_BUTTONS, 10, 10, 300, 22, 95);
  Insert(header, 0, "Drawn", 100, HDF_OWNERDRAW);
  Insert(header, 1, "Plain", 100);
  testing_user::Pump();
  HBITMAP shot = tolvar::user::RenderWindow(m_parent);
  ASSERT_TRUE(shot);
  POINT inside{50, 10};
  MapWindowPoints(header, nullptr, &inside, 1);
  RECT frame;
  GetWindowRect(m_parent, &frame);
  EXPECT_EQ(testing_user::PixelAt(shot, inside.x - frame.left, inside.y - frame.top), RGB(200, 0, 0));
  DeleteObject(shot);
  g_codes.clear();
  Click(header, POINT{150, 10});
  EXPECT_EQ(g_codes, (std::vector<UINT>{HDN_ITEMCLICKA}));
}

}  // namespace
