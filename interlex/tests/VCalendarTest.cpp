// vCalendar files of one schedule entry or to-do item: the reader's rules, files of other programs,
// exact time conversion in several zones, and that every field written comes back.
#include "TestFiles.h"
#include "VCalendar.h"
#include "ZoneGuard.h"

#include <gtest/gtest.h>

using namespace interlex;

namespace {

const CTime kNow(2030, 6, 1, 12, 0, 0);

CTime Utc(int year, int month, int day, int hour, int minute) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  return CTime(timegm(&fields));
}

TEST(VCalendarTest, ScheduleRoundTripInEveryZone) {
  for (const char* zone : kTestZones) {
    ZoneGuard guard(zone);
    SCOPED_TRACE(zone);
    // Around the spring and autumn changes, and a plain winter time.
    const CTime starts[] = {Utc(2024, 3, 31, 0, 59), Utc(2024, 3, 31, 1, 0), Utc(2024, 10, 27, 0, 30),
                            Utc(2024, 10, 27, 1, 30), Utc(2024, 1, 5, 10, 30)};
    int i = 0;
    for (CTime start : starts) {
      PA_SCHEDULE_INFO entry;
      entry.tmStart = start;
      entry.strDescription = i % 2 ? "Team \xC3\xA9vent = | x" : "two\r\nlines =41=";
      entry.bRepeat = static_cast<BYTE>(i % 4);
      entry.bPrivate = static_cast<BYTE>(i % 2);
      entry.bAlarm = 1;
      entry.strMelodyName = "Ring \xE2\x99\xAA";
      const VCalendarRead back = ReadVCalendar(WriteSchedule(entry), true, kNow);
      EXPECT_TRUE(back.isVCalendar);
      EXPECT_FALSE(back.isToDo);
      EXPECT_EQ(back.schedule.tmStart.GetTime(), start.GetTime());
      EXPECT_EQ(back.schedule.strDescription, entry.strDescription);
      EXPECT_EQ(back.schedule.bRepeat, entry.bRepeat);
      EXPECT_EQ(back.schedule.bPrivate, entry.bPrivate);
      EXPECT_EQ(back.schedule.bAlarm, 1);
      EXPECT_EQ(back.schedule.strMelodyName, entry.strMelodyName);
      ++i;
    }
  }
}

TEST(VCalendarTest, ToDoRoundTripInEveryZone) {
  for (const char* zone : kTestZones) {
    ZoneGuard guard(zone);
    SCOPED_TRACE(zone);
    for (int i = 0; i < 3; ++i) {
      PA_TODO_INFO item;
      item.tmStart = Utc(2024, 3, 30 + i, 23, 30);
      item.tmDue = Utc(2024, 10, 26 + i, 1, 15);
      item.strDescription = i == 0 ? "=41 ends with =" : i == 1 ? "caf\xC3\xA9 | x" : "a\r\nb";
      item.bPriority = static_cast<BYTE>(i);
      item.bCategory = static_cast<BYTE>(2 - i);
      item.bPrivate = static_cast<BYTE>(i % 2);
      const std::string file = WriteToDo(item);
      const VCalendarRead back = ReadVCalendar(file, true, kNow);
      EXPECT_TRUE(back.isVCalendar);
      EXPECT_TRUE(back.isToDo);
      EXPECT_EQ(back.toDo.tmStart.GetTime(), item.tmStart.GetTime());
      EXPECT_EQ(back.toDo.tmDue.GetTime(), item.tmDue.GetTime());
      EXPECT_EQ(back.toDo.strDescription, item.strDescription) << file;
      EXPECT_EQ(back.toDo.bPriority, item.bPriority);
      EXPECT_EQ(back.toDo.bCategory, item.bCategory);
      EXPECT_EQ(back.toDo.bPrivate, item.bPrivate);
    }
  }
}

TEST(VCalendarTest, TimeValuesAreUtc) {
  ZoneGuard guard("XXX-1");  // one hour east of UTC, no daylight saving
  CTime time;
  ASSERT_TRUE(ParseTimeValue("20240105T103000Z", time));
  EXPECT_EQ(time.Format("%H:%M"), "11:30");
  EXPECT_EQ(FormatTimeValue(time), "20240105T103000Z");
  PA_SCHEDULE_INFO entry;
  entry.tmStart = time;
  EXPECT_NE(WriteSchedule(entry).find("\r\nDTSTART:20240105T103000Z\r\n"), std::string::npos);
  EXPECT_EQ(ScheduleFileName(entry, 2), "202401051130_3");

  // Too short, or no digits where the fields are: the value is refused and the time kept.
  for (const char* bad : {"", "2024", "20240105T10", "2024x105T1030", "20240105T1O30", "00000000T0000"}) {
    CTime kept(kNow);
    EXPECT_FALSE(ParseTimeValue(bad, kept) && kept.GetTime() > 0) << bad;
  }
}

TEST(VCalendarTest, ReaderRules) {
  ZoneGuard guard("UTC0");
  const CTime fixedStart(2001, 1, 1, 0, 0, 0);
  const CTime fixedDue(2003, 1, 1, 0, 0, 0);
  struct Case {
    const char* what;
    std::string file;
    std::function<void(const VCalendarRead&)> check;
  };
  const Case cases[] = {
      {"yearly repeats once", "BEGIN:VCALENDAR\nRRULE:FREQ=YEARLY\n",
       [](const VCalendarRead& r) { EXPECT_EQ(r.schedule.bRepeat, 0); }},
      {"alarm block with trigger 0 and no attachment",
       "BEGIN:VCALENDAR\nBEGIN:VALARM\nTRIGGER:0\nACTION:AUDIO\nEND:VALARM\nCLASS:PRIVATE\n",
       [](const VCalendarRead& r) {
         EXPECT_EQ(r.schedule.bAlarm, 0);
         EXPECT_EQ(r.schedule.strMelodyName, " ");
         EXPECT_EQ(r.schedule.bPrivate, 1);
       }},
      {"to-do mark, with or without the blank", "BEGIN: VCALENDAR\nTOOL:TODO\n",
       [](const VCalendarRead& r) { EXPECT_TRUE(r.isToDo); }},
      {"a to-do without priority, category and class is what the program makes",
       "BEGIN:VCALENDAR\nTOOL: TODO\nSUMMARY:x\n",
       [](const VCalendarRead& r) {
         EXPECT_EQ(r.toDo.bPriority, 1);
         EXPECT_EQ(r.toDo.bCategory, 0);
         EXPECT_EQ(r.toDo.bPrivate, 0);
         EXPECT_EQ(r.toDo.bValid, 0);
         EXPECT_EQ(r.toDo.bStatus, 0);
         EXPECT_EQ(r.toDo.tmStart.GetTime(), kNow.GetTime());
       }},
      {"empty or broken DTSTART and DTEND",
       "BEGIN:VCALENDAR\nDTSTART:\nDTEND:2024\n",
       [&](const VCalendarRead& r) {
         EXPECT_EQ(r.schedule.tmStart.GetTime(), kNow.GetTime());
         EXPECT_EQ(r.toDo.tmStart.GetTime(), fixedStart.GetTime());
         EXPECT_EQ(r.toDo.tmDue.GetTime(), fixedDue.GetTime());
       }},
      {"priorities and categories", "BEGIN:VCALENDAR\nPRIORITY:5\nCATEGORIES;ENCODING=QUOTED-PRINTABLE:Personal\n",
       [](const VCalendarRead& r) {
         EXPECT_EQ(r.toDo.bPriority, 2);
         EXPECT_EQ(r.toDo.bCategory, 1);
       }},
      {"a later line overwrites", "BEGIN:VCALENDAR\nSUMMARY:one\nSUMMARY:two: three\nCLASS:PRIVATE\nCLASS:ODD\n",
       [](const VCalendarRead& r) {
         EXPECT_EQ(r.schedule.strDescription, "two: three");
         EXPECT_EQ(r.schedule.bPrivate, 1);
       }},
      {"quoted-printable summary is joined and decoded",
       "BEGIN:VCALENDAR\nSUMMARY;ENCODING=QUOTED-PRINTABLE:caf=C3=\n=A9 =3D\n",
       [](const VCalendarRead& r) { EXPECT_EQ(r.schedule.strDescription, "caf\xC3\xA9 ="); }},
      {"no BEGIN line", "VERSION:1.0\nSUMMARY:x\n", [](const VCalendarRead& r) { EXPECT_FALSE(r.isVCalendar); }},
      {"a description VALARM is no alarm block", "BEGIN:VCALENDAR\nSUMMARY:VALARM\nCLASS:PRIVATE\n",
       [](const VCalendarRead& r) {
         EXPECT_EQ(r.schedule.strDescription, "VALARM");
         EXPECT_EQ(r.schedule.bPrivate, 1);
       }},
      {"a value without NUL bytes", std::string("BEGIN:VCALENDAR\nSUMMARY:a\0b\n", 28),
       [](const VCalendarRead& r) { EXPECT_EQ(r.schedule.strDescription, "ab"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.check(ReadVCalendar(c.file, false, kNow));
  }
}

TEST(VCalendarTest, DescriptionBudgets) {
  const std::string file = "BEGIN:VCALENDAR\nSUMMARY:" + std::string(300, 'x') + "\n";
  const VCalendarRead shortForm = ReadVCalendar(file, false, kNow);
  EXPECT_EQ(shortForm.schedule.strDescription.GetLength(), 64);
  EXPECT_EQ(shortForm.toDo.strDescription.GetLength(), 32);
  const VCalendarRead extended = ReadVCalendar(file, true, kNow);
  EXPECT_EQ(extended.schedule.strDescription.GetLength(), 256);
  EXPECT_EQ(extended.toDo.strDescription.GetLength(), 256);
}

TEST(VCalendarTest, WriterLines) {
  ZoneGuard guard("UTC0");
  PA_SCHEDULE_INFO entry;
  entry.tmStart = Utc(2024, 1, 5, 10, 30);
  entry.strDescription = "Meet";
  EXPECT_EQ(WriteSchedule(entry),
            "BEGIN: VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nDTSTART:20240105T103000Z\r\nSUMMARY:Meet\r\n"
            "CLASS:PUBLIC\r\nBEGIN:VALARM\r\nTRIGGER:0\r\nACTION:AUDIO\r\nEND:VALARM\r\nEND:VEVENT\r\n"
            "END:VCALENDAR\r\n");
  PA_TODO_INFO item;
  item.tmStart = entry.tmStart;
  item.tmDue = entry.tmStart;
  item.strDescription = "a=b";
  item.bPriority = 1;
  item.bCategory = 7;
  EXPECT_EQ(WriteToDo(item),
            "BEGIN: VCALENDAR\r\nTOOL: TODO\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nDTSTART:20240105T103000Z\r\n"
            "DTEND:20240105T103000Z\r\nCATEGORIES;ENCODING=QUOTED-PRINTABLE:Other\r\n"
            "SUMMARY;ENCODING=QUOTED-PRINTABLE:a=3Db\r\nPRIORITY:3\r\nCLASS:PUBLIC\r\nEND:VEVENT\r\n"
            "END:VCALENDAR\r\n");
  item.strDescription = "Buy: milk/eggs?";
  EXPECT_EQ(ToDoFileName(item, "ToDo", 0), "Buy milkeggs_ToDo_1");
}

TEST(VCalendarTest, FilesWrittenByOtherPrograms) {
  ZoneGuard guard("UTC0");
  const VCalendarRead event = ReadVCalendar(ReadTestFile("phone_event.vcs"), false, kNow);
  EXPECT_TRUE(event.isVCalendar);
  EXPECT_FALSE(event.isToDo);
  EXPECT_EQ(event.schedule.tmStart.GetTime(), Utc(2024, 1, 5, 10, 30).GetTime());
  EXPECT_EQ(event.schedule.strDescription, "Team \xC3\xA9vent: plan");  // the CHARSET form is another key
  EXPECT_EQ(event.schedule.bRepeat, 0);
  EXPECT_EQ(event.schedule.bPrivate, 0);
  EXPECT_EQ(event.schedule.bAlarm, 0);

  const VCalendarRead todo = ReadVCalendar(ReadTestFile("calendar_vtodo.vcs"), false, kNow);
  EXPECT_TRUE(todo.isVCalendar);
  EXPECT_FALSE(todo.isToDo);  // a VTODO block is not the to-do mark
  EXPECT_EQ(todo.schedule.tmStart.GetTime(), Utc(2024, 3, 1, 8, 0).GetTime());
  EXPECT_EQ(todo.schedule.strDescription, "Buy caf\xC3\xA9");  // code page 1252 read as such
}

}  // namespace
