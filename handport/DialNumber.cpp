#include "DialNumber.h"

#include <base/LastError.h>

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr BYTE kTypeInternational = 0x91;
constexpr BYTE kTypeNational = 0x81;
constexpr BYTE kEndCode = 0x0F;
constexpr std::size_t kDigitBytes = kDialFieldSize - 2;

constexpr std::string_view kDialCharacters = "0123456789+#P*?";
// The characters of digit codes 0 to 14; code 15 ends the digits.
constexpr std::string_view kCodeCharacters = "0123456789*#P?^";

bool IsServicePrefix(char c) { return c == '*' || c == '#'; }

std::string_view View(const CString& text) { return {text, static_cast<std::size_t>(text.GetLength())}; }

// Where a "+" may stand, read from the left: a "+" in a state whose entry is kRefused fails the
// text. State 7 follows a service prefix ("*", "#", "**", "*#", "##"), two or three digits and a
// "*"; every other "+" but a leading one is refused.
constexpr int kRefused = -1;
enum CharClass { kHash, kStar, kPlus, kDigit };
constexpr int kPlusRule[10][4] = {
    {3, 2, 1, 1},        {1, 1, kRefused, 1}, {9, 9, kRefused, 4}, {6, 1, kRefused, 4}, {1, 1, kRefused, 5},
    {1, 7, kRefused, 8}, {1, 1, kRefused, 4}, {1, 1, 1, 1},        {1, 7, kRefused, 1}, {1, 1, kRefused, 4},
};

int ClassOf(char c) { return c == '#' ? kHash : c == '*' ? kStar : c == '+' ? kPlus : kDigit; }

int CodeOf(char c) {
  const std::size_t at = kCodeCharacters.find(c);
  return at == std::string_view::npos ? kEndCode : static_cast<int>(at);
}

// The digits of a text and its type, as a field keeps them (not yet cut to its size).
std::string FieldDigits(std::string_view text, BYTE& type) {
  std::string digits(text);
  type = kTypeNational;
  const bool service = IsServiceString(text);
  const std::size_t plus = service ? digits.find('+') : (digits.starts_with('+') ? 0 : std::string::npos);
  if (plus != std::string::npos) {
    digits.erase(plus, 1);
    type = kTypeInternational;
  }
  return digits;
}

// Packs digits two a byte from offset 2 of a field of any size; false, the field untouched, for
// a character without a digit code.
bool PackDigits(std::span<BYTE> field, std::string_view digits, BYTE type) {
  if (std::any_of(digits.begin(), digits.end(), [](char c) { return CodeOf(c) == kEndCode; })) return false;
  std::fill(field.begin(), field.end(), BYTE{0xFF});
  field[1] = type;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    BYTE& pair = field[2 + i / 2];
    const auto code = static_cast<BYTE>(CodeOf(digits[i]));
    pair = i % 2 == 0 ? static_cast<BYTE>(0xF0 | code) : static_cast<BYTE>((pair & 0x0F) | code << 4);
  }
  field[0] = static_cast<BYTE>((digits.size() + 1) / 2 + 1);
  return true;
}

CString UnpackDigits(std::span<const BYTE> field) {
  const int count = field[0];
  const BYTE type = field[1];
  if (count == 1 && type == kTypeInternational) return "+";
  if (count < 2 || count > static_cast<int>(field.size()) - 1) return "";
  std::string digits;
  for (int i = 0; i < count - 1; ++i) {
    const BYTE pair = field[2 + static_cast<std::size_t>(i)];
    const BYTE low = pair & 0x0F;
    const BYTE high = pair >> 4;
    if (low == kEndCode) break;
    digits += kCodeCharacters[low];
    if (high == kEndCode) break;
    digits += kCodeCharacters[high];
  }
  const bool international = (type & 0x10) != 0;
  const bool plus = international && type != 0xFF;
  if (!international || !IsServiceString(digits)) return CString(((plus ? "+" : "") + digits).c_str());
  if (!plus) return CString(digits.c_str());
  // The "+" goes back after the service code: before the digits that precede the closing run of
  // "*" and "#", after the nearest "*" or "#" (or the first character). A string of nothing but
  // "*" and "#" had its "+" at the start.
  std::size_t end = digits.size();
  while (end > 0 && IsServicePrefix(digits[end - 1])) --end;
  if (end == 0) return CString(("+" + digits).c_str());
  std::size_t at = end - 1;
  while (at > 0 && !IsServicePrefix(digits[at])) --at;
  return CString((digits.substr(0, at + 1) + "+" + digits.substr(at + 1)).c_str());
}

// Whether a text with a "+" after its service code comes back from the field as it was: the field
// keeps the "+" only as its type, and reading puts it after the last "*" or "#" before the end.
bool ReadsBackAsWritten(std::string_view text) {
  std::array<BYTE, kDialFieldSize> field;
  const CString whole(std::string(text).c_str());
  return PackDialString(field, whole) && View(UnpackDialString(field)) == text;
}

}  // namespace

bool IsServiceString(std::string_view text) {
  std::size_t prefix = 0;
  while (prefix < text.size() && IsServicePrefix(text[prefix])) ++prefix;
  const bool service = (prefix == 1 || prefix == 2) && (prefix == text.size() || text[prefix] != '1') &&
                       text.ends_with('#');
  if (!service) SetLastError(ERROR_DIAL_NOT_SERVICE);
  return service;
}

bool CheckDialString(const CString& text) {
  const std::string_view t = View(text);
  if (t.empty()) return true;
  if (t.front() == 'P' || t.find_first_not_of(kDialCharacters) != std::string_view::npos) return false;
  int state = 0;
  for (char c : t) {
    if (c == 'P' || c == '?') continue;
    const int next = kPlusRule[state][ClassOf(c)];
    if (next == kRefused) return false;
    // A "+" after a service code is kept by the field only as its type: in a text that is no
    // service string it would be packed as the code that ends the digits, and the number would
    // read back cut short after the code. Such a "+" is taken only where it reads back in place.
    if (c == '+' && state == 7 && !ReadsBackAsWritten(t)) return false;
    state = next;
  }
  return t.size() <= kMaxDialDigits || (t.size() == kMaxDialDigits + 1 && t.front() == '+');
}

bool PackDialString(std::span<BYTE, kDialFieldSize> field, const CString& text) {
  BYTE type;
  std::string digits = FieldDigits(View(text), type);
  // The field holds 40 codes; a longer text never reaches past it.
  if (digits.size() > kMaxDialDigits) digits.resize(kMaxDialDigits);
  return PackDigits(field, digits, type);
}

CString UnpackDialString(std::span<const BYTE, kDialFieldSize> field) { return UnpackDigits(field); }

bool PackShortDialString(std::span<BYTE, kShortDialFieldSize> field, const CString& text) {
  BYTE type;
  const std::string digits = FieldDigits(View(text), type);
  if (digits.size() > kMaxShortDialDigits) return false;
  return PackDigits(field, digits, type);
}

CString UnpackShortDialString(std::span<const BYTE, kShortDialFieldSize> field) { return UnpackDigits(field); }
