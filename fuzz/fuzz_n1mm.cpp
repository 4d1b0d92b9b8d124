// The N1MM Logger+ parser on arbitrary datagrams: no crash, no read outside the datagram, a
// call only when it is one, a reason for every malformed datagram, and the same answer twice.
#include "feed_invariants.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using station::FeedParse;
    const QByteArrayView datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    const FeedParse parsed = station::parseN1mm(datagram);
    checkFeedParse(parsed, station::LoggerCall::Source::N1mm);
    const FeedParse again = station::parseN1mm(datagram);
    if (again.kind != parsed.kind || again.reason != parsed.reason ||
        again.call.call != parsed.call.call || again.call.grid != parsed.call.grid ||
        again.call.band != parsed.call.band || again.call.myCall != parsed.call.myCall)
        std::abort();
    return 0;
}
