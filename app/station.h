// The operator's station around the windows: the rotator turned to the bearing the main
// window shows, and the call typed in the logger followed into the call field. Nothing here
// changes the three windows while no rotator and no logger feed is set; trouble shows in the
// antenna label's text and tooltip, never in a message box.
#pragma once

#include "app/program.h"
#include "map/picture.h"
#include "station/feedlistener.h"
#include "station/rotator.h"
#include "station/settings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace app {

// The main window's status line of the station features, in the free space right of the
// bearing and distance; hidden while nothing is set.
inline constexpr char16_t kAntennaLabel[] = u"Antenna";

class Station final : public QObject {
public:
    // `loaded`: the settings and the problems met reading them, to be named in the tooltip.
    Station(Program& program, station::LoadedSettings loaded);

    const station::StationSettings& settings() const { return settings_; }
    // New settings take effect at once: the rotator is reached anew, the ports bound anew.
    void apply(const station::StationSettings& settings);

    bool rotatorSet() const { return !settings_.rotator.host.isEmpty(); }
    // The bearing the antenna would turn to (the QTF shown plus the offset, 0 to 359), while
    // the main window shows a bearing.
    std::optional<int> bearing(bool longPath) const;
    void turn(bool longPath);
    void stopAntenna();

    // Shows the station's state in the main window's status line, once the window is there.
    void showStatus();

    // What the map draws of the station: the antenna's beam where the rotator points it (the
    // offset taken off), while a rotator is set; the logger's last call. `listener` hears of
    // every change of either.
    std::optional<map::Antenna> antenna() const;
    const std::optional<station::LoggerCall>& lastLoggerCall() const { return lastCall_; }
    void onChange(std::function<void()> listener) { changed_ = std::move(listener); }

private:
    void loggerCall(const station::LoggerCall& call);
    void applyPending();
    void followRotator();

    Program& program_;
    station::StationSettings settings_;
    QStringList settingsProblems_;
    station::Rotator rotator_;
    station::FeedListener listener_;
    QString rotatorProblem_; // why the rotator is not reachable
    // A call that came while a handler or its message box was busy: only the latest counts.
    std::optional<station::LoggerCall> pending_;
    QTimer standing_; // the same call for a second before the antenna follows it
    QElapsedTimer lastTurn_;
    std::optional<double> requested_; // the rotator's azimuth asked for, until it is reached
    std::optional<station::LoggerCall> lastCall_;
    std::function<void()> changed_;
};

} // namespace app
