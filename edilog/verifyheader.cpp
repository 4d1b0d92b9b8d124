// The log's lines, its sections and its header against the format's rules.
#include "qsopoints.h"
#include "verifier.h"

#include <cstring>

using namespace Qt::StringLiterals;

namespace edilog::verifying {

constexpr std::array<const char*, 37> kHeaderKeys{
    "TName", "TDate", "PCall", "PWWLo", "PExch", "PAdr1", "PAdr2", "PSect", "PBand", "PClub",
    "RName", "RCall", "RAdr1", "RAdr2", "RPoCo", "RCity", "RCoun", "RPhon", "RHBBS", "MOpe1",
    "MOpe2", "STXEq", "SPowe", "SRXEq", "SAnte", "SAntH", "CQSOs", "CQSOP", "CWWLs", "CWWLB",
    "CExcs", "CExcB", "CDXCs", "CDXCB", "CToSc", "CODXC", "LSoft"};
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

void Verifier::parse(QByteArrayView log) {
    if (log.startsWith("\xEF\xBB\xBF")) {
        add(1, Severity::Note, "bom", u"a byte order mark opens the log; it is passed over"_s);
        log = log.sliced(3);
    }
    qsizetype lfOnly = 0, firstLfOnly = 0;
    for (qsizetype at = 0, number = 1; at < log.size(); ++number) {
        qsizetype end = log.indexOf('\n', at);
        const bool last = end < 0;
        if (last)
            end = log.size();
        Line line{log.sliced(at, end - at), number, false};
        if (line.text.endsWith('\r')) {
            line.text.chop(1);
            line.crLf = !last;
        }
        if (!line.crLf && !(last && line.text.isEmpty()) && lfOnly++ == 0)
            firstLfOnly = number;
        lines_.push_back(line);
        at = end + 1;
    }
    if (lfOnly > 0)
        add(firstLfOnly, Severity::Warning, "line-end",
            u"%1 line(s) do not end in CR LF, from this one on"_s.arg(lfOnly));

    for (const Line& line : lines_) {
        const QByteArrayView trimmed = line.text.trimmed();
        if (part_ != Part::After && trimmed.startsWith('[')) {
            qsizetype end = trimmed.indexOf(';');
            if (end < 0)
                end = trimmed.indexOf(']');
            sectionLine(line, trimmed.sliced(1, (end < 0 ? trimmed.size() : end) - 1));
            continue;
        }
        switch (part_) {
        case Part::Before: {
            // Header lines without the opening line are still the header.
            const qsizetype equals = trimmed.indexOf('=');
            const std::string key = upper(trimmed.first(std::max<qsizetype>(equals, 0)));
            if (equals > 0 && std::any_of(kHeaderKeys.begin(), kHeaderKeys.end(),
                                          [&](const char* k) { return upper(k) == key; })) {
                add(line.number, Severity::Error, "missing-section",
                    u"the log does not begin with [REG1TEST;1]"_s);
                part_ = Part::Header;
                sawStart_ = true;
                headerLine(line);
            } else if (!trimmed.isEmpty()) {
                preamble_.push_back(line.number - 1);
            }
            break;
        }
        case Part::Header:
            headerLine(line);
            break;
        case Part::Remarks:
            checkCharacters(line, Severity::Warning);
            remarks_.push_back(line.number - 1);
            break;
        case Part::Records:
            if (trimmed.isEmpty()) {
                add(line.number, Severity::Warning, "blank-line",
                    u"a blank line among the QSO records"_s);
                break;
            }
            checkCharacters(line, Severity::Error);
            qsos_.emplace_back();
            qsos_.back().line = line.number;
            qsos_.back().fields = split(line.text, ';');
            break;
        case Part::After:
            trailer_.push_back(line.number - 1);
            break;
        }
    }
    if (!preamble_.empty())
        add(lines_[size_t(preamble_.front())].number, Severity::Warning, "preamble",
            u"%1 line(s) stand before [REG1TEST;1], which must come first"_s.arg(preamble_.size()));
    if (!sawStart_)
        add(1, Severity::Error, "missing-section", u"no [REG1TEST;1] line: this is no EDI log"_s);
    if (recordsLine_ == 0)
        add(qsizetype(lines_.size()), Severity::Error, "missing-section",
            u"no [QSORecords;N] section"_s);
    else if (!sawRemarks_)
        add(recordsLine_, Severity::Error, "missing-section",
            u"no [Remarks] section before the QSO records (it is there even when empty)"_s);
}

void Verifier::sectionLine(const Line& line, QByteArrayView name) {
    checkCharacters(line, Severity::Warning);
    const std::string_view given = sv(name);
    const auto near = [&](std::string_view wanted) {
        return given == wanted || editDistance(given, wanted) <= 2;
    };
    const QByteArrayView trimmed = line.text.trimmed();
    if (QByteArrayView(upper(name)).startsWith("END")) {
        part_ = Part::After;
        trailer_.push_back(line.number - 1);
    } else if (part_ == Part::Before && near("REG1TEST")) {
        sawStart_ = true;
        part_ = Part::Header;
        if (trimmed != "[REG1TEST;1]")
            add(line.number, Severity::Error, "section-name",
                u"%1: did you mean [REG1TEST;1]?"_s.arg(text(trimmed)));
    } else if ((part_ == Part::Header || part_ == Part::Before) && near("Remarks")) {
        sawRemarks_ = true;
        part_ = Part::Remarks;
        if (trimmed != "[Remarks]")
            add(line.number, Severity::Error, "section-name",
                u"%1: did you mean [Remarks]?"_s.arg(text(trimmed)));
    } else if (part_ != Part::Records && near("QSORecords")) {
        part_ = Part::Records;
        recordsLine_ = line.number;
        const qsizetype semicolon = trimmed.indexOf(';');
        QByteArrayView count = semicolon < 0 ? QByteArrayView() : trimmed.sliced(semicolon + 1);
        if (count.endsWith(']')) // "[QSORecords;" has no bracket to drop
            count.chop(1);
        recordsCount_ = number(count);
        if (given != "QSORecords" || !trimmed.endsWith(']') || !recordsCount_)
            add(line.number, Severity::Error, "section-name",
                u"%1: write [QSORecords;N], N the number of record lines"_s.arg(text(trimmed)));
    } else if (part_ == Part::Remarks) {
        remarks_.push_back(line.number - 1); // any other line in brackets is a remark
    } else {
        if (part_ == Part::Header)
            add(line.number, Severity::Warning, "header-line",
                u"%1 is no section of an EDI log"_s.arg(text(trimmed)));
        else if (part_ == Part::Records)
            add(line.number, Severity::Error, "qso-fields",
                u"%1 among the QSO records"_s.arg(text(trimmed)));
        // A section line given again has no place in a fixed copy; anything else is kept.
        if (!near("REG1TEST") && !near("Remarks") && !near("QSORecords"))
            strays_.push_back(line.number - 1);
    }
}

void Verifier::checkCharacters(const Line& line, Severity severity) {
    for (qsizetype at = 0; at < line.text.size(); ++at) {
        const uchar c = uchar(line.text[at]);
        if (c < 32 || c > 127) {
            add(line.number, severity, "character",
                u"byte 0x%1 in column %2: a log holds ASCII text alone"_s
                    .arg(uint(c), 2, 16, QLatin1Char('0'))
                    .arg(at + 1));
            break;
        }
    }
    if (line.text.size() > 75)
        add(line.number, Severity::Warning, "line-length",
            u"%1 characters; a line of a log has at most 75"_s.arg(line.text.size()));
}

void Verifier::headerLine(const Line& line) {
    checkCharacters(line, Severity::Warning);
    const QByteArrayView trimmed = line.text.trimmed();
    if (trimmed.isEmpty())
        return;
    qsizetype split = trimmed.indexOf('=');
    const qsizetype colon = trimmed.indexOf(':');
    const bool colonForm = colon > 0 && (split < 0 || colon < split);
    if (colonForm)
        split = colon;
    if (split <= 0) {
        add(line.number, Severity::Warning, "header-line",
            u"\"%1\" is not Key=value"_s.arg(
                text(trimmed.first(std::min<qsizetype>(30, trimmed.size())))));
        headerOrder_.emplace_back(line.number - 1, std::string()); // kept as it is
        return;
    }
    const QByteArrayView key = trimmed.first(split).trimmed();
    const std::string upperKey = upper(key);
    std::string canonical;
    for (const char* known : kHeaderKeys)
        if (upper(known) == upperKey)
            canonical = known;
    if (canonical.empty()) {
        const char* guess = nullptr;
        int nearest = 3; // at most two letters off
        for (const char* known : kHeaderKeys)
            if (const int distance = editDistance(sv(key), known);
                key.size() >= 4 && distance < nearest) {
                guess = known;
                nearest = distance;
            }
        add(line.number, Severity::Warning, "unknown-key",
            guess ? u"unknown key %1: did you mean %2?"_s.arg(text(key), QLatin1String(guess))
                  : u"unknown key %1"_s.arg(text(key)));
        // A near miss of a key the log lacks is taken for it, as the fixed copy spells it.
        if (guess && !header_.count(guess)) {
            canonical = guess;
            header_[canonical] = {line.number, trimmed.sliced(split + 1).trimmed().toByteArray()};
        }
        headerOrder_.emplace_back(line.number - 1, canonical);
        return;
    }
    if (colonForm || sv(key) != canonical)
        add(line.number, Severity::Warning, "key-spelling",
            u"write %1=value"_s.arg(QString::fromStdString(canonical)));
    headerOrder_.emplace_back(line.number - 1, canonical);
    if (const HeaderEntry* first = header(canonical.c_str())) {
        add(line.number, Severity::Warning, "repeated-key",
            u"%1 again (first on line %2); the first one counts"_s
                .arg(QString::fromStdString(canonical))
                .arg(first->line));
        return;
    }
    header_[canonical] = {line.number, trimmed.sliced(split + 1).trimmed().toByteArray()};
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
