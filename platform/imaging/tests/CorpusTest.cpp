// The decoders over a corpus of picture files that others collected to test their own decoders
// (the PNG suite, JPEG and GIF regression sets), each row of its EXPECTED.tsv checked as it says:
// - "decode": decodes, every frame; a PNG matches the checksum listed for its 8-bit expansion; a
//   JPEG matches its reference rendering within 3 per channel; a GIF frame said to equal a
//   reference picture equals it; a frame count the note gives ("n_frames=N") is ours too;
// - "reject", "reject-strict": fails with a status;
// - every other row (no-crash, no-hang, reject-or-cap, decode-or-reject): ends, either way.
// Files are read where they lie. Without the corpus (a clone without the shared folder beside it)
// the test is skipped; TOLVAR_IMAGE_CORPUS names the folder where it lies elsewhere.
#include "Samples.h"

#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;
using namespace Gdiplus;
using tolvar::imaging::DecodedImage;

namespace {

samples::Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return samples::Bytes(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t BigEndian(const samples::Bytes& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// The checksum the corpus lists for a PNG: over its pixels expanded to 8 bits per sample, keeping
// the file's channels (grey stays one channel, a palette becomes colour, tRNS becomes alpha).
std::uint32_t ExpandedChecksum(const samples::Bytes& file, const DecodedImage& image) {
  const int colourType = file[25];
  bool transparency = false;
  for (std::size_t at = 8; at + 8 <= file.size();) {
    const std::uint32_t length = BigEndian(file, at);
    const std::string type(file.begin() + std::ptrdiff_t(at + 4), file.begin() + std::ptrdiff_t(at + 8));
    if (type == "tRNS") transparency = true;
    if (type == "IDAT" || length > file.size()) break;
    at += 12 + length;
  }
  const bool grey = colourType == 0 || colourType == 4;
  const bool alpha = colourType == 4 || colourType == 6 || transparency;
  std::vector<std::uint8_t> bytes;
  for (ARGB p : image.pixels) {
    if (grey) {
      bytes.push_back(std::uint8_t(p >> 16));
    } else {
      bytes.push_back(std::uint8_t(p >> 16)), bytes.push_back(std::uint8_t(p >> 8)), bytes.push_back(std::uint8_t(p));
    }
    if (alpha) bytes.push_back(std::uint8_t(p >> 24));
  }
  return std::uint32_t(crc32(0, bytes.data(), uInt(bytes.size())));
}

// A reference rendering, read with libpng itself, as ARGB.
bool ReadReference(const fs::path& path, UINT& width, UINT& height, std::vector<ARGB>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_BGRA;
  width = image.width, height = image.height;
  pixels.assign(std::size_t(width) * height, 0);
  const bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  png_image_free(&image);
  return ok;
}

// The largest difference of a channel, and where it is. Pixels transparent in both are equal
// whatever colour they hold.
std::pair<int, std::size_t> MaxColourDifference(const std::vector<ARGB>& a, const std::vector<ARGB>& b) {
  int worst = 0;
  std::size_t where = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if ((a[i] >> 24) == 0 && (b[i] >> 24) == 0) continue;
    for (int shift : {0, 8, 16, 24}) {
      const int d = std::abs(int((a[i] >> shift) & 255) - int((b[i] >> shift) & 255));
      if (d > worst) worst = d, where = i;
    }
  }
  return {worst, where};
}

// Rows where this library deliberately differs from the decoder that wrote the expectation, and why.
// Such a row must fail cleanly instead.
const std::map<std::string, std::string> kDeliberatelyRefused = {
};

struct Tally {
  int passed = 0, total = 0;
};

}  // namespace

TEST(Corpus, EveryRowBehavesAsItsExpectationSays) {
  // Where the build expects it, unless TOLVAR_IMAGE_CORPUS names another place (a local checkout).
  const char* elsewhere = std::getenv("TOLVAR_IMAGE_CORPUS");
  const fs::path root = elsewhere && *elsewhere ? elsewhere : TOLVAR_IMAGE_CORPUS;
  if (!fs::exists(root / "EXPECTED.tsv"))
    GTEST_SKIP() << "the picture corpus is not at " << root << " (the shared folder beside the repository)";

  std::ifstream table(root / "EXPECTED.tsv");
  std::string line;
  std::getline(table, line);  // the column names
  std::map<std::string, Tally> tallies;
  while (std::getline(table, line)) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.size() < 2) continue;
    fields.resize(4);
    const std::string& path = fields[0];
    const std::string& expectation = fields[1];
    const std::string& reference = fields[2];
    const std::string& note = fields[3];
    SCOPED_TRACE(path);
    const samples::Bytes file = ReadFile(root / path);

    DecodedImage image;
    Status status = tolvar::imaging::DecodeImage(file, image);
    // Every frame of an animation, as a viewer playing it would ask for them.
    for (UINT frame = 1; status == Ok && frame < image.frameCount; ++frame) status = image.SelectFrame(frame);

    bool passed = true;
    auto check = [&passed](bool ok, const std::string& what) {
      EXPECT_TRUE(ok) << what;
      passed = passed && ok;
    };
    if (const auto refused = kDeliberatelyRefused.find(path); refused != kDeliberatelyRefused.end()) {
      check(status != Ok, "decodes, though listed as refused");
      std::cout << "corpus: " << path << " is refused: " << refused->second << "\n";
    } else if (expectation == "decode") {
      check(status == Ok, "does not decode: status " + std::to_string(status));
      std::smatch match;
      if (status == Ok && std::regex_search(note, match, std::regex("n_frames=(\\d+)")))
        check(image.frameCount == UINT(std::stoul(match[1])), "frame count " + std::to_string(image.frameCount));
      if (status == Ok && reference.starts_with("image-png-crc32=")) {
        const std::uint32_t wanted = std::uint32_t(std::stoul(reference.substr(16)));
        check(ExpandedChecksum(file, image) == wanted, "pixels differ from the listed checksum");
      }
      if (status == Ok && reference.ends_with(".png")) {
        UINT width = 0, height = 0;
        std::vector<ARGB> wanted;
        const bool read = ReadReference(root / reference, width, height, wanted);
        check(read, "reference unreadable");
        const bool jpeg = path.starts_with("jpeg/");
        UINT frame = 0;
        if (std::regex_search(note, match, std::regex("frame (\\d+)"))) frame = UINT(std::stoul(match[1]));
        const bool compared = jpeg || note.find("must equal") != std::string::npos;
        if (read && compared) {
          if (!jpeg) check(image.SelectFrame(frame) == Ok, "frame not selectable");
          check(width == image.width && height == image.height, "size differs from the reference");
          if (width == image.width && height == image.height) {
            const auto [difference, where] = MaxColourDifference(image.pixels, wanted);
            std::ostringstream what;
            what << "differs from the reference by " << difference << " at (" << where % width << ", " << where / width
                 << "): " << std::hex << image.pixels[where] << " for " << wanted[where];
            check(difference <= (jpeg ? 3 : 0), what.str());
          }
        }
      }
    } else if (expectation == "reject" || expectation == "reject-strict") {
      check(status != Ok, "decodes, though it must be refused");
    }
    Tally& tally = tallies[kDeliberatelyRefused.contains(path) ? expectation + ", refused on purpose" : expectation];
    ++tally.total;
    tally.passed += passed ? 1 : 0;
  }
  for (const auto& [expectation, tally] : tallies)
    std::cout << "corpus: " << expectation << ": " << tally.passed << " of " << tally.total << " as expected\n";
}
