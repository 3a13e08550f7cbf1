// Interlex's vCalendar reader (schedule entry and to-do item in one walk) fed a whole file. The
// descriptions must fit their budgets and be UTF-8, and what the writers make of the records must
// read back the same.
#include "FuzzInput.h"
#include "TextRoutines.h"
#include "VCalendar.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Names the failed check's line before stopping, so a crash tells which property broke.
void Check(bool ok, int line = __builtin_LINE()) {
  if (ok) return;
  std::fprintf(stderr, "check at line %d failed\n", line);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const bool extended = input.Byte() & 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + (size ? 1 : 0), size ? size - 1 : 0);
  const CTime now(static_cast<time_t>(1699999980));  // a whole minute
  const interlex::VCalendarRead read = interlex::ReadVCalendar(bytes, extended, now);
  const int scheduleBudget = extended ? 256 : 64;
  const int toDoBudget = extended ? 256 : 32;
  Check(read.schedule.strDescription.GetLength() <= scheduleBudget);
  Check(read.toDo.strDescription.GetLength() <= toDoBudget);
  Check(interlex::IsValidUtf8(interlex::AsView(read.schedule.strDescription)));
  Check(read.schedule.bRepeat <= 3 && read.toDo.bPriority <= 2 && read.toDo.bCategory <= 2);

  const interlex::VCalendarRead schedule = interlex::ReadVCalendar(interlex::WriteSchedule(read.schedule), extended, now);
  Check(schedule.isVCalendar && !schedule.isToDo);
  Check(schedule.schedule.strDescription == read.schedule.strDescription);
  Check(schedule.schedule.tmStart.GetTime() == read.schedule.tmStart.GetTime());
  Check(schedule.schedule.bRepeat == read.schedule.bRepeat && schedule.schedule.bAlarm == read.schedule.bAlarm);

  const interlex::VCalendarRead toDo = interlex::ReadVCalendar(interlex::WriteToDo(read.toDo), extended, now);
  Check(toDo.isVCalendar && toDo.isToDo);
  Check(toDo.toDo.strDescription == read.toDo.strDescription);
  Check(toDo.toDo.tmStart.GetTime() == read.toDo.tmStart.GetTime() && toDo.toDo.tmDue.GetTime() == read.toDo.tmDue.GetTime());
  Check(toDo.toDo.bPriority == read.toDo.bPriority && toDo.toDo.bCategory == read.toDo.bCategory);
  return 0;
}
