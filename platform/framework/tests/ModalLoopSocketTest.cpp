// Socket notifications while the thread runs somebody else's message loop: a modal dialog and a
// tracked pop-up menu each pump the queue themselves, and the sockets' handlers must still run in
// them (a notification that no loop delivers leaves its event switched off for good).
#include <framework/AsyncSocket.h>

#include <user/User.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kGiveUpTimer = 77;
constexpr UINT kGiveUpMs = 20000;  // only a broken build waits this long

class Connection : public CAsyncSocket {
public:
  void OnReceive(int) override {
    char buffer[64];
    int n = Receive(buffer, sizeof buffer);
    if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
    if (onReceive) onReceive();
  }
  std::string received;
  std::function<void()> onReceive;
};

class Listener : public CAsyncSocket {
public:
  void OnAccept(int error) override {
    auto connection = std::make_unique<Connection>();
    if (error == 0 && Accept(*connection)) connections.push_back(std::move(connection));
    if (onAccept) onAccept();
  }
  std::vector<std::unique_ptr<Connection>> connections;
  std::function<void()> onAccept;
};

// A plain blocking client, as the link client is: on the loopback interface its connect ends at
// once, and the listener hears of it through its notification.
class Client {
public:
  explicit Client(u_short port) {
    m_socket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    connected = connect(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~Client() { closesocket(m_socket); }
  bool Send(const char* text) { return send(m_socket, text, static_cast<int>(std::strlen(text)), 0) > 0; }
  bool connected = false;

private:
  SOCKET m_socket = INVALID_SOCKET;
};

u_short PortOf(SOCKET s) {
  sockaddr_in a{};
  int length = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
  return ntohs(a.sin_port);
}

// An empty dialog template of the old kind, laid out byte by byte.
std::vector<WORD> EmptyDialogTemplate() {
  std::vector<WORD> words(13, 0);
  DWORD style = WS_POPUP | WS_CAPTION;
  words[0] = LOWORD(style);
  words[1] = HIWORD(style);
  words[7] = 100;  // cx
  words[8] = 60;   // cy
  return words;    // no items, no menu, the default class, no title
}

// What the dialog does once it is up, and how it ends when the socket's handler says so.
struct DialogScript {
  std::function<void()> onOpen;
  HWND dialog = nullptr;
};

INT_PTR ScriptedDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* script = reinterpret_cast<DialogScript*>(lParam);
    script->dialog = dialog;
    SetTimer(dialog, kGiveUpTimer, kGiveUpMs, nullptr);
    script->onOpen();
    return TRUE;
  }
  if (message == WM_TIMER && wParam == kGiveUpTimer) EndDialog(dialog, -2);
  return FALSE;
}

INT_PTR RunDialog(DialogScript& script) {
  std::vector<WORD> bytes = EmptyDialogTemplate();
  return DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), nullptr, ScriptedDialog,
                                 reinterpret_cast<LPARAM>(&script));
}

class ModalLoopSocketTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(AfxSocketInit());
    ASSERT_TRUE(m_listener.Create(0, SOCK_STREAM, CAsyncSocket::kAllEvents, "127.0.0.1"));
    ASSERT_TRUE(m_listener.Listen());
  }
  Listener m_listener;
};

TEST_F(ModalLoopSocketTest, AListenerAcceptsWhileAModalDialogRunsItsLoop) {
  DialogScript script;
  std::unique_ptr<Client> client;
  script.onOpen = [&] {
    client = std::make_unique<Client>(PortOf(m_listener.m_hSocket));
    ASSERT_TRUE(client->connected);
  };
  m_listener.onAccept = [&] { EndDialog(script.dialog, 1); };
  EXPECT_EQ(RunDialog(script), 1) << "the accept notification never reached the dialog's loop";
  EXPECT_EQ(m_listener.connections.size(), 1u);
}

TEST_F(ModalLoopSocketTest, AListenerAcceptsWhileAPopupMenuIsTracked) {
  WNDCLASSA windowClass{};
  static const WNDPROC ownerProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_ENTERMENULOOP) {
      auto* open = reinterpret_cast<std::function<void()>*>(GetWindowLongPtrA(window, GWLP_USERDATA));
      (*open)();
    }
    return DefWindowProcA(window, message, wParam, lParam);
  };
  windowClass.lpfnWndProc = ownerProc;
  windowClass.lpszClassName = "MenuOwner";
  RegisterClassA(&windowClass);
  HWND owner = CreateWindowExA(0, "MenuOwner", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 150, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, "One");

  std::unique_ptr<Client> client;
  UINT_PTR giveUp = 0;
  std::function<void()> open = [&] {
    client = std::make_unique<Client>(PortOf(m_listener.m_hSocket));
    giveUp = SetTimer(nullptr, 0, kGiveUpMs, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
  };
  SetWindowLongPtrA(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&open));
  bool acceptedInMenu = false;
  m_listener.onAccept = [&] {
    acceptedInMenu = true;
    EndMenu();
  };
  TrackPopupMenu(menu, TPM_RETURNCMD, 20, 20, 0, owner, nullptr);
  KillTimer(nullptr, giveUp);
  EXPECT_TRUE(acceptedInMenu) << "the accept notification never reached the menu's loop";
  EXPECT_EQ(m_listener.connections.size(), 1u);
  DestroyMenu(menu);
  DestroyWindow(owner);
}

TEST_F(ModalLoopSocketTest, DataArrivingDuringAModalDialogIsRead) {
  Client client(PortOf(m_listener.m_hSocket));
  ASSERT_TRUE(client.connected);
  MSG message;
  while (m_listener.connections.empty() && GetMessageA(&message, nullptr, 0, 0)) DispatchMessageA(&message);
  Connection& connection = *m_listener.connections.front();

  DialogScript script;
  script.onOpen = [&] { ASSERT_TRUE(client.Send("during the dialog")); };
  connection.onReceive = [&] {
    if (connection.received == "during the dialog") EndDialog(script.dialog, 1);
  };
  EXPECT_EQ(RunDialog(script), 1) << "received so far: " << connection.received;
  EXPECT_EQ(connection.received, "during the dialog");
}

}  // namespace
