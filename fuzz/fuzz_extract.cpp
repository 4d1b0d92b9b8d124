// ExtractQsoRecords on arbitrary pasted text: no crash, and every record is a piece of a
// long line, free of the separators it was cut at.
#include "edilog/qsorecord.h"
#include "ui/text.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::vector<edilog::QsoRecord> records = edilog::ExtractQsoRecords(text);

    qsizetype longLines = 0;
    for (const QString& line : ui::splitAtCrLf(text))
        if (line.size() >= 46)
            ++longLines;
    if (qsizetype(records.size()) > longLines)
        std::abort();
    for (const edilog::QsoRecord& r : records) {
        if (r.Call.contains(u';') || r.Locator.contains(u';') || r.Call.contains(ui::kCrLf) ||
            r.Locator.contains(ui::kCrLf))
            std::abort();
        if (!text.contains(r.Call) || !text.contains(r.Locator))
            std::abort();
    }
    // The same text gives the same records.
    const std::vector<edilog::QsoRecord> again = edilog::ExtractQsoRecords(text);
    if (again.size() != records.size())
        std::abort();
    for (size_t i = 0; i < again.size(); ++i)
        if (again[i].Call != records[i].Call || again[i].Locator != records[i].Locator)
            std::abort();
    return 0;
}
