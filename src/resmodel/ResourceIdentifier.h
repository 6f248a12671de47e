#pragma once
// CResourceIdentifier and CResName, the resource name value.
#include <string>
#include <string_view>
#include <variant>

#include "platform/Types.h"
#include "project/Object.h"

// A resource name value: the platform passes a resource type or name as one pointer-sized
// value, an ordinal when it is 0xFFFF or less, otherwise a pointer to a zero-terminated
// UTF-16 name. Here that is a small value type holding either a WORD ordinal or the name
// itself (an owned u16string, so no lifetime questions). The default value is ordinal 0,
// which is what a kind-0 identifier turns into.
//
//   CResName type(WORD{5});           // RT_DIALOG
//   CResName name(u"MYDIALOG");       // a named resource
class CResName {
 public:
  CResName() : m_value(WORD{0}) {}
  explicit CResName(WORD ordinal) : m_value(ordinal) {}
  explicit CResName(std::u16string name) : m_value(std::move(name)) {}
  explicit CResName(const char16_t* name) : m_value(std::u16string(name)) {}

  bool IsOrdinal() const { return m_value.index() == 0; }
  bool IsName() const { return m_value.index() == 1; }
  // 0 for a name.
  WORD GetOrdinal() const { return IsOrdinal() ? std::get<0>(m_value) : WORD{0}; }
  // Empty for an ordinal.
  const std::u16string& GetName() const;

  // Same as CResourceIdentifier: ordinals by value, names case-sensitively.
  friend bool operator==(const CResName& a, const CResName& b) { return a.m_value == b.m_value; }

 private:
  std::variant<WORD, std::u16string> m_value;
};

// Names a resource type or a resource. A storable class (schema 1, versionable); its owners
// store it without a class tag, by calling Serialize: BYTE kind; WORD ordinal for kind 1;
// the name as a string for kind 2; nothing more for any other kind.
class CResourceIdentifier : public CObject {
  DECLARE_SERIAL(CResourceIdentifier)

  enum Kind : int { kNone = 0, kOrdinal = 1, kName = 2 };

  CResourceIdentifier() = default;
  CResourceIdentifier(const CResourceIdentifier&) = default;
  CResourceIdentifier& operator=(const CResourceIdentifier&) = default;
  explicit CResourceIdentifier(const CResName& value) { SetName(value); }

  // From a resource name value: a name gives kind 2 (the text copied), an ordinal kind 1,
  // also for ordinal 0.
  void SetName(const CResName& value);
  void SetOrdinal(WORD ordinal);
  void SetString(std::u16string name);
  void Clear();

  bool IsNone() const { return m_kind == kNone; }
  bool IsOrdinal() const { return m_kind == kOrdinal; }
  bool IsString() const { return m_kind == kName; }

  // The resource name value to hand to the platform: ordinal, name, or ordinal 0 for kind 0.
  CResName ToResName() const;

  // Same kind and, for kind 1 the same ordinal, for kind 2 the same name (case-sensitive).
  // Two kind-0 identifiers are the same.
  bool operator==(const CResourceIdentifier& other) const;
  bool operator==(const CResName& value) const { return *this == CResourceIdentifier(value); }

  // Kind 1 "%d"; kind 2 the name, or "\"name\"" when quoted; kind 0 "???".
  std::u16string GetText(bool quoted = false) const;

  void Serialize(CArchive& ar) override;

  int m_kind = kNone;
  WORD m_ordinal = 0;
  std::u16string m_name;
};
