// The date-time picker and month calendar objects over real controls: dates set and read as CTime
// and as SYSTEMTIME, kept to a range set through the object, "no date" where the style allows it,
// an invalid CTime refused, the calendar sized to one month, and its colours and first day.
#include <framework/Afx.h>
#include <framework/Controls.h>

#include <gtest/gtest.h>

#include "TestApp.h"

namespace {

class DateObjects : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 420, 300, nullptr,
                                nullptr));
  }
  void TearDown() override { parent.DestroyWindow(); }
  CWnd parent;
};

struct Ymd {
  int year, month, day;
  friend bool operator==(const Ymd&, const Ymd&) = default;
};
Ymd Of(const CTime& time) { return {time.GetYear(), time.GetMonth(), time.GetDay()}; }
std::ostream& operator<<(std::ostream& out, const Ymd& d) { return out << d.year << '-' << d.month << '-' << d.day; }

TEST_F(DateObjects, APickerKeepsItsDateToTheRangeAndHoldsNoDateOnlyWhereAllowed) {
  CDateTimeCtrl picker;
  ASSERT_TRUE(picker.Create(WS_CHILD | WS_VISIBLE | DTS_SHORTDATEFORMAT | DTS_SHOWNONE, {10, 10, 160, 32}, &parent, 20));
  ASSERT_TRUE(picker.SetFormat("dd/MM/yyyy"));

  const CTime earliest(2026, 3, 1, 0, 0, 0);
  const CTime latest(2026, 3, 31, 23, 59, 0);
  ASSERT_TRUE(picker.SetRange(&earliest, &latest));
  CTime low, high;
  EXPECT_EQ(picker.GetRange(&low, &high), static_cast<DWORD>(GDTR_MIN | GDTR_MAX));
  EXPECT_EQ(Of(low), (Ymd{2026, 3, 1}));
  EXPECT_EQ(Of(high), (Ymd{2026, 3, 31}));

  struct Case {
    CTime given;
    Ymd read;
  };
  const Case cases[] = {
      {CTime(2026, 3, 15, 9, 30, 0), {2026, 3, 15}},
      {CTime(2026, 2, 10, 12, 0, 0), {2026, 3, 1}},   // before the range: its first day
      {CTime(2026, 4, 2, 12, 0, 0), {2026, 3, 31}},   // after it: its last day
  };
  for (const Case& c : cases) {
    picker.SetTime(c.given);
    CTime read;
    ASSERT_EQ(picker.GetTime(read), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(Of(read), c.read);
  }

  // No date: with DTS_SHOWNONE the picker holds none, and the CTime it is asked for stays as it was.
  ASSERT_TRUE(picker.SetTime(static_cast<const CTime*>(nullptr)));
  CTime untouched(2000, 1, 1, 0, 0, 0);
  EXPECT_EQ(picker.GetTime(untouched), static_cast<DWORD>(GDT_NONE));
  EXPECT_EQ(Of(untouched), (Ymd{2000, 1, 1}));

  // An invalid CTime is refused, not sent as a zeroed date.
  EXPECT_FALSE(picker.SetTime(CTime(2026, 13, 1, 0, 0, 0)));
  EXPECT_EQ(picker.GetTime(untouched), static_cast<DWORD>(GDT_NONE));

  // Open ends: a range with only its earliest day.
  ASSERT_TRUE(picker.SetRange(&earliest, nullptr));
  EXPECT_EQ(picker.GetRange(&low, &high), static_cast<DWORD>(GDTR_MIN));

  CDateTimeCtrl plain;  // no DTS_SHOWNONE: it always holds a date
  ASSERT_TRUE(plain.Create(WS_CHILD | DTS_TIMEFORMAT | DTS_UPDOWN, {10, 40, 160, 62}, &parent, 21));
  EXPECT_FALSE(plain.SetTime(static_cast<const CTime*>(nullptr)));
  SYSTEMTIME now{};
  EXPECT_EQ(plain.GetTime(&now), static_cast<DWORD>(GDT_VALID));
  EXPECT_EQ(plain.GetMonthCalCtrl(), nullptr);  // an up-down picker drops nothing

  picker.SetMonthCalColor(MCSC_TITLEBK, RGB(1, 2, 3));
  EXPECT_EQ(picker.SetMonthCalColor(MCSC_TITLEBK, RGB(4, 5, 6)), RGB(1, 2, 3));
  EXPECT_EQ(picker.GetMonthCalColor(MCSC_TITLEBK), RGB(4, 5, 6));
}

TEST_F(DateObjects, ACalendarSizedToOneMonthSelectsDaysWithinItsRange) {
  CMonthCalCtrl calendar;
  ASSERT_TRUE(calendar.Create(WS_CHILD | WS_VISIBLE, POINT{10, 10}, &parent, 22));
  RECT needed{}, window{};
  ASSERT_TRUE(calendar.GetMinReqRect(&needed));
  calendar.GetClientRect(&window);
  EXPECT_EQ(window.right, needed.right);
  EXPECT_EQ(window.bottom, needed.bottom);

  const CTime earliest(2026, 5, 1, 0, 0, 0);
  const CTime latest(2026, 6, 30, 0, 0, 0);
  ASSERT_TRUE(calendar.SetRange(&earliest, &latest));
  struct Case {
    CTime day;
    BOOL accepted;
    Ymd selected;  // after the call
  };
  const Case cases[] = {
      {CTime(2026, 5, 20, 0, 0, 0), TRUE, {2026, 5, 20}},
      {CTime(2026, 7, 1, 0, 0, 0), FALSE, {2026, 5, 20}},  // outside: the selection stays
      {CTime(2026, 6, 30, 0, 0, 0), TRUE, {2026, 6, 30}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(calendar.SetCurSel(c.day), c.accepted) << Of(c.day);
    CTime selected;
    ASSERT_TRUE(calendar.GetCurSel(selected));
    EXPECT_EQ(Of(selected), c.selected);
  }
  CTime first, last;
  EXPECT_EQ(calendar.GetMonthRange(first, last, GMR_VISIBLE), 1);
  EXPECT_EQ(Of(first), (Ymd{2026, 6, 1}));
  EXPECT_EQ(Of(last), (Ymd{2026, 6, 30}));

  const CTime today(2026, 6, 12, 0, 0, 0);
  ASSERT_TRUE(calendar.SetToday(&today));
  CTime readToday;
  ASSERT_TRUE(calendar.GetToday(readToday));
  EXPECT_EQ(Of(readToday), (Ymd{2026, 6, 12}));

  int old = -1;
  EXPECT_TRUE(calendar.SetFirstDayOfWeek(0, &old));  // Monday first
  EXPECT_EQ(old, 6);
  EXPECT_EQ(calendar.GetFirstDayOfWeek(), 0);
  calendar.SetColor(MCSC_MONTHBK, RGB(250, 240, 230));
  EXPECT_EQ(calendar.GetColor(MCSC_MONTHBK), RGB(250, 240, 230));

  // A range calendar: SetCurSel is not its call, ranges are.
  CMonthCalCtrl ranges;
  ASSERT_TRUE(ranges.Create(WS_CHILD | MCS_MULTISELECT, POINT{200, 10}, &parent, 23));
  EXPECT_FALSE(ranges.SetCurSel(CTime(2026, 6, 1, 0, 0, 0)));
  ASSERT_TRUE(ranges.SetMaxSelCount(7));
  ASSERT_TRUE(ranges.SetSelRange(CTime(2026, 6, 1, 0, 0, 0), CTime(2026, 6, 3, 0, 0, 0)));
  ASSERT_TRUE(ranges.GetSelRange(first, last));
  EXPECT_EQ(Of(first), (Ymd{2026, 6, 1}));
  EXPECT_EQ(Of(last), (Ymd{2026, 6, 3}));
}

}  // namespace
