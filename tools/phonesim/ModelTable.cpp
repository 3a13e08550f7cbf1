#include "ModelTable.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace phonesim {

namespace {

// Versions are the three-letter variant, an underscore and four digits. The second and third
// letters follow the PTE probe's rules: Y family, "I" second is Pimsy and "E" third Ruvel; Z and U,
// "D" second is Tavik or Vesk; C, "E" third is Yorne.
constexpr std::array kRows{
    ModelRow{1, "Ostrel", "Ostrel-100", "Halvane", "00126", 'Y', 64, "YAA_0412"},
    ModelRow{2, "Pimsy", "Pimsy-S", "Halvane", "00126", 'Y', 64, "YIA_0305"},
    ModelRow{3, "Quarn", "Quarn2", "Halvane", "00126", 'Y', 64, "YQT_0210"},
    ModelRow{4, "Ruvel", "Ruvel-E", "Halvane", "00126", 'Y', 64, "YRE_0521"},
    ModelRow{5, "Selka", "Selka-X", "Halvane", "00129", 'Z', 128, "ZSE_0310"},
    ModelRow{6, "Tavik", "Tavik-D", "Halvane", "00129", 'Z', 128, "ZDE_0402"},
    ModelRow{7, "Ulmar", "Ulmar-U", "Halvane", "10129", 'U', 2048, "UAE_0118"},
    ModelRow{8, "Vesk", "Vesk-D", "Halvane", "10129", 'U', 2048, "UDE_0225"},
    ModelRow{9, "Wirra", "Wirra-C", "Halvane", "00135", 'C', 512, "CWA_0330"},
    ModelRow{10, "Yorne", "Yorne-E", "Halvane", "00135", 'C', 512, "CYE_0412"},
    ModelRow{11, "Zenno", "Zenno-M", "Halvane", "00130", 'M', 1024, "MZE_0107"},
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::span<const ModelRow> ModelRows() { return kRows; }

std::optional<ModelRow> FindModel(std::string_view nameOrRow) {
  int number = 0;
  const auto [end, ec] = std::from_chars(nameOrRow.data(), nameOrRow.data() + nameOrRow.size(), number);
  const bool isNumber = ec == std::errc() && end == nameOrRow.data() + nameOrRow.size();
  for (const ModelRow& row : kRows) {
    if (isNumber ? row.row == number : EqualsIgnoringCase(row.name, nameOrRow)) return row;
  }
  return std::nullopt;
}

std::string DescribeModels() {
  std::string text = "row  name    AT+GMM      maker    code   family type  version\n";
  for (const ModelRow& row : kRows) {
    char line[128];
    std::snprintf(line, sizeof line, "%-4d %-7.*s %-11.*s %-8.*s %.*s  %c      %-5d %.*s\n", row.row,
                  static_cast<int>(row.name.size()), row.name.data(), static_cast<int>(row.modelLine.size()),
                  row.modelLine.data(), static_cast<int>(row.maker.size()), row.maker.data(),
                  static_cast<int>(row.modelCode.size()), row.modelCode.data(), row.family, row.phoneType,
                  static_cast<int>(row.swVersion.size()), row.swVersion.data());
    text += line;
  }
  return text;
}

}  // namespace phonesim
