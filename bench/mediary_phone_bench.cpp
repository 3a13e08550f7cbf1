// Mediary's phone runs against the simulated phone at 115,200 baud, through the phone-access library
// loaded by name and the link service's own core: a file of 100,000 bytes uploaded by a Transfer and
// downloaded by another, and a Get of a phone holding 300 files in nested folders; each beside the
// time its bytes need on the wire (the bytes of the link service's traffic log each way, at 11,520
// bytes a second). The goal for the file: within 1.15 of the wire time.
#include "PhoneRuns.h"
#include "WireReport.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <phonesim/PhoneSimProcess.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using wire_log::CountLoggedBytes;
using wire_log::FileSize;
using wire_log::Report;

constexpr std::size_t kFileSize = 100'000;
constexpr int kListedFiles = 300;

class QuietView : public IRunView {
 public:
  std::vector<int> shown;
  void Overlay(const std::string&, unsigned) override {}
  void OverlayId(int, unsigned) override {}
  void Detecting(bool) override {}
  void Progress(std::uint32_t, std::uint32_t, bool) override {}
  void Counter(const std::string&) override {}
  int Ask(const std::vector<int>& ids, unsigned) override {
    shown.push_back(ids.empty() ? 0 : ids[0]);
    return 1;
  }
  void Status(int) override {}
  void ReloadPc() override {}
  void Pause() override {}
};

struct BenchHome {
  std::string home =
      (std::filesystem::temp_directory_path() / ("mediary-bench-" + std::to_string(std::random_device{}()))).string();
  BenchHome() { std::filesystem::create_directories(home + "/drive_c"); }
  ~BenchHome() {
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
  }
};

// Runs `body` against a phone at 115,200 baud in `home`; false when it could not start.
template <typename Body>
bool AtLineSpeed(const std::string& home, ManagerLibrary& library, Body body) {
  phonesim::PhoneSimProcess phone;
  if (!phone.Start({.model = "Selka", .home = home, .arguments = {"--baud", "115200", "--off-time", "0"}})) return false;
  LinkServiceHost service(home + "/Phones.ini");
  QuietLinkHome::PointLibraryAt(service.Port());
  CManager* manager = library.Start();
  if (!manager) return false;
  body(*manager);
  phone.Stop();
  return true;
}

void Settings(const std::string& home) {
  std::ofstream(home + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
  WriteSetting("Build", std::string("ZSE_0100"));
  WriteSetting("InitTimeOut", DWORD{300});
  WriteSetting("EnableLogging", DWORD{1});
}

void FileUpAndDown(benchmark::State& state) {
  BenchHome dir;
  QuietLinkHome quiet(dir.home);
  Settings(dir.home);
  const std::string log = dir.home + "/drive_c/Tolvar.log";
  const std::string pc = dir.home + "/pc";
  std::filesystem::create_directories(pc);
  {
    std::ofstream out(pc + "/bench.jpg", std::ios::binary);
    for (std::size_t i = 0; i < kFileSize; ++i) out.put(static_cast<char>(i * 7 + (i >> 8)));
  }
  ManagerLibrary library;
  if (!library.Load()) return state.SkipWithError("the library did not load");
  bool ran = false;
  const bool started = AtLineSpeed(dir.home, library, [&](CManager& manager) {
    for (auto _ : state) {
      CManagerMediaryPhone phone(manager);
      QuietView view;
      CPhonePaneModel phonePane;
      phonePane.SetBuild("ZSE_0100");
      CPcPaneModel pcPane;
      CMediaRules rules("ZSE_0100");
      CPhoneRuns runs(phone, view, phonePane, pcPane, rules);
      phonePane.SetKind(0, true);
      phonePane.AddUpload("bench.jpg", pc + "/bench.jpg", "keFTJpeg");
      std::streamoff before = FileSize(log);
      auto start = std::chrono::steady_clock::now();
      runs.TransferSession(1);
      const double up = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      Report(state, "upload", up, CountLoggedBytes(log, before).Total());

      runs.ListSession();
      const TransferRecord* found = nullptr;
      for (const TransferRecord& row : phonePane.Top(0).rows)
        if (row.name == "bench.jpg") found = &row;
      if (!found) return state.SkipWithError("the file is not on the phone");
      TransferRecord down;
      down.name = found->name;
      down.path = pc + "/got";
      down.dataWord = RowBits::PcFile | RowBits::Queued;
      down.id = found->id;
      pcPane.Queued().push_back(std::move(down));
      before = FileSize(log);
      start = std::chrono::steady_clock::now();
      runs.TransferSession(1);
      const double downSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      Report(state, "download", downSeconds, CountLoggedBytes(log, before).Total());
      if (FileSize(pc + "/got.jpg") != std::streamoff(kFileSize)) return state.SkipWithError("the download failed");
      state.SetIterationTime(up + downSeconds);
      ran = true;
    }
  });
  if (!started) state.SkipWithError("the phone did not start");
  (void)ran;
  library.Unload();
}
BENCHMARK(FileUpAndDown)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void GetOf300Files(benchmark::State& state) {
  BenchHome dir;
  QuietLinkHome quiet(dir.home);
  Settings(dir.home);
  const std::string log = dir.home + "/drive_c/Tolvar.log";
  ManagerLibrary library;
  if (!library.Load()) return state.SkipWithError("the library did not load");

  // Filled on a fast line: 300 small files, a third in the main folder and the rest in two
  // folders, one inside the other.
  {
    phonesim::PhoneSimProcess phone;
    if (!phone.Start({.model = "Selka", .home = dir.home, .arguments = {"--baud", "2000000"}}))
      return state.SkipWithError(phone.Error().c_str());
    LinkServiceHost service(dir.home + "/Phones.ini");
    QuietLinkHome::PointLibraryAt(service.Port());
    CManager& manager = *library.Start();
    if (manager.TestModeOn() != PA_MS_OK) return state.SkipWithError("the phone could not be filled");
    PA_FOLDER_INFO outer;
    outer.lFolderId = 11;
    outer.strName = "Outer";
    PA_FOLDER_INFO inner;
    if (manager.PA_CreateFolder(&outer) != PA_MS_OK) return state.SkipWithError("no folder");
    inner.lFolderId = LONG(outer.dwNumber);
    inner.strName = "Inner";
    if (manager.PA_CreateFolder(&inner) != PA_MS_OK) return state.SkipWithError("no inner folder");
    std::vector<BYTE> bytes(200, 0x5A);
    for (int i = 0; i < kListedFiles; ++i) {
      PA_RESOURCE_INFO up;
      up.dwFolderId = i < 100 ? 11 : i < 200 ? outer.dwNumber : inner.dwNumber;
      const std::string name = "file" + std::to_string(i) + ".jpg";
      up.strFileName = name.c_str();
      up.strTitle = "keFTJpeg";
      up.pData = bytes.data();
      up.dwSize = static_cast<DWORD>(bytes.size());
      if (manager.PA_UploadResource(&up) != PA_MS_OK) return state.SkipWithError("a file could not be put");
    }
    manager.PowerOff();
    manager.PA_ClosePort();
    phone.Stop();
  }

  const bool started = AtLineSpeed(dir.home, library, [&](CManager& manager) {
    for (auto _ : state) {
      CManagerMediaryPhone phone(manager);
      QuietView view;
      CPhonePaneModel phonePane;
      phonePane.SetBuild("ZSE_0100");
      CPcPaneModel pcPane;
      CMediaRules rules("ZSE_0100");
      CPhoneRuns runs(phone, view, phonePane, pcPane, rules);
      const std::streamoff before = FileSize(log);
      const auto start = std::chrono::steady_clock::now();
      runs.ListSession();
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      Report(state, "get_300_files", seconds, CountLoggedBytes(log, before).Total());
      state.SetIterationTime(seconds);
    }
  });
  if (!started) state.SkipWithError("the phone did not start");
  library.Unload();
}
BENCHMARK(GetOf300Files)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
