// The station database's text rules: lines, record columns, the working text of an import,
// and the two lookups. Everything works on the file's bytes, one byte per character
// (Latin-1), so that a rewrite gives back every byte it read.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define NORVANE_SCAN_SSE2
#endif

namespace stationdb {

inline constexpr QByteArrayView kCrLfBytes{"\r\n", 2};

// Calls visit(QByteArrayView line) for every line in file order. Lines end at CR LF only; a
// last line without CR LF is still a line; a final CR LF does not start a new one.
template <class Visit> void forEachLine(QByteArrayView bytes, Visit&& visit) {
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    while (at < end) {
        // A line feed is found fast; the rare one without a CR before it stays in the line.
        const char* lf = at;
        const char* lineEnd = end;
        while ((lf = static_cast<const char*>(std::memchr(lf, '\n', size_t(end - lf))))) {
            if (lf > at && lf[-1] == '\r') {
                lineEnd = lf - 1;
                break;
            }
            ++lf;
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

// The longest lists that one key can give, in characters with their CR LFs: the locators of
// the calls that begin with one character (a call key), and the calls at one three-character
// locator prefix, the shortest that is looked up (a locator key).
struct LongestLists {
    qsizetype callKey = 0;
    qsizetype locatorKey = 0;
};
LongestLists longestLists(QByteArrayView database);

// Room for long lists, used again from one key to the next: written into fresh memory, a
// list of a million lines costs more in page faults, and in giving the pages back, than in
// writing it. A kept list is written over only when nobody else holds it any more.
class ListRoom {
public:
    // `size` characters, a kept list's room when one is free and large enough.
    QString take(qsizetype size);
    // Gives back the older list it no longer keeps, for the caller to free where it likes.
    QString keep(const QString& list);

private:
    // The box still shows one list while the next is written.
    std::array<QString, 2> kept_;
};

// A list of lines, each followed by CR LF, built straight into a QString, Latin-1 byte by
// byte: a broad lookup appends a million short lines, and appending them to a QByteArray and
// converting that afterwards costs more than the scan that finds them.
class LineList {
public:
    // No list of a file's lines or their columns is longer than the file and one more CR LF:
    // every line listed stands for a file line at least as long as it, and every CR LF but
    // the last for one of the file. Memory reserved but never written costs nothing.
    explicit LineList(QByteArrayView database, ListRoom* room = nullptr)
        : text_(room ? room->take(database.size() + 2)
                     : QString(database.size() + 2, Qt::Uninitialized)),
          room_(room), out_(reinterpret_cast<char16_t*>(text_.data())), end_(out_ + text_.size()) {}

    void append(QByteArrayView line) {
        for (const char ch : line)
            *out_++ = uchar(ch);
        out_[0] = u'\r';
        out_[1] = u'\n';
        out_ += 2;
    }
    // The same, for a short line of a text readable up to `readable`: a broad key appends a
    // million of them, eight characters at once.
    void append(QByteArrayView line, const char* readable) {
#ifdef NORVANE_SCAN_SSE2
        if (line.data() && line.size() <= 14 && readable - line.data() >= 16 && end_ - out_ >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data()));
            auto* out = reinterpret_cast<__m128i*>(out_);
            _mm_storeu_si128(out, _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
            _mm_storeu_si128(out + 1, _mm_unpackhi_epi8(bytes, _mm_setzero_si128()));
            out_ += line.size();
            out_[0] = u'\r';
            out_[1] = u'\n';
            out_ += 2;
            return;
        }
#endif
        Q_UNUSED(readable);
        append(line);
    }
    QString take() {
        const qsizetype used = out_ - reinterpret_cast<const char16_t*>(text_.constData());
        text_.truncate(used);
        if (room_)
            room_->keep(text_); // a short list is copied out below, and the room stays
        // A short list gives back what it did not use; copying a long one would cost more
        // than the scan, and the pages it never wrote were never taken from the system.
        if (used < kShrinkBelow)
            text_.squeeze();
        return std::move(text_);
    }

private:
    static constexpr qsizetype kShrinkBelow = 1 << 16;
    QString text_;
    ListRoom* room_;
    // Written through directly: the text is not shared while the list is made.
    char16_t* out_;
    char16_t* const end_;
};

struct LocatorLookup {
    QString calls;       // callsign columns of every matching line, each followed by CR LF
    bool marker = false; // some line of the file carries the administrator marker
};
// Lines whose beginning equals `prefix`, in file order, duplicates kept. A `marker` already
// known is not looked for again.
LocatorLookup lookUpLocator(QByteArrayView database, QStringView prefix, ListRoom* room = nullptr,
                            std::optional<bool> marker = std::nullopt);

// Locator columns of the lines whose callsign columns begin with `prefix`, each followed by
// CR LF, in file order, duplicates kept.
QString lookUpCall(QByteArrayView database, QStringView prefix, ListRoom* room = nullptr);

// The text an import starts from, as the file's bytes: every line followed by CR LF, then
// every CR LF CR LF replaced by one CR LF in a single left-to-right pass. With `room` bytes
// more reserved for the records an import appends, so that they never move a large text.
QByteArray workingBytes(QByteArrayView database, qsizetype room = 64 * 1024);
// The same, as text.
inline QString workingText(QByteArrayView database) {
    return QString::fromLatin1(workingBytes(database));
}
// What a rewrite stores: the working text and one more CR LF, added in place when the
// working text is not shared.
QByteArray rewriteBytes(QByteArray working);
// The same from text; a character beyond Latin-1 becomes '?'.
QByteArray rewriteBytes(const QString& workingText);

// A record's callsign is the text after its line's first space, its locator the text before.
struct RecordFields {
    QStringView locator;
    QStringView call;
};
std::optional<RecordFields> recordFields(QStringView line);

// Every record whose locator (the text before the line's first space) is one of `wanted`,
// told in file order as found(call, locator), views into `database`: the stations at the
// locators a log names, in one pass over a million lines.
void forEachRecordAt(QByteArrayView database, const QList<QByteArrayView>& wanted,
                     const std::function<void(QByteArrayView call, QByteArrayView locator)>& found);

// The callsigns a working text holds, for the exact presence test of the imports.
class StoredCalls {
public:
    explicit StoredCalls(QByteArray working);
    // Only the callsigns in `wanted` are looked for, and contains() knows no others; the
    // views must outlive this object. An import asks about its own stations alone, which
    // costs far less than a set of a million records' callsigns.
    // `found`, if given, is told every record of a wanted call, in file order: its callsign
    // and its locator (the text before the line's first space), as views into `working`.
    using Found = std::function<void(QByteArrayView call, QByteArrayView locator)>;
    StoredCalls(QByteArrayView working, const QList<QByteArrayView>& wanted,
                const Found& found = {});
    bool contains(QByteArrayView call) const {
        const qsizetype entry = find(call, keyOf(call));
        return entry >= 0 && entries_[size_t(entry)].stored;
    }
    // The call counts as stored from now on; a call not asked about is copied.
    void add(QByteArrayView call);
    // The same for the call at `index` in `wanted`, without looking it up again.
    bool containsWanted(qsizetype index) const { return entries_[wanted_[size_t(index)]].stored; }
    void addWanted(qsizetype index) { entries_[wanted_[size_t(index)]].stored = true; }

    // The same on text; a character beyond Latin-1 is in no record.
    explicit StoredCalls(const QString& workingText) : StoredCalls(workingText.toLatin1()) {}
    bool contains(QStringView call) const {
        const std::optional<QByteArray> bytes = toLatin1Exactly(call);
        return bytes && contains(QByteArrayView(*bytes));
    }
    void add(const QString& call) { add(QByteArrayView(call.toLatin1())); }

private:
    // A call's first eight bytes (zero after its end) and its hash.
    struct Key {
        quint64 head;
        quint64 hash;
    };
    struct Entry {
        QByteArrayView call;
        Key key;
        bool stored;
    };
    // Open addressing; a call of up to eight bytes is told by its slot alone, without a
    // visit to its entry, which is most of the cost when the table is larger than the cache.
    struct Slot {
        quint64 head = 0;
        quint32 check = 0; // the call's length (255 for longer ones) and 24 bits of its hash
        quint32 entry = 0; // index + 1, 0 when free
    };
    template <class Visit> static void forEachCall(QByteArrayView working, Visit&& found);
    // `readable`: how far the text that holds the call may be read, if known.
    static Key keyOf(QByteArrayView call, const char* readable = nullptr);
    static quint32 checkOf(QByteArrayView call, const Key& key) {
        return quint32(key.hash >> 32 & 0xFFFFFF00) |
               quint32(std::min<qsizetype>(call.size(), 255));
    }
    // Asks for the slot where a look-up of `key` begins, to be read from memory meanwhile.
    void prefetch(const Key& key) const;
    // The entry's index, or -1.
    qsizetype find(QByteArrayView call, const Key& key) const;
    // A call not held yet, whose view must outlive this object.
    Entry& insert(QByteArrayView call, const Key& key);
    void placeInSlot(size_t entry);

    QByteArray working_;          // keeps the views into it valid
    std::vector<QByteArray> own_; // copies of added calls that were not asked about
    std::vector<Entry> entries_;
    std::vector<quint32> wanted_; // the entry of each wanted call
    std::vector<Slot> slots_;     // at most half of them used
};

} // namespace stationdb
