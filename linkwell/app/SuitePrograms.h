#pragma once
// The suite's programs beside the link service: executable files of a folder whose version record's
// Comments begin with a given prefix ("Dravik App" for the tray menu's programs, "Dravik" for the
// About dialog's rows). Their texts are cut to the sizes of the records that hold them.
#include <base/WinDef.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct SuiteProgram {
  std::string fileName;     // as the folder lists it ("Daybook.exe")
  std::string description;  // "FileDescription"
  std::string version;      // "FileVersion"
  std::string privateBuild; // "PrivateBuild"
  HICON icon = nullptr;     // the file's shell icon (small)
};

struct SuiteProgramLimits {
  std::size_t count;        // programs taken at most
  std::size_t description;  // bytes of each text, its NUL included
  std::size_t version;
};

// The programs of `folder` in the order the folder lists them. Files without a version record are
// skipped; so are those whose Comments do not begin with `commentsPrefix`.
std::vector<SuiteProgram> FindSuitePrograms(const std::string& folder, std::string_view commentsPrefix,
                                            const SuiteProgramLimits& limits);

// A text cut to fit `bytes` with its NUL, never inside a UTF-8 character.
std::string BoundedText(std::string_view text, std::size_t bytes);
