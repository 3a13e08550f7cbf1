#include "ScriptedPhone.h"

namespace linkwell::testing {

std::string ReplyFrame(const std::string& text) { return "\xFC" + text + "\x16"; }

ScriptedPhone::ScriptedPhone(tolvar::comm::testing::PseudoPort& port, std::vector<std::vector<Answer>> script)
    : m_port(port), m_script(std::move(script)), m_thread([this] { Run(); }) {}

ScriptedPhone::~ScriptedPhone() {
  m_stop = true;
  m_thread.join();
}

std::vector<std::string> ScriptedPhone::Frames() const {
  std::lock_guard lock(m_lock);
  return m_frames;
}

std::string ScriptedPhone::Line() const {
  std::lock_guard lock(m_lock);
  return m_line;
}

void ScriptedPhone::Run() {
  // The phone's side of the framing, kept apart from the code under test: a frame runs from 0x00 to
  // an unescaped SYN; DLE escapes the next byte. Anything outside a frame is ignored.
  bool inFrame = false;
  bool escaped = false;
  std::string frame;
  std::size_t received = 0;
  while (!m_stop) {
    const std::string bytes = m_port.Receive(1, std::chrono::milliseconds(20));
    if (bytes.empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));  // the port may be closed just now
      continue;
    }
    const char byte = bytes[0];
    {
      std::lock_guard lock(m_lock);
      m_line += byte;
    }
    if (!inFrame) {
      if (byte == '\0') {
        inFrame = true;
        frame.clear();
      }
      continue;
    }
    if (escaped) {
      frame += byte;
      escaped = false;
    } else if (byte == '\x10') {
      escaped = true;
    } else if (byte == '\x16') {
      inFrame = false;
      {
        std::lock_guard lock(m_lock);
        m_frames.push_back(frame);
      }
      if (received < m_script.size()) {
        for (const Answer& answer : m_script[received]) {
          std::this_thread::sleep_for(answer.delay);
          m_port.Send(answer.bytes);
        }
      }
      ++received;
    } else {
      frame += byte;
    }
  }
}

}  // namespace linkwell::testing
