#include "formats/layout/ResManifest.h"

#include <ostream>
#include <string_view>

#include "archive/Archive.h"
#include "peimage/ResStream.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResManifest, CResource, VERSIONABLE_SCHEMA | 1)

namespace {
std::u16string DecodeUtf8(const BYTE* p, size_t n) {
  return tvl::MultiByteToWide(65001, std::string_view(reinterpret_cast<const char*>(p), n));
}
}  // namespace

CResManifest::CResManifest() { m_doNotTranslate = 1; }

void CResManifest::Serialize(CArchive& ar) {
  CResource::Serialize(ar);
  m_text.Serialize(ar);
}

void CResManifest::Dump(std::ostream& out) const {
  CResource::Dump(out);
  for (const CLocalizedParam* n = &m_text; n; n = n->GetNext()) {
    out << "  language " << std::hex << n->m_language << std::dec << ", status " << n->m_status;
    if (const auto* s = dynamic_cast<const CLocalizedString*>(n)) out << ", " << s->m_text.size() << " characters";
    out << '\n';
  }
}

void CResManifest::Parse(CResStream& stream) {
  const size_t n = stream.GetRemaining();
  std::u16string text = DecodeUtf8(n ? stream.Read(n) : nullptr, n);
  if (text.empty()) throw CResStreamException();
  m_text.m_text = std::move(text);
  m_text.m_language = stream.m_language;
  m_text.m_status = 0;
}

void CResManifest::Merge(const CResource& other, bool copyProperties, bool importMode) {
  MergeResourceLevel(other, copyProperties, importMode);
  if (const auto* o = dynamic_cast<const CResManifest*>(&other)) m_text.MergeFrom(o->m_text, copyProperties, importMode);
}

const std::u16string& CResManifest::GetBuildText(LANGID language) const {
  if (!IsTranslatable()) return m_text.m_text;
  return m_text.GetBuildText(language);
}

void CResManifest::WriteData(CResourceData& data) {
  // No terminator: the document is exactly its UTF-8 bytes.
  const std::string bytes = tvl::WideToMultiByte(65001, GetBuildText(data.m_language));
  if (!bytes.empty()) data.WriteBytes(bytes.data(), bytes.size());
}

bool CResManifest::GetData(std::vector<BYTE>& bytes, LANGID language) const {
  const std::string utf8 = tvl::WideToMultiByte(65001, GetBuildText(language));
  bytes.assign(utf8.begin(), utf8.end());
  return true;
}

bool CResManifest::SetData(const std::vector<BYTE>& bytes, LANGID language, std::unique_ptr<CLocalizedParam>& replaced) {
  std::u16string text = DecodeUtf8(bytes.data(), bytes.size());
  if (text.empty()) return false;
  replaced = TakeOutForReplacement(language);
  m_text.SetTranslation(text, language);
  return true;
}

int CResManifest::ComputeStatus(LANGID language) const {
  if (m_text.m_text.empty()) return kStatusNothingToTranslate;
  return CWholeResource::ComputeStatus(language);
}
