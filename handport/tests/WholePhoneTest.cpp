// The whole-phone read and write against a scripted phone: the commands each sends for the phone
// families and versions, every kind moved from one phone through the phone object to another,
// the progress steps posted against the plans, and the failures that end a run.
#include "LinkEngine.h"
#include "PhoneDevice.h"
#include "support/FlashFilePhone.h"

#include <handport/PhoneErrors.h>
#include <phonesim/WholePhoneFiles.h>

#include <base/LastError.h>
#include <kernel/MessageQueue.h>
#include <user/Messages.h>
#include <user/Window.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD kAllKinds = 0x3FF;

// A window of the test's thread that counts the steps posted to it.
class StepWindow {
 public:
  StepWindow() {
    static const ATOM registered = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = DefWindowProcA;
      wc.lpszClassName = "WholePhoneSteps";
      return RegisterClassA(&wc);
    }();
    (void)registered;
    m_window = CreateWindowExA(0, "WholePhoneSteps", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  }
  ~StepWindow() { DestroyWindow(m_window); }
  HWND Handle() const { return m_window; }
  // The steps posted since the last count.
  int Count() const {
    int steps = 0;
    MSG message;
    while (PeekMessageA(&message, m_window, WM_PHONE_STEP, WM_PHONE_STEP, PM_REMOVE)) ++steps;
    return steps;
  }

 private:
  HWND m_window = nullptr;
};

// The phone side of the sequences: the mode, identity, lock and power commands answered as the
// phone does, beside the flash files.
struct ScriptedPhone {
  explicit ScriptedPhone(std::string version) {
    phone.SetVersion(std::move(version));
    phone.SetAnswer("TestModeOn", "TestModeOn:DONE");
    phone.SetAnswer("BackLightOff", "BacklightOff:DONE");
    phone.SetAnswer("ShowProductSerialNum", "ShowProductSerialNum:RET:HV0010201");
    phone.SetAnswer("ShowLockInfo", "ShowLockInfo:RET:SIM=OK /PhoneLock=OFF/DaybookLock=OFF");
    phone.SetAnswer("PowerOff", "PowerOff:DONE");
    phone.SetAnswer("SetCliConvert", "SetCliConvert:DONE");
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const std::string& command : phone.Commands()) {
      const std::string name = command.substr(0, command.find(','));
      if (name != "FFSRead" && name != "ShowBufferDump" && name != "InitFFSWrite" && name != "SetBufferDump" &&
          name != "FFSErase") {
        names.push_back(name);
      }
    }
    return names;
  }
  phonesim::FlashFiles Files() const {
    phonesim::FlashFiles files;
    for (const auto& [name, bytes] : seeded) files[name] = phone.File(name.first, name.second);
    return files;
  }
  void Seed(const phonesim::FlashFiles& files) {
    seeded = files;
    for (const auto& [name, bytes] : files) phone.SetFile(name.first, name.second, bytes);
  }

  FakeLinkService service;
  FlashFilePhone phone{service};
  CLinkEngine engine{service.Address()};
  phonesim::FlashFiles seeded;
};

class WholePhoneRun : public testing::Test {
 protected:
  void Connect(ScriptedPhone& side) {
    ASSERT_TRUE(side.service.Listening());
    ASSERT_EQ(side.engine.Connect(), 1);
    side.engine.SetTimeout(500);
  }
  StepWindow window;
};

}  // namespace

TEST_F(WholePhoneRun, TheCommandsOfEachFamilyAndVersion) {
  struct Case {
    const char* name;
    int family;
    const char* version;
    DWORD readResult;
    std::vector<std::string> read;
    std::vector<std::string> write;
  };
  const std::vector<std::string> readLocked = {"ShowSwVersion", "TestModeOn",    "ShowProductSerialNum",
                                               "BackLightOff",  "ShowSwVersion", "ShowLockInfo"};
  const Case cases[] = {
      {"family 8 checks its version and the locks", 8, "WD_6001", 0, readLocked,
       {"ShowSwVersion", "TestModeOn", "BackLightOff", "ShowLockInfo", "PowerOff"}},
      {"family 16 takes the letters W and J", 16, "WJ_6001", 0, readLocked,
       {"ShowSwVersion", "TestModeOn", "BackLightOff", "ShowLockInfo", "PowerOff"}},
      {"family 8 refuses a version of family 16", 8, "WJ_6001", ERROR_WRONG_SW_VERSION, {"ShowSwVersion"},
       {"ShowSwVersion"}},
      {"no family: the version only decides the lock check (E)", 0, "E_0100", 0,
       {"TestModeOn", "ShowProductSerialNum", "BackLightOff", "ShowSwVersion", "ShowLockInfo"},
       {"TestModeOn", "BackLightOff", "ShowLockInfo", "PowerOff"}},
      {"no family, a version without a lock check (Q)", 0, "Q_0100", 0,
       {"TestModeOn", "ShowProductSerialNum", "BackLightOff", "ShowSwVersion"},
       {"TestModeOn", "BackLightOff", "PowerOff"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPhone side(c.version);
    Connect(side);
    CPhoneDevice device(side.engine);
    device.SetPhoneFamily(c.family);
    EXPECT_EQ(device.ReadAll(), c.readResult);
    EXPECT_EQ(side.Names(), c.read);
    if (c.readResult == 0) {
      EXPECT_STREQ(device.GetSerialNumber(), "HV0010201");
      EXPECT_STREQ(device.GetModel(), c.version);
    }
    side.phone.ClearCommands();
    EXPECT_EQ(device.WriteAll(), c.readResult);
    EXPECT_EQ(side.Names(), c.write);
  }
}

TEST_F(WholePhoneRun, EveryKindGoesFromOnePhoneToAnotherWithItsStepsPostedAsPlanned) {
  ScriptedPhone from("WD_6001");
  Connect(from);
  from.Seed(phonesim::SamplePhoneObjectFiles());
  CPhoneDevice reader(from.engine);
  reader.SetPhoneFamily(8);
  // Every kind but the contacts, whose 500 files make a long run (the end-to-end test has them).
  reader.SetKindMask(kAllKinds & ~DATA_CONTACTS);
  reader.SetNotifyWindow(window.Handle());
  int planned = 0;
  reader.CountReadSteps(&planned);
  ASSERT_EQ(reader.ReadAll(), 0u) << std::hex << GetLastError();
  EXPECT_EQ(window.Count(), planned);
  EXPECT_EQ(from.phone.Commands("PowerOff").size(), 0u) << "a read that ends well leaves the phone on";
  EXPECT_STREQ(reader.Groups()[5].name, "Größe");
  EXPECT_EQ(reader.ScheduleEntries()[11].day, 12);
  EXPECT_EQ(reader.MediaItems(MediaArray::C)[0].further2, 7u);

  ScriptedPhone to("WD_6001");
  Connect(to);
  CPhoneDevice writer(to.engine);
  writer.CopyFrom(reader);
  // Raw blocks are not copied: they go from the object that read them.
  writer.SetRawBlock1(reader.RawBlock1().bytes);
  writer.SetRawBlock2(reader.RawBlock2().bytes);
  writer.SetPhoneFamily(8);
  writer.SetNotifyWindow(window.Handle());
  int estimate = 0;
  writer.EstimateWriteTime(&planned, &estimate);
  ASSERT_EQ(writer.WriteAll(), 0u) << std::hex << GetLastError();
  EXPECT_EQ(window.Count(), planned);
  to.seeded = from.seeded;
  phonesim::FlashFiles expected = from.seeded;
  for (auto& [name, bytes] : expected) {
    if (name.first == 256) bytes.clear();  // contacts were not selected
  }
  EXPECT_EQ(to.Files(), expected);
  EXPECT_EQ(to.phone.Commands("SetCliConvert").size(), 1u) << "array B holds an item";
  EXPECT_EQ(to.engine.Timeout(), 500) << "the engine's own time-out comes back";
  EXPECT_EQ(to.Names().back(), "PowerOff");
  EXPECT_FALSE(writer.RawBlock1().owned) << "a raw block is released once written";
}

TEST_F(WholePhoneRun, AFailureEndsTheRunWithItsErrorAndSwitchesThePhoneOff) {
  struct Case {
    const char* name;
    DWORD kinds;
    std::pair<int, int> file;
    std::string bytes;
    const char* command;  // answered "ERROR" when set
    DWORD error;
  };
  const Case cases[] = {
      {"a schedule block of 700 bytes", DATA_SCHEDULE, {100, 0}, std::string(700, '\0'), nullptr, ERROR_BLOCK_SIZE},
      {"a to-do block of 801 bytes", DATA_TODO, {103, 0}, std::string(801, '\0'), nullptr, ERROR_BLOCK_SIZE},
      {"a media header longer than its file", DATA_MEDIA_A, {111, 67}, std::string(28, '\x7F'), nullptr,
       ERROR_PHONE_BAD_REPLY},
      {"a header of array C that is not 28 bytes", DATA_MEDIA_C, {111, 0}, std::string(27, '\0'), nullptr,
       ERROR_PHONE_BAD_REPLY},
      {"a count of array C above its 10 items", DATA_MEDIA_C, {111, 0}, std::string(22, '\0') + "\x0B" + std::string(5, '\0'),
       nullptr, ERROR_PHONE_BAD_REPLY},
      {"a refused serial number query", 0, {0, 0}, "", "ShowProductSerialNum", ERROR_PHONE_BAD_REPLY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPhone side("WD_6001");
    Connect(side);
    phonesim::FlashFiles files = phonesim::SamplePhoneObjectFiles();
    files[c.file] = c.bytes;
    side.Seed(files);
    if (c.command) side.phone.SetAnswer(c.command, std::string(c.command) + ":ERROR:1");
    CPhoneDevice device(side.engine);
    device.SetKindMask(c.kinds);
    EXPECT_EQ(device.ReadAll(), c.error);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(side.Names().back(), "PowerOff");
  }
}

// The serial number check asks the phone and compares its answer, cut to the 64 characters a reply
// holds, with the object's serial number.
TEST_F(WholePhoneRun, TheSerialNumberCheckComparesThePhonesAnswer) {
  const std::string long70(70, '7');
  struct Case {
    const char* name;
    std::string answer;  // after "ShowProductSerialNum:"
    std::string stored;
    bool same;
    DWORD error;  // the last error when not the same
  };
  const Case cases[] = {
      {"the same number", "RET:HV0010201", "HV0010201", true, 0},
      {"another phone", "RET:HV0010201", "HV0010202", false, ERROR_SERIAL_MISMATCH},
      {"an empty number stored", "RET:HV0010201", "", false, ERROR_SERIAL_MISMATCH},
      {"an answer cut to 64 characters", "RET:" + long70, long70.substr(0, 64), true, 0},
      {"the whole of a longer answer stored", "RET:" + long70, long70, false, ERROR_SERIAL_MISMATCH},
      {"a refused query", "ERROR:1", "HV0010201", false, ERROR_PHONE_BAD_REPLY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPhone side("WD_6001");
    Connect(side);
    side.phone.SetAnswer("ShowProductSerialNum", "ShowProductSerialNum:" + c.answer);
    CPhoneDevice device(side.engine);
    device.SetSerialNumber(c.stored.c_str());
    SetLastError(0);
    EXPECT_EQ(device.CheckSerialNumber(), c.same);
    if (!c.same) {
      EXPECT_EQ(GetLastError(), c.error);
    }
  }
  // An object without a link to a phone has nothing to ask.
  class Unconnected final : public CPhoneBase {
   public:
    int GetPhoneType() const override { return 0; }
    CString GetModelCode() const override { return ""; }
    int GetModelFlag() const override { return 0; }
  } unconnected;
  EXPECT_FALSE(unconnected.CheckSerialNumber());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(WholePhoneRun, AWriteThatFailsStillSwitchesThePhoneOffAndKeepsTheFirstError) {
  ScriptedPhone side("WD_6001");
  Connect(side);
  side.phone.SetAnswer("InitFFSWrite", "InitFFSWrite:ERROR:4");
  CPhoneDevice device(side.engine);
  device.SetKindMask(DATA_GROUPS | DATA_MEDIA_B);
  ASSERT_EQ(device.SetMediaItem(MediaArray::B, 0, "pic", 0, std::vector<BYTE>{1, 2, 3}), 1);
  EXPECT_EQ(device.WriteAll(), ERROR_PHONE_BAD_REPLY);
  EXPECT_TRUE(side.phone.Commands("SetCliConvert").empty()) << "nothing to convert after a failure";
  EXPECT_EQ(side.Names().back(), "PowerOff");
}

TEST_F(WholePhoneRun, APhoneThatStopsAnsweringEndsTheErasesOfEmptyContactSlots) {
  ScriptedPhone side("WD_6001");
  Connect(side);
  side.phone.SetAnswer("FFSErase", "");  // no answer at all
  CPhoneDevice device(side.engine);
  device.SetKindMask(DATA_CONTACTS);
  EXPECT_EQ(device.WriteAll(), ERROR_PHONE_NO_REPLY);
  EXPECT_EQ(side.phone.Commands("FFSErase").size(), 3u) << "one slot's attempts, not every slot's";
}

TEST_F(WholePhoneRun, OldVersionsOfAnOddPhoneTypeKeepTheirContacts) {
  class OddPhone final : public CPhoneBase {
   public:
    explicit OddPhone(CLinkEngine& engine) : CPhoneBase(&engine) { SetPhoneType(65); }
    int GetPhoneType() const override { return 65; }
    CString GetModelCode() const override { return "00103"; }
    int GetModelFlag() const override { return 1; }
  };
  // A version that passes goes on to the contact files (refused here, to keep the run short).
  for (const auto& [version, result] :
       {std::pair{"WD5715", ERROR_CONTACTS_OLD_VERSION}, std::pair{"WD5716", ERROR_PHONE_BAD_REPLY}}) {
    ScriptedPhone side(version);
    Connect(side);
    side.phone.SetAnswer("FFSRead", "FFSRead:ERROR:1");
    OddPhone phone(side.engine);
    phone.SetKindMask(DATA_CONTACTS);
    EXPECT_EQ(phone.ReadAll(), result) << version;
  }
}
