// Building target files: the working copy of the source or of the satellite template gets
// the module's resources for one language in two update passes, then replaces the target.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

// Replaces the target by the working copy. Within one file system a rename replaces it at
// once; across file systems the copy lands beside the target first and is renamed there.
void ReplaceTarget(const std::u16string& workingCopy, const std::u16string& target) {
  std::string from = tvl::NativePath(workingCopy), to = tvl::NativePath(target);
  // The working copy was made private; a target gets the mode of an ordinary new file.
  mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = 0666 & ~mask;
  ::chmod(from.c_str(), mode);
  if (std::rename(from.c_str(), to.c_str()) == 0) return;
  std::string beside = to + ".tvl-XXXXXX";
  int fd = ::mkstemp(beside.data());
  if (fd >= 0) {
    ::close(fd);
    std::error_code ec;
    std::filesystem::copy_file(from, beside, std::filesystem::copy_options::overwrite_existing, ec);
    if (!ec) ::chmod(beside.c_str(), mode);
    if (!ec && std::rename(beside.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return;
    }
    int saved = ec ? ec.value() : errno;
    ::unlink(beside.c_str());
    errno = saved;
  }
  throw CWin32Exception(FormatMessageText(u"%1", {Arg(target)}), true);
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

bool CModule::BuildTargets(const std::vector<LANGID>& languages, const std::vector<std::u16string>& targets,
                           const std::u16string& sourcePath) {
  std::u16string fullSource;
  try {
    fullSource = MakeFullPath(sourcePath);
  } catch (const CException& e) {
    DoMessageBox(e.GetErrorText(), MB_ICONERROR);
    return false;
  }

  std::u16string workingCopy;
  std::unique_ptr<CModule> temporary;
  bool ok = true;
  try {
    workingCopy = MakeTempFileName(u"TVL");
    std::u16string templatePath = m_satelliteDll ? tvl::ProgramDirectory() + u"Satellite.dll" : fullSource;

    CModule* buildModule = this;
    const std::uint64_t sourceTime = tvl::GetFileTime(fullSource);
    if (sourceTime != 0 && sourceTime == m_sourceTime) {
      // Help ids of extended dialogs are not kept in project files: take them from the source.
      m_resTable.m_dialogs.RestoreHelpIds(fullSource);
    }
    if (sourceTime != m_sourceTime) {
      // The source changed since it was read: build from it with the project's translations.
      temporary = std::make_unique<CModule>(fullSource, m_sourceLanguage, m_usesMfc);
      temporary->SetDocument(m_document);
      errno = 0;
      if (!temporary->LoadFromFile()) {
        if (errno == 0) errno = ENOENT;
        throw CWin32Exception(u"Failed to load the source file.");
      }
      temporary->Merge(*this, true, false);
      buildModule = temporary.get();
    }

    for (size_t i = 0; i < languages.size() && i < targets.size(); ++i) {
      const LANGID language = languages[i];
      EnsureFolder(targets[i]);

      CResourceWriter writer;
      LANGID source = m_document ? m_document->m_sourceLanguage.GetLanguage() : m_sourceLanguage;
      CCompileContext context(source, language, &writer);
      CResourceData& data = context.m_data;
      data.m_language = language;
      data.m_sourceLanguage = source;
      data.m_satelliteDll = m_satelliteDll;
      data.m_noDuplicateNeutral = m_noDuplicateNeutral;
      CLanguage target(language);
      if (m_document) {
        int index = m_document->m_languages.Find(language);
        if (index >= 0) target = m_document->m_languages[index];
      }
      PreviewFont font = target.GetPreviewFont();
      data.m_fontFace = font.name;
      data.m_fontSize = font.size;
      data.m_fontWeight = 400;
      data.m_fontItalic = 0;
      data.m_fontCharset = static_cast<BYTE>(target.GetCharSet());

      buildModule->m_resTable.Write(context);

      std::error_code ec;
      std::filesystem::copy_file(tvl::NativePath(templatePath), tvl::NativePath(workingCopy),
                                 std::filesystem::copy_options::overwrite_existing, ec);
      if (ec) {
        errno = ec.value();
        throw CWin32Exception(FormatMessageText(u"Failed to create a working copy of %1", {Arg(templatePath)}));
      }
      writer.Write(workingCopy);
      ReplaceTarget(workingCopy, targets[i]);
      BuildSuccessList().push_back(targets[i]);
    }
  } catch (const CException& e) {
    DoMessageBox(FormatMessageText(u"Failed to build the target file:\n%1\n", {Arg(Cut(e.GetErrorText(), 500))}),
                 MB_ICONERROR);
    ok = false;
  }
  temporary.reset();
  if (!workingCopy.empty()) ::unlink(tvl::NativePath(workingCopy).c_str());
  return ok;
}
