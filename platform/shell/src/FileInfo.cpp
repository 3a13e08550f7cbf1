// SHGetFileInfo and the system image list. Every item is of one kind (a file of some sort, a
// folder, a drive, a shortcut), each kind has one fixed icon, drawn by us and kept as an icon
// resource of this library, and the system image list holds them all in the kind's order, small
// (16) and large (32). A file's kind follows its MIME type's media class as the desktop's
// shared-mime-info database gives it for the name (globs2 under $XDG_DATA_HOME and
// $XDG_DATA_DIRS); without a database, a table of the usual extensions decides.
#include <shell/ShellApi.h>
#include <shell/ShlObj.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <kernel/File.h>
#include <kernel/Path.h>
#include <resources/Resource.h>
#include <user/User.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>

#include "ItemList.h"

namespace {

enum Kind { kFile, kFolder, kDrive, kShortcut, kPicture, kSound, kMovie, kText, kKinds };

struct KindInfo {
  WORD iconId;
  const char* typeName;  // "%s" is the extension in upper case
};
constexpr KindInfo kKindInfo[kKinds] = {
    {1, "%s File"}, {2, "File Folder"}, {3, "Local Disk"}, {4, "Shortcut"},
    {5, "%s Image"}, {6, "%s Audio"},   {7, "%s Video"},   {8, "Text Document"},
};

// Used when no shared-mime-info database is installed.
struct ExtensionKind {
  const char* extension;
  Kind kind;
};
constexpr ExtensionKind kExtensionKinds[] = {
    {"bmp", kPicture}, {"gif", kPicture}, {"jpg", kPicture}, {"jpeg", kPicture}, {"png", kPicture},
    {"mid", kSound},   {"midi", kSound},  {"mp3", kSound},   {"wav", kSound},    {"amr", kSound},
    {"mmf", kSound},   {"avi", kMovie},   {"mp4", kMovie},   {"3gp", kMovie},    {"mpg", kMovie},
    {"mpeg", kMovie},  {"txt", kText},
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The "*.ext" globs of the shared-mime-info databases: extension (lower case) to media class. The
// heaviest glob wins, as the database's weights say; an extension's first entry among equals.
class MimeGlobs {
public:
  MimeGlobs() {
    std::string dirs;
    const char* home = std::getenv("XDG_DATA_HOME");
    const char* userHome = std::getenv("HOME");
    if (home && *home) dirs = home;
    else if (userHome) dirs = std::string(userHome) + "/.local/share";
    const char* system = std::getenv("XDG_DATA_DIRS");
    dirs += ":" + std::string(system && *system ? system : "/usr/local/share:/usr/share");
    std::size_t start = 0;
    while (start <= dirs.size()) {
      const auto end = std::min(dirs.find(':', start), dirs.size());
      if (end > start) Read(dirs.substr(start, end - start) + "/mime/globs2");
      start = end + 1;
    }
  }
  bool Present() const { return m_present; }
  // The media class ("image", "audio"...) of the extension; empty when the database has none.
  std::string MediaOf(const std::string& extension) const {
    auto found = m_media.find(extension);
    return found == m_media.end() ? std::string() : found->second.second;
  }

private:
  void Read(const std::string& file) {
    std::ifstream in(file);
    if (!in) return;
    m_present = true;
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      const auto first = line.find(':');
      const auto second = line.find(':', first + 1);
      if (first == std::string::npos || second == std::string::npos) continue;
      const int weight = std::atoi(line.substr(0, first).c_str());
      const std::string mime = line.substr(first + 1, second - first - 1);
      std::string glob = line.substr(second + 1);
      glob = glob.substr(0, glob.find(':'));  // flags follow
      if (glob.size() < 3 || glob[0] != '*' || glob[1] != '.' ||
          glob.find_first_of("*?[", 2) != std::string::npos)
        continue;
      const std::string extension = Lower(glob.substr(2));
      auto known = m_media.find(extension);
      if (known != m_media.end() && known->second.first >= weight) continue;
      m_media[extension] = {weight, mime.substr(0, mime.find('/'))};
    }
  }
  bool m_present = false;
  std::map<std::string, std::pair<int, std::string>> m_media;
};

// The database is read once per set of data folders: it changes with installations, not while a
// program runs, but a test (or a program) may point the XDG variables elsewhere.
std::shared_ptr<const MimeGlobs> CurrentGlobs() {
  static std::mutex lock;
  static std::string key = "\1";
  static std::shared_ptr<const MimeGlobs> globs;
  std::lock_guard guard(lock);
  std::string now;
  for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "HOME"}) {
    const char* value = std::getenv(name);
    now += std::string(value ? value : "") + '\n';
  }
  if (!globs || now != key) {
    globs = std::make_shared<const MimeGlobs>();
    key = now;
  }
  return globs;
}

Kind KindOfFile(const std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot + 1 == name.size()) return kFile;
  const std::string extension = Lower(name.substr(dot + 1));
  if (extension == "lnk") return kShortcut;
  const auto globs = CurrentGlobs();
  if (globs->Present()) {
    const std::string media = globs->MediaOf(extension);
    if (media == "image") return kPicture;
    if (media == "audio") return kSound;
    if (media == "video") return kMovie;
    if (media == "text") return kText;
    return kFile;
  }
  for (const ExtensionKind& known : kExtensionKinds)
    if (extension == known.extension) return known.kind;
  return kFile;
}

HMODULE ShellModule() {
  Dl_info info{};
  dladdr(reinterpret_cast<void*>(&ShellModule), &info);
  return static_cast<HMODULE>(info.dli_fbase);
}

// The two lists, made on first use and kept for the life of the process (callers share them). A
// program's own icon joins them after the kinds' icons, once per file.
struct SystemImageLists {
  HIMAGELIST small = nullptr;
  HIMAGELIST large = nullptr;
  std::mutex lock;
  std::map<std::string, int> ownIcons;  // by the file's path; -1: the file has no icon of its own
  SystemImageLists() {
    small = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, kKinds, 1);
    large = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, kKinds, 1);
    const HMODULE module = ShellModule();
    for (const KindInfo& kind : kKindInfo) {
      for (auto [list, size] : {std::pair{small, 16}, std::pair{large, 32}}) {
        HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(kind.iconId), IMAGE_ICON, size, size, 0));
        ImageList_AddIcon(list, icon);
        if (icon) DestroyIcon(icon);
      }
    }
  }
};

SystemImageLists& Lists() {
  static SystemImageLists lists;
  return lists;
}

// A program or library with icons in its resources is shown with its first one, as Windows shows a
// program file; the index of that icon in the system lists, or -1.
int OwnIconIndex(const std::string& host) {
  SystemImageLists& lists = Lists();
  std::lock_guard guard(lists.lock);
  if (auto it = lists.ownIcons.find(host); it != lists.ownIcons.end()) return it->second;
  int index = -1;
  HICON small = nullptr, large = nullptr;
  if (PrivateExtractIconsA(host.c_str(), 0, 16, 16, &small, nullptr, 1, 0) == 1 &&
      PrivateExtractIconsA(host.c_str(), 0, 32, 32, &large, nullptr, 1, 0) == 1) {
    const int atSmall = ImageList_AddIcon(lists.small, small), atLarge = ImageList_AddIcon(lists.large, large);
    if (atSmall >= 0 && atSmall == atLarge) index = atLarge;
  }
  if (small) DestroyIcon(small);
  if (large) DestroyIcon(large);
  lists.ownIcons.emplace(host, index);
  return index;
}

std::string LastComponent(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsDriveRoot(const std::string& path) {
  return path.size() >= 2 && path.size() <= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
         (path.size() == 2 || path[2] == '\\' || path[2] == '/');
}

bool SameFolder(const std::string& host, int csidl) {
  char special[MAX_PATH];
  if (!SHGetSpecialFolderPathA(nullptr, special, csidl, FALSE)) return false;
  struct stat a {}, b {};
  return stat(host.c_str(), &a) == 0 && stat(tolvar::kernel::ToHostPath(special).c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void CopyText(char* field, std::size_t size, const std::string& text) {
  const std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), n);
  field[n] = 0;
}

// The computer: a folder of drives, shown with the drive's icon.
DWORD_PTR ComputerInfo(SHFILEINFOA* info, UINT infoSize, UINT flags) {
  if (info && infoSize < sizeof(SHFILEINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SystemImageLists& lists = Lists();
  HIMAGELIST list = (flags & SHGFI_SMALLICON) ? lists.small : lists.large;
  if (info) {
    if (flags & (SHGFI_ICON | SHGFI_SYSICONINDEX)) info->iIcon = kDrive;
    if (flags & SHGFI_ICON) info->hIcon = ImageList_GetIcon(list, kDrive, 0);
    if (flags & SHGFI_DISPLAYNAME) CopyText(info->szDisplayName, sizeof info->szDisplayName, "My Computer");
    if (flags & SHGFI_TYPENAME) CopyText(info->szTypeName, sizeof info->szTypeName, "System Folder");
    if (flags & SHGFI_ATTRIBUTES) info->dwAttributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
  }
  if (flags & SHGFI_SYSICONINDEX) return reinterpret_cast<DWORD_PTR>(list);
  return 1;
}

}  // namespace

DWORD_PTR SHGetFileInfoA(LPCSTR path, DWORD fileAttributes, SHFILEINFOA* info, UINT infoSize, UINT flags) {
  if (flags & SHGFI_PIDL) {
    // An item list names a path, answered as that path is, or the computer.
    const std::string named = tolvar::shell::PathOf(reinterpret_cast<LPCITEMIDLIST>(path));
    if (named.empty()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (!tolvar::shell::IsComputerItem(named))
      return SHGetFileInfoA(named.c_str(), fileAttributes, info, infoSize, flags & ~SHGFI_PIDL);
    return ComputerInfo(info, infoSize, flags);
  }
  if (!path || !*path || (info && infoSize < sizeof(SHFILEINFOA))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string windowsPath = path;
  Kind kind = kFile;
  int ownIcon = -1;
  std::string display = LastComponent(windowsPath);
  const bool drive = IsDriveRoot(windowsPath);
  if (flags & SHGFI_USEFILEATTRIBUTES) {
    kind = drive ? kDrive : (fileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolder : KindOfFile(display);
  } else {
    const std::string host = tolvar::kernel::ToHostPath(windowsPath);
    struct stat status {};
    if (stat(host.c_str(), &status) != 0) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return 0;
    }
    if (drive) kind = kDrive;
    else if (S_ISDIR(status.st_mode)) kind = kFolder;
    else kind = KindOfFile(display);
    if (kind == kFile && S_ISREG(status.st_mode) && (flags & (SHGFI_ICON | SHGFI_SYSICONINDEX)))
      ownIcon = OwnIconIndex(host);
    if (kind == kFolder && SameFolder(host, CSIDL_PERSONAL)) display = "My Documents";
    else if (kind == kFolder && SameFolder(host, CSIDL_DESKTOP)) display = "Desktop";
  }
  if (drive) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0])));
    display = std::string("Local Disk (") + letter + ":)";
  }

  SystemImageLists& lists = Lists();
  HIMAGELIST list = (flags & SHGFI_SMALLICON) ? lists.small : lists.large;
  if (info) {
    const int icon = ownIcon >= 0 ? ownIcon : kind;
    if (flags & (SHGFI_ICON | SHGFI_SYSICONINDEX)) info->iIcon = icon;
    if (flags & SHGFI_ICON) info->hIcon = ImageList_GetIcon(list, icon, 0);
    if (flags & SHGFI_DISPLAYNAME) CopyText(info->szDisplayName, sizeof info->szDisplayName, display);
    if (flags & SHGFI_TYPENAME) {
      std::string extension;
      const auto dot = display.rfind('.');
      if (dot != std::string::npos) extension = display.substr(dot + 1);
      for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      std::string type = kKindInfo[kind].typeName;
      if (const auto at = type.find("%s"); at != std::string::npos) {
        // A name without an extension is just a "File", as Windows calls it.
        type = extension.empty() ? (kind == kFile ? std::string("File") : type.substr(at + 3))
                                 : type.replace(at, 2, extension);
      }
      CopyText(info->szTypeName, sizeof info->szTypeName, type);
    }
    if (flags & SHGFI_ATTRIBUTES) {
      DWORD attributes = SFGAO_FILESYSTEM;
      if (kind == kFolder || kind == kDrive) attributes |= SFGAO_FOLDER;
      if (kind == kShortcut) attributes |= SFGAO_LINK;
      info->dwAttributes = attributes;
    }
  }
  if (flags & SHGFI_SYSICONINDEX) return reinterpret_cast<DWORD_PTR>(list);
  return 1;
}
