#include "Faults.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace phonesim {

namespace {

std::optional<long long> ParseCount(std::string_view text) {
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

std::optional<bool> ParseSwitch(std::string_view text) {
  if (text == "on") return true;
  if (text == "off") return false;
  return std::nullopt;
}

}  // namespace

std::string ApplyControlLine(std::string_view line, Faults& faults) {
  std::istringstream in{std::string(line)};
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  if (words.empty()) return "empty control line";
  const std::string& verb = words[0];
  if (verb != "clear" && verb != "silent" && verb != "garbage" && verb != "delay" && verb != "drop" &&
      verb != "drop-received") {
    return "unknown control command: " + verb;
  }
  if (verb == "clear" && words.size() == 1) {
    faults = {};
    return {};
  }
  if (words.size() != 2) return "expected: " + verb + " <value>";
  const std::string& value = words[1];
  if (verb == "silent") {
    if (auto on = ParseSwitch(value)) {
      faults.silent = *on;
      faults.silentAnswers = 0;
      return {};
    }
    if (auto count = ParseCount(value); count && *count <= 1'000'000) {
      faults.silent = false;
      faults.silentAnswers = static_cast<int>(*count);
      return {};
    }
    return "silent takes on, off or a count";
  }
  if (verb == "garbage") {
    if (auto on = ParseSwitch(value)) {
      faults.garbage = *on;
      return {};
    }
    return "garbage takes on or off";
  }
  const std::optional<long long> count = ParseCount(value);
  if (!count) return verb + " takes a number of at least 0";
  if (verb == "delay") {
    faults.delay = std::chrono::milliseconds(*count);
    return {};
  }
  if (verb == "drop") {
    faults.dropAfterSent = *count;
    return {};
  }
  faults.dropAfterReceived = *count;  // "drop-received", the last verb left
  return {};
}

std::string NoiseSource::Make(std::size_t length) {
  if (length == 0) return {};
  std::string noise;
  noise.reserve(length);
  for (std::size_t i = 0; i + 1 < length; ++i) {
    m_seed = m_seed * 1103515245u + 12345u;
    noise.push_back(static_cast<char>(0x80 + (m_seed >> 16) % (0xFC - 0x80)));
  }
  noise.push_back('\x16');
  return noise;
}

}  // namespace phonesim
