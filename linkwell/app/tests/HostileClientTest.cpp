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
    m_program = StartLinkwell("Test", ProcessHome().Path(), &m_processId);
    ASSERT_NE(m_program, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return LinkClient(m_port).Connected(); })) << "not listening";
    ASSERT_TRUE(WaitUntil([&] { return WindowsOf(m_processId) > 0; })) << "no window";
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
  Sleep(200);  // the start's windows settle
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

}  // namespace
