#include "checks/FindingTarget.h"

#include "formats/layout/ResDialog.h"
#include "formats/text/ResStringTable.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace {

// The index of the occurrence-th control with that id ("1000#0"), or -2.
int ControlIndex(const CResDialog& dialog, const std::string& idAndOccurrence) {
  size_t hash = idAndOccurrence.find('#');
  try {
    DWORD id = static_cast<DWORD>(std::stoul(idAndOccurrence.substr(0, hash)));
    int occurrence = hash == std::string::npos ? 0 : std::stoi(idAndOccurrence.substr(hash + 1));
    for (size_t i = 0; i < dialog.m_items.size(); ++i)
      if (dialog.m_items[i]->m_id == id && occurrence-- == 0) return static_cast<int>(i);
  } catch (...) {
  }
  return -2;
}

}  // namespace

std::optional<CFindingTarget> LocateFinding(CTvlDoc& doc, const std::string& id) {
  size_t a = id.find('/'), b = a == std::string::npos ? a : id.find('/', a + 1);
  size_t c = b == std::string::npos ? b : id.find('/', b + 1);
  if (c == std::string::npos) return std::nullopt;
  int m = doc.FindModuleByName(tvl::FromUtf8(id.substr(0, a)));
  if (m < 0) return std::nullopt;
  const std::string typeText = id.substr(a + 1, b - a - 1), resourceText = id.substr(b + 1, c - b - 1);
  const std::string element = id.substr(c + 1);
  CFindingTarget target;
  target.module = doc.m_modules[static_cast<size_t>(m)].get();
  for (CResourceType* type : target.module->m_resTable.GetTypes()) {
    if (tvl::ToUtf8(type->m_identifier.GetText(true)) != typeText) continue;
    target.type = type;
    if (dynamic_cast<CResStringTable*>(type)) {
      try {
        target.stringId = static_cast<DWORD>(std::stoul(resourceText));
      } catch (...) {
        return std::nullopt;
      }
      return target;
    }
    for (const auto& r : type->m_resources) {
      if (tvl::ToUtf8(r->m_identifier.GetText(true)) != resourceText) continue;
      target.resource = r.get();
      if (auto* dialog = dynamic_cast<CResDialog*>(r.get())) {
        if (element == "caption") {
          target.control = -1;
        } else if (element.rfind("control/", 0) == 0) {
          target.control = ControlIndex(*dialog, element.substr(8));
        }
      }
      return target;
    }
  }
  return std::nullopt;
}
