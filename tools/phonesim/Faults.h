#pragma once
// The ways the simulated phone can misbehave on request, set from the command line at start and
// changed while it runs by control lines (one command per line):
//   silent on|off|<n>     send nothing at all / send again / swallow the next n answers
//   delay <ms>            send each answer that much later (0: at once)
//   garbage on|off        replace each answer by noise of the same length that ends in SYN
//   drop <n>              hang up the line after the phone has sent n more bytes
//   drop-received <n>     hang up the line after the phone has received n more bytes
//   clear                 all of these off
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace phonesim {

struct Faults {
  bool silent = false;
  int silentAnswers = 0;
  std::chrono::milliseconds delay{0};
  bool garbage = false;
  std::optional<long long> dropAfterSent;
  std::optional<long long> dropAfterReceived;
};

// Applies one control line; gives an empty text on success, else the reason it was refused.
std::string ApplyControlLine(std::string_view line, Faults& faults);

// Noise that stands in for an answer: bytes 0x80 to 0xFB, so that it holds neither a frame lead
// (0xFC) nor an AT result code, ending in SYN so that a PTE reader sees one bad frame.
class NoiseSource {
 public:
  std::string Make(std::size_t length);

 private:
  unsigned m_seed = 12345;
};

}  // namespace phonesim
