#!/usr/bin/env python3
"""Writes a synthetic heard log for timing the analysis: make_log.py RECORDS OUT.csv

Records run in time order over about fourteen months (so the month list wraps the year
end), five bands, the 18 beacons and S levels 1..9, in the heard log's own format."""
import random
import sys

CALLS = ["4U1UN", "VE8AT", "W6WX", "KH6WO", "ZL6B", "VK6RBP", "JA2IGY", "RR9O", "VR2B",
         "4S7B", "ZS6DN", "5Z4B", "4X6TU", "OH2B", "CS3B", "LU4AA", "OA4B", "YV5B"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
DAYS = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]


def main():
    count, out = int(sys.argv[1]), sys.argv[2]
    rng = random.Random(5)
    days = []
    year, month = 2001, 8
    for _ in range(14):
        for d in range(1, DAYS[month - 1] + 1):
            days.append(f"{d:02d}-{MONTHS[month - 1]}-{year % 100:02d}")
        month += 1
        if month > 12:
            month, year = 1, year + 1
    per_day = max(1, count // len(days))
    with open(out, "w", newline="") as f:
        for i in range(count):
            date = days[min(i // per_day, len(days) - 1)]
            hour = rng.randrange(24)
            f.write(f'"{date}","{hour}","{rng.choice(("14", "18", "21", "24", "28"))}",'
                    f'"{rng.choice(CALLS)}","{rng.randrange(1, 10)}"\r\n')


if __name__ == "__main__":
    main()
