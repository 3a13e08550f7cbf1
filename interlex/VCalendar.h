#pragma once
// Schedule entries and to-do items as vCalendar 1.0 files. One walk over the first 64 lines of a file
// gives both what a schedule entry and what a to-do item take from it, and whether the file is a
// vCalendar at all and whether it is marked as a to-do file ("TOOL: TODO"). Times in the files are
// UTC ("20240105T103000Z"); the records hold moments, shown in local time.
#include <handport/PhoneRecords.h>

#include <string>
#include <string_view>

namespace interlex {

struct VCalendarRead {
  bool isVCalendar = false;  // a "BEGIN:VCALENDAR" line was met
  bool isToDo = false;       // a "TOOL: TODO" line was met
  PA_SCHEDULE_INFO schedule;
  PA_TODO_INFO toDo;
};

// `extended` selects the long descriptions (256 bytes) of the extended phones; `now` is the start
// of an entry whose file gives none.
VCalendarRead ReadVCalendar(std::string_view bytes, bool extended, CTime now);

// Files of one record, lines ended by CR LF.
std::string WriteSchedule(const PA_SCHEDULE_INFO& entry);
std::string WriteToDo(const PA_TODO_INFO& item);

// "20240105T103000Z" as a moment; false (and `time` unchanged) when the value is too short, holds
// no digits where the fields are, or lies outside what a CTime holds.
bool ParseTimeValue(std::string_view value, CTime& time);
// The moment in UTC as "yyyymmddThhmm00Z".
std::string FormatTimeValue(CTime time);

// File names of the index-th exported record (from 0), without folder and extension. `toDoWord` is
// the text that marks to-do files ("ToDo").
CString ScheduleFileName(const PA_SCHEDULE_INFO& entry, int index);
CString ToDoFileName(const PA_TODO_INFO& item, const CString& toDoWord, int index);

}  // namespace interlex
