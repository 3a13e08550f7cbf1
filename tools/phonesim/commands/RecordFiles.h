#pragma once
// The flash files of the phone's record stores that the phone keeps in a form of its own. A
// contact file (256, slot) and a schedule block (100, k) arrive with display names (of the
// contact's picture and melody, of each entry's alarm melody) that the phone keeps apart from the
// records, so they read back as bare records. The record sizes follow the phone's layouts: the
// contacts' short layout (471 bytes instead of 524) on a phone whose software version begins with
// "B" or "T", the extended schedule layout (280 bytes instead of 88) on one whose version begins
// with "Z" or "U". Every other file, the to-do files among them, is kept as written.
#include "../PhoneState.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace phonesim {

// What the phone keeps of the file (file, sub) that the PC has written whole. A file that does
// not have the form of its store's layout is kept as written, so it reads back as it came.
std::string KeptFlashFile(const PhoneState& phone, long long file, std::string written);

std::size_t ContactRecordSize(const PhoneState& phone);
std::size_t ScheduleRecordSize(const PhoneState& phone);

// The record of a contact file: the record, then the picture's and the melody's names, each a
// 16-bit little-endian length and the UTF-8 bytes. None when the file has another form.
std::optional<std::string> ContactRecord(const PhoneState& phone, std::string_view written);
// The ten records of a schedule block: ten entries of a record, its 16-bit entry length (record
// size + 4 + n), the 16-bit name length n and the name. None when the file has another form.
std::optional<std::string> ScheduleRecords(const PhoneState& phone, std::string_view written);

}  // namespace phonesim
