// Writes the data that bench/lists.sh times the list commands on: a station database of
// RECORDS lines and a CALL3.TXT of LINES stations, half of them held already (whose lines
// the import passes over) and half new, in the order WSJT-X keeps them: sorted by call.
// usage: lists_data FOLDER [RECORDS [LINES]]   (1,000,000 and 150,000)
#include "stations.h"

#include <QCoreApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2)
        qFatal("usage: lists_data FOLDER [RECORDS [LINES]]");
    const QDir folder(arguments[1]);
    const int records = arguments.value(2, QStringLiteral("1000000")).toInt();
    const int lines = arguments.value(3, QStringLiteral("150000")).toInt();

    bench::writeFile(folder.filePath(QStringLiteral("myloc.txt")), "JN81GD\r\n");
    bench::writeFile(folder.filePath(QStringLiteral("norvane.txt")), bench::database(records));
    bench::writeFile(folder.filePath(QStringLiteral("CALL3.TXT")), bench::call3(records, lines));
    return 0;
}
