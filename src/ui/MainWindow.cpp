#include "ui/MainWindow.h"
#include "ui/dialogs/DialogSupport.h"

#include <QClipboard>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "languages/Language.h"
#include "platform/Messages.h"
#include "project/TvlDoc.h"
#include "ui/GuiApplication.h"
#include "ui/QtText.h"
#include "ui/QtSettingsStore.h"
#include "ui/views/FindingsView.h"
#include "ui/views/MemoryView.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/FindViews.h"
#include "ui/views/ProgressStatus.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/ResourceHeaderView.h"
#include "ui/views/TranslationView.h"
#include "workspace/ViewRules.h"

namespace {

constexpr LANGID kLanguagesEntry = 0xFFFF;
constexpr int kTreeWidth = 175;

// The menu bar takes the focus while a menu is driven from the keyboard; no pane has it then.
bool IsMenuWidget(const QWidget* widget) { return qobject_cast<const QMenuBar*>(widget) || qobject_cast<const QMenu*>(widget); }

}  // namespace

CMainFrame::CMainFrame(CTvlDoc& document, std::unique_ptr<tvl::ui::CIniSettingsStore> store)
    : m_document(document), m_store(std::move(store)) {
  setObjectName(QStringLiteral("MainFrame"));
  if (!m_store) m_store = std::make_unique<tvl::ui::CIniSettingsStore>(tvl::ui::CIniSettingsStore::DefaultPath());
  m_settings.Load(*m_store);
  m_mode = m_settings.m_viewMode;
  m_showNonTranslatable = m_settings.m_showNonTranslatable;
  m_storedLanguage = m_settings.m_language;

  CreateActions();
  RouteCommands();
  CreateLayoutCommands();
  CreateMenus();
  CreateToolBar();
  CreatePanes();
  statusBar()->showMessage(tr("Ready"));
  m_progress = tvl::ui::InstallProgressStatus(*this);
  CreateSizePos();
  setAcceptDrops(true);
  resize(1000, 700);
  LoadSettings();
  SetModeListToMode();

  m_document.m_saveAs = [this](CTvlDoc&) { return SaveDocumentAs(); };
  ObserveLast();
  // Besides the document: the focus decides which pane the editing commands act on, and
  // the editor's boxes and the clipboard decide whether they can.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (!now || IsMenuWidget(now)) return;
    m_paneFocus = now;
    UpdateCommandUi();
  });
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateCommandUi(); });
  connect(m_editor, &CTranslationView::commandStateChanged, this, [this] { UpdateCommandUi(); });
  m_tree->OnInitialUpdate();
  UpdateTitle();
  UpdateCommandUi();
}

CMainFrame::~CMainFrame() {
  m_document.RemoveView(this);
  disconnect(qApp, nullptr, this, nullptr);
  disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
  m_document.m_saveAs = nullptr;
  // The views leave the document before the window's children are destroyed.
  delete m_editor;
  m_editor = nullptr;
  delete m_pane;
  m_pane = nullptr;
  delete m_tree;
  m_tree = nullptr;
}

// ---------------------------------------------------------------------------------------
// Creation

QAction* CMainFrame::AddAction(int id, const QString& text, const QString& prompt, const QKeySequence& key) {
  auto* a = new QAction(text, this);
  a->setData(id);
  if (!key.isEmpty()) a->setShortcut(key);
  // Prompts hold the status bar text and, after a line feed, the tooltip.
  int nl = prompt.indexOf(QLatin1Char('\n'));
  a->setStatusTip(nl < 0 ? prompt : prompt.left(nl));
  if (nl >= 0) a->setToolTip(prompt.mid(nl + 1));
  m_commands[id].action = a;
  connect(a, &QAction::triggered, this, [this, id] { Execute(id); });
  return a;
}

QAction* CMainFrame::Action(int id) const {
  auto it = m_commands.find(id);
  return it == m_commands.end() ? nullptr : it->second.action;
}

void CMainFrame::Route(int id, std::function<void()> run, std::function<bool()> enabled) {
  CCommand& command = m_commands.at(id);
  command.run = std::move(run);
  command.enabled = std::move(enabled);
}

void CMainFrame::Execute(int id) {
  auto it = m_commands.find(id);
  if (it == m_commands.end()) return;
  const CCommand& command = it->second;
  // The handler never runs on a state that changed after the action was last set.
  if (!command.enabled || command.enabled()) {
    if (command.run) command.run();
  }
  UpdateTitle();
  UpdateCommandUi();
}

void CMainFrame::ObserveLast() {
  m_document.RemoveView(this);
  m_document.AddView(this);
}

void CMainFrame::CreateActions() {
  QStyle* s = style();
  AddAction(ID_FILE_NEW, tr("&New"), tr("Create a new project\nNew"), QKeySequence::New)
      ->setIcon(s->standardIcon(QStyle::SP_FileIcon));
  AddAction(ID_FILE_OPEN, tr("&Open..."), tr("Open an existing project\nOpen"), QKeySequence::Open)
      ->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
  AddAction(ID_FILE_SAVE, tr("&Save"), tr("Save the project\nSave"), QKeySequence::Save)
      ->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
  AddAction(ID_FILE_SAVE_AS, tr("Save &As..."), tr("Save the project with a new name\nSave As"));
  AddAction(ID_FILE_INSERT_MODULE, tr("&Insert Module..."), tr("Insert executable module (exe, dll, ocx,...) into the project\nInsert Module"));
  AddAction(ID_UPDATE_SOURCE, tr("&Update Source"), tr("Update the source contents of the selected module\nUpdate Source"));
  AddAction(ID_UPDATE_SOURCE_ALL, tr("Update Source A&ll"), tr("Update the source contents of every module\nUpdate Source All"));
  AddAction(ID_EXPORT_SCRIBE, tr("&Export..."), tr("Export the project for a translator\nExport to Scribe Edition"));
  AddAction(ID_IMPORT_SCRIBE, tr("&Import..."), tr("Import a translator's project\nImport from Scribe Edition"));
  AddAction(ID_APP_EXIT, tr("E&xit"), tr("Quit the application\nExit"), QKeySequence(Qt::ALT | Qt::Key_F4));

  AddAction(ID_EDIT_UNDO, tr("&Undo"), tr("Undo the last action\nUndo"), QKeySequence(Qt::CTRL | Qt::Key_Z))
      ->setIcon(s->standardIcon(QStyle::SP_ArrowBack));
  AddAction(ID_EDIT_REDO, tr("&Redo"), tr("Redo the previously undone action\nRedo"), QKeySequence(Qt::CTRL | Qt::Key_Y))
      ->setIcon(s->standardIcon(QStyle::SP_ArrowForward));
  AddAction(ID_EDIT_CUT, tr("Cu&t"), tr("Cut the selection\nCut"), QKeySequence::Cut);
  AddAction(ID_EDIT_COPY, tr("&Copy"), tr("Copy the selection\nCopy"), QKeySequence::Copy);
  AddAction(ID_EDIT_PASTE, tr("&Paste"), tr("Insert the clipboard's contents\nPaste"), QKeySequence::Paste);
  // The Delete key belongs to the focused pane; the menu only names it.
  AddAction(ID_EDIT_DELETE, tr("&Delete\tDel"), tr("Delete the selection\nDelete"));
  AddAction(ID_EDIT_SELECT_ALL, tr("Select &All"), tr("Select the whole text\nSelect All"), QKeySequence::SelectAll);

  AddAction(ID_VIEW_TOOLBAR, tr("&Toolbar"), tr("Show or hide the toolbar\nToggle ToolBar"))->setCheckable(true);
  AddAction(ID_VIEW_STATUS_BAR, tr("Status &Bar"), tr("Show or hide the status bar\nToggle StatusBar"))
      ->setCheckable(true);
  AddAction(ID_VIEW_ALL_ITEMS, tr("&All Items"), tr("Display all items\nAll Items"))->setCheckable(true);
  AddAction(ID_VIEW_TRANSLATABLE, tr("A&ll Translatable Items"), tr("Display all translatable items\nAll Translatable Items"))
      ->setCheckable(true);
  AddAction(ID_VIEW_TO_TRANSLATE, tr("To Be Tra&nslated"), tr("Display items to be translated\nTo be translated"))
      ->setCheckable(true);
  AddAction(ID_VIEW_TO_EDIT, tr("To Be &Edited"), tr("Display items to be edited\nTo be edited"))->setCheckable(true);
  AddAction(ID_VIEW_REFRESH, tr("&Refresh"), tr("Read the language and the display mode again\nRefresh"),
            QKeySequence(Qt::Key_F5));
  AddAction(ID_LAYOUT_MODE, tr("&Dialog Layout Mode"), tr("Move and resize the controls of the dialog\nDialog Layout Mode"),
            QKeySequence(Qt::CTRL | Qt::Key_L))
      ->setCheckable(true);

  AddAction(ID_TRANSLATIONS_LANGUAGES, tr("&Languages..."), tr("Define the translation languages\nLanguages"));
  AddAction(ID_TRANSLATIONS_BUILD, tr("&Build..."), tr("Build a translated module\nBuild"), QKeySequence(Qt::Key_F7))
      ->setIcon(s->standardIcon(QStyle::SP_MediaPlay));
  AddAction(ID_BATCH_BUILD, tr("Batch B&uild..."), tr("Build several translated modules\nBatch Build"));
  AddAction(ID_IMPORT_TRANSLATION, tr("&Import an Existing Translation..."),
            tr("Take over the translations of a translated module\nImport an Existing Translation"));
  // The key is named as the tree's context menu names it; the keypad's Enter does the same.
  AddAction(ID_MODULE_PROPERTIES, tr("Module &Properties...\tAlt+Enter"),
            tr("Edit the properties of the selected module\nProperties"))
      ->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
  AddAction(ID_APP_ABOUT, tr("&About Tessalingvora..."), tr("Display program information and version\nAbout"));
}

void CMainFrame::RouteCommands() {
  auto hook = [](const auto& h) { return [&h] { return static_cast<bool>(h); }; };
  auto modules = [this] { return !m_document.m_modules.empty(); };
  auto editor = [this](bool (CTranslationView::*can)() const) {
    return [this, can] { return EditorHasFocus() && (m_editor->*can)(); };
  };

  Route(ID_FILE_NEW, [this] { NewDocument(); });
  Route(ID_FILE_OPEN, [this] { OnOpen(); });
  Route(ID_FILE_SAVE, [this] { SaveDocument(); });
  Route(ID_FILE_SAVE_AS, [this] { SaveDocumentAs(); });
  Route(ID_FILE_INSERT_MODULE, [this] { m_hooks.insertModule(); }, hook(m_hooks.insertModule));
  Route(ID_UPDATE_SOURCE, [this] { Broadcast(HintUpdateSource); }, modules);
  Route(ID_UPDATE_SOURCE_ALL, [this] { m_tree->OnUpdateSourceAll(); }, modules);
  Route(ID_EXPORT_SCRIBE, [this] { m_hooks.exportScribe(); }, hook(m_hooks.exportScribe));
  Route(ID_IMPORT_SCRIBE, [this] { Broadcast(HintImportScribe); }, hook(m_hooks.importScribe));
  Route(ID_APP_EXIT, [this] { close(); });

  Route(ID_EDIT_UNDO, [this] { OnUndo(); },
        [this] { return (EditorHasFocus() && m_editor->BoxCanUndo()) || m_document.CanUndo(); });
  Route(ID_EDIT_REDO, [this] { OnRedo(); },
        [this] { return (EditorHasFocus() && m_editor->BoxCanRedo()) || m_document.CanRedo(); });
  Route(ID_EDIT_CUT, [this] { m_editor->Cut(); }, editor(&CTranslationView::CanCut));
  Route(ID_EDIT_COPY, [this] { m_editor->Copy(); }, editor(&CTranslationView::CanCopy));
  Route(ID_EDIT_PASTE, [this] { m_editor->Paste(); }, editor(&CTranslationView::CanPaste));
  Route(ID_EDIT_SELECT_ALL, [this] { m_editor->SelectAll(); }, editor(&CTranslationView::CanSelectAll));
  Route(ID_EDIT_DELETE, [this] { OnDelete(); }, [this] {
    if (TreeHasFocus()) return m_tree->CanDeleteModule();
    if (EditorHasFocus()) return m_editor->CanDeleteTranslation();
    if (bool enabled = false; m_pane->ViewHasDeleteTranslation(enabled)) return enabled;
    return m_pane->Header() && m_pane->Header()->IsLinkShown(QStringLiteral("delete"));
  });
  m_commands.at(ID_EDIT_DELETE).text = [this] { return DeleteText(); };

  // The bars' check marks follow the bars, which the tool bar's own menu can hide too.
  Route(ID_VIEW_TOOLBAR, [this] { m_toolBar->setVisible(Action(ID_VIEW_TOOLBAR)->isChecked()); });
  m_commands.at(ID_VIEW_TOOLBAR).checked = [this] { return !m_toolBar->isHidden(); };
  Route(ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(Action(ID_VIEW_STATUS_BAR)->isChecked()); });
  m_commands.at(ID_VIEW_STATUS_BAR).checked = [this] { return !statusBar()->isHidden(); };
  auto translation = [this] { return !IsSourceLanguageSelected(); };
  for (int id : {ID_VIEW_ALL_ITEMS, ID_VIEW_TRANSLATABLE, ID_VIEW_TO_TRANSLATE, ID_VIEW_TO_EDIT}) {
    bool needsTranslation = id == ID_VIEW_TO_TRANSLATE || id == ID_VIEW_TO_EDIT;
    Route(id, [this, id] { OnModeCommand(id); }, needsTranslation ? std::function<bool()>(translation) : nullptr);
  }
  m_commands.at(ID_VIEW_ALL_ITEMS).checked = [this] { return m_mode == ID_VIEW_TRANSLATABLE && m_showNonTranslatable; };
  m_commands.at(ID_VIEW_TRANSLATABLE).checked = [this] { return m_mode == ID_VIEW_TRANSLATABLE && !m_showNonTranslatable; };
  m_commands.at(ID_VIEW_TO_TRANSLATE).checked = [this] { return m_mode == ID_VIEW_TO_TRANSLATE; };
  m_commands.at(ID_VIEW_TO_EDIT).checked = [this] { return m_mode == ID_VIEW_TO_EDIT; };
  Route(ID_VIEW_REFRESH, [this] { Broadcast(HintRefreshAll); });
  Route(ID_LAYOUT_MODE, [this] { SetLayoutMode(!m_layoutMode); }, [this] { return CanLayoutMode(); });
  m_commands.at(ID_LAYOUT_MODE).checked = [this] { return m_layoutMode; };

  Route(ID_TRANSLATIONS_LANGUAGES, [this] {
    if (m_document.CanDefineLanguages()) m_hooks.languages();
  }, hook(m_hooks.languages));
  // The tree carries out the commands on the selected module.
  Route(ID_TRANSLATIONS_BUILD, [this] { Broadcast(HintBuildTarget); }, hook(m_hooks.buildTarget));
  Route(ID_BATCH_BUILD, [this] { m_hooks.batchBuild(); }, hook(m_hooks.batchBuild));
  Route(ID_IMPORT_TRANSLATION, [this] { Broadcast(HintImportTranslation); },
        [this, modules] { return m_hooks.importTranslation && modules(); });
  Route(ID_MODULE_PROPERTIES, [this] { m_tree->OnProperties(); }, [this] { return m_tree->CanEditProperties(); });
  Route(ID_APP_ABOUT, [this] { OnAbout(); });
}

void CMainFrame::CreateMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(Action(ID_FILE_NEW));
  file->addAction(Action(ID_FILE_OPEN));
  file->addAction(Action(ID_FILE_SAVE));
  file->addAction(Action(ID_FILE_SAVE_AS));
  file->addSeparator();
  file->addAction(Action(ID_FILE_INSERT_MODULE));
  file->addAction(Action(ID_UPDATE_SOURCE));
  file->addAction(Action(ID_UPDATE_SOURCE_ALL));
  file->addSeparator();
  QMenu* scribe = file->addMenu(tr("Scribe &Edition"));
  scribe->addAction(Action(ID_EXPORT_SCRIBE));
  scribe->addAction(Action(ID_IMPORT_SCRIBE));
  file->addSeparator();
  m_recentMenu = file;
  for (int i = 0; i < kRecentFileCount; ++i) {
    auto* a = new QAction(this);
    a->setData(ID_FILE_MRU_FIRST + i);
    connect(a, &QAction::triggered, this, [this, i] {
      if (static_cast<size_t>(i) < m_settings.m_recentFiles.size())
        OpenDocumentFile(m_settings.m_recentFiles[static_cast<size_t>(i)]);
    });
    file->addAction(a);
    m_recentActions.push_back(a);
  }
  file->addSeparator();
  file->addAction(Action(ID_APP_EXIT));
  RebuildRecentMenu();

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addAction(Action(ID_EDIT_UNDO));
  edit->addAction(Action(ID_EDIT_REDO));
  edit->addSeparator();
  edit->addAction(Action(ID_EDIT_CUT));
  edit->addAction(Action(ID_EDIT_COPY));
  edit->addAction(Action(ID_EDIT_PASTE));
  edit->addAction(Action(ID_EDIT_DELETE));
  edit->addSeparator();
  edit->addAction(Action(ID_EDIT_SELECT_ALL));
  tvl::ui::InstallFind(*this, *edit);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addAction(Action(ID_VIEW_TOOLBAR));
  view->addAction(Action(ID_VIEW_STATUS_BAR));
  view->addSeparator();
  view->addAction(Action(ID_VIEW_ALL_ITEMS));
  view->addAction(Action(ID_VIEW_TRANSLATABLE));
  view->addAction(Action(ID_VIEW_TO_TRANSLATE));
  view->addSeparator();
  view->addAction(Action(ID_VIEW_REFRESH));
  view->addSeparator();
  view->addAction(Action(ID_LAYOUT_MODE));
  view->addAction(Action(ID_VIEW_LAYOUT_GRID));
  view->addAction(Action(ID_VIEW_LAYOUT_SNAP));

  // Alt+T belongs to the editor's "Translation:" box.
  QMenu* translations = menuBar()->addMenu(tr("T&ranslations"));
  translations->addAction(Action(ID_TRANSLATIONS_LANGUAGES));
  translations->addSeparator();
  translations->addAction(Action(ID_TRANSLATIONS_BUILD));
  translations->addAction(Action(ID_BATCH_BUILD));
  translations->addSeparator();
  translations->addAction(Action(ID_IMPORT_TRANSLATION));
  translations->addSeparator();
  translations->addAction(Action(ID_MODULE_PROPERTIES));
  tvl::ui::InstallChecks(*this, *translations);
  tvl::ui::InstallMemory(*this, *translations);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(Action(ID_APP_ABOUT));
  // However a menu is opened, it shows the states of the pane that had the focus.
  for (QAction* top : menuBar()->actions())
    if (QMenu* menu = top->menu()) connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUi(); });
}

void CMainFrame::CreateToolBar() {
  QToolBar* bar = m_toolBar = addToolBar(tr("Standard"));
  bar->setObjectName(QStringLiteral("StandardBar"));
  bar->addAction(Action(ID_FILE_NEW));
  bar->addAction(Action(ID_FILE_OPEN));
  bar->addAction(Action(ID_FILE_SAVE));
  bar->addSeparator();
  bar->addAction(Action(ID_EDIT_UNDO));
  bar->addAction(Action(ID_EDIT_REDO));
  bar->addSeparator();

  m_modeList = new QComboBox(bar);
  m_modeList->setObjectName(QStringLiteral("ModeList"));
  m_modeList->addItem(tr("All Items"), 0);
  m_modeList->addItem(tr("All Translatable Items"), 1);
  m_modeList->addItem(tr("Items to be Translated"), 2);
  m_modeList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  bar->addWidget(m_modeList);
  connect(m_modeList, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
    ChooseModeEntry(m_modeList->itemData(index).toInt());
  });

  m_languageList = new QComboBox(bar);
  m_languageList->setObjectName(QStringLiteral("LanguageList"));
  m_languageList->setMinimumContentsLength(24);
  m_languageList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  bar->addWidget(m_languageList);
  connect(m_languageList, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
    ChooseLanguage(static_cast<LANGID>(m_languageList->itemData(index).toUInt()));
  });
  bar->addSeparator();
  bar->addAction(Action(ID_TRANSLATIONS_BUILD));
}

void CMainFrame::CreatePanes() {
  m_rowSplitter = CreateRowSplitter();
  m_columnSplitter = new QSplitter(Qt::Horizontal, m_rowSplitter);
  m_columnSplitter->setObjectName(QStringLiteral("ColumnSplitter"));
  m_tree = new CProjectResView(this, m_document, m_columnSplitter);
  m_pane = new CWndResourceAndHeaderViews(this, m_document, m_columnSplitter);
  m_editor = new CTranslationView(this, m_document, m_rowSplitter);
  m_columnSplitter->addWidget(m_tree);
  m_columnSplitter->addWidget(m_pane);
  m_columnSplitter->setStretchFactor(0, 0);
  m_columnSplitter->setStretchFactor(1, 1);
  m_columnSplitter->setCollapsible(1, false);
  m_rowSplitter->addWidget(m_columnSplitter);
  m_rowSplitter->addWidget(m_editor);
  // The row splitter gives the editor its share of a resize; the top row takes the rest.
  m_rowSplitter->setStretchFactor(0, 1);
  m_rowSplitter->setStretchFactor(1, 0);
  m_rowSplitter->setCollapsible(0, false);
  m_rowSplitter->setCollapsible(1, false);
  setCentralWidget(m_rowSplitter);
}

// ---------------------------------------------------------------------------------------
// Settings

void CMainFrame::LoadSettings() {
  if (m_settings.m_placement) {
    CWindowPlacement p = *m_settings.m_placement;
    QRect stored(QPoint(p.m_left, p.m_top), QPoint(p.m_right - 1, p.m_bottom - 1));
    QScreen* screen = QGuiApplication::screenAt(stored.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
      QRect work = screen->availableGeometry();
      p.FitToWorkArea(work.left(), work.top(), work.left() + work.width(), work.top() + work.height());
    }
    if (p.m_right > p.m_left && p.m_bottom > p.m_top)
      setGeometry(p.m_left, p.m_top, p.m_right - p.m_left, p.m_bottom - p.m_top);
    m_showMaximized = p.IsMaximized();
  }
  QByteArray state = m_store->ReadWindowState();
  if (!state.isEmpty()) restoreState(state);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_placementApplied) return;
  m_placementApplied = true;
  // The splitters are placed once the window has its size.
  PlaceEditorRow();
  AwaitMaximized();
  int width = m_columnSplitter->width();
  int left = m_settings.m_splitterHorz ? static_cast<int>(*m_settings.m_splitterHorz) : kTreeWidth;
  left = std::max(left, 10);
  if (width > left) m_columnSplitter->setSizes({left, width - left});
}

void CMainFrame::SaveSettings() {
  CWindowPlacement p;
  QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
  p.m_left = normal.left();
  p.m_top = normal.top();
  p.m_right = normal.left() + normal.width();
  p.m_bottom = normal.top() + normal.height();
  p.m_showCmd = isMinimized() ? CWindowPlacement::kMinimized
                : isMaximized() ? CWindowPlacement::kMaximized
                                : CWindowPlacement::kNormal;
  m_settings.m_placement = p;
  QList<int> rows = m_rowSplitter->sizes();
  QList<int> columns = m_columnSplitter->sizes();
  if (rows.size() == 2 && m_placementApplied) m_settings.m_splitterVert = static_cast<DWORD>(rows[1]);
  if (columns.size() == 2 && m_placementApplied) m_settings.m_splitterHorz = static_cast<DWORD>(columns[0]);
  m_settings.m_viewMode = m_mode;
  m_settings.m_showNonTranslatable = m_showNonTranslatable;
  m_settings.m_language = m_storedLanguage;
  m_settings.Save(*m_store);
  m_store->WriteWindowState(saveState());
  m_store->Sync();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!SaveModified()) {
    event->ignore();
    return;
  }
  SaveSettings();
  event->accept();
}

// ---------------------------------------------------------------------------------------
// Display mode and language

bool CMainFrame::IsSourceLanguageSelected() const {
  return m_sourceLanguage != 0 && m_selectedLanguage == m_sourceLanguage;
}

void CMainFrame::Broadcast(int hint) { m_document.UpdateAllViews(hint); }

void CMainFrame::SetModeListToMode() {
  int entry = tvl::ModeListEntry(m_mode, m_showNonTranslatable);
  if (entry < 0) return;  // the list has no entry for "To be edited"
  for (int i = 0; i < m_modeList->count(); ++i)
    if (m_modeList->itemData(i).toInt() == entry) m_modeList->setCurrentIndex(i);
}

void CMainFrame::ChooseModeEntry(int entry) {
  int mode = m_mode;
  bool flag = m_showNonTranslatable;
  tvl::ModeFromListEntry(entry, mode, flag);
  if (IsSourceLanguageSelected() && tvl::ModeNeedsTranslationLanguage(mode)) {
    DoMessageBox(u"This mode cannot be used when the source language is selected. Please select a translation "
                 u"language first.",
                 MB_ICONERROR);
    SetModeListToMode();
    return;
  }
  m_mode = mode;
  m_showNonTranslatable = flag;
  SetModeListToMode();
  Broadcast(HintRefreshAll);
}

void CMainFrame::OnModeCommand(int commandId) {
  switch (commandId) {
    case ID_VIEW_ALL_ITEMS:
      m_mode = ID_VIEW_TRANSLATABLE;
      m_showNonTranslatable = true;
      break;
    case ID_VIEW_TRANSLATABLE:
      m_mode = ID_VIEW_TRANSLATABLE;
      m_showNonTranslatable = false;
      break;
    case ID_VIEW_TO_TRANSLATE:
    case ID_VIEW_TO_EDIT:
      if (IsSourceLanguageSelected()) return;  // disabled
      m_mode = commandId;
      break;
    default: return;
  }
  SetModeListToMode();
  Broadcast(HintRefreshAll);
}

void CMainFrame::ResetLanguageList() {
  m_languageList->clear();
  m_languageList->addItem(tr("Languages..."), static_cast<uint>(kLanguagesEntry));
  m_languageList->setEnabled(false);
  m_sourceLanguage = 0;
}

void CMainFrame::InsertLanguage(LANGID language, bool isSource) {
  for (int i = 0; i < m_languageList->count(); ++i)
    if (m_languageList->itemData(i).toUInt() == language) return;
  std::u16string name = CLanguage(language).GetName();
  if (isSource) {
    m_languageList->insertItem(0, QStr(FormatSourceLanguage(name)), static_cast<uint>(language));
    m_sourceLanguage = language;
  } else {
    int first = m_sourceLanguage != 0 ? 1 : 0;
    int last = m_languageList->count() - 1;  // "Languages..." stays last
    int at = last;
    for (int i = first; i < last; ++i) {
      if (tvl::CompareUiText(U16(m_languageList->itemText(i)), name) > 0) {
        at = i;
        break;
      }
    }
    m_languageList->insertItem(at, QStr(name), static_cast<uint>(language));
  }
  m_languageList->setEnabled(true);
}

void CMainFrame::SelectStoredLanguage() {
  int index = -1;
  for (int i = 0; i < m_languageList->count(); ++i) {
    uint data = m_languageList->itemData(i).toUInt();
    if (data != kLanguagesEntry && data == m_storedLanguage) index = i;
  }
  if (index < 0 && m_sourceLanguage != 0) index = 0;
  m_languageList->setCurrentIndex(index);
  m_selectedLanguage = index >= 0 ? static_cast<LANGID>(m_languageList->itemData(index).toUInt()) : 0;
}

void CMainFrame::ApplyLanguage(LANGID language) {
  m_selectedLanguage = language;
  m_storedLanguage = language;
  for (int i = 0; i < m_languageList->count(); ++i)
    if (m_languageList->itemData(i).toUInt() == language) m_languageList->setCurrentIndex(i);
  if (IsSourceLanguageSelected() && tvl::ModeNeedsTranslationLanguage(m_mode)) {
    m_mode = ID_VIEW_TRANSLATABLE;  // the flag is kept
    SetModeListToMode();
  }
  if (IsSourceLanguageSelected()) SetLayoutMode(false);
  Broadcast(HintRefreshAll);
}

void CMainFrame::ChooseLanguage(LANGID language) {
  if (language == kLanguagesEntry) {
    RunCommand(ID_TRANSLATIONS_LANGUAGES);
    // Back to the language that stays selected.
    int index = -1;
    for (int i = 0; i < m_languageList->count(); ++i)
      if (m_languageList->itemData(i).toUInt() == m_selectedLanguage && m_selectedLanguage != kLanguagesEntry)
        index = i;
    m_languageList->setCurrentIndex(index);
    return;
  }
  ApplyLanguage(language);
}

void CMainFrame::RemoveLanguage(LANGID language) {
  int index = -1;
  for (int i = 0; i < m_languageList->count(); ++i)
    if (m_languageList->itemData(i).toUInt() == language) index = i;
  if (index < 0) return;
  bool wasSelected = m_languageList->currentIndex() == index;
  m_languageList->removeItem(index);
  if (language == m_sourceLanguage) m_sourceLanguage = 0;
  bool empty = m_languageList->count() <= 1;  // only "Languages..." is left
  if (empty) m_languageList->setEnabled(false);
  if (wasSelected) {
    if (empty) {
      m_languageList->setCurrentIndex(-1);
      m_selectedLanguage = 0;
      Broadcast(HintRefreshAll);
    } else {
      ApplyLanguage(static_cast<LANGID>(m_languageList->itemData(0).toUInt()));
    }
  }
}

// ---------------------------------------------------------------------------------------
// Documents

QString CMainFrame::FrameTitle() const { return QStr(MainWindowTitle(m_document.GetTitle(), m_document.IsModified())); }

void CMainFrame::ShowAtStartUp() {
  if (m_showMaximized)
    showMaximized();
  else
    show();
}

void CMainFrame::UpdateTitle() {
  QString title = FrameTitle();
  if (windowTitle() != title) setWindowTitle(title);
}

bool CMainFrame::SaveModified() {
  if (!m_document.IsModified()) return true;
  int answer = DoMessageBox(FormatMessageText(u"Save changes to %1?", {Arg(m_document.GetTitle())}),
                            MB_YESNOCANCEL | MB_ICONWARNING);
  if (answer == IDCANCEL) return false;
  if (answer == IDYES) return SaveDocument();
  return true;
}

bool CMainFrame::NewDocument() {
  if (!SaveModified()) return false;
  m_tree->ClearTree();
  m_document.OnNewDocument();
  m_tree->OnInitialUpdate();
  UpdateTitle();
  return true;
}

bool CMainFrame::OpenDocumentFile(const std::u16string& path) {
  if (!SaveModified()) return false;
  // The tree lets go of the model before the document empties it.
  m_tree->ClearTree();
  ShowNodeViews(nullptr);
  bool ok = m_document.OnOpenDocument(path);
  if (ok) {
    AddRecentFile(m_document.GetPathName());
  } else {
    auto& recent = m_settings.m_recentFiles;
    recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
    RebuildRecentMenu();
  }
  m_tree->OnInitialUpdate();
  UpdateTitle();
  return ok;
}

bool CMainFrame::SaveDocument() {
  if (m_document.GetPathName().empty()) return SaveDocumentAs();
  bool ok = m_document.DoSave(m_document.GetPathName());
  if (ok) AddRecentFile(m_document.GetPathName());
  UpdateTitle();
  return ok;
}

bool CMainFrame::SaveDocumentAs(const std::u16string& path) {
  std::u16string target = path;
  if (target.empty()) {
    tvl::ui::CFileRequest request;
    request.save = true;
    request.title = tr("Save As");
    request.filter = QStr(tvl::ui::kProjectFilter);
    request.defaultExtension = QStringLiteral("tvl");
    request.start = QStr(m_document.GetTitle());
    QString chosen = tvl::ui::ChooseFile(this, request);
    if (chosen.isEmpty()) return false;
    target = U16(chosen);
  }
  bool ok = m_document.DoSave(target);
  if (ok) AddRecentFile(m_document.GetPathName());
  UpdateTitle();
  return ok;
}

void CMainFrame::OnOpen() {
  tvl::ui::CFileRequest request;
  request.title = tr("Open");
  request.filter = QStr(tvl::ui::kProjectFilter);
  QString path = tvl::ui::ChooseFile(this, request);
  if (!path.isEmpty()) OpenDocumentFile(U16(path));
}

void CMainFrame::AddRecentFile(const std::u16string& path) {
  if (path.empty()) return;
  auto& recent = m_settings.m_recentFiles;
  recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
  recent.insert(recent.begin(), path);
  if (recent.size() > static_cast<size_t>(kRecentFileCount)) recent.resize(static_cast<size_t>(kRecentFileCount));
  RebuildRecentMenu();
}

void CMainFrame::RebuildRecentMenu() {
  const auto& recent = m_settings.m_recentFiles;
  for (size_t i = 0; i < m_recentActions.size(); ++i) {
    QAction* a = m_recentActions[i];
    if (i < recent.size()) {
      // An '&' in a folder name is no mnemonic.
      QString path = QStr(recent[i]).replace(QLatin1Char('&'), QStringLiteral("&&"));
      a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
      a->setVisible(true);
    } else {
      a->setVisible(false);
    }
  }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* data = event->mimeData();
  if (data && data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile())
    event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  if (!data || !data->hasUrls() || data->urls().isEmpty()) return;
  QString path = data->urls().first().toLocalFile();
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  activateWindow();
  OpenDocumentFile(U16(path));
}

void CMainFrame::OnAbout() {
  QString banner = QStr(LoadResString(IDS_BANNER)).trimmed();
  QMessageBox box(this);
  box.setWindowTitle(tr("About Tessalingvora"));
  box.setIconPixmap(windowIcon().pixmap(48, 48));
  box.setText(banner);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

// ---------------------------------------------------------------------------------------
// Panes and commands

void CMainFrame::ShowNodeViews(CProjectNode* node) {
  if (!m_pane) return;
  m_pane->ShowNode(node);
  ObserveLast();
  // Without a view to work in, the tree keeps the focus.
  if (!QApplication::focusWidget() && m_tree) m_tree->setFocus();
  UpdateCommandUi();
}

QWidget* CMainFrame::FocusedPane() const {
  QWidget* f = QApplication::focusWidget();
  return f && !IsMenuWidget(f) ? f : m_paneFocus.data();
}

bool CMainFrame::EditorHasFocus() const {
  QWidget* f = FocusedPane();
  return f && m_editor && (f == m_editor || m_editor->isAncestorOf(f));
}

bool CMainFrame::TreeHasFocus() const { return m_tree && FocusedPane() == m_tree; }

void CMainFrame::RunCommand(int id) {
  QAction* a = Action(id);
  if (a && a->isEnabled()) a->trigger();
}

void CMainFrame::OnUndo() {
  if (EditorHasFocus() && m_editor->BoxCanUndo())
    m_editor->BoxUndo();
  else if (m_document.CanUndo())
    m_document.Undo();
}

void CMainFrame::OnRedo() {
  if (EditorHasFocus() && m_editor->BoxCanRedo())
    m_editor->BoxRedo();
  else if (m_document.CanRedo())
    m_document.Redo();
}

void CMainFrame::OnDelete() {
  if (TreeHasFocus())
    m_tree->OnDeleteModule();
  else if (EditorHasFocus())
    m_editor->DeleteTranslation();
  else if (bool enabled = false; m_pane->ViewHasDeleteTranslation(enabled))
    m_pane->ViewDeleteTranslation();
  else
    Broadcast(HintDeleteTranslation);
}

QString CMainFrame::DeleteText() const {
  if (TreeHasFocus()) return tr("&Delete Module\tDel");
  if (EditorHasFocus()) return tr("&Delete Translation\tDel");
  if (bool enabled = false; m_pane->ViewHasDeleteTranslation(enabled)) return tr("&Delete Translation\tDel");
  return tr("&Delete\tDel");
}

void CMainFrame::UpdateCommandUi() {
  // Also reached from focus changes while the window is being taken down.
  if (!m_tree || !m_pane || !m_editor) return;
  // A menu driven from the keyboard keeps the states it opened with: the views answer from
  // the focus, which the menu bar holds until the menu closes.
  if (IsMenuWidget(QApplication::focusWidget())) return;
  for (auto& [id, command] : m_commands) {
    QAction* a = command.action;
    a->setEnabled(!command.enabled || command.enabled());
    if (command.checked) a->setChecked(command.checked());
    if (command.text) {
      QString text = command.text();
      if (a->text() != text) a->setText(text);
    }
  }
}

void CMainFrame::OnUpdate(int hint, const void* object) {
  if (m_progress) m_progress->OnHint(hint, object);
  UpdateTitle();
  UpdateCommandUi();
}
