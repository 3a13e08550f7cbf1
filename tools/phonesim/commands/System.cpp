// The mode, identity and power commands: choosing the model's command set, the phone's mode
// switches, its software version and identity, and switching it off, resetting it or leaving the
// command mode.
#include "Families.h"

#include <cstdio>

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

// The identity of each simulated phone is fixed by its model row, so runs are repeatable.
void ShowIMEI(CommandCall& call) {
  char imei[16];
  std::snprintf(imei, sizeof imei, "35481205%02d%05d", call.phone.Model().row, 123);
  call.Ret("ShowIMEI", imei);
}

void ShowProductSerialNum(CommandCall& call) {
  char serial[32];
  std::snprintf(serial, sizeof serial, "HV%.*s%04d", static_cast<int>(call.phone.Model().modelCode.size()),
                call.phone.Model().modelCode.data(), 1000 + call.phone.Model().row);
  call.Ret("ShowProductSerialNum", serial);
}

void PowerOff(CommandCall& call) {
  call.Done("PowerOff");
  call.session.after = AfterCommand::PowerOff;
}

// The hardware watchdog resets the phone at once: no answer, and it is off for a while.
void ForceHWWD(CommandCall& call) { call.session.after = AfterCommand::PowerOff; }

void Exit(CommandCall& call) {
  call.Done("exit");
  call.session.after = AfterCommand::LeaveCommandMode;
}

// Commands that only switch something inside the phone and say so, in the phone's spelling.
CommandHandler Done(std::string replyName) {
  return [replyName](CommandCall& call) {
    if (!call.args.empty()) return call.Error(replyName, kErrorBadArguments);
    call.Done(replyName);
  };
}

}  // namespace

std::vector<CommandEntry> SystemCommands() {
  return {
      {"UsePteCommand", UsePteCommand, false},
      {"ShowSwVersion", ShowSwVersion},
      {"ShowIMEI", ShowIMEI},
      {"ShowProductSerialNum", ShowProductSerialNum},
      {"BackLightOff", Done("BacklightOff")},
      {"TestModeOn", Done("TestModeOn")},
      {"PowerSavingOff", Done("PowerSavingOff")},
      {"SetFunctionTest", Done("SetFunctionTest")},
      {"SetCliConvert", Done("SetCliConvert")},
      {"PowerOff", PowerOff},
      {"ForceHWWD", ForceHWWD},
      {"EXIT", Exit},
  };
}

}  // namespace phonesim
