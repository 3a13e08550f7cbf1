// The whole phone end to end: read from a simulated phone through the link service's own core,
// saved as a phone data file, loaded into a fresh phone object and written to a second, empty
// phone, whose flash files then equal the first's, for each phone family and in both of the
// phone's record layouts. A cable pulled in the middle of a read or a write ends it with a clear
// error, no data file is left by a read-and-save that failed, and a phone that falls silent gets
// its "PowerOff" once it answers again.
#include "LinkEngine.h"
#include "PhoneDevice.h"
#include "support/LinkServiceHost.h"

#include <handport/PhoneErrors.h>
#include <phonesim/PhoneSimProcess.h>
#include <phonesim/WholePhoneFiles.h>

#include <base/LastError.h>
#include <kernel/MessageQueue.h>
#include <user/Messages.h>
#include <user/Styles.h>
#include <user/Window.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kAllKinds = 0x3FF;

struct WholePhoneCase {
  const char* name;
  const char* version;
  int family;
};
void PrintTo(const WholePhoneCase& c, std::ostream* out) { *out << c.name; }

// The phone families check their versions; the other two cases keep the records in the
// simulated phone's full-and-extended and short-and-standard layouts.
const WholePhoneCase kCases[] = {
    {"Family8", "WD_6001", 8},
    {"Family16", "WJ_6001", 16},
    {"FullAndExtended", "ZSE_0310", 0},
    {"ShortAndStandard", "TSE_0310", 0},
};

// One simulated phone in a home of its own (its state survives a restart), with the link
// service's core and a link engine woken into the phone's command mode.
class PhoneSide {
 public:
  explicit PhoneSide(std::string version) : m_version(std::move(version)) {
    m_home = (std::filesystem::temp_directory_path() / ("handport-wholephone-" + std::to_string(std::random_device{}())))
                 .string();
    std::filesystem::create_directories(m_home);
  }
  ~PhoneSide() {
    Stop();
    std::filesystem::remove_all(m_home);
  }

  std::string StateFolder() const { return m_home + "/phonesim"; }

  // A fast line: the runs are long, and the phone's pace is not what they test.
  ::testing::AssertionResult Start() {
    if (!phone.Start({.model = "Selka", .home = m_home, .arguments = {"--sw-version", m_version, "--baud", "2000000"}})) {
      return ::testing::AssertionFailure() << phone.Error();
    }
    setenv("TOLVAR_HOME", m_home.c_str(), 1);
    std::ofstream(m_home + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
    service = std::make_unique<LinkServiceHost>(m_home + "/Phones.ini");
    engine = std::make_unique<CLinkEngine>(service->Address());
    engine->SetWakeUpDrainTime(kTestWakeUpDrainTime);
    // On a loaded machine the service may not have found the phone yet when the engine first
    // says hello: it is asked again until it has, within a generous bound.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int woken = engine->WakePhone(3000);
    while (!woken && GetLastError() == ERROR_PA_NO_MODEL && std::chrono::steady_clock::now() < giveUp) {
      engine->Disconnect();
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      woken = engine->WakePhone(3000);
    }
    if (!woken || engine->UsePteCommand("00129") != 1) {
      return ::testing::AssertionFailure() << "no command mode: " << std::hex << GetLastError();
    }
    return ::testing::AssertionSuccess();
  }
  void Stop() {
    engine.reset();
    service.reset();
    phone.Stop();
  }
  std::vector<std::string> Journal() const {
    std::ifstream in(StateFolder() + "/journal.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  phonesim::PhoneSimProcess phone;
  std::unique_ptr<LinkServiceHost> service;
  std::unique_ptr<CLinkEngine> engine;

 private:
  std::string m_version;
  std::string m_home;
};

// A window of the test's thread that counts the steps posted to it.
class StepWindow {
 public:
  StepWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "WholePhoneE2ESteps";
    RegisterClassA(&wc);
    m_window = CreateWindowExA(0, "WholePhoneE2ESteps", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  }
  ~StepWindow() { DestroyWindow(m_window); }
  HWND Handle() const { return m_window; }
  int Count() const {
    int steps = 0;
    MSG message;
    while (PeekMessageA(&message, m_window, WM_PHONE_STEP, WM_PHONE_STEP, PM_REMOVE)) ++steps;
    return steps;
  }

 private:
  HWND m_window = nullptr;
};

std::string DataFilePath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(std::random_device{}()) + ".dat"))
      .string();
}

// What a user's "read the phone into a file" does: the file only after a read that ended well.
DWORD ReadAndSave(CPhoneDevice& phone, const std::string& path) {
  const DWORD read = phone.ReadAll();
  return read ? read : phone.SaveDataFile(path.c_str(), 1);
}

bool ClearError(DWORD error) {
  return error == ERROR_LINK_DOWN || error == ERROR_PHONE_NO_REPLY || error == ERROR_PHONE_BAD_REPLY;
}

class WholePhoneRoundTrip : public testing::TestWithParam<WholePhoneCase> {};

}  // namespace

TEST_P(WholePhoneRoundTrip, TheWholePhoneGoesThroughADataFileToAnEmptyPhone) {
  const phonesim::FlashFiles sample = phonesim::SamplePhoneObjectFiles(1);
  const std::string path = DataFilePath("wholephone-");
  StepWindow window;
  {
    PhoneSide first(GetParam().version);
    ASSERT_TRUE(phonesim::WriteFlashFiles(first.StateFolder(), sample));
    ASSERT_TRUE(first.Start());
    CPhoneDevice reader(*first.engine);
    reader.SetKindMask(kAllKinds);
    reader.SetPhoneFamily(GetParam().family);
    reader.SetNotifyWindow(window.Handle());
    int planned = 0;
    reader.CountReadSteps(&planned);
    ASSERT_EQ(ReadAndSave(reader, path), 0u) << std::hex << GetLastError();
    EXPECT_EQ(window.Count(), planned);
    EXPECT_STREQ(reader.GetModel(), GetParam().version);
    EXPECT_STREQ(reader.GetSerialNumber(), "HV001291005");
    first.Stop();
    EXPECT_EQ(phonesim::ReadFlashFiles(first.StateFolder()), sample) << "a read leaves the phone as it was";
  }

  PhoneSide second(GetParam().version);
  ASSERT_TRUE(second.Start());
  CPhoneDevice writer(*second.engine);
  writer.SetKindMask(kAllKinds);
  writer.SetPhoneFamily(GetParam().family);
  writer.SetNotifyWindow(window.Handle());
  ASSERT_EQ(writer.LoadDataFile(path.c_str(), 1), 0u);
  std::filesystem::remove(path);
  int planned = 0;
  int estimate = 0;
  writer.EstimateWriteTime(&planned, &estimate);
  ASSERT_EQ(writer.WriteAll(), 0u) << std::hex << GetLastError();
  EXPECT_EQ(window.Count(), planned);
  const std::vector<std::string> journal = second.Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back(), "PowerOff");
  second.Stop();
  EXPECT_EQ(phonesim::ReadFlashFiles(second.StateFolder()), sample);
}

INSTANTIATE_TEST_SUITE_P(Phones, WholePhoneRoundTrip, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The cable is pulled once the phone has sent, or received, a sampled number of bytes within what
// the run surely reaches: the run ends with a clear error and a read leaves no data file.
TEST(WholePhoneCable, APulledCableEndsAReadOrAWriteWithAClearError) {
  std::mt19937 random(20261210);
  const auto sample = [&random](int within) { return 1 + static_cast<long long>(random() % static_cast<unsigned>(within)); };
  PhoneSide side("WD_6001");
  ASSERT_TRUE(phonesim::WriteFlashFiles(side.StateFolder(), phonesim::SamplePhoneObjectFiles()));
  struct Pull {
    phonesim::Fault where;
    long long bytes;
    bool write;
  };
  const Pull pulls[] = {
      {phonesim::Fault::DropAfterSent, sample(20000), false},
      {phonesim::Fault::DropAfterReceived, sample(20000), true},
  };
  for (const Pull& pull : pulls) {
    SCOPED_TRACE(std::string(pull.write ? "write" : "read") + " cut after " + std::to_string(pull.bytes) + " bytes");
    ASSERT_TRUE(side.Start());
    side.engine->SetTimeout(2000);
    CPhoneDevice phone(*side.engine);
    phone.SetKindMask(kAllKinds);
    phone.SetPhoneFamily(8);
    ASSERT_TRUE(side.phone.SetFault(pull.where, pull.bytes));
    const std::string path = DataFilePath("wholephone-cut-");
    const DWORD result = pull.write ? phone.WriteAll() : ReadAndSave(phone, path);
    EXPECT_TRUE(ClearError(result)) << std::hex << result;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
    side.Stop();
  }
}

// A phone that stops answering in the middle of a run (the attempts of one command go unanswered)
// and then answers again gets the "PowerOff" that ends the failed run.
TEST(WholePhoneCable, APhoneThatAnswersAgainIsSwitchedOff) {
  std::mt19937 random(20261211);
  PhoneSide side("WD_6001");
  ASSERT_TRUE(phonesim::WriteFlashFiles(side.StateFolder(), phonesim::SamplePhoneObjectFiles()));
  for (const bool write : {false, true}) {
    SCOPED_TRACE(write ? "write" : "read");
    ASSERT_TRUE(side.Start());
    side.engine->SetTimeout(2000);
    CPhoneDevice phone(*side.engine);
    phone.SetKindMask(DATA_GROUPS | DATA_SCHEDULE | DATA_TODO | DATA_MEDIA_A | DATA_MEDIA_C);
    phone.SetPhoneFamily(8);
    std::atomic<DWORD> result{0};
    std::thread run([&] { result = write ? phone.WriteAll() : phone.ReadAll(); });
    // Once the phone has heard a sampled number of commands of the run, its next answers go
    // unheard: as many as the engine asks one command.
    const std::size_t heard = 10 + random() % 40;
    while (side.Journal().size() < heard) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(side.phone.SetFault(phonesim::Fault::SilentAnswers, 3));
    run.join();
    EXPECT_TRUE(ClearError(result)) << std::hex << result;
    const std::vector<std::string> journal = side.Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back(), "PowerOff");
    side.Stop();
  }
}
