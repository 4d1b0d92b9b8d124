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
    // One pass: QString::replace moves the rest of the text at every line break, which a
    // paste of a large log cannot afford.
    QString out(text.size() * 2, Qt::Uninitialized);
    QChar* to = out.data();
    const QChar* const end = text.cend();
    for (const QChar* at = text.cbegin(); at != end; ++at) {
        if (*at != u'\r' && *at != u'\n') {
            *to++ = *at;
            continue;
        }
        if (*at == u'\r' && at + 1 != end && at[1] == u'\n')
            ++at; // CR LF is one break
        *to++ = u'\r';
        *to++ = u'\n';
    }
    out.truncate(to - out.constData());
    return out;
}

QStringList splitAtCrLf(const QString& text) {
    if (text.isEmpty())
        return {};
    return text.split(kCrLf, Qt::KeepEmptyParts);
}

} // namespace ui
