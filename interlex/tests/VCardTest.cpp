// vCard files of one contact: what the reader takes from cards written here and elsewhere, and that
// every field written comes back.
#include "TestFiles.h"
#include "TextRoutines.h"
#include "VCard.h"

#include <gtest/gtest.h>

using namespace interlex;

namespace {

PA_PHONEBOOK_INFO FullContact() {
  PA_PHONEBOOK_INFO c;
  c.strName = "J\xC3\xB6rg = M|ller";
  c.strReading = "joerg";
  const char* numbers[] = {"+4940123", "0171555", "#31P2", "040999", "P12", "112", "+1P5"};
  for (int i = 0; i < 7; ++i) c.strNumber[i] = numbers[i];
  c.strEmail[0] = "j@example.de";
  c.strEmail[1] = "x|y=z@example.de";
  c.strText[0] = "line one\r\nline = two \xE2\x82\xAC";
  c.strText[1] = "second | note";
  c.bGroup = 19;
  return c;
}

void ExpectSameContact(const PA_PHONEBOOK_INFO& a, const PA_PHONEBOOK_INFO& b) {
  EXPECT_EQ(a.strName, b.strName);
  EXPECT_EQ(a.strReading, b.strReading);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(a.strNumber[i], b.strNumber[i]) << "number " << i + 1;
  for (int i = 0; i < 2; ++i) EXPECT_EQ(a.strEmail[i], b.strEmail[i]) << "e-mail " << i + 1;
  for (int i = 0; i < 2; ++i) EXPECT_EQ(a.strText[i], b.strText[i]) << "text " << i + 1;
  EXPECT_EQ(a.bGroup, b.bGroup);
}

TEST(VCardTest, EveryFieldComesBack) {
  const PA_PHONEBOOK_INFO contact = FullContact();
  const std::string file = WriteVCard(contact);
  PA_PHONEBOOK_INFO back;
  back.dwMelodyId = 77;  // whatever the record held before is gone
  ASSERT_EQ(ReadVCard(file, back), VCardStatus::Ok);
  ExpectSameContact(contact, back);
  EXPECT_EQ(back.dwMelodyId, 0u);
  EXPECT_EQ(back.dwPictureId, 0u);
  EXPECT_EQ(back.bValid, 0);
  // The line break of text 1 travels quoted-printable; everything else is one line per property.
  EXPECT_NE(file.find("\r\nNOTE;ENCODING=QUOTED-PRINTABLE:line one=0D=0Aline =3D two =E2=82=AC\r\n"),
            std::string::npos);
}

TEST(VCardTest, WritesTheLinesOfTheFormatByteForByte) {
  PA_PHONEBOOK_INFO c;
  c.strName = "Ana";
  c.strNumber[1] = "0171";
  c.strText[1] = "two\nlines";
  c.bGroup = 3;
  EXPECT_EQ(WriteVCard(c),
            "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Ana\r\nN:Ana\r\nORG:3\r\nTEL;HOME;VOICE:\r\nTEL;CELL;VOICE:0171\r\n"
            "TEL;WORK;VOICE:\r\nTEL;HOME;FAX:\r\nTEL;WORK;FAX:\r\nTEL;VOICE:\r\nTEL;HOME:\r\nNOTE:\r\n"
            "NOTE2:two lines\r\nEMAIL;PREF;INTERNET:\r\nEMAIL;INTERNET:\r\nEND:VCARD\r\n");
}

TEST(VCardTest, PropertyRules) {
  struct Case {
    const char* what;
    std::string file;
    VCardStatus status;
    std::function<void(const PA_PHONEBOOK_INFO&)> check;
  };
  const Case cases[] = {
      {"a number 7 alone is a phone", "BEGIN:VCARD\nTEL;HOME:5\nEND:VCARD\n", VCardStatus::Ok,
       [](const PA_PHONEBOOK_INFO& c) { EXPECT_EQ(c.strNumber[6], "5"); }},
      {"numbers lose blanks, dashes and the like", "BEGIN:VCARD\nTEL;CELL;VOICE:+49 (0) 1-2\nEND:VCARD\n",
       VCardStatus::Ok, [](const PA_PHONEBOOK_INFO& c) { EXPECT_EQ(c.strNumber[1], "+49(0)12"); }},
      {"quoted-printable note joined before decoding",
       "BEGIN:VCARD\nFN:a\nNOTE;ENCODING=QUOTED-PRINTABLE:caf=C3=A9=\n=20ok\nEND:VCARD\n", VCardStatus::Ok,
       [](const PA_PHONEBOOK_INFO& c) { EXPECT_EQ(c.strText[0], "caf\xC3\xA9 ok"); }},
      {"the later of NOTE and its quoted form fills text 1",
       "BEGIN:VCARD\nFN:a\nNOTE:plain\nNOTE;ENCODING=QUOTED-PRINTABLE:=41\nNOTE:again\nEND:VCARD\n",
       VCardStatus::Ok, [](const PA_PHONEBOOK_INFO& c) { EXPECT_EQ(c.strText[0], "A"); }},
      {"the first line of a property wins", "BEGIN: VCARD\nFN:first\nFN:second\nORG:4\nORG:5\n", VCardStatus::Ok,
       [](const PA_PHONEBOOK_INFO& c) {
         EXPECT_EQ(c.strName, "first");
         EXPECT_EQ(c.bGroup, 4);
       }},
      {"a group outside 1 to 19 is none", "BEGIN:VCARD\nFN:a\nORG:20\n", VCardStatus::Ok,
       [](const PA_PHONEBOOK_INFO& c) { EXPECT_EQ(c.bGroup, 0); }},
      {"a group is the leading digits", "BEGIN:VCARD\nFN:a\nORG:12abc\n", VCardStatus::Ok,
       [](const PA_PHONEBOOK_INFO& c) { EXPECT_EQ(c.bGroup, 12); }},
      {"keys are case-sensitive", "BEGIN:VCARD\nfn:a\nTEL;HOME:1\n", VCardStatus::Ok,
       [](const PA_PHONEBOOK_INFO& c) { EXPECT_EQ(c.strName, ""); }},
      {"leading colons are skipped, the value may hold colons", "BEGIN:VCARD\n::FN:a:b\n", VCardStatus::Ok,
       [](const PA_PHONEBOOK_INFO& c) { EXPECT_EQ(c.strName, "a:b"); }},
      {"a name is cut to 30 bytes between characters", "BEGIN:VCARD\nFN:" + std::string(14, 'x') + [] {
         std::string s;
         for (int i = 0; i < 10; ++i) s += "\xC3\xA9";
         return s;
       }() + "\n",
       VCardStatus::Ok,
       [](const PA_PHONEBOOK_INFO& c) { EXPECT_EQ(AsView(c.strName), std::string(14, 'x') + std::string("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9")); }},
      {"only the first 64 lines count", "BEGIN:VCARD\n" + std::string(62, '\n') + "FN:in\nFN2:x\nTEL;HOME:out\n",
       VCardStatus::Ok, [](const PA_PHONEBOOK_INFO& c) {
         EXPECT_EQ(c.strName, "in");
         EXPECT_EQ(c.strNumber[6], "");
       }},
      {"a card with a note only has no identity", "BEGIN:VCARD\nNOTE:x\nORG:2\n", VCardStatus::NoIdentity,
       [](const PA_PHONEBOOK_INFO&) {}},
      {"an empty file is no vCard", "", VCardStatus::NoBegin, [](const PA_PHONEBOOK_INFO&) {}},
      {"a BEGIN past line 64 is not seen", std::string(64, '\n') + "BEGIN:VCARD\nFN:a\n", VCardStatus::NoBegin,
       [](const PA_PHONEBOOK_INFO&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PA_PHONEBOOK_INFO contact;
    EXPECT_EQ(ReadVCard(c.file, contact), c.status);
    c.check(contact);
  }
}

TEST(VCardTest, CardsWrittenByOtherPrograms) {
  PA_PHONEBOOK_INFO c;
  // An address book's vCard 3.0: folded lines, TYPE parameters and grouped properties match no
  // property of the phone; what does match is taken as written.
  ASSERT_EQ(ReadVCard(ReadTestFile("addressbook30.vcf"), c), VCardStatus::Ok);
  EXPECT_EQ(c.strName, "Ana Lind");
  EXPECT_EQ(c.strReading, "Lind;Ana;;;");
  EXPECT_EQ(c.strText[0], "first line of a long note that an address book folded over");
  EXPECT_EQ(c.bGroup, 0);
  for (const CString& number : c.strNumber) EXPECT_EQ(number, "");
  EXPECT_EQ(c.strEmail[0], "");

  // A phone's vCard 2.1 in code page 1252 with CR LF: text arrives as UTF-8.
  ASSERT_EQ(ReadVCard(ReadTestFile("phone21_1252.vcf"), c), VCardStatus::Ok);
  EXPECT_EQ(c.strName, "J\xC3\xB6rg M\xC3\xBCller");
  EXPECT_EQ(c.strReading, "");  // N;CHARSET=... is another key
  EXPECT_EQ(c.strNumber[1], "01712345678");
  EXPECT_EQ(c.strNumber[6], "(040)1234");
  EXPECT_EQ(c.strEmail[0], "joerg@example.de");
  EXPECT_EQ(c.strText[0], "Stra\xC3\x9F" "e 1\r\nHamburg");
  EXPECT_EQ(c.bGroup, 3);

  // Old Macintosh line ends, no VERSION line.
  ASSERT_EQ(ReadVCard(ReadTestFile("cr_only_number.vcf"), c), VCardStatus::Ok);
  EXPECT_EQ(c.strNumber[6], "+15550100");
}

TEST(VCardTest, FileNames) {
  PA_PHONEBOOK_INFO c;
  c.strName = "a/b:c";
  EXPECT_EQ(VCardFileName(c, 0), "abc_1");
  c.strName = "";
  EXPECT_EQ(VCardFileName(c, 4), "_5");
  c.strName = "x<>|?*\"\\y";
  EXPECT_EQ(VCardFileName(c, 10), "xy_11");
}

}  // namespace
