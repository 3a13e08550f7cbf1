// FormatMessage over the system's message table, as programs use it to show an error to a person,
// and MulDiv's rounding and overflow.
#include <kernel/Format.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string SystemText(DWORD id, DWORD extraFlags = 0, DWORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)) {
  LPSTR text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                    FORMAT_MESSAGE_IGNORE_INSERTS | extraFlags,
                                nullptr, id, language, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  if (!length) return "<" + std::to_string(GetLastError()) + ">";
  std::string result(text, length);
  EXPECT_EQ(LocalFree(text), nullptr);
  return result;
}

TEST(FormatMessage, SystemTextsOfWin32AndSocketErrorsEndWithALineBreak) {
  struct Case {
    DWORD id;
    const char* text;
  };
  for (const Case& c : {Case{ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
                        Case{ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
                        Case{static_cast<DWORD>(WSAECONNREFUSED),
                             "No connection could be made because the target machine actively refused it.\r\n"},
                        Case{static_cast<DWORD>(WSAEADDRINUSE),
                             "Only one usage of each socket address (protocol/network address/port) is normally "
                             "permitted.\r\n"},
                        Case{static_cast<DWORD>(WSAHOST_NOT_FOUND), "No such host is known.\r\n"}}) {
    EXPECT_EQ(SystemText(c.id), c.text) << c.id;
  }
  EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED, 0, 0), "Access is denied.\r\n") << "language 0 finds it too";
  EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED, 0, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), "Access is denied.\r\n");
}

TEST(FormatMessage, WidthBitsDropOrMoveTheLineBreaks) {
  EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED, FORMAT_MESSAGE_MAX_WIDTH_MASK), "Access is denied.");
  std::string wrapped = SystemText(static_cast<DWORD>(WSAECONNREFUSED), 30);
  EXPECT_EQ(wrapped,
            "No connection could be made\r\nbecause the target machine\r\nactively refused it.");
}

TEST(FormatMessage, FailuresSayWhy) {
  EXPECT_EQ(SystemText(4242), "<" + std::to_string(ERROR_MR_MID_NOT_FOUND) + ">");
  EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED, 0, MAKELANGID(0x07, SUBLANG_DEFAULT)),
            "<" + std::to_string(ERROR_RESOURCE_LANG_NOT_FOUND) + ">");

  char small[8];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, small, sizeof small, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  char enough[64];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, enough, sizeof enough, nullptr),
            19u);
  EXPECT_STREQ(enough, "Access is denied.\r\n");
}

TEST(MulDiv, RoundsHalfAwayFromZeroAndRefusesWhatCannotBe) {
  struct Case {
    int value, numerator, denominator, expected;
  };
  for (const Case& c : {Case{100, 4, 8, 50}, Case{5, 1, 2, 3}, Case{-5, 1, 2, -3}, Case{5, -1, 2, -3},
                        Case{5, 1, -2, -3}, Case{7, 3, 4, 5}, Case{0x40000000, 8, 4, -1}, Case{1, 1, 0, -1},
                        Case{2000000000, 3, 3, 2000000000}}) {
    EXPECT_EQ(MulDiv(c.value, c.numerator, c.denominator), c.expected)
        << c.value << " * " << c.numerator << " / " << c.denominator;
  }
}

}  // namespace
