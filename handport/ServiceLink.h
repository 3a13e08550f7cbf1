#pragma once
// The connection to the link service: link packets out, and a receive thread that cuts the
// incoming stream into packets and queues them for the caller's thread.
#include "LinkSocket.h"

#include <linkwell/LinkPacketAssembler.h>

#include <base/WinDef.h>
#include <kernel/UniqueHandle.h>

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class CServiceLink : public CLinkSocket {
 public:
  CServiceLink();
  // Gives the link up (an empty PKT_RELEASE) when connected, then closes.
  ~CServiceLink() override;

  // Connects as a client and starts the receive thread; 0 or the Winsock error (the socket is
  // then closed).
  int OpenLink(const char* host, u_short port);

  // Sends one packet with up to LINK_MAX_PAYLOAD bytes of `payload`; gives the payload bytes that
  // went out, or 0 when not even the header did.
  int SendPacket(const BYTE* payload, DWORD length, BYTE type, BYTE flag);

  // Takes the oldest received packet, header and payload; false when none waits.
  bool PopPacket(std::vector<BYTE>& packet);
  // Signalled (auto-reset) when a packet was queued, so a reader waits for it instead of looking
  // again and again; a reader that finds the queue empty after the signal waits again.
  HANDLE PacketEvent() const { return m_packetEvent.Get(); }

  // Gives the link up, closes the connection, ends the receive thread and drops queued packets.
  // Returns the calling thread's last error.
  int CloseLink();

  bool IsOpen() const { return m_socket != INVALID_SOCKET; }

 private:
  static DWORD ReceiveThread(LPVOID self);
  void Receive();
  void Close();

  std::unique_ptr<BYTE[]> m_sendBuffer;     // one whole packet of the largest size
  std::unique_ptr<BYTE[]> m_receiveBuffer;  // likewise: where each packet is taken out
  LinkPacketAssembler m_assembler;          // the receive thread's alone
  std::mutex m_queueLock;
  std::deque<std::vector<BYTE>> m_queue;
  tolvar::kernel::UniqueHandle m_packetEvent;
  tolvar::kernel::UniqueHandle m_thread;
  DWORD m_threadId = 0;
};
