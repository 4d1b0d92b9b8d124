// Any bytes read in any format, written as REG1TEST, read again: the written log is ASCII with
// CR LF line ends, it holds the same QSOs and header values (as the writer spells them), and
// what was read back is written the same way every time after.
#include "contestlog/ediwriter.h"
#include "contestlog/reader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using contestlog::AsciiText;

void require(bool condition, int line = __builtin_LINE()) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_ediwriter.cpp:%d does not hold\n", line);
        std::abort();
    }
}

QString asWritten(const QString& text) {
    QString ascii = AsciiText(text);
    ascii.replace(u';', u',');
    return ascii.trimmed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const contestlog::ContestLog first = contestlog::ReadContestLog(bytes);
    const QByteArray edi = contestlog::WriteReg1test(first);
    require(edi.startsWith("[REG1TEST;1]\r\n") && edi.count('\n') == edi.count("\r\n"));
    for (const char c : edi)
        require((c >= 32 && c <= 126) || c == '\r' || c == '\n');

    const contestlog::ContestLog again = contestlog::ReadReg1test(edi);
    require(again.qsos.size() == first.qsos.size());
    for (size_t i = 0; i < first.qsos.size(); ++i) {
        const contestlog::Qso& a = first.qsos[i];
        const contestlog::Qso& b = again.qsos[i];
        require(a.readable == b.readable);
        if (!a.readable)
            continue;
        require(b.call == asWritten(a.call) && b.locator == asWritten(a.locator) &&
                b.sentRst == asWritten(a.sentRst) && b.receivedRst == asWritten(a.receivedRst) &&
                b.sentNumber == asWritten(a.sentNumber) &&
                b.receivedNumber == asWritten(a.receivedNumber) &&
                b.receivedExchange == asWritten(a.receivedExchange));
        require(b.newExchange == a.newExchange && b.newLocator == a.newLocator &&
                b.newDxcc == a.newDxcc && b.duplicate == a.duplicate);
        require(a.mode == contestlog::Mode::None || b.mode == a.mode);
        require(!a.points || b.points == a.points);
        require(!a.time.isValid() || b.time == QTime(a.time.hour(), a.time.minute()));
        // YYMMDD holds 1980 to 2079.
        require(!a.date.isValid() || a.date.year() < 1980 || a.date.year() > 2079 ||
                b.date == a.date);
    }
    for (const char* key : {"TName", "TDate", "PCall", "PWWLo", "PSect", "PBand", "CQSOs", "LSoft"})
        if (const contestlog::HeaderField* field = first.field(QString::fromLatin1(key)))
            require(again.value(QString::fromLatin1(key)) == AsciiText(field->value).trimmed());
    require(again.remarks.size() ==
            first.remarks.size() + first.edi.preamble.size() + first.edi.strays.size());
    // A header line's key that only its writing made a known one (control characters around
    // "PWWLo") moves to its place; from then on the log stays as it is.
    const QByteArray second = contestlog::WriteReg1test(again);
    require(contestlog::WriteReg1test(contestlog::ReadReg1test(second)) == second);
    return 0;
}
