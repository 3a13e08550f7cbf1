#pragma once
// Cuts one connection's incoming byte stream into link packets. It holds one whole packet of the
// largest size, so a packet split across any number of reads is completed, and it never takes a
// byte that was not received. Bytes that cannot begin a packet (no 00 FF marker, or a header that
// announces more than LINK_MAX_PAYLOAD bytes) are dropped up to the next marker, so one bad header
// does not jam the stream. Keep one per connection: bytes of two connections must never meet.
//
//   ssize n = recv(s, assembler.FreeSpace()...);  assembler.Commit(n);
//   while (DWORD size = assembler.TakePacket(packet)) Handle(packet, size);
#include <linkwell/LinkPacket.h>

#include <base/WinDef.h>

#include <memory>
#include <span>

class LinkPacketAssembler {
 public:
  LinkPacketAssembler();
  LinkPacketAssembler(const LinkPacketAssembler&) = delete;
  LinkPacketAssembler& operator=(const LinkPacketAssembler&) = delete;

  // Where the next read should put its bytes; it is never empty unless a whole packet waits to be
  // taken.
  std::span<BYTE> FreeSpace();
  // `count` bytes were read into FreeSpace().
  void Commit(DWORD count);

  // Copies the next whole packet, header and payload, into `packet` and returns its size; 0 when no
  // whole packet is held, or when `packet` is smaller than it (the packet then stays).
  DWORD TakePacket(std::span<BYTE> packet);

  // A whole packet waits.
  bool HasPacket();
  // Received bytes not yet taken as packets.
  DWORD Pending() const { return m_end - m_begin; }
  void Clear() { m_begin = m_end = 0; }

 private:
  // Drops bytes from the front until they begin a valid header, or could once more bytes arrive.
  void Resynchronise();
  // Size of the whole packet at the front, or 0 when it is not complete yet.
  DWORD CompletePacketSize();

  std::unique_ptr<BYTE[]> m_buffer;
  DWORD m_begin = 0;
  DWORD m_end = 0;
};
