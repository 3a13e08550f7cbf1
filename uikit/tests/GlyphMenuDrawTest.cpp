// The menu's pictures: toolbar records and the command images they give, the colour rules of
// 16-colour drawings, entries drawn in both looks probed by pixel (and written as PNGs), and a
// menu tracked by injected keys and clicks that answers its owner with the chosen command.
#include "GlyphMenu.h"
#include "MenuImageToolBar.h"
#include "UikitRes.h"
#include "menus.h"

#include <framework/Wnd.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <string>
#include <vector>

namespace {

using testing_user::PixelAt;
using testing_user::Pump;
using testing_user::SavePng;

constexpr COLORREF kFace = RGB(212, 208, 200);
constexpr COLORREF kSelect = RGB(0x08, 0x2A, 0x82);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Each test states the look it draws in, whatever system the platform reports (the look on an XP
// system and on a classic one, TOLVAR_WINDOWS_VERSION=5.0); the system only changes colours.
class MenuPictures : public ::testing::Test {
protected:
  static void StateLook(BOOL xp) {
    GlyphMenu::xpDrawOnXpSystem = xp;
    GlyphMenu::xpDrawOnClassicSystem = xp;
  }
  void SetUp() override { StateLook(TRUE); }
  void TearDown() override {
    GlyphMenu::xpDrawOnXpSystem = TRUE;
    GlyphMenu::xpDrawOnClassicSystem = FALSE;
    GlyphMenu::shadeImages = TRUE;
  }
  static GlyphMenu* Sub(GlyphMenu& menu, int position) { return menu.SubMenu(::GetSubMenu(menu, position)); }
  // The colours that differ between an XP system and a classic one: the XP look's image bar, its
  // selection and its disabled text, the classic look's background, and the images' shadow.
  static bool XpSystem() { return IsXPLook(); }
  static COLORREF Bar() { return XpSystem() ? kFace : LightenColour(kFace, 0.25); }
  static COLORREF SelectionFill() { return LightenColour(kSelect, XpSystem() ? 0.7 : 0.85); }
  static COLORREF XpGreyText() {
    return XpSystem() ? GetSysColor(COLOR_GRAYTEXT) : LightenColour(GetSysColor(COLOR_GRAYTEXT), 0.4);
  }
  static COLORREF ClassicBackground() { return XpSystem() ? kFace : RGB(0xE1, 0xEA, 0xFD); }
  static COLORREF Shadow() {
    return XpSystem() ? GetSysColor(COLOR_BTNSHADOW) : LightenColour(GetSysColor(COLOR_BTNSHADOW), 0.49);
  }
};

TEST_F(MenuPictures, ToolbarRecordsGiveEachButtonItsImage) {
  MenuImageToolBar toolbar;
  ASSERT_TRUE(toolbar.LoadToolBar(IDR_UIKIT_COMMANDS));
  EXPECT_EQ(toolbar.ImageWidth(), 16);
  EXPECT_EQ(toolbar.ImageHeight(), 15);
  EXPECT_EQ(toolbar.Buttons(), (std::vector<UINT>{ID_UIKIT_OPEN, 0, ID_UIKIT_SAVE, ID_UIKIT_DELETE}));
  BITMAP bitmap{};
  ASSERT_TRUE(GetObjectA(toolbar.Bitmap(), sizeof bitmap, &bitmap));
  EXPECT_EQ(bitmap.bmWidth, 48);
  // Images count buttons, not separators; a command the toolbar lacks has none.
  const std::pair<UINT, int> images[] = {{ID_UIKIT_OPEN, 0}, {ID_UIKIT_SAVE, 1}, {ID_UIKIT_DELETE, 2},
                                         {ID_UIKIT_CONNECT, -1}, {0, -1}};
  for (const auto& [command, image] : images) EXPECT_EQ(toolbar.ImageOfCommand(command), image) << command;
  EXPECT_EQ(toolbar.ImageOfButton(1), -1);
  EXPECT_EQ(toolbar.ImageOfButton(9), -1);

  EXPECT_FALSE(MenuImageToolBar().LoadToolBar(IDR_TEST_NO_BITMAP));
  EXPECT_FALSE(MenuImageToolBar().LoadToolBar(4242));
  // A record shorter than its count says is refused.
  const BYTE shortRecord[] = {1, 0, 16, 0, 15, 0, 3, 0, 0x01, 0xE1};
  EXPECT_FALSE(MenuImageToolBar().ReadRecord(shortRecord));
  const BYTE empty[] = {1, 0, 16, 0};
  EXPECT_FALSE(MenuImageToolBar().ReadRecord(empty));
}

// One test for the program-wide image list, whose state every addition changes.
TEST_F(MenuPictures, CommandImagesComeFromToolbarsInTripletsAndKeepTheirIndex) {
  GlyphMenu menu;
  const auto& ids = GlyphMenu::CommandImageIds();
  // The list lives as long as the process: a repeated run finds "connect" added by the run before.
  const bool connectKnown = std::find(ids.begin(), ids.end(), static_cast<UINT>(ID_UIKIT_CONNECT)) != ids.end();
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  GlyphMenu* phone = Sub(menu, 0);
  GlyphMenu* more = Sub(*phone, 3);
  ASSERT_TRUE(menu.LoadToolbarImages(IDR_UIKIT_COMMANDS));

  const int open = phone->Items()[0]->m_commandImageIndex;
  const int save = phone->Items()[1]->m_commandImageIndex;
  const int remove = more->Items()[1]->m_commandImageIndex;
  ASSERT_GE(open, 0);
  ASSERT_GE(save, 0);
  ASSERT_GE(remove, 0);
  EXPECT_EQ(more->Items()[2]->m_commandImageIndex, save);  // the second "save" shares the picture
  if (!connectKnown) {
    EXPECT_EQ(more->Items()[0]->m_commandImageIndex, -1);  // "connect" is not on that toolbar
  }
  for (auto [index, command] : {std::pair{open, ID_UIKIT_OPEN}, {save, ID_UIKIT_SAVE}, {remove, ID_UIKIT_DELETE}}) {
    EXPECT_EQ(ids[index], static_cast<UINT>(command));
    EXPECT_TRUE(GlyphMenu::HasImageTriplet(index)) << command;  // XP look with shading
  }
  EXPECT_EQ(ImageList_GetImageCount(GlyphMenu::CommandImages()), static_cast<int>(ids.size()));

  // The picture of "open" on red: the silver of the 16-colour drawing became the face colour and
  // shows through; its yellow and black stay; the faded copy is lighter, the shadow flat grey.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP canvas = CreateCompatibleBitmap(nullptr, 48, 15);
  HGDIOBJ old = SelectObject(dc, canvas);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{0, 0, 48, 15};
  FillRect(dc, &all, red);
  for (int k = 0; k < 3; ++k) ImageList_Draw(GlyphMenu::CommandImages(), open + k, dc, 16 * k, 0, ILD_TRANSPARENT);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(red);
  SavePng(canvas, "menu_open_triplet");
  EXPECT_EQ(PixelAt(canvas, 0, 14), RGB(255, 0, 0));      // background
  EXPECT_EQ(PixelAt(canvas, 1, 4), RGB(0, 0, 0));          // outline
  EXPECT_EQ(PixelAt(canvas, 3, 6), RGB(255, 255, 0));      // folder
  EXPECT_EQ(PixelAt(canvas, 16 + 1, 4), LightenColour(RGB(0, 0, 0), 0.3));
  EXPECT_EQ(PixelAt(canvas, 16 + 3, 6), RGB(255, 255, 76));
  EXPECT_EQ(PixelAt(canvas, 32 + 3, 6), Shadow());
  EXPECT_EQ(PixelAt(canvas, 32 + 0, 14), RGB(255, 0, 0));
  DeleteObject(canvas);

  // An entry appended later takes the command's picture; one for a command the toolbar lacks
  // gets none rather than another command's.
  const std::size_t before = ids.size();
  ASSERT_TRUE(phone->AppendItem(u"Open again", 0, ID_UIKIT_OPEN, IDR_UIKIT_COMMANDS));
  EXPECT_EQ(phone->Items().back()->m_commandImageIndex, open);
  ASSERT_TRUE(phone->AppendItem(u"Elsewhere", 0, 0x7F55, IDR_UIKIT_COMMANDS));
  EXPECT_EQ(phone->Items().back()->m_commandImageIndex, -1);
  ASSERT_TRUE(phone->AppendItem(u"Open by id", 0, ID_UIKIT_OPEN, -1));
  EXPECT_EQ(phone->Items().back()->m_commandImageIndex, open);
  EXPECT_EQ(ids.size(), before);

  // Without shading an added picture takes one entry.
  GlyphMenu::shadeImages = FALSE;
  ASSERT_TRUE(menu.ModifyItem("Connect", ID_UIKIT_CONNECT, IDR_UIKIT_COMMANDS20));
  const int connectFirst = more->Items()[0]->m_commandImageIndex;
  ASSERT_GE(connectFirst, 0);
  EXPECT_EQ(ids.size(), before + (connectKnown ? 0 : 1));
  GlyphMenu other;
  ASSERT_TRUE(other.LoadMenu(IDR_TEST_MENU));
  other.SetMaskColour(RGB(255, 0, 255));
  ASSERT_TRUE(other.LoadToolbarImages(IDR_UIKIT_COMMANDS20));
  // The 20-pixel toolbar widens this menu's images for all later additions.
  EXPECT_EQ(other.ImageWidth(), 20);
  EXPECT_EQ(other.ImageHeight(), 20);
  const int connect = Sub(*Sub(other, 0), 3)->Items()[0]->m_commandImageIndex;
  ASSERT_GE(connect, 0);
  EXPECT_EQ(connect, connectFirst);  // the command's entry is replaced, not added again
  EXPECT_EQ(ids[connect], static_cast<UINT>(ID_UIKIT_CONNECT));
  EXPECT_FALSE(GlyphMenu::HasImageTriplet(connect));
  // A true-colour drawing is loaded as it is: its silver pin stays silver, where a 16-colour one's
  // silver turns into the face colour; magenta, named as the see-through colour, shows the red behind.
  {
    HIMAGELIST list = ImageList_Create(20, 20, ILC_COLORDDB | ILC_MASK, 1, 1);
    ASSERT_TRUE(other.AddBitmapToList(list, IDR_UIKIT_COMMANDS20));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(nullptr, 20, 20);
    HGDIOBJ old = SelectObject(dc, picture);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{0, 0, 20, 20};
    FillRect(dc, &all, red);
    ImageList_Draw(list, 0, dc, 0, 0, ILD_TRANSPARENT);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(red);
    ImageList_Destroy(list);
    SavePng(picture, "menu_connect");
    EXPECT_EQ(PixelAt(picture, 9, 9), RGB(192, 192, 192));
    EXPECT_EQ(PixelAt(picture, 9, 3), RGB(0, 100, 0));
    EXPECT_EQ(PixelAt(picture, 0, 0), RGB(255, 0, 0));
    DeleteObject(picture);
  }

  EXPECT_FALSE(menu.LoadToolbarImages(IDR_TEST_NO_BITMAP));
  EXPECT_FALSE(menu.LoadToolbarImages(4242));
}

// A disabled entry's picture is embossed: its shape in the shadow colour with a highlight one pixel
// down and right, its face colour turned into the background. A checked radio entry shows a round
// dot in the text colour where other entries show a check mark, in either look's box.
TEST_F(MenuPictures, DisabledImagesAreEmbossedAndRadioEntriesShowADot) {
  GlyphMenu menu;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(nullptr, 6, 6);
  HGDIOBJ old = SelectObject(dc, picture);
  RECT all{0, 0, 6, 6};
  HBRUSH face = CreateSolidBrush(menu.m_maskFaceColour);
  FillRect(dc, &all, face);
  DeleteObject(face);
  RECT square{2, 2, 4, 4};
  FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SelectObject(dc, old);
  HBITMAP canvas = CreateCompatibleBitmap(nullptr, 20, 20);
  old = SelectObject(dc, canvas);
  RECT whole{0, 0, 20, 20};
  FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  menu.DrawDisabledImage(dc, 0, 0, 6, 6, picture, 0, 0, RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));  // the face became the background
  EXPECT_EQ(GetPixel(dc, 2, 2), menu.m_maskShadowColour);
  EXPECT_EQ(GetPixel(dc, 3, 3), menu.m_maskShadowColour);
  EXPECT_EQ(GetPixel(dc, 4, 4), menu.m_highlightColour2);  // the highlight below and right
  EXPECT_EQ(GetPixel(dc, 4, 2), RGB(255, 0, 0));
  DeleteObject(picture);

  for (bool xp : {true, false}) {
    SCOPED_TRACE(xp ? "XP look" : "classic look");
    FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const RECT box{2, 2, 18, 18};
    if (xp) menu.DrawCheckBoxXP(dc, box, kSelect, TRUE);
    else menu.DrawCheckBox(dc, box, FALSE, TRUE);
    const COLORREF fill = GetPixel(dc, box.left + 2, box.top + 2);
    // The dot's 6-pixel square starts at (5, 4) in the box: solid in its middle, round at its corners.
    const int x = box.left + 5, y = box.top + 4;
    EXPECT_EQ(GetPixel(dc, x + 3, y + 3), menu.m_textColour);
    EXPECT_EQ(GetPixel(dc, x + 2, y + 2), menu.m_textColour);
    EXPECT_EQ(GetPixel(dc, x, y), fill);
    EXPECT_EQ(GetPixel(dc, x + 5, y + 5), fill);
    // A check mark instead leaves the dot's middle row partly empty.
    FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (xp) menu.DrawCheckBoxXP(dc, box, kSelect, FALSE);
    else menu.DrawCheckBox(dc, box, FALSE, FALSE);
    int marked = 0;
    for (int dx = 0; dx < 6; ++dx)
      for (int dy = 0; dy < 6; ++dy) marked += GetPixel(dc, x + dx, y + dy) == menu.m_textColour;
    EXPECT_LT(marked, 20);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  SavePng(canvas, "menu_radio_classic");
  DeleteObject(canvas);
}

// Each entry of the "Phone" pop-up drawn into a bitmap the way the window manager asks for it.
class DrawnEntries : public MenuPictures {
protected:
  static constexpr int kWidth = 160;
  struct Entry {
    int position;
    UINT state;
  };
  // The entries one under the other; returns the bitmap and each entry's rectangle.
  HBITMAP Draw(GlyphMenu& level, const std::vector<Entry>& entries, std::vector<RECT>& rects) {
    int height = 0;
    for (const Entry& e : entries) {
      MEASUREITEMSTRUCT measure{ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(level.Items()[e.position].get())};
      level.MeasureItem(&measure);
      rects.push_back({0, height, kWidth, height + static_cast<int>(measure.itemHeight)});
      height += static_cast<int>(measure.itemHeight);
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateCompatibleBitmap(nullptr, kWidth, height);
    HGDIOBJ old = SelectObject(dc, canvas);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const GlyphMenuItem* item = level.Items()[entries[i].position].get();
      DRAWITEMSTRUCT draw{ODT_MENU, 0, static_cast<UINT>(item->m_commandId), ODA_DRAWENTIRE, entries[i].state,
                          reinterpret_cast<HWND>(level.m_hMenu), dc, rects[i], reinterpret_cast<ULONG_PTR>(item)};
      level.DrawItem(&draw);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return canvas;
  }
};

TEST_F(DrawnEntries, XpLookShowsTheImageBarTheFramedSelectionChecksAndGreyText) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  ASSERT_TRUE(menu.LoadToolbarImages(IDR_UIKIT_COMMANDS));
  GlyphMenu& phone = *Sub(menu, 0);
  // Pictures are program-wide: other tests may have given these commands one. Here "settings" has
  // none (it is drawn checked below).
  phone.Items()[4]->m_commandImageIndex = -1;
  std::vector<RECT> r;
  HBITMAP canvas = Draw(phone, {{0, 0}, {0, ODS_SELECTED}, {1, ODS_CHECKED}, {2, 0}, {5, ODS_GRAYED}, {4, ODS_CHECKED}}, r);
  SavePng(canvas, "menu_xp_phone");
  const int bar = 16 + 7;
  const int mid0 = (r[0].top + r[0].bottom) / 2;
  EXPECT_EQ(PixelAt(canvas, 1, r[0].top + 1), Bar());                 // the bar
  EXPECT_EQ(PixelAt(canvas, kWidth - 3, mid0), kWhite);                // the text area
  EXPECT_EQ(PixelAt(canvas, 0, r[1].top), kSelect);                    // the selection frame
  EXPECT_EQ(PixelAt(canvas, kWidth - 3, r[1].top + 2), SelectionFill());
  // The checked "save" with its picture: a light box framed in the selection colour.
  EXPECT_EQ(PixelAt(canvas, 1, r[2].top + 1), kSelect);
  EXPECT_EQ(PixelAt(canvas, 2, r[2].top + 2), LightenColour(kSelect, 0.85));
  // The separator: bar, then an etched line in the text area.
  const int line = r[3].top + (r[3].bottom - r[3].top) / 2;
  EXPECT_EQ(PixelAt(canvas, 1, line), Bar());
  EXPECT_EQ(PixelAt(canvas, bar + 7 + 5, line), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelAt(canvas, bar + 7 + 5, line + 1), kWhite);
  // "Exit" disabled: grey text only, no selection.
  bool grey = false, dark = false;
  for (int x = bar + 8; x < kWidth; ++x)
    for (int y = r[4].top; y < r[4].bottom; ++y) {
      grey |= PixelAt(canvas, x, y) == XpGreyText();
      dark |= PixelAt(canvas, x, y) == kSelect;
    }
  EXPECT_TRUE(grey);
  EXPECT_FALSE(dark);
  // "Settings" checked without a picture: the 16 x 16 box with the mark in the text colour.
  const int boxLeft = (bar - 16 + 1) / 2, boxTop = r[5].top + (r[5].bottom - r[5].top - 16 + 1) / 2;
  EXPECT_EQ(PixelAt(canvas, boxLeft, boxTop), kSelect);
  EXPECT_EQ(PixelAt(canvas, boxLeft + 5, boxTop + 4 + 2), kSelect);  // the mark's first stroke
  EXPECT_EQ(PixelAt(canvas, boxLeft + 2, boxTop + 2), LightenColour(kSelect, 0.85));
  DeleteObject(canvas);
}

TEST_F(DrawnEntries, ClassicLookFillsTheSelectionAndEmbossesDisabledText) {
  StateLook(FALSE);
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  ASSERT_TRUE(menu.LoadToolbarImages(IDR_UIKIT_COMMANDS));
  GlyphMenu& phone = *Sub(menu, 0);
  GlyphMenu& more = *Sub(phone, 3);
  more.Items()[0]->m_commandImageIndex = -1;  // "connect" without a picture (see above)
  std::vector<RECT> r;
  HBITMAP canvas = Draw(more, {{0, 0}, {0, ODS_SELECTED}, {1, ODS_GRAYED}, {1, ODS_GRAYED | ODS_SELECTED},
                               {2, ODS_SELECTED | ODS_CHECKED}, {0, ODS_CHECKED}}, r);
  SavePng(canvas, "menu_classic_more");
  // The face colour is the background on an XP system drawing the classic look; a classic system
  // has a light blue one.
  EXPECT_EQ(PixelAt(canvas, kWidth - 3, r[0].top + 2), ClassicBackground());
  // Selected without a picture: the whole row in the selection colour, white text on it.
  EXPECT_EQ(PixelAt(canvas, 1, r[1].top + 1), kSelect);
  bool whiteText = false;
  for (int x = 16 + 9; x < kWidth; ++x)
    for (int y = r[1].top; y < r[1].bottom; ++y) whiteText |= PixelAt(canvas, x, y) == kWhite;
  EXPECT_TRUE(whiteText);
  // Disabled: text embossed in white and grey; disabled and selected: in the background colour.
  bool highlight = false, grey = false;
  for (int x = 16 + 9; x < kWidth; ++x)
    for (int y = r[2].top; y < r[2].bottom; ++y) {
      highlight |= PixelAt(canvas, x, y) == kWhite;
      grey |= PixelAt(canvas, x, y) == GetSysColor(COLOR_GRAYTEXT);
    }
  EXPECT_TRUE(highlight);
  EXPECT_TRUE(grey);
  // Selected with a picture: the selection starts after the image box, which is sunken when checked.
  const int dy = std::max(0, static_cast<int>((r[4].bottom - r[4].top - 15 - 4) / 2));
  EXPECT_EQ(PixelAt(canvas, 16 + 5, r[4].top + 1), kSelect);
  EXPECT_EQ(PixelAt(canvas, 16 + 2, r[4].top + dy + 5), ClassicBackground());
  EXPECT_EQ(PixelAt(canvas, 0, r[4].top + dy), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelAt(canvas, 16 + 3, r[4].top + dy + 15 + 3), kWhite);
  // Checked without a picture: the light box with a mark.
  EXPECT_EQ(PixelAt(canvas, 3, r[5].top + dy + 4), LightenColour(ClassicBackground(), 0.6));
  DeleteObject(canvas);
}

// ---- Tracking -------------------------------------------------------------------------------------

// The owner of a tracked menu: mnemonics go to the menu (its entries have no text the window
// manager could search), and commands are recorded.
class MenuOwner : public CWnd {
public:
  GlyphMenu* menu = nullptr;
  std::vector<UINT> commands;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_MENUCHAR && menu)
      return menu->FindMenuChar(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
    if (message == WM_COMMAND && lParam == 0) commands.push_back(LOWORD(wParam));
    return CWnd::WindowProc(message, wParam, lParam);
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

class TrackedGlyphMenu : public MenuPictures {
protected:
  void SetUp() override {
    MenuPictures::SetUp();
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr));
    ::SetFocus(owner);
    Pump();
    ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
    ASSERT_TRUE(menu.LoadToolbarImages(IDR_UIKIT_COMMANDS));
    owner.menu = &menu;
  }
  void TearDown() override {
    owner.DestroyWindow();
    tolvar::user::InjectMouse({900, 700}, WM_MOUSEMOVE);
    Pump();
    g_script = {};
    MenuPictures::TearDown();
  }
  UINT Track(std::vector<std::function<void()>> steps, UINT flags) {
    g_script = {std::move(steps), 0};
    ::SetTimer(owner, 1, 15, Step);
    GlyphMenu* phone = Sub(menu, 0);
    const UINT result = static_cast<UINT>(phone->TrackPopupMenu(flags, 100, 80, &owner));
    ::KillTimer(owner, 1);
    return result;
  }
  static std::function<void()> Key(UINT key) {
    return [key] {
      tolvar::user::InjectKey(key, true);
      tolvar::user::InjectKey(key, false);
    };
  }
  static std::function<void()> Text(const char* text) {
    return [text] { tolvar::user::InjectText(text); };
  }
  // Pictures the open pop-up.
  // Pictures the open pop-up; probes the left edge beside the separator and the right end of the
  // "save" row (neither selected).
  static std::function<void()> Picture(const char* name, COLORREF* left, COLORREF* right) {
    return [name, left, right] {
      HWND popup = ::FindWindowA("#32768", nullptr);
      HBITMAP shot = tolvar::user::RenderWindow(popup);
      if (!shot) return;
      SavePng(shot, name);
      BITMAP size{};
      GetObjectA(shot, sizeof size, &size);
      *left = PixelAt(shot, 6, 50);
      *right = PixelAt(shot, size.bmWidth - 8, 30);
      DeleteObject(shot);
    };
  }
  // The columns of plain background between the text of the entries at `rows` and the open
  // pop-up's right border.
  std::function<void()> RightMargin(std::vector<int> rows, int* margin) {
    return [this, rows, margin] {
      GlyphMenu* phone = Sub(menu, 0);
      std::vector<std::pair<int, int>> spans;  // top and bottom of each entry, in the client area
      for (int p = 0, y = 0; p < static_cast<int>(phone->Items().size()); ++p) {
        MEASUREITEMSTRUCT m{ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(phone->Items()[p].get())};
        phone->MeasureItem(&m);
        spans.push_back({y, y + static_cast<int>(m.itemHeight)});
        y += static_cast<int>(m.itemHeight);
      }
      HWND popup = ::FindWindowA("#32768", nullptr);
      HBITMAP shot = tolvar::user::RenderWindow(popup);
      if (!shot) return;
      SavePng(shot, "menu_widest_text");
      POINT client{0, 0};
      ::ClientToScreen(popup, &client);
      RECT frame{}, inside{};
      ::GetWindowRect(popup, &frame);
      ::GetClientRect(popup, &inside);
      const int left = client.x - frame.left, top = client.y - frame.top, right = left + inside.right;
      const COLORREF background = PixelAt(shot, right - 1, top + spans[rows[0]].first + 1);
      *margin = 0;
      for (int x = right - 1; x >= left; --x, ++*margin) {
        bool plain = true;
        for (int row : rows)
          for (int y = top + spans[row].first; y < top + spans[row].second && plain; ++y)
            plain = PixelAt(shot, x, y) == background;
        if (!plain) break;
      }
      DeleteObject(shot);
    };
  }
  // A click on the entry at `position` of the open pop-up (the entries' measured heights added up).
  std::function<void()> Click(int position) {
    return [this, position] {
      GlyphMenu* phone = Sub(menu, 0);
      int y = 0;
      for (int p = 0; p <= position; ++p) {
        MEASUREITEMSTRUCT m{ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(phone->Items()[p].get())};
        phone->MeasureItem(&m);
        y += p < position ? static_cast<int>(m.itemHeight) : static_cast<int>(m.itemHeight) / 2;
      }
      HWND popup = ::FindWindowA("#32768", nullptr);
      POINT at{40, y};
      ::ClientToScreen(popup, &at);
      tolvar::user::InjectMouse(at, WM_MOUSEMOVE);
      tolvar::user::InjectMouse(at, WM_LBUTTONDOWN);
      tolvar::user::InjectMouse(at, WM_LBUTTONUP);
    };
  }

  MenuOwner owner;
  GlyphMenu menu;
};

TEST_F(TrackedGlyphMenu, KeysMoveOverTheSeparatorAndReturnTheCommand) {
  COLORREF left = 0, right = 0;
  // Down from "open" past "save" and the separator onto "more"'s sub-menu, then "settings".
  const UINT chosen = Track({Key(VK_DOWN), Picture("menu_tracked_xp", &left, &right), Key(VK_DOWN), Key(VK_DOWN),
                             Key(VK_DOWN), Key(VK_RETURN)},
                            TPM_RETURNCMD);
  EXPECT_EQ(chosen, static_cast<UINT>(ID_UIKIT_SETTINGS));
  EXPECT_EQ(left, Bar());    // the image bar of the XP look
  EXPECT_EQ(right, kWhite);  // its text area
}

// The widest entry's text, a plain one as the link service's tray menu has, keeps clear of the
// menu's right border in both looks: the menu adds a check mark's width to the measured entries.
TEST_F(TrackedGlyphMenu, TheWidestTextKeepsClearOfTheRightBorder) {
  ASSERT_TRUE(menu.ModifyItem("Settings of the connected phone", ID_UIKIT_SETTINGS));
  for (BOOL xp : {TRUE, FALSE}) {
    StateLook(xp);
    int margin = -1;
    Track({RightMargin({0, 1, 4, 5}, &margin), Key(VK_ESCAPE)}, TPM_RETURNCMD);
    EXPECT_GE(margin, 8) << (xp ? "XP look" : "classic look");
  }
}

TEST_F(TrackedGlyphMenu, MnemonicTypedIsFoundByTheMenuAndPostedToTheOwner) {
  ASSERT_TRUE(Track({Text("x")}, 0));
  Pump();
  EXPECT_EQ(owner.commands, (std::vector<UINT>{ID_TEST_EXIT}));
}

TEST_F(TrackedGlyphMenu, ClickChoosesTheEntryUnderThePointerInTheClassicLook) {
  StateLook(FALSE);
  COLORREF left = 0, right = 0;
  const UINT chosen = Track({Picture("menu_tracked_classic", &left, &right), Click(1)}, TPM_RETURNCMD);
  EXPECT_EQ(chosen, static_cast<UINT>(ID_UIKIT_SAVE));
  EXPECT_EQ(left, ClassicBackground());  // the classic look: one background throughout
  EXPECT_EQ(right, ClassicBackground());
}

}  // namespace
