#pragma once
// What the phone's answers mean: the AT model table (model answer -> phone-type code), the PTE
// probe table (model code for "UsePteCommand", family letter, phone-type code, and the model named
// by the software version's letters), and how the model line is read out of an "AT+GMM" answer.
#include <base/WinDef.h>

#include <span>
#include <string>
#include <string_view>

// The phone-type code of a maker's phone whose model answer begins with no row's name.
constexpr int PHONE_TYPE_DEFAULT = 64;
constexpr int PHONE_TYPE_NONE = -1;

struct AtModelRow {
  const char* name;  // a prefix of the phone's model answer
  int phoneType;
};
// The code of the first row of the AT model table whose name begins `model`; PHONE_TYPE_DEFAULT
// when none does.
int PhoneTypeOfModel(std::string_view model);

struct PteProbeRow {
  const char* modelCode;  // for "UsePteCommand"
  char family;            // the software version's first letter
  int phoneType;
};
std::span<const PteProbeRow> PteProbeTable();
constexpr int PTE_PROBE_ROWS = 5;
// The model that row `row` names for `version`, or empty when the version does not begin with the
// row's family letter. Letters past the version's end count as none.
std::string PteModelName(int row, std::string_view version);

// The model line of an "AT+GMM" answer (echo, lines and result code as they came): the answer up
// to its first "OK", then its last line of at least two characters.
std::string ModelLineOfAnswer(std::string_view answer);
