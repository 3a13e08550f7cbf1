#pragma once
// Text helpers of the CSV engine: a file's bytes made into lines of the ANSI code page (UTF-8), the
// character count the length checks use, and the one-argument formatting of the localized texts.
#include <string>
#include <string_view>
#include <vector>

namespace tabulon {

// Splits a file's bytes into lines at CR LF, LF or a lone CR. A leading UTF-8 byte-order mark is
// skipped; bytes that are not valid UTF-8 are read as code page 1252 (a file from another system).
// A last line without a line break counts; an empty file has no line.
std::vector<std::string> SplitFileLines(std::string_view bytes);

// Characters of a UTF-8 text (what a limit of "characters" counts).
int CountCharacters(std::string_view text);

// Replaces the first "%s" or "%d" of a localized format by `argument` and "%%" by '%'; any other
// '%' stays as written. The formats come from a string file, so they are never given to printf.
std::string FormatText(std::string_view format, std::string_view argument);
std::string FormatText(std::string_view format, long long number);

}  // namespace tabulon
