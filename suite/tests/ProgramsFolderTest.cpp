// The programs' folder of the build, as the launcher and the tray menu scan it: the suite's mark in a
// version record ("Dravik App") lists a file as a program of the suite. Test programs built with a
// program's resources lie in the same folder; they must not carry the mark, or the launcher's folder
// bar lists them beside (and before) the real programs.
#include <resources/Version.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string Comments(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return {};
  std::vector<BYTE> record(size);
  if (!GetFileVersionInfoA(path.c_str(), handle, size, record.data())) return {};
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(record.data(), "\\StringFileInfo\\040904b0\\Comments", &value, &length) || !value) return {};
  return static_cast<const char*>(value);
}

TEST(ProgramsFolder, OnlyTheSuitesProgramsCarryItsMark) {
  std::vector<std::string> marked;
  for (const auto& entry : std::filesystem::directory_iterator(SUITE_BIN_DIR)) {
    if (!entry.is_regular_file()) continue;
    if (Comments(entry.path().string()).starts_with("Dravik App")) marked.push_back(entry.path().filename().string());
  }
  std::sort(marked.begin(), marked.end());
  EXPECT_EQ(marked, (std::vector<std::string>{"Backup", "Daybook", "Mediary"}));
}

}  // namespace
