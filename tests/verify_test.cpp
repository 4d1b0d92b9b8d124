// Verifying a log: a real log verified clean, each defect found at its line, the loggers'
// ways of counting points recognised by name.
#include "edilog/logverifier.h"
#include "edilog/qsopoints.h"
#include "support/samples.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace Qt::StringLiterals;
using namespace edilog;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray sample(const char* name) {
    return readAll(testing_support::samplesDir().filePath(QString::fromLatin1(name)));
}

// Debian's hamradio-files (scripts/deps.sh installs it).
const CountryFile& countries() {
    static const CountryFile file =
        CountryFile::parse(readAll(u"/usr/share/hamradio-files/cty.dat"_s));
    return file;
}

// A 1,3 GHz log whose logger left the band multiplier out of the QSO points, corrected: every
// line right, so that each defect below is the only one.
QByteArray cleanLog() {
    return FixedLog(sample("log-1296mhz-a.edi"), countries());
}

const ClaimCheck& claim(const VerifyResult& result, const QString& key) {
    static const ClaimCheck none;
    for (const ClaimCheck& check : result.summary)
        if (check.key == key)
            return check;
    return none;
}

TEST(VerifyLog, RealLogGivesTheNumbersItsLoggerClaims) {
    if (countries().empty())
        GTEST_SKIP() << "no cty.dat: scripts/deps.sh installs hamradio-files";
    const VerifyResult result = VerifyLog(sample("log-1296mhz-a.edi"), {}, countries());
    EXPECT_EQ(result.count(Severity::Error), 0);
    // Squares, countries and the total are the log's own; its QSO points are the IARU rule's
    // without the multiplier ×4, which the logger applied to the total alone.
    EXPECT_EQ(claim(result, u"CQSOs"_s).recomputed, u"27;4"_s);
    EXPECT_EQ(claim(result, u"CWWLs"_s).recomputed, u"16;0;1"_s);
    EXPECT_EQ(claim(result, u"CDXCs"_s).recomputed, u"8;0;1"_s);
    EXPECT_EQ(claim(result, u"CQSOP"_s).recomputed, u"51704"_s);
    EXPECT_FALSE(claim(result, u"CToSc"_s).differs);
    EXPECT_EQ(result.convention, u"the band multiplier ×4 left out of the points"_s);
    const VerifyResult fixed = VerifyLog(cleanLog(), {}, countries());
    EXPECT_EQ(fixed.count(Severity::Error) + fixed.count(Severity::Warning), 1); // remarks, 85 long
    EXPECT_TRUE(fixed.convention.isEmpty());
}

TEST(VerifyLog, EachDefectIsFoundAtItsLine) {
    const struct {
        const char* from;
        const char* to;
        const char* code;
        qsizetype line;
        const char* database = "";
    } cases[] = {
        {"[REG1TEST;1]", "[REGITEST;1]", "section-name", 1},
        {"[REG1TEST;1]", "\xEF\xBB\xBF[REG1TEST;1]", "bom", 1},
        {"[REG1TEST;1]", "From: a mail\r\n[REG1TEST;1]", "preamble", 1},
        {"\r\n", "\n", "line-end", 1},
        {"TName=", "tname=", "key-spelling", 2},
        {"PCall=YT5W", "PCall: YT5W", "key-spelling", 4},
        {"CExcs=", "CsExcs=", "unknown-key", 32},
        {"PClub=Contest Club Serbia", "PClub=Contest Club Serbia\r\nPClub=x", "repeated-key", 12},
        {"TDate=20160507;20160508", "TDate=20160507", "tdate", 3},
        {"PWWLo=KN04OO", "PWWLo=KN04O", "pwwlo", 5},
        {"PSect=MULTI", "PSect=MULTY", "psect", 9},
        {"PBand=1,3 GHz", "PBand=1296 MHz", "pband-synonym", 10},
        {"PBand=1,3 GHz", "PBand=1,3 XHz", "pband", 10},
        {"CQSOs=27;4", "CQSOs=27,4", "claim-format", 28},
        {"CQSOP=51704", "CQSOP=51700", "claim", 29},
        {"JO60JJ;901", "JO60JJ;950", "claim", 37}, // 902 (whole km + 1) would pass
        {"CWWLs=16;0;1", "CWWLs=;0;1", "empty-number", 30},
        {"[Remarks]\r\n", "", "missing-section", 39},
        {"[QSORecords;27]", "[QSORecords;28]", "record-count", 40},
        {"[QSORecords;27]", "[Records]", "missing-section", 67},
        {"[QSORecords;27]", "[QSORecords;", "section-name", 40},
        {"1401;S51ZO;2;", "1401;S51ZO2;", "qso-fields", 41},
        {"160507;1401", "160532;1401", "qso-date", 41},
        {"1401;S51ZO", "1471;S51ZO", "qso-time", 41},
        {"S51ZO", "S5", "qso-call", 41},
        {"S51ZO;2;", "S51ZO;X;", "qso-mode", 41},
        {"S51ZO", "S51Z\xE9", "character", 41},
        {"9A6K;2;599;002", "9A6K;2;59;002", "qso-rst", 42},
        {"599;002;599;001", "599;2;599;001", "qso-number", 42},
        {"JN95HN", "JN95H", "qso-wwl", 42},
        {"JN86DR;1800", "JN86DR;abc", "qso-points", 41},
        {"JN86DR;1800", "JN86DR;1900", "points", 41},
        {"599;001;;JN86DR", "599;;;JN86DR", "points", 41}, // incomplete: 0
        {"S51ZO;2;599;001;599;001;;JN86DR;1800;;N;N;", "ERROR;;;001;;;;;1800;;;;", "points", 41},
        {"160507;1401", "160509;1401", "date-range", 41},
        {"160507;1411;9A6K", "160507;1301;9A6K", "time-order", 42},
        {"599;002;599;001;;JN95HN", "599;001;599;001;;JN95HN", "serial", 42},
        {"9A6K", "S51ZO", "flag-dupe", 42},
        {"JN95HN;920;;N;N;", "JN95HN;920;;N;N;D", "flag-dupe", 42},
        {"JN95LM;820;;;;", "JN95LM;820;;N;;", "flag-wwl", 46},
        {"JN95LM;820;;;;", "JN95LM;820;;;N;", "flag-dxcc", 46},
        {"", "", "db-locator", 41, "JN86DS S51ZO\r\n"},
        {"", "", "db-busted-call", 41, "JN86DR S51ZQ\r\n"},
    };
    const QByteArray clean = cleanLog();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.to) + " -> " + c.code);
        if (countries().empty() && std::string_view(c.code) == "flag-dxcc")
            continue; // DXCC is "not checked" without cty.dat
        QByteArray log = clean;
        if (*c.from) {
            log.replace(c.from, c.to);
            ASSERT_NE(log, clean) << "the defect was not made";
        }
        // No NUL after the last byte, as in a mapped file: a read past a line's end shows.
        const std::vector<char> bytes(log.begin(), log.end());
        const VerifyResult result = VerifyLog(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                              c.database, countries());
        const bool found =
            std::any_of(result.findings.begin(), result.findings.end(), [&](const Finding& f) {
                return f.code == QLatin1String(c.code) && f.line == c.line;
            });
        EXPECT_TRUE(found) << "findings: " << result.findings.size();
    }
}

// What a logger or a hand got wrong in a way with one right answer: a note for the repair,
// and a corrected copy that verifies clean and keeps the QSO's points.
TEST(VerifyLog, TheCorrectedCopyRepairsWhatIsMechanical) {
    const struct {
        const char *from, *to;
    } cases[] = {
        {"160507;1401;S51ZO;2;599;001;599;001;;JN86DR;",
         "160507;1401 ;S51ZO ; 2;599;001 ;599;001;;JN86DR ;"},
        {"S51ZO;2;599;001;599;001;;JN86DR;", "S51ZO;2;599;001;599;001;;jn86dr;"},
        {"S51ZO;2;599;001;599;001;", "S51ZO;2;599;001/;599;001/;"},
        {"S51ZO;2;599;001;599;001;", "S51ZO;2;599001;;599001;;"},
        {"S51ZO;2;599;001;599;001;", "S51ZO;6;59001;;590001;;"}, // 2 RST digits in FM
        {"S51ZO;2;599;001;599;001;;JN86DR;1800;", "S51ZO;2;599;001;599001;;;JN86DR;;"},
    };
    const QByteArray clean = cleanLog();
    const VerifyResult before = VerifyLog(clean, {}, countries());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        QByteArray log = clean;
        log.replace(c.from, c.to);
        ASSERT_NE(log, clean);
        const VerifyResult result = VerifyLog(log, {}, countries());
        EXPECT_TRUE(
            std::any_of(result.findings.begin(), result.findings.end(), [](const Finding& f) {
                return f.code == u"qso-fix"_s && f.line == 41 && f.severity == Severity::Note;
            }));
        const VerifyResult fixed = VerifyLog(FixedLog(log, countries()), {}, countries());
        EXPECT_EQ(fixed.count(Severity::Error), 0);
        EXPECT_FALSE(std::any_of(fixed.findings.begin(), fixed.findings.end(),
                                 [](const Finding& f) { return f.code == u"qso-fix"_s; }));
        ASSERT_EQ(fixed.qsos.size(), before.qsos.size());
        EXPECT_EQ(fixed.qsos.front().points, before.qsos.front().points);
        EXPECT_TRUE(fixed.qsos.front().valid);
    }
}

// The format description's own example, with the numbers it prints.
TEST(VerifyLog, TheFormatsExampleIsKnownGood) {
    if (countries().empty())
        GTEST_SKIP() << "no cty.dat: scripts/deps.sh installs hamradio-files";
    const VerifyResult result =
        VerifyLog(readAll(testing_support::logSamplesDir().filePath(u"handbook-oz1fdj.edi"_s)), {},
                  countries());
    EXPECT_EQ(result.count(Severity::Error), 0);
    for (const auto& [key, value] : {std::pair{u"CQSOP"_s, u"11579"_s},
                                     {u"CToSc"_s, u"11579"_s},
                                     {u"CDXCs"_s, u"7;0;1"_s},
                                     // it claims 1302, the QSO's points, which is allowed
                                     {u"CODXC"_s, u"OY9JD;IP62OA;1301"_s}}) {
        EXPECT_EQ(claim(result, key).recomputed, value) << key.toStdString();
        EXPECT_FALSE(claim(result, key).differs) << key.toStdString();
    }
    EXPECT_TRUE(claim(result, u"CWWLs"_s).recomputed.startsWith(u"19;"_s));
    EXPECT_EQ(std::count_if(result.qsos.begin(), result.qsos.end(),
                            [](const QsoResult& q) { return q.valid; }),
              24);
}

TEST(VerifyLog, LoggersWaysOfCountingAreNamedOnce) {
    // The clean log's QSOs scored each way; the band multiplier is ×4.
    const struct {
        size_t rule;
        qint64 factor;
        const char* claims; // CQSOs
        QString named;
    } cases[] = {
        {0, 4, "27;4", {}},
        {1, 4, "27;4", u"round(km) instead of whole km + 1"_s},
        {2, 4, "27;4", u"whole km without the + 1"_s},
        {3, 4, "27;4", u"R = 6371 km"_s},
        {4, 4, "27;4", u"R = 6373 km"_s},
        {5, 4, "27;4", u"the locators' south-west corners instead of their centres"_s},
        {0, 1, "27;4", u"the band multiplier ×4 left out of the points"_s},
        {0, 4, "27;1", u"a band multiplier ×4 inside the points, while CQSOs gives ×1"_s},
    };
    const QByteArray clean = cleanLog();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        QList<QByteArray> lines = clean.split('\n');
        for (QByteArray& line : lines) {
            QList<QByteArray> fields = line.split(';');
            if (line.startsWith("CQSOs="))
                line = QByteArray("CQSOs=") + c.claims + '\r';
            if (fields.size() != 15)
                continue;
            const auto km = LocatorDistanceKm("KN04OO", fields[9], kPointRules[c.rule]);
            fields[10] = QByteArray::number(DistancePoints(*km, kPointRules[c.rule]) * c.factor);
            line = fields.join(';');
        }
        const VerifyResult result = VerifyLog(lines.join('\n'), {}, countries());
        EXPECT_EQ(result.convention, c.named);
        EXPECT_EQ(std::count_if(result.findings.begin(), result.findings.end(),
                                [](const Finding& f) { return f.code == u"points"_s; }),
                  0);
    }
}

TEST(QsoPoints, FormatDocumentsExampleFromJO65FR) {
    // The points of the example log in the format's own description (OZ1FDJ, 1995).
    const std::pair<const char*, qint64> cases[] = {
        {"JO65ER", 6},    {"JO42LT", 396}, {"JO55US", 48},  {"JO40XL", 608}, {"JO65FR", 1},
        {"IP62OA", 1302}, {"KP20LG", 891}, {"IO87WI", 911}, {"JP70TO", 573},
    };
    for (const auto& [locator, points] : cases)
        EXPECT_EQ(DistancePoints(*LocatorDistanceKm("JO65FR", locator), kPointRules[0]), points)
            << locator;
}

TEST(QsoPoints, AWholeNumberOfKilometresKeepsItsPoint) {
    const struct {
        const char *from, *to;
        qint64 points;
    } cases[] = {
        {"KN12KR", "KN13KX", 140}, // one meridian, 1.25 degrees: 139 km exactly
        {"KN13KX", "KN12KR", 140},
        {"KN12KR", "KN17KR", 557}, // 5 degrees: 556 km
        {"KN12KR", "KN15KF", 279}, // 2.5 degrees: 278 km
        // Just beside the equator, 1.25 degrees of longitude are 9 mm short of 139 km.
        {"JJ00AA", "JJ00PA", 139},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DistancePoints(*LocatorDistanceKm(c.from, c.to), kPointRules[0]), c.points)
            << c.from << " " << c.to;
}

// The real file's 30,000 keys in one table: exact calls, prefixes, WAE-only entities left out.
TEST(CountryFile, TheRealFileNamesTheEntities) {
    const struct {
        const char* call;
        const char* entity;
    } cases[] = {
        {"DL1ABC", "Fed. Rep. of Germany"},
        {"IT9ABC", "Italy"},
        {"IS0ABC", "Sardinia"},
        {"UA9ABC", "Asiatic Russia"},
        {"UA9CCO/6", "European Russia"},
        {"KH6ABC", "Hawaii"},
        {"K1ABC", "United States of America"},
        {"EA8/DL1ABC", "Canary Islands"},
        {"OE/DL1ABC", "Austria"},
        {"Q1ABC", ""},
    };
    for (const auto& c : cases) {
        const auto entity = countries().entityOf(c.call);
        EXPECT_EQ(entity ? countries().name(*entity) : QString(), QLatin1String(c.entity))
            << c.call;
    }
}

TEST(CountryFile, ExactCallThenLongestPrefix) {
    const CountryFile file =
        CountryFile::parse("Germany: 14: 28: EU: 51.0: -10.0: -1.0: DL:\n    DA,DL,=OE/DL1XYZ;\n"
                           "Austria: 15: 28: EU: 47.3: -13.3: -1.0: OE:\n    OE;\n"
                           "Sicily: 15: 28: EU: 37.5: -14.0: -1.0: *IT9:\n    IT9;\n"
                           "Italy: 15: 28: EU: 42.8: -12.6: -1.0: I:\n    I,IT9(15)[28];\n");
    const struct {
        const char* call;
        const char* entity; // empty: none
    } cases[] = {
        {"DL1ABC", "Germany"},
        {"dl1abc/p", "Germany"},
        {"DL1ABC/MM", "Germany"},
        {"OE/DL1ABC", "Austria"},
        {"DL1ABC/OE", "Austria"},
        {"OE/DL1XYZ", "Germany"},
        {"IT9ABC", "Italy"},
        {"K1ABC", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        const auto entity = file.entityOf(c.call);
        EXPECT_EQ(entity ? file.name(*entity) : QString(), QLatin1String(c.entity)) << c.call;
    }
}

} // namespace
