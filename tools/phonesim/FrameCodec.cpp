#include "FrameCodec.h"

namespace phonesim {

std::string EncodeReplyFrame(std::string_view text) {
  std::string frame;
  frame.reserve(text.size() * 2 + 3);
  frame.push_back(static_cast<char>(kReplyLead));
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == kDle || byte == kSyn || byte == kEsc) frame.push_back(static_cast<char>(kDle));
    frame.push_back(c);
  }
  frame.push_back('\n');
  frame.push_back(static_cast<char>(kSyn));
  return frame;
}

void CommandFrameDecoder::Reset() {
  m_state = State::Idle;
  m_text.clear();
}

std::optional<std::string> CommandFrameDecoder::Feed(unsigned char byte) {
  switch (m_state) {
    case State::Idle:
      // Between frames the line carries echoes, wake-up bytes and noise; only 0x00 starts a frame.
      if (byte == kFrameStart) {
        m_text.clear();
        m_state = State::Text;
      }
      return std::nullopt;
    case State::Escaped:
    case State::OverflowEscaped:
      break;  // the byte is literal; stored below
    case State::Text:
    case State::Overflow:
      if (byte == kDle) {
        m_state = m_state == State::Text ? State::Escaped : State::OverflowEscaped;
        return std::nullopt;
      }
      if (byte == kSyn) {
        const bool overflow = m_state == State::Overflow;
        m_state = State::Idle;
        if (overflow) {
          ++m_dropped;
          m_text.clear();
          return std::nullopt;
        }
        return std::move(m_text);
      }
      if (byte == kFrameStart) {
        // An unescaped 0x00 cannot be part of a command text: the frame before it was broken off.
        m_text.clear();
        m_state = State::Text;
        return std::nullopt;
      }
      break;
  }
  if (m_state == State::Escaped) m_state = State::Text;
  if (m_state == State::OverflowEscaped) m_state = State::Overflow;
  if (m_state == State::Overflow) return std::nullopt;
  if (m_text.size() == kMaxCommandText) {
    // Too long for any command: drop the whole frame rather than act on a cut-off text.
    m_text.clear();
    m_state = State::Overflow;
    return std::nullopt;
  }
  m_text.push_back(static_cast<char>(byte));
  return std::nullopt;
}

}  // namespace phonesim
