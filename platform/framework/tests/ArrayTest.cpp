#include <framework/Array.h>

#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<int> Items(const CArray<int, int>& a) { return {a.GetData(), a.GetData() + a.GetSize()}; }

// Counts live instances, to show that the array constructs and destroys its elements.
struct Tracked {
  static inline int live = 0;
  CString text;
  Tracked() { ++live; }
  Tracked(const Tracked& other) : text(other.text) { ++live; }
  Tracked& operator=(const Tracked&) = default;
  ~Tracked() { --live; }
};

}  // namespace

TEST(CArray, InsertAndRemoveAtTheEdges) {
  CArray<int, int> a;
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(a.GetUpperBound(), -1);
  EXPECT_EQ(a.Add(2), 0);
  EXPECT_EQ(a.Add(3), 1);
  a.InsertAt(0, 1);                      // at the start
  a.InsertAt(3, 4);                      // at the end
  a.InsertAt(1, 9, 2);                   // two copies in the middle
  EXPECT_EQ(Items(a), (std::vector<int>{1, 9, 9, 2, 3, 4}));
  a.InsertAt(8, 7);                      // past the end: grows with zeros up to it
  EXPECT_EQ(Items(a), (std::vector<int>{1, 9, 9, 2, 3, 4, 0, 0, 7}));

  a.RemoveAt(0);
  a.RemoveAt(a.GetUpperBound());
  a.RemoveAt(0, 2);
  EXPECT_EQ(Items(a), (std::vector<int>{2, 3, 4, 0, 0}));
  a.RemoveAt(2, 3);                      // exactly to the end
  EXPECT_EQ(Items(a), (std::vector<int>{2, 3}));
  a.RemoveAt(0, 0);
  EXPECT_EQ(a.GetCount(), 2);

  CArray<int, int> more;
  more.Add(5);
  more.Add(6);
  a.InsertAt(1, &more);
  EXPECT_EQ(Items(a), (std::vector<int>{2, 5, 6, 3}));
  EXPECT_EQ(a.Append(more), 4);
  EXPECT_EQ(a.Append(a), 6);             // appending itself doubles it
  EXPECT_EQ(Items(a), (std::vector<int>{2, 5, 6, 3, 5, 6, 2, 5, 6, 3, 5, 6}));
  a.Copy(more);
  EXPECT_EQ(Items(a), (std::vector<int>{5, 6}));
  a.RemoveAll();
  EXPECT_EQ(a.GetSize(), 0);
}

TEST(CArray, SetSizeGrowsWithZerosAndShrinks) {
  CDWordArray a;
  a.SetSize(3, 16);
  EXPECT_EQ(a.GetSize(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i], 0u);
  a[1] = 7;
  a.SetAt(2, 8);
  a.ElementAt(0) = 6;
  a.SetSize(5);
  EXPECT_EQ(a.GetAt(2), 8u);
  EXPECT_EQ(a.GetAt(4), 0u);
  a.SetSize(2);
  EXPECT_EQ(a.GetSize(), 2);
  EXPECT_EQ(a.GetAt(1), 7u);
  a.SetAtGrow(4, 9);
  EXPECT_EQ(a.GetSize(), 5);
  EXPECT_EQ(a.GetAt(3), 0u);
  EXPECT_EQ(a.GetAt(4), 9u);
  a.SetSize(0);
  EXPECT_TRUE(a.IsEmpty());
}

TEST(CArray, ElementsReferringIntoTheArraySurviveItsGrowth) {
  CStringArray a;
  a.Add("first");
  for (int i = 0; i < 100; ++i) a.Add(a[0]);  // every Add may move the storage a[0] lives in
  a.InsertAt(0, a[50], 3);
  a.SetAtGrow(200, a[1]);
  EXPECT_EQ(a.GetSize(), 201);
  EXPECT_STREQ(a[100], "first");
  EXPECT_STREQ(a[200], "first");
  EXPECT_TRUE(a[150].IsEmpty());
}

TEST(CArray, ConstructsAndDestroysItsElements) {
  {
    CArray<Tracked, const Tracked&> a;
    a.SetSize(10);
    EXPECT_EQ(Tracked::live, 10);
    a[3].text = "kept";
    a.RemoveAt(0, 2);
    EXPECT_EQ(Tracked::live, 8);
    EXPECT_STREQ(a[1].text, "kept");
    a.SetSize(4);
    EXPECT_EQ(Tracked::live, 4);
    a.InsertAt(1, Tracked(), 2);
    EXPECT_EQ(Tracked::live, 6);
  }
  EXPECT_EQ(Tracked::live, 0);
}

TEST(CArray, NamedAndTypedArrays) {
  struct Item {
    int id;
  } one{1}, two{2};
  CTypedPtrArray<CPtrArray, Item*> items;
  items.Add(&one);
  items.Add(&two);
  Item* second = items[1];
  EXPECT_EQ(second->id, 2);
  items.RemoveAt(0);
  EXPECT_EQ(items.GetAt(0), &two);

  CByteArray bytes;
  bytes.Add(0xFF);
  CWordArray words;
  words.Add(0xFFFF);
  CUIntArray uints;
  uints.Add(7);
  CObArray objects;
  objects.Add(nullptr);
  CPtrArray pointers;
  pointers.Add(&one);
  EXPECT_EQ(bytes[0] + words[0] + uints[0], 0xFFu + 0xFFFFu + 7u);
  EXPECT_EQ(objects.GetSize() + pointers.GetSize(), 2);
}

#ifndef NDEBUG
TEST(CArrayDeathTest, IndexOutOfRangeIsAProgrammingError) {
  CArray<int, int> a;
  a.Add(1);
  EXPECT_DEATH(a[1] = 2, "out of range");
  EXPECT_DEATH(a.RemoveAt(0, 2), "out of range");
  EXPECT_EQ(a.GetSize(), 1);  // nothing grew
}
#endif
