// Both path forms split and join alike: drive paths as the suite writes them and the Linux paths
// the platform reports, with roots, trailing separators and names without any folder.
#include <PathSplit.h>

#include <gtest/gtest.h>

namespace {

TEST(PathSplitTest, FolderAndNameOfEachForm) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
  };
  const Case cases[] = {
      {"C:\\Documents\\a.vcf", "C:\\Documents", "a.vcf"},
      {"C:\\a.vcf", "C:\\", "a.vcf"},
      {"C:/mixed\\form/b.csv", "C:/mixed\\form", "b.csv"},
      {"/home/ann/a.vcf", "/home/ann", "a.vcf"},
      {"/a.vcf", "/", "a.vcf"},
      {"/home/ann/", "/home/ann", ""},
      {"a.vcf", "", "a.vcf"},
      {"", "", ""},
      {"C:\\", "C:\\", ""},
      {"/", "/", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_STREQ(PathFolder(c.path), c.folder);
    EXPECT_STREQ(PathName(c.path), c.name);
  }
}

TEST(PathSplitTest, RootsSeparatorsAndJoins) {
  EXPECT_EQ(FindLastPathSeparator("C:\\a/b\\c"), 6);
  EXPECT_EQ(FindLastPathSeparator("plain"), -1);
  EXPECT_EQ(FindLastPathSeparator(nullptr), -1);
  for (const char* root : {"C:\\", "d:/", "C:", "/"}) EXPECT_TRUE(IsRootPath(root)) << root;
  for (const char* other : {"", "C:\\a", "/home", "C", "\\\\server"}) EXPECT_FALSE(IsRootPath(other)) << other;

  struct Trim {
    const char* folder;
    const char* trimmed;
  };
  for (const Trim& t : {Trim{"C:\\a\\", "C:\\a"}, Trim{"/home/ann//", "/home/ann"}, Trim{"C:\\", "C:\\"},
                        Trim{"/", "/"}, Trim{"plain", "plain"}}) {
    EXPECT_STREQ(TrimTrailingSeparator(t.folder), t.trimmed) << t.folder;
  }

  struct Join {
    const char* folder;
    const char* name;
    const char* joined;
  };
  for (const Join& j : {Join{"C:\\Documents", "a.vcf", "C:\\Documents\\a.vcf"}, Join{"C:\\", "a.vcf", "C:\\a.vcf"},
                        Join{"C:", "a.vcf", "C:\\a.vcf"}, Join{"/home/ann", "a.vcf", "/home/ann/a.vcf"},
                        Join{"/", "a.vcf", "/a.vcf"}, Join{"/home/ann/", "a.vcf", "/home/ann/a.vcf"},
                        Join{"", "a.vcf", "a.vcf"}}) {
    EXPECT_STREQ(JoinPath(j.folder, j.name), j.joined) << j.folder;
  }
  // Splitting a joined path gives the parts back.
  EXPECT_STREQ(PathFolder(JoinPath("/tmp/x", "y")), "/tmp/x");
  EXPECT_STREQ(PathName(JoinPath("C:\\x", "y")), "y");
}

}  // namespace
