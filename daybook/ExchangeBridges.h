#pragma once
// Daybook's side of the two exchange libraries: the CSV wizard library Tabulon (contacts only) and
// the vCard and vCalendar library Interlex. Both are loaded by name for each command and unloaded at
// its end; Interlex's release functions and its flag `incorrectFileTool` are also linked, so the
// library stays mapped while Daybook runs and an array it returned is always freed by its own code
// before the command unloads it.
//
// The commands run over IExchangeHost, which stands for the main dialog, its pages and its message
// boxes, so that their rules run in tests without windows; CExchangeBridges decides, the host shows.
#include "CalendarModels.h"
#include "MainDialogRules.h"

#include <handport/Manager.h>
#include <tabulon/CsvExchange.h>

#include <framework/Array.h>
#include <kernel/Module.h>

#include <functional>
#include <memory>
#include <span>
#include <vector>

using CPhoneBookArray = CArray<PA_PHONEBOOK_INFO, PA_PHONEBOOK_INFO>;
using CScheduleArray = CArray<PA_SCHEDULE_INFO, PA_SCHEDULE_INFO>;
using CToDoArray = CArray<PA_TODO_INFO, PA_TODO_INFO>;

// Interlex's linked exports.
extern "C" {
void fnVCardRelease(CPhoneBookArray** array);
void fnVCalendarRelease(CScheduleArray** array);
void fnVCalendarTodoRelease(CToDoArray** array);
extern int incorrectFileTool;
}

namespace daybook {

// The texts and captions the bridges show.
enum : UINT {
  TXT_CAPTION_CONTACTS = 305, TXT_CAPTION_SCHEDULE = 306, TXT_CAPTION_TODO = 307,
  TXT_SCHEDULE_FULL = 356, TXT_NO_SELECTION = 358, TXT_TODO_FULL = 365,
  TXT_CSV_TOO_MANY = 389, TXT_LIBRARY_MISSING = 390, TXT_CSV_NOTHING = 391, TXT_CSV_REPLACE = 392,
  TXT_CONTACTS_FULL = 399, TXT_SAME_START = 423, TXT_NOTHING_TO_EXPORT = 441,
  TXT_REFUSED_RECORDS = 2017,  // how many imported records the store turned down
};

constexpr int kCsvColumns = 17;
constexpr int kCsvTextColumns = 13;  // columns 0..12 hold strings, 13..16 integers
constexpr int kCsvImportLimit = 500;

// The 17 contact columns the wizard shows, named in the user's language. Owns the names and the
// empty default strings the descriptors point to.
class CCsvFields {
 public:
  explicit CCsvFields(const std::function<CString(UINT)>& text);
  CSV_FIELD_INFO* Data() { return m_fields.data(); }
  const CSV_FIELD_INFO& operator[](int i) const { return m_fields[static_cast<std::size_t>(i)]; }

 private:
  std::vector<CString> m_names;
  std::vector<std::unique_ptr<CString>> m_defaults;
  std::vector<CSV_FIELD_INFO> m_fields;
};

// A record list in the wizard's layout whose every node, value array and string is freed with it,
// whoever appended them.
class CCsvRecordList {
 public:
  CCsvRecordList();
  ~CCsvRecordList();
  CCsvRecordList(const CCsvRecordList&) = delete;
  CCsvRecordList& operator=(const CCsvRecordList&) = delete;

  CSV_RECORD_LIST* Get() { return &m_list; }
  int Count() const { return m_list.count; }
  bool Empty() const { return m_list.head->next == m_list.head; }
  void Append(const PA_PHONEBOOK_INFO& contact);
  // The first record's values, or empty when the list is empty; the record is unlinked and freed.
  std::vector<intptr_t> TakeFirst(std::vector<CString>& texts);
  void Clear();

 private:
  CSV_RECORD m_head;
  CSV_RECORD_LIST m_list;
};

// A record list entry turned into the contact it describes. Picture and melody ids are kept only
// when the matching choice list holds them (the names then come from there).
PA_PHONEBOOK_INFO ContactFromCsv(const std::vector<CString>& texts, const std::vector<intptr_t>& values,
                                 std::span<const Melody> pictures, std::span<const Melody> melodies);

// What an import stored and what it could not.
struct ImportCount {
  int stored = 0;
  int refused = 0;  // the store turned the record down (a field too long for the phone)
};

// The main dialog, its pages and its messages as the bridges use them.
class IExchangeHost {
 public:
  virtual ~IExchangeHost() = default;
  virtual PendingEdits Pending() = 0;
  virtual CString Text(UINT id) = 0;
  // A message box: the text of `textId` (or `text` when given), the caption's text, the type.
  virtual int Message(const CString& text, UINT captionId, UINT type) = 0;
  virtual HWND Owner() = 0;
  virtual void EnableOwner(bool enable) = 0;
  virtual void Repaint() = 0;
  virtual void LockUpdates(bool lock) = 0;
  virtual std::vector<Melody> Pictures() = 0;  // the contact page's choices, the placeholder left out
  virtual std::vector<Melody> Melodies() = 0;
  virtual std::vector<Melody> AlarmMelodies() = 0;  // the schedule page's choices
  virtual void ClearContacts() = 0;                 // every contact removed, groups back to defaults
  virtual void ContactsStored(bool groupsToo) = 0;  // groups (when asked) and list from the store
  virtual void ContactsFull() = 0;                  // the contact form emptied
  virtual void ScheduleStored() = 0;                // list refilled by the daily choice, editor cleared
  virtual void ToDoStored() = 0;                    // list refilled, no row selected
  virtual void DocumentModified() = 0;
  virtual Page VisiblePage() = 0;
  virtual std::vector<int> SelectedSlots() = 0;     // of the visible page's list, in list order
};

// How the bridges reach the libraries: by name through the platform's loader, and Interlex's
// release functions as linked. Tests put their own in place.
struct ExchangeLibraries {
  std::function<HMODULE(LPCSTR)> load = [](LPCSTR name) { return ::LoadLibraryA(name); };
  std::function<FARPROC(HMODULE, LPCSTR)> find = [](HMODULE m, LPCSTR name) { return ::GetProcAddress(m, name); };
  std::function<void(HMODULE)> unload = [](HMODULE m) { ::FreeLibrary(m); };
  std::function<void(CPhoneBookArray**)> releaseCards = fnVCardRelease;
  std::function<void(CScheduleArray**)> releaseSchedule = fnVCalendarRelease;
  std::function<void(CToDoArray**)> releaseToDo = fnVCalendarTodoRelease;
  std::function<int()> todoMarker = [] { return incorrectFileTool; };
};

using ExportCardsProc = int (*)(CPhoneBookArray*, HWND);
using ImportCardsProc = int (*)(CPhoneBookArray**, HWND);
using ExportScheduleProc = int (*)(CScheduleArray*, HWND);
using ImportScheduleProc = int (*)(CScheduleArray**, HWND);
using ExportToDoProc = int (*)(CToDoArray*, HWND);
using ImportToDoProc = int (*)(CToDoArray**, HWND);

class CExchangeBridges {
 public:
  CExchangeBridges(CManager& manager, IExchangeHost& host, ExchangeLibraries libraries = {});

  // Runs one of the nine exchange commands; false for any other command.
  bool Run(UINT command);

  void ExportCsv();
  void ImportCsv();
  void ExportAllCards();
  void ExportAllSchedule();
  void ExportAllToDo();
  void ExportSelection();
  void ImportCards();
  void ImportSchedule();
  void ImportToDo();

 private:
  void ImportToDoBody();
  bool RefusedWhileEditing();
  void Info(UINT textId, UINT captionId = TXT_CAPTION_CONTACTS, UINT type = MB_ICONINFORMATION);
  void ReportRefused(int refused);
  FARPROC Bind(HMODULE& module, LPCSTR entry);
  std::vector<PA_SCHEDULE_INFO> WithMelodyNames(std::vector<PA_SCHEDULE_INFO> entries);
  template <class Record, class Proc>
  void Export(LPCSTR entry, const std::vector<Record>& records);

  CManager& m_manager;
  IExchangeHost& m_host;
  ExchangeLibraries m_libraries;
};

}  // namespace daybook
