// The command families as the phone answers them: each family's store, its replies in the phone's
// own spelling, and the lock states set by control lines.
#include "CommandTable.h"
#include "commands/StoreFiles.h"

#include <phonesim/PhoneMedia.h>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace phonesim;

namespace {

class CommandFamiliesTest : public ::testing::Test {
 protected:
  void SetUp() override { Open("Selka"); }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  void Open(std::string_view model) {
    std::string error;
    m_state = PhoneState::Open(m_folder, FindModel(model), std::nullopt, error);
    ASSERT_TRUE(m_state) << error;
    m_session = {};
    ASSERT_EQ(Run("UsePteCommand," + std::string(m_state->Model().modelCode)), "UsePteCommand:RET:1");
  }

  // The one reply of a command ("" when none).
  std::string Run(const std::string& command) {
    const std::vector<std::string> replies = m_table.Run(command, *m_state, m_session);
    return replies.empty() ? std::string() : replies.front();
  }

  std::optional<std::string> Control(const std::string& line) { return m_table.RunControl(line, *m_state); }

  std::filesystem::path m_folder =
      std::filesystem::temp_directory_path() / ("phonesim-families-" + std::to_string(::getpid()));
  CommandTable m_table = CommandTable::Full();
  std::unique_ptr<PhoneState> m_state;
  PteSession m_session;
};

TEST_F(CommandFamiliesTest, ModeCommandsAnswerInThePhonesSpelling) {
  EXPECT_EQ(Run("BackLightOff"), "BacklightOff:DONE");
  EXPECT_EQ(Run("TestModeOn"), "TestModeOn:DONE");
  EXPECT_EQ(Run("SetCliConvert"), "SetCliConvert:DONE");
  EXPECT_EQ(Run("ShowIMEI"), "ShowIMEI:RET:354812050500123");
  EXPECT_EQ(Run("EXIT"), "exit:DONE");
  EXPECT_EQ(m_session.after, AfterCommand::LeaveCommandMode);
  EXPECT_EQ(Run("ForceHWWD"), "");
  EXPECT_EQ(m_session.after, AfterCommand::PowerOff);
}

TEST_F(CommandFamiliesTest, LockStatesFollowTheControlLines) {
  EXPECT_EQ(Run("ShowLockInfo"), "ShowLockInfo:RET:SIM=OK /PhoneLock=OFF/DaybookLock=OFF");
  EXPECT_EQ(Control("lock sim ng"), "");
  EXPECT_EQ(Control("lock phone on"), "");
  EXPECT_EQ(Run("ShowLockInfo"), "ShowLockInfo:RET:SIM=NG /PhoneLock=ON /DaybookLock=OFF");
  EXPECT_EQ(Control("lock unreadable on"), "");
  EXPECT_EQ(Run("ShowLockInfo"), "ShowLockInfo:RET:LOCKS=UNREADABLE");
  EXPECT_NE(Control("lock sim on"), "");     // SIM takes ok or ng
  EXPECT_NE(Control("lock door on"), "");
  EXPECT_EQ(Control("silent on"), std::nullopt);  // not a verb of the phone's state
}

TEST_F(CommandFamiliesTest, FlashFilesAreWrittenAndReadInChunks) {
  const std::string bytes(65, 'x');
  EXPECT_EQ(Run("FFSRead,256,3"), "FFSRead:RET:0");
  EXPECT_EQ(Run("InitFFSWrite,256,3,65"), "InitFFSWrite:RET:1");
  EXPECT_EQ(Run("SetBufferDump," + HexOf(bytes.substr(0, 64)) + ",0"), "SetBufferDump:RET:0");
  EXPECT_EQ(Run("SetBufferDump,78,5"), "SetBufferDump:ERROR:3");  // not the chunk that comes next
  EXPECT_EQ(Run("SetBufferDump,78,1"), "SetBufferDump:RET:1");
  EXPECT_EQ(Run("FFSRead,256,3"), "FFSRead:RET:65");
  EXPECT_EQ(Run("ShowBufferDump,0"), "ShowBufferDump:RET:" + HexOf(bytes.substr(0, 64)));
  EXPECT_EQ(Run("ShowBufferDump,1"), "ShowBufferDump:RET:78");
  EXPECT_EQ(Run("ShowBufferDump,2"), "ShowBufferDump:ERROR:3");
  EXPECT_EQ(Run("GetPBRecordCount"), "GetPBRecordCount:RET:1");
  EXPECT_EQ(Run("FFSErase,256,3"), "FFSErase:RET:1");
  EXPECT_EQ(Run("GetPBRecordCount"), "GetPBRecordCount:RET:0");
}

// A fresh phone has an empty schedule and to-do list: their used flags read as zeros, one a slot.
TEST_F(CommandFamiliesTest, TheRecordStoresFlagsExistBeforeAnythingIsWritten) {
  EXPECT_EQ(Run("FFSRead,99,3"), "FFSRead:RET:600");
  EXPECT_EQ(Run("ShowBufferDump,9"), "ShowBufferDump:RET:" + std::string(48, '0'));  // the last 24 of 600
  EXPECT_EQ(Run("FFSRead,102,4"), "FFSRead:RET:100");
  EXPECT_EQ(Run("FFSRead,100,0"), "FFSRead:RET:0");  // no block of records
  EXPECT_EQ(Run("InitFFSWrite,102,4,1"), "InitFFSWrite:RET:1");
  EXPECT_EQ(Run("SetBufferDump,01,0"), "SetBufferDump:RET:1");
  EXPECT_EQ(Run("FFSRead,102,4"), "FFSRead:RET:1");  // as written
}

TEST_F(CommandFamiliesTest, AFlashWriteThatWouldNotFitIsRefused) {
  const long long capacity = 2 << 20;
  WriteStoreFile(m_state->StoreFolder("flash") / "100_0.bin", std::string(1000, 'b'));
  EXPECT_EQ(Run("InitFFSWrite,106,110," + std::to_string(capacity - 999)), "InitFFSWrite:ERROR:4");
  EXPECT_EQ(Run("InitFFSWrite,106,110," + std::to_string(capacity - 1000)), "InitFFSWrite:RET:1");
  // A file that is replaced does not count against its own new size.
  EXPECT_EQ(Run("InitFFSWrite,100,0," + std::to_string(capacity)), "InitFFSWrite:RET:1");
}

TEST_F(CommandFamiliesTest, MediaFoldersAndFiles) {
  // The seeded tree: folders by number, listed with their number twice, and files of any option.
  EXPECT_EQ(Run("GetFolderNum,0"), "GetFolderNum:RET:1");
  EXPECT_EQ(Run("GetFolderName,0,0"), "GetFolderName:RET:0,11,11,1,10,Camera");
  EXPECT_EQ(Run("GetFolderName,11,0"), "GetFolderName:RET:11,14,14,1,10,\xC3\x89t\xC3\xA9 2024");
  EXPECT_EQ(Run("GetFolderName,2,0"), "GetFolderName:RET:2,13,13,1,138,Clips");
  EXPECT_EQ(Run("GetFolderNum,77"), "GetFolderNum:ERROR:3");
  EXPECT_EQ(Run("GetResourceFileNumWFolder,0,0"), "GetResourceFileNumWFolder:RET:1");
  EXPECT_EQ(Run("GetResourceFileNumWFolder,1,0"), "GetResourceFileNumWFolder:RET:1");
  EXPECT_EQ(Run("GetResourceFileNameWFolder,1,14,0"), "GetResourceFileNameWFolder:RET:3,0,130,stra\xC3\x9F" "e.png,keFTPng");

  EXPECT_EQ(Run("CreateFolder,0," + HexOf("Trips")), "CreateFolder:RET:16,16");
  EXPECT_EQ(Run("CreateFolder,0," + HexOf("Trips")), "CreateFolder:RET:Folder Exist");
  EXPECT_EQ(Run("GetResourceFileNameWFolder,0,11,0"), "GetResourceFileNameWFolder:RET:1,0,64,sunset.jpg,keFTJpeg");
  EXPECT_EQ(Run("MoveResourceFileWFolder,1,16"), "MoveResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("MoveResourceFileWFolder,1,1"), "MoveResourceFileWFolder:RET:0");  // not into Sounds
  EXPECT_EQ(Run("RenameResourceFileWFolder,1," + HexOf("dusk.jpg")), "RenameResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("GetResourceFileNameWFolder,0,16,0"), "GetResourceFileNameWFolder:RET:1,0,64,dusk.jpg,keFTJpeg");
  EXPECT_EQ(Run("DeleteFolderAll,16,16"), "DeleteFolderAll:RET:1");
  EXPECT_EQ(Run("DeleteResourceFileWFolder,1"), "DeleteResourceFileWFolder:RET:0");  // went with its folder
}

TEST_F(CommandFamiliesTest, AFileNeverTakesTheNameOfAnotherInItsFolder) {
  EXPECT_EQ(Run("CreateFolder,0," + HexOf("Trips")), "CreateFolder:RET:16,16");
  EXPECT_EQ(Run("RenameResourceFileWFolder,2," + HexOf("sunset.jpg")), "RenameResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("MoveResourceFileWFolder,2,11"), "MoveResourceFileWFolder:RET:0");  // Camera holds sunset.jpg
  EXPECT_EQ(Run("MoveResourceFileWFolder,2,16"), "MoveResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("RenameResourceFileWFolder,1," + HexOf("straße.png")), "RenameResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("MoveResourceFileWFolder,1,14"), "MoveResourceFileWFolder:RET:0");
  EXPECT_EQ(Run("RenameResourceFileWFolder,1," + HexOf("sunset.jpg")), "RenameResourceFileWFolder:RET:1");  // itself
}

TEST_F(CommandFamiliesTest, TheTenOneTwoNineModelsTakeAFourthArgument) {
  Open("Ulmar");
  EXPECT_EQ(Run("GetResourceFileNameWFolder,0,11,0"), "GetResourceFileNameWFolder:ERROR:3");
  EXPECT_EQ(Run("GetResourceFileNameWFolder,0,11,0,0"), "GetResourceFileNameWFolder:RET:1,0,64,sunset.jpg,keFTJpeg");
}

TEST_F(CommandFamiliesTest, MediaFilesTravelBothWays) {
  const std::string bytes(70, 'q');
  const std::string record = HexOf("song.mid,70,Song,12,0,64");
  EXPECT_EQ(Run("PutResourceFileWFolder,0," + record), "PutResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("PutResourceFileWFolder,1," + HexOf(bytes.substr(0, 64))), "PutResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("PutResourceFileWFolder,1," + HexOf(bytes.substr(0, 64))), "PutResourceFileWFolder:RET:1");  // again
  EXPECT_EQ(Run("PutResourceFileWFolder,3," + HexOf(bytes.substr(64))), "PutResourceFileWFolder:ERROR:3");
  EXPECT_EQ(Run("PutResourceFileWFolder,2," + HexOf(bytes.substr(64))), "PutResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("PutResourceFileWFolder,-1"), "PutResourceFileWFolder:RET:8");
  EXPECT_EQ(Run("PutResourceFileWFolder,0," + record), "PutResourceFileWFolder:RET: file exists");
  // A close without all the bytes announced.
  EXPECT_EQ(Run("PutResourceFileWFolder,0," + HexOf("short.mid,70,Short,12,0,64")), "PutResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("PutResourceFileWFolder,-1"), "PutResourceFileWFolder:RET:unspecified problem occured");
  // A close into a folder deleted while the upload was open.
  EXPECT_EQ(Run("CreateFolder,0," + HexOf("Gone")), "CreateFolder:RET:16,16");
  EXPECT_EQ(Run("PutResourceFileWFolder,0," + HexOf("gone.mid,3,Gone,16,0,64")), "PutResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("PutResourceFileWFolder,1," + HexOf("abc")), "PutResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("DeleteFolderAll,16,0"), "DeleteFolderAll:RET:1");
  EXPECT_EQ(Run("PutResourceFileWFolder,-1"), "PutResourceFileWFolder:RET:unspecified problem occured");

  EXPECT_EQ(Run("AssignResourceFileWFolder,1,12,1,1024,0"), "AssignResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("GetResourceFileWFolder,0"), "GetResourceFileWFolder:RET:0,70,song.mid,8,0,12,1,1,0,Song");
  EXPECT_EQ(Run("GetResourceFileWFolder,1"), "GetResourceFileWFolder,1," + HexOf(bytes));
  EXPECT_EQ(Run("GetResourceFileWFolder,2"), "GetResourceFileWFolder:ERROR:3");
  // A choice the phone refuses leaves none: no earlier file comes down for it.
  EXPECT_EQ(Run("AssignResourceFileWFolder,1,12,9"), "AssignResourceFileWFolder:RET:0");
  EXPECT_EQ(Run("GetResourceFileWFolder,0"), "GetResourceFileWFolder:ERROR:3");
  const int seeded = 64 + 65 + 130 + 100 + 3 + 200 + 1;
  EXPECT_EQ(Run("GetFileSystemFreeSpace"), "GetFileSystemFreeSpace:RET:" + std::to_string(1'000'000 - seeded - 70));
}

TEST_F(CommandFamiliesTest, AMediaTreeLaidOutByATestIsWhatThePhoneListsAndReadsBackWithItsChanges) {
  MediaTree tree{{"0/Camera/", {}},
                 {"0/Camera/Trip/", {}},
                 {"0/Camera/Trip/beach.jpg", {"keFTJpeg", "JPEGBYTES"}},
                 {"0/logo.gif", {"keFTGif", "GIF"}},
                 {"1/Empty/", {}},
                 {"2/walk.3gp", {"keFT3gp", "3GP"}}};
  ASSERT_TRUE(WriteMediaTree(m_folder.string(), tree));
  EXPECT_EQ(ReadMediaTree(m_folder.string()), tree);
  // Folders nest by their numbers; files carry their kind as their title.
  EXPECT_EQ(Run("GetFolderNum,0"), "GetFolderNum:RET:1");
  EXPECT_EQ(Run("GetFolderName,0,0"), "GetFolderName:RET:0,11,11,0,10,Camera");
  EXPECT_EQ(Run("GetFolderName,11,0"), "GetFolderName:RET:11,12,12,1,10,Trip");
  EXPECT_EQ(Run("GetResourceFileNameWFolder,0,12,0"), "GetResourceFileNameWFolder:RET:1,0,9,beach.jpg,keFTJpeg");
  EXPECT_EQ(Run("GetFolderName,1,0"), "GetFolderName:RET:1,13,13,0,10,Empty");
  EXPECT_EQ(Run("GetResourceFileNumWFolder,2,2"), "GetResourceFileNumWFolder:RET:1");
  // What the phone changes reads back; a new folder takes a number after the laid-out ones.
  EXPECT_EQ(Run("DeleteResourceFileWFolder,2"), "DeleteResourceFileWFolder:RET:1");
  EXPECT_EQ(Run("CreateFolder,1," + HexOf("New")), "CreateFolder:RET:16,16");
  tree.erase("0/logo.gif");
  tree["1/New/"] = {};
  EXPECT_EQ(ReadMediaTree(m_folder.string()), tree);
}

TEST_F(CommandFamiliesTest, MessagesAreCountedReadWrittenAndDeleted) {
  const std::string bytes(65, 'm');
  EXPECT_EQ(Run("UMBSetMsgs,2,3,0,65,64,0"), "UMBSetMsgs:RET:2");
  EXPECT_EQ(Run("UMBSetMsgs,0,64," + HexOf(bytes.substr(0, 64))), "UMBSetMsgs:RET:2");
  EXPECT_EQ(Run("UMBSetMsgs,0,1,6D"), "UMBSetMsgs:RET:2");
  EXPECT_EQ(Run("UMBSetMsgs,-1"), "UMBSetMsgs:RET:0");
  const std::string counts = Run("UMBInitMsgs,1");
  ASSERT_EQ(counts.size(), std::string("UMBInitMsgs,:DONE").size() + 96);
  EXPECT_EQ(counts.substr(12 + 32 + 12, 4), "0100");  // box 2, sub-folder 3: one message
  EXPECT_EQ(Run("UMBGetMsgs,2,3,0,0"), "UMBGetMsgs,2,3,0,0,65");
  EXPECT_EQ(Run("UMBGetMsgs,2,3,0,2"), "UMBGetMsgs,2,6D");
  EXPECT_EQ(Run("UMBFinishMsgs"), "UMBFinishMsgs:RET:1");
  EXPECT_EQ(Run("UMBDeleteMsgs,2,0,3,0"), "UMBDeleteMsgs:RET:0");
  EXPECT_EQ(Run("UMBDeleteMsgs,2,0,3,0"), "UMBDeleteMsgs:ERROR:-2");
  EXPECT_EQ(Run("UMBDeleteMsgs,4,0,3,0"), "UMBDeleteMsgs:ERROR:1");
}

TEST_F(CommandFamiliesTest, MailsAreCountedReadAndWritten) {
  EXPECT_EQ(Run("CNFStartDataExchange,1"), "CNFStartDataExchange:RET:DONE");
  EXPECT_EQ(Run("CNFPInitialize,128"), "CNFPInitialize:RET:DONE");
  EXPECT_EQ(Run("CNFPWriteData,2,1,0," + HexOf(std::string(64, 'a'))), "CNFPWriteData:RET:0:DONE");
  EXPECT_EQ(Run("CNFPWriteData,2,1,-1,62"), "CNFPWriteData:RET:-1:DONE");
  EXPECT_EQ(Run("CNFPGetMailCnt"), "CNFPGetMailCnt:RET:0,0,1,0,0,0");
  EXPECT_EQ(Run("CNFPReadData,2,1,0,128"), "CNFPReadData:RET:0,65");
  EXPECT_EQ(Run("CNFPReadData,2,1,2,128"), "CNFPReadData:RET:2,62");
  EXPECT_EQ(Run("CNFEndDataExchange"), "CNFEndDataExchange:RET:DONE");
}

TEST_F(CommandFamiliesTest, MailChunksComeInOrder) {
  EXPECT_EQ(Run("CNFStartDataExchange,1"), "CNFStartDataExchange:RET:DONE");
  EXPECT_EQ(Run("CNFPWriteData,1,1,0,61"), "CNFPWriteData:RET:0:DONE");
  EXPECT_EQ(Run("CNFPWriteData,1,1,2,62"), "CNFPWriteData:ERROR:3");  // chunk 1 is missing
  EXPECT_EQ(Run("CNFPWriteData,1,2,1,62"), "CNFPWriteData:ERROR:3");  // another mail
  EXPECT_EQ(Run("CNFPWriteData,1,1,1,62"), "CNFPWriteData:RET:1:DONE");
  // A mail begun and left: the next exchange forgets it, and a mail of one chunk is that chunk.
  EXPECT_EQ(Run("CNFEndDataExchange"), "CNFEndDataExchange:RET:DONE");
  EXPECT_EQ(Run("CNFStartDataExchange,1"), "CNFStartDataExchange:RET:DONE");
  EXPECT_EQ(Run("CNFPWriteData,1,1,-1,63"), "CNFPWriteData:RET:-1:DONE");
  EXPECT_EQ(Run("CNFPReadData,1,1,0,128"), "CNFPReadData:RET:0,1");
}

}  // namespace
