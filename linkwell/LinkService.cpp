#include "LinkService.h"

#include "LinkSettings.h"
#include "PhoneProbe.h"
#include "RelaySocket.h"
#include "SerialPort.h"
#include "TrafficLog.h"

#include <linkwell/LinkPacket.h>

#include <base/Time.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>
#include <net/WinSock.h>

#include <utility>

namespace {

constexpr DWORD kIdleGrace = 1000;  // added to "CommsTimeOut"
constexpr char kExitEventName[] = "MainFrame exit event";
constexpr char kSerialEventName[] = "Serial recv event";

// The phone's bytes come before the clients' packets: a wait that finds both signalled takes the
// lowest, and a client that floods the link must not hold up the owner's replies.
enum WaitResult : DWORD { kExit, kPhoneBytes, kIdle, kPackets, kWaitCount };

}  // namespace

CLinkService::CLinkService(ILinkFrame& frame) : m_frame(frame) {}

CLinkService::~CLinkService() {
  Stop();
}

int CLinkService::Start(UINT port, LPCSTR phoneListPath) {
  PortList ports;
  DiscoverSerialPorts(ports);
  {
    std::lock_guard lock(m_lock);
    m_ports = std::move(ports);
  }
  m_listener = std::make_unique<CRelaySocket>();
  m_listener->onSocketError = [this](int error) { m_frame.ReportSocketError(error); };
  m_listener->onConnectionFreed = [this](CRelaySocket* connection) { OnConnectionFreed(connection); };
  const int listenError = m_listener->OpenLink("", port, CRelaySocket::kListen);
  m_relayPort = std::make_unique<CSerialPort>();
  m_exitEvent.Reset(CreateEventA(nullptr, FALSE, FALSE, kExitEventName));
  ResetEvent(m_exitEvent.Get());  // a signal left over from an earlier service must not end this one
  m_serialEvent.Reset(CreateEventA(nullptr, FALSE, FALSE, kSerialEventName));
  m_idleEvent.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  m_packet = std::make_unique<BYTE[]>(LINK_MAX_PACKET);

  CSettingsKey settings;
  const std::optional<DWORD> commsTimeOut = settings.ReadDword("CommsTimeOut");
  m_idleTimeout = commsTimeOut ? *commsTimeOut + kIdleGrace : kDefaultIdleTimeout;
  OpenTrafficLog();
  m_phones.Read(phoneListPath);

  m_stopping = false;
  m_worker = std::thread([this] { HandleLinkPackets(); });
  return listenError;
}

void CLinkService::Stop() {
  if (!m_worker.joinable()) return;
  m_stopping = true;
  SetEvent(m_exitEvent.Get());
  m_worker.join();
  if (m_connectThread.joinable()) m_connectThread.join();
  m_busy = false;
  m_listener->CloseAll();
  m_listener.reset();
  std::lock_guard lock(m_lock);
  m_owner = nullptr;
  m_requester = nullptr;
  m_relayPort->ClosePort();
  m_relayPortHeld = false;
  CloseTrafficLog();
}

UINT CLinkService::ListeningPort() const {
  if (!m_listener) return 0;
  sockaddr_in address{};
  int length = sizeof address;
  if (getsockname(m_listener->m_hSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

// --- the link worker ---------------------------------------------------------------------------

void CLinkService::HandleLinkPackets() {
  const HANDLE waits[kWaitCount] = {m_exitEvent.Get(), m_serialEvent.Get(), m_idleEvent.Get(), m_listener->GetDataEvent()};
  for (;;) {
    const DWORD result = WaitForMultipleObjects(kWaitCount, waits, FALSE, INFINITE) - WAIT_OBJECT_0;
    switch (result) {
      case kExit:
        return;
      case kPackets:
        ResetEvent(waits[kPackets]);
        TakePackets();
        break;
      case kPhoneBytes:
        // While a search runs the probes own the ports; the relay stays off them.
        if (!m_busy) RelayFromPhone();
        Sleep(0);
        break;
      case kIdle:
        ExpireIdleLink();
        break;
      default:
        Sleep(1);  // a failed wait: never spin
        break;
    }
  }
}

void CLinkService::TakePackets() {
  // One packet a turn: the listener serves the connections in turn and signals again while more
  // wait, so the phone's bytes and the idle tick get their turn between two packets.
  BYTE* packet = m_packet.get();
  const DWORD size = m_listener->ReceivePacket(packet);
  if (size == 0 || m_busy) return;  // packets that come during a search are dropped
  const LinkPacketHeader header = UnpackLinkPacketHeader(std::span<const BYTE, LINK_HEADER_SIZE>(packet, LINK_HEADER_SIZE));
  if (header.flag != LINK_FLAG) return;
  HandlePacket(m_listener->GetCurrentPeer(), header.type, packet + LINK_HEADER_SIZE, size - LINK_HEADER_SIZE);
}

void CLinkService::HandlePacket(CRelaySocket* peer, BYTE type, const BYTE* payload, DWORD length) {
  std::lock_guard lock(m_lock);
  // An owner that hung up has given the link up, though its close may still be on its way to the
  // main thread: a client that closes and connects again at once is not refused by itself.
  if (m_owner != nullptr && m_owner != peer && m_listener->HasHungUp(m_owner)) ReleaseLinkLocked();
  const bool other = m_owner != nullptr && m_owner != peer;
  switch (type) {
    case PKT_CLAIM:
      if (other) return Refuse(peer);
      if (!m_owner) {
        m_frame.StartAnimation(TrayAnimation::InUse);
        m_owner = peer;
      }
      TouchLink();
      return;
    case PKT_RELEASE:
      if (m_owner == peer) ReleaseLinkLocked();
      return;
    case PKT_TO_PHONE:
      if (other) return Refuse(peer);
      if (!m_owner) {
        m_owner = peer;
        m_frame.StartAnimation(TrayAnimation::InUse);
      }
      WriteToPhone(peer, payload, length);
      TouchLink();
      Sleep(1);
      return;
    case PKT_CONNECT:
      // A hello from a connection that has hung up is nobody's: its search would only keep the
      // link busy, dropping the packets of the client that is there.
      if (m_listener->HasHungUp(peer)) return;
      // A search would close the relay port under the owner's conversation, its own included.
      if (m_owner) return Refuse(peer);
      m_frame.StartAnimation(TrayAnimation::Search);
      CloseRelayPortLocked();
      StartSearchLocked(peer, false);
      return;
    default:
      return;
  }
}

void CLinkService::WriteToPhone(CRelaySocket* peer, const BYTE* payload, DWORD length) {
  CSerialPort& port = *m_relayPort;
  if (port.Write(payload, length) != CSerialPort::kWriteFailed || port.IsOpen()) return;
  // The port is closed (its first use, or it failed): open it; then once more afresh, and write.
  m_relayPortHeld = false;
  if (port.OpenPort() != 0) return Refuse(peer);
  port.ClosePort();
  if (port.OpenPort() != 0) return;
  m_relayPortHeld = true;
  m_relayFailureTold = false;
  port.Write(payload, length);
}

void CLinkService::RelayFromPhone() {
  std::lock_guard lock(m_lock);
  BYTE* bytes = m_packet.get();
  DWORD count = LINK_MAX_PAYLOAD;
  const int read = m_relayPort->ReadQueued(bytes, count);
  if (read == CSerialPort::kReadClosed) {
    // Only a port that failed under the link is reported, once; a wake-up that was on its way when
    // the port was closed on purpose is not.
    if (m_relayPortHeld && !std::exchange(m_relayFailureTold, true)) {
      if (m_owner) {
        m_listener->SendPacketTo(m_owner, nullptr, 0, PKT_REFUSED, LINK_FLAG);
      } else {
        m_listener->SendPacket(nullptr, 0, PKT_REFUSED, LINK_FLAG);
      }
    }
    return;
  }
  // A wake for bytes an earlier read took finds none: an empty packet would only cost the client
  // a wait for its acknowledgement.
  if (read == 0) return;
  if (m_owner) {
    m_listener->SendPacketTo(m_owner, bytes, count, PKT_FROM_PHONE, LINK_FLAG);
  } else {
    m_listener->SendPacket(bytes, count, PKT_FROM_PHONE, LINK_FLAG);
  }
}

void CLinkService::ExpireIdleLink() {
  std::lock_guard lock(m_lock);
  if (!m_owner) {
    m_frame.KillIdleTimer();
    return;
  }
  // A tick that was under way while the owner spoke again does not count: the timer was restarted.
  if (GetTickCount() - m_lastActivity < m_idleTimeout) return;
  ReleaseLinkLocked();
}

void CLinkService::OnConnectionFreed(CRelaySocket* connection) {
  std::lock_guard lock(m_lock);
  // A client that went away without PKT_RELEASE gives the link up all the same.
  if (m_owner == connection) ReleaseLinkLocked();
  if (m_requester == connection) m_requester = nullptr;
}

void CLinkService::Refuse(CRelaySocket* peer) { m_listener->SendRefusalTo(peer); }

void CLinkService::TouchLink() {
  m_lastActivity = GetTickCount();
  m_frame.SetIdleTimer(m_idleTimeout);
}

void CLinkService::ReleaseLinkLocked() {
  m_frame.StopAnimation();
  m_owner = nullptr;
  CloseRelayPortLocked();
  m_frame.KillIdleTimer();
}

void CLinkService::CloseRelayPortLocked() {
  // A port that failed is closed too: it still holds its device until then.
  if (!std::exchange(m_relayPortHeld, false)) return;
  m_relayPort->ClosePort();
}

// --- calls from the main thread -------------------------------------------------------------------

void CLinkService::OnIdleTimer() {
  if (m_idleEvent) SetEvent(m_idleEvent.Get());
}

bool CLinkService::FindPhone() {
  m_notice = true;
  m_frame.StartAnimation(TrayAnimation::Search);
  std::lock_guard lock(m_lock);
  return StartSearchLocked(nullptr, true);
}

bool CLinkService::TakeNotice() { return m_notice.exchange(false); }

bool CLinkService::IsLinkOwned() {
  std::lock_guard lock(m_lock);
  return m_owner != nullptr;
}

bool CLinkService::IsRelayPortOpen() {
  std::lock_guard lock(m_lock);
  return m_relayPort && m_relayPort->IsOpen();
}

PortList CLinkService::Ports() {
  std::lock_guard lock(m_lock);
  return m_ports;
}

void CLinkService::RediscoverPorts() {
  PortList ports;
  DiscoverSerialPorts(ports);
  std::lock_guard lock(m_lock);
  m_ports = std::move(ports);
}

PortRow CLinkService::SelectedPort() {
  std::lock_guard lock(m_lock);
  return m_selected;
}

int CLinkService::PhoneType() {
  std::lock_guard lock(m_lock);
  return m_phoneType;
}

bool CLinkService::SelectPort(const std::string& port) {
  std::lock_guard lock(m_lock);
  m_phoneType = -1;
  // The exact name: "COM1" must not pick the row of COM10.
  for (const PortRow& row : m_ports) {
    if (row.reportPort != port) continue;
    m_selected = row;
    if (m_configured.reportPort != row.reportPort) m_configuredPteRow = -1;
    m_configured = row;
    m_relayPort->SetPortName(row.reportPort.c_str(), -1);
    return true;
  }
  return false;
}

void CLinkService::ClearSelection() {
  std::lock_guard lock(m_lock);
  m_selected = {};
  m_configured = {};
  m_configuredPteRow = -1;
  m_phoneType = -1;
  m_relayPort->SetPortName("COM0", -1);
}

// --- the connect thread ---------------------------------------------------------------------------

bool CLinkService::StartSearchLocked(CRelaySocket* requester, bool answerCurrentPeer) {
  if (m_stopping) return false;
  bool idle = false;
  if (!m_busy.compare_exchange_strong(idle, true)) return false;  // a search runs; this one is dropped
  // The last search has ended: it cleared the flag under the lock held here, as its last act.
  if (m_connectThread.joinable()) m_connectThread.join();
  m_requester = requester;
  m_answerCurrentPeer = answerCurrentPeer;
  m_connectThread = std::thread([this] { ConnectPhone(); });
  return true;
}

int CLinkService::ProbeSelectedPort(const PortRow& selected, int pteRow, std::string& model) {
  int type = ProbePhoneAT(selected.probePort, model);
  if (type != PHONE_TYPE_NONE || m_stopping) return type;
  const int remembered = RememberedPteRow() >= 0 ? RememberedPteRow() : pteRow;
  if (remembered >= 0) {
    type = ProbePhonePte(selected.reportPort, model, remembered, remembered);
    // One failed probe of the remembered row (noise on the line, a phone of another family) must
    // not leave the phone unfound: every row is asked at once.
    if (type != PHONE_TYPE_NONE || m_stopping) return type;
  }
  return ProbePhonePte(selected.reportPort, model, 0, PTE_PROBE_ROWS - 1);
}

void CLinkService::ConnectPhone() {
  PortRow selected;
  int pteRow = -1;
  {
    std::lock_guard lock(m_lock);
    selected = m_selected.reportPort.empty() ? m_configured : m_selected;
    pteRow = m_configuredPteRow;
  }
  std::string model;
  int type = PHONE_TYPE_NONE;
  bool foundByPte = false;
  if (!selected.reportPort.empty()) {
    type = ProbeSelectedPort(selected, pteRow, model);
    foundByPte = type != PHONE_TYPE_NONE && RememberedPteRow() >= 0;
  }
  if (type == PHONE_TYPE_NONE && !m_stopping) {
    // The PTE probe is used only on the port the user chose or the phone was found on last.
    RediscoverPorts();
    const PortList ports = Ports();
    for (auto row = ports.rbegin(); row != ports.rend() && !m_stopping; ++row) {
      selected = *row;
      type = ProbePhoneAT(selected.probePort, model);
      if (type != PHONE_TYPE_NONE) break;
    }
  }
  if (m_stopping) {
    m_busy = false;  // the service ends: nobody is told
    return;
  }

  std::string result;
  if (type != PHONE_TYPE_NONE) {
    const std::string matched = m_phones.MatchModel(model);
    {
      std::lock_guard lock(m_lock);
      m_selected = selected;
      if (m_configured.reportPort != selected.reportPort) m_configuredPteRow = -1;
      m_configured = selected;
      if (foundByPte) m_configuredPteRow = RememberedPteRow();
      m_phoneType = type;
      // The port stays closed: the owner's first PKT_TO_PHONE opens it.
      m_relayPort->SetPortName(selected.reportPort.c_str(), kRelayBaud);
    }
    m_frame.ShowStatus(IDI_PHONE_CONNECTED, model + m_frame.LoadText(IDS_CONNECTED_ON) + selected.reportPort);
    m_frame.StopAnimation();
    m_notice = false;  // nothing to tell the user
    result = selected.reportPort + "," + matched;
  } else {
    {
      std::lock_guard lock(m_lock);
      m_selected = {};  // m_configured stays: the next search asks that port again
      m_phoneType = -1;
    }
    m_frame.ShowStatus(IDI_NO_PHONE, m_frame.LoadText(IDS_NO_PHONE_CONNECTED));
    m_frame.StopAnimation();
    m_frame.PostNotice(IDS_NO_PHONE_CONNECTED);
  }

  // The lock is held from here to the end: the requester cannot be freed before its answer went
  // out, and the client's next packet waits until it has. Busy is cleared before the answer goes, so
  // that packet is not taken for one that came during the search.
  std::lock_guard lock(m_lock);
  CRelaySocket* requester = std::exchange(m_requester, nullptr);
  m_busy = false;
  const DWORD length = static_cast<DWORD>(result.size() + 1);
  if (m_answerCurrentPeer) {
    m_listener->SendPacket(result.c_str(), length, PKT_CONNECT_RESULT, LINK_FLAG);
  } else if (requester) {
    m_listener->SendPacketTo(requester, result.c_str(), length, PKT_CONNECT_RESULT, LINK_FLAG);
  }
}
