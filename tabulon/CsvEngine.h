#pragma once
// The import and export runs, as plain code. The progress page runs them on its worker thread and
// answers the run's questions (a warning to force or skip, whether the user quit) through
// ICsvImportHost; tests answer them from tables.
//
// Threads: a run touches the caller's record list only between its start and its end; the host's
// functions are called on the run's thread.
#include "CsvCheck.h"

#include <base/WinDef.h>

#include <tabulon/CsvExchange.h>

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>



namespace tabulon {

// Where the runs write: the export file or the log. False when the bytes could not be written;
// the run then ends and says so.
class ICsvOutput {
public:
  virtual ~ICsvOutput() = default;
  virtual bool Write(std::string_view bytes) = 0;
};

// The localized texts a run writes (English by default; the library fills them from its strings).
struct CsvTexts {
  std::array<std::string, 6> warnings{  // index = code; 0 unused
      "", "Maximum number of characters of \"%s\" exceded", "The Field \"%s\" is empty in the record",
      "The format of the number \"%s\" is incorrect", "The format of the e-mail \"%s\" is incorrect",
      "The Number of \"%s\" is incorrect"};
  std::string record = "Record";                                             // 39
  std::string skipped = "skipped";                                           // 38
  std::string forced = "forced ";                                            // 37
  std::string importedSummary = "\n\nNumber of records imported : %d\n";   // 40
  std::string skippedSummary = "Number of records skipped : %d\n";          // 41
  std::string warningsSummary = "Number of Warnings : %d\n";                // 42
};

// Line breaks on disk are CR LF, as in a text-mode file of the system the format comes from.
std::string ToCrLf(std::string_view text);

enum class CsvAnswer { Force, Skip, Cancel };

class ICsvImportHost {
public:
  virtual ~ICsvImportHost() = default;
  // Record `number` (from 1) starts: show it and step the progress bar.
  virtual void OnRecord(int number) = 0;
  // A value ran into the next line, which is consumed: step the progress bar once more.
  virtual void OnLineJoined() = 0;
  // A warning without an apply-to-all decision: Force, Skip, or Cancel when the user quit while it
  // waited. `applyToAll` is set when the answer holds for every later warning of the code.
  virtual CsvAnswer AskWarning(int code, const std::string& message, bool& applyToAll) = 0;
  // Before a record is appended: waits while a quit question is open; true when the user quit.
  virtual bool StopRequested() = 0;
};

struct CsvImportSetup {
  std::span<const std::string_view> lines;  // the file's lines
  bool headerLine = false;             // the first line names the columns and is skipped
  char separator = ',';
  std::span<const int> mapping;        // per field: the CSV column, or -1
  std::span<const CSV_FIELD_INFO> fields;
  CSV_RECORD_LIST* list = nullptr;     // records are appended after those it holds
};

struct CsvImportResult {
  int handled = 0;   // records started
  int imported = 0;  // records appended to the list
  int skipped = 0;
  int forced = 0;
  bool cancelled = false;
  bool logFailed = false;  // a log write failed; the run stopped there
};

// The import loop: each data line split, mapped, checked, forced or skipped, appended. Writes the
// warning lines and the summary to `log`.
CsvImportResult RunImport(const CsvImportSetup& setup, ICsvImportHost& host, ICsvOutput& log,
                          const CsvTexts& texts = {});

class ICsvExportHost {
public:
  virtual ~ICsvExportHost() = default;
  virtual void OnRecord(int number) = 0;  // record `number` (from 1) is being written
  virtual bool StopRequested() = 0;
};

struct CsvExportResult {
  int written = 0;
  bool failed = false;  // a write failed (the file is then not put in place)
  bool cancelled = false;
};

// Every record of `list` as one line, each value in quotes with '"' doubled; the field names first
// when `headerLine` is set.
CsvExportResult RunExport(const CSV_RECORD_LIST& list, std::span<const CSV_FIELD_INFO> fields, char separator,
                          bool headerLine, ICsvOutput& out, ICsvExportHost& host);

// The log's file name in `folder` and its opening lines (the log's own path, a rule, the date).
std::string LogFileName(std::string_view folder, const SYSTEMTIME& now);
std::string LogPreamble(std::string_view path, const SYSTEMTIME& now);

// The caller's record list: an empty list, a record appended at the end, and the release of what
// an import allocated (what the caller does with the records it takes over).
void InitRecordList(CSV_RECORD_LIST& list, CSV_RECORD& head);
void AppendRecord(CSV_RECORD_LIST& list, CSV_RECORD* record);
// String slots hold empty strings, or null (freed as none) without `withStrings`.
CSV_RECORD* NewRecord(std::span<const CSV_FIELD_INFO> fields, bool withStrings = true);
void FreeRecord(CSV_RECORD* record, std::span<const CSV_FIELD_INFO> fields);
void FreeRecords(CSV_RECORD_LIST& list, std::span<const CSV_FIELD_INFO> fields);  // all but the head

}  // namespace tabulon
