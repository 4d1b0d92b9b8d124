// The station database's text rules: lines, record columns, the working text of an import,
// and the two lookups. Everything works on the file's bytes, one byte per character
// (Latin-1), so that a rewrite gives back every byte it read.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>
#include <cstring>
#include <optional>

namespace stationdb {

inline constexpr QByteArrayView kCrLfBytes{"\r\n", 2};

// Calls visit(QByteArrayView line) for every line in file order. Lines end at CR LF only; a
// last line without CR LF is still a line; a final CR LF does not start a new one.
template <class Visit> void forEachLine(QByteArrayView bytes, Visit&& visit) {
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    while (at < end) {
        const char* cr = at;
        const char* lineEnd = end;
        while ((cr = static_cast<const char*>(std::memchr(cr, '\r', end - cr)))) {
            if (cr + 1 < end && cr[1] == '\n') {
                lineEnd = cr;
                break;
            }
            ++cr;
        }
        visit(QByteArrayView(at, lineEnd - at));
        at = lineEnd == end ? end : lineEnd + 2;
    }
}

// Number of lines, empty lines included ("0" for an empty file).
qsizetype countLines(QByteArrayView bytes);

// Text as Latin-1 bytes, or nothing when it holds a character that no file byte can be.
std::optional<QByteArray> toLatin1Exactly(QStringView text);

// Columns 1 to 6 (the locator) and 8 to the end (the callsign); shorter lines give what they
// have.
inline QByteArrayView locatorColumns(QByteArrayView line) {
    return line.first(std::min<qsizetype>(6, line.size()));
}
inline QByteArrayView callColumns(QByteArrayView line) {
    return line.size() > 7 ? line.sliced(7) : QByteArrayView();
}
// Columns 8 to 12 read "KWELP": the line reveals the administrator's text import.
bool hasAdminMarker(QByteArrayView line);

// A list of lines, each followed by CR LF, built straight into a QString, Latin-1 byte by
// byte: a broad lookup appends a million short lines, and appending them to a QByteArray and
// converting that afterwards costs more than the scan that finds them.
class LineList {
public:
    // No list of a file's lines or their columns is longer than the file and one more CR LF:
    // every line listed stands for a file line at least as long as it, and every CR LF but
    // the last for one of the file. Memory reserved but never written costs nothing.
    explicit LineList(QByteArrayView database) : text_(database.size() + 2, Qt::Uninitialized) {}

    void append(QByteArrayView line) {
        char16_t* out = reinterpret_cast<char16_t*>(text_.data()) + used_;
        for (const char ch : line)
            *out++ = uchar(ch);
        *out++ = u'\r';
        *out = u'\n';
        used_ += line.size() + 2;
    }
    QString take() {
        text_.truncate(used_);
        text_.squeeze();
        return std::move(text_);
    }

private:
    QString text_;
    qsizetype used_ = 0;
};

struct LocatorLookup {
    QString calls;       // callsign columns of every matching line, each followed by CR LF
    bool marker = false; // some line of the file carries the administrator marker
};
// Lines whose beginning equals `prefix`, in file order, duplicates kept.
LocatorLookup lookUpLocator(QByteArrayView database, QStringView prefix);

// Locator columns of the lines whose callsign columns begin with `prefix`, each followed by
// CR LF, in file order, duplicates kept.
QString lookUpCall(QByteArrayView database, QStringView prefix);

// The text an import starts from: every line followed by CR LF, then every CR LF CR LF
// replaced by one CR LF in a single left-to-right pass.
QString workingText(QByteArrayView database);
// What a rewrite stores: the working text and one more CR LF.
QByteArray rewriteBytes(const QString& workingText);

// A record's callsign is the text after its line's first space, its locator the text before.
struct RecordFields {
    QStringView locator;
    QStringView call;
};
std::optional<RecordFields> recordFields(QStringView line);

// The callsigns a working text holds, for the exact presence test of the imports.
class StoredCalls {
public:
    explicit StoredCalls(const QString& workingText);
    // Only the callsigns in `wanted` are looked for, and contains() knows no others; the
    // views must outlive this object. An import asks about its own stations alone, which
    // costs far less than a set of a million records' callsigns.
    StoredCalls(const QString& workingText, const QList<QStringView>& wanted);
    bool contains(QStringView call) const;
    void add(const QString& call);

private:
    template <class Found> static void forEachCall(QStringView text, Found&& found);

    QString text_;            // keeps the views below valid when they are views into it
    QSet<QStringView> calls_; // views into text_, or the wanted ones
    QSet<QString> added_;
};

} // namespace stationdb
