#include <kernel/Module.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <mutex>
#include <unistd.h>
#include <unordered_map>

namespace tolvar::kernel {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

struct ModuleInfo {
  std::uintptr_t base = 0;
  std::uintptr_t end = 0;
  std::string path;
};

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// Walks the loaded objects; the first one reported is the main program.
template <class Visit>
void ForEachModule(Visit&& visit) {
  struct Context { Visit* visit; bool first; bool stop; };
  Context context{&visit, true, false};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) -> int {
        auto* c = static_cast<Context*>(data);
        ModuleInfo m;
        std::uintptr_t low = UINTPTR_MAX, high = 0;
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const auto& ph = info->dlpi_phdr[i];
          if (ph.p_type != PT_LOAD) continue;
          low = std::min<std::uintptr_t>(low, info->dlpi_addr + ph.p_vaddr);
          high = std::max<std::uintptr_t>(high, info->dlpi_addr + ph.p_vaddr + ph.p_memsz);
        }
        if (low == UINTPTR_MAX) return 0;
        m.base = low & ~std::uintptr_t(0xFFF);
        m.end = high;
        m.path = c->first ? ExecutablePath() : std::string(info->dlpi_name ? info->dlpi_name : "");
        c->first = false;
        if (m.path.empty()) return 0;  // the vDSO
        c->stop = (*c->visit)(m);
        return c->stop ? 1 : 0;
      },
      &context);
}

std::string BaseName(std::string_view path) {
  auto slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// dlopen handles of the libraries LoadLibrary opened, by module base, so FreeLibrary can close them.
std::mutex g_loadedLock;
std::unordered_multimap<std::uintptr_t, void*> g_loaded;

}  // namespace

std::string MapModuleName(std::string_view windowsName) {
  std::string text(windowsName);
  std::replace(text.begin(), text.end(), '\\', '/');
  auto slash = text.find_last_of('/');
  std::string folder = slash == std::string::npos ? "" : text.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
  if (EndsWithNoCase(name, ".dll")) return folder + "lib" + name.substr(0, name.size() - 4) + ".so";
  if (EndsWithNoCase(name, ".exe")) return folder + name.substr(0, name.size() - 4);
  return std::string(windowsName);
}

std::string WindowsModuleName(std::string_view fileName, bool isExecutable) {
  std::string name = BaseName(fileName);
  if (name.size() > 6 && name.starts_with("lib") && name.ends_with(".so"))
    return name.substr(3, name.size() - 6) + ".dll";
  if (isExecutable) return name + ".exe";
  return name;
}

HMODULE ModuleFromAddress(const void* address) {
  auto a = reinterpret_cast<std::uintptr_t>(address);
  HMODULE found = nullptr;
  ForEachModule([&](const ModuleInfo& m) {
    if (a >= m.base && a < m.end) found = reinterpret_cast<HMODULE>(m.base);
    return found != nullptr;
  });
  return found;
}

std::string ModulePath(HMODULE module) {
  std::string path;
  if (!module) module = GetModuleHandleA(nullptr);
  ForEachModule([&](const ModuleInfo& m) {
    if (reinterpret_cast<HMODULE>(m.base) == module) path = m.path;
    return !path.empty();
  });
  return path;
}

std::string ProgramFolder() {
  std::string exe = ExecutablePath();
  auto slash = exe.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

}  // namespace tolvar::kernel

using namespace tolvar::kernel;

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  HMODULE found = nullptr;
  if (!moduleName) {
    ForEachModule([&](const ModuleInfo& m) {
      found = reinterpret_cast<HMODULE>(m.base);
      return true;
    });
    return found;
  }
  // Compare base names without regard to case, in the file system's form of the name.
  std::string wanted = BaseName(MapModuleName(moduleName));
  bool first = true;
  ForEachModule([&](const ModuleInfo& m) {
    std::string name = BaseName(m.path);
    bool match = strcasecmp(name.c_str(), wanted.c_str()) == 0 ||
                 (first && strcasecmp((name + ".exe").c_str(), moduleName) == 0);
    first = false;
    if (match) found = reinterpret_cast<HMODULE>(m.base);
    return match;
  });
  if (!found) SetLastError(ERROR_MOD_NOT_FOUND);
  return found;
}

HMODULE LoadLibraryA(LPCSTR fileName) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string mapped = MapModuleName(fileName);
  // A bare name is looked for in the program's folder first, as Windows does.
  std::string path = mapped.find('/') == std::string::npos ? ProgramFolder() + "/" + mapped : mapped;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle && path != mapped) handle = dlopen(mapped.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    SetLastError(access(path.c_str(), F_OK) == 0 ? ERROR_DLL_INIT_FAILED : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  link_map* map = nullptr;
  HMODULE module = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map) {
    std::string loadedPath = map->l_name ? map->l_name : "";
    ForEachModule([&](const ModuleInfo& m) {
      if (m.path == loadedPath) module = reinterpret_cast<HMODULE>(m.base);
      return module != nullptr;
    });
  }
  if (!module) {
    dlclose(handle);
    SetLastError(ERROR_DLL_INIT_FAILED);
    return nullptr;
  }
  std::lock_guard guard(g_loadedLock);
  g_loaded.emplace(reinterpret_cast<std::uintptr_t>(module), handle);
  return module;
}

BOOL FreeLibrary(HMODULE module) {
  void* handle = nullptr;
  {
    std::lock_guard guard(g_loadedLock);
    auto it = g_loaded.find(reinterpret_cast<std::uintptr_t>(module));
    if (it == g_loaded.end()) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
    handle = it->second;
    g_loaded.erase(it);
  }
  dlclose(handle);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  std::string path = ModulePath(module);
  if (path.empty() || !procName) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // RTLD_NOLOAD gives a handle to the module already loaded without loading anything new.
  bool isMain = module == GetModuleHandleA(nullptr);
  void* handle = dlopen(isMain ? nullptr : path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  void* symbol = dlsym(handle, procName);
  dlclose(handle);
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  std::string path = ModulePath(module);
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (!fileName || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // The suite sees Windows names: "C:\...\Vezezudara.exe" is not needed, only the base-name form.
  std::string folder = path.substr(0, path.find_last_of('/') + 1);
  bool isMain = module == nullptr || module == GetModuleHandleA(nullptr);
  std::string shown = folder + WindowsModuleName(path, isMain);
  // Windows truncates, terminates, and reports ERROR_INSUFFICIENT_BUFFER when the name did not fit.
  DWORD n = static_cast<DWORD>(std::min<size_t>(shown.size(), size - 1));
  std::memcpy(fileName, shown.data(), n);
  fileName[n] = '\0';
  if (shown.size() >= size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  SetLastError(ERROR_SUCCESS);
  return n;
}
