// Interlex's readers and writers on an in-memory corpus (bytes per second), then 500 contacts
// exported to files and imported back through the library's exports, loaded by name, with the folder
// picker and the open dialog answered by keys as a person would (the time of the two calls is
// printed; the goal is under half a second).
#include "Interlex.h"
#include "VCalendar.h"
#include "VCard.h"

#include <base/TemporaryHome.h>
#include <kernel/Module.h>
#include <kernel/Path.h>
#include <shell/CommDlg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

PA_PHONEBOOK_INFO MakeContact(int i) {
  PA_PHONEBOOK_INFO c;
  c.strName.Format("Contact %d J\xC3\xB6rg", i);
  c.strReading.Format("Reading %d", i);
  for (int n = 0; n < 7; ++n) c.strNumber[n].Format("+49%d%07d", n, i);
  c.strEmail[0].Format("person%d@example.com", i);
  c.strEmail[1].Format("other%d@example.org", i);
  c.strText[0] = "first line\r\nsecond = line \xE2\x82\xAC";
  c.strText[1] = "a note | with bars";
  c.bGroup = static_cast<BYTE>(i % 20);
  return c;
}

PA_SCHEDULE_INFO MakeEntry(int i) {
  PA_SCHEDULE_INFO e;
  e.tmStart = CTime(static_cast<time_t>(1700000000 + i * 3600 - (1700000000 + i * 3600) % 60));
  e.strDescription.Format("Meeting %d about the caf\xC3\xA9 budget", i);
  e.bRepeat = static_cast<BYTE>(i % 4);
  e.bAlarm = 1;
  e.strMelodyName = "Bell";
  return e;
}

std::vector<std::string> Cards(int count) {
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) files.push_back(interlex::WriteVCard(MakeContact(i)));
  return files;
}

void BM_ReadVCard(benchmark::State& state) {
  const auto files = Cards(1000);
  size_t bytes = 0;
  for (auto _ : state)
    for (const auto& file : files) {
      PA_PHONEBOOK_INFO contact;
      benchmark::DoNotOptimize(interlex::ReadVCard(file, contact));
      bytes += file.size();
    }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_ReadVCard);

void BM_WriteVCard(benchmark::State& state) {
  std::vector<PA_PHONEBOOK_INFO> contacts;
  for (int i = 0; i < 1000; ++i) contacts.push_back(MakeContact(i));
  size_t bytes = 0;
  for (auto _ : state)
    for (const auto& contact : contacts) bytes += interlex::WriteVCard(contact).size();
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteVCard);

void BM_ReadVCalendar(benchmark::State& state) {
  std::vector<std::string> files;
  for (int i = 0; i < 1000; ++i) {
    files.push_back(interlex::WriteSchedule(MakeEntry(i)));
    PA_TODO_INFO item;
    item.tmStart = item.tmDue = MakeEntry(i).tmStart;
    item.strDescription = MakeEntry(i).strDescription;
    files.push_back(interlex::WriteToDo(item));
  }
  const CTime now = CTime::GetCurrentTime();
  size_t bytes = 0;
  for (auto _ : state)
    for (const auto& file : files) {
      benchmark::DoNotOptimize(interlex::ReadVCalendar(file, true, now));
      bytes += file.size();
    }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_ReadVCalendar);

void BM_WriteVCalendar(benchmark::State& state) {
  std::vector<PA_SCHEDULE_INFO> entries;
  for (int i = 0; i < 1000; ++i) entries.push_back(MakeEntry(i));
  size_t bytes = 0;
  for (auto _ : state)
    for (const auto& entry : entries) bytes += interlex::WriteSchedule(entry).size();
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteVCalendar);

// The dialogs of one call: the folder picker is accepted as it opens (on the current directory),
// the open dialog gets the names typed.
std::string g_typed;
HWND g_owner = nullptr;
HWND g_acted = nullptr;

void Tick(HWND, UINT, UINT_PTR, DWORD) {
  HWND active = GetActiveWindow();
  if (!active || active == g_owner || active == g_acted || !IsWindowVisible(active)) return;
  g_acted = active;
  if (GetDlgItem(active, lst1)) {
    SetFocus(GetDlgItem(active, edt1));
    SetDlgItemTextA(active, edt1, g_typed.c_str());
  }
  tolvar::user::InjectKey(VK_RETURN, true);
  tolvar::user::InjectKey(VK_RETURN, false);
}

void RoundTripThroughTheExports(const std::filesystem::path& folder, const char* where) {
  std::filesystem::create_directories(folder);
  SetCurrentDirectoryA(folder.string().c_str());
  HMODULE library = LoadLibraryA("Interlex.dll");
  if (!library) {
    std::printf("Interlex.dll not found\n");
    return;
  }
  auto exportCards = reinterpret_cast<int (*)(CPhoneBookArray*, HWND)>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "fnVCardExport")));
  auto importCards = reinterpret_cast<int (*)(CPhoneBookArray**, HWND)>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "fnVCardImport")));
  auto release = reinterpret_cast<void (*)(CPhoneBookArray**)>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "fnVCardRelease")));
  g_typed.clear();
  g_acted = nullptr;
  g_owner = CreateWindowExA(0, testing_user::PlainClass(), "Daybook", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                            300, nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(g_owner);
  CPhoneBookArray contacts;
  for (int i = 0; i < 500; ++i) contacts.Add(MakeContact(i));
  for (int i = 0; i < 500; ++i) {
    g_typed += '"';
    g_typed += static_cast<LPCSTR>(interlex::VCardFileName(contacts[i], i));
    g_typed += ".vcf\" ";
  }
  SetTimer(g_owner, 1, 5, Tick);

  const auto start = std::chrono::steady_clock::now();
  const int exported = exportCards(&contacts, g_owner);
  const auto middle = std::chrono::steady_clock::now();
  CPhoneBookArray* back = nullptr;
  const int imported = importCards(&back, g_owner);
  const auto end = std::chrono::steady_clock::now();

  KillTimer(g_owner, 1);
  const auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
  std::printf("500 contacts %s: export %d in %.1f ms, import %d (%d cards) in %.1f ms, together %.1f ms\n", where, exported,
              ms(start, middle), imported, back ? back->GetSize() : -1, ms(middle, end), ms(start, end));
  release(&back);
  DestroyWindow(g_owner);
  FreeLibrary(library);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  tolvar::testing::TemporaryHome home;
  // Each file is synced to the disk before it is renamed into place: on a disk that sync is most of
  // the export's time, on a memory file system (where it costs nothing) the rest shows.
  RoundTripThroughTheExports(std::filesystem::path(home.Path()) / "cards", "on disk");
  if (std::filesystem::is_directory("/dev/shm")) {
    const std::filesystem::path shm = std::filesystem::path("/dev/shm") / ("interlex-bench-" + std::to_string(getpid()));
    RoundTripThroughTheExports(shm, "in memory");
    std::filesystem::remove_all(shm);
  }
  return 0;
}
