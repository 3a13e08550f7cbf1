// Sending, posting and dispatching messages, and the queue extension through which the kernel's
// thread queues run sent messages and make WM_PAINT.
#include "Internal.h"

#include <base/LastError.h>
#include <base/Time.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>

#include <user/Input.h>
#include <user/Paint.h>

#include <cctype>
#include <cstring>
#include <mutex>

namespace tolvar::user {
namespace {

class Extension : public kernel::QueueExtension {
public:
  Extension() { kernel::SetQueueExtension(this); }
  ~Extension() override { kernel::SetQueueExtension(nullptr); }

  void DeliverSentMessages() override { CurrentThreadState().DeliverSent(); }

  DWORD PendingStatus() override {
    ThreadState& me = CurrentThreadState();
    DWORD bits = (me.HasSent() ? QS_SENDMESSAGE : 0) | me.InputStatus();
    if (ThreadNeedsPaint(me.Id())) bits |= QS_PAINT;
    return bits;
  }

  bool SynthesizeMessage(HWND filter, UINT first, UINT last, bool remove, MSG& message) override {
    // Input first, then painting: posted messages have already had their turn.
    if (filter != reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)) &&
        CurrentThreadState().TakeInput(filter, first, last, remove, message,
                                       [this](HWND f, HWND w) { return IsInFilter(f, w); })) {
      return true;
    }
    return SynthesizePaint(filter, first, last, remove, message);
  }

  DWORD WindowThread(HWND window) override {
    auto slot = ReadSlot(window);
    return slot ? slot->tid : 0;
  }

  bool IsInFilter(HWND filter, HWND window) override { return window == filter || IsDescendant(filter, window); }

  bool PostToOtherProcess(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) override {
    return RemotePostThread(threadId, message, wParam, lParam);
  }
};

// Installed when the library is loaded, so every thread queue of the process knows windows.
Extension g_extension;

}  // namespace

void EnsureUserProcess() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterSystemClasses();
    EnsureMailbox();
  });
}

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC procedure = nullptr;
  {
    std::lock_guard guard(ProcessLock());
    auto local = FindLocal(window);
    if (!local) return 0;
    procedure = local->proc;
  }
  return procedure ? procedure(window, message, wParam, lParam) : 0;
}

LRESULT RunOnWindowThread(const WindowSlot& slot, const std::function<LRESULT()>& work, bool* ok) {
  if (ok) *ok = true;
  if (slot.tid == GetCurrentThreadId()) return work();
  auto target = FindThreadState(slot.tid);
  auto message = std::make_shared<SentMessage>();
  message->window = HandleOf(slot.handle);
  message->task = work;
  message->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!target || !target->Queue(message) || !WaitForReply(*message, INFINITE)) {
    if (ok) *ok = false;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return message->result;
}

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeout, bool* ok) {
  if (ok) *ok = true;
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) {
    if (ok) *ok = false;
    if (!slot) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!IsLocal(*slot)) {
    Request request;
    request.window = window;
    request.message = message;
    request.wParam = wParam;
    request.lParam = lParam;
    if (message == WM_SETTEXT && lParam) request.text = reinterpret_cast<const char*>(lParam);
    auto answer = RemoteCall(*slot, request, timeout == INFINITE ? kRemoteTimeout : timeout);
    if (!answer) {
      if (ok) *ok = false;
      return 0;
    }
    if (message == WM_GETTEXT && lParam && wParam > 0) {
      std::size_t n = std::min<std::size_t>(answer->text.size(), wParam - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), answer->text.data(), n);
      reinterpret_cast<char*>(lParam)[n] = 0;
    }
    return answer->result;
  }
  if (slot->tid == GetCurrentThreadId()) return CallProcedure(window, message, wParam, lParam);
  auto target = FindThreadState(slot->tid);
  auto sent = std::make_shared<SentMessage>();
  sent->window = window;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!target || !target->Queue(sent)) {
    if (ok) *ok = false;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!WaitForReply(*sent, timeout)) {
    if (ok) *ok = false;
    SetLastError(ERROR_TIMEOUT);
    return 0;
  }
  return sent->result;
}

}  // namespace tolvar::user

using namespace tolvar::user;

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendWithTimeout(window, message, wParam, lParam, INFINITE, nullptr);
}

LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT, UINT timeout,
                            PDWORD_PTR result) {
  bool ok = false;
  LRESULT value = SendWithTimeout(window, message, wParam, lParam, timeout, &ok);
  if (result) *result = static_cast<DWORD_PTR>(value);
  return ok ? 1 : 0;
}

BOOL SendNotifyMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow(FALSE);
  if (!IsLocal(*slot)) {
    Request request;
    request.window = window;
    request.message = message;
    request.wParam = wParam;
    request.lParam = lParam;
    return RemoteCall(*slot, request, 0, false) ? TRUE : FALSE;
  }
  if (slot->tid == GetCurrentThreadId()) {
    CallProcedure(window, message, wParam, lParam);
    return TRUE;
  }
  auto target = FindThreadState(slot->tid);
  auto sent = std::make_shared<SentMessage>();
  sent->window = window;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  return target && target->Queue(sent) ? TRUE : InvalidWindow(FALSE);
}

namespace tolvar::user {
namespace {

bool QueueInputFor(const WindowSlot& slot, MSG message) {
  auto target = FindThreadState(slot.tid);
  message.time = GetTickCount();
  GetCursorPos(&message.pt);
  return target && target->QueueInput(message);
}

}  // namespace

bool PostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return InvalidWindow(false);
  if (!IsLocal(*slot)) return RemotePost(*slot, message, wParam, lParam, PostAs::Input);
  return QueueInputFor(*slot, MSG{window, message, wParam, lParam, 0, {}});
}

bool PostKeyboardInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return InvalidWindow(false);
  if (!IsLocal(*slot)) return RemotePost(*slot, message, wParam, lParam, PostAs::Keyboard);
  return QueueInputFor(*slot, MSG{nullptr, message, wParam, lParam, 0, {}});
}

}  // namespace tolvar::user

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window) return PostThreadMessageA(GetCurrentThreadId(), message, wParam, lParam);
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return InvalidWindow(FALSE);
  if (IsLocal(*slot)) return tolvar::kernel::PostThreadQueueMessage(slot->tid, window, message, wParam, lParam);
  // Pointers mean nothing in another process: the messages that carry one are sent, never posted.
  if (message == WM_SETTEXT || message == WM_GETTEXT) {
    SetLastError(ERROR_MESSAGE_SYNC_ONLY);
    return FALSE;
  }
  return RemotePost(*slot, message, wParam, lParam) ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* message) {
  if (!message) return 0;
  ThreadState& me = CurrentThreadState();
  NoteInputMessage(*message);
  me.messageTime = message->time;
  {
    POINT cursor{};
    Station& station = Station::Get();
    station.With([&](StationData& data) {
      cursor = data.cursor;
      return 0;
    });
    me.messagePos = cursor;
  }
  if (message->message == WM_TIMER && message->lParam) {
    auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
    procedure(message->hwnd, WM_TIMER, message->wParam, message->time);
    return 0;
  }
  if (!message->hwnd) return 0;
  auto slot = ReadSlot(message->hwnd);
  if (!slot || !IsLocal(*slot)) return InvalidWindow<LRESULT>(0);
  LRESULT result = CallProcedure(message->hwnd, message->message, message->wParam, message->lParam);
  if (message->message == WM_PAINT) {
    // A procedure that did not validate would get WM_PAINT for ever: what it left counts as painted.
    RedrawWindow(message->hwnd, nullptr, nullptr, RDW_NOFRAME | RDW_VALIDATE | RDW_NOCHILDREN);
  }
  return result;
}

namespace {

// The character a key types on the US layout, 0 for none.
char KeyCharacter(UINT key, bool shift, bool control) {
  if (key >= 'A' && key <= 'Z') {
    if (control) return static_cast<char>(key - 'A' + 1);
    return static_cast<char>(shift ? key : std::tolower(static_cast<int>(key)));
  }
  if (control) return 0;
  if (key >= '0' && key <= '9') return shift ? ")!@#$%^&*("[key - '0'] : static_cast<char>(key);
  if (key >= 0x60 && key <= 0x69) return static_cast<char>('0' + key - 0x60);  // the number pad
  struct Punctuation { UINT key; char plain; char shifted; };
  static constexpr Punctuation kPunctuation[] = {
      {0x20, ' ', ' '},   {0x0D, '\r', '\r'}, {0x08, '\b', '\b'}, {0x09, '\t', '\t'}, {0x1B, 0x1B, 0x1B},
      {0xBA, ';', ':'},   {0xBB, '=', '+'},   {0xBC, ',', '<'},   {0xBD, '-', '_'},   {0xBE, '.', '>'},
      {0xBF, '/', '?'},   {0xC0, '`', '~'},   {0xDB, '[', '{'},   {0xDC, '\\', '|'},  {0xDD, ']', '}'},
      {0xDE, '\'', '"'},  {0x6A, '*', '*'},   {0x6B, '+', '+'},   {0x6D, '-', '-'},   {0x6E, '.', '.'},
      {0x6F, '/', '/'},
  };
  for (const Punctuation& p : kPunctuation) {
    if (p.key == key) return shift ? p.shifted : p.plain;
  }
  return 0;
}

}  // namespace

BOOL TranslateMessage(const MSG* message) {
  if (!message) return FALSE;
  NoteInputMessage(*message);
  if (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN) return FALSE;
  const bool shift = (GetKeyState(0x10) & 0x8000) != 0;
  const bool control = (GetKeyState(0x11) & 0x8000) != 0;
  char c = KeyCharacter(static_cast<UINT>(message->wParam), shift, control);
  if (!c) return FALSE;
  UINT charMessage = message->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  PostMessageA(message->hwnd, charMessage, static_cast<unsigned char>(c), message->lParam);
  return TRUE;
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return procedure ? procedure(window, message, wParam, lParam) : 0;
}

BOOL InSendMessage() {
  ThreadState& me = CurrentThreadState();
  return me.handling.empty() ? FALSE : TRUE;
}

BOOL ReplyMessage(LRESULT result) {
  ThreadState& me = CurrentThreadState();
  if (me.handling.empty()) return FALSE;
  me.handling.back()->Reply(result);
  return TRUE;
}

UINT RegisterWindowMessageA(LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Station::Get().RegisterMessage(name);
}

DWORD GetMessagePos() {
  POINT p = CurrentThreadState().messagePos;
  return static_cast<DWORD>(MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
}

LONG GetMessageTime() { return static_cast<LONG>(CurrentThreadState().messageTime); }
