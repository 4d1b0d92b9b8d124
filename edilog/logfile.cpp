#include "logfile.h"

#include "contestlog/text.h"
#include "conversion.h"
#include "ui/text.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace edilog {

namespace {

// Far more than any contest log; a file this large was chosen by mistake.
constexpr qint64 kMaxLogBytes = qint64(64) << 20;

} // namespace

LogBytes ReadLogBytes(const QString& path) {
    const auto failed = [&](const QString& reason) {
        return LogBytes{{},
                        stationdb::FileError{stationdb::FileError::Operation::Read, path, reason}};
    };
    const QString tooLarge = u"it is larger than 64 MB, which no contest log is"_s;
    if (QFileInfo(path).isDir())
        return failed(u"it is a folder, not a file"_s);
    if (QFileInfo(path).size() > kMaxLogBytes)
        return failed(tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    // A device need not know its size; a file is read into room of its own size, not 64 MB,
    // and on if it grew meanwhile.
    const qint64 expected =
        file.isSequential() ? kMaxLogBytes : std::min(file.size(), kMaxLogBytes);
    QByteArray bytes = file.read(expected + 1);
    if (bytes.size() > expected && bytes.size() <= kMaxLogBytes)
        bytes += file.read(kMaxLogBytes + 1 - bytes.size());
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    if (bytes.size() > kMaxLogBytes)
        return failed(tooLarge);
    return {bytes, std::nullopt};
}

LogText ReadLogFile(const QString& path) {
    LogBytes log = ReadLogBytes(path);
    if (log.error)
        return {{}, std::move(log.error)};
    // Other programs' logs give the QSO lines a conversion to REG1TEST gives.
    return {LogTextForChecks(log.bytes, QFileInfo(path).fileName()), std::nullopt};
}

QString DecodeLogBytes(QByteArrayView bytes) {
    return ui::crLfLineBreaks(contestlog::DecodeLogText(bytes));
}

LogText ReadLogFiles(const QStringList& paths) {
    LogText all;
    for (const QString& path : paths) {
        LogText log = ReadLogFile(path);
        if (log.error)
            return log;
        all.text += log.text;
        if (!all.text.isEmpty() && !all.text.endsWith(ui::kCrLf))
            all.text += ui::kCrLf; // the next log starts on a line of its own
    }
    return all;
}

} // namespace edilog
