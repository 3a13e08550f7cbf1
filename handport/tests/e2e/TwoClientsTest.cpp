// Two programs of the suite that start together: each opens the link through its own engine while
// the other's hello may be searching for the phone.
#include "LinkEngine.h"
#include "support/LinkServiceHost.h"

#include <phonesim/PhoneSimProcess.h>

#include <base/LastError.h>
#include <base/Time.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

TEST(TwoClientsTest, TwoProgramsStartedTogetherBothReachThePhone) {
  phonesim::PhoneSimProcess phone;
  ASSERT_TRUE(phone.Start({.model = "Selka", .arguments = {"--baud", "2000000"}})) << phone.Error();
  setenv("TOLVAR_HOME", phone.Home().c_str(), 1);
  std::ofstream(phone.Home() + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
  LinkServiceHost service(phone.Home() + "/Phones.ini");
  ASSERT_NE(service.Port(), 0);
  int result[2] = {};
  DWORD error[2] = {}, took[2] = {};
  auto program = [&](int i) {
    CLinkEngine engine(service.Address());
    engine.SetWakeUpDrainTime(kTestWakeUpDrainTime);
    const DWORD start = GetTickCount();
    result[i] = engine.WakePhone(3000);
    error[i] = GetLastError();
    took[i] = GetTickCount() - start;
    Sleep(500);  // the program's work
    engine.Disconnect();
  };
  std::thread first(program, 0), second(program, 1);
  first.join();
  second.join();
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(result[i], 1) << i << " error " << std::hex << error[i] << std::dec << " after " << took[i] << " ms";
  phone.Stop();
}

}  // namespace
