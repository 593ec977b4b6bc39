#!/usr/bin/env bash
# Times the start-up of `tidemark FILE` (a 200-item document) from process
# start until the main window has been painted, side by side with a plain Qt
# program that shows the same menus, tool bar and a 200-row list
# (tidemark-plain-window) and with a bare Qt Widgets main window
# (tidemark-bare-window), and prints the ratios of the medians. All print the
# time of their first paint and quit (TIDEMARK_EXIT_WHEN_SHOWN for the
# program).
#
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  build folder holding bin/tidemark, bin/tidemark-plain-window and
#              bin/tidemark-bare-window
#              (default: build)
#   RUNS       timed runs of each, interleaved (default: 15)
#
# Runs under Xvfb when it is installed (a private display), else on Qt's
# offscreen platform.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-15}
app=$build/bin/tidemark
bare=$build/bin/tidemark-bare-window
plain=$build/bin/tidemark-plain-window
for exe in "$app" "$plain" "$bare"; do
  [ -x "$exe" ] || { echo "no $exe: build first" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tidemark-startup.XXXXXX")
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$root/bench/make_items.py" "$work/items.tmd" 200
export TIDEMARK_SETTINGS=$work/tidemark.ini
export TIDEMARK_PROGRAM_DIR=$work
export TIDEMARK_EXIT_WHEN_SHOWN=1

if command -v Xvfb >/dev/null; then
  for n in $(seq 90 99); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
  done
  # -noreset: by default Xvfb resets itself (and compiles its keymap again)
  # each time its last client leaves, that is while the next program is
  # starting. A desktop's display server never does; with the reset, every
  # start carried some 40 ms of the server's own work.
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  export DISPLAY=$display QT_QPA_PLATFORM=xcb
  platform="Xvfb $display"
  # Xvfb puts the pointer mid-screen, where the program's centred window
  # opens but not the bare one: park it in a corner, so that neither window
  # starts under it (an enter event costs a round trip to the server).
  python3 - <<'PY' || echo "could not park the pointer" >&2
import ctypes
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                           ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_int]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
if not display:
    raise SystemExit(1)
x.XWarpPointer(display, 0, x.XDefaultRootWindow(display), 0, 0, 0, 0, 1279, 1023)
x.XCloseDisplay(display)
PY
else
  export QT_QPA_PLATFORM=offscreen
  platform=offscreen
fi

python3 - "$runs" "$app" "$plain" "$bare" "$work/items.tmd" "$platform" <<'PY'
import random, statistics, subprocess, sys, time

runs, app, plain, bare, items, platform = int(sys.argv[1]), *sys.argv[2:7]

def once(cmd):
    """Milliseconds from spawning cmd to its first paint, as the program
    reports it (steady clock, which is CLOCK_MONOTONIC like time.monotonic_ns).
    The wait has no timeout on purpose: Python polls a child with a timeout
    in sleeps of up to 50 ms, which would round the exit time up."""
    start = time.monotonic_ns()
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out, _ = proc.communicate()
    if proc.returncode != 0:
        raise SystemExit(f"{cmd[0]} exited with {proc.returncode}")
    return (int(out.split()[-1]) - start) / 1e6

programs = [("bare Qt window", [bare]), ("plain Qt, same content", [plain]), ("tidemark, 200 items", [app, items])]
# One warm-up each: the first start loads fonts and libraries from disk.
for _, cmd in programs:
    once(cmd)
shown = {name: [] for name, _ in programs}
# Each round runs all in a random order: a start measures differently
# depending on which program ran just before it, so a fixed order would
# favour one of them.
for _ in range(runs):
    order = programs[:]
    random.shuffle(order)
    for name, cmd in order:
        shown[name].append(once(cmd))
med = {k: statistics.median(v) for k, v in shown.items()}
print(f"platform: {platform}, runs: {runs}, interleaved in random order")
print("start to first paint:")
for name, _ in programs:
    print(f"  {name:24} median {med[name]:7.1f} ms  (min {min(shown[name]):.1f})")
t = med["tidemark, 200 items"]
print(f"ratio tidemark / plain Qt with the same content: {t / med['plain Qt, same content']:.2f}")
print(f"ratio tidemark / bare Qt window: {t / med['bare Qt window']:.2f}")
PY
