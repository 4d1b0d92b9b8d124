// The station map: a whole repaint at 1920 x 1080 with the world lines, the grid and 5,000
// stations; projecting the world lines for a new own locator; and the broadest key at
// 1,000,000 records with the map open (the lookup lists read into stations after every
// event) and closed, in one run.
#include "app/mapscene.h"
#include "app/program.h"
#include "stations.h"

#include <QGuiApplication>
#include <QImage>
#include <QThread>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

const bearing::Point kCentre = bearing::LocatorToPoint(u"JN81GD"_s);

// 5,000 distinct locators in a band from Iberia to the Urals, as a busy contest gives.
QString LocatorList(int count) {
    QString list;
    for (int i = 0; i < count; ++i) {
        const int x = i % 100, y = i / 100;
        list += QString(QChar(u'I' + x / 20)) + QChar(u'M' + y / 10) + QChar(u'0' + x / 2 % 10) +
                QChar(u'0' + y % 10) + QChar(u'A' + i % 24) + QChar(u'A' + i / 24 % 24) + u"\r\n"_s;
    }
    return list;
}

void repaint(benchmark::State& state) {
    const map::WorldLines world = map::ReadEmbeddedWorldLines();
    const map::Background background = map::MakeBackground(world, kCentre);
    map::MapScene scene;
    scene.centre = kCentre;
    scene.centreLocator = u"JN81GD"_s;
    scene.radiusKm = 2000;
    scene.stations = map::StationsFromLookup(kCentre, {}, {}, LocatorList(5000));
    if (scene.stations.dots.size() != 5000)
        state.SkipWithError("not 5,000 dots");
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        map::PaintMap(painter, image.rect(), background, scene);
    }
}

// The world lines and the grid, projected anew: what a new own locator costs.
void projectWorld(benchmark::State& state) {
    const map::WorldLines world = map::ReadEmbeddedWorldLines();
    for (auto _ : state)
        benchmark::DoNotOptimize(map::MakeBackground(world, kCentre));
}

// The map's whole share of the broadest key: a million locators shaded by square.
void shadeMillion(benchmark::State& state) {
    QString list;
    list.reserve(8000000);
    for (int i = 0; i < 1000000; ++i)
        list += bench::locator(i) + u"\r\n"_s;
    for (auto _ : state)
        benchmark::DoNotOptimize(map::StationsFromLookup(kCentre, {}, {}, list));
}

// "Q" typed into the call field and taken out again: every station matches. With the map
// open, each event ends with what the map window does then.
void broadestKey(benchmark::State& state) {
    const bool mapOpen = state.range(0) != 0;
    static const bench::DataDirectory data(1000000);
    bench::SilentDialogs dialogs;
    app::Program program(data.dir.path(), dialogs);
    program.start();
    ui::Forms& forms = program.forms();
    ui::TextBox& call = forms.form(u"Form1").textBox(u"Text2");
    app::MapFollower map(&program.db());
    const auto event = [&](const QString& text) {
        call.setText(text);
        if (mapOpen)
            benchmark::DoNotOptimize(map.follow(forms)); // what the map window does after it
    };
    // The window builds the index after start-up; its keys come later. Waited for here.
    const ui::TextBox& locators = forms.form(u"Form1").textBox(u"Text4");
    for (int k = 0; k < 500; ++k) {
        call.setText(u"Q"_s);
        const bool indexed = program.db().locatorStarts(locators.text()) != nullptr;
        call.setText({});
        if (indexed)
            break;
        QThread::msleep(20);
    }
    for (auto _ : state) {
        event(u"Q"_s);
        event({});
    }
    event(u"Q"_s);
    if (forms.form(u"Form1").textBox(u"Text4").text().size() != 1000000 * 8)
        state.SkipWithError("the key did not match every station");
}

} // namespace

BENCHMARK(repaint)->Unit(benchmark::kMillisecond);
BENCHMARK(projectWorld)->Unit(benchmark::kMillisecond);
BENCHMARK(shadeMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(broadestKey)->ArgName("mapOpen")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // Text takes a QGuiApplication; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
