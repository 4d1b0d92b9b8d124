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

map::MapScene SceneFromWindows(ui::Forms& forms, bearing::Point centre,
                               const stationdb::StationDb* db) {
    ui::Form& main = forms.form(u"Form1");
    map::MapScene scene;
    scene.centre = centre;
    scene.centreLocator = forms.form(u"Form2").textBox(u"Text3").text().toUpper();
    const QString locator = main.textBox(u"Text1").text();
    const QString& locators = main.textBox(u"Text4").text();
    scene.stations = map::StationsFromLookup(centre, locator, main.textBox(u"Text3").text(),
                                             locators, db ? db->locatorStarts(locators) : nullptr);
    scene.target = map::LocatorCentre(locator);
    return scene;
}

bool MapFollower::Texts::same(const Texts& other) const {
    // A list that was not rewritten is still shared with the copy kept; one that was is read
    // again, which costs less than comparing it.
    const auto kept = [](const QString& a, const QString& b) {
        return a.size() == b.size() && a.constData() == b.constData();
    };
    return own == other.own && locator == other.locator && kept(calls, other.calls) &&
           kept(locators, other.locators);
}

MapFollower::Changed MapFollower::follow(ui::Forms& forms) {
    // Never loads a window: after Exit there is nothing left to follow.
    if (forms.ended() || !forms.find(u"Form1") || !forms.find(u"Form2"))
        return {};
    ui::Form& main = forms.form(u"Form1");
    const Texts now{forms.form(u"Form2").textBox(u"Text3").text(), main.textBox(u"Text1").text(),
                    main.textBox(u"Text3").text(), main.textBox(u"Text4").text()};
    if (read_ && read_->same(now))
        return {};
    const Changed changed{!read_ || read_->own != now.own};
    if (changed.centre)
        centre_ = MapCentre(forms);
    read_ = now;
    if (!centre_)
        return changed;
    map::MapScene fresh = SceneFromWindows(forms, *centre_, db_);
    fresh.radiusKm = scene.radiusKm;
    fresh.showBorders = scene.showBorders;
    fresh.showGrid = scene.showGrid;
    fresh.longPath = scene.longPath;
    scene = std::move(fresh);
    return changed;
}

} // namespace app
