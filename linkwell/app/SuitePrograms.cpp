#include "SuitePrograms.h"

#include <kernel/Find.h>
#include <resources/Version.h>
#include <shell/ShellApi.h>

#include <cstdio>
#include <cstring>

namespace {

// A string of the record's first translation, or empty.
std::string VersionString(const std::vector<BYTE>& block, const char* translation, const char* name) {
  char path[96];
  std::snprintf(path, sizeof path, "\\StringFileInfo\\%s\\%s", translation, name);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), path, &value, &length) || !value) return {};
  const char* text = static_cast<const char*>(value);
  return std::string(text, strnlen(text, length));
}

}  // namespace

std::string BoundedText(std::string_view text, std::size_t bytes) {
  if (bytes == 0) return {};
  if (text.size() < bytes) return std::string(text);
  std::size_t n = bytes - 1;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return std::string(text.substr(0, n));
}

std::vector<SuiteProgram> FindSuitePrograms(const std::string& folder, std::string_view commentsPrefix,
                                            const SuiteProgramLimits& limits) {
  std::vector<SuiteProgram> programs;
  WIN32_FIND_DATAA found{};
  const std::string pattern = folder + "\\*.exe";
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return programs;
  do {
    if (programs.size() >= limits.count) break;
    const std::string path = folder + "\\" + found.cFileName;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) continue;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(path.c_str(), handle, size, block.data())) continue;
    void* languages = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &languages, &length) || length < 4) continue;
    const auto* words = static_cast<const BYTE*>(languages);
    char translation[16];
    std::snprintf(translation, sizeof translation, "%04x%04x", words[0] | words[1] << 8, words[2] | words[3] << 8);
    if (!VersionString(block, translation, "Comments").starts_with(commentsPrefix)) continue;
    SuiteProgram program;
    program.fileName = found.cFileName;
    program.description = BoundedText(VersionString(block, translation, "FileDescription"), limits.description);
    program.version = BoundedText(VersionString(block, translation, "FileVersion"), limits.version);
    program.privateBuild = VersionString(block, translation, "PrivateBuild");
    SHFILEINFOA info{};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) program.icon = info.hIcon;
    programs.push_back(std::move(program));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return programs;
}
