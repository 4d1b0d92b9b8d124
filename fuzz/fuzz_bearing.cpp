// Two arbitrary locator texts through PrepareLocator, LocatorToPoint and
// BearingAndDistance: no crash, results in range for accepted pairs, and the same input
// always gives the same result.
#include "bearing/greatcircle.h"
#include "bearing/locator.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct Outcome {
    bool rejected;
    bearing::BearingDistance result;
};

Outcome run(const QString& first, const QString& second) {
    const bearing::PreparedLocator a = bearing::PrepareLocator(first);
    const bearing::PreparedLocator b = bearing::PrepareLocator(second);
    return {a.rejected || b.rejected, bearing::BearingAndDistance(bearing::LocatorToPoint(a.text),
                                                                  bearing::LocatorToPoint(b.text))};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The two texts are separated by the first newline; UTF-8, so that characters beyond
    // one byte reach the code page rule too.
    const auto* bytes = reinterpret_cast<const char*>(data);
    const void* newline = std::memchr(bytes, '\n', size);
    const size_t split = newline ? size_t(static_cast<const char*>(newline) - bytes) : size;
    const QString first = QString::fromUtf8(bytes, qsizetype(split));
    const QString second = split < size
                               ? QString::fromUtf8(bytes + split + 1, qsizetype(size - split - 1))
                               : QString();

    const Outcome once = run(first, second);
    const Outcome twice = run(first, second);
    if (once.rejected != twice.rejected ||
        std::memcmp(&once.result, &twice.result, sizeof once.result) != 0)
        std::abort();
    if (!once.rejected) {
        const double bearing = once.result.bearing, distance = once.result.distance;
        if (!(bearing >= 0 && bearing <= 360) || !(distance >= 0 && distance <= 19970))
            std::abort();
    }
    return 0;
}
