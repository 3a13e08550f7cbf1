// The list box class: sorted and plain lists, what the parent hears of clicks and keys, multiple
// selection, and owner-drawn items measured and drawn by the parent.
#include "ControlTest.h"

using namespace testing_controls;

namespace {

class ListBoxes : public ControlTest {
protected:
  HWND MakeList(DWORD style, std::initializer_list<const char*> items = {}) {
    HWND list = Make("ListBox", "", WS_BORDER | WS_TABSTOP | style, 10, 10, 150, 120, 40);
    for (const char* item : items) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    return list;
  }
  std::string Item(HWND list, int index) {
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
  }
  POINT CentreOf(HWND list, int index) {
    RECT rect{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }
  std::vector<Recorded> Commands() {
    std::vector<Recorded> got = Take();
    std::erase_if(got, [&](const Recorded& r) { return r.window != m_parent || r.message != WM_COMMAND; });
    return got;
  }
};

constexpr WPARAM Code(WORD code) { return MAKEWPARAM(40, code); }

TEST_F(ListBoxes, ASortedListKeepsItsItemsInOrderAndFindsThemWithoutRegardToCase) {
  HWND list = MakeList(LBS_SORT, {"pear", "Apple", "fig", "apricot"});
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(Item(list, 0), "Apple");
  EXPECT_EQ(Item(list, 1), "apricot");
  EXPECT_EQ(Item(list, 3), "pear");
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("AP")), 0);
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, 0, reinterpret_cast<LPARAM>("ap")), 1) << "searches after wParam";
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("FIG")), 2);
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("fi")), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("pe")), 3);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zz first")), 0) << "inserting ignores the sort";
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 4) << "the selection moves with its item";
  EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 4, 0), 4);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 9, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 9, 0), LB_ERR);
}

TEST_F(ListBoxes, ClicksAndKeysSelectAndANotifyingListTellsItsParent) {
  HWND list = MakeList(LBS_NOTIFY, {"one", "two", "three", "four"});
  Spy(list);
  Take();
  Click(list, CentreOf(list, 1));
  ExpectSequence(Commands(),
                 {{WM_COMMAND, kParent | kWParam, Code(LBN_SETFOCUS)},
                  {WM_COMMAND, kParent | kWParam | kLParam, Code(LBN_SELCHANGE), reinterpret_cast<LPARAM>(list)}},
                 "click on an item");
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
  Press(nullptr, VK_DOWN);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
  Press(nullptr, VK_END);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);
  Type(list, "t");  // the next item beginning with t, wrapping
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
  Take();
  SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  ExpectSequence(Commands(), {{WM_COMMAND, kParent | kWParam, Code(LBN_DBLCLK)}}, "double click");
  // A program's own selection is no news to the parent.
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(ListBoxes, MultipleAndExtendedSelection) {
  HWND multiple = MakeList(LBS_MULTIPLESEL, {"a", "b", "c", "d"});
  Click(multiple, CentreOf(multiple, 0));
  Click(multiple, CentreOf(multiple, 2));
  EXPECT_EQ(SendMessageA(multiple, LB_GETSELCOUNT, 0, 0), 2);
  Click(multiple, CentreOf(multiple, 0));
  EXPECT_EQ(SendMessageA(multiple, LB_GETSELCOUNT, 0, 0), 1) << "a second click clears";
  int selected[4] = {};
  EXPECT_EQ(SendMessageA(multiple, LB_GETSELITEMS, 4, reinterpret_cast<LPARAM>(selected)), 1);
  EXPECT_EQ(selected[0], 2);
  DestroyWindow(multiple);

  HWND extended = MakeList(LBS_EXTENDEDSEL, {"a", "b", "c", "d"});
  Click(extended, CentreOf(extended, 1));
  POINT at = CentreOf(extended, 3);
  SendMessageA(extended, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(at.x, at.y));
  SendMessageA(extended, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  EXPECT_EQ(SendMessageA(extended, LB_GETSELCOUNT, 0, 0), 3) << "Shift+click takes the range";
  at = CentreOf(extended, 0);
  SendMessageA(extended, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(at.x, at.y));
  SendMessageA(extended, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  EXPECT_EQ(SendMessageA(extended, LB_GETSELCOUNT, 0, 0), 4) << "Ctrl+click adds";
  EXPECT_EQ(SendMessageA(extended, LB_SETCURSEL, 0, 0), LB_ERR) << "not for a multiple-selection list";
}

TEST_F(ListBoxes, TheVerticalBarShowsOnlyWhileTheItemsDoNotFitAndScrollsTheList) {
  const auto client = [](HWND list) {
    RECT rect;
    GetClientRect(list, &rect);
    return rect;
  };
  const auto hasBar = [](HWND list) { return (GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL) != 0; };
  HWND list = MakeList(WS_VSCROLL, {"one", "two", "three"});
  const LONG fullWidth = client(list).right;
  EXPECT_FALSE(hasBar(list)) << "three items fit";
  const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  ASSERT_GT(height, 0);
  const int fit = client(list).bottom / height;
  for (int n = 3; n < fit; ++n) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("fits"));
  EXPECT_FALSE(hasBar(list)) << "a full list that fits";
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one too many"));
  ASSERT_TRUE(hasBar(list));
  EXPECT_LT(client(list).right, fullWidth);
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &info));
  EXPECT_EQ(info.nMax, fit);
  EXPECT_EQ(static_cast<int>(info.nPage), fit);
  // The bar scrolls the list, and the thumb follows the first shown item.
  SendMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 1);
  EXPECT_EQ(GetScrollPos(list, SB_VERT), 1);
  SendMessageA(list, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 1) << "no further than the last page";
  SendMessageA(list, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(GetScrollPos(list, SB_VERT), 0);
  SendMessageA(list, LB_DELETESTRING, 0, 0);
  EXPECT_FALSE(hasBar(list)) << "fits again";
  EXPECT_EQ(client(list).right, fullWidth);

  // LBS_DISABLENOSCROLL: the bar stays, disabled, while nothing needs it.
  HWND kept = MakeList(WS_VSCROLL | LBS_DISABLENOSCROLL, {"one"});
  EXPECT_TRUE(hasBar(kept));
}

TEST_F(ListBoxes, OwnerDrawnItemsAreMeasuredAndDrawnByTheParent) {
  // The parent answers WM_MEASUREITEM with 10 + 4 * the item's index.
  static std::vector<UINT> measured;
  measured.clear();
  WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_parent, GWLP_WNDPROC));
  static WNDPROC s_original = original;
  SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_MEASUREITEM) {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      measured.push_back(item->itemID);
      item->itemHeight = 10 + 4 * item->itemID;
      return TRUE;
    }
    return CallWindowProcA(s_original, w, m, wp, lp);
  }));
  HWND list = MakeList(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, {"small", "medium", "large"});
  EXPECT_EQ(measured, (std::vector<UINT>{0, 1, 2}));
  RECT rect{};
  SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rect));
  EXPECT_EQ(rect.top, 10 + 14);
  EXPECT_EQ(rect.bottom - rect.top, 18);
  EXPECT_EQ(Item(list, 1), "medium") << "with LBS_HASSTRINGS the list keeps the text";
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  DrawnItems().clear();
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
  ASSERT_EQ(DrawnItems().size(), 3u);
  for (UINT n = 0; n < 3; ++n) {
    const DRAWITEMSTRUCT& item = DrawnItems()[n];
    EXPECT_EQ(item.CtlType, ODT_LISTBOX);
    EXPECT_EQ(item.itemID, n);
    EXPECT_EQ(item.itemAction, ODA_DRAWENTIRE);
    EXPECT_EQ(item.itemState & ODS_SELECTED, n == 1 ? ODS_SELECTED : 0u);
    EXPECT_EQ(item.hwndItem, list);
  }
  Take();
  DestroyWindow(list);
  int deleted = 0;
  for (const Recorded& r : Take()) deleted += r.message == WM_DELETEITEM;
  EXPECT_EQ(deleted, 3) << "each owner-drawn item's going is told";
  SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
}

}  // namespace
