// vCalendar 1.0 reader and writers of schedule entries and to-do items (see VCalendar.h).
#include "VCalendar.h"

#include "LineReader.h"
#include "TextRoutines.h"

#include <ctime>
#include <limits>

namespace interlex {
namespace {

constexpr int kMaxLines = 64;
constexpr std::string_view kQuotedSummary = "SUMMARY;ENCODING=QUOTED-PRINTABLE:";

// The first 64 lines of a file, counting every line read, continuations and alarm lines included.
class CBoundedLines {
public:
  explicit CBoundedLines(std::string_view bytes) : m_reader(bytes) {}
  std::optional<std::string_view> Next() {
    if (m_count >= kMaxLines) return std::nullopt;
    auto line = m_reader.Next();
    if (line) ++m_count;
    return line;
  }

private:
  CLineReader m_reader;
  int m_count = 0;
};

struct KeyLine {
  std::string_view key;    // before the first ':'
  std::string_view value;  // between the first and the second ':'
  std::string_view rest;   // everything after the first ':'
};

KeyLine Split(std::string_view line) {
  KeyLine out;
  const size_t colon = line.find(':');
  out.key = line.substr(0, colon);
  if (colon == std::string_view::npos) return out;
  out.rest = line.substr(colon + 1);
  out.value = out.rest.substr(0, out.rest.find(':'));
  return out;
}

bool Digits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int Number(std::string_view s) {
  int value = 0;
  for (char c : s) value = value * 10 + (c - '0');
  return value;
}

void AddLine(std::string& out, std::string_view key, std::string_view value = {}) {
  out.append(key);
  out.append(value);
  out.append("\r\n");
}


}  // namespace

bool ParseTimeValue(std::string_view value, CTime& time) {
  if (value.size() < 13) return false;
  const std::string_view date = value.substr(0, 8);
  const std::string_view clock = value.substr(9, 4);
  if (!Digits(date) || !Digits(clock)) return false;
  std::tm fields{};
  fields.tm_year = Number(date.substr(0, 4)) - 1900;
  fields.tm_mon = Number(date.substr(4, 2)) - 1;
  fields.tm_mday = Number(date.substr(6, 2));
  fields.tm_hour = Number(clock.substr(0, 2));
  fields.tm_min = Number(clock.substr(2, 2));
  // UTC fields straight to seconds: no detour through local time, so every zone and DST edge is exact.
  const time_t seconds = timegm(&fields);
  if (seconds < 0 || seconds > std::numeric_limits<std::int32_t>::max()) return false;
  time = CTime(seconds);
  return true;
}

std::string FormatTimeValue(CTime time) {
  return std::string(AsView(time.FormatGmt("%Y%m%dT%H%M"))) + "00Z";
}

VCalendarRead ReadVCalendar(std::string_view bytes, bool extended, CTime now) {
  VCalendarRead read;
  PA_SCHEDULE_INFO& entry = read.schedule;
  PA_TODO_INFO& item = read.toDo;
  entry.tmStart = now;
  item.tmStart = now;
  item.tmDue = now;
  // What the program gives a new item: normal priority, business, not private.
  item.bPriority = 1;
  const int scheduleBudget = extended ? 256 : 64;
  const int toDoBudget = extended ? 256 : 32;

  CBoundedLines lines(bytes);
  while (auto next = lines.Next()) {
    std::string_view line = *next;
    if (line == "BEGIN:VCALENDAR" || line == "BEGIN: VCALENDAR") read.isVCalendar = true;
    if (line == "TOOL: TODO" || line == "TOOL:TODO") read.isToDo = true;
    std::string joined;
    if (line.substr(0, kQuotedSummary.size()) == kQuotedSummary) {
      joined.assign(line);
      while (!joined.empty() && joined.back() == '=') {
        auto more = lines.Next();
        if (!more) break;
        joined.pop_back();
        joined.append(*more);
      }
      line = joined;
    }
    const KeyLine kl = Split(line);
    if (kl.key == "DTSTART") {
      if (!ParseTimeValue(kl.value, entry.tmStart)) {
        // A to-do without a usable start keeps the program's fixed default.
        item.tmStart = CTime(2001, 1, 1, 0, 0, 0);
      } else {
        item.tmStart = entry.tmStart;
      }
    } else if (kl.key == "DTEND") {
      if (!ParseTimeValue(kl.value, item.tmDue)) item.tmDue = CTime(2003, 1, 1, 0, 0, 0);
    } else if (kl.key == "SUMMARY" || kl.key == "SUMMARY;ENCODING=QUOTED-PRINTABLE") {
      const CString text = kl.key == "SUMMARY" ? ToAnsiText(kl.rest) : ToAnsiText(AsView(QPDecode(CString(kl.rest))));
      entry.strDescription = ShortStrChange(scheduleBudget, text, 1);
      item.strDescription = ShortStrChange(toDoBudget, text, 1);
    } else if (kl.key == "RRULE") {
      entry.bRepeat = kl.value == "FREQ=DAILY" ? 1 : kl.value == "FREQ=WEEKLY" ? 2 : kl.value == "FREQ=MONTHLY" ? 3 : 0;
    } else if (kl.key == "CLASS") {
      if (kl.value == "PUBLIC") entry.bPrivate = item.bPrivate = 0;
      if (kl.value == "PRIVATE") entry.bPrivate = item.bPrivate = 1;
    } else if (kl.key == "CATEGORIES;ENCODING=QUOTED-PRINTABLE") {
      item.bCategory = kl.value == "Business" ? 0 : kl.value == "Personal" ? 1 : 2;
    } else if (kl.key == "PRIORITY") {
      item.bPriority = kl.value == "1" ? 0 : kl.value == "3" ? 1 : 2;
    } else if (kl.value == "VALARM") {
      // A line of one of the keys above is that key's whatever its value, so a description
      // "VALARM" stays a description.
      auto trigger = lines.Next();
      if (!trigger) break;
      entry.bAlarm = Split(*trigger).value == "0" ? 0 : 1;
      lines.Next();
      auto second = lines.Next();
      entry.strMelodyName = " ";
      entry.strReserved.Empty();
      if (second && *second != "END:VALARM") {
        entry.strMelodyName = ToAnsiText(Split(*second).value);
        lines.Next();
      }
    }
  }
  item.bStatus = 0;
  return read;
}

std::string WriteSchedule(const PA_SCHEDULE_INFO& entry) {
  static constexpr std::string_view kRepeat[] = {"", "DAILY", "WEEKLY", "MONTHLY"};
  std::string out;
  out.reserve(384);
  AddLine(out, "BEGIN: VCALENDAR");
  AddLine(out, "VERSION:1.0");
  AddLine(out, "BEGIN:VEVENT");
  AddLine(out, "DTSTART:", FormatTimeValue(entry.tmStart));
  if (HasLineBreak(entry.strDescription))
    AddLine(out, kQuotedSummary, AsView(QPEncode(AsView(entry.strDescription))));
  else
    AddLine(out, "SUMMARY:", AsView(entry.strDescription));
  if (entry.bRepeat >= 1 && entry.bRepeat <= 3) AddLine(out, "RRULE:FREQ=", kRepeat[entry.bRepeat]);
  AddLine(out, "CLASS:", entry.bPrivate ? "PRIVATE" : "PUBLIC");
  AddLine(out, "BEGIN:VALARM");
  AddLine(out, "TRIGGER:", entry.bAlarm ? "1" : "0");
  AddLine(out, "ACTION:", "AUDIO");
  if (entry.bAlarm) AddLine(out, "ATTACH;FMTTYPE=audio:", AsView(BlankLineBreaks(entry.strMelodyName)));
  AddLine(out, "END:VALARM");
  AddLine(out, "END:VEVENT");
  AddLine(out, "END:VCALENDAR");
  return out;
}

std::string WriteToDo(const PA_TODO_INFO& item) {
  std::string out;
  out.reserve(384);
  AddLine(out, "BEGIN: VCALENDAR");
  AddLine(out, "TOOL: TODO");
  AddLine(out, "VERSION:1.0");
  AddLine(out, "BEGIN:VEVENT");
  AddLine(out, "DTSTART:", FormatTimeValue(item.tmStart));
  AddLine(out, "DTEND:", FormatTimeValue(item.tmDue));
  AddLine(out, "CATEGORIES;ENCODING=QUOTED-PRINTABLE:",
          item.bCategory == 0 ? "Business" : item.bCategory == 1 ? "Personal" : "Other");
  AddLine(out, kQuotedSummary, AsView(QPEncode(AsView(item.strDescription))));
  AddLine(out, "PRIORITY:", item.bPriority == 0 ? "1" : item.bPriority == 2 ? "5" : "3");
  AddLine(out, "CLASS:", item.bPrivate ? "PRIVATE" : "PUBLIC");
  AddLine(out, "END:VEVENT");
  AddLine(out, "END:VCALENDAR");
  return out;
}

CString ScheduleFileName(const PA_SCHEDULE_INFO& entry, int index) {
  CString name = entry.tmStart.Format("%Y%m%d%H%M");
  CString number;
  number.Format("_%d", index + 1);
  return name + number;
}

CString ToDoFileName(const PA_TODO_INFO& item, const CString& toDoWord, int index) {
  CString name = RemoveFileNameCharacters(BlankLineBreaks(item.strDescription + "_" + toDoWord));
  CString number;
  number.Format("_%d", index + 1);
  return name + number;
}

}  // namespace interlex
