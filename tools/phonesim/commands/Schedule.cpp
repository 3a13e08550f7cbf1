// The schedule as the phone keeps it: the used flags (99, 3) as written, and blocks (100, k) of
// ten records in the phone's layout; the alarm melodies' names that come with each entry of a
// written block are for the phone's display only.
#include "RecordFiles.h"

namespace phonesim {

std::optional<std::string> ScheduleRecords(const PhoneState& phone, std::string_view written) {
  constexpr int kEntries = 10;
  const std::size_t size = ScheduleRecordSize(phone);
  std::string records;
  std::size_t at = 0;
  for (int entry = 0; entry < kEntries; ++entry) {
    if (at + size + 4 > written.size()) return std::nullopt;
    auto u16 = [&](std::size_t i) {
      return static_cast<std::size_t>(static_cast<unsigned char>(written[i]) | static_cast<unsigned char>(written[i + 1]) << 8);
    };
    const std::size_t entryLength = u16(at + size);
    const std::size_t nameLength = u16(at + size + 2);
    if (entryLength != size + 4 + nameLength || at + entryLength > written.size()) return std::nullopt;
    records.append(written.substr(at, size));
    at += entryLength;
  }
  if (at != written.size()) return std::nullopt;
  return records;
}

}  // namespace phonesim
