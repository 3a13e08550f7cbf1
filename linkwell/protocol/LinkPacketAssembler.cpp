#include <linkwell/LinkPacketAssembler.h>

#include <algorithm>
#include <cassert>
#include <cstring>

LinkPacketAssembler::LinkPacketAssembler() : m_buffer(std::make_unique<BYTE[]>(LINK_MAX_PACKET)) {}

std::span<BYTE> LinkPacketAssembler::FreeSpace() {
  if (m_begin > 0) {
    std::memmove(m_buffer.get(), m_buffer.get() + m_begin, Pending());
    m_end -= m_begin;
    m_begin = 0;
  }
  return {m_buffer.get() + m_end, LINK_MAX_PACKET - m_end};
}

void LinkPacketAssembler::Commit(DWORD count) {
  assert(count <= LINK_MAX_PACKET - m_end && "LinkPacketAssembler::Commit past FreeSpace()");
  m_end += std::min(count, LINK_MAX_PACKET - m_end);
}

void LinkPacketAssembler::Resynchronise() {
  const BYTE* data = m_buffer.get();
  for (;;) {
    // The first 00 FF, or a 00 as the last byte held, which the next read may complete.
    DWORD at = m_begin;
    while (at < m_end && !(data[at] == LINK_MARKER_FIRST &&
                           (at + 1 == m_end || data[at + 1] == LINK_MARKER_SECOND))) {
      ++at;
    }
    m_begin = at;
    if (Pending() < LINK_HEADER_SIZE) break;
    const LinkPacketHeader header =
        UnpackLinkPacketHeader(std::span<const BYTE, LINK_HEADER_SIZE>(data + m_begin, LINK_HEADER_SIZE));
    if (IsValidLinkPacketHeader(header)) break;
    ++m_begin;  // a marker that does not begin a packet: look for the next one behind it
  }
  if (m_begin == m_end) m_begin = m_end = 0;
}

DWORD LinkPacketAssembler::CompletePacketSize() {
  Resynchronise();
  if (Pending() < LINK_HEADER_SIZE) return 0;
  const LinkPacketHeader header = UnpackLinkPacketHeader(
      std::span<const BYTE, LINK_HEADER_SIZE>(m_buffer.get() + m_begin, LINK_HEADER_SIZE));
  const DWORD size = LINK_HEADER_SIZE + header.length;
  return Pending() >= size ? size : 0;
}

bool LinkPacketAssembler::HasPacket() { return CompletePacketSize() != 0; }

DWORD LinkPacketAssembler::TakePacket(std::span<BYTE> packet) {
  const DWORD size = CompletePacketSize();
  if (size == 0 || packet.size() < size) return 0;
  std::memcpy(packet.data(), m_buffer.get() + m_begin, size);
  m_begin += size;
  if (m_begin == m_end) m_begin = m_end = 0;
  return size;
}
