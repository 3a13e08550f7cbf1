// Interlex's vCard reader fed a whole file. What it takes must fit the phone's budgets and be UTF-8,
// and a contact it accepts must come back the same from the file the writer makes of it.
#include "TextRoutines.h"
#include "VCard.h"

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

bool Fits(const CString& text, int budget) {
  return text.GetLength() <= budget && interlex::IsValidUtf8(interlex::AsView(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  PA_PHONEBOOK_INFO contact;
  const interlex::VCardStatus status = interlex::ReadVCard(bytes, contact);
  Check(Fits(contact.strName, 30) && Fits(contact.strReading, 30));
  for (const CString& number : contact.strNumber) Check(Fits(number, 40));
  for (const CString& text : contact.strText) Check(Fits(text, 64));
  for (const CString& email : contact.strEmail) Check(Fits(email, 64));
  Check(contact.bGroup <= 19);
  if (status != interlex::VCardStatus::Ok) return 0;

  PA_PHONEBOOK_INFO back;
  Check(interlex::ReadVCard(interlex::WriteVCard(contact), back) == interlex::VCardStatus::Ok);
  Check(back.strName == contact.strName && back.bGroup == contact.bGroup);
  for (int i = 0; i < 7; ++i) Check(back.strNumber[i] == contact.strNumber[i]);
  for (int i = 0; i < 2; ++i) Check(back.strText[i] == contact.strText[i] && back.strEmail[i] == contact.strEmail[i]);
  return 0;
}
