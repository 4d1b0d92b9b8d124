// The rotator: the azimuth sent for a bearing, `norvane turn` against Hamlib's dummy rotator,
// and servers in trouble.
#include "cli/commands.h"
#include "station/rotator.h"
#include "support/program_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
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
// NORVANE_ROTCTLD names the rotctld to start instead of the one on the PATH.
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

} // namespace
