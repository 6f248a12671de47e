#pragma once
// The project document: modules, source and target languages, identity, and the project
// file with its header and the older formats still read.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "languages/Language.h"
#include "project/Module.h"
#include "project/Undo.h"
#include "project/ViewHints.h"

class CArchive;
class CException;

// What the exchange operations ask the user beyond questions (which go through
// DoMessageBox): the interface implements these dialogs, tests script them.
class CUserChoices {
 public:
  virtual ~CUserChoices() = default;
  // The "Import Translation" dialog: the chosen language, or 0 for Cancel.
  virtual LANGID ChooseImportLanguage(const CModule& module, const std::u16string& path, LANGID guessed) = 0;
  // The Scribe Edition import dialog: the checked languages; empty for Cancel.
  virtual std::vector<LANGID> ChooseScribeLanguages(const std::u16string& path, const CLanguageArray& available) = 0;
};

struct CGuid {
  DWORD m_data1 = 0;
  WORD m_data2 = 0;
  WORD m_data3 = 0;
  std::array<BYTE, 8> m_data4{};
  static CGuid NewRandom();
  bool IsZero() const { return *this == CGuid(); }
  bool operator==(const CGuid&) const = default;
};

// The running program's version as the project header writes it ("1.0 Build 10").
std::u16string VersionString(WORD major, WORD minor, WORD third, WORD fourth);
std::u16string ProgramVersionString();

class CTvlDoc {
 public:
  static constexpr int kCurrentFormat = 3;

  CTvlDoc();
  ~CTvlDoc();
  CTvlDoc(const CTvlDoc&) = delete;
  CTvlDoc& operator=(const CTvlDoc&) = delete;

  // The file body and its header.
  void Serialize(CArchive& ar);
  void SerializeHeader(CArchive& ar);

  // Framework document operations.
  void DeleteContents();
  bool OnNewDocument();
  // Empties the document and reads the file; on failure the document is new and empty and
  // the failure has been reported.
  bool OnOpenDocument(const std::u16string& path);
  // Writes the whole file to a temporary file beside it and replaces the file only then.
  bool OnSaveDocument(const std::u16string& path);
  // Save with the update question for files of older formats.
  bool DoSave(const std::u16string& path);
  void ReportSaveLoadException(const std::u16string& path, const CException* e, bool saving);
  void SetPathName(const std::u16string& path);
  const std::u16string& GetPathName() const { return m_pathName; }
  // The file name part of the path, or "Untitled".
  std::u16string GetTitle() const;
  void SetModifiedFlag(bool modified = true);
  bool IsModified() const { return m_modified; }

  // Program operations.
  bool CheckReadyToBuild();
  CLanguage& AddLanguage(LANGID language);
  CModule* FindModule(const std::u16string& path) const;
  int FindModuleByName(const std::u16string& name) const;
  // Applies the languages dialog's working list (the Languages command after OK).
  void ApplyLanguages(const CLanguageArray& working);
  // "Please insert a module..." when there is no source language; true when the dialog may run.
  bool CanDefineLanguages() const;
  // The document side of inserting a module: the wizard's module, source language and languages.
  void InsertModule(std::unique_ptr<CModule> module, LANGID sourceLanguage, const CLanguageArray& languages);

  // The command-line batch build: opens the project and builds the module/language pairs
  // the /build value selects. True when everything selected was built. With `plan`, nothing
  // is built: the full path of every file the build would write is added to it instead.
  bool RunBatchBuild(const std::u16string& projectPath, const std::u16string& spec, const std::u16string& output,
                     const std::u16string& source, std::vector<std::u16string>* plan = nullptr);

  // Keeping translations alive. selected is the module of the selected tree node, if any.
  CModule* ChooseModule(CModule* selected) const;
  bool UpdateSource(CModule* module);
  bool UpdateSourceAll();
  bool ImportTranslation(CModule* module, const std::u16string& path, CUserChoices& choices);
  // The export dialog's opening checks; false (after the message) closes it.
  bool CanExportScribe() const;
  bool ExportScribe(const std::u16string& fileName, const std::vector<LANGID>& languages);
  bool ImportScribe(const std::u16string& path, CUserChoices& choices);
  // Merges the same-named modules of a translator's copy in import mode; the number merged.
  int ImportFrom(CTvlDoc& other);

  // Undo and redo: Undo and Redo move the position and send HintUndoRedo with the action
  // to the views (the project tree applies it); ApplyUndo applies it directly.
  void AddUndoAction(std::unique_ptr<CUndoAction> action) { m_undoList.Add(std::move(action)); }
  CUndoAction* Undo();
  CUndoAction* Redo();
  bool CanUndo() const { return m_undoList.CanUndo(); }
  bool CanRedo() const { return m_undoList.CanRedo(); }
  void ClearUndo() { m_undoList.Clear(); }
  CUndoList& GetUndoList() { return m_undoList; }
  // Takes a module out of the project without recording anything.
  std::unique_ptr<CModule> TakeModule(size_t index);
  // Deletes a module, recording the deletion for undo; a view that removes the module's
  // branch itself asks for no rebuild.
  void DeleteModule(size_t index, bool rebuildViews = true);

  // Views.
  void AddView(CDocumentView* view);
  void RemoveView(CDocumentView* view);
  void UpdateAllViews(int hint, const void* object = nullptr);
  int SendToViews(int hint, const void* object = nullptr);
  void OnIdle() { UpdateAllViews(HintIdle); }

  // The save-as step of CheckReadyToBuild belongs to the interface; without one it fails.
  std::function<bool(CTvlDoc&)> m_saveAs;

  std::vector<std::unique_ptr<CModule>> m_modules;
  CLanguage m_sourceLanguage;
  CLanguageArray m_languages;
  CLanguageArray m_exportLanguages;
  // Set around a translator's copy: only these languages' translations are stored or loaded.
  std::optional<std::set<LANGID>> m_languageFilter;
  bool m_languagesOnly = false;
  CGuid m_projectId;
  CGuid m_originId;
  int m_format = kCurrentFormat;
  std::u16string m_version;

 private:
  std::u16string m_pathName;
  bool m_modified = false;
  CUndoList m_undoList{this};
  std::vector<CDocumentView*> m_views;
};
