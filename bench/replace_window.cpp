// How long another program's save can still be overwritten by an import: from the moment the
// file was found as it was read, through the last check, to the end of the write that renamed
// the new file over it. Plain timing rather than Google Benchmark, so that the same program
// runs under Wine.
// usage: replace_window [RECORDS...]  (default: 150000 1000000 4000000)
#include "stationdb/files.h"
#include "stations.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class TimedIo final : public stationdb::FileIo {
protected:
    void reached(Moment moment) override {
        if (moment != Moment::Compared)
            return;
#ifndef Q_OS_WIN
        // The rename frees the old file's blocks once the new file is in its place, which
        // takes longer the larger the file: kept open here, the old file is freed untimed.
        // Windows renames nothing over an open file, so there it is timed.
        old.setFileName(path);
        if (!old.open(QIODevice::ReadOnly))
            qFatal("cannot open %s", qPrintable(path));
#endif
        sinceCompared.start();
    }

public:
    explicit TimedIo(QString database) : path(std::move(database)) {}
    QString path;
    QFile old;
    QElapsedTimer sinceCompared;
};

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {150'000, 1'000'000, 4'000'000};
    constexpr int kWrites = 21;
    std::printf("%9s %9s %9s %9s %9s   microseconds, %d writes each\n", "records", "min", "median",
                "p90", "max", kWrites);
    for (const int records : sizes) {
        const bench::DataDirectory data(records);
        TimedIo io(data.databasePath());
        std::vector<double> windows;
        for (int i = 0; i < kWrites; ++i) {
            const stationdb::ReadResult before = io.read(data.databasePath());
            const QByteArray after = before.bytes + "JN45AB Q0NEW\r\n";
            if (const auto error = io.write(data.databasePath(), after, &before))
                qFatal("%s", qPrintable(error->message()));
            windows.push_back(double(io.sinceCompared.nsecsElapsed()) / 1000);
            io.old.close();
        }
        std::sort(windows.begin(), windows.end());
        std::printf("%9d %9.1f %9.1f %9.1f %9.1f\n", records, windows.front(),
                    windows[windows.size() / 2], windows[windows.size() * 9 / 10], windows.back());
    }
}
