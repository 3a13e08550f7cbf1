// Tries to open a serial port from another process and reports the outcome on standard output:
// "opened", or the Win32 error number of the failed open.
#include <comm/Comm.h>

#include <base/LastError.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HANDLE port = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    std::printf("%lu\n", static_cast<unsigned long>(GetLastError()));
    return 1;
  }
  DCB dcb{};
  bool described = GetCommState(port, &dcb);
  CloseHandle(port);
  std::printf(described ? "opened\n" : "opened without a state\n");
  return 0;
}
