#include <gtest/gtest.h>

#include <map>

#include "FixtureProject.h"
#include "checks/FindingTarget.h"
#include "formats/layout/ResDialog.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/PromptAndTips.h"
#include "formats/text/ResAccelerator.h"
#include "formats/text/ResStringTable.h"
#include "formats/text/ResVersion.h"
#include "workspace/ElementIds.h"

using namespace tvl;

namespace {

// The part of an id below its node: after the resource, or after the type for tables.
std::string Below(const std::string& id, int slashes) {
  size_t at = 0;
  while (slashes-- > 0) at = id.find('/', at) + 1;
  return id.substr(at);
}

// The value an element id leads to inside the item's resource, read back as the views do.
const CLocalizedParam* Resolve(const CFindingTarget& target, const std::string& id, std::string& kind) {
  if (!target.resource) {
    kind = "table";
    auto cell = TableCellOf(Below(id, 2));
    auto* strings = dynamic_cast<CResStringTable*>(target.type);
    if (!cell || !strings || !strings->FindString(cell->id)) return nullptr;
    return &strings->FindString(cell->id)->m_value;
  }
  const std::string element = Below(id, 3);
  if (auto* dialog = dynamic_cast<CResDialog*>(target.resource)) {
    kind = element.rfind("init/", 0) == 0 ? "init" : "dialog";
    auto e = DialogElementOf(*dialog, element);
    return e ? ElementValue(*dialog, *e) : nullptr;
  }
  if (auto* menu = dynamic_cast<CResMenu*>(target.resource)) {
    kind = "menu";
    auto cell = MenuCellOf(*menu, element);
    if (!cell) return nullptr;
    CResMenuItem* item = menu->Flatten()[static_cast<size_t>(cell->item)];
    return cell->shortcut ? &item->m_shortcut : &item->m_label;
  }
  if (auto* version = dynamic_cast<CResVersion*>(target.resource)) {
    kind = "version";
    auto item = VersionItemOf(*version, element);
    if (!item) return nullptr;
    if (*item == -3) return &version->m_fileVersion;
    if (*item == -2) return &version->m_productVersion;
    return &version->m_values[static_cast<size_t>(*item)]->m_value;
  }
  kind = "other";
  return nullptr;
}

}  // namespace

TEST(ElementIds, EveryItemIdLeadsBackToItsOwnValue) {
  CFixtureProject p;
  std::map<std::string, int> kinds;
  for (const CExchangeItem& item : CollectProjectItems(p.doc)) {
    if (item.m_kind == TextItemKind::kPrompt) continue;  // kept in the string, shown with the command
    auto target = LocateFinding(p.doc, item.m_id);
    ASSERT_TRUE(target) << item.m_id;
    std::string kind;
    EXPECT_EQ(Resolve(*target, item.m_id, kind), item.m_value) << item.m_id;
    ++kinds[kind];
  }
  // The fixture has each kind, repeated control ids and initial strings included.
  for (const char* kind : {"table", "dialog", "init", "menu", "version"}) EXPECT_GT(kinds[kind], 0) << kind;
  EXPECT_EQ(kinds["other"], 0);
}

TEST(ElementIds, AcceleratorEntriesAreNamedByCommandAndOccurrence) {
  CResAcceleratorTable table;
  for (WORD command : {7, 9, 7}) {
    table.m_entries.Add(std::make_unique<CResAccelerator>());
    table.GetEntry(table.GetCount() - 1)->m_commandId = command;
  }
  const char* const expected[] = {"key/7#0", "key/9#0", "key/7#1"};
  for (size_t i = 0; i < table.GetCount(); ++i) {
    EXPECT_EQ(AcceleratorElementId(table, i), expected[i]);
    EXPECT_EQ(AcceleratorEntryOf(table, expected[i]), std::optional<size_t>(i));
  }
  for (const char* element : {"key/7#2", "7#0", "key/", "key/x#0"}) EXPECT_FALSE(AcceleratorEntryOf(table, element));
}

TEST(ElementIds, IdsThatNameNothingAreRefused) {
  CFixtureProject p;
  CResourceIdentifier dialogId, menuId;
  dialogId.SetOrdinal(100);
  menuId.SetOrdinal(200);
  auto* dialog = dynamic_cast<CResDialog*>(p.Module().m_resTable.m_dialogs.FindResource(dialogId));
  auto* menu = dynamic_cast<CResMenu*>(p.Module().m_resTable.m_menus.FindResource(menuId));
  ASSERT_TRUE(dialog && menu);
  for (const char* element : {"control/99999#0", "control/1000#9", "control/x#0", "control/1000#", "captions",
                              "init/1000#99", "text", ""})
    EXPECT_FALSE(DialogElementOf(*dialog, element)) << element;
  for (const char* element : {"99/label", "0.99/label", "0/text", "0.1.0/label", "x/label", "0", "/label"})
    EXPECT_FALSE(MenuCellOf(*menu, element)) << element;
  for (const char* element : {"16", "16/name", "x/text", "/text"}) EXPECT_FALSE(TableCellOf(element)) << element;
}
