#!/usr/bin/python3
"""Converts the GSHHG low-resolution shorelines into the map's compact coastline file.

Run once when the coastline data should change; the build only uses the result,
resources/map/coastlines.bin. Needs the Debian packages gmt-gshhg-low (the data) and
python3-h5py (to read its netCDF-4 files):

    apt-get install gmt-gshhg-low python3-h5py
    /usr/bin/python3 tools/make_coastlines.py [SOURCE.nc] [resources/map/coastlines.bin]

The data set stores shore pieces clipped to 10-degree bins: per bin the id of its first
segment and the segment count; per segment its first point and a packed word (point
count << 9 | level << 6 | exit << 3 | entry); per point the longitude and latitude
relative to the bin's south-west corner in 1/65535 of the bin size (unsigned 16 bits).
Bins are numbered row by row from the north pole eastwards from 0 degrees.

Output (little-endian): "HKCL", uint32 version 1, uint32 polyline count, then per
polyline uint32 point count and that many (int16 longitude, int16 latitude) pairs in
hundredths of a degree, longitude -18000..18000, latitude -9000..9000.
"""
import struct
import sys

import h5py
import numpy as np

SOURCE = "/usr/share/gmt-gshhg/binned_GSHHS_l.nc"
OUTPUT = "resources/map/coastlines.bin"
# Shore levels kept: 1 land/ocean, 2 large lakes, 6 the Antarctic ice front. Segments
# flagged as the alternative Antarctic grounding line are left out (one outline).
KEPT_LEVELS = {1, 2, 6}
# Points closer than this to the last kept point (in hundredths of a degree) are
# dropped: invisible on a world map, and they halve the file.
MIN_STEP = 8
# Lakes smaller than this (degrees across) are left out: on a world map they are specks.
SMALL_LAKE = 2.0


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else SOURCE
    out = sys.argv[2] if len(sys.argv) > 2 else OUTPUT
    f = h5py.File(src, "r")
    bin_minutes = int(f["Bin_size_in_minutes"][0])
    bin_deg = bin_minutes / 60.0
    nlon = int(f["N_bins_in_360_longitude_range"][0])
    first_seg = f["Id_of_first_segment_in_a_bin"][:]
    nseg = f["N_segments_in_a_bin"][:]
    packed = f["Embedded_npts_levels_exit_entry_for_a_segment"][:].astype(np.int64)
    ant = f["Embedded_ANT_flag"][:]
    first_pt = f["Id_of_first_point_in_a_segment"][:]
    dlon = f["Relative_longitude_from_SW_corner_of_bin"][:].view(np.uint16).astype(np.float64)
    dlat = f["Relative_latitude_from_SW_corner_of_bin"][:].view(np.uint16).astype(np.float64)

    lines = []
    for b in range(len(first_seg)):
        west = (b % nlon) * bin_deg
        south = 90.0 - (b // nlon + 1) * bin_deg
        for s in range(first_seg[b], first_seg[b] + nseg[b]):
            level = (packed[s] >> 6) & 7
            if level not in KEPT_LEVELS or ant[s]:
                continue
            n = packed[s] >> 9
            p = first_pt[s]
            lon = west + dlon[p:p + n] / 65535.0 * bin_deg
            lat = south + dlat[p:p + n] / 65535.0 * bin_deg
            lon = np.where(lon > 180.0, lon - 360.0, lon)
            pts = []
            for x, y in zip(np.rint(lon * 100).astype(int), np.rint(lat * 100).astype(int)):
                if pts and abs(x - pts[-1][0]) < MIN_STEP and abs(y - pts[-1][1]) < MIN_STEP:
                    continue
                pts.append((int(x), int(y)))
            last = (int(np.rint(lon[-1] * 100)), int(np.rint(lat[-1] * 100)))
            if pts[-1] != last:
                pts.append(last)  # keep the piece's end so neighbouring bins join
            if level == 2 and max(lon) - min(lon) < SMALL_LAKE and max(lat) - min(lat) < SMALL_LAKE:
                continue
            if len(pts) >= 2:
                lines.append(pts)

    with open(out, "wb") as o:
        o.write(b"HKCL" + struct.pack("<II", 1, len(lines)))
        for pts in lines:
            o.write(struct.pack("<I", len(pts)))
            o.write(struct.pack("<%dh" % (2 * len(pts)), *[v for p in pts for v in p]))
    print("%d polylines, %d points -> %s" % (len(lines), sum(len(p) for p in lines), out))


if __name__ == "__main__":
    main()
