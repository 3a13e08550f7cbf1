#pragma once
// CInterlex: the exchange library's one object (`theInterlex`), behind the C exports Daybook calls.
// Each operation runs whole on the caller's thread: it asks for files or a folder, reads or writes one
// file per record and shows its messages, all modal. Imports fill an array the caller hands back to
// the matching release function; exports only read the caller's array.
//
// The object keeps the files chosen in the last vCalendar schedule import: the to-do import walks
// them without asking again, when the schedule import met a file marked as a to-do list
// (`incorrectFileTool`).
#include "ExchangeUi.h"

#include <handport/PhoneRecords.h>

#include <framework/Array.h>

#include <vector>

using CPhoneBookArray = CArray<PA_PHONEBOOK_INFO, PA_PHONEBOOK_INFO>;
using CScheduleArray = CArray<PA_SCHEDULE_INFO, PA_SCHEDULE_INFO>;
using CToDoArray = CArray<PA_TODO_INFO, PA_TODO_INFO>;

// The thread's last error when an export cannot create a file.
constexpr DWORD INTERLEX_VCARD_CREATE_FAILED = 0x30060181;
constexpr DWORD INTERLEX_VCALENDAR_CREATE_FAILED = 0x30060281;

// 1 once a file of the running vCalendar import is marked as a to-do list; 0 at its start.
extern "C" int incorrectFileTool;

class CInterlex {
public:
  CInterlex();  // the real dialogs; reads the phone variant
  explicit CInterlex(IExchangeUi& ui);  // scripted answers; `extended` 0
  ~CInterlex();

  // 1 or 0, as the library's exports.
  int VcardImportAll(CPhoneBookArray* array, HWND owner);
  int VcardExportAll(CPhoneBookArray* array, HWND owner);
  int VcalenderImportAll(CScheduleArray* array, HWND owner);
  int VcalendarExportAll(CScheduleArray* array, HWND owner);
  int VcalenderTodoImportAll(CToDoArray* array, HWND owner);
  int VcalendarTodoExportAll(CToDoArray* array, HWND owner);

  // The folder picker of every export, owned by `owner`; `folder` is left as it was when cancelled.
  void OnBrowse(CString& folder);

  CInterlex& operator=(const CInterlex& other);

  int extended = 0;       // 1 on the phones with long descriptions (their "Build" starts with Z or U)
  HWND owner = nullptr;   // the window of the last call
  std::vector<CString> keptSelection;  // the files of the last schedule import

private:
  // The phone variant from the settings value "Build".
  static int ReadExtended();
  bool Refuse(UINT messageId);  // shows an error of the exchange; always false
  // Whether the record's file may be written: asks when it exists. 1 write, 0 skip, -1 stop.
  int MayWrite(const CString& path, const CString& shownName, bool& yesToAll);

  template <class Record, class NameOf, class WriterOf>
  int ExportAll(CArray<Record, Record>* array, HWND window, LPCSTR extension, DWORD failure, NameOf name,
                WriterOf write);

  CDialogExchangeUi m_dialogs;
  IExchangeUi* m_ui = &m_dialogs;
};

extern CInterlex theInterlex;
