// What the phone keeps of the contact files and schedule blocks written to it, in the layout its
// software version gives.
#include "commands/RecordFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace phonesim;

namespace {

class RecordFilesTest : public testing::Test {
 protected:
  std::unique_ptr<PhoneState> Phone(const char* version) {
    auto state = PhoneState::Open(m_folder, std::nullopt, std::string(version), m_error);
    EXPECT_TRUE(state) << m_error;
    return state;
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  std::filesystem::path m_folder =
      std::filesystem::temp_directory_path() / ("phonesim-records-" + std::to_string(::getpid()));
  std::string m_error;
};

std::string Name(std::string_view name) {
  return std::string{static_cast<char>(name.size()), '\0'} + std::string(name);
}

TEST_F(RecordFilesTest, AContactKeepsItsRecordInThePhonesLayout) {
  struct Case {
    const char* version;
    std::size_t size;
  };
  for (const Case& c : {Case{"YAA_0412", 524}, Case{"TDE_0100", 471}, Case{"BXA_0100", 471}}) {
    SCOPED_TRACE(c.version);
    const auto phone = Phone(c.version);
    ASSERT_EQ(ContactRecordSize(*phone), c.size);
    const std::string record(c.size, 'r');
    EXPECT_EQ(KeptFlashFile(*phone, 256, record + Name("Portrait") + Name("")), record);
    // Another layout's record, or names that do not add up, are kept as they came.
    const std::string other(c.size == 524 ? 471 : 524, 'o');
    EXPECT_EQ(KeptFlashFile(*phone, 256, other + Name("") + Name("")), other + Name("") + Name(""));
    EXPECT_EQ(KeptFlashFile(*phone, 256, record + Name("x")), record + Name("x"));
    EXPECT_EQ(KeptFlashFile(*phone, 256, record), record);
    // Other files are no contacts.
    EXPECT_EQ(KeptFlashFile(*phone, 255, record + Name("") + Name("")), record + Name("") + Name(""));
  }
}

TEST_F(RecordFilesTest, AScheduleBlockKeepsTenRecordsInThePhonesLayout) {
  for (const char* version : {"YAA_0412", "ZSE_0310", "UAE_0118"}) {
    SCOPED_TRACE(version);
    const auto phone = Phone(version);
    const std::size_t size = ScheduleRecordSize(*phone);
    EXPECT_EQ(size, version[0] == 'Y' ? 88u : 280u);
    std::string written, records;
    for (int i = 0; i < 10; ++i) {
      const std::string record(size, static_cast<char>('a' + i));
      const std::string name = i == 3 ? "Bells" : "";
      const std::size_t entry = size + 4 + name.size();
      written += record + std::string{static_cast<char>(entry & 0xFF), static_cast<char>(entry >> 8)} + Name(name);
      records += record;
    }
    EXPECT_EQ(KeptFlashFile(*phone, 100, written), records);
    EXPECT_EQ(KeptFlashFile(*phone, 100, written + "x"), written + "x");
    EXPECT_EQ(KeptFlashFile(*phone, 100, records), records) << "bare records are no entries";
    EXPECT_EQ(KeptFlashFile(*phone, 103, written), written) << "to-do blocks are kept as written";
  }
}

}  // namespace
