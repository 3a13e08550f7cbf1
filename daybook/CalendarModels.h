#pragma once
// The rules of the schedule and to-do pages over the phone library's PC-side store: free slots, the
// rows of the daily and the full list, duplicate starts, what Add proposes, what apply stores (and
// what a refusal names), the selection after a delete, delete all, and the alarm melodies.
// The pages keep the editing state (adding, modified, pendingRow, multiSelect) in CEditState and
// only move values between these models and their controls.
#include "ContactsModel.h"

#include <handport/Manager.h>

#include <span>
#include <vector>

namespace daybook {

// The pickers and the calendar accept 1 January 2003 up to the last minute the record's 32-bit time
// can hold, so today's "now" always fits.
CTime EarliestPickerTime();
CTime LatestPickerTime();  // 31 December 2037 23:59

// The description's placeholder: a description left at it is stored empty.
constexpr const char* kDescriptionPlaceholder = "<description>";

// The editing state the schedule and to-do pages share.
struct CEditState {
  bool adding = false;    // a new row waits for apply
  bool modified = false;  // a field of the selected entry changed
  int pendingRow = -1;    // the row noted when the edit began
  bool multiSelect = false;
  // Apply's target: the noted row while modified, else the selected one.
  int TargetRow(int selectedRow) const { return modified ? pendingRow : selectedRow; }
};

// After rows [first, first + count) of `rowsBefore` rows were deleted: the row to select, -1 none.
int SelectionAfterDelete(int rowsBefore, int first, int count);

enum class EntryField { None, Description, Start, Due, Other };
struct EntryPut {
  bool stored = true;
  EntryField field = EntryField::None;
  explicit operator bool() const { return stored; }
};

struct Melody {
  CString name;
  DWORD id = 0;
};

struct ScheduleForm {
  CString description;  // the edit's text, the placeholder included
  CTime start;
  int repeat = 0;
  bool alarm = false;
  CString melodyName;   // the melody combo's row text
  DWORD melodyId = 0;   // its item data
  bool isPrivate = false;
};

class CScheduleModel {
 public:
  explicit CScheduleModel(CManager& manager) : m_manager(manager) {}
  CManager& Manager() const { return m_manager; }

  PA_SCHEDULE_INFO Entry(int slot) const;
  int UsedCount() const;
  int FreeCount() const { return kScheduleSlots - UsedCount(); }
  int FreeSlot() const;  // -1 when full, whatever the list shows
  bool IsFull() const { return FreeSlot() < 0; }
  // Every used slot, or those whose start falls on `day`'s date; in slot order.
  std::vector<int> Rows(bool daily, const CTime& day) const;
  // Another used slot (not `exceptSlot`) starts in the same minute.
  bool Collides(const CTime& start, int exceptSlot) const;
  // Add proposes the picker's time, or now when the picker lies before it.
  static CTime ProposedStart(const CTime& picker, const CTime& now);

  EntryPut Save(int slot, const ScheduleForm& form);
  void Delete(std::span<const int> slots);
  int DeleteAll(bool daily, const CTime& day);
  bool ClearAll();

  // The melody whose name equals the part of `name` after its first backslash (or the whole name).
  static DWORD FindMelodyId(const CString& name, std::span<const Melody> melodies);
  // Drops melody ids no listed melody has. After a document was read the lists carry only the low
  // byte of each id, so there an id is kept when its low byte matches a listed one.
  void ValidateMelodies(std::span<const Melody> melodies, bool afterDocumentRead);

  bool Modified() const { return m_modified; }
  void SetModified(bool modified) { m_modified = modified; }

 private:
  CManager& m_manager;
  bool m_modified = false;
};

struct ToDoForm {
  CString description;
  CTime start;
  CTime due;
  bool done = false;
  int priority = 1;  // 0 high, 1 normal, 2 low
  int category = 0;  // 0 business, 1 personal, 2 other
  bool isPrivate = false;
};

class CToDoModel {
 public:
  explicit CToDoModel(CManager& manager) : m_manager(manager) {}
  CManager& Manager() const { return m_manager; }

  PA_TODO_INFO Item(int slot) const;
  int UsedCount() const;
  int FreeCount() const { return kToDoSlots - UsedCount(); }
  int FreeSlot() const;
  std::vector<int> Rows() const;
  // The phone's to-do record has priority, category and private fields.
  bool HasExtendedFields() const;

  // Apply refuses a start after the due time (message 366); the time of day counts.
  static bool StartAfterDue(const CTime& start, const CTime& due) { return start > due; }
  // The due date follows a start moved past it.
  static CTime DueAfterStartChange(const CTime& start, const CTime& due) { return due < start ? start : due; }

  EntryPut Save(int slot, const ToDoForm& form);
  void Delete(std::span<const int> slots);
  int DeleteAll();
  void ClearAll();

  bool Modified() const { return m_modified; }
  void SetModified(bool modified) { m_modified = modified; }

 private:
  CManager& m_manager;
  bool m_modified = false;
};

}  // namespace daybook
