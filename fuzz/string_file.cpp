// Glossa's string-file reader fed a whole file: logical lines, escapes, continuations and ids.
#include "StringFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  DWORD lastError = 0;
  glossa::ReadStringFile(content, [](int, std::string text) -> DWORD {
    if (text.size() > glossa::kMaxLogicalLine) std::abort();
    return 0;
  }, lastError);
  return 0;
}
