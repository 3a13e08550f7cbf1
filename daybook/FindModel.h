#pragma once
// The find dialog's search over the shown page: the store's records by slot (contact names, schedule
// and to-do descriptions) and the page's list rows, both lower-cased (non-ASCII letters too), a hit
// being the word anywhere in the text. Find starts at slot and row 0; find next goes on after the
// last hit.
#include <handport/Manager.h>

#include <span>

namespace daybook {

enum class FindMode { Contacts = 1, Schedule = 2, ToDo = 3 };

struct FindOutcome {
  enum Kind { Hit, NoWord, NotFound, NoMore } kind = NotFound;
  int row = -1;            // the row to select (added to the selection) on a hit
  bool clearText = false;  // find found no record: the text box is emptied
  int message = 0;         // the string id to show, 0 for none
};

class CFindModel {
 public:
  CFindModel(CManager& manager, FindMode mode) : m_manager(manager), m_mode(mode) {}

  // `rows` are the texts of the list's compared column, row by row.
  FindOutcome Find(const CString& word, std::span<const CString> rows);
  FindOutcome FindNext(const CString& word, std::span<const CString> rows);
  // The text changed: the count restarts and the buttons return to find; the positions stay.
  void TextChanged();
  void Close();

  int Hits() const { return m_hits; }
  bool FindEnabled() const { return m_findEnabled; }
  bool NextEnabled() const { return !m_findEnabled; }
  // Enter runs find while it is enabled, find next otherwise.
  FindOutcome Enter(const CString& word, std::span<const CString> rows) {
    return m_findEnabled ? Find(word, rows) : FindNext(word, rows);
  }

  int SlotCount() const;
  int NotFoundText() const;
  int NoMoreText() const;

 private:
  CString RecordText(int slot, bool& used) const;
  FindOutcome Search(const CString& word, std::span<const CString> rows, int fromSlot, int fromRow, bool next);

  CManager& m_manager;
  FindMode m_mode;
  int m_nextSlot = 0;
  int m_nextRow = 0;
  int m_hits = 0;
  bool m_findEnabled = true;
};

// Lower case of the ANSI text (UTF-8), non-ASCII letters included.
CString LowerText(const CString& text);

}  // namespace daybook
