// The header's claims recounted from the QSO lines, and the result the callers see.
#include "qsopoints.h"
#include "verifier.h"

#include <unordered_set>

using namespace Qt::StringLiterals;

namespace edilog::verifying {

// A log with millions of broken lines still gives a report one can read.
constexpr qsizetype kMaxFindingsPerCode = 100;

QString Verifier::recountedClaim(const char* key) const {
    const QByteArrayView k(key);
    const auto field = [&](size_t index, const char* fallback) {
        const QByteArrayView given = claimField(key, index).trimmed();
        return allDigits(given) ? text(given) : QLatin1String(fallback);
    };
    const auto bonus = [&](const char* countKey, qsizetype count) {
        const auto each = number(claimField(countKey, 1).trimmed());
        return QString::number(count * each.value_or(0));
    };
    if (k == "CQSOs")
        return u"%1;%2"_s.arg(valid_).arg(multiplier_);
    if (k == "CQSOP")
        return QString::number(points_);
    if (k == "CWWLs")
        return u"%1;%2;%3"_s.arg(squares_).arg(field(1, "0"), field(2, "1"));
    if (k == "CExcs")
        return u"%1;%2;%3"_s.arg(exchanges_).arg(field(1, "0"), field(2, "1"));
    if (k == "CDXCs")
        return countries_.empty() ? QString()
                                  : u"%1;%2;%3"_s.arg(entities_).arg(field(1, "0"), field(2, "1"));
    if (k == "CWWLB")
        return bonus("CWWLs", squares_);
    if (k == "CExcB")
        return bonus("CExcs", exchanges_);
    if (k == "CDXCB")
        return countries_.empty() ? QString() : bonus("CDXCs", entities_);
    if (k == "CODXC")
        return odx_ ? u"%1;%2;%3"_s.arg(text(odx_->fields[2]), text(odx_->fields[9]).toUpper())
                          .arg(*odx_->km)
                    : u";;0"_s; // no QSO to name
    // CToSc: the QSO points and the bonuses; each contest may add its own rule.
    qint64 total = points_;
    for (const char* bonusKey : {"CWWLB", "CExcB", "CDXCB"})
        total += recountedClaim(bonusKey).toLongLong();
    return QString::number(total);
}

void Verifier::recountClaims() {
    if (!sawStart_)
        return;
    for (const char* key : {"CQSOs", "CQSOP", "CWWLs", "CWWLB", "CExcs", "CExcB", "CDXCs", "CDXCB",
                            "CODXC", "CToSc"}) {
        const HeaderEntry* entry = header(key);
        ClaimCheck check{QLatin1String(key), entry ? text(entry->value) : QString(),
                         recountedClaim(key)};
        if (check.recomputed.isEmpty()) {
            summary_.push_back(check); // DXCC without a country file: not checked
            continue;
        }
        // Numbers compare as numbers and calls whatever their case; an empty claim is 0.
        const QByteArray claimedText = entry ? entry->value : QByteArray();
        const QByteArray recomputedText = check.recomputed.toLatin1();
        const auto claimed = split(claimedText, ';');
        const auto recomputed = split(recomputedText, ';');
        for (size_t i = 0; i < recomputed.size(); ++i) {
            const QByteArrayView c = i < claimed.size() ? claimed[i].trimmed() : QByteArrayView();
            const bool numeric = allDigits(recomputed[i]);
            if (numeric ? number(c).value_or(0) != number(recomputed[i]).value_or(-1)
                        : upper(c) != upper(recomputed[i]))
                check.differs = true;
        }
        // Loggers write the ODX distance rounded, or as its points (whole km + 1): the format
        // does not say which.
        if (const auto km = number(claimed.size() == 3 ? claimed[2].trimmed() : QByteArrayView());
            check.key == u"CODXC"_s && odx_ && km &&
            upper(claimed[0].trimmed()) == upper(odx_->fields[2]) &&
            (*km == qint64(std::llround(odx_->exactKm)) || *km == *odx_->km + 1))
            check.differs = false;
        if (check.differs && entry) { // a missing claim is named once, as missing-key
            const bool total = check.key == u"CToSc"_s;
            add(entry->line, total ? Severity::Note : Severity::Warning,
                total ? "claim-total" : "claim",
                total ? u"CToSc claims %1; the QSO points and bonuses make %2 (each contest may "
                        u"count its own way)"_s.arg(check.claimed, check.recomputed)
                      : u"%1 claims \"%2\"; the QSO lines give \"%3\""_s.arg(
                            check.key, check.claimed, check.recomputed));
        }
        summary_.push_back(check);
    }
    if (countries_.empty())
        add(0, Severity::Note, "dxcc-unchecked",
            u"no cty.dat was found: DXCC countries are not checked"_s);
}

VerifyResult Verifier::result() {
    VerifyResult result;
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    std::unordered_map<std::string, qsizetype> perCode;
    for (Finding& finding : findings_)
        if (++perCode[finding.code.toStdString()] <= kMaxFindingsPerCode)
            result.findings.push_back(std::move(finding));
    for (const auto& [code, count] : perCode)
        if (count > kMaxFindingsPerCode)
            result.findings.push_back(
                {0, Severity::Note, u"more"_s,
                 u"%1 more %2 finding(s) are not shown"_s.arg(count - kMaxFindingsPerCode)
                     .arg(QString::fromStdString(code))});
    result.findings.insert(result.findings.end(), readerMore_.begin(), readerMore_.end());
    result.summary = summary_;
    result.convention = convention_;
    result.dxccChecked = !countries_.empty();
    for (const Qso& qso : qsos_) {
        if (!qso.usable)
            continue;
        result.qsos.push_back({qso.line, text(qso.fields[2]), text(qso.fields[9]),
                               !qso.error && !qso.duplicate && qso.complete, qso.duplicate,
                               qso.claimed, qso.points, qso.km});
    }
    return result;
}

} // namespace edilog::verifying
