#include "project/TvlDoc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

#include "archive/Archive.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace {

constexpr char kMagic[19] = "Tessalingvora File";  // 18 characters and the zero byte

void SerializeGuid(CArchive& ar, CGuid& g) {
  if (ar.IsStoring()) {
    ar << g.m_data1 << g.m_data2 << g.m_data3;
    ar.Write(g.m_data4.data(), g.m_data4.size());
  } else {
    ar >> g.m_data1 >> g.m_data2 >> g.m_data3;
    ar.ReadExact(g.m_data4.data(), g.m_data4.size());
  }
}

std::u16string FullPath(const std::u16string& path) {
  std::error_code ec;
  auto abs = std::filesystem::absolute(std::filesystem::path(tvl::ToUtf8(path)), ec);
  if (ec) return path;
  return tvl::FromUtf8(abs.lexically_normal().string());
}

}  // namespace

CGuid CGuid::NewRandom() {
  std::random_device rd;
  CGuid g;
  g.m_data1 = rd();
  DWORD w = rd();
  g.m_data2 = static_cast<WORD>(w);
  g.m_data3 = static_cast<WORD>((w >> 16 & 0x0FFF) | 0x4000);  // version 4
  for (size_t i = 0; i < 8; i += 4) {
    DWORD r = rd();
    for (size_t k = 0; k < 4; ++k) g.m_data4[i + k] = static_cast<BYTE>(r >> (8 * k));
  }
  g.m_data4[0] = static_cast<BYTE>((g.m_data4[0] & 0x3F) | 0x80);
  return g;
}

std::u16string VersionString(WORD major, WORD minor, WORD third, WORD fourth) {
  int width = (minor % 10 == 0) ? 1 : 2;
  int minorPart = (minor % 10 == 0) ? minor / 10 : minor;
  char buf[64];
  if (third == 0)
    std::snprintf(buf, sizeof buf, "%d.%0*d Build %d", major, width, minorPart, fourth);
  else
    std::snprintf(buf, sizeof buf, "%d.%0*d%c Build %d", major, width, minorPart, static_cast<char>(0x60 + third),
                  fourth);
  return tvl::FromUtf8(buf);
}

std::u16string ProgramVersionString() {
  return VersionString(TVL_VERSION_MAJOR, TVL_VERSION_MINOR, TVL_VERSION_PATCH, TVL_VERSION_TWEAK);
}

CTvlDoc::CTvlDoc() { DeleteContents(); }

CTvlDoc::~CTvlDoc() = default;

void CTvlDoc::DeleteContents() {
  UpdateAllViews(HintReleaseResourceView);
  m_projectId = CGuid::NewRandom();
  m_originId = CGuid();
  m_modules.clear();
  m_sourceLanguage = CLanguage();
  m_languages.RemoveAll();
  m_undoList.Clear();
  m_format = kCurrentFormat;
  m_version = ProgramVersionString();
}

bool CTvlDoc::OnNewDocument() {
  DeleteContents();
  m_pathName.clear();
  m_modified = false;
  return true;
}

void CTvlDoc::SetPathName(const std::u16string& path) {
  m_pathName = path;
  UpdateAllViews(HintTitleChanged);
}

std::u16string CTvlDoc::GetTitle() const {
  return m_pathName.empty() ? std::u16string(u"Untitled") : tvl::PathFindFileName(m_pathName);
}

void CTvlDoc::SetModifiedFlag(bool modified) { m_modified = modified; }

void CTvlDoc::SerializeHeader(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.Write(kMagic, sizeof kMagic);
    m_format = kCurrentFormat;
    ar << static_cast<LONG>(m_format);
    m_version = ProgramVersionString();
    ar << m_version;
    SerializeGuid(ar, m_projectId);
    SerializeGuid(ar, m_originId);
    return;
  }
  BYTE first[2] = {0, 0};
  if (ar.Peek(first, 2) < 2) throw CArchiveException(CArchiveException::endOfFile, ar.GetFileName());
  if (first[0] == 0xFF) {
    if (first[1] != 0xFF) throw CArchiveException(CArchiveException::badIndex, ar.GetFileName());
    // The oldest format begins directly with the class reference of the source language.
    m_format = 0;
    m_version = u"0.52 or 0.53";
    return;
  }
  if (first[0] != 'T' || first[1] != 'e') throw CArchiveException(CArchiveException::badIndex, ar.GetFileName());
  char magic[sizeof kMagic];
  ar.ReadExact(magic, sizeof magic);
  LONG format = 0;
  ar >> format;
  if (format >= 1000) {
    DoMessageBox(u"Can't read file because it was created using a newer version of Tessalingvora.", MB_ICONERROR);
    throw CUserException();
  }
  std::u16string version;
  ar >> version;
  if (format > kCurrentFormat) {
    DoMessageBox(FormatMessageText(u"Can't read file because it was created using a newer version of Tessalingvora (%1).",
                                   {Arg(version)}),
                 MB_ICONERROR);
    throw CUserException();
  }
  m_format = format;
  m_version = version;
  if (format == kCurrentFormat) {
    SerializeGuid(ar, m_projectId);
    SerializeGuid(ar, m_originId);
  }
}

void CTvlDoc::Serialize(CArchive& ar) {
  if (m_exportLanguages.IsEmpty()) m_pathName = FullPath(ar.GetFileName());
  SerializeHeader(ar);
  ar.SerializeClass(RUNTIME_CLASS(CLanguage));
  m_sourceLanguage.Serialize(ar);
  if (ar.IsStoring() && !m_exportLanguages.IsEmpty())
    m_exportLanguages.Serialize(ar);
  else
    m_languages.Serialize(ar);
  if (m_languagesOnly) return;

  ar.SerializeClass(RUNTIME_CLASS(CObArray));
  if (ar.IsStoring()) {
    ar.WriteCount(m_modules.size());
    for (const auto& m : m_modules) ar.WriteObject(m.get());
  } else {
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 2);
    m_modules.clear();
    for (size_t i = 0; i < count; ++i) {
      std::unique_ptr<CModule> m = ar.ReadObject<CModule>();
      if (m) m_modules.push_back(std::move(m));
    }
    for (const auto& m : m_modules) m->SetDocument(this);
  }
}

bool CTvlDoc::OnOpenDocument(const std::u16string& path) {
  DeleteContents();
  try {
    CArchive ar(CArchive::load, path);
    ar.SetFileName(path);
    if (m_languageFilter) ar.SetLanguageFilter(*m_languageFilter);
    Serialize(ar);
    ar.Close();
  } catch (const CException& e) {
    ReportSaveLoadException(path, &e, false);
    return false;
  } catch (const std::bad_alloc&) {
    ReportSaveLoadException(path, nullptr, false);
    return false;
  }
  m_modified = false;
  UpdateAllViews(HintTitleChanged);
  return true;
}

bool CTvlDoc::OnSaveDocument(const std::u16string& path) {
  // Written beside the project and renamed over it: a failure leaves the old file whole.
  tvl::ReplacingFile file(tvl::NativePath(path));
  try {
    if (!file.IsOpen()) throw CWin32Exception(u"Unable to create " + path + u".");
    CArchive ar(CArchive::store, tvl::FromUtf8(file.WorkingPath()));
    ar.SetFileName(path);
    if (m_languageFilter) ar.SetLanguageFilter(*m_languageFilter);
    Serialize(ar);
    ar.Close();
    if (!file.Commit()) throw CWin32Exception(u"Unable to write " + path + u".");
  } catch (const CException& e) {
    file.Abandon();
    ReportSaveLoadException(path, &e, true);
    return false;
  } catch (const std::bad_alloc&) {
    file.Abandon();
    ReportSaveLoadException(path, nullptr, true);
    return false;
  }
  m_modified = false;
  UpdateAllViews(HintTitleChanged);
  return true;
}

bool CTvlDoc::DoSave(const std::u16string& path) {
  if (m_format < kCurrentFormat) {
    int answer = DoMessageBox(
        FormatMessageText(u"This document was created using a former version of Tessalingvora (%1).\nDo you want to "
                          u"update it to the Tessalingvora %2 format ?\n\nIf you choose 'No', the document will not "
                          u"be saved.",
                          {Arg(m_version), Arg(ProgramVersionString())}),
        MB_YESNO | MB_ICONWARNING);
    if (answer != IDYES) return false;
  }
  std::u16string target = path.empty() ? m_pathName : path;
  if (target.empty()) return m_saveAs ? m_saveAs(*this) : false;
  return OnSaveDocument(target);
}

void CTvlDoc::ReportSaveLoadException(const std::u16string& path, const CException* e, bool saving) {
  if (!saving) {
    DeleteContents();
    m_pathName.clear();
    m_modified = false;
    UpdateAllViews(HintRebuildTree);
  }
  if (dynamic_cast<const CUserException*>(e)) return;  // already reported
  std::u16string text = e ? e->GetErrorText() : std::u16string();
  if (text.empty()) text = saving ? u"Failed to save document." : u"Failed to open document.";
  // A save failure names the file it was meant for and says that nothing was saved.
  if (saving && text != u"Failed to save document.") {
    if (text.find(path) == std::u16string::npos) text = path + u"\n" + text;
    text += u"\n\nFailed to save document.";
  }
  DoMessageBox(text, MB_ICONERROR);
}

bool CTvlDoc::CheckReadyToBuild() {
  if (m_modules.empty()) {
    DoMessageBox(u"There are no executable modules defined.\nYou can insert modules into the project using the menu "
                 u"File > Insert Module...",
                 MB_ICONERROR);
    return false;
  }
  if (m_languages.IsEmpty()) {
    DoMessageBox(u"There are no translations defined.\nTranslation languages can be defined using the menu "
                 u"Translations > Languages...",
                 MB_ICONERROR);
    return false;
  }
  if (m_pathName.empty()) {
    DoMessageBox(u"The document must be saved first. You will now be prompted for the Tessalingvora document file name.",
                 MB_ICONINFORMATION);
    return m_saveAs ? m_saveAs(*this) : false;
  }
  return true;
}

CLanguage& CTvlDoc::AddLanguage(LANGID language) {
  int i = m_languages.Find(language);
  if (i >= 0) return m_languages[i];
  i = m_languages.Add(CLanguage(language));
  UpdateAllViews(HintTargetLanguageAdded, &m_languages[i]);
  return m_languages[i];
}

CModule* CTvlDoc::FindModule(const std::u16string& path) const {
  for (const auto& m : m_modules)
    if (tvl::CompareNoCase(m->GetFullSourcePath(), path) == 0) return m.get();
  return nullptr;
}

int CTvlDoc::FindModuleByName(const std::u16string& name) const {
  for (size_t i = 0; i < m_modules.size(); ++i)
    if (tvl::CompareNoCase(m_modules[i]->GetName(), name) == 0) return static_cast<int>(i);
  return -1;
}

bool CTvlDoc::CanDefineLanguages() const {
  if (m_sourceLanguage.GetLanguage() != 0) return true;
  DoMessageBox(u"Please insert a module in the project before defining the translations.", MB_ICONINFORMATION);
  return false;
}

void CTvlDoc::ApplyLanguages(const CLanguageArray& working) {
  bool changed = false;
  for (int i = 0; i < m_languages.GetSize();) {
    if (working.Find(m_languages[i].GetLanguage()) >= 0) {
      ++i;
      continue;
    }
    CLanguage removed = m_languages[i];
    ClearUndo();
    UpdateAllViews(HintLanguageRemoved, &removed);
    m_languages.RemoveAt(i);
    changed = true;
  }
  for (CLanguage& lang : m_languages) {
    const CLanguage& w = working[working.Find(lang.GetLanguage())];
    if (lang.GetFontName() != w.GetFontName() || (!w.GetFontName().empty() && lang.GetFontSize() != w.GetFontSize())) {
      lang.SetPreviewFont(w.GetFontName(), w.GetFontSize());
      UpdateAllViews(HintLanguageChanged, &lang);
      changed = true;
    }
  }
  for (const CLanguage& w : working) {
    if (m_languages.Find(w.GetLanguage()) >= 0) continue;
    int i = m_languages.Add(w);
    for (const auto& m : m_modules) m->AddLanguage(w.GetLanguage());
    UpdateAllViews(HintTargetLanguageAdded, &m_languages[i]);
    changed = true;
  }
  if (changed) SetModifiedFlag(true);
}

void CTvlDoc::InsertModule(std::unique_ptr<CModule> module, LANGID sourceLanguage, const CLanguageArray& languages) {
  bool sourceSetNow = false;
  if (m_sourceLanguage.GetLanguage() == 0) {
    m_sourceLanguage.SetLanguage(sourceLanguage);
    sourceSetNow = true;
  }
  if (m_languages.IsEmpty()) {
    for (const CLanguage& l : languages) {
      int i = m_languages.Add(l);
      for (const auto& m : m_modules) m->AddLanguage(l.GetLanguage());
      UpdateAllViews(HintTargetLanguageAdded, &m_languages[i]);
    }
  }
  module->SetDocument(this);
  CModule* inserted = module.get();
  m_modules.push_back(std::move(module));
  for (const CLanguage& l : m_languages) inserted->AddLanguage(l.GetLanguage());
  SetModifiedFlag(true);
  auto action = std::make_unique<CUndoModuleAction>();
  action->m_kind = CUndoModuleAction::kInserted;
  action->m_document = this;
  action->m_moduleName = inserted->GetName();
  AddUndoAction(std::move(action));
  UpdateAllViews(HintModuleInserted, inserted);
  if (sourceSetNow) UpdateAllViews(HintSourceLanguageAdded, &m_sourceLanguage);
}

CUndoAction* CTvlDoc::Undo() {
  CUndoAction* action = m_undoList.StepBack();
  if (action) SendToViews(HintUndoRedo, action);
  return action;
}

CUndoAction* CTvlDoc::Redo() {
  CUndoAction* action = m_undoList.StepForward();
  if (action) SendToViews(HintUndoRedo, action);
  return action;
}

std::unique_ptr<CModule> CTvlDoc::TakeModule(size_t index) {
  if (index >= m_modules.size()) return nullptr;
  std::unique_ptr<CModule> m = std::move(m_modules[index]);
  m_modules.erase(m_modules.begin() + static_cast<long>(index));
  SetModifiedFlag(true);
  return m;
}

void CTvlDoc::DeleteModule(size_t index, bool rebuildViews) {
  std::unique_ptr<CModule> m = TakeModule(index);
  if (!m) return;
  auto action = std::make_unique<CUndoModuleAction>();
  action->m_kind = CUndoModuleAction::kDeleted;
  action->m_document = this;
  action->m_moduleName = m->GetName();
  action->m_moduleIndex = static_cast<int>(index);
  action->m_module = std::move(m);
  AddUndoAction(std::move(action));
  if (rebuildViews) UpdateAllViews(HintRebuildTree);
}

void CTvlDoc::AddView(CDocumentView* view) { m_views.push_back(view); }

void CTvlDoc::RemoveView(CDocumentView* view) { m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end()); }

void CTvlDoc::UpdateAllViews(int hint, const void* object) {
  for (CDocumentView* v : std::vector<CDocumentView*>(m_views)) v->OnUpdate(hint, object);
}

int CTvlDoc::SendToViews(int hint, const void* object) {
  for (CDocumentView* v : std::vector<CDocumentView*>(m_views))
    if (v->OnViewMessage(hint, object) == kViewMessageHandled) return kViewMessageHandled;
  return 0;
}
