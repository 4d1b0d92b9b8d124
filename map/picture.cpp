#include "picture.h"

#include "projection.h"

#include <QFontMetricsF>
#include <QtMath>
#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace map {

namespace {

constexpr double kSquareGridKm = 3000;    // squares are drawn out to this radius
constexpr double kSquareGridDegrees = 28; // the latitude band around the centre that holds it
constexpr double kSquareKm = 111;         // a square's height, about its width in Europe
constexpr double kSquareLabelPixels = 40;
constexpr double kDotPixels = 3;
constexpr double kHitPixels = 6;

const QColor kOutside(0xdd, 0xdd, 0xdd);
const QColor kSea(0xf4, 0xf8, 0xfb);
const QColor kCoast(0x2f, 0x4f, 0x6f);
const QColor kBorder(0x9a, 0x8f, 0xa8);
const QColor kGrid(0xc8, 0xa8, 0x78);
const QColor kRings(0x80, 0x80, 0x80);
const QColor kStation(0xa0, 0x10, 0x10);
const QColor kTarget(0x10, 0x70, 0x20);
const QColor kBeam(0xff, 0x90, 0x20);
const QColor kLogged(0x20, 0x30, 0xc0);

// Which parts of the picture labels already cover, in cells of a few pixels: a label that
// would overlap another is left out, at a cost that does not grow with the labels drawn.
class Occupancy {
public:
    explicit Occupancy(const QRectF& area)
        : area_(area), columns_(int(area.width() / kCell) + 1),
          taken_(size_t(columns_) * size_t(int(area.height() / kCell) + 1)) {}

    const QRectF& area() const { return area_; }

    bool claim(const QRectF& rect) {
        if (!area_.contains(rect))
            return false;
        const int left = int((rect.left() - area_.left()) / kCell);
        const int right = int((rect.right() - area_.left()) / kCell);
        const int top = int((rect.top() - area_.top()) / kCell);
        const int bottom = int((rect.bottom() - area_.top()) / kCell);
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                if (taken_[size_t(y * columns_ + x)])
                    return false;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                taken_[size_t(y * columns_ + x)] = true;
        return true;
    }

private:
    static constexpr double kCell = 4;
    QRectF area_;
    int columns_;
    std::vector<bool> taken_;
};

QPen Cosmetic(const QColor& color, double width = 1, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(color, width, style);
    pen.setCosmetic(true);
    return pen;
}

// A 1-2-5 step that gives 3 to 6 rings inside the radius.
double RingStep(double radiusKm) {
    for (double decade = 1;; decade *= 10)
        for (double factor : {1.0, 2.0, 5.0})
            if (radiusKm / (factor * decade) <= 6)
                return factor * decade;
}

std::vector<bearing::Point> Meridian(double longitude, double south, double north, double step) {
    std::vector<bearing::Point> points;
    for (double latitude = south; latitude < north + step / 2; latitude += step)
        points.push_back({longitude, std::min(latitude, north)});
    return points;
}

std::vector<bearing::Point> Parallel(double latitude, double west, double east, double step) {
    std::vector<bearing::Point> points;
    for (double longitude = west; longitude < east + step / 2; longitude += step)
        points.push_back({std::min(longitude, east), latitude});
    return points;
}

void DrawLabels(QPainter& painter, const Frame& frame, Occupancy& occupancy,
                const std::vector<Background::Label>& labels) {
    const QFontMetricsF metrics(painter.font());
    for (const Background::Label& label : labels) {
        const QPointF at = frame.toPixel(label.km);
        QRectF rect = metrics.boundingRect(label.text);
        rect.moveCenter(at);
        if (occupancy.claim(rect))
            painter.drawText(rect, Qt::AlignCenter, label.text);
    }
}

void DrawMarker(QPainter& painter, QPointF at, const QColor& color, int corners, double size) {
    QPolygonF shape;
    for (int i = 0; i < corners; ++i) {
        const double angle = 2 * std::numbers::pi * i / corners - std::numbers::pi / 2;
        shape << at + QPointF(std::cos(angle), std::sin(angle)) * size;
    }
    painter.setPen(Cosmetic(Qt::black));
    painter.setBrush(color);
    painter.drawPolygon(shape);
}

void DrawGridAndRings(QPainter& painter, const QRectF& area, const Frame& frame,
                      const Background& background, const MapScene& scene, Occupancy& occupancy) {
    const QPointF origin = frame.origin();
    const double edge = std::min(area.width(), area.height()) / 2; // pixels to the nearest edge
    const bool squares = scene.radiusKm <= kSquareGridKm;
    if (scene.showGrid) {
        painter.save();
        painter.translate(origin);
        painter.scale(frame.pixelsPerKm(), frame.pixelsPerKm());
        painter.setPen(Cosmetic(kGrid));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(background.fields);
        if (squares) {
            painter.setPen(Cosmetic(kGrid, 1, Qt::DotLine));
            painter.drawPath(background.squares);
        }
        painter.restore();
    }

    // Distance rings with their km, then the azimuth ticks around the nearest edge; their
    // labels come before the grid's.
    painter.setBrush(Qt::NoBrush);
    const double step = RingStep(scene.radiusKm);
    const QFontMetricsF metrics(painter.font());
    for (double km = step; km <= std::min(scene.radiusKm, kRimKm) * 1.5; km += step) {
        const double r = km * frame.pixelsPerKm();
        painter.setPen(Cosmetic(kRings, 1, Qt::DashLine));
        painter.drawEllipse(origin, r, r);
        const QString text = u"%1 km"_s.arg(km, 0, 'f', 0);
        QRectF rect = metrics.boundingRect(text);
        rect.moveBottomLeft(origin + QPointF(3, -r - 1));
        if (occupancy.claim(rect)) {
            painter.setPen(kRings.darker(150));
            painter.drawText(rect, Qt::AlignCenter, text);
        }
    }
    painter.setPen(Cosmetic(kRings));
    for (int degrees = 0; degrees < 360; degrees += 10) {
        const double a = qDegreesToRadians(double(degrees));
        const QPointF direction(std::sin(a), -std::cos(a));
        const double inner = degrees % 30 == 0 ? edge - 12 : edge - 6;
        painter.drawLine(origin + direction * inner, origin + direction * edge);
        if (degrees % 30 == 0) {
            const QString text = u"%1\u00b0"_s.arg(degrees);
            QRectF rect = metrics.boundingRect(text);
            rect.moveCenter(origin + direction * (edge - 14 - rect.height() / 2));
            painter.drawText(rect, Qt::AlignCenter, text);
            occupancy.claim(rect);
        }
    }

    if (scene.showGrid) {
        painter.setPen(kGrid.darker(150));
        // A square's label only where squares are wide enough to hold one.
        if (squares && kSquareKm * frame.pixelsPerKm() >= kSquareLabelPixels)
            DrawLabels(painter, frame, occupancy, background.squareLabels);
        DrawLabels(painter, frame, occupancy, background.fieldLabels);
    }
}

void DrawStations(QPainter& painter, const Frame& frame, const LookupStations& stations,
                  Occupancy& occupancy) {
    if (!stations.squares.empty()) {
        painter.save();
        painter.translate(frame.origin());
        painter.scale(frame.pixelsPerKm(), frame.pixelsPerKm());
        painter.setPen(Qt::NoPen);
        // Squares meet without a seam, and each row of one is a single span: smoothed edges
        // made many, which Qt hands to other threads, a cost at every key.
        painter.setRenderHint(QPainter::Antialiasing, false);
        const double most = std::log1p(stations.mostInSquare);
        for (const ShadedSquare& square : stations.squares) {
            QColor shade = kStation;
            shade.setAlphaF(0.15 + 0.75 * std::log1p(square.count) / most);
            painter.setBrush(shade);
            painter.drawPolygon(square.outline);
        }
        painter.restore();
        return;
    }
    // One dot drawn once and stamped: thousands of stations cost thousands of copies.
    const double side = 2 * kDotPixels + 2;
    const QSize pixels = QSize(int(side), int(side)) * painter.device()->devicePixelRatio();
    QImage dot(pixels, QImage::Format_ARGB32_Premultiplied);
    dot.setDevicePixelRatio(painter.device()->devicePixelRatio());
    dot.fill(Qt::transparent);
    {
        QPainter stamp(&dot);
        stamp.setRenderHint(QPainter::Antialiasing);
        stamp.setPen(Cosmetic(Qt::black));
        stamp.setBrush(kStation);
        stamp.drawEllipse(QPointF(side / 2, side / 2), kDotPixels, kDotPixels);
    }
    const QRectF visible = occupancy.area();
    const QFontMetricsF metrics(painter.font());
    // Labels are measured by their characters' advances, without shaping each one.
    double advance[128] = {};
    for (int ch = 32; ch < 128; ++ch)
        advance[ch] = metrics.horizontalAdvance(QChar(ch));
    const double maxAdvance = metrics.maxWidth();
    painter.setPen(kStation.darker(150));
    for (const MapStation& station : stations.dots) {
        const QPointF at = frame.toPixel(station.km);
        if (!visible.contains(at))
            continue;
        painter.drawImage(at - QPointF(side / 2, side / 2), dot);
        double width = 0;
        for (const QChar ch : station.label)
            width += ch.unicode() < 128 ? advance[ch.unicode()] : maxAdvance;
        const QRectF rect(at.x() + kDotPixels + 2, at.y() - metrics.height() / 2, width,
                          metrics.height());
        if (occupancy.claim(rect))
            painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, station.label);
    }
}

void DrawPath(QPainter& painter, const Frame& frame, const MapScene& scene) {
    const QPointF km = Project(scene.centre, *scene.target);
    const QPointF at = frame.toPixel(km);
    const QPointF origin = frame.origin();
    painter.setPen(Cosmetic(kTarget, 2));
    painter.drawLine(origin, at);
    const double length = std::hypot(km.x(), km.y());
    if (scene.longPath && length > 0) {
        // Away from the target to the antipode, which is the whole rim, and in from the rim
        // on the target's side.
        const QPointF rim = km / length * kRimKm;
        painter.setPen(Cosmetic(kTarget, 2, Qt::DashLine));
        painter.drawLine(origin, frame.toPixel(-rim));
        painter.drawLine(frame.toPixel(rim), at);
    }
    DrawMarker(painter, at, kTarget, 4, 7);
}

void DrawAntenna(QPainter& painter, const QRectF& area, const Frame& frame,
                 const Antenna& antenna) {
    const QPointF origin = frame.origin();
    const double reach =
        std::min(std::hypot(area.width(), area.height()), kRimKm * frame.pixelsPerKm());
    const QRectF circle(origin - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach));
    QPainterPath wedge(origin);
    // Qt counts degrees counter-clockwise from three o'clock, the compass clockwise from north.
    wedge.arcTo(circle, 90 - antenna.heading - antenna.beamwidth / 2, antenna.beamwidth);
    wedge.closeSubpath();
    QColor fill = antenna.reachable ? kBeam : QColor(Qt::gray);
    fill.setAlphaF(0.25);
    painter.setBrush(fill);
    painter.setPen(Cosmetic(fill.darker(200), 1, antenna.reachable ? Qt::SolidLine : Qt::DashLine));
    painter.drawPath(wedge);
    if (antenna.requested) {
        const double a = qDegreesToRadians(*antenna.requested);
        painter.setPen(Cosmetic(kBeam.darker(150), 2, Qt::DashLine));
        painter.drawLine(origin, origin + QPointF(std::sin(a), -std::cos(a)) * reach);
    }
}

} // namespace

double ZoomStep(double radiusKm, int steps) {
    const int count = int(std::size(kZoomSteps));
    int nearest = 0;
    for (int i = 1; i < count; ++i)
        if (std::abs(std::log(kZoomSteps[i] / radiusKm)) <
            std::abs(std::log(kZoomSteps[nearest] / radiusKm)))
            nearest = i;
    return kZoomSteps[std::clamp(nearest + steps, 0, count - 1)];
}

std::optional<double> FittingRadius(const LookupStations& stations) {
    if (stations.dots.empty())
        return std::nullopt;
    double farthest = 0;
    for (const MapStation& station : stations.dots)
        farthest = std::max(farthest, std::hypot(station.km.x(), station.km.y()));
    for (double step : kZoomSteps)
        if (farthest * 1.1 <= step)
            return step;
    return kZoomSteps[std::size(kZoomSteps) - 1];
}

Background MakeBackground(const WorldLines& world, bearing::Point centre) {
    Background background{ProjectWorld(world, centre), {}, {}, {}, {}};
    for (int longitude = -180; longitude < 180; longitude += 20)
        AppendProjected(background.fields, centre, Meridian(longitude, -90, 90, 1));
    for (int latitude = -80; latitude < 90; latitude += 10)
        AppendProjected(background.fields, centre, Parallel(latitude, -180, 180, 1));
    for (int x = 0; x < 18; ++x)
        for (int y = 0; y < 18; ++y)
            background.fieldLabels.push_back({Project(centre, {x * 20 - 170.0, y * 10 - 85.0}),
                                              QString(QChar(u'A' + x)) + QChar(u'A' + y)});

    // Squares only in a band around the centre wide enough for the square grid's radius.
    const double south = std::max(-90.0, std::floor(centre.latitude - kSquareGridDegrees));
    const double north = std::min(90.0, std::ceil(centre.latitude + kSquareGridDegrees));
    const double widest = std::max(std::abs(south), std::abs(north));
    const double halfWidth =
        widest >= 80 ? 180
                     : std::min(180.0, kSquareGridDegrees / std::cos(qDegreesToRadians(widest)));
    const double west = std::floor((centre.longitude - halfWidth) / 2) * 2;
    const double east = std::ceil((centre.longitude + halfWidth) / 2) * 2;
    for (double longitude = west; longitude <= east; longitude += 2)
        AppendProjected(background.squares, centre, Meridian(longitude, south, north, 0.5));
    for (double latitude = south; latitude <= north; latitude += 1)
        AppendProjected(background.squares, centre, Parallel(latitude, west, east, 0.5));
    for (double longitude = west; longitude < east; longitude += 2)
        for (double latitude = south; latitude < north; latitude += 1) {
            const bearing::Point middle{std::remainder(longitude + 1, 360.0), latitude + 0.5};
            const QPointF km = Project(centre, middle);
            if (std::hypot(km.x(), km.y()) <= kSquareGridKm * 1.5)
                background.squareLabels.push_back({km, LocatorOf(middle).left(4)});
        }
    return background;
}

Frame::Frame(const QRectF& area, double radiusKm)
    : origin_(area.center()),
      scale_(std::min(area.width(), area.height()) / 2 / std::max(radiusKm, 1.0)) {}

void PaintWorld(QPainter& painter, const QRectF& area, const Background& background,
                const MapScene& scene) {
    const Frame frame(area, scene.radiusKm);
    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(area, kOutside);
    const double rim = kRimKm * frame.pixelsPerKm();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSea);
    painter.drawEllipse(frame.origin(), rim, rim);

    painter.save();
    painter.translate(frame.origin());
    painter.scale(frame.pixelsPerKm(), frame.pixelsPerKm());
    painter.setBrush(Qt::NoBrush);
    if (scene.showBorders) {
        painter.setPen(Cosmetic(kBorder));
        painter.drawPath(background.world.borders);
    }
    painter.setPen(Cosmetic(kCoast));
    painter.drawPath(background.world.coast);
    painter.restore();

    Occupancy gridLabels(area);
    DrawGridAndRings(painter, area, frame, background, scene, gridLabels);
    painter.restore();
}

void PaintStations(QPainter& painter, const QRectF& area, const MapScene& scene) {
    const Frame frame(area, scene.radiusKm);
    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The stations' labels give way to each other only: a station's call matters more than
    // a field's name beneath it.
    Occupancy stationLabels(area);
    DrawStations(painter, frame, scene.stations, stationLabels);
    if (scene.target)
        DrawPath(painter, frame, scene);
    if (scene.antenna)
        DrawAntenna(painter, area, frame, *scene.antenna);
    if (scene.logged) {
        const QPointF at = frame.toPixel(Project(scene.centre, scene.logged->point));
        DrawMarker(painter, at, kLogged, 3, 8);
        painter.setPen(kLogged);
        painter.drawText(at + QPointF(10, -6), scene.logged->call);
    }
    // The own locator last, so nothing hides the centre.
    DrawMarker(painter, frame.origin(), Qt::white, 6, 5);
    painter.setPen(Qt::black);
    painter.drawText(frame.origin() + QPointF(8, 14), scene.centreLocator);
    painter.restore();
}

void PaintMap(QPainter& painter, const QRectF& area, const Background& background,
              const MapScene& scene) {
    PaintWorld(painter, area, background, scene);
    PaintStations(painter, area, scene);
}

const MapStation* StationAt(const LookupStations& stations, const Frame& frame, QPointF pixel) {
    const MapStation* nearest = nullptr;
    double best = kHitPixels;
    for (const MapStation& station : stations.dots) {
        const double distance = QLineF(frame.toPixel(station.km), pixel).length();
        if (distance <= best) {
            best = distance;
            nearest = &station;
        }
    }
    return nearest;
}

} // namespace map
