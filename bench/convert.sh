#!/usr/bin/env bash
# Times `tidemark-cli convert` on a large document in both directions (item
# file -> CSV, CSV -> item file) side by side with `iconv -f CP932 -t UTF-8`
# over the same CSV bytes, and prints each direction's ratio to iconv.
#
# Usage: bench/convert.sh [BUILD_DIR] [ITEMS] [RUNS]
#   BUILD_DIR  build folder holding bin/tidemark-cli (default: build)
#   ITEMS      items in the generated document (default: 100000)
#   RUNS       timed runs of each command, interleaved (default: 7)
#
# The files live on tmpfs (/dev/shm) when it is writable: every save ends in
# an fdatasync (the atomic save), which on a disk would turn this into a
# disk benchmark. Reported: the median wall time and the median CPU time
# (user + system) of each command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
items=${2:-100000}
runs=${3:-7}
cli=$build/bin/tidemark-cli
[ -x "$cli" ] || { echo "no $cli: build first (scripts/build.sh)" >&2; exit 1; }
command -v iconv >/dev/null || { echo "iconv is missing" >&2; exit 1; }

base=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/tidemark-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 "$root/bench/make_items.py" "$work/items.tmd" "$items"
# A settings file that does not exist: all defaults.
settings=$work/none.ini
"$cli" convert --settings "$settings" "$work/items.tmd" "$work/items.csv"
"$cli" convert --settings "$settings" "$work/items.csv" "$work/back.tmd"
"$cli" convert --settings "$settings" "$work/back.tmd" "$work/back.csv"
cmp -s "$work/items.csv" "$work/back.csv" || { echo "round trip changed the CSV" >&2; exit 1; }

python3 - "$runs" "$items" "$work" "$cli" "$settings" <<'EOF'
import os, resource, statistics, subprocess, sys, time

runs, items, work, cli, settings = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
p = lambda name: os.path.join(work, name)
commands = {
    "tmd->csv": [cli, "convert", "--settings", settings, p("items.tmd"), p("out.csv")],
    "csv->tmd": [cli, "convert", "--settings", settings, p("items.csv"), p("out.tmd")],
    "iconv": ["iconv", "-f", "CP932", "-t", "UTF-8", p("items.csv"), "-o", p("out.txt")],
}
wall = {k: [] for k in commands}
cpu = {k: [] for k in commands}

def run(argv):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.perf_counter()
    subprocess.run(argv, check=True, stdout=subprocess.DEVNULL)
    t1 = time.perf_counter()
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    used = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return t1 - t0, used

for name, argv in commands.items():  # warm-up
    run(argv)
for _ in range(runs):
    for name, argv in commands.items():
        w, c = run(argv)
        wall[name].append(w)
        cpu[name].append(c)

size = os.path.getsize(p("items.csv"))
print(f"{items} items, CSV {size / 1e6:.1f} MB, item file {os.path.getsize(p('items.tmd')) / 1e6:.1f} MB, "
      f"{runs} runs, median")
print(f"{'command':10} {'wall ms':>9} {'cpu ms':>9} {'wall/iconv':>11} {'cpu/iconv':>10}")
base_w = statistics.median(wall["iconv"])
base_c = statistics.median(cpu["iconv"])
for name in commands:
    w, c = statistics.median(wall[name]), statistics.median(cpu[name])
    print(f"{name:10} {w * 1000:9.1f} {c * 1000:9.1f} {w / base_w:11.2f} {c / base_c:10.2f}")
EOF
