// The owner-drawn menu's records: the template walk, changes by command across sub-menus, searches,
// mnemonics, accelerator padding by measured width, measuring in both looks, and the probes that
// pick the look.
#include "GlyphMenu.h"
#include "MenuImageToolBar.h"
#include "UikitRes.h"
#include "menus.h"

#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string A(const std::optional<std::u16string>& text) {
  return text ? std::string(text->begin(), text->end()) : std::string("<none>");
}

MENUITEMINFOA Info(UINT mask) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = mask;
  return info;
}

// Resets the program-wide look flags each test may change.
class GlyphMenuTest : public ::testing::Test {
protected:
  void TearDown() override {
    GlyphMenu::xpDrawOnXpSystem = TRUE;
    GlyphMenu::xpDrawOnClassicSystem = FALSE;
    GlyphMenu::shadeImages = TRUE;
  }
  static GlyphMenu* Sub(GlyphMenu& menu, int position) { return menu.SubMenu(::GetSubMenu(menu, position)); }
};

// The text before a tab, blanks included, as the menu font measures it.
int MenuTextWidth(const std::u16string& text) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectA(&metrics.lfMenuFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  std::string ansi(text.begin(), text.end());
  SIZE size{};
  GetTextExtentPoint32A(dc, ansi.c_str(), static_cast<int>(ansi.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return size.cx;
}

TEST_F(GlyphMenuTest, TemplateWalkMakesRecordsBelowAPlainTopLevel) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  EXPECT_TRUE(menu.IsKindOf(RUNTIME_CLASS(GlyphMenu)));

  // The top level: plain pop-up entries with their texts.
  ASSERT_EQ(::GetMenuItemCount(menu), 2);
  char text[64] = {};
  ::GetMenuStringA(menu, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Help");
  for (int p = 0; p < 2; ++p) {
    MENUITEMINFOA type = Info(MIIM_FTYPE);
    ASSERT_TRUE(::GetMenuItemInfoA(menu, p, TRUE, &type));
    EXPECT_FALSE(type.fType & MF_OWNERDRAW) << p;
    EXPECT_EQ(menu.Items()[p]->m_flags, MF_POPUP | MF_BYPOSITION) << p;
    EXPECT_TRUE(IsGlyphMenuPopup(::GetSubMenu(menu, p))) << p;
  }

  struct Row {
    int level;  // 0 "Phone", 1 "More" inside it
    int position;
    const char* text;
    UINT flags;
    UINT id;  // 0: the sub-menu's handle
  };
  static const Row kRows[] = {
      {0, 0, "&Open\tCtrl+O", MF_OWNERDRAW, ID_UIKIT_OPEN},
      {0, 1, "&Save\tCtrl+S", MF_OWNERDRAW | MF_CHECKED, ID_UIKIT_SAVE},
      {0, 2, "", MF_OWNERDRAW | MF_SEPARATOR, 0xFFFF},
      {0, 3, "&More", MF_OWNERDRAW | MF_POPUP, 0},
      {0, 4, "Settin&gs", MF_OWNERDRAW, ID_UIKIT_SETTINGS},
      {0, 5, "E&xit", MF_OWNERDRAW, ID_TEST_EXIT},
      {1, 0, "&Connect", MF_OWNERDRAW, ID_UIKIT_CONNECT},
      {1, 1, "&Delete\tDel", MF_OWNERDRAW | MF_GRAYED, ID_UIKIT_DELETE},
      {1, 2, "Save &again", MF_OWNERDRAW, ID_UIKIT_SAVE},
  };
  GlyphMenu* phone = Sub(menu, 0);
  ASSERT_NE(phone, nullptr);
  GlyphMenu* more = Sub(*phone, 3);
  ASSERT_NE(more, nullptr);
  ASSERT_EQ(phone->Items().size(), 6u);
  ASSERT_EQ(more->Items().size(), 3u);
  for (const Row& row : kRows) {
    GlyphMenu* level = row.level ? more : phone;
    const GlyphMenuItem& item = *level->Items()[row.position];
    std::string expected = row.text;
    // The left parts of a level are padded to one width; compare what comes before the padding.
    std::string got = A(item.m_text);
    if (auto tab = expected.find('\t'); tab != std::string::npos) {
      ASSERT_NE(got.find('\t'), std::string::npos) << row.text;
      EXPECT_EQ(got.substr(got.find('\t')), expected.substr(tab)) << row.text;
      got = got.substr(0, tab);
      expected = expected.substr(0, tab);
    }
    EXPECT_EQ(got, expected) << row.text;
    EXPECT_EQ(item.m_flags, row.flags) << row.text;
    const UINT_PTR id = row.id == 0xFFFF ? 0 : row.id ? row.id : reinterpret_cast<UINT_PTR>(more->m_hMenu);
    EXPECT_EQ(item.m_commandId, id) << row.text;
    // The window manager's entry carries the record.
    MENUITEMINFOA info = Info(MIIM_DATA | MIIM_FTYPE);
    ASSERT_TRUE(::GetMenuItemInfoA(*level, row.position, TRUE, &info));
    EXPECT_TRUE(info.fType & MF_OWNERDRAW) << row.text;
    EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(&item)) << row.text;
  }
}

// The walk ends only with the last entry of the last open pop-up: nothing before is lost, nothing
// after the template is read.
TEST_F(GlyphMenuTest, TemplateWhoseLastEntryIsANestedPopupIsWalkedWhole) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_DEEP));
  ASSERT_EQ(::GetMenuItemCount(menu), 2);
  EXPECT_EQ(::GetMenuItemID(menu, 0), static_cast<UINT>(ID_TEST_ABOUT));
  GlyphMenu* outer = Sub(menu, 1);
  ASSERT_NE(outer, nullptr);
  ASSERT_EQ(outer->Items().size(), 2u);
  GlyphMenu* inner = Sub(*outer, 1);
  ASSERT_NE(inner, nullptr);
  ASSERT_EQ(inner->Items().size(), 1u);
  EXPECT_EQ(A(inner->Items()[0]->m_text), "&Last");
}

TEST_F(GlyphMenuTest, MissingResourceLeavesTheMenuAsItWas) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_DEEP));
  HMENU before = menu;
  EXPECT_FALSE(menu.LoadMenu(4242));
  EXPECT_EQ(static_cast<HMENU>(menu), before);
  EXPECT_EQ(::GetMenuItemCount(menu), 2);
  // Loading again drops what the earlier load made, sub-menus included.
  HMENU oldSub = ::GetSubMenu(menu, 1);
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  EXPECT_FALSE(IsGlyphMenuPopup(oldSub));
  EXPECT_FALSE(::IsMenu(oldSub));
}

TEST_F(GlyphMenuTest, ModifyChangesTheCommandInEverySubMenuAndLeavesAnAbsentOneAlone) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  GlyphMenu* phone = Sub(menu, 0);
  GlyphMenu* more = Sub(*phone, 3);

  EXPECT_TRUE(menu.ModifyItem("Store", ID_UIKIT_SAVE));
  EXPECT_EQ(A(phone->Items()[1]->m_text), "Store");
  EXPECT_EQ(A(more->Items()[2]->m_text), "Store");
  // Each entry keeps its own record and its own state.
  MENUITEMINFOA info = Info(MIIM_DATA | MIIM_STATE);
  ASSERT_TRUE(::GetMenuItemInfoA(*phone, 1, TRUE, &info));
  EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(phone->Items()[1].get()));
  EXPECT_TRUE(info.fState & MF_CHECKED);
  ASSERT_TRUE(::GetMenuItemInfoA(*more, 2, TRUE, &info));
  EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(more->Items()[2].get()));
  EXPECT_FALSE(info.fState & MF_CHECKED);

  // A null text keeps the texts.
  EXPECT_TRUE(menu.ModifyItem(static_cast<LPCSTR>(nullptr), ID_UIKIT_SAVE));
  EXPECT_EQ(A(more->Items()[2]->m_text), "Store");

  const std::size_t phoneRecords = phone->Items().size(), moreRecords = more->Items().size();
  EXPECT_FALSE(menu.ModifyItem("Nowhere", 0x1234));
  EXPECT_EQ(phone->Items().size(), phoneRecords);
  EXPECT_EQ(more->Items().size(), moreRecords);
  EXPECT_FALSE(menu.ModifyItemImage(u"Nowhere", 0x1234, nullptr, 0));
}

TEST_F(GlyphMenuTest, FindsCommandsDepthFirstAndTextsByPositionWithinBounds) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  GlyphMenu* phone = Sub(menu, 0);
  GlyphMenu* more = Sub(*phone, 3);

  // The occurrence in the nested pop-up is reached after the one before it.
  GlyphMenuPlace first = menu.FindCommand(ID_UIKIT_SAVE);
  EXPECT_EQ(first, (GlyphMenuPlace{phone, 1}));
  GlyphMenuPlace second = menu.FindNextCommand(ID_UIKIT_SAVE, {first});
  EXPECT_EQ(second, (GlyphMenuPlace{more, 2}));
  EXPECT_EQ(menu.FindNextCommand(ID_UIKIT_SAVE, {first, second}).menu, nullptr);
  EXPECT_EQ(menu.FindCommand(ID_TEST_ABOUT), (GlyphMenuPlace{Sub(menu, 1), 0}));
  EXPECT_EQ(menu.FindCommand(0x1234).position, -1);

  CString text;
  EXPECT_TRUE(menu.GetItemText(ID_UIKIT_CONNECT, text, MF_BYCOMMAND));
  EXPECT_STREQ(text, "&Connect");
  EXPECT_TRUE(phone->GetItemText(5, text, MF_BYPOSITION));
  EXPECT_STREQ(text, "E&xit");
  text = "kept";
  EXPECT_FALSE(phone->GetItemText(6, text, MF_BYPOSITION));
  EXPECT_FALSE(phone->GetItemText(0xFFFFFFFF, text, MF_BYPOSITION));
  EXPECT_FALSE(menu.GetItemText(0x1234, text, MF_BYCOMMAND));
  EXPECT_STREQ(text, "kept");

  // FindPopup finds the record of a pop-up entry by the template's text.
  EXPECT_EQ(phone->FindPopup("&More"), 3);
  EXPECT_EQ(phone->FindPopup("More"), -1);
  phone->Items()[3]->SetText("Mehr");
  EXPECT_EQ(phone->FindPopup("Mehr"), 3);
  // A level of pop-ups only answers nothing.
  EXPECT_EQ(menu.FindPopup("&Phone"), -1);
}

TEST_F(GlyphMenuTest, SetItemByPositionRecordBelongsToTheMenu) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  GlyphMenu* phone = Sub(menu, 0);
  GlyphMenuItem* item = phone->SetItemByPosition(4, MF_OWNERDRAW, ID_UIKIT_SETTINGS, "Options");
  EXPECT_EQ(phone->Items()[4].get(), item);
  EXPECT_EQ(phone->Items().size(), 6u);
  MENUITEMINFOA info = Info(MIIM_DATA);
  ASSERT_TRUE(::GetMenuItemInfoA(*phone, 4, TRUE, &info));
  EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(item));
  // Freed with the menu (the leak checker watches the rest).
}

TEST_F(GlyphMenuTest, MnemonicsAnswerTheFirstEntryWhoseTextHoldsTheLetter) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  HMENU phone = ::GetSubMenu(menu, 0);
  struct Case {
    UINT character;
    UINT flags;
    HMENU menu;
    LRESULT answer;
  };
  const auto execute = [](WORD position) { return static_cast<LRESULT>(MAKELONG(position, MNC_EXECUTE)); };
  const Case cases[] = {
      {'o', MF_POPUP, phone, execute(0)}, {'S', MF_POPUP, phone, execute(1)}, {'g', MF_POPUP, phone, execute(4)},
      {'x', MF_POPUP, phone, execute(5)}, {'m', MF_POPUP, phone, execute(3)}, {'q', MF_POPUP, phone, 0},
      {'o', 0, phone, 0},                 {'o', MF_POPUP, ::CreatePopupMenu(), 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(menu.FindMenuChar(c.character, c.flags, c.menu), c.answer) << static_cast<char>(c.character);
  ::DestroyMenu(cases[7].menu);
}

// Entries added or removed behind the menu's back are taken in before the search: records are made
// for new entries, kept for the others, and dropped for entries that went. One pass puts every
// entry in place: owner-drawn, carrying its record, in the state it had.
TEST_F(GlyphMenuTest, SyncMakesRecordsForEntriesAddedBehindTheMenu) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  GlyphMenu* phone = Sub(menu, 0);
  ::DeleteMenu(*phone, 0, MF_BYPOSITION);  // "&Open"
  ::AppendMenuA(*phone, MF_STRING, 0x7F10, "&Zoom");
  ::AppendMenuA(*phone, MF_STRING | MF_GRAYED, 0x7F11, "&Yield");
  ::AppendMenuA(*phone, MF_SEPARATOR, 0, nullptr);
  HMENU extra = ::CreatePopupMenu();
  ::AppendMenuA(extra, MF_STRING, 0x7F12, "Inner");
  ::AppendMenuA(*phone, MF_POPUP, reinterpret_cast<UINT_PTR>(extra), "E&xtra");
  ::ModifyMenuA(*phone, 0, MF_BYPOSITION | MF_STRING | MF_CHECKED, ID_UIKIT_SAVE, "&Save again");  // made plain
  const GlyphMenuItem* separator = phone->Items()[2].get();
  const GlyphMenuItem* exit = phone->Items()[5].get();
  EXPECT_EQ(menu.FindMenuChar('z', MF_POPUP, *phone), static_cast<LRESULT>(MAKELONG(5, MNC_EXECUTE)));
  ASSERT_EQ(phone->Items().size(), 9u);
  EXPECT_EQ(A(phone->Items()[0]->m_text), "&Save again");
  EXPECT_EQ(phone->Items()[1].get(), separator);  // kept, in entry order
  EXPECT_EQ(phone->Items()[4].get(), exit);
  EXPECT_EQ(A(phone->Items()[5]->m_text), "&Zoom");
  EXPECT_EQ(phone->Items()[5]->m_flags, MF_OWNERDRAW | MF_BYPOSITION);
  EXPECT_EQ(phone->Items()[6]->m_flags, MF_OWNERDRAW | MF_BYPOSITION | MF_GRAYED);
  EXPECT_EQ(phone->Items()[8]->m_flags, MF_OWNERDRAW | MF_BYPOSITION | MF_POPUP);
  EXPECT_EQ(menu.FindMenuChar('o', MF_POPUP, *phone), 0);

  const struct {
    int position;
    UINT state;  // MF_GRAYED, MF_CHECKED bits the entry keeps
  } entries[] = {{0, MF_CHECKED}, {1, 0}, {5, 0}, {6, MF_GRAYED}, {7, 0}, {8, 0}};
  for (const auto& e : entries) {
    MENUITEMINFOA info = Info(MIIM_FTYPE | MIIM_DATA | MIIM_STATE | MIIM_SUBMENU);
    ASSERT_TRUE(::GetMenuItemInfoA(*phone, e.position, TRUE, &info));
    EXPECT_TRUE(info.fType & MF_OWNERDRAW) << e.position;
    EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(phone->Items()[e.position].get())) << e.position;
    EXPECT_EQ(info.fState & (MF_GRAYED | MF_CHECKED), e.state) << e.position;
    if (e.position == 8) {
      EXPECT_EQ(info.hSubMenu, extra);
    }
  }
  // Once in place, another pass keeps every record.
  std::vector<const GlyphMenuItem*> before;
  for (const auto& item : phone->Items()) before.push_back(item.get());
  phone->SyncItems();
  std::vector<const GlyphMenuItem*> after;
  for (const auto& item : phone->Items()) after.push_back(item.get());
  EXPECT_EQ(after, before);
}

// Left parts of a level are padded with blanks until each measures at least the widest one plus a
// blank; entries without a tab keep their text.
TEST_F(GlyphMenuTest, AcceleratorsArePaddedToTheWidestLeftPart) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  for (GlyphMenu* level : {Sub(menu, 0), Sub(*Sub(menu, 0), 3)}) {
    int widest = 0;
    for (const auto& item : level->Items()) {
      std::u16string left = item->m_text->substr(0, item->m_text->find(u'\t'));
      while (!left.empty() && left.back() == u' ' && item->m_text->find(u'\t') != std::u16string::npos) left.pop_back();
      widest = std::max(widest, MenuTextWidth(left + u' '));
    }
    for (const auto& item : level->Items()) {
      const std::size_t tab = item->m_text->find(u'\t');
      if (tab == std::u16string::npos) {
        EXPECT_EQ(item->m_text->find(u"  "), std::u16string::npos) << A(item->m_text);
        continue;
      }
      const std::u16string left = item->m_text->substr(0, tab);
      std::u16string shorter = left;
      shorter.pop_back();
      EXPECT_GE(MenuTextWidth(left), widest) << A(item->m_text);
      EXPECT_LT(MenuTextWidth(shorter), widest) << A(item->m_text);  // no blank more than needed
    }
  }
}

// With a font too small for a blank to measure anything, padding ends instead of adding blanks
// without end.
TEST_F(GlyphMenuTest, PaddingEndsWhenABlankMeasuresNothing) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  LOGFONTA tiny{};
  tiny.lfHeight = 1;
  std::strcpy(tiny.lfFaceName, "Small Fonts");
  HFONT font = CreateFontIndirectA(&tiny);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE blank{}, wide{};
  GetTextExtentPoint32A(dc, " ", 1, &blank);
  GetTextExtentPoint32A(dc, "WWWWWWWW", 8, &wide);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  ASSERT_EQ(blank.cx, 0);  // what makes the case
  ASSERT_GT(wide.cx, 0);
  menu.SetMenuFont(tiny);
  for (const auto& item : Sub(menu, 0)->Items()) EXPECT_LT(item->m_text->size(), 40u) << A(item->m_text);
}

TEST_F(GlyphMenuTest, MeasuringFollowsTheLook) {
  GlyphMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  GlyphMenu* phone = Sub(menu, 0);
  const GlyphMenuItem& exit = *phone->Items()[5];
  const GlyphMenuItem& separator = *phone->Items()[2];
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectA(&metrics.lfMenuFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE text{};
  GetTextExtentPoint32W(dc, exit.m_text->c_str(), static_cast<int>(exit.m_text->size()), &text);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  const int menuHeight = GetSystemMetrics(SM_CYMENU);

  struct Case {
    BOOL xp, shade;
    int width, height, separatorHeight;
  };
  const Case cases[] = {
      {TRUE, TRUE, 16 + text.cx + 7 + 8, std::max(menuHeight, 15 + 7), std::max(menuHeight / 2, 22 / 2)},
      {TRUE, FALSE, 16 + text.cx + 4 + 8, std::max(menuHeight, 15 + 4), std::max(menuHeight / 2, 19 / 2)},
      {FALSE, TRUE, text.cx + 2 * 16 + 1, std::max(menuHeight, 15 + 4), std::max(menuHeight / 2, 19 / 2)},
  };
  for (const Case& c : cases) {
    // The look stated, on an XP system or a classic one.
    GlyphMenu::xpDrawOnXpSystem = c.xp;
    GlyphMenu::xpDrawOnClassicSystem = c.xp;
    GlyphMenu::shadeImages = c.shade;
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, ID_TEST_EXIT, 0, 0, reinterpret_cast<ULONG_PTR>(&exit)};
    phone->MeasureItem(&measure);
    EXPECT_EQ(static_cast<int>(measure.itemWidth), c.width) << c.xp << c.shade;
    EXPECT_EQ(static_cast<int>(measure.itemHeight), c.height) << c.xp << c.shade;
    MEASUREITEMSTRUCT line{ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(&separator)};
    phone->MeasureItem(&line);
    EXPECT_EQ(line.itemWidth, 0u);
    EXPECT_EQ(static_cast<int>(line.itemHeight), c.separatorHeight) << c.xp << c.shade;
  }
}

TEST(GlyphMenuProbes, VersionCodesAndTheClassicTheme) {
  struct Case {
    DWORD version;
    DWORD major, minor;
    bool info;
    int code;
  };
  const Case cases[] = {
      {0x80000003, 3, 95, true, 0},  {0x80000004, 4, 0, true, 2},  {0x80000004, 4, 10, true, 3},
      {0x80000004, 4, 90, true, 4},  {0x80000004, 4, 10, false, 2}, {0x00000004, 4, 0, true, 5},
      {0x00000005, 5, 0, true, 6},   {0x0A280105, 5, 1, true, 7},  {0x00000006, 6, 0, true, 1},
      {0x00000003, 3, 51, true, 1},  {0x00000005, 5, 1, false, 1},
  };
  for (const Case& c : cases) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    info.dwMajorVersion = c.major;
    info.dwMinorVersion = c.minor;
    EXPECT_EQ(GetWindowsVersionCode(c.version, c.info ? &info : nullptr), c.code) << c.major << "." << c.minor;
  }
  // The platform reports XP unless told otherwise; without the theme key the XP look is on there.
  const char* reported = std::getenv("TOLVAR_WINDOWS_VERSION");
  const bool classic = reported && std::string(reported) == "5.0";
  if (!reported || classic) {
    EXPECT_EQ(GetWindowsVersionCode(), classic ? 6 : 7);
    EXPECT_EQ(IsXPLook(), !classic);
    EXPECT_TRUE(IsNewShellWindows());
  }

  EXPECT_TRUE(IsClassicThemeName("C:\\WINDOWS\\Resources\\Themes\\Windows Classic.theme"));
  EXPECT_TRUE(IsClassicThemeName("windows CLASSIC.THEME"));
  EXPECT_FALSE(IsClassicThemeName("Windows Classic.theme.bak"));
  EXPECT_FALSE(IsClassicThemeName("Classic.theme"));
  EXPECT_FALSE(IsClassicThemeName(""));
  EXPECT_FALSE(IsClassicThemeName(nullptr));
}

TEST(GlyphMenuColours, LightenMovesEachChannelTowardWhiteWithinRange) {
  EXPECT_EQ(LightenColour(RGB(0x08, 0x2A, 0x82), 0.7), RGB(180, 191, 217));
  EXPECT_EQ(LightenColour(RGB(100, 0, 255), 0.5), RGB(177, 127, 255));
  EXPECT_EQ(LightenColour(RGB(10, 20, 30), 0.0), RGB(10, 20, 30));
  EXPECT_EQ(LightenColour(RGB(10, 20, 30), 1.0), RGB(10, 20, 30));
  EXPECT_EQ(LightenColour(RGB(10, 20, 30), -0.1), RGB(10, 20, 30));
}

}  // namespace
