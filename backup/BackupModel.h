#pragma once
// The rules of Backup's main dialog, apart from its windows: the two columns of check boxes (what
// to back up, what to restore) with their row rules and "Select all", the phone variant's rows, the
// kind bits a backup writes and a file's kinds shown in the restore column, how a log text becomes
// log lines, and the last folder as the registry keeps it. The dialog moves these values to and
// from its controls; tests drive the model with tables.
#include "BackupArchive.h"

#include <framework/String.h>

#include <array>
#include <optional>
#include <vector>

enum class BackupRow { Contacts, Schedule, ToDo, Sms, Mms, Melodies, Pictures, Movies, IMode };
constexpr int kBackupRowCount = 9;

// The controls and texts of one row.
struct BackupRowInfo {
  BackupRow row;
  UINT backupBox;     // check box of the backup column
  UINT restoreBox;    // check box of the restore column
  UINT label;         // static with the row's name
  UINT nameString;    // string id of the name
  DWORD kind;         // the header's kind bit
};
const std::array<BackupRowInfo, kBackupRowCount>& BackupRows();
const BackupRowInfo& RowInfo(BackupRow row);

// The phone variant, from the settings value "Build".
struct BackupVariant {
  bool showMovies = false;  // letter 1 'Z' or 'U'
  bool showIMode = false;   // letter 2 'D' or 'I'
  // Message boxes: the two SMS / EMS boxes and the MMS box.
  DWORD smsBox1 = 1, smsBox2 = 2, mmsBox = 3;
  static BackupVariant FromBuild(const char* build);
};

// A warning a row rule asks the dialog to show: the string (417 or 423) and the row names for its %s.
struct RowWarning {
  UINT stringId = 0;
  bool contacts = false;
  bool schedule = false;
  // "Contacts", "Schedule" or both joined by " && ", from the given names.
  CString Names(const CString& contactsName, const CString& scheduleName) const;
};

class CBackupModel {
 public:
  struct Box {
    bool checked = false;
    bool enabled = true;
    bool visible = true;
  };
  enum Column { kBackup = 0, kRestore = 1 };

  explicit CBackupModel(const BackupVariant& variant = {});

  const BackupVariant& Variant() const { return m_variant; }
  const Box& Get(Column column, BackupRow row) const { return m_boxes[column][static_cast<int>(row)]; }
  const Box& SelectAll(Column column) const { return m_selectAll[column]; }
  bool AnyChecked(Column column) const { return m_any[column]; }
  bool RestoreEnabled() const { return m_restoreEnabled; }

  // The user set a row's box: its row rule, then the select-all update of its column. A warning
  // when the user unchecked a row that a checked row needs.
  std::optional<RowWarning> SetRow(Column column, BackupRow row, bool checked);
  // The user set "Select all" of a column.
  void SetSelectAll(Column column, bool checked);

  // Restore column: every box unchecked and disabled, the Restore command off.
  void ResetRestoreRows();
  // Restore column from a file's kind bits: a row is checked and enabled exactly when its bit is
  // set (rows the variant hides stay off); the Restore command on.
  void ShowKinds(DWORD kinds);

  // The header's kind bits from the backup column (SMS / EMS sets 0x280).
  DWORD BackupKinds() const;
  bool RestoreChecked(BackupRow row) const { return Get(kRestore, row).checked && Get(kRestore, row).enabled; }

 private:
  Box& At(Column column, BackupRow row) { return m_boxes[column][static_cast<int>(row)]; }
  bool Counts(Column column, BackupRow row) const;
  void UpdateSelectAll(Column column);

  BackupVariant m_variant;
  std::array<std::array<Box, kBackupRowCount>, 2> m_boxes{};
  std::array<Box, 2> m_selectAll{};
  std::array<bool, 2> m_any{};
  bool m_restoreEnabled = false;
};

// A log text as the log list's lines: cut at each '\n', a '\r' before it dropped; the text after the
// last '\n' is a line when it is not empty.
std::vector<CString> SplitLogText(const CString& text);

// A command's text as a window's caption: its mnemonic marker dropped ("&Backup" is captioned
// "Backup"); a doubled "&&", which shows one ampersand in the command, stays one.
CString CaptionOfCommand(const CString& text);

// The last folder: the stored value with a trailing separator cut, when there is one; else the
// documents folder as it is.
CString LastFolderFromStored(const CString& documents, const CString& stored, bool storedExists);
// What the registry keeps for a folder: the folder and one separator of its form ("" stays "").
CString LastFolderToStored(const CString& folder);
