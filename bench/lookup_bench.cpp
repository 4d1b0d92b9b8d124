// One keystroke in the call field through a whole program, against a plain read of the same
// database file. Database sizes: 1,000, 150,000 and 1,000,000 records; the preparation
// between keys at 1,000,000 and 4,000,000.
#include "app/program.h"
#include "stationdb/databasethread.h"
#include "stationdb/records.h"
#include "stations.h"
#include "ui/dialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Record i's callsign: two letters, a digit and three letters, all calls distinct and of the
// same length, so that a whole call never begins another one.
QByteArray callOf(qint64 i) {
    constexpr qint64 kCalls = 26LL * 26 * 10 * 26 * 26 * 26;
    qint64 n = (i * 7919 + 12345) % kCalls; // 7919 is prime and does not divide kCalls
    char call[6];
    for (int k : {5, 4, 3}) {
        call[k] = char('A' + n % 26);
        n /= 26;
    }
    call[2] = char('0' + n % 10);
    n /= 10;
    call[1] = char('A' + n % 26);
    call[0] = char('A' + n / 26 % 26);
    return QByteArray(call, 6);
}

QByteArray locatorOf(qint64 i) {
    quint64 n = quint64(i) * 2654435761u + 97;
    char loc[6] = {char('A' + n % 18),         char('A' + n / 18 % 18),
                   char('0' + n / 324 % 10),   char('0' + n / 3240 % 10),
                   char('A' + n / 32400 % 24), char('A' + n / 777600 % 24)};
    return QByteArray(loc, 6);
}

// A data directory with the own locator and a database of `records` lines, written once per
// size for the whole run.
const QTemporaryDir& dataDirectory(qint64 records) {
    static std::map<qint64, std::unique_ptr<QTemporaryDir>> made;
    auto& dir = made[records];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        QByteArray db;
        db.reserve(records * 14);
        for (qint64 i = 0; i < records; ++i)
            db += locatorOf(i) + ' ' + callOf(i) + "\r\n";
        QFile file(dir->filePath(u"norvane.txt"_s));
        if (!file.open(QIODevice::WriteOnly) || file.write(db) != db.size())
            qFatal("cannot write the benchmark database");
        QFile own(dir->filePath(u"myloc.txt"_s));
        if (!own.open(QIODevice::WriteOnly) || own.write("JN81GD\r\n") != 8)
            qFatal("cannot write the own locator");
    }
    return *dir;
}

// The two calls a keystroke alternates between: one near the start of the file, one near the
// end, each stored once.
QString firstCall(qint64 records) {
    return QString::fromLatin1(callOf(records / 10));
}
QString secondCall(qint64 records) {
    return QString::fromLatin1(callOf(records - records / 10));
}

QByteArray readDatabase(qint64 records) {
    QFile file(dataDirectory(records).filePath(u"norvane.txt"_s));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the benchmark database");
    return file.readAll();
}

// The file read alone, the floor under any keystroke.
void readOnly(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(readDatabase(state.range(0)));
}

void readAndCountLines(benchmark::State& state) {
    for (auto _ : state) {
        const QByteArray bytes = readDatabase(state.range(0));
        benchmark::DoNotOptimize(std::count(bytes.begin(), bytes.end(), '\n'));
    }
}

// Alternates the call field between two calls stored once each. As separate events every
// change reads the database afresh, as a real keystroke does; within one event, as the log
// window's check changes the field once per QSO, it is read once and every change costs
// only its scans.
void changeCallField(benchmark::State& state, bool withinOneEvent) {
    const qint64 records = state.range(0);
    bench::SilentDialogs dialogs;
    app::Program program(dataDirectory(records).path(), dialogs);
    program.start();
    ui::Form& form1 = program.forms().form(u"Form1");
    ui::TextBox& call = form1.textBox(u"Text2");
    const QString texts[] = {firstCall(records), secondCall(records)};
    int next = 0;
    const auto changes = [&] {
        for (auto _ : state) {
            call.setText(texts[next]);
            next ^= 1;
        }
    };
    if (withinOneEvent)
        program.forms().dispatch(changes);
    else
        changes();
    if (form1.textBox(u"Text4").text().size() != 8 || !form1.label(u"Label3").visible())
        state.SkipWithError("the change did not find its single match");
}

void callFieldKeystroke(benchmark::State& state) {
    changeCallField(state, false);
}

void callFieldChangeWithinOneEvent(benchmark::State& state) {
    changeCallField(state, true);
}

// The two scans alone, on bytes already in memory.
void callScan(benchmark::State& state) {
    const QByteArray bytes = readDatabase(state.range(0));
    const QString call = secondCall(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(stationdb::lookUpCall(bytes, call));
}

void locatorScan(benchmark::State& state) {
    const QByteArray bytes = readDatabase(state.range(0));
    const QString locator = QString::fromLatin1(locatorOf(state.range(0) - state.range(0) / 10));
    for (auto _ : state)
        benchmark::DoNotOptimize(stationdb::lookUpLocator(bytes, locator));
}

// What the thread does after start-up and after another program's save: the file read,
// both indexes built, the lists' rooms touched. A key typed sooner waits for it.
void prepareDatabase(benchmark::State& state) {
    stationdb::FileIo io;
    const QString path = dataDirectory(state.range(0)).filePath(u"norvane.txt"_s);
    for (auto _ : state)
        benchmark::DoNotOptimize(stationdb::DatabaseThread::prepare(io, path, std::nullopt));
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(150000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
}

} // namespace

BENCHMARK(readOnly)->Apply(sizes);
BENCHMARK(readAndCountLines)->Apply(sizes);
BENCHMARK(callFieldKeystroke)->Apply(sizes);
BENCHMARK(callFieldChangeWithinOneEvent)->Apply(sizes);
BENCHMARK(callScan)->Apply(sizes);
BENCHMARK(locatorScan)->Apply(sizes);
BENCHMARK(prepareDatabase)->Arg(1000000)->Arg(4000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
