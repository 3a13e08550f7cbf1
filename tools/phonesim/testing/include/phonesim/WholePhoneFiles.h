#pragma once
// A phone's records as the phone keeps them in its flash files, for tests that put them into a
// simulated phone's state folder (or a scripted phone) before it starts and read them back after
// it stopped.
//
// Two samples, because two readers take the same files in different layouts:
// - SampleWholePhone and SamplePhoneBook are the phone's own files as the phone-access library's
//   stores read and write them (the group file of 19 names of 41 bytes, the contact records with
//   22-byte numbers, ten schedule or to-do records a block). This is what the simulated phone
//   keeps and what Daybook and Backup see. The records are laid out exactly as the stores write
//   them, so a phone that got them back from the library holds the same bytes.
// - SamplePhoneObjectFiles is laid out for the phone object's whole-phone read and write (19 names
//   of 42 bytes, 13-byte numbers, 76-byte schedule and 80-byte to-do records), with its media
//   arrays and raw blocks.
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace phonesim {

// (file number, sub-number) -> the file's bytes.
using FlashFiles = std::map<std::pair<int, int>, std::string>;

// The record layouts of a phone, which its software version decides: the short contact record
// (471 bytes instead of 524) when the version begins with "B" or "T"; the extended schedule and
// to-do records (280 and 272 bytes instead of 88 and 80) when it begins with "Z" or "U".
struct RecordLayouts {
  bool shortContacts = false;
  bool extendedCalendar = false;
};
// `phone` is a model of the simulator's table by name or row ("Selka"), or a software version
// ("TSE_0310").
RecordLayouts LayoutsOf(std::string_view phone);

// A sample phone in the layouts of `phone` (as LayoutsOf): groups 1, 2 and 6 named, contacts in
// the first, a middle and the last slot, twelve schedule entries over two blocks and five to-do
// items. `variant` changes the texts, so that two phones differ.
FlashFiles SampleWholePhone(std::string_view phone, int variant = 0);

// A full phone book: `count` contacts in slots 0 to count - 1, in the full contact layout that
// every model of the simulator's table keeps.
FlashFiles SamplePhoneBook(int count, int variant = 0);

// A whole phone for the phone object's whole-phone read: a few groups, contacts in the first, a
// middle and the last slot, twelve schedule entries and five to-do items in time order, items in
// every media array, and both raw blocks.
FlashFiles SamplePhoneObjectFiles(int variant = 0);

// The files of the group names, contacts, schedule and to-do list among `files`.
FlashFiles RecordFiles(const FlashFiles& files);

// The flash files of a phone's state folder ("<folder>/flash/<file>_<sub>.bin"), and putting
// files there (the phone must not be running).
FlashFiles ReadFlashFiles(const std::string& stateFolder);
bool WriteFlashFiles(const std::string& stateFolder, const FlashFiles& files);

}  // namespace phonesim
