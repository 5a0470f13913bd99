"""The long run: the real game, built with AddressSanitizer and UBSan, played
at random for a given time (ten minutes by default) with new games, saves,
loads, pause round trips, screenshots and frame-rate switching along the way,
while its resident memory is sampled. It fails on any sanitizer report or
leak of the game's own, an unclean exit, or memory that keeps growing.

    python3 tests/e2e/soak.py <vellgrave2> <Media> [--seconds N]

Run through tools/soak, which builds build-sanitize first."""

import argparse
import os
import random
import re
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import player  # noqa: E402

WIDTH, HEIGHT = 1024, 768
SAMPLE_EVERY = 5.0         # seconds between memory samples
# The C heap grows over the first rounds and then stops: the screenshot
# encoder's large buffers leave the allocator (and the sanitizer's quarantine)
# holding more each time until its pools cover them. Memory must stay flat
# once that has settled, about the first third of a ten-minute run.
WARM_UP = 0.4              # share of the run before memory must stay flat
GROWTH_ALLOWED_KB = 8192   # growth from the early to the late samples still taken as flat
LEAK_EXIT = 23             # exit code of a run whose only fault is leaks
SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "lsan.supp")


def resident_kb(pid):
    """Resident set size of a process in KiB, from /proc."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def sanitizer_env():
    """Small quarantine so freed blocks do not pose as growth; leaks of SDL and
    the GL driver suppressed; reports go to stderr."""
    return {"ASAN_OPTIONS": "detect_leaks=1:quarantine_size_mb=16:malloc_context_size=20",
            "LSAN_OPTIONS": "suppressions=%s:print_suppressions=0:exitcode=%d"
                            % (os.path.abspath(SUPPRESSIONS), LEAK_EXIT),
            "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1"}


def own_leaks(err):
    """The leak report less the leaks of libraries that were unloaded before
    the check ran (the GL driver is closed with the display): their stacks
    start in an unknown module, which the game's binary never is. Returns
    the rest of stderr, empty when nothing else was reported."""
    blocks = re.split(r"\n(?=(?:Direct|Indirect) leak of )", err)
    kept = [b for b in blocks if not re.match(r"(?:Direct|Indirect) leak of ", b)
            or not re.search(r"\n +#1 0x[0-9a-f]+ +\(<unknown module>\)", b)]
    if len(kept) == 1 and re.fullmatch(r"\s*=+\s*==\d+==ERROR: LeakSanitizer: detected memory leaks\s*", kept[0]):
        return ""
    return "\n".join(kept)


def one_round(game, rng):
    """A round of play: a new game, play, save, play, load, pause for a
    screenshot and the frame-rate switch, play. The first entry of either
    menu leads into play ("Resume" over a game, "Start a new game" on the
    title after a death), so the round starts from both alike."""
    player.open_game_menu(game)
    player.choose(game, player.GAME_MENU_ENTRIES, "Resume")
    player.open_game_menu(game)
    player.choose(game, player.GAME_MENU_ENTRIES, "Start a new game")
    player.wander(game, rng, rng.uniform(10, 25))
    player.open_game_menu(game)
    player.choose(game, player.GAME_MENU_ENTRIES, "Save game")
    player.wander(game, rng, rng.uniform(5, 15))
    player.open_game_menu(game)
    player.choose(game, player.GAME_MENU_ENTRIES, "Load game")
    player.pause_and_click(game, "Save screenshot")
    player.pause_and_click(game, "Frame rate")
    player.wander(game, rng, rng.uniform(5, 15))


class MemorySampler(threading.Thread):
    """Samples the game's resident memory every SAMPLE_EVERY seconds, beside
    the thread that plays, as (seconds since start, KiB) pairs."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid, self.samples, self.stop = pid, [], threading.Event()
        self.start_time = time.monotonic()

    def run(self):
        while not self.stop.wait(SAMPLE_EVERY):
            try:
                kb = resident_kb(self.pid)
            except OSError:
                return
            self.samples.append((time.monotonic() - self.start_time, kb))


def flat(samples, seconds):
    """True when the late samples stay within the allowed growth of the early
    ones, both taken after the warm-up: medians of the first and last thirds."""
    settled = [kb for t, kb in samples if t >= seconds * WARM_UP]
    if len(settled) < 6:
        return True, 0
    third = len(settled) // 3
    early = sorted(settled[:third])[third // 2]
    late = sorted(settled[-third:])[third // 2]
    return late - early <= GROWTH_ALLOWED_KB, late - early


def soak(game_path, media, seconds, seed):
    rng = random.Random(seed)
    with driver.Game(game_path, media, size=(WIDTH, HEIGHT), env=sanitizer_env()) as game:
        game.wait_window(timeout=60)
        sampler = MemorySampler(game.proc.pid)
        sampler.start()
        player.choose(game, player.TITLE_ENTRIES, "Start a new game")
        rounds = 0
        while time.monotonic() - sampler.start_time < seconds and game.running():
            one_round(game, rng)
            rounds += 1
            kb = resident_kb(game.proc.pid) if game.running() else 0
            print("%5.0f s  round %3d  resident %7.1f MiB"
                  % (time.monotonic() - sampler.start_time, rounds, kb / 1024), flush=True)
        sampler.stop.set()
        sampler.join()
        samples = sampler.samples
        shots = player.screenshot_count(game.workdir)
        rc, out, err = game.close(timeout=60)
    steady, growth = flat(samples, seconds)
    print("rounds %d, screenshots %d, exit %s, %d memory samples from %.1f to %.1f MiB, "
          "growth after warm-up %+d KiB" % (rounds, shots, rc, len(samples),
                                              min(kb for _, kb in samples) / 1024 if samples else 0,
                                              max(kb for _, kb in samples) / 1024 if samples else 0, growth))
    problems = []
    rest = own_leaks(err) if rc == LEAK_EXIT else err
    if rc not in (0, LEAK_EXIT) or (rc == LEAK_EXIT and rest):
        problems.append("exit code %r" % rc)
    if out or rest:
        problems.append("output:\n" + out + rest)
    if not steady:
        problems.append("memory grew by %d KiB after the warm-up" % growth)
    return problems


def main():
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
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
