#include "records.h"

#include "ui/text.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <unordered_set>
#include <utility>
#include <vector>

namespace stationdb {

namespace {

constexpr QByteArrayView kMarker{"KWELP", 5};
constexpr qsizetype kCallColumn = 7; // column 8, counted from 0

// A line begins at the start of the text and after every CR LF.
bool lineStartsAt(QByteArrayView text, const char* at) {
    return at == text.data() || (at - text.data() >= 2 && at[-2] == '\r' && at[-1] == '\n');
}

#ifdef NORVANE_SCAN_SSE2
// Bit k set: a CR LF begins at at[k], for k from 0 to 15. Reads 17 bytes.
unsigned lineBreaks(const char* at) {
    const auto is = [](const char* p, char ch) {
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_set1_epi8(ch))));
    };
    return is(at, '\r') & is(at + 1, '\n');
}
#endif

// No line break begins in [from, to): no CR there followed by LF, not even LF at `to`.
bool withinOneLine(QByteArrayView text, const char* from, const char* to) {
    const char* const end = text.data() + text.size();
#ifdef NORVANE_SCAN_SSE2
    // A few bytes of every line of a broad key: sixteen at once where the text goes on.
    if (to - from <= 16 && end - from >= 17)
        return (lineBreaks(from) & ((1u << (to - from)) - 1)) == 0;
#endif
    for (const char* p = from; p < to; ++p)
        if (p[0] == '\r' && p + 1 < end && p[1] == '\n')
            return false;
    return true;
}

// Where the line that holds `at` ends: at its CR LF, or at the end of the text.
const char* lineEnd(QByteArrayView text, const char* at) {
    const char* const end = text.data() + text.size();
#ifdef NORVANE_SCAN_SSE2
    // A record's line is short: its end is mostly within the next sixteen bytes.
    if (end - at >= 17) {
        if (const unsigned ends = lineBreaks(at))
            return at + std::countr_zero(ends);
    }
#endif
    while ((at = static_cast<const char*>(std::memchr(at, '\r', size_t(end - at))))) {
        if (at + 1 < end && at[1] == '\n')
            return at;
        ++at;
    }
    return end;
}

// Whether `at` holds the needle. A needle is a few characters typed into a field, every line
// of a broad key is compared: inline, rather than a call of memcmp.
bool sameBytes(const char* at, QByteArrayView needle) {
    for (const char ch : needle)
        if (*at++ != ch)
            return false;
    return true;
}

// A text that a line holds from a fixed column on (counted from 0). The needle is not empty.
struct ColumnText {
    QByteArrayView needle;
    qsizetype column = 0;
};

#ifdef NORVANE_SCAN_SSE2
// Bit i set when any of the bits i to i + width - 1 of `bits` is.
unsigned spread(unsigned bits, qsizetype width) {
    qsizetype covered = 1;
    for (; covered * 2 <= width; covered *= 2)
        bits |= bits >> covered;
    return covered < width ? bits | bits >> (width - covered) : bits;
}
#endif

// Calls visit(k, lineStart, lineEnd) for every line, in file order, whose text from
// patterns[k].column begins with patterns[k].needle. lineEnd is where its CR LF begins when
// the scan saw it, else null.
//
// A keystroke over a large database must not walk line by line: the scan takes sixteen line
// starts (bytes after an LF) at a time and compares each pattern's first and last bytes at its
// column there. Where some line matches, the whole test is made for all sixteen at once (a
// line start after a CR LF, every byte of a short needle, no line break before its end): a
// broad key finds a match in almost every block, and a test per line costs a branch that no
// processor can foresee. One pass serves all patterns.
template <size_t N, class Visit>
void forEachMatch(QByteArrayView text, const std::array<ColumnText, N>& patterns, Visit&& visit) {
    const char* const begin = text.data();
    const qsizetype size = text.size();
    const auto check = [&](size_t k, qsizetype lineStart) {
        const ColumnText& p = patterns[k];
        const qsizetype at = lineStart + p.column;
        if (at + p.needle.size() <= size && lineStartsAt(text, begin + lineStart) &&
            sameBytes(begin + at, p.needle) &&
            withinOneLine(text, begin + lineStart, begin + at + p.needle.size()))
            visit(k, begin + lineStart, static_cast<const char*>(nullptr));
    };
    if (size == 0)
        return;
    for (size_t k = 0; k < N; ++k)
        check(k, 0); // the first line has no LF before it
    qsizetype lineStart = 1;
#ifdef NORVANE_SCAN_SSE2
    // A needle of up to eight bytes that ends within sixteen of its line's start is tested
    // whole in the block; a longer one line by line.
    constexpr qsizetype kWholeNeedle = 8;
    constexpr qsizetype kWholeReach = 16;
    // Everything the loop needs, in locals, so that nothing is reloaded per block.
    std::array<qsizetype, N> first, last;
    std::array<bool, N> whole;
    __m128i head[N], tail[N];
    qsizetype reach = 18; // bytes past a line start that the loads touch, line breaks' too
    for (size_t k = 0; k < N; ++k) {
        const ColumnText& p = patterns[k];
        first[k] = p.column;
        last[k] = p.column + p.needle.size() - 1;
        whole[k] = p.needle.size() <= kWholeNeedle && last[k] < kWholeReach;
        head[k] = _mm_set1_epi8(p.needle.front());
        tail[k] = _mm_set1_epi8(p.needle.back());
        reach = std::max(reach, last[k] + 1);
    }
    const auto load = [](const char* at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    };
    const auto equal = [&](const char* at, char ch) {
        return _mm_cmpeq_epi8(load(at), _mm_set1_epi8(ch));
    };
    const auto bitsOf = [](__m128i bytes) { return unsigned(_mm_movemask_epi8(bytes)); };
    // Line 1 has no line start after an LF; from 2 on, the CR before it can be read.
    for (lineStart = 2; lineStart + 15 + reach <= size; lineStart += 16) {
        const char* const block = begin + lineStart;
        const __m128i afterLf = equal(block - 1, '\n');
        const auto candidates = [&](size_t k) {
            const __m128i ends = _mm_and_si128(_mm_cmpeq_epi8(load(block + first[k]), head[k]),
                                               _mm_cmpeq_epi8(load(block + last[k]), tail[k]));
            return bitsOf(_mm_and_si128(afterLf, ends));
        };
        std::array<unsigned, N> masks;
        unsigned any = 0;
        // Unrolled over the patterns, so that everything stays in registers.
        [&]<size_t... K>(std::index_sequence<K...>) {
            ((any |= masks[K] = candidates(K)), ...);
        }
        (std::make_index_sequence<N>());
        if (any == 0) [[likely]]
            continue;
        const unsigned lineStarts = bitsOf(_mm_and_si128(afterLf, equal(block - 2, '\r')));
        // Bit i: a CR LF begins at block[i], for i from 0 to 31.
        const unsigned breaks = lineBreaks(block) | lineBreaks(block + 16) << 16;
        for (size_t k = 0; k < N; ++k) {
            unsigned mask = masks[k];
            if (mask != 0 && whole[k]) {
                const QByteArrayView needle = patterns[k].needle;
                mask &= lineStarts & ~spread(breaks, last[k] + 1);
                for (qsizetype j = 1; mask != 0 && j + 1 < needle.size(); ++j)
                    mask &= bitsOf(equal(block + first[k] + j, needle[j]));
                for (; mask != 0; mask &= mask - 1) {
                    const int start = std::countr_zero(mask);
                    const unsigned after = breaks >> start;
                    visit(k, block + start,
                          after ? block + start + std::countr_zero(after) : nullptr);
                }
            }
            for (; mask != 0; mask &= mask - 1)
                check(k, lineStart + std::countr_zero(mask));
        }
    }
#endif
    for (; lineStart < size; ++lineStart)
        if (begin[lineStart - 1] == '\n')
            for (size_t k = 0; k < N; ++k)
                check(k, lineStart);
}

// Where "\r\n\r\n" first occurs in [from, end), or end. A file has few of them, mostly its
// last line, so the search skips through sixteen bytes at a time.
const char* findBlankLine(const char* from, const char* end) {
    constexpr QByteArrayView kBlankLine{"\r\n\r\n", 4};
#ifdef NORVANE_SCAN_SSE2
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const auto at = [](const char* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    for (; end - from >= 16 + 3; from += 16) {
        const __m128i found = _mm_and_si128(
            _mm_and_si128(_mm_cmpeq_epi8(at(from), cr), _mm_cmpeq_epi8(at(from + 1), lf)),
            _mm_and_si128(_mm_cmpeq_epi8(at(from + 2), cr), _mm_cmpeq_epi8(at(from + 3), lf)));
        if (const unsigned mask = unsigned(_mm_movemask_epi8(found)))
            return from + std::countr_zero(mask);
    }
#endif
    return std::search(from, end, kBlankLine.begin(), kBlankLine.end());
}

} // namespace

qsizetype countLines(QByteArrayView bytes) {
    qsizetype lines = 0;
    forEachLine(bytes, [&](QByteArrayView) { ++lines; });
    return lines;
}

std::optional<QByteArray> toLatin1Exactly(QStringView text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar ch : text) {
        if (ch.unicode() > 0xFF)
            return std::nullopt;
        *out++ = char(ch.unicode());
    }
    return bytes;
}

bool hasAdminMarker(QByteArrayView line) {
    return line.size() >= 12 && line.sliced(7, 5) == kMarker;
}

LongestLists longestLists(QByteArrayView database) {
    std::array<qsizetype, 256> byCallStart{};
    // Field letters and square digits: other prefixes are typing slips that list nothing.
    std::array<qsizetype, 26 * 26 * 10> bySquares{};
    const auto letter = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' : -1; };
    forEachLine(database, [&](QByteArrayView line) {
        if (line.size() > kCallColumn)
            byCallStart[uchar(line[kCallColumn])] += 6 + 2;
        if (line.size() < 3)
            return;
        const int field0 = letter(line[0]), field1 = letter(line[1]);
        if (field0 >= 0 && field1 >= 0 && line[2] >= '0' && line[2] <= '9')
            bySquares[size_t((field0 * 26 + field1) * 10 + (line[2] - '0'))] +=
                callColumns(line).size() + 2;
    });
    return {*std::max_element(byCallStart.begin(), byCallStart.end()),
            *std::max_element(bySquares.begin(), bySquares.end())};
}

QString ListRoom::take(qsizetype size) {
    for (QString& list : kept_) {
        if (list.isDetached() && list.capacity() >= size) {
            QString room = std::move(list);
            room.resize(size); // within its capacity: neither moved nor filled
            return room;
        }
    }
    return QString(size, Qt::Uninitialized);
}

QString ListRoom::keep(const QString& list) {
    // Into a slot left empty by take(), else in place of the older list.
    QString dropped;
    if (!kept_[0].isNull() && !kept_[1].isNull()) {
        dropped = std::move(kept_[0]);
        kept_[0] = std::move(kept_[1]);
    }
    (kept_[0].isNull() ? kept_[0] : kept_[1]) = list;
    return dropped;
}

LocatorLookup lookUpLocator(QByteArrayView database, QStringView prefix, ListRoom* room,
                            std::optional<bool> marker) {
    // A prefix no file byte can spell matches nothing, but the marker test still runs.
    const std::optional<QByteArray> needle = toLatin1Exactly(prefix);
    const ColumnText markerText{kMarker, kCallColumn};
    LocatorLookup found;
    found.marker = marker.value_or(false);
    LineList calls(database, room);
    const auto visit = [&](size_t k, const char* lineStart, const char* end) {
        if (k == 0 && !marker) // the marker is pattern 0 when it is looked for
            found.marker = true;
        else
            calls.append(
                callColumns(QByteArrayView(lineStart, end ? end : lineEnd(database, lineStart))),
                database.end());
    };
    if (!needle) {
        if (!marker)
            forEachMatch(database, std::array{markerText}, visit);
    } else if (needle->isEmpty()) { // every line matches
        forEachLine(database, [&](QByteArrayView line) {
            found.marker = found.marker || (!marker && hasAdminMarker(line));
            calls.append(callColumns(line));
        });
    } else if (marker) { // the needle alone, as pattern 0
        forEachMatch(database, std::array{ColumnText{*needle, 0}}, visit);
    } else {
        forEachMatch(database, std::array{markerText, ColumnText{*needle, 0}}, visit);
    }
    found.calls = calls.take();
    return found;
}

QString lookUpCall(QByteArrayView database, QStringView prefix, ListRoom* room) {
    const std::optional<QByteArray> needle = toLatin1Exactly(prefix);
    if (!needle)
        return {};
    LineList locators(database, room);
    if (needle->isEmpty()) // every line matches
        forEachLine(database, [&](QByteArrayView line) { locators.append(locatorColumns(line)); });
    else // a match makes its line at least 8 characters long: all 6 locator columns
        forEachMatch(database, std::array{ColumnText{*needle, kCallColumn}},
                     [&](size_t, const char* lineStart, const char*) {
                         locators.append(QByteArrayView(lineStart, 6), database.end());
                     });
    return locators.take();
}

QByteArray workingBytes(QByteArrayView database, qsizetype room) {
    QByteArray working;
    // The last line's missing CR LF, and the one that the rewrite adds.
    working.reserve(database.size() + 4 + room);
    // Every CR LF CR LF becomes one CR LF, left to right without rescanning: a run of three
    // line breaks becomes two.
    const char* from = database.begin();
    for (const char* at; (at = findBlankLine(from, database.end())) != database.end();
         from = at + 4)
        working.append(QByteArrayView(from, at + 2));
    working.append(QByteArrayView(from, database.end()));
    if (!database.isEmpty() && !database.endsWith(kCrLfBytes))
        working.append(kCrLfBytes); // the rare file whose last line lacks its CR LF
    return working;
}

QByteArray rewriteBytes(QByteArray working) {
    return std::move(working.append(kCrLfBytes));
}

QByteArray rewriteBytes(const QString& workingText) {
    // Latin-1 keeps every byte read from the file; a character beyond it becomes '?'.
    QByteArray bytes(workingText.size() + 2, Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar ch : workingText)
        *out++ = ch.unicode() > 0xFF ? '?' : char(ch.unicode());
    out[0] = '\r';
    out[1] = '\n';
    return bytes;
}

std::optional<RecordFields> recordFields(QStringView line) {
    const qsizetype space = line.indexOf(u' ');
    if (space < 0)
        return std::nullopt;
    return RecordFields{line.first(space), line.sliced(space + 1)};
}

template <class Visit> void StoredCalls::forEachCall(QByteArrayView working, Visit&& found) {
    // An import walks a million lines: the walk stops only at spaces and line feeds, found
    // sixteen bytes at a time, and keeps the first space of each line.
    const char* lineStart = working.begin();
    const char* space = nullptr;
    const auto at = [&](const char* p) { // *p is a space or a line feed
        if (*p == ' ') {
            space = space ? space : p;
        } else if (p > lineStart && p[-1] == '\r') { // a lone line feed stays in its line
            if (space)
                found(QByteArrayView(space + 1, p - 1), QByteArrayView(lineStart, space));
            lineStart = p + 1;
            space = nullptr;
        }
    };
    const char* p = working.begin();
#ifdef NORVANE_SCAN_SSE2
    const __m128i spaces = _mm_set1_epi8(' ');
    const __m128i lineFeeds = _mm_set1_epi8('\n');
    for (; working.end() - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        for (unsigned mask = unsigned(_mm_movemask_epi8(
                 _mm_or_si128(_mm_cmpeq_epi8(block, spaces), _mm_cmpeq_epi8(block, lineFeeds))));
             mask != 0; mask &= mask - 1)
            at(p + std::countr_zero(mask));
    }
#endif
    for (; p < working.end(); ++p)
        if (*p == ' ' || *p == '\n')
            at(p);
    if (space) // the last line, without its CR LF
        found(QByteArrayView(space + 1, working.end()), QByteArrayView(lineStart, space));
}

StoredCalls::Key StoredCalls::keyOf(QByteArrayView call, const char* readable) {
    // Eight bytes at a time, each word mixed in: most calls are one word.
    const auto mix = [](quint64 x) {
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
        return x ^ (x >> 31);
    };
    const auto wordAt = [readable](const char* at, qsizetype size) {
        // A million records' calls: one load each where the text goes on.
        if (readable && readable - at >= 8) {
            const quint64 word = qFromLittleEndian<quint64>(at);
            return size >= 8 ? word : word & ((quint64(1) << (8 * size)) - 1);
        }
        quint64 word = 0;
        for (qsizetype i = 0; i < std::min<qsizetype>(size, 8); ++i)
            word |= quint64(uchar(at[i])) << (8 * i);
        return word;
    };
    quint64 hash = quint64(call.size()) * 0x9E3779B97F4A7C15ull;
    for (qsizetype at = 0; at < call.size(); at += 8)
        hash = mix(hash ^ wordAt(call.data() + at, call.size() - at));
    return {wordAt(call.data(), call.size()), hash};
}

qsizetype StoredCalls::find(QByteArrayView call, const Key& key) const {
    if (slots_.empty())
        return -1;
    const quint32 check = checkOf(call, key);
    const size_t mask = slots_.size() - 1;
    for (size_t i = size_t(key.hash) & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry == 0)
            return -1;
        if (slot.head == key.head && slot.check == check &&
            (call.size() <= 8 || entries_[slot.entry - 1].call == call))
            return qsizetype(slot.entry - 1);
    }
}

void StoredCalls::placeInSlot(size_t entry) {
    const Entry& placed = entries_[entry];
    const size_t mask = slots_.size() - 1;
    size_t i = size_t(placed.key.hash) & mask;
    while (slots_[i].entry != 0)
        i = (i + 1) & mask;
    slots_[i] = {placed.key.head, checkOf(placed.call, placed.key), quint32(entry + 1)};
}

StoredCalls::Entry& StoredCalls::insert(QByteArrayView call, const Key& key) {
    entries_.push_back({call, key, false});
    if (entries_.size() * 2 > slots_.size()) { // twice the room, every entry placed anew
        slots_.assign(std::max<size_t>(64, std::bit_ceil(entries_.size() * 4)), Slot{});
        for (size_t entry = 0; entry < entries_.size(); ++entry)
            placeInSlot(entry);
    } else {
        placeInSlot(entries_.size() - 1);
    }
    return entries_.back();
}

void StoredCalls::add(QByteArrayView call) {
    const Key key = keyOf(call);
    if (const qsizetype entry = find(call, key); entry >= 0) {
        entries_[size_t(entry)].stored = true;
        return;
    }
    own_.push_back(call.toByteArray()); // its bytes stay where they are when the list grows
    insert(own_.back(), key).stored = true;
}

StoredCalls::StoredCalls(QByteArray working) : working_(std::move(working)) {
    forEachCall(working_, [this](QByteArrayView call, QByteArrayView) {
        const Key key = keyOf(call);
        if (find(call, key) < 0)
            insert(call, key).stored = true;
    });
}

void StoredCalls::prefetch(const Key& key) const {
#if defined(__GNUC__)
    __builtin_prefetch(&slots_[size_t(key.hash) & (slots_.size() - 1)]);
#else
    Q_UNUSED(key);
#endif
}

StoredCalls::StoredCalls(QByteArrayView working, const QList<QByteArrayView>& wanted,
                         const Found& found) {
    // A table of a hundred thousand calls is larger than the processor's cache, and a slot
    // fetched from memory costs more than all else a call needs: the slots of the calls a few
    // places ahead are asked for early, so that their waits overlap.
    constexpr size_t kAhead = 16;
    std::vector<Key> keys;
    keys.reserve(size_t(wanted.size()));
    for (const QByteArrayView call : wanted)
        keys.push_back(keyOf(call));
    entries_.reserve(keys.size());
    wanted_.reserve(keys.size());
    slots_.assign(std::max<size_t>(64, std::bit_ceil(keys.size() * 2 + 1)), Slot{});
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i + kAhead < keys.size())
            prefetch(keys[i + kAhead]);
        const QByteArrayView call = wanted[qsizetype(i)];
        const qsizetype entry = find(call, keys[i]);
        if (entry < 0)
            insert(call, keys[i]);
        wanted_.push_back(entry < 0 ? quint32(entries_.size() - 1) : quint32(entry));
    }
    // A million records for a thousand calls: a bit per hash lets almost every record go
    // after one test of a table small enough to stay in the cache. Sixteen bits per wanted
    // call keep the bits sparse for a list of a hundred thousand calls too.
    int bits = 16;
    while (bits < 28 && (qsizetype(1) << bits) < 16 * wanted.size())
        ++bits;
    const auto bit = [bits](quint64 hash) { return size_t(hash >> (64 - bits)); };
    std::vector<bool> mayBeWanted(size_t(1) << bits);
    for (const Entry& entry : entries_)
        mayBeWanted[bit(entry.key.hash)] = true;
    struct Candidate {
        QByteArrayView call;
        QByteArrayView locator;
        Key key;
    };
    // Gathered in batches, in file order, so that a list as long as the database takes
    // little room.
    constexpr size_t kBatch = 1 << 16;
    std::vector<Candidate> candidates;
    candidates.reserve(kBatch);
    const auto lookUp = [&] {
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (i + kAhead < candidates.size())
                prefetch(candidates[i + kAhead].key);
            const Candidate& record = candidates[i];
            if (const qsizetype entry = find(record.call, record.key); entry >= 0) {
                entries_[size_t(entry)].stored = true;
                if (found)
                    found(record.call, record.locator);
            }
        }
        candidates.clear();
    };
    forEachCall(working, [&](QByteArrayView call, QByteArrayView locator) {
        const Key key = keyOf(call, working.end());
        if (!mayBeWanted[bit(key.hash)])
            return;
        candidates.push_back({call, locator, key});
        if (candidates.size() == kBatch)
            lookUp();
    });
    lookUp();
}

void forEachRecordAt(
    QByteArrayView database, const QList<QByteArrayView>& wanted,
    const std::function<void(QByteArrayView call, QByteArrayView locator)>& found) {
    if (wanted.isEmpty())
        return;
    // Most lines go after one test of a bit: their locator's first eight bytes, mixed.
    const auto head = [](QByteArrayView text) {
        quint64 word = 0;
        std::memcpy(&word, text.data(), size_t(std::min<qsizetype>(8, text.size())));
        return size_t((word ^ quint64(text.size())) * 0x9E3779B97F4A7C15ull >> 48);
    };
    std::vector<bool> mayBeWanted(size_t(1) << 16);
    std::unordered_set<std::string_view> locators;
    for (const QByteArrayView locator : wanted) {
        mayBeWanted[head(locator)] = true;
        locators.emplace(locator.data(), size_t(locator.size()));
    }
    forEachLine(database, [&](QByteArrayView line) {
        const qsizetype space = line.indexOf(' ');
        if (space <= 0)
            return;
        const QByteArrayView locator = line.first(space);
        if (mayBeWanted[head(locator)] &&
            locators.count(std::string_view(locator.data(), size_t(locator.size()))))
            found(line.sliced(space + 1), locator);
    });
}

} // namespace stationdb
