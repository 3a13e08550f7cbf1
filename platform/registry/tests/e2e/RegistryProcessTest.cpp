// The registry shared by several processes: one writes and another reads, concurrent writers lose
// nothing, and a pseudo-terminal registered by one process is in every process's device map.
#include "TestHome.h"

#include <registry/SerialDevices.h>
#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <unistd.h>

using namespace tolvar::registry;
using namespace tolvar::registry::testing;

namespace {

constexpr const char* kSettings = "Software\\Halvane\\Tolvar\\Settings";

std::string QueryText(HKEY key, const char* name, LSTATUS& status) {
  char buffer[256] = {};
  DWORD size = sizeof buffer - 1;
  status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  return buffer;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0, end;
  while ((end = text.find('\n', start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

class RegistryProcessTest : public ::testing::Test {
protected:
  TestHome home;
};

}  // namespace

TEST_F(RegistryProcessTest, SettingsWrittenByOneProcessAreReadByAnother) {
  HKEY settings = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &settings, nullptr),
            ERROR_SUCCESS);
  LSTATUS status = 0;
  QueryText(settings, "Build", status);
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);

  // The phone setup of another program writes "Build"; this process sees it through its open key.
  ASSERT_EQ(RunChild("regtool", {"set", "user", kSettings, "Build", "ZDE_0123"}).exitCode, 0);
  EXPECT_EQ(QueryText(settings, "Build", status), "ZDE_0123");
  EXPECT_EQ(status, ERROR_SUCCESS);

  // And the other way round, with this process's write kept beside the child's.
  const char phone[] = "Selka";
  ASSERT_EQ(RegSetValueExA(settings, "Phone", 0, REG_SZ, reinterpret_cast<const BYTE*>(phone),
                           sizeof phone),
            ERROR_SUCCESS);
  ChildResult read = RunChild("regtool", {"get", "user", kSettings, "phone"});
  EXPECT_EQ(read.exitCode, 0);
  EXPECT_EQ(read.output, "Selka\n");
  read = RunChild("regtool", {"get", "user", kSettings, "Build"});
  EXPECT_EQ(read.output, "ZDE_0123\n");

  // A child asking for a value that is not there gets ERROR_FILE_NOT_FOUND.
  EXPECT_EQ(RunChild("regtool", {"get", "user", kSettings, "LC"}).exitCode, ERROR_FILE_NOT_FOUND);
  RegCloseKey(settings);
}

TEST_F(RegistryProcessTest, EnumerationOrderIsTheSameInEveryProcess) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::vector<std::string> names{"Phone", "Build", "EuropeanSupport", "ATTimeOut", "LC"};
  for (const std::string& name : names)
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  RegCloseKey(key);

  ChildResult first = RunChild("regtool", {"values", "user", kSettings});
  EXPECT_EQ(Lines(first.output), names);
  // A value rewritten by another process stays in its place; a new one comes last.
  ASSERT_EQ(RunChild("regtool", {"set", "user", kSettings, "BUILD", "YIE_0200"}).exitCode, 0);
  ASSERT_EQ(RunChild("regtool", {"set", "user", kSettings, "CommsTimeOut", "x"}).exitCode, 0);
  std::vector<std::string> expected = names;
  expected.push_back("CommsTimeOut");
  EXPECT_EQ(Lines(RunChild("regtool", {"values", "user", kSettings}).output), expected);
}

TEST_F(RegistryProcessTest, ConcurrentWritersLoseNoValue) {
  constexpr int kPerWriter = 60;
  const char* key = "Software\\Halvane\\Tolvar\\Tabulon";
  std::vector<ChildProcess> writers;
  for (const char* prefix : {"a", "b", "c"})
    writers.push_back(StartChild("regtool", {"set-many", "user", key, prefix,
                                             std::to_string(kPerWriter)}));
  // This process writes at the same time, through a handle opened before the others began.
  HKEY mine = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &mine, nullptr),
            ERROR_SUCCESS);
  for (int i = 0; i < kPerWriter; ++i) {
    std::string name = std::string("p").append(std::to_string(i));
    ASSERT_EQ(RegSetValueExA(mine, name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(name.c_str()),
                             static_cast<DWORD>(name.size() + 1)),
              ERROR_SUCCESS);
  }
  for (ChildProcess& writer : writers) EXPECT_EQ(WaitChild(writer).exitCode, 0);

  std::set<std::string> seen;
  for (DWORD i = 0;; ++i) {
    char name[64];
    DWORD size = sizeof name;
    if (RegEnumValueA(mine, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    seen.insert(name);
  }
  RegCloseKey(mine);
  EXPECT_EQ(seen.size(), 4u * kPerWriter);
  for (const char* prefix : {"a", "b", "c", "p"})
    for (int i = 0; i < kPerWriter; ++i)
      EXPECT_TRUE(seen.count(std::string(prefix).append(std::to_string(i)))) << prefix << i;
  // Every writer's own value of each name is there, and the file reads back whole in a new process.
  EXPECT_EQ(Lines(RunChild("regtool", {"values", "user", key}).output).size(), 4u * kPerWriter);
  EXPECT_TRUE(FilesStartingWith(home.Path(), "user.reg.corrupt").empty());
  EXPECT_TRUE(FilesStartingWith(home.Path(), "user.reg.tmp").empty());
}

TEST_F(RegistryProcessTest, SerialCommListsARegisteredPseudoTerminalAndSysfsDevices) {
  // A USB serial adapter in the fake sysfs, and the simulated phone's pseudo-terminal.
  std::filesystem::create_directories(home.SysRoot() + "/class/tty/ttyUSB0/device");
  WriteFile(home.DevRoot() + "/ttyUSB0", "");
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  std::string pty = ptsname(master);

  std::string com = RegisterSerialDevice(pty);
  EXPECT_EQ(com, "COM1");  // the first device named
  ChildResult listing = RunChild("regtool", {"serial"});
  EXPECT_EQ(Lines(listing.output), (std::vector<std::string>{home.DevRoot() + "/ttyUSB0=COM2",
                                                              pty + "=COM1"}));
  EXPECT_EQ(DevicePathForComName("com1"), pty);
  EXPECT_EQ(RegisterSerialDevice(pty), "COM1");

  // Another process, and this one, no longer list it once it is unregistered.
  UnregisterSerialDevice(pty);
  EXPECT_EQ(Lines(RunChild("regtool", {"serial"}).output),
            std::vector<std::string>{home.DevRoot() + "/ttyUSB0=COM2"});
  EXPECT_EQ(DevicePathForComName("COM1"), std::nullopt);
  close(master);
}
