// Splitting a row into values: see CsvSplitter.h.
#include "CsvSplitter.h"

#include <algorithm>

namespace tabulon {
namespace {

std::string Unquote(std::string_view candidate, std::size_t quotes) {
  std::string value;
  if (quotes > 2) {
    // The outer characters are the enclosing quotes; what is left holds doubled quotes.
    std::string_view inner = candidate.substr(1, candidate.size() - 2);
    value.reserve(inner.size());
    for (std::size_t i = 0; i < inner.size(); ++i) {
      value += inner[i];
      if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
    }
  } else {
    value.assign(candidate);
    std::replace(value.begin(), value.end(), '"', ' ');
  }
  return value;
}

std::string UnquoteOpen(std::string_view candidate) {
  const std::size_t open = candidate.find('"');
  std::string value(candidate.substr(0, open));
  for (std::size_t i = open + 1; i < candidate.size(); ++i) {
    value += candidate[i];
    if (candidate[i] == '"' && i + 1 < candidate.size() && candidate[i + 1] == '"') ++i;
  }
  return value;
}

}  // namespace

std::vector<std::string> SplitCsvLine(std::string_view line, char separator, std::size_t minValues,
                                      const NextLineFn& nextLine) {
  std::vector<std::string> values;
  std::string joined;  // the row once a value ran into the next line
  bool isJoined = false;
  std::string_view row = line;
  std::size_t start = 0;
  std::size_t search = 0;
  std::size_t quotes = 0;  // quotes of row[start, search)
  for (;;) {
    std::size_t found = row.find(separator, search);
    const std::size_t end = found == std::string_view::npos ? row.size() : found;
    quotes += static_cast<std::size_t>(std::count(row.begin() + static_cast<std::ptrdiff_t>(search),
                                                  row.begin() + static_cast<std::ptrdiff_t>(end), '"'));
    if (quotes % 2 == 1) {
      if (found != std::string_view::npos) {
        search = found + 1;
        continue;
      }
      std::string next;
      if (nextLine && nextLine(next)) {
        if (!isJoined) joined.assign(row);
        isJoined = true;
        joined += ' ';
        joined += next;
        row = joined;
        search = end;
        continue;
      }
      // An open quote on the last line: the value is taken as it stands, without its opening
      // quote and with its doubled quotes made single.
      values.push_back(UnquoteOpen(row.substr(start)));
      break;
    }
    values.push_back(Unquote(row.substr(start, end - start), quotes));
    if (found == std::string_view::npos) break;
    start = search = found + 1;
    quotes = 0;
  }
  if (values.size() < minValues) values.resize(minValues);
  return values;
}

}  // namespace tabulon
