// How long "Check" and "Add EDI" spend taking QSO records out of a pasted log.
#include "edilog/qsorecord.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// A header, then one QSO line per line number, as a pasted log would look.
QString syntheticLog(int qsoLines) {
    QString text =
        u"[REG1TEST;1]\r\nTName=Bench\r\nPCall=Q9ZZ\r\n[QSORecords;%1]\r\n"_s.arg(qsoLines);
    text.reserve(text.size() + qsoLines * 52);
    for (int i = 0; i < qsoLines; ++i)
        text += u"130507;1410;Q%1/P;1;59;001;59;001;;JO60AB;123;;N;N;\r\n"_s.arg(i, 6, 10,
                                                                                 QLatin1Char('0'));
    return text;
}

void BM_ExtractSynthetic(benchmark::State& state) {
    const QString text = syntheticLog(int(state.range(0)));
    for (auto _ : state) {
        auto records = edilog::ExtractQsoRecords(text);
        benchmark::DoNotOptimize(records);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExtractSynthetic)->Arg(1000)->Arg(200000)->Unit(benchmark::kMillisecond);

QString sampleDir() {
    return QStringLiteral(NORVANE_SAMPLES_DIR);
}

void BM_ExtractLargeSample(benchmark::State& state) {
    QFile file(QDir(sampleDir()).filePath(u"log-144mhz-large.edi"_s));
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("log-144mhz-large.edi not found");
        return;
    }
    const QString text = QString::fromLatin1(file.readAll());
    for (auto _ : state) {
        auto records = edilog::ExtractQsoRecords(text);
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_ExtractLargeSample)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
