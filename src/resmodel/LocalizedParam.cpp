#include "resmodel/LocalizedParam.h"

#include "archive/Archive.h"
#include "archive/Collections.h"
#include "platform/Text.h"

IMPLEMENT_SERIAL(CLocalizedParam, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CLocalizedString, CLocalizedParam, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CLocalizedStringSizePos, CLocalizedString, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CLocalizedFontReference, CLocalizedString, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CLocalizedPoint, CLocalizedParam, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CLocalizedHotKey, CLocalizedParam, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CLocalizedBlob, CLocalizedParam, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CLocalizedObject, CLocalizedParam, VERSIONABLE_SCHEMA | 1)

// ---------------------------------------------------------------------------------------
// The chain

CLocalizedParam::~CLocalizedParam() {
  // Unlink iteratively: a long chain must not recurse once per node.
  std::unique_ptr<CLocalizedParam> next = std::move(m_next);
  while (next) next = std::move(next->m_next);
}

void CLocalizedParam::SetTranslation(const std::u16string&, LANGID) {}

CLocalizedParam* CLocalizedParam::FindValue(LANGID language) {
  if (language == 0 || language == m_language) return this;
  for (CLocalizedParam* n = m_next.get(); n; n = n->m_next.get())
    if (n->m_language == language) return n;
  return nullptr;
}

const CLocalizedParam* CLocalizedParam::FindValue(LANGID language) const {
  return const_cast<CLocalizedParam*>(this)->FindValue(language);
}

int CLocalizedParam::GetValueStatus(LANGID language) const {
  const CLocalizedParam* n = FindValue(language);
  return n ? n->m_status : 0;
}

void CLocalizedParam::Append(std::unique_ptr<CLocalizedParam> node) {
  CLocalizedParam* last = this;
  while (last->m_next) last = last->m_next.get();
  last->m_next = std::move(node);
}

void CLocalizedParam::SetStatus(LANGID language, int status) {
  if (CLocalizedParam* n = FindValue(language)) {
    n->m_status = status;
    return;
  }
  Append(std::make_unique<CLocalizedParam>(language, status));
}

std::unique_ptr<CLocalizedParam> CLocalizedParam::RemoveTranslation(LANGID language, bool deleteIt) {
  for (CLocalizedParam* prev = this; prev->m_next; prev = prev->m_next.get()) {
    if (prev->m_next->m_language != language) continue;
    std::unique_ptr<CLocalizedParam> node = std::move(prev->m_next);
    prev->m_next = std::move(node->m_next);
    if (deleteIt) return nullptr;
    return node;
  }
  return nullptr;
}

void CLocalizedParam::ResetStatuses() {
  for (CLocalizedParam* n = this; n; n = n->m_next.get()) n->m_status = 0;
}

void CLocalizedParam::SetDoNotTranslate(bool on) {
  if (on)
    m_flags |= kFlagDoNotTranslate;
  else
    m_flags &= static_cast<WORD>(~kFlagDoNotTranslate);
}

int CLocalizedParam::EffectiveStatus(LANGID language, bool sourceEmpty) const {
  if (IsDoNotTranslate() || sourceEmpty) return kStatusNothingToTranslate;
  return GetValueStatus(language);
}

std::vector<LANGID> CLocalizedParam::Languages() const {
  std::vector<LANGID> out;
  for (const CLocalizedParam* n = this; n; n = n->m_next.get()) out.push_back(n->m_language);
  return out;
}

void CLocalizedParam::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    const CLocalizedParam* next = m_next.get();
    while (next && !ar.PassesLanguage(next->m_language)) next = next->m_next.get();
    ar << static_cast<WORD>(m_language) << m_flags << static_cast<DWORD>(m_status);
    ar << static_cast<BYTE>(next ? 1 : 0);
    if (next) ar.WriteObject(next);
  } else {
    ar.GetObjectSchema();
    WORD language = 0, flags = 0;
    DWORD status = 0;
    BYTE hasNext = 0;
    ar >> language >> flags >> status >> hasNext;
    m_language = language;
    m_flags = flags;
    m_status = static_cast<int>(status);
    m_next.reset();
    if (hasNext) {
      std::unique_ptr<CLocalizedParam> next = ar.ReadObject<CLocalizedParam>();
      // The node's own following nodes were filtered while it was read.
      if (next && !ar.PassesLanguage(next->m_language)) next = std::move(next->m_next);
      m_next = std::move(next);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Merging: the same walk for every class, with the class's equality and set operation.

template <class T, class Equal, class Take>
void CLocalizedParam::MergeChain(const T& other, bool copyProperties, bool importMode, Equal equal, Take take) {
  T& self = static_cast<T&>(*this);
  bool changed = (copyProperties || importMode) && !equal(self, other);
  const CLocalizedParam* first = importMode ? other.m_next.get() : &other;
  for (const CLocalizedParam* n = first; n; n = n->m_next.get()) {
    // A plain status node carries no value to take.
    if (n->GetRuntimeClass() != other.GetRuntimeClass()) continue;
    const T& node = static_cast<const T&>(*n);
    LANGID lang = node.m_language;
    CLocalizedParam* target = FindValue(lang);
    if (!target) {
      take(self, node, lang, false);
      // The project's own translations keep their status when they move into a fresh read
      // of the source: one already marked out of date stays so until someone reviews it.
      if (copyProperties && !importMode) SetStatus(lang, node.m_status);
    } else if (importMode)
      take(self, node, lang, true);
    if (changed && importMode) SetStatus(lang, 0);
  }
  if (changed) {
    if (!copyProperties) return;
    ResetStatuses();
  }
  if (copyProperties) m_flags = static_cast<WORD>((m_flags & ~kFlagDoNotTranslate) | (other.m_flags & kFlagDoNotTranslate));
}

// ---------------------------------------------------------------------------------------
// Text values

bool TextsEqual(const std::u16string& a, const std::u16string& b) { return a == b || tvl::CollateText(a, b, false) == 0; }

void CLocalizedString::Serialize(CArchive& ar) {
  CLocalizedParam::Serialize(ar);
  if (ar.IsStoring())
    ar << m_text;
  else
    ar >> m_text;
}

void CLocalizedString::SetTranslation(const std::u16string& text, LANGID language) {
  if (auto* n = static_cast<CLocalizedString*>(FindValue(language))) {
    n->m_text = text;
    n->m_status = (language == m_language) ? 0 : 1;
    return;
  }
  auto node = std::make_unique<CLocalizedString>(text, language, 1);
  Append(std::move(node));
}

const std::u16string& CLocalizedString::GetText(LANGID language) const {
  const CLocalizedParam* n = FindValue(language);
  if (n && n->IsKindOf(RUNTIME_CLASS(CLocalizedString))) return static_cast<const CLocalizedString*>(n)->m_text;
  return m_text;
}

const std::u16string& CLocalizedString::GetBuildText(LANGID language) const {
  if (IsDoNotTranslate()) return m_text;
  const CLocalizedParam* n = FindValue(language);
  if (n && n != this && n->m_status >= 1 && n->IsKindOf(RUNTIME_CLASS(CLocalizedString)))
    return static_cast<const CLocalizedString*>(n)->m_text;
  return m_text;
}

void CLocalizedString::MergeFrom(const CLocalizedString& other, bool copyProperties, bool importMode) {
  MergeChain(
      other, copyProperties, importMode,
      [](const CLocalizedString& a, const CLocalizedString& b) { return TextsEqual(a.m_text, b.m_text); },
      [](CLocalizedString& self, const CLocalizedString& node, LANGID lang, bool) {
        self.CLocalizedString::SetTranslation(node.m_text, lang);
      });
}

// ---------------------------------------------------------------------------------------
// Version numbers: a text and its four parts

void CLocalizedStringSizePos::Serialize(CArchive& ar) {
  CLocalizedString::Serialize(ar);
  if (ar.IsStoring()) {
    for (WORD n : m_numbers) ar << n;
  } else {
    for (WORD& n : m_numbers) ar >> n;
  }
}

void CLocalizedStringSizePos::SetTranslation(const std::u16string& text, LANGID language) {
  if (auto* n = static_cast<CLocalizedStringSizePos*>(FindValue(language))) {
    n->m_text = text;
    n->m_status = 1;
    return;
  }
  auto node = std::make_unique<CLocalizedStringSizePos>();
  node->m_text = text;
  node->m_language = language;
  node->m_status = 1;
  for (WORD& w : node->m_numbers) w = 0xFFFF;
  Append(std::move(node));
}

void CLocalizedStringSizePos::SetSizePos(LANGID language, const std::u16string& text, WORD n0, WORD n1, WORD n2,
                                         WORD n3) {
  const WORD numbers[4] = {n0, n1, n2, n3};
  auto* n = static_cast<CLocalizedStringSizePos*>(FindValue(language));
  if (!n) {
    auto node = std::make_unique<CLocalizedStringSizePos>();
    node->m_language = language;
    n = node.get();
    Append(std::move(node));
    for (int i = 0; i < 4; ++i) n->m_numbers[i] = numbers[i];
  } else if (!(n0 == 0xFFFF && n1 == 0xFFFF && n2 == 0xFFFF && n3 == 0xFFFF)) {
    for (int i = 0; i < 4; ++i) n->m_numbers[i] = numbers[i];
  }
  n->m_text = text;
  n->m_status = 1;
}

void CLocalizedStringSizePos::MergeFrom(const CLocalizedStringSizePos& other, bool copyProperties, bool importMode) {
  MergeChain(
      other, copyProperties, importMode,
      [](const CLocalizedStringSizePos& a, const CLocalizedStringSizePos& b) {
        return TextsEqual(a.m_text, b.m_text) && std::equal(a.m_numbers, a.m_numbers + 4, b.m_numbers);
      },
      [](CLocalizedStringSizePos& self, const CLocalizedStringSizePos& node, LANGID lang, bool) {
        self.SetSizePos(lang, node.m_text, node.m_numbers[0], node.m_numbers[1], node.m_numbers[2],
                        node.m_numbers[3]);
      });
}

// ---------------------------------------------------------------------------------------
// Dialog fonts

void CLocalizedFontReference::Serialize(CArchive& ar) {
  CLocalizedString::Serialize(ar);
  if (ar.IsStoring())
    ar << m_pointSize << m_weight << m_italic << m_charSet;
  else
    ar >> m_pointSize >> m_weight >> m_italic >> m_charSet;
}

void CLocalizedFontReference::SetTranslation(const std::u16string& text, LANGID language) {
  auto* n = FindOrAppend<CLocalizedFontReference>(language);
  n->m_text = text;
  n->m_pointSize = 8;
  n->m_weight = 0xFFFF;
  n->m_italic = 0;
  n->m_charSet = 0;
  n->m_status = 1;
}

void CLocalizedFontReference::SetFont(LANGID language, const std::u16string& face, WORD pointSize, WORD weight,
                                      BYTE italic, BYTE charSet) {
  auto* n = FindOrAppend<CLocalizedFontReference>(language);
  n->m_text = face;
  n->m_pointSize = pointSize;
  n->m_weight = weight;
  n->m_italic = italic;
  n->m_charSet = charSet;
  n->m_status = 1;
}

void CLocalizedFontReference::MergeFrom(const CLocalizedFontReference& other, bool copyProperties, bool importMode) {
  MergeChain(
      other, copyProperties, importMode,
      [](const CLocalizedFontReference& a, const CLocalizedFontReference& b) {
        return TextsEqual(a.m_text, b.m_text) && a.m_pointSize == b.m_pointSize && a.m_weight == b.m_weight &&
               a.m_italic == b.m_italic && a.m_charSet == b.m_charSet;
      },
      [](CLocalizedFontReference& self, const CLocalizedFontReference& node, LANGID lang, bool) {
        self.SetFont(lang, node.m_text, node.m_pointSize, node.m_weight, node.m_italic, node.m_charSet);
      });
}

// ---------------------------------------------------------------------------------------
// Coordinates and accelerator keys

void CLocalizedPoint::Serialize(CArchive& ar) {
  CLocalizedParam::Serialize(ar);
  if (ar.IsStoring()) {
    ar << static_cast<DWORD>(m_x) << static_cast<DWORD>(m_y);
  } else {
    DWORD x = 0, y = 0;
    ar >> x >> y;
    m_x = static_cast<int>(x);
    m_y = static_cast<int>(y);
  }
}

void CLocalizedPoint::SetPoint(LANGID language, int x, int y) {
  auto* n = FindOrAppend<CLocalizedPoint>(language);
  n->m_x = x;
  n->m_y = y;
  n->m_status = 1;
}

void CLocalizedPoint::MergeFrom(const CLocalizedPoint& other, bool copyProperties, bool importMode) {
  MergeChain(
      other, copyProperties, importMode,
      [](const CLocalizedPoint& a, const CLocalizedPoint& b) { return a.m_x == b.m_x && a.m_y == b.m_y; },
      [](CLocalizedPoint& self, const CLocalizedPoint& node, LANGID lang, bool) {
        self.SetPoint(lang, node.m_x, node.m_y);
      });
}

void CLocalizedHotKey::Serialize(CArchive& ar) {
  CLocalizedParam::Serialize(ar);
  if (ar.IsStoring())
    ar << m_hotFlags << m_key;
  else
    ar >> m_hotFlags >> m_key;
}

void CLocalizedHotKey::SetHotKey(LANGID language, WORD flags, WORD key) {
  auto* n = FindOrAppend<CLocalizedHotKey>(language);
  n->m_hotFlags = flags;
  n->m_key = key;
  n->m_status = 1;
}

void CLocalizedHotKey::MergeFrom(const CLocalizedHotKey& other, bool copyProperties, bool importMode) {
  MergeChain(
      other, copyProperties, importMode,
      [](const CLocalizedHotKey& a, const CLocalizedHotKey& b) {
        return a.m_hotFlags == b.m_hotFlags && a.m_key == b.m_key;
      },
      [](CLocalizedHotKey& self, const CLocalizedHotKey& node, LANGID lang, bool) {
        self.SetHotKey(lang, node.m_hotFlags, node.m_key);
      });
}

// ---------------------------------------------------------------------------------------
// Binary values

void CLocalizedBlob::Serialize(CArchive& ar) {
  CLocalizedParam::Serialize(ar);
  CByteArray bytes;
  if (ar.IsStoring()) {
    bytes.m_data = m_data;
    ar.SerializeClass(RUNTIME_CLASS(CByteArray));
    bytes.Serialize(ar);
  } else {
    ar.SerializeClass(RUNTIME_CLASS(CByteArray));
    bytes.Serialize(ar);
    m_data = std::move(bytes.m_data);
  }
}

void CLocalizedBlob::SetBlob(LANGID language, std::vector<BYTE> data) {
  auto* n = FindOrAppend<CLocalizedBlob>(language);
  n->m_data = std::move(data);
  n->m_status = 1;
}

void CLocalizedBlob::MergeFrom(const CLocalizedBlob& other, bool copyProperties, bool importMode) {
  MergeChain(
      other, copyProperties, importMode,
      [](const CLocalizedBlob& a, const CLocalizedBlob& b) { return a.m_data == b.m_data; },
      [importMode](CLocalizedBlob& self, const CLocalizedBlob& node, LANGID lang, bool exists) {
        // A missing language is added only with bytes; in import mode an existing node is
        // overwritten even with empty bytes.
        if (!exists && node.m_data.empty()) return;
        if (exists && !importMode) return;
        self.SetBlob(lang, node.m_data);
      });
}

void CLocalizedObject::Serialize(CArchive& ar) {
  CLocalizedParam::Serialize(ar);
  if (ar.IsStoring())
    ar.WriteObject(m_object.get());
  else
    m_object = ar.ReadObject(RUNTIME_CLASS(CObject));
}

void CLocalizedObject::SetObject(LANGID language, std::unique_ptr<CObject> object) {
  auto* n = FindOrAppend<CLocalizedObject>(language);
  n->m_object = std::move(object);
  n->m_status = 1;
}

namespace {
std::unique_ptr<CObject> Copy(const CObject* object) {
  if (const auto* d = dynamic_cast<const CDuplicatableObject*>(object)) return d->Duplicate();
  return nullptr;
}
}  // namespace

void CLocalizedObject::MergeFrom(const CLocalizedObject& other, bool copyProperties, bool importMode, bool isIcon) {
  MergeChain(
      other, copyProperties, importMode,
      [isIcon](const CLocalizedObject& a, const CLocalizedObject& b) {
        if (!a.m_object || !b.m_object) return !a.m_object && !b.m_object;
        const auto* d = dynamic_cast<const CDuplicatableObject*>(a.m_object.get());
        return d && d->IsEqual(*b.m_object, isIcon);
      },
      [](CLocalizedObject& self, const CLocalizedObject& node, LANGID lang, bool) {
        self.SetObject(lang, Copy(node.m_object.get()));
      });
}

// ---------------------------------------------------------------------------------------


std::u16string StatusText(int status, bool hasTranslation, bool toolbarBitmap) {
  switch (status) {
    case 0:
      if (hasTranslation) return toolbarBitmap ? u"Bitmap translation is not up-to-date." : u"Translation is not up-to-date.";
      return toolbarBitmap ? u"Bitmap not translated yet." : u"Not translated yet.";
    case 1: return toolbarBitmap ? u"Bitmap translated." : u"Translated.";
    case 2: return toolbarBitmap ? u"Bitmap edited." : u"Edited.";
    default: {
      std::u16string s = u"Unknown status : ";
      std::string n = std::to_string(status);
      s.append(n.begin(), n.end());
      return s;
    }
  }
}
