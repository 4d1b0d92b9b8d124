// Proves QtNetwork where the station features need it: TCP and UDP on 127.0.0.1, two UDP
// sockets sharing a port (two programs listening to one logger), multicast on the loopback
// interface, and a TCP server that a Linux program started from here provides.
// usage: qtnetwork_check [UNIX_DIR PROGRAM ARG...]   (the word PORT becomes a free port)
// Exit status 0 when every check passed; each check prints one line.
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

int failures = 0;

void report(const char* what, bool ok, const QString& detail = {}) {
    std::printf("%s: %s%s\n", what, ok ? "ok" : "FAILED ", ok ? "" : qPrintable(detail));
    std::fflush(stdout);
    failures += ok ? 0 : 1;
}

// Runs the event loop until `done` or the time is up; returns `done()`.
bool waitFor(const std::function<bool()>& done, int milliseconds = 5000) {
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    tick.start(10);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

void tcp() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return report("tcp: listen on 127.0.0.1", false, server.errorString());
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QTcpSocket* peer = nullptr;
    waitFor([&] {
        if (!peer)
            peer = server.nextPendingConnection();
        return peer != nullptr;
    });
    if (!peer)
        return report("tcp: connect to 127.0.0.1", false, client.errorString());
    client.write("p\n");
    waitFor([&] { return peer->bytesAvailable() >= 2; });
    peer->write(peer->readAll().toUpper());
    waitFor([&] { return client.bytesAvailable() >= 2; });
    report("tcp: a line there and back on 127.0.0.1", client.readAll() == "P\n");
}

void udp() {
    const auto share = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;
    QUdpSocket first, second, sender;
    if (!first.bind(QHostAddress::AnyIPv4, 0, share))
        return report("udp: bind", false, first.errorString());
    const quint16 port = first.localPort();
    report("udp: a second socket on the same port", second.bind(QHostAddress::AnyIPv4, port, share),
           second.errorString());
    // Unbound, the sender would be a dual-stack IPv6 socket, whose multicast interface IPv4
    // datagrams ignore.
    sender.bind(QHostAddress::AnyIPv4, 0);
    // A datagram sent to one address reaches one of the sockets; a multicast one, all.
    const auto arrived = [&](const QByteArray& expected, bool atBoth) {
        QByteArray a, b;
        return waitFor([&] {
            while (first.hasPendingDatagrams())
                a = first.receiveDatagram().data();
            while (second.hasPendingDatagrams())
                b = second.receiveDatagram().data();
            return atBoth ? a == expected && b == expected : a == expected || b == expected;
        });
    };
    sender.writeDatagram("unicast", QHostAddress::LocalHost, port);
    report("udp: a datagram to 127.0.0.1", arrived("unicast", false));

    QNetworkInterface loopback;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces())
        if (i.type() == QNetworkInterface::Loopback)
            loopback = i;
    const QHostAddress group(u"239.255.0.1"_s);
    report("udp: both join 239.255.0.1 on the loopback interface",
           first.joinMulticastGroup(group, loopback) && second.joinMulticastGroup(group, loopback),
           first.errorString() + u' ' + second.errorString());
    sender.setMulticastInterface(loopback);
    sender.setSocketOption(QAbstractSocket::MulticastLoopbackOption, 1);
    sender.writeDatagram("multicast", group, port);
    report("udp: a datagram to 239.255.0.1 reaches both", arrived("multicast", true));
}

// Under Wine a Linux program starts, but QProcess gets no handle to it: no exit status, no
// output, and kill() does nothing. So a shell writes its pid into UNIX_DIR and becomes the
// program, and /bin/kill ends it.
void program(const QString& unixDir, QStringList arguments) {
    QTcpServer probe; // a free port for the program to listen on
    probe.listen(QHostAddress::LocalHost, 0);
    const QString port = QString::number(probe.serverPort());
    probe.close();
    arguments.replaceInStrings(u"PORT"_s, port);
    const QString pidFile = unixDir + u"/program.pid"_s;
    QFile::remove(u"Z:"_s + pidFile);
    const bool started = QProcess::startDetached(
        u"/bin/sh"_s,
        QStringList{u"-c"_s, u"echo $$ > \"$0\" && exec \"$@\""_s, pidFile} + arguments);
    QByteArray pid;
    waitFor([&] {
        QFile file(u"Z:"_s + pidFile);
        if (file.open(QIODevice::ReadOnly))
            pid = file.readAll().trimmed();
        return !pid.isEmpty();
    });
    report("program: started through /bin/sh", started && !pid.isEmpty());
    if (pid.isEmpty())
        return;
    QTcpSocket socket;
    QByteArray reply;
    waitFor([&] {
        if (socket.state() == QAbstractSocket::UnconnectedState)
            socket.connectToHost(QHostAddress::LocalHost, port.toUShort());
        if (socket.state() == QAbstractSocket::ConnectedState && reply.isNull()) {
            socket.write("p\n");
            reply = ""; // asked
        }
        reply += socket.readAll();
        return reply.count('\n') >= 2;
    });
    report("program: its port answers", reply.count('\n') >= 2, QString::fromLatin1(reply));
    socket.abort();
    QProcess::startDetached(u"/bin/kill"_s, {QString::fromLatin1(pid)});
    const bool gone = waitFor([&] { // its port refuses connections
        QTcpSocket again;
        again.connectToHost(QHostAddress::LocalHost, port.toUShort());
        return !again.waitForConnected(1000) &&
               again.error() == QAbstractSocket::ConnectionRefusedError;
    });
    report("program: ended with /bin/kill", gone);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    tcp();
    udp();
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() >= 2)
        program(arguments.first(), arguments.mid(1));
    return failures == 0 ? 0 : 1;
}
