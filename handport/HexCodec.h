#pragma once
// Bytes inside PTE commands and replies travel as hex text: two upper-case digits per byte.
#include <base/WinDef.h>

#include <span>
#include <string>
#include <string_view>

// Writes the bytes as hex into `output` with a terminating NUL; 0 (nothing written) when `output`
// cannot hold 2 * bytes.size() + 1 characters, else 1 (also for no bytes).
int HexEncode(std::span<const BYTE> bytes, std::span<char> output);

// Reads hex text (either case) into `output`; `count` receives the number of bytes. Fails with 0
// and the last error ERROR_BAD_HEX when the text is empty, of odd length, holds a character that
// is no hex digit, or decodes to more than output.size() bytes.
int HexDecode(std::string_view hex, std::span<BYTE> output, DWORD& count);

// The bytes as hex text.
std::string HexText(std::span<const BYTE> bytes);
