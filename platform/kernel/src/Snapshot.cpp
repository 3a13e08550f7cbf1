#include <kernel/Snapshot.h>

#include <kernel/Module.h>
#include <kernel/Object.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace tolvar::kernel {
namespace {

struct ProcessRecord {
  DWORD id = 0;
  DWORD parentId = 0;
  DWORD threads = 0;
  std::string name;
};

class SnapshotObject : public Object {
public:
  explicit SnapshotObject(std::vector<ProcessRecord> processes) : m_processes(std::move(processes)) {}
  ObjectType Type() const override { return ObjectType::Snapshot; }

  // The record at `m_next` (after a rewind for First), or nullptr at the end.
  const ProcessRecord* Take(bool first) {
    if (first) m_next = 0;
    return m_next < m_processes.size() ? &m_processes[m_next++] : nullptr;
  }

private:
  std::vector<ProcessRecord> m_processes;
  size_t m_next = 0;
};

// A process may end while its files are read: the read then fails (ESRCH) and the file counts as empty.
std::string ReadFile(const std::string& path) {
  std::string text;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char chunk[4096];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      text.clear();
      break;
    }
    if (n == 0) break;
    text.append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  return text;
}

std::optional<DWORD> Number(const std::string& field) {
  DWORD value = 0;
  auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  return value;
}

std::string BaseName(std::string_view path) {
  auto slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The program's file name: from its executable link, else (another user's process) from its first
// argument, else the kernel's short name. Kernel threads have none of the first two and are skipped.
std::string ProgramName(const std::string& folder, const std::string& shortName) {
  char target[4096];
  ssize_t n = readlink((folder + "/exe").c_str(), target, sizeof target - 1);
  if (n > 0) {
    std::string path(target, static_cast<size_t>(n));
    if (path.ends_with(" (deleted)")) path.resize(path.size() - 10);
    return BaseName(path);
  }
  std::string arguments = ReadFile(folder + "/cmdline");
  if (arguments.empty()) return {};
  std::string first = BaseName(arguments.c_str());
  return first.empty() ? shortName : first;
}

bool ReadRecord(DWORD pid, ProcessRecord& record) {
  std::string folder = "/proc/" + std::to_string(pid);
  std::string stat = ReadFile(folder + "/stat");
  // "pid (comm) state ppid ...": the short name may hold blanks and parentheses, so split at the last ")".
  auto open = stat.find('(');
  auto close = stat.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  std::string shortName = stat.substr(open + 1, close - open - 1);
  std::vector<std::string> fields;
  size_t i = close + 2;
  while (i < stat.size()) {
    size_t end = stat.find(' ', i);
    if (end == std::string::npos) end = stat.size();
    fields.push_back(stat.substr(i, end - i));
    i = end + 1;
  }
  // After the name: state(0) ppid(1) ... num_threads(17).
  if (fields.size() < 18) return false;
  auto parentId = Number(fields[1]);
  auto threads = Number(fields[17]);
  if (!parentId || !threads) return false;
  std::string name = ProgramName(folder, shortName);
  if (name.empty()) return false;
  record.id = pid;
  record.parentId = *parentId;
  record.threads = *threads;
  record.name = WindowsModuleName(name, true);
  return true;
}

std::vector<ProcessRecord> ListProcesses() {
  std::vector<ProcessRecord> processes;
  DIR* proc = opendir("/proc");
  if (!proc) return processes;
  while (dirent* entry = readdir(proc)) {
    char* end = nullptr;
    unsigned long pid = std::strtoul(entry->d_name, &end, 10);
    if (!end || *end || pid == 0) continue;
    ProcessRecord record;
    if (ReadRecord(static_cast<DWORD>(pid), record)) processes.push_back(std::move(record));
  }
  closedir(proc);
  std::sort(processes.begin(), processes.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  return processes;
}

BOOL Fill(HANDLE snapshot, LPPROCESSENTRY32 entry, bool first) {
  auto object = LookupHandleAs<SnapshotObject>(snapshot);
  if (!object) return FALSE;
  if (!entry || entry->dwSize < sizeof(PROCESSENTRY32)) {
    SetLastError(ERROR_BAD_LENGTH);
    return FALSE;
  }
  const ProcessRecord* record = object->Take(first);
  if (!record) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  DWORD size = entry->dwSize;
  std::memset(entry, 0, sizeof(PROCESSENTRY32));
  entry->dwSize = size;
  entry->th32ProcessID = record->id;
  entry->cntThreads = record->threads;
  entry->th32ParentProcessID = record->parentId;
  entry->pcPriClassBase = 8;  // normal priority
  size_t n = std::min<size_t>(record->name.size(), MAX_PATH - 1);
  std::memcpy(entry->szExeFile, record->name.data(), n);
  return TRUE;
}

}  // namespace

bool IsProcessOfThisUser(DWORD processId) {
  if (processId == 0) return false;
  // "Uid:\treal\teffective\tsaved\tfilesystem": the real user is who started the program.
  const std::string status = ReadFile("/proc/" + std::to_string(processId) + "/status");
  const std::size_t at = status.find("\nUid:");
  if (at == std::string::npos) return false;
  std::size_t from = at + 5;
  while (from < status.size() && (status[from] == '\t' || status[from] == ' ')) ++from;
  std::size_t to = from;
  while (to < status.size() && status[to] >= '0' && status[to] <= '9') ++to;
  const std::optional<DWORD> uid = Number(status.substr(from, to - from));
  return uid && *uid == static_cast<DWORD>(getuid());
}

}  // namespace tolvar::kernel

using namespace tolvar::kernel;

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD) {
  if (flags != TH32CS_SNAPPROCESS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return InsertHandle(std::make_shared<SnapshotObject>(ListProcesses()));
}

BOOL Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry) { return Fill(snapshot, entry, true); }
BOOL Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry) { return Fill(snapshot, entry, false); }
