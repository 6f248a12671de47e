#pragma once
// The main window: the project tree on the left, the resource header and view on the right,
// the translation editor below; the menus, tool bar and status bar; the display mode and
// language lists that steer every view; opening and saving the project.
//
// Every command goes one route: its id names an entry of the command table holding the
// action, the handler and the enabled state. The states are worked out again whenever the
// document tells its views of a change (the window is its last view), the selection or the
// focus moves, or a command has run; nothing polls.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "platform/Types.h"
#include "project/ViewHints.h"
#include "ui/QtSettingsStore.h"

class CTvlDoc;
class CModule;
class CProjectNode;
class QAction;
class QComboBox;
class QMenu;
class QSplitter;
class QToolBar;

class CProjectResView;
class CTranslationView;
class CWndResourceAndHeaderViews;
class CProgressStatus;
namespace tvl {
class CTextMatcher;
}
class CWndSizePos;

// The dialogs that other parts of the interface provide. A command whose dialog is not
// installed stays disabled.
struct CDialogHooks {
  std::function<void()> insertModule;                  // File > Insert Module...
  std::function<void()> languages;                     // Translations > Languages...
  std::function<void(CModule*, LANGID)> buildTarget;   // Build... with the module (or none)
  std::function<void()> batchBuild;                    // Batch Build...
  std::function<void(CModule*)> importTranslation;     // Import an Existing Translation...
  std::function<bool(CModule*)> moduleProperties;      // Properties; true when closed with OK
  std::function<void()> exportScribe;                  // Scribe Edition > Export...
  std::function<void()> importScribe;                  // Scribe Edition > Import...
};

class CMainFrame : public QMainWindow, public CDocumentView {
  Q_OBJECT
 public:
  // store: where the settings live; nullptr keeps them under $XDG_CONFIG_HOME.
  explicit CMainFrame(CTvlDoc& document, std::unique_ptr<tvl::ui::CIniSettingsStore> store = nullptr);
  ~CMainFrame() override;

  CTvlDoc& GetDocument() const { return m_document; }
  CDialogHooks& Hooks() { return m_hooks; }
  // The user's settings, for what keeps its own values there (the check settings).
  tvl::ui::CIniSettingsStore& Store() const { return *m_store; }

  // What every view reads.
  LANGID GetSelectedLanguage() const { return m_selectedLanguage; }
  LANGID GetListSourceLanguage() const { return m_sourceLanguage; }
  bool IsSourceLanguageSelected() const;
  int GetMode() const { return m_mode; }
  bool GetShowNonTranslatable() const { return m_showNonTranslatable; }

  // The language list. The tree empties and fills it on its initial update.
  void ResetLanguageList();
  void InsertLanguage(LANGID language, bool isSource);
  void RemoveLanguage(LANGID language);
  // Selects the entry of the stored language, else the source entry, without notifying.
  void SelectStoredLanguage();
  // As the user choosing an entry; 0xFFFF is "Languages...".
  void ChooseLanguage(LANGID language);
  // As the user choosing a mode list entry (0..2).
  void ChooseModeEntry(int entry);
  // The View menu's mode commands.
  void OnModeCommand(int commandId);
  QComboBox* LanguageList() const { return m_languageList; }
  QComboBox* ModeList() const { return m_modeList; }

  // Documents.
  bool NewDocument();
  bool OpenDocumentFile(const std::u16string& path);
  bool SaveDocument();
  bool SaveDocumentAs(const std::u16string& path = {});
  // Asks to save a modified project; false when the user cancelled.
  bool SaveModified();
  const std::vector<std::u16string>& RecentFiles() const { return m_settings.m_recentFiles; }

  // Panes.
  CProjectResView* Tree() const { return m_tree; }
  CTranslationView* Editor() const { return m_editor; }
  CWndResourceAndHeaderViews* ResourcePane() const { return m_pane; }
  QSplitter* RowSplitter() const { return m_rowSplitter; }
  QSplitter* ColumnSplitter() const { return m_columnSplitter; }
  // What the find bar keeps of the list rows; null shows them all.
  const tvl::CTextMatcher* RowFilter() const { return m_rowFilter.get(); }
  void SetRowFilter(std::shared_ptr<const tvl::CTextMatcher> filter) { m_rowFilter = std::move(filter); }
  // The right pane for a selected node (none: an empty list).
  void ShowNodeViews(CProjectNode* node);

  // Dialog layout mode: available while a dialog view is open and a translation is selected.
  bool IsLayoutMode() const { return m_layoutMode; }
  void SetLayoutMode(bool on);
  bool CanLayoutMode() const;
  // The dialog view tells the window when it opens and closes.
  void SetDialogViewOpen(bool open);
  // The status bar's position and size readout, shown while layout mode applies.
  CWndSizePos* SizePos() const { return m_sizePos; }

  // Commands by id. RunCommand triggers the action when it is enabled, as a click would.
  QAction* Action(int id) const;
  void RunCommand(int id);
  // Sets every action's enabled, checked and text state from the command table; also for
  // whoever changes what the table reads without the document hearing of it (the dialog hooks).
  void UpdateCommandUi();
  // The document's changes: the title and the command states follow each one.
  void OnUpdate(int hint, const void* object) override;
  // "Tessalingvora - <title> *", with a space for an unmodified project.
  QString FrameTitle() const;
  void UpdateTitle();
  // Writes the settings now (also done when the window closes).
  void SaveSettings();
  // Shows the window as the stored placement says (maximized or normal).
  void ShowAtStartUp();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // One command: its action, what it does and when it is available.
  struct CCommand {
    QAction* action = nullptr;
    std::function<void()> run;
    std::function<bool()> enabled;  // empty: always available
    std::function<bool()> checked;  // empty: the action keeps its own check mark
    std::function<QString()> text;  // empty: the text stays
  };

  void CreateActions();
  void RouteCommands();
  void Route(int id, std::function<void()> run, std::function<bool()> enabled = {});
  void Execute(int id);
  // The window reads the other views' state, so it hears each hint after them.
  void ObserveLast();
  void CreateMenus();
  void CreateToolBar();
  void CreatePanes();
  void CreateSizePos();
  void CreateLayoutCommands();
  // The editor row's splitter: the editor takes a share of the window's growth.
  QSplitter* CreateRowSplitter();
  // The editor's stored height, or the height its boxes ask for, as far as the window allows.
  void PlaceEditorRow();
  // The window manager maximizes a window after showing it: until it has, the stored height
  // is what the editor gets, not a share of the growth.
  void AwaitMaximized();
  void LoadSettings();
  void AddRecentFile(const std::u16string& path);
  void RebuildRecentMenu();
  void SetModeListToMode();
  void ApplyLanguage(LANGID language);
  void OnOpen();
  void OnAbout();
  void OnUndo();
  void OnRedo();
  void OnDelete();
  QString DeleteText() const;
  // The focus widget, or the one that had it before a menu took it.
  QWidget* FocusedPane() const;
  bool EditorHasFocus() const;
  bool TreeHasFocus() const;
  void Broadcast(int hint);
  QAction* AddAction(int id, const QString& text, const QString& prompt, const QKeySequence& key = {});

  CTvlDoc& m_document;
  std::unique_ptr<tvl::ui::CIniSettingsStore> m_store;
  CMainFrameSettings m_settings;
  CDialogHooks m_hooks;

  LANGID m_selectedLanguage = 0;
  // The language last chosen: what a project's language list selects when it holds it.
  LANGID m_storedLanguage = 0;
  LANGID m_sourceLanguage = 0;
  int m_mode = 32782;
  bool m_showNonTranslatable = true;
  bool m_placementApplied = false;
  bool m_showMaximized = false;

  std::map<int, CCommand> m_commands;
  QMenu* m_recentMenu = nullptr;
  std::vector<QAction*> m_recentActions;
  QComboBox* m_modeList = nullptr;
  QComboBox* m_languageList = nullptr;
  QSplitter* m_rowSplitter = nullptr;
  QSplitter* m_columnSplitter = nullptr;
  CProjectResView* m_tree = nullptr;
  CWndResourceAndHeaderViews* m_pane = nullptr;
  CTranslationView* m_editor = nullptr;
  QToolBar* m_toolBar = nullptr;
  std::shared_ptr<const tvl::CTextMatcher> m_rowFilter;
  CProgressStatus* m_progress = nullptr;
  CWndSizePos* m_sizePos = nullptr;
  bool m_layoutMode = false;
  bool m_dialogViewOpen = false;
  QPointer<QWidget> m_paneFocus;  // the last focus outside the menus
  bool m_editorRowPending = false;
};
