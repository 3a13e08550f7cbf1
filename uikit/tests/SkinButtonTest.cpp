// The skinned push button: the style it takes over from the dialog's button, its answers to the
// dialog manager, colour slots, hover and click driven by injected mouse input, the faces it paints
// in every state (probed by pixel, written as PNGs), the link it opens and the menu it drops down,
// whose chosen command reaches the owner window.
#include "SkinButton.h"
#include "UikitRes.h"
#include "menus.h"

#include <framework/Afx.h>
#include <resources/Resource.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using testing_user::PixelAt;
using testing_user::SavePng;
using tolvar::user::InjectKey;
using tolvar::user::InjectMouse;
using tolvar::user::InjectText;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kPanel = RGB(0, 128, 0);

// Runs the queue through the class library's message step, so PreTranslateMessage sees everything.
void PumpLibrary() {
  MSG waiting;
  while (::PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE))
    if (!AfxPumpMessage()) break;
  testing_user::Pump();
}

// The dialog-like parent: a green panel that records the commands it is sent, and how often it ran
// the command of button 1001.
class Panel : public CWnd {
public:
  static constexpr UINT kMenuOpening = WM_APP + 7;
  std::vector<UINT> commands;
  int buttonRuns = 0;
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CWnd::GetMessageMap(), {MapCommand(1001, &Panel::OnButton)}};
    return &map;
  }
  void OnButton() { ++buttonRuns; }
  std::vector<std::pair<WPARAM, LPARAM>> openings;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kMenuOpening) openings.emplace_back(wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (lParam == 0) commands.push_back(LOWORD(wParam));
    return CWnd::OnCommand(wParam, lParam);
  }
};

struct Script {
  std::vector<std::function<void()>> steps;
  std::size_t next = 0;
};
Script g_script;
void Step(HWND, UINT, UINT_PTR, DWORD) {
  if (g_script.next < g_script.steps.size()) g_script.steps[g_script.next++]();
}

class SkinButtonTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_green = CreateSolidBrush(kPanel);
    ASSERT_TRUE(panel.CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS, nullptr, m_green), "Panel", WS_POPUP | WS_VISIBLE,
                               0, 0, 240, 120, nullptr, nullptr));
    ::SetActiveWindow(panel);
    PumpLibrary();
  }
  void TearDown() override {
    ::KillTimer(panel, 1);
    for (HWND child : m_children) ::DestroyWindow(child);
    panel.DestroyWindow();
    DeleteObject(m_green);
    InjectMouse({900, 700}, WM_MOUSEMOVE);
    PumpLibrary();
    g_script = {};
    GlyphMenu::xpDrawOnXpSystem = TRUE;
    GlyphMenu::xpDrawOnClassicSystem = FALSE;
  }
  // A dialog's button of `style` at (20, 20), 100 x 40, subclassed by `button`.
  void Make(CSkinButton& button, DWORD style, const char* caption = "Go", int id = 1001) {
    HWND window = ::CreateWindowExA(0, "Button", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 20, 20, 100, 40,
                                    panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    m_children.push_back(window);
    ASSERT_TRUE(button.SubclassWindow(window));
  }
  // The button's pixels, from the panel's picture.
  HBITMAP Shot(const char* name) {
    PumpLibrary();
    HBITMAP shot = tolvar::user::RenderWindow(panel);
    if (shot && name) SavePng(shot, name);
    return shot;
  }
  static POINT On(CWnd& window, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(window, &p);
    return p;
  }
  void Click(CWnd& window, int x = 50, int y = 20) {
    const POINT at = On(window, x, y);
    InjectMouse(at, WM_MOUSEMOVE);
    InjectMouse(at, WM_LBUTTONDOWN);
    InjectMouse(at, WM_LBUTTONUP);
  }
  static std::function<void()> Key(UINT key) {
    return [key] {
      InjectKey(key, true);
      InjectKey(key, false);
    };
  }

  Panel panel;
  HBRUSH m_green = nullptr;
  std::vector<HWND> m_children;
};

// Each kind of dialog button becomes owner-drawn; a default push button and check boxes are
// remembered, and the dialog manager is told which kind of push button it is.
TEST_F(SkinButtonTest, TakesOverTheButtonStyleAndAnswersTheDialogManager) {
  struct Case {
    DWORD style;
    bool isDefault, isCheckBox;
    LRESULT code;
  };
  const Case cases[] = {
      {BS_PUSHBUTTON, false, false, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {BS_DEFPUSHBUTTON, true, false, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
      {BS_CHECKBOX, false, true, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {BS_AUTOCHECKBOX, false, true, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {BS_AUTO3STATE, false, true, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {BS_RADIOBUTTON, false, false, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
  };
  for (const Case& c : cases) {
    CSkinButton button;
    Make(button, c.style);
    EXPECT_EQ(button.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW)) << c.style;
    EXPECT_EQ(static_cast<bool>(button.IsDefault()), c.isDefault) << c.style;
    EXPECT_EQ(static_cast<bool>(button.IsCheckBox()), c.isCheckBox) << c.style;
    EXPECT_EQ(button.SendMessage(WM_GETDLGCODE), c.code) << c.style;
    button.DestroyWindow();
  }
  // The dialog manager moves the default with BM_SETSTYLE; the button stays owner-drawn.
  CSkinButton button;
  Make(button, BS_PUSHBUTTON);
  button.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(button.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));
  EXPECT_EQ(button.SendMessage(WM_GETDLGCODE), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  button.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  EXPECT_EQ(button.SendMessage(WM_GETDLGCODE), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  // Other styles keep the default as it was.
  button.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  button.SendMessage(BM_SETSTYLE, BS_CHECKBOX, TRUE);
  EXPECT_TRUE(button.IsDefault());
  EXPECT_EQ(button.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));
  // The button answers its parent's colour question with the hollow brush.
  HDC dc = ::GetDC(button);
  EXPECT_EQ(panel.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(button.m_hWnd)),
            reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
  ::ReleaseDC(button, dc);
}

TEST_F(SkinButtonTest, SettingsRefuseWhatIsOutOfRange) {
  CSkinButton button;
  Make(button, BS_PUSHBUTTON);
  EXPECT_EQ(button.SetColor(5, RGB(1, 2, 3)), 0u);
  EXPECT_EQ(button.GetColor(5), RGB(1, 2, 3));
  EXPECT_EQ(button.SetColor(6, RGB(9, 9, 9)), 3u);
  EXPECT_EQ(button.SetColor(255, RGB(9, 9, 9)), 3u);
  EXPECT_EQ(button.SetPressedStyle(1), 0u);
  EXPECT_EQ(button.SetPressedStyle(2), 6u);
  // The link is cut to 259 bytes.
  const std::string longUrl = "https://example.org/" + std::string(300, 'a');
  EXPECT_EQ(button.SetURL(longUrl.c_str()), 0u);
  EXPECT_EQ(std::string(button.GetURL()), longUrl.substr(0, 259));
  button.SetURL(nullptr);
  EXPECT_STREQ(button.GetURL(), "");
  // A push button has no check state.
  button.SendMessage(BM_SETCHECK, BST_CHECKED);
  EXPECT_EQ(button.SendMessage(BM_GETCHECK), 0);
  // Bitmaps: none, or an out value that is no bitmap, leave the button without images. The button
  // takes the bitmaps it refuses; a handle of another kind it leaves alone.
  HBITMAP orphan = CreateCompatibleBitmap(nullptr, 8, 8);
  EXPECT_EQ(button.SetBitmapsByHandle(nullptr, kMagenta, orphan), 1u);
  EXPECT_EQ(GetObjectType(orphan), 0u);
  HBITMAP in = CreateCompatibleBitmap(nullptr, 8, 8);
  HBRUSH brush = CreateSolidBrush(kMagenta);
  EXPECT_EQ(button.SetBitmapsByHandle(in, kMagenta, reinterpret_cast<HBITMAP>(brush)), 1u);
  EXPECT_EQ(GetObjectType(in), 0u);
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  DeleteObject(brush);
  EXPECT_EQ(button.SetBitmaps(4242, kMagenta), 1u);
  // Menus that cannot be loaded, or whose pictures cannot, are refused.
  EXPECT_EQ(button.SetMenu(4242, panel), 1u);
  EXPECT_EQ(button.SetMenu(IDR_TEST_MENU, panel, TRUE, IDR_TEST_NO_BITMAP), 1u);
  EXPECT_EQ(button.Menu().m_hMenu, nullptr);
}

// A flat button shows a raised border while the mouse is over it, not before and not after; moving
// onto it with the button held does not hover it; a button that is not flat never hovers.
TEST_F(SkinButtonTest, HoverFollowsThePointerOnAFlatButton) {
  CSkinButton button;
  Make(button, BS_PUSHBUTTON);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), white = GetSysColor(COLOR_BTNHIGHLIGHT);
  auto corner = [&] {
    HBITMAP shot = Shot(nullptr);
    const COLORREF c = PixelAt(shot, 20, 20);
    DeleteObject(shot);
    return c;
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    bool hovered;
    COLORREF corner;
  };
  const Step steps[] = {
      {"idle", [] {}, false, face},
      {"over", [&] { InjectMouse(On(button, 30, 20), WM_MOUSEMOVE); }, true, white},
      {"moving on it", [&] { InjectMouse(On(button, 60, 20), WM_MOUSEMOVE); }, true, white},
      {"left", [&] { InjectMouse(On(panel, 200, 100), WM_MOUSEMOVE); }, false, face},
      {"held down outside", [&] { InjectMouse(On(panel, 200, 100), WM_LBUTTONDOWN); }, false, face},
      {"dragged over", [&] { InjectMouse(On(button, 30, 20), WM_MOUSEMOVE); }, false, face},
      {"released outside", [&] {
         InjectMouse(On(panel, 200, 100), WM_MOUSEMOVE);
         InjectMouse(On(panel, 200, 100), WM_LBUTTONUP);
       }, false, face},
      {"over again", [&] { InjectMouse(On(button, 30, 20), WM_MOUSEMOVE); }, true, white},
      {"disabled", [&] { button.EnableWindow(FALSE); }, false, face},
  };
  for (const Step& s : steps) {
    s.act();
    PumpLibrary();
    EXPECT_EQ(static_cast<bool>(button.IsHovered()), s.hovered) << s.what;
    EXPECT_EQ(corner(), s.corner) << s.what;
  }
  button.EnableWindow(TRUE);
  button.m_isFlat = FALSE;
  InjectMouse(On(button, 40, 20), WM_MOUSEMOVE);
  PumpLibrary();
  EXPECT_FALSE(button.IsHovered());
}

// Messages that take the pointer's or the window's attention away end the hover; the rest keep it.
TEST_F(SkinButtonTest, HoverEndsWithFocusActivationEnablingAndCancelMessages) {
  CSkinButton button;
  Make(button, BS_PUSHBUTTON);
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
    bool ends;
  };
  const Case cases[] = {
      {"WM_MOUSELEAVE", WM_MOUSELEAVE, 0, true},       {"WM_KILLFOCUS", WM_KILLFOCUS, 0, true},
      {"WM_CANCELMODE", WM_CANCELMODE, 0, true},       {"WM_ENABLE off", WM_ENABLE, FALSE, true},
      {"WM_ENABLE on", WM_ENABLE, TRUE, false},        {"WM_ACTIVATE inactive", WM_ACTIVATE, WA_INACTIVE, true},
      {"WM_ACTIVATE active", WM_ACTIVATE, WA_ACTIVE, false},
  };
  for (const Case& c : cases) {
    InjectMouse(On(panel, 200, 100), WM_MOUSEMOVE);
    InjectMouse(On(button, 30 + static_cast<int>(c.message % 7), 20), WM_MOUSEMOVE);
    PumpLibrary();
    ASSERT_TRUE(button.IsHovered()) << c.name;
    button.SendMessage(c.message, c.wParam, 0);
    EXPECT_EQ(!button.IsHovered(), c.ends) << c.name;
  }
  // A change of the system colours puts the default colours back.
  button.SetDefaultLook();
  button.SendMessage(WM_SYSCOLORCHANGE);
  EXPECT_EQ(button.GetColor(kSkinInBack), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(button.GetColor(kSkinFocusText), GetSysColor(COLOR_BTNTEXT));
}

// A check-box button toggles on each click; a double click is two clicks.
TEST_F(SkinButtonTest, CheckBoxTogglesOnEveryClickAndDoubleClicksCountTwice) {
  CSkinButton box;
  Make(box, BS_AUTOCHECKBOX, "Check");
  box.SetURL("https://example.org/ignored");
  struct Case {
    int clicks;
    int check;
  };
  const Case cases[] = {{1, 1}, {1, 0}, {2, 0}, {3, 1}};
  for (const Case& c : cases) {
    for (int i = 0; i < c.clicks; ++i) Click(box, 30 + i % 2, 20);  // close together: double clicks
    PumpLibrary();
    EXPECT_EQ(box.SendMessage(BM_GETCHECK), c.check) << c.clicks;
  }
  box.SendMessage(BM_SETCHECK, BST_INDETERMINATE);
  EXPECT_EQ(box.GetCheck(), 1);
  EXPECT_EQ(::GetFocus(), box.m_hWnd);  // a click takes the focus
}

TEST_F(SkinButtonTest, FacesOfEveryStateShowTheirColoursAndPicture) {
  CSkinButton button;
  Make(button, BS_PUSHBUTTON, "Phone");
  button.SetDefaultLook();
  ASSERT_EQ(button.SetBitmaps(IDB_UIKIT_PHONE_IN, kMagenta, IDB_UIKIT_PHONE_OUT, kMagenta), 0u);
  constexpr COLORREF kLight = RGB(0xB0, 0xC9, 0xFF), kDark = RGB(0x08, 0x2A, 0x82), kDarker = RGB(0x05, 0x1B, 0x67);
  // Inside the button: the face at its right end, the picture's body (x 4..11 of the 16 x 16 phone at
  // the left margin 3, centred vertically) and any text pixel of the caption's colour.
  struct Case {
    const char* name;
    std::function<void()> act;
    COLORREF face, body, text;
    bool pressedShift;
  };
  const Case cases[] = {
      {"button_idle", [] {}, kLight, RGB(100, 100, 100), kDark, false},
      {"button_hovered", [&] { InjectMouse(On(button, 60, 20), WM_MOUSEMOVE); }, kLight, kDark, kDark, false},
      {"button_pressed", [&] { InjectMouse(On(button, 60, 20), WM_LBUTTONDOWN); }, kLight, kDark, kDark, true},
      {"button_focused", [&] {
         InjectMouse(On(button, 60, 20), WM_LBUTTONUP);
         InjectMouse(On(panel, 200, 100), WM_MOUSEMOVE);
       }, kLight, RGB(100, 100, 100), kDarker, false},
      {"button_disabled", [&] { button.EnableWindow(FALSE); }, kLight, 0, GetSysColor(COLOR_3DSHADOW), false},
  };
  for (const Case& c : cases) {
    c.act();
    HBITMAP shot = Shot(c.name);
    const int shift = c.pressedShift ? 1 : 0;
    EXPECT_EQ(PixelAt(shot, 20 + 96, 20 + 30), c.face) << c.name;
    if (c.body) {
      EXPECT_EQ(PixelAt(shot, 20 + 3 + 4 + 1 + shift, 20 + 12 + 12 + shift), c.body) << c.name;
    }
    // The see-through magenta never shows.
    bool magenta = false, text = false;
    for (int x = 20; x < 120; ++x)
      for (int y = 20; y < 60; ++y) {
        magenta |= PixelAt(shot, x, y) == kMagenta;
        text |= x > 20 + 3 + 16 && PixelAt(shot, x, y) == c.text;
      }
    EXPECT_FALSE(magenta) << c.name;
    EXPECT_TRUE(text) << c.name;
    DeleteObject(shot);
  }
}

// The picture above the caption (centred across, at the top margin, the caption below it) and at
// the right (at the right margin, centred down, the caption to its left), in a 100 x 40 button.
TEST_F(SkinButtonTest, ThePictureGoesAboveOrRightOfTheCaption) {
  constexpr COLORREF kBody = RGB(100, 100, 100), kText = RGB(0x08, 0x2A, 0x82);
  struct Case {
    const char* name;
    SkinButtonAlign align;
    POINT image;  // the picture's top left in the button
    RECT text;    // where the caption's pixels may be, in the button
  };
  const Case cases[] = {
      {"button_image_above", kSkinImageAbove, {42, 3}, {0, 16, 100, 40}},
      {"button_image_right", kSkinImageRight, {81, 12}, {0, 0, 81, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSkinButton button;
    Make(button, BS_PUSHBUTTON, "Phone");
    button.SetDefaultLook();
    button.m_align = c.align;
    ASSERT_EQ(button.SetBitmaps(IDB_UIKIT_PHONE_IN, kMagenta, IDB_UIKIT_PHONE_OUT, kMagenta), 0u);
    button.Invalidate();
    HBITMAP shot = Shot(c.name);
    // The phone's body is at (5, 12) of its 16 x 16 picture.
    EXPECT_EQ(PixelAt(shot, 20 + c.image.x + 5, 20 + c.image.y + 12), kBody);
    int inside = 0, outside = 0;
    for (int x = 0; x < 100; ++x)
      for (int y = 0; y < 40; ++y) {
        if (PixelAt(shot, 20 + x, 20 + y) != kText) continue;
        const bool inPicture = x >= c.image.x && x < c.image.x + 16 && y >= c.image.y && y < c.image.y + 16;
        if (inPicture) continue;
        (x >= c.text.left && x < c.text.right && y >= c.text.top && y < c.text.bottom ? inside : outside)++;
      }
    EXPECT_GT(inside, 0);
    EXPECT_EQ(outside, 0);
    DeleteObject(shot);
    button.DestroyWindow();
  }
}

// A button that is not flat: the default one is framed in black inside a raised border, pressed it
// shows a flat shadow frame; a checked check box shows its in face, sunken.
TEST_F(SkinButtonTest, RaisedButtonsAndCheckedBoxesDrawTheirBorders) {
  const COLORREF white = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                 dark = GetSysColor(COLOR_3DDKSHADOW), face = GetSysColor(COLOR_BTNFACE);
  CSkinButton button;
  Make(button, BS_DEFPUSHBUTTON, "OK");
  button.m_isFlat = FALSE;
  button.Invalidate();
  struct Probe {
    int x, y;
    COLORREF colour;
  };
  struct Case {
    const char* name;
    std::function<void()> act;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"button_raised_default", [] {}, {{20, 20, RGB(0, 0, 0)}, {21, 21, white}, {60, 58, dark}, {60, 57, shadow}, {30, 40, face}}},
      {"button_raised_pressed", [&] { button.SendMessage(BM_SETSTATE, TRUE); },
       {{20, 20, RGB(0, 0, 0)}, {21, 21, shadow}, {60, 58, shadow}, {22, 22, face}}},
  };
  for (const Case& c : cases) {
    c.act();
    HBITMAP shot = Shot(c.name);
    for (const Probe& p : c.probes) EXPECT_EQ(PixelAt(shot, p.x, p.y), p.colour) << c.name << " " << p.x << "," << p.y;
    DeleteObject(shot);
  }
  button.SendMessage(BM_SETSTATE, FALSE);
  button.DestroyWindow();

  CSkinButton box;
  Make(box, BS_AUTOCHECKBOX, "Check");
  box.SetColor(kSkinInBack, RGB(255, 255, 0));
  box.SetCheck(TRUE);
  HBITMAP shot = Shot("button_checkbox_checked");
  EXPECT_EQ(PixelAt(shot, 20, 20), shadow);                    // sunken
  EXPECT_EQ(PixelAt(shot, 119, 59), white);
  EXPECT_EQ(PixelAt(shot, 60, 25), RGB(255, 255, 0));          // the in face
  DeleteObject(shot);
}

// The out face made from the in bitmap: grey levels (-2) or darkened by a quarter (-3); the same
// bitmap given for both faces keeps its see-through colour in both.
TEST_F(SkinButtonTest, DerivedAndSharedOutFaces) {
  CSkinButton button;
  Make(button, BS_PUSHBUTTON, "");
  auto phone = [] {
    return static_cast<HBITMAP>(LoadImageA(AfxFindResourceHandle(MAKEINTRESOURCEA(IDB_UIKIT_PHONE_IN), RT_BITMAP),
                                           MAKEINTRESOURCEA(IDB_UIKIT_PHONE_IN), IMAGE_BITMAP, 0, 0, 0));
  };
  const int grey = static_cast<int>(0.299 * 0x08 + 0.587 * 0x2A + 0.114 * 0x82);
  struct Case {
    const char* name;
    INT_PTR out;
    COLORREF body;
  };
  const Case cases[] = {
      {"button_out_grey", SKIN_BITMAP_GRAY, RGB(grey, grey, grey)},
      {"button_out_dark", SKIN_BITMAP_DARK, CSkinButton::DarkenColour(RGB(0x08, 0x2A, 0x82), 0.25)},
      {"button_out_same", 0, RGB(0x08, 0x2A, 0x82)},
  };
  for (const Case& c : cases) {
    HBITMAP in = phone();
    HBITMAP out = c.out ? reinterpret_cast<HBITMAP>(c.out) : in;
    ASSERT_EQ(button.SetBitmapsByHandle(in, kMagenta, out, kMagenta), 0u) << c.name;
    HBITMAP shot = Shot(c.name);
    // Without a caption the picture is centred: (20 + 42, 20 + 12).
    EXPECT_EQ(PixelAt(shot, 20 + 42 + 5, 20 + 12 + 12), c.body) << c.name;
    EXPECT_EQ(PixelAt(shot, 20 + 42 + 1, 20 + 12 + 8), GetSysColor(COLOR_BTNFACE)) << c.name;  // see-through
    DeleteObject(shot);
  }
  EXPECT_EQ(CSkinButton::DarkenColour(RGB(100, 201, 7), 0.25), RGB(75, 150, 5));
  EXPECT_EQ(CSkinButton::DarkenColour(RGB(100, 201, 7), 1.0), RGB(100, 201, 7));
}

// Transparent: the panel's green shows through the button.
TEST_F(SkinButtonTest, TransparentButtonShowsTheParentBehindIt) {
  CSkinButton button;
  Make(button, BS_PUSHBUTTON, "");
  button.m_transparent = TRUE;
  button.Invalidate();
  HBITMAP shot = Shot("button_transparent");
  EXPECT_EQ(PixelAt(shot, 20 + 50, 20 + 20), kPanel);
  DeleteObject(shot);
}

// A click opens the link with the shell's opener (a recorder here), cut as stored.
// A plain push button's click is the dialog's command: the parent runs it once, clicked or pressed
// with the space bar. A check box and a button with a menu keep their clicks to themselves.
TEST_F(SkinButtonTest, OnlyAPlainPushButtonsClickRunsTheParentsCommand) {
  struct Case {
    const char* name;
    DWORD style;
    bool menu;
    bool byKey;
    int runs;
    int check;
  } const cases[] = {
      {"push button clicked", BS_PUSHBUTTON, false, false, 1, 0},
      {"push button by the space bar", BS_PUSHBUTTON, false, true, 1, 0},
      {"default push button clicked", BS_DEFPUSHBUTTON, false, false, 1, 0},
      {"check box clicked", BS_AUTOCHECKBOX, false, false, 0, 1},
      {"check box by the space bar", BS_AUTOCHECKBOX, false, true, 0, 1},
      {"button with a menu clicked", BS_PUSHBUTTON, true, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSkinButton button;
    Make(button, c.style, "Go", 1001);
    if (c.menu) {
      ASSERT_EQ(button.SetMenu(IDR_TEST_MENU, panel), 0u);
    }
    panel.buttonRuns = 0;
    panel.commands.clear();
    g_script = {{Key(VK_ESCAPE)}, 0};  // closes the menu where one opens
    ::SetTimer(panel, 1, 15, Step);
    if (c.byKey) {
      button.SetFocus();
      Key(VK_SPACE)();
    } else {
      Click(button);
    }
    PumpLibrary();
    ::KillTimer(panel, 1);
    PumpLibrary();
    EXPECT_EQ(panel.buttonRuns, c.runs);
    EXPECT_TRUE(panel.commands.empty());
    EXPECT_EQ(button.GetCheck(), c.check);
    button.DestroyWindow();
    InjectMouse({900, 700}, WM_MOUSEMOVE);  // no double click with the next button
    PumpLibrary();
  }
}

TEST_F(SkinButtonTest, ClickOpensTheLink) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(testing::TempDir()) / ("uikit-opener-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path record = folder / "opened";
  {
    std::ofstream script(folder / "xdg-open");
    script << "#!/bin/sh\nprintf '%s' \"$1\" > '" << record.string() << ".part' && mv '" << record.string()
           << ".part' '" << record.string() << "'\n";
  }
  fs::permissions(folder / "xdg-open", fs::perms::owner_all);
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (folder.string() + ":" + oldPath).c_str(), 1);

  CSkinButton button;
  Make(button, BS_PUSHBUTTON, "Web");
  const std::string url = "https://example.org/phones?model=a b;c";
  button.SetURL(url.c_str());
  Click(button);
  PumpLibrary();
  // The opener is not waited for: wait for its record (bounded generously for a loaded machine).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  setenv("PATH", oldPath.c_str(), 1);
  ASSERT_TRUE(fs::exists(record));
  std::ifstream in(record);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), url);
  fs::remove_all(folder);
}

// The attached menu drops down under the button, which looks pressed meanwhile; the command chosen
// by keys, by a typed mnemonic or by a click is posted to the owner window. A link is then ignored.
TEST_F(SkinButtonTest, AttachedMenuReturnsTheChosenCommandToTheOwner) {
  CSkinButton button;
  Make(button, BS_PUSHBUTTON, "File");
  ASSERT_EQ(button.SetMenu(IDR_TEST_MENU, panel, TRUE, IDR_UIKIT_COMMANDS, 16, 15, RGB(192, 192, 192)), 0u);
  button.SetURL("https://example.org/never");
  button.m_menuNotify = {panel, Panel::kMenuOpening, 77};
  COLORREF pressedCorner = 0;
  RECT below{};
  auto whileOpen = [&] {
    HBITMAP shot = tolvar::user::RenderWindow(panel);
    pressedCorner = PixelAt(shot, 20, 20);
    DeleteObject(shot);
    HWND popup = ::FindWindowA("#32768", nullptr);
    ::GetWindowRect(popup, &below);
    if (HBITMAP menu = tolvar::user::RenderWindow(popup)) {
      SavePng(menu, "button_menu_open");
      DeleteObject(menu);
    }
  };
  struct Case {
    const char* how;
    std::vector<std::function<void()>> steps;
    UINT command;
  };
  const Case cases[] = {
      {"keys", {whileOpen, Key(VK_DOWN), Key(VK_DOWN), Key(VK_RETURN)}, ID_UIKIT_SAVE},
      {"mnemonic", {[] { InjectText("g"); }}, ID_UIKIT_SETTINGS},
      {"sub-menu by keys", {Key(VK_DOWN), Key(VK_DOWN), Key(VK_DOWN), Key(VK_RIGHT), Key(VK_RETURN)}, ID_UIKIT_CONNECT},
      {"click", {[] {
         HWND popup = ::FindWindowA("#32768", nullptr);
         RECT r;
         ::GetClientRect(popup, &r);
         POINT at{30, r.bottom - 5};  // the last entry, "Exit"
         ::ClientToScreen(popup, &at);
         InjectMouse(at, WM_MOUSEMOVE);
         InjectMouse(at, WM_LBUTTONDOWN);
         InjectMouse(at, WM_LBUTTONUP);
       }}, ID_TEST_EXIT},
  };
  for (const Case& c : cases) {
    panel.commands.clear();
    g_script = {c.steps, 0};
    ::SetTimer(panel, 1, 15, Step);
    Click(button);
    PumpLibrary();
    ::KillTimer(panel, 1);
    PumpLibrary();
    EXPECT_EQ(panel.commands, (std::vector<UINT>{c.command})) << c.how;
  }
  // Each time, the notified window heard of the pop-up before it opened.
  ASSERT_EQ(panel.openings.size(), std::size(cases));
  CMenu* opened = reinterpret_cast<CMenu*>(panel.openings.front().first);
  EXPECT_EQ(opened->m_hMenu, ::GetSubMenu(button.Menu(), 0));
  EXPECT_EQ(panel.openings.front().second, 77);
  // While open: drawn pressed (the flat button's sunken border), the menu at the lower-left corner.
  EXPECT_EQ(pressedCorner, GetSysColor(COLOR_BTNSHADOW));
  RECT buttonRect;
  button.GetWindowRect(&buttonRect);
  EXPECT_EQ(below.left, buttonRect.left);
  EXPECT_EQ(below.top, buttonRect.bottom);

  // The button's font becomes the menu's too, in the sub-menus that draw the entries.
  GlyphMenu* phone = button.Menu().SubMenu(::GetSubMenu(button.Menu(), 0));
  ASSERT_NE(phone, nullptr);
  MEASUREITEMSTRUCT before{ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(phone->Items()[5].get())};
  phone->MeasureItem(&before);
  button.SetFont("Verdana", 24, TRUE, FALSE);
  MEASUREITEMSTRUCT after = before;
  phone->MeasureItem(&after);
  EXPECT_GT(after.itemWidth, before.itemWidth);
}

TEST_F(SkinButtonTest, TooltipIsMadeInactiveOnTheFirstMessage) {
  CSkinButton button;
  Make(button, BS_PUSHBUTTON);
  EXPECT_EQ(button.ToolTip().m_hWnd, nullptr);
  InjectMouse(On(button, 30, 20), WM_MOUSEMOVE);
  PumpLibrary();
  ASSERT_NE(button.ToolTip().m_hWnd, nullptr);
  EXPECT_EQ(button.ToolTip().GetMaxTipWidth(), 400);
  EXPECT_EQ(::GetWindow(button.ToolTip(), GW_OWNER), panel.m_hWnd);  // pop-ups belong to the top level
}

}  // namespace
