// The command line against the windows: the same log, the same buttons, the same texts.
#include "cli/commands.h"
#include "edilog/logfile.h"
#include "support/program_fixture.h"
#include "support/samples.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

class CommandLineTest : public testing_support::ProgramTest {
protected:
    int run(const QString& command, const QString& argument, QString& output, QString& errors) {
        QTextStream out(&output), err(&errors);
        return cli::runCommand(command, {argument}, dir.path(), out, err);
    }
};

TEST_F(CommandLineTest, EachCommandPrintsWhatTheWindowsShow) {
    const QByteArray database = "JN86KU HG1Z\r\nJN95KJ 9A4V\r\n"_b; // 9A4V logged in JN95KI
    const QString log = testing_support::samplesDir().filePath(u"log-144mhz-large.edi"_s);
    // Another program's log gives the window and the commands the same EDI text.
    const QString adif = testing_support::logSamplesDir().filePath(u"logger32-4.0.adi"_s);
    const auto inLogWindow = [&](const char16_t* opener, const char16_t* button,
                                 const QString& log) {
        return [=, this] {
            form(u"Form1").button(opener).click();
            box(u"Form3", u"Text1").setText(edilog::ReadLogFile(log).text);
            form(u"Form3").button(button).click();
            QString shown;
            for (const QString& message : dialogs.messages)
                shown += QString(message).replace(u"\r\n"_s, u"\n"_s) +
                         (message.endsWith(u"\r\n"_s) ? u""_s : u"\n"_s);
            return shown;
        };
    };
    const auto typedCall = [this] { // the window's fields, which the output must name
        type(u"Form1", u"Text2", u"hg1"_s);
        return QStringList{
            text(u"Form1", u"Text4").trimmed(), form(u"Form1").label(u"Label3").caption(),
            form(u"Form1").label(u"Label4").caption(), text(u"Form1", u"Text3").trimmed()}
            .join(u'\n');
    };
    const struct {
        QString command, argument;
        std::function<QString()> window;
        int status;
    } cases[] = {
        {u"check"_s, log, inLogWindow(u"Command2", u"Command3", log), 1},
        {u"add"_s, log, inLogWindow(u"Command3", u"Command1", log), 0},
        {u"check"_s, adif, inLogWindow(u"Command2", u"Command3", adif), 0},
        {u"add"_s, adif, inLogWindow(u"Command3", u"Command1", adif), 0},
        {u"lookup"_s, u"hg1"_s, typedCall, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        start(database);
        dialogs.messages.clear();
        const QString shown = c.window();
        const QByteArray afterWindow = readFile("norvane.txt");
        program.reset();
        writeFile("norvane.txt", database);
        QString output, errors;
        EXPECT_EQ(run(c.command, c.argument, output, errors), c.status);
        EXPECT_EQ(errors, QString());
        if (c.command == u"lookup"_s)
            for (const QString& line : shown.split(u'\n'))
                EXPECT_TRUE(output.contains(line))
                    << line.toStdString() << " in " << output.toStdString();
        else
            EXPECT_EQ(output, shown);
        EXPECT_EQ(readFile("norvane.txt"), afterWindow);
    }
}

TEST_F(CommandLineTest, AFileErrorIsToldAndNothingIsWritten) {
    start("JN86KU HG1Z\r\n"_b);
    QString output, errors;
    QFile gone(dir.filePath(u"gone.edi"_s));
    ASSERT_FALSE(gone.open(QIODevice::ReadOnly)); // for the system's own words for it
    EXPECT_EQ(run(u"add"_s, gone.fileName(), output, errors), 2);
    EXPECT_EQ(errors, u"Cannot read "_s + QDir::toNativeSeparators(gone.fileName()) + u": "_s +
                          gone.errorString() + u"\n"_s);
    EXPECT_EQ(readFile("norvane.txt"), "JN86KU HG1Z\r\n"_b);
}

TEST_F(CommandLineTest, ListsOfOtherProgramsComeAndGo) {
    const QByteArray held = "JO60AB Q1HELD\r\nJN8 Q1BAD\r\n"_b;
    const QByteArray unchanged;
    const struct {
        const char* name;
        QStringList arguments; // LIST: the list file's path
        QByteArray list;
        int status;
        QString output, errors;
        QByteArray added; // the records after the held ones; none: the database unchanged
        QByteArray listAfter = {};
    } cases[] = {
        {"call3: comments, a lower-case grid, the end mark, LF",
         {u"import"_s, u"LIST"_s},
         "// CALL3.TXT\n9A2AE,JN86HF,,,\nF4GLD,JN18aa,EME,,\nQ1HELD,JO60AC,,,\nQ1X,JN8,,,\n"
         ",JO60AB,,,\nZZZZZZ,End-Of-Call3-Database\nQ1LATE,JO60AB,,,\n",
         0,
         u"Has been added 2 new records \nJN86HF 9A2AE \nJN18AA F4GLD \n"
         u"Skipped 2 lines without a valid locator\n"_s,
         {},
         "JN86HF 9A2AE\r\nJN18AA F4GLD\r\n"},
        {"n1mm: a header names the columns, CR LF",
         {u"import"_s, u"LIST"_s},
         "# VHF\r\n!!Order!!,Call,Loc1,\r\nF4GLD,JN18AA,\r\nq1held,jo60ab,\r\nQ1X,XX99XX,\r\n",
         0,
         u"Has been added 2 new records \nJN18AA F4GLD \nJO60AB q1held \n"
         u"Skipped 1 lines without a valid locator\n"_s,
         {},
         "JN18AA F4GLD\r\nJO60AB q1held\r\n"},
        {"n1mm without a header: Call,Name,Loc1",
         {u"import"_s, u"LIST"_s},
         "S59ABC,,JN76TO,\n",
         0,
         u"Has been added 1 new records \nJN76TO S59ABC \n"_s,
         {},
         "JN76TO S59ABC\r\n"},
        {"cw: band letters or none",
         {u"import"_s, u"LIST"_s},
         "OK2KOE         JN89SV 20120707 CE\nOK1ABC         jn79aa 20110101\n"
         "Q1HELD         JO60AB 20110101\n",
         0,
         u"Has been added 2 new records \nJN89SV OK2KOE \nJN79AA OK1ABC \n"_s,
         {},
         "JN89SV OK2KOE\r\nJN79AA OK1ABC\r\n"},
        {"csl: comments, the title, quoted fields",
         {u"import"_s, u"LIST"_s},
         "# archive\r\n,,Club list\r\n\"G4AUC\",\"IO91OJ\",\"RG\",1,\"2017/03/07;\"\r\n"
         "G4ABC,IO91VM,,\r\n",
         0,
         u"Has been added 2 new records \nIO91OJ G4AUC \nIO91VM G4ABC \n"_s,
         {},
         "IO91OJ G4AUC\r\nIO91VM G4ABC\r\n"},
        {"csv: a header, an empty call",
         {u"import"_s, u"LIST"_s},
         "Call,Locator\r\nQ1ABC,JN45AB\r\n,JN45AC\r\n",
         0,
         u"Has been added 1 new records \nJN45AB Q1ABC \n"_s
         u"Skipped 1 lines without a valid locator\n"_s,
         {},
         "JN45AB Q1ABC\r\n"},
        {"one list twice: its stations once",
         {u"import"_s, u"LIST"_s, u"LIST"_s},
         "Q1ABC,jn45ab,,,\nQ1HELD,JO60AB,,,\nQ1X,JN8,,,\n",
         0,
         u"Has been added 1 new records \nJN45AB Q1ABC \n"_s
         u"Skipped 2 lines without a valid locator\n"_s,
         {},
         "JN45AB Q1ABC\r\n"},
        {"a list no line of which tells its format",
         {u"import"_s, u"LIST"_s},
         "Q1ABC;JN45AB\r\n",
         2,
         {},
         u"Cannot tell which kind of list LIST is: name its format (call3, n1mm, cw, csl, csv).\n"_s,
         unchanged},
        {"--format names it",
         {u"import"_s, u"LIST"_s, u"--format"_s, u"csv"_s},
         "Q1ABC;JN45AB\r\n",
         0,
         u"Has been added 1 new records \nJN45AB Q1ABC \n"_s,
         {},
         "JN45AB Q1ABC\r\n"},
        {"an unknown format",
         {u"import"_s, u"LIST"_s, u"--format"_s, u"adif"_s},
         "Q1ABC,JN45AB\r\n",
         2,
         {},
         u"norvane: --format takes a format (FORMAT: call3, n1mm, cw, csl, csv)\n"_s,
         unchanged},
        {"export to standard output, a record left out",
         {u"export"_s, u"n1mm"_s},
         {},
         0,
         u"!!Order!!,Call,Loc1,\r\nQ1HELD,JO60AB,\r\n"_s,
         u"Left out 1 records without a valid locator or call\n"_s,
         unchanged},
        {"export to a file",
         {u"export"_s, u"csv"_s, u"LIST"_s},
         "old",
         0,
         u"Exported 1 stations to LIST\n"_s,
         u"Left out 1 records without a valid locator or call\n"_s,
         unchanged,
         "Call,Locator\r\nQ1HELD,JO60AB\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("norvane.txt", held);
        writeFile("list.txt", c.list);
        const QString list = QDir::toNativeSeparators(path("list.txt"));
        QStringList arguments = c.arguments;
        arguments.replaceInStrings(u"LIST"_s, path("list.txt"));
        const QString command = arguments.takeFirst();
        QString output, errors;
        QTextStream out(&output), err(&errors);
        EXPECT_EQ(cli::runCommand(command, arguments, dir.path(), out, err), c.status);
        out.flush();
        err.flush();
        EXPECT_EQ(output, QString(c.output).replace(u"LIST"_s, list));
        EXPECT_EQ(errors, QString(c.errors).replace(u"LIST"_s, list));
        EXPECT_EQ(readFile("norvane.txt"), c.added.isNull() ? held : held + c.added + "\r\n");
        EXPECT_EQ(readFile("list.txt"), c.listAfter.isNull() ? c.list : c.listAfter);
    }
}

// The fixed copy verifies without an error, keeps every QSO line in its order, and never
// replaces the log it was made from.
TEST_F(CommandLineTest, VerifyFixesACopyThatVerifiesClean) {
    // The claims' DXCC count needs a country file; under Wine Debian's is on drive Z:, the
    // current one, but only the data folder is searched there.
    if (!QFile::copy(u"/usr/share/hamradio-files/cty.dat"_s, path("cty.dat")))
        GTEST_SKIP() << "no cty.dat: scripts/deps.sh installs hamradio-files";
    const auto qsoCalls = [](const QByteArray& bytes) {
        QList<QByteArray> calls;
        for (const QByteArray& line : bytes.split('\n'))
            if (line.count(';') >= 14)
                calls << line.split(';').value(2);
        return calls;
    };
    const struct {
        const char* log;
        int status; // of the log itself
    } cases[] = {{"log-1296mhz-a.edi", 0},        {"log-144mhz-8digit-date.edi", 1},
                 {"log-144mhz-dupe.edi", 1},      {"log-144mhz-lf.edi", 0},
                 {"log-144mhz-mixed-eol.edi", 1}, {"log-144mhz-remarks.edi", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log);
        const QString log = testing_support::samplesDir().filePath(QLatin1String(c.log));
        QString output, errors;
        QTextStream out(&output), err(&errors);
        EXPECT_EQ(cli::runCommand(u"verify"_s, {log, u"--fix"_s, path("fixed.edi")}, dir.path(),
                                  out, err),
                  c.status);
        EXPECT_EQ(cli::runCommand(u"verify"_s, {path("fixed.edi")}, dir.path(), out, err), 0)
            << output.toStdString();
        QFile original(log);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        EXPECT_EQ(qsoCalls(readFile("fixed.edi")), qsoCalls(original.readAll()));
    }
    const QString log = testing_support::samplesDir().filePath(u"log-144mhz-lf.edi"_s);
    QString output, errors;
    QTextStream out(&output), err(&errors);
    EXPECT_EQ(cli::runCommand(u"verify"_s, {log, u"--fix"_s, log}, dir.path(), out, err), 2);
    EXPECT_EQ(cli::runCommand(u"verify"_s, {log, u"--fixes"_s}, dir.path(), out, err), 2);
    EXPECT_EQ(cli::runCommand(u"verify"_s, {path("none.edi")}, dir.path(), out, err), 2);
}

// Scripts read --json: it holds the very findings the text gives, each at its line, and the
// error count they add up to.
// Other programs' logs as REG1TEST: what is written verifies clean, what cannot be made right
// is said once a QSO, and a log that cannot be written as asked writes nothing.
TEST_F(CommandLineTest, ConvertWritesLogsThatVerifyClean) {
    const QString wsjtx = testing_support::logSamplesDir().filePath(u"wsjtx-2.6.1-crlf.adi"_s);
    const QString rover =
        testing_support::logSamplesDir().filePath(u"arrl-vhf-jan-2018-rover.cbr"_s);
    const struct {
        QStringList arguments;
        int status;
        const char* said;    // in the output or the errors
        const char* written; // a file that verifies clean; empty: none is written
        qsizetype grids;     // "convert-grid" findings; -1: not counted
    } cases[] = {
        {{wsjtx, u"-o"_s, path("out") + u'/'}, 0, "54 QSO(s) on 145 MHz", "out/DL8OBF_144.edi", -1},
        {{rover, u"--band"_s, u"144"_s, u"--locator"_s, u"CM97AI"_s, u"-o"_s, path("r.edi")},
         0,
         "46 QSO(s) on 145 MHz",
         "r.edi",
         46},
        {{wsjtx, u"--band"_s, u"2m"_s, u"--from"_s, u"2023-12-30 19:00"_s, u"--to"_s,
          u"2023-12-30T20:00"_s, u"-o"_s, path("p.edi")},
         0,
         "outside the period",
         "p.edi",
         -1},
        {{rover, u"--band"_s, u"144"_s, u"-o"_s, path("nolocator.edi")},
         1,
         "give --locator",
         "",
         -1},
        {{rover, u"-o"_s, path("bands.edi")}, 2, "holds 3 bands", "", -1},
        {{wsjtx, u"--band"_s, u"9X"_s, u"-o"_s, path("x.edi")}, 2, "is no band", "", -1},
        {{path("missing.adi"), u"-o"_s, path("x.edi")}, 2, "missing.adi", "", -1},
        {{wsjtx}, 2, "-o OUT.edi", "", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QString output, errors;
        QTextStream out(&output), err(&errors);
        EXPECT_EQ(cli::runCommand(u"convert"_s, c.arguments, dir.path(), out, err), c.status);
        out.flush();
        err.flush();
        EXPECT_TRUE((output + errors).contains(QLatin1String(c.said)))
            << (output + errors).toStdString();
        if (c.grids >= 0) {
            EXPECT_EQ(output.count(u"convert-grid"_s), c.grids);
        }
        if (!*c.written)
            continue;
        QString verified, problems;
        QTextStream vout(&verified), verr(&problems);
        EXPECT_EQ(cli::runCommand(u"verify"_s, {path(c.written)}, dir.path(), vout, verr), 0)
            << verified.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("bands.edi")));
    EXPECT_FALSE(QFile::exists(path("x.edi")));
}

TEST_F(CommandLineTest, VerifyJsonHoldsTheFindingsOfTheText) {
    const QString log = testing_support::samplesDir().filePath(u"log-144mhz-dupe.edi"_s);
    QString text, json, errors;
    QTextStream textOut(&text), jsonOut(&json), err(&errors);
    ASSERT_EQ(cli::runCommand(u"verify"_s, {log}, dir.path(), textOut, err), 1);
    ASSERT_EQ(cli::runCommand(u"verify"_s, {log, u"--json"_s}, dir.path(), jsonOut, err), 1);
    textOut.flush();
    jsonOut.flush();
    // FILE[:LINE]: SEVERITY CODE: TEXT, whatever the file name's separators; a finding about
    // the whole log has no line.
    const QRegularExpression finding(
        u"^.*?(?::(\\d+))?: (error|warning|note) ([a-z0-9-]+): (.*)$"_s);
    QStringList fromText, fromJson;
    for (const QString& line : text.split(u'\n'))
        if (const auto match = finding.match(line); match.hasMatch())
            fromText << match.captured(1) + u' ' + match.captured(2) + u' ' + match.captured(3) +
                            u": "_s + match.captured(4);
    const QJsonObject report =
        QJsonDocument::fromJson(json.toUtf8()).object()[u"logs"_s][0].toObject();
    int errorCount = 0;
    for (const QJsonValue value : report[u"findings"_s].toArray()) {
        const QJsonObject f = value.toObject();
        errorCount += f[u"severity"_s] == u"error"_s;
        const int line = f[u"line"_s].toInt();
        fromJson << (line > 0 ? QString::number(line) : QString()) + u' ' +
                        f[u"severity"_s].toString() + u' ' + f[u"code"_s].toString() + u": "_s +
                        f[u"text"_s].toString();
    }
    EXPECT_FALSE(fromText.isEmpty());
    EXPECT_EQ(fromJson, fromText);
    EXPECT_EQ(report[u"errors"_s].toInt(), errorCount);
}

// norvane crosscheck on a real contest: the reports in -o FOLDER and nowhere else, a log given
// twice read once, one station's view, and what stops it before anything is written.
TEST_F(CommandLineTest, CrossCheckWritesItsReportsAndNothingElse) {
    const QDir contest = testing_support::contestDir();
    const QString logs = contest.filePath(u"cupa-napoca-2016"_s);
    const QString rules = contest.filePath(u"cupa-napoca-2016.rules"_s);
    const QString ours = QDir(logs).filePath(u"yo5ouc_20160515_161110.edi"_s);
    ASSERT_TRUE(QFile::copy(ours, path("copy.edi")));
    writeFile("broken.rules", "[contest]\nbands=x\n");
    const struct {
        QStringList arguments;
        int status;
        const char* output; // in the standard output
        const char* errors; // in the standard error
    } cases[] = {
        {{logs, ours, u"--rules"_s, rules, u"-o"_s, path("out")},
         1,
         "1 YO3FAI       KN34AL",
         "yo5ouc_20160515_161110.edi: given twice; read once"},
        {{logs, u"--rules"_s, rules, u"--as"_s, u"yo5ouc"_s}, 1, "YO5OUC on 432", ""},
        {{logs, u"--as"_s, u"Q1ZZZ"_s}, 2, "", "no log of Q1ZZZ takes part"},
        {{path("copy.edi"), u"-o"_s, dir.path()}, 2, "", "holds the logs"},
        {{logs, u"--rules"_s, path("broken.rules")},
         2,
         "",
         "broken.rules:1: [contest] has no begindate"},
        {{u"--check-log"_s, logs}, 2, "", "needs at least one log"},
        {{logs, u"--rules"_s}, 2, "", "--rules takes one file"},
        {{path("none")}, 2, "", "no such file or folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QString output, errors;
        QTextStream out(&output), err(&errors);
        EXPECT_EQ(cli::runCommand(u"crosscheck"_s, c.arguments, dir.path(), out, err), c.status);
        out.flush();
        err.flush();
        EXPECT_TRUE(output.contains(QLatin1StringView(c.output))) << output.toStdString();
        EXPECT_TRUE(errors.contains(QLatin1StringView(c.errors))) << errors.toStdString();
    }
    // The reports of the 67 logs that take part, and only in out/.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              (QStringList{u"broken.rules"_s, u"copy.edi"_s, u"out"_s}));
    const QStringList reports = QDir(path("out")).entryList(QDir::Files);
    EXPECT_EQ(reports.size(), 67 * 2 + 3);
    EXPECT_TRUE(reports.contains(u"YO5OUC-144.txt"_s));
    const QJsonObject results = QJsonDocument::fromJson(readFile("out/results.json")).object();
    EXPECT_EQ(results[u"logs"_s].toArray().size(), 68);
    EXPECT_EQ(results[u"contest"_s][u"name"_s], u"Cupa Napoca 2016"_s);
    // One station's view as JSON: its two logs alone.
    QString output, errors;
    QTextStream out(&output), err(&errors);
    EXPECT_EQ(cli::runCommand(u"crosscheck"_s, {logs, u"--as"_s, u"yo5ouc"_s, u"--json"_s},
                              dir.path(), out, err),
              0);
    out.flush();
    QStringList calls;
    for (const QJsonValue log : QJsonDocument::fromJson(output.toUtf8())[u"logs"_s].toArray())
        calls << log[u"call"_s].toString() + u' ' + log[u"band"_s].toString();
    EXPECT_EQ(calls, (QStringList{u"YO5OUC 145 MHz"_s, u"YO5OUC 435 MHz"_s}));
}

} // namespace
