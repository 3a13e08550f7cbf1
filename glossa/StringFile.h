#pragma once
// The string-file format: one entry per logical line, `id = "text"`.
//
// - CR LF reads as LF; a UTF-8 byte-order mark at the start is skipped.
// - A backslash escapes the next character: at the end of a line it joins the next line; "\b" is a
//   blank, "\n" LF, "\r" CR, "\t" TAB; any other character stands for itself ("\\" is a backslash).
// - An empty line, or one whose first character is ";", is a comment.
// - The key starts after any blanks, tabs, ";", "=" or backslashes and runs to the next of them; it
//   is read as a decimal integer (leading digits; 0 when none).
// - The value runs from the first quote after the key to the last quote of the line, so quotes inside
//   need no escape; a line with one quote takes the rest of the line. No quote, or nothing after a
//   single quote, is malformed.
// - A logical line holds at most 1,025 characters; the rest of an overlong line, and the rest of a line
//   after a NUL byte, are ignored.
#include <base/WinDef.h>

#include <functional>
#include <string>
#include <string_view>

namespace glossa {

// Error numbers of the library beyond those <base/WinError.h> names.
constexpr DWORD kErrorNotFound = 1168;

constexpr size_t kMaxLogicalLine = 1025;

// Stores one entry; returns 0, or the error that stops the load (a duplicate id, no memory).
using StoreEntry = std::function<DWORD(int id, std::string text)>;

// Reads a whole string file. Returns 1 when every line was read, 0 when a malformed line (error 87)
// or a failed store stopped it; `lastError` follows each step (0 after every stored entry). Entries
// stored before a failure stay stored.
int ReadStringFile(std::string_view content, const StoreEntry& store, DWORD& lastError);

}  // namespace glossa
