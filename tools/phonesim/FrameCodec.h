#pragma once
// The phone's end of the PTE frame coding. Commands arrive as 0x00, the text with 0x10 and 0x16
// escaped by 0x10, and a closing 0x16; replies leave as 0xFC, the text, a line feed and 0x16.
// Written from the phone's side on purpose: the link service has its own codec, and the two check
// each other over the line.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace phonesim {

inline constexpr unsigned char kFrameStart = 0x00;
inline constexpr unsigned char kDle = 0x10;
inline constexpr unsigned char kSyn = 0x16;
inline constexpr unsigned char kEsc = 0x1B;
inline constexpr unsigned char kReplyLead = 0xFC;

// The longest command text the phone takes; the suite never sends more than 8191 bytes.
inline constexpr std::size_t kMaxCommandText = 8191;

// A reply frame: 0xFC, the text with 0x10, 0x16 and 0x1B escaped (the PC side reads 0x1B as the
// start of a stretch to skip), a line feed, and 0x16.
std::string EncodeReplyFrame(std::string_view text);

// Collects command frames out of the bytes from the PC, one byte at a time.
class CommandFrameDecoder {
 public:
  // Takes one byte; gives the command text when this byte closed a frame.
  std::optional<std::string> Feed(unsigned char byte);

  // Frames thrown away since construction: longer than kMaxCommandText.
  std::size_t DroppedFrames() const { return m_dropped; }
  void Reset();

 private:
  enum class State { Idle, Text, Escaped, Overflow, OverflowEscaped };
  State m_state = State::Idle;
  std::string m_text;
  std::size_t m_dropped = 0;
};

}  // namespace phonesim
