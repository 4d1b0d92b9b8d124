// The file layer: existence test, whole-file reads, atomic rewrites and the writers' lock.
// Handlers reach the disk only through FileIo, so tests can make a write fail part-way.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <optional>

class QSaveFile;

namespace stationdb {

class SystemLock;

struct FileError {
    enum class Operation { Read, Write };
    Operation operation = Operation::Read;
    QString path;
    QString reason;
    // The file changed on disk after it was read, so nothing was written: read it again.
    bool changedSinceRead = false;

    // "Cannot write /path/norvane.txt: No space left on device ..." for the operator.
    QString message() const;
};

// Which file a path names and when it was last written, as finely as the system keeps it: a
// save by rename puts another file there, a save in place gives it new times. Nothing there:
// all zero.
struct FileIdentity {
    bool exists = false;
    quint64 volume = 0;
    quint64 file = 0; // inode, or file index on Windows
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds, or 100-nanosecond ticks on Windows
    qint64 changed = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct ReadResult {
    bool exists = false; // false: nothing at the path, which is a normal state
    QByteArray bytes;
    std::optional<FileError> error;
    // The file the bytes came from, while its identity says they are still what it holds:
    // nothing changed it during the read, and its last change is old enough that a change
    // within the same tick of the system's clock would show. Else all zero: read it again.
    FileIdentity identity;
};

// While `lock` is held, no other Norvane process or window writes the file.
struct WriterLock {
    std::shared_ptr<SystemLock> lock;
    std::optional<FileError> error; // no lock: why
};

class FileIo {
public:
    virtual ~FileIo() = default;
    // A file exists when the path names a regular file (links followed).
    virtual bool exists(const QString& path) const;
    // The whole file in one read. A folder or a link to nowhere at the path is an error.
    virtual ReadResult read(const QString& path);
    // The identity of the file at `path` now, links followed; all zero when nothing is there.
    virtual FileIdentity identity(const QString& path) const;
    // Replaces the file's whole content through a temporary file, so that a failed write
    // leaves the old file byte for byte as it was and no temporary file behind. With
    // `readBefore`, the file is replaced only if it still holds what that read found and no
    // other program is writing it; otherwise nothing is written and the error says
    // changedSinceRead. Where the system can tell which file a rename replaced (Linux), a save
    // that comes even after the last check is found so, and put back in its place.
    virtual std::optional<FileError> write(const QString& path, QByteArrayView bytes,
                                           const ReadResult* readBefore = nullptr);

    // Waits, a few seconds at most, until no other writer of the file at `path` (a link's
    // target) is at work, and keeps others out until the lock is dropped. A lock left by a
    // writer that died is taken over at once.
    WriterLock lockWriters(const QString& path);
    // Removes what a writer that died while writing left beside the file: its lock and its
    // temporary files. Nothing is touched while another writer is at work.
    void clearAfterCrashedWriter(const QString& path);

protected:
    // One piece of a write: nothing, or why it failed. The seam through which tests fail a
    // write part-way.
    virtual std::optional<QString> writeChunk(QSaveFile& file, QByteArrayView chunk);
    // Another writer holds the lock, or has the file open: wait a moment before trying again.
    virtual void writerBusy();
    // The moments at which another program's save matters most: a read has opened the file;
    // a write found the file as it was read; a write checked it for the last time and
    // replaces it next. The seam through which tests save the file there, as another program
    // may.
    enum class Moment { Opened, Compared, Replacing };
    virtual void reached(Moment moment);

private:
    // Waits, a second at most, until no other program has the file open for writing.
    void waitWhileWritten(const QString& path);
};

} // namespace stationdb
