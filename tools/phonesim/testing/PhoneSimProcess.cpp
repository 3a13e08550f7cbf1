#include <phonesim/PhoneSimProcess.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace phonesim {

namespace {

constexpr int kReadyTimeoutMs = 10'000;
constexpr int kControlTimeoutMs = 5'000;

std::filesystem::path ProgramFolder() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

PhoneSimProcess::~PhoneSimProcess() { Stop(); }

bool PhoneSimProcess::Start(const PhoneSimOptions& options) {
  Stop();
  m_error.clear();
  m_home = options.home;
  if (m_home.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "phonesim-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      m_error = std::string("cannot make a temporary home: ") + std::strerror(errno);
      return false;
    }
    m_home = pattern;
    m_ownsHome = true;
  }
  const std::string program = (ProgramFolder() / "phonesim").string();
  std::vector<std::string> args{program, "--home", m_home};
  if (!options.model.empty()) args.insert(args.end(), {"--model", options.model});
  args.insert(args.end(), options.arguments.begin(), options.arguments.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int toChild[2], fromChild[2];
  if (::pipe2(toChild, O_CLOEXEC) != 0) {
    m_error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  if (::pipe2(fromChild, O_CLOEXEC) != 0) {
    m_error = std::string("pipe: ") + std::strerror(errno);
    ::close(toChild[0]);
    ::close(toChild[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
  const int spawned = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(toChild[0]);
  ::close(fromChild[1]);
  m_toChild = toChild[1];
  m_fromChild = fromChild[0];
  if (spawned != 0) {
    m_pid = -1;
    m_error = "cannot start " + program + ": " + std::strerror(spawned);
    Stop();
    return false;
  }
  std::string ready;
  if (!ReadLine(ready, kReadyTimeoutMs)) {
    m_error = "phonesim gave no ready line" + (m_error.empty() ? "" : ": " + m_error);
    Stop();
    return false;
  }
  const auto blank = ready.find(' ');
  if (blank == std::string::npos) {
    m_error = "phonesim's ready line is not \"COMn path\": " + ready;
    Stop();
    return false;
  }
  m_comName = ready.substr(0, blank);
  m_devicePath = ready.substr(blank + 1);
  return true;
}

bool PhoneSimProcess::ReadLine(std::string& line, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
      line = m_buffer.substr(0, end);
      m_buffer.erase(0, end + 1);
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (m_fromChild < 0 || left.count() <= 0) return false;
    pollfd fd{m_fromChild, POLLIN, 0};
    const int ready = ::poll(&fd, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buffer[256];
    const ssize_t n = ::read(m_fromChild, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      m_error = "phonesim ended";
      return false;
    }
    m_buffer.append(buffer, static_cast<std::size_t>(n));
  }
}

bool PhoneSimProcess::Control(const std::string& line) {
  if (m_toChild < 0) {
    m_error = "phonesim is not running";
    return false;
  }
  const std::string text = line + "\n";
  if (::write(m_toChild, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    m_error = std::string("cannot write to phonesim: ") + std::strerror(errno);
    return false;
  }
  std::string answer;
  if (!ReadLine(answer, kControlTimeoutMs)) {
    m_error = "phonesim did not answer \"" + line + "\"";
    return false;
  }
  if (answer != "ok") {
    m_error = "phonesim refused \"" + line + "\": " + answer;
    return false;
  }
  return true;
}

bool PhoneSimProcess::SetFault(Fault fault, long long value) {
  const std::string number = std::to_string(value);
  const char* onOff = value ? "on" : "off";
  switch (fault) {
    case Fault::Silent: return Control(std::string("silent ") + onOff);
    case Fault::SilentAnswers: return Control("silent " + number);
    case Fault::Late: return Control("delay " + number);
    case Fault::Garbage: return Control(std::string("garbage ") + onOff);
    case Fault::DropAfterSent: return Control("drop " + number);
    case Fault::DropAfterReceived: return Control("drop-received " + number);
  }
  m_error = "unknown fault";
  return false;
}

bool PhoneSimProcess::ClearFaults() { return Control("clear"); }

void PhoneSimProcess::Stop() {
  CloseFd(m_toChild);  // phonesim ends at the end of its control input
  if (m_pid > 0) {
    auto waitFor = [this](std::chrono::milliseconds limit) {
      const auto deadline = std::chrono::steady_clock::now() + limit;
      while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid || (done < 0 && errno == ECHILD)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      return false;
    };
    if (!waitFor(std::chrono::milliseconds(3000))) {
      ::kill(m_pid, SIGTERM);
      if (!waitFor(std::chrono::milliseconds(3000))) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
      }
    }
    m_pid = -1;
  }
  CloseFd(m_fromChild);
  m_buffer.clear();
  if (m_ownsHome) {
    std::error_code ec;
    std::filesystem::remove_all(m_home, ec);
    m_ownsHome = false;
    m_home.clear();
  }
  m_comName.clear();
  m_devicePath.clear();
}

}  // namespace phonesim
