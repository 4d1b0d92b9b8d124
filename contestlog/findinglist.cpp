#include "findinglist.h"

#include "reader.h"

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace contestlog {

namespace {

constexpr qsizetype kMaxFindingsPerCode = 100;

} // namespace

bool FindingList::counted(const char* code) {
    for (auto& [name, count] : perCode_)
        if (std::strcmp(name, code) == 0)
            return ++count <= kMaxFindingsPerCode;
    perCode_.emplace_back(code, 1);
    return true;
}

std::vector<Finding> FindingList::take() {
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    std::sort(perCode_.begin(), perCode_.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.first, b.first) < 0; });
    for (const auto& [code, count] : perCode_)
        if (count > kMaxFindingsPerCode)
            findings_.push_back(
                {0, Severity::Note, u"more"_s,
                 u"%1 more %2 finding(s) are not shown"_s.arg(count - kMaxFindingsPerCode)
                     .arg(QLatin1StringView(code))});
    perCode_.clear();
    return std::move(findings_);
}

bool LogReader::room(qsizetype line) {
    if (++kept_ == kMaxKeptLines + 1)
        findings_.add(line, Severity::Error, "too-many-lines", [] {
            return u"more than %1 lines beside the QSOs: the rest of them is not kept"_s.arg(
                kMaxKeptLines);
        });
    return kept_ <= kMaxKeptLines;
}

QByteArrayView PassOverBom(QByteArrayView bytes, FindingList& findings) {
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return bytes;
    findings.add(1, Severity::Note, "bom", u"a byte order mark opens the log; it is passed over"_s);
    return bytes.sliced(3);
}

} // namespace contestlog
