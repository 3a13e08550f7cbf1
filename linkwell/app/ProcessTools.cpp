#include "ProcessTools.h"

#include <base/LastError.h>
#include <kernel/Format.h>
#include <kernel/Process.h>
#include <kernel/Snapshot.h>
#include <kernel/UniqueHandle.h>
#include <user/User.h>

#include <strings.h>

#include <vector>

int FindProcessByName(const char* prefix) {
  const tolvar::kernel::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return -1;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  const std::size_t length = std::char_traits<char>::length(prefix);
  for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
    if (strncasecmp(entry.szExeFile, prefix, length) == 0 && tolvar::kernel::IsProcessOfThisUser(entry.th32ProcessID))
      return static_cast<int>(entry.th32ProcessID);
  }
  return -1;
}

namespace {

struct WindowSearch {
  DWORD processId;
  HWND found = nullptr;
};

BOOL TakeTitledWindow(HWND window, LPARAM lParam) {
  auto& search = *reinterpret_cast<WindowSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId || GetWindowTextLengthA(window) == 0) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId) {
  WindowSearch search{processId};
  EnumWindows(TakeTitledWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Not only the first process of the name: that may be one without a window of this suite (a second
// instance handing over and ending, one that has just ended, or the program of another suite of
// this user in another home, whose windows this one never sees). The first of them with a window
// here is the one running in this suite.
HWND FindRunningWindow(const char* prefix) {
  const tolvar::kernel::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return nullptr;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  const std::size_t length = std::char_traits<char>::length(prefix);
  for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
    if (strncasecmp(entry.szExeFile, prefix, length) != 0 || !tolvar::kernel::IsProcessOfThisUser(entry.th32ProcessID))
      continue;
    if (HWND window = FindProcessWindow(entry.th32ProcessID)) return window;
  }
  return nullptr;
}

std::string FormatErrorText(DWORD error) {
  LPSTR text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result = length && text ? std::string(text, length) : std::string();
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  return result;
}

std::string FormatLastError() {
  std::string text = FormatErrorText(GetLastError());
  SetLastError(0);
  return text;
}

DWORD StartProcess(const std::string& commandLine, const char* currentDirectory) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWDEFAULT;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, currentDirectory,
                                      &startup, &process);
  if (started) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  // The error is taken before its text is fetched: fetching it clears the last error, and a
  // failed start must not come back as a success (nor a stale error from before as a failure).
  const DWORD error = started ? 0 : GetLastError();
  FormatLastError();
  return error;
}
