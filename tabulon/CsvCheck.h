#pragma once
// The check of one imported value against its field descriptor. The codes are the warning numbers
// the user sees (message = string 100 + code).
#include <tabulon/CsvExchange.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulon {

enum CsvWarning : int {
  kCsvOk = 0,
  kCsvTooLong = 1,       // text, phone or e-mail longer than the limit in characters
  kCsvEmpty = 2,         // text, phone or e-mail empty
  kCsvBadPhone = 3,      // more than one '+', or what follows the '+' is not a blank or a digit
  kCsvBadEmail = 4,
  kCsvBadNumber = 5,     // integer above the limit (or a limit below 0)
};
constexpr int kCsvWarningCodes = 7;  // decisions are kept for codes 0 to 6

// The field kind, with every unknown type read as text.
int FieldKind(const CSV_FIELD_INFO& field);

// The number made of the leading decimal digits (0 when none); saturates instead of wrapping, so a
// long digit string stays above any limit.
std::uint64_t LeadingNumber(std::string_view value);

// The warning code of a trimmed value. A phone number that passes loses its blanks.
int CheckValue(const CSV_FIELD_INFO& field, std::string& value);

// Blanks (spaces and tabs) removed at both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace tabulon
