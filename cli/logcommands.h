// verify, convert and crosscheck: the commands that need Qt Core alone, so that the command
// program runs them without loading the windows' libraries.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTextStream>

namespace cli {

inline bool isLogCommand(QStringView word) {
    return word == u"verify" || word == u"convert" || word == u"crosscheck";
}

// Runs one of them, as runCommand does.
int runLogCommand(const QString& command, const QStringList& arguments,
                  const QString& dataDirectory, QTextStream& out, QTextStream& err);

} // namespace cli
