#include "BackupModel.h"

#include <PathSplit.h>

#include <cstring>

namespace {

// In the order of the header's kind bits as the dialog lists them.
constexpr std::array<BackupRowInfo, kBackupRowCount> kRows = {{
    {BackupRow::Contacts, 1034, 1026, 1009, 305, BCK_KIND_CONTACTS},
    {BackupRow::Schedule, 1033, 1025, 1010, 306, BCK_KIND_SCHEDULE},
    {BackupRow::ToDo, 1032, 1024, 1011, 307, BCK_KIND_TODO},
    {BackupRow::Sms, 1029, 1021, 1015, 326, BCK_KIND_SMS},
    {BackupRow::Mms, 1028, 1020, 1016, 327, BCK_KIND_MMS},
    {BackupRow::Melodies, 1031, 1023, 1012, 331, BCK_KIND_MELODIES},
    {BackupRow::Pictures, 1030, 1022, 1013, 330, BCK_KIND_PICTURES},
    {BackupRow::Movies, 1047, 1048, 1017, 332, BCK_KIND_MOVIES},
    {BackupRow::IMode, 1027, 1019, 1014, 340, BCK_KIND_IMODE},
}};

}  // namespace

const std::array<BackupRowInfo, kBackupRowCount>& BackupRows() { return kRows; }
const BackupRowInfo& RowInfo(BackupRow row) { return kRows[static_cast<std::size_t>(row)]; }

BackupVariant BackupVariant::FromBuild(const char* build) {
  BackupVariant variant;
  if (!build) return variant;
  const std::size_t length = strnlen(build, 128);
  if (length >= 1 && (build[0] == 'Z' || build[0] == 'U')) {
    variant.showMovies = true;
    // These phones keep the two SMS / EMS boxes the other way round.
    variant.smsBox1 = 2;
    variant.smsBox2 = 1;
  }
  if (length >= 2 && (build[1] == 'D' || build[1] == 'I')) variant.showIMode = true;
  return variant;
}

CString RowWarning::Names(const CString& contactsName, const CString& scheduleName) const {
  if (contacts && schedule) return contactsName + " && " + scheduleName;
  return contacts ? contactsName : scheduleName;
}

CBackupModel::CBackupModel(const BackupVariant& variant) : m_variant(variant) {
  for (auto& column : m_boxes) {
    for (Box& box : column) box = Box{true, true, true};
  }
  auto hide = [&](BackupRow row) {
    for (int column = 0; column < 2; ++column) At(static_cast<Column>(column), row) = Box{false, false, false};
  };
  if (!m_variant.showMovies) hide(BackupRow::Movies);
  // The i-mode rows stand where the MMS rows stood; a variant has one or the other.
  hide(m_variant.showIMode ? BackupRow::Mms : BackupRow::IMode);
  m_selectAll[kBackup] = Box{true, true, true};
  ResetRestoreRows();
  UpdateSelectAll(kBackup);
}

bool CBackupModel::Counts(Column column, BackupRow row) const {
  const Box& box = Get(column, row);
  return column == kBackup ? box.visible : box.visible && box.enabled;
}

void CBackupModel::UpdateSelectAll(Column column) {
  bool any = false;
  bool all = true;
  bool counted = false;
  for (const BackupRowInfo& info : kRows) {
    if (!Counts(column, info.row)) continue;
    counted = true;
    any = any || Get(column, info.row).checked;
    all = all && Get(column, info.row).checked;
  }
  m_any[column] = any;
  m_selectAll[column].checked = counted && all;
}

std::optional<RowWarning> CBackupModel::SetRow(Column column, BackupRow row, bool checked) {
  Box& box = At(column, row);
  if (!box.enabled || !box.visible) return std::nullopt;
  box.checked = checked;
  // A checked row that the restore column counts only while its box is enabled.
  auto on = [&](BackupRow r) { return Get(column, r).checked && Counts(column, r); };
  auto check = [&](BackupRow r) {
    if (Counts(column, r)) At(column, r).checked = true;
  };
  std::optional<RowWarning> warning;
  const UINT text = column == kBackup ? 417 : 423;
  if (checked && row == BackupRow::Contacts) {
    check(BackupRow::Melodies);
    check(BackupRow::Pictures);
  } else if (checked && row == BackupRow::Schedule) {
    check(BackupRow::Melodies);
  } else if (!checked && row == BackupRow::Melodies && (on(BackupRow::Contacts) || on(BackupRow::Schedule))) {
    warning = RowWarning{text, on(BackupRow::Contacts), on(BackupRow::Schedule)};
  } else if (!checked && row == BackupRow::Pictures && on(BackupRow::Contacts)) {
    warning = RowWarning{text, true, false};
  }
  UpdateSelectAll(column);
  return warning;
}

void CBackupModel::SetSelectAll(Column column, bool checked) {
  if (!m_selectAll[column].enabled) return;
  m_selectAll[column].checked = checked;
  for (const BackupRowInfo& info : kRows) {
    if (Counts(column, info.row)) At(column, info.row).checked = checked;
  }
  UpdateSelectAll(column);
}

void CBackupModel::ResetRestoreRows() {
  for (Box& box : m_boxes[kRestore]) {
    box.checked = false;
    box.enabled = false;
  }
  m_selectAll[kRestore] = Box{false, false, true};
  m_any[kRestore] = false;
  m_restoreEnabled = false;
}

void CBackupModel::ShowKinds(DWORD kinds) {
  for (const BackupRowInfo& info : kRows) {
    Box& box = At(kRestore, info.row);
    const bool set = box.visible && (kinds & info.kind) != 0;
    box.checked = set;
    box.enabled = set;
  }
  m_selectAll[kRestore].enabled = true;
  UpdateSelectAll(kRestore);
  m_restoreEnabled = true;
}

DWORD CBackupModel::BackupKinds() const {
  DWORD kinds = 0;
  for (const BackupRowInfo& info : kRows) {
    if (!Get(kBackup, info.row).checked) continue;
    kinds |= info.kind;
    if (info.row == BackupRow::Sms) kinds |= BCK_KIND_SMS_EXTRA;
  }
  return kinds;
}

std::vector<CString> SplitLogText(const CString& text) {
  std::vector<CString> lines;
  int start = 0;
  for (int newline; (newline = text.Find('\n', start)) >= 0; start = newline + 1) {
    int end = newline;
    if (end > start && text[end - 1] == '\r') --end;
    lines.push_back(text.Mid(start, end - start));
  }
  if (start < text.GetLength()) lines.push_back(text.Mid(start));
  return lines;
}

CString CaptionOfCommand(const CString& text) {
  CString caption;
  for (int i = 0; i < text.GetLength(); ++i) {
    if (text[i] == '&' && ++i == text.GetLength()) break;
    caption += text[i];
  }
  return caption;
}

CString LastFolderFromStored(const CString& documents, const CString& stored, bool storedExists) {
  if (stored.IsEmpty() || !storedExists) return documents;
  return TrimTrailingSeparator(stored);
}

CString LastFolderToStored(const CString& folder) { return JoinPath(folder, CString()); }
