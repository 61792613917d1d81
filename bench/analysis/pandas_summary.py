#!/usr/bin/env python3
"""The same summary with pandas, for comparison: pandas_summary.py LOG.csv
(read, parse dates, sort, pivot: average S level per beacon and hour on 14 MHz)."""
import sys

import pandas as pd

log = pd.read_csv(sys.argv[1], header=None, names=["date", "hour", "band", "call", "s"],
                  dtype={"hour": "string", "band": "string", "call": "string", "s": "string"})
log["date"] = pd.to_datetime(log["date"], format="%d-%b-%y", errors="coerce")
log = log.sort_values(["date", "hour", "band"], kind="stable")
log = log[log["band"] == "14"]
log["s"] = pd.to_numeric(log["s"], errors="coerce")
table = log.pivot_table(index="call", columns="hour", values="s", aggfunc="mean").round(0)
print(table.to_csv())
