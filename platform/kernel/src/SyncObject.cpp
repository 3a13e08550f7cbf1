#include "Futex.h"
#include "SyncObjects.h"

#include <cstdio>

namespace tolvar::kernel {

SyncObject::SyncObject(std::unique_ptr<NamedSegment> segment) : m_segment(std::move(segment)) {
  if (m_segment) {
    m_block = &m_segment->Header().sync;
    m_key = "1" + m_segment->Name();  // named objects first, by name: the same order in every process
  } else {
    m_private = std::make_unique<SyncBlock>();
    InitSyncBlock(m_private.get());
    m_block = m_private.get();
    char address[24];
    std::snprintf(address, sizeof address, "2%016llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(m_block)));
    m_key = address;
  }
}

SyncObject::~SyncObject() {
  if (m_private) DestroySyncBlock(m_private.get());
}

SharedWaitable::Watch SyncObject::WatchWord() {
  return {futex::Address(m_block->generation), m_block->generation.load()};
}

void SyncObject::Changed() {
  m_block->generation.fetch_add(1);
  futex::WakeAll(futex::Address(m_block->generation), true);
}

}  // namespace tolvar::kernel
