// The real sample EDI logs in tests/data/edi, and the logs of other programs (ADIF, ADX,
// Cabrillo) and the REG1TEST format's example in tests/data/logs.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

namespace testing_support {

inline QDir samplesDir() {
    return QDir(QStringLiteral(NORVANE_SAMPLES_DIR));
}

inline QDir logSamplesDir() {
    return QDir(QStringLiteral(NORVANE_LOGS_DIR));
}

// A file's bytes; none when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace testing_support
