#include "logverifier.h"

#include "qsopoints.h"

#include <QDate>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace edilog {

namespace {

// A log with millions of broken lines still gives a report one can read.
constexpr qsizetype kMaxFindingsPerCode = 100;

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

std::string_view sv(QByteArrayView bytes) {
    return {bytes.data(), size_t(bytes.size())};
}

QString text(QByteArrayView bytes) {
    return QString::fromLatin1(bytes);
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

std::string upper(QByteArrayView bytes) {
    std::string out(sv(bytes));
    for (char& c : out)
        c = upper(c);
    return out;
}

bool allDigits(QByteArrayView bytes) {
    return !bytes.isEmpty() &&
           std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<qint64> number(QByteArrayView bytes) {
    if (!allDigits(bytes) || bytes.size() > 12)
        return std::nullopt;
    return bytes.toByteArray().toLongLong();
}

// Levenshtein distance, case-insensitive, for "did you mean" on short names.
int editDistance(std::string_view a, std::string_view b) {
    std::vector<int> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = int(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (size_t j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            const bool same = upper(a[i - 1]) == upper(b[j - 1]);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

bool oneEditApart(std::string_view a, std::string_view b) {
    if (a == b || (a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > 1)
        return false;
    return editDistance(a, b) == 1;
}

std::vector<QByteArrayView> split(QByteArrayView line, char separator) {
    std::vector<QByteArrayView> fields;
    qsizetype from = 0;
    for (qsizetype at = 0; at <= line.size(); ++at)
        if (at == line.size() || line[at] == separator) {
            fields.push_back(line.sliced(from, at - from));
            from = at + 1;
        }
    return fields;
}

// A byte at a time, which the compiler keeps in registers: calls and locators are short, and
// a million lines pass by. The last multiplication spreads the bits into the top ones.
quint64 quickHash(std::string_view text) {
    quint64 h = text.size();
    for (const char c : text)
        h = h * 0x100000001B3ull + uchar(c);
    return h * 0x9E3779B97F4A7C15ull;
}

struct QuickHash {
    size_t operator()(std::string_view text) const { return size_t(quickHash(text)); }
};

// A set of texts that answers "surely not" at the cost of one hash: a million database lines
// pass it, and only the few it lets through are looked up in a map.
class TextFilter {
public:
    void add(std::string_view text) {
        const size_t at = index(text);
        bits_[at / 64] |= quint64(1) << (at % 64);
    }
    bool mayHold(std::string_view text) const {
        const size_t at = index(text);
        return bits_[at / 64] >> (at % 64) & 1;
    }

private:
    // 32 KB, which stays in the first-level cache: 4 % false hits for 10,000 texts.
    static constexpr int kIndexBits = 18;
    static size_t index(std::string_view text) {
        return size_t(quickHash(text) >> (64 - kIndexBits));
    }
    std::vector<quint64> bits_ = std::vector<quint64>((size_t(1) << kIndexBits) / 64);
};

// What the station database holds for the calls and locators of the logs being verified: the
// answers view the database's bytes, the keys the texts kept here.
using Answers = std::unordered_map<std::string_view, std::vector<std::string_view>, QuickHash>;
struct DatabaseFacts {
    Answers locatorsOf; // by call
    Answers callsAt;    // by locator
    TextFilter calls, locators;
    std::deque<std::string> keys;

    void want(Answers& answers, TextFilter& filter, std::string key) {
        if (answers.count(key))
            return;
        filter.add(keys.emplace_back(std::move(key)));
        answers.try_emplace(keys.back());
    }
};

struct Line {
    QByteArrayView text;
    qsizetype number = 0;
    bool crLf = false;
};

enum class Part { Before, Header, Remarks, Records, After };

struct HeaderEntry {
    qsizetype line = 0;
    QByteArray value; // trimmed
};

struct Qso {
    qsizetype line = 0;
    std::vector<QByteArrayView> fields; // 15 when the line is usable
    bool usable = false;
    bool error = false; // the call is ERROR
    bool complete = false;
    bool duplicate = false;
    bool eightDigitDate = false;
    std::optional<QDate> date;
    std::optional<int> minutes;
    std::optional<qint64> claimed;
    std::optional<qint64> km; // whole km to the own locator
    double exactKm = 0;
    std::optional<int> entity;
    std::array<bool, 4> flags{}; // the expected N, N, N, D
    qint64 points = 0;
};

class Verifier {
public:
    // mend: QSO fields are repaired where the repair is mechanical, as the fixed copy wants.
    Verifier(QByteArrayView log, const CountryFile& countries, bool mend = false)
        : countries_(countries), mend_(mend) {
        parse(log);
        checkHeader();
        checkQsos();
        scoreAndFlag();
        recountClaims();
    }

    // The calls this log asks the database about, then the locators of the calls it lacks,
    // and what it answered.
    void wantCalls(DatabaseFacts& facts) const;
    void wantLocators(DatabaseFacts& facts) const;
    void noteDatabase(const DatabaseFacts& facts);
    VerifyResult result();
    QByteArray fixed() const;

private:
    void add(qsizetype line, Severity severity, const char* code, const QString& message) {
        findings_.push_back({line, severity, QString::fromLatin1(code), message});
    }
    void parse(QByteArrayView log);
    void headerLine(const Line& line);
    void sectionLine(const Line& line, QByteArrayView name);
    void checkCharacters(const Line& line, Severity severity);
    void checkHeader();
    void checkClaimFormat(const char* key, int fields);
    void checkQsos();
    void checkQsoFields(Qso& qso);
    void repairQsoFields(Qso& qso);
    void scoreAndFlag();
    void recognisePoints();
    void recountClaims();
    const HeaderEntry* header(const char* key) const {
        const auto found = header_.find(key);
        return found == header_.end() ? nullptr : &found->second;
    }
    QByteArrayView claimField(const char* key, size_t index) const {
        const HeaderEntry* entry = header(key);
        if (!entry)
            return {};
        const auto fields = split(entry->value, ';');
        return index < fields.size() ? fields[index] : QByteArrayView();
    }
    QString recountedClaim(const char* key) const;

    const CountryFile& countries_;
    const bool mend_;
    std::deque<QByteArray> mended_; // the repaired fields' bytes, which Qso::fields views
    std::vector<Finding> findings_;
    std::vector<Line> lines_;
    // Indexes into lines_: what came before [REG1TEST;1], the remarks, lines in brackets that
    // are no section, and [END...] with what follows it.
    std::vector<qsizetype> preamble_, remarks_, strays_, trailer_;
    std::vector<std::pair<qsizetype, std::string>> headerOrder_; // line index, canonical key
    std::map<std::string, HeaderEntry> header_;
    Part part_ = Part::Before;
    bool sawStart_ = false;
    bool sawRemarks_ = false;
    qsizetype recordsLine_ = 0; // line number of [QSORecords;N]
    std::optional<qint64> recordsCount_;
    std::vector<Qso> qsos_;
    QByteArray ownLocator_;
    qint64 multiplier_ = 1;
    std::optional<QDate> firstDay_, lastDay_;
    QString convention_;
    // Recounted: squares, exchanges, entities, the best DX.
    qsizetype valid_ = 0;
    qint64 points_ = 0;
    qsizetype squares_ = 0, exchanges_ = 0, entities_ = 0;
    const Qso* odx_ = nullptr;
    std::vector<ClaimCheck> summary_;
};

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

// RST: two digits (R 1-5, S 1-9) for phone, three for CW (the tone 1-9, or a letter: A for
// aurora, S for scatter); MGM reports are signal-to-noise ratios.
bool rstFitsMode(QByteArrayView rst, char mode) {
    if (rst.isEmpty())
        return true;
    const auto rs = [&] {
        return rst[0] >= '1' && rst[0] <= '5' && rst[1] >= '1' && rst[1] <= '9';
    };
    const bool phone = rst.size() == 2 && rs();
    const bool cw = rst.size() == 3 && rs() &&
                    ((rst[2] >= '1' && rst[2] <= '9') || (rst[2] >= 'A' && rst[2] <= 'Z'));
    switch (mode) {
    case '1':
    case '5':
    case '6':
        return phone || (rst.size() == 3 && rs() && rst[2] >= 'A' && rst[2] <= 'Z');
    case '2':
        return cw;
    case '3':
    case '4':
        return phone || cw;
    case '7':
        return allDigits(rst.sliced(rst[0] == '-' || rst[0] == '+' ? 1 : 0));
    default:
        return phone || cw;
    }
}

// What a logger or a hand got wrong in a way with one right answer: spaces around a field, a
// call or locator in lower case, a '/' after a number, the RST run into the number with the
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
    for (const size_t i : {size_t(2), size_t(9)}) {
        const std::string capitals = upper(f[i]);
        if (capitals != sv(f[i]))
            repair(i, QByteArray::fromStdString(capitals),
                   u"the corrected copy writes %1 in capitals"_s.arg(text(f[i])));
    }
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

void Verifier::checkQsoFields(Qso& qso) {
    auto& f = qso.fields;
    if (f.size() == 16 && f[15].isEmpty()) {
        add(qso.line, Severity::Warning, "qso-fields", u"16 fields: one ';' too many at the end"_s);
        f.pop_back();
    }
    if (f.size() != 15) {
        add(qso.line, Severity::Error, "qso-fields",
            u"%1 field(s) separated by ';', not 15"_s.arg(f.size()));
        return;
    }
    qso.usable = true;
    repairQsoFields(qso);
    const auto bad = [&](const char* code, const QString& message) {
        add(qso.line, Severity::Error, code, message);
    };
    // Date and time.
    QByteArrayView date = f[0];
    if (date.size() == 8 && allDigits(date)) {
        qso.eightDigitDate = true;
        bad("qso-date", u"date %1 has 8 digits; a QSO's date is YYMMDD"_s.arg(text(date)));
        date = date.sliced(2);
    }
    if (date.size() == 6 && allDigits(date)) {
        const int yy = date.first(2).toInt();
        const QDate day(yy >= 80 ? 1900 + yy : 2000 + yy, date.sliced(2, 2).toInt(),
                        date.sliced(4, 2).toInt());
        if (day.isValid())
            qso.date = day;
    }
    if (!qso.date && !qso.eightDigitDate)
        bad("qso-date", u"date \"%1\" is not YYMMDD"_s.arg(text(f[0])));
    if (f[1].size() == 4 && allDigits(f[1]) && f[1].first(2).toInt() < 24 &&
        f[1].sliced(2).toInt() < 60)
        qso.minutes = f[1].first(2).toInt() * 60 + f[1].sliced(2).toInt();
    else
        bad("qso-time", u"time \"%1\" is not HHMM"_s.arg(text(f[1])));
    const QByteArrayView call = f[2];
    qso.error = call == "ERROR";
    qso.claimed = f[10].size() <= 6 ? number(f[10]) : std::nullopt;
    if (!qso.claimed)
        bad("qso-points", u"points \"%1\" are not a number of 1 to 6 digits"_s.arg(text(f[10])));
    const auto sentNumber = f[5];
    if (!sentNumber.isEmpty() &&
        !((sentNumber.size() == 3 || sentNumber.size() == 4) && allDigits(sentNumber)))
        bad("qso-number", u"sent number \"%1\" is not 3 or 4 digits"_s.arg(text(sentNumber)));
    if (qso.error)
        return; // a mistaken record keeps only its time and number
    const bool callChars = std::all_of(call.begin(), call.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '/';
    });
    if (call.size() < 3 || call.size() > 14 || !callChars)
        bad("qso-call", u"call \"%1\" is not 3 to 14 letters, digits and '/'"_s.arg(text(call)));
    else if (upper(call) != sv(call))
        add(qso.line, Severity::Warning, "qso-call", u"call %1 is in lower case"_s.arg(text(call)));
    const QByteArrayView mode = f[3];
    if (mode.size() > 1 || (mode.size() == 1 && !allDigits(mode)))
        bad("qso-mode", u"mode \"%1\" is not a code 0 to 9"_s.arg(text(mode)));
    for (const int i : {4, 6}) {
        const QString which = i == 4 ? u"sent"_s : u"received"_s;
        if (f[size_t(i)].size() != 0 && f[size_t(i)].size() != 2 && f[size_t(i)].size() != 3)
            bad("qso-rst",
                u"%1 RST \"%2\" is not 2 or 3 characters"_s.arg(which, text(f[size_t(i)])));
        else if (!rstFitsMode(f[size_t(i)], mode.isEmpty() ? '0' : mode[0]))
            add(qso.line, Severity::Warning, "qso-rst",
                u"%1 RST %2 does not fit mode %3"_s.arg(which, text(f[size_t(i)]), text(mode)));
    }
    if (!f[7].isEmpty() && !((f[7].size() == 3 || f[7].size() == 4) && allDigits(f[7])))
        bad("qso-number", u"received number \"%1\" is not 3 or 4 digits"_s.arg(text(f[7])));
    if (f[8].size() > 6)
        bad("qso-exchange", u"received exchange \"%1\" is longer than 6"_s.arg(text(f[8])));
    const QByteArrayView wwl = f[9];
    const bool square = wwl.size() == 4 && IsSixCharacterLocator(wwl.toByteArray() + "AA");
    if (!wwl.isEmpty() && !square && !IsSixCharacterLocator(wwl))
        bad("qso-wwl", u"received locator \"%1\" is not a locator"_s.arg(text(wwl)));
    else if (upper(wwl) != sv(wwl))
        add(qso.line, Severity::Warning, "qso-wwl",
            u"received locator %1 is in lower case"_s.arg(text(wwl)));
    for (size_t i = 11; i < 15; ++i) {
        const char wanted = i == 14 ? 'D' : 'N';
        if (!f[i].isEmpty() && f[i] != QByteArrayView(&wanted, 1))
            bad("qso-flag", u"field %1 holds \"%2\": it is empty or %3"_s.arg(i + 1).arg(
                                text(f[i]), QChar::fromLatin1(wanted)));
    }
    qso.complete = callChars && call.size() >= 3 && call.size() <= 14 && !f[6].isEmpty() &&
                   !f[7].isEmpty() && IsSixCharacterLocator(wwl);
    if (IsSixCharacterLocator(wwl) && !ownLocator_.isEmpty())
        if (const auto km = LocatorDistanceKm(ownLocator_, wwl)) {
            qso.km = qint64(*km);
            qso.exactKm = *km;
        }
    qso.entity = countries_.entityOf(call);
}

void Verifier::checkQsos() {
    if (recordsCount_ && *recordsCount_ != qint64(qsos_.size()))
        add(recordsLine_, Severity::Error, "record-count",
            u"[QSORecords;%1] but %2 record line(s) follow"_s.arg(*recordsCount_)
                .arg(qsos_.size()));
    std::optional<qint64> lastNumber;
    std::optional<std::pair<QDate, int>> lastTime;
    for (Qso& qso : qsos_) {
        checkQsoFields(qso);
        if (!qso.usable)
            continue;
        if (qso.date && firstDay_ && (*qso.date < *firstDay_ || *qso.date > *lastDay_))
            add(qso.line, Severity::Error, "date-range",
                u"the QSO's date %1 is outside TDate"_s.arg(qso.date->toString(Qt::ISODate)));
        if (qso.date && qso.minutes) {
            const std::pair<QDate, int> when{*qso.date, *qso.minutes};
            if (lastTime && when < *lastTime)
                add(qso.line, Severity::Warning, "time-order",
                    u"the time goes back from the line before"_s);
            lastTime = when;
        }
        if (const auto sent = number(qso.fields[5])) {
            if (lastNumber && *sent == *lastNumber)
                add(qso.line, Severity::Warning, "serial",
                    u"sent number %1 again"_s.arg(text(qso.fields[5])));
            else if (lastNumber && *sent != *lastNumber + 1)
                add(qso.line, Severity::Warning, "serial",
                    u"sent numbers jump from %1 to %2"_s.arg(*lastNumber).arg(*sent));
            lastNumber = sent;
        }
    }
}

void Verifier::scoreAndFlag() {
    std::unordered_set<std::string> calls, squares, exchanges;
    std::unordered_set<int> entities;
    for (Qso& qso : qsos_) {
        if (!qso.usable || qso.error)
            continue;
        qso.duplicate = !calls.insert(upper(qso.fields[2])).second;
        if (qso.duplicate || !qso.complete)
            continue;
        ++valid_;
        qso.flags[0] = !qso.fields[8].isEmpty() && exchanges.insert(upper(qso.fields[8])).second;
        qso.flags[1] = squares.insert(upper(qso.fields[9].first(4))).second;
        qso.flags[2] = qso.entity && entities.insert(*qso.entity).second;
        if (qso.km) {
            qso.points = (*qso.km + 1) * multiplier_;
            points_ += qso.points;
            if (!odx_ || *qso.km > *odx_->km)
                odx_ = &qso;
        }
    }
    squares_ = qsizetype(squares.size());
    exchanges_ = qsizetype(exchanges.size());
    entities_ = qsizetype(entities.size());
    for (Qso& qso : qsos_)
        qso.flags[3] = qso.duplicate;

    static constexpr std::array<const char*, 4> kFlagCodes{"flag-exchange", "flag-wwl", "flag-dxcc",
                                                           "flag-dupe"};
    static constexpr std::array<const char*, 4> kFlagNames{"new exchange", "new locator square",
                                                           "new DXCC", "duplicate"};
    // A logger that never writes a column's flag is told once, not on every line.
    std::array<qsizetype, 4> marked{}, expected{};
    for (const Qso& qso : qsos_)
        for (size_t i = 0; qso.usable && !qso.error && i < 4; ++i) {
            marked[i] += !qso.fields[11 + i].isEmpty();
            expected[i] += qso.flags[i];
        }
    for (size_t i = 0; i < 3; ++i)
        if (marked[i] == 0 && expected[i] > 0 && !(i == 2 && countries_.empty()))
            add(recordsLine_, Severity::Warning, kFlagCodes[i],
                u"no QSO is marked as %1; %2 should be"_s.arg(QLatin1String(kFlagNames[i]))
                    .arg(expected[i]));
    for (const Qso& qso : qsos_) {
        if (!qso.usable || qso.error)
            continue;
        for (size_t i = 0; i < 4; ++i) {
            if ((i == 2 && countries_.empty()) || (i < 3 && marked[i] == 0))
                continue;
            const bool marked = !qso.fields[11 + i].isEmpty();
            if (marked == qso.flags[i])
                continue;
            const Severity severity = i == 3 ? Severity::Error : Severity::Warning;
            add(qso.line, severity, kFlagCodes[i],
                qso.flags[i]
                    ? u"not marked as %1"_s.arg(QLatin1String(kFlagNames[i]))
                    : u"marked as %1, which it is not"_s.arg(QLatin1String(kFlagNames[i])));
        }
    }
    recognisePoints();
}

void Verifier::recognisePoints() {
    // Each way of counting, with the band multiplier, without it, or with one that the
    // claims do not give; the one that explains the most lines is the logger's.
    struct Way {
        size_t rule;
        qint64 factor;
        qsizetype explained = 0;
    };
    std::vector<Way> ways;
    std::vector<qint64> factors{multiplier_};
    if (multiplier_ != 1)
        factors.push_back(1);
    for (const Qso& qso : qsos_)
        if (qso.usable && !qso.error && qso.complete && !qso.duplicate && qso.km && qso.claimed &&
            *qso.claimed % (*qso.km + 1) == 0) {
            const qint64 k = *qso.claimed / (*qso.km + 1);
            if (k > 1 && k <= 10 && std::find(factors.begin(), factors.end(), k) == factors.end())
                factors.push_back(k);
            break;
        }
    for (size_t r = 0; r < kPointRules.size(); ++r)
        for (const qint64 factor : factors)
            ways.push_back({r, factor});
    // Points of each QSO each way; 0 for those that score nothing.
    std::vector<std::vector<qint64>> byWay(ways.size(), std::vector<qint64>(qsos_.size(), 0));
    qsizetype scored = 0;
    for (size_t q = 0; q < qsos_.size(); ++q) {
        const Qso& qso = qsos_[q];
        if (!qso.usable || qso.error || qso.duplicate || !qso.complete || ownLocator_.isEmpty())
            continue;
        ++scored;
        for (size_t w = 0; w < ways.size(); ++w) {
            const PointRule& rule = kPointRules[ways[w].rule];
            const auto km = LocatorDistanceKm(ownLocator_, qso.fields[9], rule);
            byWay[w][q] = km ? DistancePoints(*km, rule) * ways[w].factor : -1;
            if (qso.claimed && *qso.claimed == byWay[w][q])
                ++ways[w].explained;
        }
    }
    size_t best = 0;
    for (size_t w = 1; w < ways.size(); ++w)
        if (ways[w].explained > ways[best].explained)
            best = w;
    // A way that explains a few lines by chance is no convention.
    if (best != 0 && ways[best].explained * 2 < scored)
        best = 0;
    if (best != 0) {
        const Way& way = ways[best];
        QString name = QLatin1String(kPointRules[way.rule].name);
        if (way.rule == 0)
            name.clear();
        if (way.factor != multiplier_)
            name += (name.isEmpty() ? u""_s : u", "_s) +
                    (way.factor == 1
                         ? u"the band multiplier ×%1 left out of the points"_s.arg(multiplier_)
                         : u"a band multiplier ×%1 inside the points, while CQSOs gives ×%2"_s
                               .arg(way.factor)
                               .arg(multiplier_));
        convention_ = name;
        add(recordsLine_, Severity::Note, "points-convention",
            u"the logger counts points by %1: %2 of %3 QSOs; the IARU rule explains %4. "
            u"The scores below are by the rule."_s.arg(name)
                .arg(way.explained)
                .arg(scored)
                .arg(ways[0].explained));
    }
    for (size_t q = 0; q < qsos_.size(); ++q) {
        const Qso& qso = qsos_[q];
        if (!qso.usable || !qso.claimed)
            continue;
        if (*qso.claimed == qso.points || *qso.claimed == byWay[best][q])
            continue;
        QString why;
        if (qso.error)
            why = u"an ERROR record scores 0"_s;
        else if (qso.duplicate)
            why = u"a duplicate scores 0"_s;
        else if (!qso.complete)
            why = u"an incomplete QSO scores 0"_s;
        else if (ownLocator_.isEmpty())
            continue; // without PWWLo nothing can be recomputed
        else
            why = u"%1 km to %2: (%3 + 1) × %4 = %5"_s.arg(*qso.km)
                      .arg(text(qso.fields[9]))
                      .arg(*qso.km)
                      .arg(multiplier_)
                      .arg(qso.points);
        add(qso.line, Severity::Error, "points",
            u"%1 points claimed; %2"_s.arg(*qso.claimed).arg(why));
    }
}

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

void Verifier::wantCalls(DatabaseFacts& facts) const {
    for (const Qso& qso : qsos_)
        if (qso.usable && !qso.error && !qso.duplicate && qso.complete)
            facts.want(facts.locatorsOf, facts.calls, upper(qso.fields[2]));
}

// Only a call the database lacks makes its locator's stations worth knowing.
void Verifier::wantLocators(DatabaseFacts& facts) const {
    for (const Qso& qso : qsos_)
        if (qso.usable && !qso.error && !qso.duplicate && qso.complete &&
            facts.locatorsOf.find(upper(qso.fields[2]))->second.empty())
            facts.want(facts.callsAt, facts.locators, upper(qso.fields[9]));
}

// One pass over the file for every log at once, for the calls or for the locators: a
// record's call is the text after the line's first space, its locator the text before it.
void scanDatabase(QByteArrayView database, DatabaseFacts& facts, bool byCall) {
    Answers& answers = byCall ? facts.locatorsOf : facts.callsAt;
    const TextFilter& filter = byCall ? facts.calls : facts.locators;
    if (answers.empty())
        return;
    qsizetype at = 0;
    while (at < database.size()) {
        qsizetype end = database.indexOf('\n', at);
        if (end < 0)
            end = database.size();
        QByteArrayView line = database.sliced(at, end - at);
        at = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype space = line.indexOf(' ');
        if (space <= 0)
            continue;
        const std::string_view locator(line.data(), size_t(space));
        const std::string_view call(line.data() + space + 1, size_t(line.size() - space - 1));
        const std::string_view key = byCall ? call : locator;
        if (filter.mayHold(key))
            if (const auto found = answers.find(key); found != answers.end())
                found->second.push_back(byCall ? locator : call);
    }
}

void Verifier::noteDatabase(const DatabaseFacts& facts) {
    static const std::vector<std::string_view> none;
    const auto lookUp = [](const Answers& answers,
                           std::string_view key) -> const std::vector<std::string_view>& {
        const auto found = answers.find(key);
        return found == answers.end() ? none : found->second;
    };
    const auto qText = [](std::string_view s) {
        return QString::fromLatin1(s.data(), qsizetype(s.size()));
    };
    for (const Qso& qso : qsos_) {
        if (!qso.usable || qso.error || qso.duplicate || !qso.complete)
            continue;
        const std::string call = upper(qso.fields[2]);
        const std::string locator = upper(qso.fields[9]);
        const std::vector<std::string_view>& stored = lookUp(facts.locatorsOf, call);
        if (!stored.empty()) {
            if (std::find(stored.begin(), stored.end(), locator) != stored.end())
                continue;
            // The nearest stored locator tells the likeliest slip.
            std::optional<qint64> nearest;
            QString nearestLocator;
            for (const std::string_view s : stored) {
                const auto km = LocatorDistanceKm(QByteArrayView(s.data(), qsizetype(s.size())),
                                                  QByteArrayView(locator));
                if (km && (!nearest || qint64(*km) < *nearest)) {
                    nearest = qint64(*km);
                    nearestLocator = qText(s);
                }
            }
            if (!nearest)
                continue;
            const bool sameSquare =
                nearestLocator.left(4) == QString::fromStdString(locator.substr(0, 4));
            add(qso.line, Severity::Note, "db-locator",
                u"%1 in the log, the database has %2, %3 km%4"_s
                    .arg(QString::fromStdString(locator), nearestLocator)
                    .arg(*nearest)
                    .arg(sameSquare ? u": a slip within the square?"_s : QString()));
            continue;
        }
        for (const std::string_view other : lookUp(facts.callsAt, locator))
            if (oneEditApart(call, other)) {
                add(qso.line, Severity::Note, "db-busted-call",
                    u"%1 is not in the database; %2 is, at %3: a busted call?"_s.arg(
                        QString::fromStdString(call), qText(other),
                        QString::fromStdString(locator)));
                break;
            }
    }
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

} // namespace

qsizetype VerifyResult::count(Severity severity) const {
    return contestlog::CountFindings(findings, severity);
}

std::vector<VerifyResult> VerifyLogs(const std::vector<QByteArrayView>& logs,
                                     QByteArrayView database, const CountryFile& countries) {
    std::vector<Verifier> verifiers;
    verifiers.reserve(logs.size());
    DatabaseFacts facts;
    for (const QByteArrayView log : logs)
        verifiers.emplace_back(log, countries).wantCalls(facts);
    scanDatabase(database, facts, true);
    for (const Verifier& verifier : verifiers)
        verifier.wantLocators(facts);
    scanDatabase(database, facts, false);
    std::vector<VerifyResult> results;
    for (Verifier& verifier : verifiers) {
        verifier.noteDatabase(facts);
        results.push_back(verifier.result());
    }
    return results;
}

VerifyResult VerifyLog(QByteArrayView log, QByteArrayView database, const CountryFile& countries) {
    return std::move(VerifyLogs({log}, database, countries).front());
}

QByteArray FixedLog(QByteArrayView log, const CountryFile& countries) {
    return Verifier(log, countries, true).fixed();
}

} // namespace edilog
