#pragma once
// The phone's number field: a telephone number of a contact as packed digits with a type byte,
// and the dial string the applications edit (digits and "+", "#", "*", "P", "?").
//
//   offset 0   the count of bytes in use from offset 1 on; 0xFF in an empty field
//   offset 1   the type: 0x91 international (given with "+"), 0x81 otherwise
//   offset 2   20 bytes of digit codes, two a byte, the first in the low nibble; 0xF ends them
//
// In a supplementary-service string such as the call forwarding **21*+4912# the "+" stands after
// the service code; the field keeps it as the type alone.
#include <framework/Afx.h>

#include <base/WinDef.h>

#include <cstddef>
#include <span>
#include <string_view>

constexpr std::size_t kDialFieldSize = 22;
constexpr std::size_t kMaxDialDigits = 40;

// The last error IsServiceString leaves when a text is no service string.
constexpr DWORD ERROR_DIAL_NOT_SERVICE = 0x200e0230;

// One or two leading "*" or "#", then no "1", and a closing "#". When the text is no service
// string the last error is ERROR_DIAL_NOT_SERVICE.
bool IsServiceString(std::string_view text);

// Whether the text may be stored: only "0123456789+#P*?", not beginning with "P", at most 40
// characters (41 with a leading "+"), and a "+" only at the start or right after the service code
// of a service string, where it reads back in its place.
bool CheckDialString(const CString& text);

// Fills the field from a text; at most 40 digit codes are packed. False, the field untouched,
// for a text with a character that has no digit code.
bool PackDialString(std::span<BYTE, kDialFieldSize> field, const CString& text);

// The dial string of a field; empty for an empty field or one whose count is out of range.
CString UnpackDialString(std::span<const BYTE, kDialFieldSize> field);

// The 13-byte field of the phone's whole-phone contact files and of the phone data file: the same
// coding with 11 digit bytes, so at most 22 digit codes. A number with more is refused rather
// than cut, as is a character without a digit code: false, the field untouched.
constexpr std::size_t kShortDialFieldSize = 13;
constexpr std::size_t kMaxShortDialDigits = 22;
bool PackShortDialString(std::span<BYTE, kShortDialFieldSize> field, const CString& text);
CString UnpackShortDialString(std::span<const BYTE, kShortDialFieldSize> field);
