#include "ui/views/SpellHighlighter.h"

#include "ui/QtText.h"
#include "workspace/SpellChecker.h"

CSpellHighlighter::CSpellHighlighter(QTextDocument* document, CSpellChecker& checker)
    : QSyntaxHighlighter(document), m_checker(checker) {
  m_format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
  m_format.setUnderlineColor(Qt::red);
}

void CSpellHighlighter::SetActive(bool active) {
  if (active == m_active) return;
  m_active = active;
  rehighlight();
}

void CSpellHighlighter::highlightBlock(const QString& text) {
  if (!m_active) return;
  std::u16string block = U16(text);
  for (const CSpellWord& w : m_checker.Misspelled(block)) {
    // A mnemonic '&' inside the word stays unmarked.
    size_t run = w.start;
    for (size_t i = w.start; i <= w.start + w.length; ++i) {
      if (i < w.start + w.length && block[i] != u'&') continue;
      if (i > run) setFormat(static_cast<int>(run), static_cast<int>(i - run), m_format);
      run = i + 1;
    }
  }
}
