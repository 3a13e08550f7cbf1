// The runtime's reading of the section the resource compiler writes, including damaged ones: a
// module whose section is damaged has no resources, rather than handing out bytes outside it.
#include "ResourceTable.h"

#include <gtest/gtest.h>
#include <vector>

namespace tolvar::resources {
namespace {

std::vector<BYTE> U32(std::uint32_t v) {
  return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
}

// A container with one entry: type 6, name "NAME" (or a number), language 0x0409, data "abc".
std::vector<BYTE> Container(std::uint32_t nameField, std::uint32_t dataOffset, std::uint32_t dataSize,
                            std::uint32_t count = 1) {
  std::vector<BYTE> c = {'T', 'R', 'S', 'C', 1, 0, 20, 0};
  auto add = [&](const std::vector<BYTE>& bytes) { c.insert(c.end(), bytes.begin(), bytes.end()); };
  add(U32(count));
  add(U32(48));       // total size
  add(U32(6));        // type
  add(U32(nameField));
  add({0x09, 0x04, 0, 0});
  add(U32(dataOffset));
  add(U32(dataSize));
  add({'N', 'A', 'M', 'E', 0, 0, 0, 0});  // at 36
  add({'a', 'b', 'c', 0, 0, 0, 0, 0});    // at 44... padded
  c.resize(48);
  return c;
}

TEST(Container, WellFormedEntryIsFound) {
  auto table = ResourceTable::Parse(Container(0x80000000 | 36, 44, 3));
  ASSERT_NE(table, nullptr);
  auto name = ResKey::FromArgument("name");
  const ResourceEntry* entry = table->Find(ResKey{6, {}}, *name, std::nullopt);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(std::string(entry->data.begin(), entry->data.end()), "abc");
  EXPECT_TRUE(table->Owns(entry));
}

TEST(Container, DamagedContainersAreRefused) {
  struct Case { const char* what; std::vector<BYTE> bytes; };
  std::vector<BYTE> badMagic = Container(7, 44, 3);
  badMagic[0] = 'X';
  std::vector<BYTE> unterminated = Container(0x80000000 | 36, 44, 3);
  unterminated.resize(40);
  const Case cases[] = {
      {"empty", {}},
      {"bad magic", badMagic},
      {"data past the end", Container(7, 44, 10)},
      {"offset past the end", Container(7, 4000, 1)},
      {"name offset past the end", Container(0x80000000 | 400, 44, 3)},
      {"name without terminator", unterminated},
      {"more entries than bytes", Container(7, 44, 3, 1000)},
      {"integer id above 16 bits", Container(0x12345, 44, 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(ResourceTable::Parse(c.bytes), nullptr) << c.what;
}

}  // namespace
}  // namespace tolvar::resources
