// The model of a contest log, whatever format it came in: the header's fields and the QSOs,
// each with the line (or ADIF record) it came from, and what the reader noticed on the way.
// Readers (reader.h) fill it; the REG1TEST writer (ediwriter.h) writes it. Verification,
// conversion and cross-checks work on it, never on the bytes.
#pragma once

#include "bands.h"
#include "finding.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>
#include <vector>

namespace contestlog {

enum class Format { Unknown, Reg1test, Adif, Adx, Cabrillo };
QString FormatName(Format format); // "REG1TEST", "ADIF", "ADX", "Cabrillo", "unknown"

// One line of the header (REG1TEST Key=value, ADIF <NAME:n>value, Cabrillo KEY: value).
struct HeaderField {
    // The name the field goes by. REG1TEST: the table's spelling of a known key ("PCall" for
    // "pcall=" or "PCall:"; a near miss of a key the log lacks, "CsExcs" with no CExcs, counts
    // as that key), empty for an unknown key or a line that is not Key=value. ADIF, ADX and
    // Cabrillo: the format's own name in capitals ("PROGRAMID", "CALLSIGN", "CATEGORY-BAND").
    QString key;
    QString written;    // the name as the log spells it; empty for a line that is not Key=value
    QString value;      // spaces around it dropped; the whole line when it is not Key=value
    qsizetype line = 0; // 1-based line of the log (ADIF: the line of the field's tag)
};

// A line kept as it stands: a REG1TEST remark, preamble, stray or trailer line.
struct SourceLine {
    qsizetype line = 0;
    QString text;
};

// One QSO as the log gives it. Texts are as written, spaces around them dropped (REG1TEST
// keeps the line's own in `fields`); what they read as (date, time, mode, band, points) sits
// beside them, empty or invalid where a text reads as nothing.
struct Qso {
    qsizetype line = 0; // 1-based line the QSO starts on (ADIF: its first tag; ADX: <RECORD>)
    // 1-based place among the log's records: the ADIF or ADX record number (the findings' own
    // `record`), the n-th QSO: line of Cabrillo, the n-th record line of REG1TEST.
    qsizetype record = 0;

    QDate date;   // UTC; invalid when the log gives none, or none that reads as a date
    QTime time;   // UTC, to the minute (ADIF: to the second when it has them); invalid likewise
    QString call; // the worked station, as written (case kept); REG1TEST's "ERROR" stays

    Mode mode = Mode::None;
    // The log's own name of the mode: REG1TEST the code ("1"), ADIF SUBMODE or else MODE
    // ("FT8", "USB", "CW"), Cabrillo "PH", "CW" ...
    QString modeText;
    QString sentRst, receivedRst;       // as written: "59", "599", "59A", "-13"
    QString sentNumber, receivedNumber; // the serials, as written ("001", "0012", "12")
    // Text exchanges: REG1TEST's received exchange (field 9); ADIF STX_STRING/SRX_STRING;
    // Cabrillo: what the exchange holds beside the RST, the serial and the grid.
    QString sentExchange, receivedExchange;
    // The worked station's locator, as written (case kept): REG1TEST field 10, ADIF GRIDSQUARE
    // with GRIDSQUARE_EXT appended (10 or 12 characters), Cabrillo's grid.
    QString locator;
    QStringList vuccGrids; // ADIF VUCC_GRIDS: the 2 or 4 squares of a QSO on a line or corner
    // The own station for this QSO, where the format says it per QSO: ADIF STATION_CALLSIGN
    // (else OPERATOR) and MY_GRIDSQUARE (+ _EXT); Cabrillo the sent call and grid, which a
    // rover changes through the log. Empty in REG1TEST, whose PCall and PWWLo say it once;
    // ContestLog::stationCall and stationLocator answer for every format.
    QString ownCall, ownLocator;
    Band band = Band::None;  // REG1TEST: the header's PBand for every QSO
    double frequencyMHz = 0; // ADIF FREQ, Cabrillo kHz; 0 when the log gives none

    // What REG1TEST claims for the QSO: points (field 11, when a number) and the flags of
    // fields 12 to 15 (a field holding anything counts as set). Other formats leave them as
    // they are; the verifier computes them.
    std::optional<qint64> points;
    bool newExchange = false;
    bool newLocator = false;
    bool newDxcc = false;
    bool duplicate = false;

    // REG1TEST only: the record line's fields exactly as written (split at ';', padding and
    // all), which the format's rules check; empty for other formats.
    QStringList fields;
    // REG1TEST: false for a record line without 15 fields (16 with an empty last one is read
    // as 15): its other members stay empty, and `fields` holds what the line held.
    bool readable = true;
};

// What only a REG1TEST log has: where its sections stand, and the lines that belong nowhere.
struct EdiLayout {
    bool sawStart = false;                 // [REG1TEST;1] (or a near miss), or a header without it
    qsizetype remarksLine = 0;             // the line of [Remarks]; 0 when there is none
    qsizetype recordsLine = 0;             // the line of [QSORecords;N]; 0 when there is none
    std::optional<qint64> declaredRecords; // N, when it is a number
    std::vector<SourceLine> preamble;      // non-empty lines before [REG1TEST;1] (a mail's lines)
    std::vector<SourceLine> strays;  // lines in brackets that name no section, outside remarks
    std::vector<SourceLine> trailer; // [END...] and every line after it
    // ReadReg1testLayout only, in place of the QSOs: each record line, and whether it has 15
    // fields (16 with an empty last one).
    struct RecordLine {
        qsizetype line = 0;
        bool readable = false;
    };
    std::vector<RecordLine> recordLines;
};

struct ContestLog {
    Format format = Format::Unknown;
    std::vector<HeaderField> header; // in the order of the log
    std::vector<SourceLine> remarks; // REG1TEST [Remarks]; empty for the other formats
    std::vector<Qso> qsos;           // in the order of the log
    // What the reader noticed, in line order: what it tolerated and what it could not read.
    // At most 100 of each code; a "more" note then says how many more there were.
    std::vector<Finding> findings;
    EdiLayout edi; // REG1TEST only

    // The first field of that key (case-insensitive), or none.
    const HeaderField* field(QStringView key) const;
    QString value(QStringView key) const; // its value; empty when there is none
    // Sets the first field of that key, or appends one (line 0) when there is none.
    void setValue(const QString& key, const QString& value);

    // The own station of a QSO: the QSO's own call or locator when the format gives one per
    // QSO, else the header's (REG1TEST PCall/PWWLo, Cabrillo CALLSIGN/GRID-LOCATOR).
    QString stationCall(const Qso& qso) const;
    QString stationLocator(const Qso& qso) const;

    qsizetype count(Severity severity) const { return CountFindings(findings, severity); }
};

} // namespace contestlog
