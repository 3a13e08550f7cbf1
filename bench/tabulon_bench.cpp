// Tabulon's CSV engine alone: 100,000 contact-like rows exported to memory and imported back
// without warnings, in bytes of CSV per second.
#include "CsvEngine.h"
#include "CsvText.h"
#include "EngineSupport.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>

using namespace tabulon;
using namespace tabulon::testing;

namespace {

constexpr int kRows = 100000;

struct Data {
  Fields fields;
  std::unique_ptr<RecordList> list;
  std::string csv;
  Data() {
    fields.Add(CSV_FIELD_TEXT, "Name", 30);
    fields.Add(CSV_FIELD_PHONE, "Mobile", 40);
    fields.Add(CSV_FIELD_PHONE, "Work", 40);
    fields.Add(CSV_FIELD_EMAIL, "Mail", 64);
    fields.Add(CSV_FIELD_TEXT, "Info", 64);
    fields.Add(CSV_FIELD_INTEGER, "Group", 20);
    list = std::make_unique<RecordList>(fields.infos);
    for (int i = 0; i < kRows; ++i) {
      const std::string n = std::to_string(i);
      std::string name = "Person \"";
      name.append(n).append("\", Jr");
      list->Add({name, "+44 7700 " + std::to_string(900000 + i), "0123456789", "p" + n + "@example.org",
                 "Met at the fair; likes tea", std::to_string(i % 21)});
    }
    MemoryOutput out;
    CountingExportHost host;
    RunExport(list->list, fields.infos, ',', true, out, host);
    csv = out.bytes;
  }
};

Data& Shared() {
  static Data data;
  return data;
}

struct QuietHost : ICsvImportHost, ICsvExportHost {
  void OnRecord(int) override {}
  void OnLineJoined() override {}
  CsvAnswer AskWarning(int, const std::string&, bool&) override { return CsvAnswer::Skip; }
  bool StopRequested() override { return false; }
};

void Export(benchmark::State& state) {
  Data& data = Shared();
  QuietHost host;
  for (auto _ : state) {
    MemoryOutput out;
    out.bytes.reserve(data.csv.size());
    benchmark::DoNotOptimize(RunExport(data.list->list, data.fields.infos, ',', true, out, host).written);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.csv.size()));
}
BENCHMARK(Export)->Unit(benchmark::kMillisecond);

void Import(benchmark::State& state) {
  Data& data = Shared();
  QuietHost host;
  const std::vector<int> mapping{0, 1, 2, 3, 4, 5};
  for (auto _ : state) {
    auto back = std::make_unique<RecordList>(data.fields.infos);
    const CsvFileText file(data.csv);
    MemoryOutput log;
    const auto result = RunImport({file.Lines(), true, ',', mapping, data.fields.infos, &back->list}, host, log);
    if (result.imported != kRows || result.skipped + result.forced != 0) state.SkipWithError("warnings on import");
    // The records belong to the caller from here on: freeing them is not the engine's time.
    state.PauseTiming();
    back.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.csv.size()));
}
// Long enough that the figure is that of an import after the first, whose pages are new to the process.
BENCHMARK(Import)->Unit(benchmark::kMillisecond)->MinTime(3);

// The first step of an import alone: the file's bytes into lines.
void SplitLines(benchmark::State& state) {
  Data& data = Shared();
  for (auto _ : state) {
    const CsvFileText file(data.csv);
    benchmark::DoNotOptimize(file.Lines().size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.csv.size()));
}
BENCHMARK(SplitLines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Memory an import's records gave back is kept for the next run, as in a program that imports
  // more than once. Without it every run starts on fresh pages, and on a virtual machine the first
  // touch of a page can cost more than the engine's work on it.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
