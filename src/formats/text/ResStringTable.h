#pragma once
// String tables: one handler keeps every string of the module, ordered as read, each with
// its id and its value chain. Blocks of 16 exist only in the file: they are taken apart on
// reading and rebuilt from the ids on writing.
#include <iosfwd>
#include <memory>
#include <unordered_map>
#include <vector>

#include "archive/Exceptions.h"
#include "resmodel/LocalizedParam.h"
#include "resmodel/ResourceIdentifier.h"
#include "resmodel/ResourceType.h"

class CPromptAndTips;

class CResString : public CObject {
  DECLARE_SERIAL(CResString)
 public:
  CResString() = default;
  CResString(DWORD id, BYTE unicode, std::u16string text, LANGID language)
      : m_id(id), m_unicode(unicode), m_value(std::move(text), language, 0) {}
  CResString(const CResString&) = delete;
  CResString& operator=(const CResString&) = delete;

  void Serialize(CArchive& ar) override;

  DWORD m_id = 0;
  BYTE m_unicode = 1;  // 0: an ANSI message
  // The source text exactly as stored (no terminator), and the translations.
  CLocalizedString m_value;
};

class CResStringTable : public CResourceType {
  DECLARE_SERIAL(CResStringTable)
 public:
  CResStringTable();
  ~CResStringTable() override;

  void Serialize(CArchive& ar) override;

  bool AddResource(CResStream& stream) override;
  void Dump(std::ostream& out) const override;
  void Write(CCompileContext& context) override;
  void Merge(const CResourceType& other, bool copyProperties, bool importMode) override;
  void UpdateStatus(LANGID language) override;
  int GetStatus(LANGID language) const override;
  int GetCount() const override { return static_cast<int>(m_strings.size()); }
  bool IsStringTable() const override { return true; }

  // The first string with that id, or nullptr.
  CResString* FindString(DWORD id) const;
  // Appends a string (owned). Add strings only through this, so that lookups stay right.
  CResString* AddString(std::unique_ptr<CResString> string);
  CResString* GetString(int i) const { return m_strings[static_cast<size_t>(i)].get(); }
  void RemoveAllStrings();
  // Forgets every computed status; each language is computed again when asked for.
  void ClearStatusCache();
  // The status a language would get, without caching it.
  int ComputeStatus(LANGID language) const;

  std::vector<std::unique_ptr<CResString>> m_strings;
  // The name the message table is written under; kind 0 for string tables.
  CResourceIdentifier m_resourceName;

 protected:
  // Reports a resource that failed to parse, as every handler does, and leaves it out.
  static void ReportParseError(const CResStream& stream, const CException* e);
  // Takes the strings of one parsed resource: a known id gets the text as the stream
  // language's translation, a new id becomes a new string.
  void TakeStrings(std::vector<std::unique_ptr<CResString>> parsed, LANGID language);
  // The command prompts whose strings count for the commands rather than for this table;
  // nullptr when there are none.
  const CPromptAndTips* ClaimingPrompts() const;

 private:
  void RebuildIndex() const;
  void StoreStatus(LANGID language, int status) const;

  // id -> position of the first string with it; rebuilt when the array changed behind
  // its back.
  mutable std::unordered_map<DWORD, size_t> m_index;
  mutable size_t m_indexedCount = 0;
  // The table's status per language; the first language computed takes the head.
  mutable CLocalizedParam m_statusCache;
  mutable bool m_statusCacheUsed = false;
};
