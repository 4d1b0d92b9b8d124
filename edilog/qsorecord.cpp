#include "qsorecord.h"

#include <QStringTokenizer>
#include <QStringView>
#include <utility>

namespace edilog {

namespace {

// Shorter lines are headers, section markers or blank: never QSO lines.
constexpr qsizetype kMinQsoLineLength = 46;
// The callsign field starts after "DDMMYY;HHMM;", i.e. at the 13th character.
constexpr qsizetype kCallStart = 12;

// Takes a record out of a long line by position alone. A line lacking a ";" that
// the rules need has no record; such lines are passed over rather than reported.
bool extractFromLine(QStringView line, QsoRecord& record) {
    // Without any ";;" indexOf gives -1, so the locator search starts at the second
    // character, which is where a missing ";;" puts it.
    const qsizetype doubleSemicolon = line.indexOf(u";;");
    const qsizetype locatorStart = doubleSemicolon + 2;
    const qsizetype locatorEnd = line.indexOf(u';', locatorStart);
    if (locatorEnd < 0)
        return false;
    const qsizetype callEnd = line.indexOf(u';', kCallStart);
    if (callEnd < 0)
        return false;
    record.Locator = line.sliced(locatorStart, locatorEnd - locatorStart).toString();
    record.Call = line.sliced(kCallStart, callEnd - kCallStart).toString();
    return true;
}

} // namespace

std::vector<QsoRecord> ExtractQsoRecords(const QString& logText) {
    std::vector<QsoRecord> records;
    // Same pieces as ui::splitAtCrLf, but as views: copying every line of a big log
    // costs more than the extraction itself. The one difference, an empty text
    // giving one empty piece, cannot make a record.
    for (const QStringView line : QStringView(logText).tokenize(u"\r\n", Qt::KeepEmptyParts)) {
        if (line.size() < kMinQsoLineLength)
            continue;
        QsoRecord record;
        if (extractFromLine(line, record))
            records.push_back(std::move(record));
    }
    return records;
}

} // namespace edilog
