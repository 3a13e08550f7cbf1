#pragma once
// The simulator's loop: carries bytes between the line and the phone, paces what the phone sends
// at the line's baud rate (10 bits per byte: start, 8 data bits, stop), holds back what the PC
// sends for as long as it takes on the wire, applies the fault switches, and reads control lines
// from standard input, answering each with "ok" or "error <reason>" on standard output. Besides the
// fault switches and the phone's own controls, "reconnect" brings a dropped line back under the
// same COM name (as a cable plugged in again) and "quit" ends the simulator.
#include "Faults.h"
#include "Phone.h"
#include "PortRegistration.h"
#include "SerialLine.h"

#include <chrono>
#include <deque>
#include <optional>
#include <string>

namespace phonesim {

class Simulator {
 public:
  // control: read control lines from standard input, and end at its end. registration: the line's
  // COM name, kept when the line is reconnected; none leaves the registry alone.
  Simulator(SerialLine& line, Phone& phone, int baud, Faults faults, bool control,
            PortRegistration* registration = nullptr);

  // Serves until a stop signal, "quit", or the end of standard input. Returns the exit status.
  int Run();

 private:
  struct Pending {
    Clock::time_point due;
    std::string bytes;
  };

  void Queue(std::deque<Pending>& queue, Clock::time_point due, std::string bytes);
  void ReadLine(Clock::time_point now);
  void ProcessInput(Clock::time_point now);
  void Emit(std::vector<Emission> emissions, Clock::time_point now);
  // Writes what is due; gives when it next has something to write, if anything.
  std::optional<Clock::time_point> Transmit(Clock::time_point now);
  // Drops the line: at once when nothing is on the wire, else once what was sent can have arrived.
  void HangUp(Clock::time_point now, bool afterSending);
  void ReadControl();
  void RunControlLine(const std::string& line);
  // "reconnect": the empty text, or the reason it failed.
  std::string Reconnect();

  SerialLine& m_line;
  Phone& m_phone;
  PortRegistration* m_registration;
  std::chrono::nanoseconds m_byteTime;
  std::size_t m_sliceBytes;
  Faults m_faults;
  bool m_control;
  bool m_stop = false;
  NoiseSource m_noise;

  std::deque<Pending> m_input;   // bytes from the PC, due when they would have crossed the wire
  std::deque<Pending> m_output;  // bytes for the PC, due when the phone means to start them
  Clock::time_point m_rxClock{};  // when the last byte from the PC has crossed the wire
  Clock::time_point m_txClock{};  // when the last byte to the PC has crossed the wire
  bool m_writeBlocked = false;
  std::optional<Clock::time_point> m_hangUpAt;  // the line is being dropped: nothing more goes over it
  std::string m_controlBuffer;
};

}  // namespace phonesim
