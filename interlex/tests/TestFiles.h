#pragma once
// Reads a fixture of tests/data whole.
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadTestFile(const std::string& name) {
  std::ifstream in(std::string(INTERLEX_TEST_DATA) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
