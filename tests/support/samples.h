// The real sample EDI logs in tests/data/edi.
#pragma once

#include <QDir>
#include <QString>

namespace testing_support {

inline QDir samplesDir() {
    return QDir(QStringLiteral(NORVANE_SAMPLES_DIR));
}

} // namespace testing_support
