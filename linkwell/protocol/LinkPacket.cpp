#include <linkwell/LinkPacket.h>

#include <algorithm>
#include <cstring>

void PackLinkPacketHeader(const LinkPacketHeader& header, std::span<BYTE, LINK_HEADER_SIZE> bytes) {
  bytes[0] = LOBYTE(header.marker);
  bytes[1] = HIBYTE(header.marker);
  bytes[2] = header.flag;
  bytes[3] = header.type;
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<BYTE>(header.length >> (8 * i));
}

LinkPacketHeader UnpackLinkPacketHeader(std::span<const BYTE, LINK_HEADER_SIZE> bytes) {
  LinkPacketHeader header;
  header.marker = MAKEWORD(bytes[0], bytes[1]);
  header.flag = bytes[2];
  header.type = bytes[3];
  header.length = 0;
  for (int i = 0; i < 4; ++i) header.length |= static_cast<DWORD>(bytes[4 + i]) << (8 * i);
  return header;
}

bool IsValidLinkPacketHeader(const LinkPacketHeader& header) {
  return header.marker == MAKEWORD(LINK_MARKER_FIRST, LINK_MARKER_SECOND) &&
         header.length <= LINK_MAX_PAYLOAD;
}

DWORD BuildLinkPacket(BYTE type, std::span<const BYTE> payload, BYTE flag, std::span<BYTE> packet) {
  const DWORD length = static_cast<DWORD>(std::min<std::size_t>(payload.size(), LINK_MAX_PAYLOAD));
  if (packet.size() < LINK_HEADER_SIZE + length) return 0;
  LinkPacketHeader header;
  header.flag = flag;
  header.type = type;
  header.length = length;
  PackLinkPacketHeader(header, packet.first<LINK_HEADER_SIZE>());
  if (length > 0) std::memcpy(packet.data() + LINK_HEADER_SIZE, payload.data(), length);
  return LINK_HEADER_SIZE + length;
}
