#include "text.h"

#include <cmath>

namespace ui {

QString upperCase(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (const QChar ch : text)
        *dst++ = ch.toUpper();
    return out;
}

QString plainNumber(double value) {
    if (value == 0.0)
        return QStringLiteral("0"); // also folds -0
    QString text = QString::number(value, 'g', 15);
    // Exponents read 1E-05, 1.5E+20, as the runtime has always shown them.
    return text.replace(QLatin1Char('e'), QLatin1Char('E'));
}

QString signSpaceNumber(double value) {
    const QString plain = plainNumber(value);
    return plain.startsWith(QLatin1Char('-')) ? plain : QLatin1Char(' ') + plain;
}

QString crLfLineBreaks(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.replace(QLatin1Char('\n'), kCrLf);
}

QStringList splitAtCrLf(const QString& text) {
    if (text.isEmpty())
        return {};
    return text.split(kCrLf, Qt::KeepEmptyParts);
}

} // namespace ui
