#pragma once
// What a caller of Tabulon shares with it: the field descriptors, the record list and the two
// wizard entry points, which the caller looks up by name in the loaded library.
//
// Value slots and a descriptor's default are pointer-sized: each holds either an integer or the
// address of a string object (CString), and an address does not fit in 32 bits here.
#include <framework/String.h>

#include <cstdint>

constexpr int CSV_FIELD_TEXT = 0;
constexpr int CSV_FIELD_PHONE = 1;
constexpr int CSV_FIELD_EMAIL = 2;
constexpr int CSV_FIELD_INTEGER = 3;

struct CSV_FIELD_INFO {
  int type = CSV_FIELD_TEXT;   // CSV_FIELD_*; any other value is text
  const char* name = nullptr;  // display name: mapping page, header line, warnings
  int limit = 0;               // integer: largest value (smallest is 0); others: most characters
  intptr_t defaultValue = 0;   // integer: the value itself; others: a caller-owned CString*
};

struct CSV_RECORD {
  CSV_RECORD* next = nullptr;  // the head after the last record
  CSV_RECORD* prev = nullptr;  // the head before the first record
  int valueCount = 0;
  intptr_t* values = nullptr;  // slot i: integer for an integer field, else a CString*
};

struct CSV_RECORD_LIST {
  int reserved = 0;
  CSV_RECORD* head = nullptr;  // an empty list's head points to itself both ways
  int count = 0;
};

// ID_WIZFINISH when the user finished the wizard, IDCANCEL (2) when cancelled. On import the
// records appended (node, value array, one CString per non-integer field, all allocated with new /
// new[]) belong to the caller, also after a cancel late in the run.
extern "C" {
using CsvWizardProc = int (*)(int nFields, CSV_FIELD_INFO* fields, CSV_RECORD_LIST* list);
int dwCSVExportationWizard_DoModal(int nFields, CSV_FIELD_INFO* fields, CSV_RECORD_LIST* list);
int dwCSVImportationWizard_DoModal(int nFields, CSV_FIELD_INFO* fields, CSV_RECORD_LIST* list);
}
