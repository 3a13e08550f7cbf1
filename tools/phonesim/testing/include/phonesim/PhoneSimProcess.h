#pragma once
// Runs the simulated phone as a child process for a test: in a home of its own (a new temporary
// folder unless one is given), on a new pseudo-terminal registered there as a COM port. Faults
// can be switched while it runs; each switch returns once phonesim has taken it.
//
//   phonesim::PhoneSimProcess phone;
//   ASSERT_TRUE(phone.Start({.model = "Selka"})) << phone.Error();
//   setenv("TOLVAR_HOME", phone.Home().c_str(), 1);   // so the code under test sees the port
//   ... open phone.ComName() ...
//   phone.SetFault(phonesim::Fault::Late, 500);
//
// phonesim is looked for beside the running test program.
#include <string>
#include <sys/types.h>
#include <vector>

namespace phonesim {

struct PhoneSimOptions {
  std::string model{};                 // name or row number; empty: row 1
  std::string home{};                  // empty: a new temporary folder, removed by Stop()
  std::vector<std::string> arguments{};  // further options, e.g. {"--sw-version", "TDE_0100"}
};

enum class Fault {
  Silent,             // value 1: send nothing at all; 0: send again
  SilentAnswers,      // swallow the next <value> answers
  Late,               // send every answer <value> ms late; 0: at once
  Garbage,            // value 1: noise instead of each answer; 0: real answers
  DropAfterSent,      // hang up after sending <value> more bytes
  DropAfterReceived,  // hang up after receiving <value> more bytes
};

class PhoneSimProcess {
 public:
  PhoneSimProcess() = default;
  ~PhoneSimProcess();
  PhoneSimProcess(const PhoneSimProcess&) = delete;
  PhoneSimProcess& operator=(const PhoneSimProcess&) = delete;

  // Starts phonesim and waits for its ready line; false with Error() when that did not come.
  bool Start(const PhoneSimOptions& options = {});

  const std::string& ComName() const { return m_comName; }        // "COMn"; "-" when not registered
  const std::string& DevicePath() const { return m_devicePath; }  // "/dev/pts/N"
  const std::string& Home() const { return m_home; }
  const std::string& Error() const { return m_error; }

  bool SetFault(Fault fault, long long value);
  bool ClearFaults();
  // Sends one control line (e.g. "lock sim ng"); true when phonesim answered "ok".
  bool Control(const std::string& line);

  // Ends phonesim (its control input is closed, then SIGTERM, then SIGKILL) and removes a
  // temporary home. Also done by the destructor.
  void Stop();

 private:
  bool ReadLine(std::string& line, int timeoutMs);

  pid_t m_pid = -1;
  int m_toChild = -1;
  int m_fromChild = -1;
  std::string m_buffer;
  std::string m_comName;
  std::string m_devicePath;
  std::string m_home;
  bool m_ownsHome = false;
  std::string m_error;
};

}  // namespace phonesim
