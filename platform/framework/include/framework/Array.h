#pragma once
// CArray: the class library's growable array of values, and the named arrays built on it. Elements
// are real objects (constructed, copied and destroyed as such). An index out of range is a
// programming error: debug builds stop on an assertion; nothing grows by itself except through
// SetSize, SetAtGrow and InsertAt past the end.
#include <base/WinDef.h>
#include <framework/Object.h>
#include <framework/String.h>

#include <algorithm>
#include <cassert>
#include <iterator>
#include <type_traits>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
  CArray() = default;

  int GetSize() const { return static_cast<int>(m_data.size()); }
  int GetCount() const { return GetSize(); }
  int GetUpperBound() const { return GetSize() - 1; }
  BOOL IsEmpty() const { return m_data.empty(); }

  // New elements are value-initialised (0 for numbers and pointers); a shrink destroys the cut ones.
  // `growBy` (when not -1) is how many elements room grows by when it runs out.
  void SetSize(int newSize, int growBy = -1) {
    assert(newSize >= 0);
    if (growBy >= 0) m_nGrowBy = growBy;
    if (newSize <= 0) {
      RemoveAll();
      return;
    }
    MakeRoom(static_cast<size_t>(newSize));
    m_data.resize(static_cast<size_t>(newSize));
  }
  void RemoveAll() {
    m_data.clear();
    m_data.shrink_to_fit();
  }

  const TYPE& GetAt(int index) const { return m_data[Checked(index)]; }
  void SetAt(int index, ARG_TYPE newElement) { m_data[Checked(index)] = newElement; }
  TYPE& ElementAt(int index) { return m_data[Checked(index)]; }
  const TYPE& operator[](int index) const { return GetAt(index); }
  TYPE& operator[](int index) { return ElementAt(index); }
  const TYPE* GetData() const { return m_data.data(); }
  TYPE* GetData() { return m_data.data(); }

  void SetAtGrow(int index, ARG_TYPE newElement) {
    assert(index >= 0);
    TYPE copy(newElement);  // the element may live in this array, which may move
    if (index >= GetSize()) SetSize(index + 1);
    m_data[static_cast<size_t>(index)] = std::move(copy);
  }
  int Add(ARG_TYPE newElement) {
    TYPE copy(newElement);
    MakeRoom(m_data.size() + 1);
    m_data.push_back(std::move(copy));
    return GetUpperBound();
  }
  // Returns the index of the first appended element.
  int Append(const CArray& source) {
    int oldSize = GetSize();
    std::vector<TYPE> copy(source.m_data);
    MakeRoom(m_data.size() + copy.size());
    std::move(copy.begin(), copy.end(), std::back_inserter(m_data));
    return oldSize;
  }
  void Copy(const CArray& source) {
    if (&source != this) m_data = source.m_data;
  }

  // Inserts `count` copies before `index`; an index past the end first grows the array to it.
  void InsertAt(int index, ARG_TYPE newElement, int count = 1) {
    assert(index >= 0 && count > 0);
    if (index < 0 || count <= 0) return;
    TYPE copy(newElement);
    if (index > GetSize()) SetSize(index);
    MakeRoom(m_data.size() + static_cast<size_t>(count));
    m_data.insert(m_data.begin() + index, static_cast<size_t>(count), copy);
  }
  void InsertAt(int startIndex, const CArray* newArray) {
    assert(startIndex >= 0 && newArray);
    if (startIndex < 0 || !newArray || newArray->IsEmpty()) return;
    std::vector<TYPE> copy(newArray->m_data);
    if (startIndex > GetSize()) SetSize(startIndex);
    MakeRoom(m_data.size() + copy.size());
    m_data.insert(m_data.begin() + startIndex, copy.begin(), copy.end());
  }
  void RemoveAt(int index, int count = 1) {
    assert(index >= 0 && count >= 0 && index + count <= GetSize() && "CArray::RemoveAt out of range");
    index = std::clamp(index, 0, GetSize());
    count = std::clamp(count, 0, GetSize() - index);
    m_data.erase(m_data.begin() + index, m_data.begin() + index + count);
  }

private:
  size_t Checked(int index) const {
    assert(index >= 0 && index < GetSize() && "CArray index out of range");
    return static_cast<size_t>(index);
  }
  // Grows the room by the grow-by step (or by an eighth, between 4 and 1024 elements).
  void MakeRoom(size_t needed) {
    if (needed <= m_data.capacity()) return;
    size_t step = m_nGrowBy > 0 ? static_cast<size_t>(m_nGrowBy)
                                : std::clamp<size_t>(m_data.size() / 8, 4, 1024);
    m_data.reserve(std::max(needed, m_data.size() + step));
  }

  std::vector<TYPE> m_data;
  int m_nGrowBy = -1;
};

class CPtrArray : public CArray<void*, void*> {};
class CObArray : public CArray<CObject*, CObject*> {};
class CStringArray : public CArray<CString, const CString&> {};
class CDWordArray : public CArray<DWORD, DWORD> {};
class CWordArray : public CArray<WORD, WORD> {};
class CByteArray : public CArray<BYTE, BYTE> {};
class CUIntArray : public CArray<UINT, UINT> {};

// A pointer array that holds and gives back TYPE pointers. It does not own what they point to.
template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public CArray<TYPE, TYPE> {
  static_assert(std::is_same_v<BASE_CLASS, CPtrArray> || std::is_same_v<BASE_CLASS, CObArray>);
  static_assert(std::is_pointer_v<TYPE>);
};
