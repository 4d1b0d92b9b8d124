// The log window's "Check" and "Add EDI" on a large station database, through a whole
// program with message boxes answered at once.
#include "app/program.h"
#include "edilog/qsorecord.h"
#include "edilog/stationimport.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

class SilentDialogs final : public ui::Dialogs {
public:
    QString inputBox(const QString&, const QString&, const QString&, QPoint) override { return {}; }
    void messageBox(const QString& text) override { last = text; }
    QString last; // to confirm that the run did what it should
};

// Distinct callsigns Q0AAA, Q1AAA, ... (175,760 of them) at scattered six-character locators.
QString call(int i) {
    QString text = u"Q"_s + QChar(u'0' + i % 10);
    for (int n = i / 10, k = 0; k < 3; ++k, n /= 26)
        text += QChar(u'A' + n % 26);
    return text;
}

QString locator(int i) {
    const unsigned h = unsigned(i) * 2654435761u;
    const char16_t chars[] = {char16_t(u'A' + h % 18),         char16_t(u'A' + h / 18 % 18),
                              char16_t(u'0' + h / 324 % 10),   char16_t(u'0' + h / 3240 % 10),
                              char16_t(u'A' + h / 32400 % 24), char16_t(u'A' + h / 777600 % 24)};
    return QString::fromUtf16(chars, 6);
}

QByteArray database(int records) {
    QString text;
    for (int i = 0; i < records; ++i)
        text += locator(i) + u' ' + call(i) + u"\r\n"_s;
    return (text + u"\r\n"_s).toLatin1(); // as the log window's last rewrite left it
}

// A 1,000-QSO log: 900 stations from the database (every 20th with a wrong locator) and 100
// new ones.
QString ediLog(int records) {
    QString text = u"[REG1TEST;1]\r\nPCall=Q9XYZ\r\n[QSORecords;1000]\r\n"_s;
    for (int q = 0; q < 1000; ++q) {
        const int station = q < 900 ? q * (records / 900) : records + q;
        const QString sent = q % 20 == 0 ? u"JJ00AA"_s : locator(station);
        text += u"130507;1410;"_s + call(station) + u";1;59;001;59;001;;"_s + sent +
                u";123;;N;N;\r\n"_s;
    }
    return text;
}

struct Fixture {
    QTemporaryDir dir;
    SilentDialogs dialogs;
    std::unique_ptr<app::Program> program;
    QByteArray bytes;

    explicit Fixture(int records) : bytes(database(records)) {
        write("myloc.txt", "JN81GD\r\n");
        write("norvane.txt", bytes);
        program = std::make_unique<app::Program>(dir.path(), dialogs);
        program->start();
    }
    void write(const char* name, const QByteArray& content) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", name);
    }
    ui::Form& logWindow() { return program->forms().form(u"Form3"); }
};

void BM_Check(benchmark::State& state) {
    Fixture fixture(int(state.range(0)));
    ui::Form& form3 = fixture.logWindow();
    form3.textBox(u"Text1").setText(ediLog(int(state.range(0))));
    for (auto _ : state)
        form3.button(u"Command3").click();
    if (fixture.dialogs.last != u"Probabily wrongs 45"_s)
        state.SkipWithError(qPrintable(fixture.dialogs.last));
}
BENCHMARK(BM_Check)->Arg(150'000)->Unit(benchmark::kMillisecond);

// What "Check" adds to the main window's lookups: indexing one snapshot and comparing a log.
void BM_CheckIndex(benchmark::State& state) {
    const QByteArray bytes = database(int(state.range(0)));
    const std::vector<edilog::QsoRecord> qsos =
        edilog::ExtractQsoRecords(ediLog(int(state.range(0))));
    for (auto _ : state) {
        const edilog::CallLocators stored(bytes);
        int wrong = 0;
        for (const edilog::QsoRecord& qso : qsos)
            wrong +=
                stored.compare(qso.Call, qso.Locator) == edilog::CallLocators::Verdict::Disagrees;
        benchmark::DoNotOptimize(wrong);
    }
}
BENCHMARK(BM_CheckIndex)->Arg(150'000)->Unit(benchmark::kMillisecond);

void BM_AddEdi(benchmark::State& state) {
    Fixture fixture(int(state.range(0)));
    ui::Form& form3 = fixture.logWindow();
    const QString log = ediLog(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        fixture.write("norvane.txt", fixture.bytes);
        form3.textBox(u"Text1").setText(log);
        state.ResumeTiming();
        form3.button(u"Command1").click();
    }
    if (!fixture.dialogs.last.startsWith(u"Has been added 100 new records"_s))
        state.SkipWithError(qPrintable(fixture.dialogs.last.left(80)));
}
BENCHMARK(BM_AddEdi)->Arg(150'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
