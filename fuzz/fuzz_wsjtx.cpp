// The WSJT-X parser on arbitrary datagrams: no crash, no read outside the datagram and no
// allocation a length field asks for beyond it, a call only when it is one, and a reason for
// every malformed datagram. Bytes after what was read (the fields to ignore) change nothing.
#include "station/loggerfeeds.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using station::FeedParse;
    const QByteArrayView datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    const FeedParse parsed = station::parseWsjtx(datagram);
    switch (parsed.kind) {
    case FeedParse::Kind::Call:
        if (parsed.call.call.isEmpty() || parsed.call.call.size() > station::kMaxCallLength ||
            parsed.call.call != parsed.call.call.trimmed() || !parsed.reason.isEmpty() ||
            parsed.call.source != station::LoggerCall::Source::Wsjtx || !parsed.call.band.isEmpty())
            std::abort();
        break;
    case FeedParse::Kind::Ignored:
        if (!parsed.reason.isEmpty())
            std::abort();
        break;
    case FeedParse::Kind::Malformed:
        if (parsed.reason.isEmpty())
            std::abort();
        break;
    }
    if (parsed.kind != FeedParse::Kind::Malformed) {
        const QByteArray longer = datagram.toByteArray() + datagram.toByteArray();
        const FeedParse again = station::parseWsjtx(longer);
        if (again.kind != parsed.kind || again.call.call != parsed.call.call ||
            again.call.grid != parsed.call.grid || again.call.myCall != parsed.call.myCall)
            std::abort();
    }
    return 0;
}
