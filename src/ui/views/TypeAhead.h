#pragma once
// Type-ahead in the translation lists, and the ids they show.
#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <string>

#include "platform/Text.h"
#include "ui/QtText.h"
#include "workspace/TextFinder.h"

namespace tvl::ui {

// What was typed into a list within the keyboard interval. A new search starts after the
// current row; typing on searches from it; one character typed again goes on to the next
// row beginning with it.
class CTypeAhead {
 public:
  // The row to select, or -1; anyText(row, test) applies a test to the row's texts.
  template <class AnyText>
  int Find(const QString& typed, int rows, int current, AnyText anyText) {
    if (!m_clock.isValid() || m_clock.elapsed() > QApplication::keyboardInputInterval()) m_typed.clear();
    m_clock.restart();
    const bool fresh = m_typed.isEmpty();
    m_typed += typed;
    const bool repeated = m_typed.size() > 1 && m_typed.count(m_typed.front()) == m_typed.size();
    const std::u16string wanted = U16(repeated ? m_typed.left(1) : m_typed);
    const int start = current < 0 ? 0 : current + (fresh || repeated ? 1 : 0);
    for (int k = 0; k < rows; ++k) {
      const int row = (start + k) % rows;
      if (anyText(row, [&wanted](std::u16string_view text) { return tvl::BeginsWithTyped(text, wanted); }))
        return row;
    }
    return -1;
  }

 private:
  QString m_typed;
  QElapsedTimer m_clock;
};

// A number as the lists show ids.
inline std::u16string IdText(unsigned long id) { return tvl::FromUtf8(std::to_string(id)); }

}  // namespace tvl::ui
