// The CSV, vCard and vCalendar commands of the main dialog over the PC-side stores.
#include "ExchangeBridges.h"

#include <controls/MessageBox.h>
#include <controls/PropSheet.h>
#include <user/Dialog.h>

#include <algorithm>

namespace daybook {

namespace {

constexpr LPCSTR kTabulon = "Tabulon.dll";
constexpr LPCSTR kInterlex = "Interlex.dll";

struct ColumnSpec {
  int type;
  UINT nameId;
  int limit;
};
// Column 13 is limited to 19, the highest group: 20 would store a contact in no group.
constexpr ColumnSpec kColumns[kCsvColumns] = {
    {CSV_FIELD_TEXT, 340, 30},     {CSV_FIELD_TEXT, 339, 30},     {CSV_FIELD_PHONE, 341, 40},
    {CSV_FIELD_PHONE, 342, 40},    {CSV_FIELD_PHONE, 343, 40},    {CSV_FIELD_PHONE, 344, 40},
    {CSV_FIELD_PHONE, 345, 40},    {CSV_FIELD_PHONE, 346, 40},    {CSV_FIELD_PHONE, 347, 40},
    {CSV_FIELD_EMAIL, 354, 64},    {CSV_FIELD_EMAIL, 355, 64},    {CSV_FIELD_TEXT, 352, 64},
    {CSV_FIELD_TEXT, 353, 64},     {CSV_FIELD_INTEGER, 348, kGroupCount},
    {CSV_FIELD_INTEGER, 351, 13},  {CSV_FIELD_INTEGER, 350, 65535}, {CSV_FIELD_INTEGER, 349, 65535},
};

// The contact's strings in column order 0..12.
std::array<const CString*, kCsvTextColumns> TextsOf(const PA_PHONEBOOK_INFO& c) {
  return {&c.strName,      &c.strReading,   &c.strNumber[0], &c.strNumber[1], &c.strNumber[2],
          &c.strNumber[3], &c.strNumber[4], &c.strNumber[5], &c.strNumber[6], &c.strEmail[0],
          &c.strEmail[1],  &c.strText[0],   &c.strText[1]};
}

void FreeRecord(CSV_RECORD* record) {
  if (record->values) {
    const int texts = std::min(record->valueCount, kCsvTextColumns);
    for (int i = 0; i < texts; ++i) delete reinterpret_cast<CString*>(record->values[i]);
    delete[] record->values;
  }
  delete record;
}

template <class Record, class Get>
std::vector<Record> ValidRecords(int slots, Get get) {
  std::vector<Record> records;
  for (int slot = 0; slot < slots; ++slot) {
    Record r;
    get(&r, static_cast<short>(slot));
    if (r.bValid) records.push_back(r);
  }
  return records;
}

template <class Record, class Get>
int FirstFreeSlot(int slots, Get get) {
  for (int slot = 0; slot < slots; ++slot) {
    Record r;
    get(&r, static_cast<short>(slot));
    if (!r.bValid) return slot;
  }
  return -1;
}

// An entry point found by name, as the function type the caller knows it by.
template <class Proc>
Proc As(FARPROC proc) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}

// A received record whose flag byte is 3 is not to be stored.
constexpr BYTE kSkippedFlag = 3;

}  // namespace

CCsvFields::CCsvFields(const std::function<CString(UINT)>& text) {
  m_names.reserve(kCsvColumns);
  m_fields.resize(kCsvColumns);
  for (int i = 0; i < kCsvColumns; ++i) {
    const ColumnSpec& spec = kColumns[i];
    m_names.push_back(text(spec.nameId));
    CSV_FIELD_INFO& field = m_fields[static_cast<std::size_t>(i)];
    field.type = spec.type;
    field.limit = spec.limit;
    if (spec.type != CSV_FIELD_INTEGER) {
      m_defaults.push_back(std::make_unique<CString>());
      field.defaultValue = reinterpret_cast<intptr_t>(m_defaults.back().get());
    }
  }
  for (int i = 0; i < kCsvColumns; ++i) m_fields[static_cast<std::size_t>(i)].name = m_names[static_cast<std::size_t>(i)];
}

CCsvRecordList::CCsvRecordList() {
  m_head.next = m_head.prev = &m_head;
  m_list.head = &m_head;
}

CCsvRecordList::~CCsvRecordList() { Clear(); }

void CCsvRecordList::Clear() {
  while (m_head.next != &m_head) {
    CSV_RECORD* first = m_head.next;
    m_head.next = first->next;
    FreeRecord(first);
  }
  m_head.prev = &m_head;
  m_list.count = 0;
}

void CCsvRecordList::Append(const PA_PHONEBOOK_INFO& contact) {
  auto* record = new CSV_RECORD;
  record->valueCount = kCsvColumns;
  record->values = new intptr_t[kCsvColumns]();
  const auto texts = TextsOf(contact);
  for (int i = 0; i < kCsvTextColumns; ++i) record->values[i] = reinterpret_cast<intptr_t>(new CString(*texts[static_cast<std::size_t>(i)]));
  record->values[13] = contact.bGroup;
  record->values[14] = contact.bChoice;
  record->values[15] = static_cast<intptr_t>(contact.dwPictureId);
  record->values[16] = static_cast<intptr_t>(contact.dwMelodyId);
  record->next = &m_head;
  record->prev = m_head.prev;
  m_head.prev->next = record;
  m_head.prev = record;
  ++m_list.count;
}

std::vector<intptr_t> CCsvRecordList::TakeFirst(std::vector<CString>& texts) {
  texts.assign(kCsvTextColumns, CString());
  if (Empty()) return {};
  CSV_RECORD* first = m_head.next;
  m_head.next = first->next;
  first->next->prev = &m_head;
  --m_list.count;
  std::vector<intptr_t> values(kCsvColumns, 0);
  if (first->values) {
    for (int i = 0; i < std::min(first->valueCount, kCsvColumns); ++i) {
      if (i < kCsvTextColumns) {
        if (const auto* s = reinterpret_cast<const CString*>(first->values[i])) texts[static_cast<std::size_t>(i)] = *s;
      } else {
        values[static_cast<std::size_t>(i)] = first->values[i];
      }
    }
  }
  FreeRecord(first);
  return values;
}

PA_PHONEBOOK_INFO ContactFromCsv(const std::vector<CString>& texts, const std::vector<intptr_t>& values,
                                 std::span<const Melody> pictures, std::span<const Melody> melodies) {
  PA_PHONEBOOK_INFO c;
  const auto fields = TextsOf(c);
  for (int i = 0; i < kCsvTextColumns && i < static_cast<int>(texts.size()); ++i) {
    *const_cast<CString*>(fields[static_cast<std::size_t>(i)]) = texts[static_cast<std::size_t>(i)];
  }
  const auto value = [&](int i) { return i < static_cast<int>(values.size()) ? values[static_cast<std::size_t>(i)] : 0; };
  c.bGroup = static_cast<BYTE>(value(13) & 0xFF);
  c.bChoice = static_cast<BYTE>(value(14) & 0xFF);
  const auto pick = [](intptr_t id, std::span<const Melody> list, DWORD& outId, CString& outName) {
    outId = 0;
    outName.Empty();
    for (const Melody& m : list) {
      if (static_cast<intptr_t>(m.id) == id) {
        outId = m.id;
        outName = m.name;
        return;
      }
    }
  };
  // The record's picture and melody names live in the reserved strings the store keeps beside the ids.
  pick(value(15), pictures, c.dwPictureId, c.strReserved1);
  pick(value(16), melodies, c.dwMelodyId, c.strReserved2);
  return c;
}

CExchangeBridges::CExchangeBridges(CManager& manager, IExchangeHost& host, ExchangeLibraries libraries)
    : m_manager(manager), m_host(host), m_libraries(std::move(libraries)) {}

bool CExchangeBridges::Run(UINT command) {
  switch (command) {
    case CMD_EXPORT_CSV: ExportCsv(); return true;
    case CMD_IMPORT_CSV: ImportCsv(); return true;
    case CMD_EXPORT_VCARD: ExportAllCards(); return true;
    case CMD_EXPORT_VCAL: ExportAllSchedule(); return true;
    case CMD_EXPORT_VCAL_TODO: ExportAllToDo(); return true;
    case CMD_EXPORT_POPUP: ExportSelection(); return true;
    case CMD_IMPORT_VCARD: ImportCards(); return true;
    case CMD_IMPORT_VCAL: ImportSchedule(); return true;
    case CMD_IMPORT_VCAL_TODO: ImportToDo(); return true;
    default: return false;
  }
}

bool CExchangeBridges::RefusedWhileEditing() {
  if (!AnyPending(m_host.Pending())) return false;
  Info(kPendingEditText);
  return true;
}

void CExchangeBridges::Info(UINT textId, UINT captionId, UINT type) {
  m_host.Message(m_host.Text(textId), captionId, type);
}

void CExchangeBridges::ReportRefused(int refused) {
  if (refused <= 0) return;
  CString text;
  text.Format(m_host.Text(TXT_REFUSED_RECORDS), refused);
  m_host.Message(text, TXT_CAPTION_CONTACTS, MB_ICONEXCLAMATION);
}

// Interlex loaded and the entry found, or nothing loaded (the command then ends silently).
FARPROC CExchangeBridges::Bind(HMODULE& module, LPCSTR entry) {
  module = m_libraries.load(kInterlex);
  if (!module) return nullptr;
  FARPROC proc = m_libraries.find(module, entry);
  if (!proc) {
    m_libraries.unload(module);
    module = nullptr;
  }
  return proc;
}

// ---- CSV ----

void CExchangeBridges::ExportCsv() {
  if (RefusedWhileEditing()) return;
  HMODULE module = m_libraries.load(kTabulon);
  if (!module) {
    Info(TXT_LIBRARY_MISSING);
    return;
  }
  const auto contacts = ValidRecords<PA_PHONEBOOK_INFO>(kContactSlots, [&](auto* r, short s) { m_manager.PA_GetPhoneBook(r, s); });
  const auto wizard = As<CsvWizardProc>(m_libraries.find(module, "dwCSVExportationWizard_DoModal"));
  if (contacts.empty()) {
    Info(TXT_CSV_NOTHING);
  } else if (!wizard) {
    Info(TXT_LIBRARY_MISSING);  // a library without the wizard is as good as none
  } else {
    CCsvFields fields([&](UINT id) { return m_host.Text(id); });
    CCsvRecordList list;
    for (const PA_PHONEBOOK_INFO& c : contacts) list.Append(c);
    wizard(kCsvColumns, fields.Data(), list.Get());
  }
  m_libraries.unload(module);
}

void CExchangeBridges::ImportCsv() {
  if (RefusedWhileEditing()) return;
  const bool any = !ValidRecords<PA_PHONEBOOK_INFO>(kContactSlots, [&](auto* r, short s) { m_manager.PA_GetPhoneBook(r, s); }).empty();
  if (any && m_host.Message(m_host.Text(TXT_CSV_REPLACE), TXT_CAPTION_CONTACTS, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  HMODULE module = m_libraries.load(kTabulon);
  const auto wizard = module ? As<CsvWizardProc>(m_libraries.find(module, "dwCSVImportationWizard_DoModal")) : nullptr;
  if (!wizard) {
    if (module) m_libraries.unload(module);
    Info(TXT_LIBRARY_MISSING);
    m_host.Repaint();
    return;
  }
  CCsvRecordList list;
  int result = 0;
  {
    CCsvFields fields([&](UINT id) { return m_host.Text(id); });
    result = wizard(kCsvColumns, fields.Data(), list.Get());
  }
  // Only a finished wizard replaces the contacts; whatever a cancelled one left is freed unread.
  if (result != ID_WIZFINISH) {
    list.Clear();
    m_libraries.unload(module);
    return;
  }
  m_host.ClearContacts();
  if (list.Count() > kCsvImportLimit) {
    CString text;
    text.Format(m_host.Text(TXT_CSV_TOO_MANY), kCsvImportLimit, kCsvImportLimit);
    m_host.Message(text, TXT_CAPTION_CONTACTS, MB_ICONINFORMATION);
  }
  const std::vector<Melody> pictures = m_host.Pictures();
  const std::vector<Melody> melodies = m_host.Melodies();
  ImportCount count;
  int cursor = 0;
  std::vector<CString> texts;
  while (!list.Empty()) {
    for (; cursor < kContactSlots; ++cursor) {
      PA_PHONEBOOK_INFO existing;
      m_manager.PA_GetPhoneBook(&existing, static_cast<short>(cursor));
      if (!existing.bValid) break;
    }
    if (cursor >= kContactSlots) break;  // the rest is dropped with the list
    const std::vector<intptr_t> values = list.TakeFirst(texts);
    PA_PHONEBOOK_INFO contact = ContactFromCsv(texts, values, pictures, melodies);
    if (m_manager.PA_PutPhoneBook(&contact, static_cast<short>(cursor)) == PA_OK) {
      ++count.stored;
      ++cursor;
    } else {
      ++count.refused;  // the slot stays free for the next record
    }
  }
  list.Clear();
  m_libraries.unload(module);
  if (count.stored > 0) m_host.DocumentModified();
  m_host.ContactsStored(true);
  m_host.Repaint();
  ReportRefused(count.refused);
}

// ---- vCard and vCalendar exports ----

std::vector<PA_SCHEDULE_INFO> CExchangeBridges::WithMelodyNames(std::vector<PA_SCHEDULE_INFO> entries) {
  short count = 0;
  std::vector<PA_RESOURCE_INFO> sounds;
  if (m_manager.PA_GetNumResourcesList(&count, 1) == PA_OK && count > 0) {
    sounds.resize(static_cast<std::size_t>(count));
    if (m_manager.PA_GetResourceList(1, sounds.data()) != PA_OK) sounds.clear();
  }
  for (PA_SCHEDULE_INFO& e : entries) {
    const auto match = std::find_if(sounds.begin(), sounds.end(), [&](const PA_RESOURCE_INFO& r) { return r.dwFileId == e.dwMelodyId; });
    if (match != sounds.end()) e.strMelodyName = match->strDisplayName;
  }
  return entries;
}

template <class Record, class Proc>
void CExchangeBridges::Export(LPCSTR entry, const std::vector<Record>& records) {
  HMODULE module = nullptr;
  const auto proc = As<Proc>(Bind(module, entry));
  if (!proc) return;
  CArray<Record, Record> array;
  for (const Record& r : records) array.Add(r);
  m_host.EnableOwner(false);
  proc(&array, m_host.Owner());
  m_host.EnableOwner(true);
  array.RemoveAll();
  m_libraries.unload(module);
}

void CExchangeBridges::ExportAllCards() {
  if (RefusedWhileEditing()) return;
  const auto records = ValidRecords<PA_PHONEBOOK_INFO>(kContactSlots, [&](auto* r, short s) { m_manager.PA_GetPhoneBook(r, s); });
  if (records.empty()) return Info(TXT_NOTHING_TO_EXPORT);
  Export<PA_PHONEBOOK_INFO, ExportCardsProc>("fnVCardExport", records);
}

void CExchangeBridges::ExportAllSchedule() {
  if (RefusedWhileEditing()) return;
  auto records = ValidRecords<PA_SCHEDULE_INFO>(kScheduleSlots, [&](auto* r, short s) { m_manager.PA_GetSchedule(r, s); });
  if (records.empty()) return Info(TXT_NOTHING_TO_EXPORT);
  Export<PA_SCHEDULE_INFO, ExportScheduleProc>("fnVCalendarExport", WithMelodyNames(std::move(records)));
}

void CExchangeBridges::ExportAllToDo() {
  if (RefusedWhileEditing()) return;
  const auto records = ValidRecords<PA_TODO_INFO>(kToDoSlots, [&](auto* r, short s) { m_manager.PA_GetToDo(r, s); });
  if (records.empty()) return Info(TXT_NOTHING_TO_EXPORT);
  Export<PA_TODO_INFO, ExportToDoProc>("fnVCalendarTodoExport", records);
}

void CExchangeBridges::ExportSelection() {
  if (RefusedWhileEditing()) return;
  const Page page = m_host.VisiblePage();
  const std::vector<int> slots = m_host.SelectedSlots();
  bool anyStored = false;
  switch (page) {
    case Page::Contacts:
      anyStored = !ValidRecords<PA_PHONEBOOK_INFO>(kContactSlots, [&](auto* r, short s) { m_manager.PA_GetPhoneBook(r, s); }).empty();
      break;
    case Page::Schedule:
      anyStored = !ValidRecords<PA_SCHEDULE_INFO>(kScheduleSlots, [&](auto* r, short s) { m_manager.PA_GetSchedule(r, s); }).empty();
      break;
    case Page::ToDo:
      anyStored = !ValidRecords<PA_TODO_INFO>(kToDoSlots, [&](auto* r, short s) { m_manager.PA_GetToDo(r, s); }).empty();
      break;
  }
  if (slots.empty() || !anyStored) return Info(TXT_NO_SELECTION, TXT_CAPTION_CONTACTS, MB_ICONQUESTION);
  switch (page) {
    case Page::Contacts: {
      std::vector<PA_PHONEBOOK_INFO> records(slots.size());
      for (std::size_t i = 0; i < slots.size(); ++i) m_manager.PA_GetPhoneBook(&records[i], static_cast<short>(slots[i]));
      return Export<PA_PHONEBOOK_INFO, ExportCardsProc>("fnVCardExport", records);
    }
    case Page::Schedule: {
      std::vector<PA_SCHEDULE_INFO> records(slots.size());
      for (std::size_t i = 0; i < slots.size(); ++i) m_manager.PA_GetSchedule(&records[i], static_cast<short>(slots[i]));
      return Export<PA_SCHEDULE_INFO, ExportScheduleProc>("fnVCalendarExport", WithMelodyNames(std::move(records)));
    }
    case Page::ToDo: {
      std::vector<PA_TODO_INFO> records(slots.size());
      for (std::size_t i = 0; i < slots.size(); ++i) m_manager.PA_GetToDo(&records[i], static_cast<short>(slots[i]));
      return Export<PA_TODO_INFO, ExportToDoProc>("fnVCalendarTodoExport", records);
    }
  }
}

// ---- vCard and vCalendar imports ----

void CExchangeBridges::ImportCards() {
  if (RefusedWhileEditing()) return;
  HMODULE module = nullptr;
  const auto proc = As<ImportCardsProc>(Bind(module, "fnVCardImport"));
  if (!proc) return;
  CPhoneBookArray* array = nullptr;
  m_host.EnableOwner(false);
  proc(&array, m_host.Owner());
  m_host.EnableOwner(true);
  m_host.Repaint();
  ImportCount count;
  bool full = false;
  for (int i = 0; array && i < array->GetSize(); ++i) {
    const int slot = FirstFreeSlot<PA_PHONEBOOK_INFO>(kContactSlots, [&](auto* r, short s) { m_manager.PA_GetPhoneBook(r, s); });
    if (slot < 0) {
      full = true;
      break;
    }
    PA_PHONEBOOK_INFO record = array->GetAt(i);
    if (record.bValid == kSkippedFlag) continue;
    if (m_manager.PA_PutPhoneBook(&record, static_cast<short>(slot)) == PA_OK) {
      ++count.stored;
      m_host.DocumentModified();
    } else {
      ++count.refused;
    }
  }
  // Interlex's array goes back to Interlex while its code is still loaded.
  m_libraries.releaseCards(&array);
  m_libraries.unload(module);
  if (full) {
    Info(TXT_CONTACTS_FULL);
    m_host.ContactsFull();
  }
  m_host.ContactsStored(false);
  ReportRefused(count.refused);
}

void CExchangeBridges::ImportSchedule() {
  if (RefusedWhileEditing()) return;
  HMODULE module = nullptr;
  const auto proc = As<ImportScheduleProc>(Bind(module, "fnVCalendarImport"));
  if (proc) {
    CScheduleArray* array = nullptr;
    m_host.EnableOwner(false);
    proc(&array, m_host.Owner());
    m_host.EnableOwner(true);
    m_host.Repaint();
    m_host.LockUpdates(true);
    m_host.Repaint();
    const std::vector<Melody> melodies = m_host.AlarmMelodies();
    ImportCount count;
    UINT stop = 0;
    for (int i = 0; array && i < array->GetSize() && !stop; ++i) {
      // Full and duplicate tests look at the store itself, whatever the list shows.
      std::vector<PA_SCHEDULE_INFO> used(kScheduleSlots);
      int freeSlot = -1, usedCount = 0;
      for (int s = 0; s < kScheduleSlots; ++s) {
        m_manager.PA_GetSchedule(&used[static_cast<std::size_t>(s)], static_cast<short>(s));
        if (used[static_cast<std::size_t>(s)].bValid) ++usedCount;
        else if (freeSlot < 0) freeSlot = s;
      }
      if (usedCount >= kScheduleSlots) {
        stop = TXT_SCHEDULE_FULL;
        break;
      }
      PA_SCHEDULE_INFO record = array->GetAt(i);
      if (std::any_of(used.begin(), used.end(), [&](const PA_SCHEDULE_INFO& e) { return e.bValid && e.tmStart == record.tmStart; })) {
        stop = TXT_SAME_START;
        break;
      }
      if (record.bValid == kSkippedFlag) continue;
      const DWORD melody = CScheduleModel::FindMelodyId(record.strMelodyName, melodies);
      if (record.strMelodyName != " ") record.dwMelodyId = melody;
      if (m_manager.PA_PutSchedule(&record, static_cast<short>(freeSlot)) == PA_OK) {
        ++count.stored;
        m_host.DocumentModified();
      } else {
        ++count.refused;
      }
    }
    m_libraries.releaseSchedule(&array);
    m_host.LockUpdates(false);
    m_host.ScheduleStored();
    if (stop) Info(stop, TXT_CAPTION_SCHEDULE);
    ReportRefused(count.refused);
    if (stop) {
      m_libraries.unload(module);
      return;
    }
  }
  // A file marked as a to-do list goes on into the to-do import, with Interlex still loaded: the
  // files it walks are those the schedule import kept.
  if (m_libraries.todoMarker() == 1) ImportToDoBody();
  if (module) m_libraries.unload(module);
}

void CExchangeBridges::ImportToDo() {
  if (RefusedWhileEditing()) return;
  ImportToDoBody();
}

void CExchangeBridges::ImportToDoBody() {
  HMODULE module = nullptr;
  const auto proc = As<ImportToDoProc>(Bind(module, "fnVCalendarTodoImport"));
  if (!proc) {
    m_host.ToDoStored();
    return;
  }
  CToDoArray* array = nullptr;
  m_host.EnableOwner(false);
  proc(&array, m_host.Owner());
  m_host.EnableOwner(true);
  m_host.LockUpdates(true);
  m_host.Repaint();
  ImportCount count;
  bool full = false;
  for (int i = 0; array && i < array->GetSize(); ++i) {
    const int slot = FirstFreeSlot<PA_TODO_INFO>(kToDoSlots, [&](auto* r, short s) { m_manager.PA_GetToDo(r, s); });
    if (slot < 0) {
      full = true;
      break;
    }
    PA_TODO_INFO record = array->GetAt(i);
    if (record.bValid == kSkippedFlag) continue;
    if (m_manager.PA_PutToDo(&record, static_cast<short>(slot)) == PA_OK) {
      ++count.stored;
      m_host.DocumentModified();
    } else {
      ++count.refused;
    }
  }
  m_libraries.releaseToDo(&array);
  m_host.LockUpdates(false);
  m_host.ToDoStored();
  if (full) Info(TXT_TODO_FULL, TXT_CAPTION_TODO);
  ReportRefused(count.refused);
  m_libraries.unload(module);
}

}  // namespace daybook
