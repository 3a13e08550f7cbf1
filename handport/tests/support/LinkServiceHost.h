#pragma once
// The link service's own core in this process, for the library's end-to-end tests: a main thread
// of its own pumps the listener's socket notifications and runs the idle timer, as the link
// service program does, and the frame's tray, notices and messages go nowhere. It listens on a
// free loopback port and finds the phone through the serial ports of the current home.
#include "LinkEngine.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// The phone's silence that ends a wake-up in these tests. The library's default of 3 s would make
// every test slow; a few hundred milliseconds let a simulated phone that is starved of the processor
// on a loaded machine echo the wake-up after the drain, into the reply to the first command.
constexpr int kTestWakeUpDrainTime = 1000;

class LinkServiceHost {
 public:
  // `phoneListPath`: the "Phones.ini" whose models the hello names.
  explicit LinkServiceHost(std::string phoneListPath);
  ~LinkServiceHost();
  LinkServiceHost(const LinkServiceHost&) = delete;
  LinkServiceHost& operator=(const LinkServiceHost&) = delete;

  // 0 when the service could not listen.
  u_short Port() const { return m_port; }
  LinkServiceAddress Address() const { return {"127.0.0.1", m_port}; }

 private:
  void Run();

  std::string m_phoneListPath;
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_started = false;
  bool m_stop = false;
  u_short m_port = 0;
  std::thread m_thread;
};
