// norvane check|add|lookup|turn|import|export|verify|convert|crosscheck: the windows' own commands,
// run on files and printed instead of shown, for scripts and remote shells. No window is ever made.
#pragma once

#include "station/settings.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace cli {

// What `norvane --help` lists.
inline constexpr char16_t kCommandsHelp[] =
    u"Commands (run without a window):\n"
    u"  check LOG...   check each log's locators against the database, as \"Check\" does\n"
    u"  add LOG...     add each log's new stations to the database, as \"Add EDI\" does\n"
    u"  lookup CALL    what typing CALL into the call field shows\n"
    u"  turn CALL|LOCATOR [--long-path]\n"
    u"                 turn the antenna to the bearing the main window shows (rotctld)\n"
    u"  turn --stop    stop the antenna\n"
    u"  import LIST... [--format FORMAT]\n"
    u"                 add the new stations of other programs' call/locator lists\n"
    u"  export FORMAT [FILE]\n"
    u"                 write the database as such a list (to standard output without FILE)\n"
    u"  verify LOG... [--json] [--fix OUT.edi]\n"
    u"                 check each log against the REG1TEST rules, recompute its points and\n"
    u"                 claims; --fix writes a corrected copy\n"
    u"  convert LOG... -o OUT.edi|FOLDER [--band BAND] [--from UTC] [--to UTC] [--call CALL]\n"
    u"      [--locator LOCATOR] [--section SECTION] [--contest NAME] [--header OLD.edi]\n"
    u"                 write an ADIF, ADX, Cabrillo or EDI log as REG1TEST, one file a band\n"
    u"                 (CALL_144.edi in FOLDER), with points and claims that verify\n"
    u"  crosscheck LOG... [--check-log LOG...] [--rules FILE] [-o FOLDER] [--json] [--as CALL]\n"
    u"                 check a contest's logs (files or folders) against each other, as the\n"
    u"                 contest robot does: every QSO's verdict, the results; -o writes\n"
    u"                 results.csv, results.json, index.html and a UBN report per log;\n"
    u"                 --as CALL shows that station's QSOs alone\n"
    u"  map [--size WxH] [--radius KM] [--call PREFIX | --locator PREFIX] [--target LOCATOR]\n"
    u"      -o FILE.png\n"
    u"                 draw the map around the own locator with the stations those fields list;\n"
    u"                 KM from 1; 19970 (the rim) or more, 20000 say, draws the whole world\n"
    u"FORMAT is call3 (WSJT-X CALL3.TXT), n1mm (N1MM Logger+ call history), cw (Tucnak C_W),\n"
    u"csl (Minos archive list) or csv (Call,Locator); an import recognises it from the content.\n";

// Inline: the command program asks it without linking the commands that take the windows'
// libraries.
inline bool isCommand(QStringView word) {
    for (const char16_t* command : {u"check", u"add", u"lookup", u"turn", u"import", u"export",
                                    u"map", u"verify", u"crosscheck", u"convert"})
        if (word == QStringView(command))
            return true;
    return false;
}

// Runs a command on the data in `dataDirectory` and returns the exit status: 0 when all went
// through (check: no locator disagrees), 1 when check found disagreements, 2 on a usage or
// file error, which `err` names; nothing is then written. import takes "--format FORMAT"
// among its arguments. `rotator` (--rotator) stands for the station settings' rotator.
int runCommand(const QString& command, const QStringList& arguments, const QString& dataDirectory,
               QTextStream& out, QTextStream& err,
               const std::optional<station::RotatorAddress>& rotator = std::nullopt);

} // namespace cli
