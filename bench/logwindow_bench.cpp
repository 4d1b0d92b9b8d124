// The log window's "Check" and "Add EDI" on a large station database, through a whole
// program with message boxes answered at once; and the floor under "Add EDI": reading the
// database and writing it back once.
#include "app/listcommands.h"
#include "app/program.h"
#include "edilog/qsorecord.h"
#include "edilog/stationimport.h"
#include "stations.h"

#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <benchmark/benchmark.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Fixture {
    bench::DataDirectory data;
    bench::SilentDialogs dialogs;
    std::unique_ptr<app::Program> program;

    explicit Fixture(int records) : data(records) {
        program = std::make_unique<app::Program>(data.dir.path(), dialogs);
        program->start();
    }
    ui::Form& logWindow() { return program->forms().form(u"Form3"); }
};

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(150'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

void BM_Check(benchmark::State& state) {
    Fixture fixture(int(state.range(0)));
    ui::Form& form3 = fixture.logWindow();
    form3.textBox(u"Text1").setText(bench::ediLog(int(state.range(0))));
    // As in a program that has run for a while: the file no longer just written, its bytes
    // and index kept from the keys before.
    QThread::msleep(200);
    form3.button(u"Command3").click();
    QThread::msleep(500);
    for (auto _ : state)
        form3.button(u"Command3").click();
    if (fixture.dialogs.last != u"Probabily wrongs 45"_s)
        state.SkipWithError(qPrintable(fixture.dialogs.last));
}
BENCHMARK(BM_Check)->Apply(sizes);

// What "Check" adds to the main window's lookups: indexing one snapshot for the log's calls
// and comparing the log.
void BM_CheckIndex(benchmark::State& state) {
    const QByteArray bytes = bench::database(int(state.range(0)));
    const std::vector<edilog::QsoRecord> qsos =
        edilog::ExtractQsoRecords(bench::ediLog(int(state.range(0))));
    QStringList calls;
    for (const edilog::QsoRecord& qso : qsos)
        calls.append(qso.Call);
    for (auto _ : state) {
        const edilog::CallLocators stored(bytes, calls);
        int wrong = 0;
        for (const edilog::QsoRecord& qso : qsos)
            wrong +=
                stored.compare(qso.Call, qso.Locator) == edilog::CallLocators::Verdict::Disagrees;
        benchmark::DoNotOptimize(wrong);
    }
}
BENCHMARK(BM_CheckIndex)->Apply(sizes);

void BM_AddEdi(benchmark::State& state) {
    Fixture fixture(int(state.range(0)));
    ui::Form& form3 = fixture.logWindow();
    const QString log = bench::ediLog(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        bench::writeFile(fixture.data.databasePath(), fixture.data.bytes);
        form3.textBox(u"Text1").setText(log);
        state.ResumeTiming();
        form3.button(u"Command1").click();
    }
    if (!fixture.dialogs.last.startsWith(u"Has been added 100 new records"_s))
        state.SkipWithError(qPrintable(fixture.dialogs.last.left(80)));
}
BENCHMARK(BM_AddEdi)->Apply(sizes);

// The least any import can do: read the database whole and replace it through QSaveFile.
void BM_AddEdiFloor(benchmark::State& state) {
    const bench::DataDirectory data(int(state.range(0)));
    for (auto _ : state) {
        QFile in(data.databasePath());
        if (!in.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot read");
        const QByteArray bytes = in.readAll();
        in.close();
        QSaveFile out(data.databasePath());
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
            state.SkipWithError("cannot write");
    }
}
BENCHMARK(BM_AddEdiFloor)->Apply(sizes);

// `norvane import` of a 150,000-line CALL3.TXT, half of it stored already, after start-up.
void BM_ImportList(benchmark::State& state) {
    Fixture fixture(int(state.range(0)));
    const QString list = fixture.data.dir.filePath(u"CALL3.TXT"_s);
    bench::writeFile(list, bench::call3(int(state.range(0)), 150'000));
    for (auto _ : state) {
        state.PauseTiming();
        bench::writeFile(fixture.data.databasePath(), fixture.data.bytes);
        state.ResumeTiming();
        fixture.program->lists().importFiles({list}, std::nullopt);
    }
    if (!fixture.dialogs.last.startsWith(u"Has been added 75000 new records"_s))
        state.SkipWithError(qPrintable(fixture.dialogs.last.left(80)));
}
BENCHMARK(BM_ImportList)->Apply(sizes);

} // namespace

BENCHMARK_MAIN();
