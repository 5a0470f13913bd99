"""The game's figures in one table: every timing harness in bench/ (medians,
and the 99th percentile where a harness reports one), then the real game's
start-up time to its first drawn frame and its peak memory, both under Xvfb
with Mesa's llvmpipe at 1920 x 1080. Given an older build (a build directory
of an earlier commit with this bench/frame_bench.cpp and bench/playframe.h),
also the frames of play side by side with it: each case run in turn by one
build and the other, so that both see the same load, every frame also as a
multiple of the floor frame at its size, and the ratio of old to new.
--frames-only prints just that table.

    python3 tools/figures.py <build directory> [<older build directory> [--frames-only]]

Run through tools/figures, which builds first."""

import ctypes
import json
import os
import platform
import random
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import driver  # noqa: E402

SCREEN = (1920, 1080)
MILLISECOND_IN = {"ns": 1e6, "us": 1e3, "ms": 1.0, "s": 1e-3}  # a harness's p99_ms in its own time unit
XVFB = ["xvfb-run", "-a", "-s", "-screen 0 %dx%dx24 -noreset -nolisten tcp" % SCREEN]
STARTS = 7             # start-up runs, reported as their median
PLAY_SECONDS = 20      # random play before the peak memory is read
DARK, BRIGHT = 16, 128  # the title menu's middle row: all of it a dark pattern between these


def bench_rows(build):
    """(name, median, p99 or None, unit) for every benchmark of every harness."""
    rows = []
    bench_dir = os.path.join(build, "bench")
    for name in sorted(os.listdir(bench_dir)):
        path = os.path.join(bench_dir, name)
        if not name.endswith("_bench") or not os.access(path, os.X_OK):
            continue
        out = subprocess.run(XVFB + [path, "--benchmark_repetitions=9", "--benchmark_report_aggregates_only=true",
                                     "--benchmark_format=json"], cwd=build, capture_output=True, text=True)
        if out.returncode != 0:
            rows.append((name, None, None, "failed: " + out.stderr.strip().splitlines()[-1:][0]
                         if out.stderr.strip() else "failed"))
            continue
        found = {}
        for b in json.loads(out.stdout)["benchmarks"]:
            base = b.get("run_name", b["name"])
            entry = found.setdefault(base, {"unit": b["time_unit"]})
            entry[b.get("aggregate_name", "")] = b["real_time"]
            if b.get("aggregate_name") == "median" and "p99_ms" in b:
                entry["p99"] = b["p99_ms"] * MILLISECOND_IN.get(b["time_unit"], 1)
        for base, entry in found.items():
            base = re.sub(r"/(?:repeats|iterations):\d+", "", base)
            rows.append(("%s %s" % (name, base), entry.get("median"), entry.get("p99"), entry["unit"]))
    return rows


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


IGNORE_X_ERRORS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, error: 0)


class RowReader:
    """Reads one row of a window straight from the X server (a millisecond,
    against tens for a screenshot tool), to see the first frame arrive."""

    def __init__(self, display):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XGetImage.restype = ctypes.POINTER(_XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XSetErrorHandler(IGNORE_X_ERRORS)
        self.d = self.x.XOpenDisplay(display.encode())

    def menu_shown(self, window, y, width):
        """True when row y of the window is the menu's dark pattern: neither
        the black of a fresh window nor the black-and-white weave of the bare
        screen that SDL's first, short-lived window shows through."""
        image = self.x.XGetImage(self.d, window, 0, y, width, 1, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return False
        row = image.contents
        pixels = [max(row.data[i:i + 3]) for i in range(0, row.width * 4, 4)]
        self.x.XFree(row.data)
        self.x.XFree(image)
        return sum(1 for p in pixels if DARK < p < BRIGHT) > 0.9 * len(pixels)

    def close(self):
        self.x.XCloseDisplay(ctypes.c_void_p(self.d))


def start_up_ms(game, media):
    """Milliseconds from starting the process to the first frame on screen
    (the title menu lighting the window's middle row)."""
    settings = "screenw=%d\nscreenh=%d\n" % SCREEN
    with driver.Game(game, media, screen=SCREEN, settings=settings) as g:
        started = time.monotonic()
        reader = RowReader(g.display)
        try:
            while g.running():
                windows = [int(w) for w in g.x("xdotool", "search", "--onlyvisible", "--pid", g.proc.pid,
                                                  check=False).split()]
                if windows and reader.menu_shown(windows[-1], SCREEN[1] // 2, SCREEN[0]):
                    return (time.monotonic() - started) * 1000
                time.sleep(0.002)
        finally:
            reader.close()
            g.close()
    raise RuntimeError("the game ended before its first frame")


def peak_memory_mib(game, media):
    """Peak resident memory after a new city and some random play, MiB."""
    settings = "screenw=%d\nscreenh=%d\n" % SCREEN
    with driver.Game(game, media, screen=SCREEN, settings=settings) as g:
        g.wait_window(*SCREEN)
        driver.choose(g, driver.TITLE_ENTRIES, "Start a new game")
        driver.wander(g, random.Random(5), PLAY_SECONDS)
        with open("/proc/%d/status" % g.proc.pid) as f:
            peak = next(int(line.split()[1]) for line in f if line.startswith("VmHWM:"))
        g.close()
    return peak / 1024


def machine():
    """One line about the machine the figures come from."""
    model = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                  if line.startswith("model name")), platform.processor())
    memory = next(int(line.split()[1]) for line in open("/proc/meminfo") if line.startswith("MemTotal"))
    mesa = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", "libgl1-mesa-dri"],
                          capture_output=True, text=True).stdout or "?"
    return "%s, %d cores, %.0f GiB, %s, Mesa %s (llvmpipe), Xvfb" % (
        model, os.cpu_count(), memory / 2 ** 20, platform.platform(), mesa)


FRAME_SIZES = ((1280, 720), (1920, 1080))
SIDE_BY_SIDE_ROUNDS = 3   # turns each build takes at each case


def frame_case(build, name):
    """(median ms, p99 ms, CPU ms) of one frame_bench case run once by one build."""
    out = subprocess.run(XVFB + [os.path.join(build, "bench", "frame_bench"), "--benchmark_filter=^%s$" % name,
                                 "--benchmark_format=json"], cwd=build, capture_output=True, text=True, check=True)
    b = json.loads(out.stdout)["benchmarks"][0]
    return b["median_ms"], b["p99_ms"], b["cpu_ms"]


def side_by_side(build, older):
    """Prints the frames of play of both builds, taken in turns, each case's
    medians over the rounds."""
    floors = ["BM_Floor/w:%d/h:%d/iterations:300/manual_time" % size for size in FRAME_SIZES]
    names = []
    for i, (w, h) in enumerate(FRAME_SIZES):
        names += [floors[i]] + ["BM_Frame/w:%d/h:%d/busiest:%d/iterations:300/manual_time" % (w, h, busy)
                                for busy in (0, 1)]
    runs = {(b, n): [] for b in (build, older) for n in names}
    for _ in range(SIDE_BY_SIDE_ROUNDS):
        for n in names:
            for b in (older, build):
                runs[(b, n)].append(frame_case(b, n))
    mid = {k: [median([r[i] for r in v]) for i in range(3)] for k, v in runs.items()}
    print()
    print("| Frame | Median | 99th percentile | CPU | Floors (median, CPU) | Older: median | 99th percentile | CPU"
          " | Older / new (median, 99th, CPU) |")
    print("|---|---|---|---|---|---|---|---|---|")
    for n in names:
        w = re.search(r"w:(\d+)", n).group(1)
        floor = mid[(build, floors[0 if w == "1280" else 1])]
        new, old = mid[(build, n)], mid[(older, n)]
        print("| %s | %.1f ms | %.1f ms | %.1f ms | %.2f, %.2f | %.1f ms | %.1f ms | %.1f ms | %.2f, %.2f, %.2f |" % (
            n.split("/iterations")[0], new[0], new[1], new[2], new[0] / floor[0], new[2] / floor[2], old[0], old[1],
            old[2], old[0] / new[0], old[1] / new[1], old[2] / new[2]))


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    if len(sys.argv) > 3 and sys.argv[3] == "--frames-only":
        side_by_side(build, os.path.abspath(sys.argv[2]))
        return
    game, media = os.path.join(build, "vellgrave2"), os.path.join(build, "Media")
    print("Machine: " + machine())
    print()
    print("| Figure | Median | 99th percentile |")
    print("|---|---|---|")
    for name, med, p99, unit in bench_rows(build):
        if med is None:
            print("| %s | %s | |" % (name, unit))
        else:
            print("| %s | %.3f %s | %s |" % (name, med, unit, "%.3f %s" % (p99, unit) if p99 is not None else ""))
    starts = [start_up_ms(game, media) for _ in range(STARTS)]
    print("| start-up to the first frame, %dx%d | %.0f ms | |" % (SCREEN + (median(starts),)))
    print("| peak memory after a new city and %d s of play | %.1f MiB | |" % (PLAY_SECONDS,
                                                                          peak_memory_mib(game, media)))
    if len(sys.argv) > 2:
        side_by_side(build, os.path.abspath(sys.argv[2]))


if __name__ == "__main__":
    main()
