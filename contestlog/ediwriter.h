// The model written as a REG1TEST (EDI) log: CR LF line ends, bytes 32 to 126 alone, the
// header keys in the format's order, [QSORecords;N] counted.
#pragma once

#include "contestlog.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace contestlog {

// The log as REG1TEST, writing what the model holds and computing nothing (points, flags
// and claims are the verifier's):
// - [REG1TEST;1], then every header field whose key is one of the format's 37 keys, in the
//   format's order (TName, TDate, PCall ... CODXC, LSoft), a repeated key where the first one
//   is; then the lines a REG1TEST log held that have no key of the table (empty `key`), as
//   they were written. Fields of other formats' names (ADIF's PROGRAMID, Cabrillo's
//   CALLSIGN) are not written: set the REG1TEST keys (ContestLog::setValue) for them.
// - [Remarks], then the remarks, the preamble and the stray lines in brackets, as the
//   verifier's fixed copy keeps them. A line that would end the remarks ([END...],
//   [QSORecords...]) has its '[' written as '('.
// - [QSORecords;N], N the number of QSOs, and one line a QSO with the 15 fields: date YYMMDD;
//   time HHMM; call; mode code (empty for none); sent RST; sent number; received RST;
//   received number; received exchange; received locator; points; N for a new exchange, a
//   new locator, a new DXCC; D for a duplicate. A date, time, mode or points that the model
//   could not read from a REG1TEST line is written as the line had it; a record line that
//   was not readable is written with the fields it had, so that it stays one that is not
//   ("?" where nothing printable is left of them). ';' inside a field becomes ','; spaces
//   around a field or a header value go.
// - A header or record line that would begin with '[' (and so read as a section) has '(' for
//   its '['.
// - the trailer ([END...] and the lines after it).
// Every text goes through AsciiText.
QByteArray WriteReg1test(const ContestLog& log);

// Text as the writer puts it into a log: bytes 32 to 126 alone. Letters with accents become
// their letters (é e, Ü U, ç c), ß ss, æ ae, ø o, Ł L, þ th and the like; compatibility
// forms their plain ones (ﬁ fi, ² 2); Cyrillic is transliterated (Ж Zh, Щ Shch, Ъ A, Ь
// left out); tabs, line breaks and other control characters are spaces; any other
// character (Greek, Chinese, symbols) is '?'.
QString AsciiText(QStringView text);

} // namespace contestlog
