// The ADIF and ADX readers on arbitrary bytes: no crash, nothing read past the bytes, every
// finding names a line of the input, a code and a text, and every QSO its line and record.
#include "contestlog/reader.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(const contestlog::ContestLog& log, qsizetype lines) {
    for (const contestlog::Finding& finding : log.findings)
        if (finding.line < 0 || finding.line > lines || finding.code.isEmpty() ||
            finding.text.isEmpty() || finding.record < 0)
            std::abort();
    qsizetype lastRecord = 0, lastLine = 0;
    for (const contestlog::Qso& qso : log.qsos) {
        // Records in order; lines in order too, except that ADX counts its own way.
        if (qso.record <= lastRecord || qso.line < 1 || qso.line > lines ||
            (log.format == contestlog::Format::Adif && qso.line < lastLine))
            std::abort();
        lastRecord = qso.record;
        lastLine = qso.line;
    }
    if (qsizetype(log.qsos.size()) > contestlog::kMaxQsos)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    check(contestlog::ReadAdif(bytes), bytes.count('\n') + 1);
    // XML counts a lone CR as a line break too.
    check(contestlog::ReadAdx(bytes), bytes.count('\n') + bytes.count('\r') + 1);
    return 0;
}
