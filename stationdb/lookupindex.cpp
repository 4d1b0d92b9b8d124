#include "lookupindex.h"

#include <algorithm>
#include <array>
#include <limits>

namespace stationdb {

namespace {

constexpr qsizetype kCallColumn = 7; // column 8, counted from 0

// The first eight bytes of `text`, the first one highest; missing bytes are zero.
quint64 keyOf(QByteArrayView text) {
    quint64 key = 0;
    for (qsizetype k = 0; k < 8; ++k)
        key = key << 8 | (k < text.size() ? uchar(text[k]) : 0);
    return key;
}

// Stable least-significant-byte radix sort by the lowest `bytes` bytes of key(item): items
// with equal keys keep their order. A byte that all keys share (the Q of every call, the
// padding of short columns) takes no pass.
// `spare` is room of the items' size, given so that sorts one after another share it: fresh
// memory costs more than the sort.
template <class T, class Key, class Stopped = bool (*)()>
void radixSort(
    std::vector<T>& items, std::vector<T>& spare, int bytes, Key key,
    Stopped stopped = [] { return false; }) {
    spare.resize(items.size());
    for (int shift = 0; shift < 8 * bytes && !stopped(); shift += 8) {
        std::array<size_t, 257> offsets{};
        for (const T& item : items)
            ++offsets[(key(item) >> shift & 0xFF) + 1];
        if (std::find(offsets.begin(), offsets.end(), items.size()) != offsets.end())
            continue;
        for (size_t b = 1; b < offsets.size(); ++b)
            offsets[b] += offsets[b - 1];
        for (const T& item : items)
            spare[offsets[key(item) >> shift & 0xFF]++] = item;
        items.swap(spare);
    }
}

// The lines of a call key counted by the locator's first four bytes, for every first byte
// of a call at once: in an open table that doubles when half full. A file with more kinds
// than kMostKinds (no real one: they are call characters times squares) is not counted.
class StartCounter {
public:
    static constexpr size_t kMostKinds = size_t(1) << 17;

    // A line of eight bytes at least: all six locator columns and a call.
    void add(QByteArrayView line) {
        if (gaveUp_)
            return;
        quint64 key = kUsed | quint64(uchar(line[kCallColumn])) << 32;
        for (qsizetype k = 0; k < 4; ++k)
            key |= quint64(uchar(line[k])) << (24 - 8 * k);
        for (size_t at = slotOf(key);; at = (at + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[at];
            if (slot.key == key) {
                ++slot.lines;
                return;
            }
            if (slot.key == 0) {
                slot = {key, 1};
                if (++kinds_ * 2 > slots_.size())
                    grow();
                return;
            }
        }
    }

    // The counts by call byte, then locator bytes; false when counting was given up.
    bool take(std::vector<LocatorStart>& starts, std::array<quint32, 257>& startsAt) {
        if (gaveUp_)
            return false;
        std::vector<Slot> kinds;
        kinds.reserve(kinds_);
        for (const Slot& slot : slots_)
            if (slot.key != 0)
                kinds.push_back(slot);
        std::sort(kinds.begin(), kinds.end(),
                  [](const Slot& a, const Slot& b) { return a.key < b.key; });
        starts.clear();
        starts.reserve(kinds.size());
        startsAt.fill(0);
        for (const Slot& slot : kinds) {
            ++startsAt[(slot.key >> 32 & 0xFF) + 1];
            starts.push_back({quint32(slot.key), slot.lines});
        }
        for (size_t b = 1; b < startsAt.size(); ++b)
            startsAt[b] += startsAt[b - 1];
        return true;
    }

private:
    static constexpr quint64 kUsed = quint64(1) << 40; // no key is 0, the empty slot
    struct Slot {
        quint64 key = 0;
        quint32 lines = 0;
    };

    size_t slotOf(quint64 key) const { return (key * 0x9E3779B97F4A7C15u) >> shift_; }

    void grow() {
        if (kinds_ > kMostKinds) {
            gaveUp_ = true;
            slots_ = {};
            return;
        }
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        --shift_;
        for (const Slot& slot : old) {
            if (slot.key == 0)
                continue;
            size_t at = slotOf(slot.key);
            while (slots_[at].key != 0)
                at = (at + 1) & (slots_.size() - 1);
            slots_[at] = slot;
        }
    }

    std::vector<Slot> slots_ = std::vector<Slot>(1024);
    int shift_ = 64 - 10;
    size_t kinds_ = 0;
    bool gaveUp_ = false;
};

// A column's text in a line: the whole line from column 1, the callsign from column 8.
QByteArrayView columnOf(QByteArrayView line, qsizetype column) {
    return column == 0 ? line : callColumns(line);
}

} // namespace

LookupIndex::LookupIndex(const QByteArray& database, const std::atomic<bool>* stop)
    : database_(database) {
    if (database_.size() > qsizetype(std::numeric_limits<quint32>::max()))
        return;
    indexed_ = true;
    const char* const begin = database_.constData();
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    std::vector<Entry> lines;
    lines.reserve(size_t(countLines(database_))); // grown, it would be copied into fresh memory
    StartCounter starts;
    forEachLine(database_, [&](QByteArrayView line) {
        if (stopped())
            return;
        marker_ = marker_ || hasAdminMarker(line);
        lines.push_back({quint32(line.data() - begin), quint32(line.size())});
        if (line.size() > kCallColumn)
            starts.add(line);
    });
    startsCounted_ = starts.take(starts_, startsAt_);
    // Sorted by a column's first eight bytes, kept beside each line only while sorting.
    struct Keyed {
        quint64 key;
        Entry entry;
    };
    std::vector<Keyed> keyed, spare; // both columns' room
    const auto sorted = [&](qsizetype column) {
        if (stopped())
            return std::vector<Entry>();
        keyed.clear();
        keyed.reserve(lines.size());
        for (const Entry& e : lines)
            keyed.push_back({keyOf(columnOf(line(e), column)), e});
        radixSort(
            keyed, spare, 8, [](const Keyed& k) { return k.key; }, stopped);
        std::vector<Entry> entries;
        entries.reserve(keyed.size());
        for (const Keyed& k : keyed)
            entries.push_back(k.entry);
        return entries;
    };
    byLocator_ = sorted(0);
    byCall_ = sorted(kCallColumn);
    if (stopped()) {
        indexed_ = startsCounted_ = false;
        byLocator_ = byCall_ = {};
        starts_ = {};
    }
}

std::optional<std::vector<QByteArrayView>> LookupIndex::find(const std::vector<Entry>& entries,
                                                             qsizetype column,
                                                             QByteArrayView needle) const {
    if (!indexed_ || needle.isEmpty())
        return std::nullopt;
    // Every line whose key begins with the needle's first bytes, and a few more whose column
    // ends before the needle does (their padding reads as zero bytes).
    const quint64 low = keyOf(needle);
    const quint64 high = needle.size() >= 8 ? low : low | (~quint64(0) >> (8 * needle.size()));
    const auto keyAt = [&](const Entry& e) { return keyOf(columnOf(line(e), column)); };
    const auto first =
        std::lower_bound(entries.begin(), entries.end(), low,
                         [&](const Entry& e, quint64 key) { return keyAt(e) < key; });
    const auto last = std::upper_bound(first, entries.end(), high,
                                       [&](quint64 key, const Entry& e) { return key < keyAt(e); });
    if (last - first > std::ptrdiff_t(entries.size() / 8) + 64)
        return std::nullopt;
    std::vector<Entry> found;
    found.reserve(size_t(last - first));
    for (auto it = first; it != last; ++it) {
        const QByteArrayView text = line(*it);
        if (text.size() >= column + needle.size() && text.sliced(column, needle.size()) == needle)
            found.push_back(*it);
    }
    // In file order again; a long list by its lines' places, four bytes of them.
    constexpr size_t kRadixFrom = 4096;
    if (found.size() < kRadixFrom)
        std::sort(found.begin(), found.end(),
                  [](const Entry& a, const Entry& b) { return a.start < b.start; });
    else {
        std::vector<Entry> spare;
        radixSort(found, spare, 4, [](const Entry& e) { return e.start; });
    }
    std::vector<QByteArrayView> lines;
    lines.reserve(found.size());
    for (const Entry& e : found)
        lines.push_back(line(e));
    return lines;
}

std::optional<std::span<const LocatorStart>> LookupIndex::locatorStarts(QStringView prefix) const {
    if (!startsCounted_ || prefix.size() != 1)
        return std::nullopt;
    const char16_t ch = prefix[0].unicode();
    if (ch > 0xFF) // no file byte: the list is empty
        return std::span<const LocatorStart>();
    return std::span(starts_).subspan(startsAt_[ch], startsAt_[ch + 1] - startsAt_[ch]);
}

LocatorLookup LookupIndex::lookUpLocator(QStringView prefix, ListRoom* room) const {
    const std::optional<QByteArray> needle = toLatin1Exactly(prefix);
    const auto lines = needle ? find(byLocator_, 0, *needle) : std::nullopt;
    if (!lines)
        return stationdb::lookUpLocator(database_, prefix, room,
                                        indexed_ ? std::optional(marker_) : std::nullopt);
    LineList calls(database_, room);
    for (const QByteArrayView line : *lines)
        calls.append(callColumns(line));
    return {calls.take(), marker_};
}

QString LookupIndex::lookUpCall(QStringView prefix, ListRoom* room) const {
    const std::optional<QByteArray> needle = toLatin1Exactly(prefix);
    const auto lines = needle ? find(byCall_, kCallColumn, *needle) : std::nullopt;
    if (!lines)
        return stationdb::lookUpCall(database_, prefix, room);
    LineList locators(database_, room);
    for (const QByteArrayView line : *lines)
        locators.append(locatorColumns(line));
    return locators.take();
}

} // namespace stationdb
