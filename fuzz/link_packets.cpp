// The link service's packet assembler fed a byte stream from a socket in pieces of any size: every
// packet it hands out must be a whole, valid packet, and it must never stall with a packet pending.
#include "FuzzInput.h"

#include <linkwell/LinkPacket.h>
#include <linkwell/LinkPacketAssembler.h>

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  LinkPacketAssembler assembler;
  static std::vector<BYTE> packet(LINK_MAX_PACKET);
  while (!input.Empty()) {
    // A read of 1 to 4096 bytes, as the socket may deliver them.
    const auto piece = input.Bytes(1 + input.Below(4096));
    std::span<const std::uint8_t> rest = piece;
    while (!rest.empty()) {
      const std::span<BYTE> space = assembler.FreeSpace();
      if (space.empty()) std::abort();  // a full buffer must always hold a whole packet
      const std::size_t n = std::min(space.size(), rest.size());
      std::memcpy(space.data(), rest.data(), n);
      assembler.Commit(static_cast<DWORD>(n));
      rest = rest.subspan(n);
      while (assembler.HasPacket()) {
        const DWORD length = assembler.TakePacket(packet);
        if (length < LINK_HEADER_SIZE) std::abort();
        const LinkPacketHeader header =
            UnpackLinkPacketHeader(std::span<const BYTE, LINK_HEADER_SIZE>(packet.data(), LINK_HEADER_SIZE));
        if (!IsValidLinkPacketHeader(header) || LINK_HEADER_SIZE + header.length != length) std::abort();
      }
    }
  }
  return 0;
}
