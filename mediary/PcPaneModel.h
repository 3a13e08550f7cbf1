#pragma once
// What the PC pane shows and queues, without its window: one folder of the PC filtered to the files
// the phone variant accepts for the chosen media class, the phone files queued for download into it,
// and the checks a drop of PC files on the phone goes through. The window (CPcPaneCtrl) shows
// `Rows()` and keeps the list's item data equal to each row's data word.
#include "MediaRules.h"
#include "TransferRecord.h"

#include <cstdint>
#include <string>
#include <vector>

class CPhonePaneModel;

struct PcRow {
  std::string name;
  std::string size;      // "%.f KB" for files
  std::string type;      // "File Folder", "Shortcut", "%s File"
  std::string modified;  // "dd-mm-yyyy hh:mm", local time
  std::uint32_t dataWord = 0;
  bool queued = false;   // a queued download (its record is in Queued())
  std::string target;    // a shortcut's folder
};

class CPcPaneModel {
 public:
  CMediaRules& Rules() { return m_rules; }
  const CMediaRules& Rules() const { return m_rules; }
  // The media class the user picked: the filter of the listing and the drop target's class.
  void SetMediaClass(int mediaClass);
  int GetMediaClass() const { return m_mediaClass; }

  const std::string& GetFolder() const { return m_folder; }
  const std::vector<PcRow>& Rows() const { return m_rows; }
  std::vector<TransferRecord>& Queued() { return m_queued; }

  // Lists `folder` (a drive path or an absolute Linux path) and sorts it; false when it cannot be
  // searched, with the rows left empty. `parentText` names the parent entry.
  bool ListFolder(const std::string& folder, const std::string& parentText = "(Go to parent directory)");
  // Sorts the rows (the parent entry first, folders before files).
  void Sort(int column, bool ascending);

  bool IsAllowedExtension(const std::string& extension) const;
  // The folder a row leads to ("" when it is a file): the parent, a folder, or a shortcut's target.
  std::string FolderOfRow(std::size_t row) const;
  // What opening a listed PC file hands to the shell: its path and the verb, "edit" for pictures and
  // "open" for sounds and movies; an empty path for any other row (folders, queued downloads).
  struct ShellOpen {
    std::string path;
    const char* verb = "";
  };
  ShellOpen FileToOpen(std::size_t row) const;

  // The queued name of a phone file dropped here, made unique against the folder's files and the
  // queued downloads: "pic.jpg", else "pic[1].jpg", "pic[2].jpg", ...
  std::string MakeUniqueName(const std::string& name) const;
  // A phone file handed over: queued for download under a unique name with the kind's extension.
  // False for rows that are not phone files or whose name is not a safe file name.
  bool AddDroppedPhoneItem(const TransferRecord& phoneRow);
  // Removes the queued download shown as row `row`.
  bool RemoveQueued(std::size_t row);
  enum class RenameResult { Unchanged, Exists, Renamed };
  RenameResult RenameQueued(std::size_t row, const std::string& text);
  // A new folder row named `base` ("&" removed), or "base (n)" with the first n no row has; its
  // label is edited next and the folder is made only when the edit ends (EndNewFolder).
  std::size_t NewFolder(const std::string& base);
  bool NewFolderPending() const { return m_newFolderRow >= 0; }
  enum class NewFolderEnd { Exists, Created, Failed };
  // Ends the edit of the new folder row `row` with `text` ("" keeps the row's name): Exists when
  // another row has that name (the edit goes on); otherwise the folder is made (a name holding a
  // separator, "." or ".." is refused as Failed) and the folder listed again.
  NewFolderEnd EndNewFolder(std::size_t row, const std::string& text, const std::string& parentText);
  // Drops every queued download (a fresh listing of the phone makes them stale).
  void ClearQueued() { m_queued.clear(); }

  // The name a PC file gets on the phone: no ",", at most 35 bytes in the phone's character set,
  // made unique against the phone pane's shown rows with "[n]".
  static std::string MakePhoneName(const std::string& pcName, const CPhonePaneModel& phone);

  // What a drop of the selected PC rows on the phone decided, file by file, and the one message.
  struct DropResult {
    std::vector<std::size_t> queued;  // rows handed to the phone pane
    int message = 0;                  // string id: 1049, 1059, 1080 or 0
    std::uint32_t tooLargeLimit = 0;  // of the last file refused by size (message 1048)
    std::vector<std::string> tooLarge;  // names refused by size, each shown with 1048
  };
  // Sniffs and checks each selected file row against the variant; marks the rows (0x200, 0x08,
  // 0x04) and hands the accepted ones to `phone` as uploads. `voiceMemo`: the target is the voice
  // memo folder, which takes only AMR files.
  DropResult DropOnPhone(const std::vector<std::size_t>& selected, CPhonePaneModel& phone, bool voiceMemo);

 private:
  void AddFileRow(const std::string& name, std::uint64_t size, const std::string& modified, std::uint32_t position);
  bool NameTaken(const std::string& path) const;
  int QueuedRecordOf(std::size_t row) const;

  CMediaRules m_rules;
  int m_mediaClass = kMediaPicture;
  std::string m_folder;
  std::vector<PcRow> m_rows;
  std::vector<TransferRecord> m_queued;
  int m_newFolderRow = -1;
  int m_sortColumn = 0;
  bool m_ascending = true;
};

// The folder a shortcut (".lnk" file or symbolic link) leads to, through the shell's link object;
// "" when it does not resolve or leads to a file.
std::string ResolveFolderShortcut(const std::string& linkPath);
