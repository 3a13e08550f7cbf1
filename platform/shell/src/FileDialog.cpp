// The file open and save dialogs. One modal dialog (built in code from a table of its controls)
// shows a folder: the folder combo with the folder's ancestors and the drives, the folder's
// sub-folders and the files the chosen filter lets through in a list view with the system image
// list's icons, the file name edit, the filter combo, OK and Cancel. A caller's hook runs as the
// dialog procedure of a child dialog (empty, or the caller's template), placed below the standard
// controls or, when the template holds stc32, around them where stc32 stands, as the caller laid it
// out. The hook hears CDN_* in WM_NOTIFY and asks the dialog with CDM_*.
//
// The typed name decides what OK does, as people expect of this dialog: a pattern becomes the
// filter, a folder is entered, a file is checked against the flags (must exist, create and
// overwrite prompts) and offered to the hook before the dialog ends. Paths keep the caller's form:
// a drive path ("C:\x") joins names with '\', a Linux path with '/'.
#include <shell/CommDlg.h>
#include <shell/ShellApi.h>
#include <shell/ShlObj.h>

#include <base/LastError.h>
#include <controls/Controls.h>
#include <kernel/File.h>
#include <kernel/Find.h>
#include <kernel/Path.h>
#include <resources/Resource.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "ShellPaths.h"

namespace {

using tolvar::shell::JoinPath;
using tolvar::shell::ParentPath;

thread_local DWORD t_extendedError = 0;

// Private messages of the dialog.
constexpr UINT kSelectionSettled = WM_APP + 0x51;  // the list's selection changes are over: tell once

struct Filter {
  std::string name;
  std::vector<std::string> patterns;  // "*.bmp", "*.*"
};

struct Entry {
  std::string name;
  bool folder = false;
};

struct Dialog {
  OPENFILENAMEA* ofn = nullptr;
  bool save = false;
  HWND window = nullptr;
  HWND child = nullptr;  // the hook's window, when there is a hook or a template
  HWND list = nullptr;
  HWND edit = nullptr;
  std::string folder;
  std::vector<Filter> filters;
  int filter = 0;            // index into filters
  std::string typedPattern;  // a pattern typed into the name, in place of the filter's
  std::vector<Entry> entries;
  std::vector<std::string> folderChoices;  // the folder combo's paths, by index
  std::string defExt;
  bool filling = false;        // the dialog changes the list or the edit itself: no notifications
  bool selectionPending = false;
  bool accepted = false;
  SIZE standard{};             // the standard controls' area
  RECT initialClient{};        // for OFN_ENABLESIZING
  std::vector<std::pair<HWND, RECT>> initialRects;
};

Dialog* DialogOf(HWND window) { return reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER)); }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// '*' and '?' without regard to case; "*.*" matches every name, as it always has.
bool Matches(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*" || pattern == "*") return true;
  std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  auto same = [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> SplitPatterns(std::string_view text) {
  std::vector<std::string> patterns;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string one(text.substr(start, end - start));
    one.erase(0, one.find_first_not_of(' '));
    one.erase(one.find_last_not_of(' ') + 1);
    if (!one.empty()) patterns.push_back(one);
    start = end + 1;
  }
  return patterns;
}

bool HasWildcards(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

// lpstrFilter's pairs; a pair without patterns is dropped, as it could show nothing.
std::vector<Filter> ReadFilters(LPCSTR text) {
  std::vector<Filter> filters;
  if (!text) return filters;
  while (*text) {
    std::string name = text;
    text += name.size() + 1;
    if (!*text) break;
    std::string patterns = text;
    text += patterns.size() + 1;
    filters.push_back({name, SplitPatterns(patterns)});
  }
  return filters;
}

const std::vector<std::string>& Patterns(const Dialog& d) {
  static const std::vector<std::string> kAll{"*.*"};
  static thread_local std::vector<std::string> typed;
  if (!d.typedPattern.empty()) {
    typed = SplitPatterns(d.typedPattern);
    return typed;
  }
  return d.filters.empty() ? kAll : d.filters[static_cast<std::size_t>(d.filter)].patterns;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
bool IsFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPath(const Dialog& d, const std::string& name) {
  const bool absolute = !name.empty() && (name[0] == '/' || name[0] == '\\' ||
                                          (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':'));
  std::string joined = absolute ? name : JoinPath(d.folder, name);
  char buffer[4096];
  DWORD length = GetFullPathNameA(joined.c_str(), sizeof buffer, buffer, nullptr);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : joined;
}

std::string EditText(HWND edit) {
  int length = GetWindowTextLengthA(edit);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(edit, text.data(), length + 1);
  text.resize(std::strlen(text.c_str()));
  return text;
}

void SetEditText(Dialog& d, const std::string& text) {
  d.filling = true;
  SetWindowTextA(d.edit, text.c_str());
  d.filling = false;
}

// ---- Telling the hook --------------------------------------------------------------------------

LRESULT Notify(Dialog& d, UINT code, LPSTR file = nullptr) {
  if (!d.child) return 0;
  OFNOTIFYA notify{};
  notify.hdr.hwndFrom = d.window;
  notify.hdr.idFrom = 0;
  notify.hdr.code = code;
  notify.lpOFN = d.ofn;
  notify.pszFile = file;
  return SendMessageA(d.child, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

// The hook's dialog procedure: the caller's hook, found through the Explorer dialog's state (the
// hook's type is not a dialog procedure's, so it is called, not installed).
INT_PTR ChildProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* d = DialogOf(GetParent(child));
  if (!d || !(d->ofn->Flags & OFN_ENABLEHOOK) || !d->ofn->lpfnHook) return FALSE;
  return static_cast<INT_PTR>(d->ofn->lpfnHook(child, message, wParam, lParam));
}

// ---- The folder's contents ---------------------------------------------------------------------

void FillFolderCombo(Dialog& d) {
  HWND combo = GetDlgItem(d.window, cmb2);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  d.folderChoices.clear();
  std::vector<std::string> chain;
  for (std::string path = d.folder; !path.empty(); path = ParentPath(path)) chain.insert(chain.begin(), path);
  int current = 0;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    std::string label = std::string(i * 2, ' ') + (i == 0 ? chain[i] : tolvar::shell::LastComponent(chain[i]));
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
    d.folderChoices.push_back(chain[i]);
    current = static_cast<int>(i);
  }
  char drives[256] = {};
  GetLogicalDriveStringsA(sizeof drives, drives);
  for (const char* drive = drives; *drive; drive += std::strlen(drive) + 1) {
    if (!chain.empty() && Lower(chain.front()) == Lower(drive)) continue;
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive));
    d.folderChoices.push_back(drive);
  }
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
}

std::string SizeText(const WIN32_FIND_DATAA& found) {
  unsigned long long bytes = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  return std::to_string((bytes + 1023) / 1024) + " KB";
}

void FillList(Dialog& d) {
  d.filling = true;
  d.selectionPending = false;  // a change of the old list's selection is no news any more
  SendMessageA(d.list, LVM_DELETEALLITEMS, 0, 0);
  d.entries.clear();
  struct Row {
    Entry entry;
    std::string size, type;
    int icon;
  };
  std::vector<Row> folders, files;
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(JoinPath(d.folder, "*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == ".." || (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) continue;
      const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (!folder) {
        const auto& patterns = Patterns(d);
        if (std::none_of(patterns.begin(), patterns.end(), [&](const std::string& p) { return Matches(p, name); })) continue;
      }
      SHFILEINFOA info{};
      SHGetFileInfoA(JoinPath(d.folder, name).c_str(), 0, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME);
      Row row{{name, folder}, folder ? "" : SizeText(found), info.szTypeName, info.iIcon};
      (folder ? folders : files).push_back(std::move(row));
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  int index = 0;
  for (auto* rows : {&folders, &files}) {
    for (Row& row : *rows) {
      LVITEMA item{};
      item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
      item.iItem = index;
      item.pszText = row.entry.name.data();
      item.iImage = row.icon;
      item.lParam = index;
      SendMessageA(d.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
      for (auto [column, text] : {std::pair{1, &row.size}, std::pair{2, &row.type}}) {
        LVITEMA sub{};
        sub.iSubItem = column;
        sub.pszText = text->data();
        SendMessageA(d.list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
      }
      d.entries.push_back(std::move(row.entry));
      ++index;
    }
  }
  d.filling = false;
}

void ShowFolder(Dialog& d, std::string folder, bool notify) {  // a copy: the combo's paths are rebuilt
  d.folder = folder;
  // Browsing moves the current directory, as the dialog always has; OFN_NOCHANGEDIR puts it back.
  SetCurrentDirectoryA(folder.c_str());
  FillFolderCombo(d);
  FillList(d);
  if (notify) {
    Notify(d, CDN_FOLDERCHANGE);
    Notify(d, CDN_SELCHANGE);
  }
}

std::vector<int> SelectedItems(const Dialog& d) {
  std::vector<int> items;
  for (int i = -1; (i = static_cast<int>(SendMessageA(d.list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;)
    items.push_back(i);
  return items;
}

// After the list's selection settled: the chosen files into the name edit, then CDN_SELCHANGE.
void SelectionSettled(Dialog& d) {
  d.selectionPending = false;
  std::vector<std::string> files;
  for (int item : SelectedItems(d)) {
    if (item < static_cast<int>(d.entries.size()) && !d.entries[static_cast<std::size_t>(item)].folder)
      files.push_back(d.entries[static_cast<std::size_t>(item)].name);
  }
  if (files.size() == 1) {
    SetEditText(d, files[0]);
  } else if (files.size() > 1) {
    std::string text;
    for (const std::string& file : files) text += (text.empty() ? "\"" : " \"") + file + "\"";
    SetEditText(d, text);
  }
  Notify(d, CDN_SELCHANGE);
}

// Inline completion: a name typed at the end that starts exactly one entry's name is completed
// with the rest selected, so typing on replaces it.
void Complete(Dialog& d) {
  std::string text = EditText(d.edit);
  const auto selection = static_cast<DWORD>(SendMessageA(d.edit, EM_GETSEL, 0, 0));
  const DWORD start = LOWORD(selection), end = HIWORD(selection);
  if (text.empty() || text[0] == '"' || end != text.size() || start != end) return;
  if (text.find_first_of("\\/*?") != std::string::npos) return;
  const std::string prefix = Lower(text);
  const Entry* match = nullptr;
  for (const Entry& entry : d.entries) {
    if (Lower(entry.name).rfind(prefix, 0) != 0) continue;
    if (match) return;  // more than one: nothing is guessed
    match = &entry;
  }
  if (!match || match->name.size() == text.size()) return;
  SetEditText(d, text + match->name.substr(text.size()));
  SendMessageA(d.edit, EM_SETSEL, text.size(), match->name.size());
}

// ---- OK ----------------------------------------------------------------------------------------

int Ask(Dialog& d, const std::string& text, UINT type) {
  char caption[256] = {};
  GetWindowTextA(d.window, caption, sizeof caption);
  return MessageBoxA(d.window, text.c_str(), caption, type);
}

// The names in the edit: one name, or several in quotes ("a.txt" "b.txt").
std::vector<std::string> TypedNames(const std::string& text) {
  std::vector<std::string> names;
  std::size_t at = text.find_first_not_of(' ');
  if (at == std::string::npos) return names;
  if (text[at] != '"') {
    std::string name = text.substr(at);
    name.erase(name.find_last_not_of(' ') + 1);
    names.push_back(name);
    return names;
  }
  while (at != std::string::npos && at < text.size()) {
    if (text[at] == '"') {
      std::size_t close = text.find('"', at + 1);
      if (close == std::string::npos) close = text.size();
      if (close > at + 1) names.push_back(text.substr(at + 1, close - at - 1));
      at = text.find_first_not_of(' ', close + 1);
    } else {
      std::size_t space = text.find(' ', at);
      names.push_back(text.substr(at, space == std::string::npos ? std::string::npos : space - at));
      at = space == std::string::npos ? space : text.find_first_not_of(' ', space);
    }
  }
  return names;
}

bool HasExtension(const std::string& path) {
  std::size_t dot = path.find_last_of('.'), separator = path.find_last_of("\\/");
  return dot != std::string::npos && (separator == std::string::npos || dot > separator);
}

// The path of one typed file with the default extension added, as the flags let it be chosen; an
// empty text when the person was told why not.
std::string CheckFile(Dialog& d, const std::string& name) {
  std::string path = FullPath(d, name);
  if (!d.defExt.empty() && !HasExtension(path) && !(path.empty() || path.back() == '.')) {
    std::string withExt = path + "." + d.defExt;
    if (d.save || !IsFile(path) || IsFile(withExt)) path = withExt;
  }
  const DWORD flags = d.ofn->Flags;
  const std::string folder = ParentPath(path);
  if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !folder.empty() && !IsFolder(folder)) {
    Ask(d, path + "\nPath does not exist.\nCheck the path and try again.", MB_OK | MB_ICONEXCLAMATION);
    return {};
  }
  const bool exists = IsFile(path);
  if (!exists && !d.save && (flags & OFN_FILEMUSTEXIST)) {
    Ask(d, path + "\nFile not found.\nPlease verify the correct file name was given.", MB_OK | MB_ICONEXCLAMATION);
    return {};
  }
  if (!exists && (flags & OFN_CREATEPROMPT) &&
      Ask(d, path + "\nThis file does not exist.\nDo you want to create it?", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return {};
  }
  if (exists && d.save && (flags & OFN_OVERWRITEPROMPT) &&
      Ask(d, path + " already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
    return {};
  }
  return path;
}

void CopyTruncated(LPSTR buffer, DWORD size, const std::string& text) {
  if (!buffer || size == 0) return;
  std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

// Writes the result into the caller's buffers. FALSE (and FNERR_BUFFERTOOSMALL) when it does not
// fit: the buffer's first two bytes then hold the size needed, and nothing else is written.
bool StoreResult(Dialog& d, const std::string& folder, const std::vector<std::string>& names) {
  OPENFILENAMEA& ofn = *d.ofn;
  std::string result;
  WORD offset = 0, extension = 0;
  if (names.size() == 1) {
    result = names[0];
    const std::size_t separator = result.find_last_of("\\/");
    offset = static_cast<WORD>(separator == std::string::npos ? 0 : separator + 1);
    const std::size_t dot = result.find_last_of('.');
    extension = static_cast<WORD>(dot != std::string::npos && dot >= offset ? dot + 1 : result.size());
    if (dot != std::string::npos && dot + 1 == result.size()) extension = 0;
    result.push_back('\0');
  } else {
    result = folder;
    result.push_back('\0');
    offset = static_cast<WORD>(result.size());
    for (const std::string& name : names) {
      result += name;
      result.push_back('\0');
    }
  }
  // The list's end; a single path ends in two NULs too where several could have been chosen, so
  // that a reader of the list sees one name.
  if (names.size() > 1 || (ofn.Flags & OFN_ALLOWMULTISELECT)) result.push_back('\0');
  if (result.size() > ofn.nMaxFile || result.size() > 0xFFFF) {
    t_extendedError = FNERR_BUFFERTOOSMALL;
    if (ofn.lpstrFile && ofn.nMaxFile >= 2) {
      const std::size_t needed = std::min<std::size_t>(result.size(), 0xFFFF);
      ofn.lpstrFile[0] = static_cast<CHAR>(needed & 0xFF);
      ofn.lpstrFile[1] = static_cast<CHAR>(needed >> 8);
    }
    return false;
  }
  std::memcpy(ofn.lpstrFile, result.data(), result.size());
  ofn.nFileOffset = offset;
  ofn.nFileExtension = extension;
  const std::string first = names.size() == 1 ? names[0].substr(offset) : names[0];
  CopyTruncated(ofn.lpstrFileTitle, ofn.nMaxFileTitle, first);
  ofn.Flags &= ~(OFN_EXTENSIONDIFFERENT | OFN_READONLY);
  const std::size_t dot = first.find_last_of('.');
  const std::string typedExt = dot == std::string::npos ? "" : first.substr(dot + 1);
  if (ofn.lpstrDefExt && Lower(typedExt) != Lower(ofn.lpstrDefExt)) ofn.Flags |= OFN_EXTENSIONDIFFERENT;
  if (IsDlgButtonChecked(d.window, chx1) == BST_CHECKED) ofn.Flags |= OFN_READONLY;
  return true;
}

void Finish(Dialog& d, bool ok) {
  d.accepted = ok;
  EndDialog(d.window, ok ? IDOK : IDCANCEL);
}

// Offers a stored result to the hook; the dialog ends unless the hook refuses it.
void Offer(Dialog& d, const std::string& folder, const std::vector<std::string>& names) {
  if (!StoreResult(d, folder, names)) {
    Finish(d, false);
    return;
  }
  if (Notify(d, CDN_FILEOK) != 0) return;
  Finish(d, true);
}

void OnOk(Dialog& d) {
  std::string text = EditText(d.edit);
  std::vector<std::string> names = TypedNames(text);
  if (names.empty()) {
    // Nothing typed: a folder selected in the list is entered.
    std::vector<int> selected = SelectedItems(d);
    if (selected.size() == 1 && d.entries[static_cast<std::size_t>(selected[0])].folder)
      ShowFolder(d, JoinPath(d.folder, d.entries[static_cast<std::size_t>(selected[0])].name), true);
    return;
  }
  if (names.size() == 1) {
    const std::string& name = names[0];
    if (HasWildcards(name)) {
      d.typedPattern = name;
      FillList(d);
      return;
    }
    std::string path = FullPath(d, name);
    if (IsFolder(path)) {
      SetEditText(d, "");
      ShowFolder(d, path, true);
      return;
    }
    std::string chosen = CheckFile(d, name);
    if (chosen.empty()) return;
    Offer(d, ParentPath(chosen), {chosen});
    return;
  }
  if (!(d.ofn->Flags & OFN_ALLOWMULTISELECT)) {
    Ask(d, text + "\nThe file name is not valid.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  std::vector<std::string> chosen;
  for (const std::string& name : names) {
    if (name.find_first_of("\\/") != std::string::npos) {
      Ask(d, name + "\nThe file name is not valid.", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    std::string path = CheckFile(d, name);
    if (path.empty()) return;
    chosen.push_back(path.substr(path.find_last_of("\\/") + 1));
  }
  Offer(d, d.folder, chosen);
}

// ---- Building and laying out -------------------------------------------------------------------

enum Anchor : unsigned { kFixed = 0, kRight = 1, kBelow = 2, kWider = 4, kTaller = 8 };

struct ControlRow {
  int id;
  const char* className;
  const char* text;  // NULL: set from the dialog's kind
  DWORD style;
  DWORD exStyle;
  RECT rect;         // left, top, right, bottom in pixels
  unsigned anchor;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const ControlRow kControls[] = {
    {stc4, "Static", nullptr, kChild | SS_LEFT, 0, {8, 12, 70, 28}, kFixed},
    {cmb2, "ComboBox", "", kChild | WS_TABSTOP | CBS_DROPDOWNLIST, 0, {76, 8, 344, 208}, kWider},
    {kFileDialogUpButton, "Button", "Up", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, {350, 7, 422, 30}, kRight},
    {lst1, "SysListView32", "", kChild | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
     WS_EX_CLIENTEDGE, {8, 38, 422, 186}, kWider | kTaller},
    {stc3, "Static", "File &name:", kChild | SS_LEFT, 0, {8, 198, 92, 214}, kBelow},
    {edt1, "Edit", "", kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {96, 194, 336, 216}, kBelow | kWider},
    {IDOK, "Button", nullptr, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {344, 193, 422, 216}, kBelow | kRight},
    {stc2, "Static", "Files of &type:", kChild | SS_LEFT, 0, {8, 226, 92, 242}, kBelow},
    {cmb1, "ComboBox", "", kChild | WS_TABSTOP | CBS_DROPDOWNLIST, 0, {96, 222, 336, 372}, kBelow | kWider},
    {IDCANCEL, "Button", "Cancel", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, {344, 221, 422, 244}, kBelow | kRight},
    {chx1, "Button", "Open as &read-only", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0, {96, 250, 336, 266}, kBelow},
};
constexpr SIZE kStandardSize{430, 274};
constexpr int kReadOnlyRow = 24;  // the height the hidden read-only box gives back

const char* KindText(const Dialog& d, int id) {
  if (id == stc4) return d.save ? "Save &in:" : "Look &in:";
  if (id == IDOK) return d.save ? "&Save" : "&Open";
  return "";
}

// A template's bytes: the caller's resource, or the template itself.
LPCDLGTEMPLATEA ChildTemplate(const OPENFILENAMEA& ofn) {
  if (ofn.Flags & OFN_ENABLETEMPLATEHANDLE) {
    if (!ofn.hInstance) t_extendedError = CDERR_NOHINSTANCE;
    return reinterpret_cast<LPCDLGTEMPLATEA>(ofn.hInstance);
  }
  if (!(ofn.Flags & OFN_ENABLETEMPLATE)) return nullptr;
  if (!ofn.lpTemplateName) {
    t_extendedError = CDERR_NOTEMPLATE;
    return nullptr;
  }
  HMODULE module = reinterpret_cast<HMODULE>(ofn.hInstance);
  HRSRC found = FindResourceA(module, ofn.lpTemplateName, RT_DIALOG);
  if (!found) {
    t_extendedError = CDERR_FINDRESFAILURE;
    return nullptr;
  }
  auto* bytes = static_cast<LPCDLGTEMPLATEA>(LockResource(LoadResource(module, found)));
  if (!bytes) t_extendedError = CDERR_LOADRESFAILURE;
  return bytes;
}

// An empty child template: the hook's window when the caller gives none.
std::vector<WORD> EmptyChildTemplate() {
  const DWORD style = WS_CHILD | WS_VISIBLE | DS_CONTROL | WS_CLIPSIBLINGS;
  return {static_cast<WORD>(style & 0xFFFF), static_cast<WORD>(style >> 16), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

bool CreateChild(Dialog& d) {
  const OPENFILENAMEA& ofn = *d.ofn;
  const bool hasTemplate = (ofn.Flags & (OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE)) != 0;
  const bool hasHook = (ofn.Flags & OFN_ENABLEHOOK) != 0;
  if (!hasTemplate && !hasHook) return true;
  std::vector<WORD> empty = EmptyChildTemplate();
  LPCDLGTEMPLATEA bytes = hasTemplate ? ChildTemplate(ofn) : reinterpret_cast<LPCDLGTEMPLATEA>(empty.data());
  if (!bytes) return false;
  HINSTANCE instance = (ofn.Flags & OFN_ENABLETEMPLATE) ? ofn.hInstance : nullptr;
  d.child = CreateDialogIndirectParamA(instance, bytes, d.window, ChildProc, reinterpret_cast<LPARAM>(d.ofn));
  if (!d.child) {
    t_extendedError = CDERR_DIALOGFAILURE;
    return false;
  }
  return true;
}

void Move(HWND window, const RECT& r) { MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE); }

// Places the child and the standard controls as the caller's template asks, and sizes the dialog.
void PlaceChild(Dialog& d) {
  SIZE total = d.standard;
  if (d.child) {
    RECT childRect;
    GetWindowRect(d.child, &childRect);
    const SIZE childSize{childRect.right - childRect.left, childRect.bottom - childRect.top};
    HWND anchor = GetDlgItem(d.child, stc32);
    if (!anchor) {
      // Below the standard controls, as wide as the wider of the two.
      total = SIZE{std::max(d.standard.cx, childSize.cx), d.standard.cy + childSize.cy};
      SetWindowPos(d.child, HWND_BOTTOM, 0, d.standard.cy, total.cx, childSize.cy, SWP_NOACTIVATE);
    } else {
      // The standard controls take stc32's place; the child's controls right of it and below it
      // move by what the standard area adds to stc32's size.
      RECT place;
      GetWindowRect(anchor, &place);
      MapWindowPoints(nullptr, d.child, reinterpret_cast<POINT*>(&place), 2);
      const int dx = std::max<int>(0, d.standard.cx - (place.right - place.left));
      const int dy = std::max<int>(0, d.standard.cy - (place.bottom - place.top));
      for (HWND control = GetWindow(d.child, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (control == anchor) continue;
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, d.child, reinterpret_cast<POINT*>(&r), 2);
        const int moveX = r.left >= place.right ? dx : 0, moveY = r.top >= place.bottom ? dy : 0;
        OffsetRect(&r, moveX, moveY);
        Move(control, r);
      }
      ShowWindow(anchor, SW_HIDE);
      for (HWND control = GetWindow(d.window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (control == d.child) continue;
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, d.window, reinterpret_cast<POINT*>(&r), 2);
        OffsetRect(&r, place.left, place.top);
        Move(control, r);
      }
      total = SIZE{childSize.cx + dx, childSize.cy + dy};
      total.cx = std::max(total.cx, place.left + d.standard.cx);
      total.cy = std::max(total.cy, place.top + d.standard.cy);
      // Under the standard controls, so that they take the pointer where they stand.
      SetWindowPos(d.child, HWND_BOTTOM, 0, 0, total.cx, total.cy, SWP_NOACTIVATE);
    }
  }
  RECT frame{0, 0, total.cx, total.cy};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(d.window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(d.window, GWL_EXSTYLE)));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (d.ofn->hwndOwner && IsWindowVisible(d.ofn->hwndOwner)) GetWindowRect(d.ofn->hwndOwner, &area);
  const int x = std::max(0, (area.left + area.right - width) / 2), y = std::max(0, (area.top + area.bottom - height) / 2);
  SetWindowPos(d.window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void RememberLayout(Dialog& d) {
  GetClientRect(d.window, &d.initialClient);
  for (HWND control = GetWindow(d.window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, d.window, reinterpret_cast<POINT*>(&r), 2);
    d.initialRects.emplace_back(control, r);
  }
}

// OFN_ENABLESIZING: the list takes what the dialog grows by; the controls below and right follow.
void Relayout(Dialog& d, int width, int height) {
  if (d.initialRects.empty()) return;
  const int dx = width - d.initialClient.right, dy = height - d.initialClient.bottom;
  for (auto [control, rect] : d.initialRects) {
    unsigned anchor = kBelow;
    if (control == d.child) anchor = GetDlgItem(d.child, stc32) ? kWider | kTaller : kBelow | kWider;
    for (const ControlRow& row : kControls)
      if (GetDlgCtrlID(control) == row.id && GetParent(control) == d.window) anchor = row.anchor;
    RECT r = rect;
    if (anchor & kRight) OffsetRect(&r, dx, 0);
    if (anchor & kBelow) OffsetRect(&r, 0, dy);
    if (anchor & kWider) r.right += dx;
    if (anchor & kTaller) r.bottom += dy;
    Move(control, r);
  }
  InvalidateRect(d.window, nullptr, TRUE);
}

void CreateControls(Dialog& d) {
  const WPARAM font = static_cast<WPARAM>(SendMessageA(d.window, WM_GETFONT, 0, 0));
  const bool hideReadOnly = (d.ofn->Flags & OFN_HIDEREADONLY) || d.save;
  for (const ControlRow& row : kControls) {
    if (row.id == chx1 && hideReadOnly) continue;
    DWORD style = row.style;
    if (row.id == lst1 && !(d.ofn->Flags & OFN_ALLOWMULTISELECT)) style |= LVS_SINGLESEL;
    const char* text = row.text ? row.text : KindText(d, row.id);
    HWND control = CreateWindowExA(row.exStyle, row.className, text, style, row.rect.left, row.rect.top,
                                   row.rect.right - row.rect.left, row.rect.bottom - row.rect.top, d.window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), nullptr, nullptr);
    SendMessageA(control, WM_SETFONT, font, 0);
  }
  d.standard = SIZE{kStandardSize.cx, kStandardSize.cy - (hideReadOnly ? kReadOnlyRow : 0)};
  d.list = GetDlgItem(d.window, lst1);
  d.edit = GetDlgItem(d.window, edt1);
  if (d.ofn->Flags & OFN_READONLY) CheckDlgButton(d.window, chx1, BST_CHECKED);

  SHFILEINFOA info{};
  auto images = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  SendMessageA(d.list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  SendMessageA(d.list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  struct Column {
    const char* title;
    int width;
    int format;
  };
  const Column columns[] = {{"Name", 210, LVCFMT_LEFT}, {"Size", 70, LVCFMT_RIGHT}, {"Type", 120, LVCFMT_LEFT}};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.pszText = const_cast<LPSTR>(columns[i].title);
    column.cx = columns[i].width;
    column.fmt = columns[i].format;
    column.iSubItem = i;
    SendMessageA(d.list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }

  HWND types = GetDlgItem(d.window, cmb1);
  for (const Filter& filter : d.filters) SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.name.c_str()));
  SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(d.filter), 0);
}

// The folder to start in, and the name to show: a path in lpstrFile wins, then lpstrInitialDir,
// then the current directory.
void StartingPoint(Dialog& d) {
  const OPENFILENAMEA& ofn = *d.ofn;
  std::string initial = ofn.lpstrFile ? std::string(ofn.lpstrFile, strnlen(ofn.lpstrFile, ofn.nMaxFile)) : "";
  char current[4096] = {};
  GetCurrentDirectoryA(sizeof current, current);
  d.folder = current;
  if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir && IsFolder(FullPath(d, ofn.lpstrInitialDir)))
    d.folder = FullPath(d, ofn.lpstrInitialDir);
  if (initial.find_first_of("\\/") != std::string::npos) {
    std::string path = FullPath(d, initial);
    if (IsFolder(path)) {
      d.folder = path;
      initial.clear();
    } else if (IsFolder(ParentPath(path))) {
      d.folder = ParentPath(path);
      initial = path.substr(path.find_last_of("\\/") + 1);
    }
  }
  if (HasWildcards(initial)) {
    d.typedPattern = initial;
    initial.clear();
  }
  SetEditText(d, initial);
}

INT_PTR ExplorerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* d = DialogOf(window);
  switch (message) {
    case WM_INITDIALOG: {
      d = reinterpret_cast<Dialog*>(lParam);
      SetWindowLongPtrA(window, DWLP_USER, lParam);
      d->window = window;
      const OPENFILENAMEA& ofn = *d->ofn;
      SetWindowTextA(window, ofn.lpstrTitle ? ofn.lpstrTitle : d->save ? "Save As" : "Open");
      CreateControls(*d);
      StartingPoint(*d);
      if (!CreateChild(*d)) {
        EndDialog(window, -1);
        return TRUE;
      }
      PlaceChild(*d);
      RememberLayout(*d);
      ShowFolder(*d, d->folder, false);
      SetFocus(d->edit);
      SendMessageA(d->edit, EM_SETSEL, 0, -1);
      Notify(*d, CDN_INITDONE);
      Notify(*d, CDN_FOLDERCHANGE);
      Notify(*d, CDN_SELCHANGE);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      if (!d) return FALSE;
      const int id = LOWORD(wParam), code = HIWORD(wParam);
      if (id == IDOK && code == BN_CLICKED) {
        OnOk(*d);
      } else if (id == IDCANCEL) {
        Finish(*d, false);
      } else if (id == kFileDialogUpButton && code == BN_CLICKED) {
        std::string parent = ParentPath(d->folder);
        if (!parent.empty()) ShowFolder(*d, parent, true);
      } else if (id == cmb2 && code == CBN_SELCHANGE) {
        LRESULT index = SendMessageA(GetDlgItem(window, cmb2), CB_GETCURSEL, 0, 0);
        if (index >= 0 && static_cast<std::size_t>(index) < d->folderChoices.size() && IsFolder(d->folderChoices[static_cast<std::size_t>(index)]))
          ShowFolder(*d, d->folderChoices[static_cast<std::size_t>(index)], true);
        else
          FillFolderCombo(*d);
      } else if (id == cmb1 && code == CBN_SELCHANGE) {
        LRESULT index = SendMessageA(GetDlgItem(window, cmb1), CB_GETCURSEL, 0, 0);
        if (index >= 0 && static_cast<std::size_t>(index) < d->filters.size()) {
          d->filter = static_cast<int>(index);
          d->ofn->nFilterIndex = static_cast<DWORD>(index + 1);
          d->typedPattern.clear();
          FillList(*d);
          Notify(*d, CDN_TYPECHANGE);
        }
      } else if (id == edt1 && code == EN_CHANGE && !d->filling && !d->save) {
        Complete(*d);
      }
      return TRUE;
    }
    case WM_NOTIFY: {
      if (!d) return FALSE;
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != static_cast<UINT_PTR>(lst1)) return FALSE;
      if (header->code == LVN_ITEMCHANGED && !d->filling) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) &&
            !d->selectionPending) {
          d->selectionPending = true;
          PostMessageA(window, kSelectionSettled, 0, 0);
        }
      } else if (header->code == NM_DBLCLK) {
        const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
        if (activate->iItem >= 0 && static_cast<std::size_t>(activate->iItem) < d->entries.size()) {
          const Entry entry = d->entries[static_cast<std::size_t>(activate->iItem)];
          if (entry.folder) {
            ShowFolder(*d, JoinPath(d->folder, entry.name), true);
          } else {
            SetEditText(*d, entry.name);
            OnOk(*d);
          }
        }
      }
      return FALSE;  // no answer of ours: custom drawing and the rest get the list's defaults
    }
    case kSelectionSettled:
      if (d && d->selectionPending) SelectionSettled(*d);
      return TRUE;
    case WM_SIZE:
      if (d && (d->ofn->Flags & OFN_ENABLESIZING)) Relayout(*d, LOWORD(lParam), HIWORD(lParam));
      return FALSE;
    default: break;
  }
  if (!d || message < CDM_FIRST || message > CDM_SETDEFEXT) return FALSE;
  // The hook's questions. The answers go through DWLP_MSGRESULT, as dialogs answer.
  auto answer = [&](LRESULT value) {
    SetWindowLongPtrA(window, DWLP_MSGRESULT, value);
    return TRUE;
  };
  auto give = [&](const std::string& text) {
    CopyTruncated(reinterpret_cast<LPSTR>(lParam), static_cast<DWORD>(wParam), text);
    return answer(static_cast<LRESULT>(text.size() + 1));
  };
  switch (message) {
    case CDM_GETSPEC: return give(EditText(d->edit));
    case CDM_GETFOLDERPATH: return give(d->folder);
    case CDM_GETFILEPATH: {
      std::vector<std::string> names = TypedNames(EditText(d->edit));
      if (names.size() == 1) return give(FullPath(*d, names[0]));
      return give(names.empty() ? d->folder : JoinPath(d->folder, EditText(d->edit)));
    }
    case CDM_GETFOLDERIDLIST: {
      const std::size_t size = 2 + d->folder.size() + 1 + 2;
      if (lParam && wParam >= size) {
        auto* bytes = reinterpret_cast<BYTE*>(lParam);
        const auto cb = static_cast<USHORT>(size - 2);
        std::memcpy(bytes, &cb, 2);
        std::memcpy(bytes + 2, d->folder.c_str(), d->folder.size() + 1);
        std::memset(bytes + size - 2, 0, 2);
      }
      return answer(static_cast<LRESULT>(size));
    }
    case CDM_SETCONTROLTEXT:
      SetDlgItemTextA(window, static_cast<int>(wParam), reinterpret_cast<LPCSTR>(lParam));
      return answer(0);
    case CDM_HIDECONTROL:
      ShowWindow(GetDlgItem(window, static_cast<int>(wParam)), SW_HIDE);
      return answer(0);
    case CDM_SETDEFEXT:
      d->defExt = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
      return answer(0);
    default: return FALSE;
  }
}

std::vector<WORD> ExplorerTemplate(DWORD flags) {
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_CLIPCHILDREN;
  if (flags & OFN_ENABLESIZING) style |= WS_THICKFRAME;
  std::vector<WORD> words{static_cast<WORD>(style & 0xFFFF), static_cast<WORD>(style >> 16), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8};
  for (char c : std::string("MS Sans Serif")) words.push_back(static_cast<WORD>(c));
  words.push_back(0);
  return words;
}

BOOL RunFileDialog(LPOPENFILENAMEA ofn, bool save) {
  t_extendedError = 0;
  if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEA) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A)) {
    t_extendedError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
    t_extendedError = CDERR_INITIALIZATION;
    return FALSE;
  }
  if ((ofn->Flags & OFN_ENABLEHOOK) && !ofn->lpfnHook) {
    t_extendedError = CDERR_NOHOOK;
    return FALSE;
  }
  InitCommonControls();
  Dialog d;
  d.ofn = ofn;
  d.save = save;
  d.filters = ReadFilters(ofn->lpstrFilter);
  d.filter = ofn->nFilterIndex >= 1 && ofn->nFilterIndex <= d.filters.size() ? static_cast<int>(ofn->nFilterIndex) - 1 : 0;
  if (!d.filters.empty()) ofn->nFilterIndex = static_cast<DWORD>(d.filter + 1);
  d.defExt = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
  char original[4096] = {};
  GetCurrentDirectoryA(sizeof original, original);

  std::vector<WORD> bytes = ExplorerTemplate(ofn->Flags);
  HWND owner = ofn->hwndOwner && IsWindow(ofn->hwndOwner) ? ofn->hwndOwner : nullptr;
  INT_PTR result = DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), owner, ExplorerProc,
                                           reinterpret_cast<LPARAM>(&d));
  if (ofn->Flags & OFN_NOCHANGEDIR) SetCurrentDirectoryA(original);
  if (result < 0 && t_extendedError == 0) t_extendedError = CDERR_DIALOGFAILURE;
  return result == IDOK && d.accepted ? TRUE : FALSE;
}

}  // namespace

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) { return RunFileDialog(ofn, false); }
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) { return RunFileDialog(ofn, true); }
DWORD CommDlgExtendedError() { return t_extendedError; }
