#include "workspace/ElementIds.h"

#include <charconv>

#include "formats/layout/ResDialog.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/ResAccelerator.h"
#include "formats/text/ResVersion.h"
#include "platform/Text.h"

namespace tvl {

namespace {

bool Number(std::string_view text, unsigned long& out) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

// "1000#2" as id 1000, occurrence 2; a missing "#n" is the first occurrence.
bool IdAndOccurrence(std::string_view text, unsigned long& id, unsigned long& occurrence) {
  size_t hash = text.find('#');
  occurrence = 0;
  if (!Number(text.substr(0, hash), id)) return false;
  return hash == std::string_view::npos || Number(text.substr(hash + 1), occurrence);
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

std::optional<CDialogElement> DialogElementOf(const CResDialog& dialog, std::string_view element) {
  if (element == "caption") return CDialogElement{-1, -1};
  const bool control = StartsWith(element, "control/"), init = StartsWith(element, "init/");
  unsigned long id = 0, occurrence = 0;
  if ((!control && !init) || !IdAndOccurrence(element.substr(control ? 8 : 5), id, occurrence)) return std::nullopt;
  for (size_t i = 0; i < dialog.m_items.size(); ++i) {
    if (dialog.m_items[i]->m_id != id) continue;
    const int index = static_cast<int>(i);
    if (init) {
      // Initial strings belong to the first control with the id.
      if (static_cast<int>(occurrence) >= dialog.GetDlgInitCount(index)) return std::nullopt;
      return CDialogElement{index, static_cast<int>(occurrence)};
    }
    if (occurrence-- == 0) return CDialogElement{index, -1};
  }
  return std::nullopt;
}

std::optional<CMenuCell> MenuCellOf(const CResMenu& menu, std::string_view element) {
  size_t slash = element.rfind('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::string_view part = element.substr(slash + 1);
  if (part != "label" && part != "shortcut") return std::nullopt;
  std::string_view path = element.substr(0, slash);
  const CResSubMenu* level = &menu.m_root;
  const CResMenuItem* target = nullptr;
  while (level) {
    size_t dot = path.find('.');
    unsigned long index = 0;
    if (!Number(path.substr(0, dot), index) || index >= level->GetCount()) return std::nullopt;
    target = level->GetItem(index);
    if (dot == std::string_view::npos) break;
    path = path.substr(dot + 1);
    level = target->m_popup.get();
    if (!level) return std::nullopt;
  }
  const std::vector<CResMenuItem*> items = menu.Flatten();
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == target) return CMenuCell{static_cast<int>(i), part == "shortcut"};
  return std::nullopt;
}

std::optional<int> VersionItemOf(const CResVersion& version, std::string_view element) {
  if (element == "FileVersion#fixed") return -3;
  if (element == "ProductVersion#fixed") return -2;
  // The exchange ids number a repeated key from its second occurrence on; values without
  // source text have no id.
  std::string key(element);
  unsigned long occurrence = 0;
  size_t hash = element.rfind('#');
  if (hash != std::string_view::npos && Number(element.substr(hash + 1), occurrence)) key = element.substr(0, hash);
  for (int pass = 0; pass < 2; ++pass) {
    unsigned long seen = 0;
    for (size_t i = 0; i < version.m_values.size(); ++i) {
      const auto& value = *version.m_values[i];
      if (value.m_value.m_text.empty() || ToUtf8(value.m_key) != key) continue;
      if (seen++ == occurrence) return static_cast<int>(i);
    }
    // A key that itself holds '#': taken whole.
    key = element;
    occurrence = 0;
  }
  return std::nullopt;
}

std::string AcceleratorElementId(const CResAcceleratorTable& table, size_t entry) {
  const WORD command = table.GetEntry(entry)->m_commandId;
  int occurrence = 0;
  for (size_t i = 0; i < entry; ++i)
    if (table.GetEntry(i)->m_commandId == command) ++occurrence;
  return "key/" + std::to_string(command) + "#" + std::to_string(occurrence);
}

std::optional<size_t> AcceleratorEntryOf(const CResAcceleratorTable& table, std::string_view element) {
  unsigned long id = 0, occurrence = 0;
  if (!StartsWith(element, "key/") || !IdAndOccurrence(element.substr(4), id, occurrence)) return std::nullopt;
  for (size_t i = 0; i < table.GetCount(); ++i)
    if (table.GetEntry(i)->m_commandId == id && occurrence-- == 0) return i;
  return std::nullopt;
}

std::optional<CTableCell> TableCellOf(std::string_view element) {
  size_t slash = element.find('/');
  unsigned long id = 0;
  if (slash == std::string_view::npos || !Number(element.substr(0, slash), id)) return std::nullopt;
  std::string part(element.substr(slash + 1));
  if (part != "text" && part != "prompt" && part != "tooltip") return std::nullopt;
  return CTableCell{static_cast<DWORD>(id), part};
}

}  // namespace tvl
