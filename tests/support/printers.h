// How failed expectations show texts: line breaks written out, since lists hold CR LF.
#pragma once

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    *os << '"' << shown.toStdString() << '"';
}
