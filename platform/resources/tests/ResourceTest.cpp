#include <resources/Resource.h>
#include <resources/ResourceData.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Module.h>

#include <cstring>
#include <optional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "data/program.h"

namespace {

std::string Bytes(HMODULE module, HRSRC found) {
  HGLOBAL loaded = LoadResource(module, found);
  const char* data = static_cast<const char*>(LockResource(loaded));
  return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

TEST(FindResource, ProgramResourceIsFoundLoadedAndSized) {
  HRSRC found = FindResource(nullptr, MAKEINTRESOURCE(IDR_TOOLBAR), RT_TOOLBAR);
  ASSERT_NE(found, nullptr);
  // version 1, 16 x 15, three entries, the separator as 0
  const unsigned char expected[] = {1, 0, 16, 0, 15, 0, 3, 0, 0x03, 0x80, 0, 0, 0x04, 0x80};
  EXPECT_EQ(Bytes(nullptr, found), std::string(reinterpret_cast<const char*>(expected), sizeof expected));
  EXPECT_EQ(Bytes(GetModuleHandle(nullptr), found), Bytes(nullptr, found));
  EXPECT_FALSE(FreeResource(LoadResource(nullptr, found)));
}

TEST(FindResource, LanguageIsChosenAsWindowsDoes) {
  struct Case { std::optional<WORD> language; const char* text; };
  for (const Case& c : {Case{std::nullopt, "Neutral"}, Case{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), "English"},
                        Case{MAKELANGID(0x07, 0x01), "Deutsch"},
                        Case{MAKELANGID(0x07, 0x03), "Neutral"} /* Austrian German: no such, neutral */}) {
    HRSRC found = c.language ? FindResourceEx(nullptr, RT_RCDATA, MAKEINTRESOURCE(IDR_DATA), *c.language)
                             : FindResource(nullptr, MAKEINTRESOURCE(IDR_DATA), RT_RCDATA);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(Bytes(nullptr, found), c.text);
  }
}

TEST(FindResource, NamedTypesAndNamesMatchWithoutRegardToCase) {
  for (const char* name : {"NAMEDDATA", "NamedData"}) {
    HRSRC found = FindResource(nullptr, name, "mytype");
    ASSERT_NE(found, nullptr) << name;
    // 0x1234 as a WORD, 0x56789ABC as a DWORD (L suffix), L"W" as UTF-16 without a NUL.
    const unsigned char expected[] = {0x34, 0x12, 0xBC, 0x9A, 0x78, 0x56, 'W', 0};
    EXPECT_EQ(Bytes(nullptr, found), std::string(reinterpret_cast<const char*>(expected), sizeof expected));
  }
  // "#100" is the integer id 100.
  EXPECT_NE(FindResource(nullptr, "#100", RT_RCDATA), nullptr);
  EXPECT_EQ(tolvar::resources::ResourceBytes(nullptr, RT_RCDATA, "#100").size(), 7u);
}

TEST(FindResource, MissingPiecesReportWhatWasMissing) {
  struct Case { LPCSTR type; LPCSTR name; DWORD error; };
  for (const Case& c : {Case{RT_DIALOG, MAKEINTRESOURCE(1), ERROR_RESOURCE_TYPE_NOT_FOUND},
                        Case{RT_RCDATA, MAKEINTRESOURCE(999), ERROR_RESOURCE_NAME_NOT_FOUND},
                        Case{"NOSUCHTYPE", "X", ERROR_RESOURCE_TYPE_NOT_FOUND}}) {
    SetLastError(0);
    EXPECT_EQ(FindResource(nullptr, c.name, c.type), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_TRUE(tolvar::resources::ResourceBytes(nullptr, c.type, c.name).empty());
  }
  EXPECT_EQ(FindResourceEx(nullptr, "MYTYPE", "NAMEDDATA", MAKELANGID(0x07, 0x01)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
}

TEST(FindResource, ModuleWithoutResourcesAndForeignHandles) {
  // The platform's own libraries carry no resources.
  HMODULE kernel = tolvar::kernel::ModuleFromAddress(reinterpret_cast<const void*>(&LoadLibraryA));
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(FindResource(kernel, MAKEINTRESOURCE(1), RT_STRING), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
  // A resource handle of one module means nothing to another.
  HRSRC found = FindResource(nullptr, MAKEINTRESOURCE(IDR_TOOLBAR), RT_TOOLBAR);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(LoadResource(kernel, found), nullptr);
  EXPECT_EQ(SizeofResource(kernel, found), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
}

}  // namespace
