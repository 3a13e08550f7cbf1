// The PC pane's listing, its queued downloads and the checks of a drop on the phone.
#include "PcPaneModel.h"

#include "PanePath.h"
#include "PaneRows.h"
#include "PhonePaneModel.h"

#include <base/CodePage.h>
#include <base/Time.h>
#include <kernel/File.h>
#include <kernel/Find.h>
#include <kernel/Path.h>
#include <shell/ShlObj.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <strings.h>

using namespace RowBits;

namespace {

std::string FormatTime(const FILETIME& written) {
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &time)) return {};
  char text[40];
  std::snprintf(text, sizeof text, "%02d-%02d-%d %02d:%02d", time.wDay, time.wMonth, time.wYear, time.wHour,
                time.wMinute);
  return text;
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() && strcasecmp(text.c_str() + text.size() - ending.size(), ending.c_str()) == 0;
}

bool IsFolderOnDisk(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ExistsOnDisk(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Cuts a UTF-8 text from its end, a whole character at a time, until it measures at most `budget`
// in the phone's character set.
std::string CutToPhoneLength(std::string text, std::size_t budget) {
  while (!text.empty() && PhoneCharsetLength(text) > budget) {
    std::size_t end = text.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.erase(end);
  }
  return text;
}

}  // namespace

std::string ResolveFolderShortcut(const std::string& linkPath) {
  CoInitialize(nullptr);
  std::string target;
  IShellLinkA* link = nullptr;
  if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                       reinterpret_cast<void**>(&link)) == S_OK) {
    IPersistFile* file = nullptr;
    if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)) == S_OK) {
      WCHAR wide[MAX_PATH] = {};
      if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH) > 0 && file->Load(wide, 0) == S_OK &&
          link->Resolve(nullptr, SLR_NO_UI | SLR_UPDATE) == S_OK) {
        char path[MAX_PATH] = {};
        if (link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK && IsFolderOnDisk(path)) target = path;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return target;
}

void CPcPaneModel::SetMediaClass(int mediaClass) {
  m_mediaClass = mediaClass;
  m_rules.SetTargetClass(mediaClass);
}

bool CPcPaneModel::IsAllowedExtension(const std::string& extension) const {
  return m_rules.GetAllowedIndex(m_mediaClass, extension) >= 0;
}

bool CPcPaneModel::ListFolder(const std::string& folder, const std::string& parentText) {
  m_rows.clear();
  m_newFolderRow = -1;
  const std::string normalized = panepath::Normalize(folder);
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA(panepath::Join(normalized, "*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  m_folder = normalized;
  if (!panepath::IsRoot(m_folder)) m_rows.push_back({parentText, "", "", "", PcParent, false, ""});
  do {
    const std::string name = found.cFileName;
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    if (name == "." || name == "..") continue;
    const std::uint32_t position = std::uint32_t(m_rows.size()) << 16;
    const std::string modified = FormatTime(found.ftLastWriteTime);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      m_rows.push_back({name, "", "File Folder", modified, position | PcFolder, false, ""});
    } else if (EndsWithIgnoringCase(name, ".lnk")) {
      // Only shortcuts to folders are listed: they lead somewhere the pane can show.
      std::string target = ResolveFolderShortcut(panepath::Join(m_folder, name));
      if (!target.empty())
        m_rows.push_back({name.substr(0, name.size() - 4), "", "Shortcut", modified, position | Pc | Shortcut, false,
                          std::move(target)});
    } else {
      const std::uint64_t size = (std::uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      AddFileRow(name, size, modified, position);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);

  for (std::size_t i = 0; i < m_queued.size(); ++i) {
    const TransferRecord& record = m_queued[i];
    if (panepath::Folder(record.path) == m_folder && record.image == RowImage::OfMediaClass(m_mediaClass))
      m_rows.push_back({record.name, PhoneSizeText(record.size), KindTypeText(record.kind), "", record.dataWord, true,
                        ""});
  }
  Sort(m_sortColumn, m_ascending);
  return true;
}

void CPcPaneModel::AddFileRow(const std::string& name, std::uint64_t size, const std::string& modified,
                              std::uint32_t position) {
  std::string extension = ExtensionOf(name);
  if (extension.size() < 3) extension.append(3 - extension.size(), '0');
  if (!IsAllowedExtension(extension)) return;
  std::string upper = extension;
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
  m_rows.push_back({name, PcSizeText(size), upper + " File", modified, position | PcFile, false, ""});
}

void CPcPaneModel::Sort(int column, bool ascending) {
  m_sortColumn = column;
  m_ascending = ascending;
  std::stable_sort(m_rows.begin(), m_rows.end(), [&](const PcRow& a, const PcRow& b) {
    const RowTexts x{a.dataWord, {a.name, a.size, a.type, a.modified}}, y{b.dataWord, {b.name, b.size, b.type, b.modified}};
    return CompareRows(x, y, column, ascending) < 0;
  });
}

std::string CPcPaneModel::FolderOfRow(std::size_t row) const {
  if (row >= m_rows.size()) return {};
  const PcRow& r = m_rows[row];
  if (r.dataWord & Parent) return panepath::Folder(m_folder);
  if (r.dataWord & Shortcut) return r.target;
  if (r.dataWord & Folder) return panepath::Join(m_folder, r.name);
  return {};
}

CPcPaneModel::ShellOpen CPcPaneModel::FileToOpen(std::size_t row) const {
  if (row >= m_rows.size()) return {};
  const PcRow& r = m_rows[row];
  std::string extension = ExtensionOf(r.name);
  if (extension.size() < 3) extension.append(3 - extension.size(), '0');  // as the listing judged it
  if ((r.dataWord & 0xFFFF) != PcFile || r.queued || !IsAllowedExtension(extension)) return {};
  return {panepath::Join(m_folder, r.name), m_mediaClass == kMediaPicture ? "edit" : "open"};
}

bool CPcPaneModel::NameTaken(const std::string& path) const {
  if (ExistsOnDisk(path)) return true;
  return std::any_of(m_queued.begin(), m_queued.end(), [&](const TransferRecord& r) { return r.path == path; });
}

std::string CPcPaneModel::MakeUniqueName(const std::string& name) const {
  const std::size_t dot = name.find('.');
  const std::string base = name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  std::string candidate = name;
  for (int counter = 1; NameTaken(panepath::Join(m_folder, candidate)); ++counter) {
    candidate = base + "[" + std::to_string(counter) + "]";
    if (dot != std::string::npos) candidate += "." + extension;
  }
  return candidate;
}

bool CPcPaneModel::AddDroppedPhoneItem(const TransferRecord& phoneRow) {
  if (!Has(phoneRow.dataWord, PhoneFile)) return false;
  // The name comes from the phone: it must stay a name inside the chosen folder.
  const auto safe = SafePhoneName(phoneRow.name);
  if (!safe) return false;
  std::string name = *safe;
  const std::string extension = m_rules.GetKindExtension(phoneRow.kind);
  if (!extension.empty()) {
    if (EndsWithIgnoringCase(name, "." + extension)) name.erase(name.size() - extension.size() - 1);
    name += "." + extension;
  }
  TransferRecord record;
  record.name = MakeUniqueName(name);
  record.path = panepath::Join(m_folder, record.name);
  record.dataWord = (phoneRow.dataWord | RowBits::Queued | Handed) & ~Marked;
  record.image = RowImage::OfMediaClass(std::max(0, ::GetMediaClass(phoneRow.kind)));
  record.id = phoneRow.id;
  record.kind = phoneRow.kind;
  record.size = phoneRow.size;
  record.listingIndex = phoneRow.listingIndex;
  m_rows.push_back({record.name, PhoneSizeText(record.size), KindTypeText(record.kind), "", record.dataWord, true, ""});
  m_queued.push_back(std::move(record));
  return true;
}

int CPcPaneModel::QueuedRecordOf(std::size_t row) const {
  if (row >= m_rows.size() || !m_rows[row].queued) return -1;
  const std::string path = panepath::Join(m_folder, m_rows[row].name);
  for (std::size_t i = 0; i < m_queued.size(); ++i)
    if (m_queued[i].path == path) return int(i);
  return -1;
}

bool CPcPaneModel::RemoveQueued(std::size_t row) {
  const int record = QueuedRecordOf(row);
  if (record < 0) return false;
  m_queued.erase(m_queued.begin() + record);
  m_rows.erase(m_rows.begin() + std::ptrdiff_t(row));
  return true;
}

CPcPaneModel::RenameResult CPcPaneModel::RenameQueued(std::size_t row, const std::string& text) {
  const int record = QueuedRecordOf(row);
  const auto safe = SafePhoneName(text);
  if (record < 0 || !safe || *safe == m_queued[std::size_t(record)].name) return RenameResult::Unchanged;
  // A name that a queued download or a file of the folder has would be written over.
  if (NameTaken(panepath::Join(m_folder, *safe))) return RenameResult::Exists;
  TransferRecord& r = m_queued[std::size_t(record)];
  r.name = *safe;
  r.path = panepath::Join(panepath::Folder(r.path), r.name);
  m_rows[row].name = r.name;
  return RenameResult::Renamed;
}

std::size_t CPcPaneModel::NewFolder(const std::string& text) {
  const std::string name = MakeNewFolderName(WithoutAmpersands(text), [this](const std::string& candidate) {
    return std::any_of(m_rows.begin(), m_rows.end(), [&](const PcRow& r) { return r.name == candidate; });
  });
  PcRow row;
  row.name = name;
  row.type = "File Folder";
  row.dataWord = (std::uint32_t(m_rows.size()) << 16) | Pc | RowBits::Queued | Folder;
  m_rows.push_back(row);
  m_newFolderRow = int(m_rows.size() - 1);
  return m_rows.size() - 1;
}

CPcPaneModel::NewFolderEnd CPcPaneModel::EndNewFolder(std::size_t row, const std::string& text,
                                                      const std::string& parentText) {
  if (m_newFolderRow < 0 || row != std::size_t(m_newFolderRow) || row >= m_rows.size()) return NewFolderEnd::Failed;
  const std::string name = text.empty() ? m_rows[row].name : text;
  for (std::size_t i = 0; i < m_rows.size(); ++i)
    if (i != row && m_rows[i].name == name) return NewFolderEnd::Exists;
  m_newFolderRow = -1;
  // The typed name is one folder inside the listed one, never a way out of it.
  const bool safe = name != "." && name != ".." && name.find_first_of("\\/") == std::string::npos;
  const bool made = safe && ::CreateDirectoryA(panepath::Join(m_folder, name).c_str(), nullptr);
  ListFolder(m_folder, parentText);
  return made ? NewFolderEnd::Created : NewFolderEnd::Failed;
}

std::string CPcPaneModel::MakePhoneName(const std::string& pcName, const CPhonePaneModel& phone) {
  std::string name;
  for (char c : pcName)
    if (c != ',') name += c;
  const std::size_t dot = name.rfind('.');
  std::string base = name.substr(0, dot);
  std::string extension = dot == std::string::npos ? "" : name.substr(dot);  // with its "."
  extension = CutToPhoneLength(extension, kMaxPhoneNameBytes - 1);
  const std::size_t room = kMaxPhoneNameBytes - PhoneCharsetLength(extension);
  std::string candidate = CutToPhoneLength(base, room) + extension;
  for (int counter = 1; phone.FindRowByName(candidate) >= 0; ++counter) {
    const std::string suffix = "[" + std::to_string(counter) + "]";
    candidate = CutToPhoneLength(base, room - std::min(room, suffix.size())) + suffix + extension;
  }
  return candidate;
}

CPcPaneModel::DropResult CPcPaneModel::DropOnPhone(const std::vector<std::size_t>& selected, CPhonePaneModel& phone,
                                                   bool voiceMemo) {
  DropResult result;
  bool corrupted = false, wrongSize = false, memo = false;
  for (std::size_t row : selected) {
    if (row >= m_rows.size() || m_rows[row].queued) continue;
    PcRow& r = m_rows[row];
    if (!Has(r.dataWord, PcFile)) continue;
    const std::string path = panepath::Join(m_folder, r.name);
    const std::string kind = m_rules.SniffMediaKind(path);
    if (kind.empty() || kind == kWrongSize) {
      r.dataWord |= Unusable;
      (kind.empty() ? corrupted : wrongSize) = true;
      continue;
    }
    if (voiceMemo && kind != "keFTAMR") {
      memo = true;
      continue;
    }
    std::uint32_t limit = 0;
    const auto size = m_rules.CheckFileSize(path, &limit);
    if (size != CMediaRules::SizeCheck::Allowed) {
      r.dataWord |= SizeRefused;
      if (size == CMediaRules::SizeCheck::TooLarge) {
        result.tooLarge.push_back(r.name);
        result.tooLargeLimit = limit;
      }
      continue;
    }
    r.dataWord |= RowBits::Queued;
    phone.AddUpload(MakePhoneName(r.name, phone), path, kind);
    result.queued.push_back(row);
  }
  result.message = corrupted ? 1049 : memo ? 1059 : wrongSize ? 1080 : 0;
  return result;
}
