#pragma once
// The dialog's one worker thread for the phone runs. Nothing is suspended or terminated: the
// cancel question is asked while the run goes on, a confirmed cancel reaches the phone only while
// its exchange still runs, and a confirmed close cancels and joins the run before the dialog
// ends, the user-interface thread answering sent messages while it waits.
#include "PhoneRuns.h"

#include <atomic>
#include <functional>
#include <thread>

class CRunWorker {
 public:
  explicit CRunWorker(CPhoneRuns& runs) : m_runs(runs) {}
  ~CRunWorker();
  CRunWorker(const CRunWorker&) = delete;
  CRunWorker& operator=(const CRunWorker&) = delete;

  // Starts `body` on the worker; false while a run is busy (Get and Transfer then do nothing).
  // `finished` runs on the worker after the body (the dialog posts its end-of-run message there).
  bool Start(std::function<void()> body, std::function<void()> finished = {});
  // From Start until the run's end has been taken with Join (or CloseAndJoin): a run whose body
  // is over but whose end the dialog has not yet handled still counts, so that no second run
  // starts in between and the first run's end is never taken for the second's.
  bool IsBusy() const { return m_busy; }

  // The user answered Yes to the cancel question.
  void CancelConfirmed() { m_runs.Cancel(); }
  // The user confirmed closing: the run is told to end quietly and joined. `pump` is called while
  // waiting, so messages the worker sends to the window's thread are answered.
  void CloseAndJoin(const std::function<void()>& pump);
  // Takes the end of a run (after its end-of-run message): joins it; the worker is free again.
  void Join();

 private:
  CPhoneRuns& m_runs;
  std::thread m_thread;
  std::atomic<bool> m_busy{false};
  std::atomic<bool> m_running{false};  // the thread's body and `finished` still run
};
