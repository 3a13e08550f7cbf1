#pragma once
// Link packets: everything on the link service's local TCP connection travels as one. An 8-byte
// header (the marker 00 FF, a flag byte, the packet type, the payload length as 32 bits
// little-endian) and then the payload. Headers are packed and unpacked byte by byte.
#include <base/WinDef.h>

#include <span>

enum LinkPacketType : BYTE {
  PKT_CLAIM = 0,           // client: claims the phone link
  PKT_RELEASE = 1,         // client: gives the link up; the service: it closes
  PKT_TO_PHONE = 2,        // client: bytes for the phone's port
  PKT_FROM_PHONE = 3,      // service: bytes read from the phone's port
  PKT_REFUSED = 5,         // service: refused (owned by another client) or the port failed
  PKT_CONNECT = 7,         // client: hello, find the phone
  PKT_CONNECT_RESULT = 8,  // service: "COMn,<model>" with its NUL, or a lone NUL
};

constexpr BYTE LINK_MARKER_FIRST = 0x00;
constexpr BYTE LINK_MARKER_SECOND = 0xFF;
constexpr BYTE LINK_FLAG = 1;  // carried by every packet sent; a packet with another flag is ignored
constexpr DWORD LINK_HEADER_SIZE = 8;
constexpr DWORD LINK_MAX_PAYLOAD = 65536;
constexpr DWORD LINK_MAX_PACKET = LINK_HEADER_SIZE + LINK_MAX_PAYLOAD;

struct LinkPacketHeader {
  WORD marker = 0xFF00;  // the bytes 00 FF read as one little-endian word
  BYTE flag = LINK_FLAG;
  BYTE type = PKT_CLAIM;
  DWORD length = 0;      // payload bytes that follow
};

void PackLinkPacketHeader(const LinkPacketHeader& header, std::span<BYTE, LINK_HEADER_SIZE> bytes);
LinkPacketHeader UnpackLinkPacketHeader(std::span<const BYTE, LINK_HEADER_SIZE> bytes);

// The header begins with the marker and announces no more than LINK_MAX_PAYLOAD bytes.
bool IsValidLinkPacketHeader(const LinkPacketHeader& header);

// Writes the header and the payload, cut to LINK_MAX_PAYLOAD bytes, into `packet`; returns the
// packet's size, or 0 (nothing written) when `packet` cannot hold it.
DWORD BuildLinkPacket(BYTE type, std::span<const BYTE> payload, BYTE flag, std::span<BYTE> packet);
