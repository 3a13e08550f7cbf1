#pragma once
// The root of the class library's objects, and run-time class records: each class that declares
// itself dynamic has one CRuntimeClass naming it and its base, so objects can be asked what they are
// (IsKindOf) and classes can be created by name (FromName + CreateObject).
#include <base/WinDef.h>

#include <memory>

class CObject;

// A place in one of the class library's collections (a map's entry, a list of chosen files); null
// is "none" (before the first and after the last).
struct __POSITION;
using POSITION = __POSITION*;

struct CRuntimeClass {
  LPCSTR m_lpszClassName;
  int m_nObjectSize;
  std::unique_ptr<CObject> (*m_pfnCreateObject)();  // null unless the class is dynamically creatable
  const CRuntimeClass* m_pBaseClass;                // null for CObject

  CRuntimeClass(LPCSTR className, int objectSize, std::unique_ptr<CObject> (*create)(),
                const CRuntimeClass* baseClass);
  ~CRuntimeClass();  // unregisters: a library that is unloaded takes its classes with it
  CRuntimeClass(const CRuntimeClass&) = delete;
  CRuntimeClass& operator=(const CRuntimeClass&) = delete;

  // A new object of this class, or null when the class is not creatable.
  std::unique_ptr<CObject> CreateObject() const;
  BOOL IsDerivedFrom(const CRuntimeClass* baseClass) const;

  // The class registered under `className` in any loaded module, or null.
  static const CRuntimeClass* FromName(LPCSTR className);

  mutable const CRuntimeClass* m_pNextClass = nullptr;  // registration chain, newest first
};

class CObject {
public:
  static const CRuntimeClass classCObject;

  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const;
  BOOL IsKindOf(const CRuntimeClass* runtimeClass) const;

  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;

protected:
  CObject() = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In the class body: the class's record and its GetRuntimeClass; DECLARE_DYNCREATE adds the factory
// (a member, so it may use a protected default constructor).
#define DECLARE_DYNAMIC(class_name)                    \
 public:                                               \
  static const CRuntimeClass class##class_name;        \
  const CRuntimeClass* GetRuntimeClass() const override;
#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static std::unique_ptr<CObject> CreateObject();

// In one source file of the class.
#define IMPLEMENT_RUNTIMECLASS_(class_name, base_name, create)                                          \
  const CRuntimeClass class_name::class##class_name(#class_name, static_cast<int>(sizeof(class_name)), \
                                                    create, RUNTIME_CLASS(base_name));                 \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }
#define IMPLEMENT_DYNAMIC(class_name, base_name) IMPLEMENT_RUNTIMECLASS_(class_name, base_name, nullptr)
#define IMPLEMENT_DYNCREATE(class_name, base_name)                                                  \
  std::unique_ptr<CObject> class_name::CreateObject() { return std::unique_ptr<CObject>(new class_name); } \
  IMPLEMENT_RUNTIMECLASS_(class_name, base_name, &class_name::CreateObject)
