// The schedule and to-do pages' rules over the real PC-side store: full stores whatever the list
// shows, duplicates by the minute, what Add proposes, the daily filter, deletes, placeholders, the
// alarm melodies, and the to-do dates.
#include "CalendarModels.h"
#include "StoreFixture.h"

#include <base/ScopedTimeZone.h>

#include <gtest/gtest.h>

#include <vector>

using namespace daybook;

namespace {

class ScheduleModelTest : public StoreTest {
 protected:
  void Put(short slot, const CTime& start, DWORD melody = 0, const char* text = "entry") {
    PA_SCHEDULE_INFO e;
    e.strDescription = text;
    e.tmStart = start;
    e.bAlarm = melody != 0;
    e.dwMelodyId = melody;
    ASSERT_EQ(manager->PA_PutSchedule(&e, slot), PA_OK);
  }
  PA_SCHEDULE_INFO Get(short slot) {
    PA_SCHEDULE_INFO e;
    manager->PA_GetSchedule(&e, slot);
    return e;
  }
  tolvar::testing::ScopedTimeZone zone{"Europe/Berlin"};
};

TEST_F(ScheduleModelTest, FullMeansEverySlotWhateverTheDailyListShows) {
  CScheduleModel model(*manager);
  const CTime day(2010, 5, 6, 0, 0, 0);
  for (short slot = 0; slot < kScheduleSlots; ++slot) {
    Put(slot, CTime(2010, 1, 1, 0, 0, 0) + CTimeSpan(slot, 0, 0, 0));
  }
  EXPECT_TRUE(model.IsFull());
  EXPECT_EQ(model.FreeCount(), 0);
  EXPECT_EQ(model.Rows(true, day).size(), 1u);
  manager->PA_RemovePrivateSchedule(321);
  EXPECT_EQ(model.FreeSlot(), 321);
  EXPECT_EQ(model.FreeCount(), 1);
}

TEST_F(ScheduleModelTest, DailyAndAllRowsAndTheFreeCount) {
  CScheduleModel model(*manager);
  Put(4, CTime(2010, 5, 6, 23, 59, 0));
  Put(1, CTime(2010, 5, 6, 0, 0, 0));
  Put(2, CTime(2010, 5, 7, 0, 0, 0));
  EXPECT_EQ(model.Rows(true, CTime(2010, 5, 6, 12, 0, 0)), (std::vector<int>{1, 4}));
  EXPECT_EQ(model.Rows(false, CTime(2010, 5, 6, 12, 0, 0)), (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(model.FreeCount(), 597);
}

TEST_F(ScheduleModelTest, DuplicatesAreTheSameMinuteOfAnotherEntry) {
  CScheduleModel model(*manager);
  Put(3, CTime(2010, 5, 6, 7, 8, 0));
  struct Case {
    CTime start;
    int exceptSlot;
    bool collides;
  };
  const Case cases[] = {
      {CTime(2010, 5, 6, 7, 8, 0), -1, true},
      {CTime(2010, 5, 6, 7, 8, 59), -1, true},  // seconds do not count
      {CTime(2010, 5, 6, 7, 9, 0), -1, false},
      {CTime(2010, 5, 7, 7, 8, 0), -1, false},
      {CTime(2010, 5, 6, 7, 8, 0), 3, false},   // the entry being edited
  };
  for (const Case& c : cases) EXPECT_EQ(model.Collides(c.start, c.exceptSlot), c.collides) << c.start.Format("%c");
}

TEST_F(ScheduleModelTest, AddProposesNowForAnEarlierPickerAndKeepsALaterOne) {
  const CTime now(2026, 12, 11, 4, 30, 0);
  EXPECT_EQ(CScheduleModel::ProposedStart(CTime(2026, 12, 10, 9, 0, 0), now), now);
  EXPECT_EQ(CScheduleModel::ProposedStart(CTime(2027, 1, 2, 9, 0, 0), now), CTime(2027, 1, 2, 9, 0, 0));
  EXPECT_LE(now, LatestPickerTime());  // today fits the pickers
  EXPECT_EQ(LatestPickerTime(), CTime(2037, 12, 31, 23, 59, 0));
}

TEST_F(ScheduleModelTest, SaveStoresThePlaceholderEmptyAndTheAlarmsMelodyOnlyWhenOn) {
  CScheduleModel model(*manager);
  ScheduleForm form;
  form.description = kDescriptionPlaceholder;
  form.start = CTime(2010, 5, 6, 7, 8, 42);
  form.repeat = 2;
  form.alarm = false;
  form.melodyName = "ring.mid";
  form.melodyId = 9;
  form.isPrivate = true;
  ASSERT_TRUE(model.Save(0, form));
  PA_SCHEDULE_INFO e = Get(0);
  EXPECT_STREQ(e.strDescription, "");
  EXPECT_EQ(e.tmStart, CTime(2010, 5, 6, 7, 8, 0));
  EXPECT_EQ(e.dwMelodyId, 0u);
  EXPECT_STREQ(e.strMelodyName, "");
  EXPECT_EQ(e.bRepeat, 2);
  EXPECT_EQ(e.bPrivate, 1);
  EXPECT_TRUE(model.Modified());

  form.description = "Dentist";
  form.alarm = true;
  form.melodyName = "<reminder melody>";
  form.melodyId = 0;
  ASSERT_TRUE(model.Save(0, form));
  e = Get(0);
  EXPECT_STREQ(e.strMelodyName, "<reminder melody>");
  EXPECT_EQ(e.dwMelodyId, 0u);
}

TEST_F(ScheduleModelTest, ARefusedSaveNamesTheFieldAndStoresNothing) {
  CScheduleModel model(*manager);
  Put(0, CTime(2010, 5, 6, 7, 8, 0), 0, "kept");
  ScheduleForm tooLong;
  tooLong.description = CString('d', manager->GetScheduleMaxDescriptionSize() + 1);
  tooLong.start = CTime(2010, 5, 6, 7, 8, 0);
  const EntryPut refused = model.Save(0, tooLong);
  EXPECT_FALSE(refused.stored);
  EXPECT_EQ(refused.field, EntryField::Description);
  EXPECT_STREQ(Get(0).strDescription, "kept");
  EXPECT_FALSE(model.Modified());
}

TEST_F(ScheduleModelTest, SelectionAfterDeleteMovesToTheRowThatTookThePlace) {
  struct Case {
    int rowsBefore, first, count, selected;
  };
  const Case cases[] = {{5, 1, 1, 1}, {5, 4, 1, 3}, {5, 3, 2, 2}, {1, 0, 1, -1}, {5, 0, 5, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(SelectionAfterDelete(c.rowsBefore, c.first, c.count), c.selected) << c.rowsBefore << c.first << c.count;
  }
}

TEST_F(ScheduleModelTest, DeleteAllUnderTheDailyFilterTakesOnlyThatDay) {
  CScheduleModel model(*manager);
  Put(0, CTime(2010, 5, 6, 1, 0, 0));
  Put(1, CTime(2010, 5, 6, 2, 0, 0));
  Put(2, CTime(2010, 5, 7, 1, 0, 0));
  EXPECT_EQ(model.DeleteAll(true, CTime(2010, 5, 6, 0, 0, 0)), 2);
  EXPECT_EQ(model.Rows(false, CTime()), (std::vector<int>{2}));
  EXPECT_EQ(model.DeleteAll(false, CTime()), 1);
  EXPECT_EQ(model.FreeCount(), kScheduleSlots);
}

TEST_F(ScheduleModelTest, FindMelodyIdComparesThePartAfterTheFirstBackslash) {
  const Melody melodies[] = {{"ring.mid", 300}, {"Sounds\\bell.mid", 12}, {"bell.mid", 13}};
  EXPECT_EQ(CScheduleModel::FindMelodyId("ring.mid", melodies), 300u);
  EXPECT_EQ(CScheduleModel::FindMelodyId("Sounds\\ring.mid", melodies), 300u);
  EXPECT_EQ(CScheduleModel::FindMelodyId("Sounds\\bell.mid", melodies), 13u);
  EXPECT_EQ(CScheduleModel::FindMelodyId("Ring.mid", melodies), 0u);
}

TEST_F(ScheduleModelTest, ValidateMelodiesKeepsListedIdsAndAfterADocumentTheirLowByte) {
  CScheduleModel model(*manager);
  Put(0, CTime(2010, 5, 6, 1, 0, 0), 300);
  Put(1, CTime(2010, 5, 6, 2, 0, 0), 301);
  // A document keeps only the low byte of the sounds' ids: 300 comes back listed as 44.
  const Melody read[] = {{"ring.mid", 44}};
  model.ValidateMelodies(read, true);
  EXPECT_EQ(Get(0).dwMelodyId, 300u);
  EXPECT_EQ(Get(1).dwMelodyId, 0u);
  // The phone's full list later: an exact match is needed.
  const Melody fetched[] = {{"ring.mid", 300}};
  model.ValidateMelodies(fetched, false);
  EXPECT_EQ(Get(0).dwMelodyId, 300u);
  const Melody other[] = {{"bell.mid", 44}};
  model.ValidateMelodies(other, false);
  EXPECT_EQ(Get(0).dwMelodyId, 0u);
}

class ToDoModelTest : public StoreTest {
 protected:
  void Put(short slot) {
    PA_TODO_INFO t;
    t.strDescription = "task";
    t.tmStart = CTime(2010, 1, 1, 0, 0, 0);
    t.tmDue = CTime(2010, 1, 2, 0, 0, 0);
    ASSERT_EQ(manager->PA_PutToDo(&t, slot), PA_OK);
  }
};

TEST_F(ToDoModelTest, FullAfterAHundredAndDeleteAllFreesThemAll) {
  CToDoModel model(*manager);
  for (short slot = 0; slot < kToDoSlots; ++slot) Put(slot);
  EXPECT_EQ(model.FreeSlot(), -1);
  EXPECT_EQ(model.DeleteAll(), 100);
  EXPECT_EQ(model.FreeCount(), 100);
  EXPECT_TRUE(model.Modified());
}

TEST_F(ToDoModelTest, StartAndDueRules) {
  const CTime due(2010, 3, 4, 12, 0, 0);
  struct Case {
    CTime start;
    bool refused;
  };
  const Case cases[] = {
      {due, false},
      {CTime(2010, 3, 4, 11, 0, 0), false},
      {CTime(2010, 3, 4, 13, 0, 0), true},  // later the same day: the time of day counts
      {CTime(2010, 3, 5, 12, 0, 0), true},
  };
  for (const Case& c : cases) EXPECT_EQ(CToDoModel::StartAfterDue(c.start, due), c.refused) << c.start.Format("%c");
  EXPECT_EQ(CToDoModel::DueAfterStartChange(CTime(2010, 3, 6, 0, 0, 0), due), CTime(2010, 3, 6, 0, 0, 0));
  EXPECT_EQ(CToDoModel::DueAfterStartChange(CTime(2010, 3, 1, 0, 0, 0), due), due);
}

TEST_F(ToDoModelTest, SaveStoresThePlaceholderEmptyAndDefaultsForHiddenFields) {
  CToDoModel model(*manager);
  ToDoForm form;
  form.description = kDescriptionPlaceholder;
  form.start = CTime(2010, 3, 4, 0, 0, 0);
  form.due = CTime(2010, 3, 5, 0, 0, 0);
  form.done = true;
  form.priority = 0;
  form.category = 2;
  form.isPrivate = true;
  ASSERT_TRUE(model.Save(7, form));
  PA_TODO_INFO t;
  ASSERT_EQ(manager->PA_GetToDo(&t, 7), PA_OK);
  EXPECT_STREQ(t.strDescription, "");
  EXPECT_EQ(t.bStatus, 1);
  if (model.HasExtendedFields()) {
    EXPECT_EQ(t.bPriority, 0);
    EXPECT_EQ(t.bCategory, 2);
  } else {
    EXPECT_EQ(manager->GetToDoMaxDescriptionSize(static_cast<PA_TODO_FIELD>(3)), 0);
  }
  EXPECT_EQ(model.Rows(), (std::vector<int>{7}));
}

}  // namespace
