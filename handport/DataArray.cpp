#include "DataArray.h"

#include <algorithm>
#include <memory>

BYTE* NewDataArray(std::span<const BYTE> bytes) {
  auto data = std::make_unique<BYTE[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), data.get());
  return data.release();
}

void FreeDataArray(BYTE* data) { std::unique_ptr<BYTE[]>{data}; }
