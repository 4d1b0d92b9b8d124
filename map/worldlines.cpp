#include "worldlines.h"

#include "projection.h"

#include <QFile>
#include <QLineF>

using namespace Qt::StringLiterals;

namespace map {

namespace {

constexpr char kMagic[] = "NVWL";
constexpr int kVersion = 1;
constexpr int kUnitsPerDegree = 120;
constexpr std::int64_t kMaxLatitude = 90 * kUnitsPerDegree;
constexpr std::int64_t kMaxLongitude = 180 * kUnitsPerDegree;
// A step between neighbours longer than this on the plane crosses the map near the rim.
constexpr double kBreakKm = 3000.0;

class Bytes {
public:
    explicit Bytes(const QByteArray& bytes) : bytes_(bytes) {}
    qsizetype position() const { return position_; }
    bool atEnd() const { return position_ == bytes_.size(); }
    qsizetype left() const { return bytes_.size() - position_; }

    bool take(int size, std::uint64_t* value) { // little-endian
        if (left() < size)
            return false;
        *value = 0;
        for (int i = 0; i < size; ++i)
            *value |= std::uint64_t(std::uint8_t(bytes_[position_ + i])) << (8 * i);
        position_ += size;
        return true;
    }
    bool takeVarint(std::int64_t* value) { // zigzag, at most 5 bytes for these units
        std::uint64_t zigzag = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            if (atEnd())
                return false;
            const auto byte = std::uint8_t(bytes_[position_++]);
            zigzag |= std::uint64_t(byte & 0x7F) << shift;
            if (!(byte & 0x80)) {
                *value = std::int64_t(zigzag >> 1) ^ -std::int64_t(zigzag & 1);
                return true;
            }
        }
        return false;
    }

private:
    const QByteArray& bytes_;
    qsizetype position_ = 0;
};

WorldLines Failed(const QString& why, qsizetype at) {
    return {{}, u"world lines: %1 at byte %2"_s.arg(why).arg(at)};
}

} // namespace

WorldLines ReadWorldLines(const QByteArray& bytes) {
    if (!bytes.startsWith(kMagic))
        return Failed(u"not a world lines file"_s, 0);
    Bytes in(bytes);
    std::uint64_t magic = 0, version = 0, lineCount = 0, pointCount = 0;
    if (!in.take(4, &magic) || !in.take(1, &version) || !in.take(4, &lineCount) ||
        !in.take(4, &pointCount))
        return Failed(u"header cut short"_s, in.position());
    if (version != kVersion)
        return Failed(u"version %1, not %2"_s.arg(version).arg(kVersion), 4);
    // Every point takes two bytes at least: counts beyond that are damage, not memory to ask for.
    if (pointCount > std::uint64_t(in.left()) / 2 || lineCount * 2 > pointCount)
        return Failed(
            u"counts %1 lines, %2 points do not fit the file"_s.arg(lineCount).arg(pointCount), 5);

    WorldLines world;
    world.lines.reserve(lineCount);
    std::uint64_t pointsRead = 0;
    for (std::uint64_t i = 0; i < lineCount; ++i) {
        std::uint64_t layer = 0, count = 0;
        const qsizetype start = in.position();
        if (!in.take(1, &layer) || !in.take(4, &count))
            return Failed(u"line %1 cut short"_s.arg(i), start);
        if (layer > 1)
            return Failed(u"line %1 has layer %2"_s.arg(i).arg(layer), start);
        if (count < 2 || count > pointCount - pointsRead)
            return Failed(u"line %1 has %2 points"_s.arg(i).arg(count), start);
        WorldLine line{Layer(layer), {}};
        line.points.reserve(count);
        std::int64_t latitude = 0, longitude = 0;
        for (std::uint64_t j = 0; j < count; ++j) {
            std::int64_t dLatitude = 0, dLongitude = 0;
            if (!in.takeVarint(&dLatitude) || !in.takeVarint(&dLongitude))
                return Failed(u"point %1 of line %2 cut short"_s.arg(j).arg(i), in.position());
            latitude += dLatitude;
            longitude += dLongitude;
            if (std::abs(latitude) > kMaxLatitude || std::abs(longitude) > kMaxLongitude)
                return Failed(u"point %1 of line %2 lies off the globe"_s.arg(j).arg(i),
                              in.position());
            line.points.push_back(
                {double(longitude) / kUnitsPerDegree, double(latitude) / kUnitsPerDegree});
        }
        pointsRead += count;
        world.lines.push_back(std::move(line));
    }
    if (pointsRead != pointCount)
        return Failed(u"%1 points read, %2 announced"_s.arg(pointsRead).arg(pointCount),
                      in.position());
    if (!in.atEnd())
        return Failed(u"%1 bytes after the last line"_s.arg(in.left()), in.position());
    return world;
}

WorldLines ReadEmbeddedWorldLines() {
    QFile file(u":/map/world.bin"_s);
    if (!file.open(QIODevice::ReadOnly))
        return WorldLines{{}, u"world lines: the built-in copy is missing"_s};
    return ReadWorldLines(file.readAll());
}

void AppendProjected(QPainterPath& path, bearing::Point centre,
                     const std::vector<bearing::Point>& points) {
    if (points.empty())
        return;
    QPointF previous = Project(centre, points.front());
    path.moveTo(previous);
    for (size_t i = 1; i < points.size(); ++i) {
        const QPointF next = Project(centre, points[i]);
        if (QLineF(previous, next).length() > kBreakKm)
            path.moveTo(next);
        else
            path.lineTo(next);
        previous = next;
    }
}

ProjectedWorld ProjectWorld(const WorldLines& world, bearing::Point centre) {
    ProjectedWorld projected;
    for (const WorldLine& line : world.lines)
        AppendProjected(line.layer == Layer::Coast ? projected.coast : projected.borders, centre,
                        line.points);
    return projected;
}

} // namespace map
