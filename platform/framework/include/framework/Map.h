#pragma once
// CMap: the class library's hash map of keys to values, and the named maps built on it
// (CMapPtrToPtr, CMapStringToPtr, CMapWordToPtr, CMapStringToString). Each entry is a node that
// stays where it is until its key is removed, so a POSITION (a node) stays valid while other keys
// are added, replaced or looked up; it goes with its own key or RemoveAll. The map walks its nodes
// bucket by bucket: the order of GetNextAssoc is not the order of insertion. String keys compare
// case-sensitively, as the class library's do.
#include <base/WinDef.h>
#include <framework/Object.h>
#include <framework/String.h>

#include <cassert>
#include <cstdint>
#include <memory>
#include <vector>

// The hash of a key; a class may add overloads for keys of its own.
inline UINT HashKey(const void* key) { return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(key) >> 4); }
inline UINT HashKey(WORD key) { return key; }
inline UINT HashKey(DWORD key) { return key; }
inline UINT HashKey(int key) { return static_cast<UINT>(key); }
inline UINT HashKey(LPCSTR key) {
  UINT hash = 0;
  for (; key && *key; ++key) hash = (hash << 5) + hash + static_cast<unsigned char>(*key);
  return hash;
}
inline UINT HashKey(const CString& key) { return HashKey(static_cast<LPCSTR>(key)); }

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
public:
  // `blockSize` is kept for the class library's signature; nodes are allocated one by one.
  explicit CMap(int blockSize = 10) { (void)blockSize; }

  int GetCount() const { return m_count; }
  int GetSize() const { return m_count; }
  BOOL IsEmpty() const { return m_count == 0; }

  BOOL Lookup(ARG_KEY key, VALUE& value) const {
    const Node* node = Find(key);
    if (!node) return FALSE;
    value = node->value;
    return TRUE;
  }
  // The value of `key`, made (value-initialised) when the key is new.
  VALUE& operator[](ARG_KEY key) {
    if (Node* node = Find(key)) return node->value;
    if (m_buckets.empty()) InitHashTable(kDefaultHashSize);
    if (static_cast<std::size_t>(m_count) >= 2 * m_buckets.size()) Rehash(2 * m_buckets.size() + 1);
    const UINT hash = HashKey(key);
    auto node = std::make_unique<Node>(KEY(key), hash);
    std::unique_ptr<Node>& head = m_buckets[hash % m_buckets.size()];
    node->next = std::move(head);
    head = std::move(node);
    ++m_count;
    return head->value;
  }
  void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }
  // FALSE when the key was not there.
  BOOL RemoveKey(ARG_KEY key) {
    if (m_buckets.empty()) return FALSE;
    const UINT hash = HashKey(key);
    for (std::unique_ptr<Node>* link = &m_buckets[hash % m_buckets.size()]; *link; link = &(*link)->next) {
      if ((*link)->hash == hash && (*link)->key == key) {
        std::unique_ptr<Node> gone = std::move(*link);
        *link = std::move(gone->next);
        --m_count;
        return TRUE;
      }
    }
    return FALSE;
  }
  void RemoveAll() {
    for (auto& head : m_buckets) {
      // Unlinked one by one: a long chain must not recurse through its destructors.
      while (head) head = std::move(head->next);
    }
    m_buckets.clear();
    m_count = 0;
  }
  ~CMap() override { RemoveAll(); }

  // The first entry, null for an empty map.
  POSITION GetStartPosition() const { return ToPosition(FirstFrom(0)); }
  // The entry at `position` into key and value; `position` moves on (null after the last).
  void GetNextAssoc(POSITION& position, KEY& key, VALUE& value) const {
    const Node* node = reinterpret_cast<const Node*>(position);
    assert(node && "GetNextAssoc past the end");
    if (!node) return;
    key = node->key;
    value = node->value;
    const Node* next = node->next ? node->next.get() : FirstFrom(node->hash % m_buckets.size() + 1);
    position = ToPosition(next);
  }

  UINT GetHashTableSize() const { return static_cast<UINT>(m_buckets.size()); }
  // Sets the number of buckets (a prime suits the hash); the entries are kept.
  void InitHashTable(UINT hashSize, BOOL allocNow = TRUE) {
    (void)allocNow;
    Rehash(hashSize > 0 ? hashSize : 1);
  }

private:
  static constexpr UINT kDefaultHashSize = 17;

  struct Node {
    Node(KEY k, UINT h) : key(std::move(k)), hash(h) {}
    KEY key;
    VALUE value{};
    UINT hash;
    std::unique_ptr<Node> next;
  };

  Node* Find(ARG_KEY key) const {
    if (m_buckets.empty()) return nullptr;
    const UINT hash = HashKey(key);
    for (Node* node = m_buckets[hash % m_buckets.size()].get(); node; node = node->next.get())
      if (node->hash == hash && node->key == key) return node;
    return nullptr;
  }
  const Node* FirstFrom(std::size_t bucket) const {
    for (; bucket < m_buckets.size(); ++bucket)
      if (m_buckets[bucket]) return m_buckets[bucket].get();
    return nullptr;
  }
  static POSITION ToPosition(const Node* node) { return reinterpret_cast<POSITION>(const_cast<Node*>(node)); }
  // Moves every node into `size` buckets; the nodes themselves stay where they are.
  void Rehash(std::size_t size) {
    std::vector<std::unique_ptr<Node>> buckets(size);
    for (auto& head : m_buckets) {
      while (head) {
        std::unique_ptr<Node> node = std::move(head);
        head = std::move(node->next);
        std::unique_ptr<Node>& target = buckets[node->hash % size];
        node->next = std::move(target);
        target = std::move(node);
      }
    }
    m_buckets = std::move(buckets);
  }

  std::vector<std::unique_ptr<Node>> m_buckets;
  int m_count = 0;
};

class CMapPtrToPtr : public CMap<void*, void*, void*, void*> {};
class CMapWordToPtr : public CMap<WORD, WORD, void*, void*> {};
class CMapStringToPtr : public CMap<CString, LPCSTR, void*, void*> {};
class CMapStringToString : public CMap<CString, LPCSTR, CString, LPCSTR> {};
