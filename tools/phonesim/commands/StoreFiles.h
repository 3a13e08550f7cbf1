#pragma once
// Small helpers that the command families share: reading their arguments, hex text, and the
// files of their stores (each family keeps its store in a sub-folder of the state folder).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phonesim {

// A whole decimal number, optionally negative; none for anything else.
std::optional<long long> ParseNumber(std::string_view text);

// Two upper-case hex digits per byte.
std::string HexOf(std::string_view bytes);
// The bytes of hex text in either case; none when it is not hex of whole bytes.
std::optional<std::string> BytesOfHex(std::string_view hex);

// The bytes of a file; none when it does not exist or cannot be read.
std::optional<std::string> ReadStoreFile(const std::filesystem::path& file);
// Replaces a file as a whole (a temporary file renamed over it), so a stopped phone never leaves
// half a file.
bool WriteStoreFile(const std::filesystem::path& file, std::string_view bytes);
void RemoveStoreFile(const std::filesystem::path& file);

// The lines of a small text file of a store, and writing them back.
std::vector<std::string> ReadStoreLines(const std::filesystem::path& file);
bool WriteStoreLines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// The ','-items of a text, empty ones kept.
std::vector<std::string> SplitItems(std::string_view text, char separator = ',');

}  // namespace phonesim
