// CPteChannel against the simulated phone: every model wakes, takes its command set, tells its
// version and switches off; a silent phone and a phone that answers noise fail with their errors.
#include "PteChannel.h"

#include <phonesim/PhoneSimProcess.h>

#include <base/LastError.h>

#include <gtest/gtest.h>
#include <ostream>

#include <cstdlib>
#include <string>

namespace {

struct ModelRow {
  int row;
  const char* modelCode;  // what "UsePteCommand" must name for the model's family
  const char* version;    // what the simulated phone of that row answers to "ShowSwVersion"
};

// Test names show the case, not its bytes.
void PrintTo(const ModelRow& c, std::ostream* os) { *os << "Row" << c.row; }

constexpr ModelRow kRows[] = {
    {1, "00126", "YAA_0412"},  {2, "00126", "YIA_0305"}, {3, "00126", "YQT_0210"},
    {4, "00126", "YRE_0521"},  {5, "00129", "ZSE_0310"}, {6, "00129", "ZDE_0402"},
    {7, "10129", "UAE_0118"},  {8, "10129", "UDE_0225"}, {9, "00135", "CWA_0330"},
    {10, "00135", "CYE_0412"}, {11, "00130", "MZE_0107"},
};

class PhoneSimChannel : public testing::Test {
 protected:
  void StartPhone(const std::string& model) {
    ASSERT_TRUE(m_phone.Start({.model = model})) << m_phone.Error();
    ASSERT_NE(m_phone.ComName(), "-");
    setenv("TOLVAR_HOME", m_phone.Home().c_str(), 1);
  }
  void TearDown() override {
    m_channel.Close();
    unsetenv("TOLVAR_HOME");
  }

  phonesim::PhoneSimProcess m_phone;
  CPteChannel m_channel;
};

class EveryModel : public PhoneSimChannel, public testing::WithParamInterface<ModelRow> {};

TEST_P(EveryModel, WakesTakesItsCommandSetTellsItsVersionAndSwitchesOff) {
  const ModelRow& row = GetParam();
  StartPhone(std::to_string(row.row));
  ASSERT_TRUE(m_channel.EnterPteMode(m_phone.ComName().c_str(), 500, 115200)) << GetLastError();
  ASSERT_TRUE(m_channel.UsePteCommand(row.modelCode)) << std::hex << GetLastError();
  char version[64];
  ASSERT_TRUE(m_channel.ShowSwVersion(version, sizeof version)) << std::hex << GetLastError();
  EXPECT_STREQ(version, row.version);
  EXPECT_TRUE(m_channel.PowerOff()) << std::hex << GetLastError();
}

INSTANTIATE_TEST_SUITE_P(Rows, EveryModel, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<ModelRow>& info) {
                           return "Row" + std::to_string(info.param.row);
                         });

TEST_F(PhoneSimChannel, AnotherFamilysModelCodeIsRefused) {
  StartPhone("Selka");
  ASSERT_TRUE(m_channel.EnterPteMode(m_phone.ComName().c_str(), 500, 115200));
  EXPECT_FALSE(m_channel.UsePteCommand("00135"));
}

TEST_F(PhoneSimChannel, SilenceGivesNoReply) {
  StartPhone("Tavik");
  ASSERT_TRUE(m_channel.EnterPteMode(m_phone.ComName().c_str(), 300, 115200));
  ASSERT_TRUE(m_phone.SetFault(phonesim::Fault::Silent, 1));
  EXPECT_FALSE(m_channel.UsePteCommand("00129"));
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
  char version[64];
  EXPECT_FALSE(m_channel.ShowSwVersion(version, sizeof version));
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
}

TEST_F(PhoneSimChannel, GarbageGivesABadReply) {
  StartPhone("Tavik");
  ASSERT_TRUE(m_channel.EnterPteMode(m_phone.ComName().c_str(), 300, 115200));
  ASSERT_TRUE(m_phone.SetFault(phonesim::Fault::Garbage, 1));
  EXPECT_FALSE(m_channel.UsePteCommand("00129"));
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  EXPECT_FALSE(m_channel.PowerOff());
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
}

TEST_F(PhoneSimChannel, AnAnswerSwallowedOnceIsRetried) {
  StartPhone("Wirra");
  ASSERT_TRUE(m_channel.EnterPteMode(m_phone.ComName().c_str(), 300, 115200));
  ASSERT_TRUE(m_channel.UsePteCommand("00135"));
  ASSERT_TRUE(m_phone.SetFault(phonesim::Fault::SilentAnswers, 1));
  char version[64];
  ASSERT_TRUE(m_channel.ShowSwVersion(version, sizeof version)) << std::hex << GetLastError();
  EXPECT_STREQ(version, "CWA_0330");
  EXPECT_TRUE(m_channel.PowerOff());
}

}  // namespace
