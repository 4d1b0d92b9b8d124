// The cross-check: a verdict for each kind of QSO, the real contest's scores kept stable, the
// rules file read as logXchecker reads it, bad input told, and the HTML in a real browser.
#include "crosscheck/contest.h"
#include "crosscheck/reports.h"
#include "crosscheck/rules.h"
#include "support/printers.h"
#include "support/samples.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <optional>

using namespace Qt::StringLiterals;
using namespace crosscheck;

namespace {

// One QSO line of 7 May 2016: time, call, serials sent and received, locator, D for a dupe.
QString qso(const char* time, const char* call, int sent, int received, const char* locator,
            const char* duplicate = "") {
    return u"160507;%1;%2;1;59;%3;59;%4;;%5;;;;;%6"_s
        .arg(QLatin1StringView(time), QLatin1StringView(call))
        .arg(sent, 3, 10, QLatin1Char('0'))
        .arg(received, 3, 10, QLatin1Char('0'))
        .arg(QLatin1StringView(locator), QLatin1StringView(duplicate));
}

struct TestLog {
    const char* call;
    const char* locator;
    QStringList qsos;
    bool checkLog = false;
};

QByteArray ediLog(const TestLog& log) {
    QString text = u"[REG1TEST;1]\r\nTName=Test\r\nTDate=20160507;20160508\r\nPCall=%1\r\n"
                   u"PWWLo=%2\r\nPSect=SO\r\nPBand=144 MHz\r\n[Remarks]\r\n[QSORecords;%3]\r\n"_s
                       .arg(QLatin1StringView(log.call), QLatin1StringView(log.locator))
                       .arg(log.qsos.size());
    for (const QString& line : log.qsos)
        text += line + u"\r\n"_s;
    return text.toLatin1();
}

Contest check(const std::vector<TestLog>& logs, const ContestRules& rules) {
    std::vector<LogInput> inputs;
    for (const TestLog& log : logs)
        inputs.push_back(
            {QString::fromLatin1(log.call) + u".edi"_s, ediLog(log), log.checkLog, {}});
    return CrossCheck(std::move(inputs), rules);
}

// A, B, C and D, each with its own locator; A-B is 116 km, A's QSOs are looked at.
constexpr const char* A = "Q1AAA";
constexpr const char* B = "Q1BBB";

TEST(CrossCheck, EachKindOfQsoGetsItsVerdictAndPoints) {
    const auto a = [](QStringList qsos) { return TestLog{A, "JO60AA", qsos}; };
    const auto b = [](QStringList qsos) { return TestLog{B, "JO61BB", qsos}; };
    const auto withA = [](const char* time, int sent = 1, int received = 1) {
        return qso(time, A, sent, received, "JO60AA");
    };
    const struct {
        const char* what;
        std::vector<TestLog> logs;
        Verdict verdict; // of the first log's `index`th QSO
        qint32 points;
        Fault fault = Fault::None;
        qsizetype index = 0;
        std::function<void(ContestRules&)> rules = {};
        const char* text = "";                // in the verdict's text
        std::optional<qint64> logPoints = {}; // the log's score, when it is not `points`
    } cases[] = {
        {"both logs agree",
         {a({qso("1200", B, 1, 1, "JO61BB")}), b({withA("1200")})},
         Verdict::Confirmed,
         116},
        {"139 km exactly, along a meridian",
         {TestLog{A, "KN12KR", {qso("1200", B, 1, 1, "KN13KX")}},
          TestLog{B, "KN13KX", {qso("1200", A, 1, 1, "KN12KR")}}},
         Verdict::Confirmed,
         140},
        {"5 minutes apart, 5-minute window",
         {a({qso("1200", B, 1, 1, "JO61BB")}), b({withA("1205")})},
         Verdict::Confirmed,
         116,
         Fault::None,
         0,
         [](ContestRules& r) { r.windowMinutes = 5; }},
        {"6 minutes apart, 5-minute window",
         {a({qso("1200", B, 1, 1, "JO61BB")}), b({withA("1206")})},
         Verdict::TimeOff,
         0,
         Fault::Own,
         0,
         [](ContestRules& r) { r.windowMinutes = 5; },
         "6 minutes after you"},
        {"an hour off",
         {a({qso("1200", B, 1, 1, "JO61BB")}), b({withA("1300")})},
         Verdict::TimeOff,
         0,
         Fault::Own,
         0,
         {},
         "a clock set to local time"},
        {"the other log's clock an hour ahead",
         {a({qso("1200", B, 1, 1, "JO61BB")}),
          b({withA("1300"), qso("1310", "Q1CCC", 2, 1, "JO62CC"),
             qso("1320", "Q1DDD", 3, 1, "JO63DD")}),
          TestLog{"Q1CCC", "JO62CC", {qso("1210", B, 1, 2, "JO61BB")}},
          TestLog{"Q1DDD", "JO63DD", {qso("1220", B, 1, 3, "JO61BB")}}},
         Verdict::Confirmed,
         116,
         Fault::None,
         0,
         {},
         "Q1BBB's clock was an hour ahead"},
        {"our clock an hour ahead",
         {b({withA("1300"), qso("1310", "Q1CCC", 2, 1, "JO62CC"),
             qso("1320", "Q1DDD", 3, 1, "JO63DD")}),
          a({qso("1200", B, 1, 1, "JO61BB")}),
          TestLog{"Q1CCC", "JO62CC", {qso("1210", B, 1, 2, "JO61BB")}},
          TestLog{"Q1DDD", "JO63DD", {qso("1220", B, 1, 3, "JO61BB")}}},
         Verdict::TimeOff,
         0,
         Fault::Own,
         0,
         {},
         "your clock was an hour off, as in 3 of your 3"},
        {"not in the other log",
         {a({qso("1200", B, 1, 1, "JO61BB")}), b({qso("1200", "Q1CCC", 1, 1, "JO62CC")})},
         Verdict::NotInLog,
         0,
         Fault::Own},
        {"busted call, one letter",
         {a({qso("1200", "Q1BBD", 1, 1, "JO61BB")}), b({withA("1201")})},
         Verdict::BustedCall,
         0,
         Fault::Own,
         0,
         {},
         "Q1BBB logged you at 12:01, not Q1BBD"},
        {"the other side keeps a QSO whose call we busted",
         {b({withA("1201")}), a({qso("1200", "Q1BBD", 1, 1, "JO61BB")})},
         Verdict::Confirmed,
         116,
         Fault::None,
         0,
         {},
         "Q1AAA logged your call as Q1BBD"},
        {"busted call, /P: both sent a log",
         {a({qso("1200", B, 1, 1, "JO61BB")}), b({qso("1300", "Q1CCC", 1, 1, "JO62CC")}),
          TestLog{"Q1BBB/P", "JO61BB", {withA("1200")}}},
         Verdict::BustedCall,
         0,
         Fault::Own,
         0,
         {},
         "Q1BBB/P logged you"},
        {"/P alone: one station",
         {a({qso("1200", B, 1, 1, "JO61BB")}), TestLog{"Q1BBB/P", "JO61BB", {withA("1200")}}},
         Verdict::Confirmed,
         116,
         Fault::None,
         0,
         {},
         "matched Q1BBB/P's log"},
        {"busted locator",
         {a({qso("1200", B, 1, 1, "JO61BC")}), b({withA("1200")})},
         Verdict::BustedLocator,
         0,
         Fault::Own,
         0,
         {},
         "JO61BC, Q1BBB's log gives JO61BB, 4 km"},
        {"busted serial",
         {a({qso("1200", B, 1, 2, "JO61BB")}), b({withA("1200")})},
         Verdict::BustedSerial,
         0,
         Fault::Own,
         0,
         {},
         "you logged serial 002, Q1BBB sent 001"},
        {"the other side's error costs it alone",
         {b({withA("1200")}), a({qso("1200", B, 1, 2, "JO61BB")})},
         Verdict::Confirmed,
         116},
        {"the other side's error costs both",
         {b({withA("1200")}), a({qso("1200", B, 1, 2, "JO61BB")})},
         Verdict::BustedSerial,
         0,
         Fault::Other,
         0,
         [](ContestRules& r) { r.errorCost = ErrorCost::BothSides; }},
        {"the other side busted our call, and that costs both",
         {b({withA("1201")}), a({qso("1200", "Q1BBD", 1, 1, "JO61BB")})},
         Verdict::BustedCall,
         0,
         Fault::Other,
         0,
         [](ContestRules& r) { r.errorCost = ErrorCost::BothSides; },
         "Q1AAA logged your call as Q1BBD"},
        {"a check log confirms",
         {a({qso("1200", B, 1, 1, "JO61BB")}), TestLog{B, "JO61BB", {withA("1200")}, true}},
         Verdict::Confirmed,
         116},
        {"a check log is a witness",
         {a({qso("1200", "Q1XYZ", 1, 1, "JO70XX")}),
          TestLog{"Q1CCC", "JO62CC", {qso("1210", "Q1XYZ", 1, 1, "JO70XX")}, true}},
         Verdict::Witnessed,
         297,
         Fault::None,
         0,
         [](ContestRules& r) { r.witnesses = 1; },
         "1 other log(s) have the call"},
        {"unique", {a({qso("1200", "Q1XYZ", 1, 1, "JO70XX")})}, Verdict::Unique, 297},
        {"one witness of two asked",
         {a({qso("1200", "Q1XYZ", 1, 1, "JO70XX")}),
          TestLog{"Q1CCC", "JO62CC", {qso("1210", "Q1XYZ", 1, 1, "JO70XX")}}},
         Verdict::Unconfirmed,
         0,
         Fault::None,
         0,
         [](ContestRules& r) { r.witnesses = 2; }},
        {"two witnesses of two asked",
         {a({qso("1200", "Q1XYZ", 1, 1, "JO70XX")}),
          TestLog{"Q1CCC", "JO62CC", {qso("1210", "Q1XYZ", 1, 1, "JO70XX")}},
          TestLog{"Q1DDD", "JO63DD", {qso("1220", "Q1XYZ", 1, 1, "JO70XX")}}},
         Verdict::Witnessed,
         297,
         Fault::None,
         0,
         [](ContestRules& r) { r.witnesses = 2; }},
        {"duplicate, marked",
         {a({qso("1200", B, 1, 1, "JO61BB"), qso("1230", B, 2, 2, "JO61BB", "D")}),
          b({withA("1200")})},
         Verdict::Duplicate,
         0,
         Fault::None,
         1,
         {},
         "marked D",
         116},
        {"duplicate, not marked",
         {a({qso("1200", B, 1, 1, "JO61BB"), qso("1230", B, 2, 2, "JO61BB")}), b({withA("1200")})},
         Verdict::Duplicate,
         0,
         Fault::Own,
         1,
         {},
         "not marked D",
         116},
        {"a busted call's penalty",
         {a({qso("1200", "Q1BBD", 1, 1, "JO61BB")}), b({withA("1201")})},
         Verdict::BustedCall,
         0,
         Fault::Own,
         0,
         [](ContestRules& r) { r.bustedCallPenalty = 2; },
         "a penalty of 232 points",
         -232},
        {"a call of a log that lacks the QSO, one letter from the one that has it",
         {a({qso("1200", "Q1BBC", 1, 1, "JO61BB")}), b({withA("1200")}),
          TestLog{"Q1BBC", "JO61BB", {qso("1300", "Q1CCC", 1, 1, "JO62CC")}}},
         Verdict::BustedCall,
         0,
         Fault::Own,
         0,
         {},
         "Q1BBB logged you at 12:00, not Q1BBC"},
        {"busted RST, compared",
         {a({u"160507;1200;Q1BBB;1;59;001;57;001;;JO61BB;;;;;"_s}), b({withA("1200")})},
         Verdict::BustedRst,
         0,
         Fault::Own,
         0,
         [](ContestRules& r) { r.compareRst = true; },
         "you logged RST 57, Q1BBB sent 59"},
        {"RST not compared",
         {a({u"160507;1200;Q1BBB;1;59;001;57;001;;JO61BB;;;;;"_s}), b({withA("1200")})},
         Verdict::Confirmed,
         116},
        {"non-entrants do not count",
         {a({qso("1200", "Q1XYZ", 1, 1, "JO70XX")})},
         Verdict::Unique,
         0,
         Fault::None,
         0,
         [](ContestRules& r) { r.nonEntrantsCount = false; },
         "the rules do not count it"},
        {"outside the period",
         {a({qso("1200", B, 1, 1, "JO61BB")}), b({withA("1200")})},
         Verdict::Period,
         0,
         Fault::None,
         0,
         [](ContestRules& r) {
             const QDate day(2016, 5, 7);
             r.contestBegin = MinuteOf(day, QTime(0, 0));
             r.contestEnd = MinuteOf(day, QTime(23, 59));
             r.periods = {{MinuteOf(day, QTime(13, 0)), MinuteOf(day, QTime(14, 0)), {0}}};
         },
         "2016-05-07 12:00 is outside the contest's periods"},
        {"not a contest mode",
         {a({u"160507;1200;Q1BBB;2;599;001;599;001;;JO61BB;;;;;"_s}), b({withA("1200")})},
         Verdict::Mode,
         0,
         Fault::None,
         0,
         [](ContestRules& r) {
             r.modes = {1, 6};
         },
         "mode 2 is not a mode of the contest (1, 6)"},
        {"a call the rules do not accept",
         {a({qso("1200", B, 1, 1, "JO61BB")}), b({withA("1200")})},
         Verdict::CallRule,
         0,
         Fault::None,
         0,
         [](ContestRules& r) {
             r.callRegexp = u"q1c"_s;
             r.callPattern =
                 QRegularExpression(u"^\\s*(?:q1c)"_s, QRegularExpression::CaseInsensitiveOption);
         },
         "Q1BBB does not match the rules' callregexp q1c"},
        {"an invalid line",
         {a({u"160507;12:00;Q1BBB;1;59;001;59;001;;JO61BB;;;;;"_s}), b({withA("1200")})},
         Verdict::Invalid,
         0,
         Fault::Own,
         0,
         {},
         "qso-time"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ContestRules rules;
        if (c.rules)
            c.rules(rules);
        const Contest contest = check(c.logs, rules);
        const LogEntry& log = contest.logs.front();
        ASSERT_GT(log.qsos.size(), size_t(c.index));
        const QsoCheck& q = log.qsos[size_t(c.index)];
        EXPECT_EQ(VerdictCode(q.verdict), VerdictCode(c.verdict));
        EXPECT_EQ(q.points, c.points);
        EXPECT_EQ(int(q.fault), int(c.fault));
        const QString text = VerdictText(contest, log, q);
        EXPECT_TRUE(text.contains(QLatin1StringView(c.text))) << text.toStdString();
        EXPECT_EQ(log.score.points, c.logPoints.value_or(c.points));
    }
}

// The real contest, checked by the rules file of its manager.
Contest sharedContest() {
    const RulesFile rules = ReadRules(testing_support::readFile(
        testing_support::contestDir().filePath(u"cupa-napoca-2016.rules"_s)));
    std::vector<LogInput> inputs;
    const QDir logs(testing_support::contestDir().filePath(u"cupa-napoca-2016"_s));
    for (const QString& name : logs.entryList(QDir::Files, QDir::Name))
        inputs.push_back({name, testing_support::readFile(logs.filePath(name)), false, {}});
    return CrossCheck(std::move(inputs), rules.rules);
}

TEST(CrossCheck, TheSharedContestsScoresStayAsTheyAre) {
    const Contest contest = sharedContest();
    ASSERT_EQ(contest.logs.size(), size_t(68));
    const struct {
        const char* file;
        LogStatus status;
        qint64 confirmed, points;
    } cases[] = {
        {"yo5ouc_20160515_161110.edi", LogStatus::Ranked, 12, 325}, // 5 non-YO calls out
        {"aruna.office_20160511_164302.edi", LogStatus::Ranked, 28, 7539},
        {"yo2ya_20160510_111706.edi", LogStatus::Ranked, 35, 6099},      // YO5KDX/P
        {"lz2zy_20160510_185754.edi", LogStatus::NotRanked, 25, 5696},   // callregexp=yo
        {"yo5qcd_20160523_214559.edi", LogStatus::Ranked, 0, 0},         // RST run into serial
        {"virgilz.yo3vz_20160510_191307.edi", LogStatus::NotUsed, 0, 0}, // 1,3 GHz
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto it =
            std::find_if(contest.logs.begin(), contest.logs.end(),
                         [&](const LogEntry& l) { return l.path == QLatin1StringView(c.file); });
        ASSERT_NE(it, contest.logs.end());
        EXPECT_EQ(LogStatusCode(it->status), LogStatusCode(c.status));
        EXPECT_EQ(it->score.confirmedQsos, c.confirmed);
        EXPECT_EQ(it->score.points, c.points);
    }
}

QByteArray sharedRules() {
    return testing_support::readFile(
        testing_support::contestDir().filePath(u"cupa-napoca-2016.rules"_s));
}

TEST(ContestRules, TheManagersFileReadsAsLogXcheckerReadsIt) {
    const RulesFile file = ReadRules(sharedRules());
    ASSERT_FALSE(file.error) << file.error->text.toStdString();
    const ContestRules& r = file.rules;
    EXPECT_EQ(r.name, u"Cupa Napoca 2016"_s);
    ASSERT_EQ(r.bands.size(), size_t(2));
    EXPECT_EQ(r.bands[1].band, u"432"_s);
    EXPECT_EQ(r.bands[1].multiplier, 1);
    // A band's regexp at the start of PBand, in any case; a category's at the start of PSect,
    // a whole match first.
    const struct {
        const char* pband;
        int band;
    } bands[] = {{"144 MHz", 0}, {"145", 0},      {" 2M", 0},
                 {"435 MHz", 1}, {"1,3 GHz", -1}, {"MHz 144", -1}};
    for (const auto& b : bands)
        EXPECT_EQ(r.bandOf(QString::fromLatin1(b.pband)), b.band) << b.pband;
    const struct {
        const char* psect;
        int band, category;
    } categories[] = {{"SOMB", 0, 2},   {"somb", 1, 2},          {"SO", 0, 0},
                      {"Single", 1, 1}, {"A. Individual", 0, 0}, {"A. Individual", 1, -1},
                      {"MOMB", 1, 3},   {"CHECKLOG", 0, 4},      {"MULTI-OP", 0, 3},
                      {"QRP", 0, -1}};
    for (const auto& c : categories)
        EXPECT_EQ(r.categoryOf(c.band, QString::fromLatin1(c.psect)), c.category) << c.psect;
    EXPECT_TRUE(r.categories[4].checkLogs);
    EXPECT_FALSE(r.categories[3].checkLogs);
    ASSERT_EQ(r.periods.size(), size_t(1));
    EXPECT_EQ(MinuteText(r.periods[0].begin), u"2016-05-07 12:00"_s);
    EXPECT_EQ(MinuteText(r.periods[0].end), u"2016-05-08 11:59"_s);
    const QDate day(2016, 5, 8);
    EXPECT_EQ(r.periodOf(1, MinuteOf(day, QTime(11, 59))), 0);
    EXPECT_EQ(r.periodOf(1, MinuteOf(day, QTime(12, 0))), -1);
    EXPECT_TRUE(r.acceptsMode(6));
    EXPECT_FALSE(r.acceptsMode(3));
    EXPECT_TRUE(r.acceptsCall(u"yo5ouc"_s));
    EXPECT_FALSE(r.acceptsCall(u"LZ2ZY"_s));
    // What the file does not say: the IARU Region 1 defaults.
    EXPECT_EQ(r.windowMinutes, 10);
    EXPECT_FALSE(r.compareRst);
    EXPECT_TRUE(r.nonEntrantsCount);
}

TEST(ContestRules, TheNorvaneSectionAndConfigparsersWaysAreRead) {
    const RulesFile file =
        ReadRules(sharedRules().replace("callregexp=yo", "callregexp=yo\n  |yp") +
                  "\n[DEFAULT]\nsome=5\n[norvane]\n; a comment\nWindow : %(some)s\nrst=yes\n"
                  "errorcosts=both\nnonentrants=off\nwitnesses=3\nbustedcallpenalty=2\n");
    ASSERT_FALSE(file.error) << file.error->text.toStdString();
    const ContestRules& r = file.rules;
    EXPECT_EQ(r.windowMinutes, 5);
    EXPECT_TRUE(r.compareRst);
    EXPECT_EQ(r.errorCost, ErrorCost::BothSides);
    EXPECT_FALSE(r.nonEntrantsCount);
    EXPECT_EQ(r.witnesses, 3);
    EXPECT_EQ(r.bustedCallPenalty, 2);
    EXPECT_TRUE(r.acceptsCall(u"YP9D"_s)); // the continued line joins the regexp
}

TEST(ContestRules, EachFaultIsToldWithItsLine) {
    const struct {
        const char* from;
        const char* to;
        qsizetype line;
        const char* text;
    } cases[] = {
        {"[contest]", "[konkurs]", 0, "there is no [contest] section"},
        {"[contest]", "[Contest]", 0, "there is no [contest] section"}, // as configparser
        {"[band2]", "[bandx]", 7, "bands=2 but there is no [band2] section"},
        {"regexp=430|432", "regexp=43(0|432", 22, "is no regular expression"},
        {"[log]", "[band1]", 15, "[band1] again (first on line 12)"},
        {"band=144", "band=144\nBand=145", 17, "band again in [band1]"},
        {"[contest]", "name=x\n[contest]", 1, "comes before the first [section]"},
        {"begindate=20160507", "begindate=20160532", 26, "not a date YYYYMMDD"},
        {"modes=1,2,6", "modes=1,2,x", 10, "x is no mode code"},
        {"bands=band1,band2\n\n[category1]", "bands=band1,band3\n\n[category1]", 30,
         "band3 is none of the contest's [bandN] sections"},
        {"multiplier=1\n\n[band2]", "\n\n[band2]", 15, "[band1] has no multiplier"},
        {"regexp=144|145|2m", "regexp=144%", 17, "'%' must be followed"},
        {"[extra]", "[norvane]\nwindow=ten\n[extra]", 58, "window=ten is not a number"},
        {"[extra]", "[norvane]\nrst=maybe\n[extra]", 58, "write yes or no"},
        {"[extra]", "[norvane]\nwindo=5\n[extra]", 58, "[norvane] has no key windo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        QByteArray text = sharedRules();
        ASSERT_TRUE(text.contains(c.from));
        text.replace(c.from, c.to);
        const RulesFile file = ReadRules(text);
        ASSERT_TRUE(file.error);
        EXPECT_EQ(file.error->line, c.line);
        EXPECT_TRUE(file.error->text.contains(QLatin1StringView(c.text)))
            << file.error->text.toStdString();
    }
}

TEST(CrossCheck, LogsThatCannotTakePartSayWhy) {
    const QByteArray good = ediLog({A, "JO60AA", {qso("1200", B, 1, 1, "JO61BB")}});
    const QByteArray better = ediLog(
        {A, "JO60AA", {qso("1200", B, 1, 1, "JO61BB"), qso("1210", "Q1CCC", 2, 1, "JO62CC")}});
    const struct {
        const char* what;
        std::vector<QByteArray> logs;
        qsizetype unused; // this log is not used, for this reason
        const char* text;
        qint32 chosen = -1;
    } cases[] = {
        {"binary", {QByteArray("\0\x01\x02[REG1TEST;1]\0", 16)}, 0, "NUL"},
        {"no QSO section",
         {QByteArray(good).replace("[QSORecords;1]", "[Remarkz]")},
         0,
         "no [QSORecords;N] section"},
        {"no locator",
         {QByteArray(good).replace("PWWLo=JO60AA", "PWWLo=JO60")},
         0,
         "PWWLo JO60 is not a six-character locator"},
        {"two logs of a station and band",
         {good, better},
         0,
         "has more valid QSOs (2 against 1): that one is used",
         1},
        {"the same log twice", {good, good}, 0, "has the same bytes", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<LogInput> inputs;
        for (const QByteArray& bytes : c.logs)
            inputs.push_back({u"log%1.edi"_s.arg(inputs.size()), bytes, false, {}});
        const Contest contest = CrossCheck(std::move(inputs), {});
        const LogEntry& log = contest.logs[size_t(c.unused)];
        EXPECT_EQ(LogStatusCode(log.status), u"not-used"_s);
        ASSERT_FALSE(log.problems.empty());
        EXPECT_TRUE(log.problems.back().text.contains(QLatin1StringView(c.text)))
            << log.problems.back().text.toStdString();
        EXPECT_EQ(log.chosenInstead, c.chosen);
    }
}

// A's score: two QSOs confirmed, one unique, one not in log; the reports say the same.
TEST(CrossCheck, ALogsScoreAndReports) {
    const std::vector<TestLog> logs{
        {A,
         "JO60AA",
         {qso("1200", B, 1, 1, "JO61BB"), qso("1210", "Q1CCC", 2, 1, "JO62CC"),
          qso("1220", "Q1XYZ", 3, 1, "JO70XX"), qso("1230", "Q1DDD", 4, 1, "JO63DD")}},
        {B, "JO61BB", {qso("1200", A, 1, 1, "JO60AA")}},
        {"Q1CCC", "JO62CC", {qso("1210", A, 1, 2, "JO60AA")}},
        {"Q1DDD", "JO63DD", {qso("1300", B, 1, 1, "JO61BB")}, true},
    };
    const Contest contest = check(logs, {});
    const LogEntry& log = contest.logs.front();
    const Score& s = log.score;
    EXPECT_EQ(s.claimedQsos, 4);
    EXPECT_EQ(s.confirmedQsos, 3);
    EXPECT_EQ(s.points, 116 + 232 + 297);
    EXPECT_EQ(s.squares, 3); // JO61, JO62, JO70
    EXPECT_EQ(s.lostOwn, 1);
    EXPECT_DOUBLE_EQ(s.errorRate, 0.25);
    EXPECT_EQ(s.rank, 1);
    EXPECT_EQ(s.ranked, 3); // A, B and C; D is a check log
    EXPECT_EQ(LogStatusCode(contest.logs[3].status), u"check"_s);
    EXPECT_EQ(contest.logs[3].score.rank, 0);
    ASSERT_GE(s.odxQso, 0);
    EXPECT_EQ(contest.calls.text(log.qsos[size_t(s.odxQso)].call), u"Q1XYZ"_s);

    const QString ubn = UbnReport(contest, log);
    for (const char* text : {"Unique (U): 1", "Not in log (N): 1",
                             "yours: 160507;1230;Q1DDD;1;59;004;59;001;;JO63DD;;;;;",
                             "Confirmed: 3 QSOs, 645 points; ODX Q1XYZ JO70XX 296 km; 3 squares",
                             "Lost by your own errors: 1 of 4 QSOs (25.0 %)"})
        EXPECT_TRUE(ubn.contains(QLatin1StringView(text))) << text << "\n" << ubn.toStdString();
    const QStringList csv = QString::fromUtf8(ResultsCsv(contest)).split(u"\r\n"_s);
    EXPECT_TRUE(csv[0].startsWith(u"band,category,rank,call,locator,status,file"_s));
    EXPECT_TRUE(csv[1].startsWith(u"145 MHz,SO,1,Q1AAA,JO60AA,ranked,Q1AAA.edi,4,0,3,645,"_s))
        << csv[1].toStdString();
    const QJsonObject json = QJsonDocument::fromJson(ResultsJson(contest)).object();
    const QJsonObject first = json[u"logs"_s].toArray()[0].toObject();
    QStringList verdicts;
    for (const QJsonValue qso : first[u"qsos"_s].toArray())
        verdicts << qso[u"verdict"_s].toString();
    EXPECT_EQ(verdicts, (QStringList{u"confirmed"_s, u"confirmed"_s, u"unique"_s, u"nil"_s}));
    EXPECT_EQ(json[u"verdicts"_s][u"confirmed"_s].toInt(), 4); // B's and C's too
    EXPECT_EQ(first[u"confirmed"_s][u"points"_s].toInt(), 645);
}

// A report's name comes from the call: no call names a file outside the folder.
TEST(CrossCheckReports, NamesStayInTheFolder) {
    std::vector<LogInput> inputs;
    for (const char* call : {"Q1AB/P", "Q1AB_P", "../Q1AB", "Q1AB/P"})
        inputs.push_back({u"%1.edi"_s.arg(inputs.size()),
                          ediLog({call, "JO60AA", {qso("1200", B, 1, 1, "JO61BB")}}),
                          false,
                          {}});
    const Contest contest = CrossCheck(std::move(inputs), {});
    const std::vector<QString> names = ReportNames(contest);
    EXPECT_EQ(names[0], QString()); // the same station and band as the last: not used
    EXPECT_EQ(names[1], u"Q1AB_P-145_MHz"_s);
    EXPECT_EQ(names[2], QString()); // "../Q1AB" is no call: its log takes no part
    EXPECT_EQ(names[3], u"Q1AB_P-145_MHz-2"_s);
}

// An ADIF log takes part as an EDI log does, a log a band.
TEST(CrossCheck, AnAdifLogConfirmsAndIsConfirmed) {
    const QByteArray adif =
        "<STATION_CALLSIGN:5>Q1AAA<MY_GRIDSQUARE:6>JO60AA<CALL:5>Q1BBB<QSO_DATE:8>20160507"
        "<TIME_ON:4>1200<BAND:2>2m<MODE:3>SSB<RST_SENT:2>59<RST_RCVD:2>59<STX:3>001<SRX:3>001"
        "<GRIDSQUARE:6>JO61BB<EOR>\n"
        "<STATION_CALLSIGN:5>Q1AAA<MY_GRIDSQUARE:6>JO60AA<CALL:5>Q1CCC<QSO_DATE:8>20160507"
        "<TIME_ON:4>1300<BAND:4>70cm<MODE:3>SSB<GRIDSQUARE:6>JO62CC<EOR>\n";
    std::vector<LogInput> inputs{
        {u"a.adi"_s, adif, false, {}},
        {u"b.edi"_s, ediLog({B, "JO61BB", {qso("1201", A, 1, 1, "JO60AA")}}), false, {}}};
    const Contest contest = CrossCheck(std::move(inputs), {});
    ASSERT_EQ(contest.logs.size(), size_t(3)); // 2 m and 70 cm of the ADIF log, then B
    EXPECT_EQ(contest.logs[0].bandText, u"145 MHz"_s);
    EXPECT_EQ(VerdictCode(contest.logs[0].qsos[0].verdict), u"confirmed"_s);
    EXPECT_EQ(contest.logs[0].qsos[0].points, 116);
    EXPECT_EQ(VerdictCode(contest.logs[1].qsos[0].verdict), u"unique"_s);
    EXPECT_EQ(VerdictCode(contest.logs[2].qsos[0].verdict), u"confirmed"_s);
}

// Debian's chromium, headless; without it the test is skipped.
TEST(CrossCheckReports, ThePagesLoadInABrowserWithARowALog) {
    QString chromium = QStandardPaths::findExecutable(u"chromium"_s);
    if (chromium.isEmpty())
        chromium = QStandardPaths::findExecutable(u"chromium-browser"_s);
    if (chromium.isEmpty())
        GTEST_SKIP() << "no chromium: scripts/deps.sh installs it";
    const Contest contest = sharedContest();
    QTemporaryDir dir;
    const QString out = dir.filePath(u"out"_s);
    ASSERT_FALSE(WriteReports(contest, out));
    const std::vector<QString> names = ReportNames(contest);
    const auto ours = std::find_if(contest.logs.begin(), contest.logs.end(), [](const LogEntry& l) {
        return l.path == u"yo5ouc_20160515_161110.edi"_s;
    });
    ASSERT_NE(ours, contest.logs.end());
    const auto load = [&](const QString& page) {
        QProcess browser;
        browser.start(chromium, {u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s,
                                 u"--disable-background-networking"_s,
                                 u"--disable-component-update"_s, u"--disable-sync"_s,
                                 u"--no-first-run"_s, u"--user-data-dir="_s + dir.filePath(u"p"_s),
                                 u"--enable-logging=stderr"_s, u"--v=0"_s, u"--dump-dom"_s,
                                 QUrl::fromLocalFile(QDir(out).filePath(page)).toString()});
        EXPECT_TRUE(browser.waitForFinished(60000));
        // The browser's own chatter (D-Bus, GPU) aside, nothing about the page.
        for (const QString& line : QString::fromUtf8(browser.readAllStandardError()).split(u'\n'))
            EXPECT_FALSE(line.contains(u"CONSOLE"_s) || line.contains(u"Uncaught"_s) ||
                         line.contains(u"net::ERR"_s) || line.contains(page))
                << line.toStdString();
        return QString::fromUtf8(browser.readAllStandardOutput());
    };
    const qsizetype inPlay = std::count_if(contest.logs.begin(), contest.logs.end(),
                                           [](const LogEntry& l) { return l.inPlay(); });
    EXPECT_EQ(load(u"index.html"_s).count(u"<tr class=\"log\">"_s), inPlay);
    // The log's page lists every QSO it lost (it has no marked duplicate, no ERROR record).
    const QString page = load(names[size_t(ours - contest.logs.begin())] + u".html"_s);
    EXPECT_EQ(page.count(u"<tr class=\"lost\">"_s),
              std::count_if(ours->qsos.begin(), ours->qsos.end(),
                            [](const QsoCheck& q) { return !q.counts; }));
}

} // namespace
