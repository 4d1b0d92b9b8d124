// The station map: projection, the world lines file, one rendered picture.
#include "cli/commands.h"
#include "map/picture.h"
#include "map/projection.h"
#include "support/locatorstarts.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

bearing::Point At(const QString& locator) {
    return bearing::LocatorToPoint(bearing::PrepareLocator(locator).text);
}

// Forward and back again, and the rounded course the bearing window shows for the same pair.
struct ProjectionCase {
    const char* centre;
    const char* point;
    double qtf, qrb; // as the bearing window gives them
};
const ProjectionCase kProjectionCases[] = {
    {"JN81GD", "JN71AB", 268, 210},   {"JN81GD", "FN20XR", 303, 7206},
    {"JN81GD", "JN80GD", 180, 111},   {"JN81GD", "JJ81GD", 180, 4438},
    {"KP20LE", "QF56OD", 77, 15163}, // far beyond the square grid
    {"JN81GD", "PE40AA", 125, 14750},
};

TEST(MapProjection, RoundTripsAndAgreesWithTheBearingWindow) {
    for (const ProjectionCase& c : kProjectionCases) {
        SCOPED_TRACE(std::string(c.centre) + " -> " + c.point);
        const bearing::Point centre = At(QString::fromLatin1(c.centre));
        const bearing::Point point = At(QString::fromLatin1(c.point));
        const QPointF km = map::Project(centre, point);
        // The window's QTF and QRB are the plane's polar coordinates, rounded.
        EXPECT_EQ(c.qrb, std::floor(std::hypot(km.x(), km.y()) + 0.5));
        EXPECT_EQ(map::CourseTo(centre, QString::fromLatin1(c.point)).bearing, c.qtf);
        const std::optional<bearing::Point> back = map::Unproject(centre, km);
        ASSERT_TRUE(back);
        EXPECT_NEAR(back->latitude, point.latitude, 0.01);
        EXPECT_NEAR(back->longitude, point.longitude, 0.01);
        EXPECT_EQ(map::LocatorOf(*back), QString::fromLatin1(c.point).left(6));
    }
    // The antipode is the rim: beyond it there is no point.
    const bearing::Point centre = At(u"JN81GD"_s);
    EXPECT_TRUE(map::Unproject(centre, {0, map::kRimKm - 1}));
    EXPECT_FALSE(map::Unproject(centre, {0, map::kRimKm + 1}));
    const std::optional<bearing::Point> antipode = map::Unproject(centre, {map::kRimKm - 0.01, 0});
    ASSERT_TRUE(antipode);
    EXPECT_NEAR(antipode->latitude, -centre.latitude, 0.01);
    EXPECT_NEAR(std::abs(antipode->longitude - centre.longitude), 180, 0.01);
}

// What the lookups listed becomes dots, or above 5,000 stations squares shaded by count.
TEST(MapStations, FromTheLookupLists) {
    const bearing::Point centre = At(u"JN81GD"_s);
    QString many, mixed;
    for (int i = 0; i < 5001; ++i)
        many += i % 2 ? u"JN45AB\r\n"_s : u"jn46cd\r\n"_s;
    // Beside two squares, lines that begin with no square: beyond the fields, no digit, not ASCII.
    for (int i = 0; i < 6000; ++i)
        mixed += QStringList{u"JN45AB"_s, u"jn48cd"_s, u"SN45AB"_s, u"JN4XAB"_s,
                             u"\u00c9N45AB"_s}[i % 5] +
                 u"\r\n"_s;
    const struct {
        QString locatorField, calls, locators;
        QStringList labels;      // of the dots, in order
        std::vector<int> shaded; // counts of the squares, in the globe's order
    } cases[] = {
        {u"JN45AB"_s,
         u"Q1ABC\r\nQ1XYZ\r\n"_s,
         u"JN45AB\r\nJO60AB\r\nJO60AB\r\n"_s,
         {u"Q1ABC +1"_s, u"JO60AB"_s},
         {}},
        {u"JN4"_s, u"Q1ABC\r\n"_s, u"jn45ab\r\nJJ\nAA\r\nXX99AA\r\n"_s, {u"JN45AB"_s}, {}},
        {{}, {}, many, {}, {2500, 2501}}, // JN45 lies south of JN46
        {{}, {}, mixed, {}, {1200, 1200}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locators.left(40).toStdString());
        const map::LookupStations found =
            map::StationsFromLookup(centre, c.locatorField, c.calls, c.locators);
        QStringList labels;
        for (const map::MapStation& dot : found.dots)
            labels << dot.label;
        EXPECT_EQ(labels, c.labels);
        std::vector<int> shaded;
        for (const map::ShadedSquare& square : found.squares)
            shaded.push_back(square.count);
        EXPECT_EQ(shaded, c.shaded);
        // The same squares from the lookup's counts of the list's lines.
        const auto starts = testing_support::locatorStartsOf(c.locators);
        const map::LookupStations counted =
            map::StationsFromLookup(centre, c.locatorField, c.calls, c.locators, &starts);
        ASSERT_EQ(counted.squares.size(), found.squares.size());
        for (size_t i = 0; i < found.squares.size(); ++i) {
            EXPECT_EQ(counted.squares[i].count, found.squares[i].count);
            EXPECT_EQ(counted.squares[i].outline, found.squares[i].outline);
        }
        EXPECT_EQ(counted.mostInSquare, found.mostInSquare);
    }
    // The squares' corners where the projection puts them: JN45 from 8 E 45 N, 2 by 1 degrees,
    // and the next one north of it, or three rows on.
    for (const auto& [list, north] : {std::pair{many, 46.0}, std::pair{mixed, 48.0}}) {
        const map::LookupStations shaded = map::StationsFromLookup(centre, {}, {}, list);
        ASSERT_EQ(shaded.squares.size(), 2u);
        for (size_t k = 0; k < 2; ++k) {
            const double south = k == 0 ? 45.0 : north;
            EXPECT_EQ(shaded.squares[k].outline, QPolygonF({map::Project(centre, {8, south}),
                                                            map::Project(centre, {10, south}),
                                                            map::Project(centre, {10, south + 1}),
                                                            map::Project(centre, {8, south + 1})}));
        }
    }
}

QByteArray RealWorldFile() {
    QFile file(u":/map/world.bin"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(MapWorldLines, ReadsTheRealFileAndRefusesDamage) {
    const QByteArray real = RealWorldFile();
    const map::WorldLines world = map::ReadWorldLines(real);
    EXPECT_EQ(world.error, QString());
    EXPECT_GT(world.lines.size(), 1000u);

    QByteArray manyLines = real, offGlobe = real, badLayer = real;
    manyLines[8] = '\x7f'; // line count
    badLayer[13] = 7;      // the first line's layer
    // The first latitude (three bytes), 16383/120 degrees.
    offGlobe[18] = '\xfe', offGlobe[19] = '\xff', offGlobe[20] = '\x01';
    const struct {
        QByteArray bytes;
        const char* says;
    } damaged[] = {
        {{}, "not a world lines file"},
        {real.left(10), "header cut short"},
        {real.left(real.size() - 1), "cut short"},
        {real + '\0', "1 bytes after the last line"},
        {manyLines, "do not fit the file"},
        {badLayer, "has layer 7"},
        {offGlobe, "lies off the globe"},
    };
    for (const auto& d : damaged) {
        const map::WorldLines read = map::ReadWorldLines(d.bytes);
        EXPECT_TRUE(read.lines.empty()) << d.says;
        EXPECT_TRUE(read.error.contains(QString::fromLatin1(d.says))) << read.error.toStdString();
    }
}

TEST(MapPicture, EveryStationChangesItsPixel) {
    const bearing::Point centre = At(u"JN81GD"_s);
    const map::Background background =
        map::MakeBackground(map::ReadWorldLines(RealWorldFile()), centre);
    const QString locators = u"JN71AB\r\nJN88NC\r\nJN63GV\r\n"_s;
    const QRectF area(0, 0, 240, 180);

    const auto render = [&](const QString& list) {
        map::MapScene scene;
        scene.centre = centre;
        scene.radiusKm = 1000;
        scene.stations = map::StationsFromLookup(centre, {}, {}, list);
        QImage image(area.size().toSize(), QImage::Format_ARGB32);
        QPainter painter(&image);
        map::PaintMap(painter, area, background, scene);
        return image;
    };
    const QImage all = render(locators);
    // The same pixels when the world is painted into an image of its own first, as the
    // window keeps it, and the stations, the path and the antenna over it.
    map::MapScene scene;
    scene.centre = centre;
    scene.radiusKm = 1000;
    scene.stations = map::StationsFromLookup(centre, {}, {}, locators);
    scene.target = At(u"JN63GV"_s);
    scene.antenna = map::Antenna{45, 90};
    const QSize size = area.size().toSize();
    QImage once(size, QImage::Format_ARGB32), twice(size, QImage::Format_ARGB32),
        world(size, QImage::Format_RGB32);
    {
        QPainter painter(&once);
        map::PaintMap(painter, area, background, scene);
    }
    {
        QPainter painter(&world);
        map::PaintWorld(painter, area, background, scene);
    }
    {
        QPainter painter(&twice);
        painter.drawImage(QPointF(0, 0), world);
        map::PaintStations(painter, area, scene);
    }
    EXPECT_EQ(twice, once);
    EXPECT_NE(world, once.convertToFormat(QImage::Format_RGB32)); // the stations are in `once`
    const map::Frame frame(area, 1000);
    for (const QString& locator : locators.split(u"\r\n"_s, Qt::SkipEmptyParts)) {
        SCOPED_TRACE(locator.toStdString());
        const QPoint pixel = frame.toPixel(map::Project(centre, At(locator))).toPoint();
        EXPECT_NE(all.pixel(pixel),
                  render(QString(locators).remove(locator + u"\r\n"_s)).pixel(pixel));
    }
}

// norvane map: a picture of the size asked for, or exit 2 with one line.
TEST(MapCommand, WritesThePictureOrSaysWhyNot) {
    QTemporaryDir dir;
    QFile myloc(dir.filePath(u"myloc.txt"_s)), db(dir.filePath(u"norvane.txt"_s));
    ASSERT_TRUE(myloc.open(QIODevice::WriteOnly) && db.open(QIODevice::WriteOnly));
    myloc.write("JN81GD\r\n");
    db.write("JN45AB Q1ABC\r\nJN61AA Q1AXY\r\nJO60AB Q1DEF\r\n");
    myloc.close(), db.close();
    const QString png = dir.filePath(u"map.png"_s);
    const struct {
        QStringList arguments;
        int status;
        const char* error; // the start of the one line
        QSize written;
    } cases[] = {
        {{u"--call"_s, u"Q1"_s, u"--size"_s, u"320x200"_s, u"-o"_s, png}, 0, "", {320, 200}},
        {{u"--locator"_s, u"JN45"_s, u"--radius"_s, u"1000"_s, u"--target"_s, u"JO60AB"_s, u"-o"_s,
          png},
         0,
         "",
         {1024, 768}},
        {{u"--size"_s, u"10001x10"_s, u"-o"_s, png}, 2, "norvane: map: --size takes WxH", {0, 0}},
        {{u"--size"_s, u"0x10"_s, u"-o"_s, png}, 2, "norvane: map: --size takes WxH", {0, 0}},
        {{u"--radius"_s, u"20000"_s, u"-o"_s, png}, 0, "", {1024, 768}}, // the whole world
        {{u"--radius"_s, u"0.5"_s, u"-o"_s, png}, 2, "norvane: map: --radius takes km", {0, 0}},
        {{u"--radius"_s, u"inf"_s, u"-o"_s, png}, 2, "norvane: map: --radius takes km", {0, 0}},
        {{u"--target"_s, u"JN8"_s, u"-o"_s, png}, 2, "norvane: map: --target takes", {0, 0}},
        {{u"--call"_s, u"Q1"_s, u"--locator"_s, u"JN"_s, u"-o"_s, png},
         2,
         "norvane: map: --call and --locator exclude",
         {0, 0}},
        {{u"--call"_s, u"Q1"_s}, 2, "norvane: map: -o FILE.png is needed", {0, 0}},
        {{u"--frob"_s, u"1"_s, u"-o"_s, png}, 2, "norvane: map: unknown option '--frob'", {0, 0}},
        {{u"-o"_s}, 2, "norvane: map: '-o' needs a value", {0, 0}},
        {{u"-o"_s, dir.filePath(u"no/such/folder/map.png"_s)},
         2,
         "norvane: map: cannot write",
         {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QFile::remove(png);
        QString output, errors;
        QTextStream out(&output), err(&errors);
        EXPECT_EQ(cli::runCommand(u"map"_s, c.arguments, dir.path(), out, err), c.status);
        err.flush();
        EXPECT_EQ(errors.left(qsizetype(std::strlen(c.error))), QString::fromLatin1(c.error));
        EXPECT_EQ(errors.count(u'\n'), c.status == 0 ? 0 : 1);
        EXPECT_EQ(QImage(png).size(), c.written); // none, after an error
    }
    // Beyond the rim is the rim: the same whole world.
    const auto drawn = [&](const QString& km) {
        QString output, errors;
        QTextStream out(&output), err(&errors);
        EXPECT_EQ(
            cli::runCommand(u"map"_s, {u"--radius"_s, km, u"-o"_s, png}, dir.path(), out, err), 0);
        return QImage(png);
    };
    EXPECT_EQ(drawn(u"20000"_s), drawn(QString::number(map::kRimKm, 'g', 17)));
    EXPECT_NE(drawn(u"20000"_s), drawn(u"10000"_s));
}

} // namespace
