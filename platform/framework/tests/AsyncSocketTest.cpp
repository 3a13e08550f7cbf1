// CAsyncSocket on the loopback interface: handlers run on the thread that pumps the socket's
// notifications, a peer's disconnect reaches OnClose, and a refused connect reaches OnConnect.
#include <framework/AsyncSocket.h>
#include <net/AsyncSelect.h>

#include <kernel/MessageQueue.h>
#include <kernel/Thread.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Pumps this thread's socket notifications until `done` or the time runs out.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_POSTMESSAGE);
    tolvar::framework::PumpSocketNotifications();
  }
  return true;
}

struct Recorder {
  std::vector<std::string> events;
  std::vector<DWORD> threads;
  void Add(std::string event) {
    events.push_back(std::move(event));
    threads.push_back(GetCurrentThreadId());
  }
  bool Saw(const std::string& event) const {
    return std::find(events.begin(), events.end(), event) != events.end();
  }
};

class Connection : public CAsyncSocket {
public:
  explicit Connection(Recorder& recorder) : m_recorder(recorder) {}
  void OnReceive(int error) override {
    char buffer[64];
    int n = Receive(buffer, sizeof buffer);
    if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
    m_recorder.Add("receive " + std::to_string(error));
  }
  void OnClose(int error) override { m_recorder.Add("close " + std::to_string(error)); }
  void OnConnect(int error) override { m_recorder.Add("connect " + std::to_string(error)); }
  std::string received;

private:
  Recorder& m_recorder;
};

class Listener : public CAsyncSocket {
public:
  explicit Listener(Recorder& recorder) : m_recorder(recorder) {}
  void OnAccept(int error) override {
    auto connection = std::make_unique<Connection>(m_recorder);
    if (error == 0 && Accept(*connection)) connections.push_back(std::move(connection));
    m_recorder.Add("accept " + std::to_string(error));
  }
  std::vector<std::unique_ptr<Connection>> connections;

private:
  Recorder& m_recorder;
};

class AsyncSocketTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(AfxSocketInit()); }

  static u_short PortOf(SOCKET s) {
    sockaddr_in a{};
    int length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    return ntohs(a.sin_port);
  }
};

TEST_F(AsyncSocketTest, LoopbackListenerGetsItsEventsOnItsOwnThread) {
  Recorder recorder;
  Listener listener(recorder);
  ASSERT_TRUE(listener.Create(0, SOCK_STREAM, CAsyncSocket::kAllEvents, "127.0.0.1"));
  ASSERT_TRUE(listener.Listen());
  u_short port = PortOf(listener.m_hSocket);

  // The peer is a plain blocking socket, as the link client uses.
  SOCKET peer = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = inet_addr("127.0.0.1");
  ASSERT_EQ(connect(peer, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_TRUE(PumpUntil([&] { return !listener.connections.empty(); }));
  Connection& connection = *listener.connections.front();

  ASSERT_EQ(send(peer, "ping", 4, 0), 4);
  ASSERT_TRUE(PumpUntil([&] { return connection.received == "ping"; }));
  EXPECT_EQ(connection.Send("pong", 4), 4);
  char reply[8] = {};
  EXPECT_EQ(recv(peer, reply, sizeof reply, 0), 4);
  EXPECT_EQ(std::string(reply), "pong");

  closesocket(peer);
  ASSERT_TRUE(PumpUntil([&] { return recorder.Saw("close 0"); }));
  for (DWORD thread : recorder.threads) EXPECT_EQ(thread, GetCurrentThreadId());
  EXPECT_EQ(CAsyncSocket::FromHandle(connection.m_hSocket), &connection);
}

TEST_F(AsyncSocketTest, RefusedConnectReportsConnectionRefused) {
  // A port on which nothing listens.
  CAsyncSocket probe;
  ASSERT_TRUE(probe.Create(0, SOCK_STREAM, 0, "127.0.0.1"));
  u_short closedPort = PortOf(probe.m_hSocket);
  probe.Close();

  Recorder recorder;
  Connection client(recorder);
  ASSERT_TRUE(client.Create());
  EXPECT_FALSE(client.Connect("127.0.0.1", closedPort));
  EXPECT_EQ(CAsyncSocket::GetLastError(), WSAEWOULDBLOCK);
  ASSERT_TRUE(PumpUntil([&] { return !recorder.events.empty(); }));
  EXPECT_EQ(recorder.events.front(), "connect " + std::to_string(WSAECONNREFUSED));

  // And by name, to a listener that is there.
  Recorder other;
  Listener listener(other);
  ASSERT_TRUE(listener.Create(0, SOCK_STREAM, CAsyncSocket::kAllEvents, "127.0.0.1"));
  ASSERT_TRUE(listener.Listen());
  Connection good(recorder);
  ASSERT_TRUE(good.Create());
  good.Connect("localhost", PortOf(listener.m_hSocket));
  ASSERT_TRUE(PumpUntil([&] { return recorder.Saw("connect 0") && !listener.connections.empty(); }));
}

TEST_F(AsyncSocketTest, NotificationsForClosedSocketsAndOtherMessagesAreTold) {
  Recorder recorder;
  Connection socket(recorder);
  ASSERT_TRUE(socket.Create());
  SOCKET old = socket.m_hSocket;
  socket.Close();
  MSG stale{nullptr, WM_SOCKET_NOTIFY, old, WSAMAKESELECTREPLY(FD_CLOSE, 0), 0, {}};
  EXPECT_TRUE(tolvar::framework::DispatchSocketNotification(stale));
  EXPECT_TRUE(recorder.events.empty());
  MSG other{nullptr, WM_USER, 0, 0, 0, {}};
  EXPECT_FALSE(tolvar::framework::DispatchSocketNotification(other));
}

}  // namespace
