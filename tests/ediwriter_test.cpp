// Writing the model as REG1TEST: the format's own example comes back byte for byte, any model
// comes back the same through its EDI, and what the format cannot hold is written sensibly.
#include "contestlog/ediwriter.h"
#include "contestlog/reader.h"
#include "support/printers.h"
#include "support/samples.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace contestlog;

namespace {

using testing_support::readFile;

// What an EDI record holds of a QSO, the time to the minute.
void expectSameRecord(const Qso& read, const Qso& written) {
    EXPECT_EQ(read.date, written.date);
    EXPECT_EQ(read.time.toString(u"hhmm"_s), written.time.toString(u"hhmm"_s));
    EXPECT_EQ(read.call, written.call);
    EXPECT_EQ(read.mode, written.mode);
    EXPECT_EQ(read.sentRst, written.sentRst);
    EXPECT_EQ(read.sentNumber, written.sentNumber);
    EXPECT_EQ(read.receivedRst, written.receivedRst);
    EXPECT_EQ(read.receivedNumber, written.receivedNumber);
    EXPECT_EQ(read.receivedExchange, written.receivedExchange);
    EXPECT_EQ(read.locator, written.locator);
    EXPECT_EQ(read.points, written.points);
    EXPECT_EQ(read.newExchange, written.newExchange);
    EXPECT_EQ(read.newLocator, written.newLocator);
    EXPECT_EQ(read.newDxcc, written.newDxcc);
    EXPECT_EQ(read.duplicate, written.duplicate);
}

TEST(WriteReg1test, TheFormatsExampleComesBackByteForByte) {
    const QByteArray handbook =
        readFile(testing_support::logSamplesDir().filePath(u"handbook-oz1fdj.edi"_s));
    ASSERT_FALSE(handbook.isEmpty());
    EXPECT_EQ(WriteReg1test(ReadReg1test(handbook)), handbook);
}

TEST(WriteReg1test, ModelToEdiToModelIsTheSame) {
    // An ADIF log, given the header a REG1TEST log needs.
    ContestLog log =
        ReadAdif(readFile(testing_support::logSamplesDir().filePath(u"wsjtx-2.6.1-crlf.adi"_s)));
    ASSERT_EQ(log.qsos.size(), 185u);
    for (const auto& [key, value] : {std::pair{"TName", "Test"},
                                     {"TDate", "20231230;20240105"},
                                     {"PCall", "DL8OBF"},
                                     {"PWWLo", "JO44VS"},
                                     {"PBand", "145 MHz"}})
        log.setValue(QString::fromLatin1(key), QString::fromLatin1(value));
    log.qsos[0].points = 412;
    log.qsos[0].newLocator = true;
    log.qsos[1].duplicate = true;
    log.qsos[2].receivedExchange = u"KA;1"_s;

    const QByteArray edi = WriteReg1test(log);
    const ContestLog read = ReadReg1test(edi);
    EXPECT_TRUE(read.findings.empty()) << read.findings.front().code.toStdString();
    for (const char* key : {"TName", "TDate", "PCall", "PWWLo", "PBand"})
        EXPECT_EQ(read.value(QString::fromLatin1(key)), log.value(QString::fromLatin1(key)));
    EXPECT_EQ(read.field(u"PROGRAMID"), nullptr); // ADIF's header is not REG1TEST's
    ASSERT_EQ(read.qsos.size(), log.qsos.size());
    log.qsos[2].receivedExchange = u"KA,1"_s; // ';' separates the fields
    for (size_t i = 0; i < log.qsos.size(); ++i) {
        SCOPED_TRACE(i);
        expectSameRecord(read.qsos[i], log.qsos[i]);
        EXPECT_EQ(read.qsos[i].band, Band::Band2m);
    }
    EXPECT_EQ(WriteReg1test(read), edi);
}

// Whatever a real log held, its EDI reads back as the model it was written from.
TEST(WriteReg1test, EverySampleIsAFixedPoint) {
    const QDir dir = testing_support::samplesDir();
    for (const QString& name : dir.entryList({u"*.edi"_s})) {
        SCOPED_TRACE(name.toStdString());
        const ContestLog first = ReadReg1test(readFile(dir.filePath(name)));
        const QByteArray edi = WriteReg1test(first);
        const ContestLog again = ReadReg1test(edi);
        ASSERT_EQ(again.qsos.size(), first.qsos.size());
        for (size_t i = 0; i < first.qsos.size(); ++i)
            if (first.qsos[i].readable)
                expectSameRecord(again.qsos[i], first.qsos[i]);
        EXPECT_EQ(WriteReg1test(again), edi);
        EXPECT_EQ(edi.count('\n'), edi.count("\r\n"));
        EXPECT_TRUE(std::all_of(edi.begin(), edi.end(), [](char c) {
            return (c >= 32 && c <= 126) || c == '\r' || c == '\n';
        }));
    }
}

TEST(WriteReg1test, WhatTheFormatCannotHold) {
    ContestLog log;
    log.header = {{u"PCall"_s, u"PCall"_s, u"Q1ABC"_s, 0},
                  {u"TName"_s, u"TName"_s, u"Cup; Mölln"_s, 0},
                  {u"PROGRAMID"_s, u"programid"_s, u"WSJT-X"_s, 0},
                  {QString(), u"CsExcs"_s, u"0;0;1"_s, 0},
                  {QString(), QString(), u"a line of its own"_s, 0}};
    log.remarks = {{0, u"[END of the remarks?]"_s}, {0, u"line\tbreak"_s}};
    Qso qso;
    qso.date = QDate(2024, 5, 6);
    qso.time = QTime(12, 34, 56);
    qso.call = u"Q2ABC"_s;
    qso.mode = Mode::Cw;
    qso.locator = u"JO01AB"_s;
    log.qsos.push_back(qso);
    Qso unread;
    unread.readable = false;
    unread.fields = QStringList{u"240506"_s, u"1200"_s, u"Q3ABC"_s};
    log.qsos.push_back(unread);
    unread.fields = QStringList(16); // read again, it must not become a record of 15 fields
    unread.fields.back() = u"\x0f"_s;
    log.qsos.push_back(unread);
    Qso padded; // read from a line whose date and time were none
    padded.fields = QStringList{u"2405"_s, u"12h"_s, u"Q4ABC"_s, u"9x"_s, {}, {}, {}, {},
                                {},        {},       u"-"_s,     {},      {}, {}, {}};
    padded.call = u"Q4ABC"_s;
    log.qsos.push_back(padded);
    EXPECT_EQ(WriteReg1test(log), QByteArray("[REG1TEST;1]\r\n"
                                             "TName=Cup; Molln\r\n"
                                             "PCall=Q1ABC\r\n"
                                             "CsExcs=0;0;1\r\n"
                                             "a line of its own\r\n"
                                             "[Remarks]\r\n"
                                             "(END of the remarks?]\r\n"
                                             "line break\r\n"
                                             "[QSORecords;4]\r\n"
                                             "240506;1234;Q2ABC;2;;;;;;JO01AB;;;;;\r\n"
                                             "240506;1200;Q3ABC\r\n"
                                             ";;;;;;;;;;;;;;;?\r\n"
                                             "2405;12h;Q4ABC;9x;;;;;;;-;;;;\r\n"));
}

TEST(AsciiText, OnlyBytes32To126) {
    const struct {
        const char* given; // UTF-8
        const char* written;
    } cases[] = {
        {"Q1ABC", "Q1ABC"},
        {"Jürgen Müller, Ørsted", "Jurgen Muller, Orsted"},
        {"Straße, Łódź, Æbelø", "Strasse, Lodz, AEbelo"},
        {"Ден на радиото", "Den na radioto"},
        {"Щука, Жовква, Ъгъл", "Shchuka, Zhovkva, Agal"},
        {"ﬁ ²", "fi 2"},
        {"a\tb\r\nc", "a b  c"},
        {"Ελλάδα €", "?????? ?"},
        {"😀", "?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AsciiText(QString::fromUtf8(c.given)), QString::fromLatin1(c.written)) << c.given;
}

} // namespace
