// Shared texts and orderings of the panes.
#include "PaneRows.h"

#include "TransferRecord.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <algorithm>

std::string PhoneSizeText(std::uint32_t size) {
  if (size == 0) return {};
  char text[32];
  if (size > 1023) std::snprintf(text, sizeof text, "%u KB", unsigned((std::uint64_t(size) + 512) >> 10));
  else std::snprintf(text, sizeof text, "%u B", unsigned(size));
  return text;
}

std::string KindTypeText(std::string_view kind) {
  return kind.size() > 4 ? std::string(kind.substr(4)) : std::string();
}

std::string PcSizeText(std::uint64_t size) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu KB", static_cast<unsigned long long>((size + 1023) / 1024));
  return text;
}

namespace {

int Sign(long long value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

std::string_view Cell(const RowTexts& row, int column) {
  return column >= 0 && std::size_t(column) < row.cells.size() ? row.cells[std::size_t(column)] : std::string_view();
}

int CompareText(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return Sign((long long)a.size() - (long long)b.size());
}

// The whole number at the start of a cell (0 when there is none).
long long LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && value < (1LL << 58); ++i)
    value = value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

// Minutes since year 0 of a "dd-mm-yyyy hh:mm" cell; fields that do not parse count as 0.
long long TimeKey(std::string_view text) {
  long long fields[5] = {};
  std::size_t i = 0;
  for (long long& field : fields) {
    const std::size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && field < 100000)
      field = field * 10 + (text[i++] - '0');
    if (i == start || i >= text.size()) break;
    ++i;  // the separator
  }
  const auto [day, month, year, hour, minute] = fields;
  return ((((long long)year * 13 + month) * 32 + day) * 24 + hour) * 60 + minute;
}

}  // namespace

int CompareRows(const RowTexts& a, const RowTexts& b, int column, bool ascending) {
  using namespace RowBits;
  const bool parentA = a.dataWord & Parent, parentB = b.dataWord & Parent;
  if (parentA != parentB) return parentA ? -1 : 1;
  const bool folderA = a.dataWord & Folder, folderB = b.dataWord & Folder;
  if (folderA != folderB) return folderA ? -1 : 1;
  int result;
  if (column == 1 || column == 3) {
    const long long keyA = column == 1 ? LeadingNumber(Cell(a, 1)) : TimeKey(Cell(a, 3));
    const long long keyB = column == 1 ? LeadingNumber(Cell(b, 1)) : TimeKey(Cell(b, 3));
    result = Sign(keyA - keyB);
    if (result == 0) result = CompareText(Cell(a, 0), Cell(b, 0));
  } else {
    result = CompareText(Cell(a, column), Cell(b, column));
  }
  return ascending ? result : -result;
}

std::size_t Utf8Length(std::string_view name) { return name.size(); }

std::size_t PhoneCharsetLength(std::string_view utf8) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) length += 1;
    else if ((c & 0xC0) != 0x80) length += 2;  // a lead byte starts one character
  }
  return length;
}

std::optional<std::string> SafePhoneName(std::string_view name) {
  std::string safe;
  for (char c : name)
    if (c != '\\' && c != '/') safe += c;
  if (safe.empty() || safe == "." || safe == "..") return std::nullopt;
  return safe;
}

std::string MakeNewFolderName(const std::string& base, const std::function<bool(const std::string&)>& exists) {
  std::string name = base;
  for (int counter = 1; exists(name); ++counter) name = base + " (" + std::to_string(counter) + ")";
  return name;
}

std::string WithoutAmpersands(std::string_view text) {
  std::string result;
  for (char c : text)
    if (c != '&') result += c;
  return result;
}

std::vector<std::string> DragImageLines(const std::vector<std::string>& names) {
  constexpr std::size_t kShown = 5;
  std::vector<std::string> lines(names.begin(), names.begin() + std::ptrdiff_t(std::min(names.size(), kShown)));
  if (names.size() > kShown) lines.emplace_back("...");
  return lines;
}

DeleteCommand DeleteCommandFor(const std::vector<std::uint32_t>& selectedWords) {
  std::size_t marked = 0;
  for (std::uint32_t word : selectedWords)
    if (word & RowBits::Marked) ++marked;
  if (marked == 0) return DeleteCommand::Delete;
  return marked == selectedWords.size() ? DeleteCommand::Undelete : DeleteCommand::Disabled;
}

bool IsFixedPhoneFolder(std::uint32_t dataWord, std::uint32_t id) {
  return (dataWord & RowBits::Folder) && id >= 1 && id <= 15;
}
