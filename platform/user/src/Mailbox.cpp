// Each process's mailbox: a Unix datagram socket named after the process id under the home folder
// (in the abstract namespace, tagged with the home, when that path is too long for a socket name).
// Posts to windows and threads of this process, requests that this process's threads carry out on
// their windows, and the answers to this process's own requests arrive here; a thread of the
// mailbox hands each to the thread concerned.
//
// A datagram is packed field by field, little-endian:
//   u32 magic, u32 kind, u64 id, i32 sender pid, u32 thread, u32 window, u32 op, u32 message,
//   u64 wParam, i64 lParam, i64 result, u32 error, u32 arg count, i64 args..., u32 text length, text.
#include "Internal.h"

#include <base/Home.h>
#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace tolvar::user {
namespace {

constexpr std::uint32_t kMagic = 0x584F424D;  // "MBOX"
constexpr std::size_t kMaxDatagram = 256 * 1024;
constexpr std::size_t kMaxText = 200 * 1024;

// Keyboard: input for the focus of the thread that owns the window, found when the thread takes it.
enum class Kind : std::uint32_t { Post = 1, Send = 2, Reply = 3, Input = 4, Keyboard = 5 };

struct Datagram {
  Kind kind = Kind::Post;
  std::uint64_t id = 0;  // 0: no answer wanted
  std::int32_t sender = 0;
  std::uint32_t thread = 0;
  Request request;
  Answer answer;
};

class Writer {
public:
  void U32(std::uint32_t v) { Bytes(v, 4); }
  void U64(std::uint64_t v) { Bytes(v, 8); }
  void Text(const std::string& text) {
    U32(static_cast<std::uint32_t>(text.size()));
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
  }
  const std::vector<char>& Bytes() const { return m_bytes; }

private:
  void Bytes(std::uint64_t v, int count) {
    for (int i = 0; i < count; ++i) m_bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  }
  std::vector<char> m_bytes;
};

class Reader {
public:
  Reader(const char* data, std::size_t size) : m_data(data), m_size(size) {}
  bool Ok() const { return m_ok; }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Bytes(4)); }
  std::uint64_t U64() { return Bytes(8); }
  std::string Text() {
    std::uint32_t n = U32();
    if (!m_ok || n > m_size - m_pos) {
      m_ok = false;
      return {};
    }
    std::string text(m_data + m_pos, n);
    m_pos += n;
    return text;
  }

private:
  std::uint64_t Bytes(int count) {
    if (m_size - m_pos < static_cast<std::size_t>(count)) {
      m_ok = false;
      return 0;
    }
    std::uint64_t v = 0;
    for (int i = 0; i < count; ++i) v |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_data[m_pos + i])) << (8 * i);
    m_pos += count;
    return v;
  }
  const char* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
  bool m_ok = true;
};

std::vector<char> Encode(const Datagram& d) {
  Writer w;
  w.U32(kMagic);
  w.U32(static_cast<std::uint32_t>(d.kind));
  w.U64(d.id);
  w.U32(static_cast<std::uint32_t>(d.sender));
  w.U32(d.thread);
  w.U32(HandleValue(d.request.window));
  w.U32(static_cast<std::uint32_t>(d.request.op));
  w.U32(d.request.message);
  w.U64(d.request.wParam);
  w.U64(static_cast<std::uint64_t>(d.request.lParam));
  w.U64(static_cast<std::uint64_t>(d.answer.result));
  w.U32(d.answer.error);
  w.U32(static_cast<std::uint32_t>(d.request.args.size()));
  for (std::int64_t a : d.request.args) w.U64(static_cast<std::uint64_t>(a));
  const std::string& text = d.kind == Kind::Reply ? d.answer.text : d.request.text;
  w.Text(text.size() > kMaxText ? text.substr(0, kMaxText) : text);
  return w.Bytes();
}

std::optional<Datagram> Decode(const char* data, std::size_t size) {
  Reader r(data, size);
  if (r.U32() != kMagic) return std::nullopt;
  Datagram d;
  std::uint32_t kind = r.U32();
  if (kind < 1 || kind > 5) return std::nullopt;
  d.kind = static_cast<Kind>(kind);
  d.id = r.U64();
  d.sender = static_cast<std::int32_t>(r.U32());
  d.thread = r.U32();
  d.request.window = HandleOf(r.U32());
  std::uint32_t op = r.U32();
  if (op >= static_cast<std::uint32_t>(RemoteOp::Count)) return std::nullopt;
  d.request.op = static_cast<RemoteOp>(op);
  d.request.message = r.U32();
  d.request.wParam = static_cast<WPARAM>(r.U64());
  d.request.lParam = static_cast<LPARAM>(r.U64());
  d.answer.result = static_cast<LRESULT>(r.U64());
  d.answer.error = r.U32();
  std::uint32_t count = r.U32();
  if (count > 64) return std::nullopt;
  for (std::uint32_t i = 0; i < count; ++i) d.request.args.push_back(static_cast<std::int64_t>(r.U64()));
  std::string text = r.Text();
  if (!r.Ok()) return std::nullopt;
  (d.kind == Kind::Reply ? d.answer.text : d.request.text) = std::move(text);
  return d;
}

sockaddr_un AddressOf(std::int32_t pid, socklen_t& length) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = HomeFolder() + "/mailbox/" + std::to_string(pid);
  if (path.size() < sizeof address.sun_path) {
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
  } else {
    std::string name = "tolvar-" + HomeTag() + "-mailbox-" + std::to_string(pid);
    address.sun_path[0] = 0;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  }
  return address;
}

struct PendingCall {
  std::shared_ptr<SentMessage> wait = std::make_shared<SentMessage>();
  Answer answer;
};

class Mailbox {
public:
  static Mailbox& Get() {
    static Mailbox mailbox;
    return mailbox;
  }

  bool Send(std::int32_t pid, const Datagram& datagram) {
    std::vector<char> bytes = Encode(datagram);
    socklen_t length = 0;
    sockaddr_un address = AddressOf(pid, length);
    ssize_t sent;
    do {
      sent = sendto(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address), length);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(bytes.size());
  }

  std::uint64_t AddPending(const std::shared_ptr<PendingCall>& call) {
    std::lock_guard guard(m_lock);
    std::uint64_t id = m_nextId++;
    m_pending[id] = call;
    return id;
  }

  void RemovePending(std::uint64_t id) {
    std::lock_guard guard(m_lock);
    m_pending.erase(id);
  }

  ~Mailbox() {
    m_stop = true;
    char byte = 0;
    [[maybe_unused]] ssize_t n = write(m_wake[1], &byte, 1);
    if (m_thread.joinable()) m_thread.join();
    close(m_fd);
    close(m_wake[0]);
    close(m_wake[1]);
    if (!m_path.empty()) unlink(m_path.c_str());
  }

private:
  Mailbox() {
    Station::Get();  // made first, so it is gone only after the mailbox
    m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    socklen_t length = 0;
    sockaddr_un address = AddressOf(getpid(), length);
    if (address.sun_path[0]) {
      m_path = address.sun_path;
      std::error_code ignored;
      std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ignored);
      unlink(m_path.c_str());  // left by an ended process that had our pid
    }
    // Every datagram comes with its sender's credentials, so that only this user's processes are
    // heard: an abstract socket name has no permissions to keep other users out.
    const int passCredentials = 1;
    setsockopt(m_fd, SOL_SOCKET, SO_PASSCRED, &passCredentials, sizeof passCredentials);
    int size = static_cast<int>(kMaxDatagram * 2);
    setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    setsockopt(m_fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
      std::fprintf(stderr, "window manager: the mailbox of process %d cannot be opened\n", getpid());
    }
    if (pipe2(m_wake, O_CLOEXEC) != 0) m_wake[0] = m_wake[1] = -1;
    m_thread = std::thread([this] { Run(); });
  }

  void Run() {
    std::vector<char> buffer(kMaxDatagram);
    while (!m_stop) {
      pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents) break;
      iovec data{buffer.data(), buffer.size()};
      alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
      msghdr header{};
      header.msg_iov = &data;
      header.msg_iovlen = 1;
      header.msg_control = control;
      header.msg_controllen = sizeof control;
      ssize_t n = recvmsg(m_fd, &header, MSG_DONTWAIT);
      if (n <= 0 || !FromThisUser(header)) continue;
      if (auto datagram = Decode(buffer.data(), static_cast<std::size_t>(n))) Handle(std::move(*datagram));
    }
  }

  static bool FromThisUser(msghdr& header) {
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
      if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_CREDENTIALS) continue;
      ucred credentials{};
      std::memcpy(&credentials, CMSG_DATA(c), sizeof credentials);
      return credentials.uid == geteuid();
    }
    return false;
  }

  void Handle(Datagram d) {
    switch (d.kind) {
      case Kind::Post: HandlePost(d); break;
      case Kind::Input: HandleInput(d); break;
      case Kind::Keyboard: HandleKeyboard(d); break;
      case Kind::Send: HandleSend(std::move(d)); break;
      case Kind::Reply: HandleReply(std::move(d)); break;
    }
  }

  void HandlePost(const Datagram& d) {
    if (!d.request.window) {
      kernel::PostThreadQueueMessage(d.thread, nullptr, d.request.message, d.request.wParam, d.request.lParam);
      return;
    }
    auto slot = ReadSlot(d.request.window);
    if (slot && IsLocal(*slot)) {
      kernel::PostThreadQueueMessage(slot->tid, d.request.window, d.request.message, d.request.wParam,
                                     d.request.lParam);
    }
  }

  void HandleInput(const Datagram& d) {
    auto slot = ReadSlot(d.request.window);
    if (slot && IsLocal(*slot)) PostInput(d.request.window, d.request.message, d.request.wParam, d.request.lParam);
  }

  void HandleKeyboard(const Datagram& d) {
    auto slot = ReadSlot(d.request.window);
    if (slot && IsLocal(*slot)) PostKeyboardInput(d.request.window, d.request.message, d.request.wParam, d.request.lParam);
  }

  void HandleSend(Datagram d) {
    const std::int32_t sender = d.sender;
    const std::uint64_t id = d.id;
    auto reply = [this, sender, id](const Answer& answer) {
      if (id == 0) return;
      Datagram r;
      r.kind = Kind::Reply;
      r.id = id;
      r.sender = getpid();
      r.answer = answer;
      Send(sender, r);
    };
    auto slot = ReadSlot(d.request.window);
    std::shared_ptr<ThreadState> target = slot && IsLocal(*slot) ? FindThreadState(slot->tid) : nullptr;
    if (!target) {
      reply(Answer{0, ERROR_INVALID_WINDOW_HANDLE, {}});
      return;
    }
    auto request = std::make_shared<Request>(std::move(d.request));
    auto answer = std::make_shared<Answer>();
    auto message = std::make_shared<SentMessage>();
    message->window = request->window;
    message->task = [request, answer]() -> LRESULT {
      SetLastError(0);
      LRESULT result = 0;
      if (request->op == RemoteOp::Message) {
        LPARAM lParam = request->lParam;
        std::string buffer;
        if (request->message == WM_SETTEXT) lParam = reinterpret_cast<LPARAM>(request->text.c_str());
        if (request->message == WM_GETTEXT) {
          buffer.assign(std::min<std::size_t>(request->wParam, kMaxText), '\0');
          lParam = buffer.empty() ? 0 : reinterpret_cast<LPARAM>(buffer.data());
        }
        result = CallProcedure(request->window, request->message, request->wParam, lParam);
        if (request->message == WM_GETTEXT) answer->text = buffer.c_str();
      } else {
        result = ExecuteRemoteOp(*request, *answer);
      }
      answer->error = GetLastError();
      return result;
    };
    message->onReply = [reply, answer](LRESULT result) {
      answer->result = result;
      reply(*answer);
    };
    if (!target->Queue(message)) reply(Answer{0, ERROR_INVALID_WINDOW_HANDLE, {}});
  }

  void HandleReply(Datagram d) {
    std::shared_ptr<PendingCall> call;
    {
      std::lock_guard guard(m_lock);
      auto it = m_pending.find(d.id);
      if (it == m_pending.end()) return;  // the caller gave up
      call = it->second;
    }
    call->answer = std::move(d.answer);
    call->wait->Reply(call->answer.result);
  }

  int m_fd = -1;
  int m_wake[2] = {-1, -1};
  std::string m_path;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
  std::mutex m_lock;
  std::map<std::uint64_t, std::shared_ptr<PendingCall>> m_pending;
  std::uint64_t m_nextId = 1;
};

std::int32_t ProcessOfThread(DWORD threadId) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%u/status", threadId);
  FILE* file = std::fopen(path, "re");
  if (!file) return 0;
  char line[256];
  std::int32_t pid = 0;
  while (std::fgets(line, sizeof line, file)) {
    if (std::sscanf(line, "Tgid: %d", &pid) == 1) break;
  }
  std::fclose(file);
  return pid;
}

}  // namespace

void EnsureMailbox() { Mailbox::Get(); }

std::optional<Answer> RemoteCall(const WindowSlot& slot, const Request& request, DWORD timeout, bool wait) {
  Mailbox& mailbox = Mailbox::Get();
  Datagram d;
  d.kind = Kind::Send;
  d.sender = getpid();
  d.request = request;
  if (!wait) {
    if (!mailbox.Send(slot.pid, d)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return std::nullopt;
    }
    return Answer{};
  }
  auto call = std::make_shared<PendingCall>();
  call->wait->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  d.id = mailbox.AddPending(call);
  if (!mailbox.Send(slot.pid, d)) {
    mailbox.RemovePending(d.id);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return std::nullopt;
  }
  const std::int32_t pid = slot.pid;
  const std::uint64_t start = slot.pidStart;
  bool answered = WaitForReply(*call->wait, timeout, [pid, start] { return Station::Get().IsAlive(pid, start); });
  mailbox.RemovePending(d.id);
  // What the other process sent us before it answered (the invalidation of our window that hiding
  // its child makes, for one) is done by the time the call returns, as it would be had the other
  // side done it itself: a caller that validates afterwards must not get a repaint later.
  if (answered) CurrentThreadState().DeliverSent();
  if (!answered) {
    SetLastError(Station::Get().IsAlive(pid, start) ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE);
    return std::nullopt;
  }
  if (call->answer.error) SetLastError(call->answer.error);
  return call->answer;
}

bool RemotePost(const WindowSlot& slot, UINT message, WPARAM wParam, LPARAM lParam, PostAs as) {
  Datagram d;
  d.kind = as == PostAs::Keyboard ? Kind::Keyboard : as == PostAs::Input ? Kind::Input : Kind::Post;
  d.sender = getpid();
  d.request.window = HandleOf(slot.handle);
  d.request.message = message;
  d.request.wParam = wParam;
  d.request.lParam = lParam;
  if (!Mailbox::Get().Send(slot.pid, d)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  return true;
}

bool RemotePostThread(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  std::int32_t pid = ProcessOfThread(threadId);
  Datagram d;
  d.kind = Kind::Post;
  d.sender = getpid();
  d.thread = threadId;
  d.request.message = message;
  d.request.wParam = wParam;
  d.request.lParam = lParam;
  if (pid == 0 || !Mailbox::Get().Send(pid, d)) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return false;
  }
  return true;
}

}  // namespace tolvar::user
