#pragma once
// The Daybook document "PCHE1014": the PC-side store of the phone library written slot by slot with
// the groups' default settings and the cached picture and sound lists. The writer produces only the
// current version; the reader also takes the three older versions. Integers are little-endian, a
// text is a u32 byte count and its bytes (no terminator).
//
// The reader checks every count and text length against the bytes left before it reads or
// allocates anything, so a damaged or hostile file costs no more memory than its own size.
#include "GroupDefaults.h"

#include <handport/Manager.h>

#include <span>
#include <string_view>
#include <vector>

namespace daybook {

enum class DocumentVersion { V1005, V1006, V1009, V1014 };

enum class ReadStatus {
  Read,       // every section read
  NotOpened,  // the file could not be opened
  Refused,    // not a Daybook document (message 416)
  Stopped,    // ended early or held a text over its limit; what was read before stays stored
};

struct ReadResult {
  ReadStatus status = ReadStatus::NotOpened;
  DocumentVersion version = DocumentVersion::V1014;
  int refusedRecords = 0;  // records the phone library would not store whole
};

// What the reader needs of the PC-side store: its limits and the puts. The phone library's manager
// is one (ManagerDocumentStore); the fuzz target has one that keeps nothing.
class IDocumentStore {
 public:
  virtual ~IDocumentStore() = default;
  virtual int GroupNameLimit() = 0;
  virtual int ContactFieldLimit(PA_CONTACT_FIELD field) = 0;
  virtual PA_RESULT PutGroup(PA_GROUP_INFO& group, short slot) = 0;
  virtual PA_RESULT PutContact(PA_PHONEBOOK_INFO& contact, short slot) = 0;
  virtual PA_RESULT PutSchedule(PA_SCHEDULE_INFO& entry, short slot) = 0;
  virtual PA_RESULT PutToDo(PA_TODO_INFO& item, short slot) = 0;
  virtual void PutResources(unsigned short type, std::span<PA_RESOURCE_INFO> list) = 0;
};

class ManagerDocumentStore : public IDocumentStore {
 public:
  explicit ManagerDocumentStore(CManager& manager) : m_manager(manager) {}
  int GroupNameLimit() override { return m_manager.GetGroupMaxNameSize(); }
  int ContactFieldLimit(PA_CONTACT_FIELD field) override { return m_manager.GetContactMaxFieldSize(field); }
  PA_RESULT PutGroup(PA_GROUP_INFO& group, short slot) override { return m_manager.PA_PutGroup(&group, slot); }
  PA_RESULT PutContact(PA_PHONEBOOK_INFO& contact, short slot) override {
    return m_manager.PA_PutPhoneBook(&contact, slot);
  }
  PA_RESULT PutSchedule(PA_SCHEDULE_INFO& entry, short slot) override { return m_manager.PA_PutSchedule(&entry, slot); }
  PA_RESULT PutToDo(PA_TODO_INFO& item, short slot) override { return m_manager.PA_PutToDo(&item, slot); }
  void PutResources(unsigned short type, std::span<PA_RESOURCE_INFO> list) override {
    m_manager.PA_PutResourceList(type, list.data(), static_cast<unsigned short>(list.size()));
  }

 private:
  CManager& m_manager;
};

// The whole document of the store and the defaults of groups 1..19.
std::vector<BYTE> WriteDaybookBytes(CManager& manager, const GroupDefaults& defaults);
// Writes through the write-then-rename writer: false (last error set) leaves any old file whole.
bool WriteDaybookFile(std::string_view path, CManager& manager, const GroupDefaults& defaults);

// Reads a document into the store (which the caller emptied) and the defaults of the groups it
// holds. The caller rebuilds its pages from the store afterwards, whatever the result.
ReadResult ReadDaybookBytes(std::span<const BYTE> bytes, IDocumentStore& store, GroupDefaults& defaults);
ReadResult ReadDaybookBytes(std::span<const BYTE> bytes, CManager& manager, GroupDefaults& defaults);
ReadResult ReadDaybookFile(std::string_view path, CManager& manager, GroupDefaults& defaults);

// Texts of the document are in the ANSI code page (UTF-8); text that is not valid UTF-8 comes from
// another system and is taken as code page 1252.
CString DocumentText(std::string_view bytes);

}  // namespace daybook
