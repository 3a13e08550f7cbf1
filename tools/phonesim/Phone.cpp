#include "Phone.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <utility>

namespace phonesim {

namespace {

// A command line longer than this is answered "ERROR", as modems do with an overflowing buffer.
constexpr std::size_t kMaxAtLine = 256;

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

// Result codes and information text in the verbose form modems use: each framed by CR LF.
std::string ResultCode(std::string_view code) { return "\r\n" + std::string(code) + "\r\n"; }
std::string Information(std::string_view text) { return ResultCode(text) + ResultCode("OK"); }

const std::string kWakeUp = [] {
  std::string sequence(92, '\x16');
  sequence += "V\x16L\x16Z\x16";
  return sequence;
}();

void Append(std::vector<Emission>& out, std::string bytes, bool answer) {
  if (bytes.empty()) return;
  // Consecutive echo bytes travel as one piece; answers stay apart so faults act on each.
  if (!answer && !out.empty() && !out.back().answer) {
    out.back().bytes += bytes;
    return;
  }
  out.push_back({std::move(bytes), answer});
}

}  // namespace

std::string_view WakeUpSequence() { return kWakeUp; }

Phone::Phone(PhoneState& state, const CommandTable& commands, std::optional<std::chrono::milliseconds> offTime)
    : m_state(state), m_commands(commands), m_offTime(offTime) {}

std::vector<Emission> Phone::Receive(std::string_view bytes, Clock::time_point now) {
  std::vector<Emission> out;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (m_mode) {
      case PhoneMode::At: ReceiveAt(byte, out); break;
      case PhoneMode::WakeUp: ReceiveWakeUp(byte, out); break;
      case PhoneMode::Pte: ReceivePte(byte, now, out); break;
      case PhoneMode::Off: break;
    }
  }
  return out;
}

void Phone::ReceiveAt(unsigned char byte, std::vector<Emission>& out) {
  if (m_echo) Append(out, std::string(1, static_cast<char>(byte)), false);
  if (byte == '\r') {
    std::string line = std::exchange(m_atLine, {});
    if (std::exchange(m_atLineOverflow, false)) {
      Append(out, ResultCode("ERROR"), true);
      return;
    }
    RunAtLine(std::move(line), out);
    return;
  }
  if (byte == '\n') return;  // the LF after a CR ends nothing; modems ignore it
  if (m_atLine.size() == kMaxAtLine) {
    m_atLineOverflow = true;
    return;
  }
  m_atLine.push_back(static_cast<char>(byte));
}

void Phone::RunAtLine(std::string line, std::vector<Emission>& out) {
  // Whatever precedes "AT" on the line (noise, a stray character) is not part of the command.
  const std::string upper = Upper(line);
  const std::size_t at = upper.find("AT");
  if (at == std::string::npos) return;  // an empty or foreign line gets no answer
  const std::string command = upper.substr(at + 2);

  using Action = std::function<void()>;
  const std::array<std::pair<std::string_view, Action>, 7> table{{
      {"", [&] { Append(out, ResultCode("OK"), true); }},
      {"E", [&] { m_echo = false; Append(out, ResultCode("OK"), true); }},
      {"E0", [&] { m_echo = false; Append(out, ResultCode("OK"), true); }},
      {"E1", [&] {
         if (m_refuseEcho) return Append(out, ResultCode("ERROR"), true);
         m_echo = true;
         Append(out, ResultCode("OK"), true);
       }},
      {"+GMM", [&] { Append(out, Information(m_state.Model().modelLine), true); }},
      {"+GMI", [&] { Append(out, Information(m_maker ? *m_maker : m_state.Model().maker), true); }},
      {"*TRACE", [&] {
         Append(out, ResultCode("OK"), true);
         m_mode = PhoneMode::WakeUp;
         m_wakeUpMatched = 0;
       }},
  }};
  for (const auto& [name, action] : table) {
    if (command == name) return action();
  }
  Append(out, ResultCode("ERROR"), true);
}

void Phone::ReceiveWakeUp(unsigned char byte, std::vector<Emission>& out) {
  if (byte == static_cast<unsigned char>(kWakeUp[m_wakeUpMatched])) {
    if (++m_wakeUpMatched == kWakeUp.size()) {
      m_mode = PhoneMode::Pte;
      m_session = {};
      m_frames.Reset();
      m_state.StartJournal();
    }
    return;
  }
  // Anything but the exact sequence: the phone stays a modem, and the byte is modem input.
  m_mode = PhoneMode::At;
  ReceiveAt(byte, out);
}

void Phone::ReceivePte(unsigned char byte, Clock::time_point now, std::vector<Emission>& out) {
  std::optional<std::string> command = m_frames.Feed(byte);
  if (!command) return;
  m_state.Journal(*command);
  for (const std::string& reply : m_commands.Run(*command, m_state, m_session)) {
    Append(out, EncodeReplyFrame(reply), true);
  }
  if (m_session.after == AfterCommand::LeaveCommandMode) {
    // Back to a modem: a later wake-up starts a new session.
    m_mode = PhoneMode::At;
    m_echo = true;
    m_atLine.clear();
    m_session = {};
    return;
  }
  if (m_session.after == AfterCommand::PowerOff) {
    // Off: the rest of what is on the line is not heard.
    m_mode = PhoneMode::Off;
    m_onAt = m_offTime ? std::optional(now + *m_offTime) : std::nullopt;
  }
}

void Phone::Tick(Clock::time_point now) {
  if (m_mode == PhoneMode::Off && m_onAt && now >= *m_onAt) SwitchOn();
}

std::optional<Clock::time_point> Phone::NextTick() const {
  return m_mode == PhoneMode::Off ? m_onAt : std::nullopt;
}

void Phone::SwitchOn() {
  m_mode = PhoneMode::At;
  m_echo = true;
  m_atLine.clear();
  m_atLineOverflow = false;
  m_onAt.reset();
  m_session = {};
}

}  // namespace phonesim
