#pragma once
// What the phone pane shows and records, without its window: one row tree per main kind (pictures,
// sounds, movies), the folder shown in each kind, and the changes the user asks for (new folders,
// new names, files marked for deletion, files dropped for upload or handed to the PC). Nothing here
// reaches the phone: the transfer carries out what the rows record. The window (CPhonePaneCtrl)
// shows `Shown()` and feeds the user's actions in.
#include "TransferRecord.h"

#include <array>
#include <cstdint>
#include <string>

class CPhonePaneModel {
 public:
  CPhonePaneModel();

  void SetBuild(std::string build) { m_build = std::move(build); }
  const std::string& GetBuild() const { return m_build; }
  // 3 main kinds for variants starting with U or Z, 2 for C, M and Y, else 0.
  int GetMainFolderCount() const;

  int GetKind() const { return m_kind; }
  // Switches the shown kind; with `toTop` every kind first returns to its main folder.
  void SetKind(int kind, bool toTop = false);
  RecordTable& Top(int kind) { return m_tops[std::size_t(kind)]; }
  RecordTable& Shown() { return *m_shown[std::size_t(m_kind)]; }
  const RecordTable& Shown() const { return *m_shown[std::size_t(m_kind)]; }

  bool IsLoaded() const { return m_loaded; }
  void SetLoaded(bool loaded) { m_loaded = loaded; }
  // Empties every kind and shows the main folders again.
  void Clear();

  // Appends a row to `table` (a folder row gets its child table, which starts with the parent
  // entry named `parentName`) and returns it.
  TransferRecord& AddEntry(RecordTable& table, TransferRecord record, const std::string& parentName);
  // Opens a folder row or the parent entry of the shown table; false for other rows.
  bool Open(std::size_t row);

  int FindRowByName(const std::string& name) const;
  std::int64_t FindIdByName(const std::string& name) const;

  // The phone's index of file `fileId` in its folder, or -1; `folderId` becomes the id of the
  // folder row that holds it, or stays -1 for a file directly in a main folder.
  static int FindPhoneFile(const RecordTable& table, std::uint32_t fileId, std::int32_t& folderId);
  // Whether the table (with its sub-folders) holds a queued or marked row; sets folder images.
  static bool UpdateFolderMarks(RecordTable& table);

  // Delete key: marks a row for deletion (image 5). Fixed folders are never marked.
  bool Mark(std::size_t row);
  // Undelete: takes the mark off and gives the row its image back.
  bool Unmark(std::size_t row);

  enum class NameCheck { Unchanged, TooLong, Exists, Accepted };
  // A new name typed for row `row` of the shown table: "" leaves it, more than 35 UTF-8 bytes or the
  // name of another row of the table refuses it; an accepted name is stored.
  NameCheck Rename(std::size_t row, const std::string& text);
  // A new folder row in the shown table, named `base`, "base (1)", ...; returns its index.
  std::size_t NewFolder(const std::string& base, const std::string& parentName);

  // Drop on the PC pane: the row is handed over (0x80) and its mark image replaced; false for rows
  // that are not phone files.
  bool HandToPc(std::size_t row);
  // A PC file dropped for upload: a queued row of the shown table.
  TransferRecord& AddUpload(const std::string& phoneName, const std::string& pcPath, const std::string& kind);

 private:
  std::string m_build;
  int m_kind = 0;
  bool m_loaded = false;
  std::array<RecordTable, 3> m_tops;
  std::array<RecordTable*, 3> m_shown;
};
