#include "station/loggerfeeds.h"

#include <QByteArray>
#include <QDataStream>
#include <QXmlStreamReader>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace station {

namespace {

FeedParse malformed(const QString& reason) {
    return {FeedParse::Kind::Malformed, {}, reason};
}

FeedParse ignored() {
    return {};
}

bool isCallsign(const QString& call) {
    if (call.size() > kMaxCallLength)
        return false;
    for (const QChar c : call)
        if (!c.isPrint() || c.isSpace())
            return false;
    return true;
}

// The trimmed call makes the result; none is nothing to look up.
FeedParse withCall(LoggerCall call) {
    call.call = call.call.trimmed();
    if (call.call.isEmpty())
        return ignored();
    if (!isCallsign(call.call))
        return malformed(u"not a callsign"_s);
    return {FeedParse::Kind::Call, std::move(call), {}};
}

bool named(QStringView name, QStringView expected) {
    return name.compare(expected, Qt::CaseInsensitive) == 0;
}

constexpr QStringView kMalformedXml = u"malformed XML";
constexpr qsizetype kMaxN1mmTags = 1000;

FeedParse readN1mm(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement())
        return malformed(kMalformedXml.toString());
    if (!named(xml.name(), u"lookupinfo") && !named(xml.name(), u"contactinfo"))
        return ignored();

    LoggerCall call;
    call.source = LoggerCall::Source::N1mm;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        QString* field = named(name, u"call")         ? &call.call
                         : named(name, u"gridsquare") ? &call.grid
                         : named(name, u"band")       ? &call.band
                         : named(name, u"mycall")     ? &call.myCall
                                                      : nullptr;
        if (field)
            *field = xml.readElementText().trimmed();
        else
            xml.skipCurrentElement();
    }
    // Whatever follows the root element's end is not read.
    if (xml.hasError())
        return malformed(kMalformedXml.toString());
    return withCall(std::move(call));
}

// Some senders close <IsClaimedQso> with </IsClaimedQSO>: the same bytes with every tag name
// in lower case, values untouched.
QByteArray lowerCaseTagNames(QByteArrayView bytes) {
    QByteArray folded = bytes.toByteArray();
    bool inName = false;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        char& c = folded[i];
        if (c == '<') {
            inName = true;
        } else if (inName && c == '/' && folded[i - 1] == '<') {
            // the closing tag's slash
        } else if (inName &&
                   ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-' || c == '.' || c == ':')) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        } else {
            inName = false;
        }
    }
    return folded;
}

// A big-endian QDataStream over the datagram that never reads past its end. Schemas 2 and 3
// (Qt 5.2's and 5.4's stream formats) write the fields read here alike.
class WsjtxReader {
public:
    explicit WsjtxReader(const QByteArray& bytes) : size_(bytes.size()), in_(bytes) {
        in_.setVersion(QDataStream::Qt_5_4);
    }

    template <typename T> WsjtxReader& operator>>(T& value) {
        in_ >> value;
        return *this;
    }

    WsjtxReader& utf8(QString& text) { return readUtf8(&text); }
    WsjtxReader& skipUtf8() { return readUtf8(nullptr); }

    bool ok() const { return !lengthPastEnd_ && in_.status() == QDataStream::Ok; }
    bool lengthPastEnd() const { return lengthPastEnd_; }

private:
    // utf8: a quint32 length and that many bytes; 0xffffffff is a null string. A length past
    // the end is refused before anything is allocated.
    WsjtxReader& readUtf8(QString* text) {
        quint32 length = 0;
        in_ >> length;
        if (!ok() || length == 0xffffffffu)
            return *this;
        if (qint64(length) > size_ - in_.device()->pos()) {
            lengthPastEnd_ = true;
        } else if (!text) {
            in_.skipRawData(int(length));
        } else {
            QByteArray bytes(qsizetype(length), Qt::Uninitialized);
            in_.readRawData(bytes.data(), int(length));
            *text = QString::fromUtf8(bytes);
        }
        return *this;
    }

    qsizetype size_;
    QDataStream in_;
    bool lengthPastEnd_ = false;
};

constexpr quint32 kWsjtxMagic = 0xadbccbda;
constexpr quint32 kWsjtxStatus = 1;

FeedParse wsjtxProblem(const WsjtxReader& in) {
    return malformed(in.lengthPastEnd() ? u"string length past the end"_s : u"truncated"_s);
}

} // namespace

FeedParse parseN1mm(QByteArrayView datagram) {
    if (datagram.size() > kMaxDatagramSize)
        return malformed(u"larger than 64 KB"_s);
    // A real packet has about a hundred tags; thousands would take milliseconds to parse.
    if (std::count(datagram.begin(), datagram.end(), '<') > kMaxN1mmTags)
        return malformed(u"too many elements"_s);
    const QByteArray bytes = QByteArray::fromRawData(datagram.data(), datagram.size());
    FeedParse parsed = readN1mm(bytes);
    if (parsed.kind == FeedParse::Kind::Malformed && parsed.reason == kMalformedXml) {
        const QByteArray folded = lowerCaseTagNames(datagram);
        if (folded != bytes)
            parsed = readN1mm(folded);
    }
    return parsed;
}

FeedParse parseWsjtx(QByteArrayView datagram) {
    if (datagram.size() > kMaxDatagramSize)
        return malformed(u"larger than 64 KB"_s);
    const QByteArray bytes = QByteArray::fromRawData(datagram.data(), datagram.size());

    WsjtxReader in(bytes);
    quint32 magic = 0, schema = 0, type = 0;
    in >> magic;
    if (!in.ok() || magic != kWsjtxMagic)
        return malformed(u"wrong magic"_s);
    in >> schema;
    if (in.ok() && schema != 2 && schema != 3)
        return malformed(u"unknown schema %1"_s.arg(schema));
    in >> type;
    in.skipUtf8(); // id
    if (!in.ok())
        return wsjtxProblem(in);
    if (type != kWsjtxStatus)
        return ignored();

    LoggerCall call;
    call.source = LoggerCall::Source::Wsjtx;
    quint64 dialFrequency = 0;
    quint32 rxDf = 0, txDf = 0;
    bool txEnabled = false, transmitting = false, decoding = false;
    in >> dialFrequency;
    in.skipUtf8().utf8(call.call).skipUtf8().skipUtf8(); // mode, DX call, report, Tx mode
    in >> txEnabled >> transmitting >> decoding >> rxDf >> txDf;
    in.utf8(call.myCall).skipUtf8().utf8(call.grid); // DE call, DE grid, DX grid
    if (!in.ok())
        return wsjtxProblem(in);
    call.myCall = call.myCall.trimmed();
    call.grid = call.grid.trimmed();
    return withCall(std::move(call));
}

} // namespace station
