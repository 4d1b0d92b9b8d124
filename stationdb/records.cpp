#include "records.h"

#include "ui/text.h"

namespace stationdb {

namespace {

constexpr QByteArrayView kMarker{"KWELP", 5};

void appendLine(QByteArray& list, QByteArrayView text) {
    list.append(text);
    list.append(kCrLfBytes);
}

} // namespace

qsizetype countLines(QByteArrayView bytes) {
    qsizetype lines = 0;
    forEachLine(bytes, [&](QByteArrayView) { ++lines; });
    return lines;
}

std::optional<QByteArray> toLatin1Exactly(QStringView text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar ch : text) {
        if (ch.unicode() > 0xFF)
            return std::nullopt;
        *out++ = char(ch.unicode());
    }
    return bytes;
}

bool hasAdminMarker(QByteArrayView line) {
    return line.size() >= 12 && line.sliced(7, 5) == kMarker;
}

LocatorLookup lookUpLocator(QByteArrayView database, QStringView prefix) {
    // A prefix no file byte can spell matches nothing, but the marker test still runs.
    const std::optional<QByteArray> needle = toLatin1Exactly(prefix);
    QByteArray calls;
    bool marker = false;
    forEachLine(database, [&](QByteArrayView line) {
        if (!marker && hasAdminMarker(line))
            marker = true;
        if (needle && line.startsWith(*needle))
            appendLine(calls, callColumns(line));
    });
    return {QString::fromLatin1(calls), marker};
}

QString lookUpCall(QByteArrayView database, QStringView prefix) {
    const std::optional<QByteArray> needle = toLatin1Exactly(prefix);
    if (!needle)
        return {};
    QByteArray locators;
    forEachLine(database, [&](QByteArrayView line) {
        if (callColumns(line).startsWith(*needle))
            appendLine(locators, locatorColumns(line));
    });
    return QString::fromLatin1(locators);
}

QString workingText(QByteArrayView database) {
    QString text = QString::fromLatin1(database);
    if (!text.isEmpty() && !text.endsWith(ui::kCrLf))
        text += ui::kCrLf;
    // QString::replace works left to right without rescanning, so a run of three line
    // breaks becomes two, as the importers have always left it.
    return text.replace(ui::kCrLf + ui::kCrLf, ui::kCrLf);
}

QByteArray rewriteBytes(const QString& workingText) {
    // Latin-1 keeps every byte read from the file; a character beyond it becomes '?'.
    return (workingText + ui::kCrLf).toLatin1();
}

std::optional<RecordFields> recordFields(QStringView line) {
    const qsizetype space = line.indexOf(u' ');
    if (space < 0)
        return std::nullopt;
    return RecordFields{line.first(space), line.sliced(space + 1)};
}

StoredCalls::StoredCalls(const QString& workingText) : text_(workingText) {
    const QStringView all(text_);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(ui::kCrLf, start);
        if (end < 0)
            end = all.size();
        if (const auto fields = recordFields(all.sliced(start, end - start)))
            calls_.insert(fields->call);
        start = end + 2;
    }
}

bool StoredCalls::contains(QStringView call) const {
    return calls_.contains(call) || added_.contains(call.toString());
}

void StoredCalls::add(const QString& call) {
    added_.insert(call);
}

} // namespace stationdb
