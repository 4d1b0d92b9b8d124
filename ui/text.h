// Text helpers shared by every handler: the runtime's upper case, number formats and
// line splitting. All comparisons elsewhere are plain, case-sensitive QString ones.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace ui {

inline const QString kCrLf = QStringLiteral("\r\n");

// Upper case one character at a time, so the length never changes (no "ß" -> "SS").
QString upperCase(QStringView text);

// Up to 15 significant digits, no leading space: 41.1458333333333, -16.5416666666667, 0.
QString plainNumber(double value);

// The plain form with one leading character reserved for the sign: " 268", "-5".
QString signSpaceNumber(double value);

// Every line break, CR LF, LF or a lone CR, as CR LF.
QString crLfLineBreaks(QString text);

// Pieces between CR LF pairs, empty pieces kept; an empty text gives no piece at all.
// A lone CR or LF stays inside its piece.
QStringList splitAtCrLf(const QString& text);

} // namespace ui
