#pragma once
// The resource table of a module: the fixed handlers of the types the program knows, the
// handlers created on demand for all others, and the command prompts.
#include "formats/layout/ResDialogTable.h"
#include "formats/layout/ResIconTable.h"
#include "formats/layout/ResToolbarTable.h"
#include "formats/text/PromptAndTips.h"
#include "formats/text/ResMessageTable.h"
#include "formats/text/ResStringTable.h"
#include "resmodel/ResTableBase.h"
#include "resmodel/ResourceType.h"

class CCompileContext;

class CResTable : public CResTableBase {
  DECLARE_SERIAL(CResTable)
 public:
  CResTable();
  ~CResTable() override;

  void Serialize(CArchive& ar) override;
  bool Load(const std::u16string& path, LANGID overrideLanguage) override;
  void Merge(const CResTableBase& other, bool copyProperties, bool importMode) override;

  // Every handler's Write, in list order.
  void Write(CCompileContext& context);
  // The module properties preset "Uses MFC" from this.
  bool HasMfcClues() const;
  // The smallest status of every handler for a language.
  int GetStatus(LANGID language) const;
  void UpdateStatus(LANGID language);

  CResourceType m_menus;
  CResDialogTable m_dialogs;
  CResourceType m_accelerators;
  CResStringTable m_stringTable;
  CResMessageTable m_messageTable;
  CResIconTable m_icons;
  CResIconTable m_cursors;
  CResourceType m_bitmaps;
  CResToolbarTable m_toolbars;
  CResourceType m_version;
  CResourceType m_manifests;
  CPromptAndTips m_promptAndTips;
};
