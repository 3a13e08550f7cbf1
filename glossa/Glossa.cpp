// The library's one process-wide state and its five exports. Nothing crosses the C interface but
// results and error numbers: every export catches what the C++ inside might throw.
#include "Glossa.h"

#include "StringFile.h"

#include <base/WinError.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <new>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace glossa {
namespace {

constexpr size_t kMaxDirectory = 259;  // MAX_PATH less its terminator
constexpr size_t kMaxPath = 252;       // directory and name together
constexpr size_t kMaxExtension = 3;

struct Entry {
  int id;
  std::string text;
};

struct State {
  std::mutex lock;
  unsigned language = 0;
  std::string path;  // directory followed by the module name
  std::string extension = "ini";
  std::vector<Entry> entries;            // in file order; non-empty means a language is loaded
  std::unordered_map<int, size_t> index; // id -> position in entries
  DWORD lastError = ERROR_SUCCESS;

  void Clear() {
    entries.clear();
    index.clear();
  }
  bool Loaded() const { return !entries.empty(); }

  std::string FileName() const {
    char number[16];
    std::snprintf(number, sizeof number, "%04X", language);
    std::string name = path + number + "." + extension;
    // Bound with a Windows folder, the file still opens here.
    for (char& c : name)
      if (c == '\\') c = '/';
    return name;
  }

  DWORD Store(int id, std::string text) {
    if (index.contains(id)) return ERROR_ALREADY_EXISTS;
    index.emplace(id, entries.size());
    entries.push_back(Entry{id, std::move(text)});
    return ERROR_SUCCESS;
  }

  int Load() {
    std::ifstream in(FileName(), std::ios::binary);
    if (!in) {
      lastError = ERROR_FILE_NOT_FOUND;
      return 0;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return ReadStringFile(
        content.str(),
        [this](int id, std::string text) -> DWORD {
          try {
            return Store(id, std::move(text));
          } catch (const std::bad_alloc&) {
            return ERROR_OUTOFMEMORY;
          }
        },
        lastError);
  }
};

State& TheState() {
  static State state;
  return state;
}

// Runs an export's body; a failure to allocate inside becomes "no memory" rather than an exception
// escaping into a C caller.
template <class Body>
int Guarded(Body&& body) {
  State& state = TheState();
  std::lock_guard guard(state.lock);
  try {
    return body(state);
  } catch (...) {
    state.lastError = ERROR_OUTOFMEMORY;
    return 0;
  }
}

}  // namespace
}  // namespace glossa

using glossa::State;

extern "C" int Glossa_Bind(const char* directory, const char* name, const char* extension) {
  return glossa::Guarded([&](State& s) {
    if (!directory || !name) {
      s.lastError = ERROR_INVALID_HANDLE;
      return 0;
    }
    size_t directoryLength = std::strlen(directory);
    // Directory and name must fit the path together, not the directory alone.
    if (directoryLength > glossa::kMaxDirectory || directoryLength + std::strlen(name) > glossa::kMaxPath) {
      s.lastError = ERROR_OUTOFMEMORY;
      return 0;
    }
    if (s.Loaded()) {
      s.lastError = ERROR_ALREADY_EXISTS;
      return 0;
    }
    // Checked before anything changes, so a refused bind leaves the earlier one intact.
    if (extension && std::strlen(extension) > glossa::kMaxExtension) {
      s.lastError = ERROR_FILENAME_EXCED_RANGE;
      return 0;
    }
    s.path = std::string(directory) + name;
    s.extension = extension ? extension : "ini";
    s.Clear();
    s.language = 0xFFFF;
    return 1;
  });
}

extern "C" int Glossa_SetLang(int language) {
  return glossa::Guarded([&](State& s) {
    s.language = static_cast<unsigned>(language);
    s.Clear();
    return s.Load();
  });
}

extern "C" int Glossa_GetString(int id, char* buffer, int size) {
  return glossa::Guarded([&](State& s) {
    if ((!buffer && size != 0) || (buffer && size <= 0)) {
      s.lastError = ERROR_INVALID_PARAMETER;
      return 0;
    }
    if (!s.Loaded()) {
      s.lastError = ERROR_NOT_READY;
      return 0;
    }
    auto it = s.index.find(id);
    if (it == s.index.end()) {
      s.lastError = glossa::kErrorNotFound;
      return 0;
    }
    const std::string& text = s.entries[it->second].text;
    int length = static_cast<int>(text.size());
    if (buffer) {
      buffer[0] = '\0';
      if (size < length) {
        s.lastError = ERROR_BAD_LENGTH;
        return 0;
      }
      // Exactly the text, no terminator: the caller terminates, so a size equal to the length will do.
      std::memcpy(buffer, text.data(), text.size());
    }
    s.lastError = ERROR_SUCCESS;
    return length;
  });
}

extern "C" int Glossa_Close(void) {
  return glossa::Guarded([](State& s) {
    s.Clear();
    s.language = 0;
    return 1;
  });
}

extern "C" int Glossa_GetLastError(void) {
  return glossa::Guarded([](State& s) { return static_cast<int>(s.lastError); });
}
