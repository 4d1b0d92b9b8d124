// Writes the data that bench/lists.sh times the list commands on: a station database of
// RECORDS lines and a CALL3.TXT of LINES stations, half of them held already (whose lines
// the import passes over) and half new, in the order WSJT-X keeps them: sorted by call.
// usage: lists_data FOLDER [RECORDS [LINES]]   (1,000,000 and 150,000)
#include "stations.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <vector>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2)
        qFatal("usage: lists_data FOLDER [RECORDS [LINES]]");
    const QDir folder(arguments[1]);
    const int records = arguments.value(2, QStringLiteral("1000000")).toInt();
    const int lines = arguments.value(3, QStringLiteral("150000")).toInt();

    std::vector<QByteArray> stations;
    stations.reserve(size_t(lines));
    for (int i = 0; i < lines; ++i) {
        // Every other one is a stored station, spread over the whole database.
        const int station = i % 2 == 0 ? int(qint64(i) * records / lines) : records + i;
        stations.push_back(
            (bench::call(station) + u',' + bench::locator(station + 1) + QStringLiteral(",,,\r\n"))
                .toLatin1());
    }
    std::sort(stations.begin(), stations.end());
    QByteArray call3 = "// CALL3.TXT for the benchmarks\r\n";
    for (const QByteArray& line : stations)
        call3 += line;

    bench::writeFile(folder.filePath(QStringLiteral("myloc.txt")), "JN81GD\r\n");
    bench::writeFile(folder.filePath(QStringLiteral("norvane.txt")), bench::database(records));
    bench::writeFile(folder.filePath(QStringLiteral("CALL3.TXT")), call3);
    return 0;
}
