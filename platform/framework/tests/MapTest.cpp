// The class library's maps: insert, replace, remove and walk with GetStartPosition/GetNextAssoc,
// for each key kind, and a thousand keys (more than the first table's buckets, so the map grows
// while it is used).
#include <framework/Map.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Everything a walk visits, as an ordered map for comparison.
template <class Map, class Key, class Value>
std::map<Key, Value> Walk(const Map& map) {
  std::map<Key, Value> seen;
  int steps = 0;
  for (POSITION at = map.GetStartPosition(); at; ++steps) {
    Key key{};
    Value value{};
    map.GetNextAssoc(at, key, value);
    EXPECT_TRUE(seen.emplace(key, value).second) << "a key visited twice";
  }
  EXPECT_EQ(steps, map.GetCount());
  return seen;
}

TEST(Map, StringKeysInsertReplaceRemoveAndWalk) {
  CMapStringToString map;
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_EQ(map.GetStartPosition(), nullptr);
  CString value;
  EXPECT_FALSE(map.Lookup("a", value));
  EXPECT_FALSE(map.RemoveKey("a"));

  map.SetAt("Name", "Ann");
  map.SetAt("name", "lower");  // keys are case-sensitive
  map["Phone"] = "123";
  map.SetAt("Name", "Bea");    // replaces
  EXPECT_EQ(map.GetCount(), 3);
  ASSERT_TRUE(map.Lookup("Name", value));
  EXPECT_STREQ(value, "Bea");
  EXPECT_STREQ(map["Phone"], "123");
  EXPECT_STREQ(map["New"], "") << "operator[] makes an empty value for a new key";
  EXPECT_EQ(map.GetCount(), 4);

  EXPECT_TRUE(map.RemoveKey("New"));
  EXPECT_FALSE(map.RemoveKey("New"));
  std::map<std::string, std::string> seen;
  for (auto& [key, text] : Walk<CMapStringToString, CString, CString>(map)) seen[std::string(key)] = std::string(text);
  EXPECT_EQ(seen, (std::map<std::string, std::string>{{"Name", "Bea"}, {"name", "lower"}, {"Phone", "123"}}));

  map.RemoveAll();
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_EQ(map.GetStartPosition(), nullptr);
  map.SetAt("again", "works");
  EXPECT_EQ(map.GetCount(), 1);
}

TEST(Map, PointerWordAndStringToPointerKeys) {
  int a = 0, b = 0;
  CMapPtrToPtr pointers;
  pointers.SetAt(&a, &b);
  pointers.SetAt(&b, nullptr);
  void* found = &a;
  ASSERT_TRUE(pointers.Lookup(&b, found));
  EXPECT_EQ(found, nullptr) << "a null value is a value";
  EXPECT_FALSE(pointers.Lookup(nullptr, found));
  EXPECT_EQ((Walk<CMapPtrToPtr, void*, void*>(pointers)), (std::map<void*, void*>{{&a, &b}, {&b, nullptr}}));

  CMapWordToPtr words;
  words.SetAt(0, &a);
  words.SetAt(0xFFFF, &b);
  words[7] = &a;
  EXPECT_TRUE(words.RemoveKey(7));
  EXPECT_EQ((Walk<CMapWordToPtr, WORD, void*>(words)), (std::map<WORD, void*>{{0, &a}, {0xFFFF, &b}}));

  CMapStringToPtr names;
  names.SetAt("", &a);  // the empty text is a key like any other
  names.SetAt("x", &b);
  ASSERT_TRUE(names.Lookup("", found));
  EXPECT_EQ(found, &a);
  EXPECT_TRUE(names.RemoveKey(""));
  EXPECT_FALSE(names.Lookup("", found));
  EXPECT_EQ(names.GetCount(), 1);
}

TEST(Map, AThousandKeys) {
  CMapWordToPtr map;
  std::map<WORD, void*> expected;
  for (int i = 0; i < 1000; ++i) {
    const auto key = static_cast<WORD>(i * 37);
    map.SetAt(key, reinterpret_cast<void*>(static_cast<std::uintptr_t>(i + 1)));
    expected[key] = reinterpret_cast<void*>(static_cast<std::uintptr_t>(i + 1));
  }
  EXPECT_EQ(map.GetCount(), 1000);
  EXPECT_EQ((Walk<CMapWordToPtr, WORD, void*>(map)), expected);

  // Every other key removed; the rest still found, the removed ones not.
  for (int i = 0; i < 1000; i += 2) {
    ASSERT_TRUE(map.RemoveKey(static_cast<WORD>(i * 37)));
    expected.erase(static_cast<WORD>(i * 37));
  }
  EXPECT_EQ(map.GetCount(), 500);
  for (int i = 0; i < 1000; ++i) {
    void* value = nullptr;
    EXPECT_EQ(map.Lookup(static_cast<WORD>(i * 37), value), i % 2 == 1) << i;
  }
  EXPECT_EQ((Walk<CMapWordToPtr, WORD, void*>(map)), expected);

  // A thousand string keys of one table size that the caller chose.
  CMapStringToPtr names;
  names.InitHashTable(101);
  for (int i = 0; i < 1000; ++i) names.SetAt(CString(std::to_string(i).c_str()), nullptr);
  EXPECT_EQ(names.GetCount(), 1000);
  void* value = &value;
  EXPECT_TRUE(names.Lookup("999", value));
  EXPECT_FALSE(names.Lookup("1000", value));
}

TEST(Map, APositionSurvivesChangesToOtherKeys) {
  CMapPtrToPtr map;
  int items[3] = {};
  for (int& item : items) map.SetAt(&item, nullptr);
  POSITION at = map.GetStartPosition();
  void* first = nullptr;
  void* value = nullptr;
  map.GetNextAssoc(at, first, value);
  // Replacing the values of the keys not yet visited keeps the walk going.
  for (int& item : items)
    if (&item != first) map.SetAt(&item, &item);
  int visited = 1;
  while (at) {
    void* key = nullptr;
    map.GetNextAssoc(at, key, value);
    EXPECT_NE(key, first);
    EXPECT_EQ(value, key);
    ++visited;
  }
  EXPECT_EQ(visited, 3);
}

}  // namespace
