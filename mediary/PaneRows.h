#pragma once
// The texts and orderings both panes share, without windows: size and type cells, the row
// comparison of the list base, names in the phone's terms, unique new-folder names, the lines of
// the drag image and the state of the Delete command.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The phone pane's size cell: "%d B" up to 1023 bytes, else "%d KB" rounded to the nearest KB; ""
// for 0.
std::string PhoneSizeText(std::uint32_t size);
// The Type cell of a phone file: the kind name without its "keFT" prefix ("" for short names).
std::string KindTypeText(std::string_view kind);
// The PC pane's size cell: bytes / 1024 rounded up, "%.f KB".
std::string PcSizeText(std::uint64_t size);

// The cells of one row as the comparison reads them: name, size, type, modified (views of the
// row's own texts, so sorting copies nothing).
struct RowTexts {
  std::uint32_t dataWord = 0;
  std::array<std::string_view, 4> cells;
};
// < 0, 0 or > 0: the parent entry first, folders before files (in either direction), then the
// column: 1 as numbers, 3 as "dd-mm-yyyy hh:mm" times, others as text without regard to case;
// equal numbers or times fall back to the names.
int CompareRows(const RowTexts& a, const RowTexts& b, int column, bool ascending);

// Bytes of a name in UTF-8, as the phone stores it (the limit of a new phone name is 35).
constexpr std::size_t kMaxPhoneNameBytes = 35;
std::size_t Utf8Length(std::string_view name);
// Bytes of a name in the phone's own character set: one for a character below U+0080, two for any
// other.
std::size_t PhoneCharsetLength(std::string_view utf8);
// A name from the phone made safe for a PC path: separators removed; nullopt for "", "." and "..".
std::optional<std::string> SafePhoneName(std::string_view name);

// "base", else "base (1)", "base (2)", ... : the first that `exists` refuses.
std::string MakeNewFolderName(const std::string& base, const std::function<bool(const std::string&)>& exists);
// A command text without its "&" marks.
std::string WithoutAmpersands(std::string_view text);

// The lines of a drag image for the selected names: at most five, and "..." when there are more.
std::vector<std::string> DragImageLines(const std::vector<std::string>& names);

// What the Delete command offers for a selection of phone rows.
enum class DeleteCommand { Delete, Undelete, Disabled };
DeleteCommand DeleteCommandFor(const std::vector<std::uint32_t>& selectedWords);

// Phone folders with ids 1 to 15 are the phone's fixed folders; files with such ids are ordinary.
bool IsFixedPhoneFolder(std::uint32_t dataWord, std::uint32_t id);
