"""A player's runs: two games that end in a death, each bringing back the
title with the run's panel under the entries and "Watch last game" after
them; "Best runs" opened by the keys lists the two kept runs in the order
runs/index.dat keeps them; a recording damaged on disk is listed as such and
removed by the mouse, file and all; the good run is watched, sought forwards
and back, left by Escape for the list (no pause overlay), watched again,
paused, and played on from there; the window closes quietly and the new
game's recording replays. Facts come from runs/, the recordings and the
replay program; the pictures only show what is on screen at each step."""

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
TITLE = driver.TITLE_ENTRIES
AFTER_A_GAME = TITLE + ("Watch last game",)   # the title once a game ended
ENTRIES_END = driver.menu_entry_y(len(TITLE), H) - 12   # rows above hold the title's entries alone
INDEX_MAGIC = b"VG2RUNS\x1a"
ENTRY_BYTES = 32
SEEK = 10   # seconds an arrow seeks while watching


def run_item_y(item):
    """The middle of an item of the "Best runs" screen: 30-unit bands from -250."""
    return int((-250 + 30 * item + 15 + 400) * H / 800)


def read_index(path):
    """The best runs runs/index.dat lists: (number, score, steps, seconds) each, best first."""
    data = pathlib.Path(path).read_bytes()
    assert data[:8] == INDEX_MAGIC
    count = struct.unpack_from("<I", data, 16)[0]
    return [(struct.unpack_from("<I", data, 24 + i * ENTRY_BYTES)[0],
             struct.unpack_from("<i", data, 28 + i * ENTRY_BYTES)[0],
             struct.unpack_from("<I", data, 48 + i * ENTRY_BYTES)[0],
             struct.unpack_from("<f", data, 32 + i * ENTRY_BYTES)[0]) for i in range(count)]


def progress(png):
    """How far the watching bar's track is filled: its red pixels along the bottom."""
    return driver.count(rows(read_rgb(png), H - 30, H - 20), lambda p: p[0] > 150 and p[1] < 80)


def lit(picture, top, bottom):
    """Pixels of white text in the left half of a band of rows."""
    return driver.count(rows(picture, top, bottom, 0, picture[0] // 2), lambda p: min(p) > 180)


class Runs(unittest.TestCase):
    def test_two_deaths_are_listed_best_first_a_damaged_one_is_removed_and_a_good_one_watched_and_played_on(self):
        with driver.Game(GAME, MEDIA, size=(W, H), faketime=driver.NEW_YEAR) as g:
            self.g = g
            g.wait_window()
            g.move(W // 2, driver.menu_entry_y(0, H))
            title = self.shot("title")
            self.assertEqual(driver.entries_shown(title), len(TITLE))
            self.die(title, "first", firing=True)
            self.die(title, "second", firing=False)
            if driver.FAULT is not None:
                self.assertEqual(g.files(), driver.written_files())
                driver.assert_quiet_exit(self, g.close())
                return
            kept = self.best_runs_in_order()
            self.damaged_run_removed(kept)
            self.watch_seek_and_play_from_here(kept[0][::3])
            driver.assert_quiet_exit(self, g.close())
            recording = g.path("lastgame.rec")
            r = subprocess.run([REPLAY, "--check", recording], capture_output=True, text=True)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
            info = subprocess.run([REPLAY, "--info", recording], capture_output=True, text=True).stdout
            self.assertIn("start: a loaded game", info)
            self.assertIn("seed %s," % self.watched_seed, info, "not a moment of the run watched")

    def press_for(self, condition, name, key):
        """Presses a key to the stopped game and lets it run until the picture meets
        condition(path); returns the picture's path."""
        try:
            return self.g.picture_when(condition, os.path.join(SHOTS, name + ".png"), "keydown", key)
        finally:
            self.g.xdotool("keyup", key)

    def shot(self, name):
        return self.g.settled(os.path.join(SHOTS, name + ".png"))

    def die(self, title, name, firing):
        """A new game, left to the crowd (firing all the while, or not at all for a
        quick end): the title comes back with its entries as they were, "Watch last
        game" after them, and the run's panel under those; the run's recording replays."""
        g = self.g
        after = TITLE if driver.FAULT else AFTER_A_GAME   # a game that cannot be recorded leaves none to watch
        first_entry = (W // 2, driver.menu_entry_y(0, H))
        g.move(*first_entry)
        g.first_picture_after(title, os.path.join(SHOTS, "playing-%s.png" % name), "mousedown", 1)
        g.xdotool("mouseup", 1)
        g.move(W // 2, H // 4)
        if firing:
            g.xdotool("mousedown", 1)

        def over():
            g.move(*first_entry)
            now = read_rgb(g.shot(os.path.join(SHOTS, "ending-%s.png" % name)))
            return rows(now, 0, ENTRIES_END) == rows(read_rgb(title), 0, ENTRIES_END)
        driver.wait_for(over, None, 0.3)
        g.xdotool("mouseup", 1)
        ended_png = self.shot("ended-" + name)
        self.assertEqual(driver.entries_shown(ended_png), len(after))
        self.assertGreater(lit(read_rgb(ended_png), driver.menu_entry_y(len(after), H), H), 2000,
                           "no panel under the entries")
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
        for number, score, steps, _ in kept:
            r = subprocess.run([REPLAY, "--check", g.path("runs/run-%06d.rec" % number)], capture_output=True,
                               text=True)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
            self.assertIn("%d steps, score %d," % (steps, score), r.stdout)
        g.keys("Escape")
        self.assertEqual(driver.entries_shown(self.shot("back-to-title")), len(AFTER_A_GAME))
        self.assertFalse(driver.red_rows(read_rgb(os.path.join(SHOTS, "back-to-title.png"))), "paused as well")
        return kept

    def damaged_run_removed(self, kept):
        """The second run's recording, cut short on disk, is listed as damaged: chosen,
        it offers "Remove", which takes it and its file away."""
        g = self.g
        damaged = g.path("runs/run-%06d.rec" % kept[1][0])
        with open(damaged, "r+b") as f:
            f.truncate(os.path.getsize(damaged) // 2)
        before = read_rgb(os.path.join(SHOTS, "best-runs.png"))
        driver.choose(g, AFTER_A_GAME, "Best runs")
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

    def watch_seek_and_play_from_here(self, kept):
        """The good run, chosen by the keys, offers "Watch": its city shows. Paused at
        once (Space), the right arrow seeks ten seconds on and the left one back to the
        start, as the bar's track shows; Escape returns to the list, not to the pause
        overlay.
        Watched again, P plays on from the moment shown as a game of the player's own."""
        g = self.g
        number, seconds = kept   # the run's number and its seconds of play
        info = subprocess.run([REPLAY, "--info", g.path("runs/run-%06d.rec" % number)], capture_output=True,
                              text=True).stdout
        self.watched_seed = info.split("(seed ")[1].split(",")[0]
        g.move(W // 2, 10)
        g.keys("Down", "Return")
        offered_png = self.shot("watch-offered")
        offered = read_rgb(offered_png)
        self.assertGreater(lit(offered, run_item_y(1) - 10, run_item_y(1) + 10), 30, "no Watch")
        self.press_for(lambda now: driver.differing_pixels(offered_png, now) > W * H // 2, "watching", "Return")
        g.keys("space")
        paused = self.shot("paused")
        g.let_run(0.3)
        self.assertEqual(driver.differing_pixels(paused, self.shot("still-paused")), 0, "it went on playing")
        start = progress(paused)
        far = progress(self.press_for(lambda now: progress(now) > start + 20, "sought-on", "Right"))
        back = progress(self.press_for(lambda now: progress(now) < far - 20, "sought-back", "Left"))
        if seconds > SEEK + 1:   # it went ten seconds on, not to the end: back to the start
            self.assertLessEqual(back, start + 20)
        g.keys("Escape")
        listed = read_rgb(self.shot("back-to-list"))
        self.assertFalse(driver.red_rows(listed), "Escape paused as well")
        self.assertEqual(rows(listed, 0, run_item_y(0) + 10), rows(offered, 0, run_item_y(0) + 10), "not the list")
        self.press_for(lambda now: driver.differing_pixels(offered_png, now) > W * H // 2, "watching-again", "Return")
        g.keys("p")
        self.assertTrue(driver.wait_for(lambda: os.path.exists(g.path("lastgame.rec.tmp"))), "no game began")
        g.shot(os.path.join(SHOTS, "played-from-here.png"))

if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    REPLAY = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
    SHOTS = driver.shots_dir("e2e-runs")
    unittest.main()
