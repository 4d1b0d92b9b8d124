// VerifyLog and FixedLog on arbitrary bytes: no crash, every finding names a line of the log
// and a code, and the fixed copy is a log whose structure verifies and whose fix is itself.
#include "edilog/logverifier.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const edilog::CountryFile countries = edilog::CountryFile::parse(
        "Germany: 14: 28: EU: 51.0: -10.0: -1.0: DL:\n    DA,DL,=OE/DL1XYZ;\n"
        "Austria: 15: 28: EU: 47.3: -13.3: -1.0: OE:\n    OE;\n");
    const QByteArrayView log(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArrayView database("JN86DR S51ZO\r\nJN95HN 9A6K\r\nJO60AB Q1ABC\r\n");

    const edilog::VerifyResult result = edilog::VerifyLog(log, database, countries);
    const qsizetype lines = log.count('\n') + 1;
    for (const edilog::Finding& finding : result.findings)
        if (finding.line < 0 || finding.line > lines || finding.code.isEmpty() ||
            finding.text.isEmpty())
            std::abort();

    const QByteArray fixed = edilog::FixedLog(log, countries);
    if (!fixed.startsWith("[REG1TEST;1]\r\n") || !fixed.endsWith("\r\n") ||
        fixed.count('\n') != fixed.count("\r\n"))
        std::abort();
    if (edilog::FixedLog(fixed, countries) != fixed)
        std::abort();
    return 0;
}
