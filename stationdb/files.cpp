#include "files.h"

#include "systemlock.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>
#include <cstring>

using namespace Qt::StringLiterals;

namespace stationdb {

namespace {

// How long an import waits for another one to finish; an import takes well under a second.
constexpr int kLockWaitMs = 5000;
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

// Whether the file still holds what an earlier read found, compared a piece at a time: a
// second whole copy of a large database would cost more than the comparison. `problem` says
// why the file could not be read.
bool stillHolds(const QString& path, const ReadResult& before, QString& problem) {
    if (!QFileInfo::exists(path))
        return !before.exists;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
        return false;
    }
    if (!before.exists || file.size() != before.bytes.size())
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
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    return result;
}

std::optional<FileError> FileIo::write(const QString& path, QByteArrayView bytes,
                                       const ReadResult* readBefore) {
    QSaveFile file(path);
    const auto failed = [&](const QString& reason) {
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
    // Checked as late as possible: an editor may have saved while this was being written.
    if (readBefore) {
        QString problem;
        if (!stillHolds(path, *readBefore, problem)) {
            if (!problem.isEmpty())
                return failed(problem);
            FileError changed = failed(u"another program changed it meanwhile"_s);
            changed.changedSinceRead = true;
            return changed;
        }
    }
    if (!file.commit())
        return FileError{FileError::Operation::Write, path, file.errorString()};
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
    // "norvane.txt.XXXXXX". Only those a dead writer wrote while it held the lock go; the
    // lock file goes with the lock.
    const QFileInfo target(finalPath(path));
    const QStringList pattern{target.fileName() + u".??????"_s};
    for (const QFileInfo& left : target.dir().entryInfoList(pattern, QDir::Files | QDir::Hidden)) {
        const qint64 after = locked.msecsTo(left.lastModified());
        if (after >= -2000 && after <= kCrashedWriteMs) // FAT keeps times to two seconds
            QFile::remove(left.filePath());
    }
}

void FileIo::writerBusy() {
    QThread::msleep(20);
}

std::optional<QString> FileIo::writeChunk(QSaveFile& file, QByteArrayView chunk) {
    if (file.write(chunk.data(), chunk.size()) != chunk.size())
        return file.errorString();
    return std::nullopt;
}

} // namespace stationdb
