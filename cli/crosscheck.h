// norvane crosscheck LOG... [--check-log LOG...] [--rules FILE] [-o FOLDER] [--json] [--as CALL]:
// a contest's logs checked against each other, as the contest robot does.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace cli {

// 0 when every log took part, 1 when some could not or fail the rules (each named on `err`),
// 2 for a bad option, a rules file that cannot be read, no log, or reports that cannot be
// written; nothing is written outside the -o folder.
int runCrossCheck(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace cli
