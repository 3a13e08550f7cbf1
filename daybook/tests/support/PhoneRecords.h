#pragma once
// A simulated phone's contacts, schedule and to-do items as the phone library reads them, for the
// tests that carry records from one phone to another through the exchange files. The phone runs in
// a home of its own (on the state folder a test names, or a new one) with the link service's own
// core and the phone library loaded by name; records go in and come out through the transfer
// workers, as Daybook moves them. The comparisons say which fields each exchange format carries.
#include "GroupDefaults.h"
#include "Transfers.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <phonesim/PhoneSimProcess.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace phone_records {

// What a phone holds of the three kinds, in slot order.
struct Records {
  std::vector<PA_PHONEBOOK_INFO> contacts;
  std::vector<PA_SCHEDULE_INFO> entries;
  std::vector<PA_TODO_INFO> items;
};

class Phone : public daybook::ITransferSink {
 public:
  Phone();
  ~Phone() override;
  Phone(const Phone&) = delete;
  Phone& operator=(const Phone&) = delete;

  // Starts the phone on `stateFolder` (empty: a new one) and connects; false with Error().
  bool Start(const std::string& stateFolder = {});
  std::string Error() const { return sim.Error(); }
  CManager& Manager() { return *library.Manager(); }

  // One worker run to its end; true when it ended with "complete".
  bool Transfer(daybook::TransferKind kind);
  // The PC side as a fresh document has it.
  void ForgetPcSide();
  // What the phone holds: each kind forgotten on the PC side, then downloaded.
  std::vector<PA_PHONEBOOK_INFO> Contacts();
  std::vector<PA_SCHEDULE_INFO> Schedule();
  std::vector<PA_TODO_INFO> ToDo();
  Records All() { return {Contacts(), Schedule(), ToDo()}; }

  // The phone's own pictures and sounds, as the last contacts download offered them.
  std::vector<daybook::Melody> pictures, melodies;

  void OnTransferEvent(daybook::TransferEvent event) override;

 private:
  void ForgetContacts();
  void ForgetSchedule();
  void ForgetToDo();

  std::atomic<bool> m_closing{false};
  phonesim::PhoneSimProcess sim;
  std::unique_ptr<QuietLinkHome> home;
  std::unique_ptr<LinkServiceHost> service;
  ManagerLibrary library;
  daybook::TransferState control;
  std::mutex m_lock;
  std::vector<daybook::TransferText> m_ends;
};

// Puts a few records of each kind into the phone, every field filled that some format carries
// (the contacts' pictures and melodies are the phone's own), uploads them and answers what the
// phone then holds: four contacts, two schedule entries and two to-do items.
Records FillSample(Phone& phone);

// The exchange formats, by what they carry of a contact.
enum class CardFormat { VCard, Csv };

// Every record of `want` is in `got` under its name, equal in each field the format carries.
void ExpectSameContacts(const std::vector<PA_PHONEBOOK_INFO>& want, const std::vector<PA_PHONEBOOK_INFO>& got,
                        CardFormat format);
// vCalendar: the schedule's texts, start, repeat, alarm with its melody, and privacy.
void ExpectSameSchedule(const std::vector<PA_SCHEDULE_INFO>& want, const std::vector<PA_SCHEDULE_INFO>& got);
// vCalendar to-do: start, due, priority, category and privacy.
void ExpectSameToDo(const std::vector<PA_TODO_INFO>& want, const std::vector<PA_TODO_INFO>& got);

}  // namespace phone_records
