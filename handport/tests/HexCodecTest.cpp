// Hex text inside commands and replies, and the fields of a reply.
#include "HexCodec.h"
#include "ReplyFields.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(HexEncode, WritesUpperCasePairsAndATerminatorThatFits) {
  const BYTE bytes[] = {0x00, 0xFF, 0x0A};
  char out[8];
  std::fill(std::begin(out), std::end(out), 'x');
  ASSERT_EQ(HexEncode(std::span(bytes, 2), std::span(out, 5)), 1);
  EXPECT_STREQ(out, "00FF");
  EXPECT_EQ(HexEncode(bytes, std::span(out, 7)), 1);
  EXPECT_STREQ(out, "00FF0A");
  // Six digits and no room for the NUL: nothing is written.
  std::fill(std::begin(out), std::end(out), 'x');
  EXPECT_EQ(HexEncode(bytes, std::span(out, 6)), 0);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(HexEncode({}, std::span(out, 1)), 1);
  EXPECT_EQ(out[0], '\0');
}

TEST(HexDecode, ReadsEitherCase) {
  BYTE out[2];
  DWORD count = 0;
  ASSERT_EQ(HexDecode("00ff", out, count), 1);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(out[0], 0x00);
  EXPECT_EQ(out[1], 0xFF);
}

TEST(HexDecode, RefusesBadText) {
  const char* bad[] = {"", "ABC", "0G", "1 ", "-1", "00FF00"};  // the last one is too long for two bytes
  for (const char* text : bad) {
    BYTE out[2] = {0x55, 0x55};
    DWORD count = 7;
    SetLastError(0);
    EXPECT_EQ(HexDecode(text, out, count), 0) << text;
    EXPECT_EQ(GetLastError(), ERROR_BAD_HEX) << text;
    EXPECT_EQ(count, 0u);
  }
}

TEST(ReplyFields, SplitsLikeTheTokenizer) {
  CReplyFields fields;
  fields.Split("ShowSwVersion:RET:YAA_0412", ":");
  ASSERT_EQ(fields.GetCount(), 3u);
  EXPECT_EQ(fields.GetField(2), "YAA_0412");
  fields.Split("::a::b:", ":");
  EXPECT_EQ(fields.GetCount(), 2u);
  EXPECT_EQ(fields.GetField(1), "b");
  EXPECT_EQ(fields.GetField(5), "");
  // A delimiter set: "RET:" cuts at each of the four characters.
  fields.Split("ShowLockInfo:RET:SIM=NG /PhoneLock=ON ", "RET:");
  EXPECT_EQ(fields.GetField(1), "SIM=NG /PhoneLock=ON ");
}

TEST(ReplyFields, ReadsNumbersTheCWay) {
  EXPECT_EQ(ReadNumber("42"), 42);
  EXPECT_EQ(ReadNumber("-7x"), -7);
  EXPECT_EQ(ReadNumber("x7"), 0);
  EXPECT_EQ(ReadNumber(""), 0);
  EXPECT_EQ(ReadNumber("99999999999"), 2147483647);
}

}  // namespace
