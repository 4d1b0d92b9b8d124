// "Add TXT" on an arbitrary database and an arbitrary paste: the line layout, the exact
// presence test, and the promise that importing the same text twice adds nothing.
#include "edilog/stationimport.h"
#include "stationdb/records.h"
#include "ui/text.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The presence test the slow way: some line's text after its first space is the call.
bool storedNaively(const QString& workingText, const QString& call) {
    for (const QString& line : ui::splitAtCrLf(workingText)) {
        const auto fields = stationdb::recordFields(line);
        if (fields && fields->call == call)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The database and the paste are separated by the first NUL byte.
    const auto* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(bytes, 0, size);
    const size_t split = nul ? size_t(static_cast<const char*>(nul) - bytes) : size;
    const QByteArray working = stationdb::workingBytes(QByteArrayView(bytes, qsizetype(split)));
    const QString pasted = split < size
                               ? QString::fromLatin1(bytes + split + 1, qsizetype(size - split - 1))
                               : QString();

    const std::vector<edilog::QsoRecord> lines = edilog::PlainTextRecords(pasted);
    for (const edilog::QsoRecord& r : lines)
        if (r.Locator.size() != 6 || r.Call.contains(ui::kCrLf))
            std::abort();

    const stationdb::StoredCalls stored(working);
    for (const edilog::QsoRecord& r : lines)
        if (stored.contains(QStringView(r.Call)) !=
            storedNaively(QString::fromLatin1(working), r.Call))
            std::abort();

    const edilog::StationImport once = edilog::AddNewStations(working, lines);
    if (!once.workingText.startsWith(working) || once.added > qsizetype(lines.size()))
        std::abort();
    if (once.workingText.count("\r\n") != working.count("\r\n") + once.added)
        std::abort();
    // What was written is found again: a second import adds nothing.
    const edilog::StationImport twice = edilog::AddNewStations(once.workingText, lines);
    if (twice.added != 0 || twice.workingText != once.workingText)
        std::abort();
    // Nor after the rewrite: the file read back (its blank lines thinned) still holds them.
    const QByteArray reread = stationdb::workingBytes(stationdb::rewriteBytes(once.workingText));
    if (edilog::AddNewStations(reread, lines).added != 0)
        std::abort();
    return 0;
}
