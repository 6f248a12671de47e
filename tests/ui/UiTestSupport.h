#pragma once
// What the interface tests share: one application object for the whole run, a saved
// project made from a fixture, and a main window over it with its settings in a scratch
// folder.
#include <QString>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "project/TvlDoc.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"

class CStringTableView;
class CProjectNode;

QString QStrU8(const std::string& s);

// all32.exe copied beside a project saved with German and French as targets, in that order.
struct CProjectFile {
  CProjectFile();
  ~CProjectFile();
  std::u16string Path() const;
  CScratchDir dir;
};

// A shown main window with its own settings file; opens a project on request.
struct CFrameFixture {
  explicit CFrameFixture(const std::string& settingsPath = {});
  ~CFrameFixture();
  bool Open(const std::u16string& path);
  // The first node whose label is `label`, or null.
  CProjectNode* FindNode(const std::u16string& label) const;
  void Select(CProjectNode* node);
  CStringTableView* StringView() const;
  // Types into the translation box as the keyboard would, then presses Enter.
  void TypeAndCommit(const QString& text);
  void SetLanguage(LANGID language);

  CScratchDir settingsDir;
  std::string settingsPath;
  CTvlDoc doc;
  std::unique_ptr<CMainFrame> frame;
};
