// CRelaySocket over real loopback connections: the listener and the test's plain clients run in
// this process; the test thread pumps the socket notifications as the main thread of the link
// service does, and takes packets as its link worker does.
#include "RelaySocket.h"

#include <linkwell/LinkPacketAssembler.h>

#include <base/Time.h>
#include <base/WinError.h>
#include <framework/AsyncSocket.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>
#include <net/AsyncSelect.h>
#include <net/WinSock.h>
#include <user/Messages.h>
#include <user/Window.h>

#include <gtest/gtest.h>
#include <ostream>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Packet(BYTE type, const Bytes& payload, BYTE flag = LINK_FLAG) {
  Bytes packet(LINK_HEADER_SIZE + payload.size());
  packet.resize(BuildLinkPacket(type, payload, flag, packet));
  return packet;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Pattern(std::size_t size, BYTE seed = 0) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(seed + i * 13 + i / 255);
  return bytes;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t to) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(std::min(to, bytes.size())));
}

// A plain blocking client, as the phone-access library is.
class Client {
 public:
  explicit Client(u_short port) {
    m_socket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    m_connected = connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const DWORD timeout = 200;
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  }
  ~Client() { Close(); }
  void Close() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    m_socket = INVALID_SOCKET;
  }
  bool Connected() const { return m_connected; }

  void Send(const Bytes& bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
      const int n = send(m_socket, reinterpret_cast<const char*>(bytes.data() + at), static_cast<int>(bytes.size() - at), 0);
      ASSERT_GT(n, 0) << WSAGetLastError();
      at += static_cast<std::size_t>(n);
    }
  }
  // Up to `count` bytes, as many as come within `ms`; `closed` tells whether the service ended the
  // connection.
  Bytes Receive(std::size_t count, DWORD ms, bool* closed = nullptr) {
    Bytes got;
    const DWORD start = GetTickCount();
    if (closed) *closed = false;
    while (got.size() < count && GetTickCount() - start < ms) {
      char buffer[65536];
      const int n = recv(m_socket, buffer, static_cast<int>(std::min<std::size_t>(sizeof buffer, count - got.size())), 0);
      if (n > 0) {
        got.insert(got.end(), buffer, buffer + n);
      } else if (n == 0 || WSAGetLastError() != WSAETIMEDOUT) {
        if (closed) *closed = true;
        break;
      }
    }
    return got;
  }

 private:
  SOCKET m_socket = INVALID_SOCKET;
  bool m_connected = false;
};

struct Taken {
  Bytes packet;
  CRelaySocket* peer;
};

class RelaySocketTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AfxSocketInit());
    m_listener.onSocketError = [this](int error) { m_errors.push_back(error); };
    m_listener.onConnectionFreed = [this](CRelaySocket* connection) { m_freed.push_back(connection); };
    ASSERT_EQ(m_listener.OpenLink("", 0, CRelaySocket::kListen), 0);
    sockaddr_in address{};
    int length = sizeof address;
    ASSERT_EQ(getsockname(m_listener.m_hSocket, reinterpret_cast<sockaddr*>(&address), &length), 0);
    m_port = ntohs(address.sin_port);
    m_address = address.sin_addr.s_addr;
  }

  // Connects a client and waits until the listener accepted it.
  std::unique_ptr<Client> Connect() {
    const int before = m_listener.GetConnectionCount();
    auto client = std::make_unique<Client>(m_port);
    EXPECT_TRUE(client->Connected());
    Pump([&] { return m_listener.GetConnectionCount() > before; });
    return client;
  }

  // Pumps notifications and takes packets, as the main thread and the link worker do, until `done`
  // or two seconds passed.
  template <class Done>
  void Pump(Done done, DWORD ms = 2000) {
    const DWORD start = GetTickCount();
    Bytes buffer(LINK_MAX_PACKET);
    while (!done() && GetTickCount() - start < ms) {
      tolvar::framework::PumpSocketNotifications();
      if (WaitForSingleObject(m_listener.GetDataEvent(), 5) != WAIT_OBJECT_0) continue;
      ResetEvent(m_listener.GetDataEvent());
      while (DWORD size = m_listener.ReceivePacket(buffer.data())) {
        m_taken.push_back({Bytes(buffer.begin(), buffer.begin() + size), m_listener.GetCurrentPeer()});
      }
    }
  }
  void TakeUntil(std::size_t count) {
    Pump([&] { return m_taken.size() >= count; });
  }
  // Each client says hello first, so the test learns which connection is whose.
  CRelaySocket* Introduce(Client& client) {
    const std::size_t before = m_taken.size();
    client.Send(Packet(PKT_CONNECT, {}));
    TakeUntil(before + 1);
    EXPECT_EQ(m_taken.size(), before + 1);
    return m_taken.empty() ? nullptr : m_taken.back().peer;
  }

  CRelaySocket m_listener;
  u_short m_port = 0;
  ULONG m_address = 0;
  std::vector<int> m_errors;
  std::vector<CRelaySocket*> m_freed;
  std::vector<Taken> m_taken;
};

struct Step {
  int client;
  Bytes bytes;
};
struct RelayCase {
  const char* name;
  std::vector<Step> steps;                       // sent in order, each taken in before the next
  std::vector<std::pair<int, Bytes>> packets;    // what is taken, and from which client
};

// Test names show the case, not its bytes.
void PrintTo(const RelayCase& c, std::ostream* os) { *os << c.name; }

const Bytes kFrame = Packet(PKT_TO_PHONE, Text(std::string("\0ShowSwVersion\x16", 15)));
const Bytes kMax = Packet(PKT_TO_PHONE, Pattern(LINK_MAX_PAYLOAD));
const Bytes kFlagZero = Packet(PKT_CLAIM, {}, 0);
const Bytes kBadHeader = {0x00, 0xFF, 0x01, 0x02, 0xFF, 0xFF, 0xFF, 0x7F, 'x', 'y'};
const Bytes kFromA = Packet(PKT_TO_PHONE, Pattern(3000, 1));
const Bytes kFromB = Packet(PKT_TO_PHONE, Pattern(3000, 2));

const RelayCase kRelayCases[] = {
    {"SplitAcrossReads", {{0, Slice(kFrame, 0, 5)}, {0, Slice(kFrame, 5, 12)}, {0, Slice(kFrame, 12, 99)}},
     {{0, kFrame}}},
    {"MaximumSize", {{0, Slice(kMax, 0, 30000)}, {0, Slice(kMax, 30000, LINK_MAX_PACKET)}}, {{0, kMax}}},
    {"InvalidHeaderThenValidPacket", {{0, kBadHeader}, {0, kFrame}}, {{0, kFrame}}},
    {"TwoConnectionsInterleaved",
     {{0, Slice(kFromA, 0, 1000)}, {1, Slice(kFromB, 0, 7)}, {0, Slice(kFromA, 1000, 9999)},
      {1, Slice(kFromB, 7, 9999)}},
     {{0, kFromA}, {1, kFromB}}},
    {"FlagZeroIsCutOut", {{0, kFlagZero}, {0, kFrame}}, {{0, kFlagZero}, {0, kFrame}}},
    {"TwoPacketsInOneSend", {{1, [] {
                                Bytes both = kFrame;
                                both.insert(both.end(), kFromB.begin(), kFromB.end());
                                return both;
                              }()}},
     {{1, kFrame}, {1, kFromB}}},
};

class RelaySocketCases : public RelaySocketTest, public testing::WithParamInterface<RelayCase> {};

TEST_P(RelaySocketCases, TakesWholePacketsFromTheirOwnConnection) {
  const RelayCase& c = GetParam();
  std::vector<std::unique_ptr<Client>> clients;
  std::vector<CRelaySocket*> connections;
  for (int i = 0; i < 2; ++i) {
    clients.push_back(Connect());
    connections.push_back(Introduce(*clients.back()));
  }
  m_taken.clear();
  for (const Step& step : c.steps) {
    clients[static_cast<std::size_t>(step.client)]->Send(step.bytes);
    Pump([] { return false; }, 100);  // let this piece arrive and be read on its own
  }
  TakeUntil(c.packets.size());
  ASSERT_EQ(m_taken.size(), c.packets.size());
  for (std::size_t i = 0; i < m_taken.size(); ++i) {
    EXPECT_EQ(m_taken[i].packet, c.packets[i].second) << "packet " << i;
    EXPECT_EQ(m_taken[i].peer, connections[static_cast<std::size_t>(c.packets[i].first)]) << "packet " << i;
  }
  // Answers go to the connection the last packet came from.
  ASSERT_EQ(m_listener.SendPacket("ok", 2, PKT_FROM_PHONE, LINK_FLAG), 2);
  const int last = c.packets.back().first;
  EXPECT_EQ(clients[static_cast<std::size_t>(last)]->Receive(10, 1000), Packet(PKT_FROM_PHONE, Text("ok")));
  EXPECT_TRUE(clients[static_cast<std::size_t>(1 - last)]->Receive(10, 100).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RelaySocketCases, testing::ValuesIn(kRelayCases),
                         [](const testing::TestParamInfo<RelayCase>& info) { return std::string(info.param.name); });

TEST_F(RelaySocketTest, ListensOnTheLoopbackAddressOnly) {
  EXPECT_EQ(m_address, inet_addr("127.0.0.1"));
  CRelaySocket second;
  std::vector<int> errors;
  second.onSocketError = [&](int error) { errors.push_back(error); };
  EXPECT_EQ(second.OpenLink(nullptr, m_port, CRelaySocket::kListen), WSAEADDRINUSE);
  EXPECT_EQ(errors, std::vector<int>{WSAEADDRINUSE});
  EXPECT_EQ(second.m_hSocket, INVALID_SOCKET);
}

// A hundred clients connecting back to back while the service is busy elsewhere (nothing is
// accepted meanwhile) all get their connection at once: none waits in the system for the listener's
// queue, which a short backlog made them do for a second or more. A connect still under way has no
// peer yet.
TEST_F(RelaySocketTest, AHundredClientsConnectingAtOnceAreAllQueued) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(m_port);
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  std::vector<SOCKET> clients;
  for (int i = 0; i < 100; ++i) {
    const SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(client, INVALID_SOCKET);
    clients.push_back(client);
    u_long nonBlocking = 1;
    ASSERT_EQ(ioctlsocket(client, FIONBIO, &nonBlocking), 0);
    const int result = connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ASSERT_TRUE(result == 0 || WSAGetLastError() == WSAEWOULDBLOCK) << WSAGetLastError();
  }
  auto connected = [&] {
    return std::count_if(clients.begin(), clients.end(), [&](SOCKET client) {
      sockaddr_in peer{};
      int length = sizeof peer;
      return getpeername(client, reinterpret_cast<sockaddr*>(&peer), &length) == 0;
    });
  };
  // Loopback connects complete at once; the bound only ends the wait for those that never would.
  const DWORD start = GetTickCount();
  while (connected() < 100 && GetTickCount() - start < 5000) Sleep(10);
  EXPECT_EQ(connected(), 100);
  for (SOCKET client : clients) closesocket(client);
}

// An accept that fails leaves the listener listening: the next client is still served. A
// notification that finds nobody waiting (the client gave up before the accept) is no error to
// show; one that carries an error is shown once.
TEST_F(RelaySocketTest, AFailedAcceptKeepsTheListenerServing) {
  HWND sink = FindWindowA("TolvarSocketSink", nullptr);
  ASSERT_NE(sink, nullptr);
  const WPARAM socket = static_cast<WPARAM>(m_listener.m_hSocket);
  PostMessageA(sink, WM_SOCKET_NOTIFY, socket, WSAMAKESELECTREPLY(FD_ACCEPT, 0));
  PostMessageA(sink, WM_SOCKET_NOTIFY, socket, WSAMAKESELECTREPLY(FD_ACCEPT, WSAENETDOWN));
  Pump([&] { return !m_errors.empty(); });  // posted in order: the first was handled too
  EXPECT_EQ(m_errors, std::vector<int>{WSAENETDOWN});
  EXPECT_EQ(m_listener.GetConnectionCount(), 0);
  auto client = Connect();
  ASSERT_EQ(m_listener.GetConnectionCount(), 1);
  CRelaySocket* connection = Introduce(*client);
  EXPECT_EQ(m_listener.SendPacketTo(connection, "x", 1, PKT_FROM_PHONE, LINK_FLAG), 1);
  EXPECT_EQ(client->Receive(9, 500), Packet(PKT_FROM_PHONE, Text("x")));
}

TEST_F(RelaySocketTest, BeforeAnyPacketCameASendGoesNowhere) {
  auto client = Connect();
  EXPECT_EQ(m_listener.SendPacket(nullptr, 0, PKT_REFUSED, LINK_FLAG), 0);
  EXPECT_EQ(m_listener.GetCurrentPeer(), &m_listener);
  EXPECT_TRUE(client->Receive(8, 100).empty());
}

TEST_F(RelaySocketTest, PacketsGoOutWithTheirExactBytes) {
  auto client = Connect();
  Introduce(*client);
  EXPECT_EQ(m_listener.SendPacket(nullptr, 0, PKT_REFUSED, LINK_FLAG), 0);  // no payload bytes
  EXPECT_EQ(client->Receive(100, 300), (Bytes{0x00, 0xFF, 0x01, 0x05, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(m_listener.SendPacket("COM3,", 6, PKT_CONNECT_RESULT, LINK_FLAG), 6);
  EXPECT_EQ(client->Receive(100, 300),
            (Bytes{0x00, 0xFF, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 'C', 'O', 'M', '3', ',', 0x00}));
  EXPECT_EQ(m_listener.SendPacket("", 1, PKT_CONNECT_RESULT, LINK_FLAG), 1);
  EXPECT_EQ(client->Receive(100, 300), (Bytes{0x00, 0xFF, 0x01, 0x08, 0x01, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(RelaySocketTest, APayloadOverTheMaximumIsCut) {
  auto client = Connect();
  Introduce(*client);
  const Bytes payload = Pattern(70000);
  EXPECT_EQ(m_listener.SendPacket(payload.data(), 70000, PKT_FROM_PHONE, LINK_FLAG), 65536);
  const Bytes got = client->Receive(LINK_MAX_PACKET, 2000);
  ASSERT_EQ(got.size(), LINK_MAX_PACKET);
  EXPECT_TRUE(client->Receive(1, 100).empty());
  EXPECT_EQ(Slice(got, 0, 8), (Bytes{0x00, 0xFF, 0x01, 0x03, 0x00, 0x00, 0x01, 0x00}));
  EXPECT_EQ(Slice(got, 8, got.size()), Slice(payload, 0, 65536));
}

TEST_F(RelaySocketTest, AClosedConnectionIsFreedAfterItsLastPacket) {
  auto client = Connect();
  CRelaySocket* connection = Introduce(*client);
  client->Send(Packet(PKT_RELEASE, {}));
  client->Close();
  TakeUntil(2);
  ASSERT_EQ(m_taken.size(), 2u);
  EXPECT_EQ(m_taken[1].packet, Packet(PKT_RELEASE, {}));  // sent just before the close: not lost
  EXPECT_EQ(m_taken[1].peer, connection);
  Pump([&] { return !m_freed.empty(); });
  EXPECT_EQ(m_freed, std::vector<CRelaySocket*>{connection});
  EXPECT_EQ(m_listener.GetConnectionCount(), 0);
  EXPECT_EQ(m_listener.GetCurrentPeer(), &m_listener);
  EXPECT_EQ(m_listener.SendPacket(nullptr, 0, PKT_REFUSED, LINK_FLAG), 0);
  EXPECT_EQ(m_listener.SendPacketTo(connection, nullptr, 0, PKT_REFUSED, LINK_FLAG), 0);
  EXPECT_TRUE(m_errors.empty());
}

TEST_F(RelaySocketTest, AHangUpIsSeenBeforeItsCloseIsReportedAndItsLastPacketIsStillTaken) {
  auto a = Connect();
  CRelaySocket* first = Introduce(*a);
  auto b = Connect();
  CRelaySocket* second = Introduce(*b);
  a->Send(Packet(PKT_RELEASE, {}));
  a->Close();
  // Nothing is pumped: the close has not been reported.
  const DWORD start = GetTickCount();
  bool hungUp = false;
  while (!(hungUp = m_listener.HasHungUp(first)) && GetTickCount() - start < 5000) Sleep(1);
  EXPECT_TRUE(hungUp);
  EXPECT_FALSE(m_listener.HasHungUp(second));
  EXPECT_TRUE(m_freed.empty());
  TakeUntil(3);
  ASSERT_EQ(m_taken.size(), 3u);
  EXPECT_EQ(m_taken[2].packet, Packet(PKT_RELEASE, {}));
  EXPECT_EQ(m_taken[2].peer, first);
  Pump([&] { return !m_freed.empty(); });
  EXPECT_EQ(m_freed, std::vector<CRelaySocket*>{first});
  EXPECT_TRUE(m_listener.HasHungUp(first));
  EXPECT_FALSE(m_listener.HasHungUp(second));
}

TEST_F(RelaySocketTest, SendPacketToReachesALiveConnection) {
  auto a = Connect();
  CRelaySocket* first = Introduce(*a);
  auto b = Connect();
  Introduce(*b);
  EXPECT_EQ(m_listener.SendPacketTo(first, "x", 1, PKT_FROM_PHONE, LINK_FLAG), 1);
  EXPECT_EQ(a->Receive(9, 500), Packet(PKT_FROM_PHONE, Text("x")));
  EXPECT_TRUE(b->Receive(9, 100).empty());
}

TEST_F(RelaySocketTest, PacketsFromTwoThreadsNeverInterleave) {
  auto client = Connect();
  Introduce(*client);
  constexpr int kEach = 20;
  auto sender = [&](BYTE fill) {
    const Bytes payload(40000, fill);
    for (int i = 0; i < kEach; ++i) EXPECT_EQ(m_listener.SendPacket(payload.data(), 40000, PKT_FROM_PHONE, LINK_FLAG), 40000);
  };
  std::thread one(sender, BYTE{'1'});
  std::thread two(sender, BYTE{'2'});
  LinkPacketAssembler assembler;
  Bytes packet(LINK_MAX_PACKET);
  int whole = 0;
  const DWORD start = GetTickCount();
  while (whole < 2 * kEach && GetTickCount() - start < 10000) {
    const Bytes got = client->Receive(65536, 100);
    std::size_t at = 0;
    while (at < got.size()) {
      auto space = assembler.FreeSpace();
      const std::size_t n = std::min(space.size(), got.size() - at);
      std::memcpy(space.data(), got.data() + at, n);
      assembler.Commit(static_cast<DWORD>(n));
      at += n;
      while (DWORD size = assembler.TakePacket(packet)) {
        ASSERT_EQ(size, 8u + 40000u);
        EXPECT_TRUE(std::all_of(packet.begin() + 8, packet.begin() + size, [&](BYTE b) { return b == packet[8]; }));
        ++whole;
      }
    }
  }
  one.join();
  two.join();
  EXPECT_EQ(whole, 2 * kEach);
  EXPECT_EQ(assembler.Pending(), 0u);
}

TEST_F(RelaySocketTest, ASendThePeerNeverTakesIsReportedAndEndsTheConnection) {
  auto client = Connect();
  Introduce(*client);
  const Bytes payload = Pattern(LINK_MAX_PAYLOAD);
  int result = 1;
  int packets = 0;
  while (result != 0 && packets < 1000) {  // the client reads nothing: the buffers fill up
    result = m_listener.SendPacket(payload.data(), LINK_MAX_PAYLOAD, PKT_FROM_PHONE, LINK_FLAG);
    if (result != 0) {
      EXPECT_EQ(result, 65536);
      ++packets;
    }
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(m_listener.SendPacket(payload.data(), 10, PKT_FROM_PHONE, LINK_FLAG), 0);
  // The client finds every packet that was reported sent, whole, and then the end of the link.
  LinkPacketAssembler assembler;
  Bytes packet(LINK_MAX_PACKET);
  int whole = 0;
  bool closed = false;
  while (!closed) {
    const Bytes got = client->Receive(65536, 2000, &closed);
    if (got.empty() && !closed) break;
    std::size_t at = 0;
    while (at < got.size()) {
      auto space = assembler.FreeSpace();
      const std::size_t n = std::min(space.size(), got.size() - at);
      std::memcpy(space.data(), got.data() + at, n);
      assembler.Commit(static_cast<DWORD>(n));
      at += n;
      while (assembler.TakePacket(packet)) ++whole;
    }
  }
  EXPECT_TRUE(closed);
  EXPECT_EQ(whole, packets);
  Pump([&] { return m_listener.GetConnectionCount() == 0; });
  EXPECT_EQ(m_listener.GetConnectionCount(), 0);
}

TEST_F(RelaySocketTest, ConnectModeSpeaksToTheListener) {
  CRelaySocket client;
  ASSERT_EQ(client.OpenLink("127.0.0.1", m_port, CRelaySocket::kConnect), 0);
  Pump([&] { return m_listener.GetConnectionCount() == 1; });
  EXPECT_EQ(client.SendPacket(nullptr, 0, PKT_CLAIM, LINK_FLAG), 0);
  TakeUntil(1);
  ASSERT_EQ(m_taken.size(), 1u);
  EXPECT_EQ(m_taken[0].packet, Packet(PKT_CLAIM, {}));
  EXPECT_EQ(m_listener.SendPacket("hi", 2, PKT_FROM_PHONE, LINK_FLAG), 2);
  Bytes buffer(LINK_MAX_PACKET);
  DWORD size = 0;
  const DWORD start = GetTickCount();
  while (size == 0 && GetTickCount() - start < 2000) {
    tolvar::framework::PumpSocketNotifications();
    if (WaitForSingleObject(client.GetDataEvent(), 5) == WAIT_OBJECT_0) {
      ResetEvent(client.GetDataEvent());
      size = client.ReceivePacket(buffer.data());
    }
  }
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + size), Packet(PKT_FROM_PHONE, Text("hi")));
}

TEST_F(RelaySocketTest, CloseAllReleasesTheCurrentPeerAndFreesEveryConnection) {
  auto a = Connect();
  auto b = Connect();
  Introduce(*a);
  m_listener.CloseAll();
  EXPECT_EQ(m_listener.GetConnectionCount(), 0);
  bool closed = false;
  EXPECT_EQ(a->Receive(100, 1000, &closed), Packet(PKT_RELEASE, {}));
  a->Receive(1, 1000, &closed);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(b->Receive(8, 1000, &closed).empty());
  EXPECT_TRUE(closed);
  Client late(m_port);
  EXPECT_FALSE(late.Connected());
}

}  // namespace
