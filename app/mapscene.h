// What the map shows, read from the windows: the own locator of the bearing window, the
// stations the lookups listed in the main window, the locator field's locator. The map
// window and `norvane map` both start from here.
#pragma once

#include "map/picture.h"
#include "stationdb/stationdb.h"
#include "ui/forms.h"

#include <optional>

namespace app {

// The own locator (Form2.Text3) as the bearing window takes it; none when it rejects it.
std::optional<bearing::Point> MapCentre(ui::Forms& forms);

// The scene around `centre`: stations from Form1.Text3 and Text4, the path to Form1.Text1
// when it holds a whole locator. Zoom, layers and the station's state are the caller's.
// `db`, the lookups' own, may know the locator list's squares without its being read.
map::MapScene SceneFromWindows(ui::Forms& forms, bearing::Point centre,
                               const stationdb::StationDb* db = nullptr);

// Follows the windows for the map window: the scene is read again only when a text it was
// drawn from was rewritten, so an event that left the lookup lists alone costs nothing,
// however long they are.
class MapFollower {
public:
    explicit MapFollower(const stationdb::StationDb* db = nullptr) : db_(db) {}

    struct Changed {
        bool centre = false; // the own locator: the world lines need projecting again
    };
    Changed follow(ui::Forms& forms);

    const std::optional<bearing::Point>& centre() const { return centre_; }
    // Zoom and layers are the view's, and kept when the scene is read again.
    map::MapScene scene;

private:
    struct Texts {
        QString own, locator, calls, locators;
        bool same(const Texts& other) const;
    };
    const stationdb::StationDb* db_;
    std::optional<Texts> read_;
    std::optional<bearing::Point> centre_;
};

} // namespace app
