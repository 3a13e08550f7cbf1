// The find dialog's search; see FindModel.h.
#include "FindModel.h"

#include "GroupDefaults.h"

namespace daybook {
namespace {

constexpr int kInsertWord = 456;

bool Contains(const CString& text, const CString& lowerWord) { return LowerText(text).Find(lowerWord) >= 0; }

}  // namespace

CString LowerText(const CString& text) {
  CString lower = text;
  lower.MakeLower();
  return lower;
}

int CFindModel::SlotCount() const {
  switch (m_mode) {
    case FindMode::Contacts: return kContactSlots;
    case FindMode::Schedule: return kScheduleSlots;
    case FindMode::ToDo: return kToDoSlots;
  }
  return 0;
}

int CFindModel::NotFoundText() const {
  return m_mode == FindMode::Contacts ? 457 : m_mode == FindMode::Schedule ? 460 : 461;
}

int CFindModel::NoMoreText() const { return m_mode == FindMode::Contacts ? 458 : m_mode == FindMode::Schedule ? 462 : 463; }

CString CFindModel::RecordText(int slot, bool& used) const {
  const short s = static_cast<short>(slot);
  switch (m_mode) {
    case FindMode::Contacts: {
      PA_PHONEBOOK_INFO c;
      used = m_manager.PA_GetPhoneBook(&c, s) == PA_OK && c.bValid;
      return c.strName;
    }
    case FindMode::Schedule: {
      PA_SCHEDULE_INFO e;
      used = m_manager.PA_GetSchedule(&e, s) == PA_OK && e.bValid;
      return e.strDescription;
    }
    case FindMode::ToDo: {
      PA_TODO_INFO t;
      used = m_manager.PA_GetToDo(&t, s) == PA_OK && t.bValid;
      return t.strDescription;
    }
  }
  used = false;
  return {};
}

FindOutcome CFindModel::Search(const CString& word, std::span<const CString> rows, int fromSlot, int fromRow,
                               bool next) {
  const CString lower = LowerText(word);
  const int missing = next ? NoMoreText() : NotFoundText();
  for (int slot = fromSlot; slot < SlotCount(); ++slot) {
    bool used = false;
    const CString text = RecordText(slot, used);
    if (!used || !Contains(text, lower)) continue;
    for (int row = std::max(fromRow, 0); row < static_cast<int>(rows.size()); ++row) {
      if (!Contains(rows[static_cast<std::size_t>(row)], lower)) continue;
      ++m_hits;
      m_findEnabled = false;
      m_nextSlot = slot + 1;
      m_nextRow = row + 1;
      return {FindOutcome::Hit, row, false, 0};
    }
    return {next ? FindOutcome::NoMore : FindOutcome::NotFound, -1, false, missing};
  }
  return {next ? FindOutcome::NoMore : FindOutcome::NotFound, -1, !next, missing};
}

FindOutcome CFindModel::Find(const CString& word, std::span<const CString> rows) {
  if (word.IsEmpty()) return {FindOutcome::NoWord, -1, false, kInsertWord};
  // An empty list has nothing to select: the store is not read.
  if (rows.empty()) return {FindOutcome::NotFound, -1, false, NotFoundText()};
  return Search(word, rows, 0, 0, false);
}

FindOutcome CFindModel::FindNext(const CString& word, std::span<const CString> rows) {
  if (word.IsEmpty()) return {FindOutcome::NoWord, -1, false, kInsertWord};
  if (m_nextSlot >= SlotCount()) return {FindOutcome::NoMore, -1, false, NoMoreText()};
  return Search(word, rows, m_nextSlot, m_nextRow, true);
}

void CFindModel::TextChanged() {
  m_hits = 0;
  m_findEnabled = true;
}

void CFindModel::Close() {
  m_nextSlot = 0;
  m_nextRow = 0;
}

}  // namespace daybook
