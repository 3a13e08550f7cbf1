// The button class: what a button and its parent receive for clicks, keys and focus changes, every
// kind's checking rules, owner drawing, and keyboard navigation across a dialog of buttons.
#include "ControlTest.h"

#include <resources/Resource.h>

using namespace testing_controls;

namespace {

class Buttons : public ControlTest {};

TEST_F(Buttons, AClickPushesReleasesAndTellsTheParent) {
  HWND button = Make("Button", "Go", BS_PUSHBUTTON, 10, 10, 80, 24, 50);
  Spy(button);
  SetFocus(button);
  testing_user::Pump();
  Take();
  Click(button, {5, 5});
  ExpectSequence(Take(),
                 {{WM_LBUTTONDOWN, kWParam, MK_LBUTTON},
                  {BM_SETSTATE, kWParam, TRUE},
                  {WM_CTLCOLORBTN, kParent},
                  {WM_LBUTTONUP},
                  {BM_SETSTATE, kWParam, FALSE},
                  {WM_CTLCOLORBTN, kParent},
                  {WM_CAPTURECHANGED},
                  {WM_COMMAND, kParent | kWParam | kLParam, MAKEWPARAM(50, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button)}},
                 "click on a focused push button");
}

TEST_F(Buttons, AClickFocusesAnUnfocusedButtonAndAReleaseOutsideIsNoClick) {
  HWND button = Make("Button", "Go", BS_PUSHBUTTON | BS_NOTIFY, 10, 10, 80, 24, 50);
  Spy(button);
  POINT inside{5, 5}, outside{200, 200};
  ClientToScreen(button, &inside);
  ClientToScreen(button, &outside);
  tolvar::user::InjectMouse(inside, WM_LBUTTONDOWN);
  PumpDialog(nullptr);
  ExpectSequence(Take(),
                 {{WM_LBUTTONDOWN},
                  {WM_KILLFOCUS, kParent | kOptional},
                  {WM_SETFOCUS},
                  {WM_CTLCOLORBTN, kParent | kOptional},
                  {WM_COMMAND, kParent | kWParam, MAKEWPARAM(50, BN_SETFOCUS)},
                  {BM_SETSTATE, kWParam, TRUE},
                  {WM_CTLCOLORBTN, kParent}},
                 "press");
  EXPECT_EQ(SendMessageA(button, BM_GETSTATE, 0, 0), static_cast<LRESULT>(BST_PUSHED | BST_FOCUS));
  tolvar::user::InjectMouse(outside, WM_MOUSEMOVE);
  PumpDialog(nullptr);
  EXPECT_EQ(SendMessageA(button, BM_GETSTATE, 0, 0), static_cast<LRESULT>(BST_FOCUS)) << "dragged off: not pushed";
  tolvar::user::InjectMouse(outside, WM_LBUTTONUP);
  PumpDialog(nullptr);
  for (const Recorded& r : Take()) EXPECT_NE(r.message, static_cast<UINT>(WM_COMMAND)) << "no BN_CLICKED outside";
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Buttons, SpaceClicksAFocusedCheckBoxWhichChecksItselfBeforeTellingTheParent) {
  HWND check = Make("Button", "Remember", BS_AUTOCHECKBOX, 10, 10, 120, 20, 51);
  Spy(check);
  SetFocus(check);
  testing_user::Pump();
  Take();
  Press(nullptr, VK_SPACE);
  std::vector<Recorded> got = Take();
  std::erase_if(got, [](const Recorded& r) { return r.message == WM_CHAR; });
  ExpectSequence(got,
                 {{WM_KEYDOWN, kWParam, VK_SPACE},
                  {BM_SETSTATE, kWParam, TRUE},
                  {WM_CTLCOLORSTATIC, kParent},
                  {WM_KEYUP, kWParam, VK_SPACE},
                  {BM_SETSTATE, kWParam, FALSE},
                  {WM_CTLCOLORSTATIC, kParent},
                  {WM_CAPTURECHANGED},
                  {BM_SETCHECK, kWParam, BST_CHECKED},
                  {WM_CTLCOLORSTATIC, kParent},
                  {WM_COMMAND, kParent | kWParam, MAKEWPARAM(51, BN_CLICKED)}},
                 "space on an automatic check box");
  EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
}

struct KindCase {
  const char* name;
  DWORD style;
  LRESULT dialogCode;
  UINT checks[3];  // BM_GETCHECK after one, two and three clicks
};

const KindCase kKinds[] = {
    {"Push", BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON, {0, 0, 0}},
    {"DefPush", BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON, {0, 0, 0}},
    {"Check", BS_CHECKBOX, DLGC_BUTTON, {0, 0, 0}},
    {"AutoCheck", BS_AUTOCHECKBOX, DLGC_BUTTON, {1, 0, 1}},
    {"Radio", BS_RADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON, {0, 0, 0}},
    {"ThreeState", BS_3STATE, DLGC_BUTTON, {0, 0, 0}},
    {"AutoThreeState", BS_AUTO3STATE, DLGC_BUTTON, {1, 2, 0}},
    {"GroupBox", BS_GROUPBOX, DLGC_STATIC, {0, 0, 0}},
    {"AutoRadio", BS_AUTORADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON, {1, 1, 1}},
    {"OwnerDraw", BS_OWNERDRAW, DLGC_BUTTON, {0, 0, 0}},
};

class ButtonKinds : public ControlTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(ButtonKinds, AnswerTheirDialogCodeAndCheckAsTheirKindDoes) {
  const KindCase& kind = GetParam();
  HWND button = Make("Button", "Kind", kind.style, 10, 10, 100, 20, 60);
  EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), kind.dialogCode);
  int clicked = 0;
  for (UINT expected : kind.checks) {
    SendMessageA(button, BM_CLICK, 0, 0);
    testing_user::Pump();
    EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), static_cast<LRESULT>(expected));
  }
  for (const Recorded& r : Take()) {
    if (r.message == WM_COMMAND && r.wParam == MAKEWPARAM(60, BN_CLICKED)) ++clicked;
  }
  EXPECT_EQ(clicked, kind.style == BS_GROUPBOX ? 0 : 3);
  // A program may set what the kind can hold; more is clipped to it.
  SendMessageA(button, BM_SETCHECK, BST_INDETERMINATE, 0);
  LRESULT most = kind.style == BS_3STATE || kind.style == BS_AUTO3STATE ? BST_INDETERMINATE
                 : (kind.dialogCode & DLGC_RADIOBUTTON) || kind.style == BS_CHECKBOX || kind.style == BS_AUTOCHECKBOX
                     ? BST_CHECKED
                     : BST_UNCHECKED;
  EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), most);
}

INSTANTIATE_TEST_SUITE_P(, ButtonKinds, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Buttons, ACheckedRadioButtonIsItsGroupsTabStop) {
  HWND one = Make("Button", "One", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 10, 100, 20, 61);
  HWND two = Make("Button", "Two", BS_AUTORADIOBUTTON, 10, 30, 100, 20, 62);
  HWND three = Make("Button", "Three", BS_AUTORADIOBUTTON, 10, 50, 100, 20, 63);
  HWND after = Make("Button", "After", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 10, 80, 100, 20, 64);
  (void)after;
  SendMessageA(two, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(one, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(two, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(GetWindowLongA(two, GWL_STYLE) & WS_TABSTOP);
  EXPECT_FALSE(GetWindowLongA(one, GWL_STYLE) & WS_TABSTOP);
  SendMessageA(three, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(two, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "the group's others are cleared";
  EXPECT_EQ(SendMessageA(after, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "past the group nothing changes";
}

TEST_F(Buttons, AnOwnerDrawnButtonAsksItsParentToDrawWhatChanged) {
  HWND button = Make("Button", "Skin", BS_OWNERDRAW, 10, 10, 80, 24, 70);
  testing_user::Pump();
  struct Step {
    const char* what;
    void (*action)(HWND);
    UINT action_;
    UINT state;
  };
  const Step steps[] = {
      {"repaint", [](HWND b) { InvalidateRect(b, nullptr, TRUE); UpdateWindow(b); }, ODA_DRAWENTIRE, 0},
      {"focus", [](HWND b) { SetFocus(b); }, ODA_FOCUS, ODS_FOCUS},
      {"pushed", [](HWND b) { SendMessageA(b, BM_SETSTATE, TRUE, 0); }, ODA_SELECT, ODS_FOCUS | ODS_SELECTED},
      {"released", [](HWND b) { SendMessageA(b, BM_SETSTATE, FALSE, 0); }, ODA_SELECT, ODS_FOCUS},
      {"disabled", [](HWND b) { SetFocus(nullptr); EnableWindow(b, FALSE); UpdateWindow(b); }, ODA_DRAWENTIRE,
       ODS_DISABLED},
  };
  for (const Step& step : steps) {
    DrawnItems().clear();
    step.action(button);
    ASSERT_FALSE(DrawnItems().empty()) << step.what;
    const DRAWITEMSTRUCT& item = DrawnItems().back();
    EXPECT_EQ(item.CtlType, ODT_BUTTON) << step.what;
    EXPECT_EQ(item.CtlID, 70u) << step.what;
    EXPECT_EQ(item.hwndItem, button) << step.what;
    EXPECT_EQ(item.itemAction, step.action_) << step.what;
    EXPECT_EQ(item.itemState, step.state) << step.what;
    EXPECT_EQ(item.rcItem.right, 80) << step.what;
  }
}

// The dialog of controls.rc: a label, an edit, a group of three radio buttons, a check box, a
// three-state box, OK (default), Cancel and Apply.
class ButtonDialog : public ControlTest {
protected:
  void SetUp() override {
    ControlTest::SetUp();
    m_dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(100), m_parent, Proc, 0);
    ASSERT_TRUE(m_dialog);
    PumpDialog(m_dialog);
    g_commands.clear();
  }
  void TearDown() override {
    DestroyWindow(m_dialog);
    ControlTest::TearDown();
  }
  static INT_PTR Proc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) g_commands.push_back(wParam);
    return message == WM_INITDIALOG;
  }
  HWND Item(int id) { return GetDlgItem(m_dialog, id); }
  HWND m_dialog = nullptr;
  static inline std::vector<WPARAM> g_commands;
};

TEST_F(ButtonDialog, TabArrowsMnemonicsAndTheDefaultButtonWork) {
  char name[16] = {};
  GetClassNameA(Item(203), name, sizeof name);
  EXPECT_STREQ(name, "Button") << "the template's atom 0x80 made our class";
  EXPECT_EQ(GetFocus(), Item(201)) << "the first tab stop";
  Press(m_dialog, VK_TAB);
  EXPECT_EQ(GetFocus(), Item(203));
  // Arrows move within the radio group and check the one reached.
  Press(m_dialog, VK_DOWN);
  EXPECT_EQ(GetFocus(), Item(204));
  EXPECT_EQ(SendMessageA(Item(204), BM_GETCHECK, 0, 0), BST_CHECKED);
  Press(m_dialog, VK_DOWN);
  EXPECT_EQ(GetFocus(), Item(205));
  EXPECT_EQ(SendMessageA(Item(204), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  Press(m_dialog, VK_DOWN);
  EXPECT_EQ(GetFocus(), Item(203)) << "the group wraps";
  // Tab leaves the group and Shift+Tab comes back to its checked button.
  Press(m_dialog, VK_TAB);
  EXPECT_EQ(GetFocus(), Item(206));
  Press(m_dialog, VK_TAB, VK_SHIFT);
  EXPECT_EQ(GetFocus(), Item(203));
  // Space toggles the focused check box; Alt+mnemonic clicks a button from anywhere.
  Press(m_dialog, 'R', VK_MENU);
  EXPECT_EQ(GetFocus(), Item(206));
  EXPECT_EQ(SendMessageA(Item(206), BM_GETCHECK, 0, 0), BST_CHECKED);
  Press(m_dialog, VK_SPACE);
  EXPECT_EQ(SendMessageA(Item(206), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  Press(m_dialog, 'P', VK_MENU);
  Press(m_dialog, 'P', VK_MENU);
  EXPECT_EQ(SendMessageA(Item(207), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  // A focused push button becomes the default while it has the focus; Enter presses it.
  g_commands.clear();
  Press(m_dialog, 'A', VK_MENU);
  EXPECT_EQ(GetFocus(), Item(208));
  EXPECT_EQ(GetWindowLongA(Item(208), GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(GetWindowLongA(Item(1), GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_PUSHBUTTON));
  Press(m_dialog, VK_RETURN);
  ASSERT_FALSE(g_commands.empty());
  EXPECT_EQ(g_commands.back(), MAKEWPARAM(208, BN_CLICKED));
  // The label's mnemonic focuses the edit after it; there Enter presses the dialog's default (OK)
  // and Escape is Cancel.
  Press(m_dialog, 'N', VK_MENU);
  EXPECT_EQ(GetFocus(), Item(201));
  EXPECT_EQ(GetWindowLongA(Item(1), GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_DEFPUSHBUTTON));
  Press(m_dialog, VK_RETURN);
  EXPECT_EQ(g_commands.back(), MAKEWPARAM(IDOK, BN_CLICKED));
  Press(m_dialog, VK_ESCAPE);
  EXPECT_EQ(g_commands.back(), static_cast<WPARAM>(IDCANCEL));
}

}  // namespace
