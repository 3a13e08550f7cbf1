#pragma once
// The phone's PTE command mode: the wake-up sequence that switches it in, and the frames that carry
// each command and each reply.
//
// A frame sent to the phone is 0x00, the command text with every DLE (0x10) and SYN (0x16) preceded
// by a DLE, and a closing SYN. A frame from the phone is everything up to an unescaped SYN: a DLE
// makes the next byte literal, an ESC (0x1B) is dropped and opens a stretch that the next 0x00 closes
// (that 0x00 is dropped too). The collected bytes, read as a NUL-terminated text, are a reply when
// they begin with 0xFC or 0x01 0xFC; the reply text follows that lead, less one trailing line feed.
#include <linkwell/PhoneReplyErrors.h>

#include <base/WinDef.h>

#include <span>
#include <string_view>
#include <vector>

constexpr BYTE PTE_DLE = 0x10;
constexpr BYTE PTE_SYN = 0x16;
constexpr BYTE PTE_ESC = 0x1B;
constexpr BYTE PTE_REPLY_LEAD = 0xFC;

// Private last-error values of the phone dialogue: ERROR_PHONE_BAD_REPLY and ERROR_PHONE_NO_REPLY
// of <linkwell/PhoneReplyErrors.h>, and:
constexpr DWORD ERROR_NO_PHONE_FOUND = 0x30060160;   // no port answered as a phone of the family

// The wake-up sequence, as the four writes that make it: "AT*TRACE\r", 92 SYN bytes, "V" SYN "L"
// SYN, and "Z" SYN.
std::span<const std::span<const BYTE>> PteWakeUpSequence();

// The most bytes the frame of a text of `textLength` bytes can take.
constexpr DWORD PteFrameCapacity(DWORD textLength) { return 2 * textLength + 2; }

// Encodes `text` into `frame`; returns the frame's size, or 0 (a frame is never empty) when `frame`
// cannot hold it.
DWORD EncodePteFrame(std::string_view text, std::span<BYTE> frame);

// Checks the bytes collected for one frame and gives its reply text, NUL-terminated, in `text`.
// False when they are no reply, or when `text` cannot hold the reply and its NUL.
bool DecodePteFrame(std::span<const BYTE> collected, std::span<char> text);

// Collects received bytes into frames by the rules above. It holds at most `capacity` bytes of a
// frame: a longer frame is read to its end and then discarded, so the next frame is read whole.
class PteFrameCollector {
 public:
  enum Result {
    PTE_MORE,      // the frame goes on
    PTE_FRAME,     // a SYN ended the frame; Collected() holds it until the next Feed
    PTE_OVERLONG,  // a SYN ended a frame longer than the capacity; it was discarded
  };

  explicit PteFrameCollector(DWORD capacity);

  Result Feed(BYTE byte);
  std::span<const BYTE> Collected() const { return m_bytes; }

 private:
  std::vector<BYTE> m_bytes;
  DWORD m_capacity;
  bool m_frameEnded = false;
  bool m_overlong = false;
  bool m_literalNext = false;  // the byte before was a DLE
  bool m_inEscape = false;     // within an ESC stretch; it may outlast the frame it began in
};
