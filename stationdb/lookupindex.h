// The two lookups on one database snapshot, answered from its lines sorted by each column:
// worth building when one snapshot serves many lookups, as the keys typed between two saves
// of the file, or a log check, do. The answers are exactly those of lookUpLocator and
// lookUpCall on the same bytes. It takes 16 bytes a line beside the snapshot.
#pragma once

#include "records.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <atomic>
#include <optional>
#include <vector>

namespace stationdb {

class LookupIndex {
public:
    // Built on another thread, it gives up as soon as it can once `stop` is set, and then
    // answers through the scans.
    explicit LookupIndex(const QByteArray& database, const std::atomic<bool>* stop = nullptr);

    const QByteArray& database() const { return database_; }
    LocatorLookup lookUpLocator(QStringView prefix, ListRoom* room = nullptr) const;
    QString lookUpCall(QStringView prefix, ListRoom* room = nullptr) const;

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
};

} // namespace stationdb
