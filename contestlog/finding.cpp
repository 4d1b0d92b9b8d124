#include "finding.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace contestlog {

QString SeverityName(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return u"error"_s;
    case Severity::Warning:
        return u"warning"_s;
    case Severity::Note:
        break;
    }
    return u"note"_s;
}

qsizetype CountFindings(const std::vector<Finding>& findings, Severity severity) {
    return std::count_if(findings.begin(), findings.end(),
                         [&](const Finding& f) { return f.severity == severity; });
}

} // namespace contestlog
