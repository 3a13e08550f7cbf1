// The mode, identity and power commands: choosing the model's command set, the software version,
// and switching the phone off.
#include "Families.h"

namespace phonesim {

namespace {

void UsePteCommand(CommandCall& call) {
  if (call.args.size() != 1) return call.Error("UsePteCommand", kErrorBadArguments);
  // Only the phone's own model code opens its command set; another code is refused with 0 and
  // leaves the choice made before as it was.
  if (call.args[0] != call.phone.Model().modelCode) return call.Ret("UsePteCommand", "0");
  call.session.commandSet = call.args[0];
  call.Ret("UsePteCommand", "1");
}

void ShowSwVersion(CommandCall& call) { call.Ret("ShowSwVersion", call.phone.SoftwareVersion()); }

void PowerOff(CommandCall& call) {
  call.Done("PowerOff");
  call.session.after = AfterCommand::PowerOff;
}

}  // namespace

std::vector<CommandEntry> SystemCommands() {
  return {
      {"UsePteCommand", UsePteCommand, false},
      {"ShowSwVersion", ShowSwVersion},
      {"PowerOff", PowerOff},
  };
}

}  // namespace phonesim
