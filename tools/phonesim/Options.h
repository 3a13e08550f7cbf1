#pragma once
// The command line of phonesim.
#include "Faults.h"
#include "ModelTable.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace phonesim {

struct Options {
  bool help = false;
  bool listModels = false;
  std::optional<ModelRow> model;
  std::optional<std::string> swVersion;
  std::optional<std::string> maker;  // the answer to "AT+GMI" instead of the row's maker
  bool refuseEcho = false;           // answer "ATE1" with ERROR
  std::string device;  // empty: a new pseudo-terminal
  std::string home;    // empty: the current home
  std::string state;   // empty: "phonesim" in the home
  int baud = 115200;
  std::optional<std::chrono::milliseconds> offTime = std::chrono::milliseconds(1000);
  bool control = true;
  Faults faults;
};

// Parses the arguments after the program name; gives none and a reason for bad input.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

std::string HelpText();

}  // namespace phonesim
