// A locator list's lines counted by their first four characters, read plainly: what the
// lookups' index counts for a one-character call key.
#pragma once

#include "stationdb/lookupindex.h"

#include <QString>
#include <map>
#include <vector>

namespace testing_support {

inline std::vector<stationdb::LocatorStart> locatorStartsOf(const QString& list) {
    std::map<quint32, quint32> counted;
    for (const QString& line : list.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        quint32 fourBytes = 0;
        for (qsizetype k = 0; k < 4; ++k)
            fourBytes = fourBytes << 8 | (k < line.size() ? line[k].unicode() & 0xFF : 0);
        ++counted[fourBytes];
    }
    std::vector<stationdb::LocatorStart> starts;
    for (const auto& [fourBytes, lines] : counted)
        starts.push_back({fourBytes, lines});
    return starts;
}

} // namespace testing_support
