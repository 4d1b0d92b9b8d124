// How failed expectations show texts: line breaks written out, since lists hold CR LF.
#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    *os << '"' << shown.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    PrintTo(QString::fromLatin1(bytes), os);
}
