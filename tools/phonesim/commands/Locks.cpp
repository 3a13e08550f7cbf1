// The lock query: whether a SIM is in and whether the phone lock or the lock of the phone's own
// data (its daybook) is on. The states are kept in the store "locks" and set with control lines,
// so a test can give each answer:
//   lock sim ok|ng   lock phone on|off   lock daybook on|off   lock unreadable on|off
// "unreadable" makes the phone answer with a text that names none of the states.
#include "Families.h"
#include "StoreFiles.h"

#include <cctype>
#include <map>

namespace phonesim {

namespace {

constexpr const char* kStore = "locks";
constexpr const char* kFile = "locks.ini";

struct LockSwitch {
  std::string_view on;   // the value that a switch's first word sets
  std::string_view off;
  std::string_view initial;
};

// The switches by the control line's word; each value is a word of the phone's answer.
const std::map<std::string, LockSwitch, std::less<>> kSwitches{
    {"sim", {"ng", "ok", "ok"}},
    {"phone", {"on", "off", "off"}},
    {"daybook", {"on", "off", "off"}},
    {"unreadable", {"on", "off", "off"}},
};

std::map<std::string, std::string, std::less<>> ReadLocks(const PhoneState& phone) {
  std::map<std::string, std::string, std::less<>> locks;
  for (const auto& [name, lock] : kSwitches) locks[name] = std::string(lock.initial);
  for (const std::string& line : ReadStoreLines(phone.StoreFolder(kStore) / kFile)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    if (kSwitches.count(name)) locks[name] = line.substr(equals + 1);
  }
  return locks;
}

// The phone pads each state to three characters: "SIM=OK /PhoneLock=OFF/DaybookLock=OFF".
std::string Padded(std::string value) {
  for (char& c : value) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  value.resize(3, ' ');
  return value;
}

void ShowLockInfo(CommandCall& call) {
  const auto locks = ReadLocks(call.phone);
  if (locks.at("unreadable") == "on") return call.Ret("ShowLockInfo", "LOCKS=UNREADABLE");
  call.Ret("ShowLockInfo", "SIM=" + Padded(locks.at("sim")) + "/PhoneLock=" + Padded(locks.at("phone")) +
                               "/DaybookLock=" + Padded(locks.at("daybook")));
}

std::string SetLock(const std::vector<std::string>& args, PhoneState& phone) {
  if (args.size() != 2) return "expected: lock sim ok|ng, lock phone|daybook|unreadable on|off";
  const auto found = kSwitches.find(args[0]);
  if (found == kSwitches.end()) return "no lock named " + args[0];
  if (args[1] != found->second.on && args[1] != found->second.off) {
    return "lock " + args[0] + " takes " + std::string(found->second.off) + " or " + std::string(found->second.on);
  }
  auto locks = ReadLocks(phone);
  locks[args[0]] = args[1];
  std::vector<std::string> lines;
  for (const auto& [name, value] : locks) lines.push_back(name + "=" + value);
  if (!WriteStoreLines(phone.StoreFolder(kStore) / kFile, lines)) return "cannot write the lock states";
  return {};
}

}  // namespace

std::vector<CommandEntry> LockCommands() { return {{"ShowLockInfo", ShowLockInfo}}; }

std::vector<ControlEntry> LockControls() { return {{"lock", SetLock}}; }

}  // namespace phonesim
