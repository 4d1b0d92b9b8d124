#include "mapscene.h"

#include "map/projection.h"

namespace app {

std::optional<bearing::Point> MapCentre(ui::Forms& forms) {
    const bearing::PreparedLocator own =
        bearing::PrepareLocator(forms.form(u"Form2").textBox(u"Text3").text());
    if (own.rejected)
        return std::nullopt;
    return bearing::LocatorToPoint(own.text);
}

map::MapScene SceneFromWindows(ui::Forms& forms, bearing::Point centre) {
    ui::Form& main = forms.form(u"Form1");
    map::MapScene scene;
    scene.centre = centre;
    scene.centreLocator = forms.form(u"Form2").textBox(u"Text3").text().toUpper();
    const QString locator = main.textBox(u"Text1").text();
    scene.stations = map::StationsFromLookup(centre, locator, main.textBox(u"Text3").text(),
                                             main.textBox(u"Text4").text());
    scene.target = map::LocatorCentre(locator);
    return scene;
}

} // namespace app
