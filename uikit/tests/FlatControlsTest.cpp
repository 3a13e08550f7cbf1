// The flat edit's filters typed through injected text, the combo box's shortened items, full-text
// array, completion and tooltip, and the pictures of both controls.
#include "FlatComboBox.h"
#include "FlatEdit.h"

#include <gdi/Unique.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include "KitTest.h"

#include <string>

namespace {

using kit_testing::KitTest;
using kit_testing::TextOf;

class FlatEditTest : public KitTest {
protected:
  void SetUp() override {
    KitTest::SetUp();
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, RECT{20, 20, 300, 44}, &parent, 100));
    edit.SetFocus();
  }
  void TearDown() override {
    edit.DestroyWindow();
    KitTest::TearDown();
  }
  // Types each character on its own, as a person does.
  void Type(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
      size_t length = 1;
      const auto lead = static_cast<unsigned char>(text[i]);
      if (lead >= 0xF0) length = 4;
      else if (lead >= 0xE0) length = 3;
      else if (lead >= 0xC0) length = 2;
      ASSERT_TRUE(tolvar::user::InjectText(text.substr(i, length).c_str()));
      testing_user::Pump();
      i += length;
    }
  }
  CFlatEdit edit;
};

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

struct FilterCase {
  const char* name;
  bool phone;
  int limit;
  std::string initial;  // the placeholder of a phone field, or the field's text before SetLimit
  std::string typed;
  std::string expected;
};

TEST_F(FlatEditTest, FiltersWhatIsTypedByPhoneRulesAndUtf8Bytes) {
  const std::string ae = "\xC3\xA4";        // two bytes in UTF-8
  const std::string euro = "\xE2\x82\xAC";  // three bytes
  const FilterCase cases[] = {
      {"forty digits fit a limit of 41", true, 41, "", Repeat("1", 40), Repeat("1", 40)},
      {"a forty-first digit is refused", true, 41, "", Repeat("1", 41), Repeat("1", 40)},
      {"a leading plus is not counted", true, 41, "", "+" + Repeat("2", 41), "+" + Repeat("2", 40)},
      {"a plus after the start is refused", true, 41, "", "12+3", "123"},
      {"a letter is refused", true, 41, "", "12a", "12"},
      {"a blank is refused", true, 41, "", "1 2", "12"},
      {"hash codes pass", true, 41, "", "#31#", "#31#"},
      {"star codes pass", true, 41, "", "*21*", "*21*"},
      {"bytes of 0x80 and over are refused", true, 41, "", "1" + ae + "2", "12"},
      {"the placeholder stands, typing onto it is refused", true, 41, "<number>", "5", "<number>"},
      {"32 ASCII characters fit 32 bytes", false, 32, "", Repeat("a", 33), Repeat("a", 32)},
      {"the eleventh three-byte character is refused", false, 32, "", Repeat(euro, 16), Repeat(euro, 10)},
      {"two-byte characters up to 21 bytes", false, 21, "", Repeat(ae, 11), Repeat(ae, 10)},
      {"a mixed text fills the limit exactly", false, 5, "", "a" + ae + "bcd", "a" + ae + "bc"},
      {"limit 0 filters nothing", false, 0, "", "12+x" + euro, "12+x" + euro},
      {"limit 0 in phone mode filters nothing", true, 0, "", "abc", "abc"},
      {"the text held before SetLimit stays on the first refusal", false, 5, "hello", "!", "hello"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    edit.SetWindowText("");
    CFlatEdit fresh;  // filters start from nothing each time
    edit.DestroyWindow();
    ASSERT_TRUE(fresh.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, RECT{20, 20, 300, 44}, &parent, 100));
    fresh.SetFocus();
    if (c.phone) {
      fresh.InitFilter(c.initial.c_str(), c.limit);
      fresh.SetWindowText(c.initial.c_str());
    } else {
      fresh.SetWindowText(c.initial.c_str());
      fresh.SetLimit(c.limit);
    }
    fresh.SetSel(static_cast<int>(c.initial.size()), static_cast<int>(c.initial.size()));
    Type(c.typed);
    EXPECT_EQ(TextOf(fresh), c.expected);
    // After a refusal the caret stands at the end of the restored text.
    int start = -1, end = -1;
    fresh.GetSel(start, end);
    EXPECT_EQ(start, static_cast<int>(c.expected.size()));
    EXPECT_EQ(end, start);
    fresh.DestroyWindow();
  }
}

TEST_F(FlatEditTest, RefusedPlusInTheMiddleRestoresWithTheCaretAtTheEnd) {
  edit.InitFilter("", 41);
  Type("1234");
  edit.SetSel(2, 2);
  Type("+");
  EXPECT_EQ(TextOf(edit), "1234");
  int start = -1, end = -1;
  edit.GetSel(start, end);
  EXPECT_EQ(start, 4);
  EXPECT_EQ(end, 4);
}

TEST_F(FlatEditTest, KeepsItsFixedWidthWhateverTheSizeAsked) {
  edit.SetFixedWidth(90);
  edit.MoveWindow(10, 10, 250, 30);
  RECT rect;
  edit.GetWindowRect(&rect);
  EXPECT_EQ(rect.right - rect.left, 90);
  EXPECT_EQ(rect.bottom - rect.top, 30);
}

TEST_F(FlatEditTest, FocusShowsTheAccentFrameAndLosingItTheFlatLook) {
  parent.SetFocus();
  testing_user::Pump();
  HBITMAP plain = tolvar::user::RenderWindow(edit);
  ASSERT_NE(plain, nullptr);
  // The window's edge (just outside the client area) blends into the dialog face.
  EXPECT_EQ(testing_user::PixelAt(plain, 0, 10), GetSysColor(COLOR_BTNFACE));
  DeleteObject(plain);

  edit.SetFocus();
  testing_user::Pump();
  HBITMAP hot = tolvar::user::RenderWindow(edit);
  ASSERT_NE(hot, nullptr);
  EXPECT_EQ(testing_user::PixelAt(hot, 0, 10), CFlatEdit::kHotColour);
  EXPECT_EQ(testing_user::PixelAt(hot, 1, 10), 0xFFFFFFu);  // the white ring inside it
  testing_user::SavePng(hot, "flat_edit_focused");
  DeleteObject(hot);

  edit.SetPlainFrame(TRUE);
  edit.Invalidate();
  testing_user::Pump();
  HBITMAP plainFrame = tolvar::user::RenderWindow(edit);
  EXPECT_EQ(testing_user::PixelAt(plainFrame, 1, 10), CFlatEdit::kHotColour);  // on the client edge
  DeleteObject(plainFrame);
}

TEST_F(FlatEditTest, TheFrameTurnsHotUnderTheMouseAndFlatWhenItLeaves) {
  kit_testing::MoveMouse(parent, POINT{350, 250});
  parent.SetFocus();
  testing_user::Pump();
  auto edge = [&] {
    HBITMAP picture = tolvar::user::RenderWindow(edit);
    const COLORREF colour = testing_user::PixelAt(picture, 0, 10);
    DeleteObject(picture);
    return colour;
  };
  kit_testing::MoveMouse(edit, POINT{20, 8});
  EXPECT_TRUE(kit_testing::PumpUntil([&] { return edge() == CFlatEdit::kHotColour; }));
  kit_testing::MoveMouse(parent, POINT{350, 250});
  EXPECT_TRUE(kit_testing::PumpUntil([&] { return edge() == GetSysColor(COLOR_BTNFACE); }));
}

// ---- The combo box ---------------------------------------------------------------------------------

class FlatComboTest : public KitTest {
protected:
  void Make(DWORD kind, int width = 160) {
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | kind | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                             RECT{20, 20, 20 + width, 170}, &parent, 200));
  }
  void TearDown() override {
    combo.DestroyWindow();
    KitTest::TearDown();
  }
  std::string Listed(int index) {
    CString text;
    combo.GetLBText(index, text);
    return static_cast<LPCSTR>(text);
  }
  int Width(const char* text) {
    CClientDC dc(&combo);
    tolvar::gdi::ScopedSelect font(dc, reinterpret_cast<HFONT>(combo.SendMessage(WM_GETFONT)));
    return dc.GetTextExtent(text, static_cast<int>(strlen(text))).cx;
  }
  CFlatComboBox combo;
};

TEST_F(FlatComboTest, ListsAPathTooWideForTheDropDownByItsLastFolders) {
  Make(CBS_DROPDOWNLIST, 30);  // the drop-down is never narrower than the control
  const char* path = "C:\\Folder\\Sub\\Name";
  struct Case {
    int width;
    const char* shown;
  } const cases[] = {
      {Width(path), path},                                        // fits: as it is
      {Width("...\\Folder\\Sub\\Name"), "...\\Folder\\Sub\\Name"},  // the drive dropped
      {Width("...\\Sub\\Name"), "...\\Sub\\Name"},                // and a folder
      {Width("...\\Sub\\Name") - 1, "...\\Name"},                   // and another
      {Width("...\\Name") - 1, "...\\Name"},                      // nothing more to drop
      {Width("NoFoldersAtAll") - 1, "NoFoldersAtAll"},            // no backslash: the full text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    combo.ResetContent();
    combo.SetDroppedWidth(static_cast<UINT>(c.width));
    const char* full = std::string(c.shown) == "NoFoldersAtAll" ? "NoFoldersAtAll" : path;
    ASSERT_EQ(combo.AddString(full), 0);
    EXPECT_EQ(Listed(0), c.shown);
    EXPECT_STREQ(combo.GetFullText(0), full);
  }
}

TEST_F(FlatComboTest, TheFullTextsFollowTheItemsInsertedDeletedAndSorted) {
  Make(CBS_DROPDOWNLIST);
  EXPECT_EQ(combo.AddString("b"), 0);
  EXPECT_EQ(combo.InsertString(-1, "d"), 1);  // -1 appends to both
  EXPECT_EQ(combo.InsertString(0, "a"), 0);
  EXPECT_EQ(combo.DeleteString(7), CB_ERR);   // no such item: nothing changes
  EXPECT_EQ(combo.DeleteString(static_cast<UINT>(-1)), CB_ERR);
  ASSERT_EQ(combo.GetFullTextCount(), 3);
  EXPECT_EQ(combo.DeleteString(1), 2);
  const char* expected[] = {"a", "d"};
  ASSERT_EQ(combo.GetFullTextCount(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(combo.GetFullText(i), expected[i]);
    EXPECT_EQ(Listed(i), expected[i]);
  }
  combo.ResetContent();
  EXPECT_EQ(combo.GetCount(), 0);
  EXPECT_EQ(combo.GetFullTextCount(), 0);
  EXPECT_STREQ(combo.GetFullText(0), "");

  // A sorted combo box places each item where its text belongs; the full texts follow.
  combo.DestroyWindow();
  Make(CBS_DROPDOWNLIST | CBS_SORT);
  for (const char* text : {"Pear", "Apple", "Orange"}) combo.AddString(text);
  const char* sorted[] = {"Apple", "Orange", "Pear"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Listed(i), sorted[i]);
    EXPECT_STREQ(combo.GetFullText(i), sorted[i]);
  }
}

TEST_F(FlatComboTest, CompletesTypedTextFromTheItems) {
  Make(CBS_DROPDOWN);
  for (const char* text : {"Home", "Mobile", "Mobile 2", "Office"}) combo.AddString(text);
  struct Step {
    const char* typed;
    const char* text;  // the field afterwards
    int start, end;    // its selection: the completed part
  };
  const Step steps[] = {
      {"M", "Mobile", 1, 6},
      {"o", "Mobile", 2, 6},
      {"bile ", "Mobile 2", 7, 8},
      {"x", "Mobile x", 8, 8},  // no item begins so: the typed text stays
  };
  combo.SetFocus();
  testing_user::Pump();
  for (const auto& step : steps) {
    SCOPED_TRACE(step.typed);
    for (const char* c = step.typed; *c; ++c) {
      const char one[2] = {*c, 0};
      ASSERT_TRUE(tolvar::user::InjectText(one));
      testing_user::Pump();
    }
    EXPECT_EQ(TextOf(combo), step.text);
    const DWORD selection = combo.GetEditSel();
    EXPECT_EQ(static_cast<int>(LOWORD(selection)), step.start);
    EXPECT_EQ(static_cast<int>(HIWORD(selection)), step.end);
  }
}

TEST_F(FlatComboTest, TheTooltipShowsTheWholeTextWhileTheCursorRestsOnTheField) {
  Make(CBS_DROPDOWNLIST);
  combo.SetDroppedWidth(400);
  const char* longText = "C:\\Documents\\Pictures\\Holidays\\Summer";
  combo.AddString("Short");
  combo.AddString(longText);
  combo.SetCurSel(1);
  kit_testing::MoveMouse(combo, POINT{10, 8});
  ASSERT_NE(combo.GetToolTip(), nullptr);
  EXPECT_TRUE(combo.GetToolTip()->IsWindowVisible());
  char shown[128] = {};
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = combo;
  info.uId = reinterpret_cast<UINT_PTR>(static_cast<HWND>(combo));
  info.lpszText = shown;
  combo.GetToolTip()->SendMessage(TTM_GETTEXTA, sizeof shown, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ(shown, longText);

  // Leaving the field hides it (the tip's timer sees the cursor gone).
  kit_testing::MoveMouse(parent, POINT{350, 250});
  EXPECT_TRUE(kit_testing::PumpUntil([&] { return !combo.GetToolTip()->IsWindowVisible(); }));

  // A text that fits needs no tooltip.
  combo.SetCurSel(0);
  kit_testing::MoveMouse(combo, POINT{10, 8});
  EXPECT_FALSE(combo.GetToolTip()->IsWindowVisible());
}

TEST_F(FlatComboTest, DroppedDownListDrawsSelectedAndGreyItems) {
  Make(CBS_DROPDOWNLIST);
  for (const char* text : {"Business", "Personal", "Other"}) combo.AddString(text);
  combo.SetCurSel(1);
  combo.ShowDropDown(TRUE);
  testing_user::Pump();
  HWND list = FindWindowA("ComboLBox", nullptr);
  ASSERT_NE(list, nullptr);
  HBITMAP picture = tolvar::user::RenderWindow(list);
  ASSERT_NE(picture, nullptr);
  testing_user::SavePng(picture, "flat_combo_dropped");
  const int row = static_cast<int>(combo.GetItemHeight(0));
  // Selected row 1 is filled with the highlight, the others white.
  EXPECT_EQ(testing_user::PixelAt(picture, 110, row + row / 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(testing_user::PixelAt(picture, 110, row / 2), 0xFFFFFFu);
  // Row 0's text shows in the grey item colour, clear of the list's left edge (in each row).
  bool grey = false;
  for (int x = 0; x < 100 && !grey; ++x)
    for (int y = 0; y < row && !grey; ++y) grey = testing_user::PixelAt(picture, x, y) == CFlatComboBox::kItemTextColour;
  EXPECT_TRUE(grey);
  POINT client{0, 0};
  ClientToScreen(list, &client);
  RECT frame{};
  GetWindowRect(list, &frame);
  const int left = client.x - frame.left, top = client.y - frame.top;
  for (int y = 0; y < 3 * row; ++y) {
    const COLORREF background = y / row == 1 ? GetSysColor(COLOR_HIGHLIGHT) : 0xFFFFFFu;
    for (int x = 0; x < CFlatComboBox::kTextMargin; ++x)
      ASSERT_EQ(testing_user::PixelAt(picture, left + x, top + y), background) << x << ", " << y;
  }
  DeleteObject(picture);
  combo.ShowDropDown(FALSE);
}

// The dropped list shows a vertical bar only when its items do not fit: none for a few items (also
// after the kit's own font is set, which changes the rows' height), one with a thumb for many.
TEST_F(FlatComboTest, TheDroppedListHasAVerticalBarOnlyWhenItsItemsDoNotFit) {
  struct Case {
    const char* what;
    int items;
    bool withFont;
    bool bar;
  };
  const Case cases[] = {{"three items", 3, false, false},
                        {"three items in the kit's font", 3, true, false},
                        {"forty items", 40, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Make(CBS_DROPDOWNLIST);
    if (c.withFont) combo.SetFont("Verdana", 14, FALSE, FALSE);
    for (int i = 0; i < c.items; ++i) combo.AddString(("Item " + std::to_string(i)).c_str());
    combo.ShowDropDown(TRUE);
    testing_user::Pump();
    HWND list = FindWindowA("ComboLBox", nullptr);
    ASSERT_NE(list, nullptr);
    RECT outer, client;
    GetWindowRect(list, &outer);
    GetClientRect(list, &client);
    const int barWidth = (outer.right - outer.left) - 2 - client.right;  // 1-pixel border each side
    EXPECT_EQ(barWidth, c.bar ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (c.bar) {
      ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &info));
      EXPECT_LT(static_cast<int>(info.nPage), info.nMax - info.nMin + 1);  // a thumb shorter than the track
    }
    if (!c.bar) {
      HBITMAP picture = tolvar::user::RenderWindow(list);
      if (c.withFont) testing_user::SavePng(picture, "flat_combo_dropped_fits");
      DeleteObject(picture);
    }
    combo.ShowDropDown(FALSE);
    combo.DestroyWindow();
  }
}

TEST_F(FlatComboTest, TheFrameTurnsHotUnderTheMouseAndFlatWhenItLeaves) {
  kit_testing::MoveMouse(parent, POINT{350, 250});  // the pointer starts elsewhere
  Make(CBS_DROPDOWNLIST);
  combo.AddString("Home");
  testing_user::Pump();
  auto frame = [&] {
    HBITMAP picture = tolvar::user::RenderWindow(combo);
    const COLORREF colour = testing_user::PixelAt(picture, 0, 8);
    DeleteObject(picture);
    return colour;
  };
  EXPECT_EQ(frame(), GetSysColor(COLOR_BTNFACE));
  kit_testing::MoveMouse(combo, POINT{20, 8});
  EXPECT_EQ(frame(), CFlatComboBox::kHotColour);
  // The polling timer finds the cursor gone and draws the flat frame again.
  kit_testing::MoveMouse(parent, POINT{350, 250});
  EXPECT_TRUE(kit_testing::PumpUntil([&] { return frame() == GetSysColor(COLOR_BTNFACE); }));
}

TEST_F(FlatComboTest, AnEmptyComboWithTheFocusDrawsNoItem) {
  Make(CBS_DROPDOWNLIST);
  combo.SetFocus();
  combo.Invalidate();
  HBITMAP picture = tolvar::user::RenderWindow(combo);  // the face asks for item -1
  ASSERT_NE(picture, nullptr);
  DeleteObject(picture);
  EXPECT_EQ(combo.GetFullTextCount(), 0);
}

}  // namespace
