#include "contest.h"

#include "edilog/qsopoints.h"
#include "stages.h"

using namespace Qt::StringLiterals;

namespace crosscheck {

namespace {

struct VerdictNames {
    const char* code;
    const char* name;
};

constexpr std::array<VerdictNames, kVerdictCount> kVerdictNames{{
    {"invalid", "invalid line"},
    {"period", "outside the period"},
    {"mode", "not a contest mode"},
    {"call-rule", "call not accepted"},
    {"duplicate", "duplicate"},
    {"nil", "not in log"},
    {"busted-call", "busted call"},
    {"time-off", "time off"},
    {"busted-serial", "busted serial"},
    {"busted-rst", "busted RST"},
    {"busted-locator", "busted locator"},
    {"unique", "unique"},
    {"unconfirmed", "unconfirmed"},
    {"witnessed", "confirmed by witnesses"},
    {"confirmed", "confirmed"},
}};

} // namespace

QString VerdictCode(Verdict verdict) {
    return QString::fromLatin1(kVerdictNames[size_t(verdict)].code);
}

QString VerdictName(Verdict verdict) {
    return QString::fromLatin1(kVerdictNames[size_t(verdict)].name);
}

QString LogStatusCode(LogStatus status) {
    switch (status) {
    case LogStatus::Ranked:
        return u"ranked"_s;
    case LogStatus::CheckLog:
        return u"check"_s;
    case LogStatus::NotRanked:
        return u"not-ranked"_s;
    case LogStatus::NotUsed:
        break;
    }
    return u"not-used"_s;
}

Locator LocatorOf(QStringView text) {
    Locator locator{};
    const QString upper = text.toString().toUpper();
    if (!edilog::IsSixCharacterLocator(upper.toLatin1()))
        return locator;
    for (size_t i = 0; i < locator.size(); ++i)
        locator[i] = char(upper[qsizetype(i)].unicode());
    return locator;
}

QString LocatorText(const Locator& locator) {
    return HasLocator(locator) ? QString::fromLatin1(locator.data(), qsizetype(locator.size()))
                               : QString();
}

quint32 CallTable::id(const QString& call) {
    if (call.isEmpty())
        return 0;
    const auto it = ids_.constFind(call);
    if (it != ids_.constEnd())
        return *it;
    const quint32 next = quint32(calls_.size());
    ids_.insert(call, next);
    calls_.push_back(call);
    return next;
}

quint32 CallTable::find(const QString& call) const {
    return ids_.value(call, 0);
}

QString LogEntry::lineText(qsizetype line) const {
    if (line < 1 || line > qsizetype(lineStarts.size()))
        return {};
    const qsizetype from = lineStarts[size_t(line - 1)];
    qsizetype to = line < qsizetype(lineStarts.size()) ? lineStarts[size_t(line)] : bytes.size();
    QByteArrayView text = QByteArrayView(bytes).sliced(from, to - from);
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.endsWith('\r'))
        text.chop(1);
    if (line == 1 && text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    return utf8 ? QString::fromUtf8(text) : QString::fromLatin1(text);
}

bool OneEditApart(QStringView a, QStringView b) {
    if (a.size() < b.size())
        std::swap(a, b);
    if (a.size() - b.size() > 1)
        return false;
    qsizetype start = 0;
    while (start < b.size() && a[start] == b[start])
        ++start;
    qsizetype endA = a.size(), endB = b.size();
    while (endB > start && a[endA - 1] == b[endB - 1]) {
        --endA;
        --endB;
    }
    // What is left between the common start and end: one character changed or added.
    return endA - start == 1 && endB - start <= 1;
}

QString TogglePortable(const QString& call) {
    return call.endsWith(u"/P"_s) ? call.chopped(2) : call + u"/P"_s;
}

Contest CrossCheck(std::vector<LogInput> inputs, ContestRules rules) {
    Contest contest;
    contest.rules = std::move(rules);
    for (size_t i = 0; i < contest.rules.bands.size(); ++i)
        contest.bands.push_back({contest.rules.bands[i].band, contest.rules.bands[i].multiplier});
    for (const CategoryRule& category : contest.rules.categories)
        contest.categories.push_back(category.name);
    ReadLogs(contest, std::move(inputs));
    ChooseLogs(contest);
    MatchQsos(contest);
    ScoreLogs(contest);
    return contest;
}

} // namespace crosscheck
