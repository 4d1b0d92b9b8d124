// The antenna rotator, driven through Hamlib's rotctld over TCP. Nothing here blocks: every
// command is queued, sent when the one before it is answered, and its reply is awaited for
// two seconds at most. Trouble is reported through failed(), never thrown or shown.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <optional>

namespace station {

// The azimuths a rotator can reach, in degrees: 0 to 360, -180 to 180, or more than a turn
// (-180 to 450, 0 to 450), where two azimuths point the same way.
struct AzimuthRange {
    double minimum = 0;
    double maximum = 360;
};

// `degrees` brought into 0 (included) to 360 (excluded).
double normalizedBearing(double degrees);

// The azimuth to send for `bearing` (degrees clockwise from north, any value): of the
// azimuths within `range` that point the same way, the one nearest `heading` (the rotator's
// present azimuth), or nearest the bearing itself while the heading is unknown. None when
// the range holds no such azimuth.
std::optional<double> azimuthFor(double bearing, AzimuthRange range, std::optional<double> heading);

// "RPRT -1" and the like in Hamlib's words: "invalid parameter".
QString hamlibError(int code);

// One connection to rotctld, made on the first command and again after trouble. Its signals
// may come from inside turnTo(), stop() and poll(); a slot must not delete the Rotator (use
// deleteLater()).
class Rotator : public QObject {
    Q_OBJECT
public:
    static constexpr int kReplyTimeoutMs = 2000; // connecting, and every reply

    explicit Rotator(QObject* parent = nullptr);

    // Where rotctld listens; an empty host means no rotator. Drops the connection and every
    // waiting command.
    void setAddress(const QString& host, quint16 port);
    bool isSet() const { return !host_.isEmpty(); }
    QString address() const; // host:port

    // Turns the antenna to `bearing` (degrees clockwise from north): "P az 0", with az in the
    // rotator's range (azimuthFor). A turn still waiting to be sent is replaced.
    void turnTo(double bearing);
    // "S": stops the antenna; a turn still waiting is dropped.
    void stop();
    // "+p": reads the heading, which headingKnown() reports. One at a time.
    void poll();
    // poll() now and then once a second, until stopPolling().
    void startPolling();
    void stopPolling();

    // What rotctld told on connecting (+\dump_state), and the last heading; none before.
    std::optional<AzimuthRange> range() const { return range_; }
    std::optional<double> heading() const { return heading_; }

signals:
    // The rotator's azimuth in degrees, as it reports it (-160 on a -180 to 180 rotator);
    // normalizedBearing() gives the compass bearing.
    void headingKnown(double azimuth);
    // A turn ("P -160.0 0") or a stop ("S") got RPRT 0.
    void commandDone(const QString& command);
    // One sentence naming host:port and why: refused, no answer within 2 s, closed in the
    // middle of a reply, or the rotator's own error in words. Waiting commands are dropped;
    // the next command connects again.
    void failed(const QString& reason);

private:
    enum class Kind { DumpState, GetPosition, Turn, Stop };
    struct Command {
        Kind kind;
        double bearing = 0;
    };

    void enqueue(Command command);
    void sendNext();
    void onConnected();
    void onReadyRead();
    void onSocketError();
    void onTimeout();
    void handleReply(const QList<QByteArray>& lines, int code);
    void fail(const QString& why);
    void reset();

    QString host_;
    quint16 port_ = 4533;
    QTcpSocket socket_;
    QTimer replyTimer_;
    QTimer pollTimer_;
    std::deque<Command> waiting_;
    std::optional<Command> sent_; // awaiting its RPRT
    QString sentLine_;
    QByteArray received_;
    std::optional<AzimuthRange> range_;
    std::optional<double> heading_;
};

} // namespace station
