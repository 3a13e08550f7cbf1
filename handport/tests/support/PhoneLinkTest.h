#pragma once
// The fixture of the library's end-to-end tests: the simulated phone on a pseudo-terminal, the
// link service's own core finding it through the ports of the phone's home, and the library's
// link engine connected to the service with the phone woken into its command mode. The line is
// fast unless a fixture asks for the phone's own pace.
#include "LinkEngine.h"
#include "support/LinkServiceHost.h"

#include <phonesim/PhoneSimProcess.h>

#include <base/LastError.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

class PhoneLinkTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(phone.Start({.model = "Selka", .arguments = phoneArguments})) << phone.Error();
    // The service finds the phone's port through the registry of the phone's home.
    setenv("TOLVAR_HOME", phone.Home().c_str(), 1);
    std::ofstream(phone.Home() + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
    service = std::make_unique<LinkServiceHost>(phone.Home() + "/Phones.ini");
    ASSERT_NE(service->Port(), 0);
    engine = std::make_unique<CLinkEngine>(service->Address());
    engine->SetWakeUpDrainTime(kTestWakeUpDrainTime);
    ASSERT_EQ(engine->WakePhone(3000), 1) << std::hex << GetLastError();
  }

  void TearDown() override {
    engine.reset();  // gives the link up
    service.reset();
    phone.Stop();
  }

  // The commands the phone heard since it was last woken.
  std::vector<std::string> Journal() const {
    std::ifstream in(phone.Home() + "/phonesim/journal.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // A fast line: most transfers here are long, and the phone's pace is not what they test. A
  // fixture that wants the real pace of 115,200 baud clears this before SetUp.
  std::vector<std::string> phoneArguments{"--baud", "2000000"};
  phonesim::PhoneSimProcess phone;
  std::unique_ptr<LinkServiceHost> service;
  std::unique_ptr<CLinkEngine> engine;
};
