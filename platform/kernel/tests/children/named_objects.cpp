// A second process for the named-object tests. It does one thing with a named object, prints what
// happened on standard output, one line at a time, and, where it must keep the object alive, waits
// until its standard input closes (or it is killed).
//
//   mutex-hold NAME          create NAME owned; print the last error
//   mutex-create NAME        create NAME not owned; print the last error; end
//   mapping-write NAME TEXT  create a 128-byte mapping NAME; print the last error; write TEXT; print "written"
//   mapping-read NAME        print the text in mapping NAME, or "error <last error>"
#include <kernel/Kernel.h>

#include <base/LastError.h>

#include <cstdio>
#include <cstring>
#include <string_view>
#include <unistd.h>

namespace {

void Say(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

void SayNumber(unsigned long value) {
  std::printf("%lu\n", value);
  std::fflush(stdout);
}

void HoldUntilStdinCloses() {
  char byte;
  while (read(0, &byte, 1) > 0) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string_view command = argv[1];
  const char* name = argv[2];
  if (command == "mutex-hold" || command == "mutex-create") {
    HANDLE mutex = CreateMutexA(nullptr, command == "mutex-hold", name);
    SayNumber(GetLastError());
    if (!mutex) return 1;
    if (command == "mutex-hold") HoldUntilStdinCloses();
    CloseHandle(mutex);
    return 0;
  }
  if (command == "mapping-write" && argc == 4) {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 128, name);
    SayNumber(GetLastError());
    if (!mapping) return 1;
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    std::strncpy(view, argv[3], 127);
    Say("written");
    HoldUntilStdinCloses();
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 0;
  }
  if (command == "mapping-read") {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (!mapping) {
      std::printf("error %lu\n", static_cast<unsigned long>(GetLastError()));
      return 0;
    }
    auto* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    Say(std::string(view, strnlen(view, 128)).c_str());
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 0;
  }
  return 2;
}
