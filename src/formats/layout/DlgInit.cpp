#include "formats/layout/DlgInit.h"

#include <algorithm>
#include <cerrno>
#include <ostream>
#include <string_view>

#include "archive/Archive.h"
#include "formats/layout/ResDialog.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/LanguageFacts.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CDlgInitMsg, CObject, VERSIONABLE_SCHEMA | 1)

CDlgInitMsg::~CDlgInitMsg() = default;

bool CDlgInitMsg::IsText() const { return m_value && m_value->IsKindOf(RUNTIME_CLASS(CLocalizedString)); }

CLocalizedString* CDlgInitMsg::GetText() const {
  return IsText() ? static_cast<CLocalizedString*>(m_value.get()) : nullptr;
}

CLocalizedBlob* CDlgInitMsg::GetBlob() const {
  return m_value && m_value->IsKindOf(RUNTIME_CLASS(CLocalizedBlob)) ? static_cast<CLocalizedBlob*>(m_value.get())
                                                                    : nullptr;
}

int CDlgInitMsg::GetStatus(LANGID language) const {
  const CLocalizedString* text = GetText();
  if (!text) return kStatusNothingToTranslate;
  return text->EffectiveStatus(language);
}

void CDlgInitMsg::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_controlId << m_message;
    ar.WriteObject(m_value.get());
  } else {
    ar.GetObjectSchema();
    ar >> m_controlId >> m_message;
    m_value = ar.ReadObject<CLocalizedParam>();
    // The writer knows text and bytes only.
    if (!m_value || !(m_value->IsKindOf(RUNTIME_CLASS(CLocalizedString)) ||
                      m_value->IsKindOf(RUNTIME_CLASS(CLocalizedBlob))))
      ar.ThrowException(CArchiveException::badClass);
  }
}

void CDlgInitMsg::Dump(std::ostream& out) const {
  out << "  init " << m_controlId << " message 0x" << std::hex << m_message << std::dec;
  if (const CLocalizedString* text = GetText())
    out << " \"" << tvl::ToUtf8(text->m_text) << "\"\n";
  else if (const CLocalizedBlob* blob = GetBlob())
    out << ' ' << blob->m_data.size() << " bytes\n";
  else
    out << '\n';
}

namespace tvl {

UINT DlgInitCodePage(LANGID language) {
  UINT cp = LanguageCodePage(language).codePage;
  // A language without an ANSI code page uses the system's, as the platform's CP_ACP does.
  if (cp == 0 || cp == 1200) return SystemAnsiCodePage();
  return cp;
}

void ReadDlgInitEntries(CResStream& s, UINT codePage, std::vector<std::unique_ptr<CDlgInitMsg>>& entries) {
  entries.clear();
  while (!s.AtEnd()) {
    WORD id = s.ReadWord();
    if (id == 0) break;
    WORD message = s.ReadWord();
    DWORD length = s.ReadDword();
    const BYTE* p = s.Read(length);
    std::unique_ptr<CLocalizedParam> value;
    if (CDlgInitMsg::IsStringMessage(message)) {
      auto text = std::make_unique<CLocalizedString>();
      // A string entry of no bytes has no terminator to check: it is read as empty text.
      if (length > 0) {
        if (p[length - 1] != 0) throw CResStreamException();
        std::u16string converted =
            MultiByteToWide(codePage, std::string_view(reinterpret_cast<const char*>(p), length));
        if (converted.empty()) throw CResStreamException();
        text->m_text = converted.substr(0, converted.find(u'\0'));
      }
      value = std::move(text);
    } else {
      auto blob = std::make_unique<CLocalizedBlob>();
      blob->m_data.assign(p, p + length);
      value = std::move(blob);
    }
    value->m_language = s.m_language;
    value->m_status = 0;
    entries.push_back(std::make_unique<CDlgInitMsg>(id, message, std::move(value)));
  }
}

}  // namespace tvl

void CResDialog::ReadDlgInit(const CResStream& stream) {
  m_dlgInit.clear();
  const CPeImage* module = stream.m_module;
  if (!module) return;
  const CResName type(WORD{RT_DLGINIT});
  // The dialog's own language first, then the neutral forms the platform's lookup falls to.
  const CPeResource* found = module->FindResourceEx(type, stream.m_name, stream.m_fileLanguage);
  if (!found) found = module->FindResourceEx(type, stream.m_name, MAKELANGID(PRIMARYLANGID(stream.m_fileLanguage), 0));
  if (!found) found = module->FindResourceEx(type, stream.m_name, 0);
  if (!found) return;
  std::span<const BYTE> data = module->GetData(*found);
  if (data.empty()) return;
  CResStream s(module, type, stream.m_name, stream.m_language, stream.m_fileLanguage, data.data(),
               static_cast<DWORD>(data.size()));
  UINT codePage = stream.m_codePage;
  if (codePage == 0 || codePage == 1200) codePage = tvl::SystemAnsiCodePage();
  tvl::ReadDlgInitEntries(s, codePage, m_dlgInit);
}

void CResDialog::WriteDlgInit(CResourceData& d) const {
  if (m_dlgInit.empty()) return;
  const LANGID language = d.m_language;
  const UINT codePage = tvl::DlgInitCodePage(language);
  bool wrote = false;
  for (const auto& entry : m_dlgInit) {
    WORD id = entry->m_controlId;
    if (d.m_preview) {
      // The preview's controls carry their index as id; entries of unknown controls go.
      auto it = std::find_if(m_items.begin(), m_items.end(), [&](const auto& item) { return item->m_id == id; });
      if (it == m_items.end()) continue;
      id = static_cast<WORD>(it - m_items.begin());
    }
    if (const CLocalizedString* text = entry->GetText()) {
      const std::u16string& value = text->GetBuildText(language);
      std::string bytes = tvl::WideToMultiByte(codePage, value);
      if (bytes.empty() && !value.empty()) {
        errno = EILSEQ;
        throw CWin32Exception(u"The initial text of a dialog control cannot be converted to its code page.");
      }
      d.WriteWord(id);
      d.WriteWord(entry->m_message);
      d.WriteDword(static_cast<DWORD>(bytes.size() + 1));
      d.WriteBytes(bytes.data(), bytes.size());
      d.WriteByte(0);
    } else if (const CLocalizedBlob* blob = entry->GetBlob()) {
      const CLocalizedBlob* chosen = blob;
      if (!blob->IsDoNotTranslate()) {
        const CLocalizedParam* n = blob->FindValue(language);
        if (n && n != blob && n->m_status > 0 && n->IsKindOf(RUNTIME_CLASS(CLocalizedBlob)))
          chosen = static_cast<const CLocalizedBlob*>(n);
      }
      d.WriteWord(id);
      d.WriteWord(entry->m_message);
      d.WriteDword(static_cast<DWORD>(chosen->m_data.size()));
      d.WriteBytes(chosen->m_data.data(), chosen->m_data.size());
    } else {
      continue;
    }
    wrote = true;
  }
  if (wrote) d.WriteWord(0);
}

void CResDialog::MergeDlgInit(const CResDialog& other, bool copyProperties, bool importMode) {
  for (size_t i = 0; i < other.m_dlgInit.size(); ++i) {
    const CDlgInitMsg& theirs = *other.m_dlgInit[i];
    // The (k+1)-th entry of the same control here takes the k+1-th entry there.
    size_t k = 0;
    for (size_t j = 0; j < i; ++j)
      if (other.m_dlgInit[j]->m_controlId == theirs.m_controlId) ++k;
    CDlgInitMsg* mine = nullptr;
    for (const auto& entry : m_dlgInit) {
      if (entry->m_controlId != theirs.m_controlId) continue;
      if (k == 0) {
        mine = entry.get();
        break;
      }
      --k;
    }
    if (!mine) continue;
    if (CLocalizedString* text = mine->GetText()) {
      if (const CLocalizedString* t = theirs.GetText()) text->MergeFrom(*t, copyProperties, importMode);
    } else if (CLocalizedBlob* blob = mine->GetBlob()) {
      if (const CLocalizedBlob* b = theirs.GetBlob()) blob->MergeFrom(*b, copyProperties, importMode);
    }
  }
}

int CResDialog::GetDlgInitCount(int itemIndex) const {
  if (itemIndex < 0 || static_cast<size_t>(itemIndex) >= m_items.size()) return 0;
  const DWORD id = m_items[static_cast<size_t>(itemIndex)]->m_id;
  int n = 0;
  for (const auto& entry : m_dlgInit)
    if (entry->m_controlId == id) ++n;
  return n;
}

CDlgInitMsg* CResDialog::GetDlgInit(int itemIndex, int n) const {
  if (itemIndex < 0 || static_cast<size_t>(itemIndex) >= m_items.size() || n < 0) return nullptr;
  const DWORD id = m_items[static_cast<size_t>(itemIndex)]->m_id;
  for (const auto& entry : m_dlgInit) {
    if (entry->m_controlId != id) continue;
    if (n-- == 0) return entry.get();
  }
  return nullptr;
}
