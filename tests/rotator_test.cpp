// The rotator: the azimuth sent for a bearing, `norvane turn` against Hamlib's dummy rotator,
// and servers in trouble.
#include "app/station.h"
#include "cli/commands.h"
#include "main/mainmenu.h"
#include "station/rotator.h"
#include "support/gui_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QUdpSocket>
#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

TEST(RotatorAzimuth, NearestOfTheEquivalentsWithinTheRange) {
    const struct {
        double bearing, minimum, maximum;
        std::optional<double> heading, azimuth;
    } cases[] = {
        {200, 0, 360, {}, 200},      {0, 0, 360, 350, 360},    {0, 0, 360, 10, 0},
        {-90, 0, 360, {}, 270},      {725, 0, 360, {}, 5},     {200, -180, 180, {}, -160},
        {200, -180, 180, 170, -160}, {268, -180, 450, 0, -92}, {30, -180, 450, 300, 390},
        {30, -180, 450, {}, 30},     {80, 0, 450, 400, 440},   {100, 0, 450, 400, 100},
        {270, 0, 180, {}, {}},       {NAN, 0, 360, {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(station::azimuthFor(c.bearing, {c.minimum, c.maximum}, c.heading), c.azimuth)
            << c.bearing << " on " << c.minimum << " to " << c.maximum << " from "
            << c.heading.value_or(NAN);
}

quint16 freePort() {
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0;
}

// Hamlib's dummy rotator, rotctld -m 1 (-180 to 450, 6° a second), on a free loopback port.
// NORVANE_ROTCTLD names the rotctld to start instead of the one on the PATH: under Wine, the
// Linux one, which Wine starts but gives no handle to, so a shell notes its process id in
// /tmp for /bin/kill.
struct DummyRotator {
    explicit DummyRotator(const QString& config = {}) {
        QString program = qEnvironmentVariable("NORVANE_ROTCTLD");
        if (program.isEmpty())
            program = QStandardPaths::findExecutable(u"rotctld"_s);
        if (program.isEmpty())
            return;
        found = true;
        port = freePort();
        QStringList arguments{u"-m"_s,        u"1"_s,  u"-T"_s,
                              u"127.0.0.1"_s, u"-t"_s, QString::number(port)};
        if (!config.isEmpty())
            arguments << u"-C"_s << config;
#ifdef Q_OS_WIN
        unixPid = u"/tmp/norvane-rotctld-%1.pid"_s.arg(port);
        arguments = QStringList{u"-c"_s, u"echo $$ > \"$0\" && exec \"$@\""_s, unixPid, program} +
                    arguments;
        program = u"/bin/sh"_s;
#endif
        process.start(program, arguments);
        for (int i = 0; i < 50 && !ready; ++i) { // 5 s at most
            QTcpSocket probe;
            probe.connectToHost(u"127.0.0.1"_s, port);
            ready = probe.waitForConnected(100);
            if (!ready)
                QThread::msleep(100);
        }
    }
    ~DummyRotator() {
        if (QFile pid(u"Z:"_s + unixPid); !unixPid.isEmpty() && pid.open(QIODevice::ReadOnly))
            QProcess::execute(u"/bin/kill"_s, {QString::fromLatin1(pid.readAll().trimmed())});
        process.kill();
        process.waitForFinished(2000);
    }
    // Where it points now, asked on a connection of its own; not a number when it does not say.
    double azimuth() {
        QTcpSocket socket;
        socket.connectToHost(u"127.0.0.1"_s, port);
        socket.waitForConnected(2000);
        socket.write("+p\n");
        QByteArray reply;
        while (!reply.contains("RPRT") && socket.waitForReadyRead(2000))
            reply += socket.readAll();
        for (const QByteArray& line : reply.split('\n'))
            if (line.startsWith("Azimuth:"))
                return line.mid(8).trimmed().toDouble();
        return NAN;
    }

    bool found = false, ready = false;
    quint16 port = 0;
    QProcess process;
    QString unixPid; // Wine only
};

class RotatorTest : public testing_support::ProgramTest {
protected:
    // norvane --rotator 127.0.0.1:PORT turn ARGUMENT...
    int turn(quint16 port, const QStringList& arguments, QString& output, QString& errors) {
        QTextStream out(&output), err(&errors);
        return cli::runCommand(u"turn"_s, arguments, dir.path(), out, err,
                               station::RotatorAddress{u"127.0.0.1"_s, port});
    }
};

TEST_F(RotatorTest, TurnsTheDummyLongPathAndStopsIt) {
    DummyRotator overlapping, halfTurns(u"min_az=-180,max_az=180"_s);
    if (!overlapping.found)
        GTEST_SKIP() << "no rotctld: install libhamlib-utils, or name it in NORVANE_ROTCTLD";
    ASSERT_TRUE(overlapping.ready && halfTurns.ready);
    writeFile("myloc.txt", "JN81GD\r\n"_b);
    writeFile("norvane.txt", "JN71AB Q1ABC\r\n"_b);
    const struct {
        DummyRotator& rotator;
        QStringList arguments;
        QString printed;
        int direction; // of the heading afterwards
    } cases[] = {
        // From 0, -92 is nearer than 268.
        {overlapping, {u"q1abc"_s}, u"Turning to 268° (JN71AB, Q1ABC)\n"_s, -1},
        {overlapping,
         {u"q1abc"_s, u"--long-path"_s},
         u"Turning to 88° (JN71AB, Q1ABC, long path)\n"_s,
         1},
        {overlapping, {u"--stop"_s}, u"Antenna stopped.\n"_s, 0},
        // It refuses 268 itself (RPRT -1).
        {halfTurns, {u"jn71ab"_s}, u"Turning to 268° (JN71AB)\n"_s, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QString output, errors;
        EXPECT_EQ(turn(c.rotator.port, c.arguments, output, errors), 0);
        EXPECT_EQ(errors, QString());
        EXPECT_EQ(output, c.printed);
        const double before = c.rotator.azimuth();
        QThread::msleep(700);
        const double moved = c.rotator.azimuth() - before;
        if (c.direction == 0)
            EXPECT_NEAR(moved, 0, 0.1);
        else
            EXPECT_GT(moved * c.direction, 1.0) << moved;
    }
}

TEST_F(RotatorTest, AServerInTroubleIsNotReachableWithinTheTimeout) {
    const struct {
        const char* name;
        std::function<void(QTcpSocket&)> answer; // to each line; none: nobody listens
        QString reason;
    } cases[] = {
        {"silent", [](QTcpSocket&) {}, u"is not reachable: no answer within 2 s."_s},
        {"closes mid-reply",
         [](QTcpSocket& client) {
             client.write("dump_state:\nrotctld Protocol Ver: 1\n");
             client.disconnectFromHost();
         },
         u"is not reachable: it closed the connection in the middle of a reply."_s},
        {"refuses the command", [](QTcpSocket& client) { client.write("RPRT -9\n"); },
         u"refused \"+\\dump_state\": command rejected (RPRT -9)."_s},
        {"refuses the connection", nullptr, u"is not reachable: connection refused."_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        const quint16 port = server.serverPort();
        if (!c.answer)
            server.close();
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            QTcpSocket* client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, [&c, client] {
                client->readAll();
                c.answer(*client);
            });
        });
        QElapsedTimer clock;
        clock.start();
        QString output, errors;
        EXPECT_EQ(turn(port, {u"--stop"_s}, output, errors), 2);
        EXPECT_LT(clock.elapsed(), station::Rotator::kReplyTimeoutMs + 1000);
        EXPECT_EQ(errors, u"norvane: The rotator at 127.0.0.1:%1 %2\n"_s.arg(port).arg(c.reason));
        EXPECT_EQ(output, QString());
    }
}

// The main window's keys turn the antenna; trouble shows in its label, and keys go on.
class AntennaKeys : public testing_support::GuiTest {
protected:
    std::unique_ptr<app::Station> station;
    QString shown(const char* name) { return widget<QLabel>(u"Form1", name)->text(); }
    void press(Qt::Key key) { QTest::keyClick(window(u"Form1"), key, Qt::AltModifier); }
    void useRotator(quint16 port, bool follow = false) {
        station::LoadedSettings loaded;
        loaded.settings.rotator.host = u"127.0.0.1"_s;
        loaded.settings.rotator.port = port;
        loaded.settings.feeds.followRotator = follow;
        loaded.settings.feeds.n1mm = follow ? freePort() : 0;
        station = std::make_unique<app::Station>(*program, loaded);
        launcher::addStationMenu(*view, *station, dir.path());
    }
    void TearDown() override {
        station.reset();
        GuiTest::TearDown();
    }
};

// Alt+J, Alt+L and Alt+K in the real window: the smoke test. Here: the antenna follows the
// logger's call once it has stood for a second (305 from JN81GD: -55 is nearer 0 than 305).
TEST_F(AntennaKeys, TheAntennaFollowsTheLoggersCall) {
    DummyRotator dummy;
    if (!dummy.found)
        GTEST_SKIP() << "no rotctld: install libhamlib-utils, or name it in NORVANE_ROTCTLD";
    show("JN45AB Q1XYZ\r\n"_b);
    useRotator(dummy.port, true);
    QUdpSocket logger;
    logger.writeDatagram("<lookupinfo><call>Q1XYZ</call></lookupinfo>", QHostAddress::LocalHost,
                         station->settings().feeds.n1mm);
    QTest::qWait(1500);
    const double before = dummy.azimuth();
    QTest::qWait(700);
    EXPECT_LT(dummy.azimuth() - before, -1.0);
    EXPECT_TRUE(shown("Antenna").startsWith(u"Antenna: "_s)) << shown("Antenna").toStdString();
}

TEST_F(AntennaKeys, ASilentRotatorIsNotReachableAndKeysGoOn) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    show("JN71AB Q1ABC\r\n"_b);
    useRotator(silent.serverPort());
    auto* call = widget<QLineEdit>(u"Form1", "Text2");
    QTest::keyClicks(call, u"q1ab"_s);
    press(Qt::Key_J);
    QTest::keyClicks(call, u"c"_s); // answered at once, the rotator still silent
    EXPECT_EQ(widget<QLineEdit>(u"Form1", "Text1")->text(), u"JN71AB"_s);
    for (int i = 0; i < 300 && shown("Antenna") != u"Antenna: not reachable"_s; ++i)
        QTest::qWait(10);
    EXPECT_EQ(shown("Antenna"), u"Antenna: not reachable"_s);
    EXPECT_TRUE(widget<QLabel>(u"Form1", "Antenna")
                    ->toolTip()
                    .contains(u"127.0.0.1:%1"_s.arg(silent.serverPort())));
}

} // namespace
