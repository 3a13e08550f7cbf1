#pragma once
// A whole phone as the phone keeps it in its flash files, laid out here from the phone's side:
// the group names, contacts, schedule and to-do files, the four media arrays and the two raw
// blocks that a whole-phone read takes. Tests put them into a simulated phone's state folder (or
// a scripted phone), read the whole phone, write it to another phone, and compare the files.
#include <map>
#include <string>
#include <utility>

namespace phonesim {

// (file number, sub-number) -> the file's bytes.
using FlashFiles = std::map<std::pair<int, int>, std::string>;

// A sample whole phone: a few groups, contacts in the first, a middle and the last slot, twelve
// schedule entries and five to-do items in time order, items in every media array, and both
// raw blocks. `variant` changes the texts and bytes, so that two phones differ.
FlashFiles SampleWholePhone(int variant = 0);

// A full phone book: `count` contacts in slots 0 to count - 1, in the same layout as above.
FlashFiles SamplePhoneBook(int count, int variant = 0);

// The flash files of a phone's state folder ("<folder>/flash/<file>_<sub>.bin"), and putting
// files there (the phone must not be running).
FlashFiles ReadFlashFiles(const std::string& stateFolder);
bool WriteFlashFiles(const std::string& stateFolder, const FlashFiles& files);

}  // namespace phonesim
