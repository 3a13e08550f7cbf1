#include <base/Base.h>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Converts with a size query first, as callers do; returns the text without its count of NULs.
std::u16string ToWide(UINT codePage, const std::string& bytes, DWORD flags = 0) {
  int needed = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(needed), u'\0');
  if (needed == 0) return out;
  int written = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                    out.data(), needed);
  EXPECT_EQ(written, needed);
  return out;
}

std::string ToBytes(UINT codePage, const std::u16string& text, BOOL* usedDefault = nullptr,
                    const char* defaultChar = nullptr) {
  int needed = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   defaultChar, usedDefault);
  std::string out(static_cast<size_t>(needed), '\0');
  int written = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                    needed, defaultChar, usedDefault);
  EXPECT_EQ(written, needed);
  return out;
}

struct RoundTrip {
  UINT codePage;
  std::string bytes;
  std::u16string text;
};

}  // namespace

TEST(CodePage, ConvertsBothWays) {
  const RoundTrip cases[] = {
      {CP_ACP, "Hello, 123", u"Hello, 123"},
      {CP_UTF8, "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", u"\u00E4\u00F6\u00FC\u00DF"},
      {CP_UTF8, "\xE2\x82\xAC", u"\u20AC"},
      {CP_UTF8, "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},  // beyond U+FFFF: a surrogate pair
      {CP_WINDOWS_1252, "Caf\xE9 \x80 \x9F", u"Caf\u00E9 \u20AC \u0178"},
      {CP_WINDOWS_1252, "\x84quoted\x93", u"\u201Equoted\u201C"},
      {CP_OEM_850, "\x81\x84\x94\x9C\xE1", u"\u00FC\u00E4\u00F6\u00A3\u00DF"},
      {CP_OEMCP, "\xC9\xCD\xBB", u"\u2554\u2550\u2557"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    EXPECT_EQ(ToWide(c.codePage, c.bytes), c.text);
    BOOL usedDefault = TRUE;
    EXPECT_EQ(ToBytes(c.codePage, c.text, c.codePage == CP_UTF8 ? nullptr : &usedDefault), c.bytes);
    if (c.codePage != CP_UTF8) {
      EXPECT_FALSE(usedDefault);
    }
  }
}

TEST(CodePage, TablePagesRoundTripEveryDefinedByte) {
  for (UINT codePage : {CP_OEM_850, CP_WINDOWS_1252}) {
    for (int b = 1; b < 256; ++b) {
      if (codePage == CP_WINDOWS_1252 && (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D))
        continue;
      std::string byte(1, static_cast<char>(b));
      std::u16string wide = ToWide(codePage, byte, MB_ERR_INVALID_CHARS);
      ASSERT_EQ(wide.size(), 1u) << codePage << " byte " << b;
      EXPECT_EQ(ToBytes(codePage, wide), byte) << codePage << " byte " << b;
    }
  }
}

TEST(CodePage, UndefinedBytesOf1252AreReplacedOrRefused) {
  EXPECT_EQ(ToWide(CP_WINDOWS_1252, "a\x81" "b"), u"a\uFFFDb");
  WCHAR out[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_WINDOWS_1252, MB_ERR_INVALID_CHARS, "a\x9D", 2, out, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePage, UnmappableCharactersUseTheDefaultCharacter) {
  struct Case {
    UINT codePage;
    std::u16string text;
    const char* defaultChar;
    std::string expected;
  } cases[] = {
      {CP_WINDOWS_1252, u"a\u4E2Db", nullptr, "a?b"},
      {CP_WINDOWS_1252, u"\u0081", nullptr, "?"},             // a C1 control 1252 leaves undefined
      {CP_OEM_850, u"\u20AC5", "#", "#5"},                   // 850 has no euro sign
      {CP_WINDOWS_1252, u"x\xD800y", nullptr, "x?y"},         // unpaired surrogate
      {CP_WINDOWS_1252, u"\xD83D\xDE00", nullptr, "?"},       // one default for the whole pair
      {CP_ACP, u"x\xDC00", nullptr, "x?"},                    // ANSI page with usedDefaultChar given
  };
  for (const auto& c : cases) {
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToBytes(c.codePage, c.text, &usedDefault, c.defaultChar), c.expected);
    EXPECT_TRUE(usedDefault);
  }
  // Without a default character, UTF-8 writes U+FFFD for an unpaired surrogate.
  EXPECT_EQ(ToBytes(CP_UTF8, u"a\xDFFF"), "a\xEF\xBF\xBD");
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"a\xD800", 2, out, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePage, InvalidUtf8BecomesOneReplacementPerBadSequence) {
  struct Case {
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"a\x80" "b", u"a\uFFFDb"},                  // stray continuation byte
      {"\xC3", u"\uFFFD"},                         // truncated at the end
      {"\xE2\x82" "x", u"\uFFFDx"},                // truncated in the middle: one for both bytes
      {"\xC0\xAF", u"\uFFFD\uFFFD"},               // overlong lead byte, then a stray continuation
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},     // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xFF", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(ToWide(CP_UTF8, c.bytes), c.text);
    WCHAR out[8];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes.data(),
                                  static_cast<int>(c.bytes.size()), out, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  }
}

TEST(CodePage, SizesAndBuffers) {
  // -1 converts and counts the terminating NUL.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  WCHAR wide[4];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 4), 4);
  EXPECT_EQ(std::u16string(wide), u"abc");
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E4", -1, nullptr, 0, nullptr, nullptr), 3);

  // A buffer one unit short fails and says so.
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  WCHAR one[1];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, one, 1), 0);  // no half pair
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  char bytes[2];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC", 1, bytes, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  struct Bad {
    UINT codePage;
    const char* input;
    int inputLength;
    int outputSize;
    bool nullOutput;
  } bad[] = {
      {CP_ACP, "abc", 0, 4, false},       // empty input
      {CP_ACP, nullptr, 3, 4, false},     // no input
      {CP_ACP, "abc", -2, 4, false},
      {CP_ACP, "abc", 3, 4, true},        // a size but no buffer
      {437, "abc", 3, 4, false},          // a code page we do not have
  };
  for (const auto& b : bad) {
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(b.codePage, 0, b.input, b.inputLength, b.nullOutput ? nullptr : wide,
                                  b.outputSize), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  BOOL used;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 2, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0x1000, "a", 1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
}

TEST(CodePage, Identity) {
  EXPECT_EQ(GetACP(), CP_UTF8);
  EXPECT_EQ(GetOEMCP(), 850u);
  EXPECT_TRUE(IsValidCodePage(1252));
  EXPECT_FALSE(IsValidCodePage(437));
}

TEST(CodePage, NoKnownPageHasLeadBytes) {
  for (UINT page : {CP_ACP, CP_OEMCP, CP_THREAD_ACP, CP_UTF8, CP_WINDOWS_1252, CP_OEM_850}) {
    for (int byte = 0; byte < 256; ++byte) {
      SetLastError(0);
      ASSERT_FALSE(IsDBCSLeadByteEx(page, static_cast<BYTE>(byte))) << page << " " << byte;
      ASSERT_EQ(GetLastError(), 0u) << page;
    }
  }
  EXPECT_FALSE(IsDBCSLeadByte(0xE4));  // the first byte of a three-byte UTF-8 character
  SetLastError(0);
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0x82));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
