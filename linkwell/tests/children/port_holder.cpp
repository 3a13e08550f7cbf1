// Another program that holds a serial port: opens the port named on its command line, signals the
// named event "linkwell test port held", and keeps the port until "linkwell test port release" is
// signalled (at most 30 seconds). Exits 1 when the port cannot be opened.
#include <base/LastError.h>
#include <kernel/File.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>

#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string device = std::string("\\\\.\\") + argv[1];
  HANDLE port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) return 1;
  HANDLE held = CreateEventA(nullptr, TRUE, FALSE, "linkwell test port held");
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "linkwell test port release");
  SetEvent(held);
  WaitForSingleObject(release, 30000);
  CloseHandle(port);
  CloseHandle(held);
  CloseHandle(release);
  return 0;
}
