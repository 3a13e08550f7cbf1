// The frame player's worker: frames in order, loops, and a stop that wakes and joins it.
#include <FramePlayer.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

AnimationFrames Frames(std::size_t count, unsigned delay, unsigned loops) {
  AnimationFrames frames;
  frames.loopCount = loops;
  frames.frames.resize(count);
  for (AnimationFrame& f : frames.frames) {
    f.width = f.height = 2;
    f.pixels.assign(4, 0);
    f.delay = delay;
  }
  return frames;
}

// The frames a player shows, as the window would receive them.
struct Shown {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<unsigned> frames;
  void Add(unsigned frame) {
    std::lock_guard lock(mutex);
    frames.push_back(frame);
    changed.notify_all();
  }
  bool WaitFor(std::size_t count) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(30), [&] { return frames.size() >= count; });
  }
};

}  // namespace

TEST(FramePlayer, PlaysEveryFrameForItsLoopsThenRewinds) {
  Shown shown;
  CFramePlayer player([&](unsigned frame) { shown.Add(frame); });
  player.SetFrames(Frames(3, 1, 2));
  player.Start();
  ASSERT_TRUE(shown.WaitFor(6));
  // The worker ends by itself after its last wait.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (player.IsRunning() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  player.Stop();
  EXPECT_EQ(shown.frames, (std::vector<unsigned>{0, 1, 2, 0, 1, 2}));
  EXPECT_FALSE(player.IsRunning());
  EXPECT_EQ(player.GetFrameIndex(), 0u);
}

TEST(FramePlayer, StopWakesALongWaitAndStartGoesOnFromTheFrame) {
  Shown shown;
  CFramePlayer player([&](unsigned frame) { shown.Add(frame); });
  player.SetFrames(Frames(3, 60 * 60 * 1000, 0));  // an hour per frame: only a woken stop ends it
  player.Start();
  ASSERT_TRUE(shown.WaitFor(1));
  EXPECT_TRUE(player.IsRunning());
  player.Stop();
  EXPECT_FALSE(player.IsRunning());
  player.Start();
  ASSERT_TRUE(shown.WaitFor(2));
  player.Stop();
  EXPECT_EQ(shown.frames, (std::vector<unsigned>{0, 0}));
  for (int i = 0; i < 20; ++i) {  // start and stop in quick turns leave no thread behind
    player.Start();
    player.Stop();
  }
}

TEST(FramePlayer, OneFrameOrNoneNeverStartsTheWorker) {
  Shown shown;
  CFramePlayer player([&](unsigned frame) { shown.Add(frame); });
  for (std::size_t count : {0u, 1u}) {
    player.SetFrames(Frames(count, 1, 0));
    player.Start();
    EXPECT_FALSE(player.IsRunning());
  }
  EXPECT_TRUE(shown.frames.empty());
}
