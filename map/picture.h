// One picture of the map, painted onto any QPainter: the window's map area, a PNG file of
// `norvane map`, a benchmark's image. Layers from the bottom up: coastlines and borders, the
// Maidenhead grid, distance rings and azimuth ticks, the stations of the lookup, the
// locator field's path, the antenna, the logger's last call.
#pragma once

#include "projection.h"
#include "stations.h"
#include "worldlines.h"

#include <QPainter>
#include <QRectF>
#include <optional>

namespace map {

// The zoom steps of the wheel and of + and -, in km; the last is the whole world.
inline constexpr double kZoomSteps[] = {100, 200, 500, 1000, 2000, 5000, 10000, kRimKm};
// The step `steps` away from the one nearest `radiusKm`, kept within the list.
double ZoomStep(double radiusKm, int steps);
// The smallest step that holds every dot of `stations` (with a margin); none without dots.
std::optional<double> FittingRadius(const LookupStations& stations);

// What is drawn around one own locator that does not change until it does: the world lines,
// the grid's lines and the places of its labels, in km on the plane.
struct Background {
    ProjectedWorld world;
    QPainterPath fields;  // field lines, the whole globe
    QPainterPath squares; // square lines, up to about 3,000 km out
    struct Label {
        QPointF km;
        QString text;
    };
    std::vector<Label> fieldLabels;
    std::vector<Label> squareLabels;
};
Background MakeBackground(const WorldLines& world, bearing::Point centre);

struct Antenna {
    double heading = 0;              // degrees, as the rotator reports it
    std::optional<double> requested; // degrees, while it turns
    double beamwidth = 30;           // degrees
    bool reachable = true;
};

struct LoggedCall {
    QString call;
    bearing::Point point;
};

struct MapScene {
    bearing::Point centre;
    QString centreLocator;
    double radiusKm = 2000;
    bool showBorders = true;
    bool showGrid = true;
    bool longPath = false;
    std::optional<bearing::Point> target; // the locator field's complete locator
    LookupStations stations;
    std::optional<Antenna> antenna;
    std::optional<LoggedCall> logged;
};

// The plane's km to the pixels of `area`: the own locator at the centre, `radiusKm` out to
// the nearest edge.
class Frame {
public:
    Frame(const QRectF& area, double radiusKm);
    QPointF toPixel(QPointF km) const { return origin_ + km * scale_; }
    QPointF toKm(QPointF pixel) const { return (pixel - origin_) / scale_; }
    double pixelsPerKm() const { return scale_; }
    QPointF origin() const { return origin_; }

private:
    QPointF origin_;
    double scale_;
};

void PaintMap(QPainter& painter, const QRectF& area, const Background& background,
              const MapScene& scene);
// PaintMap in two steps: the layers that stay while the own locator, the radius and the
// layers shown do (the globe, the world lines, the grid, the rings), which a window keeps as
// an image; then the lookup's stations, the path, the antenna and the own locator above.
void PaintWorld(QPainter& painter, const QRectF& area, const Background& background,
                const MapScene& scene);
void PaintStations(QPainter& painter, const QRectF& area, const MapScene& scene);

// The dot of `stations` under `pixel` (within a few pixels), if any.
const MapStation* StationAt(const LookupStations& stations, const Frame& frame, QPointF pixel);

} // namespace map
