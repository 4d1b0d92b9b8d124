// The corrected copy: mechanical repairs, recomputed points and flags, recounted claims.
#include "qsopoints.h"
#include "verifier.h"

#include <unordered_set>

using namespace Qt::StringLiterals;

namespace edilog::verifying {

// What a logger or a hand got wrong in a way with one right answer: spaces around a field, a
// locator in lower case, a '/' after a number, the RST run into the number with the
// number's field left empty. Each is a note of its own; the fixed copy makes the repair.
void Verifier::repairQsoFields(Qso& qso) {
    auto& f = qso.fields;
    const auto repair = [&](size_t i, QByteArray to, const QString& what) {
        add(qso.line, Severity::Note, "qso-fix", what);
        if (mend_)
            f[i] = mended_.emplace_back(std::move(to));
    };
    for (size_t i = 0; i < f.size(); ++i)
        if (const QByteArrayView trimmed = f[i].trimmed(); trimmed.size() != f[i].size())
            repair(i, trimmed.toByteArray(),
                   u"the corrected copy takes the spaces out of field %1 \"%2\""_s.arg(i + 1).arg(
                       text(f[i])));
    // A call stays as it was logged: its case is the logger's word.
    if (const std::string capitals = upper(f[9]); capitals != sv(f[9]))
        repair(9, QByteArray::fromStdString(capitals),
               u"the corrected copy writes the locator %1 in capitals"_s.arg(text(f[9])));
    for (const size_t i : {size_t(5), size_t(7)})
        if (f[i].size() > 1 && f[i].endsWith('/') && allDigits(f[i].chopped(1)))
            repair(i, f[i].chopped(1).toByteArray(),
                   u"the corrected copy drops the '/' after the number %1"_s.arg(text(f[i])));
    // "59001;;": an RST of 2 characters (3 in CW) and a number of 3 or 4 digits.
    const bool cw = f[3] == "2";
    for (const size_t i : {size_t(4), size_t(6)}) {
        const QByteArrayView run = f[i];
        const qsizetype rst = cw || run.size() == 7 ? 3 : 2;
        if (!f[i + 1].isEmpty() || !allDigits(run) || run.size() < rst + 3 || run.size() > rst + 4)
            continue;
        const QByteArray whole = run.toByteArray();
        repair(i, whole.first(rst),
               u"the corrected copy splits %1 into the RST %2 and the number %3"_s.arg(
                   text(whole), text(whole.first(rst)), text(whole.sliced(rst))));
        if (mend_)
            f[i + 1] = mended_.emplace_back(whole.sliced(rst));
    }
}

QByteArray Verifier::fixed() const {
    QByteArray out;
    const auto line = [&](QByteArrayView bytes) {
        out += bytes;
        out += "\r\n";
    };
    line("[REG1TEST;1]");
    std::unordered_set<std::string> written;
    const auto claimLine = [&](const std::string& key) {
        const QString value = recountedClaim(key.c_str());
        if (value.isEmpty()) // DXCC unknown: the claim stays as it was
            return header(key.c_str()) ? key + "=" + header(key.c_str())->value.toStdString()
                                       : std::string();
        return key + "=" + value.toStdString();
    };
    static const std::unordered_set<std::string> kClaims{
        "CQSOs", "CQSOP", "CWWLs", "CWWLB", "CExcs", "CExcB", "CDXCs", "CDXCB", "CODXC", "CToSc"};
    for (const auto& [index, key] : headerOrder_) {
        const QByteArrayView original = lines_[size_t(index)].text.trimmed();
        const bool claim = kClaims.count(key) > 0;
        if (key.empty() || !written.insert(key).second) {
            if (!claim) // an unknown line or a repeated key stays as it is; a repeated claim goes
                line(original);
            continue;
        }
        if (claim) {
            line(QByteArray::fromStdString(claimLine(key)));
            continue;
        }
        qsizetype split = original.indexOf('=');
        const qsizetype colon = original.indexOf(':');
        if (colon > 0 && (split < 0 || colon < split))
            split = colon;
        line(QByteArray::fromStdString(key) + '=' +
             original.sliced(split + 1).trimmed().toByteArray());
    }
    for (const char* key :
         {"CQSOs", "CQSOP", "CWWLs", "CWWLB", "CExcs", "CExcB", "CDXCs", "CDXCB", "CToSc", "CODXC"})
        if (!written.count(key))
            if (const std::string claim = claimLine(key); !claim.empty() && claim.back() != '=')
                line(QByteArray::fromStdString(claim));
    line("[Remarks]");
    // What came before the log, and lines in brackets that are no section, are kept as remarks.
    for (const auto* kept : {&remarks_, &preamble_, &strays_})
        for (const qsizetype index : *kept)
            line(lines_[size_t(index)].text);
    line(QByteArray("[QSORecords;") + QByteArray::number(qsizetype(qsos_.size())) + ']');
    for (const Qso& qso : qsos_) {
        if (!qso.usable) {
            line(lines_[size_t(qso.line - 1)].text);
            continue;
        }
        QByteArray record;
        for (size_t i = 0; i < 15; ++i) {
            if (i > 0)
                record += ';';
            if (i == 0 && qso.eightDigitDate)
                record += qso.fields[0].sliced(2);
            else if (i == 10)
                record += QByteArray::number(qso.points);
            else if (i >= 11 && !qso.error)
                record += qso.flags[i - 11] ? (i == 14 ? "D" : "N") : "";
            else
                record += qso.fields[i];
        }
        line(record);
    }
    for (const qsizetype index : trailer_)
        line(lines_[size_t(index)].text);
    return out;
}

} // namespace edilog::verifying
