// The manager without a phone, loaded by name as an application loads it: the order of its table
// of operations, its making and unmaking, the Build letters' limits and main folders, and the
// PC side's records, lists and caches with their range checks.
#include "support/ManagerHarness.h"

#include <kernel/Wait.h>

#include <gtest/gtest.h>

#include <functional>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The place of a virtual operation in the table, from its member pointer (the platform's C++ ABI
// keeps 1 + the byte offset in the table there).
template <class Member>
long SlotOf(Member member) {
  struct {
    std::ptrdiff_t pointer;
    std::ptrdiff_t adjustment;
  } raw;
  static_assert(sizeof(Member) == sizeof raw);
  std::memcpy(&raw, &member, sizeof raw);
  return static_cast<long>((raw.pointer - 1) / static_cast<std::ptrdiff_t>(sizeof(void*)));
}

TEST(ManagerTable, EveryOperationKeepsItsPlace) {
  using M = CManager;
  const std::vector<std::pair<long, long>> slots = {
      {SlotOf(&M::CheckLockInfo), 0},
      {SlotOf(&M::GetUTF8Length), 1},
      {SlotOf(&M::GetGroupMaxNameSize), 2},
      {SlotOf(&M::GetScheduleMaxDescriptionSize), 3},
      {SlotOf(&M::GetToDoMaxDescriptionSize), 4},
      {SlotOf(&M::GetContactMaxFieldSize), 5},
      {SlotOf(&M::PA_GetDLLVersion), 6},
      {SlotOf(&M::PA_GetPhoneInfo), 7},
      {SlotOf(&M::PA_GetGroup), 8},
      {SlotOf(&M::PA_GetPhoneBook), 9},
      {SlotOf(&M::PA_GetSchedule), 10},
      {SlotOf(&M::PA_GetToDo), 11},
      {SlotOf(&M::PA_GetResourceList), 12},
      {SlotOf(&M::PA_GetNumResourcesList), 13},
      {SlotOf(&M::PA_GetSupportTypes), 14},
      {SlotOf(&M::PA_GetNumMessages), 15},
      {SlotOf(&M::PA_GetMessage), 16},
      {SlotOf(&M::PA_GetIMEI), 17},
      {SlotOf(&M::PA_GetFileSystemFreeSpace), 18},
      {SlotOf(&M::PA_GetIModeMessage), 19},
      {SlotOf(&M::PA_GetNumIModeMessages), 20},
      {SlotOf(&M::PA_PutGroup), 21},
      {SlotOf(&M::PA_PutPhoneBook), 22},
      {SlotOf(&M::PA_PutSchedule), 23},
      {SlotOf(&M::PA_PutToDo), 24},
      {SlotOf(&M::PA_PutResourceList), 25},
      {SlotOf(&M::PA_PutMessage), 26},
      {SlotOf(&M::PA_PutResourceInfo), 27},
      {SlotOf(&M::PA_PutIModeMessage), 28},
      {SlotOf(&M::PA_RemovePrivateGroup), 29},
      {SlotOf(&M::PA_RemovePrivatePhoneBook), 30},
      {SlotOf(&M::PA_RemovePrivateSchedule), 31},
      {SlotOf(&M::PA_RemovePrivateToDo), 32},
      {SlotOf(&M::PA_RemovePrivateMessage), 33},
      {SlotOf(&M::PA_ClearResourceInfo), 34},
      {SlotOf(&M::PA_RemovePrivateIModeMessage), 35},
      {SlotOf(&M::PA_ExistsGroup), 36},
      {SlotOf(&M::PA_ExistsPhoneBook), 37},
      {SlotOf(&M::PA_ExistsSchedule), 38},
      {SlotOf(&M::PA_ExistsToDo), 39},
      {SlotOf(&M::PA_DownloadGroups), 40},
      {SlotOf(&M::PA_DownloadPhoneBook), 41},
      {SlotOf(&M::PA_DownloadSchedule), 42},
      {SlotOf(&M::PA_DownloadToDo), 43},
      {SlotOf(&M::PA_GetNumMainFolders), 44},
      {SlotOf(&M::PA_GetMainFolder), 45},
      {SlotOf(&M::PA_DownloadResourceList), 46},
      {SlotOf(static_cast<PA_MS_RESULT (M::*)(PA_RESOURCE_INFO*, short, short, unsigned char)>(&M::PA_DownloadResource)), 47},
      {SlotOf(static_cast<PA_MS_RESULT (M::*)(PA_RESOURCE_INFO*, short)>(&M::PA_DownloadResource)), 48},
      {SlotOf(&M::PA_GetNumSubfolders), 49},
      {SlotOf(&M::PA_GetFolderInfo), 50},
      {SlotOf(&M::PA_GetNumResources), 51},
      {SlotOf(&M::PA_GetResourceInfo), 52},
      {SlotOf(&M::PA_DownloadMessages), 53},
      {SlotOf(&M::PA_DownloadIModeMessages), 54},
      {SlotOf(&M::PA_UploadGroups), 55},
      {SlotOf(&M::PA_UploadPhoneBook), 56},
      {SlotOf(&M::PA_UploadSchedule), 57},
      {SlotOf(&M::PA_UploadToDo), 58},
      {SlotOf(&M::PA_UploadResource), 59},
      {SlotOf(&M::PA_CreateFolder), 60},
      {SlotOf(&M::PA_UploadMessages), 61},
      {SlotOf(&M::PA_UploadIModeMessages), 62},
      {SlotOf(&M::PA_RemoveMSGroup), 63},
      {SlotOf(&M::PA_RemoveMSPhoneBook), 64},
      {SlotOf(&M::PA_RemoveMSSchedule), 65},
      {SlotOf(&M::PA_RemoveMSToDo), 66},
      {SlotOf(&M::PA_RemoveMSResource), 67},
      {SlotOf(&M::PA_RemoveMSFolder), 68},
      {SlotOf(&M::PA_RenameMSFile), 69},
      {SlotOf(&M::PA_MoveMSFile), 70},
      {SlotOf(&M::PA_CancelTransfer), 71},
      {SlotOf(&M::PA_GetCancelEventHandle), 72},
      {SlotOf(&M::DeleteDataArray), 73},
      {SlotOf(&M::PA_ClosePort), 74},
      {SlotOf(&M::SetCallbackFunction), 75},
      {SlotOf(&M::PowerOff), 76},
      {SlotOf(static_cast<PA_MS_RESULT (M::*)(char*)>(&M::TestModeOn)), 77},
      {SlotOf(static_cast<PA_MS_RESULT (M::*)()>(&M::TestModeOn)), 78},
  };
  for (std::size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i].first, slots[i].second) << "operation " << i;
}

// A fresh library for each test: the layouts a "Z" or "U" build chose stay for the library's life.
class ManagerTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(library.Load()); }

  CManager& Start() {
    CManager* manager = library.Start();
    EXPECT_NE(manager, nullptr);
    return *manager;
  }

  QuietLinkHome home;
  ManagerLibrary library;
};

TEST_F(ManagerTest, StartStoresTheManagerAndDestroyLeavesTheStores) {
  CManager& manager = Start();
  PA_PHONEBOOK_INFO contact;
  contact.strName = "Ada";
  ASSERT_EQ(manager.PA_PutPhoneBook(&contact, 7), PA_OK);

  EXPECT_FALSE(library.Destroy(nullptr));
  CManager& second = Start();  // the first one is destroyed meanwhile
  PA_PHONEBOOK_INFO back;
  ASSERT_EQ(second.PA_GetPhoneBook(&back, 7), PA_OK);
  EXPECT_EQ(back.strName, "Ada");
}

// What each Build letter selects, as an application sees it without a phone. The layouts a "Z" or
// "U" build chose stay for the library's life, and an unloaded library may stay mapped, so each
// case loads the library in a process of its own.
struct BuildCase {
  const char* build;  // nullptr: no "Build" value
  int scheduleSize;
  int toDoExtendedField;
  short mainFolders;  // served by PA_GetMainFolder
  bool countReported;  // an unknown letter leaves PA_GetNumMainFolders' count unwritten
};
void PrintTo(const BuildCase& c, std::ostream* os) { *os << (c.build ? c.build : "(no Build)"); }
class ManagerBuildTest : public testing::TestWithParam<BuildCase> {};

void CheckBuild(const BuildCase& c) {
  QuietLinkHome home;
  if (c.build) WriteSetting("Build", std::string(c.build));
  ManagerLibrary library;
  ASSERT_TRUE(library.Load());
  ASSERT_NE(library.Start(), nullptr);
  CManager& manager = *library.Manager();
  EXPECT_EQ(manager.GetScheduleMaxDescriptionSize(), c.scheduleSize);
  EXPECT_EQ(manager.GetToDoMaxDescriptionSize(PA_TODO_DESCRIPTION), c.scheduleSize == 256 ? 256 : 32);
  EXPECT_EQ(manager.GetToDoMaxDescriptionSize(PA_TODO_UNIT2), 1);
  EXPECT_EQ(manager.GetToDoMaxDescriptionSize(PA_TODO_EXTENDED1), c.toDoExtendedField);
  EXPECT_EQ(manager.GetToDoMaxDescriptionSize(static_cast<PA_TODO_FIELD>(7)), 0);

  short count = -1;
  EXPECT_EQ(manager.PA_GetNumMainFolders(&count), PA_MS_OK);
  EXPECT_EQ(count, c.countReported ? c.mainFolders : -1);
  const char* names[] = {"Pictures", "Sounds", "Movies"};
  for (short index = -1; index <= 3; ++index) {
    PA_FOLDER_INFO folder;
    const bool inUse = index >= 0 && index < c.mainFolders;
    EXPECT_EQ(manager.PA_GetMainFolder(&folder, index), inUse ? PA_MS_OK : PA_MS_OUT_OF_RANGE) << index;
    if (!inUse) continue;
    EXPECT_EQ(folder.dwType, static_cast<DWORD>(index));
    EXPECT_EQ(folder.strName, names[index]);
    EXPECT_EQ(folder.lFolderId, -1);
  }
  PA_FOLDER_INFO folder;
  EXPECT_EQ(manager.PA_GetMainFolder(&folder, -32768), PA_MS_OUT_OF_RANGE);
}

TEST_P(ManagerBuildTest, LimitsAndMainFolders) {
  EXPECT_EXIT(
      {
        CheckBuild(GetParam());
        std::exit(testing::Test::HasFailure() ? 1 : 0);
      },
      testing::ExitedWithCode(0), "");
}

// A "Build" longer than its 128 bytes still names its letter.
const std::string kLongBuild = "ZSE_0100/" + std::string(200, 'X');

INSTANTIATE_TEST_SUITE_P(Letters, ManagerBuildTest,
                         testing::Values(BuildCase{"YAA_0412", 64, 0, 2, true}, BuildCase{"ZSE_0100", 256, 1, 3, true},
                                         BuildCase{"UAE_0118", 256, 1, 3, true}, BuildCase{"CWA_0330", 64, 0, 2, true},
                                         BuildCase{"MZE_0107", 64, 0, 2, true}, BuildCase{"QXX_0100", 64, 0, 2, false},
                                         BuildCase{"", 64, 0, 2, false}, BuildCase{nullptr, 64, 0, 2, false},
                                         BuildCase{kLongBuild.c_str(), 256, 1, 3, true}),
                         [](const testing::TestParamInfo<BuildCase>& info) {
                           const char* build = info.param.build;
                           if (!build) return std::string("Missing");
                           if (!*build) return std::string("Empty");
                           return std::string(1, build[0]) + std::to_string(std::strlen(build));
                         });

TEST_F(ManagerTest, AnUnknownBuildRefusesTheCommandModeWithoutTouchingTheLink) {
  WriteSetting("Build", std::string("QXX_0100"));
  CManager& manager = Start();
  // Nothing listens where the library points: a connection would have answered 1.
  EXPECT_EQ(manager.TestModeOn(), PA_MS_OTHER_MODEL);
  char code[] = "00129";
  EXPECT_EQ(manager.TestModeOn(code), PA_MS_LINK_DOWN);
}

// Nothing listens where the library points: the media operations that reach the phone answer 1
// (the link is down), and the phone side's removals (slots 63 and 64) refuse a slot out of range
// before they try the phone, and fail with 2 when they cannot write to it.
TEST_F(ManagerTest, WithoutALinkMediaOperationsAnswerLinkDownAndRemovalsFail) {
  WriteSetting("Build", std::string("YAA_0412"));
  CManager& manager = Start();
  PA_RESOURCE_INFO record;
  record.strFileName = "a.png";
  std::vector<BYTE> bytes(10, 1);
  record.dwSize = static_cast<DWORD>(bytes.size());
  record.pData = bytes.data();
  PA_FOLDER_INFO folder;
  folder.strName = "New";
  const std::pair<const char*, std::function<PA_MS_RESULT()>> media[] = {
      {"DownloadResourceList", [&] { return manager.PA_DownloadResourceList(0); }},
      {"DownloadResource", [&] { return manager.PA_DownloadResource(&record, 0, 0, 0); }},
      {"UploadResource", [&] { return manager.PA_UploadResource(&record); }},
      {"CreateFolder", [&] { return manager.PA_CreateFolder(&folder); }},
      {"RemoveMSResource", [&] { return manager.PA_RemoveMSResource(3); }},
      {"RemoveMSFolder", [&] { return manager.PA_RemoveMSFolder(1, 2); }},
  };
  for (const auto& [name, run] : media) EXPECT_EQ(run(), PA_MS_LINK_DOWN) << name;

  EXPECT_EQ(manager.PA_RemoveMSGroup(20), PA_MS_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_RemoveMSPhoneBook(500), PA_MS_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_RemoveMSPhoneBook(-2), PA_MS_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_RemoveMSGroup(3), PA_MS_FAILED);
  EXPECT_EQ(manager.PA_RemoveMSPhoneBook(499), PA_MS_FAILED);
}

TEST_F(ManagerTest, ContactFieldLimits) {
  CManager& manager = Start();
  const std::vector<std::pair<int, int>> limits = {{0, 30}, {1, 30}, {2, 41}, {8, 41},  {9, 1},   {12, 1},
                                                   {13, 64}, {16, 64}, {17, 0}, {-1, 0}, {1000, 0}};
  for (const auto& [field, size] : limits)
    EXPECT_EQ(manager.GetContactMaxFieldSize(static_cast<PA_CONTACT_FIELD>(field)), size) << field;
  EXPECT_EQ(manager.GetGroupMaxNameSize(), 21);

  WriteSetting("EuropeanSupport", DWORD{1});
  CManager& european = Start();
  EXPECT_EQ(european.GetContactMaxFieldSize(PA_CONTACT_READING), 0);
  EXPECT_EQ(european.GetContactMaxFieldSize(PA_CONTACT_NAME), 30);
}

TEST_F(ManagerTest, TextLengthsInThePhonesUtf8) {
  CManager& manager = Start();
  EXPECT_EQ(manager.GetUTF8Length(""), 0);
  EXPECT_EQ(manager.GetUTF8Length("abc"), 3);
  EXPECT_EQ(manager.GetUTF8Length("\xC3\xA4\xE2\x82\xAC"), 5);  // a-umlaut and the euro sign
  CString version;
  EXPECT_EQ(manager.PA_GetDLLVersion(&version), PA_OK);
  EXPECT_EQ(version, "00.01");
}

TEST_F(ManagerTest, PcSideRecordsAndTheirSlots) {
  CManager& manager = Start();
  PA_GROUP_INFO group;
  group.strName = "Friends";
  EXPECT_EQ(manager.PA_PutGroup(&group, 0), PA_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_PutGroup(&group, 20), PA_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_PutGroup(nullptr, 3), PA_EMPTY_SLOT);
  ASSERT_EQ(manager.PA_PutGroup(&group, 19), PA_OK);
  PA_GROUP_INFO back;
  ASSERT_EQ(manager.PA_GetGroup(&back, 19), PA_OK);
  EXPECT_EQ(back.bExists, 1);
  EXPECT_EQ(back.strName, "Friends");
  back.bExists = 1;
  EXPECT_EQ(manager.PA_GetGroup(&back, 18), PA_EMPTY_SLOT);
  EXPECT_EQ(back.bExists, 0);

  PA_PHONEBOOK_INFO contact;
  contact.strName = "Grace";
  EXPECT_EQ(manager.PA_PutPhoneBook(&contact, 500), PA_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_PutPhoneBook(&contact, -1), PA_OUT_OF_RANGE);
  ASSERT_EQ(manager.PA_PutPhoneBook(&contact, 499), PA_OK);
  EXPECT_EQ(manager.PA_RemovePrivatePhoneBook(499), PA_OK);
  EXPECT_EQ(manager.PA_GetPhoneBook(&contact, 499), PA_EMPTY_SLOT);
  EXPECT_EQ(manager.PA_RemovePrivatePhoneBook(500), PA_OUT_OF_RANGE);

  PA_SCHEDULE_INFO entry;
  EXPECT_EQ(manager.PA_GetSchedule(&entry, 600), PA_OUT_OF_RANGE);
  PA_TODO_INFO item;
  EXPECT_EQ(manager.PA_GetToDo(&item, 100), PA_OUT_OF_RANGE);

  // The phone side holds nothing before a download.
  unsigned char exists = 1;
  EXPECT_EQ(manager.PA_ExistsGroup(19, &exists), PA_MS_OK);
  EXPECT_EQ(exists, 0);
  exists = 1;
  EXPECT_EQ(manager.PA_ExistsPhoneBook(500, &exists), PA_MS_OUT_OF_RANGE);
  EXPECT_EQ(exists, 0);
  EXPECT_EQ(manager.PA_ExistsSchedule(-2, &exists), PA_MS_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_ExistsToDo(100, &exists), PA_MS_OUT_OF_RANGE);
  // A slot out of range is refused before the phone is asked.
  EXPECT_EQ(manager.PA_DownloadPhoneBook(500), PA_MS_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_UploadSchedule(-2), PA_MS_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_RemoveMSToDo(100), PA_MS_OUT_OF_RANGE);
}

PA_RESOURCE_INFO Resource(const char* displayName, DWORD fileId) {
  PA_RESOURCE_INFO record;
  record.strDisplayName = displayName;
  record.strFileName = displayName;
  record.dwFileId = fileId;
  return record;
}

TEST_F(ManagerTest, ResourceListsRefuseTypesOutsideTheirTable) {
  CManager& manager = Start();
  PA_RESOURCE_INFO records[2] = {Resource("b", 2), Resource("a", 1)};
  for (unsigned short type : {3, 4, 0x7FFF, 0xFFFF}) {
    EXPECT_EQ(manager.PA_PutResourceList(type, records, 2), PA_OUT_OF_RANGE) << type;
    EXPECT_EQ(manager.PA_PutResourceInfo(type, records[0], 2), PA_OUT_OF_RANGE) << type;
    EXPECT_EQ(manager.PA_GetResourceList(type, records), PA_OUT_OF_RANGE) << type;
    EXPECT_EQ(manager.PA_ClearResourceInfo(type), PA_OUT_OF_RANGE) << type;
  }
  for (short type : {-1, -32768, 3, 32767}) {
    short count = 99;
    EXPECT_EQ(manager.PA_GetNumResourcesList(&count, type), PA_OUT_OF_RANGE) << type;
    EXPECT_EQ(count, 99);
  }

  // Type 2 is a list of its own even where the phone has no Movies folder.
  ASSERT_EQ(manager.PA_PutResourceList(2, records, 2), PA_OK);
  EXPECT_EQ(manager.PA_PutResourceList(2, records, 0), PA_OK);  // a count of 0 changes nothing
  short count = 0;
  ASSERT_EQ(manager.PA_GetNumResourcesList(&count, 2), PA_OK);
  ASSERT_EQ(count, 2);
  PA_RESOURCE_INFO back[2];
  ASSERT_EQ(manager.PA_GetResourceList(2, back), PA_OK);
  EXPECT_EQ(back[0].strDisplayName, "a");
  EXPECT_EQ(back[1].strDisplayName, "b");
  EXPECT_EQ(manager.PA_ClearResourceInfo(2), PA_OK);
  ASSERT_EQ(manager.PA_GetNumResourcesList(&count, 2), PA_OK);
  EXPECT_EQ(count, 0);
}

TEST_F(ManagerTest, MessageCachesKeepCopiesAndRefuseBadIndices) {
  CManager& manager = Start();
  BYTE bytes[] = {1, 2, 3};
  PA_MESSAGE_INFO message;
  message.dwBox = 2;
  message.dwLength = 3;
  message.pData = bytes;
  EXPECT_EQ(manager.PA_PutMessage(nullptr), PA_NULL_POINTER);
  ASSERT_EQ(manager.PA_PutMessage(&message), PA_OK);
  int count = 0;
  EXPECT_EQ(manager.PA_GetNumMessages(nullptr), PA_NULL_POINTER);
  ASSERT_EQ(manager.PA_GetNumMessages(&count), PA_OK);
  EXPECT_EQ(count, 1);
  PA_MESSAGE_INFO back;
  ASSERT_EQ(manager.PA_GetMessage(0, &back), PA_OK);
  EXPECT_EQ(back.dwBox, 2u);
  ASSERT_EQ(back.dwLength, 3u);
  EXPECT_EQ(std::memcmp(back.pData, bytes, 3), 0);
  EXPECT_EQ(manager.PA_GetMessage(1, &back), PA_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_GetMessage(0, nullptr), PA_NULL_POINTER);
  EXPECT_EQ(manager.PA_RemovePrivateMessage(-1), PA_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_RemovePrivateMessage(1), PA_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_RemovePrivateMessage(0), PA_OK);

  PA_IMODE_INFO mail;
  mail.dwLength = 3;
  mail.pData = bytes;
  ASSERT_EQ(manager.PA_PutIModeMessage(&mail), PA_OK);
  ASSERT_EQ(manager.PA_GetNumIModeMessages(&count), PA_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(manager.PA_RemovePrivateIModeMessage(-1), PA_OUT_OF_RANGE);
  EXPECT_EQ(manager.PA_RemovePrivateIModeMessage(0), PA_OK);
}

TEST_F(ManagerTest, ACancelWithNoTransferRunningChangesNothing) {
  CManager& manager = Start();
  void* handle = nullptr;
  manager.PA_GetCancelEventHandle(&handle);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(WaitForSingleObject(handle, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  manager.PA_CancelTransfer();  // no connection is open: nothing to cancel, nothing left behind
  EXPECT_EQ(WaitForSingleObject(handle, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  manager.DeleteDataArray(nullptr);
  EXPECT_EQ(manager.PA_DownloadResource(nullptr, 0), PA_MS_NOT_SUPPORTED);
  EXPECT_EQ(manager.PA_ClosePort(), PA_MS_OK);
}

}  // namespace
