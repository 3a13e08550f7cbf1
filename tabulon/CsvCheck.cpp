// Checking a value against its field: see CsvCheck.h.
#include "CsvCheck.h"

#include "CsvText.h"

#include <algorithm>
#include <limits>

namespace tabulon {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int CheckPhone(std::string& value) {
  if (std::count(value.begin(), value.end(), '+') > 1) return kCsvBadPhone;
  const auto first = std::find_if(value.begin(), value.end(), [](char c) { return c != '+'; });
  // "+" alone leaves nothing to inspect: that is no number either.
  if (first == value.end() || (*first != ' ' && !IsDigit(*first))) return kCsvBadPhone;
  std::erase(value, ' ');
  return kCsvOk;
}

int CheckEmail(std::string_view value) {
  const std::size_t at = value.find('@');
  const bool ok = CountCharacters(value) > 5 && at != std::string_view::npos && at != 0 &&
                  value.find('@', at + 1) == std::string_view::npos && value.find(' ') == std::string_view::npos &&
                  [&] {
                    const std::size_t dot = value.find('.', at + 1);
                    return dot != std::string_view::npos && dot + 1 != value.size();
                  }();
  return ok ? kCsvOk : kCsvBadEmail;
}

}  // namespace

int FieldKind(const CSV_FIELD_INFO& field) {
  switch (field.type) {
    case CSV_FIELD_PHONE:
    case CSV_FIELD_EMAIL:
    case CSV_FIELD_INTEGER:
      return field.type;
    default:
      return CSV_FIELD_TEXT;
  }
}

std::uint64_t LeadingNumber(std::string_view value) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t number = 0;
  for (char c : value) {
    if (!IsDigit(c)) break;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    number = number > (kMax - digit) / 10 ? kMax : number * 10 + digit;
  }
  return number;
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int CheckValue(const CSV_FIELD_INFO& field, std::string& value) {
  const int kind = FieldKind(field);
  if (kind == CSV_FIELD_INTEGER) {
    if (field.limit < 0) return kCsvBadNumber;
    return LeadingNumber(value) > static_cast<std::uint64_t>(field.limit) ? kCsvBadNumber : kCsvOk;
  }
  if (CountCharacters(value) > field.limit) return kCsvTooLong;
  if (value.empty()) return kCsvEmpty;
  if (kind == CSV_FIELD_PHONE) return CheckPhone(value);
  if (kind == CSV_FIELD_EMAIL) return CheckEmail(value);
  return kCsvOk;
}

}  // namespace tabulon
