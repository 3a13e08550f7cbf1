#include "TrafficLog.h"

#include "support/TestHome.h"

#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

using linkwell::testing::FileExists;
using linkwell::testing::ReadWholeFile;
using linkwell::testing::SetSetting;
using linkwell::testing::TestHome;

class TrafficLogTest : public testing::Test {
 protected:
  ~TrafficLogTest() override { CloseTrafficLog(); }
  std::string LogPath() const { return m_home.File("drive_c/Tolvar.log"); }

  TestHome m_home;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(text.substr(at));  // a line without its end: the test below fails on it
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

TEST_F(TrafficLogTest, LinesHaveTheExactForm) {
  SetSetting("EnableLogging", 1);
  ASSERT_TRUE(OpenTrafficLog());
  LogTraffic(3, "Start Open", TRAFFIC_STATUS, -1);
  const BYTE received[] = {0x0D, 0x41, 0xFC, 0x20, 0x7F, 0x1F};
  LogTraffic(3, received, TRAFFIC_RECV, sizeof received);
  LogTraffic(12, "AT\r\n", TRAFFIC_SEND, 4);
  LogTraffic(12, "never", TRAFFIC_SEND, 0);
  CloseTrafficLog();

  const std::string text = ReadWholeFile(LogPath());
  ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 3u) << text;
  const std::string time = R"(([0-9]|1[0-9]|2[0-3]):([0-9]|[1-5][0-9]):([0-9]|[1-5][0-9]):[0-9]{3})";
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(time + " - COM3  : Start Open"))) << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(time + R"( - COM3  : Recv: \.A\. \x7f\.)"))) << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(time + R"( - COM12 : Send: AT\.\.)"))) << lines[2];
}

TEST_F(TrafficLogTest, ALineHoldsAtMostOnePacketOfData) {
  SetSetting("EnableLogging", 0);
  ASSERT_TRUE(OpenTrafficLog());
  const std::vector<BYTE> data(70000, 'x');
  LogTraffic(1, data.data(), TRAFFIC_RECV, static_cast<int>(data.size()));
  CloseTrafficLog();
  const std::vector<std::string> lines = Lines(ReadWholeFile(LogPath()));
  ASSERT_EQ(lines.size(), 1u);
  const std::size_t tag = lines[0].find("Recv: ");
  ASSERT_NE(tag, std::string::npos);
  EXPECT_EQ(lines[0].size() - tag - 6, 65536u);
}

TEST_F(TrafficLogTest, OpeningEmptiesAnEarlierLog) {
  SetSetting("EnableLogging", 1);
  ASSERT_TRUE(OpenTrafficLog());
  LogTraffic(1, "Open OK", TRAFFIC_STATUS, -1);
  CloseTrafficLog();
  ASSERT_TRUE(OpenTrafficLog());
  LogTraffic(1, "Close OK", TRAFFIC_STATUS, -1);
  CloseTrafficLog();
  const std::vector<std::string> lines = Lines(ReadWholeFile(LogPath()));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("Close OK"), std::string::npos);
}

TEST_F(TrafficLogTest, WithoutEnableLoggingNoFileIsMade) {
  EXPECT_FALSE(OpenTrafficLog());
  LogTraffic(3, "Start Open", TRAFFIC_STATUS, -1);
  EXPECT_FALSE(IsTrafficLogOpen());
  EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(TrafficLogTest, AValueLargerThanFourBytesDoesNotEnableIt) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "EnableLogging", 0, REG_SZ, reinterpret_cast<const BYTE*>("yes please"), 11),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_FALSE(OpenTrafficLog());
  EXPECT_FALSE(FileExists(LogPath()));
}

}  // namespace
