#include <framework/Object.h>

#include <cstring>
#include <gtest/gtest.h>

namespace {

class CShape : public CObject {
  DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
  DECLARE_DYNCREATE(CCircle)
public:
  int m_radius = 5;

protected:
  CCircle() = default;  // creatable through the run-time class only
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

class CPlain : public CObject {};  // declares nothing: it answers as a CObject

}  // namespace

TEST(CObject, KnowsItsClassAndItsBases) {
  auto created = RUNTIME_CLASS(CCircle)->CreateObject();
  ASSERT_TRUE(created);
  const CObject& circle = *created;
  EXPECT_STREQ(circle.GetRuntimeClass()->m_lpszClassName, "CCircle");
  EXPECT_EQ(circle.GetRuntimeClass()->m_nObjectSize, static_cast<int>(sizeof(CCircle)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CCircle)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CShape)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_EQ(RUNTIME_CLASS(CCircle)->m_pBaseClass, RUNTIME_CLASS(CShape));
  EXPECT_EQ(static_cast<const CCircle&>(circle).m_radius, 5);

  CPlain plain;
  EXPECT_TRUE(plain.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(plain.IsKindOf(RUNTIME_CLASS(CShape)));
  EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(RUNTIME_CLASS(CCircle)));
}

TEST(CRuntimeClass, FindsAndCreatesByName) {
  const CRuntimeClass* found = CRuntimeClass::FromName("CCircle");
  ASSERT_EQ(found, RUNTIME_CLASS(CCircle));
  auto object = found->CreateObject();
  ASSERT_TRUE(object);
  EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CCircle)));

  EXPECT_EQ(CRuntimeClass::FromName("CObject"), RUNTIME_CLASS(CObject));
  EXPECT_EQ(CRuntimeClass::FromName("CSquare"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
  EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr);  // not dynamically creatable
}

TEST(CRuntimeClass, ARecordThatGoesAwayIsNoLongerFound) {
  {
    // What an unloaded library's records do when their module goes.
    CRuntimeClass temporary("CTemporary", 8, nullptr, RUNTIME_CLASS(CObject));
    EXPECT_EQ(CRuntimeClass::FromName("CTemporary"), &temporary);
  }
  EXPECT_EQ(CRuntimeClass::FromName("CTemporary"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("CShape"), RUNTIME_CLASS(CShape));
}
