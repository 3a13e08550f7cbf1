// Stands in for the desktop's opener in tests (installed as "xdg-open" first in PATH): appends its
// arguments, each ended by a NUL and the call by a newline, to $SHELL_RECORDER_LOG, then writes the
// same bytes to the FIFO $SHELL_RECORDER_FIFO, which the test reads to know the call has happened.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  std::string call;
  for (int i = 1; i < argc; ++i) {
    call += argv[i];
    call += '\0';
  }
  call += '\n';
  for (const char* variable : {"SHELL_RECORDER_LOG", "SHELL_RECORDER_FIFO"}) {
    const char* path = std::getenv(variable);
    if (!path) continue;
    if (FILE* out = std::fopen(path, "ab")) {
      std::fwrite(call.data(), 1, call.size(), out);
      std::fclose(out);
    }
  }
  return 0;
}
