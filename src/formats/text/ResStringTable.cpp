#include "formats/text/ResStringTable.h"

#include <algorithm>
#include <new>
#include <ostream>

#include "archive/Archive.h"
#include "peimage/PeFormat.h"
#include "peimage/ResStream.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResTable.h"

IMPLEMENT_SERIAL(CResString, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CResStringTable, CResourceType, VERSIONABLE_SCHEMA | 2)

namespace {

constexpr WORD kStringsPerBlock = 16;

// A block entry holds a 16-bit length: text up to the first NUL, at most 0xFFFF units.
std::u16string_view WritableText(const std::u16string& text) {
  std::u16string_view view(text);
  size_t nul = view.find(u'\0');
  if (nul != std::u16string_view::npos) view = view.substr(0, nul);
  if (view.size() > 0xFFFF) view = view.substr(0, 0xFFFF);
  return view;
}

}  // namespace

// ---------------------------------------------------------------------------------------

void CResString::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_id << static_cast<BYTE>(m_unicode ? 1 : 0);
  } else {
    ar.GetObjectSchema();
    BYTE unicode = 1;
    ar >> m_id >> unicode;
    m_unicode = unicode ? 1 : 0;
  }
  m_value.Serialize(ar);
}

// ---------------------------------------------------------------------------------------

CResStringTable::CResStringTable()
    : CResourceType(6, nullptr, u"String Table", 16, 16, 4, 4, u"bin", u"Resource Files (*.bin)") {}

CResStringTable::~CResStringTable() = default;

void CResStringTable::RebuildIndex() const {
  m_index.clear();
  m_index.reserve(m_strings.size());
  for (size_t i = 0; i < m_strings.size(); ++i) m_index.try_emplace(m_strings[i]->m_id, i);
  m_indexedCount = m_strings.size();
}

CResString* CResStringTable::FindString(DWORD id) const {
  if (m_indexedCount != m_strings.size()) RebuildIndex();
  auto it = m_index.find(id);
  if (it == m_index.end()) return nullptr;
  if (it->second < m_strings.size() && m_strings[it->second]->m_id == id) return m_strings[it->second].get();
  // The array was changed in place: look again from scratch.
  RebuildIndex();
  it = m_index.find(id);
  return it == m_index.end() ? nullptr : m_strings[it->second].get();
}

CResString* CResStringTable::AddString(std::unique_ptr<CResString> string) {
  if (m_indexedCount != m_strings.size()) RebuildIndex();
  m_index.try_emplace(string->m_id, m_strings.size());
  m_strings.push_back(std::move(string));
  m_indexedCount = m_strings.size();
  return m_strings.back().get();
}

void CResStringTable::RemoveAllStrings() {
  m_strings.clear();
  m_index.clear();
  m_indexedCount = 0;
  ClearStatusCache();
}

void CResStringTable::ReportParseError(const CResStream& stream, const CException* e) {
  std::u16string message = e ? e->GetErrorText().substr(0, 500) : std::u16string();
  if (message.empty()) message = u"Invalid Format";
  DoMessageBox(FormatMessageText(u"Error parsing resource (type %1 - Id %2) : %3",
                                 {Arg(CResourceIdentifier(stream.m_type).GetText(false)),
                                  Arg(CResourceIdentifier(stream.m_name).GetText(true)), Arg(message)}),
               MB_ICONERROR);
}

void CResStringTable::TakeStrings(std::vector<std::unique_ptr<CResString>> parsed, LANGID language) {
  for (auto& s : parsed) {
    if (CResString* existing = FindString(s->m_id))
      existing->m_value.SetTranslation(s->m_value.m_text, language);
    else
      AddString(std::move(s));
  }
  ClearStatusCache();
}

bool CResStringTable::AddResource(CResStream& stream) {
  // The whole block is read before any string is taken, so a block that fails leaves
  // nothing behind.
  std::vector<std::unique_ptr<CResString>> parsed;
  try {
    if (!stream.m_name.IsOrdinal()) throw CResStreamException();
    const WORD block = stream.m_name.GetOrdinal();
    for (WORD index = 0; index < kStringsPerBlock; ++index) {
      const WORD length = stream.ReadWord();
      if (length == 0) continue;
      const BYTE* p = stream.Read(size_t{length} * 2);
      std::u16string text(length, u'\0');
      for (size_t i = 0; i < length; ++i) text[i] = static_cast<char16_t>(pe::Get16(p + 2 * i));
      // What follows a NUL is never written and does not survive the project file.
      text.resize(std::min(text.find(u'\0'), text.size()));
      if (text.empty()) continue;
      const WORD id = static_cast<WORD>((block - 1) * kStringsPerBlock + index);
      parsed.push_back(std::make_unique<CResString>(id, 1, std::move(text), stream.m_language));
    }
  } catch (const CException& e) {
    ReportParseError(stream, &e);
    return false;
  } catch (const std::bad_alloc&) {
    return false;  // a count that claims more than memory holds
  }
  TakeStrings(std::move(parsed), stream.m_language);
  return true;
}

void CResStringTable::Dump(std::ostream& out) const {
  out << "Type " << tvl::ToUtf8(GetDisplayName()) << " (" << m_strings.size() << " strings)\n";
  for (const auto& s : m_strings) {
    out << "  " << s->m_id << (s->m_unicode ? "" : " (ANSI)") << (s->m_value.IsDoNotTranslate() ? " (do not translate)" : "")
        << ": \"" << tvl::ToUtf8(s->m_value.m_text) << "\"\n";
    for (const CLocalizedParam* n = s->m_value.GetNext(); n; n = n->GetNext()) {
      out << "    language " << std::hex << n->m_language << std::dec << " status " << n->m_status;
      if (n->IsKindOf(RUNTIME_CLASS(CLocalizedString)))
        out << ": \"" << tvl::ToUtf8(static_cast<const CLocalizedString*>(n)->m_text) << '"';
      out << '\n';
    }
  }
}

void CResStringTable::Write(CCompileContext& context) {
  if (m_strings.empty()) return;
  const LANGID language = context.m_targetLanguage;
  context.m_type = CResName(WORD{6});

  std::vector<std::pair<DWORD, size_t>> order;
  order.reserve(m_strings.size());
  for (size_t i = 0; i < m_strings.size(); ++i) order.emplace_back(m_strings[i]->m_id, i);
  std::sort(order.begin(), order.end());

  CResourceData& data = context.m_data;
  DWORD previousId = 0;
  DWORD previousBlock = 0;  // 0: no block started
  auto finishBlock = [&](DWORD lastIndex) {
    for (DWORD i = lastIndex + 1; i < kStringsPerBlock; ++i) data.WriteWord(0);
    context.m_name = CResName(static_cast<WORD>(previousBlock));
    context.AddToWriter();
  };
  for (const auto& [id, position] : order) {
    // Ids of a string table are 16-bit; a repeated id would overfill its block.
    if (id > 0xFFFF) break;
    if (previousBlock != 0 && id == previousId) continue;
    const DWORD block = id / kStringsPerBlock + 1;
    const DWORD index = id % kStringsPerBlock;
    if (block != previousBlock) {
      if (previousBlock != 0) finishBlock(previousId % kStringsPerBlock);
      data.Reset();
      for (DWORD i = 0; i < index; ++i) data.WriteWord(0);
    } else {
      for (DWORD i = previousId % kStringsPerBlock + 1; i < index; ++i) data.WriteWord(0);
    }
    std::u16string_view text = WritableText(m_strings[position]->m_value.GetBuildText(language));
    data.WriteWord(static_cast<WORD>(text.size()));
    for (char16_t c : text) data.WriteWord(static_cast<WORD>(c));
    previousId = id;
    previousBlock = block;
  }
  if (previousBlock != 0) finishBlock(previousId % kStringsPerBlock);
}

void CResStringTable::Merge(const CResourceType& other, bool copyProperties, bool importMode) {
  const auto* theirs = dynamic_cast<const CResStringTable*>(&other);
  if (!theirs) return;
  for (const auto& s : theirs->m_strings)
    if (CResString* mine = FindString(s->m_id)) mine->m_value.MergeFrom(s->m_value, copyProperties, importMode);
  ClearStatusCache();
}

const CPromptAndTips* CResStringTable::ClaimingPrompts() const {
  const auto* table = dynamic_cast<const CResTable*>(m_owner);
  // Only the string table proper: message ids are no command ids.
  if (!table || &table->m_stringTable != this || !table->m_promptAndTips.m_enabled) return nullptr;
  return &table->m_promptAndTips;
}

int CResStringTable::ComputeStatus(LANGID language) const {
  const CPromptAndTips* prompts = ClaimingPrompts();
  int status = kStatusNothingToTranslate;
  for (const auto& s : m_strings) {
    if (s->m_value.IsDoNotTranslate() || (prompts && prompts->Find(s->m_id))) continue;
    status = std::min(status, s->m_value.m_text.empty() ? kStatusNothingToTranslate : s->m_value.GetValueStatus(language));
    if (status == kStatusNotTranslated) break;
  }
  return status;
}

void CResStringTable::ClearStatusCache() {
  m_statusCache.m_next.reset();
  m_statusCache.m_language = kNoLanguage;
  m_statusCache.m_status = 0;
  m_statusCacheUsed = false;
}

void CResStringTable::StoreStatus(LANGID language, int status) const {
  if (!m_statusCacheUsed) {
    m_statusCache.m_language = language;
    m_statusCache.m_status = status;
    m_statusCacheUsed = true;
    return;
  }
  for (CLocalizedParam* n = &m_statusCache; n; n = n->GetNext()) {
    if (n->m_language == language) {
      n->m_status = status;
      return;
    }
  }
  m_statusCache.Append(std::make_unique<CLocalizedParam>(language, status));
}

void CResStringTable::UpdateStatus(LANGID language) { StoreStatus(language, ComputeStatus(language)); }

int CResStringTable::GetStatus(LANGID language) const {
  if (m_statusCacheUsed)
    for (const CLocalizedParam* n = &m_statusCache; n; n = n->GetNext())
      if (n->m_language == language) return n->m_status;
  const int status = ComputeStatus(language);
  StoreStatus(language, status);
  return status;
}

void CResStringTable::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    CResourceType::Serialize(ar);
    ar.WriteCount(m_strings.size());
    for (const auto& s : m_strings) ar.WriteObject(s.get());
    m_resourceName.Serialize(ar);
    return;
  }
  const UINT schema = ar.GetObjectSchema();
  CResourceType::Serialize(ar);
  RemoveAllStrings();
  const size_t count = ar.ReadCount();
  ar.CheckAvailable(count, 2);
  m_strings.reserve(count);
  for (size_t i = 0; i < count; ++i)
    if (std::unique_ptr<CResString> s = ar.ReadObject<CResString>()) AddString(std::move(s));
  // Older files have no resource name.
  if (schema == 0xFFFFFFFF || schema >= 2)
    m_resourceName.Serialize(ar);
  else
    m_resourceName.Clear();
}
