#include "RunWorker.h"

#include <chrono>

CRunWorker::~CRunWorker() {
  if (m_thread.joinable()) {
    m_runs.SetClosing();
    m_thread.join();
  }
}

bool CRunWorker::Start(std::function<void()> body, std::function<void()> finished) {
  if (m_busy) return false;
  Join();
  m_busy = true;
  m_running = true;
  m_thread = std::thread([this, body = std::move(body), finished = std::move(finished)] {
    body();
    if (finished) finished();
    m_running = false;
  });
  return true;
}

void CRunWorker::CloseAndJoin(const std::function<void()>& pump) {
  m_runs.SetClosing();
  while (m_running) {
    if (pump) pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Join();
}

void CRunWorker::Join() {
  if (m_thread.joinable()) m_thread.join();
  m_busy = false;
}
