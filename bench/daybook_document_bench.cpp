// A full Daybook document (every contact, schedule and to-do slot used, both media lists) written
// and read through the phone library's PC-side store, loaded by name: bytes per second of each,
// beside the goal of 50 MB/s. Run from build/<preset>/bin.
#include "DaybookDocument.h"
#include "support/ManagerHarness.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct FullStore {
  QuietLinkHome home;
  ManagerLibrary library;
  CManager* manager = nullptr;
  daybook::GroupDefaults defaults{};

  FullStore() {
    library.Load();
    manager = library.Start();
    for (short slot = 0; slot < daybook::kContactSlots; ++slot) {
      PA_PHONEBOOK_INFO c;
      c.strName.Format("Contact number %03d", slot);
      c.strReading = "reading";
      for (int i = 0; i < 7; ++i) c.strNumber[i].Format("+4412345678%d%d", i, slot % 10);
      c.strEmail[0].Format("person%03d@example.org", slot);
      c.strEmail[1] = "second@example.org";
      c.strText[0] = "a note about this contact, long enough to matter";
      c.strText[1] = "another note";
      c.bGroup = static_cast<BYTE>(slot % 20);
      manager->PA_PutPhoneBook(&c, slot);
    }
    for (short slot = 0; slot < daybook::kScheduleSlots; ++slot) {
      PA_SCHEDULE_INFO e;
      e.strDescription.Format("Appointment %03d with a description of some length", slot);
      e.tmStart = CTime(2010, 1, 1, 8, 0, 0) + CTimeSpan(slot, 0, 0, 0);
      manager->PA_PutSchedule(&e, slot);
    }
    for (short slot = 0; slot < daybook::kToDoSlots; ++slot) {
      PA_TODO_INFO t;
      t.strDescription.Format("Task %03d", slot);
      t.tmStart = CTime(2010, 1, 1, 0, 0, 0);
      t.tmDue = CTime(2010, 2, 1, 0, 0, 0);
      manager->PA_PutToDo(&t, slot);
    }
    for (int g = 1; g <= daybook::kGroupCount; ++g) defaults[g] = {1, 7, 9, 2};
  }
};

FullStore& Store() {
  static FullStore store;
  return store;
}

void BM_WriteDocument(benchmark::State& state) {
  FullStore& s = Store();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::vector<BYTE> document = daybook::WriteDaybookBytes(*s.manager, s.defaults);
    bytes += document.size();
    benchmark::DoNotOptimize(document.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteDocument)->Unit(benchmark::kMillisecond);

void BM_ReadDocument(benchmark::State& state) {
  FullStore& s = Store();
  const std::vector<BYTE> document = daybook::WriteDaybookBytes(*s.manager, s.defaults);
  std::size_t bytes = 0;
  for (auto _ : state) {
    daybook::GroupDefaults defaults{};
    const daybook::ReadResult result = daybook::ReadDaybookBytes(document, *s.manager, defaults);
    benchmark::DoNotOptimize(result);
    bytes += document.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["document_bytes"] = static_cast<double>(document.size());
}
BENCHMARK(BM_ReadDocument)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
