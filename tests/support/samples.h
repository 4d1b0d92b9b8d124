// The real sample EDI logs in tests/data/edi, and one contest's logs in tests/data/contest.
#pragma once

#include <QDir>
#include <QString>

namespace testing_support {

inline QDir samplesDir() {
    return QDir(QStringLiteral(NORVANE_SAMPLES_DIR));
}

inline QDir contestDir() {
    return QDir(QStringLiteral(NORVANE_CONTEST_DIR));
}

} // namespace testing_support
