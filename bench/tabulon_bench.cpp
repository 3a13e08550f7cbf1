// Tabulon's CSV engine alone: 100,000 contact-like rows exported to memory and imported back
// without warnings, in bytes of CSV per second.
#include "CsvEngine.h"
#include "CsvText.h"
#include "EngineSupport.h"

#include <benchmark/benchmark.h>

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
    for (int i = 0; i < kRows; ++i)
      list->Add({"Person \"" + std::to_string(i) + "\", Jr", "+44 7700 " + std::to_string(900000 + i), "0123456789",
                 "p" + std::to_string(i) + "@example.org", "Met at the fair; likes tea", std::to_string(i % 21)});
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
    const std::vector<std::string> lines = SplitFileLines(data.csv);
    RecordList back(data.fields.infos);
    MemoryOutput log;
    const auto result = RunImport({lines, true, ',', mapping, data.fields.infos, &back.list}, host, log);
    if (result.imported != kRows || result.skipped + result.forced != 0) state.SkipWithError("warnings on import");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.csv.size()));
}
BENCHMARK(Import)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
