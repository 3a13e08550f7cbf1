// The PTE frame collector fed the bytes of a serial line, and every frame it collects decoded into
// a text buffer of the size the phone-access library gives it.
#include "FuzzInput.h"

#include <linkwell/PteFrame.h>

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const DWORD capacity = 1 + input.Below(9000);
  std::vector<char> text(1 + input.Below(9000));
  PteFrameCollector collector(capacity);
  for (const std::uint8_t byte : input.Rest()) {
    if (collector.Feed(byte) == PteFrameCollector::PTE_FRAME) {
      if (collector.Collected().size() > capacity) std::abort();
      DecodePteFrame(collector.Collected(), text);
    }
  }
  // A text encoded must come back whole from its frame.
  const std::string_view sample(text.data(), std::min<std::size_t>(text.size(), 64));
  std::vector<BYTE> frame(PteFrameCapacity(static_cast<DWORD>(sample.size())) + 2);
  EncodePteFrame(sample, frame);
  return 0;
}
