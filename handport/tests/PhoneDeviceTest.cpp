// The phone object against a scripted phone behind the stand-in link service: its model answers,
// the listing of a main folder into the resource caches, the message counts and the order of the
// message and mail sequences, and the message caches' ownership of their bytes.
#include "DataArray.h"
#include "PhoneDevice.h"
#include "support/FakeLinkService.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Wait.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

std::size_t CountOf(const std::vector<std::string>& commands, std::string_view prefix) {
  return static_cast<std::size_t>(
      std::count_if(commands.begin(), commands.end(), [&](const std::string& c) { return c.starts_with(prefix); }));
}

class PhoneDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service.Listening());
    service.SetPhoneScript([this](const std::string& command) {
      sent.push_back(command);
      std::string reply;
      if (const auto found = answers.find(command); found != answers.end()) {
        reply = found->second;
      } else if (phone) {
        reply = phone(command);
      }
      std::vector<std::string> frames;
      if (!reply.empty()) frames.push_back(FakeLinkService::ReplyFrame(reply));
      return frames;
    });
    ASSERT_EQ(engine.Connect(), 1);
    engine.SetTimeout(100);
  }

  std::vector<CString> DisplayNames(const CResourceCaches& caches, int type) {
    std::vector<PA_RESOURCE_INFO> records(static_cast<std::size_t>(caches.GetCount(type)));
    caches.GetList(type, records);
    std::vector<CString> names;
    for (const PA_RESOURCE_INFO& record : records) names.push_back(record.strDisplayName);
    return names;
  }

  // Declared before the service: its thread runs the script, which touches them, until it is joined.
  std::map<std::string, std::string> answers;                 // fixed answers by command
  std::function<std::string(const std::string&)> phone;      // the rest
  std::vector<std::string> sent;
  FakeLinkService service;
  CLinkEngine engine{service.Address()};
  CPhoneDevice device{engine};
};

TEST_F(PhoneDeviceTest, TheModelAnswersItsOwnParametersAndTheBaseOnesElsewhere) {
  EXPECT_EQ(device.GetPhoneType(), 64);
  EXPECT_STREQ(device.GetModelCode(), "00102");
  const std::pair<int, int> capacities[] = {{0, 19},  {3, 500},  {4, 524},   {13, 23},  {14, 20},    {15, 600},
                                            {21, 100}, {27, 10}, {29, 5},    {31, 16},  {35, 31220}, {38, 32768},
                                            {39, 64}, {18, 0},  {40, 0},    {-1, 0}};
  for (const auto& [parameter, value] : capacities) EXPECT_EQ(device.GetCapacity(parameter), value) << parameter;
  EXPECT_EQ(device.CPhoneBase::GetCapacity(13), 13);
  EXPECT_EQ(device.CPhoneBase::GetCapacity(35), 0);
  const std::tuple<int, int, int> files[] = {{0, 106, 110}, {1000, 99, 3},  {2001, 103, 0}, {8000, 111, 42},
                                             {9050, 3, 4096}, {9052, 1, 1}, {3000, 0, 0}};
  for (const auto& [kind, first, second] : files) {
    EXPECT_EQ(device.GetFirstFileNumber(kind), first) << kind;
    EXPECT_EQ(device.GetSecondFileNumber(kind), second) << kind;
  }
  EXPECT_STREQ(device.GetPort(), "COM1");
  EXPECT_STREQ(device.GetModel(), "UNKNOWN");
  EXPECT_EQ(device.GetReplyTimeout(), 3000);
  EXPECT_STREQ(device.GetDateTimeFormat(0), "yyyy'/'MM'/'dd");
  EXPECT_STREQ(device.GetDateTimeFormat(1), "HH':'mm");
  EXPECT_STREQ(device.GetDateTimeFormat(2), "");

  // The cancel event starts clear and lets one look through per set.
  ASSERT_NE(device.GetCancelEvent(), nullptr);
  EXPECT_EQ(WaitForSingleObject(device.GetCancelEvent(), 0), WAIT_TIMEOUT);
  device.Cancel();
  EXPECT_EQ(WaitForSingleObject(device.GetCancelEvent(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(device.GetCancelEvent(), 0), WAIT_TIMEOUT);
}

TEST_F(PhoneDeviceTest, AMainFolderIsListedWithItsSubFoldersIntoItsCacheByDisplayName) {
  answers = {
      {"GetFolderNum,0", "GetFolderNum:RET:2"},
      {"GetFolderName,0,0", "GetFolderName:RET:0,11,11,1,10,Camera"},
      {"GetFolderName,0,1", "GetFolderName:RET:0,20,20,0,10,\xC3\x89t\xC3\xA9"},
      {"GetFolderNum,11", "GetFolderNum:RET:1"},
      {"GetFolderName,11,0", "GetFolderName:RET:11,30,30,1,10,Deep"},
      {"GetFolderNum,30", "GetFolderNum:RET:0"},
      {"GetResourceFileNumWFolder,1,30", "GetResourceFileNumWFolder:RET:1"},
      {"GetResourceFileNameWFolder,1,30,0", "GetResourceFileNameWFolder:RET:8,0,5,z.png,keFTPng"},
      {"GetResourceFileNumWFolder,1,11", "GetResourceFileNumWFolder:RET:1"},
      {"GetResourceFileNameWFolder,1,11,0", "GetResourceFileNameWFolder:RET:1,0,64,sunset.jpg,keFTJpeg"},
      {"GetFolderNum,20", "GetFolderNum:ERROR:3"},  // a folder the phone will not count holds none
      {"GetResourceFileNumWFolder,1,20", "GetResourceFileNumWFolder:RET:0"},
      {"GetResourceFileNumWFolder,7,0", "GetResourceFileNumWFolder:RET:2"},
      {"GetResourceFileNameWFolder,7,0,0", "GetResourceFileNameWFolder:RET:2,0,9,Logo.gif,keFTGif"},
      {"GetResourceFileNameWFolder,7,0,1", "GetResourceFileNameWFolder:RET:3,0,9,abc.gif,keFTGif"},
  };
  CResourceCaches caches;
  ASSERT_EQ(device.ListFolder(caches, RESOURCE_PICTURES, 7), 1) << std::hex << GetLastError();
  const std::vector<CString> expected = {"Pictures\\abc.gif", "Pictures\\Camera\\Deep\\z.png",
                                         "Pictures\\Camera\\sunset.jpg", "Pictures\\Logo.gif"};
  EXPECT_EQ(DisplayNames(caches, RESOURCE_PICTURES), expected);
  std::vector<PA_RESOURCE_INFO> records(4);
  caches.GetList(RESOURCE_PICTURES, records);
  EXPECT_EQ(records[1].dwFolderId, 30u);
  EXPECT_EQ(records[1].dwFileId, 8u);
  EXPECT_EQ(records[1].dwSize, 5u);
  EXPECT_STREQ(records[1].strTitle, "keFTPng");
  EXPECT_EQ(caches.GetCount(RESOURCE_SOUNDS), 0);

  // Movies have no root text: their names begin with the backslash.
  answers = {{"GetFolderNum,2", "GetFolderNum:RET:0"},
             {"GetResourceFileNumWFolder,0,2", "GetResourceFileNumWFolder:RET:1"},
             {"GetResourceFileNameWFolder,0,2,0", "GetResourceFileNameWFolder:RET:6,0,9,walk.3gp,keFT3gp"}};
  ASSERT_EQ(device.ListFolder(caches, RESOURCE_MOVIES, 0), 1);
  EXPECT_EQ(DisplayNames(caches, RESOURCE_MOVIES), std::vector<CString>{"\\walk.3gp"});

  EXPECT_EQ(device.ListFolder(caches, 3, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(PhoneDeviceTest, AListingEndsAtTheFirstFailureAndNeverGoesRoundInCircles) {
  // A sub-folder that names its own parent.
  answers = {{"GetFolderNum,1", "GetFolderNum:RET:1"},
             {"GetFolderName,1,0", "GetFolderName:RET:1,12,12,0,522,Loop"},
             {"GetFolderNum,12", "GetFolderNum:RET:1"},
             {"GetFolderName,12,0", "GetFolderName:RET:12,1,1,0,522,Back"}};
  CResourceCaches caches;
  EXPECT_EQ(device.ListFolder(caches, RESOURCE_SOUNDS, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  EXPECT_LE(sent.size(), 4u);

  // A file the phone will not name ends the listing; what was listed stays.
  sent.clear();
  answers = {{"GetFolderNum,1", "GetFolderNum:RET:0"},
             {"GetResourceFileNumWFolder,0,1", "GetResourceFileNumWFolder:RET:2"},
             {"GetResourceFileNameWFolder,0,1,0", "GetResourceFileNameWFolder:RET:4,0,100,ring.mid,keFTSMF"},
             {"GetResourceFileNameWFolder,0,1,1", "GetResourceFileNameWFolder:ERROR:3"}};
  EXPECT_EQ(device.ListFolder(caches, RESOURCE_SOUNDS, 0), 0);
  EXPECT_EQ(DisplayNames(caches, RESOURCE_SOUNDS), std::vector<CString>{"Sounds\\ring.mid"});

  // A phone that stops answering fails the listing rather than reading as an empty folder.
  sent.clear();
  answers.clear();
  CResourceCaches none;
  EXPECT_EQ(device.ListFolder(none, RESOURCE_SOUNDS, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
  EXPECT_EQ(none.GetCount(RESOURCE_SOUNDS), 0);
}

TEST_F(PhoneDeviceTest, AnUploadOrCreationTakesThePhonesNumbersAlsoWhenTheNameExists) {
  answers = {{"GetResourceFileNumWFolder,0,11", "GetResourceFileNumWFolder:RET:3"},
             {"GetResourceFileNameWFolder,0,11,0", "GetResourceFileNameWFolder:RET:2,0,1,a.jpg,keFTJpeg"},
             {"GetResourceFileNameWFolder,0,11,1", "GetResourceFileNameWFolder:RET:5,0,1,taken.jpg,keFTJpeg"},
             {"PutResourceFileWFolder,-1", "PutResourceFileWFolder:RET:12"},
             {"GetFolderNum,0", "GetFolderNum:RET:1"},
             {"GetFolderName,0,0", "GetFolderName:RET:0,16,16,0,10,Trips"}};
  phone = [](const std::string& command) -> std::string {
    if (command.starts_with("PutResourceFileWFolder,0,")) {
      return command.find("74616B656E") != std::string::npos ? "PutResourceFileWFolder:RET: file exists"
                                                               : "PutResourceFileWFolder:RET:1";
    }
    if (command.starts_with("PutResourceFileWFolder,")) return "PutResourceFileWFolder:RET:1";
    if (command.starts_with("CreateFolder,0,")) {
      return command == "CreateFolder,0,5472697073" ? "CreateFolder:RET:Folder Exist" : "CreateFolder:RET:17,18";
    }
    return "ERROR";
  };
  BYTE bytes[3] = {1, 2, 3};
  PA_RESOURCE_INFO file;
  file.dwFolderId = 11;
  file.strFileName = "new.jpg";
  file.pData = bytes;
  file.dwSize = 3;
  ASSERT_EQ(device.UploadResource(file, {}), 1) << std::hex << GetLastError();
  EXPECT_EQ(file.dwFileId, 12u);
  EXPECT_EQ(file.dwIndex, 3u);

  file.strFileName = "taken.jpg";
  file.dwIndex = 0;
  EXPECT_EQ(device.UploadResource(file, {}), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_EXISTS);
  EXPECT_EQ(file.dwFileId, 5u);
  EXPECT_EQ(file.dwIndex, 3u);

  file.pData = nullptr;
  EXPECT_EQ(device.UploadResource(file, {}), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  PA_FOLDER_INFO folder;
  folder.lFolderId = 0;
  folder.strName = "New";
  ASSERT_EQ(device.CreateFolder(folder), 1);
  EXPECT_EQ(folder.dwType, 18u);
  EXPECT_EQ(folder.dwNumber, 17u);
  folder.strName = "Trips";
  EXPECT_EQ(device.CreateFolder(folder), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_EXISTS);
  EXPECT_EQ(folder.dwType, 16u);
  EXPECT_EQ(folder.dwNumber, 16u);
}

// The counts text of "UMBInitMsgs": box 1 to 3, 32 characters each, four per sub-folder.
std::string CountsText(std::map<std::pair<int, int>, std::string> fields) {
  std::string text(96, '0');
  for (const auto& [place, field] : fields) text.replace(static_cast<std::size_t>((place.first - 1) * 32 + place.second * 4), 4, field);
  return text;
}

TEST_F(PhoneDeviceTest, MessageCountsAreReadLowByteFirstAndAGarbledFieldCountsNone) {
  answers = {{"UMBInitMsgs,1", "UMBInitMsgs," + CountsText({{{2, 3}, "0201"}, {{1, 0}, "0G00"}, {{3, 6}, "0100"}}) +
                                   ":DONE"},
             {"UMBFinishMsgs", "UMBFinishMsgs:RET:1"}};
  phone = [](const std::string& command) -> std::string {
    // Every message is empty: its header is all it takes.
    return command.starts_with("UMBGetMsgs,") ? command + ",0" : std::string("ERROR");
  };
  CMessageStore cache;
  ASSERT_EQ(device.DownloadMessages(cache, {}), 1) << std::hex << GetLastError();
  EXPECT_EQ(CountOf(sent, "UMBGetMsgs,2,3,"), 258u);
  EXPECT_EQ(CountOf(sent, "UMBGetMsgs,1,0,"), 0u);
  EXPECT_EQ(CountOf(sent, "UMBGetMsgs,3,6,"), 1u);
  ASSERT_EQ(cache.Count(), 259);
  EXPECT_EQ(cache.Records()[0].dwBox, 2u);
  EXPECT_EQ(cache.Records()[257].dwFolder, 3u);
  EXPECT_EQ(cache.Records()[258].dwBox, 3u);
  EXPECT_EQ(sent.back(), "UMBFinishMsgs");
}

TEST_F(PhoneDeviceTest, ACountsTextThatStopsShortIsABadReplyAndReadsNothing) {
  answers = {{"UMBInitMsgs,1", "UMBInitMsgs," + CountsText({{{1, 0}, "0100"}}).substr(0, 91) + ":DONE"}};
  CMessageStore cache;
  BYTE old[2] = {7, 7};
  PA_MESSAGE_INFO message{1, 1, 0, 2, old};
  ASSERT_EQ(cache.Put(&message), PA_OK);
  EXPECT_EQ(device.DownloadMessages(cache, {}), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  EXPECT_EQ(cache.Count(), 0);  // emptied before the phone was asked
  EXPECT_EQ(CountOf(sent, "UMBGetMsgs"), 0u);
}

TEST_F(PhoneDeviceTest, AMessagesUploadEmptiesOnlyTheBoxesItWrites) {
  phone = [](const std::string& command) -> std::string {
    if (command.starts_with("UMBDeleteMsgs,")) return "UMBDeleteMsgs:ERROR:-2";
    if (command == "UMBInitMsgs,1") return "UMBInitMsgs," + std::string(96, '0') + ":DONE";
    if (command == "UMBSetMsgs,-1") return "UMBSetMsgs:RET:0";
    if (command.starts_with("UMBSetMsgs,")) return "UMBSetMsgs:RET:2";
    if (command == "UMBFinishMsgs") return "UMBFinishMsgs:RET:1";
    return "ERROR";
  };
  CMessageStore cache;
  BYTE a[1] = {'a'}, b[2] = {'b', 'b'}, c[1] = {'c'};
  PA_MESSAGE_INFO records[] = {{1, 2, 5, 1, a}, {1, 2, 0, 2, b}, {1, 2, 5, 1, c}};
  for (PA_MESSAGE_INFO& record : records) ASSERT_EQ(cache.Put(&record), PA_OK);
  ASSERT_EQ(device.UploadMessages(cache, {}), 1) << std::hex << GetLastError();
  std::vector<std::string> deletes;
  std::copy_if(sent.begin(), sent.end(), std::back_inserter(deletes),
               [](const std::string& c) { return c.starts_with("UMBDeleteMsgs"); });
  const std::vector<std::string> expected = {"UMBDeleteMsgs,2,0,0,0", "UMBDeleteMsgs,2,0,1,0", "UMBDeleteMsgs,2,0,2,0",
                                             "UMBDeleteMsgs,2,0,3,0", "UMBDeleteMsgs,2,0,4,0", "UMBDeleteMsgs,2,0,5,0",
                                             "UMBDeleteMsgs,2,0,6,0", "UMBDeleteMsgs,2,0,4,0"};
  EXPECT_EQ(deletes, expected);
  // Written by box and sub-folder, numbered from 0 within each.
  std::vector<std::string> heads;
  std::copy_if(sent.begin(), sent.end(), std::back_inserter(heads), [](const std::string& c) {
    return c.starts_with("UMBSetMsgs,") && std::count(c.begin(), c.end(), ',') == 6;
  });
  EXPECT_EQ(heads, (std::vector<std::string>{"UMBSetMsgs,2,0,0,2,64,0", "UMBSetMsgs,2,5,0,1,64,0",
                                             "UMBSetMsgs,2,5,1,1,64,0"}));
}

TEST_F(PhoneDeviceTest, AFailedMailWriteClosesTheExchangeAndKeepsItsOwnError) {
  phone = [](const std::string& command) -> std::string {
    if (command.starts_with("CNFStartDataExchange,")) return "CNFStartDataExchange:RET:DONE";
    if (command.starts_with("CNFPInitialize,")) return "CNFPInitialize:RET:DONE";
    if (command.starts_with("CNFPWriteData,")) return "CNFPWriteData:ERROR:3";
    if (command == "CNFEndDataExchange") return "CNFEndDataExchange:RET:DONE";
    return "ERROR";
  };
  CIModeStore cache;
  BYTE bytes[1] = {'m'};
  PA_IMODE_INFO mail{1, 0, 1, 1, bytes};
  ASSERT_EQ(cache.Put(&mail), PA_OK);
  EXPECT_EQ(device.UploadIModeMessages(cache, {}), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  EXPECT_EQ(sent.back(), "CNFEndDataExchange");

  // An empty cache is written at once, without a word to the phone.
  sent.clear();
  CIModeStore empty;
  EXPECT_EQ(device.UploadIModeMessages(empty, {}), 1);
  EXPECT_TRUE(sent.empty());
}

TEST(MessageCacheTest, TheCacheKeepsItsOwnCopyOfEachRecordsBytes) {
  CMessageStore cache;
  std::vector<BYTE> caller = {1, 2, 3};
  PA_MESSAGE_INFO record{1, 3, 2, 3, caller.data()};
  ASSERT_EQ(cache.Put(&record), PA_OK);
  caller.assign({9, 9, 9});  // the caller may free or change its buffer
  PA_MESSAGE_INFO got;
  ASSERT_EQ(cache.Get(0, &got), PA_OK);
  EXPECT_NE(got.pData, caller.data());
  EXPECT_EQ(std::vector<BYTE>(got.pData, got.pData + got.dwLength), (std::vector<BYTE>{1, 2, 3}));
  EXPECT_EQ(got.dwBox, 3u);
  EXPECT_EQ(got.dwFolder, 2u);

  EXPECT_EQ(cache.Get(1, &got), PA_OUT_OF_RANGE);
  EXPECT_EQ(cache.Get(0, nullptr), PA_NULL_POINTER);
  EXPECT_EQ(cache.Put(nullptr), PA_NULL_POINTER);
  PA_MESSAGE_INFO noBytes{1, 1, 0, 4, nullptr};
  EXPECT_EQ(cache.Put(&noBytes), PA_NULL_POINTER);
  PA_MESSAGE_INFO empty{1, 1, 0, 0, nullptr};
  EXPECT_EQ(cache.Put(&empty), PA_OK);

  EXPECT_EQ(cache.Remove(-1), PA_OUT_OF_RANGE);
  EXPECT_EQ(cache.Remove(2), PA_OUT_OF_RANGE);
  EXPECT_EQ(cache.Remove(0), PA_OK);  // the later one moves down
  ASSERT_EQ(cache.Count(), 1);
  EXPECT_EQ(cache.Records()[0].dwLength, 0u);
  EXPECT_EQ(cache.Remove(0), PA_OK);
  EXPECT_EQ(cache.Remove(0), PA_OUT_OF_RANGE);
}

TEST(DataArrayTest, ABufferOfNoBytesIsStillOneToGiveBack) {
  BYTE* none = NewDataArray({});
  EXPECT_NE(none, nullptr);
  FreeDataArray(none);
  FreeDataArray(nullptr);
}

}  // namespace
