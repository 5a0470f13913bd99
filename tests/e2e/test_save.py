"""A player's saved game. First run: "Load game" with no save keeps the title;
in a new game an explosive opens a wall; the game is saved from the menu;
the pause overlay freezes play, "Save screenshot" writes the frozen frame,
the frame-rate line goes on and off, and "Exit" ends the game. A later run on
another clock: a damaged "save.dat" keeps the title and the file as they
were; the sound one brings back the same streets under the HUD's dark
corners; each game's recording tells how it began: the load from that very
save, the new game after it from another seed. The save loaded again is
recorded, and that recording replays, plays back in a window and writes
nothing. Broken or missing recordings get one line and exit 2."""

import os
import pathlib
import re
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
from driver import differing_pixels, near, read_rgb, rgb_at, rows  # noqa: E402

GAME, MEDIA, SHOTS, REPLAY = None, None, None, None
W, H = 800, 600
SPRING = "2026-03-14 12:00:00"
LAYER = 256 * 257               # one text layer of a save: 256 rows of 256 cells and a line feed
BARS = driver.PAUSE_BAR_ROWS
BUTTON_Y = [driver.pause_button_y(i, H) for i in range(4)]


def shot(name):
    return os.path.join(SHOTS, name + ".png")


def wall_columns(png, x0=130, x1=320, y0=H // 2 - 60, y1=H // 2 + 60):
    """Wall-coloured pixels (the fill is flat) in each column of a box."""
    picture = read_rgb(png)
    return [sum(1 for y in range(y0, y1) if near(rgb_at(picture, x, y), (107, 74, 61), 3)) for x in range(x0, x1)]


def replay(*args):
    """Runs the replay program in the pictures' folder; (exit code, stdout, stderr)."""
    r = subprocess.run([REPLAY, *args], capture_output=True, text=True, cwd=SHOTS)
    return r.returncode, r.stdout, r.stderr


def start_of(recording):
    """How a recorded game began, from its header: "start: ..." as --info prints it."""
    return re.search(r"^start: .*$", replay("--info", recording)[1], re.M).group(0)


def next_recording(g, begins):
    """Waits until the game has finished a recording whose start begins so (the
    game writes "lastgame.rec" whole, so it is read whole); returns that start."""
    path = g.path("lastgame.rec")
    driver.wait_for(lambda: os.path.exists(path) and start_of(path).startswith(begins), None)
    return start_of(path)


class SavedGame(unittest.TestCase):
    def test_a_saved_game_comes_back_in_a_later_run_and_a_damaged_one_is_refused(self):
        with driver.Game(GAME, MEDIA, size=(W, H), faketime=driver.NEW_YEAR) as g:
            self.g = g
            g.wait_window()
            self.load_keeps_the_title("no-save")
            driver.choose(g, driver.TITLE_ENTRIES, "Start a new game")
            g.play_zoom_picture(shot("zoomed-out"))
            self.throw()
            self.save()
            self.pause_over_play()
            driver.open_pause(g)
            g.click(1, W // 2, BUTTON_Y[1])
            driver.assert_quiet_exit(self, g.wait_exit())
            self.assertEqual(g.files(), driver.written_files("save.dat", "screenshot1.png", "lastgame.rec"))
            if driver.FAULT:
                return
            saved = pathlib.Path(g.path("save.dat")).read_bytes()
            seed = re.search(r"^start: a new city \(seed (\d+),", start_of(g.path("lastgame.rec"))).group(1)
        with driver.Game(GAME, MEDIA, size=(W, H), faketime=SPRING) as g:
            self.g = g
            g.wait_window()
            save, damaged = pathlib.Path(g.path("save.dat")), saved[:LAYER] + b"\x7f" + saved[LAYER + 1:]
            save.write_bytes(damaged)   # a rotation of 95 quarter turns
            title = self.load_keeps_the_title("damaged")
            self.assertEqual(save.read_bytes(), damaged)
            save.write_bytes(saved)
            again = g.first_picture_after(title, shot("loaded"), "mousedown", 1)
            g.xdotool("mouseup", 1)
            self.assertEqual(save.read_bytes(), saved)
            picture = read_rgb(again)
            for x, y in ((0, 0), (W - 8, 0), (0, H - 8), (W - 8, H - 8)):   # the vignette darkens the corners
                self.assertLess(max(max(rgb_at(picture, x + i, y + j)) for i in range(8) for j in range(8)), 42, (x, y))
            driver.open_game_menu(g, shot("spring-menu"))
            driver.choose(g, driver.GAME_MENU_ENTRIES, "Start a new game")   # which ends the loaded game's recording
            loaded = next_recording(g, "start: a loaded game")
            self.assertIn("(%d bytes of save," % len(saved), loaded)
            driver.open_game_menu(g, shot("spring-menu-again"))
            driver.choose(g, driver.GAME_MENU_ENTRIES, "Load game")
            other = next_recording(g, "start: a new city")
            self.assertNotIn("(seed %s," % seed, other, "the same city")
            driver.assert_quiet_exit(self, g.close())
            self.assertEqual(g.files(), {"Media", "settings.ini", "save.dat", "lastgame.rec"})
            recording = shutil.copy(g.path("lastgame.rec"), os.path.join(SHOTS, "loaded.rec"))
        self.assertIn("start: a loaded game", replay("--info", recording)[1])
        self.assertEqual(replay("--check", recording)[0], 0)
        launcher = pathlib.Path(SHOTS, "play-back")
        launcher.write_text('#!/bin/sh\nexec "%s" "%s"\n' % (REPLAY, recording))
        launcher.chmod(0o755)
        with driver.Game(str(launcher), MEDIA, screen=(W, H)) as w:
            w.wait_window(W, H)
            w.picture_when(lambda png: driver.distinct_colours(read_rgb(png)[2]) > 50,
                           shot("playback"))   # the city, not a black window
            w.keys("Escape")
            self.assertEqual(w.wait_exit()[0], 0)
            self.assertEqual(w.files(), {"Media"})
        cut = pathlib.Path(SHOTS, "cut.rec")
        cut.write_bytes(pathlib.Path(recording).read_bytes()[:500])
        for args in (("--check", str(cut)), ("--check", str(cut) + ".none"), ()):
            rc, out, err = replay(*args)
            self.assertEqual(rc, 2, args)
            self.assertEqual(out, "")
            self.assertEqual(err.count("\n"), 1, err)

    def load_keeps_the_title(self, name):
        """"Load game" changes nothing on the title; returns its picture."""
        g = self.g
        g.move(W // 2, driver.menu_entry_y(1, H))
        g.picture_when(lambda now: driver.entries_shown(now) == len(driver.TITLE_ENTRIES), shot(name + "-title"))   # not a blank first frame
        title = g.settled(shot(name + "-title"))
        g.click(1)
        self.assertEqual(differing_pixels(title, g.settled(shot(name + "-after"))), 0, name)
        return title

    def throw(self):
        """An explosive thrown at the building on the left opens its wall."""
        g = self.g
        g.move(114, H // 2)
        was = wall_columns(g.settled(shot("throw-before"), moving=True))
        solid = [x for x in range(len(was)) if was[x] == max(was)]
        wall = solid[len(solid) // 2]       # the middle of the columns that are wall top to bottom
        self.assertGreater(was[wall], 100, "no wall across the throw")
        g.click(3)
        g.picture_when(lambda now: wall_columns(now)[wall] < was[wall] // 2, shot("throw-after"), tries=100, run=0.1)

    def save(self):
        """"Save game" from the menu over the game."""
        g = self.g
        driver.open_game_menu(g, shot("game-menu"))
        driver.choose(g, driver.GAME_MENU_ENTRIES, "Save game")
        self.assertEqual(driver.wait_for(lambda: "save.dat" in g.files(), 2 if driver.FAULT else None),
                         not driver.FAULT)

    def pause_over_play(self):
        """The game stands still under the overlay; the screenshot is the
        frozen frame without it; the frame-rate button works both ways."""
        g = self.g
        driver.open_pause(g)
        g.move(W // 2, H - 100)
        first = g.picture()
        time.sleep(0.5)
        paused = read_rgb(g.shot(shot("game-paused")))
        self.assertEqual(rows(first, BARS, H - BARS), rows(paused, BARS, H - BARS), "the game moved while paused")
        g.click(1, W // 2, BUTTON_Y[2])
        saved, sizes = g.path("screenshot1.png"), [-1]
        landed = driver.wait_for(lambda: sizes.append(os.path.getsize(saved) if os.path.exists(saved) else -1)
                                 or sizes[-1] == sizes[-2] > 0, 2 if driver.FAULT else 10)
        self.assertEqual(landed, not driver.FAULT)
        if landed:
            picture = read_rgb(shutil.copy(saved, shot("saved-frame")))
            self.assertEqual(rows(picture, BARS, H - BARS, 0, 200), rows(paused, BARS, H - BARS, 0, 200))
            self.assertNotEqual(rows(picture, 0, BARS), rows(paused, 0, BARS), "the bars are in the screenshot")
        g.click(1, W // 2, BUTTON_Y[3])
        g.click(1, W // 2, BUTTON_Y[0])
        self.assertTrue(driver.frame_rate_shown(driver.pause_closed(g)), "no frame-rate line in play")
        g.shot(shot("frame-rate"))
        driver.open_pause(g)
        g.click(1, W // 2, BUTTON_Y[3])
        g.keys("Escape")
        self.assertFalse(driver.frame_rate_shown(driver.pause_closed(g)), "the frame-rate line stayed")


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    REPLAY = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
    SHOTS = driver.shots_dir("e2e-save")
    unittest.main()
