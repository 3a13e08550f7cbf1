// CPteChannel against a phone that answers by script on a pseudo-terminal: the reply rules of each
// command, the retries and the late-answer drain, silence and noise.
#include "PteChannel.h"

#include "support/ScriptedPhone.h"

#include <PseudoPort.h>
#include <TemporaryHome.h>

#include <base/LastError.h>
#include <base/Time.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using linkwell::testing::Answer;
using linkwell::testing::ReplyFrame;
using linkwell::testing::ScriptedPhone;
using namespace std::chrono_literals;

constexpr DWORD kTimeout = 300;

std::vector<Answer> Replies(std::initializer_list<std::string> texts) {
  std::vector<Answer> answers;
  for (const std::string& text : texts) answers.push_back({ReplyFrame(text)});
  return answers;
}

class PteChannelTest : public testing::Test {
 protected:
  void Start(std::vector<std::vector<Answer>> script) {
    m_phone.emplace(m_port, std::move(script));
    ASSERT_TRUE(m_channel.EnterPteMode(m_port.ComName().c_str(), kTimeout, 115200)) << GetLastError();
  }

  tolvar::comm::testing::TemporaryHome m_home;
  tolvar::comm::testing::PseudoPort m_port;
  CPteChannel m_channel;
  std::optional<ScriptedPhone> m_phone;  // stops before the port goes
};

TEST_F(PteChannelTest, EnterPteModeSendsTheWakeUpSequence) {
  Start({});
  std::this_thread::sleep_for(100ms);
  std::string expected = "AT*TRACE\r" + std::string(92, '\x16') + "V\x16L\x16Z\x16";
  EXPECT_EQ(m_phone->Line(), expected);
  EXPECT_TRUE(m_channel.IsOpen());
  EXPECT_NE(m_channel.OpenTick(), 0u);
  EXPECT_TRUE(m_channel.Close());
  EXPECT_EQ(m_channel.OpenTick(), 0u);
}

TEST_F(PteChannelTest, EnterPteModeDropsWhatCameBeforeTheCommands) {
  m_port.Send(ReplyFrame("UsePteCommand:RET:1"));  // stale, from an earlier conversation
  Start({Replies({"UsePteCommand:RET:0"})});
  EXPECT_FALSE(m_channel.UsePteCommand("00129"));
}

struct UseCase {
  const char* name;
  std::vector<Answer> answers;
  bool result;
  DWORD error;  // checked when the result is false
};

TEST_F(PteChannelTest, UsePteCommandReplies) {
  const UseCase cases[] = {
      {"Accepted", Replies({"UsePteCommand:RET:1"}), true, 0},
      {"Refused", Replies({"UsePteCommand:RET:0"}), false, ERROR_PHONE_BAD_REPLY},
      {"TwoFieldsThenAccepted", Replies({"UsePteCommand:DONE", "UsePteCommand:RET:1"}), true, 0},
      {"TwoFieldsThenNothing", Replies({"UsePteCommand:DONE"}), false, ERROR_PHONE_NO_REPLY},
      {"RunsOfColonsSeparateOnce", Replies({"UsePteCommand::RET::1"}), true, 0},
      {"FourFields", Replies({"UsePteCommand:RET:1:1"}), false, ERROR_PHONE_BAD_REPLY},
      {"Silence", {}, false, ERROR_PHONE_NO_REPLY},
  };
  std::vector<std::vector<Answer>> script;
  for (const UseCase& c : cases) script.push_back(c.answers);
  Start(script);
  for (const UseCase& c : cases) {
    SetLastError(0);
    EXPECT_EQ(m_channel.UsePteCommand("00129"), c.result) << c.name;
    if (!c.result) {
      EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
  }
  const std::vector<std::string> frames = m_phone->Frames();
  ASSERT_EQ(frames.size(), std::size(cases));  // one attempt each, no retry
  EXPECT_EQ(frames[0], "UsePteCommand,00129");
}

TEST_F(PteChannelTest, ShowSwVersionCopiesTheThirdFieldWithinTheCapacity) {
  Start({Replies({"ShowSwVersion:RET:ZDE_0402"}), Replies({"ShowSwVersion:RET:ZDE_0402"}),
         Replies({"ShowSwVersion:DONE"})});
  char version[32] = {};
  ASSERT_TRUE(m_channel.ShowSwVersion(version, sizeof version));
  EXPECT_STREQ(version, "ZDE_0402");
  char small[4] = {'x', 'x', 'x', 'x'};
  ASSERT_TRUE(m_channel.ShowSwVersion(small, sizeof small));
  EXPECT_EQ(std::string(small, 4), std::string("ZDE\0", 4));
  EXPECT_FALSE(m_channel.ShowSwVersion(version, sizeof version));
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  EXPECT_EQ(m_phone->Frames(), (std::vector<std::string>{"ShowSwVersion", "ShowSwVersion", "ShowSwVersion"}));
}

TEST_F(PteChannelTest, PowerOffExpectsItsDoneInAnyCase) {
  Start({Replies({"poweroff:DONE"}), Replies({"PowerOff:ERROR:2"})});
  EXPECT_TRUE(m_channel.PowerOff());
  EXPECT_FALSE(m_channel.PowerOff());
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
}

TEST_F(PteChannelTest, NoiseAndOverlongFramesBeforeTheReplyAreSkipped) {
  const std::string noise = "\x81\x92\xA3\x16";
  const std::string overlong = "\xFC" + std::string(700, 'v') + "\x16";
  const std::string echo = std::string("\0ShowSwVersion\x16", 15);
  Start({{{noise}, {overlong}, {echo}, {ReplyFrame("ShowSwVersion:RET:YIA_0305")}}});
  char version[32];
  ASSERT_TRUE(m_channel.ShowSwVersion(version, sizeof version));
  EXPECT_STREQ(version, "YIA_0305");
}

TEST_F(PteChannelTest, SilenceIsNoReplyAfterThreeAttempts) {
  Start({});
  char version[32];
  const DWORD start = GetTickCount();
  EXPECT_FALSE(m_channel.ShowSwVersion(version, sizeof version));
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
  EXPECT_GE(GetTickCount() - start, 3 * kTimeout - 50);
  EXPECT_EQ(m_phone->Frames().size(), 3u);
}

TEST_F(PteChannelTest, NoiseOnlyIsABadReply) {
  const std::string noise = "\x81\x92\xA3\xB4\xC5\x16";
  Start({{{noise}}, {{noise}}, {{noise}}});
  EXPECT_FALSE(m_channel.PowerOff());
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
}

TEST_F(PteChannelTest, AnEchoOnlyIsStillNoReply) {
  const std::string echo = std::string("\0PowerOff\x16", 10);
  Start({{{echo}}, {{echo}}, {{echo}}});
  EXPECT_FALSE(m_channel.PowerOff());
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
}

TEST_F(PteChannelTest, LateAnswersToRepeatedFramesAreDrainedBeforeTheNextCommand) {
  // The first "PowerOff" gets no answer in time; the second is answered, and then the first one's
  // answer comes late. It must not be taken as the reply to the next command.
  Start({{}, {{ReplyFrame("PowerOff:DONE")}, {ReplyFrame("PowerOff:DONE"), 100ms}},
         Replies({"ShowSwVersion:RET:ZSE_0310"})});
  EXPECT_TRUE(m_channel.PowerOff());
  char version[32];
  ASSERT_TRUE(m_channel.ShowSwVersion(version, sizeof version));
  EXPECT_STREQ(version, "ZSE_0310");
}

TEST_F(PteChannelTest, AHeldPortCannotBeOpened) {
  CPteChannel other;
  ASSERT_TRUE(m_channel.Open(m_port.ComName().c_str(), 115200, 0, 0, 8));
  EXPECT_FALSE(other.Open(m_port.ComName().c_str(), 115200, 0, 0, 8));
  EXPECT_FALSE(other.EnterPteMode(m_port.ComName().c_str(), kTimeout, 115200));
  EXPECT_FALSE(other.IsOpen());
  m_channel.Close();
  EXPECT_TRUE(other.Open(m_port.ComName().c_str(), 115200, 0, 0, 8));
}

TEST_F(PteChannelTest, OperationsOnAClosedChannelFail) {
  char version[8];
  EXPECT_FALSE(m_channel.SetTimeout(100));
  EXPECT_FALSE(m_channel.SendPteFrame("PowerOff"));
  EXPECT_FALSE(m_channel.ShowSwVersion(version, sizeof version));
  EXPECT_FALSE(m_channel.Close());
}

}  // namespace
