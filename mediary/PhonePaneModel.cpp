// The phone pane's rows and the changes recorded in them.
#include "PhonePaneModel.h"

#include "PaneRows.h"

#include <cctype>

using namespace RowBits;

CPhonePaneModel::CPhonePaneModel() { m_shown = {&m_tops[0], &m_tops[1], &m_tops[2]}; }

int CPhonePaneModel::GetMainFolderCount() const {
  if (m_build.empty()) return 0;
  switch (std::toupper(static_cast<unsigned char>(m_build[0]))) {
    case 'U':
    case 'Z':
      return 3;
    case 'C':
    case 'M':
    case 'Y':
      return 2;
    default:
      return 0;
  }
}

void CPhonePaneModel::SetKind(int kind, bool toTop) {
  if (kind < 0 || kind > 2) return;
  if (toTop) m_shown = {&m_tops[0], &m_tops[1], &m_tops[2]};
  m_kind = kind;
}

void CPhonePaneModel::Clear() {
  for (RecordTable& table : m_tops) table.rows.clear();
  m_shown = {&m_tops[0], &m_tops[1], &m_tops[2]};
}

TransferRecord& CPhonePaneModel::AddEntry(RecordTable& table, TransferRecord record, const std::string& parentName) {
  if (record.IsFolder() && !(record.dataWord & Parent)) {
    record.children = std::make_unique<RecordTable>();
    record.children->parent = &table;
    TransferRecord up;
    up.name = parentName;
    up.dataWord = Phone | Parent;
    up.image = RowImage::ParentEntry;
    record.children->rows.push_back(std::move(up));
  }
  table.rows.push_back(std::move(record));
  TransferRecord& added = table.rows.back();
  if (m_loaded) UpdateFolderMarks(Shown());
  return added;
}

bool CPhonePaneModel::Open(std::size_t row) {
  RecordTable& shown = Shown();
  if (row >= shown.rows.size()) return false;
  TransferRecord& record = shown.rows[row];
  if ((record.dataWord & Parent) && shown.parent) {
    m_shown[std::size_t(m_kind)] = shown.parent;
    return true;
  }
  if (record.IsFolder() && record.children) {
    m_shown[std::size_t(m_kind)] = record.children.get();
    return true;
  }
  return false;
}

int CPhonePaneModel::FindRowByName(const std::string& name) const {
  const auto& rows = Shown().rows;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (!(rows[i].dataWord & Parent) && rows[i].name == name) return int(i);
  return -1;
}

std::int64_t CPhonePaneModel::FindIdByName(const std::string& name) const {
  const int row = FindRowByName(name);
  return row < 0 ? -1 : std::int64_t(Shown().rows[std::size_t(row)].id);
}

int CPhonePaneModel::FindPhoneFile(const RecordTable& table, std::uint32_t fileId, std::int32_t& folderId) {
  // The phone's own index of the file answers: rows queued or marked in the same folder do not
  // shift it, so the transfer downloads the file the row names.
  for (const TransferRecord& row : table.rows) {
    if (Has(row.dataWord, PhoneFile) && row.listingIndex >= 0 && row.id == fileId) {
      folderId = -1;
      return row.listingIndex;
    }
    if (Has(row.dataWord, PhoneFolder) && !(row.dataWord & Parent) && row.children) {
      const int found = FindPhoneFile(*row.children, fileId, folderId);
      if (found >= 0) {
        if (folderId == -1) folderId = std::int32_t(row.id);
        return found;
      }
    }
  }
  return -1;
}

bool CPhonePaneModel::UpdateFolderMarks(RecordTable& table) {
  bool pending = false;
  for (TransferRecord& row : table.rows) {
    if (row.dataWord & Parent) continue;
    if (row.dataWord & (Queued | Marked)) pending = true;
    if (Has(row.dataWord, PhoneFolder) && row.children) {
      const bool inside = UpdateFolderMarks(*row.children);
      pending = pending || inside;
      if (!(row.dataWord & Marked)) row.image = inside ? RowImage::FolderChanged : RowImage::Folder;
    }
  }
  return pending;
}

bool CPhonePaneModel::Mark(std::size_t row) {
  auto& rows = Shown().rows;
  if (row >= rows.size()) return false;
  TransferRecord& record = rows[row];
  if ((record.dataWord & Parent) || !(record.dataWord & Phone) || IsFixedPhoneFolder(record.dataWord, record.id))
    return false;
  record.dataWord |= Marked;
  record.image = RowImage::Marked;
  if (m_loaded) UpdateFolderMarks(Shown());
  return true;
}

bool CPhonePaneModel::Unmark(std::size_t row) {
  auto& rows = Shown().rows;
  if (row >= rows.size() || !(rows[row].dataWord & Marked)) return false;
  TransferRecord& record = rows[row];
  record.dataWord &= ~Marked;
  record.image = record.IsFolder() ? RowImage::Folder : RowImage::OfMediaClass(m_kind);
  if (m_loaded) UpdateFolderMarks(Shown());
  return true;
}

CPhonePaneModel::NameCheck CPhonePaneModel::Rename(std::size_t row, const std::string& text) {
  auto& rows = Shown().rows;
  if (row >= rows.size() || text.empty()) return NameCheck::Unchanged;
  if (Utf8Length(text) > kMaxPhoneNameBytes) return NameCheck::TooLong;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (i != row && !(rows[i].dataWord & Parent) && rows[i].name == text) return NameCheck::Exists;
  rows[row].name = text;
  return NameCheck::Accepted;
}

std::size_t CPhonePaneModel::NewFolder(const std::string& base, const std::string& parentName) {
  RecordTable& shown = Shown();
  TransferRecord record;
  record.name = MakeNewFolderName(base, [this](const std::string& name) { return FindRowByName(name) >= 0; });
  record.dataWord = Phone | Folder | Queued;
  // A folder made inside the special folder (or one made in it) belongs to it too.
  if (shown.parent)
    for (const TransferRecord& row : shown.parent->rows)
      if (row.children.get() == &shown && (row.dataWord & Special)) record.dataWord |= Special;
  record.image = RowImage::Folder;
  AddEntry(shown, std::move(record), parentName);
  return shown.rows.size() - 1;
}

bool CPhonePaneModel::HandToPc(std::size_t row) {
  auto& rows = Shown().rows;
  if (row >= rows.size() || !Has(rows[row].dataWord, PhoneFile)) return false;
  TransferRecord& record = rows[row];
  if (record.image == RowImage::Marked) record.image = RowImage::OfMediaClass(m_kind);
  // Only the hand-over is noted here: the queued download belongs to the PC pane's record, so an
  // upload never finds this row queued without a PC file.
  record.dataWord |= Handed;
  return true;
}

TransferRecord& CPhonePaneModel::AddUpload(const std::string& phoneName, const std::string& pcPath,
                                           const std::string& kind) {
  TransferRecord record;
  record.name = phoneName;
  record.path = pcPath;
  record.kind = kind;
  record.dataWord = Phone | File | Queued;
  record.image = RowImage::OfMediaClass(m_kind);
  return AddEntry(Shown(), std::move(record), "");
}
