// The loggers' datagrams: what the parsers take from real and hostile ones, and the listener
// on a loopback port.
#include "app/station.h"
#include "station/feedlistener.h"
#include "station/loggerfeeds.h"
#include "support/gui_fixture.h"

#include <QDataStream>
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
    const auto n1mm = station::parseN1mm, wsjtx = station::parseWsjtx;
    const Kind call = Kind::Call, ignored = Kind::Ignored, malformed = Kind::Malformed;
    const QByteArray full = status(3, "Q1AB", "JO60");
    const qsizetype dxCallAt = 4 + 4 + 4 + (4 + 6) + 8 + (4 + 3); // header, id, freq, mode
    const Case cases[] = {
        {"Status, schema 3", wsjtx, full, call, u"Q1AB"_s, u"JO60"_s, u"Q1DE"_s},
        {"Status, schema 2, null DX grid", wsjtx, status(2, "Q1AB", QByteArray()), call, u"Q1AB"_s,
         QString(), u"Q1DE"_s},
        {"Status ending at the DX grid", wsjtx, status(3, " q1ab ", "JO60AB", false), call,
         u"q1ab"_s, u"JO60AB"_s, u"Q1DE"_s},
        {"Status without a DX call", wsjtx, status(3, QByteArray(), "JO60"), ignored},
        {"Heartbeat", wsjtx, patched(full, 8, 0), ignored},
        {"empty", wsjtx, QByteArray(), malformed, u"wrong magic"_s},
        {"schema 4", wsjtx, patched(full, 4, 4), malformed, u"unknown schema 4"_s},
        {"cut in the Rx DF", wsjtx, full.left(dxCallAt + 8 + 7 + 7 + 3 + 2), malformed,
         u"truncated"_s},
        {"cut in the DE grid", wsjtx, full.left(dxCallAt + 8 + 7 + 7 + 3 + 8 + 8 + 6), malformed,
         u"string length past the end"_s},
        {"hostile DX call length", wsjtx, patched(full, dxCallAt, 0x7fffffff), malformed,
         u"string length past the end"_s},
        {"DX call with a space", wsjtx, status(3, "Q1AB Q1CD", ""), malformed, u"not a callsign"_s},
        {"Status over 64 KB", wsjtx, full + QByteArray(64 * 1024, 'x'), malformed,
         u"larger than 64 KB"_s},

        {"lookupinfo", n1mm, kLookupInfo, call, u"Q1AB"_s, QString(), u"Q1DE"_s, u"144"_s},
        {"contactinfo, tags in odd case", n1mm, contactInfo(" Q1AB/p "), call, u"Q1AB/p"_s,
         u"JO60ab"_s, u"Q1DE"_s, u"432"_s},
        {"a closing tag in another case", n1mm, contactInfo("Q1AB", "</IsClaimedQSO>"), call,
         u"Q1AB"_s, u"JO60ab"_s, u"Q1DE"_s, u"432"_s},
        {"RadioInfo", n1mm, rootOnly("RadioInfo"), ignored},
        {"contactdelete", n1mm, rootOnly("contactdelete"), ignored},
        {"lookupinfo without a call", n1mm, "<lookupinfo><call></call></lookupinfo>", ignored},
        {"cut in the middle", n1mm, kLookupInfo.left(200), malformed, u"malformed XML"_s},
        {"1001 tags", n1mm, "<lookupinfo>" + QByteArray("<x/>").repeated(1000), malformed,
         u"too many elements"_s},
        {"lookupinfo over 64 KB", n1mm, kLookupInfo + "<!--" + QByteArray(64 * 1024, '-') + "->",
         malformed, u"larger than 64 KB"_s},
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
            EXPECT_EQ(parsed.call.source, c.parse == n1mm ? station::LoggerCall::Source::N1mm
                                                          : station::LoggerCall::Source::Wsjtx);
        } else {
            EXPECT_EQ(parsed.reason, c.callOrReason);
        }
    }
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
    app::Station station(*program, loaded);
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
        // An empty datagram and more junk than one turn of the listener reads, then the call.
        for (int i = 0; i < 100; ++i)
            send(i ? "<lookupinfo><call>Q1"_b : QByteArray(), c.wsjtx);
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

    // WSJT-X's port is held by a program that does not share it: the status line says so, and
    // N1MM Logger+'s calls still come.
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
    station::StationSettings held = station.settings();
    held.feeds.wsjtx = holder.localPort();
    station.apply(held);
    EXPECT_TRUE(
        widget<QLabel>(u"Form1", "Antenna")
            ->toolTip()
            .startsWith(u"Cannot listen on UDP port %1 (WSJT-X): "_s.arg(holder.localPort())));
    send(contactInfo("Q1ABC"));
    EXPECT_EQ(waitFor(u"Q1ABC"_s), u"Q1ABC"_s);
}

} // namespace
