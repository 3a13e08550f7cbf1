// The shell link object: what CoCreateInstance(CLSID_ShellLink) makes. Loading a shortcut reads a
// symbolic link (the shortcut of this system) or a ".lnk" file; the object then answers with the
// target's path in the form the suite writes paths ("C:\..." inside a drive folder). Nothing here
// follows links in a loop or waits on anything: a dangling or looping link fails at once.
#include <shell/LinkFile.h>
#include <shell/ShlObj.h>

#include <base/CodePage.h>
#include <base/WinError.h>
#include <kernel/Find.h>
#include <kernel/Path.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

const CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

constexpr std::size_t kLinkFileMax = 1 << 20;  // a shortcut is a few hundred bytes

HRESULT CopyOut(LPSTR buffer, int size, const std::string& text) {
  if (!buffer || size <= 0) return E_INVALIDARG;
  const std::size_t n = std::min<std::size_t>(text.size(), std::size_t(size) - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return S_OK;
}

std::string FolderOf(const std::string& hostPath) {
  const auto slash = hostPath.rfind('/');
  return slash == std::string::npos ? std::string(".") : hostPath.substr(0, slash);
}

class ShellLink final : public IShellLinkA, public IPersistFile {
public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IShellLinkA) *object = static_cast<IShellLinkA*>(this);
    else if (iid == IID_IPersistFile || iid == IID_IPersist) *object = static_cast<IPersistFile*>(this);
    else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_references; }
  ULONG Release() override {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }

  // IPersistFile
  HRESULT GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_ShellLink;
    return S_OK;
  }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(LPCOLESTR fileName, DWORD) override {
    if (!fileName) return E_POINTER;
    std::u16string wide(fileName);
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string path(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), path.data(), n, nullptr, nullptr);
    m_target.clear();
    m_hostTarget.clear();
    m_description.clear();
    m_arguments.clear();
    m_directory.clear();
    const std::string host = tolvar::kernel::ToHostPath(path);
    struct stat status {};
    if (lstat(host.c_str(), &status) != 0) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (S_ISLNK(status.st_mode)) return LoadSymbolic(host);
    if (S_ISREG(status.st_mode)) return LoadLinkFile(host, status);
    return E_FAIL;
  }

  // IShellLinkA
  HRESULT GetPath(LPSTR file, int size, WIN32_FIND_DATAA* findData, DWORD) override {
    const HRESULT result = CopyOut(file, size, m_target);
    if (FAILED(result)) return result;
    if (findData) {
      std::memset(findData, 0, sizeof *findData);
      HANDLE find = m_hostTarget.empty() ? INVALID_HANDLE_VALUE : FindFirstFileA(m_target.c_str(), findData);
      if (find != INVALID_HANDLE_VALUE) FindClose(find);
      else CopyOut(findData->cFileName, MAX_PATH, m_target.substr(m_target.find_last_of("\\/") + 1));
    }
    return m_target.empty() ? S_FALSE : S_OK;
  }
  HRESULT GetDescription(LPSTR name, int size) override { return CopyOut(name, size, m_description); }
  HRESULT GetArguments(LPSTR arguments, int size) override { return CopyOut(arguments, size, m_arguments); }
  HRESULT GetWorkingDirectory(LPSTR directory, int size) override { return CopyOut(directory, size, m_directory); }
  HRESULT Resolve(HWND, DWORD) override {
    if (m_hostTarget.empty()) return E_FAIL;
    struct stat status {};
    // stat follows the whole chain and stops a loop with ELOOP.
    if (stat(m_hostTarget.c_str(), &status) != 0) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    return S_OK;
  }

private:
  HRESULT LoadSymbolic(const std::string& host) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink(host.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) return E_FAIL;
    std::string target(buffer, std::size_t(n));
    if (target[0] != '/') target = FolderOf(host) + "/" + target;
    SetTarget(target);
    return S_OK;
  }

  HRESULT LoadLinkFile(const std::string& host, const struct stat& status) {
    if (std::size_t(status.st_size) > kLinkFileMax) return E_FAIL;
    std::ifstream in(host, std::ios::binary);
    const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    tolvar::shell::LinkFile link;
    if (!tolvar::shell::ParseLinkFile(bytes, link)) return E_FAIL;
    std::string target = link.target;
    if (link.targetIsRelative) {
      // Relative to the shortcut's own folder, with names matched as the file functions match them.
      const std::string folder = tolvar::kernel::ToWindowsPath(FolderOf(host));
      SetTarget(tolvar::kernel::ToHostPath(folder + "\\" + target));
    } else {
      m_hostTarget = tolvar::kernel::ToHostPath(target);
      m_target = target;
    }
    m_description = link.description;
    m_arguments = link.arguments;
    m_directory = link.workingDirectory;
    return S_OK;
  }

  // A host path: normalised lexically ("a/./b", "a/../b") and reported in the suite's form.
  void SetTarget(const std::string& hostPath) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= hostPath.size()) {
      const auto end = std::min(hostPath.find('/', start), hostPath.size());
      const std::string part = hostPath.substr(start, end - start);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      start = end + 1;
    }
    std::string normal;
    for (const std::string& part : parts) normal += "/" + part;
    if (normal.empty()) normal = "/";
    m_hostTarget = normal;
    m_target = tolvar::kernel::ToWindowsPath(normal);
  }

  ~ShellLink() = default;

  std::atomic<ULONG> m_references{1};
  std::string m_target;      // as reported
  std::string m_hostTarget;  // as checked
  std::string m_description;
  std::string m_arguments;
  std::string m_directory;
};

}  // namespace

HRESULT CoInitialize(void*) { return S_OK; }
void CoUninitialize() {}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (clsid != CLSID_ShellLink) return REGDB_E_CLASSNOTREG;
  auto* link = new (std::nothrow) ShellLink;
  if (!link) return E_OUTOFMEMORY;
  IShellLinkA* base = link;
  const HRESULT result = base->QueryInterface(iid, object);
  base->Release();
  return result;
}
