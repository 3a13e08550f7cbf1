#include "CommandTable.h"

#include "commands/Families.h"

#include <sstream>
#include <stdexcept>

namespace phonesim {

void CommandCall::Done(std::string_view replyName) { replies.push_back(std::string(replyName) + ":DONE"); }

void CommandCall::Ret(std::string_view replyName, std::string_view value) {
  replies.push_back(std::string(replyName) + ":RET:" + std::string(value));
}

void CommandCall::Error(std::string_view replyName, int number) {
  replies.push_back(std::string(replyName) + ":ERROR:" + std::to_string(number));
}

CommandTable CommandTable::Full() {
  CommandTable table;
  for (auto family : {SystemCommands, LockCommands, FlashFileCommands, MediaCommands, MessageCommands, MailCommands}) {
    table.Add(family());
  }
  for (auto family : {LockControls}) table.AddControls(family());
  return table;
}

void CommandTable::Add(std::vector<CommandEntry> family) {
  for (CommandEntry& entry : family) {
    const std::string name = entry.name;
    if (!m_entries.emplace(name, std::move(entry)).second) {
      throw std::logic_error("command registered twice: " + name);
    }
  }
}

void CommandTable::AddControls(std::vector<ControlEntry> family) {
  for (ControlEntry& entry : family) {
    const std::string verb = entry.verb;
    if (!m_controls.emplace(verb, std::move(entry)).second) {
      throw std::logic_error("control verb registered twice: " + verb);
    }
  }
}

std::optional<std::string> CommandTable::RunControl(std::string_view line, PhoneState& phone) const {
  std::istringstream in{std::string(line)};
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  if (words.empty()) return std::nullopt;
  const auto found = m_controls.find(words.front());
  if (found == m_controls.end()) return std::nullopt;
  return found->second.handler(std::vector<std::string>(words.begin() + 1, words.end()), phone);
}

std::vector<std::string> CommandTable::Run(std::string_view text, PhoneState& phone, PteSession& session) const {
  CommandCall call{{}, {}, phone, session, {}};
  const std::size_t comma = text.find(',');
  call.name = std::string(text.substr(0, comma));
  if (comma != std::string_view::npos) {
    std::string_view rest = text.substr(comma + 1);
    while (true) {
      const std::size_t next = rest.find(',');
      call.args.emplace_back(rest.substr(0, next));
      if (next == std::string_view::npos) break;
      rest = rest.substr(next + 1);
    }
  }
  session.after = AfterCommand::Stay;
  const auto found = m_entries.find(call.name);
  if (found == m_entries.end()) {
    call.Error(call.name, kErrorUnknownCommand);
  } else if (found->second.needsCommandSet && session.commandSet != phone.Model().modelCode) {
    call.Error(call.name, kErrorNoCommandSet);
  } else {
    found->second.handler(call);
  }
  return std::move(call.replies);
}

}  // namespace phonesim
