// The runs end to end through the link service's own core to the simulated phone, the library
// loaded by name as the program loads it: a Transfer puts files and a new folder with children on
// the phone, Get lists them back, a second Transfer downloads and deletes; a cable pulled during a
// download leaves no partial file, the PC file of that name as it was and the entry queued; one
// pulled during an upload is retried whole once the phone is back. Locks and detection failures
// end a run with their texts. A name the folder already holds and an ignored failure let the run go on.
#include "PhoneRuns.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <phonesim/PhoneSimProcess.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class QuietView : public IRunView {
 public:
  std::vector<int> shown;    // the first text of each message (1070 and 1082 carry 1065 in the same box)
  std::vector<int> answers;  // consumed by Ask, then IDOK
  int status = -1;
  void Overlay(const std::string&, unsigned) override {}
  void OverlayId(int, unsigned) override {}
  void Detecting(bool) override {}
  void Progress(std::uint32_t range, std::uint32_t position, bool changed) override {
    if (changed) ranges.push_back(range);
    positions.push_back(position);
  }
  std::vector<std::uint32_t> ranges, positions;
  void Counter(const std::string&) override {}
  int Ask(const std::vector<int>& ids, unsigned) override {
    shown.push_back(ids.empty() ? 0 : ids[0]);
    if (answers.empty()) return 1;
    const int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  void Status(int bytes) override { status = bytes; }
  void ReloadPc() override {}
  void Pause() override {}
};

struct PhoneUnderTest {
  phonesim::PhoneSimProcess phone;
  std::unique_ptr<QuietLinkHome> home;
  std::unique_ptr<LinkServiceHost> service;
  ManagerLibrary library;

  bool Start(const std::string& build, const std::string& model = "Selka", std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments{"--baud", "2000000", "--off-time", "0"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    if (!phone.Start({.model = model, .arguments = arguments})) return false;
    home = std::make_unique<QuietLinkHome>(phone.Home());
    std::ofstream(phone.Home() + "/Phones.ini") << "-" << model << "," << build << "\r\n";
    service = std::make_unique<LinkServiceHost>(phone.Home() + "/Phones.ini");
    if (service->Port() == 0) return false;
    QuietLinkHome::PointLibraryAt(service->Port());
    WriteSetting("Build", build);
    WriteSetting("InitTimeOut", DWORD{300});
    WriteSetting("CommsTimeOut", DWORD{1500});
    return library.Load() && library.Start() != nullptr;
  }
  ~PhoneUnderTest() {
    if (library.Manager()) library->PA_ClosePort();
    library.Unload();
    service.reset();
    phone.Stop();
    home.reset();
  }
};

std::string Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A small JPEG-looking file the sniffing accepts is not needed: the rows carry their kind.
std::string Payload(std::size_t size, char seed) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = char(seed + i * 7);
  return s;
}

const TransferRecord* Find(const RecordTable& table, const std::string& name) {
  for (const auto& row : table.rows)
    if (row.name == name && !(row.dataWord & RowBits::Parent)) return &row;
  return nullptr;
}

// The manager's phone, counting the calls that end a run.
class CountingPhone : public CManagerMediaryPhone {
 public:
  using CManagerMediaryPhone::CManagerMediaryPhone;
  int powerOffs = 0, closes = 0;
  void PowerOff() override {
    ++powerOffs;
    CManagerMediaryPhone::PowerOff();
  }
  PA_MS_RESULT PA_ClosePort() override {
    ++closes;
    return CManagerMediaryPhone::PA_ClosePort();
  }
};

class MediaryPhone : public ::testing::Test {
 protected:
  PhoneUnderTest m_phone;
  fs::path m_dir;

  void SetUp() override {
    ASSERT_TRUE(m_phone.Start("ZSE_0100")) << m_phone.phone.Error();
    m_dir = fs::path(m_phone.phone.Home()) / "pc";
    fs::create_directories(m_dir);
  }
};

TEST_F(MediaryPhone, TransferThenGetThenDownloadAndDelete) {
  CManagerMediaryPhone phone(*m_phone.library.Manager());
  QuietView view;
  CPhonePaneModel phonePane;
  phonePane.SetBuild("ZSE_0100");
  CPcPaneModel pcPane;
  CMediaRules rules("ZSE_0100");
  CPhoneRuns runs(phone, view, phonePane, pcPane, rules);

  // Up: two files into the pictures' main folder and a new folder holding a third.
  std::ofstream(m_dir / "one.jpg", std::ios::binary) << Payload(3000, 'a');
  std::ofstream(m_dir / "two.jpg", std::ios::binary) << Payload(70000, 'b');
  phonePane.SetKind(0, true);
  phonePane.AddUpload("one.jpg", (m_dir / "one.jpg").string(), "keFTJpeg");
  phonePane.AddUpload("two.jpg", (m_dir / "two.jpg").string(), "keFTJpeg");
  const std::size_t folder = phonePane.NewFolder("Trip", "..");
  ASSERT_TRUE(phonePane.Open(folder));
  phonePane.AddUpload("three.jpg", (m_dir / "one.jpg").string(), "keFTJpeg");
  phonePane.SetKind(0, true);
  ASSERT_EQ(runs.CountQueued(), 4);
  ASSERT_EQ(runs.TransferSession(4), 0);
  EXPECT_EQ(view.shown, std::vector<int>{1060});

  // Get lists what is on the phone now, nested folder included.
  view.shown.clear();
  ASSERT_EQ(runs.ListSession(), 0);
  EXPECT_EQ(view.shown, std::vector<int>{1060});
  EXPECT_GT(view.status, 0);
  const RecordTable& pictures = phonePane.Top(0);
  const TransferRecord* one = Find(pictures, "one.jpg");
  const TransferRecord* two = Find(pictures, "two.jpg");
  const TransferRecord* trip = Find(pictures, "Trip");
  ASSERT_TRUE(one && two && trip && trip->children);
  const TransferRecord* three = Find(*trip->children, "three.jpg");
  ASSERT_TRUE(three);
  EXPECT_EQ(two->size, 70000u);

  // Down (the extension added), and the folder with its file deleted.
  for (const TransferRecord* row : {two, three}) {
    TransferRecord r;
    r.name = row->name;
    r.path = (m_dir / ("got_" + row->name.substr(0, row->name.find('.')))).string();
    r.dataWord = RowBits::PcFile | RowBits::Queued;
    r.id = row->id;
    pcPane.Queued().push_back(std::move(r));
  }
  const int tripRow = [&] {
    for (std::size_t i = 0; i < pictures.rows.size(); ++i)
      if (pictures.rows[i].name == "Trip") return int(i);
    return -1;
  }();
  phonePane.SetKind(0, true);
  ASSERT_TRUE(phonePane.Mark(std::size_t(tripRow)));
  view.shown.clear();
  const int total = runs.CountQueued();
  EXPECT_EQ(total, 3);
  ASSERT_EQ(runs.TransferSession(total), 0);
  EXPECT_EQ(view.shown, std::vector<int>{1060});
  EXPECT_EQ(Bytes(m_dir / "got_two.jpg"), Payload(70000, 'b'));
  EXPECT_EQ(Bytes(m_dir / "got_three.jpg"), Payload(3000, 'a'));
  EXPECT_TRUE(pcPane.Queued().empty());

  view.shown.clear();
  ASSERT_EQ(runs.ListSession(), 0);
  EXPECT_FALSE(Find(phonePane.Top(0), "Trip"));
  EXPECT_TRUE(Find(phonePane.Top(0), "one.jpg"));
}

TEST_F(MediaryPhone, ACablePulledInADownloadLeavesThePcFileAndTheQueue) {
  CManagerMediaryPhone phone(*m_phone.library.Manager());
  QuietView view;
  CPhonePaneModel phonePane;
  phonePane.SetBuild("ZSE_0100");
  CPcPaneModel pcPane;
  CMediaRules rules("ZSE_0100");
  CPhoneRuns runs(phone, view, phonePane, pcPane, rules);

  std::ofstream(m_dir / "big.jpg", std::ios::binary) << Payload(60000, 'c');
  phonePane.SetKind(0, true);
  phonePane.AddUpload("big.jpg", (m_dir / "big.jpg").string(), "keFTJpeg");
  ASSERT_EQ(runs.TransferSession(1), 0);
  ASSERT_EQ(runs.ListSession(), 0);
  const TransferRecord* big = Find(phonePane.Top(0), "big.jpg");
  ASSERT_TRUE(big);

  std::ofstream(m_dir / "mine.jpg", std::ios::binary) << "the user's own file";
  TransferRecord r;
  r.name = "big.jpg";
  r.path = (m_dir / "mine.jpg").string();
  r.dataWord = RowBits::PcFile | RowBits::Queued;
  r.id = big->id;
  pcPane.Queued().push_back(std::move(r));
  view.shown.clear();
  view.answers = {3};  // Abort on the failure
  ASSERT_TRUE(m_phone.phone.SetFault(phonesim::Fault::DropAfterSent, 20000));
  ASSERT_EQ(runs.TransferSession(1), 0);
  // The link lost (1068) or the download failed (1058, answered Abort); the run then stops.
  ASSERT_EQ(view.shown.size(), 2u);
  EXPECT_TRUE(view.shown[0] == 1068 || view.shown[0] == 1058) << view.shown[0];
  EXPECT_EQ(view.shown[1], 1077);
  EXPECT_EQ(Bytes(m_dir / "mine.jpg"), "the user's own file");
  EXPECT_EQ(pcPane.Queued().size(), 1u);
  for (const auto& entry : fs::directory_iterator(m_dir)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "big.jpg" || name == "mine.jpg") << "left behind: " << name;
  }
}

// A phone that cannot be used ends Get and Transfer with its text, the phone switched off where
// it answered, and the port closed once.
TEST(MediaryPhoneRefusals, LocksAndDetectionFailuresWithTheirTexts) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;  // phonesim options
    const char* control;                 // a control line before the run, or null
    bool transfer;
    std::vector<int> shown;
    int powerOffs;
  } cases[] = {
      {"no SIM", {}, "lock sim ng", false, {1062, 1065}, 1},
      {"phone lock", {}, "lock phone on", true, {1063, 1065}, 1},
      {"Daybook lock", {}, "lock daybook on", false, {1064, 1065}, 1},
      {"an older version", {"--sw-version", "ZSE_0099"}, nullptr, false, {1070}, 1},
      {"another variant", {"--sw-version", "ZQQ_0310"}, nullptr, true, {1082}, 1},
      // The link service finds no phone of the suite behind the line.
      {"another maker", {"--maker", "Orrin"}, nullptr, false, {1069}, 0},
      {"silent phone", {"--silent"}, nullptr, true, {1069}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PhoneUnderTest under;
    ASSERT_TRUE(under.Start("ZSE_0100", "Selka", c.arguments)) << under.phone.Error();
    if (c.control) {
      ASSERT_TRUE(under.phone.Control(c.control));
    }
    CountingPhone phone(*under.library.Manager());
    QuietView view;
    CPhonePaneModel phonePane;
    phonePane.SetBuild("ZSE_0100");
    CPcPaneModel pcPane;
    CMediaRules rules("ZSE_0100");
    CPhoneRuns runs(phone, view, phonePane, pcPane, rules);
    const fs::path dir = fs::path(under.phone.Home()) / "pc";
    fs::create_directories(dir);
    std::ofstream(dir / "one.jpg", std::ios::binary) << Payload(500, 'a');
    if (c.transfer) {
      phonePane.SetKind(0, true);
      phonePane.AddUpload("one.jpg", (dir / "one.jpg").string(), "keFTJpeg");
      runs.TransferSession(1);
    } else {
      runs.ListSession();
    }
    EXPECT_EQ(view.shown, c.shown);
    EXPECT_EQ(phone.powerOffs, c.powerOffs);
    EXPECT_EQ(phone.closes, 1);
    if (c.transfer) {
      EXPECT_EQ(Bytes(dir / "one.jpg"), Payload(500, 'a'));  // the PC file as it was
    }
  }
}

// A cable pulled in an upload: Retry once the phone is back sends the file whole; the PC file is
// never changed.
TEST_F(MediaryPhone, ACablePulledInAnUploadIsRetriedAfterTheReconnect) {
  CManagerMediaryPhone phone(*m_phone.library.Manager());
  CPhonePaneModel phonePane;
  phonePane.SetBuild("ZSE_0100");
  CPcPaneModel pcPane;
  CMediaRules rules("ZSE_0100");

  std::ofstream(m_dir / "big.jpg", std::ios::binary) << Payload(60000, 'd');
  phonePane.SetKind(0, true);
  phonePane.AddUpload("big.jpg", (m_dir / "big.jpg").string(), "keFTJpeg");
  ASSERT_TRUE(m_phone.phone.SetFault(phonesim::Fault::DropAfterReceived, 20000));
  struct RetryView : QuietView {
    phonesim::PhoneSimProcess* phone = nullptr;
    int Ask(const std::vector<int>& ids, unsigned type) override {
      if (!ids.empty() && ids[0] == 1058 && phone) {
        phone->Control("clear");
        phone->Control("reconnect");
      }
      return QuietView::Ask(ids, type);
    }
  };
  RetryView retrying;
  retrying.phone = &m_phone.phone;
  retrying.answers = {4};  // Retry
  CPhoneRuns again(phone, retrying, phonePane, pcPane, rules);
  again.TransferSession(1);
  EXPECT_EQ(Bytes(m_dir / "big.jpg"), Payload(60000, 'd'));
  // The failure asked (Retry chosen once the phone was back), then the run went on to its end.
  EXPECT_EQ(retrying.shown, (std::vector<int>{1058, 1060}));

  // The phone holds the file whole.
  QuietView listing;
  CPhoneRuns list(phone, listing, phonePane, pcPane, rules);
  ASSERT_EQ(list.ListSession(), 0);
  const TransferRecord* big = Find(phonePane.Top(0), "big.jpg");
  ASSERT_TRUE(big);
  EXPECT_EQ(big->size, 60000u);
}

}  // namespace

// A name the folder already holds is told (1067) and the run goes on; a PC file that cannot be read
// is a failure whose Ignore skips it, never counted as sent; the file after both still goes up.
TEST_F(MediaryPhone, AnExistingNameAndAnIgnoredFailureLetTheRunGoOn) {
  CManagerMediaryPhone phone(*m_phone.library.Manager());
  QuietView view;
  CPhonePaneModel phonePane;
  phonePane.SetBuild("ZSE_0100");
  CPcPaneModel pcPane;
  CMediaRules rules("ZSE_0100");
  CPhoneRuns runs(phone, view, phonePane, pcPane, rules);

  std::ofstream(m_dir / "one.jpg", std::ios::binary) << Payload(2000, 'a');
  std::ofstream(m_dir / "two.jpg", std::ios::binary) << Payload(1500, 'b');
  phonePane.SetKind(0, true);
  phonePane.AddUpload("one.jpg", (m_dir / "one.jpg").string(), "keFTJpeg");
  ASSERT_EQ(runs.TransferSession(1), 0);

  view.shown.clear();
  view.answers = {1, 5};  // OK to the name, Ignore to the failure
  phonePane.SetKind(0, true);
  phonePane.AddUpload("one.jpg", (m_dir / "two.jpg").string(), "keFTJpeg");
  phonePane.AddUpload("gone.jpg", (m_dir / "gone.jpg").string(), "keFTJpeg");
  phonePane.AddUpload("two.jpg", (m_dir / "two.jpg").string(), "keFTJpeg");
  ASSERT_EQ(runs.TransferSession(3), 0);
  EXPECT_EQ(view.shown, (std::vector<int>{1067, 1058, 1060}));

  ASSERT_EQ(runs.ListSession(), 0);
  const TransferRecord* one = Find(phonePane.Top(0), "one.jpg");
  const TransferRecord* two = Find(phonePane.Top(0), "two.jpg");
  ASSERT_TRUE(one && two);
  EXPECT_EQ(one->size, 2000u);  // the phone's own file, not replaced
  EXPECT_EQ(two->size, 1500u);
  EXPECT_FALSE(Find(phonePane.Top(0), "gone.jpg"));
}

// The bar's range is the byte count up to 32768 and the count shifted by 7 above it, so that a
// file one byte longer still fits the bar's 16 bits; no report goes beyond the range.
TEST_F(MediaryPhone, ProgressRangesAroundThe32768ByteStep) {
  CManagerMediaryPhone phone(*m_phone.library.Manager());
  CPhonePaneModel phonePane;
  phonePane.SetBuild("ZSE_0100");
  CPcPaneModel pcPane;
  CMediaRules rules("ZSE_0100");
  const struct {
    std::size_t size;
    std::uint32_t range;
  } cases[] = {{32768, 32768}, {32769, 256}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    QuietView view;
    CPhoneRuns runs(phone, view, phonePane, pcPane, rules);
    const std::string name = "p" + std::to_string(c.size) + ".jpg";
    std::ofstream(m_dir / name, std::ios::binary) << Payload(c.size, 'p');
    phonePane.SetKind(0, true);
    phonePane.AddUpload(name, (m_dir / name).string(), "keFTJpeg");
    ASSERT_EQ(runs.TransferSession(1), 0);
    EXPECT_EQ(view.shown, std::vector<int>{1060});
    EXPECT_NE(std::find(view.ranges.begin(), view.ranges.end(), c.range), view.ranges.end());
    for (std::uint32_t p : view.positions) EXPECT_LE(p, c.range);
  }
}
