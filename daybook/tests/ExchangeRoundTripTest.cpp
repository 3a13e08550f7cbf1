// Contacts, schedule and to-do exported through the bridges and imported into an emptied store: the
// vCard and vCalendar files are written and read by the exchange library's own code (with scripted
// answers for its dialogs), the CSV file by the wizard library's engine. What comes back equals what
// went out in every field the format carries.
#include "ExchangeFiles.h"
#include "support/SampleContact.h"

#include <controls/PropSheet.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace daybook;
using namespace exchange_files;
namespace fs = std::filesystem;

namespace {

class RoundTrip : public ExchangeTest {
 protected:
  void SetUp() override {
    ExchangeTest::SetUp();
    g_folder = fs::temp_directory_path() / ("daybook-exchange-" + std::to_string(::getpid()));
    fs::remove_all(g_folder);
    fs::create_directories(g_folder);
    AddExchangeFiles(libraries, ui, interlex, g_folder);
  }
  void TearDown() override {
    fs::remove_all(g_folder);
    ExchangeTest::TearDown();
  }
  void ClearFolder() {
    fs::remove_all(g_folder);
    fs::create_directories(g_folder);
  }

  CScriptedUi ui;
  CInterlex interlex{ui};
};

TEST_F(RoundTrip, ContactsThroughVCardAndCsv) {
  host.pictures = {{"Sun", 2}};
  host.melodies = {{"Bell", 5}};
  const int slots[] = {3, 17, 250};
  std::vector<PA_PHONEBOOK_INFO> sent;
  for (int slot : slots) {
    PA_PHONEBOOK_INFO c = daybook_testing::FullContact(slot, 2, 5);
    ASSERT_EQ(manager->PA_PutPhoneBook(&c, static_cast<short>(slot)), PA_OK);
    sent.push_back(GetContact(static_cast<short>(slot)));
  }
  // The files come back in the order they were picked, so records are matched by name.
  const auto same = [&](bool csv) {
    for (std::size_t i = 0; i < sent.size(); ++i) {
      const PA_PHONEBOOK_INFO& want = sent[i];
      PA_PHONEBOOK_INFO got;
      for (short s = 0; s < static_cast<short>(sent.size()); ++s) {
        if (GetContact(s).strName == want.strName) got = GetContact(s);
      }
      SCOPED_TRACE(std::string(csv ? "CSV " : "vCard ") + static_cast<LPCSTR>(want.strName));
      EXPECT_EQ(got.strName, want.strName);
      EXPECT_EQ(got.strReading, want.strReading);
      for (int n = 0; n < 7; ++n) EXPECT_EQ(got.strNumber[n], want.strNumber[n]) << n;
      for (int n = 0; n < 2; ++n) EXPECT_EQ(got.strEmail[n], want.strEmail[n]) << n;
      for (int n = 0; n < 2; ++n) EXPECT_EQ(got.strText[n], want.strText[n]) << n;
      EXPECT_EQ(got.bGroup, want.bGroup);
      if (csv) {  // a vCard carries no light, picture or melody
        EXPECT_EQ(got.bChoice, want.bChoice);
        EXPECT_EQ(got.dwPictureId, want.dwPictureId);
        EXPECT_EQ(got.dwMelodyId, want.dwMelodyId);
      }
    }
  };

  Run(CMD_EXPORT_VCARD);
  Empty();
  Run(CMD_IMPORT_VCARD);
  EXPECT_EQ(UsedContacts(), 3);
  same(false);

  Empty();
  for (std::size_t i = 0; i < sent.size(); ++i) ASSERT_EQ(manager->PA_PutPhoneBook(&sent[i], static_cast<short>(slots[i])), PA_OK);
  Run(CMD_EXPORT_CSV);
  Empty();
  Run(CMD_IMPORT_CSV);
  EXPECT_EQ(UsedContacts(), 3);
  same(true);
  EXPECT_TRUE(host.shown.empty()) << host.shown[0].text;
}

TEST_F(RoundTrip, ScheduleAndToDoThroughVCalendar) {
  host.alarmMelodies = {{"Chime", 7}};
  std::vector<PA_SCHEDULE_INFO> entries(2);
  entries[0].strDescription = "Dentist";
  entries[0].tmStart = CTime(2010, 5, 4, 9, 30, 0);
  entries[0].bRepeat = 2;
  entries[0].bAlarm = 1;
  entries[0].dwMelodyId = 7;
  entries[0].strMelodyName = "Chime";
  entries[1].strDescription = "Review";
  entries[1].tmStart = CTime(2010, 6, 1, 14, 0, 0);
  entries[1].bPrivate = 1;
  for (short s = 0; s < 2; ++s) ASSERT_EQ(manager->PA_PutSchedule(&entries[static_cast<std::size_t>(s)], static_cast<short>(s * 40 + 2)), PA_OK);
  std::vector<PA_TODO_INFO> items(2);
  items[0].strDescription = "Taxes";
  items[0].tmStart = CTime(2010, 3, 1, 0, 0, 0);
  items[0].tmDue = CTime(2010, 4, 30, 0, 0, 0);
  items[0].bPriority = 0;
  items[0].bCategory = 1;
  items[1].strDescription = "Paint";
  items[1].tmStart = CTime(2010, 7, 1, 0, 0, 0);
  items[1].tmDue = CTime(2010, 8, 1, 0, 0, 0);
  items[1].bPriority = 2;
  items[1].bCategory = 2;
  items[1].bPrivate = 1;
  for (short s = 0; s < 2; ++s) ASSERT_EQ(manager->PA_PutToDo(&items[static_cast<std::size_t>(s)], static_cast<short>(s * 9 + 1)), PA_OK);

  Run(CMD_EXPORT_VCAL);
  Empty();
  Run(CMD_IMPORT_VCAL);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    PA_SCHEDULE_INFO got;
    for (short s = 0; s < 2; ++s) {
      PA_SCHEDULE_INFO e;
      manager->PA_GetSchedule(&e, s);
      if (e.strDescription == entries[i].strDescription) got = e;
    }
    SCOPED_TRACE(static_cast<LPCSTR>(entries[i].strDescription));
    EXPECT_EQ(got.strDescription, entries[i].strDescription);
    EXPECT_EQ(got.tmStart, entries[i].tmStart);
    EXPECT_EQ(got.bRepeat, entries[i].bRepeat);
    EXPECT_EQ(got.bAlarm, entries[i].bAlarm);
    EXPECT_EQ(got.bPrivate, entries[i].bPrivate);
    if (entries[i].bAlarm) {
      EXPECT_EQ(got.dwMelodyId, entries[i].dwMelodyId);
    }
  }

  // To-do files are read by the to-do import that a schedule import of them sets off.
  ClearFolder();
  for (short s = 0; s < 2; ++s) ASSERT_EQ(manager->PA_PutToDo(&items[static_cast<std::size_t>(s)], static_cast<short>(s * 9 + 1)), PA_OK);
  Run(CMD_EXPORT_VCAL_TODO);
  Empty();
  Run(CMD_IMPORT_VCAL);
  EXPECT_EQ(incorrectFileTool, 1);
  PA_SCHEDULE_INFO none;
  manager->PA_GetSchedule(&none, 0);
  EXPECT_FALSE(none.bValid) << "a to-do file is no schedule entry";
  for (std::size_t i = 0; i < items.size(); ++i) {
    PA_TODO_INFO got;
    for (short s = 0; s < 2; ++s) {
      PA_TODO_INFO t;
      manager->PA_GetToDo(&t, s);
      if (t.strDescription == items[i].strDescription) got = t;
    }
    SCOPED_TRACE(static_cast<LPCSTR>(items[i].strDescription));
    EXPECT_EQ(got.strDescription, items[i].strDescription);
    EXPECT_EQ(got.tmStart, items[i].tmStart);
    EXPECT_EQ(got.tmDue, items[i].tmDue);
  }
  EXPECT_TRUE(host.shown.empty()) << host.shown[0].text;
}

}  // namespace
