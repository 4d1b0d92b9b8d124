// The lists of other programs on arbitrary bytes: whatever a list holds, what it gives can be
// stored as records, and what an export writes, every format reads back as it was.
#include "bearing/locator.h"
#include "edilog/stationimport.h"
#include "stationlists/stationlists.h"

#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// A station as a record line: a locator and a call that cannot break the file's lines.
bool storable(const edilog::QsoRecord& station) {
    const QString& call = station.Call;
    const auto blank = [](QChar ch) { return ch == u' ' || ch == u'\t'; };
    return !call.isEmpty() && !call.contains(u'\r') && !call.contains(u'\n') &&
           !blank(call.front()) && !blank(call.back()) &&
           station.Locator == station.Locator.toUpper() &&
           bearing::IsMaidenheadLocator(station.Locator.toLatin1());
}

QStringList sorted(const std::vector<edilog::QsoRecord>& stations) {
    QStringList lines;
    for (const edilog::QsoRecord& station : stations)
        lines.append(station.Call + u' ' + station.Locator);
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype lines = bytes.count('\n') + bytes.count('\r') + 1;
    (void)stationlists::RecogniseListFormat(bytes, u"list.csl");
    for (const stationlists::ListFormatInfo& info : stationlists::kListFormats) {
        const stationlists::StationList list = stationlists::ReadStationList(bytes, info.format);
        if (qsizetype(list.stations.size()) + list.skipped > lines ||
            !std::all_of(list.stations.begin(), list.stations.end(), storable))
            std::abort();

        // Into an empty database, then out in every format and back.
        const edilog::StationImport import = edilog::AddNewStations({}, list.stations);
        for (const stationlists::ListFormatInfo& out : stationlists::kListFormats) {
            const stationlists::ExportedList exported =
                stationlists::WriteStationList(import.workingText, out.format, QDate(2024, 5, 1));
            if (exported.stations + exported.leftOut != import.added)
                std::abort();
            if (stationlists::RecogniseListFormat(exported.bytes, out.fileName) != out.format &&
                exported.stations > 0)
                std::abort();
            const stationlists::StationList back =
                stationlists::ReadStationList(exported.bytes, out.format);
            if (back.skipped != 0 || qsizetype(back.stations.size()) != exported.stations)
                std::abort();
            // Everything read back was in the list, with the same locator.
            const QStringList all = sorted(list.stations);
            for (const QString& line : sorted(back.stations))
                if (!all.contains(line))
                    std::abort();
        }
    }
    return 0;
}
