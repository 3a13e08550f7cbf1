// Opens a serial port through CreateFileA alone, as a program does that calls no function of the
// serial module by name and so is not linked with it: prints "opened", or the Win32 error number.
#include <base/LastError.h>
#include <kernel/File.h>
#include <kernel/Object.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HANDLE port = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    std::printf("%lu\n", static_cast<unsigned long>(GetLastError()));
    return 1;
  }
  CloseHandle(port);
  std::printf("opened\n");
  return 0;
}
