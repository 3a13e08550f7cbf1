#pragma once
// What the engine tests share: a caller's field list and record list as Daybook would hold them,
// an output kept in memory, and hosts that answer from a script.
#include "CsvEngine.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace tabulon::testing {

// Fields with string defaults that live as long as the object.
struct Fields {
  std::vector<std::unique_ptr<CString>> defaults;
  std::vector<CSV_FIELD_INFO> infos;
  void Add(int type, const char* name, int limit, const char* defaultText = "", intptr_t defaultNumber = 0) {
    if (type == CSV_FIELD_INTEGER) {
      infos.push_back({type, name, limit, defaultNumber});
    } else {
      defaults.push_back(std::make_unique<CString>(defaultText));
      infos.push_back({type, name, limit, reinterpret_cast<intptr_t>(defaults.back().get())});
    }
  }
};

// A record list that frees what it holds.
struct RecordList {
  CSV_RECORD head;
  CSV_RECORD_LIST list;
  std::span<const CSV_FIELD_INFO> fields;
  explicit RecordList(std::span<const CSV_FIELD_INFO> f) : fields(f) { InitRecordList(list, head); }
  ~RecordList() { FreeRecords(list, fields); }
  void Add(const std::vector<std::string>& values) {
    CSV_RECORD* record = NewRecord(fields);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (fields[i].type == CSV_FIELD_INTEGER)
        record->values[i] = std::stoll(values[i]);
      else
        *reinterpret_cast<CString*>(record->values[i]) = CString(values[i]);
    }
    AppendRecord(list, record);
  }
  // Every record as texts, in list order.
  std::vector<std::vector<std::string>> Rows() const {
    std::vector<std::vector<std::string>> rows;
    for (CSV_RECORD* r = head.next; r != &head; r = r->next) {
      std::vector<std::string> row;
      for (std::size_t i = 0; i < fields.size(); ++i)
        row.push_back(fields[i].type == CSV_FIELD_INTEGER ? std::to_string(r->values[i])
                                                           : std::string(static_cast<LPCSTR>(*reinterpret_cast<CString*>(r->values[i]))));
      rows.push_back(row);
    }
    return rows;
  }
};

struct MemoryOutput : ICsvOutput {
  std::string bytes;
  std::size_t failAfter = std::string::npos;  // writes that succeed before one fails
  bool Write(std::string_view data) override {
    if (failAfter == 0) return false;
    if (failAfter != std::string::npos) --failAfter;
    bytes += data;
    return true;
  }
};

struct Warning {
  int code;
  std::string message;
};

struct ScriptedHost : ICsvImportHost {
  struct Reply {
    CsvAnswer answer;
    bool applyToAll = false;
  };
  std::deque<Reply> replies;  // asked warnings take these in turn; none left: Skip
  std::vector<Warning> asked;
  std::vector<int> records;
  int joined = 0;
  int stopAfterRecord = -1;  // the user quits while this record is handled
  void OnRecord(int number) override { records.push_back(number); }
  void OnLineJoined() override { ++joined; }
  CsvAnswer AskWarning(int code, const std::string& message, bool& applyToAll) override {
    asked.push_back({code, message});
    if (replies.empty()) return CsvAnswer::Skip;
    Reply reply = replies.front();
    replies.pop_front();
    applyToAll = reply.applyToAll;
    return reply.answer;
  }
  bool StopRequested() override { return !records.empty() && records.back() == stopAfterRecord; }
};

struct CountingExportHost : ICsvExportHost {
  std::vector<int> records;
  int stopBefore = -1;
  void OnRecord(int number) override { records.push_back(number); }
  bool StopRequested() override { return static_cast<int>(records.size()) + 1 == stopBefore; }
};

}  // namespace tabulon::testing
