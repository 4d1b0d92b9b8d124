#!/usr/bin/env python3
"""Writes map/world.bin, the coastlines and land borders of the station map.

Reads Natural Earth's 1:50m coastline and land borders (public domain) as Debian's
marble-qt-data ships them, simplifies every line (Douglas-Peucker, about 2 km) and writes
the compact file map/worldlines.cpp reads. Run by hand after `apt-get install
marble-qt-data`; the build and the tests only read the committed file.

The input (PN2, big-endian, as checked against the files themselves):
  u8 version (2), u32 polygon count, u8 flag
  per polygon: u8 kind (0 line, 1 ring, 2/3 outer/inner boundary, 4 multi), u32 id, then
    kinds 0-3: u32 node count, nodes;
    kind 4: u8 part count, then each part as a whole polygon of kinds 0-3 (the polygon
    count of the header counts the parts, not the multi);
  node: i16 latitude, i16 longitude (1/120 degree), i16 n, then n i8 pairs of latitude and
    longitude offsets, each from that node (not from the pair before: the coastline's
    steps between nodes average 50 units read so, 650 read as running sums).

The output (little-endian, units of 1/120 degree):
  "NVWL", u8 version 1, u32 line count, u32 point count
  per line: u8 layer (0 coast, 1 border), u32 point count (2 or more), then each point as
    two zigzag varints: latitude and longitude, the first absolute, the rest steps from
    the point before.
"""
import math
import os
import struct
import sys

SOURCE = "/usr/share/marble/data/naturalearth"
FILES = [("ne_50m_coastline.pn2", 0), ("ne_50m_admin_0_boundary_lines_land.pn2", 1)]
TOLERANCE_KM = 2.0
EARTH_KM = 6371.0


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, fmt):
        size = struct.calcsize(fmt)
        if self.pos + size > len(self.data):
            sys.exit(f"truncated at byte {self.pos}")
        values = struct.unpack_from(fmt, self.data, self.pos)
        self.pos += size
        return values if len(values) > 1 else values[0]


def read_nodes(reader):
    points = []
    for _ in range(reader.take(">I")):
        lat, lon, steps = reader.take(">hhh")
        points.append((lat, lon))
        for _ in range(steps):
            dlat, dlon = reader.take(">bb")
            points.append((lat + dlat, lon + dlon))
    return points


def read_pn2(path):
    reader = Reader(open(path, "rb").read())
    version, count, _ = reader.take(">BIB")
    if version != 2:
        sys.exit(f"{path}: version {version}, expected 2")
    lines = []
    while len(lines) < count:
        kind, _ = reader.take(">BI")
        if kind == 4:
            for _ in range(reader.take(">B")):
                part_kind, _ = reader.take(">BI")
                if part_kind > 3:
                    sys.exit(f"{path}: multi inside multi at byte {reader.pos}")
                lines.append(read_nodes(reader))
        elif kind <= 3:
            lines.append(read_nodes(reader))
        else:
            sys.exit(f"{path}: polygon kind {kind} at byte {reader.pos}")
    if reader.pos != len(reader.data):
        sys.exit(f"{path}: {len(reader.data) - reader.pos} bytes after {count} polygons")
    return lines


def xyz(point):
    lat, lon = math.radians(point[0] / 120), math.radians(point[1] / 120)
    return (math.cos(lat) * math.cos(lon), math.cos(lat) * math.sin(lon), math.sin(lat))


def distance_to_chord_km(p, a, b):
    """Distance on the sphere from p to the great circle through a and b."""
    pa, pb, pp = xyz(a), xyz(b), xyz(p)
    n = (pa[1] * pb[2] - pa[2] * pb[1], pa[2] * pb[0] - pa[0] * pb[2], pa[0] * pb[1] - pa[1] * pb[0])
    length = math.sqrt(sum(c * c for c in n))
    if length < 1e-12:  # a and b coincide: plain distance
        return EARTH_KM * math.acos(max(-1.0, min(1.0, sum(x * y for x, y in zip(pa, pp)))))
    return EARTH_KM * abs(math.asin(sum(x * y for x, y in zip(n, pp)) / length))


def simplify(points):
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    stack = [(0, len(points) - 1)]
    while stack:
        first, last = stack.pop()
        worst, index = 0.0, -1
        for i in range(first + 1, last):
            d = distance_to_chord_km(points[i], points[first], points[last])
            if d > worst:
                worst, index = d, i
        if worst > TOLERANCE_KM:
            keep[index] = True
            stack += [(first, index), (index, last)]
    return [p for p, k in zip(points, keep) if k]


def varint(value):
    zigzag = (value << 1) ^ (value >> 63)
    out = bytearray()
    while zigzag >= 0x80:
        out.append(zigzag & 0x7F | 0x80)
        zigzag >>= 7
    out.append(zigzag)
    return out


def main():
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "map", "world.bin")
    lines = []
    for name, layer in FILES:
        for points in read_pn2(os.path.join(SOURCE, name)):
            # Drop repeated nodes, then the detail a 2 km tolerance cannot show.
            points = [p for i, p in enumerate(points) if i == 0 or p != points[i - 1]]
            if len(points) >= 2:
                points = simplify(points)
            if len(points) >= 2:
                lines.append((layer, points))
    body = bytearray()
    for layer, points in lines:
        body += struct.pack("<BI", layer, len(points))
        previous = (0, 0)
        for point in points:
            body += varint(point[0] - previous[0]) + varint(point[1] - previous[1])
            previous = point
    total = sum(len(points) for _, points in lines)
    with open(target, "wb") as out:
        out.write(b"NVWL" + struct.pack("<BII", 1, len(lines), total) + body)
    print(f"{os.path.normpath(target)}: {len(lines)} lines, {total} points, {13 + len(body)} bytes")


if __name__ == "__main__":
    main()
