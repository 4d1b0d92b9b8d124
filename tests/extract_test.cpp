#include "edilog/qsorecord.h"
#include "support/samples.h"
#include "ui/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <vector>

using namespace Qt::StringLiterals;

// Readable failure messages for QString comparisons.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using edilog::ExtractQsoRecords;
using edilog::QsoRecord;

namespace {

struct Expected {
    QString call;
    QString locator;
};

void expectRecords(const std::vector<QsoRecord>& got, const std::vector<Expected>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].Call, want[i].call);
        EXPECT_EQ(got[i].Locator, want[i].locator);
    }
}

// One long line each: what a line of 46 characters or more yields on its own.
struct LineCase {
    const char* name;
    QString line;
    std::optional<Expected> record;
};

TEST(ExtractQsoRecords, LongLineGivesRecordByPosition) {
    const LineCase cases[] = {
        {"standard QSO line", u"130507;1410;Q1ABC;1;59;001;59;001;;JO60AB;123;;N;N;"_s,
         Expected{u"Q1ABC"_s, u"JO60AB"_s}},
        {"filled exchange field: locator after the next ;;",
         u"130507;1410;Q1ABC;1;59;001;59;001;RX;JO60AB;123;;N;N;"_s, Expected{u"Q1ABC"_s, u"N"_s}},
        {"no ;; at all: locator from character 2",
         u"130507;1410;Q1ABC;1;59;001;59;001;RX;JO60AB;123;1;N;N;N"_s,
         Expected{u"Q1ABC"_s, u"30507"_s}},
        {"empty locator field", u"130507;1410;Q1ABC;1;59;001;59;001;;;1234;;N;N;"_s,
         Expected{u"Q1ABC"_s, QString()}},
        {"case and suffix kept", u"130507;1410;q1abc/p;1;59;001;59;001;;jo60ab;123;;N;N;"_s,
         Expected{u"q1abc/p"_s, u"jo60ab"_s}},
        {"nothing trimmed", u"130507;1410; Q1ABC ;1;59;001;59;001;; JO60 ;123;;N;N;"_s,
         Expected{u" Q1ABC "_s, u" JO60 "_s}},
        {"8-digit date shifts the call field",
         u"20160508;0502;YO5KDX;1;59;090;59;001;;KN16NH;159;;;;;"_s, Expected{u"2"_s, u"KN16NH"_s}},
        {"long header line is read the same way",
         u"CODXC=Q1XYZ;JO60AB;1234;remark text that runs long"_s,
         Expected{u"JO60AB"_s, u"ODXC=Q1XYZ"_s}},
        {"; at character 13 gives an empty call",
         u"130507;14100;Q1ABC;1;59;001;59;001;;JO60AB;123;;N;N;"_s,
         Expected{QString(), u"JO60AB"_s}},
        {"lone CR and LF are ordinary characters",
         u"130507;1410;Q1\rAB\nC;1;59;001;59;001;;JO\n60AB;123;;N;N;"_s,
         Expected{u"Q1\rAB\nC"_s, u"JO\n60AB"_s}},
        // Lines that lack a needed ";" have no record and are passed over.
        {"no ; at or after character 13", u"130507;1410;Q1ABC 1 59 001 59 001 JO60AB 123 N N"_s,
         std::nullopt},
        {"; at character 12 is not after the call start",
         u";;A;xxxxxxx;xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"_s, std::nullopt},
        {"no ; after the ;;", u"130507;1410;Q1ABC;1;59;001;59;001;;JO60AB 123 N N"_s, std::nullopt},
        {";; at the very end", u"130507;1410;Q1ABC;1;59;001;59;001;JO60AB;123 N N;;"_s,
         std::nullopt},
        {"no ;; and ; only at character 1", u";130507 1410 Q1ABC 1 59 001 59 001 JO60AB 123 N N"_s,
         std::nullopt},
        {"no ; at all", u"We declare that we are fully adhered to the rules of the contest"_s,
         std::nullopt},
        {"only semicolons", QString(60, u';'), Expected{u""_s, u""_s}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GE(c.line.size(), 46) << "the case must be a long line";
        std::vector<Expected> want;
        if (c.record)
            want.push_back(*c.record);
        expectRecords(ExtractQsoRecords(c.line), want);
    }
}

TEST(ExtractQsoRecords, LinesOf45CharactersOrLessAreSkipped) {
    const QString line45 = u"130507;1410;Q1ABC;1;59;001;59;001;;JO60AB;;;;"_s;
    const QString line46 = u"130507;1410;Q1ABC;1;59;001;59;001;;JO60AB;1;;;"_s;
    ASSERT_EQ(line45.size(), 45);
    ASSERT_EQ(line46.size(), 46);
    const Expected record{u"Q1ABC"_s, u"JO60AB"_s};
    expectRecords(ExtractQsoRecords(line45), {});
    expectRecords(ExtractQsoRecords(line45 + u"\r\n"_s + line45 + u"\r\n"_s), {});
    expectRecords(ExtractQsoRecords(line45 + u"\r\n"_s + line46), {record});
    // A lone CR stays in the line and counts towards its length.
    expectRecords(ExtractQsoRecords(line45 + u"\r\r\n"_s), {record});
}

// Whole texts: how lines are split and in which order records come out.
struct LogCase {
    const char* name;
    QString text;
    std::vector<Expected> records;
};

TEST(ExtractQsoRecords, SplitsAtCrLfAndKeepsLogOrder) {
    const QString a = u"130507;1410;Q1ABC;1;59;001;59;001;;JO60AB;123;;N;N;"_s;
    const QString b = u"130507;1412;Q2XYZ/P;1;59;002;59;017;;KN16TS;456;;N;N;"_s;
    const Expected ra{u"Q1ABC"_s, u"JO60AB"_s};
    const Expected rb{u"Q2XYZ/P"_s, u"KN16TS"_s};
    const QString header =
        u"[REG1TEST;1]\r\nTName=Test\r\nPCall=Q9ZZ\r\n[Remarks]\r\n\r\n[QSORecords;2]\r\n"_s;
    const QString longHeader = u"MOpe1=Q3AAA Ann;Q4BB Bob;Q5CC Cid;Q6DD Dan;Q7EE Eve"_s;

    const LogCase cases[] = {
        {"empty text", QString(), {}},
        {"only line breaks", u"\r\n\r\n\r\n"_s, {}},
        {"whole log", header + a + u"\r\n"_s + b + u"\r\n[END;x]\r\n"_s, {ra, rb}},
        {"no QSORecords header", a + u"\r\n"_s + b, {ra, rb}},
        {"after the QSO section", header + u"[END;x]\r\n"_s + a, {ra}},
        {"long header line outside the section",
         longHeader + u"\r\n"_s + header + a,
         {{u"Ann"_s, u"Ope1=Q3AAA Ann"_s}, ra}},
        {"same station twice", a + u"\r\n"_s + b + u"\r\n"_s + a, {ra, rb, ra}},
        {"bare LF makes one line", a + u"\n"_s + b + u"\n"_s, {ra}},
        {"bare LF with a short first line",
         u"[REG1TEST;1]\n"_s + a + u"\n"_s + b,
         {{u"\n130507"_s, u"JO60AB"_s}}},
        {"unreadable long line in between",
         a + u"\r\nno semicolon in this long remark line whatsoever!\r\n"_s + b,
         {ra, rb}},
    };
    for (const LogCase& c : cases) {
        SCOPED_TRACE(c.name);
        expectRecords(ExtractQsoRecords(c.text), c.records);
    }
}

// The extraction must cut lines exactly where the shared line splitter does.
TEST(ExtractQsoRecords, LinesAgreeWithSharedSplitter) {
    const QString a = u"130507;1410;Q1ABC;1;59;001;59;001;;JO60AB;123;;N;N;"_s;
    const QString texts[] = {
        a,
        u"\r\n"_s + a + u"\r\n"_s,
        a + u"\r\r\n\n"_s + a,
        a + u"\r"_s + a + u"\n\r\n"_s + a.left(45) + u"\r\n\r\n"_s + a,
        a + u"\n\r"_s + a,
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        std::vector<Expected> perLine;
        for (const QString& line : ui::splitAtCrLf(text)) {
            for (const QsoRecord& r : ExtractQsoRecords(line))
                perLine.push_back({r.Call, r.Locator});
        }
        ASSERT_FALSE(perLine.empty());
        expectRecords(ExtractQsoRecords(text), perLine);
    }
}

TEST(ExtractQsoRecords, NoLimitOnTheNumberOfLines) {
    const int count = 40000; // beyond any 16-bit line number
    QString text;
    for (int i = 0; i < count; ++i)
        text += u"130507;1410;Q%1;1;59;001;59;001;;JO60AB;123;;N;N;\r\n"_s.arg(i, 6, 10,
                                                                               QLatin1Char('0'));
    const std::vector<QsoRecord> records = ExtractQsoRecords(text);
    ASSERT_EQ(records.size(), std::size_t(count));
    EXPECT_EQ(records.front().Call, u"Q000000"_s);
    EXPECT_EQ(records[32768].Call, u"Q032768"_s);
    EXPECT_EQ(records.back().Call, u"Q039999"_s);
}

using testing_support::samplesDir;

struct SampleCase {
    const char* file;
    std::size_t count;
    Expected first;
    Expected last;
};

// Counts differ from the files' [QSORecords;N] where long non-QSO lines, bare LF line
// ends or a short placeholder line come into play.
TEST(ExtractQsoRecords, SampleLogs) {
    const QDir dir = samplesDir();
    if (!dir.exists())
        GTEST_SKIP() << "sample logs not found";
    const SampleCase cases[] = {
        {"log-144mhz-large.edi", 187, {u"HG1Z"_s, u"JN86KU"_s}, {u"IQ8BI"_s, u"JN71HU"_s}},
        // The first ;; of each line comes before the RST+serial, not the locator.
        {"log-144mhz-lowercase.edi", 11, {u"YO5ER/P"_s, u"59020"_s}, {u"YOCUQ/P"_s, u"59027"_s}},
        // LF only: the whole file is one line.
        {"log-144mhz-lf.edi",
         1,
         {u"\nTName=Day of radio\nTDate=20160507"_s, u"KN21QT"_s},
         {u"\nTName=Day of radio\nTDate=20160507"_s, u"KN21QT"_s}},
        // The LF-only preamble merges into the first line; the long RAdr1 line has no ";".
        {"log-144mhz-mixed-eol.edi",
         8,
         {u"xxxxxxxxxxxxxxxx\n# SUBJECT : YO4FZX\n# FILENAME : YO4FZX.EDI\n[REG1TEST"_s,
          u" xxxxx : xxxxxxxxxxxxxxxxxx\n# SUBJECT : YO4FZX\n# FILENAME : YO4FZX.EDI\n[REG1TEST"_s},
         {u"YO6KNY"_s, u"KN36BA"_s}},
        // The long remarks line has no ";".
        {"log-144mhz-bom.edi", 16, {u"LZ2GG"_s, u"KN33WN"_s}, {u"LZ2SK"_s, u"KN43EK"_s}},
        // The MOpe1 line gives a record; the long remarks line has no ";".
        {"log-1296mhz-a.edi", 28, {u"Miki"_s, u"Ope1=YU1AU Miki"_s}, {u"HG7F"_s, u"JN97KR"_s}},
        {"log-144mhz-8digit-date.edi", 27, {u"2"_s, u"KN16NH"_s}, {u"9"_s, u"JN95KI"_s}},
        {"log-144mhz-remarks.edi", 4, {u"LZ5ZX"_s, u"KN12PP"_s}, {u"LZ1DKL"_s, u"KN12QQ"_s}},
        {"log-144mhz-placeholder.edi", 7, {u"YO8R00/P"_s, u"KN36OO"_s}, {u"YO4FYQ"_s, u"KN44FD"_s}},
        {"log-144mhz-dupe.edi", 71, {u"YT0B"_s, u"KN04GL"_s}, {u"HA2MJ"_s, u"JN97NQ"_s}},
    };
    for (const SampleCase& c : cases) {
        SCOPED_TRACE(c.file);
        QFile file(dir.filePath(QString::fromLatin1(c.file)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.errorString().toStdString();
        const std::vector<QsoRecord> records =
            ExtractQsoRecords(QString::fromLatin1(file.readAll()));
        ASSERT_EQ(records.size(), c.count);
        EXPECT_EQ(records.front().Call, c.first.call);
        EXPECT_EQ(records.front().Locator, c.first.locator);
        EXPECT_EQ(records.back().Call, c.last.call);
        EXPECT_EQ(records.back().Locator, c.last.locator);
    }
}

TEST(ExtractQsoRecords, SampleDuplicateKeepsBothSpellings) {
    const QDir dir = samplesDir();
    QFile file(dir.filePath(u"log-144mhz-dupe.edi"_s));
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "sample logs not found";
    const std::vector<QsoRecord> records = ExtractQsoRecords(QString::fromLatin1(file.readAll()));
    ASSERT_EQ(records.size(), 71u);
    EXPECT_EQ(records[17].Call, u"HA3GO/P"_s);
    EXPECT_EQ(records[27].Call, u"HA3GO/p"_s);
    EXPECT_EQ(records[27].Locator, records[17].Locator);
}

} // namespace
