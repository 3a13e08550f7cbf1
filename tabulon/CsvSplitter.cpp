// Splitting a row into values: see CsvSplitter.h.
#include "CsvSplitter.h"

#include <algorithm>

namespace tabulon {
namespace {

// `text` onto `value` with each doubled quote made single.
void AppendUndoubled(std::string_view text, std::string& value) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t quote = text.find('"', i);
    if (quote == std::string_view::npos) {
      value.append(text.substr(i));
      break;
    }
    value.append(text.substr(i, quote + 1 - i));
    i = quote + 1;
    if (i < text.size() && text[i] == '"') ++i;
  }
}

void Unquote(std::string_view candidate, std::size_t quotes, std::string& value) {
  value.clear();
  if (quotes > 2) {
    // The outer characters are the enclosing quotes; what is left holds doubled quotes.
    AppendUndoubled(candidate.substr(1, candidate.size() - 2), value);
  } else {
    value.assign(candidate);
    if (quotes) std::replace(value.begin(), value.end(), '"', ' ');
  }
}

void UnquoteOpen(std::string_view candidate, std::string& value) {
  const std::size_t open = candidate.find('"');
  value.assign(candidate.substr(0, open));
  AppendUndoubled(candidate.substr(open + 1), value);
}

}  // namespace

std::vector<std::string> SplitCsvLine(std::string_view line, char separator, std::size_t minValues,
                                      const NextLineFn& nextLine) {
  std::vector<std::string> values;
  SplitCsvLine(line, separator, values, minValues, nextLine);
  return values;
}

void SplitCsvLine(std::string_view line, char separator, std::vector<std::string>& values, std::size_t minValues,
                  const NextLineFn& nextLine) {
  std::size_t count = 0;
  auto nextValue = [&]() -> std::string& {
    if (count == values.size()) values.emplace_back();
    return values[count++];
  };
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
      UnquoteOpen(row.substr(start), nextValue());
      break;
    }
    Unquote(row.substr(start, end - start), quotes, nextValue());
    if (found == std::string_view::npos) break;
    start = search = found + 1;
    quotes = 0;
  }
  for (std::size_t i = count; i < minValues && i < values.size(); ++i) values[i].clear();
  values.resize(std::max(count, minValues));
}

}  // namespace tabulon
