#pragma once
// CResName, the resource name value the PE reader hands out and the model stores.
#include <string>
#include <variant>

#include "platform/Types.h"

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
  const std::u16string& GetName() const {
    static const std::u16string empty;
    return IsName() ? std::get<1>(m_value) : empty;
  }

  // Same as CResourceIdentifier: ordinals by value, names case-sensitively.
  friend bool operator==(const CResName& a, const CResName& b) { return a.m_value == b.m_value; }

 private:
  std::variant<WORD, std::u16string> m_value;
};
