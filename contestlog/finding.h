// What a reader (and later the verifier) noticed in a log: a value with a place, a severity,
// a stable code and a text. The window, the command line and --json only present them.
#pragma once

#include <QString>
#include <vector>

namespace contestlog {

enum class Severity { Error, Warning, Note };
QString SeverityName(Severity severity); // "error", "warning", "note"

struct Finding {
    qsizetype line = 0; // 1-based line of the log; 0 for the log as a whole
    Severity severity = Severity::Error;
    QString code; // stable: scripts and the guide's table rely on it; add codes, never rename one
    QString text;
    qsizetype record = 0; // ADIF and ADX: the 1-based record the finding is about; 0 otherwise
};

qsizetype CountFindings(const std::vector<Finding>& findings, Severity severity);

} // namespace contestlog
