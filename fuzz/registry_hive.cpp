// A hive file's text, as another process or a person may have left it: parsed, and the tree it
// gives written out and parsed again, which must give the same text.
#include "HiveText.h"

#include <cstdint>
#include <cstdlib>

using namespace tolvar::registry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  HiveParseError error;
  const auto root = ParseHive(text, "HKEY_CURRENT_USER", error);
  if (!root) return 0;
  const std::string written = FormatHive(*root, "HKEY_CURRENT_USER");
  const auto again = ParseHive(written, "HKEY_CURRENT_USER", error);
  if (!again || FormatHive(*again, "HKEY_CURRENT_USER") != written) std::abort();
  return 0;
}
