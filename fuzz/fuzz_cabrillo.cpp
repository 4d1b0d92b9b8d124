// The Cabrillo reader on arbitrary bytes: no crash, every finding names a line of the input,
// a code and a text; every QSO has its line, its two calls and a record number in order.
#include "contestlog/reader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype lines = bytes.count('\n') + 1;
    const contestlog::ContestLog log = contestlog::ReadCabrillo(bytes);
    for (const contestlog::Finding& finding : log.findings)
        if (finding.line < 0 || finding.line > lines || finding.code.isEmpty() ||
            finding.text.isEmpty())
            std::abort();
    qsizetype last = 0;
    for (const contestlog::Qso& qso : log.qsos) {
        if (qso.line <= last || qso.line > lines || qso.record < 1 || qso.call.isEmpty() ||
            qso.ownCall.isEmpty())
            std::abort();
        last = qso.line;
    }
    return 0;
}
