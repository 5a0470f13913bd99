"""What a player hears, through SDL's disk audio driver, which writes the mixed
output (16-bit stereo at 44.1 kHz, no header) to a file: the untouched title
is silent and ticks when the pointer moves onto an entry, shots are heard, the
pause overlay silences them and closing it lets them be heard again, volume=20
is clearly softer. (The pad's journey plays muted, the broken pictures'
with no audio driver forced: both must exit 0 and print nothing.)"""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None
WIDTH, HEIGHT = 640, 480


class Sound(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="vg-sound-")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.audio = driver.DiskAudio(os.path.join(self.scratch, "out.raw"))

    def game(self, settings=""):
        """A new game at a fixed clock whose sound goes to a fresh raw file."""
        if os.path.exists(self.audio.path):
            os.remove(self.audio.path)
        g = driver.Game(GAME, MEDIA, settings="screenw=%d\nscreenh=%d\n%s" % (WIDTH, HEIGHT, settings),
                        faketime=driver.NEW_YEAR, env=self.audio.env())
        g.size = (WIDTH, HEIGHT)
        return g

    def title_tick_and_shots(self, g):
        """Peaks of the untouched title, of the pointer moving onto an entry, and of
        the first 1.5 s of a new game with fire held down (left held)."""
        g.wait_window()
        untouched = self.audio.wait(2.0)
        g.move(WIDTH // 2, driver.menu_entry_y(1, HEIGHT))
        ticked = self.audio.wait(0.3)
        driver.choose(g, driver.TITLE_ENTRIES, "Start a new game")
        g.move(WIDTH // 2 + 120, HEIGHT // 2)
        g.xdotool("mousedown", 1)
        shooting = self.audio.written()
        a = self.audio
        return a.peak(0, untouched), a.peak(untouched, ticked), a.peak(shooting, a.wait(1.5))

    def test_the_title_is_silent_until_an_entry_ticks_shots_are_heard_but_not_paused_and_volume_20_is_softer(self):
        with self.game() as g:
            title, tick, shots = self.title_tick_and_shots(g)
            g.keys("Escape")
            self.audio.wait(0.6)          # the overlay's own opening sound dies away
            paused = self.audio.peak(self.audio.written(), self.audio.wait(1.5))
            g.keys("Escape")
            heard_again = self.audio.peak(self.audio.written(), self.audio.wait(1.5))
            g.xdotool("mouseup", 1)
            self.assertEqual(g.close()[0], 0)
        self.assertGreater(self.audio.written(), 2 * driver.AUDIO_SECOND)
        self.assertEqual(title, 0, "the untouched title made a sound")
        self.assertGreater(tick, driver.HEARD, "no tick on the entry")
        self.assertGreater(shots, driver.HEARD, "no shot was heard")
        self.assertEqual(paused, 0, "the paused game was heard")
        self.assertGreater(heard_again, driver.HEARD, "no shots after the overlay closed")
        with self.game("volume=20\n") as g:
            _, soft_tick, soft_shots = self.title_tick_and_shots(g)
            g.xdotool("mouseup", 1)
            self.assertEqual(g.close()[0], 0)
        self.assertGreater(soft_shots, 0, "volume=20 silenced the shots")
        self.assertLess(soft_shots, shots * 0.35)
        self.assertLess(soft_tick, tick * 0.35)


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
