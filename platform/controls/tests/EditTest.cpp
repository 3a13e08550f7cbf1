// The edit class: typing (ASCII and not) through injected keys and characters, caret and selection
// moves by keys and mouse, the limit, the input styles, undo, the clipboard between two edits, and a
// multi-line edit's lines and scrolling. Each change tells the parent EN_UPDATE then EN_CHANGE.
#include "ControlTest.h"

using namespace testing_controls;

namespace {

class Edits : public ControlTest {
protected:
  HWND MakeEdit(DWORD style = ES_AUTOHSCROLL, const char* text = "", int cx = 200, int cy = 22) {
    return Make("Edit", text, WS_BORDER | WS_TABSTOP | style, 10, 10, cx, cy, 80);
  }
  std::pair<DWORD, DWORD> Sel(HWND edit) {
    DWORD from = 0, to = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return {from, to};
  }
  // Only what the parent is told (not the colours it is asked for while painting).
  std::vector<Recorded> Notifications() {
    std::vector<Recorded> got = Take();
    std::erase_if(got, [&](const Recorded& r) { return r.window != m_parent || r.message != WM_COMMAND; });
    return got;
  }
};

constexpr WPARAM Code(WORD code) { return MAKEWPARAM(80, code); }

TEST_F(Edits, TypingKeysAndCharactersMakesTextAndTellsTheParentOfEachChange) {
  HWND edit = MakeEdit();
  Spy(edit);
  SetFocus(edit);
  PumpDialog(nullptr);
  Take();
  Press(nullptr, 'H', VK_SHIFT);
  Press(nullptr, 'I');
  ExpectSequence(Notifications(),
                 {{WM_COMMAND, kParent | kWParam, Code(EN_UPDATE)},
                  {WM_COMMAND, kParent | kWParam, Code(EN_CHANGE)},
                  {WM_COMMAND, kParent | kWParam, Code(EN_UPDATE)},
                  {WM_COMMAND, kParent | kWParam, Code(EN_CHANGE)}},
                 "two keys typed");
  EXPECT_EQ(TextOf(edit), "Hi");
  // "é" (U+00E9), "€" and "😀" arrive as their code points and are kept as UTF-8. A character is one
  // change, whatever its length.
  Type(edit, " \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  PostMessageA(edit, WM_CHAR, 0x0416, 1);  // Ж
  PumpDialog(nullptr);
  EXPECT_EQ(TextOf(edit), "Hi \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xD0\x96");
  int changes = 0;
  for (const Recorded& r : Notifications()) changes += r.wParam == Code(EN_CHANGE);
  EXPECT_EQ(changes, 5);
  // What is no character (a lone surrogate, beyond U+10FFFF) types nothing.
  PostMessageA(edit, WM_CHAR, 0xD800, 1);
  PostMessageA(edit, WM_CHAR, 0x110000, 1);
  Type(edit, "!");
  EXPECT_EQ(TextOf(edit), "Hi \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xD0\x96!");
  // Backspace takes whole characters.
  Type(edit, "\b\b");
  EXPECT_EQ(TextOf(edit), "Hi \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  Type(edit, "\b");
  EXPECT_EQ(TextOf(edit), "Hi \xC3\xA9\xE2\x82\xAC");
}

TEST_F(Edits, CaretAndSelectionNeverSplitACharacter) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "a\xC3\xA9" "b");  // a é b: bytes 0, 1-2, 3
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 2, 2);
  EXPECT_EQ(Sel(edit), std::make_pair(DWORD{1}, DWORD{1})) << "into the middle of é: its start";
  Press(nullptr, VK_RIGHT);
  EXPECT_EQ(Sel(edit), std::make_pair(DWORD{3}, DWORD{3}));
  Press(nullptr, VK_LEFT, VK_SHIFT);
  EXPECT_EQ(Sel(edit), std::make_pair(DWORD{1}, DWORD{3})) << "Shift+Left selects é whole";
  Press(nullptr, VK_HOME, VK_SHIFT);
  EXPECT_EQ(Sel(edit), std::make_pair(DWORD{0}, DWORD{3}));
  Press(nullptr, VK_END);
  EXPECT_EQ(Sel(edit), std::make_pair(DWORD{4}, DWORD{4}));
  SendMessageA(edit, EM_SETSEL, 0, -1);
  EXPECT_EQ(Sel(edit), std::make_pair(DWORD{0}, DWORD{4})) << "0, -1 selects all";
  Press(nullptr, VK_DELETE);
  EXPECT_EQ(TextOf(edit), "");
}

TEST_F(Edits, ControlArrowsMoveByWordsAndTheMouseSelects) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "one two  three");
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 0, 0);
  struct Step { UINT key; DWORD caret; };
  for (Step step : {Step{VK_RIGHT, 4}, Step{VK_RIGHT, 9}, Step{VK_RIGHT, 14}, Step{VK_LEFT, 9}, Step{VK_LEFT, 4}}) {
    tolvar::user::InjectKey(VK_CONTROL, true);
    Press(nullptr, step.key);
    tolvar::user::InjectKey(VK_CONTROL, false);
    PumpDialog(nullptr);
    EXPECT_EQ(Sel(edit).second, step.caret);
  }
  // A click puts the caret at the nearest character boundary; a drag selects; a double click takes
  // a word.
  LRESULT at4 = SendMessageA(edit, EM_POSFROMCHAR, 4, 0);
  LRESULT at7 = SendMessageA(edit, EM_POSFROMCHAR, 7, 0);
  POINT from{LOWORD(at4), 5}, to{LOWORD(at7), 5};
  POINT screenFrom = from, screenTo = to;
  ClientToScreen(edit, &screenFrom);
  ClientToScreen(edit, &screenTo);
  tolvar::user::InjectMouse(screenFrom, WM_LBUTTONDOWN);
  PumpDialog(nullptr);
  EXPECT_EQ(Sel(edit), std::make_pair(DWORD{4}, DWORD{4}));
  tolvar::user::InjectMouse(screenTo, WM_MOUSEMOVE);
  tolvar::user::InjectMouse(screenTo, WM_LBUTTONUP);
  PumpDialog(nullptr);
  EXPECT_EQ(Sel(edit), std::make_pair(DWORD{4}, DWORD{7}));
  SendMessageA(edit, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(LOWORD(at4) + 3, 5));
  EXPECT_EQ(Sel(edit), std::make_pair(DWORD{4}, DWORD{7}));
}

TEST_F(Edits, TheLimitCutsWhatDoesNotFitOnACharacterBoundaryAndSaysSo) {
  HWND edit = MakeEdit();
  SendMessageA(edit, EM_LIMITTEXT, 5, 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 5);
  SetFocus(edit);
  Take();
  Type(edit, "abcdef");
  EXPECT_EQ(TextOf(edit), "abcde");
  std::vector<Recorded> got = Notifications();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back().wParam, Code(EN_MAXTEXT)) << "the sixth character";
  SetWindowTextA(edit, "");
  // Counted in UTF-8 bytes: two "é" fit in five, the third does not.
  Type(edit, "\xC3\xA9\xC3\xA9\xC3\xA9");
  EXPECT_EQ(TextOf(edit), "\xC3\xA9\xC3\xA9");
  // Pasted text is cut to fit, never inside a character.
  SetWindowTextA(edit, "x");
  SendMessageA(edit, EM_SETSEL, 1, 1);
  Take();
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\xE2\x82\xAC\xE2\x82\xAC"));
  EXPECT_EQ(TextOf(edit), "x\xE2\x82\xAC");
  // A program's own text is not cut by the user's limit.
  SetWindowTextA(edit, "longer than five");
  EXPECT_EQ(TextOf(edit), "longer than five");
}

struct StyleCase {
  const char* name;
  DWORD style;
  const char* typed;
  const char* expected;
};
const StyleCase kStyles[] = {
    {"Number", ES_NUMBER, "a1-2b3", "123"},
    {"Upper", ES_UPPERCASE, "abc\xC3\xA9\xD0\xB6", "ABC\xC3\x89\xD0\x96"},
    {"Lower", ES_LOWERCASE, "ABC\xC3\x89", "abc\xC3\xA9"},
    {"ReadOnly", ES_READONLY, "abc", ""},
    {"Password", ES_PASSWORD, "s3cret", "s3cret"},
};

class EditStyles : public Edits, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(EditStyles, FilterWhatIsTyped) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL | GetParam().style);
  SetFocus(edit);
  Type(edit, GetParam().typed);
  EXPECT_EQ(TextOf(edit), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, EditStyles, ::testing::ValuesIn(kStyles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Edits, ReadOnlyAndDisabledEditsAskForStaticColours) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "text");
  auto asked = [&] {
    Take();
    InvalidateRect(edit, nullptr, TRUE);
    UpdateWindow(edit);
    UINT message = 0;
    for (const Recorded& r : Take()) {
      if (r.message == WM_CTLCOLOREDIT || r.message == WM_CTLCOLORSTATIC) {
        message = r.message;
        EXPECT_EQ(r.lParam, reinterpret_cast<LPARAM>(edit));
      }
    }
    return message;
  };
  EXPECT_EQ(asked(), WM_CTLCOLOREDIT);
  SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
  EXPECT_EQ(asked(), WM_CTLCOLORSTATIC);
  SendMessageA(edit, EM_SETREADONLY, FALSE, 0);
  EnableWindow(edit, FALSE);
  EXPECT_EQ(asked(), WM_CTLCOLORSTATIC);
}

TEST_F(Edits, UndoTakesBackTheLastChangeAndUndoingAgainRedoesIt) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "start");
  SetFocus(edit);
  EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  SendMessageA(edit, EM_SETSEL, 5, 5);
  Type(edit, " more");  // one run of typing is one step
  EXPECT_TRUE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  EXPECT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
  Type(edit, "\x1A");  // Ctrl+Z
  EXPECT_EQ(TextOf(edit), "start");
  SendMessageA(edit, EM_UNDO, 0, 0);
  EXPECT_EQ(TextOf(edit), "start more");
  SendMessageA(edit, EM_EMPTYUNDOBUFFER, 0, 0);
  EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0));
}

TEST_F(Edits, CutCopyAndPasteCarryTextBetweenTwoEdits) {
  HWND from = MakeEdit(ES_AUTOHSCROLL, "caf\xC3\xA9 au lait");
  HWND to = Make("Edit", "", WS_BORDER | ES_AUTOHSCROLL, 10, 50, 200, 22, 81);
  SetFocus(from);
  SendMessageA(from, EM_SETSEL, 0, 5);
  Type(from, "\x03");  // Ctrl+C
  EXPECT_EQ(GetClipboardOwner(), from);
  SetFocus(to);
  Type(to, "\x16");  // Ctrl+V
  EXPECT_EQ(TextOf(to), "caf\xC3\xA9");
  SetFocus(from);
  SendMessageA(from, EM_SETSEL, 5, 9);
  Press(nullptr, VK_DELETE, VK_SHIFT);  // Shift+Delete cuts
  EXPECT_EQ(TextOf(from), "caf\xC3\xA9lait");
  SetFocus(to);
  SendMessageA(to, EM_SETSEL, 0, 0);
  Press(nullptr, VK_INSERT, VK_SHIFT);  // Shift+Insert pastes
  EXPECT_EQ(TextOf(to), " au caf\xC3\xA9");
  // The clipboard offers the text as UTF-16 too.
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE wide = GetClipboardData(CF_UNICODETEXT);
  ASSERT_TRUE(wide);
  const auto* units = static_cast<const WCHAR*>(GlobalLock(wide));
  EXPECT_EQ(std::u16string(units), u" au ");
  GlobalUnlock(wide);
  CloseClipboard();
  // A password is never copied out.
  HWND secret = Make("Edit", "hidden", WS_BORDER | ES_PASSWORD, 10, 90, 200, 22, 82);
  SendMessageA(secret, EM_SETSEL, 0, -1);
  SendMessageA(secret, WM_COPY, 0, 0);
  SendMessageA(to, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  SendMessageA(to, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(to), " au ");
}

TEST_F(Edits, FocusComingAndGoingIsToldToTheParent) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "text");
  HWND other = Make("Button", "Other", BS_PUSHBUTTON, 10, 60, 80, 24, 81);
  Take();
  SetFocus(edit);
  SetFocus(other);
  std::vector<Recorded> got = Take();
  std::erase_if(got, [&](const Recorded& r) {
    return r.window != m_parent || r.message != WM_COMMAND || reinterpret_cast<HWND>(r.lParam) != edit;
  });
  ExpectSequence(got,
                 {{WM_COMMAND, kParent | kWParam, Code(EN_SETFOCUS)}, {WM_COMMAND, kParent | kWParam, Code(EN_KILLFOCUS)}},
                 "focus in and out");
}

TEST_F(Edits, APasteIntoAOneLineEditStopsAtTheLineBreak) {
  HWND edit = MakeEdit();
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("first\r\nsecond"));
  EXPECT_EQ(TextOf(edit), "first");
}

TEST_F(Edits, AMultiLineEditKeepsLinesAndScrollsToTheCaret) {
  HWND edit = Make("Edit", "", WS_BORDER | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL, 10, 10, 200, 60, 80);
  SetFocus(edit);
  Take();
  Type(edit, "one\rtwo\rthree\rfour\rfive\rsix");
  EXPECT_EQ(TextOf(edit), "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix");
  EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 6);
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 2, 0), 10);
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 9, 0), -1);
  EXPECT_EQ(SendMessageA(edit, EM_LINEFROMCHAR, 12, 0), 2);
  EXPECT_EQ(SendMessageA(edit, EM_LINELENGTH, 10, 0), 5);
  EXPECT_GT(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "scrolled down to the caret";
  bool vscroll = false;
  for (const Recorded& r : Notifications()) vscroll |= r.wParam == Code(EN_VSCROLL);
  EXPECT_TRUE(vscroll);
  Press(nullptr, VK_HOME, VK_CONTROL);
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  Press(nullptr, VK_DOWN);
  Press(nullptr, VK_END);
  EXPECT_EQ(Sel(edit).second, 8u) << "the end of \"two\"";
  Press(nullptr, VK_RIGHT);
  EXPECT_EQ(Sel(edit).second, 10u) << "over the line break as one";
  Type(edit, "\b");
  EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 5);
  char line[16] = {};
  line[0] = sizeof line - 1;
  LRESULT n = SendMessageA(edit, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line));
  EXPECT_EQ(std::string(line, static_cast<std::size_t>(n)), "twothree");
  // Scroll requests move the view without moving the caret.
  SendMessageA(edit, WM_VSCROLL, 1 /* a line down */, 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  EXPECT_EQ(Sel(edit).second, 8u);
}

TEST_F(Edits, InADialogAMultiLineEditLeavesTabEscapeAndPlainEnterToTheDialog) {
  HWND plain = Make("Edit", "", ES_MULTILINE, 10, 10, 100, 40, 83);
  HWND wants = Make("Edit", "", ES_MULTILINE | ES_WANTRETURN, 10, 60, 100, 40, 84);
  auto code = [](HWND edit, WPARAM key) {
    MSG msg{edit, WM_KEYDOWN, key, 0, 0, {}};
    return SendMessageA(edit, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg)) & DLGC_WANTALLKEYS;
  };
  EXPECT_FALSE(code(plain, VK_RETURN));
  EXPECT_TRUE(code(wants, VK_RETURN));
  EXPECT_FALSE(code(wants, VK_TAB));
  EXPECT_FALSE(code(wants, VK_ESCAPE));
  EXPECT_TRUE(code(wants, VK_LEFT));
}

}  // namespace

namespace {

SCROLLINFO VerticalBar(HWND edit) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(edit, SB_VERT, &info);
  return info;
}

}  // namespace

// A multi-line edit with WS_VSCROLL: the bar shows once the lines outgrow the window, follows the
// caret and the scroll messages, and its thumb scrolls the text.
TEST_F(Edits, TheVerticalBarTracksTheLinesAndScrollsTheText) {
  HWND edit = MakeEdit(ES_MULTILINE | WS_VSCROLL, "one", 200, 60);
  EXPECT_EQ(VerticalBar(edit).nMax, 0);
  EXPECT_FALSE(GetWindowLongA(edit, GWL_STYLE) & WS_VSCROLL);  // one line fits: no bar

  SendMessageA(edit, EM_SETSEL, 3, 3);
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10"));
  SCROLLINFO bar = VerticalBar(edit);
  EXPECT_EQ(bar.nMax, 9);  // ten lines
  EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & WS_VSCROLL);
  const int page = static_cast<int>(bar.nPage);
  ASSERT_GT(page, 0);
  ASSERT_LT(page, 10);
  EXPECT_EQ(bar.nPos, 10 - page);  // the caret's last line in view
  EXPECT_EQ(bar.nPos, SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0));

  SendMessageA(edit, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
  EXPECT_EQ(VerticalBar(edit).nPos, 0);
  SendMessageA(edit, EM_SCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(VerticalBar(edit).nPos, 1);
  SendMessageA(edit, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 3);
  EXPECT_EQ(VerticalBar(edit).nPos, 3);

  SetWindowTextA(edit, "short");
  bar = VerticalBar(edit);
  EXPECT_EQ(bar.nMax, 0);
  EXPECT_EQ(bar.nPos, 0);
}
