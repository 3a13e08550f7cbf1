// The combo box class: the list dropped by a click and by F4 (and Alt+Down), a choice by keys and by
// click, CB_SELECTSTRING's completion, the list closing when the focus goes, the drop-down's edit,
// and the notifications in the order the parent gets them.
#include "ControlTest.h"

#include <map>

using namespace testing_controls;

namespace {

class Combos : public ControlTest {
protected:
  HWND MakeCombo(DWORD kind, int id = 30) {
    HWND combo = Make("ComboBox", "", WS_TABSTOP | WS_VSCROLL | kind, 10, 10, 150, 120, id);
    for (const char* item : {"Apple", "Banana", "Blueberry", "Cherry", "Damson"}) {
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    m_other = Make("Button", "Other", BS_PUSHBUTTON | WS_TABSTOP, 200, 10, 80, 24, 31);
    PumpDialog(nullptr);
    return combo;
  }
  // What the combo box tells its parent (the window's own messages and colours aside).
  std::vector<Recorded> Notifications(HWND combo) {
    std::vector<Recorded> got = Take();
    std::erase_if(got, [&](const Recorded& r) {
      return r.window != m_parent || r.message != WM_COMMAND || reinterpret_cast<HWND>(r.lParam) != combo;
    });
    return got;
  }
  // The combo box's pop-up list: while dropped it holds the capture.
  HWND DroppedList(HWND combo) {
    HWND capture = GetCapture();
    char name[16] = {};
    if (capture) GetClassNameA(capture, name, sizeof name);
    if (capture && std::string(name) == "ComboLBox" && SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) {
      m_lists[combo] = capture;
    }
    return m_lists[combo];
  }
  std::map<HWND, HWND> m_lists;
  std::string Text(HWND combo) { return TextOf(combo); }
  HWND m_other = nullptr;
};

constexpr WPARAM Code(WORD code, int id = 30) { return MAKEWPARAM(id, code); }

TEST_F(Combos, AClickDropsTheListAndAClickOnAnItemChoosesIt) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST);
  RECT client;
  GetClientRect(combo, &client);
  EXPECT_LT(client.bottom, 40) << "the face keeps its height; the rest is the list's";
  Take();
  Click(combo, {client.right / 2, client.bottom / 2});
  EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  HWND list = DroppedList(combo);
  ASSERT_TRUE(list);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(GetFocus(), combo);
  ExpectSequence(Notifications(combo),
                 {{WM_COMMAND, kParent | kWParam, Code(CBN_SETFOCUS)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_DROPDOWN)}},
                 "drop by click");
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  Click(list, {item.left + 5, (item.top + item.bottom) / 2});
  ExpectSequence(Notifications(combo),
                 {{WM_COMMAND, kParent | kWParam, Code(CBN_SELENDOK)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_CLOSEUP)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_SELCHANGE)}},
                 "choice by click");
  EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(Text(combo), "Blueberry");
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Combos, AClickOutsideTheDroppedListCancels) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST);
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  SetFocus(combo);
  Press(nullptr, VK_F4);
  Take();
  HWND list = DroppedList(combo);
  ASSERT_TRUE(list);
  POINT far{300, 200};
  ScreenToClient(list, &far);
  POINT screen{300, 200};
  tolvar::user::InjectMouse(screen, WM_LBUTTONDOWN);
  tolvar::user::InjectMouse(screen, WM_LBUTTONUP);
  PumpDialog(nullptr);
  ExpectSequence(Notifications(combo),
                 {{WM_COMMAND, kParent | kWParam, Code(CBN_SELENDCANCEL)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_CLOSEUP)}},
                 "a click elsewhere");
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
}

TEST_F(Combos, F4AndAltDownDropTheListAndKeysChoose) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST);
  SetFocus(combo);
  Take();
  Press(nullptr, VK_F4);
  EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  Press(nullptr, VK_DOWN);
  Press(nullptr, VK_DOWN);
  EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) << "arrows move within the open list";
  Press(nullptr, VK_RETURN);
  ExpectSequence(Notifications(combo),
                 {{WM_COMMAND, kParent | kWParam, Code(CBN_DROPDOWN)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_SELCHANGE)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_SELCHANGE)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_SELENDOK)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_CLOSEUP)}},
                 "F4, Down, Down, Enter");
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  // Alt+Down drops, Escape closes and keeps what was chosen before.
  Press(nullptr, VK_DOWN, VK_MENU);
  EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  Press(nullptr, VK_ESCAPE);
  EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
  // A closed list moves too, and a letter picks the next item that begins with it.
  Press(nullptr, VK_DOWN);
  EXPECT_EQ(Text(combo), "Blueberry");
  Type(combo, "b");
  EXPECT_EQ(Text(combo), "Banana") << "the next b after Blueberry, wrapping";
  Type(combo, "d");
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 4);
}

TEST_F(Combos, SelectStringCompletesAPrefixAndLeavesTheSelectionWhenNothingMatches) {
  HWND combo = MakeCombo(CBS_DROPDOWN);
  struct Case { int after; const char* prefix; LRESULT index; const char* text; };
  const Case cases[] = {
      {-1, "b", 1, "Banana"}, {1, "B", 2, "Blueberry"}, {2, "b", 1, "Banana"},
      {-1, "ch", 3, "Cherry"}, {-1, "x", CB_ERR, "Cherry"}, {-1, "DAMSON", 4, "Damson"},
  };
  Take();
  for (const Case& c : cases) {
    EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(c.after), reinterpret_cast<LPARAM>(c.prefix)),
              c.index)
        << c.prefix;
    EXPECT_EQ(Text(combo), c.text) << c.prefix;
  }
  EXPECT_TRUE(Notifications(combo).empty()) << "a program's choice is no news, nor its edit's text";
  EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("cherry")), 3);
}

TEST_F(Combos, TheDroppedListClosesWhenTheFocusGoes) {
  for (DWORD kind : {CBS_DROPDOWNLIST, CBS_DROPDOWN}) {
    HWND combo = MakeCombo(kind);
    SetFocus(combo);
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    ASSERT_TRUE(IsWindowVisible(DroppedList(combo)));
    Take();
    SetFocus(m_other);
    PumpDialog(nullptr);
    ExpectSequence(Notifications(combo),
                   {{WM_COMMAND, kParent | kWParam, Code(CBN_SELENDCANCEL)},
                    {WM_COMMAND, kParent | kWParam, Code(CBN_CLOSEUP)},
                    {WM_COMMAND, kParent | kWParam, Code(CBN_KILLFOCUS)}},
                   kind == CBS_DROPDOWN ? "drop-down" : "drop-down list");
    EXPECT_FALSE(IsWindowVisible(DroppedList(combo)));
    DestroyWindow(combo);
    DestroyWindow(m_other);
  }
}

TEST_F(Combos, ADropDownsEditTypesAndTellsTheParent) {
  HWND combo = MakeCombo(CBS_DROPDOWN);
  HWND edit = GetDlgItem(combo, 1001);
  ASSERT_TRUE(edit);
  SetFocus(combo);
  EXPECT_EQ(GetFocus(), edit) << "the focus goes to the edit";
  Take();
  Type(edit, "Gr");
  ExpectSequence(Notifications(combo),
                 {{WM_COMMAND, kParent | kWParam, Code(CBN_EDITUPDATE)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_EDITCHANGE)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_EDITUPDATE)},
                  {WM_COMMAND, kParent | kWParam, Code(CBN_EDITCHANGE)}},
                 "typing");
  EXPECT_EQ(Text(combo), "Gr");
  Press(nullptr, VK_F4);
  EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) << "F4 in the edit drops the list";
  Press(nullptr, VK_DOWN);
  EXPECT_EQ(Text(combo), "Apple");
  Press(nullptr, VK_RETURN);
  EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDWIDTH, 0, 0), 150);
  EXPECT_EQ(SendMessageA(combo, CB_SETDROPPEDWIDTH, 220, 0), 220);
  SendMessageA(combo, CB_SETITEMDATA, 3, 0x1234);
  EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 3, 0), 0x1234);
}

TEST_F(Combos, ASimpleComboShowsItsListAlways) {
  HWND combo = MakeCombo(CBS_SIMPLE);
  HWND list = GetDlgItem(combo, 1000);
  ASSERT_TRUE(list);
  EXPECT_TRUE(IsWindowVisible(list));
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&item));
  Take();
  Click(list, {item.left + 5, (item.top + item.bottom) / 2});
  EXPECT_EQ(Text(combo), "Cherry");
  bool selchange = false;
  for (const Recorded& r : Notifications(combo)) selchange |= r.wParam == Code(CBN_SELCHANGE);
  EXPECT_TRUE(selchange);
}

TEST_F(Combos, ScrollStylesGoToTheListNotTheBox) {
  for (DWORD kind : {DWORD(CBS_DROPDOWN), DWORD(CBS_DROPDOWNLIST)}) {
    HWND combo = MakeCombo(kind);  // made with WS_VSCROLL
    RECT window{}, client{};
    GetWindowRect(combo, &window);
    GetClientRect(combo, &client);
    EXPECT_EQ(client.right, window.right - window.left) << "no scroll bar beside the face, kind " << kind;
    EXPECT_FALSE(GetWindowLongA(combo, GWL_STYLE) & WS_VSCROLL);
    DestroyWindow(combo);
    DestroyWindow(m_other);
  }
}

TEST_F(Combos, AnOwnerDrawnDropDownListDrawsItsFaceThroughTheParent) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS);
  SendMessageA(combo, CB_SETCURSEL, 3, 0);
  SetFocus(combo);
  DrawnItems().clear();
  InvalidateRect(combo, nullptr, TRUE);
  UpdateWindow(combo);
  ASSERT_FALSE(DrawnItems().empty());
  const DRAWITEMSTRUCT& face = DrawnItems().back();
  EXPECT_EQ(face.CtlType, ODT_COMBOBOX);
  EXPECT_EQ(face.CtlID, 30u);
  EXPECT_EQ(face.itemID, 3u);
  EXPECT_EQ(face.hwndItem, combo);
  EXPECT_EQ(face.itemState & (ODS_COMBOBOXEDIT | ODS_FOCUS), ODS_COMBOBOXEDIT | ODS_FOCUS);
  char text[32] = {};
  SendMessageA(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Cherry");
  // The dropped list's items are the combo box's to draw, in its name.
  DrawnItems().clear();
  SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  PumpDialog(nullptr);
  HWND list = DroppedList(combo);
  UpdateWindow(list);
  int items = 0;
  for (const DRAWITEMSTRUCT& item : DrawnItems()) {
    if (item.itemState & ODS_COMBOBOXEDIT) continue;
    ++items;
    EXPECT_EQ(item.CtlType, ODT_COMBOBOX);
    EXPECT_EQ(item.hwndItem, combo);
    EXPECT_EQ(item.itemState & ODS_SELECTED, item.itemID == 3 ? ODS_SELECTED : 0u);
  }
  EXPECT_EQ(items, 5);
}

}  // namespace
