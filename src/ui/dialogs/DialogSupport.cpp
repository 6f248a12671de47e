#include "ui/dialogs/DialogSupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/LocaleTable.h"
#include "platform/PathForms.h"
#include "platform/Paths.h"
#include "ui/views/ListViewSupport.h"

namespace tvl::ui {

namespace {

ModalRunner& Runner() {
  static ModalRunner runner;
  return runner;
}

FileChooser& Chooser() {
  static FileChooser chooser;
  return chooser;
}

int g_beeps = 0;

}  // namespace

int RunModal(QDialog& dialog) {
  if (Runner()) return Runner()(dialog);
  return dialog.exec();
}

ModalRunner SetModalRunner(ModalRunner runner) {
  ModalRunner previous = std::move(Runner());
  Runner() = std::move(runner);
  return previous;
}

QString ChooseFile(QWidget* parent, const CFileRequest& request) {
  if (Chooser()) return Chooser()(parent, request);
  QFileDialog dialog(parent, request.title);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(QtNameFilters(request.filter));
  if (!request.defaultExtension.isEmpty()) dialog.setDefaultSuffix(request.defaultExtension);
  if (!request.start.isEmpty()) {
    if (tvl::PathIsDirectory(request.start.toStdU16String()))
      dialog.setDirectory(request.start);
    else
      dialog.selectFile(request.start);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

FileChooser SetFileChooser(FileChooser chooser) {
  FileChooser previous = std::move(Chooser());
  Chooser() = std::move(chooser);
  return previous;
}

QStringList QtNameFilters(const QString& filter) {
  static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  QStringList parts = filter.split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    if (description.isEmpty()) break;  // the "||" that ends the list
    // The description usually repeats its patterns; Qt reads them from the end.
    description.remove(trailingPatterns);
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      QString pattern = p.trimmed();
      if (pattern.isEmpty()) continue;
      patterns << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
    }
    if (patterns.isEmpty()) continue;
    result << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return result;
}

const char16_t* const kExecutableFilter =
    u"Executable Files (*.exe;*.dll;*.ocx;*.cpl)|*.exe;*.dll;*.ocx;*.cpl|All Files (*.*)|*.*||";
const char16_t* const kProjectFilter = u"Tessalingvora Files (*.tvl)|*.tvl|All Files (*.*)|*.*||";

void Beep() {
  ++g_beeps;
  QApplication::beep();
}

int BeepCount() { return g_beeps; }

QString OutputListLanguageName(LANGID language) {
  if (auto name = tvl::LocaleDisplayName(language)) return QString::fromStdU16String(*name);
  return QString::asprintf("0x%04X", static_cast<unsigned>(language));
}

QTreeWidget* CreateOutputList(QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setRootIsDecorated(false);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setAllColumnsShowFocus(true);
  list->setHeaderLabels({QStringLiteral("Language"), QStringLiteral("Filename")});
  list->setColumnWidth(0, 100);
  list->setColumnWidth(1, 300);
  list->header()->setStretchLastSection(false);
  // Both columns visible without scrolling.
  list->setMinimumWidth(100 + 300 + 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width());
  return list;
}

void FitListColumns(QTreeWidget* list, bool widen) {
  FitColumnsToContents(*list);
  if (!widen) return;
  int width = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < list->columnCount(); ++c) width += list->header()->sectionSize(c);
  if (QScreen* screen = list->screen()) width = std::min(width, screen->availableGeometry().width() * 4 / 5);
  list->setMinimumWidth(std::max(list->minimumWidth(), width));
}

QString WrappablePath(const std::u16string& path) {
  QString shown = QString::fromStdU16String(tvl::DisplayPath(path));
  // A zero-width space is where a line may break; it shows nothing.
  shown.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
  return shown;
}

}  // namespace tvl::ui

CDialogFilename::CDialogFilename(const QString& fileName, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Filename"));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("&Filename:"), this);
  m_box = new QLineEdit(fileName, this);
  m_box->setMinimumWidth(m_box->fontMetrics().averageCharWidth() * 50);
  label->setBuddy(m_box);
  layout->addWidget(label);
  layout->addWidget(m_box);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  m_box->setFocus();
}

QString CDialogFilename::FileName() const { return m_box->text(); }
