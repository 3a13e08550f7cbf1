#pragma once
// A contact with every field the phone book keeps filled from its number, for the exchange tests:
// what a format carries shows as an equal field after the round trip.
#include <handport/PhoneRecords.h>

namespace daybook_testing {

inline PA_PHONEBOOK_INFO FullContact(int n, DWORD pictureId, DWORD melodyId) {
  PA_PHONEBOOK_INFO c;
  c.strName.Format("Name %d", n);
  c.strReading.Format("Reading %d", n);
  for (int i = 0; i < 7; ++i) c.strNumber[i].Format("+49%d%d", n, i);
  c.strEmail[0].Format("a%d@example.org", n);
  c.strEmail[1].Format("b%d@example.org", n);
  c.strText[0].Format("Text %d", n);
  c.strText[1].Format("More %d", n);
  c.bGroup = static_cast<BYTE>(n % 20);
  c.bChoice = static_cast<BYTE>(n % 14);
  c.dwPictureId = pictureId;
  c.dwMelodyId = melodyId;
  return c;
}

}  // namespace daybook_testing
