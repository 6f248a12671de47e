#pragma once
// Building targets, the batch build, importing a translated executable and exchanging
// copies with translators: what these dialogs share, and the seams tests replace.
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "project/TvlDoc.h"
#include "ui/dialogs/DialogSupport.h"

class CMainFrame;
class QDialog;
class QWidget;

namespace tvl::ui {

// The wait cursor for the life of the object; messages shown meanwhile get the ordinary
// cursor back while they are up.
class CWaitCursor : private CMessageSink {
 public:
  CWaitCursor();
  ~CWaitCursor() override;
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  int Show(const std::u16string& text, UINT type, UINT helpId) override;
  CMessageSink* m_previous;
};

}  // namespace tvl::ui

// The choices the exchange operations ask for, answered with this program's dialogs.
class CGuiUserChoices : public CUserChoices {
 public:
  CGuiUserChoices(CTvlDoc& document, QWidget* parent) : m_document(document), m_parent(parent) {}
  LANGID ChooseImportLanguage(const CModule& module, const std::u16string& path, LANGID guessed) override;
  std::vector<LANGID> ChooseScribeLanguages(const std::u16string& path, const CLanguageArray& available) override;

 private:
  CTvlDoc& m_document;
  QWidget* m_parent;
};
