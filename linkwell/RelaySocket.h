#pragma once
// The link service's side of the local TCP link: one class serves as the listener on port 4000 and
// as each connection it accepts (and, for a client, as a connecting socket). It cuts each
// connection's byte stream into link packets and sends packets back.
//
// Threads: the socket notifications (OnAccept, OnReceive, OnClose) run on the thread that created
// the listener; ReceivePacket runs on the link worker; SendPacket on the worker and on the connect
// thread. One lock in the listener covers its connections, its current peer and every send, so a
// connection is never freed while a packet goes to it, and two packets never interleave.
//
// The current peer is the connection whose packet ReceivePacket took last (the listener itself until
// one came): whoever handles a packet answers the connection it came from. ReceivePacket serves the
// connections in turn, starting after the current peer. Every connection sends without delay
// (TCP_NODELAY): the link is a conversation of small packets. A connection whose peer
// closed is freed once every whole packet it sent has been taken, on the worker thread, inside
// ReceivePacket; `onConnectionFreed` tells the worker first, so that it can drop any pointer it kept.
#include <linkwell/LinkPacket.h>
#include <linkwell/LinkPacketAssembler.h>

#include <framework/AsyncSocket.h>

#include <kernel/UniqueHandle.h>

#include <base/WinDef.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CRelaySocket : public CAsyncSocket {
 public:
  static constexpr int kListen = 0;
  static constexpr int kConnect = 1;

  // `owner` is the listener for an accepted connection, none for the listener.
  explicit CRelaySocket(CRelaySocket* owner = nullptr);
  ~CRelaySocket() override;

  // Listens (mode 0) on `port` of `address` (empty: the loopback address, so only programs of this
  // machine reach the link) or connects (mode 1) to `address` and `port`. 0, or the Windows
  // Sockets error, shown through ReportSocketError.
  int OpenLink(LPCSTR address, UINT port, int mode);

  // Copies the next whole packet, header and payload, into `destination` (at least LINK_MAX_PACKET
  // bytes) and makes its connection the current peer; gives its size, or 0 when none is there.
  DWORD ReceivePacket(BYTE* destination);

  // Sends one packet (the payload cut to LINK_MAX_PAYLOAD bytes) to the current peer (from the
  // listener) or to this connection. Gives the payload bytes sent, or 0 when there is no peer or
  // the packet could not go out whole.
  int SendPacket(const void* payload, DWORD length, BYTE type, BYTE flag);
  // The same to `peer`, when it is still one of the listener's connections.
  int SendPacketTo(CRelaySocket* peer, const void* payload, DWORD length, BYTE type, BYTE flag);
  // A refusal to `peer`: when the peer's window is full (it sends without reading its answers),
  // nothing waits for it; the connection is ended at once, as any peer whose packet cannot go out
  // whole is, so that a flooding client never holds up the link worker.
  int SendRefusalTo(CRelaySocket* peer);

  // Sends an empty PKT_RELEASE to the current peer, stops listening and frees every connection.
  void CloseAll();

  // Whether `connection` has hung up: it is gone, its close was reported, or its end of the
  // stream has come though the report is still on its way. What it sent before is read in and
  // taken as usual. From the worker.
  bool HasHungUp(CRelaySocket* connection);
  // Signalled (manual reset) when incoming data or a whole packet waits; the worker resets it.
  HANDLE GetDataEvent() const { return m_dataEvent.Get(); }
  CRelaySocket* GetCurrentPeer();
  int GetConnectionCount();

  // Shows a Windows Sockets error to the user; the program sets how.
  void ReportSocketError(int error);
  std::function<void(int error)> onSocketError;
  // Called on the worker thread just before a closed connection is freed.
  std::function<void(CRelaySocket* connection)> onConnectionFreed;

 protected:
  void OnAccept(int error) override;
  void OnReceive(int error) override;
  void OnClose(int error) override;

 private:
  CRelaySocket* Listener() { return m_owner ? m_owner : this; }
  bool IsLive(CRelaySocket* peer) const;
  // Reads once from this connection's socket into its assembler; false when nothing came.
  bool ReadOnce();
  DWORD Take(CRelaySocket* from, BYTE* destination);
  // Sends header and payload whole, waiting out a full send buffer for a while; false otherwise.
  bool SendWhole(const BYTE* bytes, DWORD size, DWORD patience);
  void FreeClosedConnections();
  int SendPacketLocked(CRelaySocket* peer, const void* payload, DWORD length, BYTE type, BYTE flag, DWORD patience);

  CRelaySocket* m_owner = nullptr;
  std::vector<std::unique_ptr<CRelaySocket>> m_connections;  // the listener's, in order of arrival
  CRelaySocket* m_currentPeer = this;
  tolvar::kernel::UniqueHandle m_dataEvent;
  LinkPacketAssembler m_assembler;           // this connection's bytes not yet taken
  std::unique_ptr<BYTE[]> m_sendBuffer;      // one whole packet
  std::atomic<bool> m_dataReported{false};   // OnReceive came; reads may find bytes
  bool m_peerClosed = false;                 // OnClose came; the socket is closed
  bool m_streamEnded = false;                // a read found the end of the peer's stream
  bool m_broken = false;                     // a send failed: nothing more goes out
  bool m_listening = false;
  std::mutex m_lock;                         // the listener's; see above
};
