#include <resources/Resource.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Module.h>

#include <gtest/gtest.h>
#include <string>

#include "data/program.h"

namespace {

std::string Load(HINSTANCE instance, UINT id, int size = 256) {
  std::string buffer(static_cast<size_t>(size), '\x7F');
  int n = LoadStringA(instance, id, buffer.data(), size);
  EXPECT_EQ(buffer[static_cast<size_t>(n)], '\0');
  return buffer.substr(0, static_cast<size_t>(n));
}

TEST(LoadString, ReadsEachStringOfABlock) {
  struct Case { UINT id; const char* text; };
  for (const Case& c : {Case{IDS_ONE, "Program one"}, Case{IDS_UMLAUT, "Grüße"}, Case{IDS_TAB, "left\tright"},
                        Case{IDS_SEVENTEEN, "Seventeen"}}) {
    EXPECT_EQ(Load(nullptr, c.id), c.text) << c.id;
  }
}

TEST(LoadString, AbsentAndEmptyStringsGiveZeroAndAnEmptyBuffer) {
  for (UINT id : {UINT(IDS_EMPTY), UINT(4), UINT(1000), UINT(70000)}) {
    char buffer[8] = "x";
    EXPECT_EQ(LoadStringA(nullptr, id, buffer, sizeof buffer), 0) << id;
    EXPECT_EQ(buffer[0], '\0');
  }
  EXPECT_EQ(LoadStringA(nullptr, IDS_ONE, nullptr, 10), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(LoadString, ShortBufferTruncatesOnACharacterBoundary) {
  EXPECT_EQ(Load(nullptr, IDS_ONE, 8), "Program");
  // "Grüße": "Gr" then the two bytes of "ü"; five bytes of room take "Grü", not half of "ß".
  EXPECT_EQ(Load(nullptr, IDS_UMLAUT, 6), "Grü");
  EXPECT_EQ(Load(nullptr, IDS_UMLAUT, 4), "Gr");
  EXPECT_EQ(Load(nullptr, IDS_ONE, 1), "");
}

TEST(LoadStringW, CopiesOrLendsTheReadOnlyString) {
  WCHAR buffer[32];
  EXPECT_EQ(LoadStringW(nullptr, IDS_UMLAUT, buffer, 32), 5);
  EXPECT_EQ(std::u16string(buffer), u"Grüße");
  EXPECT_EQ(LoadStringW(nullptr, IDS_UMLAUT, buffer, 3), 2);
  EXPECT_EQ(std::u16string(buffer), u"Gr");

  // With a size of 0 the buffer receives a pointer into the resource; the text is not terminated.
  const WCHAR* text = nullptr;
  int n = LoadStringW(nullptr, IDS_ONE, reinterpret_cast<LPWSTR>(&text), 0);
  ASSERT_EQ(n, 11);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, static_cast<size_t>(n)), u"Program one");
  EXPECT_EQ(LoadStringW(nullptr, 1000, reinterpret_cast<LPWSTR>(&text), 0), 0);
  EXPECT_EQ(text, nullptr);
}

TEST(LoadString, ALibraryReadsItsOwnStringsNotTheProgramsOnes) {
  HMODULE library = LoadLibrary("resources_testlib.dll");
  ASSERT_NE(library, nullptr);
  using OwnString = int (*)(UINT, char*, int);
  auto ownString = reinterpret_cast<OwnString>(reinterpret_cast<void*>(GetProcAddress(library, "ResourcesTestLibraryString")));
  ASSERT_NE(ownString, nullptr);

  char buffer[64];
  ASSERT_GT(ownString(IDS_ONE, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "Library one");
  EXPECT_EQ(Load(library, IDS_ONE), "Library one");
  EXPECT_EQ(Load(library, 40), "Only in the library");
  // The program keeps its own, and neither sees the other's.
  EXPECT_EQ(Load(nullptr, IDS_ONE), "Program one");
  EXPECT_EQ(Load(nullptr, 40), "");
  EXPECT_EQ(Load(library, IDS_SEVENTEEN), "");
  FreeLibrary(library);
}

}  // namespace
