// The rules a contest's logs are checked by: logXchecker's rules file (an INI file:
// [contest], [bandN], [periodN], [categoryN], [extra]) read as that tool reads it, plus a
// [norvane] section for what it lacks. Without a file, the IARU Region 1 defaults.
#pragma once

#include "inifile.h"

#include <QByteArrayView>
#include <QDate>
#include <QRegularExpression>
#include <QString>
#include <QTime>
#include <optional>
#include <vector>

namespace crosscheck {

// A moment to the minute: minutes since 2000-01-01 00:00 UTC.
using Minute = qint32;
Minute MinuteOf(QDate date, QTime time);
QString MinuteText(Minute minute); // "2016-05-07 14:05"

struct BandRule {
    QString section;            // "band1"
    QString band;               // its band= value: "144"
    QString regexp;             // as written
    QRegularExpression pattern; // at the start of PBand, in any case
    qint64 multiplier = 1;
    qsizetype line = 0; // of the section
};

struct PeriodRule {
    Minute begin = 0, end = 0; // both included
    std::vector<int> bands;    // indexes into ContestRules::bands
};

struct CategoryRule {
    QString name;
    QString regexp;
    QRegularExpression pattern; // at the start of PSect, in any case
    QRegularExpression whole;   // the whole of PSect
    std::vector<int> bands;     // indexes into ContestRules::bands
    bool checkLogs = false;     // its logs confirm others' QSOs and are not ranked
};

// Who loses a QSO when one side copied something wrong.
enum class ErrorCost { OwnSide, BothSides };

struct ContestRules {
    QString name;              // [contest] name
    bool fromFile = false;     // false: the defaults below, every band, period and mode
    QString firstDay, lastDay; // [contest] begindate and enddate, YYYYMMDD: TDate within them
    Minute contestBegin = 0, contestEnd = 0; // with beginhour and endhour, both included
    std::vector<BandRule> bands;
    std::vector<PeriodRule> periods;
    std::vector<CategoryRule> categories;
    std::vector<int> modes; // REG1TEST mode codes; empty: any
    QString callRegexp;     // [extra] callregexp; empty: any call
    QRegularExpression callPattern;
    // Fields the header must give ([extra] name, email, address = yes).
    bool needName = false, needEmail = false, needAddress = false;

    // [norvane], with the IARU Region 1 defaults.
    int windowMinutes = 10;
    bool compareRst = false;
    ErrorCost errorCost = ErrorCost::OwnSide;
    bool nonEntrantsCount = true;
    int witnesses = 0;            // other logs needed for a QSO with a non-entrant
    qint64 bustedCallPenalty = 0; // a busted call costs this many times its own points more

    // The band whose regexp PBand matches first; -1 for none.
    int bandOf(QStringView pband) const;
    // The first period holding the band and the moment; -1 for none. Without periods: 0.
    int periodOf(int band, Minute minute) const;
    // The category of a log: of those that hold its band, the first whose regexp matches the
    // whole of PSect, else the first that matches its start ("SOMB" is single operator multi
    // band rather than "so", single operator on one band); -1 for none.
    int categoryOf(int band, QStringView psect) const;
    // Whether PCall, or a QSO's call, is one the rules accept.
    bool acceptsCall(QStringView call) const;
    bool acceptsMode(int code) const;
};

struct RulesFile {
    ContestRules rules;
    std::optional<IniError> error; // the line and what is wrong; the rules are then unusable
};

RulesFile ReadRules(QByteArrayView bytes);

} // namespace crosscheck
