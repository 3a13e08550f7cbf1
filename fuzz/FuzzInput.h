#pragma once
// A fuzz input read from the front as a few choices followed by data, so one input can steer a
// target through its operations the way a caller would (libFuzzer learns which bytes matter).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : m_bytes(data, size) {}

  bool Empty() const { return m_bytes.empty(); }
  std::size_t Remaining() const { return m_bytes.size(); }

  // One byte (0 once the input is used up).
  std::uint8_t Byte() {
    if (m_bytes.empty()) return 0;
    const std::uint8_t b = m_bytes.front();
    m_bytes = m_bytes.subspan(1);
    return b;
  }
  // A number in [0, bound), from one or two bytes.
  int Below(int bound) {
    const int raw = bound > 256 ? (Byte() | (Byte() << 8)) : Byte();
    return bound > 0 ? raw % bound : 0;
  }
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    count = std::min(count, m_bytes.size());
    const auto taken = m_bytes.first(count);
    m_bytes = m_bytes.subspan(count);
    return taken;
  }
  std::span<const std::uint8_t> Rest() { return Bytes(m_bytes.size()); }
  // The text up to the next `separator` (not included), or the rest.
  std::string Text(std::uint8_t separator = '\n') {
    const auto end = std::find(m_bytes.begin(), m_bytes.end(), separator);
    const std::size_t length = static_cast<std::size_t>(end - m_bytes.begin());
    std::string text(reinterpret_cast<const char*>(m_bytes.data()), length);
    m_bytes = m_bytes.subspan(std::min(length + 1, m_bytes.size()));
    return text;
  }
  std::string_view RestText() {
    const auto rest = Rest();
    return {reinterpret_cast<const char*>(rest.data()), rest.size()};
  }

 private:
  std::span<const std::uint8_t> m_bytes;
};
