#include "StringFile.h"

#include <base/WinError.h>

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace glossa {
namespace {

using Entries = std::vector<std::pair<int, std::string>>;

struct Outcome {
  Entries entries;
  int result = -1;
  DWORD error = 12345;
};

// Reads `content` storing into a list that refuses duplicate ids, as the library's store does.
Outcome Read(const std::string& content) {
  Outcome out;
  out.result = ReadStringFile(
      content,
      [&](int id, std::string text) -> DWORD {
        for (const auto& e : out.entries)
          if (e.first == id) return ERROR_ALREADY_EXISTS;
        out.entries.emplace_back(id, std::move(text));
        return ERROR_SUCCESS;
      },
      out.error);
  return out;
}

struct Case {
  const char* name;
  std::string content;
  Entries entries;
  int result;
  DWORD error;
};

TEST(StringFile, LinesAreReadAsTheFormatSays) {
  const Case cases[] = {
      {"plain", "1=\"One\"\n2 = \"Two\"\n", {{1, "One"}, {2, "Two"}}, 1, 0},
      {"CR LF", "1 = \"One\"\r\n2 = \"Two\"\r\n", {{1, "One"}, {2, "Two"}}, 1, 0},
      {"no final line break", "7 = \"Seven\"", {{7, "Seven"}}, 1, 0},
      {"comments and blank lines", "; heading\n\n3 = \"x\"\n;4 = \"y\"\n", {{3, "x"}}, 1, 0},
      {"blank then ; is not a comment", " ;5 = \"kept\"\n", {{5, "kept"}}, 1, 0},
      {"key after blanks and equals", "  =  12 = \"a\"\n\t13\t\"b\"\n", {{12, "a"}, {13, "b"}}, 1, 0},
      {"quotes inside a value", "1 = \"say \"hi\" now\" trailing\n", {{1, "say \"hi\" now"}}, 1, 0},
      {"escapes", "1 = \"a\\tb\\bc\\nd\\re\\\\f\\qg\"\n", {{1, "a\tb c\nd\re\\fqg"}}, 1, 0},
      {"continued line", "1 = \"first \\\nsecond\"\n2 = \"x\"\n", {{1, "first second"}, {2, "x"}}, 1, 0},
      {"continued CR LF line", "1 = \"first \\\r\nsecond\"\r\n", {{1, "first second"}}, 1, 0},
      {"byte 0xFF is a character", "1 = \"a\xFF" "b\"\n", {{1, "a\xFF" "b"}}, 1, 0},
      {"UTF-8 text and byte-order mark", "\xEF\xBB\xBF" "1 = \"Grüße\"\n", {{1, "Grüße"}}, 1, 0},
      {"empty value", "1 = \"\"\n2 = \"b\"\n", {{1, ""}, {2, "b"}}, 1, 0},
      {"one-character value loads like any other", "1 = \"x\"\n2 = \"after\"\n", {{1, "x"}, {2, "after"}}, 1, 0},
      {"single quote takes the rest", "1 = \"open to the end\n2 = \"b\"\n", {{1, "open to the end"}, {2, "b"}}, 1, 0},
      {"key without digits is 0", "abc = \"zero\"\n", {{0, "zero"}}, 1, 0},
      {"duplicate id stops the load", "1 = \"a\"\n2 = \"b\"\n1 = \"c\"\n3 = \"d\"\n", {{1, "a"}, {2, "b"}}, 0,
       ERROR_ALREADY_EXISTS},
      {"no quote is malformed", "1 = \"a\"\n2 = b\n3 = \"c\"\n", {{1, "a"}}, 0, ERROR_INVALID_PARAMETER},
      {"nothing after a single quote", "1 = \"\n", {}, 0, ERROR_INVALID_PARAMETER},
      {"key running to the end", "12345\n", {}, 0, ERROR_INVALID_PARAMETER},
      {"no key at all", "  = ;\n", {}, 0, ERROR_INVALID_PARAMETER},
      {"NUL ends the line", std::string("1 = \"ab\0cd\"\n2 = \"e\"\n", 20), {{1, "ab"}, {2, "e"}}, 1, 0},
      {"overlong line is cut", "1 = \"" + std::string(2000, 'x') + "\"\n2 = \"y\"\n",
       {{1, std::string(1025 - 5, 'x')}, {2, "y"}}, 1, 0},
  };
  for (const Case& c : cases) {
    Outcome out = Read(c.content);
    EXPECT_EQ(out.entries, c.entries) << c.name;
    EXPECT_EQ(out.result, c.result) << c.name;
    EXPECT_EQ(out.error, c.result ? DWORD(ERROR_SUCCESS) : c.error) << c.name;
  }
}

TEST(StringFile, EmptyFileLeavesTheErrorAlone) {
  Outcome out = Read("");
  EXPECT_EQ(out.result, 1);
  EXPECT_TRUE(out.entries.empty());
  EXPECT_EQ(out.error, 12345u);
}

}  // namespace
}  // namespace glossa
