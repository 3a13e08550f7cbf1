#pragma once
// The phones the simulator can play. Each row is one model of the maker's family: the name the AT
// model table knows it by, the line it answers to "AT+GMM", its PTE family (the model code that
// "UsePteCommand" must name, the letter its software version begins with) and that version, chosen
// so that the PTE probe's letter rules name the same model.
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace phonesim {

struct ModelRow {
  int row;                       // 1-based, the AT model table's order
  std::string_view name;         // the AT model table's name, a prefix of the model line
  std::string_view modelLine;    // the answer to "AT+GMM"
  std::string_view maker;        // the answer to "AT+GMI"
  std::string_view modelCode;    // the argument of "UsePteCommand" that selects its command set
  char family;                   // the first letter of every software version of the family
  int phoneType;                 // the link service's phone-type code for the model
  std::string_view swVersion;    // the answer to "ShowSwVersion"
};

std::span<const ModelRow> ModelRows();

// A row by its number ("5") or its name, ignoring case ("selka"); none when nothing matches.
std::optional<ModelRow> FindModel(std::string_view nameOrRow);

// The rows as a table for people, one line each, with a heading.
std::string DescribeModels();

}  // namespace phonesim
