#include "stationimport.h"

#include "stationdb/records.h"
#include "ui/text.h"

#include <QSet>
#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace edilog {

namespace {

bool holdsLine(const QByteArray& text, const QByteArray& line) {
    return text.startsWith(line + "\r\n") || text.contains("\r\n" + line + "\r\n");
}

} // namespace

QString AsFileText(const QString& pasted) {
    const auto beyond = [](QChar ch) { return ch.unicode() > 0xFF; };
    if (std::none_of(pasted.cbegin(), pasted.cend(), beyond))
        return pasted; // shared, not copied: the usual paste
    QString text = pasted;
    std::replace_if(text.begin(), text.end(), beyond, QChar(u'?'));
    return text;
}

std::vector<QsoRecord> PlainTextRecords(const QString& text) {
    constexpr qsizetype kCallStart = 7; // the callsign begins at the 8th character
    std::vector<QsoRecord> records;
    for (const QString& line : ui::splitAtCrLf(text)) {
        if (line.size() < kCallStart)
            continue;
        records.push_back(QsoRecord{line.sliced(kCallStart), line.first(6)});
    }
    return records;
}

StationImport AddNewStations(QByteArray workingText, const std::vector<QsoRecord>& stations) {
    std::vector<QByteArray> calls; // as the file holds them
    calls.reserve(stations.size());
    for (const QsoRecord& station : stations)
        calls.push_back(station.Call.toLatin1());
    stationdb::StoredCalls stored(workingText, QList<QByteArrayView>(calls.begin(), calls.end()));
    // The set holds no view into the text, so the records go onto its end in place.
    StationImport result{std::move(workingText), ui::kCrLf, 0};
    for (size_t i = 0; i < stations.size(); ++i) {
        if (calls[i].isEmpty() || stored.contains(QByteArrayView(calls[i])))
            continue;
        const QByteArray record = stations[i].Locator.toLatin1() + ' ' + calls[i];
        // A locator with a space in it reads back with part of it as the callsign; such a
        // record is recognised by its whole line, or every import would add it again.
        const bool storedAsLine =
            stations[i].Locator.contains(u' ') && holdsLine(result.workingText, record);
        stored.add(calls[i]); // a later line of the same station is passed over
        if (storedAsLine)
            continue;
        result.workingText += record + "\r\n";
        result.addedList += QString::fromLatin1(record) + u' ' + ui::kCrLf;
        ++result.added;
    }
    return result;
}

std::optional<stationdb::FileError> AddToDatabase(stationdb::StationDb& db,
                                                  const std::vector<QsoRecord>& stations,
                                                  StationImport& import, QByteArray* working) {
    // Made anew from the file's new content if someone else wrote it meanwhile.
    return db.updateDatabase(
        [&](const QByteArray& database) {
            import = AddNewStations(stationdb::workingBytes(database), stations);
            return std::exchange(import.workingText, {}); // not shared: no copy to rewrite it
        },
        working);
}

QString AddedMessage(const StationImport& import) {
    return u"Has been added "_s + QString::number(import.added) + u" new records "_s +
           import.addedList;
}

CallLocators::CallLocators(const QByteArray& database, const QStringList& calls)
    : database_(database) {
    std::vector<QByteArray> wantedBytes; // a character no file byte can be is in no record
    for (const QString& call : calls)
        if (std::optional<QByteArray> bytes = stationdb::toLatin1Exactly(call))
            wantedBytes.push_back(std::move(*bytes));
    const QSet<QByteArrayView> wanted(wantedBytes.begin(), wantedBytes.end());
    stationdb::forEachLine(database_, [&](QByteArrayView line) {
        const qsizetype space = line.indexOf(' ');
        if (space >= 0 && wanted.contains(line.sliced(space + 1)))
            locators_.insert(line.sliced(space + 1), line.first(space));
    });
}

CallLocators::Verdict CallLocators::compare(QStringView call, QStringView locator) const {
    // A character that no file byte can be is in no record.
    const std::optional<QByteArray> callBytes = stationdb::toLatin1Exactly(call);
    if (call.isEmpty() || !callBytes)
        return Verdict::NotStored;
    const auto [first, last] = locators_.equal_range(QByteArrayView(*callBytes));
    if (first == last)
        return Verdict::NotStored;
    const std::optional<QByteArray> locatorBytes = stationdb::toLatin1Exactly(locator);
    for (auto it = first; locatorBytes && it != last; ++it)
        if (*it == *locatorBytes)
            return Verdict::Agrees;
    return Verdict::Disagrees;
}

} // namespace edilog
