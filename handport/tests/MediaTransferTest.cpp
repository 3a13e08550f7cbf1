// The multimedia file transfers against a scripted phone behind the stand-in link service: how the
// download's header and chunks are judged, that a garbled size allocates nothing, that asking
// again for a chunk is bounded, and how an upload opens, sends, closes and meets an existing file.
#include "ChunkedTransfer.h"
#include "HexCodec.h"
#include "support/FakeLinkService.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Hex(std::string_view bytes) {
  return HexText(std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()));
}

std::size_t CountOf(const std::vector<std::string>& commands, std::string_view prefix) {
  return static_cast<std::size_t>(
      std::count_if(commands.begin(), commands.end(), [&](const std::string& c) { return c.starts_with(prefix); }));
}

struct ProgressLog {
  static int Record(int total, int current, void* user) {
    static_cast<ProgressLog*>(user)->calls.emplace_back(total, current);
    return 0;
  }
  std::vector<std::pair<int, int>> calls;
};

class MediaTransferTest : public testing::Test {
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

  // A phone that sends `bytes` as the chosen file, with `header` as its answer to chunk 0.
  void ServeDownload(std::string header, std::string bytes) {
    phone = [header, bytes, this](const std::string& command) -> std::string {
      if (command == "GetResourceFileWFolder,0") return header;
      const int n = std::stoi(command.substr(command.find(',') + 1));
      const std::size_t at = static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(engine.DownloadChunkSize());
      return "GetResourceFileWFolder," + std::to_string(n) + "," +
             Hex(std::string_view(bytes).substr(at, static_cast<std::size_t>(engine.DownloadChunkSize())));
    };
  }

  static std::string Header(std::string_view size) {
    return "GetResourceFileWFolder:RET:0," + std::string(size) + ",tune.mid,42,0,12,1,3,0,keFTSMF";
  }

  // Declared before the service: its thread runs the script, which touches them, until it is joined.
  std::function<std::string(const std::string&)> phone;
  std::vector<std::string> sent;
  FakeLinkService service;
  CLinkEngine engine{service.Address()};
};

TEST_F(MediaTransferTest, ADownloadTakesTheHeaderThenChunksSizedByWhatRemains) {
  const std::string bytes(64, '\x7F');
  for (const int chunkSize : {64, 1024}) {
    SCOPED_TRACE(chunkSize);
    engine.SetChunkSizes(64, 64, chunkSize);
    sent.clear();
    ServeDownload(Header("64"), bytes);
    std::vector<BYTE> data;
    ResourceFileHeader header;
    ProgressLog progress;
    ASSERT_EQ(engine.GetResourceFileWFolder({nullptr, ProgressLog::Record, &progress}, data, header), 1)
        << std::hex << GetLastError();
    EXPECT_EQ(sent, (std::vector<std::string>{"GetResourceFileWFolder,0", "GetResourceFileWFolder,1"}));
    EXPECT_EQ(std::string(data.begin(), data.end()), bytes);
    EXPECT_STREQ(header.name, "tune.mid");
    EXPECT_STREQ(header.title, "keFTSMF");
    EXPECT_EQ(header.fileId, 42u);
    EXPECT_EQ(header.folder, 12u);
    EXPECT_EQ(progress.calls, (std::vector<std::pair<int, int>>{{64, 0}}));
  }

  // Three chunks of 64 count down the bytes still to come.
  sent.clear();
  engine.SetChunkSizes(64, 64, 64);
  ServeDownload(Header("150"), std::string(150, 'b'));
  std::vector<BYTE> data;
  ResourceFileHeader header;
  ProgressLog progress;
  ASSERT_EQ(engine.GetResourceFileWFolder({nullptr, ProgressLog::Record, &progress}, data, header), 1);
  EXPECT_EQ(data.size(), 150u);
  EXPECT_EQ(progress.calls, (std::vector<std::pair<int, int>>{{150, 86}, {150, 22}, {150, 0}}));
  EXPECT_EQ(sent.back(), "GetResourceFileWFolder,3");
}

TEST_F(MediaTransferTest, TheNameAndTitleAreTakenFromThePhonesUtf8) {
  // A byte that begins no whole UTF-8 character is read as the character of its own value.
  ServeDownload("GetResourceFileWFolder:RET:0,1,caf\xE9.jpg,7,0,11,0,0,0,Caf\xE9", "x");
  std::vector<BYTE> data;
  ResourceFileHeader header;
  ASSERT_EQ(engine.GetResourceFileWFolder({}, data, header), 1);
  EXPECT_STREQ(header.name, "caf\xC3\xA9.jpg");
  EXPECT_STREQ(header.title, "Caf\xC3\xA9");
}

TEST_F(MediaTransferTest, AFileOfNoBytesNeedsNoChunk) {
  ServeDownload(Header("0"), "");
  std::vector<BYTE> data{1, 2};
  ResourceFileHeader header;
  ASSERT_EQ(engine.GetResourceFileWFolder({}, data, header), 1);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(sent, std::vector<std::string>{"GetResourceFileWFolder,0"});
}

TEST_F(MediaTransferTest, AGarbledHeaderIsABadReplyAndAllocatesNothing) {
  const std::string tooLarge = std::to_string(static_cast<long long>(kMaxTransferSize) + 1);
  const std::string headers[] = {
      Header("-5"),                                          // a negative size
      Header(tooLarge),                                      // more than a transfer takes
      Header("4294967296"),                                  // past every integer
      Header("12x"),                                         // no count
      "GetResourceFileWFolder:RET:0,64,tune.mid,42,0,12,1,3,0",  // nine items
      "GetResourceFileWFolder:ERROR:3",
  };
  for (const std::string& reply : headers) {
    SCOPED_TRACE(reply);
    sent.clear();
    ServeDownload(reply, std::string(64, 'a'));
    std::vector<BYTE> data;
    ResourceFileHeader header;
    header.name = "kept";
    EXPECT_EQ(engine.GetResourceFileWFolder({}, data, header), 0);
    EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
    EXPECT_TRUE(data.empty());
    EXPECT_STREQ(header.name, "kept");
    EXPECT_EQ(sent.size(), 1u);  // no chunk was asked for
  }
}

TEST_F(MediaTransferTest, AChunkOfTheWrongLengthIsAskedForAgainAFewTimesOnly) {
  phone = [](const std::string& command) -> std::string {
    if (command == "GetResourceFileWFolder,0") return Header("64");
    return "GetResourceFileWFolder,1," + Hex("short");
  };
  std::vector<BYTE> data;
  ResourceFileHeader header;
  EXPECT_EQ(engine.GetResourceFileWFolder({}, data, header), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  EXPECT_EQ(CountOf(sent, "GetResourceFileWFolder,1"), static_cast<std::size_t>(kChunkTries));
  EXPECT_TRUE(data.empty());

  // Once asked again, a whole chunk is taken.
  sent.clear();
  int asked = 0;
  phone = [&asked](const std::string& command) -> std::string {
    if (command == "GetResourceFileWFolder,0") return Header("3");
    return "GetResourceFileWFolder,1," + Hex(++asked == 1 ? "ab" : "abc");
  };
  ASSERT_EQ(engine.GetResourceFileWFolder({}, data, header), 1);
  EXPECT_EQ(std::string(data.begin(), data.end()), "abc");
}

TEST_F(MediaTransferTest, AChunkNamedForAnotherNumberOrCommandEndsTheDownload) {
  for (const std::string& chunk : std::vector<std::string>{"GetResourceFileWFolder,2," + Hex("abc"),
                                                          "GetResourceFile,1," + Hex("abc"), "GetResourceFileWFolder,1,zz!"}) {
    SCOPED_TRACE(chunk);
    phone = [chunk](const std::string& command) -> std::string {
      return command == "GetResourceFileWFolder,0" ? Header("3") : chunk;
    };
    std::vector<BYTE> data;
    ResourceFileHeader header;
    EXPECT_EQ(engine.GetResourceFileWFolder({}, data, header), 0);
    EXPECT_TRUE(data.empty());
  }
}

// A phone that takes uploads into folder 12, which holds "old.mid" (id 9) at index 1.
class UploadTest : public MediaTransferTest {
 protected:
  void SetUp() override {
    MediaTransferTest::SetUp();
    phone = [this](const std::string& command) -> std::string {
      if (command.starts_with("PutResourceFileWFolder,0,")) return openAnswer;
      if (command == "PutResourceFileWFolder,-1") return closeAnswer;
      if (command.starts_with("PutResourceFileWFolder,")) return chunkAnswer;
      if (command == "GetResourceFileNumWFolder,0,12") return "GetResourceFileNumWFolder:RET:2";
      if (command == "GetResourceFileNameWFolder,0,12,0") return "GetResourceFileNameWFolder:RET:5,0,10,a.mid,keFTSMF";
      if (command == "GetResourceFileNameWFolder,0,12,1") return "GetResourceFileNameWFolder:RET:9,0,10,old.mid,keFTSMF";
      return "ERROR";
    };
  }

  int Upload(std::string_view bytes, const char* name, int chunkSize, DWORD& fileId) {
    return engine.PutResourceFileWFolder({}, std::span(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()), name,
                                         "M\xC3\xA9lodie", 12, chunkSize, fileId);
  }

 public:
  std::string openAnswer = "PutResourceFileWFolder:RET:1";
  std::string chunkAnswer = "PutResourceFileWFolder:RET:1";
  std::string closeAnswer = "PutResourceFileWFolder:RET:77";
};

TEST_F(UploadTest, AnUploadSendsItsRecordItsChunksInOrderAndTakesTheNewId) {
  const std::string bytes(100, 'z');
  DWORD fileId = 0;
  ASSERT_EQ(Upload(bytes, "new.mid", 64, fileId), 1) << std::hex << GetLastError();
  EXPECT_EQ(fileId, 77u);
  const std::vector<std::string> expected = {
      "PutResourceFileWFolder,0," + Hex("new.mid,100,M\xC3\xA9lodie,12,0,64"),
      "PutResourceFileWFolder,1," + Hex(bytes.substr(0, 64)),
      "PutResourceFileWFolder,2," + Hex(bytes.substr(64)),
      "PutResourceFileWFolder,-1",
  };
  EXPECT_EQ(sent, expected);

  // The extended models' 480-byte chunks; a file of no bytes sends none.
  sent.clear();
  ASSERT_EQ(Upload(std::string(481, 'q'), "big.mid", 480, fileId), 1);
  EXPECT_EQ(CountOf(sent, "PutResourceFileWFolder,1,"), 1u);
  EXPECT_EQ(sent[1].size(), std::string("PutResourceFileWFolder,1,").size() + 960);
  EXPECT_EQ(sent[2], "PutResourceFileWFolder,2," + Hex("q"));
  sent.clear();
  ASSERT_EQ(Upload("", "empty.mid", 480, fileId), 1);
  EXPECT_EQ(sent.size(), 2u);
}

TEST_F(UploadTest, AnExistingNameSendsNoBytesAndGivesTheExistingFilesId) {
  openAnswer = "PutResourceFileWFolder:RET: file exists";
  DWORD fileId = 0;
  EXPECT_EQ(Upload("abc", "old.mid", 64, fileId), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_EXISTS);
  EXPECT_EQ(fileId, 9u);
  EXPECT_EQ(CountOf(sent, "PutResourceFileWFolder,1"), 0u);

  // A name the listing does not show leaves the id as it was.
  fileId = 3;
  EXPECT_EQ(Upload("abc", "other.mid", 64, fileId), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_EXISTS);
  EXPECT_EQ(fileId, 3u);
}

TEST_F(UploadTest, RefusalsAtEachStepFailTheUpload) {
  struct Case {
    const char* name;
    std::string UploadTest::*answer;
    std::string reply;
  };
  const Case cases[] = {
      {"the phone has no room", &UploadTest::openAnswer, "PutResourceFileWFolder:RET:0"},
      {"an open answered in two fields", &UploadTest::openAnswer, "PutResourceFileWFolder:RET"},
      {"a chunk refused", &UploadTest::chunkAnswer, "PutResourceFileWFolder:ERROR:3"},
      {"a close that made no file", &UploadTest::closeAnswer, "PutResourceFileWFolder:RET:unspecified problem occured"},
      {"a close without an id", &UploadTest::closeAnswer, "PutResourceFileWFolder:RET:none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    openAnswer = closeAnswer = chunkAnswer = "PutResourceFileWFolder:RET:1";
    this->*c.answer = c.reply;
    DWORD fileId = 5;
    EXPECT_EQ(Upload("abc", "new.mid", 64, fileId), 0);
    EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
    EXPECT_EQ(fileId, 5u);
  }
  // A chunk size that could move nothing is refused before the phone opens an upload.
  sent.clear();
  DWORD fileId = 5;
  EXPECT_EQ(Upload("abc", "new.mid", 0, fileId), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(sent.empty());
}

}  // namespace
