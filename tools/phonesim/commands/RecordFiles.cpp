#include "RecordFiles.h"

namespace phonesim {

namespace {

constexpr long long kContactFile = 256;
constexpr long long kScheduleBlockFile = 100;

bool VersionBegins(const PhoneState& phone, std::string_view letters) {
  const std::string& version = phone.SoftwareVersion();
  return !version.empty() && letters.find(version.front()) != std::string_view::npos;
}

}  // namespace

std::size_t ContactRecordSize(const PhoneState& phone) { return VersionBegins(phone, "BT") ? 471 : 524; }
std::size_t ScheduleRecordSize(const PhoneState& phone) { return VersionBegins(phone, "ZU") ? 280 : 88; }

std::string KeptFlashFile(const PhoneState& phone, long long file, std::string written) {
  std::optional<std::string> kept;
  if (file == kContactFile) kept = ContactRecord(phone, written);
  if (file == kScheduleBlockFile) kept = ScheduleRecords(phone, written);
  return kept ? *kept : written;
}

}  // namespace phonesim
