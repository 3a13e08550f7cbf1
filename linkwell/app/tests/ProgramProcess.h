#pragma once
// The Linkwell program in a process of its own, as the tests start and watch it: started as the
// suite's programs start it, its top-level windows and its open descriptors counted from outside.
#include <base/WinDef.h>
#include <base/Time.h>
#include <kernel/Object.h>
#include <kernel/Process.h>
#include <user/User.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace linkwell::testing {

inline constexpr DWORD kStartLimit = 30000;  // guards against a hang, not timings

// Starts "Linkwell.exe <arguments>" in `folder`, as the suite's programs start it.
inline HANDLE StartLinkwell(const std::string& arguments, const std::string& folder, DWORD* processId = nullptr) {
  std::string line = "Linkwell.exe" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  if (processId) *processId = process.dwProcessId;
  return process.hProcess;
}

// The top-level windows of a process, as the window station lists them. The station is the one
// of the home this process started in.
inline int WindowsOf(DWORD processId) {
  struct Count {
    DWORD processId;
    int windows;
  } count{processId, 0};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* c = reinterpret_cast<Count*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == c->processId) ++c->windows;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.windows;
}

inline int DescriptorsOf(DWORD processId) {
  int descriptors = 0;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(processId) + "/fd", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    ++descriptors;
  }
  return descriptors;
}

template <class Condition>
bool WaitUntil(Condition condition, DWORD limit = kStartLimit) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > limit) return false;
    Sleep(5);
  }
  return true;
}

}  // namespace linkwell::testing
