// The template editor that gives a dialog another font: any bytes in, and an edited template must
// read again as a whole template with a font.
#include "EmbeddableDialog.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<BYTE> bytes(data, data + size);
  const std::vector<BYTE> original = bytes;
  if (!SetTemplateFont(bytes, "Small fonts", 6)) {
    if (bytes != original) std::abort();  // a refused template is left as it was
    return 0;
  }
  if (!SetTemplateFont(bytes, "MS Sans Serif", 8)) std::abort();
  return 0;
}
