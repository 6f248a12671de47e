#pragma once
// The record by which a resource view offers an item to the translation editor, and by
// which the editor (or the resource header) hands back what the user committed.
#include <string>

#include "platform/Types.h"

class CLocalizedParam;

class CTranslationRequest {
 public:
  virtual ~CTranslationRequest() = default;

  const void* m_view = nullptr;  // the view that made the request; others ignore the commit
  int m_item = 0;
  int m_subItem = 0;
  LANGID m_language = 0;
  CLocalizedParam* m_element = nullptr;  // the item's value chain; not owned
  std::u16string m_text;
  BYTE m_erase = 0;   // the translation is to be removed
  BYTE m_toggle = 0;  // the item's do-not-translate flag was changed
  BYTE m_skip = 0;    // the user skipped the item
};
