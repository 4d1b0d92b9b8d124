// Verifying logs: a 10,000-QSO log against a 1,000,000-record database, and the 130 logs that
// the samples make thirteen times over. `verify_bench --data FOLDER` writes the same data for
// the whole-process timings of bench/verify.sh.
#include "edilog/countryfile.h"
#include "edilog/logverifier.h"
#include "edilog/qsopoints.h"
#include "stations.h"

#include <QCoreApplication>
#include <QDir>
#include <benchmark/benchmark.h>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRecords = 1'000'000;

// Stations of the database (every 20th with another locator than the stored one), every
// 10th a new station and every 50th a busted call, scored right, in time order, numbered
// from 1.
QByteArray bigLog(int qsos) {
    QByteArray log = "[REG1TEST;1]\r\nTName=Bench\r\nTDate=20130507;20130514\r\nPCall=Q9XYZ\r\n"
                     "PWWLo=JN81GD\r\nPSect=SO\r\nPBand=145 MHz\r\n[Remarks]\r\n[QSORecords;" +
                     QByteArray::number(qsos) + "]\r\n";
    for (int q = 0; q < qsos; ++q) {
        const int station = int(qint64(q) * kRecords / qsos);
        const QByteArray wwl = bench::locator(station + (q % 20 == 0)).toLatin1();
        const auto km = edilog::LocatorDistanceKm("JN81GD", wwl);
        QByteArray call = bench::call(q % 10 == 5 ? kRecords + q : station).toLatin1();
        if (q % 50 == 7)
            call.back() = call.back() == 'A' ? 'B' : 'A';
        log += "1305" + QByteArray::number(7 + q / 1440).rightJustified(2, '0') + ';' +
               QByteArray::number(q / 60 % 24 * 100 + q % 60).rightJustified(4, '0') + ';' + call +
               ";1;59;" + QByteArray::number(q + 1).rightJustified(4, '0') + ";59;001;;" + wwl +
               ';' + QByteArray::number(qint64(*km) + 1) + ";;;;\r\n";
    }
    return log;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const edilog::CountryFile& countries() {
    static const edilog::CountryFile file =
        edilog::CountryFile::parse(readFile(u"/usr/share/hamradio-files/cty.dat"_s));
    return file;
}

void BM_VerifyBigLog(benchmark::State& state) {
    const QByteArray database = bench::database(kRecords);
    const QByteArray log = bigLog(int(state.range(0)));
    for (auto _ : state) {
        const edilog::VerifyResult result = edilog::VerifyLog(log, database, countries());
        benchmark::DoNotOptimize(result.findings.data());
    }
}
BENCHMARK(BM_VerifyBigLog)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_VerifySamples(benchmark::State& state) {
    std::vector<QByteArray> logs;
    const QDir samples(QStringLiteral(NORVANE_SAMPLES_DIR));
    for (const QString& name : samples.entryList({u"*.edi"_s}))
        logs.push_back(readFile(samples.filePath(name)));
    for (auto _ : state)
        for (int round = 0; round < 13; ++round)
            for (const QByteArray& log : logs)
                benchmark::DoNotOptimize(edilog::VerifyLog(log, {}, countries()).findings.data());
}
BENCHMARK(BM_VerifySamples)->Unit(benchmark::kMillisecond);

// What every verify and convert process pays first: reading cty.dat, then the country of
// each QSO's call.
void BM_CountryFile(benchmark::State& state) {
    const QByteArray bytes = readFile(u"/usr/share/hamradio-files/cty.dat"_s);
    for (auto _ : state)
        benchmark::DoNotOptimize(edilog::CountryFile::parse(bytes).empty());
}
BENCHMARK(BM_CountryFile)->Unit(benchmark::kMillisecond);

void BM_CountriesOfCalls(benchmark::State& state) {
    std::vector<QByteArray> calls;
    const char* const prefixes[] = {"DL", "OK", "S5", "9A", "HA", "OE", "SP", "YU", "F", "G"};
    for (int q = 0; q < 10'000; ++q)
        calls.push_back(prefixes[q % 10] + bench::call(q).toLatin1().mid(2) +
                        (q % 7 == 0 ? "/P" : ""));
    for (auto _ : state)
        for (const QByteArray& call : calls)
            benchmark::DoNotOptimize(countries().entityOf(call));
}
BENCHMARK(BM_CountriesOfCalls)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--data") == 0) {
        QCoreApplication application(argc, argv);
        const QDir folder(QString::fromLocal8Bit(argv[2]));
        bench::writeFile(folder.filePath(u"norvane.txt"_s), bench::database(kRecords));
        bench::writeFile(folder.filePath(u"big.edi"_s), bigLog(10'000));
        const QDir samples(QStringLiteral(NORVANE_SAMPLES_DIR));
        for (int round = 0; round < 13; ++round)
            for (const QString& name : samples.entryList({u"*.edi"_s}))
                bench::writeFile(folder.filePath(u"%1-%2"_s.arg(round).arg(name)),
                                 readFile(samples.filePath(name)));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
