#pragma once
// A stand-in for the link service, for tests of the library's link client that need a far end
// they script: it listens on a loopback port of its own, speaks link packets, answers the hello,
// and plays a phone that answers each command frame as the test says. It serves one client
// connection at a time. (End-to-end tests use the link service's own core: LinkServiceHost.)
#include "LinkEngine.h"

#include <linkwell/LinkPacket.h>

#include <net/WinSock.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class FakeLinkService {
 public:
  // The bytes to send back for one command text, each string one PKT_FROM_PHONE packet.
  using PhoneScript = std::function<std::vector<std::string>(const std::string& command)>;

  FakeLinkService();
  ~FakeLinkService();
  FakeLinkService(const FakeLinkService&) = delete;
  FakeLinkService& operator=(const FakeLinkService&) = delete;

  bool Listening() const { return m_listener != INVALID_SOCKET; }
  LinkServiceAddress Address() const { return {"127.0.0.1", m_port}; }

  // The answer to PKT_CONNECT, NUL included ("COM3,Selka" and a NUL; a lone NUL for no phone).
  void SetHelloAnswer(std::string bytes);
  // Answer a claim and every phone packet with PKT_REFUSED, as when another client owns the link.
  void SetRefusing(bool refusing) { m_refusing = refusing; }
  // The next `count` hellos are refused, as while another client owns the link.
  void RefuseHellos(int count) { m_refusedHellos = count; }
  // Once it returns, the previous script is not running and will not run again; a fixture whose
  // script touches its members clears it (or declares those members before the service).
  void SetPhoneScript(PhoneScript script);
  // Sends a packet to the connected client now.
  void SendToClient(BYTE type, std::string_view payload);

  std::vector<std::string> Commands() const;  // command texts of the scripted phone, in order
  std::vector<BYTE> PacketTypes() const;      // types of the packets received from clients
  int Connections() const { return m_connections; }

  // A reply frame as the phone sends it: 0xFC, the text (DLE, SYN and ESC escaped), LF, SYN.
  static std::string ReplyFrame(std::string_view text);

 private:
  void Serve();
  void ServeClient(SOCKET client);
  void HandlePacket(const LinkPacketHeader& header, std::string_view payload);
  void PhoneBytes(std::string_view bytes);
  bool SendLocked(BYTE type, std::string_view payload);

  SOCKET m_listener = INVALID_SOCKET;
  u_short m_port = 0;
  std::thread m_server;
  std::atomic<bool> m_stopping{false};
  std::atomic<bool> m_refusing{false};
  std::atomic<int> m_connections{0};

  mutable std::mutex m_lock;
  SOCKET m_client = INVALID_SOCKET;
  std::string m_hello = std::string("COM3,Selka", 11);
  std::atomic<int> m_refusedHellos{0};
  std::mutex m_scriptLock;  // held while the script runs; taken before m_lock, never after
  PhoneScript m_script;
  std::vector<std::string> m_commands;
  std::vector<BYTE> m_types;
  // The scripted phone's frame reader.
  enum class FrameState { Idle, Text, Escaped } m_frameState = FrameState::Idle;
  std::string m_frame;
};
