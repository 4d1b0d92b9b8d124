#include "stationdb.h"

#include "records.h"
#include "ui/text.h"

#include <QDir>
#include <QFileInfo>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <QThread>

using namespace Qt::StringLiterals;

namespace stationdb {

StationDb::StationDb(const QString& directory, FileIo& io)
    : io_(io), databasePath_(QDir(directory).filePath(u"norvane.txt"_s)),
      ownLocatorPath_(QDir(directory).filePath(u"myloc.txt"_s)) {
    settle_.setSingleShot(true);
    settle_.setInterval(150); // beyond the 100 ms after which a read's identity is kept
    QObject::connect(&settle_, &QTimer::timeout, [this] {
        const FileIdentity now = io_.identity(databasePath_);
        if (now != preparedFor_ && !(snapshot_ && now == snapshot_->identity))
            prepare();
    });
}

StationDb::~StationDb() {
    watcher_.reset();
    preparing_.cancel();
    stopBuilding();
}

void StationDb::prepare() {
    preparedFor_ = io_.identity(databasePath_);
    preparing_.start(io_, databasePath_, snapshot_);
}

void StationDb::watch() {
    if (watcher_)
        return;
    watcher_ = std::make_unique<QFileSystemWatcher>();
    // The folder too: an editor's save renames a new file over the old, which ends the
    // file's watch.
    watcher_->addPath(QFileInfo(databasePath_).absolutePath());
    if (io_.exists(databasePath_))
        watcher_->addPath(databasePath_);
    const auto changed = [this] { fileMayHaveChanged(); };
    QObject::connect(watcher_.get(), &QFileSystemWatcher::fileChanged, changed);
    QObject::connect(watcher_.get(), &QFileSystemWatcher::directoryChanged, changed);
}

void StationDb::fileMayHaveChanged() {
    if (!watcher_->files().contains(databasePath_) && io_.exists(databasePath_))
        watcher_->addPath(databasePath_);
    settle_.start(); // a save comes as several changes: prepare once, after the last
}

void StationDb::adoptPrepared() {
    std::optional<PreparedDatabase> prepared = preparing_.take();
    if (!prepared)
        return;
    stopBuilding();
    struct Replaced {
        std::optional<ReadResult> snapshot;
        std::optional<LookupIndex> index;
        QString callKeyRoom, locatorKeyRoom;
    } replaced{std::move(snapshot_), std::move(index_), {}, {}};
    snapshot_ = std::move(prepared->file);
    index_ = std::move(prepared->index);
    if (!prepared->callKeyRoom.isNull())
        replaced.callKeyRoom = callKeyRooms_.keep(prepared->callKeyRoom);
    if (!prepared->locatorKeyRoom.isNull())
        replaced.locatorKeyRoom = locatorKeyRooms_.keep(prepared->locatorKeyRoom);
    preparing_.retire(std::move(replaced));
}

void StationDb::stopBuilding() {
    if (!building_)
        return;
    stop_ = true;
    building_->wait();
    building_.reset();
    stop_ = false;
}

ReadResult StationDb::readDatabase() {
    if (!checked_)
        adoptPrepared(); // its identity is checked just below, as any snapshot's
    QByteArray previous;
    if (snapshot_ && !checked_ &&
        (!snapshot_->identity.exists || io_.identity(databasePath_) != snapshot_->identity)) {
        previous = std::move(snapshot_->bytes);
        snapshot_.reset();
    }
    checked_ = true;
    if (!snapshot_) {
        snapshot_ = io_.read(databasePath_);
        // The same bytes again (a file saved unchanged, or changed too recently to be kept):
        // the same copy, so that its index, built or being built, stays.
        if (snapshot_->bytes == previous)
            snapshot_->bytes = previous;
    }
    return *snapshot_;
}

const LookupIndex* StationDb::index(const QByteArray& snapshot) {
    if (snapshot.size() < kIndexedFrom)
        return nullptr;
    if (building_) {
        if (!building_->isFinished() && buildingFor_ == snapshot.constData())
            return nullptr; // the scans answer until it is built
        stopBuilding();     // finished, or of a snapshot gone since
    }
    if (index_ && index_->database().constData() == snapshot.constData())
        return &*index_;
    // A million lines take a tenth of a second: on a thread of its own, so that no key waits.
    index_.reset();
    buildingFor_ = snapshot.constData();
    building_.reset(QThread::create([this, snapshot] {
        index_.emplace(snapshot, &stop_);
#ifdef __GLIBC__
        // The sorting took twice the index's room, which the thread's heap would keep.
        malloc_trim(0);
#endif
    }));
    building_->start();
    return nullptr;
}

LocatorLookup StationDb::lookUpLocator(const QByteArray& snapshot, QStringView prefix) {
    const LookupIndex* indexed = index(snapshot);
    return indexed ? indexed->lookUpLocator(prefix, &locatorKeyRooms_)
                   : stationdb::lookUpLocator(snapshot, prefix, &locatorKeyRooms_);
}

QString StationDb::lookUpCall(const QByteArray& snapshot, QStringView prefix) {
    counted_.reset(); // its list's room may be the one the next list is written into
    const LookupIndex* indexed = index(snapshot);
    if (!indexed)
        return stationdb::lookUpCall(snapshot, prefix, &callKeyRooms_);
    QString list = indexed->lookUpCall(prefix, &callKeyRooms_);
    if (const auto starts = indexed->locatorStarts(prefix); starts && !list.isEmpty())
        counted_ = CountedList{list, {starts->begin(), starts->end()}};
    return list;
}

const std::vector<LocatorStart>* StationDb::locatorStarts(const QString& list) const {
    const bool same = counted_ && !list.isEmpty() && list.size() == counted_->list.size() &&
                      list.constData() == counted_->list.constData();
    return same ? &counted_->starts : nullptr;
}

std::optional<FileError> StationDb::updateDatabase(const Change& change, QByteArray* written) {
    snapshot_.reset();
    const WriterLock writers = io_.lockWriters(databasePath_);
    if (writers.error) {
        // A database that cannot even be read (a link to nowhere) says more than its lock.
        const ReadResult file = io_.read(databasePath_);
        return file.error ? file.error : writers.error;
    }
    // An editor that keeps saving must not hold the import up for ever.
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const ReadResult file = io_.read(databasePath_);
        if (file.error)
            return file.error;
        QByteArray bytes = rewriteBytes(change(file.bytes));
        const auto error = io_.write(databasePath_, bytes, &file);
        if (!error && written) {
            bytes.chop(kCrLfBytes.size()); // the working text again, without a copy
            *written = std::move(bytes);
        }
        if (!error || !error->changedSinceRead)
            return error;
    }
    return FileError{FileError::Operation::Write, databasePath_,
                     u"another program changed it each of the "_s + QString::number(kAttempts) +
                         u" times it was read"_s};
}

std::optional<QStringList> StationDb::readOwnLocatorLines(FileError* error) {
    const ReadResult file = io_.read(ownLocatorPath_);
    if (file.error) {
        if (error)
            *error = *file.error;
        return std::nullopt;
    }
    QStringList lines;
    forEachLine(file.bytes, [&](QByteArrayView line) { lines.append(QString::fromLatin1(line)); });
    return lines;
}

std::optional<FileError> StationDb::writeOwnLocator(const QString& text) {
    return io_.write(ownLocatorPath_, (text + ui::kCrLf).toLatin1());
}

} // namespace stationdb
