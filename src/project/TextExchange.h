#pragma once
// Translations exchanged with translators' tools and scripts: XLIFF 1.2 and 2.1, gettext PO
// and JSON. Writers take plain units; readers give entries back without touching a project,
// so a file is parsed completely before anything is applied.
//
// Statuses and the files' states, written / read:
//   not translated     XLIFF 1.2 target state needs-translation (empty)   2.1 initial, no target
//   not up to date     needs-review-translation / PO #, fuzzy             2.1 initial + target
//   translated         translated (approved)                              2.1 translated
//   edited (status 2)  final (approved)                                   2.1 final
// Read back, any needs-* or new state, an unapproved unit without state, a 2.1 initial
// segment and a fuzzy PO entry give status 0; final and signed-off give status 2.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

class CTvlDoc;

enum class ExchangeFormat { kXliff, kPo, kJson, kXliff2 };

// One text to translate as written to a file.
struct ExchangeUnit {
  std::string m_id;
  std::u16string m_source;
  std::optional<std::u16string> m_translation;
  int m_status = 0;  // of the target language
  bool m_doNotTranslate = false;

  // Hints for translators' tools; nothing of them is read back.
  std::string m_group;      // units of one resource share it ("m.exe/5/100") and are written together
  std::string m_groupName;  // the resource's name
  std::string m_groupType;  // its kind: "dialog", "menu", "x-stringtable", ...
  std::string m_restype;    // the element's kind: "caption", "pushbutton", "menuitem", "string", ...
  std::u16string m_context;  // the dialog's caption or the menu path above the item
  std::optional<std::array<int, 4>> m_coord;  // x, y, cx, cy in dialog units, grown to fit the translation
};

// The units of one module (an XLIFF <file>).
struct ExchangeGroup {
  std::string m_original;
  std::vector<ExchangeUnit> m_units;
};

struct ExchangeDocument {
  std::string m_sourceTag;  // "en-US"
  std::string m_targetTag;
  std::vector<ExchangeGroup> m_groups;
  std::int64_t m_time = 0;  // seconds since 1970, for the dates of the PO header
  bool m_template = false;  // sources only: a PO template for msgmerge
};

// One translation read back from a file.
struct ImportEntry {
  std::string m_id;
  std::optional<std::u16string> m_source;  // when the file gives it
  std::u16string m_translation;
  bool m_fuzzy = false;  // gets status 0
  bool m_final = false;  // marked final or signed off: gets status 2
  bool m_doNotTranslate = false;
};

struct ImportFile {
  std::string m_targetTag;  // empty when the file does not say
  std::vector<ImportEntry> m_entries;
};

namespace tvl {
std::string WriteXliff(const ExchangeDocument& doc);
std::string WriteXliff2(const ExchangeDocument& doc);  // XLIFF 2.1
std::string WritePo(const ExchangeDocument& doc);
std::string WriteJson(const ExchangeDocument& doc);
std::string WriteExchange(const ExchangeDocument& doc, ExchangeFormat format);

// Each returns false with a message naming the place of the fault. Entries without a
// translation are left out.
bool ReadXliff(const std::string& bytes, ImportFile& file, std::string& error);  // 1.2 (or 1.1) and 2
bool ReadPo(const std::string& bytes, ImportFile& file, std::string& error);
bool ReadJson(const std::string& bytes, ImportFile& file, std::string& error);
// The format from the content: '{' JSON, '<' XLIFF, else PO.
ExchangeFormat GuessFormat(const std::string& bytes);
bool ReadExchange(const std::string& bytes, ExchangeFormat format, ImportFile& file, std::string& error);

// The project's texts for a target language; todoOnly keeps those with status 0; a template
// has the sources only. The time is SOURCE_DATE_EPOCH when set, so exports can be reproduced.
ExchangeDocument BuildExport(CTvlDoc& doc, LANGID language, bool todoOnly, bool asTemplate = false);
// What translators' tools show of a unit, one hint a line: its kind, context, width limit.
std::vector<std::string> UnitNotes(const ExchangeUnit& unit);

struct ImportResult {
  int m_applied = 0;
  int m_unknown = 0;
  int m_skipped = 0;  // marked do not translate, or refused values
};
// Checks every entry against the project first (unknown ids are reported as warnings,
// version texts that do not parse as errors); applies nothing when an error was found.
// Returns false on an error.
bool ApplyImport(CTvlDoc& doc, LANGID language, const ImportFile& file, ImportResult& result);
}  // namespace tvl
