// Phone detection against the simulated phone on pseudo-terminals: the AT probe and the PTE probe for
// every model row, no phone at all, and the port list with its pairing of modem and data ports, the
// device walk of version-4 systems, and ports that another program holds.
#include "PhoneProbe.h"
#include "SerialPort.h"
#include "SerialPortDiscovery.h"

#include <PseudoPort.h>
#include <TemporaryHome.h>
#include <phonesim/PhoneSimProcess.h>

#include <linkwell/PteFrame.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Object.h>
#include <kernel/Process.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>
#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

std::ostream& operator<<(std::ostream& out, const PortRow& row) {
  return out << "(" << row.probePort << ", " << row.reportPort << ", " << row.deviceName << ")";
}

namespace {

using tolvar::comm::testing::PseudoPort;
using tolvar::comm::testing::TemporaryHome;

struct ModelRow {
  const char* model;    // what the simulated phone plays
  const char* atModel;  // its answer to "AT+GMM"
  int code;
  const char* pteModel;  // what the PTE probe names it by its version
  int pteRow;
};

// Quarn's version "YQT_..." holds no letter that picks a model of its family: the PTE probe names it
// by the family's first model.
constexpr ModelRow kRows[] = {
    {"Ostrel", "Ostrel-100", 64, "Ostrel", 0}, {"Pimsy", "Pimsy-S", 64, "Pimsy", 0},
    {"Quarn", "Quarn2", 64, "Ostrel", 0},      {"Ruvel", "Ruvel-E", 64, "Ruvel", 0},
    {"Selka", "Selka-X", 128, "Selka", 1},     {"Tavik", "Tavik-D", 128, "Tavik", 1},
    {"Ulmar", "Ulmar-U", 2048, "Ulmar", 2},    {"Vesk", "Vesk-D", 2048, "Vesk", 2},
    {"Wirra", "Wirra-C", 512, "Wirra", 3},     {"Yorne", "Yorne-E", 512, "Yorne", 3},
    {"Zenno", "Zenno-M", 1024, "Zenno", 4},
};

class Detection : public testing::Test {
 protected:
  void StartPhone(const std::string& model, std::vector<std::string> arguments = {}) {
    ASSERT_TRUE(m_phone.Start({.model = model, .home = m_home.Path(), .arguments = std::move(arguments)}))
        << m_phone.Error();
    ASSERT_TRUE(m_phone.ComName().starts_with("COM")) << m_phone.ComName();
  }
  void SetMapValue(const std::string& name, const std::string& port) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                             static_cast<DWORD>(port.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
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
  static PortList Discover() {
    PortList ports;
    DiscoverSerialPorts(ports);
    return ports;
  }
  void TearDown() override {
    m_phone.Stop();
    unsetenv("TOLVAR_WINDOWS_VERSION");
  }

  TemporaryHome m_home;
  phonesim::PhoneSimProcess m_phone;
};

TEST_F(Detection, TheAtProbeNamesEveryModelRowAndItsCode) {
  for (const ModelRow& row : kRows) {
    SCOPED_TRACE(row.model);
    StartPhone(row.model);
    std::string model;
    EXPECT_EQ(ProbePhoneAT(m_phone.ComName(), model), row.code);
    EXPECT_EQ(model, row.atModel);
    m_phone.Stop();
  }
}

TEST_F(Detection, ThePteProbeNamesEveryModelRowByItsVersion) {
  for (const ModelRow& row : kRows) {
    SCOPED_TRACE(row.model);
    StartPhone(row.model);
    std::string model;
    EXPECT_EQ(ProbePhonePte(m_phone.ComName(), model, 0, PTE_PROBE_ROWS - 1), row.code) << std::hex << GetLastError();
    EXPECT_EQ(model, row.pteModel);
    EXPECT_EQ(RememberedPteRow(), row.pteRow);
    m_phone.Stop();
  }
}

TEST_F(Detection, AVersionOfAnotherFamilyIsNoPhoneThoughThePhoneAnswered) {
  StartPhone("Tavik", {"--sw-version", "YE_0100"});
  std::string model;
  EXPECT_EQ(ProbePhonePte(m_phone.ComName(), model, 0, PTE_PROBE_ROWS - 1), -1);
  EXPECT_EQ(model, "No Phone");
  EXPECT_EQ(GetLastError(), ERROR_NO_PHONE_FOUND);
  EXPECT_EQ(RememberedPteRow(), -1);
}

TEST_F(Detection, ARememberedRowIsTheOnlyOneTried) {
  StartPhone("Tavik");
  std::string model;
  ASSERT_EQ(ProbePhonePte(m_phone.ComName(), model, 0, PTE_PROBE_ROWS - 1), 128);
  ASSERT_EQ(RememberedPteRow(), 1);
  m_phone.Stop();
  StartPhone("Wirra");
  // Only row 1 (the Z family) is asked; the C-family phone refuses its model code.
  EXPECT_EQ(ProbePhonePte(m_phone.ComName(), model, RememberedPteRow(), RememberedPteRow()), -1);
  EXPECT_EQ(model, "No Phone");
  EXPECT_EQ(RememberedPteRow(), -1);
  EXPECT_EQ(ProbePhonePte(m_phone.ComName(), model, 0, PTE_PROBE_ROWS - 1), 512);
  EXPECT_EQ(model, "Wirra");
}

TEST_F(Detection, NoPhoneIsNoPhoneAndMinusOne) {
  StartPhone("Selka", {"--silent"});
  std::string model;
  EXPECT_EQ(ProbePhoneAT(m_phone.ComName(), model), -1);
  EXPECT_EQ(model, "No Phone");
  model.clear();
  EXPECT_EQ(ProbePhoneAT("COM77", model), -1);  // no such port: silence as well
  EXPECT_EQ(model, "No Phone");
  model.clear();
  EXPECT_EQ(ProbePhonePte("COM77", model, 0, PTE_PROBE_ROWS - 1), -1);
  EXPECT_EQ(model, "No Phone");
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);  // the port's own error is kept
  model.clear();
  EXPECT_EQ(ProbePhonePte(m_phone.ComName(), model, 0, PTE_PROBE_ROWS - 1), -1);
  EXPECT_EQ(model, "No Phone");
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
}

// An AT command answers 1 on "OK" and -1 on "ERROR"; the probe takes only the maker's phones, and
// an "ATE1" the phone refuses still lets it go on to the model and the maker.
TEST_F(Detection, TheAtProbeTakesOnlyTheMakersPhonesAndGoesOnPastARefusedEcho) {
  StartPhone("Selka", {"--refuse-echo"});
  {
    CSerialPort port;
    port.SetPortName(m_phone.ComName().c_str(), 115200);
    port.SetEventMask(2);  // the probe's mask, whose arrivals wake SendATCommand
    ASSERT_EQ(port.OpenPort(), 0);
    std::string text = "AT\r\n";
    EXPECT_EQ(SendATCommand(port, text, 3000), 1);
    EXPECT_NE(text.find("OK"), std::string::npos);
    text = "ATE1\r\n";
    EXPECT_EQ(SendATCommand(port, text, 3000), -1);
    EXPECT_NE(text.find("ERROR"), std::string::npos);
    port.ClosePort();
  }
  std::string model;
  EXPECT_EQ(ProbePhoneAT(m_phone.ComName(), model), 128);
  EXPECT_EQ(model, "Selka-X");
  m_phone.Stop();

  StartPhone("Selka", {"--maker", "Orvane"});
  model.clear();
  EXPECT_EQ(ProbePhoneAT(m_phone.ComName(), model), -1);
  EXPECT_EQ(model, "No Phone");
}

TEST_F(Detection, TheAtTimeOutIsWrittenWhenMissingAndReadWhenThere) {
  StartPhone("Zenno");
  std::string model;
  ASSERT_EQ(ProbePhoneAT(m_phone.ComName(), model), 1024);
  EXPECT_EQ(LoadATTimeOut(), 3000u);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  DWORD value = 0;
  DWORD size = sizeof value;
  ASSERT_EQ(RegQueryValueExA(key, "ATTimeOut", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 3000u);
  value = 1200;
  ASSERT_EQ(RegSetValueExA(key, "ATTimeOut", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(LoadATTimeOut(), 1200u);
}

TEST_F(Detection, EachPortThatOpensIsARowAndModemAndDataPortsOfAPhonePair) {
  PseudoPort serial, modem, data;
  SetMapValue("\\Device\\Serial0", serial.ComName());
  SetMapValue("\\Device\\Serial1", "COM40");  // no such port: it cannot be opened
  SetMapValue("USBSER000", "COM41");          // the phone's own row, joined by its two ports below
  SetMapValue("USBMDM000", modem.ComName());
  SetMapValue("USBOBX000", data.ComName());
  SetMapValue("USBATC000", serial.ComName());  // a port for AT commands only: never listed
  SetMapValue("BTMDM7", serial.ComName());     // half a phone whose other half is missing
  const PortList expected{
      {serial.ComName(), serial.ComName(), serial.SlavePath()},
      {modem.ComName(), modem.ComName(), modem.SlavePath()},
      {data.ComName(), data.ComName(), data.SlavePath()},
      {serial.ComName(), serial.ComName(), "\\Device\\Serial0"},
      {modem.ComName(), data.ComName(), "USBSER000"},
  };
  EXPECT_EQ(Discover(), expected);
}

TEST_F(Detection, OnlyVersionFourWalksTheDeviceKeysAndOnlyFourAndFiveListPorts) {
  PseudoPort first, second;
  // Rows named after their ports, and the phone's modem and data keys below "Enum\WDM_MODEM".
  SetMapValue(second.ComName(), second.ComName());
  SetMapValue(first.ComName(), first.ComName());
  AddDeviceKey("USB#VID_2F3A&PID_0100&MODEM&X", first.ComName());
  AddDeviceKey("USB#VID_2F3A&PID_0100&OBEX&X", second.ComName());
  const PortRow firstAlone{first.ComName(), first.ComName(), first.SlavePath()};
  const PortRow secondAlone{second.ComName(), second.ComName(), second.SlavePath()};

  setenv("TOLVAR_WINDOWS_VERSION", "5.1", 1);
  EXPECT_EQ(Discover(), (PortList{firstAlone, secondAlone, {second.ComName(), second.ComName(), second.ComName()},
                                  {first.ComName(), first.ComName(), first.ComName()}}));
  // The data port's key takes the port from every other row that reported it.
  setenv("TOLVAR_WINDOWS_VERSION", "4.0", 1);
  EXPECT_EQ(Discover(), (PortList{firstAlone, {first.ComName(), second.ComName(), "X"}}));
  setenv("TOLVAR_WINDOWS_VERSION", "6.0", 1);
  EXPECT_EQ(Discover(), PortList{});
}

TEST_F(Detection, APortThatAnotherProgramHoldsDropsOutOfTheList) {
  PseudoPort free, held;
  const PortRow freeRow{free.ComName(), free.ComName(), free.SlavePath()};
  const PortRow heldRow{held.ComName(), held.ComName(), held.SlavePath()};
  ASSERT_EQ(Discover(), (PortList{freeRow, heldRow}));

  HANDLE heldEvent = CreateEventA(nullptr, TRUE, FALSE, "linkwell test port held");
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "linkwell test port release");
  const std::string program = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "linkwell_port_holder").string();
  std::string commandLine = program + " " + held.ComName();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  ASSERT_EQ(WaitForSingleObject(heldEvent, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(Discover(), PortList{freeRow});
  std::string model;
  EXPECT_EQ(ProbePhoneAT(held.ComName(), model), -1);
  SetEvent(release);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(Discover(), (PortList{freeRow, heldRow}));
  for (HANDLE handle : {process.hProcess, process.hThread, heldEvent, release}) CloseHandle(handle);
}

}  // namespace
