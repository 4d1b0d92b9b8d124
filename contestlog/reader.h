// Reading a contest log into the model. Every reader is tolerant: it reads what it can, never
// fails and never reads past the bytes, and says in findings what it tolerated and what it
// could not read. Finding codes are an interface (add codes, never rename one):
//
// - every format: "bom" (note: a byte order mark, passed over), "binary" (error: NUL bytes,
//   no log), "unknown-format" (error: none of the formats), "too-many-qsos" (error: the
//   reader stopped at kMaxQsos), "too-many-lines" (error: header fields and other lines
//   beyond kMaxKeptLines are not kept), "more" (note: findings of a code beyond the first 100,
//   which are not kept).
// - REG1TEST: the codes that `norvane verify` has always given for the log's layout, with the
//   same lines and texts: "line-end", "preamble", "missing-section", "section-name",
//   "header-line", "unknown-key", "key-spelling", "repeated-key", "blank-line",
//   "character", "line-length", "qso-fields". The fields' contents are the rules' to judge.
// - ADIF and ADX: "adif-no-eoh", "adif-tag", "adif-length", "adif-length-chars",
//   "adif-text", "adif-no-eor", "adif-empty-record", "adif-no-call", "adif-date",
//   "adif-time", "adif-band", "adif-mode", "adif-serial", "adif-locator"; ADX also
//   "adx-xml" and "adx-root".
// - Cabrillo: "cabrillo-start", "cabrillo-end", "cabrillo-line", "cabrillo-qso",
//   "cabrillo-band", "cabrillo-mode", "cabrillo-date", "cabrillo-time",
//   "cabrillo-exchange", "cabrillo-x-qso".
#pragma once

#include "contestlog.h"

#include <QByteArrayView>
#include <QStringView>

namespace contestlog {

// Far more than any contest (or a lifetime's logbook): a 64 MB file of tiny records stops
// here rather than taking gigabytes.
inline constexpr qsizetype kMaxQsos = 500'000;
// Header fields, remarks and the other lines kept beside the QSOs, all together.
inline constexpr qsizetype kMaxKeptLines = 1'000'000;

// The format the bytes are in, from what their first 64 KB hold, in this order: an XML
// declaration or <ADX> first is ADX; a line [REG1TEST;1] or [QSORecords;N] (or a near miss)
// is REG1TEST; <EOH> or <EOR> is ADIF; a line START-OF-LOG: or QSO: is Cabrillo; <CALL: is
// ADIF. The file name's extension (.edi, .adi, .adif, .adx, .cbr, .log) decides when the
// bytes do not. Unknown for NUL bytes and for anything else.
Format DetectFormat(QByteArrayView bytes, QStringView fileName = {});

// Any bytes: the format detected, then its reader. For Unknown the model is empty and its
// findings say why ("binary", "unknown-format").
ContestLog ReadContestLog(QByteArrayView bytes, QStringView fileName = {});

ContestLog ReadReg1test(QByteArrayView bytes);
// The layout alone: the header, sections and findings as above, and in place of the QSOs
// each record line with whether it has 15 fields (edi.recordLines); for a reader of the bytes.
ContestLog ReadReg1testLayout(QByteArrayView bytes);
ContestLog ReadAdif(QByteArrayView bytes);
ContestLog ReadAdx(QByteArrayView bytes);
ContestLog ReadCabrillo(QByteArrayView bytes);

} // namespace contestlog
