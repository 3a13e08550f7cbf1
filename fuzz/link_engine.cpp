// The link engine fed scripted replies: a stand-in link service plays a phone that answers each
// command with the next line of the input, framed as the phone frames its replies, and the engine
// runs its command routines (identification, locks, counts, folders, files, messages, mail, flash
// files) in the order the first line of the input picks.
#include "FuzzInput.h"

#include "FlashBlock.h"
#include "LinkEngine.h"
#include "support/FakeLinkService.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace {

struct Script {
  std::mutex lock;
  std::vector<std::string> replies;
  std::size_t next = 0;
  std::atomic<bool> used{false};  // every reply given: the commands stop
};

FakeLinkService& Service(Script& script) {
  static FakeLinkService* service = [&] {
    auto* s = new FakeLinkService;  // one for the run; each input connects afresh
    return s;
  }();
  service->SetPhoneScript([&script](const std::string&) {
    std::lock_guard guard(script.lock);
    if (script.next >= script.replies.size()) {
      script.used = true;
      return std::vector<std::string>{FakeLinkService::ReplyFrame("")};
    }
    return std::vector<std::string>{FakeLinkService::ReplyFrame(script.replies[script.next++])};
  });
  return *service;
}

using Command = std::function<void(CLinkEngine&)>;

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      [](CLinkEngine& e) { e.Hello(); },
      [](CLinkEngine& e) { e.UsePteCommand("00126"); },
      [](CLinkEngine& e) { e.TestModeOn(); },
      [](CLinkEngine& e) { CString v; e.ShowSwVersion(v); },
      [](CLinkEngine& e) { CString v; e.ShowProductSerialNum(v); },
      [](CLinkEngine& e) { char imei[20]; e.ShowIMEI(imei); },
      [](CLinkEngine& e) { LockState s; e.ShowLockInfo(s); },
      [](CLinkEngine& e) { e.VerifyLockInfo(); },
      [](CLinkEngine& e) { int v; e.ScheduleInit(v); },
      [](CLinkEngine& e) { int v; e.GetFileSystemFreeSpace(v); },
      [](CLinkEngine& e) { int v; e.GetPBRecordCount(500, v); },
      [](CLinkEngine& e) { int v; e.GetFolderNum(0, v); },
      [](CLinkEngine& e) { PA_FOLDER_INFO info{}; e.GetFolderName(1, 0, info); },
      [](CLinkEngine& e) { int v; e.GetResourceFileNumWFolder(0, 0, v); },
      [](CLinkEngine& e) { PA_RESOURCE_INFO info{}; e.GetResourceFileNameWFolder(1, 0, 0, info); },
      [](CLinkEngine& e) { int type, number; e.CreateFolder(0, "Folder", type, number); },
      [](CLinkEngine& e) { e.AssignResourceFileWFolder(0, 0, 0); },
      [](CLinkEngine& e) {
        std::vector<BYTE> data;
        ResourceFileHeader header;
        e.GetResourceFileWFolder({}, data, header);
      },
      [](CLinkEngine& e) { CString counts; e.UMBInitMsgs(0, counts); },
      [](CLinkEngine& e) { std::vector<BYTE> data; e.UMBGetMsgs(0, 0, 0, {}, data); },
      [](CLinkEngine& e) { std::array<int, 6> counts; e.CNFPGetMailCnt(counts); },
      [](CLinkEngine& e) { std::vector<BYTE> data; e.CNFPReadData(0, 0, {}, data); },
      [](CLinkEngine& e) { CFlashBlock block(256, 0); e.ReadBlock(block, nullptr, nullptr); },
      [](CLinkEngine& e) {
        DWORD id = 0;
        const BYTE data[70] = {1, 2, 3};
        e.PutResourceFileWFolder({}, data, "a.png", "a", 0, 64, id);
      },
  };
  return commands;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Script script;
  FakeLinkService& service = Service(script);
  FuzzInput input(data, size);
  const std::string order = input.Text();
  {
    std::lock_guard guard(script.lock);
    script.replies.clear();
    while (!input.Empty()) script.replies.push_back(input.Text());
    script.next = 0;
    script.used = false;
  }
  CLinkEngine engine{service.Address()};
  if (!engine.Connect()) return 0;
  engine.SetTimeout(500);
  for (const char pick : order) {
    if (script.used) break;
    Commands()[static_cast<unsigned char>(pick) % Commands().size()](engine);
  }
  return 0;
}
