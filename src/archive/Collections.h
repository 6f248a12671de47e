#pragma once
// The framework's collections as they are stored in project files.
//
// CObArray, CStringArray, CWordArray and CByteArray are storable classes of schema 0, not
// versionable, under exactly those names. CObArray owns its elements here (the program only
// ever stores owning lists: the module list, the resources of a type); CTypedObArray<T> is
// the typed form, stored exactly like CObArray. CMapWordToString is the map with WORD keys
// and string values; it is stored inline by its owner and has no class name of its own.
#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "archive/Object.h"
#include "platform/Types.h"

class CArchive;

// Array of object references: count, then each element as an object reference.
class CObArray : public CObject {
  DECLARE_SERIAL(CObArray)

  CObArray() = default;
  CObArray(CObArray&&) = default;
  CObArray& operator=(CObArray&&) = default;

  size_t GetSize() const { return m_data.size(); }
  size_t GetCount() const { return m_data.size(); }
  bool IsEmpty() const { return m_data.empty(); }
  CObject* GetAt(size_t i) const { return m_data.at(i).get(); }
  CObject* operator[](size_t i) const { return m_data.at(i).get(); }

  size_t Add(std::unique_ptr<CObject> object);
  void InsertAt(size_t i, std::unique_ptr<CObject> object);
  // Replaces (and deletes) the element at i.
  void SetAt(size_t i, std::unique_ptr<CObject> object);
  // Takes the element at i out of the array.
  std::unique_ptr<CObject> Detach(size_t i);
  void RemoveAt(size_t i) { Detach(i); }
  void RemoveAll() { m_data.clear(); }
  // New elements are null.
  void SetSize(size_t n) { m_data.resize(n); }

  void Serialize(CArchive& ar) override;

 protected:
  // The class every element read must be of (or derive from).
  virtual const CRuntimeClass* GetElementClass() const { return RUNTIME_CLASS(CObject); }

  std::vector<std::unique_ptr<CObject>> m_data;
};

// CObArray whose elements are T (stored as CObArray; loading refuses other classes as
// "unexpected object").
template <class T>
class CTypedObArray : public CObArray {
 public:
  T* GetAt(size_t i) const { return static_cast<T*>(CObArray::GetAt(i)); }
  T* operator[](size_t i) const { return GetAt(i); }
  size_t Add(std::unique_ptr<T> object) { return CObArray::Add(std::move(object)); }
  void InsertAt(size_t i, std::unique_ptr<T> object) { CObArray::InsertAt(i, std::move(object)); }
  void SetAt(size_t i, std::unique_ptr<T> object) { CObArray::SetAt(i, std::move(object)); }
  std::unique_ptr<T> Detach(size_t i) { return std::unique_ptr<T>(static_cast<T*>(CObArray::Detach(i).release())); }

 protected:
  const CRuntimeClass* GetElementClass() const override { return T::GetThisClass(); }
};

// Array of strings: count, then each string.
class CStringArray : public CObject {
  DECLARE_SERIAL(CStringArray)

  CStringArray() = default;
  CStringArray(const CStringArray&) = default;
  CStringArray& operator=(const CStringArray&) = default;

  void Serialize(CArchive& ar) override;

  std::vector<std::u16string> m_data;
};

// Array of WORDs: count, then the WORDs as raw 2-byte values.
class CWordArray : public CObject {
  DECLARE_SERIAL(CWordArray)

  CWordArray() = default;
  CWordArray(const CWordArray&) = default;
  CWordArray& operator=(const CWordArray&) = default;

  void Serialize(CArchive& ar) override;

  std::vector<WORD> m_data;
};

// Array of bytes: count, then the raw bytes.
class CByteArray : public CObject {
  DECLARE_SERIAL(CByteArray)

  CByteArray() = default;
  CByteArray(const CByteArray&) = default;
  CByteArray& operator=(const CByteArray&) = default;

  void Serialize(CArchive& ar) override;

  std::vector<BYTE> m_data;
};

// The framework's hash map as far as its order matters: a fixed number of buckets (17 for
// every map of this program); hash of a key = key / 16, bucket = hash % buckets; a new key
// goes to the head of its bucket's chain; replacing a value keeps the entry's place. The
// storage (and iteration) order walks the buckets from 0 and each chain from its head, so
// keys of one bucket come newest first. Lookups are by a side index, so a file full of
// colliding keys cannot make loading quadratic.
// Used by CMapWordToString and by the DWORD-keyed map of CPromptAndTips.
template <class Key, class Value>
class CHashChainMap {
 public:
  static constexpr UINT kDefaultHashSize = 17;

  explicit CHashChainMap(UINT hashSize = kDefaultHashSize) : m_order(hashSize ? hashSize : 1) {}

  size_t GetCount() const { return m_values.size(); }
  bool IsEmpty() const { return m_values.empty(); }
  UINT GetHashTableSize() const { return static_cast<UINT>(m_order.size()); }

  const Value* Find(Key key) const {
    auto it = m_values.find(key);
    return it == m_values.end() ? nullptr : &it->second;
  }
  Value* Find(Key key) {
    auto it = m_values.find(key);
    return it == m_values.end() ? nullptr : &it->second;
  }
  bool Lookup(Key key, Value& value) const {
    const Value* found = Find(key);
    if (found == nullptr) return false;
    value = *found;
    return true;
  }
  void SetAt(Key key, Value value) {
    auto [it, inserted] = m_values.try_emplace(key, std::move(value));
    if (inserted)
      m_order[BucketOf(key)].push_back(key);  // head of the chain is the back
    else
      it->second = std::move(value);
  }
  bool RemoveKey(Key key) {
    if (m_values.erase(key) == 0) return false;
    auto& chain = m_order[BucketOf(key)];
    chain.erase(std::find(chain.begin(), chain.end(), key));
    return true;
  }
  void RemoveAll() {
    m_values.clear();
    for (auto& chain : m_order) chain.clear();
  }

  // The keys in storage order.
  std::vector<Key> GetKeys() const {
    std::vector<Key> keys;
    keys.reserve(m_values.size());
    for (const auto& chain : m_order) keys.insert(keys.end(), chain.rbegin(), chain.rend());
    return keys;
  }
  // Calls f(key, value) for each entry in storage order.
  template <class F>
  void ForEach(F f) const {
    for (const auto& chain : m_order)
      for (auto it = chain.rbegin(); it != chain.rend(); ++it) f(*it, m_values.find(*it)->second);
  }

 private:
  size_t BucketOf(Key key) const { return (static_cast<UINT>(key) / 16u) % m_order.size(); }

  std::unordered_map<Key, Value> m_values;
  std::vector<std::vector<Key>> m_order;  // per bucket, the chain with its head at the back
};

// Map with WORD keys and string values. Stored inline by its owner (no class name): count,
// then per entry, in storage order, the key as a raw WORD and the value as a string.
// Loading inserts the pairs in file order, a repeated key replacing the value.
class CMapWordToString : public CObject, public CHashChainMap<WORD, std::u16string> {
  DECLARE_DYNAMIC(CMapWordToString)

  explicit CMapWordToString(UINT hashSize = kDefaultHashSize) : CHashChainMap(hashSize) {}
  CMapWordToString(const CMapWordToString&) = default;
  CMapWordToString& operator=(const CMapWordToString&) = default;

  // Every entry in storage order.
  std::vector<std::pair<WORD, std::u16string>> GetEntries() const;

  void Serialize(CArchive& ar) override;
};
