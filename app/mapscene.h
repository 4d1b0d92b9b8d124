// What the map shows, read from the windows: the own locator of the bearing window, the
// stations the lookups listed in the main window, the locator field's locator. The map
// window and `norvane map` both start from here.
#pragma once

#include "map/picture.h"
#include "ui/forms.h"

#include <optional>

namespace app {

// The own locator (Form2.Text3) as the bearing window takes it; none when it rejects it.
std::optional<bearing::Point> MapCentre(ui::Forms& forms);

// The scene around `centre`: stations from Form1.Text3 and Text4, the path to Form1.Text1
// when it holds a whole locator. Zoom, layers and the station's state are the caller's.
map::MapScene SceneFromWindows(ui::Forms& forms, bearing::Point centre);

} // namespace app
