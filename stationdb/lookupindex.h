// The two lookups on one database snapshot, answered from its lines sorted by each column:
// worth building when one snapshot serves many lookups, as the keys typed between two saves
// of the file, or a log check, do. The answers are exactly those of lookUpLocator and
// lookUpCall on the same bytes. It takes 16 bytes a line beside the snapshot, and 8 bytes for
// each pair of a call's first character and a locator's first four that the file holds.
#pragma once

#include "records.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <array>
#include <atomic>
#include <optional>
#include <span>
#include <vector>

namespace stationdb {

// How many lines of a locator list begin with the same four bytes (the first one highest):
// a square of the globe, or text that is none.
struct LocatorStart {
    quint32 fourBytes;
    quint32 lines;

    bool operator==(const LocatorStart&) const = default;
};

class LookupIndex {
public:
    // Built on another thread, it gives up as soon as it can once `stop` is set, and then
    // answers through the scans.
    explicit LookupIndex(const QByteArray& database, const std::atomic<bool>* stop = nullptr);

    const QByteArray& database() const { return database_; }
    LocatorLookup lookUpLocator(QStringView prefix, ListRoom* room = nullptr) const;
    QString lookUpCall(QStringView prefix, ListRoom* room = nullptr) const;
    // lookUpCall(prefix)'s lines counted by their first four bytes, in the order of those, for
    // a prefix of one character: the longest lists, which a map would otherwise read whole.
    // Nothing when the file has so many kinds of lines that counting them was given up.
    std::optional<std::span<const LocatorStart>> locatorStarts(QStringView prefix) const;

    // Where a line is.
    struct Entry {
        quint32 start;
        quint32 size;
    };

private:
    // The lines whose text from `column` on begins with `needle`, in file order; nothing
    // when so many lines begin alike that a scan, in file order at once, is quicker.
    std::optional<std::vector<QByteArrayView>> find(const std::vector<Entry>& entries,
                                                    qsizetype column, QByteArrayView needle) const;

    QByteArrayView line(const Entry& e) const {
        return QByteArrayView(database_.constData() + e.start, e.size);
    }

    QByteArray database_;
    bool indexed_ = false; // not for a file of 4 GB or more, which the scans still serve
    bool marker_ = false;
    std::vector<Entry> byLocator_; // by the text from column 1
    std::vector<Entry> byCall_;    // by the text from column 8
    // By the call's first byte, then the locator's first four; startsAt_[b] is where the
    // calls that begin with byte b begin.
    bool startsCounted_ = false;
    std::vector<LocatorStart> starts_;
    std::array<quint32, 257> startsAt_{};
};

} // namespace stationdb
