// The map window: the station map around the own locator, opened with "Map" (Ctrl+M) in the
// main window's context menu. It draws what the windows already hold and writes to them only
// as the operator would type: a click puts a locator into the locator field or a call into
// the call field.
#pragma once

#include "app/program.h"
#include "app/station.h"
#include "map/picture.h"
#include "ui/qt/formsview.h"

#include <QLineEdit>
#include <QWidget>
#include <memory>

namespace launcher {

inline constexpr char16_t kMapName[] = u"Map";              // the map area
inline constexpr char16_t kMapStatusName[] = u"Map status"; // the line under it

class MapArea;

class MapWindow final : public QWidget {
public:
    MapWindow(app::Program& program, app::Station& station, QString dataDirectory);
    ~MapWindow() override;

    // Reads the windows again; the world lines are projected anew only for a new own locator.
    void refresh();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void saveSettings();

    app::Program& program_;
    QString dataDirectory_;
    MapArea* area_;
    QLineEdit* status_; // read-only: the operator may copy from it
};

// Adds "Map" (Ctrl+M) to the main window's context menu; the window lives as long as this.
class MapMenu {
public:
    MapMenu(ui::qt::FormsView& view, app::Program& program, app::Station& station,
            const QString& dataDirectory);
    ~MapMenu();

private:
    app::Station& station_;
    // Shared with the listeners, which may outlive this: they then find nothing to refresh.
    std::shared_ptr<std::unique_ptr<MapWindow>> window_ =
        std::make_shared<std::unique_ptr<MapWindow>>();
};

} // namespace launcher
