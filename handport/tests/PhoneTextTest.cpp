// The conversions between the PC's texts and the phone's UTF-8, and the GSM cost of a text.
#include "PhoneText.h"

#include <gtest/gtest.h>
#include <ostream>

#include <string>
#include <vector>

namespace {

std::string Utf8Of(const CString& text) {
  CPhoneText phone(text);
  const BYTE* bytes = nullptr;
  int length = -1;
  EXPECT_EQ(phone.ToUtf8(bytes, length), 1);
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
}

CString FromPhone(std::string_view utf8) {
  CPhoneText phone;
  EXPECT_EQ(phone.FromUtf8(utf8), 1);
  return phone.Text();
}

struct RoundTrip {
  const char* name;
  const char* pc;     // the PC's text (UTF-8 is the ANSI code page here)
  std::string phone;  // the phone's bytes
};

// Test names show the case, not its bytes.
void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.name; }

class PhoneTextRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(PhoneTextRoundTrip, ConvertsBothWaysAndCountsUtf8Bytes) {
  const RoundTrip& c = GetParam();
  EXPECT_EQ(Utf8Of(c.pc), c.phone);
  EXPECT_STREQ(FromPhone(c.phone), c.pc);
}

INSTANTIATE_TEST_SUITE_P(Texts, PhoneTextRoundTrip,
                         testing::Values(RoundTrip{"Ascii", "Anna Berg 12", "Anna Berg 12"},
                                         RoundTrip{"Empty", "", ""},
                                         RoundTrip{"ADiaeresis", "\xC3\xA4", "\xC3\xA4"},
                                         RoundTrip{"Accented", "Ren\xC3\xA9\x65 \xC3\x85s", "Ren\xC3\xA9\x65 \xC3\x85s"},
                                         RoundTrip{"Euro", "5 \xE2\x82\xAC", "5 \xE2\x82\xAC"},
                                         RoundTrip{"Greek", "\xCE\xA9\xCE\x94", "\xCE\xA9\xCE\x94"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PhoneText, LengthsAreUtf8Bytes) {
  const BYTE* bytes;
  int length;
  CPhoneText("\xC3\xA4").ToUtf8(bytes, length);
  EXPECT_EQ(length, 2);
  CPhoneText("\xE2\x82\xAC").ToUtf8(bytes, length);
  EXPECT_EQ(length, 3);
}

TEST(PhoneText, LongTextIsCutToWholeCharactersWithinTheBuffer) {
  // 1023 letters and an a with diaeresis: the two bytes of the last one do not fit in 1024.
  std::string text(1023, 'x');
  text += "\xC3\xA4";
  const std::string utf8 = Utf8Of(text.c_str());
  EXPECT_EQ(utf8, std::string(1023, 'x'));

  const char* ansi = nullptr;
  CPhoneText phone(text.c_str());
  phone.ToAnsiBuffer(ansi);
  EXPECT_EQ(std::string(ansi), std::string(1023, 'x'));
}

TEST(EncodeUtf8, WritesOnlyWholeCharactersThatFit) {
  struct Case {
    std::u16string input;
    std::size_t capacity;
    std::vector<BYTE> expected;
  };
  const Case cases[] = {
      {u"ab", 1, {'a'}},
      {u"a\u00E4", 2, {'a'}},                  // two bytes, one left
      {u"a\u20AC", 3, {'a'}},                  // three bytes, two left
      {u"\u20AC", 3, {0xE2, 0x82, 0xAC}},
      {u"\U0001F600", 4, {0xF0, 0x9F, 0x98, 0x80}},  // a pair gives its four-byte form
      {u"\U0001F600", 3, {}},
  };
  for (const Case& c : cases) {
    // One guard byte past the capacity shows any write beyond it.
    std::vector<BYTE> buffer(c.capacity + 1, 0xEE);
    const int written = EncodeUtf8(std::span(buffer.data(), c.capacity), c.input);
    EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.begin() + written), c.expected);
    EXPECT_EQ(buffer[c.capacity], 0xEE);
  }
}

TEST(DecodeUtf8, IrregularFormsGiveOneCharacterPerByte) {
  struct Case {
    const char* name;
    std::string input;
    std::u16string expected;
  };
  const Case cases[] = {
      {"four-byte form", "\xF0\x9F\x98\x80", u"\u00F0\u009F\u0098\u0080"},
      {"two-byte lead at the end", "a\xC3", u"a\u00C3"},
      {"three-byte lead cut short", "a\xE2\x82", u"a\u00E2\u0082"},
      {"lead before a plain letter", "\xC3(", u"\u00C3("},
      {"stray continuation", "\x80z", u"\u0080z"},
      {"ends at a NUL", std::string("ab\0cd", 5), u"ab"},
  };
  for (const Case& c : cases) {
    WCHAR out[16];
    const int count = DecodeUtf8(out, c.input);
    EXPECT_EQ(std::u16string(out, static_cast<std::size_t>(count)), c.expected) << c.name;
    EXPECT_EQ(out[count], 0) << c.name;
  }
}

TEST(DecodeUtf8, StopsOneShortOfTheCapacity) {
  WCHAR out[4] = {1, 1, 1, 1};
  EXPECT_EQ(DecodeUtf8(out, "abcdef"), 3);
  EXPECT_EQ(out[3], 0);
  WCHAR tiny[1] = {7};
  EXPECT_EQ(DecodeUtf8(tiny, "abc"), 0);
}

TEST(PhoneText, CutPhoneFieldConvertsOnlyItsOwnBytes) {
  // A fixed field with no terminating NUL: nothing past it is read.
  const char field[3] = {'a', '\xC3', '\xA4'};
  EXPECT_STREQ(FromPhone(std::string_view(field, 3)), "a\xC3\xA4");
  EXPECT_STREQ(FromPhone(std::string_view(field, 2)), "a\xC3\x83");  // the lone lead as U+00C3
}

TEST(GsmCharClass, ClassesOfCharacters) {
  struct Case {
    WCHAR c;
    int expected;
  };
  const Case cases[] = {
      {u'A', 1},      {u' ', 1},      {u'@', 1},      {u'\n', 1},     {u'\u00E4', 1}, {u'\u00A3', 1},
      {u'\u0394', 1}, {u'\u03A9', 1}, {u'[', 2},      {u'~', 2},      {u'\\', 2},     {u'\u20AC', 2},
      {u'\t', 3},     {u'`', 3},      {u'\u00E7', 3}, {u'\u03B1', 3}, {u'\u4E2D', 3}, {0, 3},
  };
  for (const Case& c : cases) EXPECT_EQ(GsmCharClass(c.c), c.expected) << std::hex << int(c.c);
}

TEST(UcsToGsm, CodesOfTheAlphabetAndItsExtension) {
  BYTE gsm[2];
  ASSERT_EQ(UcsToGsm(u'\u20AC', gsm), 2);
  EXPECT_EQ(gsm[0], 0x1B);
  EXPECT_EQ(gsm[1], 'e');
  ASSERT_EQ(UcsToGsm(u'@', gsm), 1);
  EXPECT_EQ(gsm[0], 0x80);
  ASSERT_EQ(UcsToGsm(u'\u0393', gsm), 1);
  EXPECT_EQ(gsm[0], 0x13);
  ASSERT_EQ(UcsToGsm(u'\u4E2D', gsm), 1);
  EXPECT_EQ(gsm[0], ' ');
}

TEST(PhoneText, GsmLimitCountsTwoUnitsForExtensionAndForeignCharacters) {
  struct Case {
    const char* text;
    int limit;
    bool fits;
  };
  const Case cases[] = {
      {"", 0, true},
      {"abcde", 5, true},               // exactly the limit
      {"abcdef", 5, false},             // one more
      {"a b", 3, true},                 // a space costs 1
      {"\xE2\x82\xAC", 2, true},        // the euro sign costs 2
      {"\xE2\x82\xAC", 1, false},
      {"[", 2, true},
      {"a[", 2, false},
      {"\xE4\xB8\xAD", 2, true},        // a CJK character costs 2
      {"\xE4\xB8\xAD", 1, false},
      {"\xF0\x9F\x98\x80", 2, true},    // beyond UCS-2: one foreign character
      {"\xC3\xA4\xC3\xB6", 2, true},    // letters of the alphabet cost 1 whatever their UTF-8 length
  };
  for (const Case& c : cases) EXPECT_EQ(CPhoneText(c.text).FitsGsmLimit(c.limit), c.fits) << c.text << " " << c.limit;
}

}  // namespace
