// Contest logs into the model: the ADIF workgroup's test file (6,191 records, 986 KB) read,
// the model it gives written as REG1TEST, and 64 MB files of the worst kinds, which must
// neither take long nor take gigabytes.
#include "contestlog/ediwriter.h"
#include "contestlog/reader.h"

#include <QFile>
#include <benchmark/benchmark.h>

namespace {

QByteArray adifTestFile() {
    QFile file(QStringLiteral(NORVANE_LOGS_DIR "/adif-3.1.6-test-qsos.adi"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_ReadAdifTestFile(benchmark::State& state) {
    const QByteArray bytes = adifTestFile();
    for (auto _ : state) {
        const contestlog::ContestLog log = contestlog::ReadContestLog(bytes, u"test.adi");
        if (log.qsos.size() != 6191)
            state.SkipWithError("the test file gave another number of QSOs");
        benchmark::DoNotOptimize(log.qsos.data());
    }
}
BENCHMARK(BM_ReadAdifTestFile)->Unit(benchmark::kMillisecond);

void BM_WriteReg1test(benchmark::State& state) {
    const contestlog::ContestLog log = contestlog::ReadContestLog(adifTestFile(), u"test.adi");
    for (auto _ : state)
        benchmark::DoNotOptimize(contestlog::WriteReg1test(log).data());
}
BENCHMARK(BM_WriteReg1test)->Unit(benchmark::kMillisecond);

// 64 MB, the most a log file may have: the tiniest ADIF records (the reader stops at
// 500,000 QSOs), lines of a word read as Cabrillo, and REG1TEST header lines (1,000,000 kept).
void BM_Read64MB(benchmark::State& state) {
    const qsizetype size = qsizetype(64) << 20;
    QByteArray bytes;
    contestlog::ContestLog (*read)(QByteArrayView) = nullptr;
    switch (state.range(0)) {
    case 0:
        bytes = QByteArray("<CALL:1>A<EOR>").repeated(size / 14);
        read = contestlog::ReadAdif;
        state.SetLabel("ADIF <CALL:1>A<EOR>");
        break;
    case 1:
        bytes = QByteArray("word\n").repeated(size / 5);
        read = contestlog::ReadCabrillo;
        state.SetLabel("Cabrillo, lines of a word");
        break;
    default:
        bytes = "[REG1TEST;1]\n" + QByteArray("PCall=Q1ABC\n").repeated(size / 12);
        read = contestlog::ReadReg1test;
        state.SetLabel("REG1TEST header lines");
        break;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(read(bytes).findings.data());
}
BENCHMARK(BM_Read64MB)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
