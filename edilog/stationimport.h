// What the log window's commands do with station records, apart from the window itself:
// the plain-text import's line layout, the exact presence test of both imports, and the
// call index the log check compares against.
#pragma once

#include "qsorecord.h"
#include "stationdb/stationdb.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMultiHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <utility>
#include <vector>

namespace edilog {

// Pasted text as the database file can hold it: a character beyond Latin-1 becomes '?', as
// the rewrite would store it, so that an import compares exactly what it will store and a
// second import of the same log finds everything the first one added.
QString AsFileText(const QString& pasted);

// Stations given as plain lines in the database's own layout: the locator in characters 1
// to 6, any separator in 7, the callsign from 8 to the end (trailing spaces kept). Lines
// shorter than 7 characters have no callsign position and give nothing.
std::vector<QsoRecord> PlainTextRecords(const QString& text);

// Stations as the file holds them, Latin-1 bytes side by side in one block: an import of a
// long list makes no string per station.
class StationBytes {
public:
    StationBytes() = default;
    // A character beyond Latin-1 becomes '?' (AsFileText).
    explicit StationBytes(const std::vector<QsoRecord>& stations);
    // Room for that many more.
    void reserve(qsizetype stations, qsizetype bytes);
    // The locator's letters are stored as capitals: lists write them either way.
    void add(QByteArrayView call, QByteArrayView locator);

    qsizetype size() const { return qsizetype(stations_.size()); }
    QByteArrayView call(qsizetype i) const {
        const Station& s = stations_[size_t(i)];
        return QByteArrayView(bytes_).sliced(s.call, s.callSize);
    }
    QByteArrayView locator(qsizetype i) const {
        const Station& s = stations_[size_t(i)];
        return QByteArrayView(bytes_).sliced(s.call + s.callSize, s.locatorSize);
    }
    // Room for every station as a record: its separator and CR LF too.
    qsizetype recordsSize() const { return bytes_.size() + 3 * size(); }

private:
    struct Station { // places, not views: the block moves as it grows
        qsizetype call;
        qsizetype callSize;
        qsizetype locatorSize; // the locator follows the call
    };
    QByteArray bytes_;
    std::vector<Station> stations_;
};

struct StationImport {
    QByteArray workingText; // the working text given, with the new records appended
    QString addedList;      // CR LF, then "LOCATOR CALL " and CR LF per new record
    qsizetype added = 0;
};

// Appends, in order, every station whose callsign no record holds yet, compared exactly and
// case-sensitively: a station listed twice is added once, with its first locator, and an
// empty callsign is never added.
// The stations hold no character beyond Latin-1 (AsFileText).
StationImport AddNewStations(QByteArray workingText, const StationBytes& stations);
inline StationImport AddNewStations(QByteArray workingText,
                                    const std::vector<QsoRecord>& stations) {
    return AddNewStations(std::move(workingText), StationBytes(stations));
}

// AddNewStations on the database file, replaced as one step that no other writer can slip into
// (StationDb::updateDatabase); on success `import` tells what was added, and `working`, if
// given, receives the new working text.
std::optional<stationdb::FileError> AddToDatabase(stationdb::StationDb& db,
                                                  const StationBytes& stations,
                                                  StationImport& import,
                                                  QByteArray* working = nullptr);
// What "Add EDI" tells: "Has been added 2 new records ", then the list of them.
QString AddedMessage(const StationImport& import);

// The locators the database holds for given exact callsigns (the text after a record line's
// first space; the locator is the text before it). Only the calls asked for at construction
// are indexed, and compare() knows no others: a log check asks about its own QSOs alone, and
// a million records cost more to index whole than to scan once for a thousand calls.
class CallLocators {
public:
    CallLocators(const QByteArray& database, const QStringList& calls);

    const QByteArray& database() const { return database_; }

    enum class Verdict {
        NotStored, // no record has exactly this callsign
        Agrees,    // some record of the callsign holds exactly this locator
        Disagrees, // records of the callsign exist, none at this locator
    };
    Verdict compare(QStringView call, QStringView locator) const;

private:
    QByteArray database_;                                 // keeps the views below valid
    QMultiHash<QByteArrayView, QByteArrayView> locators_; // callsign -> locator
};

} // namespace edilog
