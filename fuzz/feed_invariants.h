// What every parse of a logger's datagram must give, whatever the bytes: a call only when it
// is one, from the parser's own logger, and a reason exactly for the malformed datagrams.
#pragma once

#include "station/loggerfeeds.h"

#include <cstdlib>

inline void checkFeedParse(const station::FeedParse& parsed, station::LoggerCall::Source source) {
    using Kind = station::FeedParse::Kind;
    const QString& call = parsed.call.call;
    const bool good = parsed.kind == Kind::Call
                          ? !call.isEmpty() && call.size() <= station::kMaxCallLength &&
                                call == call.trimmed() && parsed.reason.isEmpty() &&
                                parsed.call.source == source
                          : parsed.reason.isEmpty() == (parsed.kind == Kind::Ignored);
    if (!good)
        std::abort();
}
