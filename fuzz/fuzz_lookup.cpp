// The two lookups' fast scans and their index against a plain walk over the lines, on
// arbitrary files and search texts: the same lists, the same marker, and no read outside the
// file.
#include "stationdb/lookupindex.h"
#include "stationdb/records.h"
#include "tests/support/locatorstarts.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The search text (at most 12 bytes) comes first, then a NUL, then the file. The file is
    // copied to a buffer of its own size, so that a read past its end is caught.
    const auto* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(bytes, 0, std::min<size_t>(size, 13));
    if (!nul)
        return 0;
    const size_t split = size_t(static_cast<const char*>(nul) - bytes);
    const QString prefix = QString::fromLatin1(bytes, qsizetype(split));
    const size_t fileSize = size - split - 1;
    const auto file = std::make_unique<char[]>(fileSize ? fileSize : 1);
    std::memcpy(file.get(), bytes + split + 1, fileSize);
    const QByteArrayView database(file.get(), qsizetype(fileSize));

    QByteArray calls, locators;
    bool marker = false;
    const QByteArray needle = prefix.toLatin1();
    stationdb::forEachLine(database, [&](QByteArrayView line) {
        marker = marker || stationdb::hasAdminMarker(line);
        if (line.startsWith(needle))
            calls += stationdb::callColumns(line).toByteArray() + "\r\n";
        if (stationdb::callColumns(line).startsWith(needle))
            locators += stationdb::locatorColumns(line).toByteArray() + "\r\n";
    });

    const stationdb::LocatorLookup found = stationdb::lookUpLocator(database, prefix);
    if (found.calls != QString::fromLatin1(calls) || found.marker != marker)
        std::abort();
    if (stationdb::lookUpCall(database, prefix) != QString::fromLatin1(locators))
        std::abort();
    // The scan that an index falls back on, told the marker.
    if (stationdb::lookUpLocator(database, prefix, nullptr, marker).calls != found.calls)
        std::abort();

    const stationdb::LookupIndex index(database.toByteArray());
    const stationdb::LocatorLookup indexed = index.lookUpLocator(prefix);
    if (indexed.calls != found.calls || indexed.marker != marker ||
        index.lookUpCall(prefix) != QString::fromLatin1(locators))
        std::abort();
    // A one-character key's list, counted by its lines' first four bytes.
    if (const auto starts = index.locatorStarts(prefix)) {
        if (prefix.size() != 1 ||
            std::vector(starts->begin(), starts->end()) !=
                testing_support::locatorStartsOf(QString::fromLatin1(locators)))
            std::abort();
    }
    return 0;
}
