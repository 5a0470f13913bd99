"""A player's options, in one journey over two runs. The first opens them from
the title with the keys alone, rebinds walking left to j by pressing it, turns
the volume down to 20 and hears the click at the new level through SDL's disk
audio driver, and makes the window bigger; then walks left with j, which the
game's recording shows. The second run starts from the file the first left:
the window comes back big, j still walks, the player's comments are still in
settings.ini, and the options opened from the pause overlay over a game come
back to the same frozen picture."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
from test_pad import FULL, recorded_steps  # noqa: E402

GAME, MEDIA = None, None
SCREEN = (1280, 800)            # the desktop: both window sizes fit it
SMALL, BIG = (800, 600), (1024, 768)
PLAYERS_FILE = "# my own notes\nscreenw = 800\nscreenh=600\n\n; the launcher's template\n#volume=100\n"
CHANGED = 2000                  # pixels that differ between two pages of the options


def settings_text(g):
    with open(g.path("settings.ini")) as f:
        return f.read()


class Options(unittest.TestCase):
    def setUp(self):
        self.folder = driver.shots_dir("e2e-options")
        self.scratch = tempfile.mkdtemp(prefix="vg-options-")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.audio = driver.DiskAudio(os.path.join(self.scratch, "out.raw"))

    def shot(self, name):
        return os.path.join(self.folder, name + ".png")

    def game(self, settings):
        return driver.Game(GAME, MEDIA, screen=SCREEN, settings=settings, faketime=driver.NEW_YEAR,
                           env=self.audio.env())

    def peak_of_press(self, g, key):
        """The loudest sample heard in the 0.4 s from a press of `key`."""
        start = self.audio.written() // 4 * 4
        g.keys(key)
        return self.audio.peak(start, self.audio.wait(0.4))

    def options_shown(self, g, before, name):
        """Waits for a settled picture that is no longer `before` (another page: other words)."""
        g.picture_when(lambda now: driver.differing_pixels(before, now) > CHANGED, self.shot(name))
        return g.settled(self.shot(name))

    def walk_left_with_j(self, g, name):
        """A new game from the title, j held for a second; the picture of play."""
        w, h = g.window_size()
        g.picture_when(lambda now: driver.entries_shown(now) == len(driver.TITLE_ENTRIES), self.shot(name + "-title"))
        driver.choose(g, driver.TITLE_ENTRIES, "Start a new game")
        g.move(w // 2, h // 2)
        low, high = (n * h // 600 for n in driver.PLAY_CROSSHAIR)   # the aim mark grows with the window
        spans = []
        g.picture_when(lambda now: spans.append(driver.crosshair_span(now, w // 2, h // 2)) or len(spans) > 1 and
                       spans[-1] == spans[-2] and low <= spans[-1] <= high, self.shot(name + "-playing"), run=0.1)
        g.press("key", "j", hold=1.0)

    def walked_left(self, g):
        """The closed game's recording replays, and j walked the player left in it (where
        the player went depends on the city's walls; what the step read does not)."""
        driver.assert_quiet_exit(self, g.close())
        recording = g.path("lastgame.rec")
        steps = recorded_steps(recording)[0]
        replay = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
        r = subprocess.run([replay, "--check", recording], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertTrue(any(s[1] == -FULL for s in steps), "j did not walk left")
        self.assertFalse(any(s[1] > 0 for s in steps), "something walked right")

    def test_options_from_the_title_rebind_sound_and_window_stay_after_a_restart_and_the_pause_comes_back(self):
        if driver.FAULT is not None:
            self.skipTest("the options' writes are what this journey reads back")
        with self.game(PLAYERS_FILE) as g:
            g.wait_window(*SMALL)
            self.assertEqual(g.window_size(), SMALL)
            title = g.settled(self.shot("title"))
            driver.choose(g, driver.TITLE_ENTRIES, "Options")
            self.options_shown(g, title, "options")
            # Keys: the list's second row, then walking left, which waits for a key.
            g.keys("Down", "Return", "Down", "Down", "Return", "j")
            keys = g.settled(self.shot("keys-j"))
            g.keys("Escape")
            self.assertTrue(driver.wait_for(lambda: "keyleft=j" in settings_text(g)),
                            "leaving the page did not write the key")
            # Sound: the click sounds at each new level; at 20 it is much softer than at 95.
            g.keys("Up", "Return")
            self.options_shown(g, keys, "sound")
            self.audio.wait(0.5)
            loud = self.peak_of_press(g, "Left")
            for _ in range(14):
                g.keys("Left")
            self.audio.wait(0.5)
            soft = self.peak_of_press(g, "Left")
            sound = g.settled(self.shot("sound-20"))
            self.assertGreater(loud, driver.HEARD, "the click at 95 was not heard")
            self.assertGreater(soft, 0, "the click at 20 was not heard at all")
            self.assertLess(soft, loud * 0.4, "20 is not clearly softer than 95")
            g.keys("Escape")
            self.assertTrue(driver.wait_for(lambda: "volume=20" in settings_text(g)))
            # Display: the next window size is bigger; the window changes and is drawn.
            g.keys("Down", "Down", "Return")
            self.options_shown(g, sound, "display")
            g.keys("Right")
            g.wait_window(*BIG)
            big = g.settled(self.shot("display-big"))
            picture = driver.read_rgb(big)
            self.assertEqual(picture[:2], BIG)
            self.assertGreater(driver.distinct_colours(picture[2]), 8, "the new window is blank")
            self.assertLess(driver.count(picture[2], lambda p: min(p) > 240), BIG[0] * BIG[1] // 4, "mostly white")
            g.keys("Escape", "Escape")
            self.walk_left_with_j(g, "first")
            self.walked_left(g)
            kept = settings_text(g)
        comments = [line for line in kept.splitlines() if not line or line[0] in "#;"]
        self.assertEqual(comments, [line for line in PLAYERS_FILE.splitlines() if not line or line[0] in "#;"])
        self.assertEqual(kept.splitlines()[0], "# my own notes")
        for line in ("keyleft=j", "volume=20", "screenw=1024", "screenh=768"):
            self.assertIn(line, [given.replace(" ", "") for given in kept.splitlines()])

        with self.game(kept) as g:
            g.wait_window(*BIG)
            self.walk_left_with_j(g, "second")
            self.pause_options_and_back(g)
            self.walked_left(g)
            self.assertEqual(settings_text(g), kept, "nothing changed, nothing written")

    def pause_options_and_back(self, g):
        """The pause overlay over the game, its fifth button, the options, Escape: the
        overlay is back over the same frozen picture (the clock on its top bar aside)."""
        w, h = g.window_size()
        driver.open_pause(g)
        button = (w // 2, driver.pause_button_y(driver.PAUSE_BUTTONS.index("Options"), h))
        g.move(*button)
        paused = below_bar_settled(g, self.shot("paused"))
        g.click(1, *button)
        self.options_shown(g, self.shot("paused"), "options-over-pause")
        g.keys("Escape")
        g.picture_when(lambda now: 55 in driver.red_rows(driver.read_rgb(now)), self.shot("paused-again"))
        self.assertEqual(below_bar_settled(g, self.shot("paused-again")), paused, "the frozen picture changed")
        g.keys("Escape")
        driver.pause_closed(g)


def below_bar_settled(g, path):
    """The window below the pause overlay's top bar (whose clock ticks) once two
    pictures in a row agree there, as RGB bytes."""
    seen = []

    def same_twice(now):
        picture = driver.read_rgb(now)
        seen.append(driver.rows(picture, driver.PAUSE_BAR_ROWS, picture[1]))
        return len(seen) > 1 and seen[-1] == seen[-2]
    g.picture_when(same_twice, path, tries=50, run=0.1)
    return seen[-1]


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
