// Every command of the phone's command set, from the library's link engine through the link
// service's core to the simulated phone on a pseudo-terminal: each reply is judged as the library
// judges it, and the phone's error answers give their results.
#include "HexCodec.h"
#include "support/PhoneLinkTest.h"

#include <handport/PhoneErrors.h>

#include <phonesim/PhoneSimProcess.h>

#include <base/LastError.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace std::string_literals;

namespace {

std::string Hex(std::string_view bytes) {
  std::string hex(2 * bytes.size() + 1, '\0');
  HexEncode(std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()), hex);
  hex.pop_back();
  return hex;
}

class CommandSetConformance : public PhoneLinkTest {
 protected:
  // The fields of a reply that a transfer takes apart itself.
  CReplyFields Fields(const std::string& command, const char* delimiters = ":") {
    std::string reply;
    EXPECT_EQ(engine->Exchange(command, reply), 1) << command;
    CReplyFields fields;
    fields.Split(reply, delimiters);
    return fields;
  }
};

struct Row {
  const char* command;
  std::function<void()> check;
};

TEST_F(CommandSetConformance, EveryCommandOfTheSet) {
  CString text;
  int number = -1;
  int type = -1;
  const Row rows[] = {
      // Mode, identity and power.
      {"UsePteCommand", [&] { EXPECT_EQ(engine->UsePteCommand("00129"), 1); }},
      {"BackLightOff", [&] { EXPECT_EQ(engine->BackLightOff(), 1); }},
      {"TestModeOn", [&] { EXPECT_EQ(engine->TestModeOn(), 1); }},
      {"PowerSavingOff", [&] { EXPECT_EQ(engine->PowerSavingOff(), 1); }},
      {"ShowSwVersion", [&] {
         ASSERT_EQ(engine->ShowSwVersion(text), 1);
         EXPECT_STREQ(text, "ZSE_0310");
       }},
      {"ShowProductSerialNum", [&] {
         ASSERT_EQ(engine->ShowProductSerialNum(text), 1);
         EXPECT_STREQ(text, "HV001291005");
       }},
      {"ShowIMEI", [&] {
         char imei[32];
         ASSERT_EQ(engine->ShowIMEI(imei), 1);
         EXPECT_STREQ(imei, "354812050500123");
       }},
      {"ShowLockInfo", [&] {
         LockState state = LOCK_UNKNOWN;
         EXPECT_EQ(engine->ShowLockInfo(state), 1);
         EXPECT_EQ(engine->VerifyLockInfo(), 1);
       }},
      {"SetCliConvert", [&] { EXPECT_EQ(engine->SetCliConvert(), 1); }},
      {"ScheduleInit", [&] {
         ASSERT_EQ(engine->ScheduleInit(number), 1);
         EXPECT_EQ(number, 1);
       }},
      {"SetFunctionTest", [&] { EXPECT_EQ(engine->SetFunctionTest(), 1); }},
      {"GetFileSystemFreeSpace", [&] {
         ASSERT_EQ(engine->GetFileSystemFreeSpace(number), 1);
         EXPECT_EQ(number, 1'000'000 - (64 + 65 + 130 + 100 + 3 + 200 + 1));  // the phone's own files
       }},

      // Flash files: the transfers' own reading of each reply.
      {"InitFFSWrite", [&] { EXPECT_EQ(Fields("InitFFSWrite,256,7,65").GetField(1), "RET"); }},
      {"SetBufferDump", [&] {
         EXPECT_TRUE(Fields("SetBufferDump," + Hex(std::string(64, 'c')) + ",0").GetField(1) == "RET");
         std::string reply;
         ASSERT_EQ(engine->Exchange("SetBufferDump,43,1", reply), 1);
         EXPECT_EQ(reply.substr(0, 17), "SetBufferDump:RET");
       }},
      {"GetPBRecordCount", [&] {
         ASSERT_EQ(engine->GetPBRecordCount(500, number), 1);
         EXPECT_EQ(number, 1);
       }},
      {"FFSRead", [&] {
         const CReplyFields fields = Fields("FFSRead,256,7");
         EXPECT_EQ(fields.GetField(0), "FFSRead");
         EXPECT_EQ(fields.GetField(1), "RET");
         EXPECT_EQ(ReadNumber(fields.GetField(2)), 65);
       }},
      {"ShowBufferDump", [&] {
         CReplyFields fields = Fields("ShowBufferDump,0");
         EXPECT_EQ(fields.GetField(2), Hex(std::string(64, 'c')));
         fields = Fields("ShowBufferDump,1");
         EXPECT_EQ(fields.GetField(2), "43");  // the last chunk holds the rest
       }},
      {"FFSErase", [&] {
         EXPECT_EQ(Fields("FFSErase,256,7").GetField(1), "RET");
         EXPECT_EQ(ReadNumber(Fields("FFSRead,256,7").GetField(2)), 0);
       }},

      // Multimedia folders and files.
      {"GetFolderNum", [&] {
         ASSERT_EQ(engine->GetFolderNum(0, number), 1);
         EXPECT_EQ(number, 1);
       }},
      {"GetFolderName", [&] {
         PA_FOLDER_INFO folder;
         ASSERT_EQ(engine->GetFolderName(1, 0, folder), 1);
         EXPECT_STREQ(folder.strName, "Melodies");
         EXPECT_EQ(folder.dwNumber, 12u);
         EXPECT_EQ(folder.dwType, 12u);  // the phone names a folder by its number twice
         EXPECT_EQ(folder.dwAttributes, 0x13u);
         EXPECT_EQ(folder.lFolderId, 1);
       }},
      {"GetResourceFileNumWFolder", [&] {
         ASSERT_EQ(engine->GetResourceFileNumWFolder(0, 11, number), 1);
         EXPECT_EQ(number, 1);
       }},
      {"GetResourceFileNameWFolder", [&] {
         PA_RESOURCE_INFO file;
         ASSERT_EQ(engine->GetResourceFileNameWFolder(0, 11, 0, file), 1);
         EXPECT_EQ(file.dwFileId, 1u);
         EXPECT_EQ(file.dwSize, 64u);
         EXPECT_STREQ(file.strFileName, "sunset.jpg");
         EXPECT_STREQ(file.strTitle, "keFTJpeg");
       }},
      {"CreateFolder", [&] {
         ASSERT_EQ(engine->CreateFolder(0, "R\xC3\xA9sum\xC3\xA9", type, number), 1);
         EXPECT_EQ(number, 16);
         EXPECT_EQ(type, 16);
         EXPECT_EQ(engine->CreateFolder(0, "R\xC3\xA9sum\xC3\xA9", type, number), 0);
         EXPECT_EQ(GetLastError(), ERROR_PA_EXISTS);
         EXPECT_EQ(number, 16);
         EXPECT_EQ(type, 16);
       }},
      {"MoveResourceFileWFolder", [&] { EXPECT_EQ(engine->MoveResourceFileWFolder(1, 16), 1); }},
      {"RenameResourceFileWFolder", [&] {
         ASSERT_EQ(engine->RenameResourceFileWFolder(1, "d\xC3\xA4mmerung.jpg"), 1);
         PA_RESOURCE_INFO file;
         ASSERT_EQ(engine->GetResourceFileNameWFolder(0, 16, 0, file), 1);
         EXPECT_STREQ(file.strFileName, "d\xC3\xA4mmerung.jpg");
       }},
      {"PutResourceFileWFolder", [&] {
         const std::string record = Hex("tune.mid,3,Tune,12,0,64");
         std::string reply;
         ASSERT_EQ(engine->ExchangeOnce("PutResourceFileWFolder,0," + record, reply), 1);
         EXPECT_EQ(reply, "PutResourceFileWFolder:RET:1");
         ASSERT_EQ(engine->Exchange("PutResourceFileWFolder,1," + Hex("abc"), reply), 1);
         EXPECT_EQ(reply, "PutResourceFileWFolder:RET:1");
         const CReplyFields fields = Fields("PutResourceFileWFolder,-1");
         EXPECT_EQ(fields.GetCount(), 3u);
         EXPECT_EQ(ReadNumber(fields.GetField(2)), 8);  // after the phone's seven files
         ASSERT_EQ(engine->ExchangeOnce("PutResourceFileWFolder,0," + record, reply), 1);
         EXPECT_EQ(reply, "PutResourceFileWFolder:RET: file exists");
       }},
      {"AssignResourceFileWFolder", [&] {
         engine->SetChunkSizes(480, 64, 1024);
         EXPECT_EQ(engine->AssignResourceFileWFolder(1, 12, 1), 1);
       }},
      {"GetResourceFileWFolder", [&] {
         const CReplyFields header = Fields("GetResourceFileWFolder,0", ",");
         ASSERT_EQ(header.GetCount(), 10u);
         EXPECT_EQ(ReadNumber(header.GetField(1)), 3);
         EXPECT_EQ(header.GetField(2), "tune.mid");
         EXPECT_EQ(ReadNumber(header.GetField(3)), 8);
         EXPECT_EQ(ReadNumber(header.GetField(5)), 12);
         EXPECT_EQ(header.GetField(9), "Tune");
         const CReplyFields chunk = Fields("GetResourceFileWFolder,1", ",");
         EXPECT_EQ(chunk.GetField(0), "GetResourceFileWFolder");
         EXPECT_EQ(ReadNumber(chunk.GetField(1)), 1);
         EXPECT_EQ(chunk.GetField(2), Hex("abc"));
       }},
      {"DeleteResourceFileWFolder", [&] { EXPECT_EQ(engine->DeleteResourceFileWFolder(8), 1); }},
      {"DeleteFolderAll", [&] { EXPECT_EQ(engine->DeleteFolderAll(16, 16), 1); }},

      // Messages.
      {"UMBSetMsgs", [&] {
         std::string reply;
         ASSERT_EQ(engine->Exchange("UMBSetMsgs,2,3,0,3,64,0", reply), 1);
         EXPECT_EQ(reply, "UMBSetMsgs:RET:2");
         ASSERT_EQ(engine->Exchange("UMBSetMsgs,0,3," + Hex("hi!"), reply), 1);
         EXPECT_EQ(reply, "UMBSetMsgs:RET:2");
         ASSERT_EQ(engine->Exchange("UMBSetMsgs,-1", reply), 1);
         EXPECT_EQ(reply.substr(0, 16), "UMBSetMsgs:RET:0");
       }},
      {"UMBInitMsgs", [&] {
         ASSERT_EQ(engine->UMBInitMsgs(1, text), 1);
         ASSERT_EQ(text.GetLength(), 96);
         EXPECT_STREQ(CString(text).Mid(32 + 12, 4), "0100");  // box 2, sub-folder 3
       }},
      {"UMBGetMsgs", [&] {
         CReplyFields fields = Fields("UMBGetMsgs,2,3,0,0", ",");
         ASSERT_GE(fields.GetCount(), 6u);
         EXPECT_EQ(ReadNumber(fields.GetField(5)), 3);
         fields = Fields("UMBGetMsgs,2,3,0,1", ",");
         EXPECT_EQ(ReadNumber(fields.GetField(1)), 1);
         EXPECT_EQ(fields.GetField(2), Hex("hi!"));
       }},
      {"UMBFinishMsgs", [&] { EXPECT_EQ(engine->UMBFinishMsgs(), 1); }},
      {"UMBDeleteMsgs", [&] {
         EXPECT_EQ(engine->UMBDeleteMsgs(2, 3), 1);  // "UMBDeleteMsgs:RET:0"
         EXPECT_EQ(engine->UMBDeleteMsgs(2, 3), 1);  // "UMBDeleteMsgs:ERROR:-2": nothing left
       }},

      // Mail.
      {"CNFStartDataExchange", [&] { EXPECT_EQ(engine->CNFStartDataExchange(1), 1); }},
      {"CNFPInitialize", [&] { EXPECT_EQ(engine->CNFPInitialize(), 1); }},
      {"CNFPWriteData", [&] {
         const CReplyFields fields = Fields("CNFPWriteData,4,1,-1," + Hex("mail"));
         ASSERT_EQ(fields.GetCount(), 4u);
         EXPECT_EQ(ReadNumber(fields.GetField(2)), -1);
         EXPECT_EQ(fields.GetField(3), "DONE");
       }},
      {"CNFPGetMailCnt", [&] {
         std::array<int, 6> counts{};
         ASSERT_EQ(engine->CNFPGetMailCnt(counts), 1);
         EXPECT_EQ(counts, (std::array<int, 6>{0, 0, 0, 0, 1, 0}));
       }},
      {"CNFPReadData", [&] {
         EXPECT_EQ(ReadNumber(Fields("CNFPReadData,4,1,0,128", ",").GetField(1)), 4);
         EXPECT_EQ(Fields("CNFPReadData,4,1,1,128", ",").GetField(1), Hex("mail"));
       }},
      {"CNFEndDataExchange", [&] { EXPECT_EQ(engine->CNFEndDataExchange(), 1); }},

      // Leaving: EXIT makes the phone a modem again, and it can be woken anew.
      {"EXIT", [&] {
         EXPECT_EQ(engine->Exit(), 1);
         ASSERT_EQ(engine->WakePhone(3000), 1);
         EXPECT_EQ(engine->UsePteCommand("00129"), 1);
       }},
      {"PowerOff", [&] { EXPECT_EQ(engine->PowerOff(), 1); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    row.check();
  }
}

// A phone that stays off once reset, however long the commands after the reset take to reach it.
class PhoneThatStaysOff : public CommandSetConformance {
 protected:
  PhoneThatStaysOff() { phoneArguments.insert(phoneArguments.end(), {"--off-time", "never"}); }
};

TEST_F(PhoneThatStaysOff, ForceHWWDResetsThePhoneWithoutAnswer) {
  ASSERT_EQ(engine->UsePteCommand("00129"), 1);
  EXPECT_EQ(engine->ForceHWWD(), 1);
  engine->SetTimeout(200);
  CString version;
  EXPECT_EQ(engine->ShowSwVersion(version), 0);  // the phone is off
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
}

TEST_F(CommandSetConformance, ErrorAnswersGiveTheirResults) {
  CString text;
  int number = 0;
  // Before its command set is chosen the phone refuses: the answer is no value.
  EXPECT_EQ(engine->ShowSwVersion(text), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  // Another model's code: refused, and the link service named a model.
  EXPECT_EQ(engine->UsePteCommand("00126"), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_OTHER_MODEL);
  ASSERT_EQ(engine->UsePteCommand("00129"), 1);
  // A folder the phone does not have.
  EXPECT_EQ(engine->GetFolderNum(77, number), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  // A file that is not there.
  EXPECT_EQ(engine->DeleteResourceFileWFolder(99), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  // A phone that stays silent.
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Silent, 1));
  engine->SetTimeout(100);
  EXPECT_EQ(engine->BackLightOff(), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_NO_REPLY);
}

TEST_F(CommandSetConformance, LockStatesGiveEachResult) {
  ASSERT_EQ(engine->UsePteCommand("00129"), 1);
  struct Case {
    std::vector<std::string> controls;
    int result;
    LockState state;
    DWORD checkError;
  };
  const Case cases[] = {
      {{}, 1, LOCK_NOT_REPORTED, 0},
      {{"lock sim ng"}, 0, LOCK_NO_SIM, ERROR_NO_SIM},
      {{"lock sim ok", "lock phone on"}, 0, LOCK_PHONE, ERROR_PHONE_LOCKED},
      {{"lock phone off", "lock daybook on"}, 0, LOCK_DAYBOOK, ERROR_DATA_LOCKED},
      {{"lock daybook off", "lock unreadable on"}, 0, LOCK_UNKNOWN, ERROR_PHONE_BAD_REPLY},
  };
  for (const Case& c : cases) {
    for (const std::string& line : c.controls) ASSERT_TRUE(phone.Control(line)) << phone.Error();
    LockState state = LOCK_NOT_REPORTED;
    EXPECT_EQ(engine->ShowLockInfo(state), c.result);
    EXPECT_EQ(state, c.state);
    SetLastError(0);
    EXPECT_EQ(engine->VerifyLockInfo(), c.result);
    if (c.result == 0) {
      EXPECT_EQ(GetLastError(), c.checkError);
    }
  }
}

}  // namespace
