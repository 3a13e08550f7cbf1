// Fonts, measuring and drawing text: fixed faces measure the same everywhere, alignment and
// rotation put text where it belongs, DrawText's flags lay it out.
#include "Probe.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class Font {
public:
  Font(const char* face, int height, int weight = FW_NORMAL, int escapement = 0) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfEscapement = escapement;
    std::strcpy(lf.lfFaceName, face);
    m_font = CreateFontIndirectA(&lf);
  }
  ~Font() { DeleteObject(m_font); }
  HFONT get() const { return m_font; }

private:
  HFONT m_font;
};

// The box of pixels that are not `background`.
RECT Ink(const Canvas& c, COLORREF background) {
  RECT box{c.width(), c.height(), -1, -1};
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x)
      if (c.At(x, y) != background) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box;
}

}  // namespace

TEST(Text, FixedFacesMeasureTheSameEveryRun) {
  // Recorded once; any change in face choice, size rounding or hinting shows here.
  struct Case { const char* face; int height; int weight; const char* text; LONG cx, cy, ascent, descent, average; };
  const Case cases[] = {
      {"Verdana", 13, FW_BOLD, "Get List", 48, 13, 10, 3, 6},
      {"Verdana", -11, FW_NORMAL, "Contacts", 49, 13, 10, 3, 6},
      {"MS Sans Serif", -11, FW_NORMAL, "Schedule", 51, 13, 10, 3, 6},
      {"Tahoma", -11, FW_NORMAL, "Cancel", 38, 13, 10, 3, 6},
      {"Small Fonts", -9, FW_NORMAL, "1234", 24, 10, 8, 2, 5},
      {"Arial", 16, FW_NORMAL, "Verdana 16", 83, 16, 13, 3, 7},
      {"Courier New", -12, FW_NORMAL, "mono", 28, 14, 11, 3, 7},
      {"Tahoma", -11, FW_BOLD, "Dravik", 39, 13, 10, 3, 6},
  };
  Canvas c(4, 4);
  for (int run = 0; run < 2; ++run) {
    for (const Case& k : cases) {
      Font f(k.face, k.height, k.weight);
      HGDIOBJ old = SelectObject(c.dc(), f.get());
      SIZE s{};
      ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), k.text, static_cast<int>(std::strlen(k.text)), &s));
      TEXTMETRICA tm{};
      ASSERT_TRUE(GetTextMetricsA(c.dc(), &tm));
      EXPECT_EQ(s.cx, k.cx) << k.face << " " << k.text;
      EXPECT_EQ(s.cy, k.cy) << k.face << " " << k.text;
      EXPECT_EQ(tm.tmAscent, k.ascent) << k.face;
      EXPECT_EQ(tm.tmDescent, k.descent) << k.face;
      EXPECT_EQ(tm.tmAveCharWidth, k.average) << k.face;
      EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
      EXPECT_EQ(tm.tmWeight, k.weight);
      SelectObject(c.dc(), old);
    }
  }
}

TEST(Text, PositiveHeightIsTheCellAndNegativeTheCharacterHeight) {
  Canvas c(4, 4);
  Font cell("Verdana", 16), character("Verdana", -16);
  TEXTMETRICA tm{};
  HGDIOBJ old = SelectObject(c.dc(), cell.get());
  GetTextMetricsA(c.dc(), &tm);
  EXPECT_EQ(tm.tmHeight, 16);
  SelectObject(c.dc(), character.get());
  GetTextMetricsA(c.dc(), &tm);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 16);
  SelectObject(c.dc(), old);
}

TEST(Text, UnicodeAndUtf8MeasureAlike) {
  Canvas c(4, 4);
  Font f("Tahoma", -11);
  HGDIOBJ old = SelectObject(c.dc(), f.get());
  SIZE a{}, w{};
  GetTextExtentPoint32A(c.dc(), "Caf\xC3\xA9 \xE2\x82\xAC", 9, &a);
  GetTextExtentPoint32W(c.dc(), u"Caf\u00E9 \u20AC", 6, &w);
  EXPECT_EQ(a.cx, w.cx);
  EXPECT_GT(a.cx, 0);
  SelectObject(c.dc(), old);
}

TEST(Text, AlignmentPlacesTheReferencePoint) {
  Font f("Verdana", -16);
  struct Case { UINT align; const char* where; };
  const Case cases[] = {{TA_LEFT | TA_TOP, "right-below"}, {TA_RIGHT | TA_TOP, "left-below"},
                        {TA_CENTER | TA_BOTTOM, "centred-above"}, {TA_LEFT | TA_BASELINE, "right-on-baseline"}};
  for (const Case& k : cases) {
    Canvas c(200, 80);
    HGDIOBJ old = SelectObject(c.dc(), f.get());
    SetTextAlign(c.dc(), k.align);
    SetBkMode(c.dc(), TRANSPARENT);
    ASSERT_TRUE(TextOutA(c.dc(), 100, 40, "Hxg", 3));
    const RECT ink = Ink(c, RGB(255, 255, 255));
    SIZE s{};
    GetTextExtentPoint32A(c.dc(), "Hxg", 3, &s);
    const std::string where = k.where;
    if (where == "right-below") {
      EXPECT_GE(ink.left, 100);
      EXPECT_GE(ink.top, 40);
      EXPECT_LE(ink.right, 100 + s.cx);
    } else if (where == "left-below") {
      EXPECT_LE(ink.right, 100);
      EXPECT_GE(ink.left, 100 - s.cx);
      EXPECT_GE(ink.top, 40);
    } else if (where == "centred-above") {
      EXPECT_LE(ink.bottom, 40);
      EXPECT_LE(std::abs((ink.left + ink.right) / 2 - 100), 2);
    } else {
      EXPECT_LT(ink.top, 40);   // "H" stands on the baseline...
      EXPECT_GT(ink.bottom, 40);  // ...and "g" hangs below it
    }
    SelectObject(c.dc(), old);
  }
}

TEST(Text, RotatedTextRunsInItsDirection) {
  struct Case { int escapement; int dx, dy; };  // direction the text runs in
  const Case cases[] = {{0, 1, 0}, {900, 0, -1}, {1800, -1, 0}, {2700, 0, 1}};
  for (const Case& k : cases) {
    Font f("Verdana", -14, FW_NORMAL, k.escapement);
    Canvas c(160, 160);
    HGDIOBJ old = SelectObject(c.dc(), f.get());
    SetBkMode(c.dc(), TRANSPARENT);
    SetTextAlign(c.dc(), TA_LEFT | TA_BASELINE);
    ASSERT_TRUE(TextOutA(c.dc(), 80, 80, "MMMMMM", 6));
    SIZE s{};
    GetTextExtentPoint32A(c.dc(), "MMMMMM", 6, &s);
    const RECT ink = Ink(c, RGB(255, 255, 255));
    c.Save(("rotated" + std::to_string(k.escapement)).c_str());
    const int w = ink.right - ink.left, h = ink.bottom - ink.top;
    if (k.dx) {
      EXPECT_GT(w, s.cx - 4) << k.escapement;
      EXPECT_LT(h, 16) << k.escapement;
      if (k.dx > 0) EXPECT_GE(ink.left, 79); else EXPECT_LE(ink.right, 81);
      // The letters stand on the baseline: above it upright, below it upside down.
      if (k.dx > 0) EXPECT_LE(ink.bottom, 81); else EXPECT_GE(ink.top, 79);
    } else {
      EXPECT_GT(h, s.cx - 4) << k.escapement;
      EXPECT_LT(w, 16) << k.escapement;
      if (k.dy < 0) EXPECT_LE(ink.bottom, 81); else EXPECT_GE(ink.top, 79);
      // Turned left the letters lie left of the baseline, turned right they lie right of it.
      if (k.dy < 0) EXPECT_LE(ink.right, 81); else EXPECT_GE(ink.left, 79);
    }
    SelectObject(c.dc(), old);
  }
}

TEST(Text, OpaqueBackgroundFillsTheCellAndTransparentLeavesIt) {
  Font f("Tahoma", -11);
  Canvas c(100, 20, RGB(0, 255, 0));
  HGDIOBJ old = SelectObject(c.dc(), f.get());
  SetBkColor(c.dc(), RGB(0, 0, 255));
  TextOutA(c.dc(), 0, 0, "i", 1);
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));  // the top-left of the cell is background
  SetBkMode(c.dc(), TRANSPARENT);
  TextOutA(c.dc(), 50, 0, "i", 1);
  EXPECT_EQ(c.At(50, 0), RGB(0, 255, 0));
  RECT r{20, 2, 30, 12};
  SetBkMode(c.dc(), OPAQUE);
  ExtTextOutA(c.dc(), 20, 2, ETO_OPAQUE | ETO_CLIPPED, &r, "WWWWWW", 6, nullptr);
  EXPECT_EQ(c.At(29, 11), RGB(0, 0, 255));
  EXPECT_EQ(c.At(31, 5), RGB(0, 255, 0));  // clipped at the rectangle
  SelectObject(c.dc(), old);
}

TEST(Text, TextColourIsUsedAtFullCoverage) {
  Font f("Verdana", -20, FW_BOLD);
  Canvas c(40, 30);
  HGDIOBJ old = SelectObject(c.dc(), f.get());
  SetTextColor(c.dc(), RGB(200, 0, 0));
  TextOutA(c.dc(), 2, 2, "I", 1);
  int solid = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) solid += c.At(x, y) == RGB(200, 0, 0);
  EXPECT_GT(solid, 20);  // the stem of a bold I is solid text colour
  SelectObject(c.dc(), old);
}

namespace {

struct DrawCase {
  const char* text;
  UINT format;
  RECT rect;
  // Checks on the ink box and the result.
  LONG inkLeftMin, inkLeftMax, inkTopMin, inkTopMax, inkRightMax, inkBottomMax;
};

}  // namespace

TEST(DrawText, FlagsPlaceTheText) {
  Font f("Tahoma", -11);  // 13-pixel lines
  const LONG any = 1000;
  const DrawCase cases[] = {
      // Left and top by default.
      {"Hello", DT_SINGLELINE, {10, 10, 190, 50}, 10, 11, 10, 13, 50, 50},
      // Right: ends at the right edge.
      {"Hello", DT_SINGLELINE | DT_RIGHT, {10, 10, 190, 50}, 140, 170, 10, 13, 190, 50},
      // Centre, vertically centred: the cell's top at 10 + (40 - 13) / 2 = 23.
      {"Hello", DT_SINGLELINE | DT_CENTER | DT_VCENTER, {10, 10, 190, 50}, 70, 100, 23, 26, 130, 36},
      // Bottom: the cell ends at the bottom edge.
      {"Hello", DT_SINGLELINE | DT_BOTTOM, {10, 10, 190, 50}, 10, 11, 37, 40, 50, 50},
      // Clipped to the rectangle unless DT_NOCLIP.
      {"Hello world", DT_SINGLELINE, {10, 10, 30, 50}, 10, 11, 10, 13, 30, 50},
      {"Hello world", DT_SINGLELINE | DT_NOCLIP, {10, 10, 30, 50}, 10, 11, 10, 13, any, 50},
      // Word break wraps into the width and goes down.
      {"one two three four", DT_WORDBREAK, {10, 2, 60, 60}, 10, 11, 2, 5, 60, 60},
  };
  for (const DrawCase& k : cases) {
    Canvas c(200, 60);
    HGDIOBJ old = SelectObject(c.dc(), f.get());
    SetBkMode(c.dc(), TRANSPARENT);
    RECT r = k.rect;
    const int height = DrawTextA(c.dc(), k.text, -1, &r, k.format);
    EXPECT_GT(height, 0) << k.text << " " << k.format;
    const RECT ink = Ink(c, RGB(255, 255, 255));
    EXPECT_GE(ink.left, k.inkLeftMin) << k.format;
    EXPECT_LE(ink.left, k.inkLeftMax) << k.format;
    EXPECT_GE(ink.top, k.inkTopMin) << k.format;
    EXPECT_LE(ink.top, k.inkTopMax) << k.format;
    EXPECT_LE(ink.right, k.inkRightMax) << k.format;
    EXPECT_LE(ink.bottom, k.inkBottomMax) << k.format;
    SelectObject(c.dc(), old);
  }
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
  Font f("Tahoma", -11);
  Canvas c(200, 60);
  HGDIOBJ old = SelectObject(c.dc(), f.get());
  SIZE s{};
  GetTextExtentPoint32A(c.dc(), "Hello", 5, &s);
  RECT r{5, 5, 200, 5};
  EXPECT_EQ(DrawTextA(c.dc(), "Hello", -1, &r, DT_SINGLELINE | DT_CALCRECT), 13);
  EXPECT_EQ(r.right, 5 + s.cx);
  EXPECT_EQ(r.bottom, 18);
  EXPECT_EQ(Ink(c, RGB(255, 255, 255)).right, -1);  // nothing drawn
  // Word-broken text keeps to the width and grows downwards; the widest line sets the width.
  RECT wrap{0, 0, 60, 0};
  EXPECT_EQ(DrawTextA(c.dc(), "one two three four", -1, &wrap, DT_CALCRECT | DT_WORDBREAK | DT_CENTER), 26);
  EXPECT_LE(wrap.right, 60);
  EXPECT_EQ(wrap.bottom, 26);
  RECT tight{0, 0, 30, 0};
  EXPECT_EQ(DrawTextA(c.dc(), "one two three four", -1, &tight, DT_CALCRECT | DT_WORDBREAK), 52);
  // A word longer than the width widens the rectangle.
  RECT narrow{0, 0, 10, 0};
  DrawTextA(c.dc(), "unbreakable", -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_GT(narrow.right, 10);
  RECT empty{3, 3, 50, 50};
  EXPECT_EQ(DrawTextA(c.dc(), "", -1, &empty, DT_CALCRECT | DT_SINGLELINE), 0);
  EXPECT_EQ(empty.right, 3);
  // Line breaks count without DT_SINGLELINE only.
  RECT lines{0, 0, 100, 0};
  EXPECT_EQ(DrawTextA(c.dc(), "a\r\nb\nc", -1, &lines, DT_CALCRECT), 39);
  RECT one{0, 0, 100, 0};
  EXPECT_EQ(DrawTextA(c.dc(), "a\r\nb\nc", -1, &one, DT_CALCRECT | DT_SINGLELINE), 13);
  SelectObject(c.dc(), old);
}

TEST(DrawText, PrefixesUnderlineAndDoubleAmpersandsStay) {
  Font f("Tahoma", -11);
  Canvas c(100, 20);
  HGDIOBJ old = SelectObject(c.dc(), f.get());
  SIZE plain{}, amp{};
  GetTextExtentPoint32A(c.dc(), "Get List", 8, &plain);
  GetTextExtentPoint32A(c.dc(), "a&b", 3, &amp);
  struct Case { const char* text; UINT format; LONG width; bool underline; };
  const Case cases[] = {
      {"&Get List", 0, plain.cx, true},
      {"&Get List", DT_HIDEPREFIX, plain.cx, false},
      {"a&&b", 0, amp.cx, false},
      {"a&b", DT_NOPREFIX, amp.cx, false},
  };
  for (const Case& k : cases) {
    RECT r{0, 0, 100, 0};
    DrawTextA(c.dc(), k.text, -1, &r, k.format | DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.right, k.width) << k.text;
    c.Fill(RGB(255, 255, 255));
    RECT draw{0, 0, 100, 20};
    DrawTextA(c.dc(), k.text, -1, &draw, k.format | DT_SINGLELINE);
    // The underline runs under "G" on the row below the baseline (ascent 10, position 1).
    bool underline = true;
    for (int x = 1; x < 6; ++x) underline = underline && c.At(x, 11) == RGB(0, 0, 0);
    EXPECT_EQ(underline, k.underline) << k.text << " " << k.format;
  }
  SelectObject(c.dc(), old);
}

TEST(DrawText, EllipsesShortenWhatDoesNotFit) {
  Font f("Tahoma", -11);
  Canvas c(300, 20);
  HGDIOBJ old = SelectObject(c.dc(), f.get());
  SIZE dots{}, full{};
  GetTextExtentPoint32A(c.dc(), "...", 3, &dots);
  const char* path = "C:\\Program Files\\Dravik\\Contacts.txt";
  GetTextExtentPoint32A(c.dc(), path, static_cast<int>(std::strlen(path)), &full);
  RECT r{0, 0, 100, 0};
  DrawTextA(c.dc(), path, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_LE(r.right, 100);
  EXPECT_GT(r.right, 100 - 12);
  SIZE file{};
  GetTextExtentPoint32A(c.dc(), "\\Contacts.txt", 13, &file);
  RECT p{0, 0, 150, 0};
  DrawTextA(c.dc(), path, -1, &p, DT_CALCRECT | DT_SINGLELINE | DT_PATH_ELLIPSIS);
  EXPECT_LE(p.right, 150);
  EXPECT_GE(p.right, file.cx + dots.cx);  // the file name is kept whole
  RECT fits{0, 0, 1000, 0};
  DrawTextA(c.dc(), path, -1, &fits, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(fits.right, full.cx);  // nothing to shorten
  SelectObject(c.dc(), old);
}

TEST(DrawText, TabsExpandToEightAverageCharacters) {
  Font f("Tahoma", -11);
  Canvas c(300, 20);
  HGDIOBJ old = SelectObject(c.dc(), f.get());
  TEXTMETRICA tm{};
  GetTextMetricsA(c.dc(), &tm);
  SIZE x{};
  GetTextExtentPoint32A(c.dc(), "x", 1, &x);
  RECT r{0, 0, 300, 0};
  DrawTextA(c.dc(), "\tx", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_EQ(r.right, 8 * tm.tmAveCharWidth + x.cx);
  SelectObject(c.dc(), old);
}
