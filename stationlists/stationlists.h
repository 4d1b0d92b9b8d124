// Call/locator lists of other programs, read and written as bytes: WSJT-X's CALL3.TXT, the
// call history of N1MM Logger+, Tucnak's C_W, a Minos archive list (.csl) and a plain
// spreadsheet file.
#pragma once

#include "edilog/qsorecord.h"
#include "edilog/stationimport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

namespace stationlists {

using edilog::QsoRecord; // a station: the call and the locator that an import adds

enum class ListFormat { Call3, N1mm, Cw, Csl, Csv };

struct ListFormatInfo {
    ListFormat format;
    QStringView name;     // on the command line
    QStringView title;    // in a file dialog
    QStringView patterns; // the file dialog's name filter
    QStringView fileName; // what an export is called unless the operator says otherwise
    bool crLf;            // line ends: CR LF for the Windows programs' files, else LF
};

inline constexpr std::array<ListFormatInfo, 5> kListFormats{{
    {ListFormat::Call3, u"call3", u"WSJT-X CALL3.TXT", u"*.txt *.TXT", u"CALL3.TXT", true},
    {ListFormat::N1mm, u"n1mm", u"N1MM Logger+ call history", u"*.txt *.TXT *.csv",
     u"norvane-call-history.txt", true},
    {ListFormat::Cw, u"cw", u"Tucnak C_W", u"tucnakcw *.txt", u"tucnakcw", false},
    {ListFormat::Csl, u"csl", u"Minos archive list", u"*.csl *.CSL", u"norvane.csl", true},
    {ListFormat::Csv, u"csv", u"Spreadsheet (Call, Locator)", u"*.csv *.CSV", u"norvane.csv", true},
}};

const ListFormatInfo& ListFormatOf(ListFormat format);
std::optional<ListFormat> ListFormatNamed(QStringView name);
// "call3, n1mm, cw, csl, csv"
QString ListFormatNames();

// The format a list's content shows: "!!Order!!" is N1MM's, "//" comments are WSJT-X's, a
// call, a locator and an eight-digit date in columns are Tucnak's, a "Call,Locator" header a
// spreadsheet's. Lines of a call and a locator separated by commas are Minos' when '#'
// comments or the file's ".csl" name say so, else WSJT-X's; N1MM's without a header have
// the name between them. Nothing when no line tells.
std::optional<ListFormat> RecogniseListFormat(QByteArrayView bytes, QStringView fileName = {});

struct StationList {
    std::vector<QsoRecord> stations; // file order; locators upper-cased, calls as written
    qsizetype skipped = 0;           // station lines with an empty call or no valid locator
};

// The stations of a list. Blank lines, comments, headers and WSJT-X's "ZZZZ" end mark are
// no station lines; a line break is CR LF, LF or CR; a UTF-8 byte order mark is passed over.
// A locator is valid when it is a 4- or 6-character Maidenhead locator.
StationList ReadStationList(QByteArrayView bytes, ListFormat format);
// The same onto the end of `stations`, as the file holds them; gives the number skipped.
qsizetype ReadStations(QByteArrayView bytes, ListFormat format, edilog::StationBytes& stations);

struct ExportedList {
    QByteArray bytes;
    qsizetype stations = 0;
    qsizetype leftOut = 0; // records without a valid locator, or whose call has a character
                           // that no list can hold (space, comma, quote, beyond ASCII)
};

// One line per call of the database in byte order, with the locator of its last valid
// record, upper-cased; Tucnak's date is `today`.
ExportedList WriteStationList(QByteArrayView database, ListFormat format, QDate today);

} // namespace stationlists
