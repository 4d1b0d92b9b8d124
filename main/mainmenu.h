// The main window's context menu: the antenna turned to the bearing shown (Alt+J), its long
// path (Alt+L), stopped (Alt+K), "Station settings…" (a small dialog), and the station lists
// of other programs imported and exported.
#pragma once

#include "app/station.h"
#include "station/settings.h"
#include "ui/qt/formsview.h"

#include <QString>
#include <optional>

class QWidget;

namespace launcher {

// Saved settings go to norvane.ini in the data folder and take effect at once.
void addStationMenu(ui::qt::FormsView& view, app::Station& station, const QString& dataDirectory);

// File dialogs with one filter per list format; the results show as message boxes.
void addListMenu(ui::qt::FormsView& view, app::Program& program);

// The settings as the operator saved them, or nothing when the dialog was cancelled. Its
// "Test" button reaches the rotator entered and shows its heading and range.
std::optional<station::StationSettings> editStationSettings(QWidget* parent,
                                                            const station::StationSettings& now);

} // namespace launcher
