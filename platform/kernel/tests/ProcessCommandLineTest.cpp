#include <kernel/CommandLine.h>

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

using tolvar::kernel::QuoteArgument;
using tolvar::kernel::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(ProcessCommandLine, SplitsAsWindowsDoes) {
  struct Case { const char* line; Args args; };
  const Case cases[] = {
      {R"(prog "a b c" d e)", {"prog", "a b c", "d", "e"}},
      {R"(prog "ab\"c" "\\" d)", {"prog", R"(ab"c)", R"(\)", "d"}},
      {R"(prog a\\\b d"e f"g h)", {"prog", R"(a\\\b)", "de fg", "h"}},
      {R"(prog a\\\"b c d)", {"prog", R"(a\"b)", "c", "d"}},
      {R"(prog a\\\\"b c" d e)", {"prog", R"(a\\b c)", "d", "e"}},
      {R"(prog a"b"" c d)", {"prog", R"(ab" c d)"}},
      {"prog \"\" x", {"prog", "", "x"}},
      {"prog\ta\t b  ", {"prog", "a", "b"}},
      {"prog", {"prog"}},
      // The program takes its quotes away and nothing else: backslashes stay.
      {R"("C:\Program Files\Tool.exe" hWnd=0000ABCD hMainWnd=00001234)",
       {R"(C:\Program Files\Tool.exe)", "hWnd=0000ABCD", "hMainWnd=00001234"}},
      {R"(C:\dir\tool.exe\ x)", {R"(C:\dir\tool.exe\)", "x"}},
      {"Linkwell.exe Test", {"Linkwell.exe", "Test"}},
      {"", {""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

TEST(ProcessCommandLine, QuotedArgumentsSplitBackUnchanged) {
  for (const char* argument : {"plain", "", "two words", R"(quote"inside)", R"(trailing\)", R"(C:\dir with blank\)",
                               R"(\\"\\)", "tab\there", R"(x\"y)"}) {
    Args split = SplitCommandLine("prog " + QuoteArgument(argument));
    ASSERT_EQ(split.size(), 2u) << argument;
    EXPECT_EQ(split[1], argument);
  }
  EXPECT_EQ(QuoteArgument("plain"), "plain");
}

TEST(ProcessCommandLine, ProgramStartedFromAShellSeesItsArgumentsQuoted) {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Args expected;
  for (size_t start = 0; start < raw.size();) {
    size_t end = raw.find('\0', start);
    expected.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  EXPECT_EQ(SplitCommandLine(GetCommandLineA()), expected);
}

}  // namespace
