// The resource caches: ordering by display name, the put-one rule, and the name look-up the
// contact and schedule uploads make.
#include "ResourceCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

PA_RESOURCE_INFO Resource(const char* display, DWORD id, const char* file = "f.mid") {
  PA_RESOURCE_INFO info;
  info.strDisplayName = display;
  info.dwFileId = id;
  info.strFileName = file;
  return info;
}

std::vector<DWORD> Ids(const CResourceCaches& caches, int type) {
  std::vector<PA_RESOURCE_INFO> records(static_cast<std::size_t>(caches.GetCount(type)));
  caches.GetList(type, records);
  std::vector<DWORD> ids;
  for (const PA_RESOURCE_INFO& record : records) ids.push_back(record.dwFileId);
  return ids;
}

TEST(ResourceCaches, ListsAreOrderedByDisplayNameIgnoringCase) {
  CResourceCaches caches;
  const PA_RESOURCE_INFO records[] = {Resource("beta", 1), Resource("Alpha", 2), Resource("gamma", 3),
                                      Resource("ALPHA", 4), Resource("Beta2", 5)};
  caches.PutList(RESOURCE_SOUNDS, records);
  // An equal name goes before the one already there: the later one comes first.
  EXPECT_EQ(Ids(caches, RESOURCE_SOUNDS), (std::vector<DWORD>{4, 2, 1, 5, 3}));
  EXPECT_EQ(caches.GetCount(RESOURCE_PICTURES), 0);

  caches.PutList(RESOURCE_SOUNDS, {});  // no records: nothing changes
  EXPECT_EQ(caches.GetCount(RESOURCE_SOUNDS), 5);
  const PA_RESOURCE_INFO replacement[] = {Resource("z", 9)};
  caches.PutList(RESOURCE_SOUNDS, replacement);
  EXPECT_EQ(Ids(caches, RESOURCE_SOUNDS), (std::vector<DWORD>{9}));

  caches.InsertInOrder(RESOURCE_SOUNDS, Resource("a", 8));
  EXPECT_EQ(Ids(caches, RESOURCE_SOUNDS), (std::vector<DWORD>{8, 9}));
  caches.Clear(RESOURCE_SOUNDS);
  EXPECT_EQ(caches.GetCount(RESOURCE_SOUNDS), 0);
}

TEST(ResourceCaches, PutOneRenumbersAnExactMatchElseAppends) {
  CResourceCaches caches;
  caches.InsertInOrder(RESOURCE_PICTURES, Resource("b", 10, "b.jpg"));
  caches.InsertInOrder(RESOURCE_PICTURES, Resource("c", 11, "c.jpg"));

  caches.PutOne(RESOURCE_PICTURES, Resource("whatever", 20, "c.jpg"), 11);  // renumbered in place
  EXPECT_EQ(Ids(caches, RESOURCE_PICTURES), (std::vector<DWORD>{10, 20}));
  caches.PutOne(RESOURCE_PICTURES, Resource("a", 21, "B.JPG"), 10);  // the name differs in case
  caches.PutOne(RESOURCE_PICTURES, Resource("b", 10, "b.jpg"), 0xFFFFFFFF);  // always appended
  EXPECT_EQ(Ids(caches, RESOURCE_PICTURES), (std::vector<DWORD>{10, 20, 21, 10}));
}

TEST(ResourceCaches, DisplayNamesByFileId) {
  CResourceCaches caches;
  caches.InsertInOrder(RESOURCE_SOUNDS, Resource("Second", 44));
  caches.InsertInOrder(RESOURCE_SOUNDS, Resource("First", 44));
  EXPECT_STREQ(caches.DisplayNameOf(RESOURCE_SOUNDS, 44), "First");
  EXPECT_STREQ(caches.DisplayNameOf(RESOURCE_SOUNDS, 45), "");
  EXPECT_STREQ(caches.DisplayNameOf(RESOURCE_PICTURES, 44), "");
  caches.InsertInOrder(RESOURCE_SOUNDS, Resource("Zero", 0));
  EXPECT_STREQ(caches.DisplayNameOf(RESOURCE_SOUNDS, 0), "") << "id 0 is no file";
}

}  // namespace
