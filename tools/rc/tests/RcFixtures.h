#pragma once
// Helpers of the compiler's tests: scripts written to a temporary folder, compiled in-process, and the
// resources picked out of the result.
#include "Compiler.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvar::rc::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder for one test's files.
std::string TempFolder();
void WriteFile(const std::string& path, const std::string& content);
void WriteFile(const std::string& path, const Bytes& content);

// Compiles `script` (written to <folder>/script.rc). Throws RcError.
CompileResult CompileText(const std::string& folder, const std::string& script);

// The resource of the given type and name (and language, when not 0xFFFF); fails the test if absent.
const Resource& Find(const CompileResult& result, std::uint16_t type, const ResId& name,
                     std::uint16_t language = 0xFFFF);

// Bytes written as hexadecimal pairs; '#' starts a comment that runs to the end of the line.
Bytes ReadHexFixture(const std::string& path);

// Little-endian UTF-16 bytes of a text, with its NUL.
Bytes Utf16z(const std::u16string& text);

std::string DataFolder();

}  // namespace tolvar::rc::test
