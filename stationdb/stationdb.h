// The program's two data files in its data directory: the station database norvane.txt and
// the own locator myloc.txt.
#pragma once

#include "databasethread.h"
#include "files.h"
#include "lookupindex.h"

#include <QFileSystemWatcher>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace stationdb {

class StationDb {
public:
    StationDb(const QString& directory, FileIo& io);
    ~StationDb();
    StationDb(const StationDb&) = delete;
    StationDb& operator=(const StationDb&) = delete;

    QString databasePath() const { return databasePath_; }
    QString ownLocatorPath() const { return ownLocatorPath_; }

    // The database as it is on disk. The bytes read are kept, and used again while the file's
    // identity stays as it was when they were read: a keystroke runs several lookups, and
    // the operator types many keys between two saves of the file. Within one event the
    // identity is checked once, at the first read.
    ReadResult readDatabase();
    // Replaces the database with rewriteBytes(change(its bytes now)), as one step that no
    // other writer can slip into: other Norvane processes wait, and when an editor saves the
    // file meanwhile, it is read again and the change made anew, so nobody's records are lost.
    // On success `written`, if given, receives the working text that change() made.
    using Change = std::function<QByteArray(const QByteArray& database)>;
    std::optional<FileError> updateDatabase(const Change& change, QByteArray* written = nullptr);
    // Between events the operator or an editor may change the file: the next read checks.
    void eventEnded() { checked_ = false; }
    // Reads and indexes the database on a thread of its own, so that the next key finds it
    // ready; that key still checks the file's identity, and reads it again if it changed.
    void prepare();
    // From now on, prepares the database again whenever another program changes it.
    void watch();

    // What a writer that died while writing left beside the database.
    void clearAfterCrashedWriter() { io_.clearAfterCrashedWriter(databasePath_); }

    // The lookups of records.h on a snapshot that readDatabase() gave, answered from an index
    // of it once it holds more than a few lines. The first lookup has the index built, on a
    // thread of its own; until it is, the lookups scan. It is kept with the bytes.
    LocatorLookup lookUpLocator(const QByteArray& snapshot, QStringView prefix);
    QString lookUpCall(const QByteArray& snapshot, QStringView prefix);
    // The lines of the last list lookUpCall() gave, counted by their first four bytes, while
    // `list` is that list: the index counted them for a key of one character, the longest
    // lists. Otherwise nullptr.
    const std::vector<LocatorStart>* locatorStarts(const QString& list) const;

    bool ownLocatorExists() const { return io_.exists(ownLocatorPath_); }
    // Every line of myloc.txt; the caller uses the last one.
    std::optional<QStringList> readOwnLocatorLines(FileError* error);
    // One line: the text exactly as entered, then CR LF.
    std::optional<FileError> writeOwnLocator(const QString& text);

private:
    // The index of the snapshot, or nullptr where a scan is as quick or the index is not
    // built yet.
    const LookupIndex* index(const QByteArray& snapshot);

    // The next event's first read: what prepare() made, if it is still the file.
    void adoptPrepared();
    void fileMayHaveChanged();

    FileIo& io_;
    QString databasePath_;
    QString ownLocatorPath_;
    std::optional<ReadResult> snapshot_;
    bool checked_ = false; // the snapshot is the file, for the rest of this event
    ListRoom callKeyRooms_, locatorKeyRooms_; // for the lists of broad keys, a box each
    struct CountedList {
        QString list; // kept, so that no later list can be written into its room
        std::vector<LocatorStart> starts;
    };
    std::optional<CountedList> counted_;
    std::optional<LookupIndex> index_; // written by building_ until it has finished
    std::unique_ptr<QThread> building_;
    std::atomic<bool> stop_ = false; // building_ gives up
    void stopBuilding();
    const char* buildingFor_ = nullptr; // its snapshot's bytes, kept by building_ while it runs
    DatabaseThread preparing_;
    FileIdentity preparedFor_; // the file's identity when preparing_ started
    std::unique_ptr<QFileSystemWatcher> watcher_;
    QTimer settle_; // a save is read once it is old enough for its identity to be trusted
};

} // namespace stationdb
