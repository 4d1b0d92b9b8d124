#include "files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace stationdb {

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
    if (!exists(path))
        return result;
    result.exists = true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = FileError{FileError::Operation::Read, path, file.errorString()};
        return result;
    }
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = FileError{FileError::Operation::Read, path, file.errorString()};
        result.bytes.clear();
    }
    return result;
}

std::optional<FileError> FileIo::write(const QString& path, QByteArrayView bytes) {
    QSaveFile file(path);
    const auto failed = [&] {
        const QString reason = file.errorString();
        file.cancelWriting();
        return FileError{FileError::Operation::Write, path, reason};
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed();
    constexpr qsizetype kChunk = 1 << 20;
    for (qsizetype at = 0; at < bytes.size(); at += kChunk)
        if (!writeChunk(file, bytes.sliced(at, std::min(kChunk, bytes.size() - at))))
            return failed();
    if (!file.commit())
        return FileError{FileError::Operation::Write, path, file.errorString()};
    return std::nullopt;
}

bool FileIo::writeChunk(QSaveFile& file, QByteArrayView chunk) {
    return file.write(chunk.data(), chunk.size()) == chunk.size();
}

} // namespace stationdb
