#include <framework/Object.h>

#include <cstring>
#include <mutex>

namespace {

// Records of every loaded module, newest first. Modules load and unload on any thread.
struct Registry {
  std::mutex lock;
  const CRuntimeClass* first = nullptr;
};

Registry& Classes() {
  static Registry registry;  // constructed on first use, before any record of any module needs it
  return registry;
}

}  // namespace

CRuntimeClass::CRuntimeClass(LPCSTR className, int objectSize, std::unique_ptr<CObject> (*create)(),
                             const CRuntimeClass* baseClass)
    : m_lpszClassName(className), m_nObjectSize(objectSize), m_pfnCreateObject(create),
      m_pBaseClass(baseClass) {
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  m_pNextClass = registry.first;
  registry.first = this;
}

CRuntimeClass::~CRuntimeClass() {
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  for (const CRuntimeClass** link = &registry.first; *link; link = &(*link)->m_pNextClass) {
    if (*link == this) {
      *link = m_pNextClass;
      break;
    }
  }
}

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const {
  return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* baseClass) const {
  for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
    if (c == baseClass) return TRUE;
  return FALSE;
}

const CRuntimeClass* CRuntimeClass::FromName(LPCSTR className) {
  if (!className) return nullptr;
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  for (const CRuntimeClass* c = registry.first; c; c = c->m_pNextClass)
    if (std::strcmp(c->m_lpszClassName, className) == 0) return c;
  return nullptr;
}

const CRuntimeClass CObject::classCObject("CObject", static_cast<int>(sizeof(CObject)), nullptr, nullptr);

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

BOOL CObject::IsKindOf(const CRuntimeClass* runtimeClass) const {
  return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}
