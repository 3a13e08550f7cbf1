#include "Phone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace phonesim;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

class PhoneTest : public ::testing::Test {
 protected:
  void SetUp() override { Make("Selka"); }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  void Make(const char* model, std::optional<std::chrono::milliseconds> offTime = 1000ms) {
    std::string error;
    m_state = PhoneState::Open(m_folder, FindModel(model), std::nullopt, error);
    ASSERT_TRUE(m_state) << error;
    m_phone = std::make_unique<Phone>(*m_state, m_commands, offTime);
  }

  // Everything the phone sends back for these bytes, in order.
  std::string Send(const std::string& bytes) {
    std::string out;
    for (const Emission& e : m_phone->Receive(bytes, m_now)) out += e.bytes;
    return out;
  }

  std::string Frame(const std::string& text) { return "\0"s + text + "\x16"; }
  std::string Reply(const std::string& text) { return "\xFC"s + text + "\n\x16"; }

  void Wake() {
    Send("AT*TRACE\r");
    Send(std::string(WakeUpSequence()));
    ASSERT_EQ(m_phone->Mode(), PhoneMode::Pte);
  }

  std::filesystem::path m_folder =
      std::filesystem::temp_directory_path() / ("phonesim-unit-" + std::to_string(::getpid()));
  CommandTable m_commands = CommandTable::Full();
  std::unique_ptr<PhoneState> m_state;
  std::unique_ptr<Phone> m_phone;
  Clock::time_point m_now = Clock::now();
};

}  // namespace

TEST_F(PhoneTest, AnswersAtCommandsLikeAModemWithEchoAndCrLf) {
  EXPECT_EQ(Send("ATE1\r\n"), "ATE1\r\r\nOK\r\n\n");
  EXPECT_EQ(Send("AT+GMM\r\n"), "AT+GMM\r\r\nSelka-X\r\n\r\nOK\r\n\n");
  EXPECT_EQ(Send("AT+GMI\r\n"), "AT+GMI\r\r\nHalvane\r\n\r\nOK\r\n\n");
  EXPECT_EQ(Send("AT+CGSN\r"), "AT+CGSN\r\r\nERROR\r\n");
  EXPECT_EQ(Send("at+gmi\r"), "at+gmi\r\r\nHalvane\r\n\r\nOK\r\n");
  // A stray character before "AT" is not part of the command; a line without "AT" gets no answer.
  EXPECT_EQ(Send("\x16" "AT\r"), "\x16" "AT\r\r\nOK\r\n");
  EXPECT_EQ(Send("hello\r"), "hello\r");
  // Echo off: only the answers come back, and "ATE1" brings the echo back.
  EXPECT_EQ(Send("ATE0\r"), "ATE0\r\r\nOK\r\n");
  EXPECT_EQ(Send("AT+GMI\r"), "\r\nHalvane\r\n\r\nOK\r\n");
  EXPECT_EQ(Send("ATE1\r"), "\r\nOK\r\n");
  EXPECT_EQ(Send("AT\r"), "AT\r\r\nOK\r\n");
}

TEST_F(PhoneTest, EchoIsNotAnAnswerButResultCodesAre) {
  const std::vector<Emission> out = m_phone->Receive("AT+GMM\r", m_now);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].bytes, "AT+GMM\r");
  EXPECT_FALSE(out[0].answer);
  EXPECT_EQ(out[1].bytes, "\r\nSelka-X\r\n\r\nOK\r\n");
  EXPECT_TRUE(out[1].answer);
}

TEST_F(PhoneTest, AnOverlongAtLineIsAnsweredError) {
  Send("ATE0\r");
  EXPECT_EQ(Send("AT" + std::string(400, 'Z') + "\r"), "\r\nERROR\r\n");
  EXPECT_EQ(Send("AT\r"), "\r\nOK\r\n");
}

TEST_F(PhoneTest, OnlyTheExactWakeUpEntersCommandMode) {
  const std::string wakeUp(WakeUpSequence());
  ASSERT_EQ(wakeUp.size(), 98u);
  EXPECT_EQ(wakeUp, std::string(92, '\x16') + "V\x16L\x16Z\x16");

  struct Case { const char* what; std::string afterTrace; };
  const std::vector<Case> broken{
      {"91 SYN", std::string(91, '\x16') + "V\x16L\x16Z\x16"},
      {"93 SYN", std::string(93, '\x16') + "V\x16L\x16Z\x16"},
      {"no Z block", std::string(92, '\x16') + "V\x16L\x16"},
      {"blocks swapped", std::string(92, '\x16') + "Z\x16V\x16L\x16"},
  };
  for (const Case& c : broken) {
    Send("AT*TRACE\r");
    Send(c.afterTrace);
    EXPECT_NE(m_phone->Mode(), PhoneMode::Pte) << c.what;
    // Still a modem: an AT line is answered (after a CR ends whatever was collected).
    Send("\r");
    EXPECT_EQ(m_phone->Mode(), PhoneMode::At) << c.what;
    EXPECT_EQ(Send("ATE0\r"), "ATE0\r\r\nOK\r\n") << c.what;
    Send("ATE1\r");
  }

  // "AT*TRACE" is answered OK like any command; the wake-up itself is not echoed.
  EXPECT_EQ(Send("AT*TRACE\r"), "AT*TRACE\r\r\nOK\r\n");
  EXPECT_EQ(Send(wakeUp), "");
  EXPECT_EQ(m_phone->Mode(), PhoneMode::Pte);
  // AT commands mean nothing in command mode, and a second wake-up keeps it there.
  EXPECT_EQ(Send("AT+GMM\r\n"), "");
  Send("AT*TRACE\r" + wakeUp);
  EXPECT_EQ(m_phone->Mode(), PhoneMode::Pte);
}

TEST_F(PhoneTest, CommandSetOpensOnlyWithTheModelsOwnCode) {
  Wake();
  EXPECT_EQ(Send(Frame("ShowSwVersion")), Reply("ShowSwVersion:ERROR:2"));
  EXPECT_EQ(Send(Frame("UsePteCommand,00126")), Reply("UsePteCommand:RET:0"));
  EXPECT_EQ(Send(Frame("PowerOff")), Reply("PowerOff:ERROR:2"));
  EXPECT_EQ(Send(Frame("UsePteCommand")), Reply("UsePteCommand:ERROR:3"));
  EXPECT_EQ(Send(Frame("UsePteCommand,00129")), Reply("UsePteCommand:RET:1"));
  EXPECT_EQ(Send(Frame("ShowSwVersion")), Reply("ShowSwVersion:RET:ZSE_0310"));
  // A refused code afterwards leaves the chosen set as it was.
  EXPECT_EQ(Send(Frame("UsePteCommand,10129")), Reply("UsePteCommand:RET:0"));
  EXPECT_EQ(Send(Frame("ShowSwVersion")), Reply("ShowSwVersion:RET:ZSE_0310"));
  EXPECT_EQ(Send(Frame("NoSuchCommand,1,2")), Reply("NoSuchCommand:ERROR:1"));
  // Several frames in one piece are answered one by one, in order.
  EXPECT_EQ(Send(Frame("ShowSwVersion") + Frame("Bogus")), Reply("ShowSwVersion:RET:ZSE_0310") + Reply("Bogus:ERROR:1"));
}

TEST_F(PhoneTest, WakeUpsAndNoiseBetweenFramesKeepTheSession) {
  // A probe that wakes the phone again, or an AT command sent to a phone already in command mode,
  // lands between frames: the chosen command set stays.
  Wake();
  Send(Frame("UsePteCommand,00129"));
  Send("ATE1\r\n");
  Send("AT*TRACE\r" + std::string(WakeUpSequence()));
  EXPECT_EQ(Send(Frame("ShowSwVersion")), Reply("ShowSwVersion:RET:ZSE_0310"));
}

TEST_F(PhoneTest, PowerOffAnswersThenIsDeafUntilTheOffTimeHasPassed) {
  Wake();
  Send(Frame("UsePteCommand,00129"));
  const std::vector<Emission> out = m_phone->Receive(Frame("PowerOff") + Frame("ShowSwVersion"), m_now);
  ASSERT_EQ(out.size(), 1u);  // the second frame came after the phone was off
  EXPECT_EQ(out[0].bytes, Reply("PowerOff:DONE"));
  EXPECT_TRUE(out[0].answer);
  EXPECT_EQ(m_phone->Mode(), PhoneMode::Off);
  ASSERT_TRUE(m_phone->NextTick());
  EXPECT_EQ(*m_phone->NextTick(), m_now + 1000ms);

  EXPECT_EQ(Send("AT\r"), "");
  m_phone->Tick(m_now + 999ms);
  EXPECT_EQ(m_phone->Mode(), PhoneMode::Off);
  m_phone->Tick(m_now + 1000ms);
  EXPECT_EQ(m_phone->Mode(), PhoneMode::At);
  EXPECT_FALSE(m_phone->NextTick());
  // On again: a modem with echo on, and command mode needs a new wake-up and code.
  EXPECT_EQ(Send("AT\r"), "AT\r\r\nOK\r\n");
  Wake();
  EXPECT_EQ(Send(Frame("ShowSwVersion")), Reply("ShowSwVersion:ERROR:2"));
}

TEST_F(PhoneTest, WithoutAnOffTimeThePhoneStaysOff) {
  Make("Zenno", std::nullopt);
  Wake();
  EXPECT_EQ(Send(Frame("UsePteCommand,00130") + Frame("PowerOff")), Reply("UsePteCommand:RET:1") + Reply("PowerOff:DONE"));
  EXPECT_FALSE(m_phone->NextTick());
  m_phone->Tick(m_now + 24h);
  EXPECT_EQ(m_phone->Mode(), PhoneMode::Off);
}

TEST_F(PhoneTest, TheJournalListsTheCommandsOfTheCurrentSession) {
  const std::filesystem::path journal = m_folder / "journal.log";
  auto lines = [&] {
    std::ifstream in(journal);
    std::vector<std::string> read;
    for (std::string line; std::getline(in, line);) read.push_back(line);
    return read;
  };
  Wake();
  Send(Frame("UsePteCommand,00129"));
  Send(Frame("FFSRead,106,110"));
  EXPECT_EQ(lines(), (std::vector<std::string>{"UsePteCommand,00129", "FFSRead,106,110"}));
  Send(Frame("EXIT"));
  Wake();  // a new session starts a new journal
  Send(Frame("ShowSwVersion"));
  EXPECT_EQ(lines(), std::vector<std::string>{"ShowSwVersion"});
}
