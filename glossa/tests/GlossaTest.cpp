#include "Glossa.h"
#include "StringFile.h"

#include <base/WinError.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class GlossaExports : public testing::Test {
protected:
  void SetUp() override {
    Glossa_Close();
    m_folder = fs::path(testing::TempDir()) / ("glossa-" + std::to_string(getpid()));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_directory = m_folder.string() + "/";
    Write("Daybook0409.ini", "; English\n1 = \"Contacts\"\n2 = \"Calendar\"\n3 = \"\"\n");
    Write("Daybook0407.ini", "1 = \"Kontakte\"\n");
  }
  void TearDown() override {
    Glossa_Close();
    fs::remove_all(m_folder);
  }
  void Write(const std::string& name, const std::string& content) {
    std::ofstream(m_folder / name, std::ios::binary) << content;
  }
  std::string Get(int id) {
    int n = Glossa_GetString(id, nullptr, 0);
    if (n <= 0) return "<" + std::to_string(Glossa_GetLastError()) + ">";
    std::string text(static_cast<size_t>(n), '\0');
    EXPECT_EQ(Glossa_GetString(id, text.data(), n), n);
    return text;
  }

  fs::path m_folder;
  std::string m_directory;
};

// The library's dynamic symbols are its five functions: a program that loads it by name finds
// those, and nothing of the library's insides can stand in for another module's.
TEST(GlossaLibrary, ExportsExactlyItsFiveNames) {
  const fs::path library = fs::read_symlink("/proc/self/exe").parent_path() / "libGlossa.so";
  ASSERT_TRUE(fs::exists(library));
  FILE* listing = popen(("nm -D --defined-only '" + library.string() + "'").c_str(), "r");
  ASSERT_NE(listing, nullptr);
  std::vector<std::string> names;
  char line[4096];
  while (fgets(line, sizeof line, listing)) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    names.push_back(text.substr(text.rfind(' ') + 1));
  }
  ASSERT_EQ(pclose(listing), 0);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Glossa_Bind", "Glossa_Close", "Glossa_GetLastError", "Glossa_GetString",
                                            "Glossa_SetLang"}));
}

TEST_F(GlossaExports, BindSelectLanguagesAndClose) {
  ASSERT_EQ(Glossa_Bind(m_directory.c_str(), "Daybook", nullptr), 1);
  ASSERT_EQ(Glossa_SetLang(0x0409), 1);
  EXPECT_EQ(Glossa_GetLastError(), 0);
  EXPECT_EQ(Get(1), "Contacts");
  EXPECT_EQ(Get(2), "Calendar");
  ASSERT_EQ(Glossa_SetLang(0x0407), 1);
  EXPECT_EQ(Get(1), "Kontakte");
  EXPECT_EQ(Get(2), "<1168>");
  EXPECT_EQ(Glossa_Close(), 1);
  EXPECT_EQ(Get(1), "<21>");
  // After closing, binding again is allowed.
  EXPECT_EQ(Glossa_Bind(m_directory.c_str(), "Daybook", "ini"), 1);
}

TEST_F(GlossaExports, GetStringSizesAndBuffers) {
  ASSERT_EQ(Glossa_Bind(m_directory.c_str(), "Daybook", "ini"), 1);
  ASSERT_EQ(Glossa_SetLang(0x0409), 1);
  // The size query, then a buffer of exactly that size: the text without a terminator.
  EXPECT_EQ(Glossa_GetString(1, nullptr, 0), 8);
  EXPECT_EQ(Glossa_GetLastError(), 0);
  char exact[9];
  std::memset(exact, '#', sizeof exact);
  EXPECT_EQ(Glossa_GetString(1, exact, 8), 8);
  EXPECT_EQ(std::string(exact, 9), "Contacts#");

  char small[4] = "abc";
  EXPECT_EQ(Glossa_GetString(1, small, 4), 0);
  EXPECT_EQ(Glossa_GetLastError(), ERROR_BAD_LENGTH);
  EXPECT_EQ(small[0], '\0');

  struct Case { char* buffer; int size; };
  // A buffer with no room is refused before anything is written to it.
  for (const Case& c : {Case{nullptr, 5}, Case{small, 0}, Case{small, -1}}) {
    std::memcpy(small, "abc", 4);
    EXPECT_EQ(Glossa_GetString(1, c.buffer, c.size), 0);
    EXPECT_EQ(Glossa_GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(std::string(small), "abc");
  }
  EXPECT_EQ(Glossa_GetString(99, nullptr, 0), 0);
  EXPECT_EQ(Glossa_GetLastError(), 1168);
  // An empty text is found: length 0 with no error.
  EXPECT_EQ(Glossa_GetString(3, nullptr, 0), 0);
  EXPECT_EQ(Glossa_GetLastError(), 0);
}

TEST_F(GlossaExports, BindRefusals) {
  std::string longDirectory(260, 'd');
  std::string nearlyFull(240, 'd');
  struct Case { const char* directory; const char* name; const char* extension; int error; };
  for (const Case& c : {Case{nullptr, "Daybook", "ini", ERROR_INVALID_HANDLE},
                        Case{"", nullptr, "ini", ERROR_INVALID_HANDLE},
                        Case{longDirectory.c_str(), "Daybook", "ini", ERROR_OUTOFMEMORY},
                        // A directory short enough on its own, but not with the name after it.
                        Case{nearlyFull.c_str(), "VezezudaraLong", "ini", ERROR_OUTOFMEMORY},
                        Case{"", "Daybook", "text", ERROR_FILENAME_EXCED_RANGE}}) {
    EXPECT_EQ(Glossa_Bind(c.directory, c.name, c.extension), 0);
    EXPECT_EQ(Glossa_GetLastError(), c.error);
  }
  // A name that just fits the 252 characters is accepted.
  EXPECT_EQ(Glossa_Bind(nearlyFull.c_str(), "Vezezudara12", "ini"), 1);
  Glossa_Close();

  // A refused extension leaves the earlier binding as it was.
  ASSERT_EQ(Glossa_Bind(m_directory.c_str(), "Daybook", "ini"), 1);
  EXPECT_EQ(Glossa_Bind("elsewhere/", "Other", "long"), 0);
  ASSERT_EQ(Glossa_SetLang(0x0409), 1);
  EXPECT_EQ(Get(1), "Contacts");
  // Bound and loaded: another bind is refused until Glossa_Close.
  EXPECT_EQ(Glossa_Bind(m_directory.c_str(), "Daybook", "ini"), 0);
  EXPECT_EQ(Glossa_GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST_F(GlossaExports, FailedLoadsKeepWhatWasReadBefore) {
  ASSERT_EQ(Glossa_Bind(m_directory.c_str(), "Daybook", nullptr), 1);
  // No file for the language: nothing loaded, every lookup reports 21.
  EXPECT_EQ(Glossa_SetLang(0x040C), 0);
  EXPECT_EQ(Glossa_GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Get(1), "<21>");
  // A duplicate id stops the load; the ids before it are served.
  Write("Daybook0410.ini", "1 = \"uno\"\n2 = \"x\"\n1 = \"again\"\n4 = \"never\"\n");
  EXPECT_EQ(Glossa_SetLang(0x0410), 0);
  EXPECT_EQ(Glossa_GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Get(1), "uno");
  EXPECT_EQ(Get(4), "<1168>");
  // A malformed line does the same with 87.
  Write("Daybook0413.ini", "1 = \"een\"\nbroken line\n2 = \"twee\"\n");
  EXPECT_EQ(Glossa_SetLang(0x0413), 0);
  EXPECT_EQ(Glossa_GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Get(1), "een");
  EXPECT_EQ(Get(2), "<1168>");
}

TEST_F(GlossaExports, FileNameHasFourUpperCaseHexDigits) {
  Write("Vezezudara0C0A.lng", "5 = \"cinco\"\n");
  ASSERT_EQ(Glossa_Bind(m_directory.c_str(), "Vezezudara", "lng"), 1);
  ASSERT_EQ(Glossa_SetLang(0x0C0A), 1);
  EXPECT_EQ(Get(5), "cinco");
}

}  // namespace
