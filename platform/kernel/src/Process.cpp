#include <kernel/Process.h>

#include <kernel/CommandLine.h>
#include <kernel/Module.h>
#include <kernel/Object.h>
#include <kernel/Path.h>

#include "HostErrors.h"
#include "ProcessLaunch.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace tolvar::kernel {
namespace {

// The state of a started process, shared by its process and thread objects and its watcher.
struct ProcessState {
  pid_t pid = 0;
  std::mutex lock;
  std::atomic<bool> ended{false};
  DWORD exitCode = STILL_ACTIVE;
  bool terminated = false;  // TerminateProcess sent the kill
  DWORD terminateCode = 0;
};

class ProcessObject : public Waitable {
public:
  explicit ProcessObject(std::shared_ptr<ProcessState> state) : m_state(std::move(state)) {}
  ObjectType Type() const override { return ObjectType::Process; }
  bool IsSignalled(DWORD) const override { return m_state->ended.load(); }
  void Ended() { Signalled(); }
  ProcessState& State() { return *m_state; }

private:
  std::shared_ptr<ProcessState> m_state;
};

// The started program's main thread: it ends with the process.
class MainThreadObject : public Waitable {
public:
  explicit MainThreadObject(std::shared_ptr<ProcessState> state) : m_state(std::move(state)) {}
  ObjectType Type() const override { return ObjectType::Thread; }
  bool IsSignalled(DWORD) const override { return m_state->ended.load(); }
  void Ended() { Signalled(); }

private:
  std::shared_ptr<ProcessState> m_state;
};

// Windows reports a crash by its exception code; these are the Linux signals that stand for them.
constexpr std::pair<int, DWORD> kSignalCodes[] = {
    {SIGSEGV, 0xC0000005},  // STATUS_ACCESS_VIOLATION
    {SIGBUS, 0xC0000005},
    {SIGILL, 0xC000001D},   // STATUS_ILLEGAL_INSTRUCTION
    {SIGFPE, 0xC0000094},   // STATUS_INTEGER_DIVIDE_BY_ZERO
    {SIGABRT, 3},           // what abort() ends a Windows program with
};

DWORD ExitCodeFromStatus(const siginfo_t& info, const ProcessState& state) {
  if (info.si_code == CLD_EXITED) return static_cast<DWORD>(info.si_status);
  if (state.terminated && info.si_status == SIGKILL) return state.terminateCode;
  for (const auto& [signal, code] : kSignalCodes)
    if (signal == info.si_status) return code;
  return 1;  // killed from outside, as a Windows program ended by another tool usually reports
}

// Waits for the child to end, records its exit code and wakes its waiters. The child is reaped only
// after the state says it ended, so TerminateProcess never signals a process id that was reused.
void Watch(std::shared_ptr<ProcessState> state, std::weak_ptr<ProcessObject> process,
           std::weak_ptr<MainThreadObject> thread) {
  siginfo_t info{};
  int result;
  do result = waitid(P_PID, static_cast<id_t>(state->pid), &info, WEXITED | WNOWAIT);
  while (result != 0 && errno == EINTR);
  {
    std::lock_guard guard(state->lock);
    // ECHILD: someone else reaped it (SIGCHLD ignored); it has ended, its code is lost.
    state->exitCode = result == 0 ? ExitCodeFromStatus(info, *state) : 0;
    state->ended = true;
    if (result == 0) waitpid(state->pid, nullptr, 0);
  }
  if (auto p = process.lock()) p->Ended();
  if (auto t = thread.lock()) t->Ended();
}

bool IsSeparatorOrDrive(std::string_view name) {
  return name.find_first_of("/\\") != std::string_view::npos || (name.size() >= 2 && name[1] == ':');
}

bool IsProgramFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Absolute(const std::string& path) {
  if (path.starts_with('/')) return path;
  char buffer[4096];
  if (!getcwd(buffer, sizeof buffer)) return path;
  return std::string(buffer) + "/" + path;
}

// The program file for a name from CreateProcessA, searched as Windows searches; "" when none.
std::string FindProgram(std::string name, bool searchFolders) {
  std::string_view base = name;
  if (auto slash = base.find_last_of("/\\"); slash != std::string_view::npos) base = base.substr(slash + 1);
  if (searchFolders && base.find('.') == std::string_view::npos) name += ".exe";

  if (IsSeparatorOrDrive(name) || !searchFolders) {
    std::string host = ToHostPath(name);
    return IsProgramFile(host) ? Absolute(host) : std::string();
  }
  std::vector<std::string> folders = {ProgramFolder(), "."};
  if (const char* path = std::getenv("PATH")) {
    std::string_view rest = path;
    while (!rest.empty()) {
      size_t colon = rest.find(':');
      std::string folder(rest.substr(0, colon));
      if (!folder.empty()) folders.push_back(folder);
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  for (const std::string& folder : folders) {
    std::string host = ToHostPath(folder + "/" + name);
    if (IsProgramFile(host)) return Absolute(host);
  }
  return {};
}

// The child's environment: the block given, or ours, with the command line added.
std::vector<std::string> ChildEnvironment(const char* block, const std::string& commandLine) {
  std::vector<std::string> variables;
  auto keep = [&](std::string_view entry) {
    if (entry.starts_with(std::string(kCommandLineVariable) + "=") ||
        entry.starts_with(std::string(kCommandLineParentVariable) + "="))
      return;
    variables.emplace_back(entry);
  };
  if (block) {
    for (const char* p = block; *p; p += std::strlen(p) + 1) keep(p);
  } else {
    for (char** p = environ; *p; ++p) keep(*p);
  }
  variables.push_back(std::string(kCommandLineVariable) + "=" + commandLine);
  variables.push_back(std::string(kCommandLineParentVariable) + "=" + std::to_string(getpid()));
  return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

class SpawnSetup {
public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    // A Windows program starts with no signals blocked or ignored, whatever its parent did.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
};

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace
}  // namespace tolvar::kernel

using namespace tolvar::kernel;

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD, LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA,
                    LPPROCESS_INFORMATION processInformation) {
  if ((!applicationName || !*applicationName) && (!commandLine || !*commandLine)) return Fail(ERROR_INVALID_PARAMETER);
  if (!processInformation) return Fail(ERROR_INVALID_PARAMETER);
  std::string line = commandLine && *commandLine ? commandLine : applicationName;
  std::vector<std::string> arguments = SplitCommandLine(line);

  // A separate application name is taken as it stands; a program named by the command line is searched.
  bool fromCommandLine = !applicationName || !*applicationName;
  std::string name = fromCommandLine ? arguments[0] : std::string(applicationName);
  if (name.empty()) return Fail(ERROR_FILE_NOT_FOUND);
  std::string program = FindProgram(name, fromCommandLine);
  if (program.empty()) {
    std::string host = ToHostPath(name);
    return Fail(IsSeparatorOrDrive(name) ? NotFoundError(host) : ERROR_FILE_NOT_FOUND);
  }

  SpawnSetup setup;
  if (currentDirectory && *currentDirectory) {
    std::string folder = ToHostPath(currentDirectory);
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
    posix_spawn_file_actions_addchdir_np(&setup.actions, folder.c_str());
  }
  std::vector<std::string> variables = ChildEnvironment(static_cast<const char*>(environment), line);
  std::vector<char*> argv = Pointers(arguments);
  std::vector<char*> envp = Pointers(variables);

  pid_t pid = 0;
  int error = posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), envp.data());
  if (error != 0) {
    SetLastErrorFromErrno(program, error);
    return FALSE;
  }

  auto state = std::make_shared<ProcessState>();
  state->pid = pid;
  auto process = std::make_shared<ProcessObject>(state);
  auto thread = std::make_shared<MainThreadObject>(state);
  std::thread(Watch, state, std::weak_ptr(process), std::weak_ptr(thread)).detach();

  processInformation->dwProcessId = static_cast<DWORD>(pid);
  processInformation->dwThreadId = static_cast<DWORD>(pid);
  processInformation->hProcess = InsertHandle(std::move(process));
  processInformation->hThread = InsertHandle(std::move(thread));
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  if (!exitCode) return Fail(ERROR_INVALID_PARAMETER);
  if (process == GetCurrentProcess()) {
    *exitCode = STILL_ACTIVE;
    return TRUE;
  }
  auto object = LookupHandleAs<ProcessObject>(process);
  if (!object) return FALSE;
  std::lock_guard guard(object->State().lock);
  *exitCode = object->State().exitCode;
  return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
  if (process == GetCurrentProcess()) _exit(static_cast<int>(exitCode));
  auto object = LookupHandleAs<ProcessObject>(process);
  if (!object) return FALSE;
  ProcessState& state = object->State();
  std::lock_guard guard(state.lock);
  if (state.ended) return Fail(ERROR_ACCESS_DENIED);
  if (!state.terminated) {
    state.terminated = true;
    state.terminateCode = exitCode;
  }
  kill(state.pid, SIGKILL);
  return TRUE;
}

void ExitProcess(UINT exitCode) { std::exit(static_cast<int>(exitCode)); }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }
