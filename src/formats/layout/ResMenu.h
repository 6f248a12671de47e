#pragma once
// Menus in both template layouts (MENU with 16-bit item flags, MENUEX with 32-bit type,
// state, id and help ids), kept as a tree of levels. Of each item the label and the
// shortcut text after the first tab are translated; everything else is copied unchanged.
#include <iosfwd>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/Collections.h"
#include "resmodel/Resource.h"

class CResMenuItem;
class CResourceData;
class CPromptAndTip;

// Item flags of the two layouts.
constexpr WORD kMenuPopup = 0x10;    // MENU: MF_POPUP
constexpr WORD kMenuEnd = 0x80;      // MENU: MF_END; MENUEX: end bit of the item's flags word
constexpr WORD kMenuExPopup = 0x01;  // MENUEX: popup bit of the item's flags word

// One level of items: the top of a menu or the contents of a popup.
class CResSubMenu : public CResourceElement {
  DECLARE_SERIAL(CResSubMenu)
 public:
  CResSubMenu() = default;

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;

  // Reads items until the one that carries the end mark. depth counts the levels above.
  void Parse(CResStream& stream, bool extended, int depth);
  // useSource: the source texts whatever the translations say.
  void WriteData(CResourceData& data, bool extended, bool useSource) const;
  // The lowest status of the level's items, starting from 2.
  int GetStatus(LANGID language, const CResource& menu) const;

  size_t GetCount() const { return m_items.GetSize(); }
  CResMenuItem* GetItem(size_t i) const { return m_items.GetAt(i); }

  DWORD m_helpId = 0;
  CTypedObArray<CResMenuItem> m_items;
};

class CResMenuItem : public CResourceElement {
  DECLARE_SERIAL(CResMenuItem)
 public:
  CResMenuItem() = default;

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;

  // Returns whether the item ends its level.
  bool Parse(CResStream& stream, bool extended, int depth);
  void WriteData(CResourceData& data, bool extended, bool last, bool useSource) const;

  // The item text a build writes for a language: label, or label, tab and shortcut.
  std::u16string GetText(LANGID language) const;
  // The lowest status of label, shortcut, the command prompt of the id and the popup.
  int GetStatus(LANGID language, const CResource& menu) const;
  // Same source label and same source shortcut.
  bool IsEqual(const CResMenuItem& other) const {
    return m_label.m_text == other.m_label.m_text && m_shortcut.m_text == other.m_shortcut.m_text;
  }
  // The source label without surrounding blanks, a trailing "..." and hot-key markers:
  // what still matches when only those changed.
  std::u16string GetKey() const;
  // Any non-empty label or shortcut, in any language.
  bool HasAnyText() const;
  void MergeTexts(const CResMenuItem& other, bool copyProperties, bool importMode);

  DWORD m_id = 0;
  DWORD m_type = 0;
  DWORD m_state = 0;
  CLocalizedString m_label;
  CLocalizedString m_shortcut;
  std::unique_ptr<CResSubMenu> m_popup;
};

class CResMenu : public CResource {
  DECLARE_SERIAL(CResMenu)
 public:
  CResMenu() = default;

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;
  void Parse(CResStream& stream) override;
  void Merge(const CResource& other, bool copyProperties, bool importMode) override;
  void WriteData(CResourceData& data) override;
  int ComputeStatus(LANGID language) const override;
  void CollectCommandIds(std::set<DWORD>& ids) const override;
  void CollectTextItems(std::vector<CTextItem>& items) override;

  // Every item in pre-order: each item, then the items of its popup.
  std::vector<CResMenuItem*> Flatten() const;

  CResSubMenu m_root;
  bool m_isExtended = false;

 private:
  // Update of the source and import of a translator's project: both sides hold source
  // texts, so items pair by text.
  void MergeByText(const CResMenu& other, bool copyProperties, bool importMode);
  // Import of a translated executable: the texts differ, so items pair by id and position,
  // level by level.
  void MergeTranslated(const CResMenu& other);
};

namespace tvl {
// The command prompt entry of a command in the module of a resource; null when the module
// does not use command prompts or the command has none.
const CPromptAndTip* FindCommandPrompt(const CResource& resource, DWORD commandId);
}  // namespace tvl
