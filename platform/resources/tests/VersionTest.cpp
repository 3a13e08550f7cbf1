#include <resources/Version.h>
#include <resources/VersionRecord.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Module.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The version record of another program, read from its file as the launcher's scan reads it.
std::vector<BYTE> ReadRecord(const std::string& file) {
  DWORD handle = 99;
  DWORD size = GetFileVersionInfoSize(file.c_str(), &handle);
  EXPECT_EQ(handle, 0u);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  EXPECT_TRUE(GetFileVersionInfo(file.c_str(), 0, size, block.data()));
  return block;
}

std::string Query(const std::vector<BYTE>& block, const std::string& path) {
  LPVOID value = nullptr;
  UINT length = 0;
  if (!VerQueryValue(block.data(), path.c_str(), &value, &length)) return "<none>";
  std::string text(static_cast<const char*>(value));
  EXPECT_EQ(length, text.size() + 1) << path;
  return text;
}

TEST(VersionInfo, ReadsAnotherProgramsRecordByItsWindowsName) {
  std::string folder = tolvar::kernel::ProgramFolder();
  for (const std::string& file : {folder + "/resources_versioned", folder + "/resources_versioned.exe"}) {
    std::vector<BYTE> block = ReadRecord(file);
    ASSERT_FALSE(block.empty()) << file;

    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValue(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* pair = static_cast<const BYTE*>(value);
    WORD language = static_cast<WORD>(pair[0] | (pair[1] << 8)), codePage = static_cast<WORD>(pair[2] | (pair[3] << 8));
    EXPECT_EQ(language, 0x0409);
    EXPECT_EQ(codePage, 1200);

    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", language, codePage);
    EXPECT_EQ(Query(block, std::string(prefix) + "Comments"), "Dravik sample");
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040904b0\\Comments"), "Dravik sample");
    EXPECT_EQ(Query(block, "\\STRINGFILEINFO\\040904B0\\specialbuild"), "5");
    EXPECT_EQ(Query(block, std::string(prefix) + "FileDescription"), "Résumé viewer");
    EXPECT_EQ(Query(block, std::string(prefix) + "FileVersion"), "2.1.0.7");
    EXPECT_EQ(Query(block, std::string(prefix) + "Empty"), "");
    EXPECT_EQ(Query(block, std::string(prefix) + "PrivateBuild"), "<none>");
    EXPECT_EQ(Query(block, "\\StringFileInfo\\04070000\\Comments"), "<none>");

    ASSERT_TRUE(VerQueryValue(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000007u);
    EXPECT_EQ(fixed->dwFileOS, 0x40004u);
    EXPECT_EQ(fixed->dwFileType, 1u);
  }
}

TEST(VersionInfo, FilesWithoutARecordAreRefused) {
  std::string folder = tolvar::kernel::ProgramFolder();
  std::string text = testing::TempDir() + "/not-a-program.txt";
  std::ofstream(text) << "#!/bin/sh\necho hello\n";
  struct Case { std::string file; DWORD error; };
  for (const Case& c : {Case{folder + "/no-such-program.exe", ERROR_FILE_NOT_FOUND},
                        Case{text, ERROR_RESOURCE_DATA_NOT_FOUND},
                        Case{folder + "/libplatform_base.so", ERROR_RESOURCE_DATA_NOT_FOUND},
                        // A module with resources but no version record.
                        Case{folder + "/libresources_testlib.so", ERROR_RESOURCE_TYPE_NOT_FOUND}}) {
    DWORD handle = 1;
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSize(c.file.c_str(), &handle), 0u) << c.file;
    EXPECT_EQ(GetLastError(), c.error) << c.file;
    BYTE block[256];
    EXPECT_FALSE(GetFileVersionInfo(c.file.c_str(), 0, sizeof block, block));
  }
  std::remove(text.c_str());
}

TEST(VersionInfo, ShortBufferIsRefusedRatherThanCut) {
  std::string file = tolvar::kernel::ProgramFolder() + "/resources_versioned";
  DWORD size = GetFileVersionInfoSize(file.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size - 1);
  EXPECT_FALSE(GetFileVersionInfo(file.c_str(), 0, size - 1, block.data()));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace

namespace {

// A copy of the versioned program with one length word of its record overwritten.
std::string DamagedCopy(const std::u16string& key, int lengthOffsetBeforeKey, WORD length) {
  std::ifstream in(tolvar::kernel::ProgramFolder() + "/resources_versioned", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string pattern;
  for (char16_t c : key) pattern += {static_cast<char>(c), static_cast<char>(c >> 8)};
  size_t at = bytes.find(pattern);
  EXPECT_NE(at, std::string::npos);
  at -= static_cast<size_t>(lengthOffsetBeforeKey);
  bytes[at] = static_cast<char>(length & 0xFF);
  bytes[at + 1] = static_cast<char>(length >> 8);
  std::string path = testing::TempDir() + "/damaged-" + std::to_string(length);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(VersionInfo, DamagedRecordIsRefusedNotRead) {
  // The root claiming more than the record holds; a block claiming less than its own header.
  for (const std::string& file : {DamagedCopy(u"VS_VERSION_INFO", 6, 0xFFF0), DamagedCopy(u"StringFileInfo", 6, 3)}) {
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSize(file.c_str(), nullptr), 0u) << file;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA) << file;
    std::remove(file.c_str());
  }
}

}  // namespace

namespace {

TEST(VersionRecord, ReadsTheTextsOfTheFirstTranslationByName) {
  tolvar::resources::VersionRecord record;
  ASSERT_TRUE(record.Read((tolvar::kernel::ProgramFolder() + "/resources_versioned.exe").c_str()));
  EXPECT_TRUE(record.HasTranslation());
  EXPECT_EQ(record.Language(), 0x0409);
  EXPECT_EQ(record.CodePage(), 1200);
  EXPECT_EQ(record.Text("Comments"), "Dravik sample");
  EXPECT_EQ(record.Text("specialbuild"), "5");
  EXPECT_EQ(record.Text("FileDescription"), "Résumé viewer");
  EXPECT_EQ(record.Value("Empty"), std::optional<std::string>(""));  // present, empty
  EXPECT_EQ(record.Value("PrivateBuild"), std::nullopt);
  ASSERT_NE(record.Fixed(), nullptr);
  EXPECT_EQ(record.Fixed()->dwFileVersionMS, 0x00020001u);

  // A file without a record leaves nothing of the one read before.
  SetLastError(0);
  EXPECT_FALSE(record.Read((tolvar::kernel::ProgramFolder() + "/libresources_testlib.so").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_FALSE(record.HasRecord());
  EXPECT_FALSE(record.HasTranslation());
  EXPECT_EQ(record.Value("Comments"), std::nullopt);
  EXPECT_EQ(record.Fixed(), nullptr);
}

}  // namespace
