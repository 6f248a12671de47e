// The program's string table: texts shown to the user, by id.
#include <map>

#include "platform/Messages.h"

namespace {

const std::map<UINT, std::u16string>& Table() {
  static const std::map<UINT, std::u16string> table = {
      {IDR_MAINFRAME,
       u"Tessalingvora\n\nTessalingvora\nTessalingvora Files (*.tvl)\n.tvl\nTessalingvora.Document\nTessalingvora Document"},
      {IDS_BANNER, u"Tessalingvora " TVL_VERSION " - localization of Windows executables\n"},
      {IDS_LOG_ERROR, u"Error"},
      {IDS_LOG_WARNING, u"Warning"},
  };
  return table;
}

}  // namespace

std::u16string LoadResString(UINT id) {
  const auto& t = Table();
  auto it = t.find(id);
  return it == t.end() ? std::u16string(u"???") : it->second;
}

bool HasResString(UINT id) { return Table().count(id) != 0; }
