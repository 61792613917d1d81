#!/usr/bin/env bash
# Logs of years: generates heard logs of 1 and 10 million records and a slot log of 15
# million, then times one summary with harkola-cli (and with pandas and DuckDB where
# they are installed) and the slot log's reading into the propagation grid.
#   bench/analysis/run.sh BUILD_DIR [WORK_DIR]
# BUILD_DIR must be configured with -DHARKOLA_BUILD_BENCH=ON. pandas: Debian
# python3-pandas (Debian's own python3); DuckDB: `npm install @duckdb/node-api` in WORK_DIR.
set -euo pipefail
build=$(cd "$1" && pwd)
work=${2:-/tmp/harkola-log-bench}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
measure() { /usr/bin/time -f "%e s %M KB" "$@" > /dev/null 2> "$work/time.txt" || true; tail -1 "$work/time.txt"; }
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for n in 1000000 10000000; do
  log="$work/heard-$n.csv"
  [ -f "$log" ] || "$build/harkola_log_scale" heard "$n" "$log"
  echo "heard log, $n records: harkola-cli $(measure "$build/harkola-cli" summarise "$log" --by-beacon --band 14)"
  if /usr/bin/python3 -c "import pandas" 2>/dev/null; then
    echo "heard log, $n records: pandas      $(measure /usr/bin/python3 "$here/pandas_summary.py" "$log")"
  fi
  if [ -d "$work/node_modules/@duckdb/node-api" ]; then
    cp "$here/duckdb_summary.mjs" "$work/"
    echo "heard log, $n records: DuckDB      $(measure node "$work/duckdb_summary.mjs" "$log")"
  fi
done
slot="$work/slot-15000000.csv"
[ -f "$slot" ] || "$build/harkola_log_scale" slot 15000000 "$slot"
/usr/bin/time -f "%e s %M KB" "$build/harkola_log_scale" read-slot "$slot"
