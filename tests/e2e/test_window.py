"""The game's window and what it starts from: the window's size from
"settings.ini" and the desktop, a silent failure without a display, broken
pictures that neither stop the game nor make it say a word (nor does a
missing sound device), and the driver's
fault runs, which really take the working directory away."""

import os
import pathlib
import random
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None
PROBE = """#!/bin/sh
[ -f settings.ini ] && [ -f Media/spritesheettexture.png ] || exit 5
{ printf saved > probe.dat; } 2>/dev/null && [ -s probe.dat ] && exit 0
exit 4
"""   # a stand-in for the game. Exit 5: settings or pictures missing; 4: the write failed; 0: it worked
BROKEN = {   # four pictures broken four ways: cut short twice, emptied, scrambled
    "spritesheettexture.png": lambda d: d[:len(d) // 2],
    "dashboard.png": lambda d: d[:len(d) // 3],
    "borderbloodtexture.png": lambda d: b"",
    "tiledarktexture.png": lambda d: d[:len(d) // 2] + bytes(b ^ 0x5A for b in d[len(d) // 2:]),
}


class Window(unittest.TestCase):
    def test_the_window_takes_its_size_from_the_settings_or_the_desktop(self):
        for screen, settings, size in (((1024, 768), "screenw=640\nscreenh=480\n", (640, 480)),
                                       ((1024, 768), "screenw=800\n", (800, 768))):
            with self.subTest(settings=settings), driver.Game(GAME, MEDIA, screen=screen, settings=settings) as g:
                g.wait_window(*size)   # of that size, or it fails
                driver.assert_quiet_exit(self, g.close())
                self.assertEqual(g.files(), {"Media", "settings.ini"})

    def test_without_a_display_the_game_ends_at_once_and_silently(self):
        # With a terminal type set SDL must still not fall back to drawing on the terminal.
        for display in (None, ":917"):
            env = dict({"TERM": "xterm"}, **({"DISPLAY": display} if display else {}))
            with self.subTest(display=display), driver.Game(GAME, MEDIA, no_display=True, env=env) as g:
                driver.assert_quiet_exit(self, g.wait_exit(), 1)

    def test_broken_pictures_and_no_sound_device_neither_stop_the_game_nor_print_anything(self):
        with tempfile.TemporaryDirectory(prefix="vg-media-") as scratch:
            media = shutil.copytree(MEDIA, os.path.join(scratch, "Media"))
            for name, change in BROKEN.items():
                picture = pathlib.Path(media, name)
                picture.write_bytes(change(picture.read_bytes()))
            with driver.Game(GAME, media, screen=(832, 624), env={"SDL_AUDIODRIVER": None}) as g:   # no sound device
                g.wait_window(832, 624)
                driver.choose(g, driver.TITLE_ENTRIES, "Start a new game")
                driver.wander(g, random.Random(7), 2)
                g.keys("Escape")           # the overlay's own pictures are broken: it works unseen
                time.sleep(1.2)
                g.click(1, 416, driver.pause_button_y(3, 624))
                g.keys("Escape")
                driver.assert_quiet_exit(self, g.close())
                self.assertEqual(g.files(), driver.written_files("lastgame.rec") - {"settings.ini"})

    def test_a_fault_run_stops_every_write_and_a_normal_run_none(self):
        with tempfile.TemporaryDirectory(prefix="vg-probe-") as scratch:
            probe = pathlib.Path(scratch, "probe.sh")
            probe.write_text(PROBE)
            probe.chmod(0o700)
            with driver.Game(str(probe), MEDIA, settings="screenw=640\n", no_display=True) as g:
                driver.assert_quiet_exit(self, g.wait_exit(), 4 if driver.FAULT else 0)
                self.assertEqual(g.files(), driver.written_files("probe.dat"))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
