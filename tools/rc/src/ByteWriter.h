#pragma once
// Little-endian byte packing for the binary layouts the compiler writes.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tolvar::rc {

class ByteWriter {
public:
  void U8(std::uint8_t v) { m_bytes.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void I16(std::int32_t v) { U16(static_cast<std::uint16_t>(v)); }
  // A UTF-16 text followed by its terminating NUL.
  void Utf16z(std::u16string_view text) {
    for (char16_t c : text) U16(static_cast<std::uint16_t>(c));
    U16(0);
  }
  void Bytes(std::span<const std::uint8_t> bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
  void AlignTo(size_t boundary) {
    while (m_bytes.size() % boundary) m_bytes.push_back(0);
  }
  void PatchU16(size_t at, std::uint16_t v) {
    m_bytes[at] = static_cast<std::uint8_t>(v);
    m_bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  void PatchU32(size_t at, std::uint32_t v) {
    PatchU16(at, static_cast<std::uint16_t>(v));
    PatchU16(at + 2, static_cast<std::uint16_t>(v >> 16));
  }

  size_t Size() const { return m_bytes.size(); }
  const std::vector<std::uint8_t>& Data() const { return m_bytes; }
  std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

private:
  std::vector<std::uint8_t> m_bytes;
};

// Reading counterpart, for the image files the compiler takes in.
inline std::uint16_t ReadU16(std::span<const std::uint8_t> b, size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t ReadU32(std::span<const std::uint8_t> b, size_t at) {
  return static_cast<std::uint32_t>(ReadU16(b, at)) | (static_cast<std::uint32_t>(ReadU16(b, at + 2)) << 16);
}

}  // namespace tolvar::rc
