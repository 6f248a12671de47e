// Building target files: the working copy of the source or of the satellite template gets
// the module's resources for one language in two update passes, then replaces the target.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "archive/Exceptions.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "project/TvlDoc.h"
#include "resmodel/CompileContext.h"

namespace {

std::u16string Cut(std::u16string text, size_t max) {
  if (text.size() > max) text.resize(max);
  return text;
}

// The target's folder with all missing parents.
void EnsureFolder(const std::u16string& target) {
  std::u16string folder = tvl::PathRemoveFileSpec(target);
  if (folder.empty())
    throw CStringException(FormatMessageText(u"Cannot determine directory of %1.", {Arg(target)}));
  std::error_code ec;
  std::filesystem::path p(tvl::NativePath(folder));
  if (std::filesystem::is_directory(p, ec)) return;
  std::filesystem::create_directories(p, ec);
  if (std::filesystem::is_directory(p)) return;
  std::u16string text = FormatMessageText(u"Failed to create directory %1.", {Arg(folder)});
  if (ec) {
    errno = ec.value();
    throw CWin32Exception(text, true);
  }
  throw CStringException(text);
}

// A project may come from someone else: an existing file is replaced only when it is itself
// an executable image, so a target name cannot overwrite an unrelated file.
void CheckReplaceable(const std::u16string& target) {
  const std::string path = tvl::NativePath(target);
  struct stat st{};
  if (::lstat(path.c_str(), &st) != 0) return;  // nothing there yet
  bool image = false;
  if (S_ISREG(st.st_mode)) {
    std::uint64_t size = 0;
    int fd = tvl::OpenRegularFile(path, ~0ull, ENOEXEC, size);
    BYTE head[0x40];
    if (fd >= 0 && ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) && head[0] == 'M' &&
        head[1] == 'Z') {
      DWORD at = static_cast<DWORD>(head[0x3C] | head[0x3D] << 8 | head[0x3E] << 16) | (DWORD{head[0x3F]} << 24);
      BYTE signature[4];
      image = ::pread(fd, signature, 4, at) == 4 && std::memcmp(signature, "PE\0\0", 4) == 0;
    }
    if (fd >= 0) ::close(fd);
  }
  if (!image)
    throw CStringException(
        FormatMessageText(u"%1 exists and is not an executable file; it was not replaced.", {Arg(target)}));
}

// The working copy of one target is made beside the target, where a rename replaces the
// target at once and where the next build finds it should this one die. It is written once,
// from the template with the new resources; the template must be readable for that.
void CheckWorkingCopy(const tvl::ReplacingFile& working, const std::u16string& templatePath) {
  std::uint64_t size = 0;
  int fd = working.IsOpen() ? tvl::OpenRegularFile(tvl::NativePath(templatePath), ~0ull, EINVAL, size) : -1;
  if (fd >= 0) {
    ::close(fd);
    return;
  }
  throw CWin32Exception(FormatMessageText(u"Failed to create a working copy of %1", {Arg(templatePath)}));
}

}  // namespace

std::vector<std::u16string>& BuildSuccessList() {
  static std::vector<std::u16string> list;
  return list;
}

bool CModule::Build(LANGID language, const std::u16string& targetPath, const std::u16string& sourcePath) {
  return BuildTargets({language}, {targetPath}, sourcePath);
}

bool CModule::BuildLanguages(const std::vector<LANGID>& languages, const std::u16string& sourcePath) {
  std::vector<std::u16string> targets;
  try {
    for (LANGID l : languages) targets.push_back(MakeFullPath(GetTargetFileName(l)));
  } catch (const CException& e) {
    DoMessageBox(Cut(e.GetErrorText(), 1000), MB_ICONERROR);
    return false;
  }
  return BuildTargets(languages, targets, sourcePath.empty() ? m_sourcePath : sourcePath);
}

void ShowBuildFailure(const CException& e) {
  DoMessageBox(FormatMessageText(u"Failed to build the target file:\n%1\n", {Arg(Cut(e.GetErrorText(), 500))}),
               MB_ICONERROR);
}

void CommitTarget(tvl::ReplacingFile& working, const std::u16string& target) {
  if (!working.Commit()) throw CWin32Exception(FormatMessageText(u"%1", {Arg(target)}), true);
}

bool CModule::PrepareBuild(const std::u16string& sourcePath, CModuleBuildSource& build) {
  try {
    build.fullSource = MakeFullPath(sourcePath);
  } catch (const CException& e) {
    DoMessageBox(e.GetErrorText(), MB_ICONERROR);
    return false;
  }
  try {
    build.templatePath = m_satelliteDll ? tvl::DataDirectory() + u"Satellite.dll" : build.fullSource;
    build.module = this;
    const std::uint64_t sourceTime = tvl::GetFileTime(build.fullSource);
    if (sourceTime != 0 && sourceTime == m_sourceTime) {
      // Help ids of extended dialogs are not kept in project files: take them from the source.
      m_resTable.m_dialogs.RestoreHelpIds(build.fullSource);
    }
    if (sourceTime != m_sourceTime) {
      // The source changed since it was read: build from it with the project's translations.
      build.temporary = std::make_unique<CModule>(build.fullSource, m_sourceLanguage, m_usesMfc);
      build.temporary->SetDocument(m_document);
      errno = 0;
      if (!build.temporary->LoadFromFile()) {
        if (errno == 0) errno = ENOENT;
        throw CWin32Exception(u"Failed to load the source file.");
      }
      build.temporary->Merge(*this, true, false);
      build.module = build.temporary.get();
    }
  } catch (const CException& e) {
    ShowBuildFailure(e);
    return false;
  }
  return true;
}

void CModule::BuildTarget(const CModuleBuildSource& build, LANGID language, const std::u16string& target,
                          tvl::ReplacingFile& working) {
  CheckReplaceable(target);
  EnsureFolder(target);

  CResourceWriter writer;
  LANGID source = m_document ? m_document->m_sourceLanguage.GetLanguage() : m_sourceLanguage;
  CCompileContext context(source, language, &writer);
  CResourceData& data = context.m_data;
  data.m_language = language;
  data.m_sourceLanguage = source;
  data.m_satelliteDll = m_satelliteDll;
  data.m_noDuplicateNeutral = m_noDuplicateNeutral;
  CLanguage targetLanguage(language);
  if (m_document) {
    int index = m_document->m_languages.Find(language);
    if (index >= 0) targetLanguage = m_document->m_languages[index];
  }
  PreviewFont font = targetLanguage.GetPreviewFont();
  data.m_fontFace = font.name;
  data.m_fontSize = font.size;
  data.m_fontWeight = 400;
  data.m_fontItalic = 0;
  data.m_fontCharset = static_cast<BYTE>(targetLanguage.GetCharSet());

  build.module->m_resTable.Write(context);

  working = tvl::ReplacingFile(tvl::NativePath(target));
  CheckWorkingCopy(working, build.templatePath);
  writer.WriteCopy(build.templatePath, working.Descriptor(), tvl::FromUtf8(working.WorkingPath()));
}

bool CModule::BuildTargets(const std::vector<LANGID>& languages, const std::vector<std::u16string>& targets,
                           const std::u16string& sourcePath) {
  CModuleBuildSource build;
  if (!PrepareBuild(sourcePath, build)) return false;
  try {
    for (size_t i = 0; i < languages.size() && i < targets.size(); ++i) {
      tvl::ReplacingFile working;
      BuildTarget(build, languages[i], targets[i], working);
      CommitTarget(working, targets[i]);
      BuildSuccessList().push_back(targets[i]);
    }
  } catch (const CException& e) {
    ShowBuildFailure(e);
    return false;
  }
  return true;
}
