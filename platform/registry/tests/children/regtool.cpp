// A second process for the registry's tests: reads and writes keys the way a program of the suite
// does, and prints what it sees on standard output. Exit code 0 on success, else the registry's code
// (capped to 255) or 100 for a bad command line.
//
//   regtool set <user|machine> <key> <name> <text>     REG_SZ with its NUL
//   regtool get <user|machine> <key> <name>            prints the text
//   regtool values <user|machine> <key>                prints the value names, one a line
//   regtool set-many <user|machine> <key> <prefix> <n> n values <prefix>0.., each its own open/close
//   regtool serial                                     prints SERIALCOMM as "<device>=<COMn>" lines
#include <registry/SerialDevices.h>
#include <registry/WinReg.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Code(LSTATUS status) { return status > 255 ? 255 : static_cast<int>(status); }

HKEY Root(const char* name) {
  return std::strcmp(name, "machine") == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

int SetText(HKEY root, const char* path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return Code(status);
  status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
  return Code(status);
}

int Get(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
  if (status != ERROR_SUCCESS) return Code(status);
  char buffer[256] = {};
  DWORD size = sizeof buffer - 1;
  status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return Code(status);
  std::printf("%s\n", buffer);
  return 0;
}

int Values(HKEY root, const char* path) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
  if (status != ERROR_SUCCESS) return Code(status);
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD size = sizeof name;
    status = RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;
    std::printf("%s\n", name);
  }
  RegCloseKey(key);
  return status == ERROR_NO_MORE_ITEMS ? 0 : Code(status);
}

int SetMany(HKEY root, const char* path, const char* prefix, int count) {
  for (int i = 0; i < count; ++i)
    if (int code = SetText(root, path, (prefix + std::to_string(i)).c_str(), std::to_string(i)))
      return code;
  return 0;
}

int Serial() {
  for (const auto& [device, com] : tolvar::registry::ListSerialDevices())
    std::printf("%s=%s\n", device.c_str(), com.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "set" && argc == 6) return SetText(Root(argv[2]), argv[3], argv[4], argv[5]);
  if (command == "get" && argc == 5) return Get(Root(argv[2]), argv[3], argv[4]);
  if (command == "values" && argc == 4) return Values(Root(argv[2]), argv[3]);
  if (command == "set-many" && argc == 6)
    return SetMany(Root(argv[2]), argv[3], argv[4], std::stoi(argv[5]));
  if (command == "serial" && argc == 2) return Serial();
  std::fprintf(stderr, "regtool: bad command line\n");
  return 100;
}
