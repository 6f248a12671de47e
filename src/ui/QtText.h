#pragma once
// Qt text from a model string and back: what every window and dialog converts with.
#include <QString>
#include <string>

inline QString QStr(const std::u16string& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }
inline std::u16string U16(const QString& s) { return s.toStdU16String(); }
