#include "station.h"

#include "ui/text.h"

#include <QPointer>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace app {

namespace {

// 0 to 359 whole degrees, as the rotator and the menu name it.
int compassDegrees(double degrees) {
    return int(station::normalizedBearing(std::round(degrees)));
}

// The angle between two headings, 0 to 180 degrees.
double angleBetween(double a, double b) {
    const double d = std::fmod(std::abs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

} // namespace

Station::Station(Program& program, station::LoadedSettings loaded) : program_(program) {
    standing_.setSingleShot(true);
    standing_.setInterval(1000);
    connect(&standing_, &QTimer::timeout, this, &Station::followRotator);
    connect(&rotator_, &station::Rotator::headingKnown, this, [this](double azimuth) {
        rotatorProblem_.clear();
        if (requested_ && angleBetween(azimuth, *requested_) < 1)
            requested_.reset();
        showStatus();
    });
    connect(&rotator_, &station::Rotator::failed, this, [this](const QString& why) {
        rotatorProblem_ = why;
        showStatus();
    });
    connect(&listener_, &station::FeedListener::callReceived, this, [this](const auto& call) {
        pending_ = call;
        applyPending();
    });
    // A call kept while a handler was busy goes in once it has finished.
    QPointer<Station> self(this);
    program_.forms().onEventBoundary([self] {
        if (self && self->pending_)
            QTimer::singleShot(0, self, [self] { self->applyPending(); });
    });
    apply(loaded.settings);
    settingsProblems_ = std::move(loaded.problems);
    showStatus();
}

void Station::apply(const station::StationSettings& settings) {
    settings_ = settings;
    settingsProblems_.clear();
    rotatorProblem_.clear();
    rotator_.setAddress(settings_.rotator.host, settings_.rotator.port);
    if (rotatorSet())
        rotator_.startPolling();
    else
        rotator_.stopPolling();
    listener_.listen({settings_.feeds.n1mm, settings_.feeds.wsjtx, settings_.feeds.address});
    showStatus();
}

std::optional<int> Station::bearing(bool longPath) const {
    const ui::Forms& forms = program_.forms();
    const ui::Form* form1 = forms.find(u"Form1");
    const ui::Form* form2 = forms.find(u"Form2");
    if (!form1 || !form2 || !form1->label(u"Label3").visible())
        return std::nullopt;
    bool number = false; // not "??????" after a rejected locator, nor "..." before any
    const double qtf = form2->textBox(u"Text1").text().trimmed().toDouble(&number);
    if (!number)
        return std::nullopt;
    return compassDegrees(qtf + settings_.rotator.offset + (longPath ? 180 : 0));
}

void Station::turn(bool longPath) {
    if (const std::optional<int> azimuth = bearing(longPath); azimuth && rotatorSet()) {
        rotator_.turnTo(*azimuth);
        requested_ = *azimuth;
        lastTurn_.start();
    }
}

void Station::stopAntenna() {
    if (rotatorSet())
        rotator_.stop();
    requested_.reset();
}

void Station::applyPending() {
    ui::Forms& forms = program_.forms();
    ui::Form* form1 = forms.find(u"Form1");
    if (!pending_ || forms.inEvent() || !form1)
        return; // kept for the end of the event
    const station::LoggerCall call = *std::exchange(pending_, std::nullopt);
    lastCall_ = call;
    const QString typed = ui::upperCase(call.call);
    if (typed.isEmpty() || typed == form1->textBox(u"Text2").text())
        return;
    forms.dispatch([&] {
        // As if typed: the call field's own handler looks it up.
        form1->textBox(u"Text2").setText(typed);
        // No single station: the logger's grid still gives bearing and distance.
        ui::TextBox& locator = form1->textBox(u"Text1");
        if (locator.text().isEmpty() && (call.grid.size() == 4 || call.grid.size() == 6))
            locator.setText(call.grid);
    });
    if (settings_.feeds.followRotator && rotatorSet())
        standing_.start();
}

void Station::followRotator() {
    if (!settings_.feeds.followRotator || !rotatorSet())
        return;
    // Never more often than once a second, however fast the logger changes calls.
    if (lastTurn_.isValid() && !lastTurn_.hasExpired(standing_.interval())) {
        standing_.start(int(standing_.interval() - lastTurn_.elapsed()));
        return;
    }
    const std::optional<int> azimuth = bearing(false);
    const std::optional<double> heading = rotator_.heading();
    if (!azimuth || (heading && angleBetween(*heading, *azimuth) <= settings_.rotator.threshold))
        return;
    turn(false);
}

void Station::showStatus() {
    ui::Form* form1 = program_.forms().find(u"Form1");
    if (!form1)
        return;
    const station::StationSettings::Feeds& feeds = settings_.feeds;
    QStringList tip;
    QString text;
    if (rotatorSet()) {
        const std::optional<double> heading = rotator_.heading();
        if (!rotatorProblem_.isEmpty()) {
            text = u"Antenna: not reachable"_s;
            tip << rotatorProblem_;
        } else if (heading) {
            text = u"Antenna: %1\u00b0"_s.arg(compassDegrees(*heading));
            tip << u"Rotator at "_s + rotator_.address();
        } else {
            text = u"Antenna: \u2026"_s;
            tip << u"Reaching the rotator at "_s + rotator_.address();
        }
    } else if (feeds.n1mm || feeds.wsjtx) {
        QStringList names;
        if (feeds.n1mm)
            names << u"N1MM"_s;
        if (feeds.wsjtx)
            names << u"WSJT-X"_s;
        text = u"Logger: "_s + names.join(u", "_s);
    } else if (!settingsProblems_.isEmpty()) {
        text = u"Station settings ignored"_s;
    }
    tip << listener_.problem().split(u'\n') << settingsProblems_;
    tip.removeAll(QString());
    ui::Label& label = form1->label(kAntennaLabel);
    label.setCaption(text);
    label.setToolTip(tip.join(u'\n'));
    label.setVisible(!text.isEmpty());
    if (changed_)
        changed_();
}

std::optional<map::Antenna> Station::antenna() const {
    const std::optional<double> heading = rotator_.heading();
    if (!rotatorSet() || !heading)
        return std::nullopt;
    const double offset = settings_.rotator.offset;
    map::Antenna antenna;
    antenna.heading = station::normalizedBearing(*heading - offset);
    if (requested_)
        antenna.requested = station::normalizedBearing(*requested_ - offset);
    antenna.beamwidth = settings_.rotator.beamwidth;
    antenna.reachable = rotatorProblem_.isEmpty();
    return antenna;
}

} // namespace app
