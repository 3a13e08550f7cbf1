// The contacts as the phone keeps them: one record per file (256, slot) in the phone's layout;
// the names of the contact's picture and melody that come with a written file are for the phone's
// display only.
#include "RecordFiles.h"

namespace phonesim {

namespace {

// A 16-bit little-endian length at `at` and the bytes after it: the position after them, or none
// when they do not fit.
std::optional<std::size_t> SkipName(std::string_view bytes, std::size_t at) {
  if (at + 2 > bytes.size()) return std::nullopt;
  const std::size_t length = static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
  if (at + 2 + length > bytes.size()) return std::nullopt;
  return at + 2 + length;
}

}  // namespace

std::optional<std::string> ContactRecord(const PhoneState& phone, std::string_view written) {
  const std::size_t size = ContactRecordSize(phone);
  const std::optional<std::size_t> melody = SkipName(written, size);
  const std::optional<std::size_t> end = melody ? SkipName(written, *melody) : std::nullopt;
  if (!end || *end != written.size()) return std::nullopt;
  return std::string(written.substr(0, size));
}

}  // namespace phonesim
