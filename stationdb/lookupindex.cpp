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

// Stable least-significant-byte radix sort: lines with equal keys stay in file order. A byte
// that all keys share (the Q of every call, the padding of short columns) takes no pass.
void sortByKey(std::vector<LookupIndex::Entry>& entries) {
    std::vector<LookupIndex::Entry> spare(entries.size());
    for (int shift = 0; shift < 64; shift += 8) {
        std::array<size_t, 257> offsets{};
        for (const auto& e : entries)
            ++offsets[(e.key >> shift & 0xFF) + 1];
        if (std::find(offsets.begin(), offsets.end(), entries.size()) != offsets.end())
            continue;
        for (size_t b = 1; b < offsets.size(); ++b)
            offsets[b] += offsets[b - 1];
        for (const auto& e : entries)
            spare[offsets[e.key >> shift & 0xFF]++] = e;
        entries.swap(spare);
    }
}

} // namespace

LookupIndex::LookupIndex(const QByteArray& database) : database_(database) {
    if (database_.size() > qsizetype(std::numeric_limits<quint32>::max()))
        return;
    indexed_ = true;
    const char* const begin = database_.constData();
    forEachLine(database_, [&](QByteArrayView line) {
        marker_ = marker_ || hasAdminMarker(line);
        const auto start = quint32(line.data() - begin);
        const auto size = quint32(line.size());
        byLocator_.push_back({keyOf(line), start, size});
        byCall_.push_back({keyOf(callColumns(line)), start, size});
    });
    sortByKey(byLocator_);
    sortByKey(byCall_);
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
    const auto first = std::lower_bound(entries.begin(), entries.end(), low,
                                        [](const Entry& e, quint64 key) { return e.key < key; });
    const auto last = std::upper_bound(first, entries.end(), high,
                                       [](quint64 key, const Entry& e) { return key < e.key; });
    if (last - first > std::ptrdiff_t(entries.size() / 8) + 64)
        return std::nullopt; // the scan lists these in file order at once
    std::vector<QByteArrayView> lines;
    for (auto it = first; it != last; ++it) {
        const QByteArrayView line(database_.constData() + it->start, it->size);
        if (line.size() >= column + needle.size() && line.sliced(column, needle.size()) == needle)
            lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end(),
              [](QByteArrayView a, QByteArrayView b) { return a.data() < b.data(); });
    return lines;
}

LocatorLookup LookupIndex::lookUpLocator(QStringView prefix) const {
    const std::optional<QByteArray> needle = toLatin1Exactly(prefix);
    const auto lines = needle ? find(byLocator_, 0, *needle) : std::nullopt;
    if (!lines)
        return stationdb::lookUpLocator(database_, prefix);
    LineList calls(database_);
    for (const QByteArrayView line : *lines)
        calls.append(callColumns(line));
    return {calls.take(), marker_};
}

QString LookupIndex::lookUpCall(QStringView prefix) const {
    const std::optional<QByteArray> needle = toLatin1Exactly(prefix);
    const auto lines = needle ? find(byCall_, kCallColumn, *needle) : std::nullopt;
    if (!lines)
        return stationdb::lookUpCall(database_, prefix);
    LineList locators(database_);
    for (const QByteArrayView line : *lines)
        locators.append(locatorColumns(line));
    return locators.take();
}

} // namespace stationdb
