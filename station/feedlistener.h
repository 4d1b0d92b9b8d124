// Listens for the loggers' UDP datagrams and reports the calls they carry. Event-driven only
// (no timer, no polling), and it never writes a file.
#pragma once

#include "station/loggerfeeds.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>
#include <vector>

class QHostAddress;
class QUdpSocket;

namespace station {

class FeedListener : public QObject {
    Q_OBJECT

public:
    struct Config {
        quint16 n1mmPort = 0;  // 0: off
        quint16 wsjtxPort = 0; // 0: off
        // 127.0.0.1 hears this PC only, 0.0.0.0 the whole network; a multicast group (as
        // WSJT-X can send to, e.g. 239.255.0.1) is joined on every interface, on both ports.
        QString address = QStringLiteral("127.0.0.1");
    };

    // Datagrams by what the parsers made of them, since the last listen().
    struct Counts {
        quint64 calls = 0;
        quint64 ignored = 0;
        quint64 malformed = 0;
        QString lastMalformed; // the last malformed datagram's reason
    };

    explicit FeedListener(QObject* parent = nullptr);
    ~FeedListener() override;

    // Closes the ports open so far, then binds each enabled one, shared with other programs.
    // Returns problem(): empty when every enabled port is listening.
    QString listen(const Config& config);
    void close();

    // One line per port that could not be bound or group that could not be joined: the port
    // and the system's reason. The ports that could be bound listen all the same.
    QString problem() const { return problem_; }
    Counts counts() const { return counts_; }

signals:
    // The call of the latest datagram among those that arrived together (each would replace
    // the one before). A WSJT-X Status repeating the DX call and grid reported last (it is
    // sent on every decoding cycle too) is not reported again.
    void callReceived(const station::LoggerCall& call);

private:
    enum class Format { N1mm, Wsjtx, Either };
    struct Port {
        QUdpSocket* socket = nullptr;
        Format format = Format::N1mm;
    };

    QString open(quint16 port, Format format, const QHostAddress& address);
    void readPending(const Port& port);
    FeedParse parse(Format format, QByteArrayView datagram) const;

    std::vector<Port> ports_;
    QByteArray buffer_;
    std::optional<LoggerCall> lastWsjtx_;
    Counts counts_;
    QString problem_;
};

} // namespace station
