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
      {IDS_DELETE_TRANSLATION, u"&Delete Translation"},
      {IDS_DELETE_TRANSLATION_KEY, u"Del"},
      {IDS_DIALOG_VIEW_ERROR,
       u"There are a number of reasons why a dialog would refuse to load. However, we made our best to always "
       u"fallback correctly when such a case is encountered.\nUnfortunately, you are encountering a special case "
       u"that we didnot foresee.\nPlease report the problem to us. We apologize for the inconvenience and thank you "
       u"for your cooperation."},
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
