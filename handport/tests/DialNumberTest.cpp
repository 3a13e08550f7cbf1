// The number field: which dial strings may be stored, how they pack into the 22-byte field, and
// that they read back whole.
#include "DialNumber.h"

#include <base/LastError.h>

#include <gtest/gtest.h>

#include <array>
#include <vector>
#include <string>

namespace {

using Field = std::array<BYTE, kDialFieldSize>;

Field Pack(const std::string& text) {
  Field field;
  field.fill(0xAA);
  EXPECT_TRUE(PackDialString(field, CString(text.c_str()))) << text;
  return field;
}

std::string Unpack(const Field& field) { return std::string(static_cast<const char*>(UnpackDialString(field))); }

// A field with the given count, type and digit bytes; the rest 0xFF.
Field FieldOf(BYTE count, BYTE type, std::initializer_list<BYTE> digits) {
  Field field;
  field.fill(0xFF);
  field[0] = count;
  field[1] = type;
  std::copy(digits.begin(), digits.end(), field.begin() + 2);
  return field;
}

TEST(DialNumber, CheckTakesOnlyWhatTheFieldKeeps) {
  const std::string digits40(40, '5');
  struct Case {
    std::string text;
    bool stored;
  };
  const Case cases[] = {
      // Character classes.
      {"", true},
      {"0123456789", true},
      {"1*2#3P4?5", true},
      {"P123", false},  // a pause cannot come first
      {"12A", false},
      {"12 34", false},
      {"12-34", false},
      {"1^2", false},   // the field has a code for it, the applications do not offer it
      {"(030)", false},
      // Length.
      {digits40, true},
      {digits40 + "5", false},
      {"+" + digits40, true},
      {"+" + digits40 + "5", false},
      // The "+".
      {"+4912", true},
      {"+", true},
      {"12+34", false},
      {"++49", false},
      {"+49+1", false},
      {"+#", true},
      {"+*#", true},
      {"**21*+4912#", true},   // call forwarding to an international number
      {"*21*+4912#", true},
      {"##21*+4912#", true},
      {"*#21*+4912#", true},
      {"**004*+4912#", true},  // three digits of service code
      {"**0041*+4912#", false},
      {"#*21*+4912#", false},
      {"**21+4912#", false},   // no "*" after the code
      {"***21*+4912#", false},  // three leading "*" are no service prefix
      // A "+" after a service code in a text that is no service string would end the digits where
      // it stands: refused rather than cut short.
      {"*#21*+1", false},
      {"**21*+49", false},
      {"**21*+49*11#", false},  // would read back with its "+" before the 11
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckDialString(CString(c.text.c_str())), c.stored) << c.text;
  }
}

TEST(DialNumber, PackedFieldsAsThePhoneKeepsThem) {
  EXPECT_EQ(Pack("+4912"), FieldOf(3, 0x91, {0x94, 0x21}));
  EXPECT_EQ(Pack("+491"), FieldOf(3, 0x91, {0x94, 0xF1}));
  EXPECT_EQ(Pack("0123"), FieldOf(3, 0x81, {0x10, 0x32}));
  EXPECT_EQ(Pack("*#P?"), FieldOf(3, 0x81, {0xBA, 0xDC}));
  EXPECT_EQ(Pack("**21*+4912#"), FieldOf(6, 0x91, {0xAA, 0x12, 0x4A, 0x19, 0xB2}));
  EXPECT_EQ(Pack("+"), FieldOf(1, 0x91, {}));
  EXPECT_EQ(Pack(""), FieldOf(1, 0x81, {}));
}

TEST(DialNumber, StoredTextsReadBackWhole) {
  for (const std::string& text : std::vector<std::string>{"", "+", "0123", "+4912", "+491", "1*2#3P4?5", "**21*+4912#", "*21*+4912#", "*#06#", "**21*4912#", "+#",
        "+*#", "+**", "#", std::string(40, '7'), "+" + std::string(40, '8')}) {
    ASSERT_TRUE(CheckDialString(CString(text.c_str()))) << text;
    EXPECT_EQ(Unpack(Pack(text)), text);
  }
}

TEST(DialNumber, PackingStopsAtFortyDigits) {
  // Also a text no check has passed: the field is never overrun.
  const Field plain = Pack(std::string(60, '1'));
  EXPECT_EQ(plain[0], 21);
  EXPECT_EQ(Unpack(plain), std::string(40, '1'));
  const Field service = Pack("**21*" + std::string(45, '2') + "#");
  EXPECT_EQ(service[0], 21);
  EXPECT_EQ(Unpack(service), "**21*" + std::string(35, '2'));

  Field untouched;
  untouched.fill(0x33);
  EXPECT_FALSE(PackDialString(untouched, "12A4"));
  EXPECT_EQ(untouched[0], 0x33);
}

TEST(DialNumber, UnpackingIsBoundedByTheField) {
  struct Case {
    Field field;
    std::string text;
  };
  const Case cases[] = {
      {FieldOf(1, 0x91, {}), "+"},
      {FieldOf(0, 0x91, {}), ""},
      {FieldOf(0xFF, 0xFF, {}), ""},  // an empty field
      {FieldOf(22, 0x81, {0x21}), ""},  // a count beyond the field
      {FieldOf(3, 0x81, {0x21, 0xF3}), "123"},
      {FieldOf(3, 0x81, {0x21, 0x3F}), "12"},  // the end code ends the digits
      {FieldOf(2, 0x81, {0xE1}), "1^"},        // read back, a "^" would not pass the check
      {FieldOf(2, 0x91, {0xFB}), "+#"},        // nothing but "#": the "+" stood at the start
      {FieldOf(2, 0x91, {0xBA}), "+*#"},
      {FieldOf(2, 0xFF, {0xBA}), "*#"},        // type 0xFF: no "+"
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Unpack(c.field), c.text) << c.text;
  }
  EXPECT_FALSE(CheckDialString(UnpackDialString(FieldOf(2, 0x81, {0xE1}))));
  // A full field: 40 digits, and nothing read beyond it.
  Field full = FieldOf(21, 0x81, {});
  std::fill(full.begin() + 2, full.end(), BYTE{0x21});
  std::string expected;
  for (int i = 0; i < 20; ++i) expected += "12";
  EXPECT_EQ(Unpack(full), expected);
}

TEST(DialNumber, ServiceStrings) {
  EXPECT_TRUE(IsServiceString("*#06#"));
  EXPECT_TRUE(IsServiceString("**21*4912#"));
  SetLastError(0);
  EXPECT_FALSE(IsServiceString("*1234#"));  // "1" after the prefix
  EXPECT_EQ(GetLastError(), ERROR_DIAL_NOT_SERVICE);
  EXPECT_FALSE(IsServiceString("*21*123"));  // no closing "#"
  EXPECT_FALSE(IsServiceString("***21#"));
  EXPECT_FALSE(IsServiceString(""));
}

}  // namespace
