// The serial device map made from a fake sysfs and /dev tree: which ttys count, the COM names they
// are given and keep, and values stored in machine.reg.
#include "TestHome.h"

#include <registry/SerialDevices.h>
#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace tolvar::registry;
using namespace tolvar::registry::testing;
namespace fs = std::filesystem;

namespace {

using DeviceList = std::vector<std::pair<std::string, std::string>>;

class SerialDevicesTest : public ::testing::Test {
protected:
  // A tty as sysfs shows it: `uartType` < 0 leaves out the "device" link, as for a console.
  void AddTty(const std::string& name, int uartType = -1, bool withDevice = true) {
    fs::path tty = fs::path(home.SysRoot()) / "class" / "tty" / name;
    fs::create_directories(tty);
    if (withDevice) fs::create_directories(tty / "device");
    if (uartType >= 0) WriteFile((tty / "type").string(), std::to_string(uartType) + "\n");
    WriteFile(Dev(name), "");
  }
  void RemoveTty(const std::string& name) {
    fs::remove_all(fs::path(home.SysRoot()) / "class" / "tty" / name);
    fs::remove(Dev(name));
  }
  void LinkById(const std::string& id, const std::string& name) {
    fs::path folder = fs::path(home.DevRoot()) / "serial" / "by-id";
    fs::create_directories(folder);
    fs::remove(folder / id);
    fs::create_symlink("../../" + name, folder / id);
  }
  std::string Dev(const std::string& name) const { return home.DevRoot() + "/" + name; }

  // SERIALCOMM as a program of the suite reads it.
  DeviceList EnumerateSerialComm() {
    DeviceList list;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    for (DWORD i = 0;; ++i) {
      char name[256], data[256];
      DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
      LSTATUS status = RegEnumValueA(key, i, name, &nameSize, nullptr, &type,
                                     reinterpret_cast<BYTE*>(data), &dataSize);
      if (status != ERROR_SUCCESS) {
        EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
        break;
      }
      EXPECT_EQ(type, REG_SZ);
      list.emplace_back(name, data);
    }
    RegCloseKey(key);
    return list;
  }

  TestHome home;
};

}  // namespace

TEST_F(SerialDevicesTest, ListsUartsUsbAndAcmDevicesFromSysfs) {
  AddTty("ttyS0", 4);                 // a 16550A
  AddTty("ttyS1", 0);                 // PORT_UNKNOWN: nothing there
  AddTty("ttyS2", 4, false);          // no device behind it
  AddTty("ttyS3", -1);                // no type file
  AddTty("ttyUSB0");
  AddTty("ttyUSB10");
  AddTty("ttyUSB2");
  AddTty("ttyACM0");
  AddTty("tty1");
  AddTty("console");
  AddTty("ttyUSBx");

  const DeviceList expected{{Dev("ttyACM0"), "COM1"},  {Dev("ttyS0"), "COM2"},
                            {Dev("ttyUSB0"), "COM3"},  {Dev("ttyUSB2"), "COM4"},
                            {Dev("ttyUSB10"), "COM5"}};
  EXPECT_EQ(EnumerateSerialComm(), expected);
  EXPECT_EQ(ListSerialDevices(), expected);
  EXPECT_EQ(DevicePathForComName("com4"), Dev("ttyUSB2"));
  EXPECT_EQ(DevicePathForComName("COM9"), std::nullopt);
  EXPECT_EQ(DevicePathForComName(""), std::nullopt);

  // The names are kept in machine.reg, readable by anyone.
  std::string machine = ReadFile(home.File("machine.reg"));
  EXPECT_NE(machine.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tolvar\\Ports]"), std::string::npos);
  std::string line = std::string(1, '"').append(Dev("ttyS0")).append("\"=\"COM2\"");
  EXPECT_NE(machine.find(line), std::string::npos) << machine;
}

TEST_F(SerialDevicesTest, DeviceKeepsItsNameWhenItComesBackOnAnotherTty) {
  AddTty("ttyUSB0");
  LinkById("usb-Halvane_Phone_0042-if00", "ttyUSB0");
  AddTty("ttyACM0");
  ASSERT_EQ(ListSerialDevices(), (DeviceList{{Dev("ttyACM0"), "COM1"}, {Dev("ttyUSB0"), "COM2"}}));

  // Unplugged and plugged back in after another adapter took ttyUSB0.
  RemoveTty("ttyUSB0");
  AddTty("ttyUSB0");
  AddTty("ttyUSB1");
  LinkById("usb-Other_Adapter-if00", "ttyUSB0");
  LinkById("usb-Halvane_Phone_0042-if00", "ttyUSB1");
  EXPECT_EQ(ListSerialDevices(), (DeviceList{{Dev("ttyACM0"), "COM1"},
                                             {Dev("ttyUSB0"), "COM3"},
                                             {Dev("ttyUSB1"), "COM2"}}));
  EXPECT_EQ(DevicePathForComName("Com2"), Dev("ttyUSB1"));

  // A device that is gone keeps its name reserved; a new one takes the lowest free number.
  RemoveTty("ttyACM0");
  AddTty("ttyACM1");
  EXPECT_EQ(ListSerialDevices(), (DeviceList{{Dev("ttyACM1"), "COM4"},
                                             {Dev("ttyUSB0"), "COM3"},
                                             {Dev("ttyUSB1"), "COM2"}}));
  EXPECT_EQ(DevicePathForComName("COM1"), std::nullopt);
}

TEST_F(SerialDevicesTest, RegisteredDevicesAndStoredValuesFollowTheRealOnes) {
  AddTty("ttyUSB0");
  std::string fake = home.File("fake-port");
  WriteFile(fake, "");

  // A value written into the stored key shows as it is, after the devices found.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char com7[] = "COM7";
  ASSERT_EQ(RegSetValueExA(key, "\\Device\\Serial0", 0, REG_SZ, reinterpret_cast<const BYTE*>(com7),
                           sizeof com7),
            ERROR_SUCCESS);
  RegCloseKey(key);

  // COM1 is the USB device's (named when first seen), COM7 is taken: the registered file gets COM2.
  EXPECT_EQ(RegisterSerialDevice(fake), "COM2");
  EXPECT_EQ(RegisterSerialDevice(fake), "COM2");
  EXPECT_EQ(EnumerateSerialComm(), (DeviceList{{Dev("ttyUSB0"), "COM1"},
                                               {"\\Device\\Serial0", "COM7"},
                                               {fake, "COM2"}}));
  EXPECT_EQ(DevicePathForComName("com2"), fake);
  EXPECT_EQ(DevicePathForComName("COM7"), std::nullopt);  // a name, not a device file

  // A registered file that disappears is no device; it comes back with its name.
  fs::rename(fake, fake + ".away");
  EXPECT_EQ(ListSerialDevices().size(), 2u);
  fs::rename(fake + ".away", fake);
  EXPECT_EQ(DevicePathForComName("COM2"), fake);

  // Unregistering gives the name back, since the file has no lasting identity.
  UnregisterSerialDevice(fake);
  EXPECT_EQ(DevicePathForComName("COM2"), std::nullopt);
  std::string other = home.File("other-port");
  WriteFile(other, "");
  EXPECT_EQ(RegisterSerialDevice(other), "COM2");
}

TEST_F(SerialDevicesTest, DeviceMapKeysCannotBeDeletedAndAlwaysExist) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP", 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  char name[64];
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "SERIALCOMM");
  EXPECT_EQ(RegDeleteKeyA(key, "SERIALCOMM"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM"), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
}
