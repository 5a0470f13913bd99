"""A player's game is recorded and replays: a game fought to its end leaves
"lastgame.rec", which `vellgrave2-replay --check` replays to the score the game
kept as the best; a game loaded from a save in the same run replays too, and
plays back in a window of the recorded size without writing a file. Broken
or missing recordings get one line and exit 2."""

import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA, REPLAY = None, None, None
WIDTH, HEIGHT = 720, 540


def replay(*args, cwd=None):
    """Runs the replayer without a window; (exit code, stdout, stderr)."""
    r = subprocess.run([REPLAY] + list(args), capture_output=True, text=True, timeout=120, cwd=cwd)
    return r.returncode, r.stdout, r.stderr


def fight_to_the_end(game, seconds=90):
    """Fires all round until the game is over (the recording appears)."""
    rng = random.Random(9)
    game.xdotool("mousedown", 1)
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and not os.path.exists(game.path("lastgame.rec")):
        game.move(rng.randrange(40, WIDTH - 40), rng.randrange(40, HEIGHT - 40))
        time.sleep(0.2)
    game.xdotool("mouseup", 1)


class Replays(unittest.TestCase):
    def test_a_game_to_its_end_and_a_loaded_game_replay_and_play_back_in_a_window(self):
        keep = tempfile.mkdtemp(prefix="vg-e2e-replay-")
        self.addCleanup(shutil.rmtree, keep, True)
        with driver.Game(GAME, MEDIA, size=(WIDTH, HEIGHT), faketime=driver.NEW_YEAR) as g:
            g.wait_window()
            driver.choose(g, driver.TITLE_ENTRIES, "Start a new game")
            driver.wander(g, random.Random(4), 2)
            driver.open_game_menu(g, os.path.join(keep, "menu.png"))
            driver.choose(g, driver.GAME_MENU_ENTRIES, "Save game")
            fight_to_the_end(g)
            if driver.FAULT is not None:
                self.assertNotIn("lastgame.rec", g.files())
                return
            best = 0   # a game with no kill leaves no best score
            if os.path.exists(g.path("stats.dat")):
                with open(g.path("stats.dat"), "rb") as f:
                    best = struct.unpack("<i", f.read())[0]
            rc, out, err = replay("--check", g.path("lastgame.rec"))
            self.assertEqual(rc, 0, out + err)
            self.assertRegex(out, r"^ok: \d+ steps, score %d, checksum [0-9A-F]{8}\n$" % best)
            self.assertEqual(err, "")
            shutil.copy(g.path("lastgame.rec"), os.path.join(keep, "died.rec"))

            driver.choose(g, driver.TITLE_ENTRIES, "Load game")
            driver.wander(g, random.Random(6), 2)
            self.assertEqual(g.close(), (0, "", ""))
            rc, out, _ = replay("--info", g.path("lastgame.rec"))
            self.assertEqual(rc, 0)
            self.assertIn("start: a loaded game", out)
            self.assertIn("window: 720 x 540", out)
            rc, out, err = replay("--check", g.path("lastgame.rec"))
            self.assertEqual(rc, 0, out + err)
            shutil.copy(g.path("lastgame.rec"), os.path.join(keep, "loaded.rec"))

        # Played back in its own window, from a directory holding only the
        # recording: the city shows, Escape quits, and nothing is written.
        with driver.Game(self.replay_launcher(keep), MEDIA, screen=(800, 600)) as w:
            w.wait_window(WIDTH, HEIGHT)
            w.picture_when(lambda png: driver.distinct_colours(driver.read_rgb(png)[2]) > 50,
                           os.path.join(keep, "playback.png"))   # the city, not a black window
            w.keys("Escape")
            self.assertEqual(w.wait_exit()[0], 0)
            self.assertEqual(w.files(), {"Media"})

    def replay_launcher(self, folder):
        """A script that plays folder/loaded.rec, so the driver can start it."""
        path = os.path.join(folder, "play-back")
        with open(path, "w") as f:
            f.write('#!/bin/sh\nexec "%s" "%s"\n' % (REPLAY, os.path.join(folder, "loaded.rec")))
        os.chmod(path, 0o755)
        return path

    def test_broken_or_missing_recordings_get_one_line_and_exit_2(self):
        folder = tempfile.mkdtemp(prefix="vg-e2e-replay-")
        self.addCleanup(shutil.rmtree, folder, True)
        cut = os.path.join(folder, "cut.rec")
        with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "recordings", "walk.rec"),
                  "rb") as f:
            whole = f.read()
        with open(cut, "wb") as f:
            f.write(whole[:500])
        self.assertEqual(replay("--check", cut), (2, "", cut + ": truncated at byte 500\n"))
        self.assertEqual(replay("--check", os.path.join(folder, "none.rec"))[0], 2)
        self.assertEqual(replay(cwd=folder)[2], "lastgame.rec: No such file or directory\n")
        self.assertEqual(replay("--help")[0], 0)
        self.assertEqual(replay("--version")[1], "vellgrave2-replay 0.8 (recording format 1)\n")
        self.assertEqual(os.listdir(folder), ["cut.rec"])


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    REPLAY = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
    unittest.main()
