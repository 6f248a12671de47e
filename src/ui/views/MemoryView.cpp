#include "ui/views/MemoryView.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>
#include <ctime>

#include "checks/CheckReport.h"
#include "languages/Language.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"
#include "tm/ProjectMemory.h"
#include "tm/TmText.h"
#include "ui/MainWindow.h"
#include "ui/QtSettingsStore.h"
#include "ui/QtText.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/views/TranslationView.h"

namespace {

QString ForDisplay(const std::u16string& text) {
  QString s = QStr(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

// The stored source with what differs from the text looked up on a coloured ground.
QString MarkedSource(const std::u16string& stored, const std::u16string& wanted) {
  auto spans = tvl::DifferingSpans(tvl::AnalyseTmText(stored), tvl::AnalyseTmText(wanted));
  QString html;
  size_t at = 0;
  auto plain = [&](size_t from, size_t to) { return ForDisplay(stored.substr(from, to - from)).toHtmlEscaped(); };
  for (auto [begin, end] : spans) {
    html += plain(at, begin) + QStringLiteral("<span style=\"background-color:#ffd27f\">") + plain(begin, end) +
            QStringLiteral("</span>");
    at = end;
  }
  html += plain(at, stored.size());
  return html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

}  // namespace

CMemoryMatchesView::CMemoryMatchesView(CMainFrame* frame, CTvlDoc& document, QWidget* parent)
    : QTreeWidget(parent), m_frame(frame), m_document(document) {
  setObjectName(QStringLiteral("memoryMatches"));
  setColumnCount(3);
  setHeaderLabels({tr("Match"), tr("Source"), tr("Translation")});
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  header()->setStretchLastSection(true);
  setColumnWidth(0, 110);
  setColumnWidth(1, 320);
  connect(this, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { Insert(static_cast<size_t>(indexOfTopLevelItem(item))); });
  m_document.AddView(this);
}

CMemoryMatchesView::~CMemoryMatchesView() { m_document.RemoveView(this); }

CTranslationMemory* CMemoryMatchesView::Memory() {
  if (m_memory.IsOpen()) return &m_memory;
  if (m_failed) return nullptr;
  // The window's own settings, as every other choice of the user.
  std::u16string path = m_frame->Store().ReadString(u"Translation Memory", u"File").value_or(u"");
  try {
    m_memory.Open(path.empty() ? CTranslationMemory::DefaultPath() : tvl::ToUtf8(path));
    return &m_memory;
  } catch (const CTmError& e) {
    m_failed = true;
    DoMessageBox(tvl::MemoryErrorText(m_memory, e), MB_ICONERROR);
    return nullptr;
  }
}

const CMemoryMatchesView::CPlace* CMemoryMatchesView::PlaceOf(const CLocalizedString* element) {
  auto it = m_places.find(element);
  if (it != m_places.end()) return &it->second;
  // A text the map does not know: the project changed since it was made.
  m_places.clear();
  for (const auto& module : m_document.m_modules) {
    std::vector<CExchangeItem> items;
    tvl::CollectModuleItems(*module, items);
    for (const CExchangeItem& item : items) m_places[item.m_value] = {item.m_id, module->m_sourceLanguage};
  }
  it = m_places.find(element);
  return it == m_places.end() ? nullptr : &it->second;
}

void CMemoryMatchesView::Show(const CTranslationRequest* request) {
  clear();
  m_matches.clear();
  const auto* head = request ? dynamic_cast<const CLocalizedString*>(request->m_element) : nullptr;
  if (!head || head->m_text.empty() || !request->m_language || request->m_language == head->m_language) return;
  const CPlace* place = PlaceOf(head);
  CTranslationMemory* memory = place ? Memory() : nullptr;
  if (!memory) return;
  try {
    m_matches = memory->Lookup(LanguageTag(place->source), LanguageTag(request->m_language), head->m_text, kMinShown,
                               kShown, place->id);
  } catch (const CTmError& e) {
    DoMessageBox(tvl::MemoryErrorText(m_memory, e), MB_ICONERROR);
    return;
  }
  for (size_t i = 0; i < m_matches.size(); ++i) {
    const CTmMatch& m = m_matches[i];
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, tr("%1 %   Ctrl+%2").arg(m.m_percent).arg(i + 1));
    item->setText(2, ForDisplay(m.m_suggestion));
    item->setToolTip(1, QString::fromStdString(m.m_segment.m_module + "/" + m.m_segment.m_resource + "/" + m.m_segment.m_element));
    auto* source = new QLabel(MarkedSource(m.m_segment.m_source, head->m_text), this);
    source->setTextFormat(Qt::RichText);
    setItemWidget(item, 1, source);
  }
}

bool CMemoryMatchesView::Insert(size_t index) {
  CTranslationView* editor = m_frame->Editor();
  if (index >= m_matches.size() || !editor || !editor->IsFormEnabled()) return false;
  CTranslationEdit* box = editor->TranslationBox();
  box->setPlainText(ForDisplay(m_matches[index].m_suggestion));
  box->moveCursor(QTextCursor::End);
  box->setFocus();
  return true;
}

void CMemoryMatchesView::Keep(CLocalizedString* element, LANGID language, const std::u16string& text) {
  const CPlace* place = PlaceOf(element);
  CTranslationMemory* memory = place ? Memory() : nullptr;
  CTmSegment segment;
  if (!memory || !tvl::MakeSegment(place->source, element->m_text, language, text, place->id,
                                   static_cast<std::int64_t>(std::time(nullptr)), segment))
    return;
  try {
    memory->Add({segment});
  } catch (const CTmError& e) {
    DoMessageBox(tvl::MemoryErrorText(m_memory, e), MB_ICONERROR);
  }
}

void CMemoryMatchesView::OnUpdate(int hint, const void* object) {
  switch (hint) {
    case HintTranslationRequest: Show(static_cast<const CTranslationRequest*>(object)); break;
    case HintTranslationCommitted: {
      const auto* request = static_cast<const CTranslationRequest*>(object);
      auto* element = request ? dynamic_cast<CLocalizedString*>(request->m_element) : nullptr;
      if (element && !request->m_skip && !request->m_erase && !request->m_toggle && !request->m_text.empty())
        Keep(element, request->m_language, request->m_text);
      break;
    }
    case HintModuleInserted:
    case HintUpdateSource:
    case HintRebuildTree:
      m_places.clear();
      break;
    default: break;
  }
}

void CMemoryMatchesView::Pretranslate() {
  if (m_document.m_modules.empty() || m_document.m_languages.GetSize() == 0) return;
  CPretranslateDlg dialog(m_document, m_frame->GetSelectedLanguage(), m_frame);
  if (tvl::ui::RunModal(dialog) != QDialog::Accepted) return;
  CTranslationMemory* memory = Memory();
  if (!memory) return;
  CPretranslateResult result;
  std::unique_ptr<CUndoPretranslate> action;
  try {
    action = tvl::Pretranslate(m_document, *memory, dialog.Language(), dialog.MinMatch(), result);
  } catch (const CTmError& e) {
    DoMessageBox(tvl::MemoryErrorText(m_memory, e), MB_ICONERROR);
    return;
  }
  if (action) {
    QPointer<CMemoryMatchesView> self(this);
    // After the tree has applied an undo or redo, every view shows the project anew.
    action->m_afterApply = [self] {
      QTimer::singleShot(0, [self] {
        if (self) self->m_document.UpdateAllViews(HintRefreshAll);
      });
    };
    m_document.AddUndoAction(std::move(action));
    m_document.SetModifiedFlag(true);
    m_document.UpdateAllViews(HintRefreshAll);
  }
  DoMessageBox(tvl::FromUtf8(tvl::PretranslateSummary(result, dialog.Language(), dialog.MinMatch())), MB_ICONINFORMATION);
}

CPretranslateDlg::CPretranslateDlg(CTvlDoc& document, LANGID selected, QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Pre-translate"));
  auto* form = new QFormLayout(this);
  m_language = new QComboBox(this);
  for (const CLanguage& l : document.m_languages) {
    m_language->addItem(QStr(l.GetName()), static_cast<unsigned>(l.GetLanguage()));
    if (l.GetLanguage() == selected) m_language->setCurrentIndex(m_language->count() - 1);
  }
  m_minMatch = new QSpinBox(this);
  m_minMatch->setRange(CMemoryMatchesView::kMinShown, 100);
  m_minMatch->setValue(100);
  m_minMatch->setSuffix(QStringLiteral(" %"));
  form->addRow(tr("&Language:"), m_language);
  form->addRow(tr("&Minimum match:"), m_minMatch);
  form->addRow(new QLabel(tr("Exact matches are filled in as translated; lower matches\nare marked not up to date, to be reviewed."), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

LANGID CPretranslateDlg::Language() const { return static_cast<LANGID>(m_language->currentData().toUInt()); }
int CPretranslateDlg::MinMatch() const { return m_minMatch->value(); }

namespace tvl::ui {

CMemoryMatchesView* InstallMemory(CMainFrame& frame, QMenu& translations) {
  auto* dock = new QDockWidget(QObject::tr("Memory Matches"), &frame);
  dock->setObjectName(QStringLiteral("memoryDock"));
  auto* view = new CMemoryMatchesView(&frame, frame.GetDocument(), dock);
  // The pane may shrink to its header: it never makes the window larger than it was placed.
  view->setMinimumHeight(1);
  dock->setWidget(view);
  // Under the other lists of the bottom area, not beside them: each keeps the window's width.
  frame.addDockWidget(Qt::BottomDockWidgetArea, dock, Qt::Vertical);
  for (int i = 0; i < static_cast<int>(CMemoryMatchesView::kShown); ++i) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + i)), &frame);
    shortcut->setObjectName(QStringLiteral("insertMatch%1").arg(i + 1));
    QObject::connect(shortcut, &QShortcut::activated, view, [view, i] { view->Insert(static_cast<size_t>(i)); });
  }
  QAction* pretranslate = translations.addAction(QObject::tr("P&re-translate..."));
  pretranslate->setObjectName(QStringLiteral("pretranslate"));
  pretranslate->setStatusTip(QObject::tr("Fill untranslated texts from the translation memory"));
  QObject::connect(pretranslate, &QAction::triggered, view, [view] { view->Pretranslate(); });
  return view;
}

}  // namespace tvl::ui
