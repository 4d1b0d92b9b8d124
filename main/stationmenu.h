// The main window's context menu for the station: the antenna turned to the bearing shown
// (Alt+J), its long path (Alt+L), stopped (Alt+K), and "Station settings…", a small dialog.
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

// The settings as the operator saved them, or nothing when the dialog was cancelled. Its
// "Test" button reaches the rotator entered and shows its heading and range.
std::optional<station::StationSettings> editStationSettings(QWidget* parent,
                                                            const station::StationSettings& now);

} // namespace launcher
