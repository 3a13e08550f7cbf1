// Program slots: the scan of the launcher's folder, process start and the slots' refresh.
#include "ProgramSlots.h"

#include <kernel/Kernel.h>
#include <resources/VersionRecord.h>
#include <shell/ShellApi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <strings.h>

namespace {

constexpr char kSuiteMark[] = "Dravik App";

// A decimal integer as the C library reads one ("5", " 7", "12abc" give 5, 7, 12); none gives 0.
int DecimalValue(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

template <size_t N>
void CopyBounded(char (&field)[N], const std::string& text) {
  const size_t length = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

}  // namespace

void ProgramSlot::Free() {
  process.Reset();
  thread.Reset();
  running = 0;
  hosted = nullptr;
}

ProgramRecord ReadProgramRecord(LPCSTR path) {
  ProgramRecord record;
  tolvar::resources::VersionRecord version;
  if (!version.Read(path)) return record;
  record.hasRecord = true;
  const std::optional<std::string> comments = version.Value("Comments");
  record.hasComments = comments.has_value();
  record.comments = comments.value_or(std::string());
  record.specialBuild = DecimalValue(version.Text("SpecialBuild"));
  record.description = version.Text("FileDescription");
  record.version = version.Text("FileVersion");
  if (const std::optional<std::string> privateBuild = version.Value("PrivateBuild")) {
    record.privateBuild = DecimalValue(*privateBuild);
  }
  return record;
}

std::string ProgramCommandLine(const std::string& exeName, HWND view, HWND frame) {
  char handles[48];
  std::snprintf(handles, sizeof handles, " hWnd=%08X hMainWnd=%08X",
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(view)),
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(frame)));
  return exeName + handles;
}

bool AppCommandName(const char* text, std::string& name) {
  const char* at = text ? std::strstr(text, "App=") : nullptr;
  if (!at) return false;
  name = at + 4;
  return true;
}

CProgramSlots::~CProgramSlots() {
  for (ProgramSlot& slot : m_slots) {
    if (slot.icon) DestroyIcon(slot.icon);
  }
}

std::vector<int> CProgramSlots::Scan(LPCSTR folder, int pass) {
  std::vector<int> filled;
  WIN32_FIND_DATAA found;
  const std::string pattern = std::string(folder) + "\\*.exe";
  HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return filled;
  do {
    const std::string name = found.cFileName;
    if (std::find(m_judged.begin(), m_judged.end(), name) != m_judged.end()) continue;
    const std::string path = std::string(folder) + "\\" + name;
    const ProgramRecord record = ReadProgramRecord(path.c_str());
    if (!record.hasRecord || !record.hasComments || record.comments.compare(0, sizeof kSuiteMark - 1, kSuiteMark) != 0) {
      m_judged.push_back(name);
      continue;
    }
    if (record.specialBuild != pass) continue;  // a later pass takes it
    m_judged.push_back(name);
    if (m_count >= kProgramSlots) continue;  // the list holds ten programs
    ProgramSlot& slot = m_slots[m_count];
    CopyBounded(slot.description, record.description);
    CopyBounded(slot.version, record.version);
    slot.exeName = name;
    SHFILEINFOA info{};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON)) slot.icon = info.hIcon;
    filled.push_back(m_count++);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return filled;
}

int CProgramSlots::Launch(const std::string& exeName, int slot, LPCSTR directory, HWND view, HWND frame) {
  std::string commandLine = ProgramCommandLine(exeName, view, frame);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, directory, &startup, &info)) {
    return 1;
  }
  ProgramSlot& target = m_slots[slot];
  target.process.Reset(info.hProcess);
  target.thread.Reset(info.hThread);
  target.processId = info.dwProcessId;
  target.threadId = info.dwThreadId;
  target.hosted = nullptr;
  target.running = 1;
  return 0;
}

void CProgramSlots::Refresh(HWND view) {
  for (int i = 0; i < kProgramSlots; ++i) {
    ProgramSlot& slot = m_slots[i];
    if (!slot.running) continue;
    DWORD code = 0;
    if (!GetExitCodeProcess(slot.process.Get(), &code) || code != STILL_ACTIVE) slot.Free();
  }
  HWND previous = nullptr;
  for (HWND child = GetWindow(view, GW_CHILD); child && child != previous; child = GetWindow(child, GW_HWNDNEXT)) {
    previous = child;
    DWORD owner = 0;
    GetWindowThreadProcessId(child, &owner);
    for (int i = 0; i < kProgramSlots; ++i) {
      if (m_slots[i].running && m_slots[i].processId == owner) m_slots[i].hosted = child;
    }
  }
}

int CProgramSlots::FindByName(const std::string& name) const {
  for (int i = 0; i < kProgramSlots; ++i) {
    if (!m_slots[i].exeName.empty() && strcasecmp(m_slots[i].exeName.c_str(), name.c_str()) == 0) return i;
  }
  return -1;
}

bool CProgramSlots::WaitAndFree(int slot, DWORD milliseconds) {
  ProgramSlot& target = m_slots[slot];
  if (!target.running) return true;
  if (WaitForSingleObject(target.process.Get(), milliseconds) != WAIT_OBJECT_0) return false;
  target.Free();
  return true;
}
