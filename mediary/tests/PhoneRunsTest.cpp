// The phone runs against a phone in memory: the listing's tree, lock and detection outcomes, the
// download, upload, new folder and deletion paths with Abort, Retry and Ignore, and a download whose
// PC file cannot be written.
#include "PhoneRuns.h"
#include "RunWorker.h"
#include "MemPhone.h"

#include <handport/PhoneErrors.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <condition_variable>
#include <atomic>
#include <map>
#include <mutex>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class RecordingView : public IRunView {
 public:
  std::vector<std::string> messages;  // "ids/type"
  std::vector<int> answers;           // consumed by Ask, then IDOK (1)
  int detectingOn = 0, detectingOff = 0, status = -1;
  std::vector<std::string> overlays;
  void Overlay(const std::string& text, unsigned) override { overlays.push_back(text); }
  void OverlayId(int id, unsigned) override { overlays.push_back("#" + std::to_string(id)); }
  void Detecting(bool on) override { ++(on ? detectingOn : detectingOff); }
  void Progress(std::uint32_t, std::uint32_t, bool) override {}
  void Counter(const std::string&) override {}
  int Ask(const std::vector<int>& ids, unsigned type) override {
    std::string text;
    for (int id : ids) text += (text.empty() ? "" : "+") + std::to_string(id);
    messages.push_back(text + "/" + std::to_string(type));
    if (answers.empty()) return 1;
    const int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  void Status(int bytes) override { status = bytes; }
  void ReloadPc() override {}
  void Pause() override {}
};

struct Runs : ::testing::Test {
  MemPhone phone;
  RecordingView view;
  CPhonePaneModel phonePane;
  CPcPaneModel pcPane;
  CMediaRules rules{"ZW"};
  CPhoneRuns runs{phone, view, phonePane, pcPane, rules};
  fs::path dir;

  void SetUp() override {
    phonePane.SetBuild("ZW");
    dir = fs::temp_directory_path() / ("mediary_runs_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    phone.files[0] = {{"a.jpg", "keFTJpeg", {1, 2, 3}, 40}, {"odd.xyz", "keUnknownKind", {9}, 41}};
    phone.folders[0] = {{"Trip", 20}};
    phone.files[20] = {{"b.jpg", "keFTJpeg", {4, 5}, 42}};
    phone.files[1] = {{"ring.mid", "keFTSMF", {7, 7, 7, 7}, 43}};
  }
  void TearDown() override { fs::remove_all(dir); }

  void QueueDownload(std::uint32_t id, const std::string& name) {
    TransferRecord r;
    r.name = name;
    r.path = (dir / name).string();
    r.dataWord = RowBits::PcFile | RowBits::Queued;
    r.id = id;
    pcPane.Queued().push_back(std::move(r));
  }
};

std::string Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(Runs, ListingReadsTheTreeLeavesUnknownKindsOutAndGuardsLoops) {
  phone.folders[20] = {{"Loop", 0}};  // a phone that answers with its own main folder inside
  ASSERT_EQ(runs.ListSession(), 0);
  const RecordTable& pictures = phonePane.Top(0);
  ASSERT_EQ(pictures.rows.size(), 2u);  // the folder, then a.jpg; odd.xyz left out
  EXPECT_EQ(pictures.rows[0].name, "Trip");
  ASSERT_TRUE(pictures.rows[0].children);
  ASSERT_EQ(pictures.rows[0].children->rows.size(), 3u);  // parent entry, Loop (not entered), b.jpg
  EXPECT_EQ(pictures.rows[0].children->rows[2].name, "b.jpg");
  EXPECT_EQ(pictures.rows[0].children->rows[1].children->rows.size(), 1u);
  EXPECT_EQ(pictures.rows[1].listingIndex, 0);
  EXPECT_EQ(phonePane.Top(1).rows.size(), 1u);
  EXPECT_EQ(view.status, 4096);
  EXPECT_EQ(view.messages, std::vector<std::string>{"1060/64"});
  EXPECT_EQ(phone.powerOffs, 1);
  EXPECT_EQ(phone.closes, 1);
  EXPECT_TRUE(phonePane.IsLoaded());
}

TEST_F(Runs, DetectionFailuresAndLocksEndWithTheirTexts) {
  struct Case {
    int detect;
    DWORD error;
    int lock;
    std::vector<std::string> messages;
    int powerOffs;
  } cases[] = {
      {1, ERROR_PA_CANCELLED, 0, {}, 1},
      {1, ERROR_PA_NO_MODEL, 0, {"1069/64"}, 0},
      {1, ERROR_PA_NOT_SUPPORTED, 0, {"1070+1065/64"}, 1},
      {1, ERROR_PA_OTHER_MODEL, 0, {"1082+1065/64"}, 1},
      {1, 0x12345, 0, {"1068/64"}, 0},
      {0, 0, 8, {"1062/64", "1065/64"}, 1},
      {0, 0, 10, {"1064/64", "1065/64"}, 1},
      {0, 0, 3, {"1068/64", "1065/64"}, 1},  // never "Transfer completed"
      {0, 0, 7, {"1077/64"}, 1},
  };
  for (const Case& c : cases) {
    for (int transfer = 0; transfer < 2; ++transfer) {
      MemPhone p;
      p.detect = PA_MS_RESULT(c.detect);
      p.detectError = c.error;
      p.lock = PA_MS_RESULT(c.lock);
      RecordingView v;
      CPhonePaneModel ph;
      ph.SetBuild("ZW");
      CPcPaneModel pc;
      CPhoneRuns r{p, v, ph, pc, rules};
      transfer ? r.TransferSession(0) : r.ListSession();
      SCOPED_TRACE(std::to_string(c.error) + " lock " + std::to_string(c.lock) + (transfer ? " transfer" : " get"));
      EXPECT_EQ(v.messages, c.messages);
      EXPECT_EQ(p.powerOffs, c.powerOffs);
      EXPECT_EQ(p.closes, 1);
      EXPECT_EQ(v.detectingOn, v.detectingOff);
    }
  }
}

TEST_F(Runs, TransferDownloadsUploadsMakesFoldersAndDeletes) {
  ASSERT_EQ(runs.ListSession(), 0);
  view.messages.clear();
  QueueDownload(42, "b");  // gets the phone extension
  QueueDownload(43, "tone.mid");
  fs::path up = dir / "up.jpg";
  std::ofstream(up, std::ios::binary) << "JPEGBYTES";
  phonePane.SetKind(0, true);
  phonePane.AddUpload("up.jpg", up.string(), "keFTJpeg");
  const std::size_t folderRow = phonePane.NewFolder("New", "..");
  phonePane.Open(folderRow);
  phonePane.AddUpload("inner.jpg", up.string(), "keFTJpeg");
  phonePane.SetKind(0, true);
  ASSERT_TRUE(phonePane.Mark(1));  // a.jpg
  const int total = runs.CountQueued();
  EXPECT_EQ(total, 6);
  ASSERT_EQ(runs.TransferSession(total), 0);
  EXPECT_EQ(view.messages, std::vector<std::string>{"1060/64"});
  EXPECT_EQ(Bytes(dir / "b.jpg"), std::string("\x04\x05", 2));
  EXPECT_EQ(Bytes(dir / "tone.mid"), std::string(4, '\x07'));
  EXPECT_TRUE(pcPane.Queued().empty());
  EXPECT_EQ(phone.files[0].back().name, "up.jpg");
  const DWORD newFolder = phone.folders[0].back().id;
  EXPECT_EQ(phone.folders[0].back().name, "New");
  ASSERT_EQ(phone.files[short(newFolder)].size(), 1u);
  EXPECT_EQ(phone.files[short(newFolder)][0].name, "inner.jpg");
  EXPECT_NE(std::find(phone.log.begin(), phone.log.end(), "rm 40"), phone.log.end());
  for (const auto& row : phonePane.Top(0).rows) EXPECT_NE(row.name, "a.jpg");
}

TEST_F(Runs, FailedDownloadsAskAbortRetryIgnore) {
  ASSERT_EQ(runs.ListSession(), 0);
  struct Case {
    std::vector<int> results;
    std::vector<int> answers;
    bool written;
    std::string last;
    int connects;  // after the listing's one
  } cases[] = {
      {{2}, {4}, true, "1060/64", 2},  // Retry reconnects and gets the same file
      {{2}, {5}, false, "1060/64", 2},   // Ignore moves on, the entry stays queued
      {{2}, {3}, false, "1077/64", 1},   // Abort stops
      {{1}, {}, false, "1077/64", 1},    // the link lost: 1068 then the stop
      {{7}, {}, false, "1077/64", 1},
  };
  for (const Case& c : cases) {
    fs::remove(dir / "b.jpg");
    pcPane.ClearQueued();
    QueueDownload(42, "b.jpg");
    phone.downloadResults = c.results;
    phone.connects = 0;
    view.answers = c.answers;
    view.messages.clear();
    runs.TransferSession(1);
    SCOPED_TRACE(c.last + " " + std::to_string(c.results[0]));
    EXPECT_EQ(fs::exists(dir / "b.jpg"), c.written);
    EXPECT_EQ(pcPane.Queued().empty(), c.written);
    EXPECT_EQ(view.messages.back(), c.last);
    EXPECT_EQ(phone.connects, c.connects);
  }
}

TEST_F(Runs, ADownloadThatCannotBeWrittenStaysQueued) {
  ASSERT_EQ(runs.ListSession(), 0);
  TransferRecord r;
  r.name = "b.jpg";
  r.path = (dir / "gone" / "b.jpg").string();  // its folder was removed after the file was queued
  r.dataWord = RowBits::PcFile | RowBits::Queued;
  r.id = 42;
  pcPane.Queued().push_back(std::move(r));
  view.answers = {5};  // Ignore
  view.messages.clear();
  runs.TransferSession(1);
  EXPECT_EQ(view.messages, (std::vector<std::string>{"1058/34", "1060/64"}));
  EXPECT_EQ(pcPane.Queued().size(), 1u);
  EXPECT_FALSE(fs::exists(dir / "gone"));
}

TEST_F(Runs, UploadsThatFailAreNotCounted) {
  ASSERT_EQ(runs.ListSession(), 0);
  phonePane.SetKind(0, true);
  phonePane.AddUpload("gone.jpg", (dir / "missing.jpg").string(), "keFTJpeg");
  fs::path up = dir / "up.jpg";
  std::ofstream(up, std::ios::binary) << "JPEG";
  phonePane.AddUpload("dup.jpg", up.string(), "keFTJpeg");
  phone.uploadResults = {14};
  view.answers = {5};  // Ignore the unreadable file
  view.messages.clear();
  runs.TransferSession(2);
  EXPECT_EQ(view.messages, (std::vector<std::string>{"1058/34", "1067/48", "1060/64"}));
  EXPECT_TRUE(phone.files[0].size() == 2u);  // nothing new on the phone
}

}  // namespace

namespace {

TEST(RunWorker, CancelOnlyDuringTheExchangeAndCloseJoinsQuietly) {
  HangingPhone phone;
  RecordingView view;
  CPhonePaneModel phonePane;
  phonePane.SetBuild("ZW");
  CPcPaneModel pcPane;
  CMediaRules rules("ZW");
  CPhoneRuns runs(phone, view, phonePane, pcPane, rules);
  runs.Cancel();  // no run, no connection: nothing reaches the phone
  EXPECT_EQ(phone.cancels, 0);

  CRunWorker worker(runs);
  std::atomic<int> finished{0};
  ASSERT_TRUE(worker.Start([&] { runs.ListSession(); }, [&] { ++finished; }));
  EXPECT_FALSE(worker.Start([] {}));  // a second run while busy does nothing
  phone.WaitUntilWaiting();
  int pumped = 0;
  worker.CloseAndJoin([&] { ++pumped; });
  EXPECT_FALSE(worker.IsBusy());
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(phone.cancels, 1);
  EXPECT_TRUE(view.messages.empty());  // a closing run asks and tells nothing
  EXPECT_EQ(phone.closes, 1);
  runs.Cancel();  // the exchange is over: a late Yes cancels nothing
  EXPECT_EQ(phone.cancels, 1);
}

}  // namespace
