// Fuzz target: the shell's reader of shortcut files (".lnk") on arbitrary bytes. A shortcut it accepts
// must name a target.
#include <shell/LinkFile.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tolvar::shell::LinkFile link;
  if (tolvar::shell::ParseLinkFile({data, size}, link) && link.target.empty()) std::abort();
  return 0;
}
