// norvane verify LOG... [--json] [--fix OUT.edi]: every finding of each log, then its claims
// against the recomputed values.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace cli {

// 0 when no log has an error (warnings and notes allowed), 1 when one has, 2 for a log that
// cannot be read, a bad option, or a fixed copy that cannot be written.
int runVerify(const QStringList& arguments, const QString& dataDirectory, QTextStream& out,
              QTextStream& err);

} // namespace cli
