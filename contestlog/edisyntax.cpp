#include "edisyntax.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace contestlog {

int EditDistance(QStringView a, QStringView b) {
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            const bool same = a[i - 1].toUpper() == b[j - 1].toUpper();
            row[size_t(j)] =
                std::min({row[size_t(j)] + 1, row[size_t(j) - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

bool NearSectionName(QStringView given, QStringView wanted) {
    // Names apart by more than two letters in length are more than two edits apart: a long
    // line in brackets costs nothing.
    return given == wanted ||
           (std::abs(given.size() - wanted.size()) <= 2 && EditDistance(given, wanted) <= 2);
}

QStringView BracketName(QStringView trimmedLine) {
    qsizetype end = trimmedLine.indexOf(u';');
    if (end < 0)
        end = trimmedLine.indexOf(u']');
    return trimmedLine.sliced(1, (end < 0 ? trimmedLine.size() : end) - 1);
}

bool EndsRemarks(QStringView line) {
    const QStringView trimmed = line.trimmed();
    if (!trimmed.startsWith(u'['))
        return false;
    const QStringView name = BracketName(trimmed);
    return name.startsWith(u"END", Qt::CaseInsensitive) || NearSectionName(name, u"QSORecords");
}

} // namespace contestlog
