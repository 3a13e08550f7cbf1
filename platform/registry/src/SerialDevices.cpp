// The serial device map: the machine's serial devices from sysfs, the names they keep in machine.reg,
// and the devices registered by hand (pseudo-terminals).
#include "Hives.h"
#include "SerialComm.h"

#include <registry/SerialDevices.h>
#include <registry/WinReg.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace tolvar::registry {

namespace {

// Where each device's name is kept: value name = the device's identity, data = "COMn".
const std::vector<std::string>& PortsPath() {
  static const std::vector<std::string> path{"SOFTWARE", "Tolvar", "Ports"};
  return path;
}

std::string RootFromEnvironment(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  return value && *value ? value : fallback;
}

struct SerialDevice {
  std::string path;      // the device file, e.g. "/dev/ttyUSB0"
  std::string identity;  // its /dev/serial/by-id link, else its path
};

// "ttyUSB12" -> ("ttyUSB", 12) for the kinds of tty that are serial lines; nullopt for others.
std::optional<std::pair<std::string, unsigned long>> SerialTtyKind(const std::string& name) {
  for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM"}) {
    std::string_view p(prefix);
    if (name.size() <= p.size() || name.compare(0, p.size(), p) != 0) continue;
    std::string digits = name.substr(p.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        digits.size() > 6)
      continue;
    return std::make_pair(std::string(p), std::stoul(digits));
  }
  return std::nullopt;
}

// A ttyS is a real port only when a device stands behind it and the kernel found a UART there
// ("type" 0 is PORT_UNKNOWN): most machines list 4 or 32 ttyS entries with nothing behind them.
bool HasUart(const fs::path& tty) {
  std::error_code ec;
  if (!fs::exists(tty / "device", ec)) return false;
  std::ifstream type(tty / "type");
  long number = 0;
  return static_cast<bool>(type >> number) && number != 0;
}

// Where each by-id link points: device path -> link path. The first link in name order wins.
std::map<std::string, std::string> ByIdLinks() {
  std::map<std::string, std::string> links;
  fs::path folder = fs::path(RootFromEnvironment("TOLVAR_DEVFS_ROOT", "/dev")) / "serial" / "by-id";
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    entries.push_back(it->path());
  std::sort(entries.begin(), entries.end());
  for (const fs::path& link : entries) {
    fs::path target = fs::read_symlink(link, ec);
    if (ec) continue;
    if (target.is_relative()) target = link.parent_path() / target;
    links.emplace(target.lexically_normal().string(), link.string());
  }
  return links;
}

std::string IdentityOf(const std::string& devicePath,
                       const std::map<std::string, std::string>& links) {
  auto it = links.find(fs::path(devicePath).lexically_normal().string());
  return it == links.end() ? devicePath : it->second;
}

std::vector<SerialDevice> ScanDevices() {
  fs::path ttyFolder = fs::path(RootFromEnvironment("TOLVAR_SYSFS_ROOT", "/sys")) / "class" / "tty";
  std::string devRoot = RootFromEnvironment("TOLVAR_DEVFS_ROOT", "/dev");
  struct Found {
    std::string kind;
    unsigned long number;
    std::string name;
  };
  std::vector<Found> found;
  std::error_code ec;
  for (fs::directory_iterator it(ttyFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    auto kind = SerialTtyKind(name);
    if (!kind) continue;
    if (kind->first == "ttyS" && !HasUart(it->path())) continue;
    found.push_back({kind->first, kind->second, name});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.kind != b.kind ? a.kind < b.kind : a.number < b.number;
  });
  auto links = ByIdLinks();
  std::vector<SerialDevice> devices;
  for (const Found& f : found) {
    std::string path = devRoot + "/" + f.name;
    devices.push_back({path, IdentityOf(path, links)});
  }
  return devices;
}

std::string DataText(const std::vector<BYTE>& data) {
  std::string text(data.begin(), data.end());
  return text.substr(0, text.find('\0'));
}

std::vector<BYTE> StringData(const std::string& text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

// 3 for "COM3" (any case), 0 for anything else.
unsigned long ComNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 10 || !NamesEqual(name.substr(0, 3), "COM")) return 0;
  std::string digits = name.substr(3);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  return std::stoul(digits);
}

std::string LowestFreeName(const RegKey& root) {
  std::set<unsigned long> used;
  for (const auto* path : {&PortsPath(), &SerialCommPath()})
    if (const RegKey* key = root.Find(*path))
      for (const RegValue& value : key->Values()) used.insert(ComNumber(DataText(value.data)));
  unsigned long number = 1;
  while (used.count(number)) ++number;
  return "COM" + std::to_string(number);
}

RegKey& MakeKey(RegKey& root, const std::vector<std::string>& path) {
  RegKey* key = &root;
  for (const std::string& name : path) key = &key->AddSubkey(name);
  return *key;
}

std::optional<std::string> NameOf(const RegKey& root, const std::string& identity) {
  const RegKey* ports = root.Find(PortsPath());
  const RegValue* value = ports ? ports->FindValue(identity) : nullptr;
  if (!value) return std::nullopt;
  return DataText(value->data);
}

// The device map from the hive's names, or nullopt when a device has no name yet.
std::optional<std::vector<RegValue>> ComposeMap(const RegKey& root,
                                                const std::vector<SerialDevice>& devices) {
  std::vector<RegValue> values;
  auto listed = [&](const std::string& name) {
    return std::any_of(values.begin(), values.end(),
                       [&](const RegValue& v) { return NamesEqual(v.name, name); });
  };
  for (const SerialDevice& device : devices) {
    auto name = NameOf(root, device.identity);
    if (!name) return std::nullopt;
    if (!listed(device.path)) values.push_back({device.path, REG_SZ, StringData(*name)});
  }
  if (const RegKey* stored = root.Find(SerialCommPath())) {
    for (const RegValue& value : stored->Values()) {
      if (listed(value.name)) continue;
      // A registered device file that is gone (a closed pseudo-terminal) is no device now.
      struct stat st {};
      if (!value.name.empty() && value.name.front() == '/' && stat(value.name.c_str(), &st) != 0)
        continue;
      values.push_back(value);
    }
  }
  return values;
}

}  // namespace

DWORD SerialCommValues(std::vector<RegValue>& values) {
  std::vector<SerialDevice> devices = ScanDevices();
  auto machine = HiveOf(HiveRoot::LocalMachine);
  std::optional<std::vector<RegValue>> map;
  DWORD error = machine->Read([&](const RegKey& root) -> DWORD {
    map = ComposeMap(root, devices);
    return ERROR_SUCCESS;
  });
  if (error) return error;
  if (!map) {
    // New devices: name them under the hive's lock, so two processes cannot give one name twice.
    error = machine->Modify([&](RegKey& root, bool& changed) -> DWORD {
      for (const SerialDevice& device : devices) {
        if (NameOf(root, device.identity)) continue;
        MakeKey(root, PortsPath()).SetValue({device.identity, REG_SZ, StringData(LowestFreeName(root))});
        changed = true;
      }
      map = ComposeMap(root, devices);
      return ERROR_SUCCESS;
    });
    if (error) return error;
  }
  values = std::move(*map);
  return ERROR_SUCCESS;
}

std::string RegisterSerialDevice(const std::string& devicePath) {
  if (devicePath.empty()) return {};
  std::string identity = IdentityOf(devicePath, ByIdLinks());
  std::string name;
  DWORD error = HiveOf(HiveRoot::LocalMachine)->Modify([&](RegKey& root, bool& changed) -> DWORD {
    RegKey& serial = MakeKey(root, SerialCommPath());
    if (const RegValue* registered = serial.FindValue(devicePath);
        registered && ComNumber(DataText(registered->data)) != 0) {
      name = DataText(registered->data);
    } else if (auto known = NameOf(root, identity)) {
      name = *known;
    } else {
      name = LowestFreeName(root);
    }
    changed |= serial.SetValue({devicePath, REG_SZ, StringData(name)});
    changed |= MakeKey(root, PortsPath()).SetValue({identity, REG_SZ, StringData(name)});
    return ERROR_SUCCESS;
  });
  return error == ERROR_SUCCESS ? name : std::string();
}

void UnregisterSerialDevice(const std::string& devicePath) {
  std::string identity = IdentityOf(devicePath, ByIdLinks());
  HiveOf(HiveRoot::LocalMachine)->Modify([&](RegKey& root, bool& changed) -> DWORD {
    if (RegKey* serial = root.Find(SerialCommPath())) changed |= serial->DeleteValue(devicePath);
    if (identity == devicePath)
      if (RegKey* ports = root.Find(PortsPath())) changed |= ports->DeleteValue(identity);
    return ERROR_SUCCESS;
  });
}

std::optional<std::string> DevicePathForComName(std::string_view comName) {
  std::vector<RegValue> values;
  if (SerialCommValues(values) != ERROR_SUCCESS) return std::nullopt;
  for (const RegValue& value : values)
    if (NamesEqual(DataText(value.data), comName) && !value.name.empty() &&
        value.name.front() == '/')
      return value.name;
  return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> ListSerialDevices() {
  std::vector<RegValue> values;
  std::vector<std::pair<std::string, std::string>> list;
  if (SerialCommValues(values) != ERROR_SUCCESS) return list;
  for (const RegValue& value : values) list.emplace_back(value.name, DataText(value.data));
  return list;
}

}  // namespace tolvar::registry
