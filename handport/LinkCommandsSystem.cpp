// The mode, identity, power and lock commands of the phone.
#include "LinkEngine.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <climits>

namespace {

// Commands whose one good answer is a fixed text. The phone spells some names its own way
// ("BacklightOff", "exit"); the mode and power answers are compared ignoring case, the others
// exactly.
struct DoneCommand {
  std::string_view command;
  std::string_view reply;
  bool ignoreCase;
};
constexpr DoneCommand kBackLightOff{"BackLightOff", "BacklightOff:DONE", true};
constexpr DoneCommand kTestModeOn{"TestModeOn", "TestModeOn:DONE", true};
constexpr DoneCommand kPowerSavingOff{"PowerSavingOff", "PowerSavingOff:DONE", true};
constexpr DoneCommand kPowerOff{"PowerOff", "PowerOff:DONE", true};
constexpr DoneCommand kExit{"EXIT", "exit:DONE", true};
constexpr DoneCommand kSetFunctionTest{"SetFunctionTest", "SetFunctionTest:DONE", true};
constexpr DoneCommand kSetCliConvert{"SetCliConvert", "SetCliConvert:DONE", false};

constexpr std::string_view kLockFree = "ShowLockInfo:RET:SIM=OK /PhoneLock=OFF/DaybookLock=OFF";

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace

int CLinkEngine::RunDoneCommand(std::string_view command, std::string_view expected, bool ignoreCase) {
  std::string reply;
  if (!Exchange(command, reply)) return 0;
  if (ignoreCase ? EqualsNoCase(reply, expected) : reply == expected) return 1;
  SetLastError(ERROR_PHONE_BAD_REPLY);
  return 0;
}

int CLinkEngine::RunValueCommand(std::string_view command, std::size_t minimum, bool exact, bool once,
                                 std::string& value) {
  std::string reply;
  if (!(once ? ExchangeOnce(command, reply) : Exchange(command, reply))) return 0;
  CReplyFields fields;
  fields.Split(reply, ":");
  const bool shaped = exact ? fields.GetCount() == minimum : fields.GetCount() >= minimum;
  // An ":ERROR:" answer has three fields too; its number is no value.
  if (!shaped || fields.GetField(1) != "RET") {
    SetLastError(ERROR_PHONE_BAD_REPLY);
    return 0;
  }
  value = fields.GetField(2);
  return 1;
}

int CLinkEngine::BackLightOff() { return RunDoneCommand(kBackLightOff.command, kBackLightOff.reply, kBackLightOff.ignoreCase); }
int CLinkEngine::TestModeOn() { return RunDoneCommand(kTestModeOn.command, kTestModeOn.reply, kTestModeOn.ignoreCase); }
int CLinkEngine::PowerSavingOff() {
  return RunDoneCommand(kPowerSavingOff.command, kPowerSavingOff.reply, kPowerSavingOff.ignoreCase);
}
int CLinkEngine::PowerOff() { return RunDoneCommand(kPowerOff.command, kPowerOff.reply, kPowerOff.ignoreCase); }
int CLinkEngine::Exit() { return RunDoneCommand(kExit.command, kExit.reply, kExit.ignoreCase); }
int CLinkEngine::SetFunctionTest() {
  return RunDoneCommand(kSetFunctionTest.command, kSetFunctionTest.reply, kSetFunctionTest.ignoreCase);
}
int CLinkEngine::SetCliConvert() {
  return RunDoneCommand(kSetCliConvert.command, kSetCliConvert.reply, kSetCliConvert.ignoreCase);
}

int CLinkEngine::ForceHWWD() { return SendFrame("ForceHWWD"); }

int CLinkEngine::ShowSwVersion(CString& version) {
  std::string value;
  if (!RunValueCommand("ShowSwVersion", 3, false, false, value)) return 0;
  version = value.c_str();
  return 1;
}

int CLinkEngine::ShowProductSerialNum(CString& serial) {
  std::string value;
  if (!RunValueCommand("ShowProductSerialNum", 3, false, false, value)) return 0;
  serial = value.c_str();
  return 1;
}

int CLinkEngine::ShowIMEI(std::span<char> text) {
  std::string value;
  if (!RunValueCommand("ShowIMEI", 3, false, false, value)) return 0;
  if (value.size() + 1 > text.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(value.begin(), value.end(), text.begin());
  text[value.size()] = '\0';
  return 1;
}

int CLinkEngine::ShowLockInfo(LockState& state) {
  state = LOCK_NOT_REPORTED;
  std::string reply;
  if (!Exchange("ShowLockInfo", reply)) return 0;
  if (Contains(reply, "SIM=OK") && Contains(reply, "PhoneLock=OFF") && Contains(reply, "DaybookLock=OFF")) return 1;
  // The first of the states found decides, in this order.
  constexpr std::pair<std::string_view, LockState> kStates[] = {
      {"SIM=NG", LOCK_NO_SIM}, {"PhoneLock=ON", LOCK_PHONE}, {"DaybookLock=ON", LOCK_DAYBOOK}};
  state = LOCK_UNKNOWN;
  for (const auto& [text, lock] : kStates) {
    if (Contains(reply, text)) {
      state = lock;
      break;
    }
  }
  return 0;
}

int CLinkEngine::VerifyLockInfo() {
  std::string reply;
  if (!Exchange("ShowLockInfo", reply)) return 0;
  if (EqualsNoCase(reply, kLockFree)) return 1;
  // The phone pads each state to three characters: "SIM=NG /PhoneLock=ON /DaybookLock=ON ".
  CReplyFields pieces;
  pieces.Split(reply, "RET:");
  CReplyFields parts;
  parts.Split(pieces.GetField(1), "/");
  if (parts.GetField(0) == "SIM=NG ") {
    SetLastError(ERROR_NO_SIM);
  } else if (parts.GetField(1) == "PhoneLock=ON ") {
    SetLastError(ERROR_PHONE_LOCKED);
  } else if (parts.GetField(2) == "DaybookLock=ON ") {
    SetLastError(ERROR_DATA_LOCKED);
  } else {
    SetLastError(ERROR_PHONE_BAD_REPLY);
  }
  return 0;
}

int CLinkEngine::ScheduleInit(int& value) {
  std::string text;
  if (!RunValueCommand("ScheduleInit", 3, false, false, text)) return 0;
  value = ReadNumber(text);
  return 1;
}

int CLinkEngine::GetFileSystemFreeSpace(int& bytes) {
  std::string text;
  if (!RunValueCommand("GetFileSystemFreeSpace", 3, true, true, text)) return 0;
  const int free = ReadNumber(text);
  if (free < 0) {
    SetLastError(ERROR_PHONE_BAD_REPLY);
    return 0;
  }
  bytes = free;
  return 1;
}

// The phone's count of its contacts, the one reader of this reply. Only a well-formed count is
// taken: a phone that cannot count ("...:RET:ERROR") has every slot read, but an error answer or a
// count that is no number fails, for a wrong count of 0 would pass for an empty phone book.
int CLinkEngine::GetPBRecordCount(int slotCount, int& count) {
  std::string reply;
  if (!Exchange("GetPBRecordCount", reply)) return 0;
  CReplyFields fields;
  fields.Split(reply, ":");
  if (fields.GetCount() != 3 || fields.GetField(0) != "GetPBRecordCount" || fields.GetField(1) != "RET") {
    SetLastError(ERROR_PHONE_BAD_REPLY);
    return 0;
  }
  if (fields.GetField(2) == "ERROR") {
    count = slotCount;
    return 1;
  }
  if (!ReadCount(fields.GetField(2), INT_MAX, count)) {
    SetLastError(ERROR_PHONE_BAD_REPLY);
    return 0;
  }
  return 1;
}
