#pragma once
// The frame player behind CAnimationWnd: a list of decoded frames played on a worker thread, which
// only says "show frame n" (through a callback that posts to the window) and waits the frame's
// delay. Stop wakes the wait and joins the thread, so a stopped player holds no thread and the
// window's thread never kills one.
//
// Threads: Start, Stop, Rewind and SetFrames are called on the window's thread; the callback runs
// on the worker and must only post.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

struct AnimationFrame {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // width x height, top row first
  int x = 0, y = 0;
  unsigned delay = 0;  // milliseconds; 0 shows the frame 100 milliseconds
};

struct AnimationFrames {
  unsigned loopCount = 0;  // 0: for ever
  std::vector<AnimationFrame> frames;
};

class CFramePlayer {
 public:
  explicit CFramePlayer(std::function<void(unsigned frame)> showFrame) : m_showFrame(std::move(showFrame)) {}
  ~CFramePlayer() { Stop(); }
  CFramePlayer(const CFramePlayer&) = delete;
  CFramePlayer& operator=(const CFramePlayer&) = delete;

  // Replaces the frames (the player is stopped first).
  void SetFrames(AnimationFrames frames);
  const AnimationFrames& Frames() const { return m_frames; }
  // Starts the worker when it is not running and there is more than one frame.
  void Start();
  // Ends the worker: the flag is set, its wait woken and the thread joined.
  void Stop();
  void Rewind();
  bool IsRunning() const { return m_running; }
  unsigned GetFrameIndex() const { return m_frame; }

 private:
  void Run();

  std::function<void(unsigned)> m_showFrame;
  AnimationFrames m_frames;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;  // under m_mutex
  std::atomic<bool> m_running{false};
  std::atomic<unsigned> m_frame{0};
  std::atomic<unsigned> m_loop{0};
};
