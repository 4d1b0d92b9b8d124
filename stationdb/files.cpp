#include "files.h"

#include "systemlock.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace stationdb {

namespace {

// How long an import waits for another one to finish; an import takes well under a second.
constexpr int kLockWaitMs = 5000;
// How long an import waits for another program to finish writing the file, each time it reads
// it: an in-place save takes well under a second, and a program that keeps the file open for
// writing holds five attempts up for five seconds, as long as the writers' lock at most.
constexpr int kWritingWaitMs = 1000;
// How long after taking the lock a writer that died may have written its temporary file.
constexpr qint64 kCrashedWriteMs = 60 * 1000;

// The file a write really replaces: a link's final target, as QSaveFile finds it.
QString finalPath(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

QString lockPath(const QString& path) {
    return finalPath(path) + u".lock"_s;
}

#ifdef Q_OS_WIN

HANDLE systemHandle(const QFileDevice& file) {
    return HANDLE(_get_osfhandle(file.handle()));
}

FileIdentity identityOf(const QFileDevice& file) {
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO times;
    const HANDLE handle = systemHandle(file);
    if (!GetFileInformationByHandle(handle, &info) ||
        !GetFileInformationByHandleEx(handle, FileBasicInfo, &times, sizeof times))
        return {};
    return {true,
            info.dwVolumeSerialNumber,
            quint64(info.nFileIndexHigh) << 32 | info.nFileIndexLow,
            qint64(info.nFileSizeHigh) << 32 | info.nFileSizeLow,
            times.LastWriteTime.QuadPart,
            times.ChangeTime.QuadPart};
}

FileIdentity identityAt(const QString& path) {
    // Through QFile, which knows long paths; closed again before the file is replaced, as
    // Windows renames nothing over an open file.
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? identityOf(file) : FileIdentity{};
}

// Now, in the unit and from the origin of the file times.
qint64 clockNow() {
    constexpr qint64 kMsFrom1601 = 11'644'473'600'000;
    return (QDateTime::currentMSecsSinceEpoch() + kMsFrom1601) * 10'000;
}
constexpr qint64 kTicksPerMs = 10'000;

// Whether another program has the file open to write it: a save in place under way, whose
// half-written file an import must not take for the database.
bool writerAtWork(const QFileDevice&, const QString& path) {
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return false;
}

std::optional<QString> syncToDisk(QSaveFile& file) {
    if (!FlushFileBuffers(systemHandle(file)))
        return qt_error_string(int(GetLastError()));
    return std::nullopt;
}

// QSaveFile keeps its temporary file open without sharing: only QSaveFile::commit() can
// rename it.
QString nameWritten(QSaveFile&, const QString&) {
    return {};
}

#else

FileIdentity identityOf(const struct stat& info) {
    constexpr qint64 kNs = 1'000'000'000;
    return {true,
            quint64(info.st_dev),
            quint64(info.st_ino),
            qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * kNs + info.st_mtim.tv_nsec,
            qint64(info.st_ctim.tv_sec) * kNs + info.st_ctim.tv_nsec};
}

FileIdentity identityOf(const QFileDevice& file) {
    struct stat info;
    return ::fstat(file.handle(), &info) == 0 ? identityOf(info) : FileIdentity{};
}

FileIdentity identityAt(const QString& path) {
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? identityOf(info)
                                                                   : FileIdentity{};
}

// Now, in the unit and from the origin of the file times.
qint64 clockNow() {
    return QDateTime::currentMSecsSinceEpoch() * 1'000'000;
}
constexpr qint64 kTicksPerMs = 1'000'000;

// Whether another program has the file open to write it: a save in place under way, whose
// half-written file an import must not take for the database. Linux grants a read lease only
// on a file nobody has open for writing; the lease is given back at once. Where there are no
// leases (another owner's file, other systems), nobody is seen.
bool writerAtWork(const QFileDevice& file, const QString&) {
#ifdef F_SETLEASE
    // A writer that opens the file meanwhile breaks the lease with a signal: SIGURG, which is
    // ignored, rather than SIGIO, which would end the program.
    if (::fcntl(file.handle(), F_SETSIG, SIGURG) != 0 ||
        ::fcntl(file.handle(), F_SETLEASE, F_RDLCK) != 0)
        return errno == EAGAIN;
    ::fcntl(file.handle(), F_SETLEASE, F_UNLCK);
#else
    Q_UNUSED(file);
#endif
    return false;
}

std::optional<QString> syncToDisk(QSaveFile& file) {
    // EINVAL: a file system that cannot sync, which QSaveFile ignores too.
    if (::fsync(file.handle()) != 0 && errno != EINVAL)
        return qt_error_string(errno);
    return std::nullopt;
}

#ifdef Q_OS_LINUX
// The written file under a name of its own beside `target`, to be renamed over it without
// QSaveFile::commit(), which syncs it once more: on a file already on disk that flushes the
// disk's cache, milliseconds between the last check and the rename. Named as QSaveFile names
// its temporary files, so that one a crashed writer left is cleared alike. Empty where the
// system gives no such name (no /proc): QSaveFile renames it then.
QString nameWritten(QSaveFile& file, const QString& target) {
    const QByteArray written = "/proc/self/fd/" + QByteArray::number(file.handle());
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 16; ++attempt) {
        QString name = target + u'.';
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
        if (::linkat(AT_FDCWD, written.constData(), AT_FDCWD, QFile::encodeName(name).constData(),
                     AT_SYMLINK_FOLLOW) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    return {};
}

// Whether `displaced` is still the file that a comparison opened as `seen`: the same file,
// unchanged since. Its change time goes: the exchange that displaced it set it.
bool stillTheFileSeen(const FileIdentity& displaced, const FileIdentity& seen) {
    return displaced.exists && displaced.volume == seen.volume && displaced.file == seen.file &&
           displaced.size == seen.size && displaced.modified == seen.modified;
}

struct Replacement {
    enum class Outcome {
        Done,
        Changed,     // another program's file is in place, and ours is gone
        Unsupported, // the file system cannot exchange names: rename
        Failed,
    } outcome;
    QString reason; // why, where it failed
};

// Puts the file named `written` at `target`, where `seen` was found as it was read (nothing
// when `seen` does not exist), in one step that tells which file it replaced: another
// program's save that came after the last check is found here, not lost. Exchanged names
// give the replaced file back under `written`; if it is not the one compared, it goes back.
// `ours`: the written file.
Replacement replaceKnowingWhat(const QString& written, const QString& target,
                               const FileIdentity& seen, const FileIdentity& ours) {
    using Outcome = Replacement::Outcome;
    const QByteArray from = QFile::encodeName(written), to = QFile::encodeName(target);
    const auto renamed = [&](unsigned flags) {
        return ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), flags) == 0;
    };
    const auto failure = [](int error) {
        return Replacement{error == EINVAL || error == ENOSYS ? Outcome::Unsupported
                                                              : Outcome::Failed,
                           qt_error_string(error)};
    };
    if (!seen.exists) { // nothing was there: nothing may be replaced
        if (renamed(RENAME_NOREPLACE))
            return {Outcome::Done, {}};
        const int error = errno;
        return error == EEXIST ? Replacement{Outcome::Changed, {}} : failure(error);
    }
    if (!renamed(RENAME_EXCHANGE))
        return failure(errno);
    QFile displaced(written);
    const bool unchanged = displaced.open(QIODevice::ReadOnly) &&
                           stillTheFileSeen(identityOf(displaced), seen) &&
                           !writerAtWork(displaced, written);
    displaced.close();
    if (unchanged) {
        ::unlink(from.constData()); // the database as it was, which nobody changed
        return {Outcome::Done, {}};
    }
    // The other program's file back in its place; ours, now under `written`, goes. Should a
    // third save have come in between, that name holds it instead, and it is not removed.
    if (!renamed(RENAME_EXCHANGE))
        return {Outcome::Failed, u"another program saved it meanwhile, and its file is kept as "_s +
                                     QDir::toNativeSeparators(written)};
    if (identityAt(written).file == ours.file)
        ::unlink(from.constData());
    return {Outcome::Changed, {}};
}
#else
QString nameWritten(QSaveFile&, const QString&) {
    return {};
}
#endif

#endif

// Whether a file's times would show the next change: the system stamps files from a clock
// that ticks every few milliseconds (a jiffy on Linux, about 16 ms on Windows), so a save in
// place within the tick of the last change, at the same size, would look like no change.
bool settled(const FileIdentity& identity) {
    constexpr qint64 kTickMs = 100; // several ticks of either clock
    return identity.exists &&
           clockNow() - std::max(identity.modified, identity.changed) > kTickMs * kTicksPerMs;
}

// Whether the file still holds what an earlier read found, and nobody is writing it, compared
// a piece at a time: a second whole copy of a large database would cost more than the
// comparison. `seen` is the file compared, as it was when opened; `problem` says why the file
// could not be read.
bool stillHolds(const QString& path, const ReadResult& before, FileIdentity& seen,
                QString& problem) {
    if (!QFileInfo::exists(path))
        return !before.exists;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
        return false;
    }
    seen = identityOf(file);
    if (!before.exists || file.size() != before.bytes.size() || writerAtWork(file, path))
        return false;
    constexpr qsizetype kPiece = 1 << 20;
    QByteArray piece(std::min(kPiece, before.bytes.size()), Qt::Uninitialized);
    for (qsizetype at = 0;;) {
        const qint64 got = file.read(piece.data(), piece.size());
        if (got < 0) {
            problem = file.errorString();
            return false;
        }
        if (got == 0)
            return at == before.bytes.size();
        if (at + got > before.bytes.size() ||
            std::memcmp(piece.constData(), before.bytes.constData() + at, size_t(got)) != 0)
            return false;
        at += got;
    }
}

} // namespace

QString FileError::message() const {
    const QString file = QDir::toNativeSeparators(path);
    if (operation == Operation::Read)
        return u"Cannot read "_s + file + u": "_s + reason;
    return u"Cannot write "_s + file + u": "_s + reason + u"\r\nThe file was left as it was."_s;
}

bool FileIo::exists(const QString& path) const {
    return QFileInfo(path).isFile();
}

ReadResult FileIo::read(const QString& path) {
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return result; // nothing there: a normal state
    result.exists = true;
    const auto failed = [&](const QString& reason) {
        result.error = FileError{FileError::Operation::Read, path, reason};
        result.bytes.clear();
        return result;
    };
    // Something is there but holds no stations: say so rather than look empty.
    if (!info.exists())
        return failed(u"it is a link to "_s + QDir::toNativeSeparators(info.symLinkTarget()) +
                      u", which does not exist"_s);
    if (info.isDir())
        return failed(u"it is a folder, not a file"_s);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    const FileIdentity before = identityOf(file);
    reached(Moment::Opened);
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    if (settled(before) && identityOf(file) == before)
        result.identity = before;
    return result;
}

FileIdentity FileIo::identity(const QString& path) const {
    return identityAt(path);
}

std::optional<FileError> FileIo::write(const QString& path, QByteArrayView bytes,
                                       const ReadResult* readBefore) {
    QSaveFile file(path);
    QString written; // the written file's own name, where it is renamed here
    const auto failed = [&](const QString& reason) {
        if (!written.isEmpty())
            QFile::remove(written);
        file.cancelWriting(); // the temporary file goes, the old file stays
        return FileError{FileError::Operation::Write, path, reason};
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    constexpr qsizetype kChunk = 1 << 20;
    for (qsizetype at = 0; at < bytes.size(); at += kChunk)
        if (const auto reason =
                writeChunk(file, bytes.sliced(at, std::min(kChunk, bytes.size() - at))))
            return failed(*reason);
    // On disk before the checks, so that the replacement right after them only renames.
    if (!file.flush())
        return failed(file.errorString());
    if (const auto reason = syncToDisk(file))
        return failed(*reason);
    const QString target = finalPath(path);
    written = nameWritten(file, target);
    const auto changedMeanwhile = [&] {
        FileError changed = failed(u"another program changed it meanwhile"_s);
        changed.changedSinceRead = true;
        waitWhileWritten(path); // a save in place under way is let finish first
        return changed;
    };
    // An editor may have saved while this was being written: checked as late as possible.
    FileIdentity seen;
    if (readBefore) {
        QString problem;
        bool unchanged = stillHolds(path, *readBefore, seen, problem);
        if (!problem.isEmpty())
            return failed(problem);
        if (unchanged) {
            reached(Moment::Compared);
            // A save since the comparison opened the file, by rename or in place, shows here.
            unchanged = identityAt(path) == seen;
        }
        if (!unchanged)
            return changedMeanwhile();
    }
    reached(Moment::Replacing);
    if (written.isEmpty()) {
        if (!file.commit())
            return FileError{FileError::Operation::Write, path, file.errorString()};
        return std::nullopt;
    }
#ifdef Q_OS_LINUX
    // A save between the last check and the replacement is found by the replacement itself.
    if (readBefore) {
        const Replacement replaced = replaceKnowingWhat(written, target, seen, identityOf(file));
        using Outcome = Replacement::Outcome;
        if (replaced.outcome != Outcome::Unsupported) {
            written.clear(); // renamed, gone, or another program's file: not ours to remove
            switch (replaced.outcome) {
            case Outcome::Done:
                file.cancelWriting(); // only QSaveFile's own handle goes
                return std::nullopt;
            case Outcome::Changed:
                return changedMeanwhile();
            default:
                return failed(replaced.reason);
            }
        }
    }
#endif
    // QFile::rename never replaces a file.
    if (std::rename(QFile::encodeName(written).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return failed(qt_error_string(errno));
    written.clear();
    file.cancelWriting(); // only QSaveFile's own name or handle goes
    return std::nullopt;
}

WriterLock FileIo::lockWriters(const QString& path) {
    const QString lockName = lockPath(path);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        SystemLock::Outcome outcome;
        QString problem;
        if (std::shared_ptr<SystemLock> lock = SystemLock::tryLock(lockName, outcome, problem))
            return {std::move(lock), std::nullopt};
        const auto failed = [&](const QString& reason) {
            return WriterLock{nullptr, FileError{FileError::Operation::Write, path, reason}};
        };
        if (outcome == SystemLock::Outcome::Failed)
            return failed(u"its lock file "_s + QDir::toNativeSeparators(lockName) +
                          u" cannot be made: "_s + problem);
        if (waited.hasExpired(kLockWaitMs))
            return failed(u"another Norvane has been writing it for "_s +
                          QString::number(kLockWaitMs / 1000) + u" seconds"_s);
        writerBusy();
    }
}

void FileIo::clearAfterCrashedWriter(const QString& path) {
    const QString lockName = lockPath(path);
    const QDateTime locked = QFileInfo(lockName).lastModified();
    if (!locked.isValid())
        return; // no lock file: every writer finished
    SystemLock::Outcome outcome;
    QString problem;
    const std::unique_ptr<SystemLock> lock = SystemLock::tryLock(lockName, outcome, problem);
    if (!lock)
        return; // a writer is at work
    // Where QSaveFile cannot write an unnamed temporary file (Windows, FAT), it names it
    // "norvane.txt.XXXXXX", and a write on Linux names it so just before the rename. Only
    // those a dead writer wrote while it held the lock go; the lock file goes with the lock.
    const QFileInfo target(finalPath(path));
    const QStringList pattern{target.fileName() + u".??????"_s};
    for (const QFileInfo& left : target.dir().entryInfoList(pattern, QDir::Files | QDir::Hidden)) {
        const qint64 after = locked.msecsTo(left.lastModified());
        if (after >= -2000 && after <= kCrashedWriteMs) // FAT keeps times to two seconds
            QFile::remove(left.filePath());
    }
}

void FileIo::waitWhileWritten(const QString& path) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || !writerAtWork(file, path) ||
            waited.hasExpired(kWritingWaitMs))
            return;
        writerBusy();
    }
}

void FileIo::reached(Moment) {}

void FileIo::writerBusy() {
    QThread::msleep(20);
}

std::optional<QString> FileIo::writeChunk(QSaveFile& file, QByteArrayView chunk) {
    if (file.write(chunk.data(), chunk.size()) != chunk.size())
        return file.errorString();
    return std::nullopt;
}

} // namespace stationdb
