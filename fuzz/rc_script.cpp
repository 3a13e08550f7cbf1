// The resource compiler fed a script: it either compiles it or reports a fault in the script, and
// what it compiles packs into a container the runtime reads back.
#include "TempFile.h"

#include "Compiler.h"
#include "Diagnostics.h"
#include "ResourceSet.h"

#include <cstdlib>
#include <string_view>

using namespace tolvar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TempFile script("script.rc");
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // A script may name any file; device files would only make the fuzzer wait.
  for (std::string_view device : {"/dev", "/proc", "/sys"}) {
    if (text.find(device) != std::string_view::npos) return 0;
  }
  try {
    rc::CompileOptions options;
    options.script = script.Write({data, size});
    rc::CompileResult result = rc::Compile(options);
    rc::WriteContainer(std::move(result.resources));
  } catch (const rc::RcError&) {
    // a fault in the script, reported as such
  }
  return 0;
}
