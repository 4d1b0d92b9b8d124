#include "stationimport.h"

#include "stationdb/records.h"
#include "ui/text.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace edilog {

namespace {

bool holdsLine(QByteArrayView text, QByteArrayView line) {
    const QByteArray withEnd = line.toByteArray() + "\r\n";
    return text.startsWith(withEnd) || text.contains("\r\n" + withEnd);
}

// As QString::toLatin1() does it, onto the end of `bytes`: a character beyond Latin-1 becomes
// '?'.
void appendLatin1(QByteArray& bytes, QStringView text) {
    const qsizetype start = bytes.size();
    bytes.resize(start + text.size());
    char* out = bytes.data() + start;
    for (const QChar ch : text)
        *out++ = ch.unicode() > 0xFF ? '?' : char(ch.unicode());
}

// Room for every record of `stations`, with its separator and CR LF.
qsizetype recordsSize(const std::vector<QsoRecord>& stations) {
    qsizetype size = 0;
    for (const QsoRecord& station : stations)
        size += station.Locator.size() + 1 + station.Call.size() + 2;
    return size;
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
    // The calls as the file holds them, side by side in one block: a hundred thousand
    // allocations of a few bytes cost more than the presence test.
    QByteArray callBytes;
    callBytes.reserve(recordsSize(stations));
    for (const QsoRecord& station : stations)
        appendLatin1(callBytes, station.Call);
    QList<QByteArrayView> calls;
    calls.reserve(qsizetype(stations.size()));
    for (qsizetype at = 0; const QsoRecord& station : stations) {
        calls.append(QByteArrayView(callBytes).sliced(at, station.Call.size()));
        at += station.Call.size();
    }
    stationdb::StoredCalls stored(workingText, calls);
    // The set holds no view into the text, so the records go onto its end in place.
    StationImport result{std::move(workingText), ui::kCrLf, 0};
    QByteArray& working = result.workingText;
    for (size_t i = 0; i < stations.size(); ++i) {
        const QByteArrayView call = calls[qsizetype(i)];
        if (call.isEmpty() || stored.containsWanted(qsizetype(i)))
            continue;
        const qsizetype start = working.size();
        appendLatin1(working, stations[i].Locator);
        working.append(' ').append(call);
        const QByteArrayView record = QByteArrayView(working).sliced(start);
        // A locator with a space in it reads back with part of it as the callsign; such a
        // record is recognised by its whole line, or every import would add it again.
        const bool storedAsLine = stations[i].Locator.contains(u' ') &&
                                  holdsLine(QByteArrayView(working).first(start), record);
        stored.addWanted(qsizetype(i)); // a later line of the same station is passed over
        if (storedAsLine) {
            working.truncate(start);
            continue;
        }
        result.addedList.append(QLatin1StringView(record)).append(u' ').append(ui::kCrLf);
        working.append("\r\n");
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
            import =
                AddNewStations(stationdb::workingBytes(database, recordsSize(stations)), stations);
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
    // The table of the imports finds them: a test of one bit for most records.
    const stationdb::StoredCalls stored(
        database_, QList<QByteArrayView>(wantedBytes.begin(), wantedBytes.end()),
        [this](QByteArrayView call, QByteArrayView locator) { locators_.insert(call, locator); });
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
