// The link service end to end: the service's worker and connect thread in this process, clients
// speaking link packets over loopback TCP, and the simulated phone on a pseudo-terminal registered
// as a COM port. The frame is a double that records what the service asks of it.
#include "LinkService.h"

#include "support/LinkHarness.h"

#include <PseudoPort.h>
#include <TemporaryHome.h>
#include <phonesim/PhoneSimProcess.h>

#include <base/Time.h>
#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

using linkwell::testing::Hello;
using linkwell::testing::LinkClient;
using linkwell::testing::LinkPacket;
using linkwell::testing::RecordingFrame;
using linkwell::testing::ServiceHost;

constexpr DWORD kAnswer = 3000;  // a reply through the link, or the service's own answer

class LinkServiceTest : public testing::Test {
 protected:
  void StartPhone(const std::string& model, std::vector<std::string> arguments = {}) {
    ASSERT_TRUE(m_phone.Start({.model = model, .home = m_home.Path(), .arguments = std::move(arguments)}))
        << m_phone.Error();
    ASSERT_TRUE(m_phone.ComName().starts_with("COM")) << m_phone.ComName();
  }
  void WritePhoneList(const std::string& text) { std::ofstream(PhoneListPath()) << text; }
  std::string PhoneListPath() const { return m_home.Path() + "/Phones.ini"; }
  void SetCommsTimeOut(DWORD ms) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "CommsTimeOut", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&ms), sizeof ms),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void StartService() { m_host = std::make_unique<ServiceHost>(m_frame, PhoneListPath()); }
  std::unique_ptr<LinkClient> Connect() {
    auto client = std::make_unique<LinkClient>(m_host->Port());
    EXPECT_TRUE(client->Connected());
    return client;
  }
  // Hello and claim, as the phone-access library opens the link; the claim has no answer, so the
  // frame's timer start tells that it was taken.
  void Open(LinkClient& client) {
    ASSERT_EQ(Hello(client), m_phone.ComName() + "," + m_expectedModel);
    m_frame.Forget();
    client.Send(PKT_CLAIM);
    ASSERT_TRUE(m_frame.WaitFor("SetIdleTimer " + std::to_string(m_idleTimeout), kAnswer));
  }
  // Wakes the phone through the link and opens its command set.
  void Talk(LinkClient& client) {
    client.WakePhone();
    client.SendFrame("UsePteCommand,00129");
    EXPECT_EQ(client.ReceiveReply(kAnswer), "UsePteCommand:RET:1");
    client.SendFrame("ShowSwVersion");
    EXPECT_EQ(client.ReceiveReply(kAnswer), "ShowSwVersion:RET:ZDE_0402");
  }
  void ExpectRefused(LinkClient& client) {
    const std::optional<LinkPacket> answer = client.ReceiveSome(kAnswer);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->type, PKT_REFUSED);
    EXPECT_TRUE(answer->payload.empty());
  }
  template <class T>
  T OnMain(T (CLinkService::*query)()) {
    T value{};
    m_host->OnMainThread([&](CLinkService& service) { value = (service.*query)(); });
    return value;
  }
  void TearDown() override {
    m_host.reset();
    m_phone.Stop();
  }

  tolvar::comm::testing::TemporaryHome m_home;
  phonesim::PhoneSimProcess m_phone;
  RecordingFrame m_frame;
  std::unique_ptr<ServiceHost> m_host;
  std::string m_expectedModel = "Tavik-D";
  DWORD m_idleTimeout = CLinkService::kDefaultIdleTimeout;
};

TEST_F(LinkServiceTest, AHelloFindsThePhoneAndItsOwnerTalksToItUntilItReleasesTheLink) {
  StartPhone("Tavik");
  WritePhoneList("-Selka,ZSE_0100\r\n-Tavik,ZDE_0100\r\n");
  StartService();
  auto client = Connect();
  ASSERT_EQ(Hello(*client), m_phone.ComName() + ",Tavik-D");
  const std::vector<std::string> search{"StartAnimation Search", "ShowStatus 138 Tavik-D connected on " + m_phone.ComName(),
                                        "StopAnimation"};
  EXPECT_EQ(m_frame.Calls(), search);
  EXPECT_EQ(OnMain(&CLinkService::PhoneType), 128);
  EXPECT_FALSE(OnMain(&CLinkService::IsRelayPortOpen));  // the owner's first write opens it

  m_frame.Forget();
  client->Send(PKT_CLAIM);
  ASSERT_TRUE(m_frame.WaitFor("SetIdleTimer 7000", kAnswer));
  EXPECT_EQ(m_frame.Calls().front(), "StartAnimation InUse");
  Talk(*client);
  EXPECT_TRUE(OnMain(&CLinkService::IsRelayPortOpen));

  m_frame.Forget();
  client->Send(PKT_RELEASE);
  ASSERT_TRUE(m_frame.WaitFor("KillIdleTimer", kAnswer));
  EXPECT_EQ(m_frame.Calls(), (std::vector<std::string>{"StopAnimation", "KillIdleTimer"}));
  EXPECT_FALSE(OnMain(&CLinkService::IsLinkOwned));
  EXPECT_FALSE(OnMain(&CLinkService::IsRelayPortOpen));

  // At its end the service tells the client that spoke last.
  m_host->Stop();
  const std::optional<LinkPacket> last = client->ReceiveSome(kAnswer);
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(last->type, PKT_RELEASE);
}

// The search walks every port that opens: ports where nothing answers, listed before and after the
// phone's, are passed over, and the phone is found on its own port whichever end the walk starts.
TEST_F(LinkServiceTest, TheSearchPassesOverSilentPortsAndFindsThePhoneOnItsOwn) {
  tolvar::comm::testing::PseudoPort before;
  StartPhone("Tavik");
  tolvar::comm::testing::PseudoPort after;
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto client = Connect();
  EXPECT_EQ(Hello(*client, 30000), m_phone.ComName() + ",Tavik-D");
  EXPECT_EQ(OnMain(&CLinkService::SelectedPort).reportPort, m_phone.ComName());
  EXPECT_EQ(OnMain(&CLinkService::PhoneType), 128);
}

TEST_F(LinkServiceTest, AModelOutsideThePhoneListIsLeftOutOfTheAnswer) {
  StartPhone("Selka");  // and no phone list at all
  StartService();
  auto client = Connect();
  EXPECT_EQ(Hello(*client), m_phone.ComName() + ",");
  EXPECT_EQ(OnMain(&CLinkService::PhoneType), 128);
  EXPECT_EQ(OnMain(&CLinkService::SelectedPort).reportPort, m_phone.ComName());
}

TEST_F(LinkServiceTest, WithoutAPhoneTheAnswerIsALoneNulAndOnlyTheUsersSearchIsShown) {
  StartService();
  auto client = Connect();
  client->Send(PKT_CONNECT);
  std::optional<LinkPacket> answer = client->ReceiveSome(15000);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->type, PKT_CONNECT_RESULT);
  EXPECT_EQ(answer->payload, linkwell::testing::Bytes{0});
  EXPECT_TRUE(m_frame.Called("ShowStatus 137 No phone connected."));
  EXPECT_TRUE(m_frame.Called("PostNotice 129"));
  EXPECT_FALSE(OnMain(&CLinkService::TakeNotice));  // the client asked; the user is not told

  m_frame.Forget();
  EXPECT_TRUE(OnMain(&CLinkService::FindPhone));
  ASSERT_TRUE(m_frame.WaitFor("PostNotice 129", 15000));
  EXPECT_TRUE(OnMain(&CLinkService::TakeNotice));
  EXPECT_FALSE(OnMain(&CLinkService::TakeNotice));
  // The tray's search answers the client that spoke last.
  answer = client->ReceiveSome(kAnswer);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->type, PKT_CONNECT_RESULT);
}

TEST_F(LinkServiceTest, ASecondClientIsRefusedWhileTheFirstOwnsTheLink) {
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto first = Connect();
  Open(*first);
  auto second = Connect();
  for (BYTE type : {PKT_CLAIM, PKT_CONNECT, PKT_TO_PHONE}) {
    SCOPED_TRACE(static_cast<int>(type));
    second->Send(type, type == PKT_TO_PHONE ? std::string("AT\r") : std::string());
    ExpectRefused(*second);
  }
  second->Send(PKT_RELEASE);  // ignored: the first keeps the link
  EXPECT_FALSE(second->ReceiveSome(300).has_value());
  EXPECT_TRUE(OnMain(&CLinkService::IsLinkOwned));
  Talk(*first);

  first->Send(PKT_RELEASE);
  ASSERT_TRUE(m_frame.WaitFor("KillIdleTimer", kAnswer));
  second->Send(PKT_CLAIM);
  EXPECT_FALSE(second->ReceiveSome(300).has_value());  // taken without an answer
  Talk(*second);
  first->Send(PKT_TO_PHONE, std::string("AT\r"));
  ExpectRefused(*first);
}

TEST_F(LinkServiceTest, TheOwnersOwnHelloIsRefusedAndItsConversationGoesOn) {
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto client = Connect();
  Open(*client);
  Talk(*client);
  m_frame.Forget();
  client->Send(PKT_CONNECT);
  ExpectRefused(*client);
  EXPECT_FALSE(m_frame.Called("StartAnimation Search"));  // no search closed the port
  EXPECT_TRUE(OnMain(&CLinkService::IsRelayPortOpen));
  client->SendFrame("ShowSwVersion");
  EXPECT_EQ(client->ReceiveReply(kAnswer), "ShowSwVersion:RET:ZDE_0402");
}

TEST_F(LinkServiceTest, AClientThatFloodsTheLinkCostsTheOwnerOnlyItsShare) {
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto owner = Connect();
  Open(*owner);
  Talk(*owner);
  // Each refusal costs the service its 1 ms pause: served one after the other, this flood would
  // keep the owner waiting for at least 5 s.
  constexpr int kFlood = 5000;
  auto flooder = Connect();
  for (int i = 0; i < kFlood; ++i) flooder->Send(PKT_TO_PHONE);
  ExpectRefused(*flooder);  // the flood is being served
  owner->SendFrame("ShowSwVersion");
  std::optional<LinkPacket> other;
  EXPECT_EQ(owner->ReceiveReply(kAnswer, &other), "ShowSwVersion:RET:ZDE_0402");
  EXPECT_FALSE(other.has_value()) << static_cast<int>(other->type);
  flooder->Close();
}

TEST_F(LinkServiceTest, TheIdleTimeOutReleasesASilentOwner) {
  SetCommsTimeOut(300);
  m_idleTimeout = 1300;
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto first = Connect();
  Open(*first);
  const DWORD claimed = GetTickCount();
  ASSERT_TRUE(m_frame.WaitFor("KillIdleTimer", 5000));
  EXPECT_GE(GetTickCount() - claimed, m_idleTimeout - 50);
  EXPECT_TRUE(m_frame.Called("StopAnimation"));
  EXPECT_FALSE(OnMain(&CLinkService::IsLinkOwned));
  EXPECT_FALSE(first->ReceiveSome(100).has_value());  // the former owner is not told

  auto second = Connect();
  second->Send(PKT_CLAIM);
  EXPECT_FALSE(second->ReceiveSome(300).has_value());
  Talk(*second);
  first->Send(PKT_TO_PHONE, std::string("AT\r"));
  ExpectRefused(*first);
}

TEST_F(LinkServiceTest, AnIdleTickWhileTheOwnerTalksLeavesItTheLinkAndThePort) {
  SetCommsTimeOut(300);
  m_idleTimeout = 1300;
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto client = Connect();
  Open(*client);
  client->WakePhone();
  client->SendFrame("UsePteCommand,00129");
  // A tick of timer 2 that was on its way when the owner spoke again (the frame's queue held it)
  // comes now, in the middle of the conversation.
  m_host->OnMainThread([](CLinkService& service) { service.OnIdleTimer(); });
  EXPECT_EQ(client->ReceiveReply(kAnswer), "UsePteCommand:RET:1");
  for (int i = 0; i < 5; ++i) {
    client->SendFrame("ShowSwVersion");
    EXPECT_EQ(client->ReceiveReply(kAnswer), "ShowSwVersion:RET:ZDE_0402");
    m_host->OnMainThread([](CLinkService& service) { service.OnIdleTimer(); });
    Sleep(400);  // talking every 400 ms or so keeps the link past its 1300 ms of idle time
  }
  EXPECT_TRUE(OnMain(&CLinkService::IsLinkOwned));
  EXPECT_TRUE(OnMain(&CLinkService::IsRelayPortOpen));
  EXPECT_FALSE(m_frame.Called("KillIdleTimer"));
}

TEST_F(LinkServiceTest, ALineDroppedInTheMiddleOfARelayIsReportedAndTheNextHelloFindsThePhoneAgain) {
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto client = Connect();
  Open(*client);
  client->WakePhone();
  client->SendFrame("UsePteCommand,00129");
  ASSERT_EQ(client->ReceiveReply(kAnswer), "UsePteCommand:RET:1");

  ASSERT_TRUE(m_phone.SetFault(phonesim::Fault::DropAfterReceived, 4));
  client->SendFrame("ShowSwVersion");
  std::optional<LinkPacket> other;
  EXPECT_FALSE(client->ReceiveReply(kAnswer, &other).has_value());
  ASSERT_TRUE(other.has_value());
  EXPECT_EQ(other->type, PKT_REFUSED);  // the link is down
  // The worker lives on: the port does not open again, and the owner is told so.
  client->SendFrame("ShowSwVersion");
  ExpectRefused(*client);
  client->Send(PKT_RELEASE);
  ASSERT_TRUE(m_frame.WaitFor("KillIdleTimer", kAnswer));

  // The phone is still in command mode: the AT probe hears nothing, and the PTE probe finds it and
  // names it by its version.
  ASSERT_TRUE(m_phone.Control("reconnect"));
  m_expectedModel = "Tavik";
  Open(*client);
  client->WakePhone();
  client->SendFrame("UsePteCommand,00129");
  EXPECT_EQ(client->ReceiveReply(kAnswer), "UsePteCommand:RET:1");
  client->SendFrame("ShowSwVersion");
  EXPECT_EQ(client->ReceiveReply(kAnswer), "ShowSwVersion:RET:ZDE_0402");
}

TEST_F(LinkServiceTest, AClientThatGoesAwayGivesUpTheLink) {
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto first = Connect();
  Open(*first);
  first->Close();
  ASSERT_TRUE(m_frame.WaitFor("KillIdleTimer", kAnswer));
  // A PKT_TO_PHONE on a free link claims it, opens the port and writes.
  auto second = Connect();
  Talk(*second);
  EXPECT_TRUE(OnMain(&CLinkService::IsLinkOwned));
  first = Connect();
  first->Send(PKT_CLAIM);
  ExpectRefused(*first);
}

TEST_F(LinkServiceTest, AnOwnerThatClosesAndConnectsAgainAtOnceIsAnsweredNotRefused) {
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto client = Connect();
  Open(*client);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    // As the library reconnects: the old connection's close and the new hello race to the service.
    client = Connect();
    Open(*client);
  }
}

TEST_F(LinkServiceTest, TheUsersChoiceOfPortNamesTheRelayPortAndIsProbedFirst) {
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  const PortList ports = OnMain(&CLinkService::Ports);
  ASSERT_EQ(ports.size(), 1u);
  m_host->OnMainThread([&](CLinkService& service) { EXPECT_TRUE(service.SelectPort(m_phone.ComName())); });
  EXPECT_EQ(OnMain(&CLinkService::SelectedPort).reportPort, m_phone.ComName());
  EXPECT_EQ(OnMain(&CLinkService::PhoneType), -1);

  // Without a hello, the owner's first write opens the chosen port.
  auto client = Connect();
  Talk(*client);
  client->Send(PKT_RELEASE);
  ASSERT_TRUE(m_frame.WaitFor("KillIdleTimer", kAnswer));

  // The phone, left in command mode, answers no AT command: on the chosen port the PTE probe finds
  // it.
  EXPECT_EQ(Hello(*client), m_phone.ComName() + ",Tavik");

  m_host->OnMainThread([](CLinkService& service) { service.ClearSelection(); });
  EXPECT_EQ(OnMain(&CLinkService::SelectedPort), PortRow{});
  EXPECT_EQ(OnMain(&CLinkService::PhoneType), -1);
  // Without a chosen port a phone in command mode is not found: the walk asks with AT commands only.
  EXPECT_EQ(Hello(*client), "");
}

TEST_F(LinkServiceTest, StoppingDuringASearchEndsItWithoutAnAnswer) {
  StartPhone("Tavik", {"--silent"});
  StartService();
  auto client = Connect();
  client->Send(PKT_CONNECT);
  ASSERT_TRUE(m_frame.WaitFor("StartAnimation Search", kAnswer));
  m_frame.Forget();
  const DWORD took = m_host->Stop();
  EXPECT_LT(took, 10000u);
  EXPECT_EQ(m_frame.Calls(), std::vector<std::string>{});  // the search told nobody
  const std::optional<LinkPacket> last = client->ReceiveSome(kAnswer);
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(last->type, PKT_RELEASE);
}

}  // namespace

// An owner leaves the phone in trace mode, where it answers no AT command. A search that fails
// meanwhile (noise on the line, the phone away for a moment) must not make the service forget the
// port: once the phone answers again, every hello finds it there.
TEST_F(LinkServiceTest, APhoneLeftInTraceModeIsFoundAgainAfterAFailedSearch) {
  StartPhone("Tavik");
  WritePhoneList("-Tavik,ZDE_0100\r\n");
  StartService();
  auto client = Connect();
  Open(*client);
  Talk(*client);
  client->Send(PKT_RELEASE);
  ASSERT_TRUE(m_frame.WaitFor("KillIdleTimer", kAnswer));
  m_expectedModel = "Tavik";
  ASSERT_EQ(Hello(*client), m_phone.ComName() + ",Tavik");  // found by the trace-mode probe

  for (const char* fault : {"garbage on", "silent on"}) {
    SCOPED_TRACE(fault);
    ASSERT_TRUE(m_phone.Control(fault));
    EXPECT_EQ(Hello(*client), "");
    EXPECT_EQ(OnMain(&CLinkService::SelectedPort), PortRow{});  // nothing is shown as found
    ASSERT_TRUE(m_phone.Control("clear"));
    for (int round = 0; round < 2; ++round) EXPECT_EQ(Hello(*client), m_phone.ComName() + ",Tavik");
    EXPECT_EQ(OnMain(&CLinkService::SelectedPort).reportPort, m_phone.ComName());
  }
  // The owner's conversation goes on in the mode it left the phone in.
  Open(*client);
  client->SendFrame("ShowSwVersion");
  EXPECT_EQ(client->ReceiveReply(kAnswer), "ShowSwVersion:RET:ZDE_0402");
}
