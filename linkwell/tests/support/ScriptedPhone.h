#pragma once
// A phone that answers by script on the far end of a pseudo-terminal port: after the n-th PTE frame
// it receives it sends the n-th list of answers (each after its delay); frames beyond the script get
// nothing. Everything the port wrote is kept, so a test can check the bytes on the line too.
#include <PseudoPort.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace linkwell::testing {

struct Answer {
  std::string bytes;
  std::chrono::milliseconds delay{0};
};

// A reply frame as the phone sends it: 0xFC, the text, SYN.
std::string ReplyFrame(const std::string& text);

class ScriptedPhone {
 public:
  ScriptedPhone(tolvar::comm::testing::PseudoPort& port, std::vector<std::vector<Answer>> script);
  ~ScriptedPhone();
  ScriptedPhone(const ScriptedPhone&) = delete;
  ScriptedPhone& operator=(const ScriptedPhone&) = delete;

  // The command texts of the frames received so far, and every byte received.
  std::vector<std::string> Frames() const;
  std::string Line() const;

 private:
  void Run();

  tolvar::comm::testing::PseudoPort& m_port;
  std::vector<std::vector<Answer>> m_script;
  mutable std::mutex m_lock;
  std::vector<std::string> m_frames;
  std::string m_line;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace linkwell::testing
