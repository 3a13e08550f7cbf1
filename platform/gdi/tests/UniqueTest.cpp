// The owning types: an object is deleted when its owner goes, a selection is undone when its scope
// ends, and ownership moves without a double delete.
#include <gdi/Gdi.h>

#include <gtest/gtest.h>

#include <utility>

namespace {

using tolvar::gdi::ScopedSelect;
using tolvar::gdi::UniqueBrush;
using tolvar::gdi::UniqueDC;

TEST(GdiOwners, ObjectsAreDeletedOnceAndSelectionsPutBack) {
  UniqueDC dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  const HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  HBRUSH raw = nullptr;
  {
    UniqueBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
    raw = brush.Get();
    UniqueBrush moved = std::move(brush);
    EXPECT_FALSE(brush);
    ScopedSelect selected(dc.Get(), moved.Get());
    EXPECT_EQ(selected.Previous(), original);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), raw);
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), original) << "the selection was undone first";
  EXPECT_EQ(GetObjectType(raw), 0u) << "then the brush was deleted";

  UniqueBrush kept(CreateSolidBrush(RGB(4, 5, 6)));
  HBRUSH released = kept.Release();
  EXPECT_EQ(GetObjectType(released), static_cast<DWORD>(OBJ_BRUSH));
  DeleteObject(released);
}

}  // namespace
