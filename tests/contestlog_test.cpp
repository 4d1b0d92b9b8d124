// Reading contest logs into the model: a table per format, a row per real sample and per
// awkward case; the format told from the bytes; bands and modes between the formats; and
// bytes no log holds.
#include "contestlog/reader.h"
#include "support/printers.h"
#include "support/samples.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

using namespace Qt::StringLiterals;
using namespace contestlog;

namespace {

using testing_support::readFile;

// A file of tests/data/logs, or else of tests/data/edi.
QByteArray sample(const char* name) {
    const QString file = QString::fromLatin1(name);
    const QString logs = testing_support::logSamplesDir().filePath(file);
    return readFile(QFile::exists(logs) ? logs : testing_support::samplesDir().filePath(file));
}

// One row: a real sample (a file name ending in its format's extension) or bytes, and what
// the model holds. `index` picks a QSO, `qso` says it: call|locator|band|hh:mm|received RST
// and number|own locator.
struct Row {
    QByteArray source;
    qsizetype qsos;
    qsizetype index;
    const char* qso;
    const char* codes; // the findings' codes, sorted, each once
};

bool isSample(const QByteArray& source) {
    return !source.contains('<') && !source.contains('\n') &&
           (source.endsWith(".adi") || source.endsWith(".adx") || source.endsWith(".cbr") ||
            source.endsWith(".edi"));
}

std::string codesOf(const ContestLog& log) {
    std::set<std::string> codes;
    for (const Finding& f : log.findings)
        codes.insert(f.code.toStdString());
    std::string joined;
    for (const std::string& code : codes)
        joined += (joined.empty() ? "" : ",") + code;
    return joined;
}

void checkRows(Format format, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source.left(60).toStdString());
        const QByteArray bytes = isSample(row.source) ? sample(row.source.constData()) : row.source;
        ASSERT_FALSE(bytes.isEmpty());
        const ContestLog log = ReadContestLog(bytes);
        EXPECT_EQ(log.format, format);
        EXPECT_EQ(codesOf(log), row.codes);
        ASSERT_EQ(qsizetype(log.qsos.size()), row.qsos);
        if (row.qsos > 0) {
            const Qso& qso = log.qsos[size_t(row.index)];
            const QString said =
                QStringList{qso.call,
                            qso.locator,
                            AdifBandName(qso.band),
                            qso.time.toString(u"hh:mm"_s),
                            (qso.receivedRst + u' ' + qso.receivedNumber).trimmed(),
                            log.stationLocator(qso)}
                    .join(u'|');
            EXPECT_EQ(said, QString::fromUtf8(row.qso));
        }
        for (const Finding& f : log.findings) {
            EXPECT_FALSE(f.text.isEmpty()) << f.code.toStdString();
            EXPECT_LE(f.line, bytes.count('\n') + 1) << f.code.toStdString();
        }
    }
}

TEST(ReadAdif, SamplesAndAwkwardCases) {
    const QByteArray qso = "<QSO_DATE:8>20240506<TIME_ON:4>1234<BAND:2>2m";
    checkRows(
        Format::Adif,
        {
            // Lower-case tags, empty <gridsquare:0>, CR LF.
            {"wsjtx-2.6.1-crlf.adi", 185, 4, "DL6BF|JO32|2m|18:44|+07|JO44VS", ""},
            // 8- and 10-character locators, VUCC_GRIDS; multi-line values whose lengths count
            // CR LF in an LF file; modes REG1TEST has no code for.
            {"adif-3.1.6-test-qsos.adi", 6191, 1281, "G9BRB|IO83WJ16XA09|13cm|02:03||",
             "adif-length,adif-mode,more"},
            // COUNTRY's length counts characters: the fields after it are read all the same.
            {"logger32-4.0.adi", 1015, 129, "TA3AGV|KM39ih|10m|13:27|-13|", "adif-length-chars"},
            // Header tags without a length; signal reports in SRX/STX.
            {"mixw-3.2.adi", 14, 4, "S51ZO|JN86|2m|00:01|599|", "adif-serial,adif-tag"},
            // No header: the first character is '<'. Types on the tags, any case.
            {"<call:5:s>Q1ABC<Gridsquare:6>jo01ab " + qso + "<Srx:3:N>007<rst_rcvd:2>59<eOr>", 1, 0,
             "Q1ABC|jo01ab|2m|12:34|59 007|", ""},
            {"\xEF\xBB\xBF<CALL:5>Q1ABC" + qso + "<EOR>", 1, 0, "Q1ABC||2m|12:34||", "bom"},
            // Latin-1 bytes: one byte, one character.
            {"Log\r\n<EOH>\r\n<COMMENT:5>J\xF6rg!<CALL:5>Q1ABC" + qso + "<EOR>", 1, 0,
             "Q1ABC||2m|12:34||", ""},
            // UTF-8 counted in bytes, then in characters.
            {"<COMMENT:6>J\xC3\xB6rg!<CALL:5>Q1ABC" + qso + "<EOR>", 1, 0, "Q1ABC||2m|12:34||", ""},
            {"<COMMENT:5>J\xC3\xB6rg!<CALL:5>Q1ABC" + qso + "<EOR>", 1, 0, "Q1ABC||2m|12:34||",
             "adif-length-chars"},
            // A length that cuts the value short, and one that runs into the next tag.
            {"<CALL:4>Q1ABC " + qso + "<EOR>", 1, 0, "Q1ABC||2m|12:34||", "adif-length"},
            {"<CALL:9>Q1ABC<EOR>" + qso + "<EOR>", 2, 0, "Q1ABC|||||",
             "adif-band,adif-date,adif-length,adif-no-call,adif-time"},
            // Lengths past the end, negative, huge.
            {qso + "<CALL:50>Q1ABC", 1, 0, "Q1ABC||2m|12:34||", "adif-length,adif-no-eor"},
            {qso + "<CALL:-5>Q1ABC<EOR>", 1, 0, "Q1ABC||2m|12:34||", "adif-length"},
            {qso + "<CALL:99999999999999999999>Q1ABC<EOR>", 1, 0, "Q1ABC||2m|12:34||",
             "adif-length"},
            // '<' inside a value, with its length right.
            {"<COMMENT:9>a<b c> <3 <CALL:5>Q1ABC" + qso + "<EOR>", 1, 0, "Q1ABC||2m|12:34||", ""},
            // A record without <EOR> before the next one.
            {"<CALL:5>Q1ABC" + qso + "\n<CALL:5>Q2ABC" + qso + "<EOR>", 2, 1, "Q2ABC||2m|12:34||",
             "adif-no-eor"},
            // GRIDSQUARE_EXT, the band from FREQ (MHz), MY_GRIDSQUARE; text between fields.
            {"<CALL:5>Q1ABC<GRIDSQUARE:8>JO01AB12<GRIDSQUARE_EXT:2>CD<FREQ:7>432.200 notes "
             "<QSO_DATE:8>20240506<TIME_ON:6>123456<MY_GRIDSQUARE:6>JN99XX<EOR>",
             1, 0, "Q1ABC|JO01AB12CD|70cm|12:34||JN99XX", "adif-text"},
            // BAND in capitals; FREQ beyond it; a grid that is none; no call.
            {"<BAND:4>70CM<FREQ:3>144<GRIDSQUARE:4>ZZ99<QSO_DATE:8>20240506<TIME_ON:4>1234<EOR>", 1,
             0, "|ZZ99|70cm|12:34||", "adif-band,adif-locator,adif-no-call"},
            // The header of a file that begins with '<'; an empty record.
            {"<ADIF_VER:5>3.1.4<EOH><EOR><CALL:5>Q1ABC" + qso + "<EOR>", 1, 0, "Q1ABC||2m|12:34||",
             "adif-empty-record"},
            {"text <EOH>\n", 0, 0, "", ""},
        });
}

// Each QSO and finding names its line, and in ADIF its record.
TEST(ReadAdif, NamesLinesAndRecords) {
    const ContestLog log =
        ReadAdif("Log\r\n<EOH>\r\n\r\n<CALL:5>Q1ABC\r\n<BAND:2>2m<QSO_DATE:8>20240506"
                 "<TIME_ON:4>1234<EOR>\r\n\r\n<CALL:5>Q2ABC\r\n<TIME_ON:2>1235"
                 "<QSO_DATE:8>2024x506<BAND:2>2m<EOR>\r\n");
    ASSERT_EQ(log.qsos.size(), 2u);
    EXPECT_EQ(std::pair(log.qsos[0].line, log.qsos[0].record),
              std::pair(qsizetype(4), qsizetype(1)));
    EXPECT_EQ(std::pair(log.qsos[1].line, log.qsos[1].record),
              std::pair(qsizetype(7), qsizetype(2)));
    std::vector<std::tuple<qsizetype, qsizetype, std::string>> found;
    for (const Finding& f : log.findings)
        found.emplace_back(f.line, f.record, f.code.toStdString());
    const std::vector<std::tuple<qsizetype, qsizetype, std::string>> expected{
        {7, 2, "adif-date"}, {8, 2, "adif-length"}};
    EXPECT_EQ(found, expected);
}

TEST(ReadAdx, SamplesAndAwkwardCases) {
    checkRows(
        Format::Adx,
        {
            {"adx-example.adx", 2, 1, "ON4UN||40m|01:11||", ""},
            {"<ADX><RECORDS><RECORD><call>Q1ABC</call><GRIDSQUARE>JO01</"
             "GRIDSQUARE><QSO_DATE>20240506</QSO_DATE><TIME_ON>1234</TIME_ON><BAND>2M</"
             "BAND><SRX>12</SRX></RECORD></RECORDS></ADX>",
             1, 0, "Q1ABC|JO01|2m|12:34|12|", ""},
            // Cut off, and XML that is not ADX.
            {"<?xml version=\"1.0\"?><ADX><RECORDS><RECORD><CALL>Q1ABC</CALL></RECORD><RECORD><CA",
             1, 0, "Q1ABC|||||", "adif-band,adif-date,adif-time,adx-xml"},
            {"<?xml version=\"1.0\"?><html><body>Q1ABC</body></html>", 0, 0, "", "adx-root"},
            {"<?xml "
             "version=\"1.0\"?><ADX><RECORDS><RECORD><CALL>Q1<b></CALL></RECORD></RECORDS></ADX>",
             0, 0, "", "adx-xml"},
        });
}

TEST(ReadCabrillo, SamplesAndAwkwardCases) {
    checkRows(
        Format::Cabrillo,
        {
            // The rover's own grid changes through the log.
            {"arrl-vhf-jan-2018-rover.cbr", 96, 0, "AA6XA|CM88|2m|23:10||CM97", ""},
            {"arrl-vhf-jan-2018-rover.cbr", 96, 12, "N6JET/R|CM88|6m|02:20||CM88", ""},
            // No START-OF-LOG; RST and serial before the grid; a frequency in kHz.
            {"QSO: 144174 CW 2024-05-06 1234 Q1ABC 599 001 JO01AB Q2ABC 579 012 "
             "JO02\r\nEND-OF-LOG:\r\n",
             1, 0, "Q2ABC|JO02|2m|12:34|579 012|JO01AB", "cabrillo-start"},
            // A transmitter number at the end; 1.2G; an unreadable line; an X-QSO.
            {"START-OF-LOG: 3.0\nGRID-LOCATOR: JO01\nQSO: 1.2G PH 2024-05-06 1234 Q1ABC JO01 Q2ABC "
             "JO02 1\nQSO: 144 PH\nX-QSO: 144 PH 2024-05-06 1235 Q1ABC JO01 Q3ABC "
             "JO03\njunk\nEND-OF-LOG:\n",
             1, 0, "Q2ABC|JO02|23cm|12:34||JO01", "cabrillo-line,cabrillo-qso,cabrillo-x-qso"},
            // Exchanges of different lengths; a band, mode, date and time that are none.
            {"START-OF-LOG: 3.0\nQSO: 145 XX 06-05-2024 2561 Q1ABC 59 JO01 Q2ABC JO02\n", 1, 0,
             "Q2ABC|JO02||||JO01",
             "cabrillo-band,cabrillo-date,cabrillo-end,cabrillo-exchange,cabrillo-mode,cabrillo-"
             "time"},
        });
}

TEST(ReadReg1test, SamplesAndAwkwardCases) {
    const QByteArray start = "[REG1TEST;1]\r\nPWWLo=JO01AA\r\nPBand=432 MHz\r\n[Remarks]\r\n";
    checkRows(
        Format::Reg1test,
        {
            {"handbook-oz1fdj.edi", 26, 24, "OY9JD|IP62OA|2m|17:39|52A 011|JO65FR", "line-length"},
            {"log-144mhz-8digit-date.edi", 27, 0, "YO5KDX|KN16NH|2m|05:02|59 001|kn17wp",
             "qso-fields,repeated-key,section-name"},
            {"log-144mhz-bom.edi", 16, 0, "LZ2GG|KN33WN|2m|14:18|559 004|KN34PB",
             "bom,character,unknown-key"},
            // The RST run into the number: the fields are as the line has them.
            {"log-144mhz-lowercase.edi", 11, 0, "YO5ER/P|kn27fh|2m|14:28|59020|KN16TU", ""},
            {"log-144mhz-placeholder.edi", 8, 1, "YO8R00/P|KN36OO|2m|15:15|59 011|KN36TF",
             "character,key-spelling"},
            {"log-1296mhz-a.edi", 27, 0, "S51ZO|JN86DR|23cm|14:01|599 001|KN04OO", "line-length"},
            // Padded fields are read without their spaces; `fields` keeps them.
            {start + "[QSORecords;1]\r\n240506;1234 ;Q1ABC ;2;599;001;599; 002;;JO01AB ;10;;;;\r\n",
             1, 0, "Q1ABC|JO01AB|70cm|12:34|599 002|JO01AA", ""},
            // No first line; a record line of 14 fields.
            {"PBand=432 "
             "MHz\r\n[Remarks]\r\n[QSORecords;2]\r\n240506;1234;Q1ABC;2;599;001;599;002;;JO01AB;10;"
             ";;;\r\n240506;1234;Q1ABC;2;599;001;599;002;;JO01AB;10;;;\r\n",
             2, 0, "Q1ABC|JO01AB|70cm|12:34|599 002|", "missing-section,qso-fields"},
            {"[REG1TEST;1]\r\nPCall=Q1ABC\r\n", 0, 0, "", "missing-section"},
        });
}

// The verifier reads the layout alone: the same findings and QSO lines as the whole reading.
TEST(ReadReg1test, TheLayoutAloneAsTheWholeReadingFindsIt) {
    QList<QByteArray> logs{
        "[REG1TEST;1]\r\n[Remarks]\r\n[QSORecords;3]\r\n1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;\r\n"
        "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16\r\n;;\r\n"};
    for (const QFileInfo& file : testing_support::samplesDir().entryInfoList({u"*.edi"_s}))
        logs << readFile(file.filePath());
    for (const QByteArray& bytes : logs) {
        const ContestLog whole = ReadReg1test(bytes), layout = ReadReg1testLayout(bytes);
        ASSERT_EQ(layout.edi.recordLines.size(), whole.qsos.size());
        EXPECT_TRUE(layout.qsos.empty());
        for (size_t i = 0; i < whole.qsos.size(); ++i) {
            EXPECT_EQ(layout.edi.recordLines[i].line, whole.qsos[i].line);
            EXPECT_EQ(layout.edi.recordLines[i].readable, whole.qsos[i].readable)
                << whole.qsos[i].line;
        }
        ASSERT_EQ(layout.findings.size(), whole.findings.size());
        for (size_t i = 0; i < whole.findings.size(); ++i)
            EXPECT_EQ(
                std::tie(layout.findings[i].line, layout.findings[i].code, layout.findings[i].text),
                std::tie(whole.findings[i].line, whole.findings[i].code, whole.findings[i].text));
        EXPECT_EQ(layout.header.size(), whole.header.size());
    }
}

TEST(ReadReg1test, KeepsWhatTheRulesAndTheFixNeed) {
    const ContestLog log = ReadContestLog(
        "From: a mail\r\n[REG1TEST;1]\r\npcall=Q1ABC\r\nPCall: Q1ABD\r\nCsExcs=1;0;1\r\nno key\r\n"
        "[Remarks]\r\nA remark\r\n[QSORecords;3]\r\n[Stray]\r\n"
        "20240506;0726 ;Q1ABC;X;599;001;599;002;;JO01AB;ab;;N;;D;\r\n"
        "240506;1200;Q2ABC;1\r\n[END; Logger 1.0]\r\nafter\r\n");
    EXPECT_EQ(log.value(u"PCall"), u"Q1ABC"_s); // the first one counts
    ASSERT_EQ(log.header.size(), 4u);
    EXPECT_EQ(log.header[1].written, u"PCall"_s);
    EXPECT_EQ(log.header[1].line, 4);
    EXPECT_EQ(log.header[2].key, u"CExcs"_s); // a near miss of a key the log lacks
    EXPECT_EQ(log.header[3].key, QString());
    EXPECT_EQ(log.header[3].value, u"no key"_s);
    EXPECT_EQ(log.edi.preamble.size(), 1u);
    EXPECT_EQ(log.edi.strays.front().text, u"[Stray]"_s);
    EXPECT_EQ(log.edi.trailer.size(), 2u);
    EXPECT_EQ(log.edi.recordsLine, 9);
    EXPECT_EQ(log.edi.declaredRecords, 3);
    ASSERT_EQ(log.qsos.size(), 2u);
    const Qso& qso = log.qsos[0];
    EXPECT_EQ(qso.line, 11);
    EXPECT_EQ(qso.fields[1], u"0726 "_s);
    EXPECT_EQ(qso.date, QDate(2024, 5, 6));
    EXPECT_EQ(qso.mode, Mode::None);
    EXPECT_EQ(qso.modeText, u"X"_s);
    EXPECT_FALSE(qso.points);
    EXPECT_TRUE(qso.newLocator && qso.duplicate && !qso.newExchange);
    EXPECT_FALSE(log.qsos[1].readable);
    EXPECT_EQ(log.qsos[1].fields.size(), 4);
    EXPECT_EQ(log.qsos[1].record, 2);
    // The verifier's codes at the verifier's lines.
    std::vector<std::pair<qsizetype, std::string>> found;
    for (const Finding& f : log.findings)
        found.emplace_back(f.line, f.code.toStdString());
    const std::vector<std::pair<qsizetype, std::string>> expected{
        {1, "preamble"},     {3, "key-spelling"}, {4, "key-spelling"},
        {4, "repeated-key"}, {5, "unknown-key"},  {6, "header-line"},
        {10, "qso-fields"},  {11, "qso-fields"},  {12, "qso-fields"}};
    EXPECT_EQ(found, expected);
}

// Every format's header fields, each with its line; the own station from the header where
// the QSO does not say it.
TEST(ReadContestLog, HeaderFieldsKeepTheirLines) {
    const struct {
        QByteArray bytes;
        const char* field;   // key=written=value@line
        const char* station; // the first QSO's own call and locator
    } cases[] = {
        {"Log\n<adif_ver:5>3.1.4\n<ProgramId>MixW\n<EOH>\n<CALL:5>Q2ABC<EOR>",
         "PROGRAMID=ProgramId=MixW@3", "|"},
        {"<ADX>\n<HEADER>\n<PROGRAMID>monolog</PROGRAMID>\n</HEADER><RECORDS><RECORD><CALL>Q2ABC"
         "</CALL><STATION_CALLSIGN>Q1ABC</STATION_CALLSIGN></RECORD></RECORDS></ADX>",
         "PROGRAMID=PROGRAMID=monolog@3", "Q1ABC|"},
        {"START-OF-LOG: 3.0\nCallsign: Q1ABC/R\nGRID-LOCATOR: JO01\nQSO: 144 PH 2024-05-06 1234 "
         "Q1ABC/R JO02 Q2ABC JO03\n",
         "CALLSIGN=Callsign=Q1ABC/R@2", "Q1ABC/R|JO02"},
        {"[REG1TEST;1]\r\npcall= Q1ABC \r\nPWWLo=JO01AA\r\n[Remarks]\r\n[QSORecords;1]\r\n"
         "240506;1234;Q2ABC;1;59;001;59;002;;JO02AB;100;;;;\r\n",
         "PCall=pcall=Q1ABC@2", "Q1ABC|JO01AA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.left(40).toStdString());
        const ContestLog log = ReadContestLog(c.bytes);
        const QString expected = QString::fromLatin1(c.field);
        const HeaderField* field = log.field(expected.section(u'=', 0, 0));
        ASSERT_NE(field, nullptr);
        const HeaderField& f = *field;
        EXPECT_EQ(u"%1=%2=%3@%4"_s.arg(f.key, f.written, f.value).arg(f.line), expected);
        ASSERT_FALSE(log.qsos.empty());
        EXPECT_EQ(log.stationCall(log.qsos[0]) + u'|' + log.stationLocator(log.qsos[0]),
                  QString::fromLatin1(c.station));
    }
    ContestLog log = ReadContestLog("<CALL:5>Q2ABC<EOR>");
    log.setValue(u"PCall"_s, u"Q1ABC"_s); // what a conversion gives a log that lacks it
    log.setValue(u"pcall"_s, u"Q1ABD"_s);
    EXPECT_EQ(log.header.size(), 1u);
    EXPECT_EQ(log.stationCall(log.qsos[0]), u"Q1ABD"_s);
}

TEST(DetectFormat, FromTheBytesThenTheName) {
    const struct {
        QByteArray bytes;
        const char* name;
        Format format;
    } cases[] = {
        {"  <?xml version=\"1.0\"?><ADX/>", "", Format::Adx},
        {"<adx>", "log.adi", Format::Adx},
        {"\xEF\xBB\xBF[REG1TEST;1]\r\n", "log.adi", Format::Reg1test},
        {"TName=x\r\nPCall=Q1ABC\r\n", "LOG.EDI", Format::Reg1test},
        {"START-OF-LOG: 3.0\n", "", Format::Cabrillo},
        {"  qso: 144 PH 2018-01-20 2310 W6REK/R CM97 AA6XA CM88\n", "", Format::Cabrillo},
        {"Exported\n<eoh>\n", "", Format::Adif},
        {"<call:5>Q1ABC", "", Format::Adif},
        {"anything", "w.adif", Format::Adif},
        {"anything", "w.cbr", Format::Cabrillo},
        {"anything", "w.txt", Format::Unknown},
        {QByteArray("[REG1TEST;1]\0", 13), "x.edi", Format::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        EXPECT_EQ(DetectFormat(c.bytes, QString::fromLatin1(c.name)), c.format);
    }
}

// None of these may crash or read past the bytes; each says what is wrong.
TEST(ReadContestLog, BytesThatAreNoLog) {
    QByteArray binary(64 << 20, '\0');
    QRandomGenerator random(7);
    random.fillRange(reinterpret_cast<quint32*>(binary.data()), binary.size() / 4);
    EXPECT_EQ(codesOf(ReadContestLog(binary)), "binary");
    EXPECT_EQ(codesOf(ReadContestLog("just some words\n", u"notes.txt")), "unknown-format");

    // 64 MB of a log: no file that large is read into memory twice, nor slowly.
    const QByteArray record =
        "<CALL:5>Q1ABC<QSO_DATE:8>20240506<TIME_ON:4>1234<BAND:2>2m<COMMENT:4000>" +
        QByteArray(4000, 'x') + "<EOR>\n";
    const QByteArray big = record.repeated((64 << 20) / record.size());
    const ContestLog log = ReadContestLog(big);
    EXPECT_EQ(log.qsos.size(), size_t((64 << 20) / record.size()));
    EXPECT_TRUE(log.findings.empty());
    // Every reader on random bytes of every kind: findings, never a crash.
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(int(random.bounded(1, 400)), '\0');
        const char alphabet[] = "<>:;EOHRCALLeor0123456789 \r\n[]QSO-\xC3\xB6\xFF";
        for (char& c : bytes)
            c = alphabet[random.bounded(int(sizeof alphabet) - 1)];
        for (const auto read : {ReadAdif, ReadAdx, ReadCabrillo, ReadReg1test})
            for (const Finding& f : read(bytes).findings)
                ASSERT_FALSE(f.code.isEmpty());
    }
}

TEST(Bands, BetweenTheFormats) {
    EXPECT_EQ(BandFromAdifName(u"2M"), Band::Band2m);
    EXPECT_EQ(BandFromAdifName(u"70cm"), Band::Band70cm);
    EXPECT_EQ(BandFromAdifName(u"1.25CM"), Band::Band1_25cm);
    EXPECT_EQ(BandFromAdifName(u"2 m"), Band::None);
    EXPECT_EQ(BandFromMHz(144.174), Band::Band2m);
    EXPECT_EQ(BandFromMHz(1296.2), Band::Band23cm);
    EXPECT_EQ(BandFromMHz(54.000001), Band::Band6m); // where 6 m and 5 m meet
    EXPECT_EQ(BandFromMHz(149.0), Band::None);
    for (const auto& [text, band] : std::vector<std::pair<const char*, Band>>{
             {"50", Band::Band6m},
             {"144", Band::Band2m},
             {"222", Band::Band1_25m},
             {"902", Band::Band33cm},
             {"1.2G", Band::Band23cm},
             {"10G", Band::Band3cm},
             {"14025", Band::Band20m},
             {"432100", Band::Band70cm},
             {"LIGHT", Band::None},
         })
        EXPECT_EQ(BandFromCabrillo(QString::fromLatin1(text)), band) << text;
    for (const auto& [text, band] : std::vector<std::pair<const char*, Band>>{
             {"144 MHz", Band::Band2m},
             {"145 MHz", Band::Band2m},
             {"145", Band::Band2m},
             {"2M", Band::Band2m},
             {"432 MHz", Band::Band70cm},
             {"435 MHz", Band::Band70cm},
             {"1,3 GHz", Band::Band23cm},
             {"1.3 GHz", Band::Band23cm},
             {"1296 MHz", Band::Band23cm},
             {"2,3 GHz", Band::Band13cm},
             {"5,7 GHz", Band::Band6cm},
             {"10 GHz", Band::Band3cm},
             {"248 GHz", Band::Band1mm},
             {"144.3 MHz", Band::Band2m},
             {"1,3 XHz", Band::None},
             {"", Band::None},
         })
        EXPECT_EQ(BandFromPBand(QString::fromLatin1(text)), band) << text;
    // Every REG1TEST name reads back as its band.
    for (int b = int(Band::Band2190m); b <= int(Band::BandSubmm); ++b) {
        if (const QString name = PBandName(Band(b)); !name.isEmpty()) {
            EXPECT_EQ(BandFromPBand(name), Band(b)) << name.toStdString();
        }
    }
    EXPECT_EQ(PBandName(Band::Band2m), u"145 MHz"_s);
    EXPECT_EQ(PBandName(Band::Band1_25m), QString());
    EXPECT_EQ(AdifBandName(Band::Band1_25cm), u"1.25cm"_s);
}

TEST(Modes, BetweenTheFormatsAndTheirReports) {
    const struct {
        const char* mode;
        const char* submode;
        Mode expected;
    } adif[] = {
        {"SSB", "USB", Mode::Ssb},
        {"cw", "", Mode::Cw},
        {"FM", "", Mode::Fm},
        {"AM", "", Mode::Am},
        {"MFSK", "FT4", Mode::RttyMgm},
        {"FT8", "", Mode::RttyMgm},
        {"MSK144", "", Mode::RttyMgm},
        {"", "Q65", Mode::RttyMgm},
        {"JT65", "JT65B", Mode::RttyMgm},
        {"RTTY", "", Mode::RttyMgm},
        {"SSTV", "", Mode::Sstv},
        {"ATV", "", Mode::Atv},
        {"DIGITALVOICE", "DSTAR", Mode::None},
        {"", "", Mode::None},
    };
    for (const auto& c : adif)
        EXPECT_EQ(ModeFromAdif(QString::fromLatin1(c.mode), QString::fromLatin1(c.submode)),
                  c.expected)
            << c.mode << "/" << c.submode;
    for (const auto& [text, mode] : std::vector<std::pair<const char*, Mode>>{{"CW", Mode::Cw},
                                                                              {"PH", Mode::Ssb},
                                                                              {"FM", Mode::Fm},
                                                                              {"RY", Mode::RttyMgm},
                                                                              {"DG", Mode::RttyMgm},
                                                                              {"SSB", Mode::None}})
        EXPECT_EQ(ModeFromCabrillo(QString::fromLatin1(text)), mode) << text;
    EXPECT_EQ(ModeFromEdi(u" 7 "), Mode::RttyMgm);
    EXPECT_EQ(ModeFromEdi(u"17"), Mode::None);

    const struct {
        const char* given;
        Mode mode;
        bool sent;
        const char* written;
    } reports[] = {
        {"", Mode::Ssb, true, "59"},         {"", Mode::Cw, true, "599"},
        {"", Mode::SsbCw, true, "59"},       {"", Mode::SsbCw, false, "599"},
        {"", Mode::RttyMgm, false, "599"},   {"57", Mode::Fm, true, "57"},
        {"55a", Mode::Ssb, true, "55A"},     {"599", Mode::Ssb, true, "59"},
        {"579", Mode::Cw, true, "579"},      {"59", Mode::Cw, true, "599"},
        {"-5", Mode::RttyMgm, true, "-05"},  {"7", Mode::RttyMgm, true, "+07"},
        {"+12", Mode::RttyMgm, true, "+12"}, {"-123", Mode::RttyMgm, true, "599"},
        {"-13", Mode::Ssb, true, "59"},      {"x", Mode::None, true, "59"},
    };
    for (const auto& r : reports)
        EXPECT_EQ(FitReport(QString::fromLatin1(r.given), r.mode, r.sent),
                  QString::fromLatin1(r.written))
            << r.given << " in mode " << ModeCode(r.mode);
}

} // namespace
