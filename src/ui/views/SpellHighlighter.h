#pragma once
// Red wavy underlines under the words of the translation box that its spelling checker does
// not know. Only the block being highlighted is checked; answers are remembered per language.
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class CSpellChecker;

class CSpellHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
 public:
  CSpellHighlighter(QTextDocument* document, CSpellChecker& checker);
  // Off: nothing is marked (no dictionary, or nothing to translate). Redraws on a change.
  void SetActive(bool active);
  bool IsActive() const { return m_active; }

 protected:
  void highlightBlock(const QString& text) override;

 private:
  CSpellChecker& m_checker;
  QTextCharFormat m_format;
  bool m_active = false;
};
