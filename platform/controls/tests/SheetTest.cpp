// A sheet of every control in every state (normal, hot, pushed, focused, disabled, checked,
// indeterminate, selected, read-only), written as controls_sheet.png for a person to look at, with
// probes of the pixels that tell the states apart.
#include "ControlTest.h"

using namespace testing_controls;
using testing_user::PixelAt;

namespace {

class Sheet : public ControlTest {
protected:
  HWND Add(LPCSTR cls, LPCSTR text, DWORD style, int x, int y, int cx, int cy, DWORD exStyle = 0) {
    return Make(cls, text, style, x, y, cx, cy, ++m_id, exStyle);
  }
  // Shows a control as focused without taking the focus from another.
  void LookFocused(HWND control) { SendMessageA(control, WM_SETFOCUS, 0, 0); }
  int m_id = 100;
};

TEST_F(Sheet, EveryControlInEveryState) {
  MoveWindow(m_parent, 0, 0, 720, 560, TRUE);
  // Push buttons: normal, default, focused, pushed, disabled, flat and hot.
  Add("Button", "Normal", BS_PUSHBUTTON, 8, 8, 80, 24);
  Add("Button", "Default", BS_DEFPUSHBUTTON, 96, 8, 80, 24);
  HWND focused = Add("Button", "&Focused", BS_PUSHBUTTON, 184, 8, 80, 24);
  HWND pushed = Add("Button", "Pushed", BS_PUSHBUTTON, 272, 8, 80, 24);
  HWND disabled = Add("Button", "Disabled", BS_PUSHBUTTON | WS_DISABLED, 360, 8, 80, 24);
  Add("Button", "Flat", BS_PUSHBUTTON | BS_FLAT, 448, 8, 80, 24);
  HWND hot = Add("Button", "Flat hot", BS_PUSHBUTTON | BS_FLAT, 536, 8, 80, 24);
  // Check boxes and radio buttons: unchecked, checked, indeterminate, pushed, focused, disabled.
  HWND checks[6], radios[6];
  const char* checkNames[6] = {"Unchecked", "Checked", "Indeterminate", "Pushed", "Focused", "Disabled"};
  for (int n = 0; n < 6; ++n) {
    checks[n] = Add("Button", checkNames[n], BS_AUTO3STATE | (n == 5 ? WS_DISABLED : 0), 8 + n * 110, 44, 105, 18);
    radios[n] = Add("Button", checkNames[n], BS_RADIOBUTTON | (n == 5 ? WS_DISABLED : 0), 8 + n * 110, 66, 105, 18);
  }
  SendMessageA(checks[1], BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(checks[2], BM_SETCHECK, BST_INDETERMINATE, 0);
  SendMessageA(checks[3], BM_SETSTATE, TRUE, 0);
  SendMessageA(checks[5], BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(radios[1], BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(radios[3], BM_SETSTATE, TRUE, 0);
  SendMessageA(radios[5], BM_SETCHECK, BST_CHECKED, 0);
  // A group box with statics of each kind inside.
  Add("Button", "Statics", BS_GROUPBOX, 8, 90, 700, 110);
  Add("Static", "Left &label", SS_LEFT, 16, 110, 90, 16);
  Add("Static", "Centred", SS_CENTER | WS_BORDER, 112, 110, 90, 16);
  Add("Static", "Right", SS_RIGHT, 208, 110, 90, 16);
  Add("Static", "An ellipsis cuts this long text", SS_ENDELLIPSIS, 304, 110, 120, 16);
  Add("Static", "Disabled", SS_LEFT | WS_DISABLED, 430, 110, 80, 16);
  HWND icon = Add("Static", "", SS_ICON, 520, 106, 32, 32);
  SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_EXCLAMATION)), 0);
  Add("Static", "", SS_BLACKFRAME, 16, 140, 40, 40);
  Add("Static", "", SS_GRAYRECT, 64, 140, 40, 40);
  Add("Static", "", SS_WHITERECT, 112, 140, 40, 40);
  Add("Static", "", SS_ETCHEDFRAME, 160, 140, 40, 40);
  Add("Static", "", SS_ETCHEDHORZ, 208, 160, 100, 2);
  Add("Static", "Sunken", SS_CENTER | SS_SUNKEN, 320, 150, 80, 20);
  // Edits: normal, selection, focused with a selection, read-only, disabled, password, multi-line.
  Add("Edit", "Normal", WS_BORDER | ES_AUTOHSCROLL, 8, 210, 110, 22, WS_EX_CLIENTEDGE);
  HWND selection = Add("Edit", "Kept selection", WS_BORDER | ES_AUTOHSCROLL | ES_NOHIDESEL, 126, 210, 110, 22);
  SendMessageA(selection, EM_SETSEL, 0, 4);
  HWND focusEdit = Add("Edit", "Focused \xC3\xA9t\xC3\xA9", WS_BORDER | ES_AUTOHSCROLL, 244, 210, 110, 22);
  Add("Edit", "Read-only", WS_BORDER | ES_READONLY, 362, 210, 110, 22);
  Add("Edit", "Disabled", WS_BORDER | WS_DISABLED, 480, 210, 110, 22);
  Add("Edit", "secret", WS_BORDER | ES_PASSWORD, 598, 210, 110, 22);
  Add("Edit", "Multi-line\r\nsecond line\r\nthird", WS_BORDER | ES_MULTILINE, 8, 240, 160, 60);
  // A list box with a selection and the focus, and one disabled.
  HWND list = Add("ListBox", "", WS_BORDER | LBS_NOTIFY, 176, 240, 120, 70);
  HWND offList = Add("ListBox", "", WS_BORDER | WS_DISABLED, 304, 240, 120, 70);
  for (const char* item : {"Alpha", "Beta", "Gamma", "Delta"}) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(offList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  // Combo boxes: drop-down list (focused), drop-down, simple, disabled.
  HWND combos[4];
  const DWORD kinds[4] = {CBS_DROPDOWNLIST, CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST | WS_DISABLED};
  for (int n = 0; n < 4; ++n) {
    combos[n] = Add("ComboBox", "", kinds[n], 8 + n * 150, 320, 140, n == 2 ? 90 : 120);
    for (const char* item : {"Apple", "Banana", "Cherry"}) {
      SendMessageA(combos[n], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageA(combos[n], CB_SETCURSEL, 1, 0);
  }
  SendMessageA(pushed, BM_SETSTATE, TRUE, 0);
  LookFocused(focused);
  LookFocused(checks[4]);
  LookFocused(radios[4]);
  LookFocused(list);
  LookFocused(combos[0]);
  SetFocus(focusEdit);
  SendMessageA(focusEdit, EM_SETSEL, 8, 13);
  POINT over{20, 10};
  ClientToScreen(hot, &over);
  tolvar::user::InjectMouse(over, WM_MOUSEMOVE);
  PumpDialog(nullptr);

  HBITMAP sheet = tolvar::user::RenderWindow(m_parent);
  ASSERT_TRUE(sheet);
  testing_user::SavePng(sheet, "controls_sheet");
  auto at = [&](HWND control, int x, int y) {
    POINT point{x, y};
    MapWindowPoints(control, m_parent, &point, 1);
    RECT frame;
    GetWindowRect(m_parent, &frame);
    POINT origin{0, 0};
    ClientToScreen(m_parent, &origin);
    return PixelAt(sheet, point.x + origin.x - frame.left, point.y + origin.y - frame.top);
  };
  // How many pixels of a control's client row y, from x0 to x1, have the colour.
  auto count = [&](HWND control, int y, int x0, int x1, COLORREF colour) {
    int n = 0;
    for (int x = x0; x < x1; ++x) n += at(control, x, y) == colour;
    return n;
  };
  const COLORREF face = GetSysColor(COLOR_BTNFACE), highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(at(disabled, 0, 0), GetSysColor(COLOR_3DHIGHLIGHT)) << "a raised edge";
  EXPECT_EQ(at(pushed, 0, 0), GetSysColor(COLOR_3DSHADOW)) << "pushed: sunken";
  EXPECT_EQ(at(hot, 0, 0), GetSysColor(COLOR_3DHIGHLIGHT)) << "a hot flat button rises";
  EXPECT_EQ(at(checks[1], 6, 9), GetSysColor(COLOR_WINDOWTEXT)) << "the check mark";
  EXPECT_EQ(at(checks[0], 6, 9), GetSysColor(COLOR_WINDOW)) << "no mark";
  EXPECT_NE(at(checks[2], 6, 9), GetSysColor(COLOR_WINDOW)) << "indeterminate: a grey mark";
  EXPECT_NE(at(checks[3], 3, 9), GetSysColor(COLOR_WINDOW)) << "pushed: the box goes grey";
  const int itemHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  EXPECT_EQ(at(list, 100, itemHeight * 3 / 2), highlight) << "the selected item";
  EXPECT_EQ(at(list, 100, itemHeight / 2), GetSysColor(COLOR_WINDOW));
  EXPECT_GT(count(selection, 10, 1, 20, highlight), 8) << "ES_NOHIDESEL keeps the selection shown";
  const int selFrom = LOWORD(SendMessageA(focusEdit, EM_POSFROMCHAR, 8, 0));
  const int selTo = LOWORD(SendMessageA(focusEdit, EM_POSFROMCHAR, 12, 0));
  EXPECT_EQ(count(focusEdit, 10, 1, selFrom - 1, highlight), 0) << "before the selection";
  EXPECT_GT(count(focusEdit, 10, selFrom, selTo, highlight), (selTo - selFrom) / 2) << "the selection";
  EXPECT_EQ(at(disabled, 40, 0), GetSysColor(COLOR_3DHIGHLIGHT));
  EXPECT_EQ(at(combos[0], 8, 10), highlight) << "a focused drop-down list's face";
  EXPECT_EQ(at(combos[3], 8, 10), face) << "a disabled combo box is grey";
  DeleteObject(sheet);
}

}  // namespace
