// Path splitting of the panes: drive paths and Linux paths alike.
#include "PanePath.h"

#include <cctype>

namespace panepath {

namespace {
bool IsDrive(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}
}  // namespace

std::size_t LastSeparator(std::string_view path) { return path.find_last_of("\\/"); }

bool IsRoot(std::string_view path) {
  if (path == "/") return true;
  return IsDrive(path) && (path.size() == 2 || (path.size() == 3 && (path[2] == '\\' || path[2] == '/')));
}

std::string Folder(std::string_view path) {
  const std::size_t separator = LastSeparator(path);
  if (separator == std::string_view::npos) return IsDrive(path) ? std::string(path.substr(0, 2)) + "\\" : "";
  if (separator == 0) return "/";
  if (separator == 2 && IsDrive(path)) return std::string(path.substr(0, 3));
  return std::string(path.substr(0, separator));
}

std::string Name(std::string_view path) {
  const std::size_t separator = LastSeparator(path);
  if (separator == std::string_view::npos) return IsDrive(path) ? std::string(path.substr(2)) : std::string(path);
  return std::string(path.substr(separator + 1));
}

std::string Join(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string joined(folder);
  const char last = joined.back();
  if (last != '\\' && last != '/') {
    if (joined.size() == 2 && IsDrive(joined)) joined += '\\';
    else joined += IsDrive(joined) ? '\\' : '/';
  }
  return joined + std::string(name);
}

std::string Normalize(std::string_view folder) {
  std::string result(folder);
  if (result.size() == 2 && IsDrive(result)) return result + "\\";
  while (result.size() > 1 && !IsRoot(result) && (result.back() == '\\' || result.back() == '/')) result.pop_back();
  return result;
}

}  // namespace panepath
