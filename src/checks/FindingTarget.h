#pragma once
// Where a finding's item lives in the model, for an interface that shows it: the module,
// the resource (or the table), and the element inside it.
#include <optional>
#include <string>

#include "platform/Types.h"

class CTvlDoc;
class CModule;
class CResourceType;
class CResource;

struct CFindingTarget {
  CModule* module = nullptr;
  CResourceType* type = nullptr;
  CResource* resource = nullptr;  // null in string and message tables, which are one node
  DWORD stringId = 0;             // the string's or message's id in a table
  int control = -2;               // in a dialog: -1 for the caption, else the control's index
};

// The target of an item id ("module/type/resource/element"); nullopt when the project has
// no such module, type or resource.
std::optional<CFindingTarget> LocateFinding(CTvlDoc& doc, const std::string& id);
