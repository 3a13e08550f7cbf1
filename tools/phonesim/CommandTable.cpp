#include "CommandTable.h"

#include "commands/Families.h"

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
  for (auto family : {SystemCommands}) table.Add(family());
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
