// The log's layout, as the model's REG1TEST reader finds it, and the header against the rules.
#include "contestlog/reader.h"
#include "qsopoints.h"
#include "verifier.h"

#include <cstring>

using namespace Qt::StringLiterals;

namespace edilog::verifying {

constexpr std::array<const char*, 6> kRequiredKeys{"TName", "TDate", "PCall",
                                                   "PWWLo", "PSect", "PBand"};

constexpr std::array<const char*, 14> kSections{
    "SO",           "SINGLE", "SINGLE-OP",   "MO",     "MULTI",         "MULTI-OP", "SO-6H",
    "SINGLE-OP-6H", "MO-6H",  "MULTI-OP-6H", "SO-MGM", "SINGLE-OP-MGM", "MO-MGM",   "MULTI-OP-MGM"};

struct Band {
    const char* name;
    std::array<const char*, 5> synonyms; // upper case, without spaces, ',' as '.'
};
constexpr std::array<Band, 15> kBands{{
    {"50 MHz", {"50", "50MHZ", "6M"}},
    {"70 MHz", {"70", "70MHZ", "4M"}},
    {"145 MHz", {"144MHZ", "144", "145", "2M"}},
    {"435 MHz", {"432MHZ", "432", "435", "430MHZ", "70CM"}},
    {"1,3 GHz", {"1296MHZ", "1296", "1.2GHZ", "23CM"}},
    {"2,3 GHz", {"2320MHZ", "2320", "2.4GHZ", "13CM"}},
    {"3,4 GHz", {"3400MHZ", "3400", "9CM"}},
    {"5,7 GHz", {"5760MHZ", "5760", "6CM"}},
    {"10 GHz", {"10368MHZ", "10368", "3CM"}},
    {"24 GHz", {"24048MHZ", "24048", "1.2CM"}},
    {"47 GHz", {"47088MHZ", "47088"}},
    {"76 GHz", {"76032MHZ", "76032"}},
    {"122 GHz", {"122250MHZ"}},
    {"134 GHz", {"134928MHZ"}},
    {"248 GHz", {"248000MHZ"}},
}};

// The layout is the model's: its REG1TEST reader finds the sections, the header keys and
// the record lines, with the layout's findings. The rules below look at the bytes of the
// lines it names, so that a corrected copy keeps every byte it does not mend.
void Verifier::parse(QByteArrayView log) {
    contestlog::ContestLog model = contestlog::ReadReg1testLayout(log);
    for (Finding& finding : model.findings)
        (finding.code == u"more"_s ? readerMore_ : findings_).push_back(std::move(finding));
    if (log.startsWith("\xEF\xBB\xBF"))
        log = log.sliced(3);
    for (qsizetype at = 0, number = 1; at < log.size(); ++number) {
        qsizetype end = log.indexOf('\n', at);
        if (end < 0)
            end = log.size();
        Line line{log.sliced(at, end - at), number, false};
        if (line.text.endsWith('\r'))
            line.text.chop(1);
        lines_.push_back(line);
        at = end + 1;
    }
    for (const contestlog::HeaderField& field : model.header) {
        const std::string key = field.key.toStdString();
        headerOrder_.emplace_back(field.line - 1, key);
        if (key.empty() || header_.count(key))
            continue; // not Key=value, unknown, or again: the first one counts
        const QByteArrayView trimmed = lines_[size_t(field.line - 1)].text.trimmed();
        qsizetype split = trimmed.indexOf('=');
        const qsizetype colon = trimmed.indexOf(':');
        if (colon > 0 && (split < 0 || colon < split))
            split = colon;
        header_[key] = {field.line, trimmed.sliced(split + 1).trimmed().toByteArray()};
    }
    const auto indexes = [](const std::vector<contestlog::SourceLine>& lines,
                            std::vector<qsizetype>& into) {
        for (const contestlog::SourceLine& line : lines)
            into.push_back(line.line - 1);
    };
    indexes(model.edi.preamble, preamble_);
    indexes(model.remarks, remarks_);
    indexes(model.edi.strays, strays_);
    indexes(model.edi.trailer, trailer_);
    sawStart_ = model.edi.sawStart;
    recordsLine_ = model.edi.recordsLine;
    recordsCount_ = model.edi.declaredRecords;
    qsos_.reserve(model.edi.recordLines.size());
    for (const contestlog::EdiLayout::RecordLine& read : model.edi.recordLines) {
        Qso& qso = qsos_.emplace_back();
        qso.line = read.line;
        qso.usable = read.readable;
        qso.fields = split(lines_[size_t(read.line - 1)].text, ';');
        if (qso.usable && qso.fields.size() == 16) // one ";" too many, which the reader said
            qso.fields.pop_back();
    }
}

std::optional<QDate> yyyymmdd(QByteArrayView value) {
    if (value.size() != 8 || !allDigits(value))
        return std::nullopt;
    const QDate date = QDate::fromString(text(value), u"yyyyMMdd"_s);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

void Verifier::checkClaimFormat(const char* key, int fields) {
    const HeaderEntry* entry = header(key);
    if (!entry) {
        add(0, Severity::Warning, "missing-key", u"no %1 line"_s.arg(QLatin1String(key)));
        return;
    }
    const auto parts = split(entry->value, ';');
    const QString name = QLatin1String(key);
    if (int(parts.size()) != fields) {
        add(entry->line, Severity::Error, "claim-format",
            u"%1 has %2 field(s) separated by ';', not %3"_s.arg(name)
                .arg(parts.size())
                .arg(fields));
        return;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        if (QByteArrayView(key) == "CODXC" && i < 2)
            continue; // the call and the locator
        if (parts[i].trimmed().isEmpty())
            add(entry->line, Severity::Error, "empty-number",
                u"%1: field %2 is empty; write 0"_s.arg(name).arg(i + 1));
        else if (!allDigits(parts[i].trimmed()))
            add(entry->line, Severity::Error, "claim-format",
                u"%1: field %2, \"%3\", is not a whole number"_s.arg(name).arg(i + 1).arg(
                    text(parts[i])));
    }
}

void Verifier::checkHeader() {
    if (!sawStart_)
        return;
    for (const char* key : kRequiredKeys)
        if (!header(key))
            add(0, Severity::Error, "missing-key", u"no %1 line"_s.arg(QLatin1String(key)));
    if (const HeaderEntry* tdate = header("TDate")) {
        const auto days = split(tdate->value, ';');
        firstDay_ = yyyymmdd(days[0]);
        lastDay_ = days.size() == 2 ? yyyymmdd(days[1]) : std::nullopt;
        if (!firstDay_ || !lastDay_ || *lastDay_ < *firstDay_) {
            add(tdate->line, Severity::Error, "tdate",
                u"TDate \"%1\" is not YYYYMMDD;YYYYMMDD"_s.arg(text(tdate->value)));
            firstDay_.reset();
            lastDay_.reset();
        }
    }
    if (const HeaderEntry* own = header("PWWLo")) {
        if (!IsSixCharacterLocator(own->value))
            add(own->line, Severity::Error, "pwwlo",
                u"PWWLo \"%1\" is not a six-character locator"_s.arg(text(own->value)));
        else if (upper(own->value) != sv(own->value))
            add(own->line, Severity::Warning, "pwwlo", u"PWWLo is written in lower case"_s);
        if (IsSixCharacterLocator(own->value))
            ownLocator_ = QByteArray::fromStdString(upper(own->value));
    }
    if (const HeaderEntry* section = header("PSect")) {
        const std::string given = upper(section->value);
        if (std::none_of(kSections.begin(), kSections.end(),
                         [&](const char* s) { return given == s; }))
            add(section->line, Severity::Warning, "psect",
                u"PSect \"%1\" is none of the standard sections (SO, MO, SO-6H, MO-6H, SO-MGM, "
                u"MO-MGM and their long names)"_s.arg(text(section->value)));
    }
    if (const HeaderEntry* band = header("PBand")) {
        std::string given;
        for (const char c : upper(band->value))
            if (c != ' ')
                given += c == ',' ? '.' : c;
        const Band* found = nullptr;
        bool exact = false;
        for (const Band& b : kBands) {
            if (sv(band->value) == b.name)
                found = &b, exact = true;
            std::string name;
            for (const char c : upper(b.name))
                if (c != ' ')
                    name += c == ',' ? '.' : c;
            if (!found &&
                (given == name || std::any_of(b.synonyms.begin(), b.synonyms.end(),
                                              [&](const char* s) { return s && given == s; })))
                found = &b;
        }
        if (!found)
            add(band->line, Severity::Error, "pband",
                u"PBand \"%1\" is no band of the table (50 MHz, 70 MHz, 145 MHz, 435 MHz, 1,3 GHz"
                u" ... 248 GHz)"_s.arg(text(band->value)));
        else if (!exact)
            add(band->line, Severity::Note, "pband-synonym",
                u"PBand \"%1\" is taken as \"%2\", the table's name"_s.arg(
                    text(band->value), QLatin1String(found->name)));
    }
    checkClaimFormat("CQSOs", 2);
    checkClaimFormat("CQSOP", 1);
    checkClaimFormat("CWWLs", 3);
    checkClaimFormat("CExcs", 3);
    checkClaimFormat("CDXCs", 3);
    checkClaimFormat("CToSc", 1);
    checkClaimFormat("CODXC", 3);
    if (const auto multiplier = number(claimField("CQSOs", 1)); multiplier && *multiplier > 0)
        multiplier_ = *multiplier;
}

} // namespace edilog::verifying
