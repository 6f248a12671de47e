#pragma once
// CResourceIdentifier, the stored name of a resource type or a resource.
#include <string>
#include <string_view>

#include "archive/Object.h"
#include "peimage/ResName.h"
#include "platform/Types.h"

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
