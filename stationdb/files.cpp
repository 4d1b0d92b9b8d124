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

std::optional<FileError> FileIo::write(const QString& path, QByteArrayView bytes) {
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
    if (!file.commit())
        return FileError{FileError::Operation::Write, path, file.errorString()};
    return std::nullopt;
}

std::optional<QString> FileIo::writeChunk(QSaveFile& file, QByteArrayView chunk) {
    if (file.write(chunk.data(), chunk.size()) != chunk.size())
        return file.errorString();
    return std::nullopt;
}

} // namespace stationdb
