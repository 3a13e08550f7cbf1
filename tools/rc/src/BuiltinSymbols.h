#pragma once
// The constants a resource script may use without defining them: window, dialog and control styles,
// standard dialog ids, version-record flags and language ids. The compiler knows them the way the
// Windows compiler knows its system headers; including <windows.h>, "winres.h" or "afxres.h" is
// accepted and adds nothing further.
#include <cstdint>
#include <span>
#include <string_view>

namespace tolvar::rc {

struct BuiltinSymbol {
  std::string_view name;
  std::int64_t value;
};

std::span<const BuiltinSymbol> BuiltinSymbols();

// Header names that stand for the built-in symbols.
bool IsBuiltinHeader(std::string_view name);

}  // namespace tolvar::rc
