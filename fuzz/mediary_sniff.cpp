// Fuzz target: Mediary's sniffing of a file into a media kind, on arbitrary bytes under each
// extension and variant that changes the rules. The answer must be a kind, "WRONG_SIZE" or empty.
#include "FuzzInput.h"

#include <MediaRules.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kBuilds[] = {"YW", "YI", "ZJ", "ZD", "CW", "MI", "UJ", "UD", "XX"};
  static const char* const kExtensions[] = {"gif", "png", "jpg", "3gp", "mp4", "amr", "imy", ""};
  FuzzInput input(data, size);
  CMediaRules rules(kBuilds[input.Below(9)]);
  rules.SetTargetClass(input.Below(3));
  const std::string_view extension = kExtensions[input.Below(8)];
  const std::string kind = rules.SniffMediaKind(input.Rest(), extension);
  if (!kind.empty() && kind != kWrongSize && GetMediaClass(kind) == kMediaNone) std::abort();
  return 0;
}
