#include "AppTestSupport.h"

#include "LinkwellApp.h"

#include <net/WinSock.h>
#include <user/User.h>

namespace linkwell::testing {
namespace {

// The frames the tests make are the link service as the phone-access library starts it, with
// "Test": a frame of a start without it starts the launcher, and the launcher this process would
// find is the suite's real one.
class TestStartedApp : public CLinkwellApp {
 public:
  TestStartedApp() { m_lpCmdLine = m_commandLine; }

 private:
  char m_commandLine[5] = "Test";
};

TestStartedApp theApp;

std::vector<std::function<bool()>> g_steps;
std::size_t g_next = 0;

void RunStep(HWND, UINT, UINT_PTR, DWORD) {
  if (g_next < g_steps.size() && g_steps[g_next]()) ++g_next;
}

}  // namespace

CLinkwellApp& App() { return theApp; }

unsigned FreeLoopbackPort() {
  AfxSocketInit();
  SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(probe);
  return ntohs(address.sin_port);
}

TimedSteps::TimedSteps(std::vector<std::function<bool()>> steps, UINT periodMs) {
  g_steps = std::move(steps);
  g_next = 0;
  m_timer = SetTimer(nullptr, 0, periodMs, &RunStep);
}

TimedSteps::~TimedSteps() {
  KillTimer(nullptr, m_timer);
  g_steps.clear();
}

bool TimedSteps::Done() const { return g_next >= g_steps.size(); }

}  // namespace linkwell::testing
