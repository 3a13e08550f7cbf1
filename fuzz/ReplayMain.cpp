// The replay of a fuzz target without libFuzzer: every file of the folders (or the files) named on
// the command line goes through LLVMFuzzerTestOneInput once, in name order, so that the ordinary test
// run checks the seed corpus and every input that once crashed a parser. A crash or a sanitizer
// report ends the program as it would end the fuzzer; the input it was on is printed first.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path path = argv[i];
    std::error_code error;
    if (fs::is_directory(path, error)) {
      for (const auto& entry : fs::directory_iterator(path)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
      }
    } else if (fs::is_regular_file(path, error)) {
      inputs.push_back(path);
    }
    // A folder that does not exist holds nothing: a target without kept crashes has none.
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "no inputs: a fuzz target needs a seed corpus\n");
    return 1;
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    std::fprintf(stderr, "%s\n", input.c_str());
    std::ifstream in(input, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    // An empty input still reaches the target, with a pointer that may be read zero bytes from.
    static const std::uint8_t nothing = 0;
    LLVMFuzzerTestOneInput(bytes.empty() ? &nothing : reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           bytes.size());
  }
  std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
  return 0;
}
