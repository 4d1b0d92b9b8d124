// The map window on the offscreen platform: the keys that zoom, the radius kept in
// norvane.ini, and the pointer's locator written into the locator field.
#include "main/mapwindow.h"
#include "map/projection.h"
#include "support/program_fixture.h"

#include <QSettings>
#include <QTest>

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

class MapWindowTest : public testing_support::ProgramTest {
protected:
    void SetUp() override {
        start("JN45AB Q1ABC\r\nJN61AA Q1AXY\r\nJO60AB Q1DEF\r\n"_b);
        station = std::make_unique<app::Station>(*program, station::LoadedSettings{});
    }
    std::unique_ptr<app::Station> station;
};

TEST_F(MapWindowTest, KeysZoomAndTheRadiusIsKept) {
    const struct {
        const char* ini;
        const char* call; // typed before the keys
        std::vector<Qt::Key> keys;
        const char* saved;
        bool named; // the radius read is named as ignored in the status line's tooltip
    } cases[] = {
        {"", "", {}, "2000", false},
        {"[map]\nradius=500\n", "", {Qt::Key_Plus}, "200", false},
        {"[map]\nradius=500\n", "", {Qt::Key_Minus, Qt::Key_Minus}, "2000", false},
        {"[map]\nradius=100\n", "", {Qt::Key_Plus}, "100", false},
        {"[map]\nradius=5\n", "", {}, "2000", true},
        {"[map]\nradius=abc\n", "", {}, "2000", true},
        {"", "Q1AB", {Qt::Key_Home}, "1000", false}, // JN45AB lies 814 km out
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ini) + c.call);
        writeFile("norvane.ini", c.ini);
        type(u"Form1", u"Text2", QString::fromLatin1(c.call));
        launcher::MapWindow window(*program, *station, dir.path());
        window.show();
        EXPECT_EQ(window.windowTitle(), u"Norvane map - JN81GD"_s);
        auto* area = window.findChild<QWidget*>(u"Map"_s);
        ASSERT_TRUE(area);
        for (const Qt::Key key : c.keys)
            QTest::keyClick(area, key);
        EXPECT_EQ(window.findChild<QWidget*>(u"MapStatus"_s)->toolTip().contains(u"ignored"_s),
                  c.named);
        window.close();
        EXPECT_EQ(
            QSettings(path("norvane.ini"), QSettings::IniFormat).value(u"map/radius"_s).toString(),
            QString::fromLatin1(c.saved));
        box(u"Form1", u"Text2").setText({});
    }
}

TEST_F(MapWindowTest, TheLocatorUnderThePointerIsShownAndClicked) {
    writeFile("norvane.ini", "[map]\nradius=1000\n"); // sub-squares some pixels wide
    launcher::MapWindow window(*program, *station, dir.path());
    window.show();
    auto* area = window.findChild<QWidget*>(u"Map"_s);
    ASSERT_TRUE(area);
    const bearing::Point centre = bearing::LocatorToPoint(u"JN81GD"_s);
    const QPoint pixel = map::Frame(area->rect(), 1000)
                             .toPixel(map::Project(centre, bearing::LocatorToPoint(u"JN45AB"_s)))
                             .toPoint();
    QTest::mouseMove(area, pixel);
    EXPECT_EQ(window.findChild<QLineEdit*>(u"MapStatus"_s)->text(),
              u"JN45AB   QTF 305\u00b0   QRB 814 km"_s);
    QTest::mouseClick(area, Qt::LeftButton, {}, pixel);
    EXPECT_EQ(text(u"Form1", u"Text1"), u"JN45AB"_s);
    EXPECT_EQ(text(u"Form1", u"Text3"), u"Q1ABC\r\n"_s); // the locator lookup followed
}

} // namespace
