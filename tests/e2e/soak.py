"""The long run (tools/soak): the game built with AddressSanitizer and UBSan,
played at random for a given time with new games, saves, loads, screenshots
and frame-rate switching, its resident memory sampled after every round. It
fails on any sanitizer report or leak of the game's own, an unclean exit, or
memory that keeps growing once the allocator's pools have settled.

    python3 tests/e2e/soak.py <vellgrave2> <Media> [--seconds N] [--seed N]"""

import argparse
import os
import random
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
from driver import GAME_MENU_ENTRIES, choose, open_game_menu, pause_and_click, wander  # noqa: E402

WARM_UP = 0.4              # share of the run before memory must stay flat (screenshot buffers settle)
GROWTH_ALLOWED_KB = 8192   # growth from the early to the late samples still taken as flat
LEAK_EXIT = 23             # exit code of a run whose only fault is leaks
SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "lsan.supp")
SANITIZERS = {"ASAN_OPTIONS": "detect_leaks=1:quarantine_size_mb=16:malloc_context_size=20",
              "LSAN_OPTIONS": "suppressions=%s:print_suppressions=0:exitcode=%d" % (os.path.abspath(SUPPRESSIONS),
                                                                                 LEAK_EXIT),
              "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1"}


def resident_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        return next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))


def own_leaks(err):
    """stderr less the leaks of libraries unloaded before the check (the GL
    driver goes with the display), whose stacks start in an unknown module;
    empty when nothing else was reported."""
    blocks = re.split(r"\n(?=(?:Direct|Indirect) leak of )", err)
    kept = [b for b in blocks if not re.match(r"(?:Direct|Indirect) leak of ", b)
            or not re.search(r"\n +#1 0x[0-9a-f]+ +\(<unknown module>\)", b)]
    if len(kept) == 1 and re.fullmatch(r"\s*=+\s*==\d+==ERROR: LeakSanitizer: detected memory leaks\s*", kept[0]):
        return ""
    return "\n".join(kept)


def one_round(game, rng):
    """Resume, a new game, play, save, play, load, a screenshot and the
    frame-rate switch, play. The first entry of either menu leads into play,
    so a round starts alike over a game and on the title after a death."""
    for entry, seconds in (("Resume", 0), ("Start a new game", rng.uniform(10, 25)),
                           ("Save game", rng.uniform(5, 15)), ("Load game", 0)):
        open_game_menu(game)
        choose(game, GAME_MENU_ENTRIES, entry)
        wander(game, rng, seconds)
    pause_and_click(game, "Save screenshot")
    pause_and_click(game, "Frame rate")
    wander(game, rng, rng.uniform(5, 15))


def soak(game_path, media, seconds, seed):
    """Plays rounds for `seconds`; returns the problems found."""
    rng, samples = random.Random(seed), []
    with driver.Game(game_path, media, size=(1024, 768), env=SANITIZERS) as game:
        game.wait_window(timeout=60)
        start = time.monotonic()
        while time.monotonic() - start < seconds and game.running():
            one_round(game, rng)
            samples.append((time.monotonic() - start, resident_kb(game.proc.pid) if game.running() else 0))
            print("%5.0f s  round %3d  resident %7.1f MiB" % (samples[-1][0], len(samples), samples[-1][1] / 1024),
                  flush=True)
        rc, out, err = game.close(timeout=60)
    settled = [kb for t, kb in samples if t >= seconds * WARM_UP]
    third = max(1, len(settled) // 3)
    growth = sorted(settled[-third:])[third // 2] - sorted(settled[:third])[third // 2] if len(settled) >= 3 else 0
    print("rounds %d, exit %s, growth after warm-up %+d KiB" % (len(samples), rc, growth))
    rest = own_leaks(err) if rc == LEAK_EXIT else err
    problems = ["exit code %r" % rc] if rc not in (0, LEAK_EXIT) or (rc == LEAK_EXIT and rest) else []
    problems += ["output:\n" + out + rest] if out or rest else []
    return problems + (["memory grew by %d KiB after the warm-up" % growth] if growth > GROWTH_ALLOWED_KB else [])


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("game")
    parser.add_argument("media")
    parser.add_argument("--seconds", type=float, default=600)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    problems = soak(os.path.abspath(args.game), os.path.abspath(args.media), args.seconds, args.seed)
    for p in problems:
        print("SOAK FAILED: " + p)
    print("soak: %s" % ("failed" if problems else "passed"))
    sys.exit(1 if problems else 0)
