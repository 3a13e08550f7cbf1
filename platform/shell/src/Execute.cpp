// ShellExecute and ShellExecuteEx: a document or an address goes to the desktop's opener, xdg-open,
// which picks the program the user chose for its type. The opener is started directly with the
// target as its one argument (posix_spawn, never a command interpreter), so nothing in a path or an
// address is ever read as shell syntax. The opener is not waited for, as a program started by the
// shell runs on its own; a thread of ours collects its exit so no zombie is left.
#include <shell/ShellApi.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Path.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <string_view>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr const char* kOpener = "xdg-open";

// "http://...", "mailto:...": a scheme of two or more letters (one letter is a drive) and a colon.
bool IsAddress(std::string_view target) {
  const auto colon = target.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  if (!std::isalpha(static_cast<unsigned char>(target[0]))) return false;
  for (std::size_t i = 1; i < colon; ++i) {
    const char c = target[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

// The opener's file through PATH, as execvp would find it; empty when there is none.
std::string FindOpener() {
  const char* path = std::getenv("PATH");
  std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const auto end = folders.find(':');
    std::string folder(folders.substr(0, end));
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + kOpener;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string_view::npos) return {};
    folders.remove_prefix(end + 1);
  }
}

int OldResult(DWORD error) {
  switch (error) {
  case ERROR_FILE_NOT_FOUND: return SE_ERR_FNF;
  case ERROR_PATH_NOT_FOUND: return SE_ERR_PNF;
  case ERROR_ACCESS_DENIED: return SE_ERR_ACCESSDENIED;
  case ERROR_NOT_ENOUGH_MEMORY: return SE_ERR_OOM;
  default: return SE_ERR_NOASSOC;
  }
}

DWORD Launch(LPCSTR verb, LPCSTR file, LPCSTR directory) {
  if (verb && *verb && strcasecmp(verb, "open") != 0 && strcasecmp(verb, "edit") != 0) return ERROR_NO_ASSOCIATION;
  if (!file || !*file) return ERROR_FILE_NOT_FOUND;
  std::string target = file;
  if (!IsAddress(target)) {
    // A relative document is looked for in the given folder, as Windows does.
    std::string windowsPath = target;
    const bool relative = !(windowsPath.size() >= 2 && windowsPath[1] == ':') && windowsPath[0] != '\\' &&
                          windowsPath[0] != '/';
    if (relative && directory && *directory) windowsPath = std::string(directory) + "\\" + windowsPath;
    target = tolvar::kernel::ToHostPath(windowsPath);
    struct stat info {};
    if (stat(target.c_str(), &info) != 0) {
      const auto slash = target.rfind('/');
      struct stat folder {};
      const bool folderExists = slash == std::string::npos || stat(target.substr(0, slash).c_str(), &folder) == 0;
      return folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    if (relative && target[0] != '/') {
      char cwd[4096];
      if (getcwd(cwd, sizeof cwd)) target = std::string(cwd) + "/" + target;
    }
  }
  const std::string opener = FindOpener();
  if (opener.empty()) return ERROR_NO_ASSOCIATION;
  std::string name = kOpener;
  char* argv[] = {name.data(), target.data(), nullptr};
  pid_t child = 0;
  const int error = posix_spawn(&child, opener.c_str(), nullptr, nullptr, argv, environ);
  if (error != 0) return error == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_NO_ASSOCIATION;
  std::thread([child] {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return ERROR_SUCCESS;
}

}  // namespace

BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA info) {
  if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->hProcess = nullptr;  // the opener hands the document on; there is no process to wait for
  const DWORD error = Launch(info->lpVerb, info->lpFile, info->lpDirectory);
  const int old = error == ERROR_SUCCESS ? 42 : OldResult(error);
  info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(old));
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int show) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = window;
  info.lpVerb = verb;
  info.lpFile = file;
  info.lpParameters = parameters;
  info.lpDirectory = directory;
  info.nShow = show;
  ShellExecuteExA(&info);
  return info.hInstApp;
}
