// A font face that cannot be opened (the process at its file-descriptor limit, as a flood of
// connections leaves a server) must neither hang the process nor leave it without text: measuring
// falls back to a face already open.
#include "Probe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

SIZE Measure(HDC dc, int height, const char* text) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  std::strcpy(lf.lfFaceName, "Tahoma");
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  return size;
}

TEST(FontFallbackTest, WithNoDescriptorLeftTextIsMeasuredInAnOpenFace) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  // One face is open and stays open: the font that keeps it is never deleted.
  LOGFONTA lf{};
  lf.lfHeight = -13;
  std::strcpy(lf.lfFaceName, "Tahoma");
  HFONT kept = CreateFontIndirectA(&lf);
  SelectObject(dc, kept);
  SIZE base{};
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "Hello", 5, &base));
  ASSERT_GT(base.cx, 0);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(30);  // a hang fails the test instead of stalling the run
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = 64;
    setrlimit(RLIMIT_NOFILE, &limit);
    while (dup(0) >= 0) {
    }
    // Sizes never asked before need faces of their own, which cannot be opened now.
    const SIZE a = Measure(dc, -29, "Hello");
    const SIZE b = Measure(dc, 41, "Hello");
    _exit(a.cx > 0 && b.cx > 0 ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child hung or crashed (signal " << WTERMSIG(status) << ")";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "no text measured without descriptors";
  DeleteDC(dc);
  DeleteObject(kept);
}

}  // namespace
