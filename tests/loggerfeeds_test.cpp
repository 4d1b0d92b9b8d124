// The loggers' datagrams: what the parsers take from real and hostile ones, and the listener
// on a loopback port.
#include "app/station.h"
#include "station/feedlistener.h"
#include "station/loggerfeeds.h"
#include "support/gui_fixture.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using station::FeedParse;
using testing_support::operator""_b;
using Kind = station::FeedParse::Kind;

// A WSJT-X Status as WSJT-X writes it. A null QByteArray goes out as WSJT-X's null utf8.
QByteArray status(quint32 schema, const QByteArray& dxCall, const QByteArray& dxGrid,
                  bool trailingFields = true) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_4);
    out << quint32(0xadbccbda) << schema << quint32(1) << QByteArray("WSJT-X") << quint64(144174000)
        << QByteArray("FT8") << dxCall << QByteArray("-12") << QByteArray("FT8") << true << false
        << true << quint32(1200) << quint32(1500) << QByteArray("Q1DE") << QByteArray("JN45")
        << dxGrid;
    if (trailingFields)
        out << false << QByteArray() << false << quint8(2) << quint32(0xffffffff) << quint32(15)
            << QByteArray("Default") << QByteArray("Q1AB Q1DE JN45");
    return bytes;
}

// `datagram` with the quint32 at `offset` replaced.
QByteArray patched(QByteArray datagram, qsizetype offset, quint32 value) {
    qToBigEndian(value, datagram.data() + offset);
    return datagram;
}

// N1MM Logger+ as its documentation shows it: tabs, CR LF, an empty <gridsquare>.
const QByteArray kLookupInfo =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<lookupinfo>\r\n\t<app>N1MM</app>\r\n"
    "\t<timestamp>2024-05-04 14:10:05</timestamp>\r\n\t<mycall>Q1DE</mycall>\r\n"
    "\t<band>144</band>\r\n\t<call>Q1AB</call>\r\n\t<gridsquare></gridsquare>\r\n"
    "\t<IsOriginal>True</IsOriginal>\r\n</lookupinfo>\r\n";

// not1mm writes every field on one line; other senders spell the tags their own way.
QByteArray contactInfo(const QByteArray& call, const QByteArray& tail = "</IsClaimedQso>") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?><ContactInfo><app>NOT1MM</app>"
           "<timestamp>2024-05-04 14:12:00</timestamp><MyCall>Q1DE</MyCall><BAND>432</BAND>"
           "<Call>" +
           call + "</Call><GridSquare>JO60ab</GridSquare><IsClaimedQso>True" + tail +
           "</ContactInfo>";
}

QByteArray rootOnly(const QByteArray& root) {
    return "<?xml version=\"1.0\"?><" + root + "><call>Q1AB</call></" + root + ">";
}

struct Case {
    const char* what;
    FeedParse (*parse)(QByteArrayView);
    QByteArray datagram;
    Kind kind;
    QString callOrReason = {}; // the call, or the malformed one's reason
    QString grid = {};
    QString myCall = {};
    QString band = {};
};

TEST(LoggerFeeds, ParsersTakeTheCallAndRefuseWhatIsBroken) {
    using station::parseN1mm;
    using station::parseWsjtx;
    const QByteArray full = status(3, "Q1AB", "JO60");
    const qsizetype dxCallAt = 4 + 4 + 4 + (4 + 6) + 8 + (4 + 3); // header, id, freq, mode
    const Case cases[] = {
        {"Status, schema 3", parseWsjtx, full, Kind::Call, u"Q1AB"_s, u"JO60"_s, u"Q1DE"_s},
        {"Status, schema 2, null DX grid", parseWsjtx, status(2, "Q1AB", QByteArray()), Kind::Call,
         u"Q1AB"_s, QString(), u"Q1DE"_s},
        {"Status ending at the DX grid", parseWsjtx, status(3, " q1ab ", "JO60AB", false),
         Kind::Call, u"q1ab"_s, u"JO60AB"_s, u"Q1DE"_s},
        {"Status without a DX call", parseWsjtx, status(3, QByteArray(), "JO60"), Kind::Ignored},
        {"Heartbeat", parseWsjtx, patched(full, 8, 0), Kind::Ignored},
        {"empty", parseWsjtx, QByteArray(), Kind::Malformed, u"wrong magic"_s},
        {"schema 4", parseWsjtx, patched(full, 4, 4), Kind::Malformed, u"unknown schema 4"_s},
        {"cut in the Rx DF", parseWsjtx, full.left(dxCallAt + 8 + 7 + 7 + 3 + 2), Kind::Malformed,
         u"truncated"_s},
        {"cut in the DE grid", parseWsjtx, full.left(dxCallAt + 8 + 7 + 7 + 3 + 8 + 8 + 6),
         Kind::Malformed, u"string length past the end"_s},
        {"hostile DX call length", parseWsjtx, patched(full, dxCallAt, 0x7fffffff), Kind::Malformed,
         u"string length past the end"_s},
        {"DX call with a space", parseWsjtx, status(3, "Q1AB Q1CD", ""), Kind::Malformed,
         u"not a callsign"_s},
        {"Status over 64 KB", parseWsjtx, full + QByteArray(64 * 1024, 'x'), Kind::Malformed,
         u"larger than 64 KB"_s},

        {"lookupinfo", parseN1mm, kLookupInfo, Kind::Call, u"Q1AB"_s, QString(), u"Q1DE"_s,
         u"144"_s},
        {"contactinfo, tags in odd case", parseN1mm, contactInfo(" Q1AB/p "), Kind::Call,
         u"Q1AB/p"_s, u"JO60ab"_s, u"Q1DE"_s, u"432"_s},
        {"a closing tag in another case", parseN1mm, contactInfo("Q1AB", "</IsClaimedQSO>"),
         Kind::Call, u"Q1AB"_s, u"JO60ab"_s, u"Q1DE"_s, u"432"_s},
        {"RadioInfo", parseN1mm, rootOnly("RadioInfo"), Kind::Ignored},
        {"contactdelete", parseN1mm, rootOnly("contactdelete"), Kind::Ignored},
        {"lookupinfo without a call", parseN1mm, "<lookupinfo><call></call></lookupinfo>",
         Kind::Ignored},
        {"cut in the middle", parseN1mm, kLookupInfo.left(200), Kind::Malformed,
         u"malformed XML"_s},
        {"1001 tags", parseN1mm, "<lookupinfo>" + QByteArray("<x/>").repeated(1000),
         Kind::Malformed, u"too many elements"_s},
        {"lookupinfo over 64 KB", parseN1mm,
         kLookupInfo + "<!--" + QByteArray(64 * 1024, '-') + "->", Kind::Malformed,
         u"larger than 64 KB"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FeedParse parsed = c.parse(c.datagram);
        EXPECT_EQ(parsed.kind, c.kind);
        if (c.kind == Kind::Call) {
            EXPECT_EQ(parsed.call.call, c.callOrReason);
            EXPECT_EQ(parsed.call.grid, c.grid);
            EXPECT_EQ(parsed.call.myCall, c.myCall);
            EXPECT_EQ(parsed.call.band, c.band);
            EXPECT_EQ(parsed.call.source, c.parse == parseN1mm
                                              ? station::LoggerCall::Source::N1mm
                                              : station::LoggerCall::Source::Wsjtx);
        } else {
            EXPECT_EQ(parsed.reason, c.callOrReason);
        }
    }
}

TEST(FeedListener, ReportsCallsThroughAFloodAndAPortItCannotShare) {
    quint16 port = 0;
    {
        QUdpSocket probe; // a free port: bound, then given up
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        port = probe.localPort();
    }
    station::FeedListener listener;
    ASSERT_EQ(listener.listen({port, 0, u"127.0.0.1"_s}), QString());
    QSignalSpy calls(&listener, &station::FeedListener::callReceived);

    // An empty datagram and more junk than one turn reads, then a lookup.
    QUdpSocket sender;
    sender.writeDatagram(QByteArray(), QHostAddress::LocalHost, port);
    for (int i = 0; i < 100; ++i)
        sender.writeDatagram("<lookupinfo><call>Q1", QHostAddress::LocalHost, port);
    sender.writeDatagram(kLookupInfo, QHostAddress::LocalHost, port);
    ASSERT_TRUE(calls.wait(5000));
    EXPECT_EQ(calls.takeFirst().at(0).value<station::LoggerCall>().call, u"Q1AB"_s);
    EXPECT_EQ(listener.counts().malformed, 101u);
    EXPECT_EQ(listener.counts().calls, 1u);

    // WSJT-X's port is held by a program that does not share it; N1MM's still listens.
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
    const QString problem = listener.listen({port, holder.localPort(), u"127.0.0.1"_s});
    EXPECT_TRUE(
        problem.startsWith(u"Cannot listen on UDP port %1 (WSJT-X): "_s.arg(holder.localPort())))
        << problem.toStdString();
    sender.writeDatagram(contactInfo("Q1CD"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(calls.wait(5000));
    EXPECT_EQ(calls.takeFirst().at(0).value<station::LoggerCall>().call, u"Q1CD"_s);
}

// The loggers' calls in the real widgets, as if typed, and none in the middle of a command.
class FeedsInTheWindow : public testing_support::GuiTest {};

TEST_F(FeedsInTheWindow, TheLoggersCallIsLookedUpAsIfTyped) {
    show("JN45AB Q1ABC\r\nJN61AA Q1AXY\r\n"_b);
    station::LoadedSettings loaded;
    for (quint16* port : {&loaded.settings.feeds.n1mm, &loaded.settings.feeds.wsjtx}) {
        QUdpSocket probe; // a free port: bound, then given up
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        *port = probe.localPort();
    }
    const app::Station station(*program, loaded);
    QUdpSocket logger;
    const auto field = [this](const char* name) {
        return widget<QLineEdit>(u"Form1", name)->text();
    };
    const auto send = [&](const QByteArray& datagram, bool wsjtx = false) {
        const station::StationSettings::Feeds& feeds = station.settings().feeds;
        logger.writeDatagram(datagram, QHostAddress::LocalHost, wsjtx ? feeds.wsjtx : feeds.n1mm);
    };
    const auto waitFor = [&](const QString& call, int tries = 500) {
        for (int i = 0; i < tries && field("Text2") != call; ++i)
            QTest::qWait(10);
        return field("Text2");
    };
    const struct {
        const char* what;
        QByteArray datagram;
        bool wsjtx;
        QString call, locator, qtf;
    } cases[] = {
        {"N1MM lookup of a stored call", contactInfo("q1abc"), false, u"Q1ABC"_s, u"JN45AB"_s,
         u"QTF:  305\u00b0"_s},
        {"WSJT-X, an unknown call and a grid", status(2, "Q9ZZ", "jo60"), true, u"Q9ZZ"_s,
         u"JO60"_s, u"QTF:  346\u00b0"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        send(c.datagram, c.wsjtx);
        EXPECT_EQ(waitFor(c.call), c.call);
        EXPECT_EQ(field("Text1"), c.locator);
        EXPECT_EQ(widget<QLabel>(u"Form1", "Label3")->text(), c.qtf);
    }

    // While Check shows its boxes, calls wait; the latest goes in once it has finished.
    dialogs.whileShown = [&] {
        dialogs.whileShown = nullptr;
        send(contactInfo("Q2AA"));
        send(contactInfo("Q1AXY"));
        EXPECT_EQ(waitFor(u"Q1AXY"_s, 30), u"Q1ABC"_s); // the log's call, looked up by Check
    };
    form(u"Form1").button(u"Command2").click();
    box(u"Form3", u"Text1").setText(u"130507;1410;Q1ABC;1;59;001;59;001;;JN45AB;123;;N;N;"_s);
    form(u"Form3").button(u"Command3").click();
    EXPECT_EQ(field("Text2"), u"END..."_s);
    EXPECT_EQ(waitFor(u"Q1AXY"_s), u"Q1AXY"_s);
}

} // namespace
