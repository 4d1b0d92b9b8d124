// Cross-checking a contest: the 68 logs of the shared contest, and a generated contest the size
// of an IARU Region 1 September contest (3,000 logs, 500,000 QSOs). `crosscheck_bench --data
// FOLDER` writes the generated logs for the whole-process timings of bench/crosscheck.sh.
#include "crosscheck/contest.h"
#include "crosscheck/reports.h"
#include "edilog/qsopoints.h"
#include "stations.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <random>

using namespace Qt::StringLiterals;

namespace {

struct GeneratedLog {
    QString name;
    QByteArray bytes;
};

// `logs` entrants (calls Q0AAAA ...) and as many stations that send no log, 24 hours from
// 2016-09-03 14:00 UTC. Of the QSO lines, a tenth are with stations that sent no log; of the
// QSOs between entrants, 2 % have a busted call, 1 % a busted serial, 1 % a busted locator,
// 1 % are missing from the other log and 0.5 % are an hour off there.
std::vector<GeneratedLog> generateContest(int logs, int lines) {
    std::mt19937 random(20160903);
    const auto below = [&](int n) { return int(random() % unsigned(n)); };
    struct Event {
        int minute, a, b; // b < 0: a station that sent no log, -b - 1 of them
        int error;        // 0 none, else which (below)
        int serialA = 0, serialB = 0;
    };
    const int withOthers = lines / 10;
    const int pairs = (lines - withOthers) / 2;
    std::vector<Event> events;
    events.reserve(size_t(pairs + withOthers));
    for (int i = 0; i < pairs + withOthers; ++i) {
        const int a = below(logs);
        int b = i < pairs ? below(logs - 1) : -1 - below(logs);
        if (b >= a)
            ++b;
        const int roll = below(1000);
        const int error = roll < 20   ? 1
                          : roll < 30 ? 2
                          : roll < 40 ? 3
                          : roll < 50 ? 4
                          : roll < 55 ? 5
                                      : 0;
        events.push_back({below(24 * 60), a, b, i < pairs ? error : 0});
    }
    std::sort(events.begin(), events.end(),
              [](const Event& x, const Event& y) { return x.minute < y.minute; });
    std::vector<int> serials(static_cast<size_t>(logs), 0);
    std::vector<std::vector<QByteArray>> qsos(static_cast<size_t>(logs));
    for (Event& e : events) {
        e.serialA = ++serials[size_t(e.a)];
        if (e.b >= 0)
            e.serialB = ++serials[size_t(e.b)];
    }
    const auto line = [&](int minute, const QString& call, int sent, int received,
                          const QString& locator, const QString& own) {
        const int at = 14 * 60 + minute;
        const QString day = at >= 24 * 60 ? u"160904"_s : u"160903"_s;
        const auto km = edilog::LocatorDistanceKm(own.toLatin1(), locator.toLatin1());
        return (day + u';' +
                u"%1%2"_s.arg(at / 60 % 24, 2, 10, QLatin1Char('0'))
                    .arg(at % 60, 2, 10, QLatin1Char('0')) +
                u';' + call + u";1;59;"_s + u"%1"_s.arg(sent, 3, 10, QLatin1Char('0')) + u";59;"_s +
                u"%1"_s.arg(received, 3, 10, QLatin1Char('0')) + u";;"_s + locator + u';' +
                QString::number(km ? qint64(*km) + 1 : 0) + u";;;;"_s)
            .toLatin1();
    };
    for (const Event& e : events) {
        const QString ownA = bench::locator(e.a);
        if (e.b < 0) {
            const int other = logs - e.b;
            qsos[size_t(e.a)].push_back(line(e.minute, bench::call(other), e.serialA,
                                             below(900) + 1, bench::locator(other), ownA));
            continue;
        }
        const QString ownB = bench::locator(e.b);
        QString callB = bench::call(e.b);
        QString locatorB = ownB;
        int serialB = e.serialB;
        if (e.error == 1)
            callB.back() = callB.back() == u'A' ? u'B' : u'A';
        else if (e.error == 2)
            serialB += 1;
        else if (e.error == 3)
            locatorB.back() = locatorB.back() == u'A' ? u'B' : u'A';
        qsos[size_t(e.a)].push_back(line(e.minute, callB, e.serialA, serialB, locatorB, ownA));
        if (e.error != 4)
            qsos[size_t(e.b)].push_back(line(e.minute + (e.error == 5 ? 60 : 0), bench::call(e.a),
                                             e.serialB, e.serialA, ownA, ownB));
    }
    std::vector<GeneratedLog> result;
    for (int i = 0; i < logs; ++i) {
        QByteArray log = "[REG1TEST;1]\r\nTName=Bench\r\nTDate=20160903;20160904\r\nPCall=" +
                         bench::call(i).toLatin1() + "\r\nPWWLo=" + bench::locator(i).toLatin1() +
                         "\r\nPSect=SO\r\nPBand=145 MHz\r\n[Remarks]\r\n[QSORecords;" +
                         QByteArray::number(qsizetype(qsos[size_t(i)].size())) + "]\r\n";
        for (const QByteArray& qso : qsos[size_t(i)])
            log += qso + "\r\n";
        result.push_back({u"log-%1.edi"_s.arg(i, 4, 10, QLatin1Char('0')), log});
    }
    return result;
}

std::vector<crosscheck::LogInput> inputs(const std::vector<GeneratedLog>& logs) {
    std::vector<crosscheck::LogInput> list;
    for (const GeneratedLog& log : logs)
        list.push_back({log.name, log.bytes, false, {}});
    return list;
}

void BM_CrossCheckGenerated(benchmark::State& state) {
    const std::vector<GeneratedLog> logs =
        generateContest(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        const crosscheck::Contest contest = crosscheck::CrossCheck(inputs(logs), {});
        benchmark::DoNotOptimize(contest.logs.data());
    }
}
BENCHMARK(BM_CrossCheckGenerated)->Args({3'000, 500'000})->Unit(benchmark::kMillisecond);

void BM_CrossCheckShared(benchmark::State& state) {
    const QDir folder(QStringLiteral(NORVANE_SAMPLES_DIR) + u"/../contest/cupa-napoca-2016"_s);
    std::vector<crosscheck::LogInput> logs;
    for (const QString& name : folder.entryList(QDir::Files)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            logs.push_back({name, file.readAll(), false, {}});
    }
    for (auto _ : state) {
        const crosscheck::Contest contest = crosscheck::CrossCheck(logs, {});
        benchmark::DoNotOptimize(crosscheck::ResultsJson(contest).data());
    }
}
BENCHMARK(BM_CrossCheckShared)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--data") == 0) {
        QCoreApplication application(argc, argv);
        const QDir folder(QString::fromLocal8Bit(argv[2]));
        for (const GeneratedLog& log : generateContest(3'000, 500'000))
            bench::writeFile(folder.filePath(log.name), log.bytes);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
