#pragma once
// The CSV wizard: one Wizard-97 sheet with the configuration, mapping, progress, report and last
// pages, run modally on the caller's thread for one export or import. It holds what the pages
// hand each other: the caller's fields and records, the chosen file, separator and header option,
// the mapping, the file's lines, the remembered files and the run's outcome.
#include "ConfigPage.h"
#include "CsvSettings.h"
#include "CsvText.h"
#include "MappingPage.h"
#include "ProgressPage.h"
#include "ReportPage.h"

#include <tabulon/CsvExchange.h>

#include <span>
#include <string>
#include <vector>

// What a run leaves for the report page.
struct CsvRunOutcome {
  int written = 0;        // export: records written
  bool failed = false;    // the export file or the log could not be written whole
  std::string logPath;    // import: the log, read back by the report
  std::string logText;    // import: the log's text, shown when the file could not be written
};

class CWizardSheet : public CPropertySheet {
public:
  // The remembered files are read here and written back when the sheet goes, whatever the result.
  CWizardSheet(HBITMAP watermark, HBITMAP header, bool exporting, int nFields, CSV_FIELD_INFO* fields,
               CSV_RECORD_LIST* list);
  ~CWizardSheet() override;

  bool IsExport() const { return m_exporting; }
  std::span<const CSV_FIELD_INFO> Fields() const;
  CSV_RECORD_LIST* RecordList() const { return m_list; }

  CConfigPage m_configPage;
  CMappingPage m_mappingPage;
  CProgressPage m_progressPage;
  CReportPage m_reportPage;
  CLastPage m_lastPage;

  tabulon::CCsvSettings m_settings;
  std::string m_path;             // the current run's file
  char m_separator = ',';
  bool m_headerLine = false;
  std::vector<int> m_mapping;     // per caller field: the CSV column, or -1
  tabulon::CsvFileText m_file;   // the file to import and its lines
  CsvRunOutcome m_outcome;

private:
  bool m_exporting;
  int m_nFields;
  CSV_FIELD_INFO* m_fields;
  CSV_RECORD_LIST* m_list;
};
