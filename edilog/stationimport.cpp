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

StationBytes::StationBytes(const std::vector<QsoRecord>& stations) {
    qsizetype bytes = 0;
    for (const QsoRecord& station : stations)
        bytes += station.Call.size() + station.Locator.size();
    reserve(qsizetype(stations.size()), bytes);
    for (const QsoRecord& station : stations) {
        const qsizetype start = bytes_.size();
        appendLatin1(bytes_, station.Call);
        appendLatin1(bytes_, station.Locator);
        stations_.push_back({start, station.Call.size(), station.Locator.size()});
    }
}

void StationBytes::reserve(qsizetype stations, qsizetype bytes) {
    stations_.reserve(stations_.size() + size_t(stations));
    bytes_.reserve(bytes_.size() + bytes);
}

void StationBytes::add(QByteArrayView call, QByteArrayView locator) {
    const qsizetype start = bytes_.size();
    stations_.push_back({start, call.size(), locator.size()});
    bytes_.resize(start + call.size() + locator.size());
    char* out = std::copy(call.begin(), call.end(), bytes_.data() + start);
    for (const char ch : locator)
        *out++ = ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch;
}

StationImport AddNewStations(QByteArray workingText, const StationBytes& stations) {
    QList<QByteArrayView> calls;
    calls.reserve(stations.size());
    for (qsizetype i = 0; i < stations.size(); ++i)
        calls.append(stations.call(i));
    stationdb::StoredCalls stored(workingText, calls);
    // The set holds no view into the text, so the records go onto its end in place.
    StationImport result{std::move(workingText), ui::kCrLf, 0};
    QByteArray& working = result.workingText;
    for (qsizetype i = 0; i < stations.size(); ++i) {
        const QByteArrayView call = calls[i];
        if (call.isEmpty() || stored.containsWanted(i))
            continue;
        const QByteArrayView locator = stations.locator(i);
        const qsizetype start = working.size();
        working.append(locator).append(' ').append(call);
        const QByteArrayView record = QByteArrayView(working).sliced(start);
        // A locator with a space in it reads back with part of it as the callsign; such a
        // record is recognised by its whole line, or every import would add it again.
        const bool storedAsLine =
            locator.contains(' ') && holdsLine(QByteArrayView(working).first(start), record);
        stored.addWanted(i); // a later line of the same station is passed over
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
                                                  const StationBytes& stations,
                                                  StationImport& import, QByteArray* working) {
    // Made anew from the file's new content if someone else wrote it meanwhile.
    return db.updateDatabase(
        [&](const QByteArray& database) {
            import =
                AddNewStations(stationdb::workingBytes(database, stations.recordsSize()), stations);
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
