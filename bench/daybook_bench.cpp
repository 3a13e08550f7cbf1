// Daybook's times, printed beside their goals (run from build/<preset>/bin; the start needs the
// Daybook program beside this one):
//   - 500 contacts downloaded through Daybook's own worker (detection, the resource-list fetch and
//     the download on one connection) from the simulated phone at 115,200 baud, and the contacts
//     page refilled from the store, beside the bytes' time on the wire (goal: within 1.25 of it);
//   - the contacts page with 500 contacts refilled, and one full repaint (goal: 16 ms each);
//   - Daybook started as the launcher starts it to its first painted page, without a phone
//     (goal: under 300 ms).
#include "Daybook.h"
#include "DaybookDlg.h"
#include "Transfers.h"

#include "WireLog.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <LauncherProtocol.h>
#include <ProgramManager.h>

#include <kernel/Kernel.h>
#include <user_testing/Recorder.h>

#include <phonesim/PhoneSimProcess.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kContacts = 500;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

class NoSink : public daybook::ITransferSink {
 public:
  void OnTransferEvent(daybook::TransferEvent event) override {
    if (event.type == daybook::TransferEvent::Type::Ended) complete = event.text.first == daybook::kTextComplete;
  }
  bool complete = false;
};

PA_PHONEBOOK_INFO BenchContact(int n) {
  PA_PHONEBOOK_INFO contact;
  contact.strName.Format("Benchmark Person %03d", n);
  contact.strNumber[0] = "+441234567890";
  contact.strEmail[0] = "person@example.org";
  contact.strText[0] = "A contact with a little of everything in it";
  contact.bGroup = static_cast<BYTE>(n % 20);
  return contact;
}

// The download through Daybook's worker, then the page refilled from the store.
void Download(const std::string& home, ManagerLibrary& library, CDaybookDlg*& dialog) {
  std::ofstream(home + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
  WriteSetting("Build", std::string("ZSE_0100"));
  WriteSetting("InitTimeOut", DWORD{300});
  WriteSetting("EnableLogging", DWORD{1});
  const std::string log = home + "/drive_c/Tolvar.log";
  {  // one contact written on a fast line, copied into every slot of the phone's flash
    phonesim::PhoneSimProcess phone;
    if (!phone.Start({.model = "Selka", .home = home, .arguments = {"--baud", "2000000"}})) {
      std::printf("phonesim: %s\n", phone.Error().c_str());
      return;
    }
    LinkServiceHost service(home + "/Phones.ini");
    QuietLinkHome::PointLibraryAt(service.Port());
    CManager& manager = *library.Start();
    PA_PHONEBOOK_INFO contact = BenchContact(0);
    if (manager.TestModeOn() != PA_MS_OK || manager.PA_PutPhoneBook(&contact, 0) != PA_OK ||
        manager.PA_UploadPhoneBook(0) != PA_MS_OK) {
      std::printf("the phone book could not be filled\n");
      return;
    }
    manager.PowerOff();
    manager.PA_ClosePort();
    phone.Stop();
    const std::string flash = home + "/phonesim/flash/";
    for (int slot = 1; slot < kContacts; ++slot) {
      std::filesystem::copy_file(flash + "256_0.bin", flash + "256_" + std::to_string(slot) + ".bin",
                                 std::filesystem::copy_options::overwrite_existing);
    }
  }
  phonesim::PhoneSimProcess phone;
  if (!phone.Start({.model = "Selka", .home = home, .arguments = {"--baud", "115200", "--off-time", "0"}})) {
    std::printf("phonesim: %s\n", phone.Error().c_str());
    return;
  }
  LinkServiceHost service(home + "/Phones.ini");
  QuietLinkHome::PointLibraryAt(service.Port());
  CManager& manager = *library.Start();
  for (short s = 0; s < kContacts; ++s) manager.PA_RemovePrivatePhoneBook(s);
  g_pManager = &manager;
  SetProgramManager(&manager);
  dialog = new CDaybookDlg(manager);
  dialog->CreateEmbedded(nullptr);

  NoSink sink;
  daybook::TransferState control;
  std::atomic<bool> closing{false};
  control.closing = &closing;
  const std::streamoff before = wire_log::FileSize(log);
  const auto start = Clock::now();
  daybook::RunTransferWorker(daybook::TransferKind::ContactsDownload, manager, sink, control);
  const double worker = Since(start);
  dialog->Contacts().RefreshGroups();
  const double seconds = Since(start);
  int used = 0;
  for (short s = 0; s < kContacts; ++s) {
    PA_PHONEBOOK_INFO c;
    used += manager.PA_GetPhoneBook(&c, s) == PA_OK;
  }
  const double wire = static_cast<double>(wire_log::CountLoggedBytes(log, before).Total()) / wire_log::kWireBytesPerSecond;
  std::printf("download of %d contacts through Daybook (%s, %d stored): %.2f s (worker %.2f s, page %.1f ms); "
              "on the wire %.2f s; ratio %.2f (goal 1.25)\n",
              kContacts, sink.complete ? "complete" : "NOT complete", used, seconds, worker, (seconds - worker) * 1000,
              wire, wire > 0 ? seconds / wire : 0.0);
  manager.PA_ClosePort();
}

// The page with the 500 contacts the download left: refill and repaint, the best and the median.
void PageTimes(CDaybookDlg& dialog) {
  dialog.MoveWindow(0, 0, 800, 600);
  dialog.ShowWindow(SW_SHOW);
  testing_user::Pump();
  std::vector<double> refill, repaint;
  for (int i = 0; i < 30; ++i) {
    auto start = Clock::now();
    dialog.Contacts().RefreshGroups();
    refill.push_back(Since(start) * 1000);
    start = Clock::now();
    dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    repaint.push_back(Since(start) * 1000);
  }
  std::sort(refill.begin(), refill.end());
  std::sort(repaint.begin(), repaint.end());
  std::printf("contacts page with %d contacts: refill %.2f ms (best %.2f), full repaint %.2f ms (best %.2f); goal 16 ms\n",
              kContacts, refill[refill.size() / 2], refill.front(), repaint[repaint.size() / 2], repaint.front());
}

HWND g_ready = nullptr;
LRESULT LauncherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHILD_READY) {
    g_ready = reinterpret_cast<HWND>(wParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Daybook started with the launcher's two windows, to its page shown and painted (no update
// region left) after it said it was ready; without a phone library link service.
void StartToFirstPaint() {
  QuietLinkHome::PointLibraryAt(0);
  WNDCLASSA wc{};
  wc.lpfnWndProc = LauncherProc;
  wc.lpszClassName = "BenchLauncherFrame";
  RegisterClassA(&wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "BenchLauncherView";
  RegisterClassA(&wc);
  std::vector<double> times;
  for (int run = 0; run < 5; ++run) {
    HWND frame = CreateWindowExA(0, "BenchLauncherFrame", "Launcher", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700, nullptr,
                                 nullptr, nullptr, nullptr);
    HWND view = CreateWindowExA(0, "BenchLauncherView", "", WS_CHILD | WS_VISIBLE, 100, 0, 800, 700, frame, nullptr,
                                nullptr, nullptr);
    g_ready = nullptr;
    std::string commandLine = "Daybook.exe" + FormatHostingArguments(view, frame);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const auto start = Clock::now();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
      std::printf("Daybook did not start\n");
      return;
    }
    bool painted = testing_user::PumpUntil([] { return g_ready != nullptr; }, 20000);
    if (painted) {
      MoveWindow(g_ready, 0, 0, 800, 700, TRUE);
      ShowWindow(g_ready, SW_SHOW);
      RECT dirty{};
      painted = testing_user::PumpUntil([&] { return IsWindowVisible(g_ready) && !GetUpdateRect(g_ready, &dirty, FALSE); });
    }
    times.push_back(Since(start) * 1000);
    if (g_ready) PostMessageA(g_ready, WM_CLOSE, 0, 0);
    testing_user::PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 10000);
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 9);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    DestroyWindow(frame);
    if (!painted) {
      std::printf("Daybook never painted\n");
      return;
    }
  }
  std::sort(times.begin(), times.end());
  std::printf("Daybook started by the launcher to its first painted page: %.0f ms (best %.0f); goal 300 ms\n",
              times[times.size() / 2], times.front());
}

}  // namespace

int main() {
  const std::string home =
      (std::filesystem::temp_directory_path() / ("daybook-bench-" + std::to_string(std::random_device{}()))).string();
  std::filesystem::create_directories(home + "/drive_c");
  {
    QuietLinkHome quiet(home);
    ManagerLibrary library;
    if (!library.Load()) {
      std::printf("the phone library did not load\n");
      return 1;
    }
    CDaybookDlg* dialog = nullptr;
    Download(home, library, dialog);
    if (dialog) {
      PageTimes(*dialog);
      dialog->DestroyWindow();
      delete dialog;
    }
    SetProgramManager(nullptr);
    g_pManager = nullptr;
    library.Unload();
    StartToFirstPaint();
  }
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return 0;
}
