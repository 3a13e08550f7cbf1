// A library with a string table of its own: its strings must come from its own resources, not the
// program's, when it asks with its own module handle.
#include <kernel/Module.h>
#include <resources/Resource.h>

extern "C" __attribute__((visibility("default"))) HMODULE ResourcesTestLibraryModule() {
  return tolvar::kernel::ModuleFromAddress(reinterpret_cast<const void*>(&ResourcesTestLibraryModule));
}

extern "C" __attribute__((visibility("default"))) int ResourcesTestLibraryString(UINT id, char* buffer, int size) {
  return LoadStringA(ResourcesTestLibraryModule(), id, buffer, size);
}
