#include "mapcommand.h"

#include "app/mapscene.h"
#include "app/program.h"
#include "map/projection.h"
#include "messages.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QtNumeric>
#include <algorithm>
#include <optional>
#include <variant>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

constexpr int kLargestSide = 10000;
constexpr char kUsage[] =
    "norvane map [--size WxH] [--radius KM] [--call PREFIX | --locator PREFIX] "
    "[--target LOCATOR] -o FILE.png";

struct MapOptions {
    QSize size{1024, 768};
    std::optional<double> radiusKm;
    QString call, locator, target, file;
};

// The options, or the one line that says what is wrong with them.
std::variant<MapOptions, QString> ParseMapOptions(const QStringList& arguments) {
    MapOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (i + 1 >= arguments.size())
            return u"'%1' needs a value"_s.arg(option);
        const QString value = arguments[++i];
        if (option == u"--size"_s) {
            const QRegularExpressionMatch size =
                QRegularExpression(u"^([0-9]{1,6})x([0-9]{1,6})$"_s).match(value);
            const int width = size.captured(1).toInt(), height = size.captured(2).toInt();
            if (!size.hasMatch() || width < 1 || height < 1 || width > kLargestSide ||
                height > kLargestSide)
                return u"--size takes WxH, each 1 to %1 pixels, not '%2'"_s.arg(kLargestSide)
                    .arg(value);
            options.size = {width, height};
        } else if (option == u"--radius"_s) {
            bool ok = false;
            const double km = value.toDouble(&ok);
            if (!ok || !(km >= 1) || qIsInf(km))
                return u"--radius takes km from 1 on (the whole world from %1), not '%2'"_s
                    .arg(int(map::kRimKm))
                    .arg(value);
            // Whoever asks for more than the rim asks for the whole world.
            options.radiusKm = std::min(km, map::kRimKm);
        } else if (option == u"--call"_s) {
            options.call = value;
        } else if (option == u"--locator"_s) {
            options.locator = value;
        } else if (option == u"--target"_s) {
            if (!map::LocatorCentre(value))
                return u"--target takes a 4- or 6-character locator, not '%1'"_s.arg(value);
            options.target = value;
        } else if (option == u"-o"_s) {
            options.file = value;
        } else {
            return u"unknown option '%1'"_s.arg(option);
        }
    }
    if (!options.call.isEmpty() && !options.locator.isEmpty())
        return u"--call and --locator exclude each other"_s;
    if (options.file.isEmpty())
        return u"-o FILE.png is needed"_s;
    return options;
}

} // namespace

int runMap(const QStringList& arguments, const QString& dataDirectory, QTextStream&,
           QTextStream& err) {
    const auto parsed = ParseMapOptions(arguments);
    if (const QString* problem = std::get_if<QString>(&parsed)) {
        err << "norvane: map: " << *problem << ": " << kUsage << '\n';
        return 2;
    }
    const MapOptions& options = std::get<MapOptions>(parsed);

    CollectedMessages dialogs;
    app::Program program(dataDirectory, dialogs);
    program.start(false);
    ui::Forms& forms = program.forms();
    const auto firstProblem = [&]() { return dialogs.take().value(0).replace(u'\n', u' '); };
    if (const QString problem = firstProblem(); !problem.isEmpty()) {
        err << "norvane: map: " << problem << '\n';
        return 2;
    }
    const std::optional<bearing::Point> centre = app::MapCentre(forms);
    if (!centre) {
        err << "norvane: map: the own locator is not set ("
            << QDir::toNativeSeparators(program.db().ownLocatorPath()) << ")\n";
        return 2;
    }
    // The fields as if typed: the lookups fill the lists the map draws.
    ui::Form& main = forms.form(u"Form1");
    if (!options.call.isEmpty())
        main.textBox(u"Text2").setText(options.call);
    if (!options.locator.isEmpty())
        main.textBox(u"Text1").setText(options.locator);
    if (const QString problem = firstProblem(); !problem.isEmpty()) {
        err << "norvane: map: " << problem << '\n';
        return 2;
    }

    map::MapScene scene = app::SceneFromWindows(forms, *centre);
    if (!options.target.isEmpty())
        scene.target = map::LocatorCentre(options.target);
    scene.radiusKm = options.radiusKm.value_or(map::FittingRadius(scene.stations).value_or(2000));
    const map::WorldLines world = map::ReadEmbeddedWorldLines();
    if (!world.error.isEmpty()) {
        err << "norvane: map: " << world.error << '\n';
        return 2;
    }
    QImage image(options.size, QImage::Format_RGB32);
    if (image.isNull()) {
        err << "norvane: map: no memory for a picture of " << options.size.width() << 'x'
            << options.size.height() << '\n';
        return 2;
    }
    {
        QPainter painter(&image);
        map::PaintMap(painter, image.rect(), map::MakeBackground(world, *centre), scene);
    }
    if (!image.save(options.file, "PNG")) {
        err << "norvane: map: cannot write " << QDir::toNativeSeparators(options.file) << '\n';
        return 2;
    }
    return 0;
}

} // namespace cli
