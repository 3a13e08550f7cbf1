#pragma once
// The main dialog as the exchange commands see it, and the two libraries as a table of entry points
// under a pretend module handle, with a log of loads, calls, releases and unloads.
#include "ExchangeBridges.h"
#include "StoreFixture.h"

#include <map>
#include <string>
#include <vector>

struct ShownBox {
  std::string text;
  UINT caption = 0;
  UINT type = 0;
};

class FakeHost : public daybook::IExchangeHost {
 public:
  daybook::PendingEdits Pending() override { return pending; }
  // "#id", with the format fields the real texts carry.
  CString Text(UINT id) override {
    CString text;
    text.Format("#%u", id);
    if (id == daybook::TXT_CSV_TOO_MANY) text += " %d %d";
    if (id == daybook::TXT_REFUSED_RECORDS) text += " %d";
    return text;
  }
  int Message(const CString& text, UINT captionId, UINT type) override {
    shown.push_back({std::string(static_cast<LPCSTR>(text)), captionId, type});
    log->push_back("message " + shown.back().text);
    return answer;
  }
  HWND Owner() override { return reinterpret_cast<HWND>(0x5150); }
  void EnableOwner(bool enable) override { log->push_back(enable ? "enable" : "disable"); }
  void Repaint() override { ++repaints; }
  void LockUpdates(bool lock) override { locked += lock ? 1 : -1; }
  std::vector<daybook::Melody> Pictures() override { return pictures; }
  std::vector<daybook::Melody> Melodies() override { return melodies; }
  std::vector<daybook::Melody> AlarmMelodies() override { return alarmMelodies; }
  void ClearContacts() override {
    log->push_back("clear contacts");
    for (short s = 0; s < daybook::kContactSlots; ++s) manager->PA_RemovePrivatePhoneBook(s);
  }
  void ContactsStored(bool) override { log->push_back("contacts refilled"); }
  void ContactsFull() override { log->push_back("contact form emptied"); }
  void ScheduleStored() override { log->push_back("schedule refilled"); }
  void ToDoStored() override { log->push_back("to-do refilled"); }
  void DocumentModified() override { modified = true; }
  daybook::Page VisiblePage() override { return page; }
  std::vector<int> SelectedSlots() override { return selected; }

  std::vector<std::string>* log = nullptr;
  CManager* manager = nullptr;
  daybook::PendingEdits pending{};
  int answer = IDYES;
  std::vector<ShownBox> shown;
  int repaints = 0, locked = 0;
  bool modified = false;
  std::vector<daybook::Melody> pictures, melodies, alarmMelodies;
  daybook::Page page = daybook::Page::Contacts;
  std::vector<int> selected;
};

// The libraries: a name present in `procs` under a loaded module's name resolves to its function.
struct FakeLibraries {
  std::vector<std::string> log;
  std::map<std::string, std::map<std::string, FARPROC>> modules;  // library -> entry -> function
  int loaded = 0;                                                 // loads not yet unloaded
  int todoMarker = 0;
  std::function<int()> marker = [this] { return todoMarker; };

  template <class F>
  void Add(const char* library, const char* entry, F function) {
    modules[library][entry] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
  }

  daybook::ExchangeLibraries Make() {
    daybook::ExchangeLibraries l;
    l.load = [this](LPCSTR name) -> HMODULE {
      log.push_back(std::string("load ") + name);
      auto found = modules.find(name);
      if (found == modules.end()) return nullptr;
      ++loaded;
      return reinterpret_cast<HMODULE>(&found->second);
    };
    l.find = [this](HMODULE m, LPCSTR entry) -> FARPROC {
      auto& table = *reinterpret_cast<std::map<std::string, FARPROC>*>(m);
      auto found = table.find(entry);
      return found == table.end() ? nullptr : found->second;
    };
    l.unload = [this](HMODULE) {
      --loaded;
      log.push_back("unload");
    };
    l.releaseCards = [this](CPhoneBookArray** a) { log.push_back("release"); fnVCardRelease(a); };
    l.releaseSchedule = [this](CScheduleArray** a) { log.push_back("release"); fnVCalendarRelease(a); };
    l.releaseToDo = [this](CToDoArray** a) { log.push_back("release"); fnVCalendarTodoRelease(a); };
    l.todoMarker = marker;
    return l;
  }
};

class ExchangeTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    host.log = &libraries.log;
    host.manager = manager;
  }
  void Run(UINT command) {
    daybook::CExchangeBridges bridges(*manager, host, libraries.Make());
    ASSERT_TRUE(bridges.Run(command));
    EXPECT_EQ(libraries.loaded, 0) << "every load is matched by an unload";
    EXPECT_EQ(host.locked, 0) << "updates unlocked";
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ShownBox& box : host.shown) texts.push_back(box.text);
    return texts;
  }
  int UsedContacts() {
    int used = 0;
    for (short s = 0; s < daybook::kContactSlots; ++s) used += GetContact(s).bValid ? 1 : 0;
    return used;
  }

  FakeHost host;
  FakeLibraries libraries;
};
