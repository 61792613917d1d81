#!/usr/bin/env python3
"""Writes a made-up slot log for demonstrations and screenshots of the propagation view.

    python3 tools/make_demo_slot_log.py "LOG FOLDER" [HOURS]

Pretends the band was scanned (one band per 3-minute cycle) for the last HOURS (24)
up to now, with paths that open and close with the hour of the day. The records have
the layout the detector writes; the numbers are invented.
"""
import math
import os
import random
import sys
import time

CALLS = ["4U1UN", "VE8AT", "W6WX", "KH6WO", "ZL6B", "VK6RBP", "JA2IGY", "RR9O", "VR2HK",
         "4S7B", "ZS6DN", "5Z4B", "4X6TU", "OH2B", "CS3B", "LU4AA", "OA4B", "YV5B"]
# Rough longitude of each beacon, to open paths around their daylight.
LON = [-74, -80, -122, -158, 176, 116, 137, 82, 114, 80, 28, 37, 35, 25, -17, -58, -77, -67]
BANDS = ["14", "18", "21", "24", "28"]


def main():
    folder = sys.argv[1]
    hours = float(sys.argv[2]) if len(sys.argv) > 2 else 24
    rnd = random.Random(7)
    now = int(time.time())
    start = (now - int(hours * 3600)) // 180 * 180
    lines = []
    for cycle_start in range(start, now - 10, 180):
        band = (cycle_start // 180) % 5
        for slot in range(18):
            t = cycle_start + slot * 10
            if t > now - 12:
                break
            beacon = (slot - band) % 18 + 1
            utc_hour = (t % 86400) / 3600
            local = (utc_hour + LON[beacon - 1] / 15) % 24
            # Higher bands need more daylight at the far end; 14 MHz is open longest.
            open_ = math.cos((local - 13) / 24 * 2 * math.pi) + 0.6 - 0.25 * band
            snr = -22 + 30 * open_ + rnd.gauss(0, 4)
            stamp = time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(t))
            if snr > -24:
                dashes = [snr - 10 * k for k in range(4)]
                heard = [d for d in dashes if d > -24]
                snrs = [("%.1f" % d) if d > -24 else "" for d in dashes]
                s_level = max(1, min(9, int((snr + 25) / 5)))
                lines.append('"%s","%s","%d","%s","1","%d","%s","%s","%s","%s","%d","%d","%.1f","%d"\r\n' % (
                    stamp, BANDS[band], beacon, CALLS[beacon - 1], len(heard), *snrs,
                    800 + rnd.randint(-60, 60), rnd.randint(-150, 150), 10 + snr + 25, s_level))
            else:
                lines.append('"%s","%s","%d","%s","0","0","","","","","","","%.1f",""\r\n' % (
                    stamp, BANDS[band], beacon, CALLS[beacon - 1], rnd.uniform(0, 4)))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "Harkola 5 Slot Log.csv"), "w", newline="") as f:
        f.writelines(lines)
    print("%d records" % len(lines))


if __name__ == "__main__":
    main()
