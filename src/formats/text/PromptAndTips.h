#pragma once
// Command prompts and tooltips split from the string table entries of menu and toolbar
// commands, for modules that use MFC. The string table stays what is written into targets:
// every edit of a prompt or tooltip is composed back into its string.
#include <memory>
#include <set>
#include <vector>

#include "archive/Collections.h"
#include "resmodel/LocalizedParam.h"

class CResTable;
class CResString;
class CResStringTable;
class CResource;

class CPromptAndTip : public CObject {
  DECLARE_SERIAL(CPromptAndTip)
 public:
  CPromptAndTip() = default;
  void Serialize(CArchive& ar) override;
  // The smaller of the prompt's and the tooltip's status, an empty source counting 2.
  int GetStatus(LANGID language) const;

  // A new entry for a command string: its id, the string, and the string's values split
  // into the entry's prompt and tooltip chains.
  static std::unique_ptr<CPromptAndTip> Create(CResString& string);
  // Takes prompt and tooltip values from another version of the string into this existing
  // entry, with the value merge rules and the given flags. Every language met is added to
  // languages.
  void SplitFrom(const CResString& string, bool copyProperties, bool importMode, std::set<LANGID>& languages);
  // Writes a language's prompt and tooltip back into the string as its translation.
  void Compose(LANGID language);

  DWORD m_commandId = 0;
  CLocalizedString m_prompt;
  CLocalizedString m_tooltip;
  CResString* m_string = nullptr;  // the string it was split from; owned by the string table
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

  // Recomputes the map from the table's menus, toolbars and string table.
  void Build();
  // Takes over another version's prompts (when it has them) and, for commands it did not
  // cover, the other version's command strings; then updates the command statuses of
  // every language met.
  void Merge(const CResStringTable& otherStrings, bool copyProperties, bool importMode,
             const CPromptAndTips* otherPrompts);
  // UpdateStatus of every menu and toolbar of the table.
  void UpdateCommandStatuses(LANGID language);
  // UpdateStatus of every menu and toolbar using the command, but `except`; the resources
  // whose status changed are appended to `changed`.
  void UpdateCommandsUsing(DWORD commandId, LANGID language, const CResource* except,
                           std::vector<CResource*>& changed);
  // False for 0, the system commands and the reserved range at the top.
  static bool IsPromptCommandId(DWORD id);

  CHashChainMap<DWORD, std::unique_ptr<CPromptAndTip>> m_map;
  CResTable* m_table = nullptr;  // not owned
  BYTE m_enabled = 0;            // follows the module's "Uses MFC"; not stored
};
