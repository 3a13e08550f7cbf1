// vCard 2.1 reader and writer of one contact (see VCard.h).
#include "VCard.h"

#include "LineReader.h"
#include "TextRoutines.h"

#include <array>

namespace interlex {
namespace {

constexpr int kMaxLines = 64;
constexpr std::string_view kQuotedNote = "NOTE;ENCODING=QUOTED-PRINTABLE:";
// Blanks, and what RemoveCharacteres drops, leave a number.
constexpr std::string_view kNumberDrops = " \\/:*?<>|-;\"";

enum class Prepare { None, Number, QuotedPrintable };

struct Property {
  std::string_view key;
  CString& (*field)(PA_PHONEBOOK_INFO&);
  Prepare prepare;
  int budget;
  int keepDoubleByte;
};

// The properties a contact takes from a card; the first line of each wins.
const std::array<Property, 14> kProperties{{
    {"FN", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strName; }, Prepare::None, 30, 1},
    {"N", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strReading; }, Prepare::None, 30, 1},
    {"TEL;HOME;VOICE", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strNumber[0]; }, Prepare::Number, 40, 0},
    {"TEL;CELL;VOICE", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strNumber[1]; }, Prepare::Number, 40, 0},
    {"TEL;WORK;VOICE", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strNumber[2]; }, Prepare::Number, 40, 0},
    {"TEL;HOME;FAX", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strNumber[3]; }, Prepare::Number, 40, 0},
    {"TEL;WORK;FAX", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strNumber[4]; }, Prepare::Number, 40, 0},
    {"TEL;VOICE", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strNumber[5]; }, Prepare::Number, 40, 0},
    {"TEL;HOME", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strNumber[6]; }, Prepare::Number, 40, 0},
    {"NOTE", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strText[0]; }, Prepare::None, 64, 1},
    {"NOTE2", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strText[1]; }, Prepare::None, 64, 1},
    {"NOTE;ENCODING=QUOTED-PRINTABLE", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strText[0]; },
     Prepare::QuotedPrintable, 64, 1},
    {"EMAIL;PREF;INTERNET", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strEmail[0]; }, Prepare::None, 64, 0},
    {"EMAIL;INTERNET", [](PA_PHONEBOOK_INFO& c) -> CString& { return c.strEmail[1]; }, Prepare::None, 64, 0},
}};

// The group is the value's leading digits; a number that names no group (above 19) is no group.
BYTE ParseGroup(std::string_view value) {
  int group = 0;
  for (char c : value) {
    if (c < '0' || c > '9') break;
    group = group * 10 + (c - '0');
    if (group > 19) return 0;
  }
  return static_cast<BYTE>(group);
}

void AddLine(std::string& out, std::string_view key, std::string_view value) {
  out.append(key);
  out.append(value);
  out.append("\r\n");
}

std::string_view Plain(const CString& value, CString& keep) {
  if (!HasLineBreak(value)) return AsView(value);
  keep = BlankLineBreaks(value);
  return AsView(keep);
}

}  // namespace

VCardStatus ReadVCard(std::string_view bytes, PA_PHONEBOOK_INFO& contact) {
  contact = PA_PHONEBOOK_INFO{};
  std::array<bool, kProperties.size()> seen{};
  bool seenGroup = false;
  bool isVCard = false;
  CLineReader reader(bytes);
  int lines = 0;
  while (lines < kMaxLines) {
    auto next = reader.Next();
    if (!next) break;
    ++lines;
    std::string_view line = *next;
    if (line == "BEGIN:VCARD" || line == "BEGIN: VCARD") isVCard = true;
    std::string joined;
    if (line.substr(0, kQuotedNote.size()) == kQuotedNote) {
      // Soft line breaks: the continuation is joined before the value is decoded.
      joined.assign(line);
      while (!joined.empty() && joined.back() == '=' && lines < kMaxLines) {
        auto more = reader.Next();
        if (!more) break;
        ++lines;
        joined.pop_back();
        joined.append(*more);
      }
      line = joined;
    }
    std::string_view rest(line);
    const size_t lead = rest.find_first_not_of(':');
    rest.remove_prefix(lead == std::string_view::npos ? rest.size() : lead);
    const size_t colon = rest.find(':');
    const std::string_view key = rest.substr(0, colon);
    const std::string_view value = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);

    if (key == "ORG") {
      if (!seenGroup) contact.bGroup = ParseGroup(value);
      seenGroup = true;
      continue;
    }
    for (size_t i = 0; i < kProperties.size(); ++i) {
      const Property& property = kProperties[i];
      if (key != property.key || seen[i]) continue;
      seen[i] = true;
      // Prepared in place; the field gets one string, already cut.
      std::string scratch, prepared;
      CString decoded;
      std::string_view text;
      switch (property.prepare) {
        case Prepare::None: text = AnsiView(value, scratch); break;
        case Prepare::QuotedPrintable:
          decoded = QPDecode(CString(value));
          text = AnsiView(AsView(decoded), scratch);
          break;
        case Prepare::Number:
          for (char c : AnsiView(value, scratch))
            if (kNumberDrops.find(c) == std::string_view::npos) prepared += c;
          text = prepared;
          break;
      }
      property.field(contact) = CString(text.substr(0, ShortLength(property.budget, text, property.keepDoubleByte)));
      break;
    }
  }
  if (!isVCard) return VCardStatus::NoBegin;
  bool identity = !contact.strName.IsEmpty() || !contact.strReading.IsEmpty() || !contact.strEmail[0].IsEmpty() ||
                  !contact.strEmail[1].IsEmpty();
  for (const CString& number : contact.strNumber) identity = identity || !number.IsEmpty();
  return identity ? VCardStatus::Ok : VCardStatus::NoIdentity;
}

std::string WriteVCard(const PA_PHONEBOOK_INFO& contact) {
  static constexpr std::array<std::string_view, 7> kNumberKeys{
      "TEL;HOME;VOICE:", "TEL;CELL;VOICE:", "TEL;WORK;VOICE:", "TEL;HOME;FAX:",
      "TEL;WORK;FAX:", "TEL;VOICE:", "TEL;HOME:"};
  std::string out;
  out.reserve(512);
  CString keep;
  AddLine(out, "BEGIN:VCARD", "");
  AddLine(out, "VERSION:2.1", "");
  AddLine(out, "FN:", Plain(contact.strName, keep));
  AddLine(out, "N:", Plain(contact.strReading.IsEmpty() ? contact.strName : contact.strReading, keep));
  AddLine(out, "ORG:", std::to_string(contact.bGroup));
  for (size_t i = 0; i < kNumberKeys.size(); ++i) AddLine(out, kNumberKeys[i], Plain(contact.strNumber[i], keep));
  if (HasLineBreak(contact.strText[0]))
    AddLine(out, kQuotedNote, AsView(QPEncode(AsView(contact.strText[0]))));
  else
    AddLine(out, "NOTE:", AsView(contact.strText[0]));
  AddLine(out, "NOTE2:", Plain(contact.strText[1], keep));
  AddLine(out, "EMAIL;PREF;INTERNET:", Plain(contact.strEmail[0], keep));
  AddLine(out, "EMAIL;INTERNET:", Plain(contact.strEmail[1], keep));
  AddLine(out, "END:VCARD", "");
  return out;
}

CString VCardFileName(const PA_PHONEBOOK_INFO& contact, int index) {
  CString name = RemoveFileNameCharacters(BlankLineBreaks(contact.strName));
  CString number;
  number.Format("_%d", index + 1);
  return name + number;
}

}  // namespace interlex
