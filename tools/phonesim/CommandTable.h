#pragma once
// The phone's PTE command set, as a table of {name, handler} entries filled by the command
// families (one source file each under commands/). A handler reads the call's arguments and the
// phone's state and answers with zero or more reply texts in the phone's form: the reply name,
// then ":DONE", ":RET:" and a value, or ":ERROR:" and a number.
#include "PhoneState.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phonesim {

// Error numbers the phone answers with when it refuses a command.
inline constexpr int kErrorUnknownCommand = 1;
inline constexpr int kErrorNoCommandSet = 2;  // "UsePteCommand" has not chosen this model's set
inline constexpr int kErrorBadArguments = 3;

// What the phone does once the replies of a command have gone out.
enum class AfterCommand { Stay, PowerOff, LeaveCommandMode };

// The command-mode state of one wake-up: forgotten when the phone leaves command mode.
struct PteSession {
  std::string commandSet;  // the model code accepted by "UsePteCommand"; empty until then
  AfterCommand after = AfterCommand::Stay;
};

struct CommandCall {
  std::string name;               // the text before the first ','
  std::vector<std::string> args;  // the ','-separated texts after it
  PhoneState& phone;
  PteSession& session;
  std::vector<std::string> replies;

  void Done(std::string_view replyName);
  void Ret(std::string_view replyName, std::string_view value);
  void Error(std::string_view replyName, int number);
};

using CommandHandler = std::function<void(CommandCall&)>;

struct CommandEntry {
  std::string name;  // as the PC sends it, compared exactly
  CommandHandler handler;
  bool needsCommandSet = true;  // answered only after "UsePteCommand" chose the phone's own set
};

// A control line that sets some of the phone's state (its locks, for one), offered by a family:
// the handler takes the words after the verb and gives an empty text on success, else the reason
// it refused them.
using ControlHandler = std::function<std::string(const std::vector<std::string>& args, PhoneState& phone)>;

struct ControlEntry {
  std::string verb;
  ControlHandler handler;
};

class CommandTable {
 public:
  // The table with every family of the phone's command set.
  static CommandTable Full();

  void Add(std::vector<CommandEntry> family);

  // Runs one command text; gives the replies, and leaves in session.after what the phone does next.
  std::vector<std::string> Run(std::string_view text, PhoneState& phone, PteSession& session) const;

  void AddControls(std::vector<ControlEntry> family);
  // Runs a control line whose verb a family offers: the empty text or the reason it was refused.
  // None when no family knows the verb.
  std::optional<std::string> RunControl(std::string_view line, PhoneState& phone) const;

 private:
  std::map<std::string, CommandEntry, std::less<>> m_entries;
  std::map<std::string, ControlEntry, std::less<>> m_controls;
};

}  // namespace phonesim
