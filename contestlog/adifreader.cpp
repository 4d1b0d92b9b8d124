// ADIF (.adi) and ADX (.adx) logs. Real .adi files break the rules in many ways: lengths
// that count characters instead of UTF-8 bytes, or that cut a value short or run past it,
// tags without a length, lower case everywhere, records without <EOR>. Each is read as
// meant where that is clear, and said.
#include "adiffields.h"
#include "findinglist.h"
#include "reader.h"
#include "text.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace contestlog {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Letters, digits and '_', as a table: every tag's name is read a byte at a time.
constexpr std::array<bool, 256> kNameChars = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[size_t(c)] =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    return table;
}();

bool isNameChar(char c) {
    return kNameChars[uchar(c)];
}

// EOR or EOH, in any case.
bool sameName(QByteArrayView name, const char (&upper)[4]) {
    return name.size() == 3 && (name[0] | 0x20) == (upper[0] | 0x20) &&
           (name[1] | 0x20) == (upper[1] | 0x20) && (name[2] | 0x20) == (upper[2] | 0x20);
}

// Line feeds eight bytes at a time: a byte equal to LF becomes a zero byte, each zero byte
// a 1 in its own byte, and one multiplication adds them up.
qsizetype countLineFeeds(QByteArrayView bytes) {
    constexpr quint64 kLow7 = 0x7F7F7F7F7F7F7F7Full;
    qsizetype count = 0, at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        quint64 word;
        std::memcpy(&word, bytes.data() + at, 8);
        const quint64 x = word ^ 0x0A0A0A0A0A0A0A0Aull;
        const quint64 zeros = ~(((x & kLow7) + kLow7) | x | kLow7) >> 7; // 1 in each such byte
        count += qsizetype(zeros * 0x0101010101010101ull >> 56);
    }
    return count + std::count(bytes.begin() + at, bytes.end(), '\n');
}

// Lines counted as the scan goes forward, so that a finding or a QSO can name its line.
class LineCounter {
public:
    explicit LineCounter(QByteArrayView bytes) : bytes_(bytes) {}
    qsizetype lineOf(qsizetype position) {
        if (position > at_) {
            line_ += countLineFeeds(bytes_.sliced(at_, position - at_));
            at_ = position;
        }
        return line_;
    }

private:
    QByteArrayView bytes_;
    qsizetype at_ = 0;
    qsizetype line_ = 1;
};

struct Tag {
    qsizetype start = 0; // the '<'
    qsizetype end = 0;   // just past the '>'
    QByteArrayView name;
    bool hasLength = false;
    bool negative = false;
    qint64 length = 0; // capped far beyond any file
};

class AdiReader : public LogReader {
public:
    explicit AdiReader(QByteArrayView bytes);

private:
    enum class Quality { Runs, Spaced, Clean };

    template <typename Text>
    void add(qsizetype position, Severity severity, const char* code, Text&& text) {
        findings_.add(lines_.lineOf(position), severity, code, std::forward<Text>(text),
                      inHeader_ ? 0 : record_ + 1);
    }
    QString decode(QByteArrayView bytes) const {
        const bool ascii =
            std::none_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
        return utf8_ && !ascii ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    }
    QString show(QByteArrayView bytes) const {
        return decode(bytes.first(std::min<qsizetype>(bytes.size(), 40)));
    }
    std::optional<Tag> tagAt(qsizetype at) const;
    qsizetype nextTag(qsizetype from) const;
    Quality quality(qsizetype end) const;
    qsizetype charactersEnd(qsizetype from, qint64 characters) const;
    QByteArrayView value(const Tag& tag, qsizetype& next);
    void field(const Tag& tag, QByteArrayView value);
    void finishRecord(qsizetype position, bool withEor);
    void header(qsizetype from, qsizetype eoh);

    QByteArrayView bytes_;
    LineCounter lines_;
    bool utf8_ = true;
    bool inHeader_ = false;
    bool saidCharacters_ = false;
    bool tooMany_ = false;
    qsizetype record_ = 0; // records finished
    AdifRecord current_;
    qsizetype currentStart_ = 0; // the first tag of the record being read
};

// A field tag at `at` (a '<'): <NAME>, <NAME:LENGTH> or <NAME:LENGTH:TYPE>; none for a '<'
// that starts no tag.
std::optional<Tag> AdiReader::tagAt(qsizetype at) const {
    const qsizetype size = bytes_.size();
    Tag tag;
    tag.start = at;
    qsizetype i = at + 1;
    while (i < size && i - at <= 100 && isNameChar(bytes_[i]))
        ++i;
    if (i == at + 1 || i >= size)
        return std::nullopt;
    tag.name = bytes_.sliced(at + 1, i - at - 1);
    if (bytes_[i] == ':') {
        ++i;
        if (i < size && bytes_[i] == '-') {
            tag.negative = true;
            ++i;
        }
        const qsizetype digits = i;
        while (i < size && bytes_[i] >= '0' && bytes_[i] <= '9') {
            tag.length = std::min<qint64>(tag.length * 10 + (bytes_[i] - '0'),
                                          std::numeric_limits<qint32>::max());
            ++i;
        }
        if (i == digits)
            return std::nullopt;
        tag.hasLength = true;
        if (i < size && bytes_[i] == ':') { // the type indicator: one letter, or none
            ++i;
            while (i < size && i - at <= 120 && isNameChar(bytes_[i]))
                ++i;
        }
    }
    if (i >= size || bytes_[i] != '>')
        return std::nullopt;
    tag.end = i + 1;
    return tag;
}

qsizetype AdiReader::nextTag(qsizetype from) const {
    const qsizetype found = bytes_.indexOf('<', from);
    return found < 0 ? bytes_.size() : found;
}

// What follows a value that ends at `end`: the next tag (after spaces) or the end of the
// file is clean; spaces and then other text may be text between fields; anything else means
// the value goes on.
AdiReader::Quality AdiReader::quality(qsizetype end) const {
    qsizetype i = end;
    while (i < bytes_.size() && isSpace(bytes_[i]))
        ++i;
    if (i == bytes_.size() || bytes_[i] == '<')
        return Quality::Clean;
    return i > end ? Quality::Spaced : Quality::Runs;
}

// Where a value of so many UTF-8 characters (not bytes) that starts at `from` ends.
qsizetype AdiReader::charactersEnd(qsizetype from, qint64 characters) const {
    qsizetype i = from;
    for (qint64 n = 0; n < characters && i < bytes_.size(); ++n) {
        const uchar lead = uchar(bytes_[i]);
        i += lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    }
    return std::min(i, bytes_.size());
}

QByteArrayView AdiReader::value(const Tag& tag, qsizetype& next) {
    const qsizetype start = tag.end;
    const qsizetype size = bytes_.size();
    const auto tagText = [&] { return decode(bytes_.sliced(tag.start, tag.end - tag.start)); };
    // Up to the next tag (a '<' that starts none is the value's), spaces and line breaks at
    // its end left out.
    const auto toNextTag = [&](qsizetype limit) {
        qsizetype end = nextTag(start);
        while (end < limit && !tagAt(end))
            end = nextTag(end + 1);
        end = std::min(end, limit);
        next = end;
        while (end > start && isSpace(bytes_[end - 1]))
            --end;
        return bytes_.sliced(start, end - start);
    };
    if (!tag.hasLength) {
        const QByteArrayView v = toNextTag(size);
        add(tag.start, inHeader_ ? Severity::Note : Severity::Warning, "adif-tag", [&] {
            return u"%1 has no length; its value is read up to the next tag"_s.arg(tagText());
        });
        return v;
    }
    if (tag.negative) {
        const QByteArrayView v = toNextTag(size);
        add(tag.start, Severity::Warning, "adif-length", [&] {
            return u"%1: a negative length; the value is read up to the next tag"_s.arg(tagText());
        });
        return v;
    }
    const bool pastEnd = tag.length > size - start;
    const qsizetype byteEnd = pastEnd ? size : start + qsizetype(tag.length);
    QByteArrayView v = bytes_.sliced(start, byteEnd - start);
    // <b> in a comment is the comment's; <CALL:5> or <EOR> is the next field.
    const qsizetype innerTag = [&] {
        for (qsizetype at = v.indexOf('<'); at >= 0; at = v.indexOf('<', at + 1))
            if (const auto inner = tagAt(start + at);
                inner &&
                (inner->hasLength || sameName(inner->name, "EOR") || sameName(inner->name, "EOH")))
                return start + at;
        return size;
    }();
    const bool holdsTag = innerTag < size;
    if (!pastEnd && !holdsTag) {
        const Quality byBytes = quality(byteEnd);
        if (byBytes == Quality::Clean) {
            next = byteEnd;
            return v;
        }
        // Some loggers count characters: a length in bytes then ends inside a value (or
        // inside a character) that the same length in characters ends cleanly.
        const bool wide = utf8_ && std::any_of(v.begin(), v.end(), [](char c) { return c & 0x80; });
        const qsizetype charEnd = wide ? charactersEnd(start, tag.length) : byteEnd;
        const Quality byCharacters = wide ? quality(charEnd) : byBytes;
        if (byCharacters == Quality::Clean ||
            (byBytes == Quality::Runs && byCharacters == Quality::Spaced)) {
            if (!saidCharacters_)
                add(tag.start, Severity::Note, "adif-length-chars", [&] {
                    return u"%1 counts characters, not UTF-8 bytes; so is every such length read"_s
                        .arg(tagText());
                });
            saidCharacters_ = true;
            next = charEnd;
            return bytes_.sliced(start, charEnd - start);
        }
        if (byBytes == Quality::Spaced) {
            next = byteEnd;
            return v;
        }
    }
    const QByteArrayView whole = toNextTag(innerTag);
    add(tag.start, Severity::Warning, "adif-length", [&] {
        return pastEnd
                   ? u"%1: the length runs past the end of the file; the value is read up to the "
                     u"next tag"_s.arg(tagText())
               : holdsTag
                   ? u"%1: the length runs into the next tag; the value is read up to it"_s.arg(
                         tagText())
                   : u"%1: the length cuts \"%2\" short; the value is read up to the next tag"_s
                         .arg(tagText(), show(whole));
    });
    return whole;
}

void AdiReader::field(const Tag& tag, QByteArrayView value) {
    if (inHeader_) {
        if (room(lines_.lineOf(tag.start)))
            log_.header.push_back({QString::fromLatin1(tag.name).toUpper(),
                                   QString::fromLatin1(tag.name), decode(value).trimmed(),
                                   lines_.lineOf(tag.start)});
        return;
    }
    const AdifField id = AdifFieldOf(tag.name);
    // A second CALL in one record: the record before it had no <EOR>.
    if (id == AdifField::Call && current_.has(AdifField::Call))
        finishRecord(tag.start, false);
    if (!current_.any) {
        current_.line = lines_.lineOf(tag.start);
        currentStart_ = tag.start;
    }
    current_.any = true;
    if (id != AdifField::Other)
        current_.set(id, value.trimmed());
}

void AdiReader::finishRecord(qsizetype position, bool withEor) {
    if (!current_.any) {
        if (withEor)
            add(position, Severity::Note, "adif-empty-record",
                u"an <EOR> with no field before it"_s);
        return;
    }
    if (!withEor)
        findings_.add(current_.line, Severity::Warning, "adif-no-eor",
                      u"a record without <EOR>; it ends where the next one begins"_s, record_ + 1);
    if (log_.qsos.size() < size_t(kMaxQsos)) {
        log_.qsos.push_back(QsoFromAdif(current_, record_ + 1, findings_));
    } else if (!tooMany_) {
        tooMany_ = true;
        findings_.add(
            current_.line, Severity::Error, "too-many-qsos",
            [&] { return u"more than %1 records: the rest is not read"_s.arg(kMaxQsos); },
            record_ + 1);
    }
    ++record_;
    current_ = AdifRecord();
    current_.utf8 = utf8_;
}

void AdiReader::header(qsizetype from, qsizetype eoh) {
    inHeader_ = true;
    for (qsizetype i = nextTag(from); i < eoh;) {
        const auto tag = tagAt(i);
        if (!tag) {
            i = nextTag(i + 1);
            continue;
        }
        qsizetype next = tag->end;
        const QByteArrayView v = value(*tag, next);
        field(*tag, v);
        i = nextTag(std::max(next, tag->end));
    }
    inHeader_ = false;
}

AdiReader::AdiReader(QByteArrayView bytes) : LogReader(Format::Adif), lines_(bytes) {
    bytes = PassOverBom(bytes, findings_);
    bytes_ = bytes;
    lines_ = LineCounter(bytes);
    utf8_ = IsUtf8(bytes);
    current_.utf8 = utf8_;
    // Records are some hundred bytes: room for most at once, not for a file of comments.
    log_.qsos.reserve(size_t(std::min<qsizetype>(bytes.size() / 150, 100'000)));

    // A file that begins with '<' has no header; any other has one, up to <EOH>.
    qsizetype at = 0;
    if (!bytes.isEmpty() && bytes[0] != '<') {
        qsizetype eoh = -1;
        for (qsizetype i = nextTag(0); i < bytes.size(); i = nextTag(i + 1))
            if (const auto tag = tagAt(i); tag && sameName(tag->name, "EOH")) {
                eoh = i;
                break;
            }
        if (eoh < 0) {
            findings_.add(1, Severity::Warning, "adif-no-eoh",
                          u"no <EOH> ends the header; the whole file is read as records"_s);
        } else {
            header(0, eoh);
            at = tagAt(eoh)->end;
        }
    }

    qsizetype textFrom = -1; // where text between fields began
    while (at < bytes.size() && !tooMany_) {
        const qsizetype lt = nextTag(at);
        if (textFrom < 0) {
            const auto text = std::find_if_not(bytes.begin() + at, bytes.begin() + lt, isSpace);
            if (text != bytes.begin() + lt)
                textFrom = text - bytes.begin();
        }
        if (lt >= bytes.size())
            break;
        const auto tag = tagAt(lt);
        if (!tag) {
            if (textFrom < 0)
                textFrom = lt;
            at = lt + 1;
            continue;
        }
        if (textFrom >= 0 && current_.any) {
            const qsizetype end = std::min<qsizetype>(lt, textFrom + 40);
            add(textFrom, Severity::Note, "adif-text", [&] {
                return u"text between fields, \"%1\", is passed over"_s.arg(
                    decode(bytes.sliced(textFrom, end - textFrom)).simplified());
            });
        }
        textFrom = -1;
        if (sameName(tag->name, "EOR")) {
            finishRecord(lt, true);
            at = tag->end;
            continue;
        }
        if (sameName(tag->name, "EOH")) {
            // A header that began with '<' after all: what came before it was the header.
            if (current_.any)
                header(currentStart_, lt);
            current_ = AdifRecord();
            current_.utf8 = utf8_;
            at = tag->end;
            continue;
        }
        qsizetype next = tag->end;
        const QByteArrayView v = value(*tag, next);
        field(*tag, v);
        at = std::max(next, tag->end);
    }
    if (!tooMany_)
        finishRecord(bytes.size(), false);
}

// ADX: the same fields as XML elements with upper-case names.
class AdxReader : public LogReader {
public:
    explicit AdxReader(QByteArrayView bytes);

private:
    void header(QXmlStreamReader& xml);
    void records(QXmlStreamReader& xml);

    qsizetype record_ = 0; // <RECORD> elements so far
};

AdxReader::AdxReader(QByteArrayView bytes) : LogReader(Format::Adx) {
    bytes = PassOverBom(bytes, findings_);
    QXmlStreamReader xml(bytes.toByteArray());
    if (xml.readNextStartElement()) {
        if (xml.name().compare(u"ADX", Qt::CaseInsensitive) != 0) {
            findings_.add(xml.lineNumber(), Severity::Error, "adx-root", [&] {
                return u"the XML's root element is <%1>, not <ADX>: this is no ADX log"_s.arg(
                    xml.name());
            });
            return;
        }
        while (xml.readNextStartElement()) {
            if (xml.name().compare(u"HEADER", Qt::CaseInsensitive) == 0)
                header(xml);
            else if (xml.name().compare(u"RECORDS", Qt::CaseInsensitive) == 0)
                records(xml);
            else
                xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        findings_.add(xml.lineNumber(), Severity::Error, "adx-xml", [&] {
            return xml.error() == QXmlStreamReader::PrematureEndOfDocumentError
                       ? u"the XML ends before its root element is closed"_s
                       : u"the XML cannot be read on from here: %1"_s.arg(xml.errorString());
        });
}

void AdxReader::header(QXmlStreamReader& xml) {
    while (xml.readNextStartElement()) {
        const qsizetype line = xml.lineNumber();
        const QString name = xml.name().toString();
        if (room(line))
            log_.header.push_back(
                {name.toUpper(), name,
                 xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed(), line});
    }
}

void AdxReader::records(QXmlStreamReader& xml) {
    while (xml.readNextStartElement()) {
        if (xml.name().compare(u"RECORD", Qt::CaseInsensitive) != 0) {
            xml.skipCurrentElement();
            continue;
        }
        AdifRecord record;
        std::array<QByteArray, size_t(AdifField::Count)> texts; // what the record's views see
        record.line = xml.lineNumber();
        ++record_;
        while (xml.readNextStartElement()) {
            const AdifField id = AdifFieldOf(xml.name());
            const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
            record.any = true;
            if (id != AdifField::Other) {
                texts[size_t(id)] = text.trimmed().toUtf8();
                record.set(id, texts[size_t(id)]);
            }
        }
        if (xml.hasError())
            return; // a record the XML breaks off in is no record
        if (log_.qsos.size() >= size_t(kMaxQsos)) {
            findings_.add(record.line, Severity::Error, "too-many-qsos", [&] {
                return u"more than %1 records: the rest is not read"_s.arg(kMaxQsos);
            });
            return;
        }
        if (!record.any) {
            findings_.add(record.line, Severity::Note, "adif-empty-record",
                          u"a <RECORD> with no field"_s, record_);
            continue;
        }
        log_.qsos.push_back(QsoFromAdif(record, record_, findings_));
    }
}

} // namespace

ContestLog ReadAdif(QByteArrayView bytes) {
    return AdiReader(bytes).take();
}

ContestLog ReadAdx(QByteArrayView bytes) {
    return AdxReader(bytes).take();
}

} // namespace contestlog
