#pragma once
// One CSV row made into values. A value is the text between separators; while the text up to a
// separator holds an odd number of '"' the value goes on past that separator, and past the end of
// the line into the next one (joined with a blank) when the caller offers more lines. A value with
// more than two quotes loses its first and last character and each doubled quote becomes one;
// otherwise its quotes become blanks (which the caller trims).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon {

// Gives the next line of the file for a value that runs past the end of its line, or false when
// there is none (the value is then taken as it stands).
using NextLineFn = std::function<bool(std::string& line)>;

// Values of `line` split at `separator`, padded with empty values up to `minValues`.
std::vector<std::string> SplitCsvLine(std::string_view line, char separator, std::size_t minValues = 0,
                                      const NextLineFn& nextLine = {});

// The same into `values`, whose strings are reused: a caller splitting row after row keeps one
// vector and allocates only when a value outgrows what an earlier row left.
void SplitCsvLine(std::string_view line, char separator, std::vector<std::string>& values, std::size_t minValues,
                  const NextLineFn& nextLine);

}  // namespace tabulon
