// The multimedia file system: three main folders (0 Pictures, 1 Sounds, 2 Movies), sub-folders
// with numbers of their own, and files with file ids. The store "media" holds "index.txt" (one
// line per folder and per file, names and titles as hex of their UTF-8) and each file's bytes as
// "<id>.bin", beside the download that "AssignResourceFileWFolder" chose and the upload that
// "PutResourceFileWFolder" began. A phone without an index starts with a tree of its own: the
// phone's folders (numbers below 16), files in main folders and sub-folders, names in UTF-8 and
// titles that name the file's kind. Folders the PC creates are numbered from 16.
//
// A folder's files are its files whatever the option (the first argument of the file commands)
// says; the option only travels with the command.
#include "Families.h"
#include "MediaIndex.h"
#include "StoreFiles.h"

#include <algorithm>
#include <sstream>

namespace phonesim {

namespace {

constexpr const char* kStore = "media";
constexpr long long kCapacity = 1'000'000;  // bytes of the file system
constexpr int kMainFolders = 3;
constexpr int kDefaultChunk = 64;
constexpr int kNewFolderAttribute = 10;
constexpr int kFirstNewFolder = 16;

using Folder = MediaFolderEntry;
using File = MediaFileEntry;

class MediaStore {
 public:
  explicit MediaStore(const PhoneState& phone) : m_folder(phone.StoreFolder(kStore)) { Load(); }

  bool Save() const;

  // A main folder, or a sub-folder by its number.
  bool FolderExists(int number) const { return IsMain(number) || FindFolder(number); }
  static bool IsMain(int number) { return number >= 0 && number < kMainFolders; }
  int TypeOf(int folder) const { return IsMain(folder) ? folder : FindFolder(folder)->type; }
  const Folder* FindFolder(int number) const;
  std::vector<const Folder*> SubFolders(int parent) const;
  std::vector<const File*> Files(int folder) const;
  File* FindFile(int id);
  const File* FindFile(int folder, std::string_view name) const;
  long long UsedBytes() const;

  std::filesystem::path DataOf(int id) const { return MediaDataPath(m_folder, id); }
  std::filesystem::path Path(std::string_view name) const { return m_folder / name; }

  int AddFolder(int parent, std::string name);
  int AddFile(File file, std::string_view bytes);
  void RemoveFile(int id);
  void RemoveFolder(int number);

 private:
  void Load();
  void Seed();

  std::filesystem::path m_folder;
  std::vector<Folder> m_folders;
  std::vector<File> m_files;
  int m_nextFolder = kFirstNewFolder;
  int m_nextFile = 1;
};

void MediaStore::Load() {
  std::optional<MediaIndex> index = ReadMediaIndex(m_folder);
  if (!index) return Seed();
  m_nextFolder = index->nextFolder;
  m_nextFile = index->nextFile;
  m_folders = std::move(index->folders);
  m_files = std::move(index->files);
}

void MediaStore::Seed() {
  m_folders = {{11, 0, 0, 10, "Camera"},
               {12, 1, 1, 522, "Melodies"},
               {13, 2, 2, 138, "Clips"},
               {14, 11, 0, 10, "\xC3\x89t\xC3\xA9 2024"}};  // "Été 2024", inside Camera
  m_nextFolder = kFirstNewFolder;
  AddFile({0, 11, 0, 0, "sunset.jpg", "keFTJpeg"}, std::string(64, '\x5A'));
  AddFile({0, 0, 0, 0, "logo.gif", "keFTGif"}, std::string(65, '\x47'));
  AddFile({0, 14, 0, 0, "stra\xC3\x9F" "e.png", "keFTPng"}, std::string(130, '\x50'));  // "straße.png"
  AddFile({0, 1, 1, 0, "ring.mid", "keFTSMF"}, std::string(100, '\x4D'));
  AddFile({0, 12, 1, 0, "\xCE\xA9mega.mmf", "keFTSMAF"}, std::string(3, '\x01'));  // "Ωmega.mmf"
  AddFile({0, 13, 2, 0, "walk.3gp", "keFT3gp"}, std::string(200, '\x33'));
  AddFile({0, 2, 2, 0, "intro.mp4", "keFTMpeg"}, std::string(1, '\x00'));
  Save();
}

bool MediaStore::Save() const { return WriteMediaIndex(m_folder, {m_nextFolder, m_nextFile, m_folders, m_files}); }

const Folder* MediaStore::FindFolder(int number) const {
  for (const Folder& f : m_folders) {
    if (f.number == number) return &f;
  }
  return nullptr;
}

std::vector<const Folder*> MediaStore::SubFolders(int parent) const {
  std::vector<const Folder*> folders;
  for (const Folder& f : m_folders) {
    if (f.parent == parent) folders.push_back(&f);
  }
  return folders;
}

std::vector<const File*> MediaStore::Files(int folder) const {
  std::vector<const File*> files;
  for (const File& f : m_files) {
    if (f.folder == folder) files.push_back(&f);
  }
  return files;
}

File* MediaStore::FindFile(int id) {
  for (File& f : m_files) {
    if (f.id == id) return &f;
  }
  return nullptr;
}

const File* MediaStore::FindFile(int folder, std::string_view name) const {
  for (const File& f : m_files) {
    if (f.folder == folder && f.name == name) return &f;
  }
  return nullptr;
}

long long MediaStore::UsedBytes() const {
  long long used = 0;
  for (const File& f : m_files) used += static_cast<long long>(ReadStoreFile(DataOf(f.id)).value_or("").size());
  return used;
}

int MediaStore::AddFolder(int parent, std::string name) {
  const int number = m_nextFolder++;
  m_folders.push_back({number, parent, TypeOf(parent), kNewFolderAttribute, std::move(name)});
  return number;
}

int MediaStore::AddFile(File file, std::string_view bytes) {
  file.id = m_nextFile++;
  WriteStoreFile(DataOf(file.id), bytes);
  m_files.push_back(std::move(file));
  return m_files.back().id;
}

void MediaStore::RemoveFile(int id) {
  RemoveStoreFile(DataOf(id));
  std::erase_if(m_files, [id](const File& f) { return f.id == id; });
}

void MediaStore::RemoveFolder(int number) {
  std::vector<int> inside;
  for (const Folder& f : m_folders) {
    if (f.parent == number) inside.push_back(f.number);
  }
  for (int child : inside) RemoveFolder(child);
  std::vector<int> files;
  for (const File& f : m_files) {
    if (f.folder == number) files.push_back(f.id);
  }
  for (int id : files) RemoveFile(id);
  std::erase_if(m_folders, [number](const Folder& f) { return f.number == number; });
}

// The arguments as numbers; none when one is not a number or the count differs.
std::optional<std::vector<int>> Numbers(const std::vector<std::string>& args, std::size_t count) {
  if (args.size() != count) return std::nullopt;
  std::vector<int> numbers;
  for (const std::string& arg : args) {
    const auto n = ParseNumber(arg);
    if (!n) return std::nullopt;
    numbers.push_back(static_cast<int>(*n));
  }
  return numbers;
}

void GetFolderNum(CommandCall& call) {
  MediaStore store(call.phone);
  const auto n = Numbers(call.args, 1);
  if (!n || !store.FolderExists((*n)[0])) return call.Error("GetFolderNum", kErrorBadArguments);
  call.Ret("GetFolderNum", std::to_string(store.SubFolders((*n)[0]).size()));
}

// "<parent>,<number>,<number>,<files>,<attribute>,<name>": the folder's number twice, once as its
// number and once as the id the PC lists, fills and removes it by.
void GetFolderName(CommandCall& call) {
  MediaStore store(call.phone);
  const auto n = Numbers(call.args, 2);
  if (!n || !store.FolderExists((*n)[0])) return call.Error("GetFolderName", kErrorBadArguments);
  const std::vector<const Folder*> folders = store.SubFolders((*n)[0]);
  const int index = (*n)[1];
  if (index < 0 || index >= static_cast<int>(folders.size())) return call.Error("GetFolderName", kErrorBadArguments);
  const Folder& f = *folders[static_cast<std::size_t>(index)];
  call.Ret("GetFolderName", std::to_string(f.parent) + "," + std::to_string(f.number) + "," +
                                std::to_string(f.number) + "," + std::to_string(store.Files(f.number).size()) + "," +
                                std::to_string(f.attribute) + "," + f.name);
}

void GetResourceFileNumWFolder(CommandCall& call) {
  MediaStore store(call.phone);
  const auto n = Numbers(call.args, call.args.size() == 3 ? 3 : 2);
  if (!n || !store.FolderExists((*n)[1])) return call.Error("GetResourceFileNumWFolder", kErrorBadArguments);
  call.Ret("GetResourceFileNumWFolder", std::to_string(store.Files((*n)[1]).size()));
}

// "<file id>,<attribute>,<size>,<file name>,<title>". The "10129" models take a fourth argument
// (0); the others only three.
void GetResourceFileNameWFolder(CommandCall& call) {
  MediaStore store(call.phone);
  const std::size_t count = call.phone.Model().modelCode == "10129" ? 4 : 3;
  const auto n = Numbers(call.args, count);
  if (!n || !store.FolderExists((*n)[1])) return call.Error("GetResourceFileNameWFolder", kErrorBadArguments);
  const std::vector<const File*> files = store.Files((*n)[1]);
  const int index = (*n)[2];
  if (index < 0 || index >= static_cast<int>(files.size())) {
    return call.Error("GetResourceFileNameWFolder", kErrorBadArguments);
  }
  const File& f = *files[static_cast<std::size_t>(index)];
  const std::size_t size = ReadStoreFile(store.DataOf(f.id)).value_or("").size();
  call.Ret("GetResourceFileNameWFolder", std::to_string(f.id) + "," + std::to_string(f.attribute) + "," +
                                             std::to_string(size) + "," + f.name + "," + f.title);
}

void DeleteResourceFileWFolder(CommandCall& call) {
  MediaStore store(call.phone);
  const auto n = Numbers(call.args, 1);
  if (!n) return call.Error("DeleteResourceFileWFolder", kErrorBadArguments);
  if (!store.FindFile((*n)[0])) return call.Ret("DeleteResourceFileWFolder", "0");
  store.RemoveFile((*n)[0]);
  call.Ret("DeleteResourceFileWFolder", store.Save() ? "1" : "0");
}

void RenameResourceFileWFolder(CommandCall& call) {
  MediaStore store(call.phone);
  const auto id = call.args.size() == 2 ? ParseNumber(call.args[0]) : std::nullopt;
  const auto name = call.args.size() == 2 ? BytesOfHex(call.args[1]) : std::nullopt;
  // A name holding ',' or ':' would cut the phone's own answers apart.
  if (!id || !name || name->empty() || name->find_first_of(",:") != std::string::npos) {
    return call.Error("RenameResourceFileWFolder", kErrorBadArguments);
  }
  File* file = store.FindFile(static_cast<int>(*id));
  // Two files of one folder never share a name.
  const File* holder = file ? store.FindFile(file->folder, *name) : nullptr;
  if (!file || (holder && holder != file)) return call.Ret("RenameResourceFileWFolder", "0");
  file->name = *name;
  call.Ret("RenameResourceFileWFolder", store.Save() ? "1" : "0");
}

void MoveResourceFileWFolder(CommandCall& call) {
  MediaStore store(call.phone);
  const auto n = Numbers(call.args, 2);
  if (!n) return call.Error("MoveResourceFileWFolder", kErrorBadArguments);
  File* file = store.FindFile((*n)[0]);
  // A file stays within the main folder of its kind, and does not take the name of a file there.
  if (!file || !store.FolderExists((*n)[1]) || store.TypeOf((*n)[1]) != file->type ||
      (file->folder != (*n)[1] && store.FindFile((*n)[1], file->name))) {
    return call.Ret("MoveResourceFileWFolder", "0");
  }
  file->folder = (*n)[1];
  call.Ret("MoveResourceFileWFolder", store.Save() ? "1" : "0");
}

// "DeleteFolderAll,<folder>,<type>": the folder with everything in it; main folders stay.
void DeleteFolderAll(CommandCall& call) {
  MediaStore store(call.phone);
  const auto n = Numbers(call.args, 2);
  if (!n) return call.Error("DeleteFolderAll", kErrorBadArguments);
  if (!store.FindFolder((*n)[0])) return call.Ret("DeleteFolderAll", "0");
  store.RemoveFolder((*n)[0]);
  call.Ret("DeleteFolderAll", store.Save() ? "1" : "0");
}

// "CreateFolder,<parent>,<hex of the UTF-8 name>": "<number>,<number>" (as "GetFolderName" names
// a folder), or "Folder Exist".
void CreateFolder(CommandCall& call) {
  MediaStore store(call.phone);
  const auto parent = call.args.size() == 2 ? ParseNumber(call.args[0]) : std::nullopt;
  const auto name = call.args.size() == 2 ? BytesOfHex(call.args[1]) : std::nullopt;
  if (!parent || !name || name->empty() || name->find_first_of(",:") != std::string::npos ||
      !store.FolderExists(static_cast<int>(*parent))) {
    return call.Error("CreateFolder", kErrorBadArguments);
  }
  for (const Folder* f : store.SubFolders(static_cast<int>(*parent))) {
    if (f->name == *name) return call.Ret("CreateFolder", "Folder Exist");
  }
  const int number = store.AddFolder(static_cast<int>(*parent), *name);
  if (!store.Save()) return call.Error("CreateFolder", kErrorBadArguments);
  call.Ret("CreateFolder", std::to_string(number) + "," + std::to_string(number));
}

// "AssignResourceFileWFolder,<type>,<folder>,<index>[,<chunk size>,0]" chooses the file that
// "GetResourceFileWFolder" then sends, in chunks of that size (64 when none is named).
void AssignResourceFileWFolder(CommandCall& call) {
  MediaStore store(call.phone);
  const auto n = Numbers(call.args, call.args.size() == 5 ? 5 : 3);
  if (!n || !store.FolderExists((*n)[1])) return call.Error("AssignResourceFileWFolder", kErrorBadArguments);
  const int chunk = n->size() == 5 ? (*n)[3] : kDefaultChunk;
  const std::vector<const File*> files = store.Files((*n)[1]);
  const int index = (*n)[2];
  if (chunk < 1 || index < 0 || index >= static_cast<int>(files.size())) {
    // A refused choice leaves nothing chosen, so no earlier file comes down in its place.
    RemoveStoreFile(store.Path("assigned.sel"));
    return call.Ret("AssignResourceFileWFolder", "0");
  }
  const File& f = *files[static_cast<std::size_t>(index)];
  WriteStoreLines(store.Path("assigned.sel"),
                  {std::to_string(f.id) + " " + std::to_string(chunk) + " " + std::to_string(index)});
  call.Ret("AssignResourceFileWFolder", "1");
}

// Chunk 0 is the file's record, of ten items:
//   GetResourceFileWFolder:RET:0,<size>,<name>,<file id>,<attribute>,<folder>,<type>,<index>,0,<title>
// chunk n the n-th piece of its bytes: "GetResourceFileWFolder,<n>,<hex>".
void GetResourceFileWFolder(CommandCall& call) {
  MediaStore store(call.phone);
  const auto n = Numbers(call.args, 1);
  const std::vector<std::string> assigned = ReadStoreLines(store.Path("assigned.sel"));
  int id = -1, chunk = kDefaultChunk, index = 0;
  if (!assigned.empty()) std::istringstream(assigned[0]) >> id >> chunk >> index;
  File* file = store.FindFile(id);
  if (!n || (*n)[0] < 0 || !file) return call.Error("GetResourceFileWFolder", kErrorBadArguments);
  const std::string bytes = ReadStoreFile(store.DataOf(file->id)).value_or("");
  const int part = (*n)[0];
  if (part == 0) {
    const std::string title = file->title.empty() ? file->name : file->title;
    return call.Ret("GetResourceFileWFolder", "0," + std::to_string(bytes.size()) + "," + file->name + "," +
                                                  std::to_string(file->id) + "," + std::to_string(file->attribute) +
                                                  "," + std::to_string(file->folder) + "," +
                                                  std::to_string(file->type) + "," + std::to_string(index) + ",0," +
                                                  title);
  }
  const std::size_t at = static_cast<std::size_t>(part - 1) * static_cast<std::size_t>(chunk);
  if (at >= bytes.size()) return call.Error("GetResourceFileWFolder", kErrorBadArguments);
  call.replies.push_back("GetResourceFileWFolder," + std::to_string(part) + "," +
                         HexOf(std::string_view(bytes).substr(at, static_cast<std::size_t>(chunk))));
}

// The upload: "PutResourceFileWFolder,0,<hex of name,size,title,folder,0,chunk size>" opens it
// (" file exists" when the folder holds that name), "PutResourceFileWFolder,<n>,<hex>" brings
// chunk n (in order; the chunk just taken may come again), and "PutResourceFileWFolder,-1" closes
// it with the new file's id.
void PutResourceFileWFolder(CommandCall& call) {
  constexpr const char* kName = "PutResourceFileWFolder";
  MediaStore store(call.phone);
  const auto part = call.args.empty() ? std::nullopt : ParseNumber(call.args[0]);
  if (!part) return call.Error(kName, kErrorBadArguments);
  const std::filesystem::path selection = store.Path("upload.sel");
  const std::filesystem::path data = store.Path("upload.part");
  if (*part == -1 && call.args.size() == 1) {
    const std::vector<std::string> record = ReadStoreLines(selection);
    const std::string bytes = ReadStoreFile(data).value_or("");
    RemoveStoreFile(selection);
    RemoveStoreFile(data);
    const std::vector<std::string> items = record.empty() ? std::vector<std::string>{} : SplitItems(record[0]);
    if (items.size() != 6 || ParseNumber(items[1]) != static_cast<long long>(bytes.size())) {
      return call.Ret(kName, "unspecified problem occured");
    }
    const int folder = static_cast<int>(ParseNumber(items[3]).value_or(0));
    // The folder was there when the upload opened, but a command between the chunks may have
    // deleted it since.
    if (!store.FolderExists(folder)) return call.Ret(kName, "unspecified problem occured");
    const int id = store.AddFile({0, folder, store.TypeOf(folder), 0, BytesOfHex(items[0]).value_or(""),
                                  BytesOfHex(items[2]).value_or("")},
                                 bytes);
    return call.Ret(kName, store.Save() ? std::to_string(id) : "unspecified problem occured");
  }
  const auto hex = call.args.size() == 2 ? BytesOfHex(call.args[1]) : std::nullopt;
  if (!hex) return call.Error(kName, kErrorBadArguments);
  if (*part == 0) {
    const std::vector<std::string> items = SplitItems(*hex);
    const auto size = items.size() == 6 ? ParseNumber(items[1]) : std::nullopt;
    const auto folder = items.size() == 6 ? ParseNumber(items[3]) : std::nullopt;
    if (!size || *size < 0 || !folder || !store.FolderExists(static_cast<int>(*folder)) || items[0].empty() ||
        items[0].find_first_of(",:") != std::string::npos) {
      return call.Error(kName, kErrorBadArguments);
    }
    // The PC looks the id of the file that is there up itself.
    if (store.FindFile(static_cast<int>(*folder), items[0])) return call.Ret(kName, " file exists");
    if (*size > kCapacity - store.UsedBytes()) return call.Ret(kName, "0");
    // Names travel back as hex in the store's own line.
    WriteStoreLines(selection, {HexOf(items[0]) + "," + items[1] + "," + HexOf(items[2]) + "," + items[3] + "," +
                                items[4] + "," + items[5]});
    WriteStoreFile(data, "");
    return call.Ret(kName, "1");
  }
  // The upload begun: its record, then the number of the chunk it takes next.
  const std::vector<std::string> record = ReadStoreLines(selection);
  if (record.empty() || *part < 1) return call.Error(kName, kErrorBadArguments);
  const long long next = record.size() > 1 ? ParseNumber(record[1]).value_or(1) : 1;
  // A chunk sent again because its answer was lost is taken once.
  if (*part == next - 1) return call.Ret(kName, "1");
  const std::vector<std::string> items = SplitItems(record[0]);
  const long long size = items.size() == 6 ? ParseNumber(items[1]).value_or(0) : 0;
  std::string bytes = ReadStoreFile(data).value_or("");
  if (*part != next || static_cast<long long>(bytes.size() + hex->size()) > size) {
    return call.Error(kName, kErrorBadArguments);
  }
  bytes += *hex;
  WriteStoreFile(data, bytes);
  WriteStoreLines(selection, {record[0], std::to_string(next + 1)});
  call.Ret(kName, "1");
}

void GetFileSystemFreeSpace(CommandCall& call) {
  MediaStore store(call.phone);
  call.Ret("GetFileSystemFreeSpace", std::to_string(std::max(0LL, kCapacity - store.UsedBytes())));
}

}  // namespace

std::vector<CommandEntry> MediaCommands() {
  return {
      {"GetFolderNum", GetFolderNum},
      {"GetFolderName", GetFolderName},
      {"GetResourceFileNumWFolder", GetResourceFileNumWFolder},
      {"GetResourceFileNameWFolder", GetResourceFileNameWFolder},
      {"DeleteResourceFileWFolder", DeleteResourceFileWFolder},
      {"RenameResourceFileWFolder", RenameResourceFileWFolder},
      {"MoveResourceFileWFolder", MoveResourceFileWFolder},
      {"DeleteFolderAll", DeleteFolderAll},
      {"CreateFolder", CreateFolder},
      {"AssignResourceFileWFolder", AssignResourceFileWFolder},
      {"GetResourceFileWFolder", GetResourceFileWFolder},
      {"PutResourceFileWFolder", PutResourceFileWFolder},
      {"GetFileSystemFreeSpace", GetFileSystemFreeSpace},
  };
}

}  // namespace phonesim
