#include <framework/String.h>

#include <cstdarg>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// A caller's own variadic function, which hands its arguments to FormatV.
CString FormatThrough(LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  CString text;
  text.FormatV(format, args);
  va_end(args);
  return text;
}

}  // namespace

TEST(CString, IsOnePointerToItsNulTerminatedText) {
  static_assert(sizeof(CString) == sizeof(char*));
  CString text("abc");
  EXPECT_EQ(*reinterpret_cast<const char* const*>(&text), static_cast<LPCSTR>(text));
  EXPECT_STREQ(text, "abc");
  EXPECT_STREQ(CString(), "");
  EXPECT_STREQ(CString(static_cast<LPCSTR>(nullptr)), "");
  EXPECT_STREQ(CString("abcdef", 3), "abc");
  EXPECT_STREQ(CString("ab\0cd", 5), "ab");
  EXPECT_STREQ(CString('x', 3), "xxx");
  EXPECT_STREQ(CString(std::string_view("view", 2)), "vi");
}

TEST(CString, CopiesAreIndependentAndAliasingIsSafe) {
  CString a("hello");
  CString b = a;
  b.SetAt(0, 'j');
  EXPECT_STREQ(a, "hello");
  EXPECT_STREQ(b, "jello");

  a = a;  // self-assignment
  EXPECT_STREQ(a, "hello");
  a += a;
  EXPECT_STREQ(a, "hellohello");
  a = static_cast<LPCSTR>(a) + 5;  // a text inside the string's own buffer
  EXPECT_STREQ(a, "hello");
  a = a.Mid(1, 3);
  EXPECT_STREQ(a, "ell");

  CString moved = std::move(a);
  EXPECT_STREQ(moved, "ell");
  a = "again";  // a moved-from string stays usable
  EXPECT_STREQ(a, "again");
}

TEST(CString, ConcatenatesAndCompares) {
  CString s = CString("a") + "b" + 'c' + CString("d");
  s = "<" + s + '>';
  EXPECT_STREQ(s, "<abcd>");
  s += 'x';
  s += "yz";
  EXPECT_EQ(s, "<abcd>xyz");
  EXPECT_EQ(s.GetLength(), 9);

  EXPECT_TRUE(CString("abc") < CString("abd"));
  EXPECT_TRUE(CString("abc") < "abcd");
  EXPECT_TRUE("b" > CString("abc"));
  EXPECT_TRUE(CString("\xC3\xA4") > "z");  // bytes compare unsigned, as strcmp does
  EXPECT_NE(CString("a"), "A");

  struct Case {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"Hello", "hELLO", 0}, {"abc", "ABD", -1}, {"abc", "AB", 1}, {"", "", 0},
      {"_", "A", -1},                // letters fold to small ones first, like the C library
      {"\xC3\x84", "\xC3\xA4", -1},  // only ASCII letters fold
  };
  for (const auto& c : cases) {
    int r = CString(c.a).CompareNoCase(c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
  }
}

TEST(CString, PiecesAreClampedAtTheEdges) {
  const CString s("abcdef");
  struct Case {
    int first, count;
    const char* expected;
  } mids[] = {
      {0, 6, "abcdef"}, {2, 2, "cd"}, {4, 100, "ef"}, {-3, 2, "ab"}, {6, 1, ""}, {7, 1, ""},
      {2, -1, ""}, {0, 0, ""},
  };
  for (const auto& c : mids) EXPECT_STREQ(s.Mid(c.first, c.count), c.expected) << c.first << "," << c.count;
  EXPECT_STREQ(s.Mid(3), "def");
  EXPECT_STREQ(s.Mid(-1), "abcdef");
  EXPECT_STREQ(s.Left(2), "ab");
  EXPECT_STREQ(s.Left(10), "abcdef");
  EXPECT_STREQ(s.Left(-1), "");
  EXPECT_STREQ(s.Right(2), "ef");
  EXPECT_STREQ(s.Right(10), "abcdef");
  EXPECT_STREQ(s.Right(-1), "");
  EXPECT_STREQ(CString("123abc").SpanIncluding("0123456789"), "123");
  EXPECT_STREQ(CString("key=value").SpanExcluding("=;"), "key");
  EXPECT_STREQ(CString("abc").SpanExcluding("x"), "abc");
}

TEST(CString, FindsFromTheGivenStart) {
  const CString s("a,b,,c");
  struct Case {
    int found;
    int expected;
  } cases[] = {
      {s.Find(','), 1},          {s.Find(',', 2), 3},      {s.Find(',', 5), -1},
      {s.Find(',', 100), -1},    {s.Find(',', -5), 1},     {s.Find(",,"), 3},
      {s.Find("c", 5), 5},       {s.Find("", 6), 6},       {s.Find("", 7), -1},
      {s.Find("x"), -1},         {s.ReverseFind(','), 4},  {s.ReverseFind('x'), -1},
      {s.FindOneOf("cb"), 2},    {s.FindOneOf(""), -1},    {CString().Find('a'), -1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].found, cases[i].expected) << "case " << i;
}

TEST(CString, EditsReportWhatTheyDid) {
  CString s("a-b-c");
  EXPECT_EQ(s.Replace('-', '+'), 2);
  EXPECT_STREQ(s, "a+b+c");
  EXPECT_EQ(s.Replace("+", "<>"), 2);
  EXPECT_STREQ(s, "a<>b<>c");
  EXPECT_EQ(s.Replace("<>", ""), 2);
  EXPECT_STREQ(s, "abc");
  EXPECT_EQ(s.Replace("", "x"), 0);
  CString overlap("aaaa");
  EXPECT_EQ(overlap.Replace("aa", "a"), 2);  // left to right, without rescanning the output
  EXPECT_STREQ(overlap, "aa");
  CString empty;
  EXPECT_EQ(empty.Replace('a', 'b'), 0);

  CString r("banana");
  EXPECT_EQ(r.Remove('a'), 3);
  EXPECT_STREQ(r, "bnn");

  CString t("ace");
  EXPECT_EQ(t.Insert(1, 'b'), 4);
  EXPECT_EQ(t.Insert(3, "d"), 5);
  EXPECT_EQ(t.Insert(100, "!"), 6);  // past the end appends
  EXPECT_EQ(t.Insert(-5, "<"), 7);   // before the start prepends
  EXPECT_STREQ(t, "<abcde!");
  EXPECT_EQ(t.Delete(0), 6);
  EXPECT_EQ(t.Delete(4, 100), 4);    // the count stops at the end
  EXPECT_EQ(t.Delete(10, 1), 4);
  EXPECT_STREQ(t, "abcd");
}

TEST(CString, ChangesCaseAndReverses) {
  struct Case {
    const char* text;
    const char* upper;
    const char* lower;
  } cases[] = {
      {"Hello, World 1", "HELLO, WORLD 1", "hello, world 1"},
      {"\xC3\xA4\xC3\xB6\xC3\xBC \xC3\x9F", "\xC3\x84\xC3\x96\xC3\x9C \xC3\x9F", "\xC3\xA4\xC3\xB6\xC3\xBC \xC3\x9F"},
      {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xC5\x81\xC3\x93" "D\xC5\xB9", "\xC5\x82\xC3\xB3" "d\xC5\xBA"},  // Łódź
      {"\xC3\xBF\xC5\xB8", "\xC5\xB8\xC5\xB8", "\xC3\xBF\xC3\xBF"},                                   // ÿŸ
      {"\xCE\xA3\xCE\xBF\xCF\x82", "\xCE\xA3\xCE\x9F\xCE\xA3", "\xCF\x83\xCE\xBF\xCF\x82"},           // Σος
      {"\xD0\x81\xD0\xB6", "\xD0\x81\xD0\x96", "\xD1\x91\xD0\xB6"},                                   // Ёж
      {"\xE2\x82\xAC\xFF", "\xE2\x82\xAC\xFF", "\xE2\x82\xAC\xFF"},  // no case; a stray byte untouched
  };
  for (const auto& c : cases) {
    CString upper(c.text), lower(c.text);
    upper.MakeUpper();
    lower.MakeLower();
    EXPECT_STREQ(upper, c.upper) << c.text;
    EXPECT_STREQ(lower, c.lower) << c.text;
  }
  CString r("ab\xC3\xA4\xE2\x82\xAC" "c");
  r.MakeReverse();
  EXPECT_STREQ(r, "c\xE2\x82\xAC\xC3\xA4" "ba");  // characters reversed, each one kept whole
}

TEST(CString, Trims) {
  struct Case {
    const char* text;
    void (*trim)(CString&);
    const char* expected;
  } cases[] = {
      {" \t\r\n x y \n", [](CString& s) { s.TrimLeft(); }, "x y \n"},
      {" \t\r\n x y \n", [](CString& s) { s.TrimRight(); }, " \t\r\n x y"},
      {"   ", [](CString& s) { s.TrimLeft(); }, ""},
      {"   ", [](CString& s) { s.TrimRight(); }, ""},
      {"xxaxx", [](CString& s) { s.TrimLeft('x'); }, "axx"},
      {"xxaxx", [](CString& s) { s.TrimRight('x'); }, "xxa"},
      {"-=a=-", [](CString& s) { s.TrimLeft("=-"); }, "a=-"},
      {"-=a=-", [](CString& s) { s.TrimRight("=-"); }, "-=a"},
      {"abc", [](CString& s) { s.TrimRight(""); }, "abc"},
      {"", [](CString& s) { s.TrimLeft(); s.TrimRight(); }, ""},
  };
  for (const auto& c : cases) {
    CString s(c.text);
    c.trim(s);
    EXPECT_STREQ(s, c.expected) << '"' << c.text << '"';
  }
}

TEST(CString, FormatTakesCStringsAndWindowsSizes) {
  CString name("Anna"), empty;
  CString s;
  s.Format("%s has %d, %-6s|%5s|", name, 3, name, empty);
  EXPECT_STREQ(s, "Anna has 3, Anna  |     |");

  // Windows sizes: long is 32 bits, %I64d and %lld take 64.
  LONG negative = -5;
  DWORD big = 0xFFFFFFFF;
  s.Format("%ld %lu %d %I64d %lld %hd", negative, big, negative, -(1LL << 40), 1LL << 40, 70000);
  EXPECT_STREQ(s, "-5 4294967295 -5 -1099511627776 1099511627776 4464");

  // Handles print as the number they are, as the command lines of the suite need.
  auto hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1A2B));
  s.Format(" hWnd=%08X hMainWnd=%08x", hwnd, 0xBEEFu);
  EXPECT_STREQ(s, " hWnd=00001A2B hMainWnd=0000beef");

  s.Format("%c%c %5.1f %e %%", 'o', 'k', 3.14159, 1.0e-3);
  EXPECT_STREQ(s, "ok   3.1 1.000000e-03 %");
  s.Format("%*d|%-*d|%.*s", 4, 7, 3, 8, 2, "abcdef");
  EXPECT_STREQ(s, "   7|8  |ab");
  s.Format("%s %d %s", "only one");  // missing arguments read as empty, never past the list
  EXPECT_STREQ(s, "only one 0 (null)");
  s.Format("100%");  // a lone % stays
  EXPECT_STREQ(s, "100%");
  s.Format("%s", s);  // the string formats itself
  EXPECT_STREQ(s, "100%");
  char buffer[8] = "buf";
  s.Format("%s:%s", buffer, static_cast<LPCSTR>(nullptr));
  EXPECT_STREQ(s, "buf:(null)");

  EXPECT_STREQ(FormatThrough("%s=%ld/%d", static_cast<LPCSTR>(name), LONG{-7}, 42), "Anna=-7/42");
  EXPECT_STREQ(FormatThrough("%I64u", 18446744073709551615ULL), "18446744073709551615");
}

TEST(CString, BufferAccess) {
  CString s("abc");
  char* p = s.GetBuffer(20);
  EXPECT_STREQ(p, "abc");  // the text is kept
  std::strcpy(p, "longer text");
  s.ReleaseBuffer();
  EXPECT_STREQ(s, "longer text");
  EXPECT_EQ(s.GetLength(), 11);

  p = s.GetBuffer(0);
  p[3] = '\0';
  s.ReleaseBuffer();
  EXPECT_STREQ(s, "lon");

  p = s.GetBuffer(8);
  std::memcpy(p, "12345678", 8);
  s.ReleaseBuffer(5);  // an explicit length
  EXPECT_STREQ(s, "12345");
  EXPECT_EQ(s.GetLength(), 5);

  CString full;
  p = full.GetBuffer(4);
  std::memset(p, 'z', 5);  // the room and its terminator overwritten: -1 stops at the room's end
  full.ReleaseBuffer(-1);
  EXPECT_STREQ(full, "zzzz");

  CString e;
  p = e.GetBufferSetLength(3);
  std::memcpy(p, "xyz", 3);
  e.ReleaseBuffer();
  EXPECT_STREQ(e, "xyz");
  CString f;
  f.GetBuffer(0);
  f.ReleaseBuffer();
  EXPECT_TRUE(f.IsEmpty());
  f.Empty();
  EXPECT_EQ(f.GetLength(), 0);
}

#ifndef NDEBUG
TEST(CStringDeathTest, IndexOutOfRangeIsCaught) {
  CString s("ab");
  EXPECT_EQ(s[1], 'b');
  EXPECT_DEATH(s.GetAt(2), "out of range");
}
#endif
