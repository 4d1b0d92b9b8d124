// How a verification is shown: one line per finding, as compilers write them, the summary as
// a table of text, and the whole as JSON.
#pragma once

#include "logverifier.h"

#include <QJsonObject>
#include <QString>

namespace edilog {

// "FILE:LINE: error CODE: text"; a finding about the whole log has no line number.
QString FindingLine(const QString& file, const Finding& finding);

// The claims against the recomputed values, one per line, each difference marked, then the
// number of errors, warnings and notes. Lines end in '\n'.
QString SummaryText(const VerifyResult& result);

// {"file", "errors", "warnings", "notes", "convention", "dxccChecked", "findings": [...],
//  "summary": [...], "qsos": [...]}: the guide lists every member.
QJsonObject VerifyJson(const QString& file, const VerifyResult& result);

} // namespace edilog
