// The program's two data files in its data directory: the station database norvane.txt and
// the own locator myloc.txt.
#pragma once

#include "files.h"
#include "lookupindex.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace stationdb {

class StationDb {
public:
    StationDb(const QString& directory, FileIo& io);

    QString databasePath() const { return databasePath_; }
    QString ownLocatorPath() const { return ownLocatorPath_; }

    // The database as it is on disk. Within one event the first read is shared by every
    // lookup that follows, until forgetSnapshot(): a keystroke runs several lookups, and the
    // file cannot change while the program holds control.
    ReadResult readDatabase();
    // Replaces the database with rewriteBytes(change(its bytes now)), as one step that no
    // other writer can slip into: other Norvane processes wait, and when an editor saves the
    // file meanwhile, it is read again and the change made anew, so nobody's records are lost.
    using Change = std::function<QString(const QByteArray& database)>;
    std::optional<FileError> updateDatabase(const Change& change);
    void forgetSnapshot() { snapshot_.reset(); }
    // What a writer that died while writing left beside the database.
    void clearAfterCrashedWriter() { io_.clearAfterCrashedWriter(databasePath_); }

    // The lookups of records.h on a snapshot that readDatabase() gave.
    LocatorLookup lookUpLocator(const QByteArray& snapshot, QStringView prefix);
    QString lookUpCall(const QByteArray& snapshot, QStringView prefix);

    // For a command that looks up many stations in one go (a log check): while one lives,
    // the lookups are answered from one index of the snapshot. A read after a message box
    // reads the file afresh all the same; when it gives the same bytes, the index stays.
    class IndexedLookups {
    public:
        explicit IndexedLookups(StationDb& db) : db_(db) { ++db_.indexedLookups_; }
        ~IndexedLookups() {
            if (--db_.indexedLookups_ == 0)
                db_.index_.reset();
        }
        IndexedLookups(const IndexedLookups&) = delete;
        IndexedLookups& operator=(const IndexedLookups&) = delete;

    private:
        StationDb& db_;
    };

    bool ownLocatorExists() const { return io_.exists(ownLocatorPath_); }
    // Every line of myloc.txt; the caller uses the last one.
    std::optional<QStringList> readOwnLocatorLines(FileError* error);
    // One line: the text exactly as entered, then CR LF.
    std::optional<FileError> writeOwnLocator(const QString& text);

private:
    // The index of the snapshot while an IndexedLookups lives, else nullptr.
    const LookupIndex* index(const QByteArray& snapshot);

    FileIo& io_;
    QString databasePath_;
    QString ownLocatorPath_;
    std::optional<ReadResult> snapshot_;
    int indexedLookups_ = 0;
    std::optional<LookupIndex> index_;
};

} // namespace stationdb
