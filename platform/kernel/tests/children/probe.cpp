// A program for the process tests. Its command line says what to do:
//   report <file>  write the command line and the current directory into <file> (a host path),
//                  then exit with CommandLineCode(command line)
//   sleep <ms>     sleep, then exit with 0
//   exit <n>       ExitProcess(n)
//   abort          abort()
#include "ProbeCode.h"

#include <kernel/CommandLine.h>
#include <kernel/Path.h>
#include <kernel/Process.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int main() {
  std::string line = GetCommandLineA();
  std::vector<std::string> args = tolvar::kernel::SplitCommandLine(line);
  if (args.size() >= 3 && args[1] == "report") {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    std::ofstream(args[2], std::ios::binary) << line << '\n' << folder;
    return static_cast<int>(CommandLineCode(line));
  }
  if (args.size() >= 3 && args[1] == "sleep") {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(args[2].c_str())));
    return 0;
  }
  if (args.size() >= 3 && args[1] == "exit") ExitProcess(static_cast<UINT>(std::atoi(args[2].c_str())));
  if (args.size() >= 2 && args[1] == "abort") std::abort();
  return 100;
}
