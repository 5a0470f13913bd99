"""A player's runs: two games that end in a death, each bringing back the
title with the run's panel under the entries; "Best runs" opened by the keys
lists the two kept runs in the order runs/index.dat keeps them; a recording
damaged on disk is listed as such and removed by the mouse, file and all; a
good run offers "Watch"; Escape goes back to the title; the window closes
quietly. Facts come from runs/, the recordings and the replay program; the
pictures only show what is on screen at each step."""

import os
import pathlib
import struct
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
from driver import read_rgb, rows  # noqa: E402

GAME, MEDIA, SHOTS, REPLAY = None, None, None, None
W, H = 800, 600
ENTRIES_END = driver.menu_entry_y(len(driver.TITLE_ENTRIES), H) - 12   # rows above hold only the entries
INDEX_MAGIC = b"VG2RUNS\x1a"
ENTRY_BYTES = 32


def run_item_y(item):
    """The middle of an item of the "Best runs" screen: 30-unit bands from -250."""
    return int((-250 + 30 * item + 15 + 400) * H / 800)


def read_index(path):
    """The best runs runs/index.dat lists: (number, score, steps) each, best first."""
    data = pathlib.Path(path).read_bytes()
    assert data[:8] == INDEX_MAGIC
    count = struct.unpack_from("<I", data, 16)[0]
    return [(struct.unpack_from("<I", data, 24 + i * ENTRY_BYTES)[0],
             struct.unpack_from("<i", data, 28 + i * ENTRY_BYTES)[0],
             struct.unpack_from("<I", data, 48 + i * ENTRY_BYTES)[0]) for i in range(count)]


def lit(picture, top, bottom):
    """Pixels of white text in the left half of a band of rows."""
    return driver.count(rows(picture, top, bottom, 0, picture[0] // 2), lambda p: min(p) > 180)


class Runs(unittest.TestCase):
    def test_two_deaths_are_listed_best_first_a_damaged_run_is_removed_and_a_good_one_offers_watch(self):
        with driver.Game(GAME, MEDIA, size=(W, H), faketime=driver.NEW_YEAR) as g:
            self.g = g
            g.wait_window()
            g.move(W // 2, driver.menu_entry_y(0, H))
            title = self.shot("title")
            self.assertEqual(driver.entries_shown(title), len(driver.TITLE_ENTRIES))
            self.die(title, "first")
            self.die(title, "second")
            if driver.FAULT is not None:
                self.assertEqual(g.files(), driver.written_files())
                driver.assert_quiet_exit(self, g.close())
                return
            kept = self.best_runs_in_order()
            self.damaged_run_removed(kept)
            self.good_run_offers_watch()
            driver.assert_quiet_exit(self, g.close())

    def shot(self, name):
        return self.g.settled(os.path.join(SHOTS, name + ".png"))

    def die(self, title, name):
        """A new game, left to the crowd: the title comes back with its entries as they
        were and the run's panel under them; the run's recording replays."""
        g = self.g
        driver.choose(g, driver.TITLE_ENTRIES, "Start a new game")
        g.move(W // 2, H // 4)
        g.xdotool("mousedown", 1)   # firing all the while, so the runs score as they may
        driver.wait_for(lambda: "lastgame.rec" in g.files() and not os.path.exists(g.path("lastgame.rec.tmp")),
                        None, 0.2)
        g.xdotool("mouseup", 1)
        g.move(W // 2, driver.menu_entry_y(0, H))
        ended = read_rgb(self.shot("ended-" + name))
        self.assertEqual(rows(ended, 0, ENTRIES_END), rows(read_rgb(title), 0, ENTRIES_END), "the entries moved")
        self.assertGreater(lit(ended, ENTRIES_END + 20, H), 2000, "no panel under the entries")
        if driver.FAULT is None:
            r = subprocess.run([REPLAY, "--check", g.path("lastgame.rec")], capture_output=True, text=True)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)

    def best_runs_in_order(self):
        """Down three times and Return open "Best runs": two runs, best first as the
        index has them (equal scores, the older first), then "Back"."""
        g = self.g
        kept = read_index(g.path("runs/index.dat"))
        self.assertEqual(len(kept), 2)
        self.assertTrue(kept[0][1] > kept[1][1] or (kept[0][1] == kept[1][1] and kept[0][0] < kept[1][0]), kept)
        g.keys("Down", "Down", "Down", "Return")
        listed = read_rgb(g.picture_when(lambda now: lit(read_rgb(now), 0, run_item_y(-3)) > 100,
                                         os.path.join(SHOTS, "best-runs.png")))
        for item in (0, 1, 2):
            self.assertGreater(lit(listed, run_item_y(item) - 8, run_item_y(item) + 8), 30, "item %d" % item)
        self.assertEqual(lit(listed, run_item_y(3) - 8, run_item_y(3) + 8), 0, "more than two runs and Back")
        for number, score, steps in kept:
            r = subprocess.run([REPLAY, "--check", g.path("runs/run-%06d.rec" % number)], capture_output=True,
                               text=True)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
            self.assertIn("%d steps, score %d," % (steps, score), r.stdout)
        g.keys("Escape")
        self.assertEqual(driver.entries_shown(self.shot("back-to-title")), len(driver.TITLE_ENTRIES))
        return kept

    def damaged_run_removed(self, kept):
        """The second run's recording, cut short on disk, is listed as damaged: chosen,
        it offers "Remove", which takes it and its file away."""
        g = self.g
        damaged = g.path("runs/run-%06d.rec" % kept[1][0])
        with open(damaged, "r+b") as f:
            f.truncate(os.path.getsize(damaged) // 2)
        before = read_rgb(os.path.join(SHOTS, "best-runs.png"))
        driver.choose(g, driver.TITLE_ENTRIES, "Best runs")
        listed = read_rgb(self.shot("best-runs-damaged"))
        band = (run_item_y(1) - 10, run_item_y(1) + 10)
        self.assertEqual(rows(listed, run_item_y(0) - 10, run_item_y(0) + 10),
                         rows(before, run_item_y(0) - 10, run_item_y(0) + 10), "the good run changed")
        self.assertNotEqual(rows(listed, *band), rows(before, *band), "the damaged run shows as before")
        g.click(1, W // 2, run_item_y(1))
        self.shot("damaged-chosen")
        g.click(1, W // 2, run_item_y(2))   # "Remove", where "Back" stood
        self.assertTrue(driver.wait_for(lambda: not os.path.exists(damaged)), "the damaged recording stayed")
        self.assertEqual(read_index(g.path("runs/index.dat")), kept[:1])
        self.assertEqual(sorted(os.listdir(g.path("runs"))), ["index.dat", "run-%06d.rec" % kept[0][0]])

    def good_run_offers_watch(self):
        """The good run, chosen by the keys, offers "Watch" under the list."""
        g = self.g
        g.move(W // 2, H - 10)
        g.keys("Down", "Return")
        offered = read_rgb(self.shot("watch-offered"))
        self.assertGreater(lit(offered, run_item_y(1) - 10, run_item_y(1) + 10), 30, "no Watch")
        self.assertGreater(lit(offered, run_item_y(2) - 10, run_item_y(2) + 10), 30, "no Back")
        g.keys("Escape")
        self.assertEqual(driver.entries_shown(self.shot("title-again")), len(driver.TITLE_ENTRIES))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    REPLAY = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
    SHOTS = driver.shots_dir("e2e-runs")
    unittest.main()
