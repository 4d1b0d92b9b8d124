// QSO records taken out of REG1TEST (EDI) contest log text.
#pragma once

#include <QString>
#include <vector>

namespace edilog {

struct QsoRecord {
    QString Call;    // the worked station's callsign, exactly as the line holds it
    QString Locator; // the locator it sent, exactly as the line holds it
};

std::vector<QsoRecord> ExtractQsoRecords(const QString& logText);

} // namespace edilog
