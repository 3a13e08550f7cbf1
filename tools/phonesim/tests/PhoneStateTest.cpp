#include "PhoneState.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

using namespace phonesim;

namespace {

class PhoneStateTest : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(m_folder); }
  std::filesystem::path m_folder =
      std::filesystem::temp_directory_path() / ("phonesim-state-" + std::to_string(::getpid()));
  std::string m_error;
};

}  // namespace

TEST_F(PhoneStateTest, RemembersModelAndVersionUntilOptionsChangeThem) {
  auto state = PhoneState::Open(m_folder, std::nullopt, std::nullopt, m_error);
  ASSERT_TRUE(state) << m_error;
  EXPECT_EQ(state->Model().row, 1);
  EXPECT_EQ(state->SoftwareVersion(), "YAA_0412");

  state = PhoneState::Open(m_folder, FindModel("tavik"), std::string("TDE_0100"), m_error);
  ASSERT_TRUE(state) << m_error;
  state = PhoneState::Open(m_folder, std::nullopt, std::nullopt, m_error);
  ASSERT_TRUE(state) << m_error;
  EXPECT_EQ(state->Model().name, "Tavik");
  EXPECT_EQ(state->SoftwareVersion(), "TDE_0100");

  // Another model brings its own version, not the one stored for the former model.
  state = PhoneState::Open(m_folder, FindModel("11"), std::nullopt, m_error);
  ASSERT_TRUE(state) << m_error;
  EXPECT_EQ(state->Model().name, "Zenno");
  EXPECT_EQ(state->SoftwareVersion(), "MZE_0107");

  EXPECT_TRUE(std::filesystem::is_directory(state->StoreFolder("ffs")));
  EXPECT_EQ(state->StoreFolder("ffs"), m_folder / "ffs");
}

TEST_F(PhoneStateTest, RefusesAVersionThatCannotTravelAndAnUnknownStoredModel) {
  EXPECT_FALSE(PhoneState::Open(m_folder, std::nullopt, std::string("A:B"), m_error));
  EXPECT_FALSE(PhoneState::Open(m_folder, std::nullopt, std::string(""), m_error));
  std::filesystem::create_directories(m_folder);
  std::ofstream(m_folder / "phone.ini") << "model=Nokk\n";
  EXPECT_FALSE(PhoneState::Open(m_folder, std::nullopt, std::nullopt, m_error));
  EXPECT_NE(m_error.find("Nokk"), std::string::npos);
}

TEST(ModelTable, RowsByNumberOrNameAndTheProbeLettersAgree) {
  ASSERT_EQ(ModelRows().size(), 11u);
  EXPECT_EQ(FindModel("5")->name, "Selka");
  EXPECT_EQ(FindModel("SELKA")->row, 5);
  EXPECT_FALSE(FindModel("0"));
  EXPECT_FALSE(FindModel("12"));
  EXPECT_FALSE(FindModel("Sel"));
  // The version's letters must lead the PTE probe to the row's own name (Quarn has no name of its
  // own there and is read as Ostrel).
  for (const ModelRow& row : ModelRows()) {
    const std::string_view v = row.swVersion;
    EXPECT_EQ(v[0], row.family) << row.name;
    EXPECT_TRUE(row.modelLine.starts_with(row.name)) << row.name;
    std::string_view probed;
    switch (row.family) {
      case 'Y': probed = v[1] == 'I' ? "Pimsy" : v[2] == 'E' ? "Ruvel" : "Ostrel"; break;
      case 'Z': probed = v[1] == 'D' ? "Tavik" : "Selka"; break;
      case 'U': probed = v[1] == 'D' ? "Vesk" : "Ulmar"; break;
      case 'C': probed = v[2] == 'E' ? "Yorne" : "Wirra"; break;
      case 'M': probed = "Zenno"; break;
    }
    EXPECT_EQ(probed, row.name == "Quarn" ? "Ostrel" : row.name) << row.name;
  }
}
