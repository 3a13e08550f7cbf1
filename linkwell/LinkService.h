#pragma once
// The heart of the link service: one client at a time owns the phone link, and bytes flow between
// its TCP connection and the phone's COM port.
//
// Threads:
//   main thread  creates the listener in Start and must pump its socket notifications
//                (tolvar::framework::DispatchSocketNotification); calls Stop, FindPhone and
//                OnIdleTimer;
//   link worker  (HandleLinkPackets) takes the clients' packets and relays the phone's bytes;
//   connect thread (ConnectPhone) searches the phone for a hello or the tray command.
// The link state (owner, relay port, selected port, the client waiting for a search) is guarded by
// one lock. The relay port is opened, written, read and closed only by the worker (the connect
// thread only names its port while the worker stays off it), so the idle time-out, which the frame
// reports from the main thread, is carried out by the worker between packets.
//
// Ownership: the link is free until a connection's PKT_CLAIM or PKT_TO_PHONE makes it the owner.
// While owned, PKT_CLAIM and PKT_TO_PHONE of any other connection, and PKT_CONNECT of any connection
// (the owner's too: a search would close the port it talks through), are answered with an empty
// PKT_REFUSED, and another connection's PKT_RELEASE is ignored. The worker takes one packet a turn,
// the connections served in turn, so a client that floods the link costs the owner only its share. The owner loses the link by PKT_RELEASE, by the
// idle time-out (it sent nothing for "CommsTimeOut" + 1000 ms, 7000 ms when missing), or when its
// connection goes; the relay port is closed then.
#include "LinkFrame.h"
#include "PhoneList.h"
#include "SerialPortDiscovery.h"

#include <base/WinDef.h>
#include <kernel/UniqueHandle.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CRelaySocket;
class CSerialPort;

class CLinkService {
 public:
  static constexpr UINT kLinkPort = 4000;
  static constexpr DWORD kDefaultIdleTimeout = 7000;
  static constexpr DWORD kRelayBaud = 115200;

  explicit CLinkService(ILinkFrame& frame);
  ~CLinkService();  // Stop()
  CLinkService(const CLinkService&) = delete;
  CLinkService& operator=(const CLinkService&) = delete;

  // On the main thread: lists the ports, listens on `port` of the loopback address (0: any free
  // port), reads "CommsTimeOut", opens the traffic log when "EnableLogging" asks for it, reads the
  // phone list from `phoneListPath`, and starts the link worker. Gives 0, or the Windows Sockets
  // error of the listener (which the frame was shown); the service runs without clients then.
  int Start(UINT port, LPCSTR phoneListPath);
  // On the main thread: ends the worker and a running search (it stops after the probe under way)
  // and joins both, sends PKT_RELEASE to the client that spoke last, frees every connection, closes
  // the relay port and the traffic log.
  void Stop();

  // The port the listener got.
  UINT ListeningPort() const;

  // The tray command "Find connected phone": a search whose failure the frame shows. It neither
  // looks at the link owner nor closes the relay port first. False when a search runs already.
  bool FindPhone();
  // Timer 2 ran out (main thread).
  void OnIdleTimer();
  // The notice of a failed search arrived: true once when the user started that search.
  bool TakeNotice();

  bool IsSearching() const { return m_busy; }
  bool IsLinkOwned();
  bool IsRelayPortOpen();

  // The ports as last listed; RediscoverPorts lists them anew.
  PortList Ports();
  void RediscoverPorts();
  // The port the phone was found on (empty when none is known) and its phone-type code (-1).
  PortRow SelectedPort();
  int PhoneType();
  // The user chose a port: the first row whose report port is `port` becomes the selected row and
  // names the relay port (its baud rate kept); false when no row has that port. The phone-type
  // code becomes -1.
  bool SelectPort(const std::string& port);
  // Forgets the selected port and the relay port's name; the phone-type code becomes -1.
  void ClearSelection();

 private:
  void HandleLinkPackets();
  void TakePackets();
  void HandlePacket(CRelaySocket* peer, BYTE type, const BYTE* payload, DWORD length);
  void WriteToPhone(CRelaySocket* peer, const BYTE* payload, DWORD length);
  void RelayFromPhone();
  void ExpireIdleLink();
  void OnConnectionFreed(CRelaySocket* connection);
  void Refuse(CRelaySocket* peer);
  void TouchLink();
  // Frees the link: the animation stops, the relay port closes, timer 2 is killed. Lock held.
  void ReleaseLinkLocked();
  void CloseRelayPortLocked();

  // Starts the connect thread unless a search runs. Lock held. `requester` gets the result; with
  // none it goes to the client that spoke last.
  bool StartSearchLocked(CRelaySocket* requester, bool answerCurrentPeer);
  void ConnectPhone();
  int ProbeSelectedPort(const PortRow& selected, int pteRow, std::string& model);

  ILinkFrame& m_frame;
  std::unique_ptr<CRelaySocket> m_listener;
  std::unique_ptr<CSerialPort> m_relayPort;
  tolvar::kernel::UniqueHandle m_exitEvent;    // "MainFrame exit event"
  tolvar::kernel::UniqueHandle m_serialEvent;  // "Serial recv event"
  tolvar::kernel::UniqueHandle m_idleEvent;    // timer 2 ran out; the worker checks the owner's silence
  std::unique_ptr<BYTE[]> m_packet;
  std::thread m_worker;
  std::thread m_connectThread;     // touched only by whoever set m_busy, and by Stop
  DWORD m_idleTimeout = kDefaultIdleTimeout;
  CPhoneList m_phones;

  std::mutex m_lock;  // everything below
  CRelaySocket* m_owner = nullptr;
  DWORD m_lastActivity = 0;         // tick of the owner's last packet
  bool m_relayPortHeld = false;     // opened by the link and not closed by it since
  bool m_relayFailureTold = false;  // its failure has been reported to the client
  CRelaySocket* m_requester = nullptr;
  bool m_answerCurrentPeer = false;
  PortRow m_selected;
  // The port the user chose or the phone was last found on, with the trace-mode row that answered
  // there (-1 when none). A failed search empties the selected row but keeps these, so the next
  // search still asks that port in both modes: a phone left in trace mode answers no AT command and
  // would otherwise never be found again by the walk.
  PortRow m_configured;
  int m_configuredPteRow = -1;
  int m_phoneType = -1;
  PortList m_ports;

  std::atomic<bool> m_busy{false};
  std::atomic<bool> m_notice{false};
  std::atomic<bool> m_stopping{false};
};
