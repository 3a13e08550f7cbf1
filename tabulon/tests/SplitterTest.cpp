// Rows made into values: quotes around separators, doubled quotes, values running into the next
// line, and the short rows the import pads.
#include "CsvSplitter.h"

#include <gtest/gtest.h>

using tabulon::SplitCsvLine;
using Values = std::vector<std::string>;

TEST(Splitter, SplitsRowsByTheQuoteRules) {
  struct Case {
    const char* line;
    char separator;
    Values values;
  } cases[] = {
      {"a,b,c", ',', {"a", "b", "c"}},
      {"a;b", ';', {"a", "b"}},
      {"a\tb", '\t', {"a", "b"}},
      {"\"x,y\",z", ',', {" x,y ", "z"}},                      // separator inside quotes (blanks trimmed later)
      {"\"a\"\"b\",c", ',', {"a\"b", "c"}},                    // doubled quote
      {"\"a,\"\"b\"\"\",c", ',', {"a,\"b\"", "c"}},            // the six-quote value
      {"\"plain\",x", ',', {" plain ", "x"}},                  // two quotes become blanks
      {"a,,b,", ',', {"a", "", "b", ""}},                      // empty values, trailing separator
      {"", ',', {""}},
      {"\"\"\"\"", ',', {"\""}},                               // a quote alone, quoted
      {"\"x:y\":\"1:2\"", ':', {" x:y ", " 1:2 "}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCsvLine(c.line, c.separator), c.values) << c.line;
}

TEST(Splitter, PadsShortRowsToTheFieldCount) {
  EXPECT_EQ(SplitCsvLine("a,b", ',', 5), (Values{"a", "b", "", "", ""}));
  EXPECT_EQ(SplitCsvLine("a,b,c", ',', 2), (Values{"a", "b", "c"}));
}

TEST(Splitter, AnOpenQuoteJoinsTheNextLineWithABlank) {
  std::vector<std::string> more{"second part\",x", "never read"};
  std::size_t next = 0;
  auto nextLine = [&](std::string& line) {
    if (next >= more.size()) return false;
    line = more[next++];
    return true;
  };
  EXPECT_EQ(SplitCsvLine("a,\"first part", ',', 0, nextLine), (Values{"a", " first part second part ", "x"}));
  EXPECT_EQ(next, 1u);

  // Three lines for one value.
  more = {"middle", "end\""};
  next = 0;
  EXPECT_EQ(SplitCsvLine("\"start", ',', 0, nextLine), (Values{" start middle end "}));
  EXPECT_EQ(next, 2u);
}

TEST(Splitter, AnOpenQuoteOnTheLastLineIsTakenAsItStands) {
  auto none = [](std::string&) { return false; };
  EXPECT_EQ(SplitCsvLine("a,\"open", ',', 0, none), (Values{"a", "open"}));
  EXPECT_EQ(SplitCsvLine("a,\"open,b", ',', 0), (Values{"a", "open,b"}));
  EXPECT_EQ(SplitCsvLine("x \"a\"\"b", ',', 0), (Values{"x a\"b"}));  // nothing after the last letter lost
}
