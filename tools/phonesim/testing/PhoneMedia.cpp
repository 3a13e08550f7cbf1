#include <phonesim/PhoneMedia.h>

#include "commands/MediaIndex.h"
#include "commands/StoreFiles.h"

#include <algorithm>

namespace phonesim {

namespace {

// The store's folder in a phone's state folder (as the phone's state names it).
std::filesystem::path StoreOf(const std::string& stateFolder) { return std::filesystem::path(stateFolder) / "media"; }

constexpr int kMainFolders = 3;
constexpr int kFolderAttribute = 10;

}  // namespace

bool WriteMediaTree(const std::string& stateFolder, const MediaTree& tree) {
  const std::filesystem::path store = StoreOf(stateFolder);
  std::error_code ec;
  std::filesystem::remove_all(store, ec);
  if (!std::filesystem::create_directories(store, ec)) return false;
  MediaIndex index;
  // Sub-folders take the numbers of the phone's own folders (11 to 15) first, then those the PC's
  // folders would take.
  int nextNumber = 11;
  std::map<std::string, int> numbers;  // folder path -> number
  auto folderOf = [&](const std::string& path) -> int {
    std::size_t at = path.find('/');
    const int main = path.empty() ? -1 : path[0] - '0';
    if (at != 1 || main < 0 || main >= kMainFolders) return -1;
    int parent = main;
    for (std::size_t next; (next = path.find('/', at + 1)) != std::string::npos; at = next) {
      const std::string folder = path.substr(0, next);
      auto known = numbers.find(folder);
      if (known == numbers.end()) {
        const int number = nextNumber++;
        known = numbers.emplace(folder, number).first;
        index.folders.push_back({number, parent, main, kFolderAttribute, path.substr(at + 1, next - at - 1)});
      }
      parent = known->second;
    }
    return parent;
  };
  for (const auto& [path, item] : tree) {
    const int folder = folderOf(path);
    if (folder < 0) return false;
    if (path.back() == '/') continue;
    const int id = index.nextFile++;
    index.files.push_back({id, folder, path[0] - '0', 0, path.substr(path.rfind('/') + 1), item.kind});
    if (!WriteStoreFile(MediaDataPath(store, id), item.bytes)) return false;
  }
  index.nextFolder = std::max(nextNumber, 16);
  return WriteMediaIndex(store, index);
}

MediaTree ReadMediaTree(const std::string& stateFolder) {
  const std::filesystem::path store = StoreOf(stateFolder);
  MediaTree tree;
  const std::optional<MediaIndex> index = ReadMediaIndex(store);
  if (!index) return tree;
  std::map<int, std::string> paths;  // folder number -> its path
  for (int main = 0; main < kMainFolders; ++main) paths[main] = std::to_string(main);
  // Parents may come after their children in the index: resolve until nothing changes.
  for (bool changed = true; changed;) {
    changed = false;
    for (const MediaFolderEntry& f : index->folders) {
      const auto parent = paths.find(f.parent);
      if (paths.count(f.number) || parent == paths.end()) continue;
      paths[f.number] = parent->second + "/" + f.name;
      tree[paths[f.number] + "/"] = {};
      changed = true;
    }
  }
  for (const MediaFileEntry& f : index->files) {
    const auto folder = paths.find(f.folder);
    const std::string where = folder == paths.end() ? "?" + std::to_string(f.folder) : folder->second;
    tree[where + "/" + f.name] = {f.title, ReadStoreFile(MediaDataPath(store, f.id)).value_or("")};
  }
  return tree;
}

}  // namespace phonesim
