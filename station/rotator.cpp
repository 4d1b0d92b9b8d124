#include "rotator.h"

#include "settings.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace station {

namespace {

// A reply this long without its RPRT line is not rotctld talking.
constexpr qsizetype kLongestReply = 64 * 1024;

// The number after the first of `prefixes` that begins a line of a reply.
std::optional<double> field(const QList<QByteArray>& lines,
                            std::initializer_list<QByteArrayView> prefixes) {
    for (const QByteArray& line : lines) {
        const QByteArray trimmed = line.trimmed();
        for (const QByteArrayView prefix : prefixes)
            if (trimmed.startsWith(prefix)) {
                bool ok = false;
                const double value = trimmed.mid(prefix.size()).trimmed().toDouble(&ok);
                if (ok && std::isfinite(value))
                    return value;
            }
    }
    return std::nullopt;
}

// Degrees as the operator reads them: 305, 307.5.
QString degreesText(double degrees) {
    return QString::number(degrees) + u'°';
}

} // namespace

double normalizedBearing(double degrees) {
    double bearing = std::fmod(degrees, 360.0);
    if (bearing < 0)
        bearing += 360.0;
    return bearing >= 360.0 ? 0.0 : bearing;
}

std::optional<double> azimuthFor(double bearing, AzimuthRange range,
                                 std::optional<double> heading) {
    const double pointing = normalizedBearing(bearing);
    // pointing + k·360 is within the range for k from lowest to highest.
    constexpr double kSlack = 1e-9;
    const double lowest = std::ceil((range.minimum - pointing) / 360.0 - kSlack);
    const double highest = std::floor((range.maximum - pointing) / 360.0 + kSlack);
    if (!(lowest <= highest))
        return std::nullopt; // also a bearing or a range that is not a number
    const double target = heading && std::isfinite(*heading) ? *heading : pointing;
    return pointing + 360.0 * std::clamp(std::round((target - pointing) / 360.0), lowest, highest);
}

QString hamlibError(int code) {
    static const char16_t* const kWords[] = {
        u"no error",           u"invalid parameter",  u"invalid configuration",
        u"memory shortage",    u"not implemented",    u"communication timed out",
        u"IO error",           u"internal error",     u"protocol error",
        u"command rejected",   u"argument truncated", u"not available",
        u"VFO not targetable", u"bus error",          u"bus collision",
        u"NULL argument",      u"invalid VFO",        u"argument out of domain",
        u"deprecated",         u"security error",     u"not powered on",
        u"limit exceeded",     u"access denied"};
    const int index = std::abs(code);
    if (index >= int(std::size(kWords)))
        return u"unknown error"_s;
    return QString::fromUtf16(kWords[index]);
}

Rotator::Rotator(QObject* parent) : QObject(parent) {
    replyTimer_.setSingleShot(true);
    replyTimer_.setTimerType(Qt::PreciseTimer); // a coarse one may end 5 % early
    replyTimer_.setInterval(kReplyTimeoutMs);
    pollTimer_.setInterval(1000);
    connect(&replyTimer_, &QTimer::timeout, this, &Rotator::onTimeout);
    connect(&pollTimer_, &QTimer::timeout, this, &Rotator::poll);
    connect(&socket_, &QTcpSocket::connected, this, &Rotator::onConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &Rotator::onReadyRead);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &Rotator::onSocketError);
}

void Rotator::setAddress(const QString& host, quint16 port) {
    reset();
    host_ = host;
    port_ = port;
}

QString Rotator::address() const {
    return addressText(host_, port_);
}

void Rotator::turnTo(double bearing) {
    enqueue({Kind::Turn, bearing});
}

void Rotator::stop() {
    enqueue({Kind::Stop});
}

void Rotator::poll() {
    enqueue({Kind::GetPosition});
}

void Rotator::startPolling() {
    poll();
    pollTimer_.start();
}

void Rotator::stopPolling() {
    pollTimer_.stop();
}

void Rotator::enqueue(Command command) {
    if (!isSet()) {
        emit failed(u"No rotator is set."_s);
        return;
    }
    const auto drop = [this](auto which) { std::erase_if(waiting_, which); };
    switch (command.kind) {
    case Kind::GetPosition:
        // A slow rotator must not pile up polls.
        if ((sent_ && sent_->kind == Kind::GetPosition) ||
            std::any_of(waiting_.begin(), waiting_.end(),
                        [](const Command& c) { return c.kind == Kind::GetPosition; }))
            return;
        break;
    case Kind::Turn: // the latest bearing is the one wanted
        drop([](const Command& c) { return c.kind == Kind::Turn; });
        break;
    case Kind::Stop:
        drop([](const Command& c) { return c.kind == Kind::Turn || c.kind == Kind::Stop; });
        break;
    case Kind::DumpState:
        break;
    }
    waiting_.push_back(command);
    sendNext();
}

void Rotator::sendNext() {
    while (!sent_ && !waiting_.empty()) {
        if (socket_.state() == QAbstractSocket::UnconnectedState) {
            socket_.connectToHost(host_, port_);
            replyTimer_.start();
            return;
        }
        if (socket_.state() != QAbstractSocket::ConnectedState)
            return; // onConnected() goes on
        const Command command = waiting_.front();
        waiting_.pop_front();
        QString line;
        switch (command.kind) {
        case Kind::DumpState:
            line = u"+\\dump_state"_s;
            break;
        case Kind::GetPosition:
            line = u"+p"_s;
            break;
        case Kind::Stop:
            line = u"S"_s;
            break;
        case Kind::Turn: {
            const AzimuthRange range = range_.value_or(AzimuthRange{});
            const std::optional<double> azimuth = azimuthFor(command.bearing, range, heading_);
            if (!azimuth) {
                emit failed(u"The rotator at %1 cannot point to %2: it turns from %3 to %4."_s.arg(
                    address(), degreesText(normalizedBearing(command.bearing)),
                    degreesText(range.minimum), degreesText(range.maximum)));
                continue;
            }
            // QString::number writes a dot whatever the locale, as rotctld reads it.
            line = u"P %1 0"_s.arg(QString::number(*azimuth, 'f', 1));
            break;
        }
        }
        sent_ = command;
        sentLine_ = line;
        received_.clear();
        socket_.write(line.toLatin1() + '\n');
        replyTimer_.start();
    }
}

void Rotator::onConnected() {
    replyTimer_.stop();
    // The range first, then the heading that a turn on an overlapping range starts from.
    std::erase_if(waiting_, [](const Command& c) { return c.kind == Kind::GetPosition; });
    waiting_.push_front({Kind::GetPosition});
    waiting_.push_front({Kind::DumpState});
    sendNext();
}

void Rotator::onReadyRead() {
    received_ += socket_.readAll();
    if (!sent_) {
        received_.clear(); // nothing was asked
        return;
    }
    const QList<QByteArray> lines = received_.split('\n'); // the last one is not complete
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (!line.startsWith("RPRT "))
            continue;
        bool ok = false;
        const int code = line.mid(5).trimmed().toInt(&ok);
        if (!ok)
            break;
        replyTimer_.stop();
        received_.clear();
        handleReply(lines.mid(0, i), code);
        sendNext();
        return;
    }
    if (received_.size() > kLongestReply)
        fail(u"what it sends is not rotctld's replies"_s);
}

void Rotator::handleReply(const QList<QByteArray>& lines, int code) {
    const Command command = *std::exchange(sent_, std::nullopt);
    if (code != 0) {
        emit failed(u"The rotator at %1 refused \"%2\": %3 (RPRT %4)."_s.arg(
            address(), sentLine_, hamlibError(code), QString::number(code)));
        return;
    }
    switch (command.kind) {
    case Kind::DumpState: {
        const auto minimum = field(lines, {"Minimum Azimuth:", "min_az="});
        const auto maximum = field(lines, {"Maximum Azimuth:", "max_az="});
        if (minimum && maximum && *minimum < *maximum)
            range_ = AzimuthRange{*minimum, *maximum};
        else
            range_ = AzimuthRange{}; // the common rotator's
        break;
    }
    case Kind::GetPosition:
        if (const auto azimuth = field(lines, {"Azimuth:"})) {
            heading_ = azimuth;
            emit headingKnown(*azimuth);
        } else {
            emit failed(u"The rotator at %1 gave no azimuth to \"+p\"."_s.arg(address()));
        }
        break;
    case Kind::Turn:
    case Kind::Stop:
        emit commandDone(sentLine_);
        break;
    }
}

void Rotator::onSocketError() {
    const QAbstractSocket::SocketError error = socket_.error();
    if (error == QAbstractSocket::RemoteHostClosedError && !sent_ && waiting_.empty()) {
        socket_.abort(); // closed while idle: the next command connects again
        return;
    }
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return fail(u"connection refused"_s);
    case QAbstractSocket::RemoteHostClosedError:
        return fail(received_.isEmpty() ? u"it closed the connection without replying"_s
                                        : u"it closed the connection in the middle of a reply"_s);
    case QAbstractSocket::HostNotFoundError:
        return fail(u"host not found"_s);
    default:
        return fail(socket_.errorString());
    }
}

void Rotator::onTimeout() {
    fail((sent_ ? u"no answer within %1 s"_s : u"no connection within %1 s"_s)
             .arg(kReplyTimeoutMs / 1000));
}

void Rotator::fail(const QString& why) {
    const QString message = u"The rotator at %1 is not reachable: %2."_s.arg(address(), why);
    reset();
    emit failed(message);
}

void Rotator::reset() {
    replyTimer_.stop();
    waiting_.clear();
    sent_.reset();
    received_.clear();
    range_.reset();
    heading_.reset();
    socket_.abort();
}

} // namespace station
