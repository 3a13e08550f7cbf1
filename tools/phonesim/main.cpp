// phonesim: the simulated phone. See HelpText() in Options.cpp for how to run it.
#include "CommandTable.h"
#include "Options.h"
#include "Phone.h"
#include "PhoneState.h"
#include "PortRegistration.h"
#include "SerialLine.h"
#include "Simulator.h"

#include <base/Home.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
  using namespace phonesim;
  std::string error;
  const std::optional<Options> options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "phonesim: " << error << "\n";
    return 2;
  }
  if (options->help) {
    std::cout << HelpText();
    return 0;
  }
  if (options->listModels) {
    std::cout << DescribeModels();
    return 0;
  }
  try {
    if (!options->home.empty()) {
      std::filesystem::create_directories(options->home);
      setenv("TOLVAR_HOME", std::filesystem::absolute(options->home).c_str(), 1);
    }
    const std::filesystem::path stateFolder =
        options->state.empty() ? std::filesystem::path(tolvar::HomeFolder()) / "phonesim" : std::filesystem::path(options->state);
    std::unique_ptr<PhoneState> state = PhoneState::Open(stateFolder, options->model, options->swVersion, error);
    if (!state) {
      std::cerr << "phonesim: " << error << "\n";
      return 1;
    }
    std::unique_ptr<SerialLine> line = options->device.empty()
                                           ? SerialLine::OpenPseudoTerminal(error)
                                           : SerialLine::OpenDevice(options->device, options->baud, error);
    if (!line) {
      std::cerr << "phonesim: " << error << "\n";
      return 1;
    }
    PortRegistration registration(line->DevicePath());
    std::string comName = registration.ComName();
    if (comName.empty()) {
      std::cerr << "phonesim: the registry of " << tolvar::HomeFolder() << " did not take " << line->DevicePath()
                << "\n";
      comName = "-";
    }
    const CommandTable commands = CommandTable::Full();
    Phone phone(*state, commands, options->offTime);
    if (options->maker) phone.SetMaker(*options->maker);
    phone.SetRefuseEcho(options->refuseEcho);
    // The one line a parent waits for; everything after it on stdout answers control lines.
    std::printf("%s %s\n", comName.c_str(), line->DevicePath().c_str());
    std::fflush(stdout);
    Simulator simulator(*line, phone, options->baud, options->faults, options->control, &registration);
    return simulator.Run();
  } catch (const std::exception& e) {
    std::cerr << "phonesim: " << e.what() << "\n";
    return 1;
  }
}
