// The folder box's entries for drive paths and Linux paths.
#include <FolderList.h>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Lines(const FolderList& list) {
  std::vector<std::string> lines;
  for (const FolderEntry& e : list.entries) lines.push_back(std::string(std::size_t(e.indent) * 2, ' ') + e.text + "=" + e.path);
  return lines;
}

const FolderEntry kDesktop{"Desktop", "/home/u/Desktop", 0}, kDocuments{"Documents", "/home/u/Documents", 0};

}  // namespace

TEST(FolderList, ThePathsLevelsFollowItsDriveOnly) {
  using Lines_ = std::vector<std::string>;
  FolderList list = BuildFolderList("D:\\Photos\\2024\\", kDesktop, kDocuments, {"C:\\", "D:\\", "E:\\"});
  EXPECT_EQ(Lines(list), (Lines_{"Desktop=/home/u/Desktop", "Documents=/home/u/Documents", "C:\\=C:\\", "D:\\=D:\\",
                                 "  Photos=D:\\Photos", "    2024=D:\\Photos\\2024", "E:\\=E:\\", "/=/"}));
  EXPECT_EQ(list.match, 5);

  list = BuildFolderList("c:", kDesktop, kDocuments, {"C:\\"});
  EXPECT_EQ(Lines(list), (Lines_{"Desktop=/home/u/Desktop", "Documents=/home/u/Documents", "C:\\=C:\\", "/=/"}));
  EXPECT_EQ(list.match, 2);

  list = BuildFolderList("/srv/media", kDesktop, kDocuments, {"C:\\"});
  EXPECT_EQ(Lines(list), (Lines_{"Desktop=/home/u/Desktop", "Documents=/home/u/Documents", "C:\\=C:\\", "/=/",
                                 "  srv=/srv", "    media=/srv/media"}));
  EXPECT_EQ(list.match, 5);

  // The desktop matches as itself, before its levels under "/".
  EXPECT_EQ(BuildFolderList("/home/u/Desktop", kDesktop, kDocuments, {"C:\\"}).match, 0);
  EXPECT_EQ(BuildFolderList("Q:\\x", kDesktop, kDocuments, {"C:\\"}).match, -1);
  EXPECT_EQ(BuildFolderList("/Srv", kDesktop, kDocuments, {}).entries.back().path, "/Srv");
}
