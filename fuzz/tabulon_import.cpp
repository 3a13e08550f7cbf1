// The CSV import engine on raw file bytes: lines, splitting (with values that run into later
// lines), checks of every field kind, forced and skipped warnings, and the mapping page's split of
// the first line. The first bytes choose the run's settings.
#include "FuzzInput.h"

#include "CsvEngine.h"
#include "CsvSplitter.h"
#include "CsvText.h"
#include "WizardModels.h"

#include <cstdlib>
#include <memory>

namespace {

struct NullOutput : tabulon::ICsvOutput {
  bool Write(std::string_view) override { return true; }
};

struct Host : tabulon::ICsvImportHost {
  FuzzInput* input;
  explicit Host(FuzzInput* in) : input(in) {}
  void OnRecord(int) override {}
  void OnLineJoined() override {}
  tabulon::CsvAnswer AskWarning(int code, const std::string&, bool& applyToAll) override {
    if (code < 1 || code > 5) std::abort();
    applyToAll = (code & 1) != 0;
    return code % 2 ? tabulon::CsvAnswer::Force : tabulon::CsvAnswer::Skip;
  }
  bool StopRequested() override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  static const char kSeparators[] = {',', ';', ':', '\t', '|', ' ', 'a', '\0'};
  const char separator = kSeparators[input.Below(8)];
  const bool header = input.Below(2) != 0;
  const int fieldCount = 1 + input.Below(6);
  std::vector<std::unique_ptr<CString>> defaults;
  std::vector<CSV_FIELD_INFO> fields;
  std::vector<int> mapping;
  for (int i = 0; i < fieldCount; ++i) {
    const int type = input.Below(5);
    const int limit = input.Below(80) - 5;
    defaults.push_back(std::make_unique<CString>("d"));
    fields.push_back({type, "f", limit, type == CSV_FIELD_INTEGER ? 3 : reinterpret_cast<intptr_t>(defaults.back().get())});
    mapping.push_back(input.Below(8) - 1);
  }
  const tabulon::CsvFileText file{std::string(input.RestText())};
  const auto lines = file.Lines();

  if (!lines.empty()) {
    tabulon::CMappingModel model(fieldCount);
    model.SetColumns(tabulon::SplitCsvLine(lines[0], separator), header);
    model.DefaultMapping();
  }

  CSV_RECORD head;
  CSV_RECORD_LIST list;
  tabulon::InitRecordList(list, head);
  Host host(&input);
  NullOutput log;
  const auto result = tabulon::RunImport({lines, header, separator, mapping, fields, &list}, host, log);
  if (result.imported != list.count || result.imported + result.skipped > result.handled) std::abort();
  for (CSV_RECORD* r = head.next; r != &head; r = r->next)
    if (r->valueCount != fieldCount) std::abort();
  tabulon::FreeRecords(list, fields);
  return 0;
}
