// The coastlines and land borders (Natural Earth 1:50m, public domain), as
// scripts/make-world.py writes them into world.bin, and their picture around one centre.
#pragma once

#include "bearing/locator.h"

#include <QByteArray>
#include <QPainterPath>
#include <QString>
#include <cstdint>
#include <vector>

namespace map {

enum class Layer : std::uint8_t { Coast = 0, Border = 1 };

struct WorldLine {
    Layer layer = Layer::Coast;
    std::vector<bearing::Point> points; // two or more
};

struct WorldLines {
    std::vector<WorldLine> lines;
    QString error; // why the bytes could not be read; then no lines
};

// Reads the file's bytes, checking every count and bound: damaged bytes give an error that
// says what and where, never a partial world.
WorldLines ReadWorldLines(const QByteArray& bytes);

// The copy built into the program (map/world.bin).
WorldLines ReadEmbeddedWorldLines();

// The lines on the plane around `centre`, in km (see Project). A line is broken where it
// jumps across the map near the rim, where neighbours on the globe lie far apart.
// Appends one line of globe points to `path` on the plane around `centre`, breaking it where
// it jumps across the map.
void AppendProjected(QPainterPath& path, bearing::Point centre,
                     const std::vector<bearing::Point>& points);

struct ProjectedWorld {
    QPainterPath coast;
    QPainterPath borders;
};
ProjectedWorld ProjectWorld(const WorldLines& world, bearing::Point centre);

} // namespace map
