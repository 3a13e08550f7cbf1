// The worker of the frame player.
#include "FramePlayer.h"

#include <chrono>

void CFramePlayer::SetFrames(AnimationFrames frames) {
  Stop();
  m_frames = std::move(frames);
  Rewind();
}

void CFramePlayer::Start() {
  if (m_running || m_frames.frames.size() <= 1) return;
  if (m_thread.joinable()) m_thread.join();  // a worker that ended by itself
  {
    std::lock_guard lock(m_mutex);
    m_stop = false;
  }
  m_running = true;
  m_thread = std::thread([this] { Run(); });
}

void CFramePlayer::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
  m_running = false;
}

void CFramePlayer::Rewind() {
  m_frame = 0;
  m_loop = 0;
}

void CFramePlayer::Run() {
  const auto& frames = m_frames.frames;
  std::unique_lock lock(m_mutex);
  while (!m_stop && (m_frames.loopCount == 0 || m_loop < m_frames.loopCount)) {
    for (unsigned index = m_frame; index < frames.size() && !m_stop; ++index) {
      m_frame = index;
      lock.unlock();
      m_showFrame(index);
      lock.lock();
      const unsigned delay = frames[index].delay ? frames[index].delay : 100;
      m_wake.wait_for(lock, std::chrono::milliseconds(delay), [this] { return m_stop; });
    }
    if (m_stop) break;
    m_frame = 0;
    ++m_loop;
  }
  if (!m_stop) {
    m_frame = 0;
    m_loop = 0;
  }
  m_running = false;
}
