#include "station/feedlistener.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QStringList>
#include <QUdpSocket>

using namespace Qt::StringLiterals;

namespace station {

namespace {

// Datagrams read in one go, and the time they may take (a hostile N1MM datagram takes up to a
// millisecond or two); the rest wait for the next turn of the event loop, so that a flood
// leaves the window answering.
constexpr int kDatagramsPerTurn = 64;
constexpr qint64 kMillisecondsPerTurn = 4;

QString formatName(bool n1mm, bool wsjtx) {
    return n1mm && wsjtx ? u"N1MM Logger+ and WSJT-X"_s : n1mm ? u"N1MM Logger+"_s : u"WSJT-X"_s;
}

bool sameCall(const LoggerCall& a, const LoggerCall& b) {
    return a.call == b.call && a.grid == b.grid;
}

} // namespace

FeedListener::FeedListener(QObject* parent) : QObject(parent) {}

FeedListener::~FeedListener() = default;

QString FeedListener::listen(const Config& config) {
    close();
    counts_ = {};
    lastWsjtx_.reset();
    if (config.n1mmPort == 0 && config.wsjtxPort == 0)
        return problem_;

    const QHostAddress address(config.address.trimmed());
    if (address.isNull()) {
        problem_ =
            u"Cannot listen for the loggers: \"%1\" is not an IP address"_s.arg(config.address);
        return problem_;
    }
    buffer_.resize(kMaxDatagramSize + 1); // one byte more tells a larger datagram
    QStringList problems;
    if (config.n1mmPort == config.wsjtxPort) {
        problems << open(config.n1mmPort, Format::Either, address);
    } else {
        if (config.n1mmPort != 0)
            problems << open(config.n1mmPort, Format::N1mm, address);
        if (config.wsjtxPort != 0)
            problems << open(config.wsjtxPort, Format::Wsjtx, address);
    }
    problems.removeAll(QString());
    problem_ = problems.join(u'\n');
    return problem_;
}

void FeedListener::close() {
    for (const Port& port : ports_) {
        port.socket->disconnect(this);
        port.socket->close();
        port.socket->deleteLater(); // close() may come from a slot called by its readyRead
    }
    ports_.clear();
    problem_.clear();
}

QString FeedListener::open(quint16 port, Format format, const QHostAddress& address) {
    const QString name = formatName(format != Format::Wsjtx, format != Format::N1mm);
    auto* socket = new QUdpSocket(this);
    socket->setProxy(QNetworkProxy::NoProxy); // the loggers are on this network, never behind one
    const bool group = address.isMulticast();
    const QHostAddress any = address.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QHostAddress(QHostAddress::AnyIPv6)
                                 : QHostAddress(QHostAddress::AnyIPv4);
    // Several programs may listen to the same logger.
    if (!socket->bind(group ? any : address, port,
                      QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        const QString problem =
            u"Cannot listen on UDP port %1 (%2): %3"_s.arg(port).arg(name, socket->errorString());
        delete socket;
        return problem;
    }
    connect(socket, &QUdpSocket::readyRead, this, [this, socket, format] {
        readPending(Port{socket, format});
    });
    ports_.push_back({socket, format});
    if (!group)
        return {};

    bool joined = false;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) &&
            (flags.testFlag(QNetworkInterface::CanMulticast) ||
             flags.testFlag(QNetworkInterface::IsLoopBack)))
            joined = socket->joinMulticastGroup(address, interface) || joined;
    }
    if (joined)
        return {};
    return u"Cannot join multicast group %1 on UDP port %2 (%3): %4"_s.arg(
        address.toString(), QString::number(port), name, socket->errorString());
}

FeedParse FeedListener::parse(Format format, QByteArrayView datagram) const {
    if (format == Format::Either)
        format = datagram.startsWith("\xad\xbc\xcb\xda") ? Format::Wsjtx : Format::N1mm;
    return format == Format::Wsjtx ? parseWsjtx(datagram) : parseN1mm(datagram);
}

void FeedListener::readPending(const Port& port) {
    std::optional<LoggerCall> latest;
    QElapsedTimer turn;
    turn.start();
    for (int n = 0; n < kDatagramsPerTurn && !turn.hasExpired(kMillisecondsPerTurn) &&
                    port.socket->hasPendingDatagrams();
         ++n) {
        const qint64 size = port.socket->readDatagram(buffer_.data(), buffer_.size());
        if (size < 0)
            break;
        FeedParse parsed = parse(port.format, QByteArrayView(buffer_.constData(), size));
        switch (parsed.kind) {
        case FeedParse::Kind::Ignored:
            ++counts_.ignored;
            break;
        case FeedParse::Kind::Malformed:
            ++counts_.malformed;
            counts_.lastMalformed = parsed.reason;
            break;
        case FeedParse::Kind::Call:
            ++counts_.calls;
            if (parsed.call.source == LoggerCall::Source::Wsjtx) {
                if (lastWsjtx_ && sameCall(*lastWsjtx_, parsed.call))
                    break;
                lastWsjtx_ = parsed.call;
            }
            latest = std::move(parsed.call);
            break;
        }
    }
    // Last: a slot may close this listener.
    if (latest)
        emit callReceived(*latest);
}

} // namespace station
