// The file layer: existence test, whole-file reads and atomic rewrites. Handlers reach the
// disk only through FileIo, so tests can make a write fail part-way.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

class QSaveFile;

namespace stationdb {

struct FileError {
    enum class Operation { Read, Write };
    Operation operation = Operation::Read;
    QString path;
    QString reason;

    // "Cannot write /path/norvane.txt: No space left on device ..." for the operator.
    QString message() const;
};

struct ReadResult {
    bool exists = false; // false: nothing at the path, which is a normal state
    QByteArray bytes;
    std::optional<FileError> error;
};

class FileIo {
public:
    virtual ~FileIo() = default;
    // A file exists when the path names a regular file (links followed).
    virtual bool exists(const QString& path) const;
    // The whole file in one read. A folder or a link to nowhere at the path is an error.
    virtual ReadResult read(const QString& path);
    // Replaces the file's whole content through a temporary file, so that a failed write
    // leaves the old file byte for byte as it was and no temporary file behind.
    virtual std::optional<FileError> write(const QString& path, QByteArrayView bytes);

protected:
    // One piece of a write: nothing, or why it failed. The seam through which tests fail a
    // write part-way.
    virtual std::optional<QString> writeChunk(QSaveFile& file, QByteArrayView chunk);
};

} // namespace stationdb
