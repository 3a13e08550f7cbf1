#pragma once
// The launcher's table of program slots: the suite programs found in its folder (slots 0 to 9, in
// the order the scan lists them) and the link service (slot 10). A slot holds the program's
// process while it runs and the window it placed in the launcher's view.
//
// Suite membership is read from each program file's version record: Comments beginning with
// "Dravik App". SpecialBuild orders the list (the caller scans pass by pass, highest first); a file
// is judged once, except that a program of another pass is left for the pass that takes it.
//
// Threads: the launcher's user-interface thread only.
#include <framework/Afx.h>

#include <kernel/UniqueHandle.h>

#include <array>
#include <string>
#include <vector>

struct ProgramSlot {
  tolvar::kernel::UniqueHandle process;
  tolvar::kernel::UniqueHandle thread;
  DWORD processId = 0;
  DWORD threadId = 0;
  int running = 0;
  HWND hosted = nullptr;   // the program's top window inside the view, learnt by process id
  HICON icon = nullptr;    // the file's large shell icon, destroyed with the table
  std::string exeName;     // the file name without folder, whole
  char description[32] = {};  // FileDescription, at most 31 characters
  char version[16] = {};      // FileVersion, at most 15 characters

  // The process has ended (or was never started): handles closed, not running.
  void Free();
};

// What a version record says about a file, as far as the launcher asks.
struct ProgramRecord {
  bool hasRecord = false;
  std::string comments;        // empty when absent
  bool hasComments = false;
  int specialBuild = 0;        // missing or not a number: 0
  std::string description;
  std::string version;
  int privateBuild = -1;       // -1 when absent
};
ProgramRecord ReadProgramRecord(LPCSTR path);

// " hWnd=%08X hMainWnd=%08X" appended to the exe name: a hosted program's whole command line.
std::string ProgramCommandLine(const std::string& exeName, HWND view, HWND frame);

// The program an "App=" command names: the text after the first "App=", whole. None when the text
// holds no "App=".
bool AppCommandName(const char* text, std::string& name);

class CProgramSlots {
public:
  static constexpr int kProgramSlots = 10;
  static constexpr int kLinkSlot = 10;

  CProgramSlots() = default;
  ~CProgramSlots();
  CProgramSlots(const CProgramSlots&) = delete;
  CProgramSlots& operator=(const CProgramSlots&) = delete;

  // Lists the suite programs of `folder` whose SpecialBuild equals `pass` into the next free slots;
  // returns the indices of the slots filled.
  std::vector<int> Scan(LPCSTR folder, int pass);
  // Starts `exeName` into `slot` (command line as ProgramCommandLine, handles inherited, in
  // `directory` or the launcher's own); 0 on success, 1 on failure (the slot stays as it was).
  int Launch(const std::string& exeName, int slot, LPCSTR directory, HWND view, HWND frame);
  // Frees the slots of ended processes and learns the hosted windows among the view's children.
  void Refresh(HWND view);
  // The slot 0 to Count()-1 whose exe name equals `name` regardless of case, else -1.
  int FindByName(const std::string& name) const;
  // Waits at most `milliseconds` for the slot's process to end; frees the slot when it did.
  bool WaitAndFree(int slot, DWORD milliseconds);

  int Count() const { return m_count; }
  ProgramSlot& operator[](int slot) { return m_slots[slot]; }
  const ProgramSlot& operator[](int slot) const { return m_slots[slot]; }

private:
  std::array<ProgramSlot, 11> m_slots{};
  int m_count = 0;
  std::vector<std::string> m_judged;
};
