// The contact group store: selecting groups, the names' limits in GSM units and in bytes, and the
// group file read and written whole (against a scripted phone behind the stand-in link service).
#include "GroupStore.h"
#include "HexCodec.h"
#include "support/FakeLinkService.h"

#include <base/LastError.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(GroupStore, GroupsAreNumberedOneToNineteen) {
  CGroupStore store;
  for (const int group : {0, 20, -1}) {
    SetLastError(0);
    EXPECT_EQ(store.Select(group), 0) << group;
    EXPECT_EQ(GetLastError(), ERROR_GROUP_NUMBER) << group;
  }
  EXPECT_EQ(store.Select(1), 1);
  EXPECT_EQ(store.Select(19), 1);
}

TEST(GroupStore, NamesMustFitTheRecordInUnitsAndInBytes) {
  const std::string aUml = "\xC3\xA4";      // one GSM unit, two bytes
  const std::string euro = "\xE2\x82\xAC";  // two GSM units, three bytes
  struct Case {
    std::string name;
    bool stored;
  };
  const Case cases[] = {
      {std::string(41, 'n'), true},  // the whole record, no terminator
      {std::string(42, 'n'), false},
      {Repeat(aUml, 20), true},      // 40 bytes
      {Repeat(aUml, 21), false},     // 21 units, 42 bytes
      {Repeat(aUml, 41), false},     // 41 units, 82 bytes
      {Repeat(euro, 13), true},      // 26 units, 39 bytes
      {Repeat(euro, 14), false},     // 28 units, 42 bytes
      {Repeat("[", 21), false},      // 42 units in 21 bytes
      {"", true},
  };
  for (const Case& c : cases) {
    CGroupStore store;
    store.Select(3);
    ASSERT_EQ(store.SetName("Family"), 1);
    store.Select(2);
    ASSERT_EQ(store.SetName("Work"), 1);
    SetLastError(0);
    EXPECT_EQ(store.SetName(c.name.c_str()), c.stored ? 1 : 0) << c.name;
    EXPECT_STREQ(store.GetName(), c.stored ? c.name.c_str() : "Work") << c.name;
    EXPECT_EQ(store.IsUsed(), c.name.empty() && c.stored ? 0 : 1) << c.name;
    if (!c.stored) {
      EXPECT_EQ(GetLastError(), ERROR_GROUP_NAME_SIZE) << c.name;
    }
    store.Select(3);
    EXPECT_STREQ(store.GetName(), "Family") << c.name;  // the next group is untouched
  }
}

class GroupFileTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service.Listening());
    service.SetPhoneScript([this](const std::string& command) {
      sent.push_back(command);
      std::string reply = "?";
      if (command == "FFSRead,106,110") reply = "FFSRead:RET:" + std::to_string(file.size());
      if (command.starts_with("ShowBufferDump,")) {
        const std::size_t at = std::stoul(command.substr(15)) * 64;
        const std::string_view chunk = std::string_view(file).substr(at, 64);
        reply = "ShowBufferDump:RET:" + HexText(std::span(reinterpret_cast<const BYTE*>(chunk.data()), chunk.size()));
      }
      if (command.starts_with("InitFFSWrite,")) reply = "InitFFSWrite:RET:1";
      if (command.starts_with("SetBufferDump,")) reply = "SetBufferDump:RET:0";
      return std::vector<std::string>{FakeLinkService::ReplyFrame(reply)};
    });
    ASSERT_EQ(engine.Connect(), 1);
    engine.SetTimeout(200);
  }

  // Declared before the service: its thread runs the script, which touches them, until it is joined.
  std::string file;
  std::vector<std::string> sent;
  FakeLinkService service;
  CLinkEngine engine{service.Address()};
};

TEST_F(GroupFileTest, TheGroupFileIsReadWhole) {
  CGroupStore store;
  store.Select(5);
  store.SetName("Kept");
  // A file of another size fails and changes nothing.
  file = std::string(780, 'x');
  EXPECT_EQ(store.Download(engine), 0);
  EXPECT_EQ(GetLastError(), ERROR_GROUP_FILE_SIZE);
  EXPECT_STREQ(store.GetName(), "Kept");
  // No group file: every group empty.
  file.clear();
  ASSERT_EQ(store.Download(engine), 1);
  for (int group = 1; group <= 19; ++group) {
    store.Select(group);
    EXPECT_EQ(store.IsUsed(), 0);
  }
  // Group 19 uses its whole record.
  file = std::string(779, '\0');
  file.replace(0, 3, "One");
  file.replace(18 * 41, 41, std::string(41, 'z'));
  ASSERT_EQ(store.Download(engine), 1);
  store.Select(1);
  EXPECT_STREQ(store.GetName(), "One");
  store.Select(19);
  EXPECT_STREQ(store.GetName(), std::string(41, 'z').c_str());
}

TEST_F(GroupFileTest, AnUploadWritesAllNineteenRecords) {
  CGroupStore store;
  store.Select(7);
  store.SetName("Seven");
  ASSERT_EQ(store.Upload(engine), 1);
  ASSERT_EQ(sent.size(), 1u + 13u);
  EXPECT_EQ(sent.front(), "InitFFSWrite,106,110,779");
  EXPECT_TRUE(sent.back().starts_with("SetBufferDump,")) << sent.back();
  EXPECT_TRUE(sent.back().ends_with(",12")) << sent.back();
}

}  // namespace
