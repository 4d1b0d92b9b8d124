// norvane map [--size WxH] [--radius KM] [--call PREFIX | --locator PREFIX]
//             [--target LOCATOR] -o FILE.png: the map window's picture, written to a file.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace cli {

// Needs a QGuiApplication (fonts). Exit 0, or 2 with one line on `err`.
int runMap(const QStringList& arguments, const QString& dataDirectory, QTextStream& out,
           QTextStream& err);

} // namespace cli
