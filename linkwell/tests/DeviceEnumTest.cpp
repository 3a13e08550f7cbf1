// The walk of the device keys below "Enum\WDM_MODEM" that joins a phone's modem and data ports into
// one row, on registry keys a test writes into machine.reg.
#include "SerialPortDiscovery.h"

#include "support/TestHome.h"

#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

std::ostream& operator<<(std::ostream& out, const PortRow& row) {
  return out << "(" << row.probePort << ", " << row.reportPort << ", " << row.deviceName << ")";
}

namespace {

using linkwell::testing::TestHome;

void AddDeviceKey(const std::string& path, const std::string& port) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ("Enum\\WDM_MODEM\\" + path).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "PORTNAME", 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                           static_cast<DWORD>(port.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

constexpr char kModemKey[] = "USB#Vid_2f3a&Pid_0100&Modem&X";  // the vendor test ignores case
constexpr char kDataKey[] = "USB#VID_2F3A&PID_0100&OBEX&X";

struct WalkCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> keys;  // in the order they enumerate
  PortList rows;
  PortList expected;
};

// Test names show the case, not its bytes.
void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }

const PortRow kCom5{"COM5", "COM5", "COM5"};
const PortRow kCom6{"COM6", "COM6", "COM6"};
const PortRow kPhone{"COM5", "COM6", "X"};

const WalkCase kWalkCases[] = {
    {"ModemKeyFirst", {{kModemKey, "COM5"}, {kDataKey, "COM6"}}, {kCom6, kCom5}, {kPhone}},
    {"DataKeyFirst", {{kDataKey, "COM6"}, {kModemKey, "COM5"}}, {kCom6, kCom5}, {kPhone}},
    {"RowsTheOtherWayRound", {{kModemKey, "COM5"}, {kDataKey, "COM6"}}, {kCom5, kCom6}, {kPhone}},
    {"OtherRowsStay",
     {{kModemKey, "COM5"}, {kDataKey, "COM6"}},
     {{"COM1", "COM1", "/dev/ttyS0"}, kCom6, kCom5, {"COM9", "COM9", "COM9"}},
     {{"COM1", "COM1", "/dev/ttyS0"}, kPhone, {"COM9", "COM9", "COM9"}}},
    {"AModemKeyAloneRenamesItsRow", {{kModemKey, "COM5"}}, {kCom6, kCom5}, {kCom6, {"COM5", "COM5", "X"}}},
    {"KeysOfAnotherMakerAreNotWalked",
     {{"USB#VID_1234&PID_0100&MODEM&X", "COM5"}, {"USB#VID_1234&PID_0100&OBEX&X", "COM6"}},
     {kCom6, kCom5},
     {kCom6, kCom5}},
    {"KeysOfTheMakerThatAreNoPortsAreNotWalked", {{"USB#VID_2F3A&PID_0100&MIDI&X", "COM5"}}, {kCom5}, {kCom5}},
    {"NoKeysChangeNothing", {}, {kCom6, kCom5}, {kCom6, kCom5}},
};

class DeviceEnumWalk : public testing::TestWithParam<WalkCase> {};

TEST_P(DeviceEnumWalk, JoinsTheModemAndDataPortsOfOneDevice) {
  TestHome home;
  const WalkCase& c = GetParam();
  for (const auto& [path, port] : c.keys) AddDeviceKey(path, port);
  PortList rows = c.rows;
  ScanDeviceEnumKey("WDM_MODEM", rows);
  EXPECT_EQ(rows, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, DeviceEnumWalk, testing::ValuesIn(kWalkCases),
                         [](const testing::TestParamInfo<WalkCase>& info) { return info.param.name; });

TEST(DeviceEnumWalk, ANestedKeyIsWalkedBeforeItsParentsValues) {
  TestHome home;
  // The data port's key lies below the modem's: the data port is given first, the modem's after.
  AddDeviceKey(std::string(kModemKey), "COM5");
  AddDeviceKey(std::string(kModemKey) + "\\VID_2F3A&OBEX&X", "COM6");
  PortList rows{kCom5, kCom6};
  ScanDeviceEnumKey("WDM_MODEM", rows);
  EXPECT_EQ(rows, (PortList{kPhone}));
}

}  // namespace
