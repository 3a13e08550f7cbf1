#include "SuitePrograms.h"

#include <kernel/Find.h>
#include <resources/VersionRecord.h>
#include <shell/ShellApi.h>

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
    // A record without a translation names no program of the suite.
    tolvar::resources::VersionRecord record;
    if (!record.Read(path.c_str()) || !record.HasTranslation()) continue;
    if (!record.Text("Comments").starts_with(commentsPrefix)) continue;
    SuiteProgram program;
    program.fileName = found.cFileName;
    program.description = BoundedText(record.Text("FileDescription"), limits.description);
    program.version = BoundedText(record.Text("FileVersion"), limits.version);
    program.privateBuild = record.Text("PrivateBuild");
    SHFILEINFOA info{};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) program.icon = info.hIcon;
    programs.push_back(std::move(program));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return programs;
}
