// The tolerant REG1TEST reader: the log's layout (sections, header keys, record lines) read
// as the verifier has always read it, with the same findings at the same lines.
#include "edisyntax.h"
#include "findinglist.h"
#include "reader.h"
#include "text.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace contestlog {

namespace {

struct Line {
    QByteArrayView bytes;
    qsizetype number = 0;
    bool crLf = false;
    bool last = false; // no LF after it
};

enum class Part { Before, Header, Remarks, Records, After };

bool allDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<qint64> number(QStringView text) {
    if (!allDigits(text) || text.size() > 12)
        return std::nullopt;
    return text.toLongLong();
}

// The table's index of a key, in either case; -1 for none.
int keyIndex(QByteArrayView key) {
    if (key.size() != 5) // every key has five letters
        return -1;
    for (size_t i = 0; i < kReg1testHeaderKeys.size(); ++i)
        if (key.compare(QByteArrayView(kReg1testHeaderKeys[i], 5), Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

class Reader : public LogReader {
public:
    Reader(QByteArrayView bytes, bool fields);

private:
    QString decode(QByteArrayView bytes) const {
        return utf8_ ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    }
    template <typename Text>
    void add(qsizetype line, Severity severity, const char* code, Text&& text) {
        findings_.add(line, severity, code, std::forward<Text>(text));
    }
    void sectionLine(const Line& line, const QString& trimmed);
    void headerLine(const Line& line);
    void recordLine(const Line& line);
    void checkCharacters(const Line& line, Severity severity);
    SourceLine source(const Line& line) const { return {line.number, decode(line.bytes)}; }

    bool fields_ = true; // whether a record line's fields are read
    bool utf8_ = true;
    bool tooMany_ = false;
    std::array<qsizetype, kReg1testHeaderKeys.size()> firstLine_{}; // of each key; 0: none
    Part part_ = Part::Before;
};

Reader::Reader(QByteArrayView bytes, bool fields) : LogReader(Format::Reg1test), fields_(fields) {
    bytes = PassOverBom(bytes, findings_);
    utf8_ = IsUtf8(bytes);
    // Lines end at LF; a CR before it goes with it.
    const auto lineAt = [&](qsizetype at, qsizetype number) {
        qsizetype end = bytes.indexOf('\n', at);
        const bool last = end < 0;
        Line line{bytes.sliced(at, (last ? bytes.size() : end) - at), number, false, last};
        if (line.bytes.endsWith('\r')) {
            line.bytes.chop(1);
            line.crLf = !last;
        }
        return std::pair{line, last ? bytes.size() : end + 1};
    };
    qsizetype lines = 0, lfOnly = 0, firstLfOnly = 0;
    for (qsizetype at = 0; at < bytes.size();) {
        const auto [line, next] = lineAt(at, ++lines);
        if (!line.crLf && !(line.last && line.bytes.isEmpty()) && lfOnly++ == 0)
            firstLfOnly = line.number;
        at = next;
    }
    if (lfOnly > 0)
        add(firstLfOnly, Severity::Warning, "line-end",
            [&] { return u"%1 line(s) do not end in CR LF, from this one on"_s.arg(lfOnly); });

    // Room for a QSO a line, made once: growing a vector of them copies it into fresh memory.
    if (fields_)
        log_.qsos.reserve(size_t(std::min(lines, kMaxQsos)));
    else
        log_.edi.recordLines.reserve(size_t(std::min(lines, kMaxQsos)));

    EdiLayout& edi = log_.edi;
    for (qsizetype at = 0, number = 1; at < bytes.size(); ++number) {
        const auto [line, next] = lineAt(at, number);
        at = next;
        const QByteArrayView trimmedBytes = line.bytes.trimmed();
        if (part_ != Part::After && trimmedBytes.startsWith('[')) {
            sectionLine(line, decode(trimmedBytes));
            continue;
        }
        switch (part_) {
        case Part::Before: {
            // Header lines without the opening line are still the header.
            const qsizetype equals = trimmedBytes.indexOf('=');
            if (equals > 0 && keyIndex(trimmedBytes.first(equals).trimmed()) >= 0) {
                add(line.number, Severity::Error, "missing-section",
                    u"the log does not begin with [REG1TEST;1]"_s);
                part_ = Part::Header;
                edi.sawStart = true;
                headerLine(line);
            } else if (!trimmedBytes.isEmpty()) {
                if (room(line.number))
                    edi.preamble.push_back(source(line));
            }
            break;
        }
        case Part::Header:
            headerLine(line);
            break;
        case Part::Remarks:
            checkCharacters(line, Severity::Warning);
            if (room(line.number))
                log_.remarks.push_back(source(line));
            break;
        case Part::Records:
            if (trimmedBytes.isEmpty()) {
                add(line.number, Severity::Warning, "blank-line",
                    u"a blank line among the QSO records"_s);
                break;
            }
            checkCharacters(line, Severity::Error);
            recordLine(line);
            break;
        case Part::After:
            if (room(line.number))
                edi.trailer.push_back(source(line));
            break;
        }
    }
    if (!edi.preamble.empty())
        add(edi.preamble.front().line, Severity::Warning, "preamble", [&] {
            return u"%1 line(s) stand before [REG1TEST;1], which must come first"_s.arg(
                edi.preamble.size());
        });
    if (!edi.sawStart)
        add(1, Severity::Error, "missing-section", u"no [REG1TEST;1] line: this is no EDI log"_s);
    if (edi.recordsLine == 0)
        add(lines, Severity::Error, "missing-section", u"no [QSORecords;N] section"_s);
    else if (edi.remarksLine == 0)
        add(edi.recordsLine, Severity::Error, "missing-section",
            u"no [Remarks] section before the QSO records (it is there even when empty)"_s);

    const Band band = BandFromPBand(log_.value(u"PBand"));
    for (Qso& qso : log_.qsos)
        if (qso.readable)
            qso.band = band;
}

void Reader::sectionLine(const Line& line, const QString& trimmed) {
    checkCharacters(line, Severity::Warning);
    const QStringView name = BracketName(trimmed);
    EdiLayout& edi = log_.edi;
    if (name.startsWith(u"END", Qt::CaseInsensitive)) {
        part_ = Part::After;
        if (room(line.number))
            edi.trailer.push_back(source(line));
    } else if (part_ == Part::Before && NearSectionName(name, u"REG1TEST")) {
        edi.sawStart = true;
        part_ = Part::Header;
        if (trimmed != u"[REG1TEST;1]"_s)
            add(line.number, Severity::Error, "section-name",
                [&] { return u"%1: did you mean [REG1TEST;1]?"_s.arg(trimmed); });
    } else if ((part_ == Part::Header || part_ == Part::Before) &&
               NearSectionName(name, u"Remarks")) {
        edi.remarksLine = line.number;
        part_ = Part::Remarks;
        if (trimmed != u"[Remarks]"_s)
            add(line.number, Severity::Error, "section-name",
                [&] { return u"%1: did you mean [Remarks]?"_s.arg(trimmed); });
    } else if (part_ != Part::Records && NearSectionName(name, u"QSORecords")) {
        part_ = Part::Records;
        edi.recordsLine = line.number;
        const qsizetype semicolon = trimmed.indexOf(u';');
        QStringView count =
            semicolon < 0 ? QStringView() : QStringView(trimmed).sliced(semicolon + 1);
        if (count.endsWith(u']')) // "[QSORecords;" has no bracket to drop
            count.chop(1);
        edi.declaredRecords = number(count);
        if (name != u"QSORecords" || !trimmed.endsWith(u']') || !edi.declaredRecords)
            add(line.number, Severity::Error, "section-name", [&] {
                return u"%1: write [QSORecords;N], N the number of record lines"_s.arg(trimmed);
            });
    } else if (part_ == Part::Remarks) {
        if (room(line.number))
            log_.remarks.push_back(source(line)); // any other line in brackets is a remark
    } else {
        if (part_ == Part::Header)
            add(line.number, Severity::Warning, "header-line",
                [&] { return u"%1 is no section of an EDI log"_s.arg(trimmed); });
        else if (part_ == Part::Records)
            add(line.number, Severity::Error, "qso-fields",
                [&] { return u"%1 among the QSO records"_s.arg(trimmed); });
        // A section line given again belongs nowhere; anything else is kept.
        if (!NearSectionName(name, u"REG1TEST") && !NearSectionName(name, u"Remarks") &&
            !NearSectionName(name, u"QSORecords"))
            if (room(line.number))
                edi.strays.push_back(source(line));
    }
}

void Reader::checkCharacters(const Line& line, Severity severity) {
    for (qsizetype at = 0; at < line.bytes.size(); ++at) {
        const uchar c = uchar(line.bytes[at]);
        if (c < 32 || c > 127) {
            add(line.number, severity, "character", [&] {
                return u"byte 0x%1 in column %2: a log holds ASCII text alone"_s
                    .arg(uint(c), 2, 16, QLatin1Char('0'))
                    .arg(at + 1);
            });
            break;
        }
    }
    if (line.bytes.size() > 75)
        add(line.number, Severity::Warning, "line-length", [&] {
            return u"%1 characters; a line of a log has at most 75"_s.arg(line.bytes.size());
        });
}

void Reader::headerLine(const Line& line) {
    checkCharacters(line, Severity::Warning);
    // Keys and separators are ASCII, which no UTF-8 sequence holds: the bytes tell them, and
    // only what is kept or said is decoded.
    const QByteArrayView trimmed = line.bytes.trimmed();
    if (trimmed.isEmpty())
        return;
    qsizetype split = trimmed.indexOf('=');
    const qsizetype colon = trimmed.indexOf(':');
    const bool colonForm = colon > 0 && (split < 0 || colon < split);
    if (colonForm)
        split = colon;
    const auto keep = [&](const QString& key, QByteArrayView written, QByteArrayView value) {
        if (room(line.number))
            log_.header.push_back({key, decode(written), decode(value), line.number});
    };
    if (split <= 0) {
        add(line.number, Severity::Warning, "header-line", [&] {
            const QString text = decode(trimmed);
            return u"\"%1\" is not Key=value"_s.arg(
                text.first(std::min<qsizetype>(30, text.size())));
        });
        keep({}, {}, trimmed); // kept as it is
        return;
    }
    const QByteArrayView key = trimmed.first(split).trimmed();
    const QByteArrayView value = trimmed.sliced(split + 1).trimmed();
    const int index = keyIndex(key);
    const auto name = [](int i) { return QLatin1StringView(kReg1testHeaderKeys[size_t(i)]); };
    if (index < 0) {
        int guess = -1;
        int nearest = 3; // at most two letters off, so at most 7 letters long
        if (key.size() >= 4 && key.size() <= 7) {
            const QString text = decode(key);
            for (size_t i = 0; i < kReg1testHeaderKeys.size(); ++i)
                if (const int distance = EditDistance(text, QString(name(int(i))));
                    distance < nearest) {
                    guess = int(i);
                    nearest = distance;
                }
        }
        add(line.number, Severity::Warning, "unknown-key", [&] {
            return guess >= 0 ? u"unknown key %1: did you mean %2?"_s.arg(decode(key), name(guess))
                              : u"unknown key %1"_s.arg(decode(key));
        });
        // A near miss of a key the log lacks is taken for it, as the fixed copy spells it.
        const bool taken = guess >= 0 && firstLine_[size_t(guess)] == 0;
        if (taken)
            firstLine_[size_t(guess)] = line.number;
        keep(taken ? QString(name(guess)) : QString(), key, value);
        return;
    }
    if (colonForm || key != QByteArrayView(kReg1testHeaderKeys[size_t(index)], 5))
        add(line.number, Severity::Warning, "key-spelling",
            [&] { return u"write %1=value"_s.arg(name(index)); });
    if (const qsizetype first = firstLine_[size_t(index)])
        add(line.number, Severity::Warning, "repeated-key", [&] {
            return u"%1 again (first on line %2); the first one counts"_s.arg(name(index))
                .arg(first);
        });
    else
        firstLine_[size_t(index)] = line.number;
    keep(QString(name(index)), key, value);
}

std::optional<QDate> ediDate(QStringView text) {
    if (!allDigits(text))
        return std::nullopt;
    QDate date;
    if (text.size() == 6) {
        const int yy = text.first(2).toInt();
        date = QDate(yy >= 80 ? 1900 + yy : 2000 + yy, text.sliced(2, 2).toInt(),
                     text.sliced(4, 2).toInt());
    } else if (text.size() == 8) { // a mistake loggers make; the rules say so
        date = QDate(text.first(4).toInt(), text.sliced(4, 2).toInt(), text.sliced(6, 2).toInt());
    }
    return date.isValid() ? std::optional(date) : std::nullopt;
}

void Reader::recordLine(const Line& line) {
    if (std::max(log_.qsos.size(), log_.edi.recordLines.size()) >= size_t(kMaxQsos)) {
        if (!tooMany_)
            add(line.number, Severity::Error, "too-many-qsos",
                [&] { return u"more than %1 QSO records: the rest is not read"_s.arg(kMaxQsos); });
        tooMany_ = true;
        return;
    }
    if (!fields_) {
        // The layout alone: a QSO would be 400 bytes of empty fields a line.
        EdiLayout::RecordLine& record = log_.edi.recordLines.emplace_back();
        record.line = line.number;
        const qsizetype count = line.bytes.count(';') + 1;
        const bool spare = count == 16 && line.bytes.endsWith(';');
        if (spare)
            add(line.number, Severity::Warning, "qso-fields",
                u"16 fields: one ';' too many at the end"_s);
        else if (count != 15)
            add(line.number, Severity::Error, "qso-fields",
                [&] { return u"%1 field(s) separated by ';', not 15"_s.arg(count); });
        record.readable = spare || count == 15;
        return;
    }
    Qso& qso = log_.qsos.emplace_back();
    qso.line = line.number;
    qso.record = qsizetype(log_.qsos.size());
    for (qsizetype from = 0, at = 0; at <= line.bytes.size(); ++at)
        if (at == line.bytes.size() || line.bytes[at] == ';') {
            qso.fields.push_back(decode(line.bytes.sliced(from, at - from)));
            from = at + 1;
        }
    QStringList& f = qso.fields;
    if (f.size() == 16 && f[15].isEmpty()) {
        add(line.number, Severity::Warning, "qso-fields",
            u"16 fields: one ';' too many at the end"_s);
        f.removeLast();
    }
    if (f.size() != 15) {
        add(line.number, Severity::Error, "qso-fields",
            [&] { return u"%1 field(s) separated by ';', not 15"_s.arg(f.size()); });
        qso.readable = false;
        return;
    }
    const auto field = [&](int i) { return f[i].trimmed(); };
    qso.date = ediDate(field(0)).value_or(QDate());
    const QString time = field(1);
    if (time.size() == 4 && allDigits(time))
        qso.time = QTime(time.first(2).toInt(), time.sliced(2).toInt()); // invalid past 23:59
    qso.call = field(2);
    qso.modeText = field(3);
    qso.mode = ModeFromEdi(qso.modeText);
    qso.sentRst = field(4);
    qso.sentNumber = field(5);
    qso.receivedRst = field(6);
    qso.receivedNumber = field(7);
    qso.receivedExchange = field(8);
    qso.locator = field(9);
    qso.points = number(field(10));
    qso.newExchange = !field(11).isEmpty();
    qso.newLocator = !field(12).isEmpty();
    qso.newDxcc = !field(13).isEmpty();
    qso.duplicate = !field(14).isEmpty();
}

} // namespace

ContestLog ReadReg1test(QByteArrayView bytes) {
    return Reader(bytes, true).take();
}

ContestLog ReadReg1testLayout(QByteArrayView bytes) {
    return Reader(bytes, false).take();
}

} // namespace contestlog
