// How each command routine judges the phone's reply, against a scripted phone behind the stand-in
// link service: good answers, answers of the wrong shape, and the edge cases of each command.
#include "support/FakeLinkService.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/Time.h>

#include <gtest/gtest.h>

#include <functional>

using namespace std::string_literals;

namespace {

class CommandSetTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service.Listening());
    service.SetPhoneScript([this](const std::string& command) {
      sent.push_back(command);
      std::vector<std::string> frames;
      if (!answer.empty()) frames.push_back(FakeLinkService::ReplyFrame(answer));
      return frames;
    });
    ASSERT_EQ(engine.Connect(), 1);
    engine.SetTimeout(100);
  }

  // Declared before the service: its thread runs the script, which touches them, until it is joined.
  std::string answer;              // what the phone answers to every command
  std::vector<std::string> sent;   // what it was sent
  FakeLinkService service;
  CLinkEngine engine{service.Address()};
};

struct ReplyCase {
  const char* name;
  std::function<int(CLinkEngine&)> run;
  std::string reply;
  int result;
  DWORD error;  // checked when the result is 0
};

TEST_F(CommandSetTest, RepliesAreJudgedAsTheCommandSetSays) {
  CString text;
  int number = 0;
  const ReplyCase cases[] = {
      {"BackLightOff in the phone's spelling", [](CLinkEngine& e) { return e.BackLightOff(); }, "BacklightOff:DONE", 1, 0},
      {"BackLightOff in any case", [](CLinkEngine& e) { return e.BackLightOff(); }, "BACKLIGHTOFF:done", 1, 0},
      {"BackLightOff refused", [](CLinkEngine& e) { return e.BackLightOff(); }, "BacklightOff:ERROR:2", 0, ERROR_PHONE_BAD_REPLY},
      {"EXIT", [](CLinkEngine& e) { return e.Exit(); }, "exit:DONE", 1, 0},
      {"SetCliConvert exact", [](CLinkEngine& e) { return e.SetCliConvert(); }, "SetCliConvert:DONE", 1, 0},
      {"SetCliConvert in lower case", [](CLinkEngine& e) { return e.SetCliConvert(); }, "setcliconvert:done", 0, ERROR_PHONE_BAD_REPLY},
      {"SetFunctionTest", [](CLinkEngine& e) { return e.SetFunctionTest(); }, "setfunctiontest:DONE", 1, 0},
      {"ShowSwVersion", [&](CLinkEngine& e) { return e.ShowSwVersion(text); }, "ShowSwVersion:RET:ZSE_0310", 1, 0},
      {"ShowSwVersion two fields", [&](CLinkEngine& e) { return e.ShowSwVersion(text); }, "ShowSwVersion:RET", 0, ERROR_PHONE_BAD_REPLY},
      {"ShowSwVersion refused", [&](CLinkEngine& e) { return e.ShowSwVersion(text); }, "ShowSwVersion:ERROR:2", 0, ERROR_PHONE_BAD_REPLY},
      {"ScheduleInit", [&](CLinkEngine& e) { return e.ScheduleInit(number); }, "ScheduleInit:RET:1", 1, 0},
      {"ScheduleInit without RET", [&](CLinkEngine& e) { return e.ScheduleInit(number); }, "ScheduleInit:DONE:1", 0, ERROR_PHONE_BAD_REPLY},
      {"free space", [&](CLinkEngine& e) { return e.GetFileSystemFreeSpace(number); }, "GetFileSystemFreeSpace:RET:5000", 1, 0},
      {"free space of four fields", [&](CLinkEngine& e) { return e.GetFileSystemFreeSpace(number); }, "GetFileSystemFreeSpace:RET:5:6", 0, ERROR_PHONE_BAD_REPLY},
      {"free space negative", [&](CLinkEngine& e) { return e.GetFileSystemFreeSpace(number); }, "GetFileSystemFreeSpace:RET:-5", 0, ERROR_PHONE_BAD_REPLY},
      {"free space refused", [&](CLinkEngine& e) { return e.GetFileSystemFreeSpace(number); }, "GetFileSystemFreeSpace:ERROR:1", 0, ERROR_PHONE_BAD_REPLY},
      {"record count", [&](CLinkEngine& e) { return e.GetPBRecordCount(500, number); }, "GetPBRecordCount:RET:12", 1, 0},
      {"record count negative", [&](CLinkEngine& e) { return e.GetPBRecordCount(500, number); }, "GetPBRecordCount:RET:-1", 0, ERROR_PHONE_BAD_REPLY},
      // One reader for the engine and the contact store: an error answer is no count of every slot.
      {"record count refused", [&](CLinkEngine& e) { return e.GetPBRecordCount(500, number); }, "GetPBRecordCount:ERROR:0", 0, ERROR_PHONE_BAD_REPLY},
      {"record count no number", [&](CLinkEngine& e) { return e.GetPBRecordCount(500, number); }, "GetPBRecordCount:RET:2x", 0, ERROR_PHONE_BAD_REPLY},
      {"folder count from another command", [&](CLinkEngine& e) { return e.GetFolderNum(0, number); }, "GetFolderName:RET:2", 0, ERROR_PHONE_BAD_REPLY},
      {"folder count in any case", [&](CLinkEngine& e) { return e.GetFolderNum(0, number); }, "getfoldernum:RET:2", 1, 0},
      {"folder count negative", [&](CLinkEngine& e) { return e.GetFolderNum(0, number); }, "GetFolderNum:RET:-3", 0, ERROR_PHONE_BAD_REPLY},
      {"file count", [&](CLinkEngine& e) { return e.GetResourceFileNumWFolder(0, 100, number); }, "GetResourceFileNumWFolder:RET:4", 1, 0},
      {"delete file", [](CLinkEngine& e) { return e.DeleteResourceFileWFolder(7); }, "DeleteResourceFileWFolder:RET:1", 1, 0},
      {"delete file not done", [](CLinkEngine& e) { return e.DeleteResourceFileWFolder(7); }, "DeleteResourceFileWFolder:RET:0", 0, ERROR_PHONE_BAD_REPLY},
      {"delete folder", [](CLinkEngine& e) { return e.DeleteFolderAll(100, 0); }, "DeleteFolderAll:RET:1", 1, 0},
      {"UMBFinishMsgs", [](CLinkEngine& e) { return e.UMBFinishMsgs(); }, "UMBFinishMsgs:RET:1", 1, 0},
      {"UMBFinishMsgs other value", [](CLinkEngine& e) { return e.UMBFinishMsgs(); }, "UMBFinishMsgs:RET:0", 0, ERROR_PHONE_BAD_REPLY},
      {"UMBDeleteMsgs done", [](CLinkEngine& e) { return e.UMBDeleteMsgs(1, 0); }, "UMBDeleteMsgs:RET:0", 1, 0},
      {"UMBDeleteMsgs nothing there", [](CLinkEngine& e) { return e.UMBDeleteMsgs(1, 0); }, "UMBDeleteMsgs:ERROR:-2", 1, 0},
      {"UMBDeleteMsgs no such folder", [](CLinkEngine& e) { return e.UMBDeleteMsgs(1, 0); }, "UMBDeleteMsgs:ERROR:1", 1, 0},
      {"UMBDeleteMsgs other error", [](CLinkEngine& e) { return e.UMBDeleteMsgs(1, 0); }, "UMBDeleteMsgs:ERROR:3", 0, ERROR_PHONE_BAD_REPLY},
      {"UMBInitMsgs refused", [&](CLinkEngine& e) { return e.UMBInitMsgs(1, text); }, "UMBInitMsgs:ERROR:3", 0, ERROR_PHONE_BAD_REPLY},
      {"CNFPInitialize", [](CLinkEngine& e) { return e.CNFPInitialize(); }, "CNFPInitialize:RET:DONE", 1, 0},
      {"CNFPInitialize in lower case", [](CLinkEngine& e) { return e.CNFPInitialize(); }, "cnfpinitialize:ret:done", 0, ERROR_PHONE_BAD_REPLY},
      {"CNFEndDataExchange", [](CLinkEngine& e) { return e.CNFEndDataExchange(); }, "CNFEndDataExchange:RET:DONE", 1, 0},
      {"silence", [](CLinkEngine& e) { return e.PowerOff(); }, "", 0, ERROR_PHONE_NO_REPLY},
  };
  for (const ReplyCase& c : cases) {
    answer = c.reply;
    SetLastError(0);
    EXPECT_EQ(c.run(engine), c.result) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
  }
}

TEST_F(CommandSetTest, ShowIMEIHandsOutTheThirdFieldWithinTheCallersBuffer) {
  char imei[16];
  answer = "ShowIMEI:RET:354812050012345:extra";
  ASSERT_EQ(engine.ShowIMEI(imei), 1);
  EXPECT_STREQ(imei, "354812050012345");
  answer = "ShowIMEI:RET";
  EXPECT_EQ(engine.ShowIMEI(imei), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  char small[8] = "unset";
  answer = "ShowIMEI:RET:354812050012345";
  EXPECT_EQ(engine.ShowIMEI(small), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_STREQ(small, "unset");
}

TEST_F(CommandSetTest, LockQueryNamesTheFirstLockFound) {
  struct Case {
    std::string reply;
    int result;
    LockState state;
  };
  const Case cases[] = {
      {"ShowLockInfo:RET:SIM=OK /PhoneLock=OFF/DaybookLock=OFF", 1, LOCK_NOT_REPORTED},
      {"ShowLockInfo:RET:SIM=NG /PhoneLock=ON /DaybookLock=ON ", 0, LOCK_NO_SIM},
      {"ShowLockInfo:RET:SIM=OK /PhoneLock=ON /DaybookLock=ON ", 0, LOCK_PHONE},
      {"ShowLockInfo:RET:SIM=OK /PhoneLock=OFF/DaybookLock=ON ", 0, LOCK_DAYBOOK},
      {"ShowLockInfo:RET:LOCKS=??", 0, LOCK_UNKNOWN},
      {"", 0, LOCK_NOT_REPORTED},
  };
  for (const Case& c : cases) {
    answer = c.reply;
    LockState state = LOCK_UNKNOWN;
    EXPECT_EQ(engine.ShowLockInfo(state), c.result) << c.reply;
    EXPECT_EQ(state, c.state) << c.reply;
  }
}

TEST_F(CommandSetTest, LockCheckSetsTheLockErrors) {
  struct Case {
    std::string reply;
    int result;
    DWORD error;
  };
  const Case cases[] = {
      {"ShowLockInfo:RET:SIM=OK /PhoneLock=OFF/DaybookLock=OFF", 1, 0},
      {"showlockinfo:ret:sim=ok /phonelock=off/daybooklock=off", 1, 0},
      {"ShowLockInfo:RET:SIM=NG /PhoneLock=OFF/DaybookLock=OFF", 0, ERROR_NO_SIM},
      {"ShowLockInfo:RET:SIM=OK /PhoneLock=ON /DaybookLock=ON ", 0, ERROR_PHONE_LOCKED},
      {"ShowLockInfo:RET:SIM=OK /PhoneLock=OFF/DaybookLock=ON ", 0, ERROR_DATA_LOCKED},
      {"ShowLockInfo:ERROR:1", 0, ERROR_PHONE_BAD_REPLY},
  };
  for (const Case& c : cases) {
    answer = c.reply;
    SetLastError(0);
    EXPECT_EQ(engine.VerifyLockInfo(), c.result) << c.reply;
    if (c.result == 0) {
      EXPECT_EQ(GetLastError(), c.error) << c.reply;
    }
  }
}

TEST_F(CommandSetTest, RecordCountErrorMeansEverySlot) {
  int count = 0;
  answer = "GetPBRecordCount:RET:ERROR";
  ASSERT_EQ(engine.GetPBRecordCount(500, count), 1);
  EXPECT_EQ(count, 500);
}

TEST_F(CommandSetTest, FolderNameGivesNumbersFlagsAndTheConvertedName) {
  struct Case {
    int attribute;
    DWORD flags;
  };
  for (const Case c : {Case{10, 0x11}, Case{522, 0x13}, Case{138, 0x10}, Case{3, 0}}) {
    answer = "GetFolderName:RET:0,104,1,2," + std::to_string(c.attribute) + ",Gr\xC3\xBC\xC3\x9F\x65";
    PA_FOLDER_INFO info;
    ASSERT_EQ(engine.GetFolderName(1, 3, info), 1);
    EXPECT_EQ(sent.back(), "GetFolderName,1,3");
    EXPECT_EQ(info.dwNumber, 104u);
    EXPECT_EQ(info.dwType, 1u);
    EXPECT_EQ(info.dwAttributes, c.flags) << c.attribute;
    EXPECT_STREQ(info.strName, "Gr\xC3\xBC\xC3\x9F\x65");
    EXPECT_EQ(info.lFolderId, 1);
  }
  answer = "GetFolderName:RET:0,104,1,2,10";  // five items
  PA_FOLDER_INFO info;
  EXPECT_EQ(engine.GetFolderName(1, 3, info), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
}

TEST_F(CommandSetTest, FileNameQueryTakesTheRecordAndTheModelsForm) {
  answer = "GetResourceFileNameWFolder:RET:17,3,2048,sunset.jpg,";
  PA_RESOURCE_INFO info;
  ASSERT_EQ(engine.GetResourceFileNameWFolder(0, 100, 2, info), 1);
  EXPECT_EQ(sent.back(), "GetResourceFileNameWFolder,0,100,2");
  EXPECT_EQ(info.dwFileId, 17u);
  EXPECT_EQ(info.dwAttribute, 3u);
  EXPECT_EQ(info.dwSize, 2048u);
  EXPECT_STREQ(info.strFileName, "sunset.jpg");
  EXPECT_STREQ(info.strTitle, "");
  EXPECT_EQ(info.dwFolderId, 100u);
  EXPECT_EQ(info.dwIndex, 2u);

  engine.SetModelCode("10129");
  answer = "GetResourceFileNameWFolder:RET:17,3,-1,a.jpg,A";  // a negative size
  EXPECT_EQ(engine.GetResourceFileNameWFolder(0, 100, 2, info), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  EXPECT_EQ(sent.back(), "GetResourceFileNameWFolder,0,100,2,0");
}

TEST_F(CommandSetTest, NamesTravelAsHexOfTheirUtf8) {
  answer = "RenameResourceFileWFolder:RET:1";
  ASSERT_EQ(engine.RenameResourceFileWFolder(9, "\xC3\xA4.mid"), 1);
  EXPECT_EQ(sent.back(), "RenameResourceFileWFolder,9,C3A42E6D6964");
}

TEST_F(CommandSetTest, AssignNamesTheChunkSizeWhenItIsNotTheDefault) {
  answer = "AssignResourceFileWFolder:RET:1";
  ASSERT_EQ(engine.AssignResourceFileWFolder(1, 101, 0), 1);
  EXPECT_EQ(sent.back(), "AssignResourceFileWFolder,1,101,0");
  engine.SetChunkSizes(480, 64, 1024);
  ASSERT_EQ(engine.AssignResourceFileWFolder(1, 101, 0), 1);
  EXPECT_EQ(sent.back(), "AssignResourceFileWFolder,1,101,0,1024,0");
}

TEST_F(CommandSetTest, CreateFolderGivesTheNewNumbersOrFindsTheExistingFolder) {
  int type = 0, number = 0;
  answer = "CreateFolder:RET:105,0";
  ASSERT_EQ(engine.CreateFolder(0, "Trips", type, number), 1);
  EXPECT_EQ(sent.back(), "CreateFolder,0,5472697073");
  EXPECT_EQ(number, 105);
  EXPECT_EQ(type, 0);

  service.SetPhoneScript([this](const std::string& command) {
    sent.push_back(command);
    std::string reply = "CreateFolder:RET:Folder Exist";
    if (command == "GetFolderNum,0") reply = "GetFolderNum:RET:2";
    if (command == "GetFolderName,0,0") reply = "GetFolderName:RET:0,100,0,1,10,Camera";
    if (command == "GetFolderName,0,1") reply = "GetFolderName:RET:0,105,0,0,10,Trips";
    return std::vector<std::string>{FakeLinkService::ReplyFrame(reply)};
  });
  EXPECT_EQ(engine.CreateFolder(0, "Trips", type, number), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_EXISTS);
  EXPECT_EQ(number, 105);
  EXPECT_EQ(type, 0);
}

TEST_F(CommandSetTest, MailCountsFollowTheReplysLead) {
  std::array<int, 6> counts{};
  answer = "CNFPGetMailCnt:RET:1,0,2,0,0,3,9";
  ASSERT_EQ(engine.CNFPGetMailCnt(counts), 1);
  EXPECT_EQ(counts, (std::array<int, 6>{1, 0, 2, 0, 0, 3}));
  answer = "CNFPGetMailCnt:RET:1,0,2";
  EXPECT_EQ(engine.CNFPGetMailCnt(counts), 0);
  answer = "CNFPGetMailCnt";
  EXPECT_EQ(engine.CNFPGetMailCnt(counts), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
}

TEST_F(CommandSetTest, ForceHWWDIsSentWithoutWaiting) {
  ASSERT_EQ(engine.ForceHWWD(), 1);
  for (int i = 0; i < 200 && service.Commands().empty(); ++i) Sleep(5);
  EXPECT_EQ(service.Commands(), std::vector<std::string>{"ForceHWWD"});
}

}  // namespace
