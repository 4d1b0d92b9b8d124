// Keystrokes and start-up through the real widgets on the offscreen platform, from the key
// event to the last widget updated, for the broadest keys: one letter in the call field that
// matches every station, three characters in the locator field that match a quarter of them.
#include "app/program.h"
#include "stations.h"
#include "ui/qt/formsview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// One database per size for the whole run.
const bench::DataDirectory& dataDirectory(int records) {
    static std::map<int, std::unique_ptr<bench::DataDirectory>> made;
    auto& dir = made[records];
    if (!dir)
        dir = std::make_unique<bench::DataDirectory>(records);
    return *dir;
}

struct ShownProgram {
    bench::SilentDialogs dialogs;
    app::Program program;
    ui::qt::FormsView view;

    explicit ShownProgram(int records)
        : program(dataDirectory(records).dir.path(), dialogs), view(program.forms(), {}, {}) {
        program.start();
        QCoreApplication::processEvents();
    }
    template <class W> W* widget(const char* name) {
        return view.window(u"Form1")->findChild<W*>(QString::fromLatin1(name));
    }
    const QString& text(const char16_t* name) {
        return program.forms().form(u"Form1").textBox(name).text();
    }
};

// A key pressed and released in a widget, then whatever the event loop has left to do for
// it (layout, painting).
void key(QWidget* widget, Qt::Key code, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
    QCoreApplication::processEvents();
}

// Times one key, then takes it back with an untimed Backspace; the key is pressed once more
// at the end, for the caller to check what it did.
void timeKey(benchmark::State& state, QWidget* widget, Qt::Key code, const QString& text) {
    for (auto _ : state) {
        key(widget, code, text);
        state.PauseTiming();
        key(widget, Qt::Key_Backspace, {});
        state.ResumeTiming();
    }
    key(widget, code, text);
}

// "q" into the empty call field: every station matches.
void BM_CallFieldFirstLetter(benchmark::State& state) {
    const int records = int(state.range(0));
    ShownProgram shown(records);
    QLineEdit* field = shown.widget<QLineEdit>("Text2");
    field->setFocus();
    timeKey(state, field, Qt::Key_Q, u"q"_s);
    const QString shownList = shown.widget<QPlainTextEdit>("Text4")->toPlainText();
    if (shown.text(u"Text4").size() != qsizetype(records) * 8 ||
        !shownList.endsWith(u" more lines"_s) || shownList.count(u'\n') > 100)
        state.SkipWithError("the call field did not list every station");
}
BENCHMARK(BM_CallFieldFirstLetter)->Arg(150'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// "4" after "JN" in the locator field: a quarter of the stations match.
void BM_LocatorFieldThirdCharacter(benchmark::State& state) {
    const int records = int(state.range(0));
    ShownProgram shown(records);
    QLineEdit* field = shown.widget<QLineEdit>("Text1");
    field->setFocus();
    key(field, Qt::Key_J, u"j"_s);
    key(field, Qt::Key_N, u"n"_s);
    timeKey(state, field, Qt::Key_4, u"4"_s);
    const qsizetype lines = shown.text(u"Text3").count(u'\n');
    if (shown.text(u"Text1") != u"JN4"_s || lines < records / 5 || lines > records / 3)
        state.SkipWithError("the locator field did not list a quarter of the stations");
}
BENCHMARK(BM_LocatorFieldThirdCharacter)
    ->Arg(150'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

// From the program's construction until its main window is shown and painted, the count of
// the database's lines in its caption.
void BM_StartUp(benchmark::State& state) {
    const int records = int(state.range(0));
    dataDirectory(records);
    QString caption;
    for (auto _ : state) {
        auto shown = std::make_unique<ShownProgram>(records);
        state.PauseTiming();
        caption = shown->view.window(u"Form1")->windowTitle();
        shown.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    if (!caption.contains(u" - %1 different Call"_s.arg(records + 1)))
        state.SkipWithError(qPrintable(caption));
}
BENCHMARK(BM_StartUp)->Arg(150'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns that it cannot raise a window, once per start.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtWarningMsg && type != QtInfoMsg)
            fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
