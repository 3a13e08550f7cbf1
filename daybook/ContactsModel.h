#pragma once
// The contacts page's rules over the phone library's PC-side store: which slot a new contact takes,
// which contacts a group row lists, how many slots are free, which buttons an edit state enables,
// what apply, delete, delete all, a drop onto a group, a rename and the group defaults do. The
// dialog only moves values between this model and its controls; tests drive it without windows.
//
// Group list rows: 0 "All Groups", 1 "No group", g + 1 group g (1..19); kNoRow when none is
// selected.
#include "GroupDefaults.h"

#include <handport/Manager.h>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace daybook {

constexpr int kNoRow = -1;

// The form's values; a field showing its placeholder is empty.
struct ContactForm {
  CString name;
  CString reading;
  std::array<CString, 7> numbers;
  std::array<CString, 2> texts;
  std::array<CString, 2> emails;
  int group = 0;        // the group combo's index: 0 none, 1..19
  DWORD melodyId = 0;   // item data of the melody combo's entry; 0 none
  DWORD pictureId = 0;  // item data of the picture combo's entry; 0 none
  int light = 0;        // the light combo's index: 0 none, 1..13
  friend bool operator==(const ContactForm&, const ContactForm&) = default;
};

ContactForm FormOf(const PA_PHONEBOOK_INFO& contact);

// Several contacts applied at once: an empty value is "<No change>".
struct MultiChoice {
  std::optional<int> group;
  std::optional<DWORD> melodyId;
  std::optional<DWORD> pictureId;
  std::optional<int> light;
  bool AllUnchanged() const { return !group && !melodyId && !pictureId && !light; }
};

// The field of a contact that the phone library would not store whole.
enum class ContactField { None, Name, Reading, Number, Text, Email, Group, Light, Other };

struct PutResult {
  bool stored = true;
  ContactField field = ContactField::None;
  int index = 0;  // which number, text or e-mail (0-based)
  explicit operator bool() const { return stored; }
};

struct ContactRow {
  int slot = 0;
  CString name;  // empty when the contact has no name (the page shows the placeholder)
};

struct ContactButtons {
  bool apply = false, cancel = false, newContact = false, remove = false, removeAll = false;
  friend bool operator==(const ContactButtons&, const ContactButtons&) = default;
};

// The buttons for an edit state: `differs` whether the form differs from the stored contact,
// `newPending` a new row waits for apply, `rowSelected` and `listEmpty` of the contact list.
ContactButtons ButtonsFor(bool differs, bool newPending, bool rowSelected, bool listEmpty);

class CContactsModel {
 public:
  // `groupWord` is the text of the default group names ("Group" gives "Group 01").
  CContactsModel(CManager& manager, CString groupWord);

  CManager& Manager() const { return m_manager; }

  // -- slots --
  int FreeSlot() const;  // the first free slot, -1 when all 500 are used
  int UsedCount() const;
  int FreeCount() const { return kContactSlots - UsedCount(); }
  bool HasContacts() const { return UsedCount() > 0; }
  // The rows a group row lists: every contact for row 0, those of group row - 1 for rows 1..20,
  // none for kNoRow.
  std::vector<ContactRow> Rows(int groupRow) const;
  // The stored contact of a slot; an empty record for a free slot.
  PA_PHONEBOOK_INFO Contact(int slot) const;
  bool Differs(int slot, const ContactForm& form) const;

  // -- edits; each marks the document modified when it stored something --
  // The form's values into the contact of `slot` (a new contact for a free slot). A refusal stores
  // nothing and names the field.
  PutResult Apply(int slot, const ContactForm& form);
  // The chosen values into every slot given; a refusal of any stores nothing in any.
  PutResult ApplyMany(std::span<const int> slots, const MultiChoice& choice);
  void Delete(std::span<const int> slots);
  // Every contact the group row lists; kNoRow deletes nothing. Returns the number deleted.
  int DeleteAll(int groupRow);
  // Clears every contact, gives the groups their default names and clears groups 1..19's defaults.
  void ClearAll();

  // -- groups --
  CString DefaultGroupName(int group) const;
  // Stores the default names of groups 1..19 (page start and reset); reset also clears the
  // defaults of groups 1..19, keeping those of "No group".
  void StoreDefaultGroupNames();
  void ResetGroups();
  CString GroupName(int group) const;
  // The name cut to the library's limit without splitting a character; the stored name.
  std::optional<CString> RenameGroup(int group, const CString& name);
  // The defaults of a group; all three zero clears them and touches no contact. Otherwise fills
  // the zero fields of the group's members.
  PutResult SetGroupDefaults(int group, DWORD melodyId, DWORD pictureId, int light);
  PutResult SetContactGroup(int slot, int group);
  // Contacts dropped onto a row of the group list: row 0 and kNoRow do nothing.
  PutResult Drop(std::span<const int> slots, int dropRow);

  const GroupDefaults& Defaults() const { return m_defaults; }
  GroupDefaults& Defaults() { return m_defaults; }

  bool Modified() const { return m_modified; }
  void SetModified(bool modified) { m_modified = modified; }

 private:
  // Stores a record; on a refusal, finds the field that the library would not take.
  PutResult Put(int slot, PA_PHONEBOOK_INFO& contact);
  ContactField RefusedField(int slot, const PA_PHONEBOOK_INFO& contact, int& index);
  void FillDefaults(PA_PHONEBOOK_INFO& contact, int group) const;

  CManager& m_manager;
  CString m_groupWord;
  GroupDefaults m_defaults{};
  bool m_modified = false;
};

}  // namespace daybook
