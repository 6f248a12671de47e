#pragma once
// The handler of dialogs: writes the dialogs of a language, then their initialisation data.
#include <string>

#include "resmodel/ResourceType.h"

class CResDialogTable : public CResourceType {
  DECLARE_SERIAL(CResDialogTable)
 public:
  CResDialogTable() = default;

  // The dialogs as every handler writes its resources (type 5), then each dialog's RT_DLGINIT
  // (type 240, same name) where it has entries.
  void Write(CCompileContext& context) override;

  // Help ids are not kept in project files: take them back from the templates of the source
  // file. Returns how many dialogs took them; 0 when the file cannot be read.
  int RestoreHelpIds(const std::u16string& sourcePath);
};
