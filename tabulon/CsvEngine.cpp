// The import and export runs: see CsvEngine.h.
#include "CsvEngine.h"

#include "CsvSplitter.h"
#include "CsvText.h"

#include <cstdio>
#include <memory>
#include <utility>

namespace tabulon {
namespace {

bool IsStringField(const CSV_FIELD_INFO& field) { return FieldKind(field) != CSV_FIELD_INTEGER; }

std::string DefaultText(const CSV_FIELD_INFO& field) {
  if (!IsStringField(field)) return std::to_string(field.defaultValue);
  const auto* text = reinterpret_cast<const CString*>(field.defaultValue);
  return text ? std::string(static_cast<LPCSTR>(*text), static_cast<std::size_t>(text->GetLength())) : std::string();
}

// The warning line of the log: "%s %d: %s ... <%s>" and a line break.
std::string WarningLine(const CsvTexts& texts, int number, const std::string& message, const std::string& outcome) {
  return texts.record + ' ' + std::to_string(number) + ": " + message + " ... <" + outcome + ">\r\n";
}

// A record being filled: freed unless it was handed to the list.
struct PendingRecord {
  std::span<const CSV_FIELD_INFO> fields;
  CSV_RECORD* record;
  ~PendingRecord() {
    if (record) FreeRecord(record, fields);
  }
  CSV_RECORD* Release() { return std::exchange(record, nullptr); }
};

}  // namespace

std::string ToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void InitRecordList(CSV_RECORD_LIST& list, CSV_RECORD& head) {
  head.next = head.prev = &head;
  list.head = &head;
  list.count = 0;
}

void AppendRecord(CSV_RECORD_LIST& list, CSV_RECORD* record) {
  CSV_RECORD* head = list.head;
  record->prev = head->prev;
  record->next = head;
  head->prev->next = record;
  head->prev = record;
  ++list.count;
}

CSV_RECORD* NewRecord(std::span<const CSV_FIELD_INFO> fields, bool withStrings) {
  auto* record = new CSV_RECORD;
  record->valueCount = static_cast<int>(fields.size());
  record->values = new intptr_t[fields.size()]();
  if (withStrings)
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (IsStringField(fields[i])) record->values[i] = reinterpret_cast<intptr_t>(new CString);
  return record;
}

void FreeRecord(CSV_RECORD* record, std::span<const CSV_FIELD_INFO> fields) {
  if (!record) return;
  for (std::size_t i = 0; i < fields.size() && i < static_cast<std::size_t>(record->valueCount); ++i)
    if (IsStringField(fields[i])) delete reinterpret_cast<CString*>(record->values[i]);
  delete[] record->values;
  delete record;
}

void FreeRecords(CSV_RECORD_LIST& list, std::span<const CSV_FIELD_INFO> fields) {
  CSV_RECORD* head = list.head;
  for (CSV_RECORD* record = head->next; record != head;) {
    CSV_RECORD* next = record->next;
    FreeRecord(record, fields);
    record = next;
  }
  head->next = head->prev = head;
  list.count = 0;
}

CsvImportResult RunImport(const CsvImportSetup& setup, ICsvImportHost& host, ICsvOutput& log, const CsvTexts& texts) {
  CsvImportResult result;
  std::array<int, kCsvWarningCodes> decisions{};  // 0 ask, 1 force always, -1 skip always
  const std::span<const CSV_FIELD_INFO> fields = setup.fields;
  auto write = [&](std::string_view bytes) {
    if (!result.logFailed && !log.Write(bytes)) result.logFailed = true;
    return !result.logFailed;
  };

  // One vector of values and one value string serve every row, so a row allocates little more
  // than what it hands to the caller.
  std::vector<std::string> values;
  std::string value;
  std::size_t index = setup.headerLine ? 1 : 0;
  const NextLineFn nextLine = [&](std::string& next) {
    if (index + 1 >= setup.lines.size()) return false;
    next = setup.lines[++index];
    host.OnLineJoined();
    return true;
  };
  for (; index < setup.lines.size() && !result.logFailed; ++index) {
    const int number = ++result.handled;
    host.OnRecord(number);
    SplitCsvLine(setup.lines[index], setup.separator, values, fields.size(), nextLine);

    // String slots stay empty until their value is known, then get a string holding it.
    PendingRecord pending{fields, NewRecord(fields, false)};
    bool skipped = false;
    for (std::size_t i = 0; i < fields.size() && !skipped && !result.cancelled; ++i) {
      const CSV_FIELD_INFO& field = fields[i];
      const int column = i < setup.mapping.size() ? setup.mapping[i] : -1;
      value.clear();
      if (column >= 0 && static_cast<std::size_t>(column) < values.size())
        value.assign(TrimBlanks(values[static_cast<std::size_t>(column)]));
      const int code = CheckValue(field, value);
      bool forced = false;
      if (code != kCsvOk) {
        const std::string message = FormatText(texts.warnings[static_cast<std::size_t>(code)], field.name ? field.name : "");
        CsvAnswer answer = decisions[static_cast<std::size_t>(code)] > 0   ? CsvAnswer::Force
                           : decisions[static_cast<std::size_t>(code)] < 0 ? CsvAnswer::Skip
                                                                           : CsvAnswer::Cancel;
        if (decisions[static_cast<std::size_t>(code)] == 0) {
          bool applyToAll = false;
          answer = host.AskWarning(code, message, applyToAll);
          if (applyToAll && answer != CsvAnswer::Cancel)
            decisions[static_cast<std::size_t>(code)] = answer == CsvAnswer::Force ? 1 : -1;
        }
        if (answer == CsvAnswer::Cancel) {
          result.cancelled = true;
          break;
        }
        if (answer == CsvAnswer::Skip) {
          write(WarningLine(texts, number, message, texts.skipped));
          ++result.skipped;
          skipped = true;
          break;
        }
        write(WarningLine(texts, number, message, texts.forced));
        ++result.forced;
        forced = true;
      }
      if (IsStringField(field)) {
        pending.record->values[i] = reinterpret_cast<intptr_t>(new CString(forced ? DefaultText(field) : value));
      } else if (forced) {
        pending.record->values[i] = field.defaultValue;
      } else {
        pending.record->values[i] =
            value.empty() ? field.defaultValue : static_cast<intptr_t>(LeadingNumber(value));
      }
    }
    if (skipped) continue;
    if (result.cancelled || host.StopRequested()) {
      result.cancelled = true;
      break;
    }
    AppendRecord(*setup.list, pending.Release());
    ++result.imported;
  }

  write(ToCrLf(FormatText(texts.importedSummary, result.imported)));
  write(ToCrLf(FormatText(texts.skippedSummary, result.skipped)));
  write(ToCrLf(FormatText(texts.warningsSummary, result.skipped + result.forced)));
  return result;
}

CsvExportResult RunExport(const CSV_RECORD_LIST& list, std::span<const CSV_FIELD_INFO> fields, char separator,
                          bool headerLine, ICsvOutput& out, ICsvExportHost& host) {
  CsvExportResult result;
  std::string line;
  auto appendQuoted = [&](std::string_view text) {
    line += '"';
    for (char c : text) {
      line += c;
      if (c == '"') line += '"';
    }
    line += '"';
  };
  if (headerLine) {
    line.clear();
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i) line += separator;
      appendQuoted(fields[i].name ? fields[i].name : "");
    }
    line += "\r\n";
    if (!out.Write(line)) {
      result.failed = true;
      return result;
    }
  }
  const CSV_RECORD* head = list.head;
  for (const CSV_RECORD* record = head ? head->next : nullptr; record && record != head; record = record->next) {
    if (host.StopRequested()) {
      result.cancelled = true;
      break;
    }
    host.OnRecord(result.written + 1);
    line.clear();
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i) line += separator;
      const intptr_t slot = i < static_cast<std::size_t>(record->valueCount) ? record->values[i] : 0;
      if (!IsStringField(fields[i])) {
        appendQuoted(std::to_string(static_cast<long long>(slot)));
      } else {
        const auto* text = reinterpret_cast<const CString*>(slot);
        appendQuoted(text ? std::string_view(static_cast<LPCSTR>(*text), static_cast<std::size_t>(text->GetLength())) : std::string_view());
      }
    }
    line += "\r\n";
    if (!out.Write(line)) {
      result.failed = true;
      break;
    }
    ++result.written;
  }
  return result;
}

std::string LogFileName(std::string_view folder, const SYSTEMTIME& now) {
  char name[64];
  std::snprintf(name, sizeof name, "CSV%02d%02d%04d_%02d%02d.log", now.wDay, now.wMonth, now.wYear, now.wHour,
                now.wMinute);
  return std::string(folder) + "\\" + name;
}

std::string LogPreamble(std::string_view path, const SYSTEMTIME& now) {
  char date[64];
  std::snprintf(date, sizeof date, "Date: %02d / %02d / %04d  -  %02d:%02d\r\n\r\n", now.wDay, now.wMonth,
                now.wYear, now.wHour, now.wMinute);
  return std::string(path) + "\r\n" + std::string(60, '-') + "\r\n\r\n" + date;
}

}  // namespace tabulon
