// Dialogs from templates: creation, the dialog manager's keys, the modal loop and the item
// functions. The keys are compared with tables of the messages Windows sends.
#include <user_testing/Recorder.h>
#include "TestControls.h"

#include <base/LastError.h>
#include <resources/Resource.h>
#include <resources/ResourceData.h>
#include <kernel/Format.h>
#include <base/WinError.h>
#include <gtest/gtest.h>

#include <cstring>

using namespace testing_user;
using tolvar::user::InjectKey;

namespace {

struct DialogLog {
  LPARAM initParam = 0;
  HWND initFocus = nullptr;
  bool modal = false;
};
DialogLog g_log;

INT_PTR TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CTLCOLORDLG && message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORBTN &&
      message != WM_ENTERIDLE && message != WM_TIMER) {
    Recorder::Get().Add(dialog, message, wParam, lParam);
  }
  switch (message) {
    case WM_INITDIALOG:
      g_log.initParam = lParam;
      g_log.initFocus = reinterpret_cast<HWND>(wParam);
      if (g_log.modal) SetTimer(dialog, 1, 10, nullptr);
      return TRUE;
    case WM_TIMER:
      // The modal test's user: once the dialog shows, it presses Escape.
      if (IsWindowVisible(dialog)) {
        KillTimer(dialog, 1);
        InjectKey(VK_ESCAPE, true);
        InjectKey(VK_ESCAPE, false);
      }
      return TRUE;
    case WM_COMMAND:
      if (g_log.modal && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    default: return FALSE;
  }
}

HINSTANCE Program() { return nullptr; }

class Dialogs : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterTestControls();
    g_log = {};
    m_owner = CreateWindowExA(0, PlainClass(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                              nullptr, nullptr, nullptr);
    Pump();
    Recorder::Get().Clear();
  }
  void TearDown() override {
    if (m_dialog && IsWindow(m_dialog)) DestroyWindow(m_dialog);
    DestroyWindow(m_owner);
    Pump();
    Recorder::Get().SetParent(nullptr);
    Recorder::Get().Clear();
  }
  HWND Open(int id) {
    m_dialog = CreateDialogParamA(Program(), MAKEINTRESOURCEA(static_cast<WORD>(id)), m_owner, TestDialogProc, 77);
    if (m_dialog) {
      ShowWindow(m_dialog, SW_SHOW);
      Pump();
      Recorder::Get().SetParent(m_dialog);
    }
    return m_dialog;
  }
  // Presses a key (with Shift or Alt held) and runs the queue through the dialog manager.
  std::vector<Recorded> Press(UINT key, UINT modifier = 0) {
    Recorder::Get().Clear();
    if (modifier) InjectKey(modifier, true);
    InjectKey(key, true);
    InjectKey(key, false);
    if (modifier) InjectKey(modifier, false);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(m_dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
    auto got = Recorder::Get().Take();
    // The key messages themselves and what the modifiers bring are not the point here.
    std::erase_if(got, [](const Recorded& r) {
      return r.message == WM_KEYDOWN || r.message == WM_KEYUP || r.message == WM_SYSKEYDOWN || r.message == WM_SYSKEYUP ||
             r.message == WM_CHAR || r.message == WM_SYSCHAR || (r.message == WM_GETDLGCODE && r.wParam == VK_SHIFT) ||
             (r.message == WM_GETDLGCODE && r.wParam == VK_MENU) ||
             // the dialog manager asking about controls in passing, as it looks for buttons
             (r.message == WM_GETDLGCODE && r.wParam == 0);
    });
    return got;
  }
  HWND Item(int id) { return GetDlgItem(m_dialog, id); }
  HWND m_owner = nullptr;
  HWND m_dialog = nullptr;
};

TEST_F(Dialogs, ATemplateBecomesADialogInItsFontsUnitsWithTheFirstTabStopFocused) {
  ASSERT_TRUE(Open(100));
  char caption[32];
  GetWindowTextA(m_dialog, caption, sizeof caption);
  EXPECT_STREQ(caption, "Keys");
  EXPECT_EQ(g_log.initParam, 77);
  EXPECT_EQ(g_log.initFocus, Item(kEdit));
  EXPECT_EQ(GetFocus(), Item(kEdit));
  // Controls stand where MapDialogRect puts the template's rectangles.
  RECT expected{50, 7, 150, 19};
  MapDialogRect(m_dialog, &expected);
  RECT edit;
  GetWindowRect(Item(kEdit), &edit);
  MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&edit), 2);
  EXPECT_EQ(edit.left, expected.left);
  EXPECT_EQ(edit.top, expected.top);
  EXPECT_EQ(edit.right, expected.right);
  EXPECT_EQ(edit.bottom, expected.bottom);
  RECT client;
  GetClientRect(m_dialog, &client);
  RECT size{0, 0, 160, 96};
  MapDialogRect(m_dialog, &size);
  EXPECT_EQ(client.right, size.right);
  // MS Sans Serif 8 is narrower than the system font's 8-pixel unit.
  EXPECT_LT(size.right, 160 * 8 / 4);
  EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(8, 16));
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(m_dialog, WM_GETFONT, 0, 0));
  EXPECT_TRUE(font);
  EXPECT_EQ(SendDlgItemMessageA(m_dialog, IDOK, WM_GETFONT, 0, 0), 0);  // the test button keeps no font
  EXPECT_EQ(SendMessageA(m_dialog, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
  EXPECT_FALSE(IsWindowVisible(Item(kHiddenButton)));
  EXPECT_EQ(GetParent(m_dialog), m_owner);
}

TEST_F(Dialogs, AControlOfAnUnregisteredClassFailsTheDialogAndLeavesNothingBehind) {
  Recorder::Get().Clear();
  SetLastError(0);
  EXPECT_EQ(CreateDialogParamA(Program(), MAKEINTRESOURCEA(101), m_owner, TestDialogProc, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_EQ(FindWindowA(nullptr, "Unknown"), nullptr);
  for (const Recorded& r : Recorder::Get().Take()) {
    EXPECT_NE(r.message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_FALSE(IsWindow(r.window));
  }
  EXPECT_EQ(CreateDialogParamA(Program(), MAKEINTRESOURCEA(999), m_owner, TestDialogProc, 0), nullptr);
  EXPECT_EQ(DialogBoxParamA(Program(), MAKEINTRESOURCEA(101), m_owner, TestDialogProc, 0), -1);
  EXPECT_TRUE(IsWindowEnabled(m_owner));
}

TEST_F(Dialogs, AnOldStyleTemplateInMemoryMakesADialogInTheSystemFontsUnits) {
  auto bytes = tolvar::resources::ResourceBytes(nullptr, RT_DIALOG, MAKEINTRESOURCEA(103));
  ASSERT_FALSE(bytes.empty());
  m_dialog = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), m_owner,
                                        TestDialogProc, 3);
  ASSERT_TRUE(m_dialog);
  EXPECT_EQ(g_log.initParam, 3);
  RECT client;
  GetClientRect(m_dialog, &client);
  EXPECT_EQ(client.right, 80 * 8 / 4);  // no font in the template: the system's 8 x 16 units
  EXPECT_EQ(client.bottom, 40 * 16 / 8);
  RECT button;
  GetWindowRect(GetDlgItem(m_dialog, IDOK), &button);
  EXPECT_EQ(button.right - button.left, 50 * 8 / 4);
  EXPECT_FALSE(IsWindowVisible(m_dialog));  // the template is not WS_VISIBLE
}

// A DS_SETFONT template's font sets its dialog's units: the average width of that font's alphabet
// and its height, however large or small the font, while GetDialogBaseUnits keeps the system
// font's 8 x 16.
TEST_F(Dialogs, TheTemplatesFontSetsTheDialogUnitsLargeOrSmall) {
  struct Case {
    int id;
    const char* face;
    int points;
  };
  const Case cases[] = {{100, "MS Sans Serif", 8}, {105, "Verdana", 14}, {106, "Small Fonts", 6}};
  SIZE units[3]{};
  for (int i = 0; i < 3; ++i) {
    const Case& c = cases[i];
    // The font's units, measured on a DC of our own.
    LOGFONTA look{};
    look.lfHeight = -MulDiv(c.points, 96, 72);
    look.lfWeight = FW_NORMAL;
    std::strcpy(look.lfFaceName, c.face);
    HFONT font = CreateFontIndirectA(&look);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE alphabet{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    const SIZE expected{(alphabet.cx / 26 + 1) / 2, metrics.tmHeight};

    ASSERT_TRUE(Open(c.id)) << c.id;
    RECT one{0, 0, 4, 8};
    MapDialogRect(m_dialog, &one);
    EXPECT_EQ(one.right, expected.cx) << c.face;
    EXPECT_EQ(one.bottom, expected.cy) << c.face;
    units[i] = {one.right, one.bottom};
    // The window and its controls are laid out in those units.
    RECT size{0, 0, c.id == 100 ? 160 : 120, c.id == 100 ? 96 : 60};
    MapDialogRect(m_dialog, &size);
    RECT client;
    GetClientRect(m_dialog, &client);
    EXPECT_EQ(client.right, size.right) << c.face;
    EXPECT_EQ(client.bottom, size.bottom) << c.face;
    if (c.id != 100) {
      // Place and size are mapped apart, as Windows maps them.
      RECT place{10, 10, 50, 14};
      MapDialogRect(m_dialog, &place);
      RECT button;
      GetWindowRect(GetDlgItem(m_dialog, IDOK), &button);
      MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&button), 2);
      EXPECT_EQ(button.left, place.left) << c.face;
      EXPECT_EQ(button.top, place.top) << c.face;
      EXPECT_EQ(button.right - button.left, place.right) << c.face;
      EXPECT_EQ(button.bottom - button.top, place.bottom) << c.face;
    }
    DestroyWindow(m_dialog);
    m_dialog = nullptr;
  }
  // What makes the cases: the large font's units exceed the system font's, the small one's do not.
  EXPECT_GT(units[1].cx, 8);
  EXPECT_GT(units[1].cy, 16);
  EXPECT_LT(units[2].cx, units[0].cx);
  EXPECT_LT(units[2].cy, units[0].cy);
  EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(8, 16));
}

TEST_F(Dialogs, TabMovesAmongTabStopsAndTheDefaultButtonFollowsTheFocus) {
  ASSERT_TRUE(Open(100));
  HWND edit = Item(kEdit), one = Item(kRadioOne), check = Item(kCheck), ok = Item(IDOK), cancel = Item(IDCANCEL);
  ExpectSequence(Press(VK_TAB),
                 {{WM_GETDLGCODE, kWParam, VK_TAB},
                  {WM_NEXTDLGCTL, kParent | kWParam | kLParam, 0, 0},
                  {WM_KILLFOCUS, kLParam, 0, 0},
                  {WM_SETFOCUS, kLParam, 0, 0}},
                 "tab to the radio group");
  EXPECT_EQ(GetFocus(), one);
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), check);
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), ok);
  auto got = Press(VK_TAB);  // the hidden button is passed over
  EXPECT_EQ(GetFocus(), cancel);
  ExpectSequence(got,
                 {{WM_GETDLGCODE},
                  {WM_NEXTDLGCTL, kParent},
                  {WM_KILLFOCUS},
                  {WM_SETFOCUS},
                  {BM_SETSTYLE, kWParam, BS_PUSHBUTTON},
                  {WM_STYLECHANGING, kOptional},
                  {WM_STYLECHANGED, kOptional},
                  {BM_SETSTYLE, kWParam, BS_DEFPUSHBUTTON},
                  {WM_STYLECHANGING, kOptional},
                  {WM_STYLECHANGED, kOptional}},
                 "tab onto cancel");
  EXPECT_EQ(SendMessageA(cancel, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
  Press(VK_TAB);  // wraps round to the edit, and the default returns to OK
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(SendMessageA(ok, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(SendMessageA(cancel, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, 0);
  Press(VK_TAB, VK_SHIFT);
  EXPECT_EQ(GetFocus(), cancel);
}

TEST_F(Dialogs, ArrowsMoveWithinARadioGroupAndCheckWhatTheyReach) {
  ASSERT_TRUE(Open(100));
  HWND one = Item(kRadioOne), two = Item(kRadioTwo), three = Item(kRadioThree);
  SetFocus(one);
  auto got = Press(VK_DOWN);
  ExpectSequence(got,
                 {{WM_GETDLGCODE, kWParam, VK_DOWN},
                  {WM_GETDLGCODE, kWParam, VK_DOWN},
                  {WM_KILLFOCUS},
                  {WM_SETFOCUS},
                  {BM_GETCHECK},
                  {BM_CLICK},
                  {BM_SETCHECK, kWParam, BST_CHECKED},
                  {BM_SETCHECK, kWParam, BST_UNCHECKED},
                  {BM_SETCHECK, kWParam, BST_UNCHECKED},
                  {WM_COMMAND, kParent | kWParam, MAKEWPARAM(kRadioTwo, BN_CLICKED)}},
                 "down");
  EXPECT_EQ(GetFocus(), two);
  EXPECT_EQ(IsDlgButtonChecked(m_dialog, kRadioTwo), BST_CHECKED);
  Press(VK_DOWN);
  Press(VK_DOWN);  // wraps within the group
  EXPECT_EQ(GetFocus(), one);
  Press(VK_UP);
  EXPECT_EQ(GetFocus(), three);
  EXPECT_EQ(IsDlgButtonChecked(m_dialog, kRadioThree), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(m_dialog, kRadioOne), BST_UNCHECKED);
}

TEST_F(Dialogs, EnterPressesTheDefaultButtonAndEscapeCancels) {
  ASSERT_TRUE(Open(100));
  ExpectSequence(Press(VK_RETURN),
                 {{WM_GETDLGCODE, kWParam, VK_RETURN},
                  {DM_GETDEFID, kParent},
                  {WM_COMMAND, kParent | kWParam, MAKEWPARAM(IDOK, BN_CLICKED)}},
                 "enter on the edit");
  SetFocus(Item(IDCANCEL));
  SendMessageA(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDCANCEL)), TRUE);
  auto got = Press(VK_RETURN);
  ExpectSequence(got,
                 {{WM_GETDLGCODE, kWParam, VK_RETURN},
                  {WM_COMMAND, kParent | kWParam, MAKEWPARAM(IDCANCEL, BN_CLICKED)}},
                 "enter on the focused push button");
  ExpectSequence(Press(VK_ESCAPE),
                 {{WM_GETDLGCODE, kWParam, VK_ESCAPE}, {WM_COMMAND, kParent | kWParam, IDCANCEL}}, "escape");
  // A control that wants every key gets Enter itself.
  SetWindowLongA(Item(kEdit), GWL_STYLE, GetWindowLongA(Item(kEdit), GWL_STYLE) | 0x1000);
  SetFocus(Item(kEdit));
  auto wanted = Press(VK_RETURN);
  for (const Recorded& r : wanted) EXPECT_NE(r.message, static_cast<UINT>(WM_COMMAND));
}

TEST_F(Dialogs, MnemonicsFocusTheirControlOrTheOneAfterTheirLabel) {
  ASSERT_TRUE(Open(100));
  SetFocus(Item(IDOK));
  Press('R', VK_MENU);
  EXPECT_EQ(GetFocus(), Item(kCheck));
  EXPECT_EQ(IsDlgButtonChecked(m_dialog, kCheck), BST_CHECKED);
  Press('N', VK_MENU);
  EXPECT_EQ(GetFocus(), Item(kEdit));
  // In the edit, letters are typed, not taken as mnemonics.
  Press('R');
  EXPECT_EQ(GetFocus(), Item(kEdit));
  char text[8];
  GetDlgItemTextA(m_dialog, kEdit, text, sizeof text);
  EXPECT_STREQ(text, "r");
}

struct Watch {
  static LRESULT Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE) enabledWhileIdle = IsWindowEnabled(window);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  static inline BOOL enabledWhileIdle = TRUE;
};

TEST_F(Dialogs, AModalDialogDisablesItsOwnerUntilItEnds) {
  g_log.modal = true;
  SetWindowLongPtrA(m_owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Watch::Proc));
  INT_PTR result = DialogBoxParamA(Program(), MAKEINTRESOURCEA(100), m_owner, TestDialogProc, 5);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(Watch::enabledWhileIdle);
  EXPECT_TRUE(IsWindowEnabled(m_owner));
  EXPECT_EQ(FindWindowA(nullptr, "Keys"), nullptr);
  EXPECT_EQ(GetActiveWindow(), m_owner);
  SetWindowLongPtrA(m_owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
}

TEST_F(Dialogs, ItemFunctionsReadAndWriteTextsNumbersAndChecks) {
  ASSERT_TRUE(Open(100));
  struct IntCase {
    const char* text;
    BOOL isSigned;
    BOOL translated;
    UINT value;
  };
  const IntCase cases[] = {
      {"42", FALSE, TRUE, 42},         {" 12 ", FALSE, TRUE, 12},         {"-7", TRUE, TRUE, static_cast<UINT>(-7)},
      {"-7", FALSE, FALSE, 0},         {"12a", FALSE, FALSE, 0},          {"", FALSE, FALSE, 0},
      {"4294967295", FALSE, TRUE, 4294967295u}, {"4294967296", FALSE, FALSE, 0}, {"2147483648", TRUE, FALSE, 0},
      {"-2147483648", TRUE, TRUE, 0x80000000u},
  };
  for (const IntCase& c : cases) {
    SetDlgItemTextA(m_dialog, kEdit, c.text);
    BOOL translated = -1;
    UINT value = GetDlgItemInt(m_dialog, kEdit, &translated, c.isSigned);
    EXPECT_EQ(translated, c.translated) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  SetDlgItemInt(m_dialog, kEdit, static_cast<UINT>(-15), TRUE);
  char text[16];
  EXPECT_EQ(GetDlgItemTextA(m_dialog, kEdit, text, sizeof text), 3u);
  EXPECT_STREQ(text, "-15");
  CheckRadioButton(m_dialog, kRadioOne, kRadioThree, kRadioTwo);
  EXPECT_EQ(IsDlgButtonChecked(m_dialog, kRadioOne), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(m_dialog, kRadioTwo), BST_CHECKED);
  CheckDlgButton(m_dialog, kCheck, BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(m_dialog, kCheck), BST_CHECKED);
  SetLastError(0);
  EXPECT_EQ(GetDlgItem(m_dialog, 4242), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CONTROL_ID_NOT_FOUND);
  EXPECT_EQ(GetDlgCtrlID(Item(kCheck)), kCheck);
  EXPECT_EQ(GetNextDlgGroupItem(m_dialog, Item(kRadioThree), FALSE), Item(kRadioOne));
  EXPECT_EQ(GetNextDlgTabItem(m_dialog, Item(IDCANCEL), FALSE), Item(kEdit));
}

TEST_F(Dialogs, ARenderedDialogShowsItsChildrenClippedToEachOther) {
  ASSERT_TRUE(Open(102));
  HBITMAP image = tolvar::user::RenderWindow(m_dialog);
  ASSERT_TRUE(image);
  SavePng(image, "dialog-clip");
  RECT upper, lower;
  GetWindowRect(Item(300), &upper);
  GetWindowRect(Item(301), &lower);
  RECT window;
  GetWindowRect(m_dialog, &window);
  auto at = [&](LONG x, LONG y) { return PixelAt(image, x - window.left, y - window.top); };
  EXPECT_EQ(at(upper.left + 1, upper.top + 1), RGB(0, 0, 200));
  EXPECT_EQ(at(lower.left + 1, lower.top + 1), RGB(0, 0, 200));  // under the upper panel
  EXPECT_EQ(at(lower.right - 2, lower.bottom - 2), RGB(0, 160, 0));
  EXPECT_EQ(at(lower.right + 2, lower.bottom + 2), GetSysColor(COLOR_3DFACE));
  EXPECT_EQ(at(window.left + 3, window.top + 10), GetSysColor(COLOR_ACTIVECAPTION));
  DeleteObject(image);
}

}  // namespace
