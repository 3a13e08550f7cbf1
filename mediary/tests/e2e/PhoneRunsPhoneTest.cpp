// The runs end to end through the link service's own core to the simulated phone, the library
// loaded by name as the program loads it: a Transfer puts files and a new folder with children on
// the phone, Get lists them back, a second Transfer downloads and deletes; a cable pulled during a
// download leaves no partial file, the PC file of that name as it was and the entry queued.
#include "PhoneRuns.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <phonesim/PhoneSimProcess.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class QuietView : public IRunView {
 public:
  std::vector<int> shown;    // the first text of each message
  std::vector<int> answers;  // consumed by Ask, then IDOK
  int status = -1;
  void Overlay(const std::string&, unsigned) override {}
  void OverlayId(int, unsigned) override {}
  void Detecting(bool) override {}
  void Progress(std::uint32_t, std::uint32_t, bool) override {}
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

  bool Start(const std::string& build, const std::string& model = "Selka") {
    if (!phone.Start({.model = model, .arguments = {"--baud", "2000000", "--off-time", "0"}})) return false;
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

}  // namespace
