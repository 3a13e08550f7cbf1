#pragma once
// One contact as a vCard 2.1 file: the reader takes the properties the phone can hold from the first
// 64 lines of a file, the writer writes every field of a contact. Both work on bytes in memory; the
// library's import and export move them between files and the exchange arrays.
#include <handport/PhoneRecords.h>

#include <string>
#include <string_view>

namespace interlex {

enum class VCardStatus {
  Ok,
  NoBegin,     // no "BEGIN:VCARD" line: not a vCard (an empty or unreadable file too)
  NoIdentity,  // neither name, reading, number nor e-mail
};

// Fills `contact` from the bytes of one file. The contact starts value-initialised whatever it held,
// so nothing of an earlier card can leak into it; an imported contact has no picture and no melody.
VCardStatus ReadVCard(std::string_view bytes, PA_PHONEBOOK_INFO& contact);

// The file of one contact, lines ended by CR LF. A text 1 holding a line break is written
// quoted-printable; in other values a line break becomes a blank.
std::string WriteVCard(const PA_PHONEBOOK_INFO& contact);

// The file name of the index-th exported contact (index from 0), without folder and extension.
CString VCardFileName(const PA_PHONEBOOK_INFO& contact, int index);

}  // namespace interlex
