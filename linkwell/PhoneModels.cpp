#include "PhoneModels.h"

#include <array>

namespace {

constexpr std::array<AtModelRow, 11> kAtModels{{
    {"Ostrel", 64}, {"Pimsy", 64}, {"Quarn", 64}, {"Ruvel", 64}, {"Selka", 128}, {"Tavik", 128},
    {"Ulmar", 2048}, {"Vesk", 2048}, {"Wirra", 512}, {"Yorne", 512}, {"Zenno", 1024},
}};

constexpr std::array<PteProbeRow, PTE_PROBE_ROWS> kPteRows{{
    {"00126", 'Y', 64}, {"00129", 'Z', 128}, {"10129", 'U', 2048}, {"00135", 'C', 512}, {"00130", 'M', 1024},
}};

// Letter n (from 1) of the version, or NUL when the version is shorter.
char Letter(std::string_view version, std::size_t n) { return version.size() >= n ? version[n - 1] : '\0'; }

// One rule per row: which letters pick which model of the family.
using ModelRule = const char* (*)(std::string_view version);
constexpr std::array<ModelRule, PTE_PROBE_ROWS> kModelRules{
    [](std::string_view v) { return Letter(v, 2) == 'I' ? "Pimsy" : Letter(v, 3) == 'E' ? "Ruvel" : "Ostrel"; },
    [](std::string_view v) { return Letter(v, 2) == 'D' ? "Tavik" : "Selka"; },
    [](std::string_view v) { return Letter(v, 2) == 'D' ? "Vesk" : "Ulmar"; },
    [](std::string_view v) { return Letter(v, 3) == 'E' ? "Yorne" : "Wirra"; },
    [](std::string_view) { return "Zenno"; },
};

}  // namespace

int PhoneTypeOfModel(std::string_view model) {
  for (const AtModelRow& row : kAtModels) {
    if (model.starts_with(row.name)) return row.phoneType;
  }
  return PHONE_TYPE_DEFAULT;
}

std::span<const PteProbeRow> PteProbeTable() { return kPteRows; }

std::string PteModelName(int row, std::string_view version) {
  if (row < 0 || row >= PTE_PROBE_ROWS || Letter(version, 1) != kPteRows[row].family) return {};
  return kModelRules[row](version);
}

std::string ModelLineOfAnswer(std::string_view answer) {
  std::string_view text = answer.substr(0, answer.find("OK"));
  // Line ends and empty lines after the model are cut off one carriage return at a time.
  for (;;) {
    const std::size_t cr = text.rfind('\r');
    if (cr == std::string_view::npos) return std::string(text);  // a single line, without line ends
    if (text.size() - cr - 1 < 3) {
      text = text.substr(0, cr);
      continue;
    }
    std::string_view line = text.substr(cr + 1);
    if (line.front() == '\n') line.remove_prefix(1);
    return std::string(line);
  }
}
