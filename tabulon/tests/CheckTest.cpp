// Values checked against their fields: the codes the user is warned with, and what a passing value
// becomes.
#include "CsvCheck.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tabulon;

TEST(Check, GivesTheWarningCodeOfEachKind) {
  struct Case {
    int type;
    int limit;
    const char* value;
    int code;
    const char* stored;  // what a passing value becomes; null: unchanged
  } cases[] = {
      {CSV_FIELD_TEXT, 5, "abcde", kCsvOk, nullptr},
      {CSV_FIELD_TEXT, 5, "abcdef", kCsvTooLong, nullptr},
      {CSV_FIELD_TEXT, 3, "\xC3\xA9\xC3\xA9\xC3\xA9", kCsvOk, nullptr},  // characters, not bytes
      {CSV_FIELD_TEXT, 5, "", kCsvEmpty, nullptr},
      {42, 5, "", kCsvEmpty, nullptr},                                       // unknown kinds are text
      {CSV_FIELD_PHONE, 40, "+4 1 2", kCsvOk, "+412"},
      {CSV_FIELD_PHONE, 40, "+4+1", kCsvBadPhone, nullptr},
      {CSV_FIELD_PHONE, 40, "1abc", kCsvOk, "1abc"},                          // only the first character
      {CSV_FIELD_PHONE, 40, "abc", kCsvBadPhone, nullptr},
      {CSV_FIELD_PHONE, 40, "+", kCsvBadPhone, nullptr},
      {CSV_FIELD_PHONE, 40, "++", kCsvBadPhone, nullptr},
      {CSV_FIELD_PHONE, 40, "", kCsvEmpty, nullptr},
      {CSV_FIELD_PHONE, 3, "12345", kCsvTooLong, nullptr},
      {CSV_FIELD_EMAIL, 64, "a@b.c", kCsvBadEmail, nullptr},                  // exactly 5 characters
      {CSV_FIELD_EMAIL, 64, "ab@c.de", kCsvOk, nullptr},
      {CSV_FIELD_EMAIL, 64, "abcd@ef.", kCsvBadEmail, nullptr},               // the only dot is last
      {CSV_FIELD_EMAIL, 64, "@abc.de", kCsvBadEmail, nullptr},
      {CSV_FIELD_EMAIL, 64, "a@b@c.de", kCsvBadEmail, nullptr},
      {CSV_FIELD_EMAIL, 64, "a b@c.de", kCsvBadEmail, nullptr},
      {CSV_FIELD_EMAIL, 64, "ab.c@de", kCsvBadEmail, nullptr},                // no dot after the at sign
      {CSV_FIELD_INTEGER, 0, "letters", kCsvOk, nullptr},                     // no digits: 0
      {CSV_FIELD_INTEGER, 20, "20", kCsvOk, nullptr},
      {CSV_FIELD_INTEGER, 20, "21", kCsvBadNumber, nullptr},
      {CSV_FIELD_INTEGER, 20, "7 apples", kCsvOk, nullptr},
      {CSV_FIELD_INTEGER, 65535, "99999999999999999999999999", kCsvBadNumber, nullptr},
      {CSV_FIELD_INTEGER, std::numeric_limits<int>::max(), "4294967296", kCsvBadNumber, nullptr},  // no wrap to 0
      {CSV_FIELD_INTEGER, -1, "0", kCsvBadNumber, nullptr},
  };
  for (const Case& c : cases) {
    CSV_FIELD_INFO field{c.type, "f", c.limit, 0};
    std::string value = c.value;
    EXPECT_EQ(CheckValue(field, value), c.code) << c.type << " '" << c.value << "'";
    if (c.stored) {
      EXPECT_EQ(value, c.stored);
    }
  }
}

TEST(Check, ReadsLeadingDigitsSaturating) {
  EXPECT_EQ(LeadingNumber(""), 0u);
  EXPECT_EQ(LeadingNumber("12ab3"), 12u);
  EXPECT_EQ(LeadingNumber("-5"), 0u);
  EXPECT_EQ(LeadingNumber(std::string(40, '9')), std::numeric_limits<std::uint64_t>::max());
}
