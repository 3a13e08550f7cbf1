// The contacts page's rules. Every edit goes straight into the phone library's PC-side store by
// slot; a put the library refuses is never ignored: nothing is stored and the field is named.
#include "ContactsModel.h"

#include <algorithm>
#include <functional>

namespace daybook {

ContactForm FormOf(const PA_PHONEBOOK_INFO& c) {
  ContactForm form;
  form.name = c.strName;
  form.reading = c.strReading;
  for (int i = 0; i < 7; ++i) form.numbers[i] = c.strNumber[i];
  for (int i = 0; i < 2; ++i) form.texts[i] = c.strText[i];
  for (int i = 0; i < 2; ++i) form.emails[i] = c.strEmail[i];
  form.group = c.bGroup;
  form.melodyId = c.dwMelodyId;
  form.pictureId = c.dwPictureId;
  form.light = c.bChoice;
  return form;
}

ContactButtons ButtonsFor(bool differs, bool newPending, bool rowSelected, bool listEmpty) {
  ContactButtons b;
  b.apply = differs;
  if (newPending) {
    // A new row waits: only apply or cancel can end it.
    b.cancel = true;
    return b;
  }
  b.cancel = differs;
  b.newContact = !differs;
  b.remove = rowSelected && !differs && !b.cancel;
  b.removeAll = !listEmpty && !differs && !b.cancel;
  return b;
}

CContactsModel::CContactsModel(CManager& manager, CString groupWord)
    : m_manager(manager), m_groupWord(std::move(groupWord)) {}

PA_PHONEBOOK_INFO CContactsModel::Contact(int slot) const {
  PA_PHONEBOOK_INFO contact;
  if (m_manager.PA_GetPhoneBook(&contact, static_cast<short>(slot)) != PA_OK) contact = PA_PHONEBOOK_INFO{};
  return contact;
}

int CContactsModel::FreeSlot() const {
  for (int slot = 0; slot < kContactSlots; ++slot) {
    if (!Contact(slot).bValid) return slot;
  }
  return -1;
}

int CContactsModel::UsedCount() const {
  int used = 0;
  for (int slot = 0; slot < kContactSlots; ++slot) used += Contact(slot).bValid ? 1 : 0;
  return used;
}

std::vector<ContactRow> CContactsModel::Rows(int groupRow) const {
  std::vector<ContactRow> rows;
  if (groupRow < 0) return rows;
  const int group = groupRow - 1;  // -1 for "All Groups"
  for (int slot = 0; slot < kContactSlots; ++slot) {
    const PA_PHONEBOOK_INFO c = Contact(slot);
    if (c.bValid && (group < 0 || c.bGroup == group)) rows.push_back({slot, c.strName});
  }
  return rows;
}

bool CContactsModel::Differs(int slot, const ContactForm& form) const { return FormOf(Contact(slot)) != form; }

PutResult CContactsModel::Put(int slot, PA_PHONEBOOK_INFO& contact) {
  const PA_RESULT result = m_manager.PA_PutPhoneBook(&contact, static_cast<short>(slot));
  if (result == PA_OK) {
    m_modified = true;
    return {};
  }
  PutResult refused{false, ContactField::Other, 0};
  if (result == PA_EMPTY_SLOT) refused.field = RefusedField(slot, contact, refused.index);
  return refused;
}

// The library says only that a record could not be stored. The group and light values are
// checked against their ranges; a text is found by storing each field alone in the slot, which is
// then put back as it was (a text may fit the byte limit and still not the phone's field, as a
// number that cannot be packed such as "*#21*+1", or characters that take two of the phone's units).
ContactField CContactsModel::RefusedField(int slot, const PA_PHONEBOOK_INFO& c, int& index) {
  index = 0;
  if (c.bGroup > kGroupCount) return ContactField::Group;
  if (c.bChoice > 13) return ContactField::Light;

  const auto refused = [&](const std::function<void(PA_PHONEBOOK_INFO&)>& fill) {
    PA_PHONEBOOK_INFO probe;
    fill(probe);
    return m_manager.PA_PutPhoneBook(&probe, static_cast<short>(slot)) != PA_OK;
  };
  const PA_PHONEBOOK_INFO saved = Contact(slot);
  ContactField found = ContactField::Other;
  if (!c.strName.IsEmpty() && refused([&](PA_PHONEBOOK_INFO& p) { p.strName = c.strName; })) {
    found = ContactField::Name;
  } else if (!c.strReading.IsEmpty() && refused([&](PA_PHONEBOOK_INFO& p) { p.strReading = c.strReading; })) {
    found = ContactField::Reading;
  }
  for (int i = 0; i < 7 && found == ContactField::Other; ++i) {
    if (!c.strNumber[i].IsEmpty() && refused([&](PA_PHONEBOOK_INFO& p) { p.strNumber[i] = c.strNumber[i]; })) {
      found = ContactField::Number;
      index = i;
    }
  }
  for (int i = 0; i < 2 && found == ContactField::Other; ++i) {
    if (!c.strText[i].IsEmpty() && refused([&](PA_PHONEBOOK_INFO& p) { p.strText[i] = c.strText[i]; })) {
      found = ContactField::Text;
      index = i;
    }
  }
  for (int i = 0; i < 2 && found == ContactField::Other; ++i) {
    if (!c.strEmail[i].IsEmpty() && refused([&](PA_PHONEBOOK_INFO& p) { p.strEmail[i] = c.strEmail[i]; })) {
      found = ContactField::Email;
      index = i;
    }
  }
  PA_PHONEBOOK_INFO restore = saved;
  if (saved.bValid) {
    m_manager.PA_PutPhoneBook(&restore, static_cast<short>(slot));
  } else {
    m_manager.PA_RemovePrivatePhoneBook(static_cast<short>(slot));
  }
  return found;
}

PutResult CContactsModel::Apply(int slot, const ContactForm& form) {
  PA_PHONEBOOK_INFO c = Contact(slot);
  c.strName = form.name;
  c.strReading = form.reading;
  for (int i = 0; i < 7; ++i) c.strNumber[i] = form.numbers[i];
  for (int i = 0; i < 2; ++i) c.strText[i] = form.texts[i];
  for (int i = 0; i < 2; ++i) c.strEmail[i] = form.emails[i];
  c.bGroup = static_cast<BYTE>(form.group);
  c.dwMelodyId = form.melodyId;
  c.dwPictureId = form.pictureId;
  c.bChoice = static_cast<BYTE>(form.light);
  c.bValid = 1;
  return Put(slot, c);
}

PutResult CContactsModel::ApplyMany(std::span<const int> slots, const MultiChoice& choice) {
  std::vector<std::pair<int, PA_PHONEBOOK_INFO>> before;
  for (int slot : slots) {
    const PA_PHONEBOOK_INFO original = Contact(slot);
    PA_PHONEBOOK_INFO c = original;
    if (choice.group) c.bGroup = static_cast<BYTE>(*choice.group);
    if (choice.light) c.bChoice = static_cast<BYTE>(*choice.light);
    if (choice.pictureId && *choice.pictureId != 0) c.dwPictureId = *choice.pictureId;
    if (choice.melodyId && *choice.melodyId != 0) c.dwMelodyId = *choice.melodyId;
    const PutResult result = Put(slot, c);
    if (!result) {
      // Put back the contacts changed so far: all or none.
      for (auto& [done, record] : before) m_manager.PA_PutPhoneBook(&record, static_cast<short>(done));
      return result;
    }
    before.emplace_back(slot, original);
  }
  return {};
}

void CContactsModel::Delete(std::span<const int> slots) {
  for (int slot : slots) {
    if (m_manager.PA_RemovePrivatePhoneBook(static_cast<short>(slot)) == PA_OK) m_modified = true;
  }
}

int CContactsModel::DeleteAll(int groupRow) {
  const std::vector<ContactRow> rows = Rows(groupRow);
  for (const ContactRow& row : rows) m_manager.PA_RemovePrivatePhoneBook(static_cast<short>(row.slot));
  if (!rows.empty()) m_modified = true;
  return static_cast<int>(rows.size());
}

void CContactsModel::ClearAll() {
  for (int slot = 0; slot < kContactSlots; ++slot) m_manager.PA_RemovePrivatePhoneBook(static_cast<short>(slot));
  StoreDefaultGroupNames();
  for (int g = 1; g <= kGroupCount; ++g) m_defaults[g] = GroupDefault{};
}

CString CContactsModel::DefaultGroupName(int group) const {
  CString name;
  name.Format("%s %02d", static_cast<LPCSTR>(m_groupWord), group);
  return name;
}

void CContactsModel::StoreDefaultGroupNames() {
  for (int g = 1; g <= kGroupCount; ++g) {
    PA_GROUP_INFO info;
    info.strName = DefaultGroupName(g);
    info.bExists = 1;
    m_manager.PA_PutGroup(&info, static_cast<short>(g));
  }
}

void CContactsModel::ResetGroups() {
  StoreDefaultGroupNames();
  for (int g = 1; g <= kGroupCount; ++g) m_defaults[g].set = 0;
  m_modified = true;
}

CString CContactsModel::GroupName(int group) const {
  PA_GROUP_INFO info;
  if (m_manager.PA_GetGroup(&info, static_cast<short>(group)) != PA_OK || !info.bExists) return DefaultGroupName(group);
  return info.strName;
}

std::optional<CString> CContactsModel::RenameGroup(int group, const CString& name) {
  if (group < 1 || group > kGroupCount) return std::nullopt;
  std::string text(static_cast<LPCSTR>(name), static_cast<std::size_t>(name.GetLength()));
  const int limit = m_manager.GetGroupMaxNameSize();
  while (!text.empty() && m_manager.GetUTF8Length(CString(text.c_str())) > limit) {
    // Drop the last character whole: its continuation bytes and its lead byte.
    std::size_t end = text.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
  }
  PA_GROUP_INFO info;
  info.strName = CString(text.c_str());
  info.bExists = text.empty() ? 0 : 1;
  if (m_manager.PA_PutGroup(&info, static_cast<short>(group)) != PA_OK) return std::nullopt;
  m_modified = true;
  return info.strName;
}

void CContactsModel::FillDefaults(PA_PHONEBOOK_INFO& c, int group) const {
  if (group < 0 || group > kGroupCount) return;
  const GroupDefault& d = m_defaults[group];
  if (!d.set) return;
  if (c.bChoice == 0) c.bChoice = static_cast<BYTE>(d.light);
  if (c.dwPictureId == 0) c.dwPictureId = d.pictureId;
  if (c.dwMelodyId == 0) c.dwMelodyId = d.melodyId;
}

PutResult CContactsModel::SetGroupDefaults(int group, DWORD melodyId, DWORD pictureId, int light) {
  if (group < 0 || group > kGroupCount) return {};
  GroupDefault& d = m_defaults[group];
  if (melodyId == 0 && pictureId == 0 && light == 0) {
    d = GroupDefault{};
    return {};
  }
  d = {1, melodyId, pictureId, static_cast<DWORD>(light)};
  for (int slot = 0; slot < kContactSlots; ++slot) {
    PA_PHONEBOOK_INFO c = Contact(slot);
    if (!c.bValid || c.bGroup != group) continue;
    const PA_PHONEBOOK_INFO before = c;
    FillDefaults(c, group);
    if (c.bChoice == before.bChoice && c.dwPictureId == before.dwPictureId && c.dwMelodyId == before.dwMelodyId) {
      continue;
    }
    if (const PutResult result = Put(slot, c); !result) return result;
  }
  return {};
}

PutResult CContactsModel::SetContactGroup(int slot, int group) {
  PA_PHONEBOOK_INFO c = Contact(slot);
  if (!c.bValid) return {};
  c.bGroup = static_cast<BYTE>(group);
  FillDefaults(c, group);
  return Put(slot, c);
}

PutResult CContactsModel::Drop(std::span<const int> slots, int dropRow) {
  if (dropRow < 1 || dropRow > kGroupCount + 1) return {};
  for (int slot : slots) {
    if (const PutResult result = SetContactGroup(slot, dropRow - 1); !result) return result;
  }
  return {};
}

}  // namespace daybook
