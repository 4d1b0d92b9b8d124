// The loggers' UDP datagrams to the call they carry: N1MM Logger+ XML (not1mm sends the same)
// and WSJT-X's QDataStream messages. Pure functions: no sockets, no state.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace station {

// Larger datagrams are malformed before anything is parsed.
inline constexpr qsizetype kMaxDatagramSize = 64 * 1024;
// Longer "calls", or ones with spaces or control characters, are no callsign.
inline constexpr qsizetype kMaxCallLength = 32;

// What the operator typed or logged in the logger. Texts are as sent, trimmed, not
// upper-cased. Empty when the datagram leaves them out.
struct LoggerCall {
    enum class Source { N1mm, Wsjtx };

    QString call;   // never empty
    QString grid;   // N1MM <gridsquare>, WSJT-X DX grid; not checked
    QString band;   // N1MM <band> in MHz ("144"); WSJT-X sends none
    QString myCall; // N1MM <mycall>, WSJT-X DE call
    Source source = Source::N1mm;
};

struct FeedParse {
    enum class Kind {
        Call,      // `call` holds it
        Ignored,   // another kind of message, or one without a call
        Malformed, // `reason` says why, in a few English words
    };

    Kind kind = Kind::Ignored;
    LoggerCall call;
    QString reason;
};

// <lookupinfo> (a call entered in the entry window) and <contactinfo> (a QSO logged) give a
// call; any other root element (RadioInfo, spot, contactdelete, contactreplace, AppInfo, ...)
// is ignored. Tag names match whatever their case, even when a closing tag's case differs.
// More than 1000 tags is malformed before any parsing: a real packet has about a hundred.
FeedParse parseN1mm(QByteArrayView datagram);

// Status (type 1) of schema 2 or 3 gives the DX call; other message types are ignored. A
// string whose length runs past the end, or a message that ends before the DX grid, is
// malformed.
FeedParse parseWsjtx(QByteArrayView datagram);

} // namespace station
