#include "RcFixtures.h"

#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tolvar::rc::test {

std::string TempFolder() {
  static std::atomic<int> counter{0};
  fs::path folder = fs::path(testing::TempDir()) /
                    ("rc-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder.string();
}

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

void WriteFile(const std::string& path, const Bytes& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()),
                                              static_cast<std::streamsize>(content.size()));
}

CompileResult CompileText(const std::string& folder, const std::string& script) {
  std::string path = folder + "/script.rc";
  WriteFile(path, script);
  return Compile(CompileOptions{path, {}, {}});
}

const Resource& Find(const CompileResult& result, std::uint16_t type, const ResId& name, std::uint16_t language) {
  for (const auto& r : result.resources)
    if (r.type == ResId::Number(type) && r.name == name && (language == 0xFFFF || r.language == language))
      return r;
  ADD_FAILURE() << "no resource of type " << type << " named " << name.Describe();
  static const Resource none;
  return none;
}

Bytes ReadHexFixture(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  Bytes bytes;
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string word;
    while (words >> word) bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
  }
  return bytes;
}

Bytes Utf16z(const std::u16string& text) {
  Bytes out;
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::string DataFolder() { return RC_TEST_DATA; }

}  // namespace tolvar::rc::test
