// The WSJT-X parser on arbitrary datagrams: no crash, no read outside the datagram and no
// allocation a length field asks for beyond it, a call only when it is one, and a reason for
// every malformed datagram. Bytes after what was read (the fields to ignore) change nothing.
#include "feed_invariants.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using station::FeedParse;
    const QByteArrayView datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    const FeedParse parsed = station::parseWsjtx(datagram);
    checkFeedParse(parsed, station::LoggerCall::Source::Wsjtx);
    if (!parsed.call.band.isEmpty()) // WSJT-X sends none
        std::abort();
    if (parsed.kind != FeedParse::Kind::Malformed) {
        const QByteArray longer = datagram.toByteArray() + datagram.toByteArray();
        const FeedParse again = station::parseWsjtx(longer);
        if (again.kind != parsed.kind || again.call.call != parsed.call.call ||
            again.call.grid != parsed.call.grid || again.call.myCall != parsed.call.myCall)
            std::abort();
    }
    return 0;
}
