// The chunked transfers (flash files, messages, mails) against a scripted phone behind the
// stand-in link service: how each reply is judged, that refusals fail, that asking again for a
// chunk is bounded, that progress counts down and that a cancel stops at the next chunk.
#include "FlashBlock.h"
#include "FlashFile.h"
#include "HexCodec.h"
#include "support/FakeLinkService.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Hex(std::string_view bytes) {
  return HexText(std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()));
}

std::vector<BYTE> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::size_t CountOf(const std::vector<std::string>& commands, std::string_view prefix) {
  return static_cast<std::size_t>(
      std::count_if(commands.begin(), commands.end(), [&](const std::string& c) { return c.starts_with(prefix); }));
}

class TransferTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service.Listening());
    service.SetPhoneScript([this](const std::string& command) {
      sent.push_back(command);
      const std::string reply = phone ? phone(command) : std::string();
      std::vector<std::string> frames;
      if (!reply.empty()) frames.push_back(FakeLinkService::ReplyFrame(reply));
      return frames;
    });
    ASSERT_EQ(engine.Connect(), 1);
    engine.SetTimeout(100);
  }

  // A flash file system of one file, answered the way the phone answers.
  void ServeFlashFile(std::string bytes) {
    phone = [bytes](const std::string& command) -> std::string {
      if (command.starts_with("FFSRead,")) return "FFSRead:RET:" + std::to_string(bytes.size());
      if (command.starts_with("ShowBufferDump,")) {
        const std::size_t at = std::stoul(command.substr(15)) * 64;
        return "ShowBufferDump:RET:" + Hex(std::string_view(bytes).substr(at, 64));
      }
      if (command.starts_with("InitFFSWrite,")) return "InitFFSWrite:RET:1";
      if (command.starts_with("SetBufferDump,")) return "SetBufferDump:RET:0";
      if (command.starts_with("FFSErase,")) return "FFSErase:RET:1";
      return command.substr(0, command.find(',')) + ":ERROR:1";
    };
  }

  // Declared before the service: its thread runs the script, which touches them, until it is joined.
  std::function<std::string(const std::string&)> phone;
  std::vector<std::string> sent;
  FakeLinkService service;
  CLinkEngine engine{service.Address()};
};

// Records the progress calls of a transfer; can set an event once a given count of calls was made.
struct ProgressLog {
  static int Record(int total, int current, void* user) {
    auto* log = static_cast<ProgressLog*>(user);
    log->calls.emplace_back(total, current);
    if (log->cancel && log->calls.size() == log->cancelAfter) SetEvent(log->cancel);
    return 0;
  }
  std::vector<std::pair<int, int>> calls;
  HANDLE cancel = nullptr;
  std::size_t cancelAfter = 0;
};

TEST_F(TransferTest, FlashReadsAskForTheSizeThenEachChunk) {
  const std::string bytes(130, 'f');
  ServeFlashFile(bytes);
  CFlashBlock block(256, 7);
  ProgressLog log;
  ASSERT_EQ(engine.ReadBlock(block, ProgressLog::Record, &log), 1);
  EXPECT_EQ(block.data, Bytes(bytes));
  EXPECT_EQ(sent, (std::vector<std::string>{"FFSRead,256,7", "ShowBufferDump,0", "ShowBufferDump,1",
                                             "ShowBufferDump,2"}));
  EXPECT_EQ(log.calls, (std::vector<std::pair<int, int>>{{130, 66}, {130, 2}, {130, 0}}));

  // An empty file: no chunk is asked for.
  ServeFlashFile("");
  sent.clear();
  CFlashFile file;
  file.Bind(engine, 256, 7);
  file.Fill(3, 0xAA);
  ASSERT_EQ(file.Read(), 1);
  EXPECT_EQ(file.Size(), 0);
  EXPECT_EQ(sent, std::vector<std::string>{"FFSRead,256,7"});

  // The size is the third field; fields after it are not read.
  phone = [](const std::string& command) {
    return command.starts_with("FFSRead") ? "FFSRead:RET:2:reserved" : "ShowBufferDump:RET:4142";
  };
  ASSERT_EQ(file.Read(), 1);
  EXPECT_EQ(file.Size(), 2);
}

TEST_F(TransferTest, BadSizeRepliesFailTheFileAfterThreeTriesAndTheBlockAtOnce) {
  // Refusals, and count replies that stop short or hold no count.
  // An empty second field is no "RET".
  for (const std::string reply : {"FFSRead:ERROR:2", "FFSRead:RET", "FFSRead:RET:", "FFSRead:RET:-5",
                                  "FFSRead:RET:12x", "FFSRead:RET:99999999999", "FFSRead::RET:5",
                                  "FFSRead:RET::5"}) {
    phone = [reply](const std::string&) { return reply; };
    sent.clear();
    CFlashFile file;
    file.Bind(engine, 106, 110);
    SetLastError(0);
    EXPECT_EQ(file.Read(), 0) << reply;
    EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY) << reply;
    EXPECT_EQ(sent, std::vector<std::string>(3, "FFSRead,106,110")) << reply;

    sent.clear();
    CFlashBlock block(106, 110);
    EXPECT_EQ(engine.ReadBlock(block, nullptr, nullptr), 0) << reply;
    EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY) << reply;
    EXPECT_EQ(sent.size(), 1u) << reply;
  }
}

TEST_F(TransferTest, AChunkOfTheWrongLengthIsAskedForAgainThreeTimesAtMost) {
  int asked = 0;
  for (const int goodAfter : {1, 3, 99}) {
    phone = [&asked, goodAfter](const std::string& command) -> std::string {
      if (command.starts_with("FFSRead")) return "FFSRead:RET:2";
      // Longer than the two bytes that remain: taken, it would overrun the file's buffer.
      return ++asked > goodAfter - 1 && goodAfter != 99 ? "ShowBufferDump:RET:ABCD" : "ShowBufferDump:RET:ABCDEF";
    };
    asked = 0;
    sent.clear();
    CFlashBlock block(1, 1);
    const int result = engine.ReadBlock(block, nullptr, nullptr);
    EXPECT_EQ(CountOf(sent, "ShowBufferDump,0"), std::min<std::size_t>(goodAfter, 3)) << goodAfter;
    if (goodAfter <= 3) {
      ASSERT_EQ(result, 1) << goodAfter;
      EXPECT_EQ(block.data, (std::vector<BYTE>{0xAB, 0xCD}));
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
      EXPECT_TRUE(block.data.empty());
    }
  }
}

TEST_F(TransferTest, ChunkRepliesOfTheWrongShapeOrHex) {
  struct Case {
    const char* chunk;
    DWORD fileError;   // CFlashFile, after asking three times for a bad shape
    std::size_t fileAsks;
    DWORD blockError;  // the block read, at once
  };
  const Case cases[] = {
      {"ShowBufferDump:ERROR:3", ERROR_PHONE_BAD_REPLY, 3, ERROR_PHONE_BAD_REPLY},
      {"ShowBufferDump:RET:AB:CD", ERROR_PHONE_BAD_REPLY, 3, ERROR_PHONE_BAD_REPLY},
      {"FFSRead:RET:ABCD", ERROR_PHONE_BAD_REPLY, 3, ERROR_PHONE_BAD_REPLY},
      {"ShowBufferDump:RET:ABCG", ERROR_FILE_BAD_HEX, 1, ERROR_BAD_HEX},
  };
  for (const Case& c : cases) {
    const std::string chunk = c.chunk;
    phone = [chunk](const std::string& command) { return command.starts_with("FFSRead") ? "FFSRead:RET:2" : chunk; };
    sent.clear();
    CFlashFile file;
    file.Bind(engine, 1, 1);
    EXPECT_EQ(file.Read(), 0) << chunk;
    EXPECT_EQ(GetLastError(), c.fileError) << chunk;
    EXPECT_EQ(CountOf(sent, "ShowBufferDump"), c.fileAsks) << chunk;
    EXPECT_EQ(file.Size(), 0) << chunk;
    CFlashBlock block(1, 1);
    EXPECT_EQ(engine.ReadBlock(block, nullptr, nullptr), 0) << chunk;
    EXPECT_EQ(GetLastError(), c.blockError) << chunk;
  }
}

TEST_F(TransferTest, WritesSendEveryChunkAndARefusalIsAFailure) {
  ServeFlashFile("");
  CFlashFile file;
  file.Bind(engine, 106, 110);
  file.Fill(65, 0x41);
  ASSERT_EQ(file.Write(), 1);
  EXPECT_EQ(sent, (std::vector<std::string>{"InitFFSWrite,106,110,65", "SetBufferDump," + Hex(std::string(64, 'A')) + ",0",
                                             "SetBufferDump,41,1"}));

  struct Case {
    const char* init;
    const char* chunk;
    std::size_t chunksSent;
  };
  const Case refusals[] = {
      {"InitFFSWrite:ERROR:4", "SetBufferDump:RET:0", 0},  // no room: nothing is sent
      {"InitFFSWrite:RET:1", "SetBufferDump:ERROR:3", 1},  // the first chunk refused: no second
      {"FFSRead:RET:1", "SetBufferDump:RET:0", 0},         // the answer to another command
  };
  for (const Case& c : refusals) {
    phone = [c](const std::string& command) -> std::string {
      return command.starts_with("InitFFSWrite") ? c.init : c.chunk;
    };
    for (const bool block : {false, true}) {
      sent.clear();
      SetLastError(0);
      CFlashBlock written(106, 110);
      written.SetData(file.Data());
      EXPECT_EQ(block ? engine.WriteBlock(written, nullptr, nullptr) : file.Write(), 0) << c.init << c.chunk;
      EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY) << c.init << c.chunk;
      EXPECT_EQ(CountOf(sent, "SetBufferDump"), c.chunksSent) << c.init << c.chunk;
    }
  }

  // A refused erase keeps the data; a carried-out one drops it.
  phone = [](const std::string&) { return "FFSErase:ERROR:1"; };
  EXPECT_EQ(file.Erase(), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  EXPECT_EQ(file.Size(), 65);
  EXPECT_EQ(engine.EraseBlock(CFlashBlock(106, 110)), 0);
  ServeFlashFile("");
  EXPECT_EQ(file.Erase(), 1);
  EXPECT_EQ(file.Size(), 0);
  EXPECT_EQ(engine.EraseBlock(CFlashBlock(106, 110)), 1);
}

TEST_F(TransferTest, ACancelStopsABlockTransferAfterTheChunkInHand) {
  const std::string bytes(200, 'c');
  ServeFlashFile(bytes);
  HANDLE cancel = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ProgressLog log;
  log.cancel = cancel;
  log.cancelAfter = 1;
  CFlashBlock block(5, 5, cancel);
  EXPECT_EQ(engine.ReadBlock(block, ProgressLog::Record, &log), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_CANCELLED);
  EXPECT_TRUE(block.data.empty());
  EXPECT_EQ(CountOf(sent, "ShowBufferDump"), 1u);

  sent.clear();
  log.calls.clear();
  log.cancelAfter = 2;
  block.SetData(Bytes(bytes));
  EXPECT_EQ(engine.WriteBlock(block, ProgressLog::Record, &log), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_CANCELLED);
  EXPECT_EQ(CountOf(sent, "SetBufferDump"), 2u);
  CloseHandle(cancel);
}

TEST_F(TransferTest, AChunkSizeOfNothingFailsInsteadOfLoopingForEver) {
  ServeFlashFile("ab");
  engine.SetChunkSizes(64, 0, 64);
  CFlashBlock block(1, 1);
  EXPECT_EQ(engine.ReadBlock(block, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  block.SetData(Bytes("ab"));
  EXPECT_EQ(engine.WriteBlock(block, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(TransferTest, MessagesAreReadAndWrittenInChunks) {
  const std::string message(65, 'm');
  phone = [&](const std::string& command) -> std::string {
    if (command == "UMBGetMsgs,2,3,0,0") return "UMBGetMsgs,2,3,0,0,65";
    if (command == "UMBGetMsgs,2,3,0,1") return "UMBGetMsgs,1," + Hex(message.substr(0, 64));
    if (command == "UMBGetMsgs,2,3,0,2") return "UMBGetMsgs,2," + Hex(message.substr(64));
    if (command.starts_with("UMBSetMsgs,-1")) return "UMBSetMsgs:RET:0";
    if (command.starts_with("UMBSetMsgs")) return "UMBSetMsgs:RET:2";
    return "?";
  };
  std::vector<BYTE> data;
  ProgressLog log;
  ASSERT_EQ(engine.UMBGetMsgs(2, 3, 0, {nullptr, ProgressLog::Record, &log}, data), 1);
  EXPECT_EQ(data, Bytes(message));
  EXPECT_EQ(log.calls, (std::vector<std::pair<int, int>>{{65, 1}, {65, 0}, {0, 0}}));

  sent.clear();
  ASSERT_EQ(engine.UMBSetMsgs(2, 3, 4, data, {}), 1);
  EXPECT_EQ(sent, (std::vector<std::string>{"UMBSetMsgs,2,3,4,65,64,0", "UMBSetMsgs,4,64," + Hex(message.substr(0, 64)),
                                             "UMBSetMsgs,4,1,6D", "UMBSetMsgs,-1"}));
}

TEST_F(TransferTest, MessageRepliesOfTheWrongShapeFail) {
  struct Case {
    const char* header;
    const char* chunk;
    std::size_t chunkAsks;
  };
  const Case cases[] = {
      {"UMBGetMsgs,2,3,0,0", "UMBGetMsgs,1,6D", 0},       // the length is missing
      {"UMBGetMsgs:ERROR:3", "UMBGetMsgs,1,6D", 0},
      {"UMBGetMsgs,2,3,0,0,-1", "UMBGetMsgs,1,6D", 0},
      {"UMBGetMsgs,2,3,0,0,1", "UMBGetMsgs,2,6D", 1},     // another chunk than the one asked for
      {"UMBGetMsgs,2,3,0,0,1", "UMBGetMsgs,1", 1},        // no hex
      {"UMBGetMsgs,2,3,0,0,1", "UMBGetMsgs,1,6D6D", 3},   // too long, every time
  };
  for (const Case& c : cases) {
    phone = [c](const std::string& command) -> std::string {
      return command.ends_with(",0") ? c.header : c.chunk;
    };
    sent.clear();
    std::vector<BYTE> data{1, 2};
    SetLastError(0);
    EXPECT_EQ(engine.UMBGetMsgs(2, 3, 0, {}, data), 0) << c.header << " " << c.chunk;
    EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY) << c.header << " " << c.chunk;
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(sent.size(), 1 + c.chunkAsks) << c.header << " " << c.chunk;
  }
  // A write whose chunk the phone does not take.
  phone = [](const std::string& command) {
    return command.starts_with("UMBSetMsgs,1,") ? "UMBSetMsgs:RET:2" : "UMBSetMsgs:ERROR:3";
  };
  EXPECT_EQ(engine.UMBSetMsgs(1, 0, 0, Bytes("hi"), {}), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
}

TEST_F(TransferTest, MailsGoInNumberedChunksTheLastOneMinusOne) {
  std::string stored;
  phone = [&](const std::string& command) -> std::string {
    if (command.starts_with("CNFPWriteData,")) {
      const auto items = command.substr(14);
      const std::string sequence = items.substr(4, items.rfind(',') - 4);
      return "CNFPWriteData:RET:" + sequence + ":DONE";
    }
    if (command == "CNFPReadData,4,1,0,128") return "CNFPReadData:RET:0,130";
    if (command.starts_with("CNFPReadData,4,1,")) {
      const int n = std::stoi(command.substr(17));
      return "CNFPReadData:RET:" + std::to_string(n) + "," + Hex(std::string(n == 3 ? 2 : 64, 'a' + n));
    }
    return "?";
  };
  for (const std::size_t size : {0, 64, 65, 130}) {
    sent.clear();
    ProgressLog log;
    ASSERT_EQ(engine.CNFPWriteData(4, 1, std::vector<BYTE>(size, 'x'), {nullptr, ProgressLog::Record, &log}), 1);
    std::vector<std::string> sequences;
    for (const std::string& command : sent) sequences.push_back(command.substr(18, command.rfind(',') - 18));
    const std::vector<std::vector<std::string>> expected{{}, {"-1"}, {"0", "-1"}, {"0", "1", "-1"}};
    EXPECT_EQ(sequences, expected[(size + 63) / 64]) << size;
    EXPECT_EQ(log.calls, (std::vector<std::pair<int, int>>{{0, 0}})) << size;
  }
  std::vector<BYTE> data;
  ASSERT_EQ(engine.CNFPReadData(4, 1, {}, data), 1);
  EXPECT_EQ(data, Bytes(std::string(64, 'b') + std::string(64, 'c') + "dd"));
}

TEST_F(TransferTest, MailRepliesOfTheWrongShapeFail) {
  struct Case {
    const char* header;
    const char* chunk;
  };
  const Case cases[] = {
      {"CNFPReadData:RET:0", "CNFPReadData:RET:1,6D"},       // the length is missing
      {"CNFPReadData:RET:0,", "CNFPReadData:RET:1,6D"},
      {"CNFPReadData:RET:0,1", "CNFPReadData:RET:2,6D"},     // another chunk
      {"CNFPReadData:RET:0,1", "CNFPReadData:RET:1,6D6D6D"},  // longer than the mail, every time
  };
  for (const Case& c : cases) {
    phone = [c](const std::string& command) -> std::string {
      return command.ends_with(",0,128") ? c.header : c.chunk;
    };
    std::vector<BYTE> data;
    EXPECT_EQ(engine.CNFPReadData(0, 1, {}, data), 0) << c.header << " " << c.chunk;
    EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY) << c.header << " " << c.chunk;
  }
  for (const char* reply : {"CNFPWriteData:RET:0:DONE", "CNFPWriteData:RET:-1", "CNFPWriteData:ERROR:3"}) {
    phone = [reply](const std::string&) { return reply; };
    EXPECT_EQ(engine.CNFPWriteData(0, 1, Bytes("mail"), {}), 0) << reply;  // its one chunk is -1
    EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY) << reply;
  }
}

}  // namespace
