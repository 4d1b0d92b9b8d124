// The two lookups on one database snapshot, answered from its lines sorted by each column:
// worth building when one snapshot serves many lookups, as when a log check looks up every
// QSO. The answers are exactly those of lookUpLocator and lookUpCall on the same bytes.
#pragma once

#include "records.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>
#include <vector>

namespace stationdb {

class LookupIndex {
public:
    explicit LookupIndex(const QByteArray& database);

    const QByteArray& database() const { return database_; }
    LocatorLookup lookUpLocator(QStringView prefix) const;
    QString lookUpCall(QStringView prefix) const;

    // One line: its first eight bytes from a column, big-endian and padded with zeros, so
    // that the lines sort by that column's beginning; and where the line is.
    struct Entry {
        quint64 key;
        quint32 start;
        quint32 size;
    };

private:
    // The lines whose text from `column` on begins with `needle`, in file order; nothing
    // when so many lines begin alike that a scan is cheaper.
    std::optional<std::vector<QByteArrayView>> find(const std::vector<Entry>& entries,
                                                    qsizetype column, QByteArrayView needle) const;

    QByteArray database_;
    bool indexed_ = false; // not for a file of 4 GB or more, which the scans still serve
    bool marker_ = false;
    std::vector<Entry> byLocator_; // by the text from column 1
    std::vector<Entry> byCall_;    // by the text from column 8
};

} // namespace stationdb
