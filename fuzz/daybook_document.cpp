// The Daybook document reader fed any bytes: whatever the file says, no read past its end, no
// allocation beyond what its bytes can hold, and only slots of the store reach it.
#include "DaybookDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class CheckingStore : public daybook::IDocumentStore {
 public:
  int GroupNameLimit() override { return 21; }
  int ContactFieldLimit(PA_CONTACT_FIELD field) override { return field == PA_CONTACT_NAME ? 30 : 64; }
  PA_RESULT PutGroup(PA_GROUP_INFO&, short slot) override { return Check(slot, 1, daybook::kGroupCount); }
  PA_RESULT PutContact(PA_PHONEBOOK_INFO&, short slot) override { return Check(slot, 0, daybook::kContactSlots - 1); }
  PA_RESULT PutSchedule(PA_SCHEDULE_INFO&, short slot) override { return Check(slot, 0, daybook::kScheduleSlots - 1); }
  PA_RESULT PutToDo(PA_TODO_INFO&, short slot) override { return Check(slot, 0, daybook::kToDoSlots - 1); }
  void PutResources(unsigned short type, std::span<PA_RESOURCE_INFO>) override {
    if (type > 1) std::abort();
  }

 private:
  static PA_RESULT Check(short slot, int low, int high) {
    if (slot < low || slot > high) std::abort();
    return PA_OK;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckingStore store;
  daybook::GroupDefaults defaults{};
  daybook::ReadDaybookBytes(std::span(data, size), store, defaults);
  return 0;
}
