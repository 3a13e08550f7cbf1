// The find dialog's search over the store and the page's rows: letter case (non-ASCII too), the
// messages, find next going on after the last hit, and Enter after a hit.
#include "FindModel.h"
#include "StoreFixture.h"

#include <gtest/gtest.h>

#include <vector>

using namespace daybook;

namespace {

class FindModelTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    PutContact(2, "ada lovelace");
    PutContact(5, "Grace Hopper");
    PutContact(9, "Ärzte Ada");
  }
  // The list's rows as the contacts page shows them, sorted by name.
  const std::vector<CString> rows = {"ada lovelace", "Grace Hopper", "Ärzte Ada"};
};

TEST_F(FindModelTest, CapitalsFindSmallLettersAndNonAscii) {
  CFindModel find(*manager, FindMode::Contacts);
  FindOutcome hit = find.Find("ADA", rows);
  EXPECT_EQ(hit.kind, FindOutcome::Hit);
  EXPECT_EQ(hit.row, 0);
  EXPECT_EQ(find.Hits(), 1);
  EXPECT_FALSE(find.FindEnabled());

  CFindModel accents(*manager, FindMode::Contacts);
  EXPECT_EQ(accents.Find("ärzte", rows).row, 2);
  EXPECT_EQ(LowerText("ÄRZTE Ω"), CString("ärzte ω"));
}

TEST_F(FindModelTest, MessagesForNoWordAnEmptyListAndNoMatch) {
  CFindModel find(*manager, FindMode::Contacts);
  const FindOutcome noWord = find.Find("", rows);
  EXPECT_EQ(noWord.kind, FindOutcome::NoWord);
  EXPECT_EQ(noWord.message, 456);
  EXPECT_EQ(find.Find("ada", {}).message, 457);
  const FindOutcome none = find.Find("zebra", rows);
  EXPECT_EQ(none.message, 457);
  EXPECT_TRUE(none.clearText);
  EXPECT_EQ(find.Hits(), 0);

  struct Case {
    FindMode mode;
    int notFound, noMore;
  };
  for (const Case& c : {Case{FindMode::Contacts, 457, 458}, Case{FindMode::Schedule, 460, 462}, Case{FindMode::ToDo, 461, 463}}) {
    CFindModel m(*manager, c.mode);
    EXPECT_EQ(m.NotFoundText(), c.notFound);
    EXPECT_EQ(m.NoMoreText(), c.noMore);
  }
}

TEST_F(FindModelTest, EnterAfterAHitRunsFindNextUntilNoMore) {
  CFindModel find(*manager, FindMode::Contacts);
  std::vector<int> selected;
  FindOutcome outcome = find.Enter("ada", rows);
  ASSERT_EQ(outcome.kind, FindOutcome::Hit);
  selected.push_back(outcome.row);
  outcome = find.Enter("ada", rows);  // find is disabled now: this is find next
  ASSERT_EQ(outcome.kind, FindOutcome::Hit);
  selected.push_back(outcome.row);
  EXPECT_EQ(selected, (std::vector<int>{0, 2}));  // both hits stay selected
  EXPECT_EQ(find.Hits(), 2);
  outcome = find.Enter("ada", rows);
  EXPECT_EQ(outcome.kind, FindOutcome::NoMore);
  EXPECT_EQ(outcome.message, 458);

  find.TextChanged();
  EXPECT_TRUE(find.FindEnabled());
  EXPECT_EQ(find.Hits(), 0);
  EXPECT_EQ(find.Enter("grace", rows).row, 1);  // find starts over from row 0
}

TEST_F(FindModelTest, ScheduleDescriptionsAreSearched) {
  PA_SCHEDULE_INFO e;
  e.strDescription = "Dentist";
  e.tmStart = CTime(2010, 5, 6, 7, 8, 0);
  ASSERT_EQ(manager->PA_PutSchedule(&e, 40), PA_OK);
  CFindModel find(*manager, FindMode::Schedule);
  const std::vector<CString> scheduleRows = {"Dentist"};
  EXPECT_EQ(find.Find("dent", scheduleRows).row, 0);
  EXPECT_EQ(find.FindNext("dent", scheduleRows).kind, FindOutcome::NoMore);
}

}  // namespace
