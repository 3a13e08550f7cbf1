#include "TestHome.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace tolvar::registry::testing {

void WriteFile(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

void ReplaceFile(const std::string& path, const std::string& text) {
  std::string temp = path + ".test-replace";
  WriteFile(temp, text);
  fs::rename(temp, path);
}

std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().starts_with(prefix)) files.push_back(entry.path().string());
  return files;
}

ChildProcess StartChild(const std::string& name, const std::vector<std::string>& args) {
  std::string program = (fs::read_symlink("/proc/self/exe").parent_path() /
                         ("registry_child_" + name)).string();
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  pid_t pid = -1;
  int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (error != 0) {
    close(pipeFds[0]);
    throw std::runtime_error("cannot start " + program);
  }
  return {pid, pipeFds[0]};
}

ChildResult WaitChild(ChildProcess child) {
  ChildResult result;
  char buffer[4096];
  ssize_t n;
  while ((n = read(child.outputFd, buffer, sizeof buffer)) > 0)
    result.output.append(buffer, static_cast<std::size_t>(n));
  close(child.outputFd);
  int status = 0;
  waitpid(child.pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

ChildResult RunChild(const std::string& name, const std::vector<std::string>& args) {
  return WaitChild(StartChild(name, args));
}

}  // namespace tolvar::registry::testing
