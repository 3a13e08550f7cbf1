// The link client against a stand-in link service on loopback TCP: connecting and the hello,
// reading phone data from the packet queue, waking the phone, frames, the command exchange and
// the cancel event.
#include "support/FakeLinkService.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

class LinkEngineTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service.Listening());
    engine.SetWakeUpDrainTime(50);
  }

  // Connects and leaves the engine waiting for phone data for at most `timeout` ms.
  void Connect(int timeout = 200) {
    ASSERT_EQ(engine.Connect(), 1) << std::hex << GetLastError();
    engine.SetTimeout(timeout);
  }

  // Waits until the service has taken `count` packets of the client.
  void AwaitPackets(std::size_t count) {
    for (int i = 0; i < 200 && service.PacketTypes().size() < count; ++i) std::this_thread::sleep_for(5ms);
  }

  FakeLinkService service;
  CLinkEngine engine{service.Address()};
};

TEST_F(LinkEngineTest, HelloAnswersGiveTheModelName) {
  struct Case {
    std::string answer;
    int result;
    const char* hello;
    DWORD error;
  };
  const Case cases[] = {
      {"COM3,Selka\0"s, 1, "Selka", 0},
      {"COM3,\0"s, 1, "", 0},          // the model is not in the phone list
      {"COM3\0"s, 1, "", 0},           // no comma
      {"\0"s, 0, "", ERROR_PA_NO_MODEL},  // no phone found
      {"COM3,"s + std::string(40, 'x') + '\0', 0, "", ERROR_PA_NO_MODEL},  // longer than its 32 bytes
  };
  for (const Case& c : cases) {
    service.SetHelloAnswer(c.answer);
    SetLastError(0x1234);
    EXPECT_EQ(engine.Connect(), c.result) << c.answer;
    EXPECT_STREQ(engine.HelloText(), c.hello) << c.answer;
    if (c.result == 0) {
      EXPECT_EQ(GetLastError(), c.error) << c.answer;
    }
    // Nothing of an answer is left to be read as phone data.
    engine.SetTimeout(30);
    BYTE byte;
    EXPECT_EQ(engine.ReadBytes(&byte, 1), 0) << c.answer;
  }
}

TEST_F(LinkEngineTest, ConnectClaimsTheLinkAndDisconnectReleasesIt) {
  Connect();
  engine.Disconnect();
  AwaitPackets(3);
  EXPECT_EQ(service.PacketTypes(), (std::vector<BYTE>{PKT_CONNECT, PKT_CLAIM, PKT_RELEASE}));
  EXPECT_FALSE(engine.IsLinkOpen());
}

// A hello refused while another program owns the link is said again, on a fresh connection, until
// that program has let the link go.
TEST_F(LinkEngineTest, ARefusedHelloIsSaidAgainUntilTheLinkIsFree) {
  service.RefuseHellos(2);
  EXPECT_EQ(engine.Connect(), 1) << std::hex << GetLastError();
  EXPECT_STREQ(engine.HelloText(), "Selka");
  EXPECT_EQ(service.Connections(), 3);
}

TEST(LinkEngine, NoLinkServiceIsLinkDown) {
  // A port that was listened on and is closed now: nobody accepts there.
  LinkServiceAddress address;
  {
    FakeLinkService gone;
    address = gone.Address();
  }
  CLinkEngine engine(address);
  EXPECT_EQ(engine.Connect(), 0);
  EXPECT_EQ(GetLastError(), ERROR_LINK_DOWN);
  EXPECT_EQ(engine.WakePhone(100), 0);
  EXPECT_EQ(GetLastError(), ERROR_LINK_DOWN);
}

TEST_F(LinkEngineTest, ReadBytesReassemblesPacketsAndSkipsEmptyOnes) {
  Connect();
  service.SendToClient(PKT_FROM_PHONE, "abc");
  service.SendToClient(PKT_RELEASE, "");  // an empty packet is no data and ends no wait
  service.SendToClient(PKT_FROM_PHONE, "de");
  BYTE buffer[8] = {};
  ASSERT_EQ(engine.ReadBytes(buffer, 2), 2);
  ASSERT_EQ(engine.ReadBytes(buffer + 2, 8), 1);  // the rest of the first packet only
  ASSERT_EQ(engine.ReadBytes(buffer + 3, 8), 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "abcde");
  SetLastError(0);
  EXPECT_EQ(engine.ReadBytes(buffer, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
}

TEST_F(LinkEngineTest, RefusedEndsTheWaitWithLinkDown) {
  Connect(5000);
  service.SendToClient(PKT_FROM_PHONE, "x");
  service.SendToClient(PKT_REFUSED, "");
  BYTE byte;
  EXPECT_EQ(engine.ReadBytes(&byte, 1), 1);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(engine.ReadBytes(&byte, 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_LINK_DOWN);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);  // not the whole reply time-out
}

TEST_F(LinkEngineTest, WakePhoneSendsTheWakeUpAndTreatsARefusedLinkAsDown) {
  ASSERT_EQ(engine.WakePhone(300), 1);
  EXPECT_EQ(engine.Timeout(), 300);
  AwaitPackets(6);
  const std::vector<BYTE> expected{PKT_CONNECT, PKT_CLAIM, PKT_TO_PHONE, PKT_TO_PHONE, PKT_TO_PHONE, PKT_TO_PHONE};
  EXPECT_EQ(service.PacketTypes(), expected);

  service.SetRefusing(true);
  SetLastError(0);
  EXPECT_EQ(engine.WakePhone(300), 0);
  EXPECT_EQ(GetLastError(), ERROR_LINK_DOWN);
}

TEST_F(LinkEngineTest, BytesLeftFromAnEarlierConnectionAreNotTheHelloAnswer) {
  Connect();
  service.SendToClient(PKT_FROM_PHONE, "stale bytes");
  BYTE byte;
  ASSERT_EQ(engine.ReadBytes(&byte, 1), 1);  // ten bytes of the packet stay pending
  service.SetHelloAnswer("COM4,Tavik\0"s);
  ASSERT_EQ(engine.Connect(), 1);
  EXPECT_STREQ(engine.HelloText(), "Tavik");
}

TEST_F(LinkEngineTest, ReplyFramesAreReassembledAndBadOnesSkipped) {
  Connect(300);
  const std::string frame = FakeLinkService::ReplyFrame("PowerOff:DONE");
  // Noise before the lead makes a frame invalid; an over-long frame is dropped whole.
  service.SendToClient(PKT_FROM_PHONE, "echo\xFCX\x16");
  service.SendToClient(PKT_FROM_PHONE, "\xFC" + std::string(9000, 'a') + "\x16");
  service.SendToClient(PKT_FROM_PHONE, frame.substr(0, 5));
  service.SendToClient(PKT_FROM_PHONE, frame.substr(5));
  service.SendToClient(PKT_FROM_PHONE, "\x01\xFC" "A\x10\x16" "B\n\x16");
  std::string reply;
  ASSERT_EQ(engine.ReadReply(reply), 1);
  EXPECT_EQ(reply, "PowerOff:DONE");
  ASSERT_EQ(engine.ReadReply(reply), 1);
  EXPECT_EQ(reply, "A\x16" "B");
  EXPECT_EQ(engine.ReadReply(reply), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
}

TEST_F(LinkEngineTest, AFailedSendWakesThePhoneAgainAndResends) {
  service.SetPhoneScript([](const std::string&) { return std::vector<std::string>{}; });
  Connect(100);
  engine.Disconnect();  // the link is gone: the next frame cannot go out as it is
  ASSERT_EQ(engine.SendFrame("ShowSwVersion"), 1);
  EXPECT_EQ(engine.Timeout(), 5000);
  for (int i = 0; i < 200 && service.Commands().empty(); ++i) std::this_thread::sleep_for(5ms);
  EXPECT_EQ(service.Commands(), std::vector<std::string>{"ShowSwVersion"});
  EXPECT_EQ(service.Connections(), 2);
}

TEST_F(LinkEngineTest, ExchangeRetriesAndDrainsTheLateAnswer) {
  int copies = 0;
  service.SetPhoneScript([&](const std::string& command) {
    // Answers only the second copy of each command.
    if (++copies % 2 == 1) return std::vector<std::string>{};
    return std::vector<std::string>{FakeLinkService::ReplyFrame(command + ":DONE")};
  });
  Connect(150);
  std::string reply;
  ASSERT_EQ(engine.Exchange("TestModeOn", reply), 1);
  EXPECT_EQ(reply, "TestModeOn:DONE");
  EXPECT_EQ(engine.Timeout(), 150);
  EXPECT_EQ(service.Commands().size(), 2u);
}

TEST_F(LinkEngineTest, ALateAnswerToAnEarlierCopyIsNotTheNextReply) {
  int copies = 0;
  service.SetPhoneScript([&](const std::string& command) {
    // The first copy is answered too late for its own wait, but still answered.
    if (++copies == 1) {
      std::this_thread::sleep_for(250ms);
      return std::vector<std::string>{FakeLinkService::ReplyFrame(command + ":late")};
    }
    return std::vector<std::string>{FakeLinkService::ReplyFrame(command + ":DONE")};
  });
  Connect(150);
  std::string reply;
  ASSERT_EQ(engine.Exchange("TestModeOn", reply), 1);
  ASSERT_EQ(engine.Exchange("PowerSavingOff", reply), 1);
  EXPECT_EQ(reply, "PowerSavingOff:DONE");
}

TEST_F(LinkEngineTest, SilenceAfterAllAttemptsIsNoReply) {
  service.SetPhoneScript([](const std::string&) { return std::vector<std::string>{}; });
  Connect(50);
  std::string reply;
  EXPECT_EQ(engine.Exchange("PowerOff", reply), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
  EXPECT_EQ(service.Commands().size(), 3u);
}

TEST_F(LinkEngineTest, TheCancelEventAbortsOneWait) {
  service.SetPhoneScript([](const std::string&) { return std::vector<std::string>{}; });
  Connect(300);
  const HANDLE cancel = CreateEventA(nullptr, FALSE, FALSE, nullptr);

  // Until the manager hands the event over, a signal ends no wait.
  SetEvent(cancel);
  BYTE byte;
  EXPECT_EQ(engine.ReadBytes(&byte, 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);

  engine.SetCancelEvent(cancel);
  engine.SetTimeout(20'000);
  std::string reply;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(engine.Exchange("PowerOff", reply), 0);  // the signal set above is still pending
  EXPECT_EQ(GetLastError(), ERROR_PA_CANCELLED);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  // The command reaches the phone's side in its own time; the cancelled exchange sent no other.
  const auto until = std::chrono::steady_clock::now() + 5s;
  while (service.Commands().empty() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(service.Commands().size(), 1u);

  // The signal was consumed: the next wait runs its course.
  engine.SetTimeout(50);
  EXPECT_EQ(engine.Exchange("PowerOff", reply), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);

  // Set from another thread while a wait runs.
  engine.SetTimeout(20'000);
  std::thread ui([&] {
    std::this_thread::sleep_for(100ms);
    SetEvent(cancel);
  });
  EXPECT_EQ(engine.ReadReply(reply), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_CANCELLED);
  ui.join();
  CloseHandle(cancel);
}

TEST_F(LinkEngineTest, UsePteCommandTakesASecondReplyAndNamesTheRefusal) {
  struct Case {
    std::vector<std::string> replies;
    std::string hello;
    int result;
    DWORD error;
  };
  const Case cases[] = {
      {{"UsePteCommand:RET:1"}, "COM3,Selka\0"s, 1, 0},
      {{"UsePteCommand:RET", "UsePteCommand:RET:1"}, "COM3,Selka\0"s, 1, 0},
      {{"UsePteCommand:RET:0"}, "COM3,Selka\0"s, 0, ERROR_PA_OTHER_MODEL},
      {{"UsePteCommand:RET:0"}, "COM3\0"s, 0, ERROR_PA_NOT_SUPPORTED},
      {{"UsePteCommand:RET:7"}, "COM3\0"s, 0, ERROR_PHONE_BAD_REPLY},
  };
  for (const Case& c : cases) {
    service.SetHelloAnswer(c.hello);
    service.SetPhoneScript([&](const std::string&) {
      std::vector<std::string> frames;
      for (const std::string& reply : c.replies) frames.push_back(FakeLinkService::ReplyFrame(reply));
      return frames;
    });
    Connect(300);
    SetLastError(0);
    EXPECT_EQ(engine.UsePteCommand("00129"), c.result) << c.replies.back();
    if (c.result == 0) {
      EXPECT_EQ(GetLastError(), c.error) << c.replies.back();
    }
  }
  EXPECT_EQ(service.Commands().back(), "UsePteCommand,00129");
}

TEST_F(LinkEngineTest, ProgressGoesToTheCallbackWhenOneIsSet) {
  engine.ReportProgress(10, 5);  // none set: nothing happens
  struct Seen {
    int total = 0, current = 0;
  } seen;
  engine.SetProgressCallback(
      [](int total, int current, void* user) {
        *static_cast<Seen*>(user) = {total, current};
        return 0;
      },
      &seen);
  engine.ReportProgress(10, 4);
  EXPECT_EQ(seen.total, 10);
  EXPECT_EQ(seen.current, 4);
}

TEST_F(LinkEngineTest, DestroyingTheEngineReleasesTheLink) {
  {
    CLinkEngine other(service.Address());
    ASSERT_EQ(other.Connect(), 1);
  }
  AwaitPackets(3);
  EXPECT_EQ(service.PacketTypes().back(), PKT_RELEASE);
}

}  // namespace

namespace {

TEST(LinkEngine, ALinkServiceThatGoesAwayEndsTheReceiveThread) {
  auto first = std::make_unique<FakeLinkService>();
  CLinkEngine engine(first->Address());
  ASSERT_EQ(engine.Connect(), 1);
  first.reset();  // the service closes the connection: the receive thread reads its end and stops
  engine.SetTimeout(50);
  BYTE byte;
  EXPECT_EQ(engine.ReadBytes(&byte, 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
  engine.Disconnect();  // joins the ended thread
}

}  // namespace
