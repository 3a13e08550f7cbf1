#pragma once
// The phone's behaviour on the line, without any I/O: it takes the bytes that arrive and says
// what it sends back. It starts in AT mode (echo on), enters PTE command mode on "AT*TRACE\r"
// followed by the exact wake-up sequence, answers command frames there, and after "PowerOff" is
// off (deaf and mute) for a while before it is on again in AT mode.
#include "CommandTable.h"
#include "FrameCodec.h"
#include "PhoneState.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phonesim {

using Clock = std::chrono::steady_clock;

// Bytes the phone sends. Answers are what the fault switches act on (late, garbage, silent);
// the echo of received characters is not an answer.
struct Emission {
  std::string bytes;
  bool answer = false;
};

enum class PhoneMode { At, WakeUp, Pte, Off };

class Phone {
 public:
  // offTime: how long the phone stays off after "PowerOff"; none keeps it off.
  Phone(PhoneState& state, const CommandTable& commands, std::optional<std::chrono::milliseconds> offTime);

  std::vector<Emission> Receive(std::string_view bytes, Clock::time_point now);

  // Switches the phone back on when its off time has passed.
  void Tick(Clock::time_point now);
  std::optional<Clock::time_point> NextTick() const;

  PhoneMode Mode() const { return m_mode; }

  // Another maker's answer to "AT+GMI"; a refusal of "ATE1" (with ERROR, the echo left as it was).
  void SetMaker(std::string maker) { m_maker = std::move(maker); }
  void SetRefuseEcho(bool refuse) { m_refuseEcho = refuse; }

  // A control line for the phone's own state (see CommandTable::RunControl).
  std::optional<std::string> Control(std::string_view line) { return m_commands.RunControl(line, m_state); }

 private:
  void ReceiveAt(unsigned char byte, std::vector<Emission>& out);
  void RunAtLine(std::string line, std::vector<Emission>& out);
  void ReceiveWakeUp(unsigned char byte, std::vector<Emission>& out);
  void ReceivePte(unsigned char byte, Clock::time_point now, std::vector<Emission>& out);
  void SwitchOn();

  PhoneState& m_state;
  const CommandTable& m_commands;
  std::optional<std::chrono::milliseconds> m_offTime;
  PhoneMode m_mode = PhoneMode::At;
  bool m_echo = true;
  std::optional<std::string> m_maker;
  bool m_refuseEcho = false;
  std::string m_atLine;
  bool m_atLineOverflow = false;
  std::size_t m_wakeUpMatched = 0;
  CommandFrameDecoder m_frames;
  PteSession m_session;
  std::optional<Clock::time_point> m_onAt;
};

// The wake-up that follows "AT*TRACE\r": 92 SYN bytes, then "V" SYN "L" SYN, then "Z" SYN.
std::string_view WakeUpSequence();

}  // namespace phonesim
