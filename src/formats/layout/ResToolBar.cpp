#include "formats/layout/ResToolBar.h"

#include <algorithm>
#include <cstdlib>
#include <ostream>

#include "archive/Archive.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/PromptAndTips.h"
#include "peimage/ResStream.h"
#include "platform/ByteReader.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResToolBar, CResource, VERSIONABLE_SCHEMA | 1)

namespace {
constexpr size_t kHeaderSize = 8;
constexpr WORD kBmpSignature = 0x4D42;  // "BM"
constexpr size_t kBmpFileHeaderSize = 14;
}  // namespace

void CResToolBar::Reset() {
  m_version = 1;
  m_width = 0;
  m_height = 0;
  m_items.m_data.clear();
  m_bitmap.reset();
}

void CResToolBar::Serialize(CArchive& ar) {
  CResource::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_version << m_width << m_height;
    m_items.Serialize(ar);
    ar.WriteObject(m_bitmap.get());
    return;
  }
  ar >> m_version;
  if (m_version != 1) {
    Reset();
    return;
  }
  ar >> m_width >> m_height;
  m_items.Serialize(ar);
  m_bitmap = ar.ReadObject<CResBitmap>();
}

void CResToolBar::Dump(std::ostream& out) const {
  CResource::Dump(out);
  out << "  buttons " << m_width << " x " << m_height << ", ids";
  for (WORD id : m_items.m_data) out << ' ' << id;
  out << '\n';
  if (m_bitmap) m_bitmap->Dump(out);
}

void CResToolBar::Parse(CResStream& stream) {
  if (stream.GetRemaining() < kHeaderSize) {
    Reset();
    throw CResStreamException();
  }
  m_version = stream.ReadWord();
  m_width = stream.ReadWord();
  m_height = stream.ReadWord();
  const WORD count = stream.ReadWord();
  if (m_version != 1 || stream.m_size != kHeaderSize + 2 * size_t{count}) {
    Reset();
    throw CResStreamException();
  }
  m_items.m_data.resize(count);
  for (WORD& id : m_items.m_data) id = stream.ReadWord();
}

void CResToolBar::Write(CCompileContext& context) {
  if (m_bitmap && m_bitmap->m_doNotTranslate && context.m_data.m_satelliteDll && context.m_data.m_noDuplicateNeutral)
    return;
  CResource::Write(context);
}

void CResToolBar::Merge(const CResource& other, bool copyProperties, bool importMode) {
  MergeResourceLevel(other, copyProperties, importMode);
  const auto* o = dynamic_cast<const CResToolBar*>(&other);
  if (o && m_bitmap && o->m_bitmap) m_bitmap->Merge(*o->m_bitmap, copyProperties, importMode);
}

void CResToolBar::WriteData(CResourceData& data) {
  data.WriteWord(m_version);
  data.WriteWord(m_width);
  data.WriteWord(m_height);
  data.WriteWord(static_cast<WORD>(m_items.m_data.size()));
  for (WORD id : m_items.m_data) data.WriteWord(id);
}

bool CResToolBar::GetData(std::vector<BYTE>& bytes, LANGID language) const {
  return m_bitmap && m_bitmap->GetData(bytes, language);
}

bool CResToolBar::FitsBitmapFile(const std::vector<BYTE>& file) const {
  CByteReader in(file);
  if (file.size() <= 53 || in.U16At(0) != kBmpSignature) return false;
  CByteReader header = in.Sub(kBmpFileHeaderSize, file.size() - kBmpFileHeaderSize);
  long width = 0;
  long height = 0;
  if (header.U32At(0) == 12) {
    width = header.U16At(4);
    height = header.U16At(6);
  } else {
    width = static_cast<LONG>(header.U32At(4));
    // A negative height is a top-down bitmap of that many rows.
    height = std::labs(static_cast<LONG>(header.U32At(8)));
  }
  const long buttons = std::count_if(m_items.m_data.begin(), m_items.m_data.end(), [](WORD id) { return id != 0; });
  return height == m_height && width >= buttons * m_width;
}

bool CResToolBar::SetData(const std::vector<BYTE>& bytes, LANGID language, std::unique_ptr<CLocalizedParam>& replaced) {
  if (!m_bitmap || !FitsBitmapFile(bytes)) return false;
  if (!m_bitmap->SetData(bytes, language, replaced)) return false;
  if (!m_statusChain.FindValue(language)) m_statusChain.SetStatus(language, 0);
  return true;
}

std::unique_ptr<CLocalizedParam> CResToolBar::DetachTranslation(LANGID language) {
  m_statusChain.RemoveTranslation(language, true);
  return m_bitmap ? m_bitmap->DetachTranslation(language) : nullptr;
}

void CResToolBar::AttachTranslation(std::unique_ptr<CLocalizedParam> value, int status) {
  if (!value) return;
  m_statusChain.SetStatus(value->m_language, status);
  if (m_bitmap) m_bitmap->AttachTranslation(std::move(value), status);
}

void CResToolBar::CollectTranslationChains(std::vector<CLocalizedParam*>& chains) {
  CResource::CollectTranslationChains(chains);
  if (m_bitmap) m_bitmap->CollectTranslationChains(chains);
}

void CResToolBar::SetTranslationStatus(LANGID language, int status) {
  // The translation a toolbar has is its bitmap's.
  if (CLocalizedParam* n = m_statusChain.FindValue(language)) n->m_status = status;
  if (m_bitmap) m_bitmap->SetTranslationStatus(language, status);
}

void CResToolBar::UpdateStatus(LANGID language) {
  CResource::UpdateStatus(language);
  if (m_bitmap) m_bitmap->UpdateStatus(language);
}

int CResToolBar::ComputeStatus(LANGID language) const {
  int status = m_bitmap && m_bitmap->IsTranslatable() ? m_bitmap->ComputeStatus(language) : kStatusNothingToTranslate;
  for (WORD id : m_items.m_data) {
    if (status == 0) break;
    if (id == 0) continue;
    if (const CPromptAndTip* prompt = tvl::FindCommandPrompt(*this, id)) status = std::min(status, prompt->GetStatus(language));
  }
  return status;
}

void CResToolBar::CollectCommandIds(std::set<DWORD>& ids) const {
  for (WORD id : m_items.m_data)
    if (id != 0) ids.insert(id);
}
