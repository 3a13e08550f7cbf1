// The byte budget, quoted-printable coding and clean-ups shared by the vCard and vCalendar formats.
#include "TextRoutines.h"

#include <gtest/gtest.h>

#include <string>

using namespace interlex;

namespace {

std::string Repeat(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(ShortStrChangeTest, CutsToTheBudgetInEachCodePage) {
  struct Case {
    const char* what;
    std::string text;
    int limit;
    int keepDoubleByte;
    UINT codePage;
    std::string expected;
  };
  const Case cases[] = {
      {"empty", "", 30, 1, CP_ACP, ""},
      {"ascii", "abcdef", 4, 1, CP_ACP, "abcd"},
      {"two-byte characters count their bytes", Repeat("\xC3\xA9", 20), 30, 1, CP_ACP, Repeat("\xC3\xA9", 15)},
      {"three-byte characters", Repeat("\xE2\x82\xAC", 11), 30, 0, CP_ACP, Repeat("\xE2\x82\xAC", 10)},
      {"cut falls between characters", "ab\xE2\x82\xAC", 4, 1, CP_ACP, "ab"},
      {"a byte of no character counts 3", "a\xFF" "b", 4, 1, CP_ACP, "a\xFF"},
      {"utf-8 keeps its characters without the double-byte flag", "\xC3\xA9" "x", 64, 0, CP_UTF8, "\xC3\xA9x"},
      {"1252: 20 high bytes in 30 are 10", Repeat("\xE9", 20), 30, 1, 1252, Repeat("\xE9", 10)},
      {"1252: a high byte that does not fit", "abc\xE9", 5, 1, 1252, "abc"},
      {"1252: exact fit", "ab\xE9", 5, 1, 1252, "ab\xE9"},
      {"932: a pair counts 3", "a\x82\xA0" "b", 4, 1, 932, "a\x82\xA0"},
      {"932: a pair is dropped whole", "abc\x82\xA0", 4, 1, 932, "abc"},
      {"932: a lead byte at the end is dropped", "ab\x82", 30, 1, 932, "ab"},
      {"932: without keepDoubleByte the text is empty", "a\x82\xA0", 30, 0, 932, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AsView(ShortStrChange(c.limit, CString(std::string_view(c.text)), c.keepDoubleByte, c.codePage)),
              c.expected)
        << c.what;
}

TEST(QPDecodeTest, DecodesAndKeepsWhatIsNoEscape) {
  const std::pair<std::string, std::string> cases[] = {
      {"caf=E9=20ok", "caf\xE9 ok"},
      {"a=3Db", "a=b"},
      {"=C3=A9", "\xC3\xA9"},
      {"=41=4", "A=4"},   // the second escape is cut short by the end
      {"=41=", "A="},
      {"x=", "x="},
      {"=4", "=4"},
      {"a=b=c", "a=b=c"},  // an '=' that starts no escape stays
      {"=0D=0Ax", "\r\nx"},
      {"=00x", "x"},        // no NUL inside a value
      {"plain", "plain"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(AsView(QPDecode(CString(std::string_view(in)))), out) << in;
}

TEST(QPDecodeTest, ReadsBackWhatTheEncoderWrites) {
  const std::string texts[] = {"a=b", "=41", "ends with =", "line\r\nbreak", "\xC3\xA9t\xC3\xA9 | =3D", "=",
                               "\t tab", "x=4"};
  for (const std::string& text : texts) {
    const CString encoded = QPEncode(text);
    EXPECT_NE(AsView(encoded).back(), '=') << text;
    EXPECT_EQ(AsView(encoded).find_first_of("\r\n"), std::string_view::npos) << text;
    EXPECT_EQ(AsView(QPDecode(encoded)), text) << AsView(encoded);
  }
  EXPECT_EQ(AsView(QPEncode("a=b\r\n\xC3\xA9")), "a=3Db=0D=0A=C3=A9");
}

TEST(StrToIntATest, HexPairsAndOddInput) {
  EXPECT_EQ(StrToIntA("41"), 0x41);
  EXPECT_EQ(StrToIntA("ff"), 0xFF);
  EXPECT_EQ(StrToIntA("4"), '4');
  EXPECT_EQ(StrToIntA("G1"), 'G' + 1);
  EXPECT_EQ(StrToIntA("1G"), 'G');
  EXPECT_EQ(StrToIntA(""), 0);
  EXPECT_EQ(StrToIntA("123"), 0);
}

TEST(TextCleanUpTest, NumbersNamesAndEncodings) {
  EXPECT_EQ(AsView(RemoveCharacteres("+49(0)1-2;a\\/:*?<>|\"")), "+49(0)12a");
  EXPECT_EQ(AsView(RemoveFileNameCharacters("a/b:c-d;e\"")), "abc-d;e");
  EXPECT_EQ(GetUTF8Len(CString("a\xC3\xA9\xE2\x82\xAC")), 1 + 2 + 3);
  EXPECT_EQ(GetUTF8Len(L'\x7FF'), 2);
  EXPECT_EQ(AsView(ToAnsiText("caf\xC3\xA9")), "caf\xC3\xA9");   // UTF-8 stays
  EXPECT_EQ(AsView(ToAnsiText("caf\xE9 \x80")), "caf\xC3\xA9 \xE2\x82\xAC");  // else 1252
  EXPECT_EQ(AsView(ToAnsiText(std::string_view("a\0b\0", 4))), "ab");
  EXPECT_EQ(AsView(ToAnsiText(std::string_view("\xE9\0", 2))), "\xC3\xA9");
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_EQ(AsView(BlankLineBreaks("a\r\nb")), "a  b");
}

}  // namespace
