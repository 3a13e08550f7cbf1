#pragma once
// The exchange libraries' real file code behind the bridges' entry points: vCard and vCalendar files
// written and read by the exchange library's own code (with scripted answers for its dialogs) in one
// folder, the CSV file by the wizard library's engine (kept in memory, header line, every column in
// order). A test registers them with FakeLibraries through AddExchangeFiles.
#include "ExchangeFakes.h"

#include "CsvEngine.h"
#include "Interlex.h"
#include "../../interlex/tests/ScriptedUi.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace exchange_files {


inline CScriptedUi* g_ui = nullptr;
inline CInterlex* g_interlex = nullptr;
inline std::filesystem::path g_folder;
inline std::string g_csv;  // the last CSV file the export wrote

// The files of the exchange folder in name order, as the person would pick them all.
inline void ChooseEverything(const char* extension) {
  g_ui->files.clear();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(g_folder)) {
    if (entry.path().extension() == extension) names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) g_ui->files.push_back(CString(name.c_str()));
}

inline int ExportCards(CPhoneBookArray* a, HWND owner) { return g_interlex->VcardExportAll(a, owner); }
inline int ExportSchedule(CScheduleArray* a, HWND owner) { return g_interlex->VcalendarExportAll(a, owner); }
inline int ExportToDo(CToDoArray* a, HWND owner) { return g_interlex->VcalendarTodoExportAll(a, owner); }
inline int ImportCards(CPhoneBookArray** out, HWND owner) {
  ChooseEverything(".vcf");
  *out = new CPhoneBookArray;
  return g_interlex->VcardImportAll(*out, owner);
}
inline int ImportSchedule(CScheduleArray** out, HWND owner) {
  ChooseEverything(".vcs");
  *out = new CScheduleArray;
  return g_interlex->VcalenderImportAll(*out, owner);
}
inline int ImportToDo(CToDoArray** out, HWND owner) {
  ChooseEverything(".vcs");
  *out = new CToDoArray;
  return g_interlex->VcalenderTodoImportAll(*out, owner);
}

struct StringOut : tabulon::ICsvOutput {
  bool Write(std::string_view bytes) override {
    text += bytes;
    return true;
  }
  std::string text;
};
struct Go : tabulon::ICsvImportHost, tabulon::ICsvExportHost {
  void OnRecord(int) override {}
  void OnLineJoined() override {}
  tabulon::CsvAnswer AskWarning(int, const std::string&, bool&) override { return tabulon::CsvAnswer::Force; }
  bool StopRequested() override { return false; }
};

inline int CsvExport(int n, CSV_FIELD_INFO* fields, CSV_RECORD_LIST* list) {
  StringOut out;
  Go go;
  tabulon::RunExport(*list, std::span(fields, static_cast<std::size_t>(n)), ',', true, out, go);
  g_csv = out.text;
  return ID_WIZFINISH;
}
inline int CsvImport(int n, CSV_FIELD_INFO* fields, CSV_RECORD_LIST* list) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < g_csv.size();) {
    const std::size_t end = g_csv.find("\r\n", at);
    lines.push_back(g_csv.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end == std::string::npos ? g_csv.size() : end + 2;
  }
  std::vector<int> mapping(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) mapping[static_cast<std::size_t>(i)] = i;
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  tabulon::CsvImportSetup setup;
  setup.lines = views;
  setup.headerLine = true;
  setup.mapping = mapping;
  setup.fields = std::span(fields, static_cast<std::size_t>(n));
  setup.list = list;
  Go go;
  StringOut log;
  tabulon::RunImport(setup, go, log);
  return ID_WIZFINISH;
}

// Every entry point of both libraries, over `ui`'s answers and the folder `folder`.
inline void AddExchangeFiles(FakeLibraries& libraries, CScriptedUi& ui, CInterlex& interlex,
                             const std::filesystem::path& folder) {
  g_folder = folder;
  ui.folder = folder.string();
  g_ui = &ui;
  g_interlex = &interlex;
  libraries.Add("Interlex.dll", "fnVCardExport", ExportCards);
  libraries.Add("Interlex.dll", "fnVCardImport", ImportCards);
  libraries.Add("Interlex.dll", "fnVCalendarExport", ExportSchedule);
  libraries.Add("Interlex.dll", "fnVCalendarImport", ImportSchedule);
  libraries.Add("Interlex.dll", "fnVCalendarTodoExport", ExportToDo);
  libraries.Add("Interlex.dll", "fnVCalendarTodoImport", ImportToDo);
  libraries.Add("Tabulon.dll", "dwCSVExportationWizard_DoModal", CsvExport);
  libraries.Add("Tabulon.dll", "dwCSVImportationWizard_DoModal", CsvImport);
  libraries.marker = [] { return incorrectFileTool; };
}

}  // namespace exchange_files
