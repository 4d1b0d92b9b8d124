#include "stationlists.h"

#include "bearing/locator.h"
#include "stationdb/records.h"

#include <QStringList>
#include <QVarLengthArray>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace stationlists {

namespace {

using Fields = QVarLengthArray<QByteArrayView, 16>;

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool equalsNoCase(QByteArrayView text, QByteArrayView lowerCase) {
    return text.size() == lowerCase.size() &&
           std::equal(text.begin(), text.end(), lowerCase.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
           });
}

bool startsWithNoCase(QByteArrayView text, QByteArrayView lowerCase) {
    return text.size() >= lowerCase.size() && equalsNoCase(text.first(lowerCase.size()), lowerCase);
}

// Every line, whatever ends it: lists come from Windows, Linux and old Macs alike.
template <class Visit> void forEachListLine(QByteArrayView bytes, Visit&& visit) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        if (!visit(bytes.sliced(start, i - start)))
            return;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        visit(bytes.sliced(start));
}

// The fields between separators, trimmed; a field in double quotes may hold the separator,
// and loses its quotes.
Fields splitFields(QByteArrayView line, char separator) {
    Fields fields;
    bool quoted = false;
    qsizetype start = 0;
    const auto add = [&](qsizetype end) {
        QByteArrayView field = trimmed(line.sliced(start, end - start));
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
            field = trimmed(field.sliced(1, field.size() - 2));
        fields.append(field);
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == separator && !quoted) {
            add(i);
            start = i + 1;
        }
    }
    add(line.size());
    return fields;
}

Fields splitWords(QByteArrayView line) {
    Fields words;
    for (qsizetype i = 0; i < line.size();) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            words.append(line.sliced(start, i - start));
    }
    return words;
}

// Spreadsheets saved where the decimal mark is a comma separate with semicolons, and N1MM
// reads both.
char separatorOf(QByteArrayView line) {
    return line.contains(';') && !line.contains(',') ? ';' : ',';
}

// Where the call and the locator stand, from a header's column names.
struct Columns {
    qsizetype call = 0;
    qsizetype locator = 1;
    char separator = ',';
};

std::optional<Columns> headerColumns(const Fields& names, char separator,
                                     std::initializer_list<QByteArrayView> locatorNames) {
    Columns columns{-1, -1, separator};
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (columns.call < 0 &&
            (equalsNoCase(names[i], "call") || equalsNoCase(names[i], "callsign")))
            columns.call = i;
        for (const QByteArrayView name : locatorNames)
            if (columns.locator < 0 && equalsNoCase(names[i], name))
                columns.locator = i;
    }
    if (columns.call < 0 || columns.locator < 0)
        return std::nullopt;
    return columns;
}

const std::initializer_list<QByteArrayView> kSpreadsheetLocator = {"locator", "loc", "grid", "wwl"};

bool isEightDigitDate(QByteArrayView word) {
    return word.size() == 8 &&
           std::all_of(word.begin(), word.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

bool startsWithLetterOrDigit(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    const char ch = text.front();
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

void appendUpperCase(QByteArray& out, QByteArrayView text) {
    for (const char ch : text)
        out.append(ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch);
}

// A call every list can hold: a letter or digit, then printable ASCII without separators and
// quotes. WSJT-X stops reading at a line that begins with "ZZZZ".
bool isWritableCall(QByteArrayView call, ListFormat format) {
    return startsWithLetterOrDigit(call) &&
           !(format == ListFormat::Call3 && call.startsWith("ZZZZ")) &&
           std::all_of(call.begin(), call.end(), [](char ch) {
               return ch > ' ' && ch < 0x7F && ch != ',' && ch != ';' && ch != '"';
           });
}

// Reads one list line by line, keeping what its earlier lines said (a header's columns).
class ListReader {
public:
    // The stations found go onto the end of `stations`.
    ListReader(ListFormat format, edilog::StationBytes& stations)
        : format_(format), stations_(stations) {
        if (format == ListFormat::N1mm)
            columns_ = {0, 2, ','}; // Call,Name,Loc1,... unless a header says otherwise
    }

    // False after the list's end mark.
    bool read(QByteArrayView rawLine) {
        const QByteArrayView line = trimmed(rawLine);
        if (line.isEmpty())
            return true;
        switch (format_) {
        case ListFormat::Call3:
            // Most lines are stations: their first byte tells.
            if (line.front() == 'Z' && line.startsWith("ZZZZ"))
                return false; // WSJT-X's end mark, followed by nothing that counts
            if (line.front() != '/' || !line.startsWith("//"))
                add(splitFields(line, ','));
            break;
        case ListFormat::N1mm:
            if (startsWithNoCase(line, "!!order!!")) {
                const char separator = line.size() > 9 && line[9] == ';' ? ';' : ',';
                Fields names = splitFields(line, separator);
                names.remove(0);
                if (const auto columns = headerColumns(names, separator, {"loc1"}))
                    columns_ = *columns;
                else
                    columns_ = {0, -1, separator}; // no locators in this list
            } else if (!line.startsWith('#') && !line.startsWith("!!")) {
                add(splitFields(line, columns_.separator));
            }
            break;
        case ListFormat::Cw:
            if (!line.startsWith('#'))
                add(splitWords(line));
            break;
        case ListFormat::Csl: {
            const Fields fields = splitFields(line, ',');
            // Minos passes over lines that do not begin with a call: comments, the title.
            if (startsWithLetterOrDigit(fields.front()))
                add(fields);
            break;
        }
        case ListFormat::Csv: {
            const bool first = !seenLine_;
            seenLine_ = true;
            const char separator = first ? separatorOf(line) : columns_.separator;
            const Fields fields = splitFields(line, separator);
            if (first) {
                columns_.separator = separator;
                if (const auto header = headerColumns(fields, separator, kSpreadsheetLocator)) {
                    columns_ = *header;
                    break;
                }
            }
            add(fields);
            break;
        }
        }
        return true;
    }

    qsizetype skipped() const { return skipped_; }

private:
    // A station line: its station, or one more skipped.
    void add(const Fields& fields) {
        const auto at = [&](qsizetype i) {
            return i >= 0 && i < fields.size() ? fields[i] : QByteArrayView();
        };
        const QByteArrayView call = at(columns_.call);
        const QByteArrayView locator = at(columns_.locator);
        if (call.isEmpty() || !bearing::IsMaidenheadLocator(locator)) {
            ++skipped_;
            return;
        }
        stations_.add(call, locator);
    }

    ListFormat format_;
    Columns columns_;
    bool seenLine_ = false;
    edilog::StationBytes& stations_;
    qsizetype skipped_ = 0;
};

} // namespace

const ListFormatInfo& ListFormatOf(ListFormat format) {
    return *std::find_if(kListFormats.begin(), kListFormats.end(),
                         [&](const ListFormatInfo& info) { return info.format == format; });
}

std::optional<ListFormat> ListFormatNamed(QStringView name) {
    for (const ListFormatInfo& info : kListFormats)
        if (info.name == name)
            return info.format;
    return std::nullopt;
}

QString ListFormatNames() {
    QStringList names;
    for (const ListFormatInfo& info : kListFormats)
        names.append(info.name.toString());
    return names.join(QStringLiteral(", "));
}

std::optional<ListFormat> RecogniseListFormat(QByteArrayView bytes, QStringView fileName) {
    bool hashComments = false;
    bool firstLine = true;
    std::optional<ListFormat> found;
    forEachListLine(bytes, [&](QByteArrayView rawLine) {
        const QByteArrayView line = trimmed(rawLine);
        if (line.isEmpty())
            return true;
        if (startsWithNoCase(line, "!!order!!"))
            found = ListFormat::N1mm;
        else if (line.startsWith("//"))
            found = ListFormat::Call3;
        else if (line.startsWith('#'))
            hashComments = true;
        else if (std::exchange(firstLine, false) &&
                 headerColumns(splitFields(line, separatorOf(line)), ',', kSpreadsheetLocator))
            found = ListFormat::Csv;
        else if (const Fields words = splitWords(line);
                 !line.contains(',') && words.size() >= 3 && isEightDigitDate(words[2]))
            found = ListFormat::Cw;
        else if (const Fields fields = splitFields(line, ',');
                 fields.size() >= 2 && bearing::IsMaidenheadLocator(fields[1]))
            found = hashComments || fileName.endsWith(u".csl", Qt::CaseInsensitive)
                        ? ListFormat::Csl
                        : ListFormat::Call3;
        else if (fields.size() >= 3 && fields[1].isEmpty() &&
                 bearing::IsMaidenheadLocator(fields[2]))
            found = ListFormat::N1mm;
        return !found;
    });
    return found;
}

qsizetype ReadStations(QByteArrayView bytes, ListFormat format, edilog::StationBytes& stations) {
    // No station takes more bytes than its line.
    stations.reserve(std::count(bytes.begin(), bytes.end(), '\n') + 1, bytes.size());
    ListReader reader(format, stations);
    forEachListLine(bytes, [&](QByteArrayView line) { return reader.read(line); });
    return reader.skipped();
}

StationList ReadStationList(QByteArrayView bytes, ListFormat format) {
    edilog::StationBytes stations;
    StationList list;
    list.skipped = ReadStations(bytes, format, stations);
    list.stations.reserve(size_t(stations.size()));
    for (qsizetype i = 0; i < stations.size(); ++i)
        list.stations.push_back(
            {QString::fromLatin1(stations.call(i)), QString::fromLatin1(stations.locator(i))});
    return list;
}

ExportedList WriteStationList(QByteArrayView database, ListFormat format, QDate today) {
    struct Record {
        quint64 head; // the call's first eight bytes, big-endian: most comparisons end here
        QByteArrayView call;
        QByteArrayView locator;
    };
    std::vector<Record> records;
    records.reserve(size_t(database.size() / 8)); // no record is shorter; unused pages cost nothing
    ExportedList list;
    stationdb::forEachLine(database, [&](QByteArrayView line) {
        if (line.isEmpty())
            return;
        const qsizetype space = line.indexOf(' ');
        const QByteArrayView call = space < 0 ? QByteArrayView() : line.sliced(space + 1);
        const QByteArrayView locator = line.first(space < 0 ? line.size() : space);
        if (!isWritableCall(call, format) || !bearing::IsMaidenheadLocator(locator)) {
            ++list.leftOut;
            return;
        }
        quint64 head = 0;
        for (qsizetype i = 0; i < 8; ++i)
            head = head << 8 | (i < call.size() ? uchar(call[i]) : 0);
        records.push_back({head, call, locator});
    });
    // A call's records in file order, whose last is the newest: the views point into the file.
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        if (a.head != b.head)
            return a.head < b.head;
        return a.call != b.call ? a.call < b.call : a.call.data() < b.call.data();
    });

    const ListFormatInfo& info = ListFormatOf(format);
    const QByteArrayView lineEnd = info.crLf ? QByteArrayView("\r\n") : QByteArrayView("\n");
    const QByteArray date = today.toString(u"yyyyMMdd").toLatin1();
    QByteArray& out = list.bytes;
    out.reserve(qsizetype(records.size()) * 24 + 32);
    if (format == ListFormat::N1mm)
        out.append("!!Order!!,Call,Loc1,").append(lineEnd);
    else if (format == ListFormat::Csv)
        out.append("Call,Locator").append(lineEnd);
    for (size_t i = 0; i < records.size(); ++i) {
        if (i + 1 < records.size() && records[i + 1].head == records[i].head &&
            records[i + 1].call == records[i].call)
            continue;
        const QByteArrayView call = records[i].call;
        out.append(call);
        if (format == ListFormat::Cw) // the call left-aligned in 15 columns
            out.append(std::max<qsizetype>(1, 15 - call.size()), ' ');
        else
            out.append(',');
        appendUpperCase(out, records[i].locator);
        switch (format) {
        case ListFormat::Call3: // as WSJT-X's own "Add" writes it
            out.append(",,,");
            break;
        case ListFormat::N1mm:
            out.append(',');
            break;
        case ListFormat::Cw: // the day it was known, and no band letters
            out.append(' ').append(date);
            break;
        case ListFormat::Csl: // exchange and comments: Minos reads all four fields
            out.append(",,");
            break;
        case ListFormat::Csv:
            break;
        }
        out.append(lineEnd);
        ++list.stations;
    }
    return list;
}

} // namespace stationlists
