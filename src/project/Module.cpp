#include "project/Module.h"

#include "archive/Archive.h"
#include "archive/Exceptions.h"
#include "platform/LocaleTable.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

IMPLEMENT_SERIAL(CModule, CObject, VERSIONABLE_SCHEMA | 3)

std::u16string LanguageAbbreviation(LANGID language) {
  const tvl::LocaleInfo* info = tvl::FindLocale(language);
  return info ? tvl::FromUtf8(info->abbreviation) : std::u16string();
}

CModule::CModule() = default;

CModule::CModule(const std::u16string& path, LANGID sourceLanguage, int usesMfc) {
  SetSourcePath(path);
  m_sourceLanguage = sourceLanguage;
  SetUsesMfc(usesMfc);
}

CModule::~CModule() = default;

void CModule::SetUsesMfc(int usesMfc) {
  m_usesMfc = usesMfc;
  m_resTable.m_promptAndTips.m_enabled = usesMfc != 0;
}

void CModule::SetSourcePath(const std::u16string& path) {
  m_sourcePath = path;
  m_name = tvl::PathFindFileName(path);
  MakeSourcePathRelative();
}

void CModule::SetDocument(CTvlDoc* document) {
  m_document = document;
  if (m_sourceLanguage == 0 && document) m_sourceLanguage = document->m_sourceLanguage.GetLanguage();
  MakeSourcePathRelative();
}

void CModule::MakeSourcePathRelative() {
  if (tvl::PathIsRelative(m_sourcePath) || !m_document || m_document->GetPathName().empty()) return;
  if (auto rel = tvl::PathRelativePathTo(m_document->GetPathName(), m_sourcePath)) m_sourcePath = *rel;
}

std::u16string CModule::GetFullSourcePath() const {
  if (tvl::PathIsRelative(m_sourcePath) && m_document && !m_document->GetPathName().empty()) {
    if (auto full = tvl::PathCombine(tvl::PathRemoveFileSpec(m_document->GetPathName()), m_sourcePath)) return *full;
  }
  return m_sourcePath;
}

std::u16string CModule::MakeFullPath(const std::u16string& path) const {
  std::u16string result = tvl::Trim(path);
  if (result.empty()) throw CStringException(u"Please specify the target filename.");
  if (tvl::PathIsRelative(result)) {
    if (!m_document || m_document->GetPathName().empty()) throw CStringException(u"Please save the document first.");
    auto full = tvl::PathCombine(tvl::PathRemoveFileSpec(m_document->GetPathName()), result);
    if (!full) {
      errno = EINVAL;
      throw CWin32Exception(u"Failed to create full file name.");
    }
    result = *full;
  }
  if (tvl::PathIsDirectory(result))
    throw CStringException(FormatMessageText(u"'%1' is a directory. Please specify a file name.", {Arg(result)}));
  return result;
}

bool CModule::LoadFromFile(const std::u16string& path) {
  if (!path.empty()) SetSourcePath(path);
  std::u16string full = GetFullSourcePath();
  m_sourceTime = tvl::GetFileTime(full);
  return m_resTable.Load(full, m_sourceLanguage);
}

std::u16string CModule::GetTargetFileName(LANGID language) const {
  if (const std::u16string* name = m_outputNames.Find(language)) return *name;
  return DefaultTargetFileName(language);
}

std::u16string CModule::DefaultTargetFileName(LANGID language) const {
  std::u16string extension = tvl::PathFindExtension(m_name);
  std::u16string base = m_name.substr(0, m_name.size() - extension.size());
  LANGID source = m_document ? m_document->m_sourceLanguage.GetLanguage() : m_sourceLanguage;
  std::u16string sourceAbbrev = LanguageAbbreviation(source);
  if (!sourceAbbrev.empty() && base.size() >= sourceAbbrev.size() &&
      tvl::CompareNoCase(base.substr(base.size() - sourceAbbrev.size()), sourceAbbrev) == 0)
    base.resize(base.size() - sourceAbbrev.size());
  base += LanguageAbbreviation(language);
  return base + (m_satelliteDll ? std::u16string(u".dll") : extension);
}

void CModule::Merge(const CModule& other, bool copyProperties, bool importMode) {
  if (copyProperties) {
    m_name = other.m_name;
    m_sourcePath = other.m_sourcePath;
    m_sourceLanguage = other.m_sourceLanguage;
    SetUsesMfc(other.m_usesMfc);
    m_reserved = other.m_reserved;
    m_satelliteDll = other.m_satelliteDll;
    m_noDuplicateNeutral = other.m_noDuplicateNeutral;
    m_batchSelection = other.m_batchSelection;
    m_outputNames.RemoveAll();
    other.m_outputNames.ForEach([&](WORD key, const std::u16string& value) { m_outputNames.SetAt(key, value); });
  }
  m_resTable.Merge(other.m_resTable, copyProperties, importMode);
}

void CModule::AddLanguage(LANGID language) {
  for (CResourceType* t : m_resTable.GetTypes()) t->UpdateStatus(language);
}

void CModule::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    MakeSourcePathRelative();
    ar << m_sourcePath;
    ar << static_cast<LONG>(m_usesMfc) << static_cast<LONG>(m_reserved);
    ar << m_satelliteDll << m_noDuplicateNeutral;
    m_outputNames.Serialize(ar);
    ar.WriteCount(m_batchSelection.size());
    for (WORD w : m_batchSelection) ar << w;
    ar << static_cast<DWORD>(m_sourceTime >> 32) << static_cast<DWORD>(m_sourceTime);
    ar.SerializeClass(RUNTIME_CLASS(CResTable));
    m_resTable.Serialize(ar);
    return;
  }
  UINT schema = ar.GetObjectSchema();
  if (schema == 0xFFFFFFFF) schema = 3;  // read in place, not through a reference
  std::u16string path;
  ar >> path;
  SetSourcePath(path);
  LONG usesMfc = 0, reserved = 0;
  ar >> usesMfc >> reserved;
  SetUsesMfc(usesMfc);
  m_reserved = reserved;
  ar >> m_satelliteDll >> m_noDuplicateNeutral;
  m_outputNames.Serialize(ar);
  m_batchSelection.clear();
  m_sourceTime = 0;
  if (schema >= 2) {
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 2);
    m_batchSelection.resize(count);
    for (WORD& w : m_batchSelection) ar >> w;
  }
  if (schema >= 3) {
    DWORD high = 0, low = 0;
    ar >> high >> low;
    m_sourceTime = (static_cast<std::uint64_t>(high) << 32) | low;
  }
  ar.SerializeClass(RUNTIME_CLASS(CResTable));
  m_resTable.Serialize(ar);
}
