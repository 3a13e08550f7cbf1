// The Linkwell program against local clients that misbehave: clients that reset their connections
// (crashed or killed programs, or a hostile local process). Each reset is an error worth telling,
// but never more than one box at a time, and no client's socket waits for the user: the service's
// windows and descriptors stay where they were, and the next client is served.
//
// The windows of another process are seen through the window station of this process's home, so
// every test of this program runs in the one home made for the process.
#include "LinkSettings.h"

#include "AppTestSupport.h"
#include "ProgramProcess.h"
#include "support/LinkHarness.h"

#include <base/TemporaryHome.h>
#include <kernel/Process.h>
#include <kernel/Wait.h>
#include <phonesim/PhoneSimProcess.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sys/resource.h>
#include <vector>
#include <memory>
#include <string>

namespace {

using linkwell::testing::DescriptorsOf;
using linkwell::testing::Hello;
using linkwell::testing::LinkClient;
using linkwell::testing::StartLinkwell;
using linkwell::testing::WaitUntil;
using linkwell::testing::WindowsOf;

tolvar::testing::TemporaryHome& ProcessHome() {
  static auto* home = new tolvar::testing::TemporaryHome;  // outlives every test of the process
  return *home;
}

class HostileClientTest : public testing::Test {
 protected:
  void SetUp() override {
    ProcessHome();
    m_port = linkwell::testing::FreeLoopbackPort();
    setenv("TOLVAR_LINK_PORT", std::to_string(m_port).c_str(), 1);
    std::ofstream(ProcessHome().File("Phones.ini")) << "-Selka-X,ZSE_0100\r\n";
    CSettingsKey().WriteText("Build", "ZSE_0100");
    ASSERT_TRUE(m_phone.Start({.model = "Selka", .home = ProcessHome().Path()})) << m_phone.Error();
  }
  // Starts the program, with at most `descriptors` open files when that is not 0 (the limit is
  // inherited from this process at the start).
  void StartProgram(rlim_t descriptors = 0) {
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    if (descriptors) {
      rlimit low = saved;
      low.rlim_cur = descriptors;
      setrlimit(RLIMIT_NOFILE, &low);
    }
    m_program = StartLinkwell("Test", ProcessHome().Path(), &m_processId);
    setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_NE(m_program, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return LinkClient(m_port).Connected(); })) << "not listening";
    ASSERT_TRUE(WaitUntil([&] { return WindowsOf(m_processId) > 0; })) << "no window";
    Sleep(200);  // the start's windows settle
  }
  void TearDown() override {
    if (m_program) {
      if (WaitForSingleObject(m_program, 0) == WAIT_TIMEOUT) TerminateProcess(m_program, 1);
      WaitForSingleObject(m_program, linkwell::testing::kStartLimit);
      CloseHandle(m_program);
    }
    unsetenv("TOLVAR_LINK_PORT");
  }

  phonesim::PhoneSimProcess m_phone;
  unsigned m_port = 0;
  HANDLE m_program = nullptr;
  DWORD m_processId = 0;
};

TEST_F(HostileClientTest, ClientsThatResetCannotPileUpWindowsOrDescriptors) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  const int windowsBefore = WindowsOf(m_processId);
  const int descriptorsBefore = DescriptorsOf(m_processId);

  for (int i = 0; i < 60; ++i) {
    LinkClient client(m_port);
    ASSERT_TRUE(client.Connected());
    client.Send(PKT_CLAIM);
    client.Reset();
  }
  // At most the box of the first reset is up, and every client's descriptor is given back.
  EXPECT_TRUE(WaitUntil([&] { return DescriptorsOf(m_processId) <= descriptorsBefore + 2; }, 10000))
      << DescriptorsOf(m_processId) << " descriptors, " << descriptorsBefore << " before";
  EXPECT_LE(WindowsOf(m_processId), windowsBefore + 1) << "message boxes piled up";

  LinkClient client(m_port);
  ASSERT_TRUE(client.Connected());
  EXPECT_EQ(Hello(client), m_phone.ComName() + ",Selka-X");
  EXPECT_EQ(WaitForSingleObject(m_program, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

// A process at its descriptor limit cannot accept every client; the clients it cannot take wait
// in the queue, no box is shown (a box needs descriptors too, for its font), and once the flood
// is gone the owner's client is served.
TEST_F(HostileClientTest, AFloodAtTheDescriptorLimitLeavesTheServiceServing) {
  ASSERT_NO_FATAL_FAILURE(StartProgram(64));
  const int windowsBefore = WindowsOf(m_processId);
  {
    std::vector<std::unique_ptr<LinkClient>> flood;
    for (int i = 0; i < 100; ++i) flood.push_back(std::make_unique<LinkClient>(m_port));
    Sleep(500);
    EXPECT_LE(WindowsOf(m_processId), windowsBefore) << "a box was shown for the refused accepts";
    EXPECT_EQ(WaitForSingleObject(m_program, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  }
  LinkClient client(m_port);
  ASSERT_TRUE(client.Connected());
  EXPECT_EQ(Hello(client), m_phone.ComName() + ",Selka-X");
  EXPECT_EQ(WindowsOf(m_processId), windowsBefore);
}

}  // namespace
