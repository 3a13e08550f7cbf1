// The record stores fed raw flash-file bytes: a scripted phone holds files made of the fuzz input
// (the contact files in the full and the short layout, the schedule's and the to-do list's flag and
// block files in their standard and extended layouts, the group names), a store downloads them and
// every field of every slot is read back as the suite would show it.
#include "FuzzInput.h"

#include "GroupStore.h"
#include "PhoneBookStore.h"
#include "ScheduleStore.h"
#include "ToDoStore.h"
#include "support/FakeLinkService.h"
#include "support/FlashFilePhone.h"

#include <memory>

namespace {

struct Phone {
  FakeLinkService service;
  FlashFilePhone phone{service};
};

// One file's bytes: a length of up to two bytes, then that many bytes of the input. With `exact`
// set, a length byte of 0xFF stands for the size the store expects, so the fuzzer reaches the
// records behind the size checks.
std::string FileBytes(FuzzInput& input, std::size_t exact) {
  const int lead = input.Byte();
  const std::size_t length = lead == 0xFF && exact ? exact : static_cast<std::size_t>(lead | input.Byte() << 8);
  const auto bytes = input.Bytes(length);
  std::string file(bytes.begin(), bytes.end());
  if (lead == 0xFF && exact) file.resize(exact, '\0');
  return file;
}

void ReadContacts(CPhoneBookStore& store, int slots) {
  for (int slot = 0; slot < slots; ++slot) {
    store.Select(slot);
    if (!store.IsUsed()) continue;
    store.GetName();
    store.GetReading();
    CString text;
    for (int i = 0; i < CPhoneBookStore::kNumberCount; ++i) store.GetNumber(i, text);
    for (int i = 0; i < 3; ++i) {
      store.GetEmail(i, text);
      store.GetText(i, text);
    }
    store.GetChoice();
    store.GetGroup();
    store.GetPhoneFlag();
    store.GetPicture();
    store.GetMelody();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Phone* phone = new Phone;  // one phone for the run: each input sets the files it reads
  FuzzInput input(data, size);
  const int kind = input.Below(7);
  phone->phone.SetVersion(input.Byte() & 1 ? "BXA_0100" : "YAA_0412");
  CLinkEngine engine{phone->service.Address()};
  if (!engine.Connect()) return 0;
  engine.SetTimeout(500);

  switch (kind) {
    case 0: {  // contacts: ten slots, each file in either layout's size
      auto store = std::make_unique<CPhoneBookStore>();
      for (int slot = 0; slot < 10; ++slot) {
        phone->phone.SetFile(CPhoneBookStore::kContactFile, slot,
                             FileBytes(input, input.Byte() & 1 ? CPhoneBookStore::kShortRecordSize
                                                               : CPhoneBookStore::kFullRecordSize));
      }
      store->Download(nullptr, engine, 0, 9);
      ReadContacts(*store, 10);
      break;
    }
    case 1:
    case 2: {
      std::unique_ptr<CScheduleStore> store =
          kind == 1 ? std::make_unique<CScheduleStore>() : std::make_unique<CScheduleStoreEx>();
      phone->phone.SetFile(CScheduleStore::kFlagsFile, CScheduleStore::kFlagsSub,
                           FileBytes(input, CScheduleStore::kSlotCount));
      for (int block = 0; block < 3; ++block) {
        phone->phone.SetFile(CScheduleStore::kBlockFile, block, FileBytes(input, 10 * store->RecordSize()));
      }
      store->Download(nullptr, engine, 0, 29);
      for (int slot = 0; slot < 30; ++slot) {
        store->Select(slot);
        if (!store->IsUsed()) continue;
        store->GetDescription();
        store->GetStart();
        store->GetAlarm();
        store->GetRepeat();
        store->GetPrivate();
        store->GetMelodyId();
        store->GetMelodyName();
      }
      break;
    }
    case 3:
    case 4: {
      std::unique_ptr<CToDoStore> store = kind == 3 ? std::make_unique<CToDoStore>() : std::make_unique<CToDoStoreEx>();
      phone->phone.SetFile(CToDoStore::kFlagsFile, CToDoStore::kFlagsSub, FileBytes(input, CToDoStore::kSlotCount));
      for (int block = 0; block < 3; ++block) {
        phone->phone.SetFile(CToDoStore::kBlockFile, block, FileBytes(input, 10 * store->RecordSize()));
      }
      store->Download(nullptr, engine, 0, 29);
      for (int slot = 0; slot < 30; ++slot) {
        store->Select(slot);
        if (!store->IsUsed()) continue;
        store->GetDescription();
        store->GetStart();
        store->GetDue();
        store->GetStatus();
        if (kind == 4) static_cast<CToDoStoreEx&>(*store).GetPriority();
      }
      break;
    }
    default: {
      CGroupStore store;
      phone->phone.SetFile(CGroupStore::kFileNumber, CGroupStore::kSubNumber, FileBytes(input, CGroupStore::kFileSize));
      store.Download(engine);
      for (int group = 1; group <= CGroupStore::kGroupCount; ++group) {
        store.Select(group);
        if (store.IsUsed()) store.GetName();
      }
      break;
    }
  }
  return 0;
}
