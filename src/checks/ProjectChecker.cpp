#include "checks/ProjectChecker.h"

#include <chrono>
#include <map>
#include <unordered_map>

#include "checks/ConsistencyRule.h"
#include "checks/GroupRules.h"
#include "checks/LayoutRule.h"
#include "checks/PseudoLocalizer.h"
#include "checks/TextRules.h"
#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/ResAccelerator.h"
#include "formats/text/ResMessageTable.h"
#include "platform/LocaleTable.h"
#include "platform/Text.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"
#include "resmodel/CompileContext.h"

namespace {

using tvl::ToUtf8;
using Clock = std::chrono::steady_clock;

enum class EAnsi { kNone, kMessage, kDlgInit };

// What the text rules need to know of a text beyond the text itself.
struct CTextContext {
  bool label = false;
  bool shortcut = false;  // key names: their shape is not prose
  EAnsi ansi = EAnsi::kNone;
};

const char* LocaleOf(LANGID language) {
  const tvl::LocaleInfo* info = tvl::FindLocale(language);
  return info ? info->tag : "";
}

// Whether '&' in a control's text marks a mnemonic: buttons and statics without SS_NOPREFIX.
bool ShowsMnemonic(const CResDialogItem& item) {
  constexpr DWORD kSsNoPrefix = 0x80;
  if (item.IsClass(0x80, u"Button")) return true;
  return item.IsClass(0x82, u"Static") && !(item.m_style & kSsNoPrefix);
}

bool IsTranslated(const CLocalizedString& value, LANGID language) {
  const CLocalizedParam* node = value.FindValue(language);
  return node && node != &value && node->m_status >= kStatusTranslated && !value.IsDoNotTranslate();
}

// One run over one project: ids, contexts and the findings gathered.
class CCheckRun {
 public:
  CCheckRun(CTvlDoc& doc, const CCheckOptions& options, CCheckStatistics& statistics)
      : m_doc(doc), m_options(options), m_statistics(statistics), m_shape(options.identicalTranslation) {
    m_items = tvl::CollectProjectItems(doc);
    for (const CExchangeItem& item : m_items) m_ids[item.m_value] = item.m_id;
    for (const auto& module : doc.m_modules) CollectContexts(*module);
  }

  void CheckTexts(LANGID language);
  void CheckModule(CModule& module, LANGID language);

  std::vector<CCheckFinding> m_findings;

 private:
  void CollectContexts(CModule& module);
  void CheckDialog(const std::string& prefix, CResDialog& dialog, LANGID language);
  void CheckMenuLevel(const CResSubMenu& level, LANGID language,
                      const std::map<DWORD, std::vector<const CResAccelerator*>>& accelerators);
  bool Runs(const char* rule) const { return m_options.disabledRules.count(rule) == 0; }
  void Add(const std::string& id, LANGID language, const char* rule, CRuleHit hit) {
    if (!Runs(rule)) return;
    m_findings.push_back({id, language, rule, hit.m_severity, std::move(hit.m_message)});
  }
  std::string IdOf(const CLocalizedString& value, const std::string& fallback) const {
    auto it = m_ids.find(&value);
    return it == m_ids.end() ? fallback : it->second;
  }

  CTvlDoc& m_doc;
  const CCheckOptions& m_options;
  CCheckStatistics& m_statistics;
  const CTextShapeRule m_shape;
  std::vector<CExchangeItem> m_items;
  std::unordered_map<const CLocalizedString*, std::string> m_ids;
  std::unordered_map<const CLocalizedString*, CTextContext> m_contexts;
  LANGID m_source = 0;
};

void CCheckRun::CollectContexts(CModule& module) {
  for (CResourceType* type : module.m_resTable.GetTypes()) {
    if (auto* messages = dynamic_cast<CResMessageTable*>(type)) {
      for (const auto& s : messages->m_strings)
        if (!s->m_unicode) m_contexts[&s->m_value].ansi = EAnsi::kMessage;
      continue;
    }
    for (const auto& r : type->m_resources) {
      if (auto* dialog = dynamic_cast<CResDialog*>(r.get())) {
        for (const auto& item : dialog->m_items)
          if (ShowsMnemonic(*item)) m_contexts[&item->m_text].label = true;
        for (const auto& entry : dialog->m_dlgInit)
          if (CLocalizedString* text = entry->GetText()) m_contexts[text].ansi = EAnsi::kDlgInit;
      } else if (auto* menu = dynamic_cast<CResMenu*>(r.get())) {
        for (CResMenuItem* item : menu->Flatten()) {
          m_contexts[&item->m_label].label = true;
          m_contexts[&item->m_shortcut].shortcut = true;
        }
      }
    }
  }
}

void CCheckRun::CheckTexts(LANGID language) {
  static const CPlaceholderRule placeholders;
  static const CMnemonicPresenceRule mnemonics;
  const CTextRule* const rules[] = {&placeholders, &mnemonics, &m_shape};
  CConsistencyRule consistency;
  for (const CExchangeItem& item : m_items) {
    if (item.m_kind == TextItemKind::kVersion || item.m_doNotTranslate) continue;
    const CLocalizedString& value = *item.m_value;
    if (!IsTranslated(value, language)) continue;
    const std::u16string& translation = value.GetBuildText(language);
    auto context = m_contexts.find(&value);
    CTextContext c = context == m_contexts.end() ? CTextContext{} : context->second;
    CTextPair pair{value.m_text, translation, c.label};
    if (!c.shortcut) consistency.Add(value.m_text, translation, item.m_id);
    CRuleHits hits;
    for (const CTextRule* rule : rules) {
      // Shortcuts are key names, and a pseudo language's brackets change every ending.
      if (rule == &m_shape && (c.shortcut || IsPseudoLanguage(language))) continue;
      if (!Runs(rule->Name())) continue;
      hits.clear();
      rule->Check(pair, hits);
      for (CRuleHit& hit : hits) Add(item.m_id, language, rule->Name(), std::move(hit));
    }
    if (c.ansi != EAnsi::kNone && Runs("code-page")) {
      UINT codePage = c.ansi == EAnsi::kMessage ? CResMessageTable::AnsiCodePage(language) : tvl::DlgInitCodePage(language);
      std::u16string lost = UnrepresentableCharacters(translation, codePage);
      if (!lost.empty())
        Add(item.m_id, language, "code-page",
            {ECheckSeverity::kError, "Code page " + std::to_string(codePage) + " cannot represent \"" + ToUtf8(lost) +
                                         "\"; the resource is stored as ANSI and would show '?'."});
    }
    ++m_statistics.texts;
  }
  if (Runs(CConsistencyRule::Name()))
    for (auto& [id, hit] : consistency.Check()) Add(id, language, CConsistencyRule::Name(), std::move(hit));
}

void CCheckRun::CheckModule(CModule& module, LANGID language) {
  m_source = module.m_sourceLanguage;
  std::map<DWORD, std::vector<const CResAccelerator*>> accelerators;
  for (CResourceType* type : module.m_resTable.GetTypes())
    for (const auto& r : type->m_resources)
      if (auto* table = dynamic_cast<CResAcceleratorTable*>(r.get()))
        for (size_t i = 0; i < table->GetCount(); ++i) accelerators[table->GetEntry(i)->m_commandId].push_back(table->GetEntry(i));
  const std::string moduleName = ToUtf8(module.GetName());
  for (CResourceType* type : module.m_resTable.GetTypes()) {
    std::string typePrefix = moduleName + "/" + ToUtf8(type->m_identifier.GetText(true)) + "/";
    for (const auto& r : type->m_resources) {
      if (r->m_doNotTranslate) continue;
      if (auto* dialog = dynamic_cast<CResDialog*>(r.get())) {
        CheckDialog(typePrefix + ToUtf8(r->m_identifier.GetText(true)) + "/", *dialog, language);
      } else if (auto* menu = dynamic_cast<CResMenu*>(r.get())) {
        CheckMenuLevel(menu->m_root, language, accelerators);
      }
    }
  }
}

void CCheckRun::CheckDialog(const std::string& prefix, CResDialog& dialog, LANGID language) {
  // Controls are named as the exchange formats name them: id and occurrence of the id.
  std::vector<std::string> ids;
  std::map<DWORD, int> seen;
  std::vector<CLabelPair> labels;
  std::vector<size_t> labelIndex;
  for (size_t i = 0; i < dialog.m_items.size(); ++i) {
    const CResDialogItem& item = *dialog.m_items[i];
    ids.push_back(IdOf(item.m_text, prefix + "control/" + std::to_string(item.m_id) + "#" + std::to_string(seen[item.m_id]++)));
    if (item.m_noText || item.m_text.IsDoNotTranslate() || !ShowsMnemonic(item)) continue;
    labels.push_back({item.m_text.m_text, item.m_text.GetBuildText(language)});
    labelIndex.push_back(i);
  }
  static const CMnemonicConflictRule conflicts;
  for (auto& [i, hit] : conflicts.Check(labels, LocaleOf(m_source), LocaleOf(language)))
    Add(ids[labelIndex[i]], language, CMnemonicConflictRule::Name(), std::move(hit));
  if (!m_options.layout || !Runs(CLayoutRule::Name())) return;
  auto start = Clock::now();
  CResourceData data;
  data.m_language = language;
  CLanguage target(language);
  if (int index = m_doc.m_languages.Find(language); index >= 0) target = m_doc.m_languages[index];
  PreviewFont font = target.GetPreviewFont();
  data.m_fontFace = font.name;
  data.m_fontSize = font.size;
  data.m_fontWeight = 400;
  data.m_fontCharset = static_cast<BYTE>(target.GetCharSet());
  CTemplateMeasuringContext context;
  context.Create(CTemplateMeasuringContext::BuildTemplate(dialog.m_isEx, dialog.m_style, dialog.ChooseFont(data)));
  static const CLayoutRule rule;
  for (auto& [i, hit] : rule.Check(dialog, language, context)) Add(ids[i], language, CLayoutRule::Name(), std::move(hit));
  context.Release();
  ++m_statistics.dialogs;
  m_statistics.layoutSeconds += std::chrono::duration<double>(Clock::now() - start).count();
}

void CCheckRun::CheckMenuLevel(const CResSubMenu& level, LANGID language,
                               const std::map<DWORD, std::vector<const CResAccelerator*>>& accelerators) {
  std::vector<CLabelPair> labels;
  std::vector<const CResMenuItem*> items;
  static const CShortcutRule shortcuts;
  for (size_t i = 0; i < level.GetCount(); ++i) {
    const CResMenuItem* item = level.GetItem(i);
    if (item->m_popup) CheckMenuLevel(*item->m_popup, language, accelerators);
    if (item->m_label.m_text.empty() || item->m_label.IsDoNotTranslate()) continue;
    labels.push_back({item->m_label.m_text, item->m_label.GetBuildText(language)});
    items.push_back(item);
    auto keys = accelerators.find(item->m_id);
    if (item->m_popup || item->m_shortcut.m_text.empty() || keys == accelerators.end()) continue;
    std::vector<CAcceleratorKey> source, target;
    for (const CResAccelerator* a : keys->second) {
      source.push_back({a->m_key.m_hotFlags, a->m_key.m_key});
      const CLocalizedHotKey& k = a->GetBuildKey(language, false);
      target.push_back({k.m_hotFlags, k.m_key});
    }
    if (auto hit = shortcuts.Check(item->m_shortcut.m_text, source, item->m_shortcut.GetBuildText(language), target))
      Add(IdOf(item->m_shortcut, IdOf(item->m_label, "")), language, CShortcutRule::Name(), std::move(*hit));
  }
  static const CMnemonicConflictRule conflicts;
  for (auto& [i, hit] : conflicts.Check(labels, LocaleOf(m_source), LocaleOf(language)))
    Add(IdOf(items[i]->m_label, ""), language, CMnemonicConflictRule::Name(), std::move(hit));
}

}  // namespace

std::vector<CCheckFinding> CProjectChecker::Run(const CCheckOptions& options) {
  auto start = Clock::now();
  m_statistics = {};
  std::vector<LANGID> languages = options.languages;
  if (languages.empty())
    for (const CLanguage& l : m_doc.m_languages) languages.push_back(l.GetLanguage());
  CCheckRun run(m_doc, options, m_statistics);
  for (LANGID language : languages) {
    run.CheckTexts(language);
    for (const auto& module : m_doc.m_modules) run.CheckModule(*module, language);
  }
  m_statistics.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return std::move(run.m_findings);
}

std::vector<CCheckFinding> FilterFindings(const std::vector<CCheckFinding>& findings, ECheckSeverity minimum) {
  std::vector<CCheckFinding> out;
  for (const CCheckFinding& f : findings)
    if (f.m_severity >= minimum) out.push_back(f);
  return out;
}

bool HasErrors(const std::vector<CCheckFinding>& findings) {
  for (const CCheckFinding& f : findings)
    if (f.m_severity == ECheckSeverity::kError) return true;
  return false;
}

std::string CCheckFinding::Module() const { return m_id.substr(0, m_id.find('/')); }

std::string CCheckFinding::Resource() const {
  size_t a = m_id.find('/');
  size_t b = a == std::string::npos ? a : m_id.find('/', a + 1);
  size_t c = b == std::string::npos ? b : m_id.find('/', b + 1);
  if (a == std::string::npos) return {};
  return m_id.substr(a + 1, c == std::string::npos ? std::string::npos : c - a - 1);
}

std::string CCheckFinding::Element() const {
  size_t pos = 0;
  for (int i = 0; i < 3 && pos != std::string::npos; ++i) pos = m_id.find('/', pos ? pos + 1 : 0);
  return pos == std::string::npos ? std::string() : m_id.substr(pos + 1);
}

const char* SeverityName(ECheckSeverity severity) { return severity == ECheckSeverity::kError ? "error" : "warning"; }
