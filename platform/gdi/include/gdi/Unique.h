#pragma once
// Owning types for drawing objects: a pen, brush, font, bitmap or region deleted with DeleteObject,
// a memory DC deleted with DeleteDC, and a selection into a DC undone when the scope ends. Declare
// them in the order of use (the DC first, then the objects, then the selections) and they unwind
// right: selections are undone before the objects and the DC are deleted, and an object is never
// deleted while a DC still holds it.
#include <gdi/DeviceContext.h>
#include <gdi/Objects.h>

#include <utility>

namespace tolvar::gdi {

template <class T>
class UniqueGdiObject {
public:
  UniqueGdiObject() = default;
  explicit UniqueGdiObject(T object) : m_object(object) {}
  UniqueGdiObject(UniqueGdiObject&& other) noexcept : m_object(other.Release()) {}
  UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueGdiObject() { Reset(); }

  T Get() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }
  T Release() { return std::exchange(m_object, nullptr); }
  void Reset(T object = nullptr) {
    T old = std::exchange(m_object, object);
    if (old) DeleteObject(old);
  }

private:
  T m_object = nullptr;
};

using UniquePen = UniqueGdiObject<HPEN>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueRegion = UniqueGdiObject<HRGN>;

// A DC of CreateCompatibleDC, deleted with DeleteDC. (A window's DC is user's WindowDC.)
class UniqueDC {
public:
  UniqueDC() = default;
  explicit UniqueDC(HDC dc) : m_dc(dc) {}
  UniqueDC(UniqueDC&& other) noexcept : m_dc(std::exchange(other.m_dc, nullptr)) {}
  UniqueDC& operator=(UniqueDC&& other) noexcept {
    if (this != &other) {
      if (m_dc) DeleteDC(m_dc);
      m_dc = std::exchange(other.m_dc, nullptr);
    }
    return *this;
  }
  ~UniqueDC() {
    if (m_dc) DeleteDC(m_dc);
  }

  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

private:
  HDC m_dc = nullptr;
};

// Selects `object` into `dc` and puts back what was selected before when the scope ends. Not for
// regions: selecting a region sets the clip and returns no handle to restore.
class ScopedSelect {
public:
  ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (m_old) SelectObject(m_dc, m_old);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

  HGDIOBJ Previous() const { return m_old; }

private:
  HDC m_dc;
  HGDIOBJ m_old;
};

}  // namespace tolvar::gdi
