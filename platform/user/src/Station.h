#pragma once
// The window station: one table in shared memory, per home, that every process of the suite maps.
// It holds for each window what other processes may ask about or act on: owner process (with the
// process's start time, so that a pid reused by a new process does not revive dead windows) and
// thread, the tree links (parent, owner, children in z-order), class name, text, style, id and
// rectangles. Also the registered window messages, the foreground window and the cursor position.
//
// The table has one lock, a robust process-shared mutex: a process that dies holding it does not
// wedge the others. Nothing is called out of the window layer while it is held.
//
// HWND values: the slot index in the low 16 bits, a generation in the high 16, so a reused slot
// gives a new handle. Slot 0 is the desktop.
#include <base/WinDef.h>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <pthread.h>
#include <string>
#include <string_view>
#include <vector>

namespace tolvar::user {

constexpr std::uint32_t kStationSlots = 4096;
// The most windows one process may hold at once: a process that runs away (a window per client,
// a box per error) is refused its next window, and the table still has room for the others.
constexpr std::uint32_t kProcessSlotQuota = kStationSlots / 4;
constexpr std::size_t kClassNameMax = 64;
constexpr std::size_t kStationTextMax = 256;
constexpr std::uint32_t kRegisteredMax = 1024;
constexpr std::uint32_t kFirstRegistered = 0xC000;
constexpr std::uint32_t kDesktopHandle = 0x00010000;

struct WindowSlot {
  std::uint32_t handle;  // 0: free
  std::uint16_t generation;
  std::int32_t pid;
  std::uint64_t pidStart;
  std::uint32_t tid;
  std::uint32_t parent;
  std::uint32_t owner;
  std::uint32_t firstChild;
  std::uint32_t lastChild;
  std::uint32_t next;  // the sibling below in z-order
  std::uint32_t prev;  // the sibling above
  std::uint32_t style;
  std::uint32_t exStyle;
  std::int64_t id;
  RECT window;  // relative to the parent's client area (the screen for top-level windows)
  RECT client;  // likewise
  char className[kClassNameMax];
  char text[kStationTextMax];
  // On a top-level window: the window of another process inside it that last took the keys, 0 once
  // a window of this window's own process took them. Activating the window again gives them back.
  std::uint32_t hostedKeys;
};

struct StationData {
  std::uint32_t magic;
  std::uint32_t layout;
  pthread_mutex_t lock;
  std::uint32_t foreground;
  std::uint32_t capture;  // the window that holds the mouse, of any process
  // The window that last took the keyboard focus, of any process: how keys reach a window of a
  // program hosted inside another's top-level window, whose focus lives in the program.
  std::uint32_t focus;
  // The window a button press was last posted to, until a window next takes the focus: keys typed
  // meanwhile go to its thread, which handles the press first (it may move the focus there) and
  // hands on what the press left with another thread's window.
  std::uint32_t pressed;
  POINT cursor;
  // Whose cursor the pointer shows, as on Windows the thread's that answers WM_SETCURSOR: the
  // thread of the window under the pointer (or holding the capture), that window's top-level
  // window (maybe another process's, which draws it inside its own), and the thread whose cursor
  // was last shown there.
  std::uint32_t pointerThread;
  std::uint32_t pointerTop;
  std::uint32_t cursorShownBy;
  std::uint32_t registeredCount;
  char registered[kRegisteredMax][kClassNameMax];
  WindowSlot slots[kStationSlots];
};

// Converting between handles and their numbers.
inline std::uint32_t HandleValue(HWND window) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
}
inline HWND HandleOf(std::uint32_t value) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value)); }

class Station {
public:
  // The station of the home, mapped on first use.
  static Station& Get();
  // Whether this process has mapped the station yet (Get would map it).
  static bool IsOpen();
  // The desktop window covers the screen as the display reports it.
  void SetDesktopSize(int width, int height);

  // Runs `work` with the station locked. `work` must not call out of the window layer.
  template <class F>
  auto With(F&& work) {
    Locked guard(*this);
    return work(*m_data);
  }

  // Slot queries, with the station locked. A handle of a dead process counts as no window.
  WindowSlot* Find(StationData& data, std::uint32_t handle);
  WindowSlot* FindAny(StationData& data, std::uint32_t handle);  // dead or alive

  // Makes a slot for a new window of this process and thread, not yet linked. 0 when full.
  std::uint32_t Allocate(StationData& data, DWORD tid);
  void Free(StationData& data, std::uint32_t handle);

  // Tree links: `insertAfter` is a sibling handle, 0 for the top or 1 for the bottom.
  void Link(StationData& data, std::uint32_t handle, std::uint32_t parent, std::uint32_t insertAfter);
  void Unlink(StationData& data, std::uint32_t handle);

  std::int32_t Pid() const { return m_pid; }
  // Whether the process `pid` that started at `start` still runs. /proc is read once per process;
  // after that a descriptor of the process itself (pidfd) answers, which a reused pid cannot fool.
  bool IsAlive(std::int32_t pid, std::uint64_t start);

  // The same number for a name in every process (0 for an empty name or a full table).
  UINT RegisterMessage(std::string_view name);

  ~Station();
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

private:
  Station();
  class Locked {
  public:
    explicit Locked(Station& station);
    ~Locked();

  private:
    Station& m_station;
  };

  void Initialise();
  void ReapDead(StationData& data);
  void DropProcessWindows();

  struct KnownProcess {
    int pidfd = -1;  // readable once the process has ended
    bool alive = false;
  };

  int m_fd = -1;
  StationData* m_data = nullptr;
  std::mutex m_knownLock;
  std::map<std::pair<std::int32_t, std::uint64_t>, KnownProcess> m_known;
  std::int32_t m_pid = 0;
  std::uint64_t m_start = 0;
};

// The start time of a process (clock ticks since boot, from /proc), 0 when it does not exist.
std::uint64_t ProcessStartTime(std::int32_t pid);

// A slot's text fields are NUL-terminated copies cut to their size.
void CopyToField(char* field, std::size_t size, std::string_view text);

}  // namespace tolvar::user
