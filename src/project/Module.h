#pragma once
// One source executable of the project with its resources, translations and build options.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/Collections.h"
#include "archive/Object.h"
#include "resmodel/ResTable.h"

class CTvlDoc;
class CException;
struct CModuleBuildSource;
namespace tvl {
class ReplacingFile;
}

class CModule : public CObject {
  DECLARE_SERIAL(CModule)
 public:
  CModule();
  CModule(const std::u16string& path, LANGID sourceLanguage, int usesMfc);
  ~CModule() override;

  void Serialize(CArchive& ar) override;

  void SetSourcePath(const std::u16string& path);
  void SetDocument(CTvlDoc* document);
  void MakeSourcePathRelative();
  std::u16string GetFullSourcePath() const;
  // Resolves a path typed by the user or stored in the project; throws CStringException or
  // CWin32Exception with the user's message.
  std::u16string MakeFullPath(const std::u16string& path) const;
  // Reads the resources of the source file (optionally a new one) and its time.
  bool LoadFromFile(const std::u16string& path = {});
  std::u16string GetTargetFileName(LANGID language) const;
  std::u16string DefaultTargetFileName(LANGID language) const;
  void Merge(const CModule& other, bool copyProperties, bool importMode);

  // Building target files: one language into one full target path; several languages into
  // their target names; the build proper. Each reports its failures and returns false.
  bool Build(LANGID language, const std::u16string& targetPath, const std::u16string& sourcePath);
  bool BuildLanguages(const std::vector<LANGID>& languages, const std::u16string& sourcePath = {});
  bool BuildTargets(const std::vector<LANGID>& languages, const std::vector<std::u16string>& targets,
                    const std::u16string& sourcePath);
  // The steps of BuildTargets, for builds that write several targets at once. PrepareBuild
  // reports its failures and returns false. BuildTarget only reads the model and throws on
  // failure; the working copy it writes becomes the target when committed.
  bool PrepareBuild(const std::u16string& sourcePath, CModuleBuildSource& build);
  void BuildTarget(const CModuleBuildSource& build, LANGID language, const std::u16string& target,
                   tvl::ReplacingFile& working);
  void SetUsesMfc(int usesMfc);
  // Gives a target language to every resource (each gets a status for it).
  void AddLanguage(LANGID language);

  const std::u16string& GetName() const { return m_name; }
  const std::u16string& GetSourcePath() const { return m_sourcePath; }
  CTvlDoc* GetDocument() const { return m_document; }

  int m_usesMfc = 2;
  int m_reserved = 1;
  CResTable m_resTable;
  LANGID m_sourceLanguage = 0;
  bool m_satelliteDll = false;
  bool m_noDuplicateNeutral = true;
  std::uint64_t m_sourceTime = 0;  // FILETIME
  CMapWordToString m_outputNames;
  std::vector<WORD> m_batchSelection;

 private:
  CTvlDoc* m_document = nullptr;  // not owned
  std::u16string m_sourcePath;
  std::u16string m_name;
};

// What the builds of one module's languages share: the resolved source, the template and the
// module whose resources are written (the project's own, or one read from a source that
// changed since the project read it).
struct CModuleBuildSource {
  std::u16string fullSource, templatePath;
  CModule* module = nullptr;
  std::unique_ptr<CModule> temporary;
};

// The failure message of a build ("Failed to build the target file: ...").
void ShowBuildFailure(const CException& e);
// Puts a built working copy in place of its target; throws on failure.
void CommitTarget(tvl::ReplacingFile& working, const std::u16string& target);

// The full paths of the targets built since the list was last emptied.
std::vector<std::u16string>& BuildSuccessList();

// The three-letter abbreviation of a language ("ENU", "DEU"); empty when unknown.
std::u16string LanguageAbbreviation(LANGID language);
