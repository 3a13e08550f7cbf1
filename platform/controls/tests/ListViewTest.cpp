// The list view in report mode: what its parent hears, in order, when items are selected by the
// mouse and the keys, a veto of LVN_ITEMCHANGING, sorting by a callback, label editing, a drag
// start and a header divider drag; its geometry and scrolling; owner-drawn rows printed into a
// memory DC as they look in the window; and pictures of a report list and an owner-drawn one.
#include "ControlTest.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

using namespace testing_controls;
using testing_user::PixelAt;

namespace {

struct Notice {
  UINT code;
  int item;
  UINT newState;
  UINT oldState;
  bool hasText;
  std::string text;
};

std::vector<Notice> g_notices;
std::function<LRESULT(NMHDR*)> g_answer;
WNDPROC g_original = nullptr;

// The item a notification is about, whatever its structure.
int ItemOf(const NMHDR* header) {
  const UINT code = header->code;
  if (code == LVN_BEGINLABELEDITA || code == LVN_ENDLABELEDITA) return reinterpret_cast<const NMLVDISPINFOA*>(header)->item.iItem;
  if (code == LVN_KEYDOWN) return reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey;
  if (code == NM_CUSTOMDRAW) return static_cast<int>(reinterpret_cast<const NMCUSTOMDRAW*>(header)->dwItemSpec);
  if (code >= HDN_TRACKA && code <= HDN_FIRST) return reinterpret_cast<const NMHEADERA*>(header)->iItem;
  if (code == NM_SETFOCUS || code == NM_KILLFOCUS || code == NM_RETURN) return 0;
  if (code == LVN_COLUMNCLICK) return reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem;
  return reinterpret_cast<const NMLISTVIEW*>(header)->iItem;
}

COLORREF RowColour(UINT item, bool selected) {
  return selected ? RGB(0, 0, 160) : RGB(40 * (item % 6), 200, 255 - 30 * (item % 8));
}

LRESULT ListParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == NM_CUSTOMDRAW) return g_answer ? g_answer(header) : 0;
    Notice notice{header->code, ItemOf(header), 0, 0, false, {}};
    if (header->code == LVN_ITEMCHANGING || header->code == LVN_ITEMCHANGED) {
      notice.newState = reinterpret_cast<NMLISTVIEW*>(header)->uNewState;
      notice.oldState = reinterpret_cast<NMLISTVIEW*>(header)->uOldState;
    }
    if (header->code == LVN_ENDLABELEDITA) {
      const char* text = reinterpret_cast<NMLVDISPINFOA*>(header)->item.pszText;
      notice.hasText = text != nullptr;
      notice.text = text ? text : "";
    }
    g_notices.push_back(notice);
    Recorder::Get().Add(window, WM_NOTIFY, static_cast<WPARAM>(header->code), notice.item);
    return g_answer ? g_answer(header) : 0;
  }
  if (message == WM_DRAWITEM) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw->CtlType == ODT_LISTVIEW) {
      DrawnItems().push_back(*draw);
      HBRUSH brush = CreateSolidBrush(RowColour(draw->itemID, draw->itemState & ODS_SELECTED));
      FillRect(draw->hDC, &draw->rcItem, brush);
      DeleteObject(brush);
      char text[32];
      std::snprintf(text, sizeof text, "row %u", draw->itemID);
      RECT box = draw->rcItem;
      box.left += 4;
      SetBkMode(draw->hDC, TRANSPARENT);
      DrawTextA(draw->hDC, text, -1, &box, DT_SINGLELINE | DT_VCENTER);
      if (draw->itemState & ODS_FOCUS) DrawFocusRect(draw->hDC, &draw->rcItem);
      return TRUE;
    }
  }
  return CallWindowProcA(g_original, window, message, wParam, lParam);
}

Expected N(UINT code, int item) {
  return Expected{WM_NOTIFY, kParent | kWParam | kLParam, static_cast<WPARAM>(code), static_cast<LPARAM>(item)};
}
Expected Maybe(UINT code, int item) {
  return Expected{WM_NOTIFY, kParent | kWParam | kLParam | kOptional, static_cast<WPARAM>(code), static_cast<LPARAM>(item)};
}

class ListViews : public ControlTest {
protected:
  void SetUp() override {
    ControlTest::SetUp();
    g_notices.clear();
    g_answer = nullptr;
    DrawnItems().clear();
    g_original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_parent, GWLP_WNDPROC));
    SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListParent));
  }
  void TearDown() override {
    SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_original));
    g_answer = nullptr;
    ControlTest::TearDown();
  }
  HWND MakeList(DWORD style, int rows, int x = 10, int y = 10, int cx = 300, int cy = 200) {
    HWND list = Make(WC_LISTVIEWA, "", LVS_REPORT | WS_BORDER | WS_TABSTOP | style, x, y, cx, cy, 80);
    AddColumn(list, 0, "Name", 120);
    AddColumn(list, 1, "Number", 100);
    for (int i = 0; i < rows; ++i) {
      static const char* const kNames[] = {"Alice", "Bob", "Carol", "Dave", "Erin", "Frank", "Grace", "Heidi"};
      std::string name = i < 8 ? kNames[i] : "Item " + std::to_string(i);
      AddItem(list, name.c_str(), 100 + i, i % 2);
      SetSub(list, i, 1, std::to_string(5550000 + i).c_str());
    }
    testing_user::Pump();
    Take();
    g_notices.clear();
    return list;
  }
  static void AddColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<LPSTR>(title);
    column.cx = width;
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
  }
  static int AddItem(HWND list, const char* text, LPARAM value, int image = -1) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<LPSTR>(text);
    item.lParam = value;
    item.iImage = image;
    return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  }
  static void SetSub(HWND list, int item, int sub, const char* text) {
    LVITEMA entry{};
    entry.iSubItem = sub;
    entry.pszText = const_cast<LPSTR>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
  }
  static std::string Text(HWND list, int item, int sub = 0) {
    char buffer[128] = {};
    LVITEMA entry{};
    entry.iSubItem = sub;
    entry.pszText = buffer;
    entry.cchTextMax = sizeof buffer;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
    return buffer;
  }
  static UINT StateOf(HWND list, int item) {
    return static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED | LVIS_FOCUSED));
  }
  static std::string Selection(HWND list) {
    std::string marks;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      const UINT state = StateOf(list, i);
      marks += (state & LVIS_SELECTED) ? ((state & LVIS_FOCUSED) ? 'S' : 's') : ((state & LVIS_FOCUSED) ? 'f' : '.');
    }
    return marks;
  }
  static RECT ItemRect(HWND list, int item, int code = LVIR_LABEL) {
    RECT rect{code, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect));
    return rect;
  }
  void ClickItem(HWND list, int item, UINT modifier = 0) {
    const RECT rect = ItemRect(list, item);
    if (modifier) tolvar::user::InjectKey(modifier, true);
    Click(list, POINT{rect.left + 10, (rect.top + rect.bottom) / 2});
    if (modifier) tolvar::user::InjectKey(modifier, false);
    PumpDialog(nullptr);
  }
  // Only the notifications (what ListParent recorded), without the rest of the parent's traffic.
  std::vector<testing_user::Recorded> Notices() {
    std::vector<testing_user::Recorded> notices;
    for (const auto& r : Take()) {
      if (r.message == WM_NOTIFY && r.window == m_parent) notices.push_back(r);
    }
    return notices;
  }
};

constexpr UINT kSF = LVIS_SELECTED | LVIS_FOCUSED;

TEST_F(ListViews, ColumnsItemsAndLookUps) {
  HWND list = MakeList(0, 6);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 6);
  EXPECT_EQ(Text(list, 2), "Carol");
  EXPECT_EQ(Text(list, 2, 1), "5550002");
  EXPECT_EQ(Text(list, 2, 5), "") << "a sub-item never set is empty";

  char title[32] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_ORDER;
  column.pszText = title;
  column.cchTextMax = sizeof title;
  ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(title, "Number");
  EXPECT_EQ(column.cx, 100);
  EXPECT_EQ(column.iSubItem, 1);
  EXPECT_EQ(column.iOrder, 1);
  EXPECT_FALSE(SendMessageA(list, LVM_GETCOLUMNA, 7, reinterpret_cast<LPARAM>(&column)));

  // Auto-size: the widest text; with the header, at least the title, and the last column fills the list.
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE, 0));
  const LRESULT fitted = SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0);
  EXPECT_GT(fitted, 20);
  EXPECT_LT(fitted, 120);
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
  RECT client;
  GetClientRect(list, &client);
  EXPECT_EQ(fitted + SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), client.right);

  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = 104;
  EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 4);
  find.flags = LVFI_STRING;
  find.psz = "carol";
  EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 2) << "any case";
  find.flags = LVFI_STRING | LVFI_PARTIAL;
  find.psz = "Da";
  EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, 3, reinterpret_cast<LPARAM>(&find)), -1) << "searches after the start";
  find.flags |= LVFI_WRAP;
  EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, 3, reinterpret_cast<LPARAM>(&find)), 3) << "and wraps";

  LVITEMA set{};
  set.stateMask = LVIS_SELECTED;
  set.state = LVIS_SELECTED;
  for (int i : {1, 4}) SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&set));
  set.stateMask = set.state = LVIS_DROPHILITED;
  SendMessageA(list, LVM_SETITEMSTATE, 5, reinterpret_cast<LPARAM>(&set));
  struct Case {
    int start;
    UINT flags;
    int expected;
  } cases[] = {{-1, LVNI_SELECTED, 1}, {1, LVNI_SELECTED, 4}, {4, LVNI_SELECTED, -1}, {-1, LVNI_ALL, 0},
               {2, LVNI_ALL, 3},       {5, LVNI_ABOVE | LVNI_SELECTED, 4}, {0, LVNI_BELOW, 1},
               {-1, LVNI_DROPHILITED, 5}, {-1, LVNI_FOCUSED, -1}, {2, LVNI_TORIGHT, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(c.start), MAKELPARAM(c.flags, 0)), c.expected)
        << "from " << c.start << " flags " << c.flags;
  }
  EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 2);

  LVITEMA get{};
  get.mask = LVIF_PARAM | LVIF_IMAGE | LVIF_STATE;
  get.iItem = 1;
  get.stateMask = 0xFFFF;
  ASSERT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)));
  EXPECT_EQ(get.lParam, 101);
  EXPECT_EQ(get.iImage, 1);
  EXPECT_EQ(get.state, LVIS_SELECTED);
  EXPECT_TRUE(SendMessageA(list, LVM_DELETEITEM, 0, 0));
  EXPECT_EQ(Text(list, 0), "Bob");
  EXPECT_FALSE(SendMessageA(list, LVM_DELETEITEM, 99, 0));
}

TEST_F(ListViews, MultipleSelectionByClickControlAndShift) {
  HWND list = MakeList(LVS_SHOWSELALWAYS, 5);
  ClickItem(list, 1);
  ExpectSequence(Notices(),
                 {Maybe(NM_SETFOCUS, 0), N(LVN_ITEMCHANGING, 1), N(LVN_ITEMCHANGED, 1), N(NM_CLICK, 1)}, "click");
  EXPECT_EQ(Selection(list), ".S...");
  ClickItem(list, 3, VK_CONTROL);
  ExpectSequence(Notices(),
                 {N(LVN_KEYDOWN, VK_CONTROL), N(LVN_ITEMCHANGING, 3), N(LVN_ITEMCHANGING, 1), N(LVN_ITEMCHANGED, 1),
                  N(LVN_ITEMCHANGED, 3), N(NM_CLICK, 3)},
                 "ctrl+click adds and moves the focus");
  EXPECT_EQ(Selection(list), ".s.S.");
  ClickItem(list, 3, VK_CONTROL);
  EXPECT_EQ(Selection(list), ".s.f.") << "ctrl+click again takes it out";
  ClickItem(list, 3, VK_CONTROL);
  Notices();
  ClickItem(list, 0, VK_SHIFT);
  ExpectSequence(Notices(),
                 {N(LVN_KEYDOWN, VK_SHIFT), N(LVN_ITEMCHANGING, 0), N(LVN_ITEMCHANGED, 0), N(LVN_ITEMCHANGING, 2),
                  N(LVN_ITEMCHANGED, 2), N(LVN_ITEMCHANGING, 0), N(LVN_ITEMCHANGING, 3), N(LVN_ITEMCHANGED, 3),
                  N(LVN_ITEMCHANGED, 0), N(NM_CLICK, 0)},
                 "shift+click selects from the mark");
  EXPECT_EQ(Selection(list), "Ssss.");
  ClickItem(list, 2);
  EXPECT_EQ(Selection(list), "..S..") << "a plain click on a selected item selects it alone on release";
  // A click on no item drops the selection and keeps the focus.
  Click(list, POINT{250, 180});
  PumpDialog(nullptr);
  EXPECT_EQ(Selection(list), "..f..");
  EXPECT_EQ(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), 2);
}

TEST_F(ListViews, DoubleAndRightClicks) {
  HWND list = MakeList(0, 5);
  ClickItem(list, 1);
  Notices();
  const RECT rect = ItemRect(list, 1);
  const LPARAM at = MAKELPARAM(rect.left + 10, (rect.top + rect.bottom) / 2);
  SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(list, WM_LBUTTONUP, 0, at);
  ExpectSequence(Notices(), {N(NM_DBLCLK, 1)}, "the second press of a double click");
  const RECT other = ItemRect(list, 3);
  POINT point{other.left + 10, (other.top + other.bottom) / 2};
  ClientToScreen(list, &point);
  tolvar::user::InjectMouse(point, WM_RBUTTONDOWN);
  PumpDialog(nullptr);
  tolvar::user::InjectMouse(point, WM_RBUTTONUP);
  PumpDialog(nullptr);
  ExpectSequence(Notices(),
                 {N(LVN_ITEMCHANGING, 1), N(LVN_ITEMCHANGED, 1), N(LVN_ITEMCHANGING, 3), N(LVN_ITEMCHANGING, 1),
                  N(LVN_ITEMCHANGED, 1), N(LVN_ITEMCHANGED, 3), N(NM_RCLICK, 3)},
                 "a right click selects an unselected item alone");
  EXPECT_EQ(Selection(list), "...S.");
}

TEST_F(ListViews, SingleSelectionAndTheKeys) {
  HWND single = MakeList(LVS_SINGLESEL, 8);
  ClickItem(single, 1);
  ClickItem(single, 2, VK_CONTROL);
  EXPECT_EQ(Selection(single), "..S.....") << "one selected item at most";
  Notices();
  Press(nullptr, VK_DOWN);
  ExpectSequence(Notices(),
                 {N(LVN_KEYDOWN, VK_DOWN), N(LVN_ITEMCHANGING, 2), N(LVN_ITEMCHANGED, 2), N(LVN_ITEMCHANGING, 3),
                  N(LVN_ITEMCHANGING, 2), N(LVN_ITEMCHANGED, 2), N(LVN_ITEMCHANGED, 3)},
                 "down: the old item lets go of the selection and the focus, the next takes both");
  EXPECT_EQ(Selection(single), "...S....");
  Press(nullptr, 'A', VK_CONTROL);
  EXPECT_EQ(Selection(single), "...S....") << "no select-all in a single-selection list";
  g_answer = [](NMHDR* header) -> LRESULT {
    return header->code == LVN_ITEMCHANGING && reinterpret_cast<NMLISTVIEW*>(header)->iItem == 5;
  };
  LVITEMA set{};
  set.stateMask = set.state = LVIS_SELECTED;
  EXPECT_FALSE(SendMessageA(single, LVM_SETITEMSTATE, 5, reinterpret_cast<LPARAM>(&set)));
  EXPECT_EQ(Selection(single), "...S....") << "a vetoed selection leaves the old one";
  g_answer = nullptr;
  DestroyWindow(single);

  HWND list = MakeList(0, 8, 10, 10, 300, 120);
  ClickItem(list, 1);
  struct Step {
    UINT key;
    UINT modifier;
    const char* after;
  } steps[] = {
      {VK_DOWN, 0, "..S....."},          {VK_DOWN, VK_SHIFT, "..sS...."}, {VK_DOWN, VK_CONTROL, "..ssf..."},
      {VK_SPACE, VK_CONTROL, "..ssS..."}, {VK_END, 0, ".......S"},     {VK_HOME, VK_SHIFT, "Ssssssss"},
      {VK_NEXT, 0, "......S."},           {'A', VK_CONTROL, ""},
  };
  for (const Step& step : steps) {
    Press(nullptr, step.key, step.modifier);
    if (*step.after) {
      EXPECT_EQ(Selection(list), step.after) << "key " << step.key << " with " << step.modifier;
    }
  }
  EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 8) << "ctrl+A selects all";

  // Typing finds by the start of the label; the same letter again steps on.
  Type(list, "c");
  EXPECT_EQ(Selection(list), "..S.....");
  Type(list, "a");
  EXPECT_EQ(Selection(list), "..S.....") << "a longer start still matching keeps the item";
}

TEST_F(ListViews, AVetoedChangeKeepsTheOldState) {
  HWND list = MakeList(0, 4);
  ClickItem(list, 0);
  g_answer = [](NMHDR* header) -> LRESULT {
    return header->code == LVN_ITEMCHANGING && reinterpret_cast<NMLISTVIEW*>(header)->iItem == 2;
  };
  Notices();
  ClickItem(list, 2);
  ExpectSequence(Notices(),
                 {N(LVN_ITEMCHANGING, 0), N(LVN_ITEMCHANGED, 0), N(LVN_ITEMCHANGING, 2), N(NM_CLICK, 2)},
                 "the veto stops the change and no LVN_ITEMCHANGED follows");
  EXPECT_EQ(Selection(list), "f...") << "the focus stays where it was";
  LVITEMA set{};
  set.stateMask = set.state = LVIS_SELECTED;
  EXPECT_FALSE(SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&set)));
  EXPECT_EQ(StateOf(list, 2), 0u);
}

int ByNumberDown(LPARAM a, LPARAM b, LPARAM list) {
  // Looks each value up while the sort runs, as the suite's lists do.
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = a;
  const LRESULT ia = SendMessageA(reinterpret_cast<HWND>(list), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
  find.lParam = b;
  const LRESULT ib = SendMessageA(reinterpret_cast<HWND>(list), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
  EXPECT_GE(ia, 0);
  EXPECT_GE(ib, 0);
  return b < a ? -1 : b > a ? 1 : 0;
}

TEST_F(ListViews, SortingByACallbackKeepsStatesWithTheirItems) {
  HWND list = MakeList(0, 5);
  ClickItem(list, 1);
  ASSERT_TRUE(SendMessageA(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(list), reinterpret_cast<LPARAM>(ByNumberDown)));
  std::string order;
  for (int i = 0; i < 5; ++i) order += Text(list, i) + " ";
  EXPECT_EQ(order, "Erin Dave Carol Bob Alice ");
  EXPECT_EQ(Selection(list), "...S.") << "Bob keeps the selection and focus";
  EXPECT_EQ(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), 3);
  EXPECT_FALSE(SendMessageA(list, LVM_SORTITEMS, 0, 0));
  // A callback that contradicts itself leaves every item in the list.
  SendMessageA(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(+[](LPARAM, LPARAM, LPARAM) { return -1; }));
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 5);
}

TEST_F(ListViews, LabelEditingCommittedCancelledAndVetoed) {
  HWND list = MakeList(LVS_EDITLABELS, 4);
  g_answer = [](NMHDR* header) -> LRESULT { return header->code == LVN_ENDLABELEDITA; };
  HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
  ASSERT_TRUE(edit);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0)), edit);
  EXPECT_EQ(TextOf(edit), "Bob");
  EXPECT_EQ(GetFocus(), edit);
  Type(edit, "Robert");
  Press(nullptr, VK_RETURN);
  ExpectSequence(Notices(),
                 {Maybe(NM_SETFOCUS, 0), N(LVN_BEGINLABELEDITA, 1), Maybe(NM_KILLFOCUS, 0), N(LVN_ENDLABELEDITA, 1),
                  Maybe(NM_SETFOCUS, 0)},
                 "committed");
  ASSERT_FALSE(g_notices.empty());
  EXPECT_TRUE(g_notices.back().hasText || g_notices[g_notices.size() - 2].hasText);
  EXPECT_EQ(Text(list, 1), "Robert");
  EXPECT_FALSE(IsWindow(edit));
  EXPECT_EQ(GetFocus(), list);

  g_notices.clear();
  edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 2, 0));
  ASSERT_TRUE(edit);
  Type(edit, "Zed");
  Press(nullptr, VK_ESCAPE);
  Notice end{};
  for (const Notice& n : g_notices) {
    if (n.code == LVN_ENDLABELEDITA) end = n;
  }
  EXPECT_EQ(end.code, LVN_ENDLABELEDITA);
  EXPECT_FALSE(end.hasText) << "Escape gives no text";
  EXPECT_EQ(Text(list, 2), "Carol");
  EXPECT_FALSE(IsWindow(edit));

  // The focus leaving the edit keeps the text.
  edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 3, 0));
  Type(edit, "Dan");
  HWND other = Make("Button", "x", BS_PUSHBUTTON, 320, 10, 60, 20, 81);
  SetFocus(other);
  testing_user::Pump();
  EXPECT_EQ(Text(list, 3), "Dan");
  EXPECT_FALSE(IsWindow(edit));

  g_answer = [](NMHDR* header) -> LRESULT { return header->code == LVN_BEGINLABELEDITA; };
  Notices();
  EXPECT_EQ(SendMessageA(list, LVM_EDITLABELA, 0, 0), 0) << "the parent refused the edit";
  ExpectSequence(Notices(), {Maybe(NM_SETFOCUS, 0), N(LVN_BEGINLABELEDITA, 0)}, "vetoed at the start");
  EXPECT_EQ(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0), 0);
}

TEST_F(ListViews, AMouseDragStartsWithTheItemAndADragImage) {
  HWND list = MakeList(0, 4);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const RECT rect = ItemRect(list, 2);
  POINT start{rect.left + 10, (rect.top + rect.bottom) / 2};
  ClientToScreen(list, &start);
  tolvar::user::InjectMouse(start, WM_LBUTTONDOWN);
  PumpDialog(nullptr);
  EXPECT_EQ(GetCapture(), list);
  tolvar::user::InjectMouse(POINT{start.x + 2, start.y + 1}, WM_MOUSEMOVE);
  PumpDialog(nullptr);
  EXPECT_TRUE(std::none_of(g_notices.begin(), g_notices.end(), [](const Notice& n) { return n.code == LVN_BEGINDRAG; }))
      << "inside the drag rectangle nothing starts";
  tolvar::user::InjectMouse(POINT{start.x + 30, start.y + 40}, WM_MOUSEMOVE);
  PumpDialog(nullptr);
  tolvar::user::InjectMouse(POINT{start.x + 30, start.y + 40}, WM_LBUTTONUP);
  PumpDialog(nullptr);
  ExpectSequence(Notices(),
                 {Maybe(NM_SETFOCUS, 0), N(LVN_ITEMCHANGING, 2), N(LVN_ITEMCHANGED, 2), N(LVN_BEGINDRAG, 2)},
                 "a drag, and no click");
  POINT origin{-1, -1};
  HIMAGELIST image = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_CREATEDRAGIMAGE, 2, reinterpret_cast<LPARAM>(&origin)));
  ASSERT_TRUE(image);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(image, &cx, &cy);
  EXPECT_EQ(ImageList_GetImageCount(image), 1);
  EXPECT_EQ(cy, ItemRect(list, 2).bottom - ItemRect(list, 2).top);
  EXPECT_GT(cx, 0);
  EXPECT_EQ(origin.y, ItemRect(list, 2).top);
  ImageList_Destroy(image);

  // The right button starts its own drag.
  tolvar::user::InjectMouse(start, WM_RBUTTONDOWN);
  PumpDialog(nullptr);
  tolvar::user::InjectMouse(POINT{start.x, start.y + 30}, WM_MOUSEMOVE);
  PumpDialog(nullptr);
  tolvar::user::InjectMouse(POINT{start.x, start.y + 30}, WM_RBUTTONUP);
  PumpDialog(nullptr);
  EXPECT_EQ(g_notices.back().code, LVN_BEGINRDRAG);
}

TEST_F(ListViews, DraggingAHeaderDividerResizesTheColumn) {
  HWND list = MakeList(0, 3);
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  ASSERT_TRUE(header);
  RECT first{};
  SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  POINT divider{first.right, (first.top + first.bottom) / 2};
  ClientToScreen(header, &divider);
  tolvar::user::InjectMouse(divider, WM_LBUTTONDOWN);
  PumpDialog(nullptr);
  tolvar::user::InjectMouse(POINT{divider.x + 30, divider.y}, WM_MOUSEMOVE);
  PumpDialog(nullptr);
  tolvar::user::InjectMouse(POINT{divider.x + 30, divider.y}, WM_LBUTTONUP);
  PumpDialog(nullptr);
  ExpectSequence(Notices(),
                 {N(HDN_BEGINTRACKA, 0), N(HDN_TRACKA, 0), N(HDN_ITEMCHANGINGA, 0), N(HDN_ITEMCHANGEDA, 0),
                  N(HDN_ENDTRACKA, 0)},
                 "divider drag");
  EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 150);
  EXPECT_EQ(ItemRect(list, 0, LVIR_BOUNDS).right - ItemRect(list, 0, LVIR_BOUNDS).left, 250) << "rows follow";

  // A parent that forbids tracking keeps the width; a click on a title is a column click.
  g_answer = [](NMHDR* header) -> LRESULT { return header->code == HDN_BEGINTRACKA; };
  tolvar::user::InjectMouse(POINT{divider.x + 30, divider.y}, WM_LBUTTONDOWN);
  PumpDialog(nullptr);
  tolvar::user::InjectMouse(POINT{divider.x + 60, divider.y}, WM_MOUSEMOVE);
  tolvar::user::InjectMouse(POINT{divider.x + 60, divider.y}, WM_LBUTTONUP);
  PumpDialog(nullptr);
  EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 150);
  Notices();
  Click(header, POINT{first.right + 70, 5});
  ExpectSequence(Notices(), {N(HDN_ITEMCLICKA, 1), N(LVN_COLUMNCLICK, 1)}, "title click");
}

TEST_F(ListViews, GeometryHitTestsAndScrolling) {
  HWND list = MakeList(0, 40, 10, 10, 300, 150);
  const RECT bounds = ItemRect(list, 0, LVIR_BOUNDS);
  const RECT label = ItemRect(list, 0, LVIR_LABEL);
  const RECT icon = ItemRect(list, 0, LVIR_ICON);
  EXPECT_EQ(bounds.right - bounds.left, 220);
  EXPECT_EQ(icon.right, label.left) << "no small images: an empty icon";
  EXPECT_EQ(label.right, 120);
  const int rowHeight = bounds.bottom - bounds.top;
  EXPECT_EQ(ItemRect(list, 3).top, bounds.top + 3 * rowHeight);

  LVHITTESTINFO hit{};
  hit.pt = POINT{20, ItemRect(list, 2).top + 1};
  EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 2);
  EXPECT_EQ(hit.flags, LVHT_ONITEMLABEL);
  hit.pt.x = 150;
  EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1) << "a sub-item without full-row select";
  EXPECT_EQ(SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 2);
  EXPECT_EQ(hit.iSubItem, 1);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 2);
  hit.pt.y = 2;
  EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
  EXPECT_TRUE(hit.flags & LVHT_ABOVE) << "on the header";

  const int perPage = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
  EXPECT_GT(perPage, 3);
  EXPECT_TRUE(SendMessageA(list, LVM_ENSUREVISIBLE, 30, FALSE));
  EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 30 - perPage + 1);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(list, SB_VERT, &info);
  EXPECT_EQ(info.nPos, 30 - perPage + 1);
  EXPECT_EQ(info.nMax, 39);
  EXPECT_EQ(static_cast<int>(info.nPage), perPage);
  EXPECT_EQ(ItemRect(list, 30).top, bounds.top + (perPage - 1) * rowHeight);
  SendMessageA(list, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);
  SendMessageA(list, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 40 - perPage) << "the last page stays full";
  SendMessageA(list, LVM_SCROLL, 0, -2 * rowHeight);
  EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 38 - perPage);
}

TEST_F(ListViews, OneScrollStepPaintsOnlyTheRowThatCameIn) {
  HWND list = Make(WC_LISTVIEWA, "", LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER, 10, 10, 300, 200, 80);
  AddColumn(list, 0, "Name", 280);
  for (int i = 0; i < 5000; ++i) AddItem(list, "row", i);
  testing_user::Pump();
  DrawnItems().clear();
  SendMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
  testing_user::Pump();
  ASSERT_GE(DrawnItems().size(), 1u);
  EXPECT_LE(DrawnItems().size(), 2u) << "the row that scrolled in (and the one cut at the bottom)";
  const int perPage = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
  for (const DRAWITEMSTRUCT& draw : DrawnItems()) EXPECT_GE(static_cast<int>(draw.itemID), perPage);
}

// Owner-drawn rows into a memory DC (as a list painted off screen is) equal the window.
TEST_F(ListViews, PrintingAnOwnerDrawnListEqualsItsPainting) {
  HWND list = MakeList(LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS, 12, 10, 10, 300, 200);
  ClickItem(list, 2);
  ClickItem(list, 4, VK_CONTROL);
  testing_user::Pump();
  HBITMAP shot = tolvar::user::RenderWindow(m_parent);
  ASSERT_TRUE(shot);
  RECT window, frame;
  GetWindowRect(list, &window);
  GetWindowRect(m_parent, &frame);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP printed = CreateBitmap(width, height, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(memory, printed);
  DrawnItems().clear();
  SendMessageA(list, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
  SelectObject(memory, old);
  DeleteDC(memory);
  EXPECT_EQ(DrawnItems().size(), 12u) << "one WM_DRAWITEM per visible row";
  int differences = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (PixelAt(printed, x, y) != PixelAt(shot, window.left - frame.left + x, window.top - frame.top + y)) ++differences;
    }
  }
  EXPECT_EQ(differences, 0);
  testing_user::SavePng(shot, "controls_listview_ownerdrawn");
  testing_user::SavePng(printed, "controls_listview_printed");
  DeleteObject(printed);
  DeleteObject(shot);
}

HIMAGELIST Squares(int size, std::initializer_list<std::uint32_t> colours) {
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32, static_cast<int>(colours.size()), 0);
  for (std::uint32_t pixel : colours) {
    std::vector<std::uint32_t> pixels(size * size, pixel);
    HBITMAP bitmap = CreateBitmap(size, size, 1, 32, pixels.data());
    ImageList_Add(images, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  return images;
}

TEST_F(ListViews, AReportListPaintsGridSelectionFocusDropTargetAndImages) {
  HWND list = MakeList(LVS_SHOWSELALWAYS, 6, 10, 10, 300, 200);
  HIMAGELIST images = Squares(20, {0x00E00000u, 0x0000A000u});
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  ClickItem(list, 1);
  LVITEMA drop{};
  drop.stateMask = drop.state = LVIS_DROPHILITED;
  SendMessageA(list, LVM_SETITEMSTATE, 4, reinterpret_cast<LPARAM>(&drop));
  testing_user::Pump();
  const RECT row1 = ItemRect(list, 1, LVIR_BOUNDS);
  EXPECT_GE(row1.bottom - row1.top, 21) << "the small images set the row height";
  HBITMAP shot = tolvar::user::RenderWindow(m_parent);
  ASSERT_TRUE(shot);
  testing_user::SavePng(shot, "controls_listview_report");
  auto at = [&](int x, int y) {
    POINT point{x, y};
    MapWindowPoints(list, nullptr, &point, 1);
    RECT frame;
    GetWindowRect(m_parent, &frame);
    return PixelAt(shot, point.x - frame.left, point.y - frame.top);
  };
  const int mid = (row1.top + row1.bottom) / 2;
  EXPECT_EQ(at(200, mid), GetSysColor(COLOR_HIGHLIGHT)) << "full-row selection reaches the sub-items";
  const RECT row0 = ItemRect(list, 0, LVIR_BOUNDS);
  EXPECT_EQ(at(row0.left + 10, (row0.top + row0.bottom) / 2), RGB(0xE0, 0, 0)) << "item 0's image";
  const RECT row4 = ItemRect(list, 4, LVIR_BOUNDS);
  EXPECT_EQ(at(200, (row4.top + row4.bottom) / 2), GetSysColor(COLOR_HIGHLIGHT)) << "the drop target";
  const RECT row2 = ItemRect(list, 2, LVIR_BOUNDS);
  EXPECT_EQ(at(200, row2.bottom - 1), GetSysColor(COLOR_BTNFACE)) << "a grid line";
  EXPECT_EQ(at(200, (row2.top + row2.bottom) / 2), GetSysColor(COLOR_WINDOW));
  DeleteObject(shot);

  // Custom draw colours some rows, as the mapping list does.
  g_answer = [](NMHDR* header) -> LRESULT {
    if (header->code != NM_CUSTOMDRAW) return 0;
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw->nmcd.dwItemSpec == 3) draw->clrTextBk = RGB(255, 200, 0);
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw->nmcd.dwItemSpec == 5) return CDRF_NOTIFYSUBITEMDRAW;
    if (draw->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM) && draw->iSubItem == 1) {
      draw->clrTextBk = RGB(0, 200, 200);
    }
    return CDRF_DODEFAULT;
  };
  // A state image before the small one.
  HIMAGELIST checks = Squares(12, {0x000000FFu});
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(checks));
  LVITEMA checked{};
  checked.stateMask = LVIS_STATEIMAGEMASK;
  checked.state = INDEXTOSTATEIMAGEMASK(1);
  SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&checked));
  InvalidateRect(list, nullptr, TRUE);
  testing_user::Pump();
  shot = tolvar::user::RenderWindow(m_parent);
  testing_user::SavePng(shot, "controls_listview_customdraw");
  const RECT row3 = ItemRect(list, 3, LVIR_BOUNDS);
  EXPECT_EQ(at(200, (row3.top + row3.bottom) / 2), RGB(255, 200, 0)) << "an item coloured";
  const RECT row5 = ItemRect(list, 5, LVIR_BOUNDS);
  EXPECT_EQ(at(200, (row5.top + row5.bottom) / 2), RGB(0, 200, 200)) << "a sub-item coloured";
  EXPECT_EQ(at(60, (row5.top + row5.bottom) / 2), GetSysColor(COLOR_WINDOW)) << "its first column not";
  EXPECT_EQ(at(row0.left + 5, (row0.top + row0.bottom) / 2), RGB(0, 0, 0xFF)) << "the state image";
  EXPECT_EQ(at(row0.left + 20, (row0.top + row0.bottom) / 2), RGB(0xE0, 0, 0)) << "the small image after it";
  LVHITTESTINFO hit{};
  hit.pt = POINT{row0.left + 5, (row0.top + row0.bottom) / 2};
  EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 0);
  EXPECT_EQ(hit.flags, LVHT_ONITEMSTATEICON);
  DeleteObject(shot);
  DestroyWindow(list);
  ImageList_Destroy(images);
  ImageList_Destroy(checks);
}

}  // namespace

// A bar shows only while its content is larger than the view, both ways, also when the other bar
// comes or goes; a list made with WS_VSCROLL keeps that bar until it has something to measure, so a
// column sized to its client area right after creation fits beside the bar.
TEST_F(ListViews, ScrollBarsShowOnlyWhileTheContentIsLargerThanTheView) {
  struct Case {
    const char* what;
    int rowsFirst;   // rows before the change
    int rowsAfter;   // rows kept
    int extraWidth;  // the columns' width beyond the client width without a vertical bar
    bool vertical;
    bool horizontal;
  };
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  const Case cases[] = {
      {"few rows, columns fill the width", 2, 2, 0, false, false},
      {"many rows deleted down to a few", 40, 2, 0, false, false},
      {"many rows, columns fit beside the bar", 40, 40, -bar, true, false},
      {"many rows, columns fill the whole width", 40, 40, 0, true, true},
      {"few rows, columns too wide", 2, 2, 1, false, true},
  };
  {
    HWND list = Make(WC_LISTVIEWA, "", LVS_REPORT | WS_BORDER | WS_VSCROLL, 10, 10, 300, 150, 82);
    RECT client;
    GetClientRect(list, &client);
    AddColumn(list, 0, "Name", client.right);
    for (int i = 0; i < 40; ++i) AddItem(list, "row", i);
    const LONG style = GetWindowLongA(list, GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & WS_HSCROLL) << "the column was sized beside the vertical bar";
    DestroyWindow(list);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND list = Make(WC_LISTVIEWA, "", LVS_REPORT | WS_BORDER, 10, 10, 300, 150, 81);
    RECT client;
    GetClientRect(list, &client);
    const int width = client.right + c.extraWidth;
    AddColumn(list, 0, "Name", width / 2);
    AddColumn(list, 1, "Number", width - width / 2);
    for (int i = 0; i < c.rowsFirst; ++i) AddItem(list, "row", i);
    while (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > c.rowsAfter) SendMessageA(list, LVM_DELETEITEM, 0, 0);
    const LONG style = GetWindowLongA(list, GWL_STYLE);
    EXPECT_EQ((style & WS_VSCROLL) != 0, c.vertical);
    EXPECT_EQ((style & WS_HSCROLL) != 0, c.horizontal);
    DestroyWindow(list);
  }
}
