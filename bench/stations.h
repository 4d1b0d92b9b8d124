// Station databases and contest logs for the benchmarks: every callsign begins with Q, so one
// key in the call field matches every record, and half of the stations are in field JN, half
// of those in JN4x squares, so three keys in the locator field match a quarter of them.
#pragma once

#include "ui/dialogs.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace bench {

// Message boxes answered at once; the last message tells what the run did.
class SilentDialogs final : public ui::Dialogs {
public:
    QString inputBox(const QString&, const QString&, const QString&, QPoint) override { return {}; }
    void messageBox(const QString& text) override { last = text; }
    QString last;
};

// Q, a digit, four letters: distinct for the first 4,569,760 records.
inline QString call(int i) {
    QString text = QStringLiteral("Q") + QChar(u'0' + i % 10);
    for (int n = i / 10, k = 0; k < 4; ++k, n /= 26)
        text += QChar(u'A' + n % 26);
    return text;
}

inline QString locator(int i) {
    const unsigned h = unsigned(i) * 2654435761u;
    static const char16_t* const kFields[] = {u"JN", u"JN", u"JO", u"KN"};
    const bool inJn = h % 4 < 2;
    const char16_t square = inJn ? char16_t(u'4' + h / 4 % 2) : char16_t(u'0' + h / 4 % 10);
    const char16_t rest[] = {square, char16_t(u'0' + h / 40 % 10), char16_t(u'A' + h / 400 % 24),
                             char16_t(u'A' + h / 9600 % 24)};
    return QString::fromUtf16(kFields[h % 4], 2) + QString::fromUtf16(rest, 4);
}

// As the log window's last rewrite leaves a database: one empty line at the end.
inline QByteArray database(int records) {
    QByteArray bytes;
    bytes.reserve(qsizetype(records) * 14 + 2);
    for (int i = 0; i < records; ++i)
        bytes += (locator(i) + u' ' + call(i)).toLatin1() + "\r\n";
    return bytes + "\r\n";
}

// A 1,000-QSO log: 900 stations from the database (every 20th with a wrong locator) and 100
// new ones.
inline QString ediLog(int records) {
    QString text = QStringLiteral("[REG1TEST;1]\r\nPCall=Q9XYZ\r\n[QSORecords;1000]\r\n");
    for (int q = 0; q < 1000; ++q) {
        const int station = q < 900 ? q * (records / 900) : records + q;
        const QString sent = q % 20 == 0 ? QStringLiteral("JJ00AA") : locator(station);
        text += QStringLiteral("130507;1410;") + call(station) +
                QStringLiteral(";1;59;001;59;001;;") + sent + QStringLiteral(";123;;N;N;\r\n");
    }
    return text;
}

// A CALL3.TXT of `lines` stations for a database of `records`: every other one is a stored
// station, spread over the whole database, the rest new; sorted by call, as WSJT-X keeps it.
inline QByteArray call3(int records, int lines) {
    std::vector<QByteArray> stations;
    stations.reserve(size_t(lines));
    for (int i = 0; i < lines; ++i) {
        const int station = i % 2 == 0 ? int(qint64(i) * records / lines) : records + i;
        stations.push_back(
            (call(station) + u',' + locator(station + 1) + QStringLiteral(",,,\r\n")).toLatin1());
    }
    std::sort(stations.begin(), stations.end());
    QByteArray text = "// CALL3.TXT for the benchmarks\r\n";
    for (const QByteArray& line : stations)
        text += line;
    return text;
}

// Written as an editor saves, and on disk before anything is timed, as a database the
// operator has had for a while is: dirty pages of the file would otherwise be flushed by
// whatever timed write comes next.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        qFatal("cannot write %s", qPrintable(path));
}

// A data directory holding the own locator and a database of `records` lines.
struct DataDirectory {
    QTemporaryDir dir;
    QByteArray bytes;

    explicit DataDirectory(int records) : bytes(database(records)) {
        writeFile(dir.filePath(QStringLiteral("myloc.txt")), "JN81GD\r\n");
        writeFile(databasePath(), bytes);
    }
    QString databasePath() const { return dir.filePath(QStringLiteral("norvane.txt")); }
};

} // namespace bench
