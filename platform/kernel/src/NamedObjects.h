#pragma once
// The named kernel objects of this process. A second Create or Open of a name the process already
// has gives another handle to the same object, as on Windows; otherwise the object's segment is
// opened or created (NamedSegment).
#include "NamedSegment.h"

#include <kernel/Object.h>

#include <functional>
#include <memory>
#include <string_view>

namespace tolvar::kernel {

struct NamedOpenResult {
  std::shared_ptr<Object> object;
  bool existed = false;
  DWORD error = 0;  // when there is no object
};

using MakeNamedObject = std::function<std::shared_ptr<Object>(std::unique_ptr<NamedSegment>)>;

NamedOpenResult OpenNamedObject(std::string_view name, NamedKind kind, std::uint64_t payloadSize,
                                NamedSegment::Mode mode,
                                const std::function<void(SegmentHeader&)>& initialise,
                                const MakeNamedObject& make);

// A handle for the result: NULL with the error, or the handle with the last error set to
// ERROR_ALREADY_EXISTS or 0, which is how a Create call tells whether the object was there.
HANDLE HandleForCreated(const NamedOpenResult& result);
HANDLE HandleForOpened(const NamedOpenResult& result);

}  // namespace tolvar::kernel
