#pragma once
// Command prompts and tooltips split from the string table entries of menu and toolbar
// commands, for modules that use MFC.
#include <memory>

#include "project/Collections.h"
#include "resmodel/LocalizedParam.h"

class CResTable;

class CPromptAndTip : public CObject {
  DECLARE_SERIAL(CPromptAndTip)
 public:
  CPromptAndTip() = default;
  void Serialize(CArchive& ar) override;
  // The smaller of the prompt's and the tooltip's status, an empty source counting 2.
  int GetStatus(LANGID language) const;

  DWORD m_commandId = 0;
  CLocalizedString m_prompt;
  CLocalizedString m_tooltip;
  CObject* m_string = nullptr;  // the string it was split from; owned by the string table
};

// Splits "prompt\ntooltip[\nrest]" into its two parts.
void SplitPromptAndTip(const std::u16string& text, std::u16string& prompt, std::u16string& tooltip);

class CPromptAndTips {
 public:
  CPromptAndTips() = default;
  CPromptAndTips(const CPromptAndTips&) = delete;
  CPromptAndTips& operator=(const CPromptAndTips&) = delete;

  // Stored after the table's handlers: count, then per entry in map order the DWORD key and
  // the entry as an object reference.
  void Serialize(CArchive& ar);
  CPromptAndTip* Find(DWORD commandId) const;
  void SetAt(DWORD commandId, std::unique_ptr<CPromptAndTip> entry);
  void RemoveAll() { m_map.RemoveAll(); }
  size_t GetCount() const { return m_map.GetCount(); }

  CHashChainMap<DWORD, std::unique_ptr<CPromptAndTip>> m_map;
  CResTable* m_table = nullptr;  // not owned
  BYTE m_enabled = 0;            // follows the module's "Uses MFC"; not stored
};
